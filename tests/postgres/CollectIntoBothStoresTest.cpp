// The same night collected into an SQLite file and into PostgreSQL leaves the same rows: two
// runs of rt570-cli side by side, each dialling four simulated nodes through its own modem bank.

#include "PostgresServer.h"
#include "cli/CliProcess.h"
#include "store/DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <future>

namespace rt570::test {
namespace {

using cli::test::CliResult;
using cli::test::SimProcess;

// A home with its "arc/" folder and four nodes: two meters, a busy number and no carrier.
struct Home {
    Home() {
        QDir(dir.path()).mkdir(QStringLiteral("arc"));
        QFile list(path() + QStringLiteral("gsm_csd.ini"));
        if (list.open(QIODevice::WriteOnly))
            list.write("[baza]\r\nkol_uzlov=4\r\n"
                       "tel_1=ATD+79001111111\r\nname_u1=N1\r\ntel_2=ATD+79002222222\r\n"
                       "name_u2=N2\r\ntel_3=ATD+79003333333\r\nname_u3=N3\r\n"
                       "tel_4=ATD+79004444444\r\nname_u4=N4\r\n");
    }
    QString path() const { return dir.path() + QLatin1Char('/'); }
    QTemporaryDir dir;
};

QStringList modemBank() {
    QStringList arguments{QStringLiteral("--seed"),
                          QStringLiteral("570"),
                          QStringLiteral("--baud"),
                          QStringLiteral("0"),
                          QStringLiteral("--modem-connect-ms"),
                          QStringLiteral("50"),
                          QStringLiteral("--modem-guard-ms"),
                          QStringLiteral("50")};
    for (const char* number :
         {"+79001111111=11", "+79002222222=22", "+79003333333=busy", "+79004444444=no-carrier"})
        arguments << QStringLiteral("--number") << QLatin1String(number);
    return arguments;
}

// Each table's rows as both engines give them back, in key order; the PC's clock left out,
// since the two runs differ in it.
struct Compared {
    const char* sqlite;
    const char* postgres;
};
const Compared kTables[] = {
    {"SELECT node, phone, port, result, serial, requests, errors, timeouts, operations, version "
     "FROM runs ORDER BY node",
     "SELECT node, phone, port, result, serial, requests, errors, timeouts, operations, version "
     "FROM runs ORDER BY node"},
    {"SELECT serial, month, volume1, volume2, volume3, volume4, hours1, hours2, hours3, "
     "hours4, mains, reporting_day FROM monthly ORDER BY serial, month",
     "SELECT serial, month, volume1, volume2, volume3, volume4, hours1, hours2, hours3, "
     "hours4, mains, reporting_day FROM monthly ORDER BY serial, month"},
};

TEST(CollectIntoBothStores, FourNodesLeaveTheSameRowsInSqliteAndPostgres) {
    REQUIRE_POSTGRES();
    const QDate today = QDate::currentDate();
    const QString url = postgres().newDatabase(QStringLiteral("collected"));
    Home sqliteHome;
    Home postgresHome;
    SimProcess sqliteSim(modemBank(), sqliteHome.path() + QStringLiteral("com3"));
    SimProcess postgresSim(modemBank(), postgresHome.path() + QStringLiteral("com3"));
    ASSERT_TRUE(sqliteSim.running() && postgresSim.running());
    const QString file = sqliteHome.path() + QStringLiteral("f.db");
    auto collect = [](const QString& db, const QString& home) {
        return std::async(std::launch::async, [db, home] {
            // The monthly archive: the figures of few requests, the same on every call.
            return cli::test::runCli({QStringLiteral("collect"), QStringLiteral("monthly"),
                                      QStringLiteral("yesterday"), QStringLiteral("--db"), db},
                                     home);
        });
    };
    auto sqliteRun = collect(file, sqliteHome.path());
    auto postgresRun = collect(url, postgresHome.path());
    const CliResult sqliteResult = sqliteRun.get();
    const CliResult postgresResult = postgresRun.get();
    if (QDate::currentDate() != today)
        GTEST_SKIP() << "the runs crossed midnight: \"yesterday\" changed under them";
    // Two nodes of four fail (busy, no carrier): a failed node, not a store problem.
    EXPECT_EQ(sqliteResult.exitCode, 1) << sqliteResult.err.toStdString();
    EXPECT_EQ(postgresResult.exitCode, 1) << postgresResult.err.toStdString();

    DatabaseProbe probe(file);
    for (const Compared& table : kTables) {
        SCOPED_TRACE(table.sqlite);
        const QStringList stored =
            probe.rows(QLatin1String(table.sqlite))
                .replaceInStrings(QStringLiteral("NULL"), QStringLiteral("-"));
        EXPECT_GE(stored.size(), 2);
        EXPECT_EQ(postgres().rows(QStringLiteral("collected"), QLatin1String(table.postgres)),
                  stored);
    }
}

} // namespace
} // namespace rt570::test
