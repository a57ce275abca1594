#include "DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/FigureStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace rt570;
using rt570::test::DatabaseProbe;

namespace {

const QDate kDay(2026, 12, 8);

// Everything a connection hands over, start to end; `hour` is that of its one hourly row.
void wholeConnection(FigureStore& store, int hour = 4) {
    store.beginConnection(RunInfo{});
    store.reportSetOpened(1001, QStringLiteral("arc/1001D0812260200"));
    store.currentValues(CurrentFigures{});
    store.archiveRows(ArchiveKind::Hourly, {ArchiveRow{kDay, hour, {1.0}, {}, {}}});
    store.integrators(IntegratorFigures{QDateTime(kDay, QTime(23, 59, 59)), {}});
    store.parameters(QDateTime(kDay, QTime(2, 1)), {{0, QStringLiteral("Серийный номер"), 1001}});
    store.endConnection(RunResult::Ok, 1001, 5, 0, 0);
}

TEST(FigureStoreErrorTest, FailuresAreKeptAsTextAndTheStoreGoesQuiet) {
    enum Prepare { Nothing, Folder, Text, NewerSchema, OneRun };
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
        {"figures.db", NewerSchema, Open, false, "schema version 99, newer than version 1", -1},
        {"figures.db", OneRun, Open, true, "database is locked", 1},
        {"figures.db", OneRun, Connect, true,
         "cannot write the figures of the connection: "
         "database is locked",
         1},
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
        if (c.prepare == OneRun) {
            FigureStore first(path);
            wholeConnection(first);
        }
        std::unique_ptr<FigureStore> store;
        if (c.use != Open)
            store = std::make_unique<FigureStore>(path);
        {
            std::unique_ptr<DatabaseProbe> holder;
            if (c.locked) {
                holder = std::make_unique<DatabaseProbe>(path);
                holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
            }
            EXPECT_NO_THROW({
                if (c.use == Open)
                    store = std::make_unique<FigureStore>(path);
                if (c.use == Connect || c.use == BadHour)
                    wholeConnection(*store, c.use == BadHour ? 24 : 4);
                if (c.use == RowsOutside)
                    store->archiveRows(ArchiveKind::Daily, {});
            });
        }
        const QString first = store->errorText();
        EXPECT_TRUE(
            first.startsWith(QStringLiteral("figure database ") + path + QLatin1String(": ")))
            << first.toStdString();
        EXPECT_TRUE(first.contains(QLatin1String(c.reason))) << first.toStdString();
        // Once failed, the store does nothing more, and keeps its first message.
        EXPECT_NO_THROW(wholeConnection(*store));
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

} // namespace
