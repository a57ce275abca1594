// The figure store on a real PostgreSQL server: what only a server shows. The figures
// themselves reach it through the same sink as SQLite's and are tested there.

#include "PostgresServer.h"
#include "support/QStringPrinter.h"

#include "store/FigureStore.h"
#include "store/PostgresSchema.h"

#include <QUrl>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace rt570::test {
namespace {

const QDate kDay(2026, 12, 8);

// One connection of meter `serial`: the 24 hours of `day`, each hour's flow1 `flow` (NULL for
// the hours in `lacking`), written in the order of `hours`.
void night(FigureStore& store, quint32 serial, QDate day, double flow,
           const std::vector<int>& hours, const std::vector<int>& lacking = {}) {
    store.beginConnection(RunInfo{QStringLiteral("node %1").arg(serial), {}, {}, {}, {}, {}});
    store.reportSetOpened(serial, QStringLiteral("arc/x"));
    std::vector<ArchiveRow> rows;
    for (int hour : hours) {
        ArchiveRow row{day, hour, {flow}, {}, {}};
        if (std::find(lacking.begin(), lacking.end(), hour) != lacking.end())
            row.channels[0].reset();
        rows.push_back(row);
    }
    store.archiveRows(ArchiveKind::Hourly, rows);
    store.endConnection(RunResult::Ok, serial, 24, 0, 0);
}

std::vector<int> hoursUp() {
    std::vector<int> hours(24);
    for (int h = 0; h < 24; ++h)
        hours[size_t(h)] = h;
    return hours;
}

std::vector<int> hoursDown() {
    std::vector<int> hours = hoursUp();
    std::reverse(hours.begin(), hours.end());
    return hours;
}

// Runs `work` in `count` threads at once, each with its own store on `url`, all opened before
// any writes; the error texts of the stores that failed.
QStringList together(int count, const QString& url,
                     const std::function<void(FigureStore&, int)>& work) {
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    std::vector<std::future<QString>> done;
    std::vector<std::promise<void>> opened;
    opened.resize(size_t(count));
    std::vector<std::future<void>> openings;
    for (auto& o : opened)
        openings.push_back(o.get_future());
    for (int i = 0; i < count; ++i)
        done.push_back(std::async(std::launch::async, [&, i] {
            FigureStore store(url);
            opened[size_t(i)].set_value();
            started.wait();
            if (!store.failed())
                work(store, i);
            return store.errorText();
        }));
    for (auto& o : openings)
        o.wait();
    go.set_value();
    QStringList errors;
    for (auto& d : done)
        if (const QString error = d.get(); !error.isEmpty())
            errors << error;
    return errors;
}

TEST(PostgresStore, CollectorsOpeningAFreshDatabaseTogetherMakeOneSchema) {
    REQUIRE_POSTGRES();
    const QString url = postgres().newDatabase(QStringLiteral("fresh"));
    // Opening is the schema's creation: the stores are made together, not only their writes.
    std::promise<void> go;
    std::shared_future<void> start = go.get_future().share();
    std::vector<std::future<QString>> stores;
    for (int i = 0; i < 4; ++i)
        stores.push_back(std::async(std::launch::async, [&, i] {
            start.wait();
            FigureStore store(url);
            night(store, quint32(1001 + i), kDay, 1.5, hoursUp());
            return store.errorText();
        }));
    go.set_value();
    for (auto& store : stores)
        EXPECT_EQ(store.get(), QString());
    EXPECT_EQ(
        postgres().rows(QStringLiteral("fresh"), QStringLiteral("SELECT * FROM schema_version")),
        QStringList{QStringLiteral("3")});
    EXPECT_EQ(postgres().rows(QStringLiteral("fresh"),
                              QStringLiteral("SELECT count(*), count(DISTINCT run) FROM hourly")),
              QStringList{QStringLiteral("96|4")});
}

TEST(PostgresStore, AVersionOneDatabaseIsUpgradedInPlace) {
    REQUIRE_POSTGRES();
    const QString url = postgres().newDatabase(QStringLiteral("old"));
    QStringList first = postgresSchemaSteps().front();
    first << QStringLiteral("CREATE TABLE schema_version (version integer NOT NULL)")
          << QStringLiteral("INSERT INTO schema_version VALUES (1)")
          << QStringLiteral("INSERT INTO monthly (serial, month, volume1, run) "
                            "VALUES (1001, '2026-10', 10.5, 1)");
    for (const QString& statement : first)
        ASSERT_TRUE(postgres().execute(QStringLiteral("old"), statement));
    {
        FigureStore store(url);
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    EXPECT_EQ(postgres().rows(QStringLiteral("old"),
                              QStringLiteral("SELECT version FROM schema_version")),
              QStringList{QStringLiteral("3")});
    EXPECT_EQ(postgres().rows(QStringLiteral("old"), QStringLiteral("SELECT serial, month, "
                                                                    "volume1, reporting_day "
                                                                    "FROM monthly")),
              QStringList{QStringLiteral("1001|2026-10|10.5|-")});
}

TEST(PostgresStore, ReadingADayAgainReplacesItsRowsAndKeepsWhatItLacks) {
    REQUIRE_POSTGRES();
    const QString url = postgres().newDatabase(QStringLiteral("reread"));
    for (const auto& [flow, lacking] :
         {std::pair{1.5, std::vector<int>{}}, std::pair{7.25, std::vector<int>{5}}}) {
        FigureStore store(url);
        night(store, 1001, kDay, flow, hoursUp(), lacking);
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    EXPECT_EQ(
        postgres().rows(QStringLiteral("reread"),
                        QStringLiteral("SELECT hour, date::text, flow1, run FROM hourly "
                                       "WHERE hour IN (4, 5) ORDER BY hour")),
        (QStringList{QStringLiteral("4|2026-12-08|7.25|2"), QStringLiteral("5|2026-12-08|1.5|2")}));
    EXPECT_EQ(
        postgres().rows(QStringLiteral("reread"), QStringLiteral("SELECT count(*) FROM hourly")),
        QStringList{QStringLiteral("24")});
}

TEST(PostgresStore, TwoCollectorsAtOnceLoseAndDuplicateNothing) {
    REQUIRE_POSTGRES();
    struct Case {
        const char* database;
        quint32 secondMeter;
        const char* hourlyRows;
    };
    // The second collector writes its hours backwards: on the same meter the two lock the same
    // rows in opposite orders.
    const Case cases[] = {{"same_meter", 1001, "120"}, {"two_meters", 2002, "240"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.database);
        const QString database = QLatin1String(c.database);
        const QString url = postgres().newDatabase(database);
        { FigureStore schema(url); }
        const QStringList errors = together(2, url, [&](FigureStore& store, int collector) {
            for (int day = 0; day < 5; ++day)
                night(store, collector == 0 ? 1001 : c.secondMeter, kDay.addDays(-day),
                      collector + 1.0, collector == 0 ? hoursUp() : hoursDown());
        });
        EXPECT_EQ(errors, QStringList());
        EXPECT_EQ(postgres().rows(database, QStringLiteral("SELECT count(*) FROM runs")),
                  QStringList{QStringLiteral("10")});
        EXPECT_EQ(postgres().rows(database,
                                  QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT serial, "
                                                 "date, hour FROM hourly) AS k")),
                  QStringList{QLatin1String(c.hourlyRows)});
        EXPECT_EQ(postgres().rows(database, QStringLiteral("SELECT count(*) FROM hourly")),
                  QStringList{QLatin1String(c.hourlyRows)});
    }
}

TEST(PostgresStore, ADeadlockBetweenCollectorsIsRetried) {
    REQUIRE_POSTGRES();
    const QString url = postgres().newDatabase(QStringLiteral("deadlock"));
    { FigureStore schema(url); }
    // Each collector pauses after its first row, so that both hold one row the other needs
    // next: the server ends one transaction with a deadlock.
    ASSERT_TRUE(postgres().execute(
        QStringLiteral("deadlock"),
        QStringLiteral("CREATE FUNCTION pause() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                       "IF NEW.hour IN (0, 23) THEN PERFORM pg_sleep(0.2); END IF; "
                       "RETURN NEW; END $$")));
    ASSERT_TRUE(postgres().execute(QStringLiteral("deadlock"),
                                   QStringLiteral("CREATE TRIGGER pause BEFORE INSERT ON hourly "
                                                  "FOR EACH ROW EXECUTE FUNCTION pause()")));
    const QStringList errors = together(2, url, [](FigureStore& store, int collector) {
        night(store, 1001, kDay, collector + 1.0,
              collector == 0 ? std::vector<int>{0, 23} : std::vector<int>{23, 0});
    });
    EXPECT_EQ(errors, QStringList());
    EXPECT_EQ(postgres().rows(QStringLiteral("deadlock"),
                              QStringLiteral("SELECT count(*), count(DISTINCT run) FROM hourly")),
              QStringList{QStringLiteral("2|1")});
    EXPECT_EQ(
        postgres().rows(QStringLiteral("deadlock"), QStringLiteral("SELECT count(*) FROM runs")),
        QStringList{QStringLiteral("2")});
}

TEST(PostgresStore, AServerLostOrNotReachedIsNamedAndLeavesNothingHalfWritten) {
    REQUIRE_POSTGRES();
    const QString host = QUrl::fromPercentEncoding(postgres()
                                                       .url(QString())
                                                       .section(QLatin1Char('@'), 1)
                                                       .section(QLatin1Char('/'), 0, 0)
                                                       .toUtf8());
    struct Case {
        const char* database;
        bool dropped;       // the server ends the connection at the sixth hourly row
        const char* folder; // another socket folder than the server's
        const char* reason;
    };
    const Case cases[] = {
        {"lost", true, nullptr, "terminating connection due to administrator command"},
        {"absent", false, nullptr, "database \"absent\" does not exist"},
        {"nowhere", false, "/nonexistent", "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.database);
        const QString database = QLatin1String(c.database);
        QString url = c.dropped ? postgres().newDatabase(database) : postgres().url(database);
        if (c.folder)
            url = QStringLiteral("postgresql://rt570@%1/%2")
                      .arg(QString::fromLatin1(QUrl::toPercentEncoding(QLatin1String(c.folder))),
                           database);
        if (c.dropped) {
            { FigureStore schema(url); }
            ASSERT_TRUE(postgres().execute(
                database,
                QStringLiteral("CREATE FUNCTION drop() RETURNS trigger LANGUAGE plpgsql AS $$ "
                               "BEGIN IF NEW.hour = 5 THEN PERFORM pg_terminate_backend("
                               "pg_backend_pid()); PERFORM pg_sleep(5); END IF; RETURN NEW; "
                               "END $$")));
            ASSERT_TRUE(
                postgres().execute(database, QStringLiteral("CREATE TRIGGER drop BEFORE INSERT ON "
                                                            "hourly FOR EACH ROW EXECUTE FUNCTION "
                                                            "drop()")));
        }
        FigureStore store(url);
        night(store, 1001, kDay, 1.5, hoursUp());
        ASSERT_TRUE(store.failed());
        const QString error = store.errorText();
        EXPECT_TRUE(error.contains(database)) << error.toStdString();
        EXPECT_TRUE(error.contains(c.folder ? QLatin1String(c.folder) : host))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
        EXPECT_FALSE(error.contains(QLatin1Char('\n')));
        if (c.dropped) {
            EXPECT_EQ(
                postgres().rows(database, QStringLiteral("SELECT (SELECT count(*) FROM runs), "
                                                         "(SELECT count(*) FROM hourly)")),
                QStringList{QStringLiteral("0|0")});
        }
    }
}

} // namespace
} // namespace rt570::test
