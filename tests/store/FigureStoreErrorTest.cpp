#include "DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/FigureStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

const QDate kDay(2026, 12, 8);
// The busy time-out of these stores: a lock that outlasts it is the lock that never ends.
constexpr int kShortWaitMs = 50;

// Everything a connection hands over, start to end; `hour` is that of its one hourly row.
void wholeConnection(FigureStore& store, int hour = 4, const QString& node = QString()) {
    store.beginConnection(RunInfo{node, {}, {}, {}, {}, {}});
    store.reportSetOpened(1001, QStringLiteral("arc/1001D0812260200"));
    store.currentValues(CurrentFigures{});
    store.archiveRows(ArchiveKind::Hourly, {ArchiveRow{kDay, hour, {1.0}, {}, {}}});
    store.integrators(IntegratorFigures{QDateTime(kDay, QTime(23, 59, 59)), {}});
    store.parameters(QDateTime(kDay, QTime(2, 1)), {{0, QStringLiteral("Серийный номер"), 1001}});
    store.endConnection(RunResult::Ok, 1001, 5, 0, 0);
}

TEST(FigureStoreErrorTest, FailuresAreKeptAsTextAndTheStoreGoesQuiet) {
    // OneRunRollback: without the write-ahead log, where a writer's lock blocks readers too.
    enum Prepare { Nothing, Folder, Text, NewerSchema, OneRun, OneRunRollback, NoHourlyTable };
    enum Use { Open, Connect, RowsOutside, BadHour };
    struct Case {
        const char* file; // inside the test folder
        Prepare prepare;
        Use use;     // the store is made before a lock when it is to connect
        bool locked; // another connection holds an exclusive lock while the store is used
        const char* reason;
        int runsAfter; // rows of `runs` once the lock is let go; -1: no such table
    };
    const Case cases[] = {
        {"missing/figures.db", Nothing, Open, false, "cannot open it: unable to open", -1},
        {"folder", Folder, Open, false, "cannot open it: unable to open", -1},
        {"notes.db", Text, Open, false, "file is not a database", -1},
        {"figures.db", NewerSchema, Open, false, "schema version 99, newer than version 2", -1},
        {"figures.db", OneRunRollback, Open, true, "database is locked", 1},
        // A row that cannot be written: nothing of its connection is committed.
        {"figures.db", NoHourlyTable, Connect, false,
         "cannot write the figures of the connection: no such table: hourly", 1},
        {"figures.db", Nothing, RowsOutside, false, "archive rows arrived outside a connection", 0},
        {"figures.db", Nothing, BadHour, false, "hourly archive row of 2026-12-08 has the hour 24",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(c.file));
        if (c.prepare == Folder)
            QDir().mkdir(path);
        if (c.prepare == Text) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
        }
        if (c.prepare == NewerSchema)
            DatabaseProbe(path).exec(QStringLiteral("PRAGMA user_version = 99"));
        if (c.prepare >= OneRun) {
            FigureStore first(path);
            wholeConnection(first);
        }
        if (c.prepare == OneRunRollback)
            DatabaseProbe(path).exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        std::unique_ptr<FigureStore> store;
        if (c.use != Open)
            store = std::make_unique<FigureStore>(path, kShortWaitMs);
        if (c.prepare == NoHourlyTable)
            DatabaseProbe(path).exec(QStringLiteral("DROP TABLE hourly"));
        {
            std::unique_ptr<DatabaseProbe> holder;
            if (c.locked) {
                holder = std::make_unique<DatabaseProbe>(path);
                holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
            }
            if (c.use == Open)
                store = std::make_unique<FigureStore>(path, kShortWaitMs);
            if (c.use == Connect || c.use == BadHour)
                wholeConnection(*store, c.use == BadHour ? 24 : 4);
            if (c.use == RowsOutside)
                store->archiveRows(ArchiveKind::Daily, {});
        }
        const QString first = store->errorText();
        EXPECT_TRUE(
            first.startsWith(QStringLiteral("figure database ") + path + QLatin1String(": ")))
            << first.toStdString();
        EXPECT_TRUE(first.contains(QLatin1String(c.reason))) << first.toStdString();
        // Once failed, the store does nothing more, and keeps its first message.
        wholeConnection(*store);
        EXPECT_EQ(store->errorText(), first);
        store.reset();
        if (c.runsAfter >= 0) {
            EXPECT_EQ(DatabaseProbe(path).rows(QStringLiteral("SELECT count(*) FROM runs")),
                      QStringList{QString::number(c.runsAfter)});
        }
    }
}

TEST(FigureStoreErrorDeathTest, AMissingSqliteDriverIsNamedWithItsPackage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    // A process of its own, whose plugin search finds no SQL driver at all.
    EXPECT_EXIT(
        {
            QCoreApplication::setLibraryPaths({dir.path()});
            FigureStore store(dir.filePath(QStringLiteral("figures.db")));
            fprintf(stderr, "%s\n", qPrintable(store.errorText()));
            exit(store.failed() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "SQLite driver .*missing.*libqt6sql6-sqlite");
}

TEST(FigureStoreErrorTest, AConnectionALockHeldBackIsWrittenLaterOrCountedAsLost) {
    // Steps on one store, in order: r another connection holds a read transaction, w it holds
    // the write lock, u it lets go; A, B, C a connection of that node ends; x a table the rows
    // need is dropped; F the end of the run.
    struct Case {
        const char* steps;
        const char* runs; // the nodes in `runs`, in id order
        int lost;
        const char* lostPart; // in lostText(), empty when nothing is lost
        bool failed;
    };
    const Case cases[] = {
        // Readers never block the writer.
        {"r A B F", "A B", 0, "", false},
        {"w A u F", "A", 0, "", false},
        // The backlog first, then the connection after it.
        {"w A B u C F", "A B C", 0, "", false},
        {"w A u B F", "A B", 0, "", false},
        {"w A B F", "", 2,
         "the figures of 2 connection(s) could not be written and are lost "
         "(nodes A, B): database is locked",
         false},
        {"A w B u F w C F", "A B", 1,
         "1 connection(s) could not be written and are lost "
         "(nodes C): database is locked",
         false},
        // A failure that is not a lock loses the backlog with the connection.
        {"w A u x B F", "", 2,
         "2 connection(s) could not be written and are lost (nodes A, B): "
         "cannot write the figures of the connection: no such table",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        FigureStore store(path, kShortWaitMs);
        std::unique_ptr<DatabaseProbe> other;
        for (const QString& step : QString::fromLatin1(c.steps).split(QLatin1Char(' '))) {
            if (step == QLatin1String("r") || step == QLatin1String("w")) {
                other = std::make_unique<DatabaseProbe>(path);
                other->exec(
                    QString::fromLatin1(step == QLatin1String("r") ? "BEGIN" : "BEGIN IMMEDIATE"));
                other->rows(QStringLiteral("SELECT count(*) FROM runs"));
            } else if (step == QLatin1String("u")) {
                other->exec(QStringLiteral("COMMIT"));
                other.reset();
            } else if (step == QLatin1String("x")) {
                DatabaseProbe(path).exec(QStringLiteral("DROP TABLE hourly"));
            } else if (step == QLatin1String("F")) {
                store.finishRun();
            } else {
                wholeConnection(store, 4, step);
            }
        }
        if (other)
            other->exec(QStringLiteral("COMMIT"));
        other.reset();
        EXPECT_EQ(store.failed(), c.failed) << store.errorText().toStdString();
        EXPECT_EQ(store.lostConnections(), c.lost);
        if (*c.lostPart == '\0')
            EXPECT_EQ(store.lostText(), QString());
        else
            EXPECT_TRUE(store.lostText().contains(QLatin1String(c.lostPart)))
                << store.lostText().toStdString();
        EXPECT_EQ(DatabaseProbe(path)
                      .rows(QStringLiteral("SELECT group_concat(node, ' ') FROM "
                                           "(SELECT node FROM runs ORDER BY id)"))
                      .value(0)
                      .replace(QLatin1String("NULL"), QString()),
                  QLatin1String(c.runs));
    }
}

TEST(FigureStoreErrorTest, AWriteWaitsForALockUpToItsBusyTimeOut) {
    // Another program holds the write lock for a second (its own work, not a wait for a
    // result) while the store writes: with the default busy time-out the store waits and
    // writes at once; with a shorter one the connection waits in the backlog for the end.
    struct Case {
        int busyTimeoutMs;
        const char* runsAtOnce; // rows of `runs` just after the connection ended
    };
    const Case cases[] = {{FigureStore::kDefaultBusyTimeoutMs, "1"}, {kShortWaitMs, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.busyTimeoutMs);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("figures.db"));
        FigureStore store(path, c.busyTimeoutMs);
        std::promise<void> locked;
        std::thread holder([&path, &locked] {
            DatabaseProbe other(path);
            other.exec(QStringLiteral("BEGIN IMMEDIATE"));
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            other.exec(QStringLiteral("COMMIT"));
        });
        locked.get_future().wait();
        wholeConnection(store, 4, QStringLiteral("A"));
        EXPECT_EQ(DatabaseProbe(path).rows(QStringLiteral("SELECT count(*) FROM runs")),
                  QStringList{QLatin1String(c.runsAtOnce)});
        holder.join();
        store.finishRun();
        EXPECT_EQ(store.lostConnections(), 0) << store.lostText().toStdString();
        EXPECT_FALSE(store.failed()) << store.errorText().toStdString();
        EXPECT_EQ(DatabaseProbe(path).rows(QStringLiteral("SELECT node FROM runs")),
                  QStringList{QStringLiteral("A")});
    }
}

} // namespace
