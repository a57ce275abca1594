#include "support/QStringPrinter.h"

#include "store/StoreTarget.h"

#include <gtest/gtest.h>

using namespace rt570;

namespace {

TEST(StoreTarget, UrlsNameAServerAndAnythingElseIsAFile) {
    struct Case {
        const char* text;
        const char* host; // nullptr: an SQLite file
        int port;
        const char* user;
        const char* database;
        QStringList params;
        const char* shown;
    };
    const Case cases[] = {
        {"figures.db", nullptr, -1, "", "", {}, "figures.db"},
        {"postgresql.db", nullptr, -1, "", "", {}, "postgresql.db"},
        {"postgresql://collector@db.example:5433/figures?sslmode=require&connect_timeout=5",
         "db.example",
         5433,
         "collector",
         "figures",
         {QStringLiteral("sslmode=require"), QStringLiteral("connect_timeout=5")},
         "postgresql://collector@db.example:5433/figures"},
        {"postgres://%2Fvar%2Frun%2Fpostgresql/my%20figures",
         "/var/run/postgresql",
         -1,
         "",
         "my figures",
         {},
         "postgresql:///var/run/postgresql/my figures"},
        {"POSTGRESQL://[::1]:5432/f?application_name=night%20run",
         "::1",
         5432,
         "",
         "f",
         {QStringLiteral("application_name=night run")},
         "postgresql://[::1]:5432/f"},
        {"postgresql:///f", "", -1, "", "f", {}, "postgresql:///f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedTarget parsed = parseStoreTarget(QLatin1String(c.text));
        ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
        const StoreTarget& t = parsed.target;
        EXPECT_EQ(t.engine == StoreTarget::Engine::Postgres, c.host != nullptr);
        EXPECT_EQ(t.host, QLatin1String(c.host));
        EXPECT_EQ(t.port, c.port);
        EXPECT_EQ(t.user, QLatin1String(c.user));
        EXPECT_EQ(t.database, QLatin1String(c.database));
        EXPECT_EQ(t.params, c.params);
        EXPECT_EQ(t.text(), QLatin1String(c.shown));
    }
}

TEST(StoreTarget, AUrlThatCannotBeUsedIsRefusedWithoutRepeatingItsSecret) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"postgresql://collector:s3cret@db/figures", "~/.pgpass"},
        {"postgresql://collector:@db/figures", "~/.pgpass"},
        {"postgresql://db/figures?sslmode=require&Password=s3cret", "~/.pgpass"},
        {"postgresql://db:99999/figures", "bad port '99999'"},
        {"postgresql://db:/figures", "bad port ''"},
        {"postgresql://db/", "names no database"},
        {"postgresql://db", "names no database"},
        {"postgresql://db/figures?sslmode", "'sslmode' is not KEY=VALUE"},
        {"postgresql://db/figures?options=a;b", "options has a ';'"},
        {"postgresql://[::1/figures", "'[' without its ']'"},
    };
    for (const auto& c : cases) {
        const ParsedTarget parsed = parseStoreTarget(QLatin1String(c.text));
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.reason)))
            << c.text << ": " << parsed.error.toStdString();
        EXPECT_FALSE(parsed.error.contains(QLatin1String("s3cret"))) << c.text;
    }
}

} // namespace
