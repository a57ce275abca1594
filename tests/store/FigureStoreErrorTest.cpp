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

std::vector<ArchiveRow> someHours() {
    ArchiveRow row;
    row.date = kDay;
    row.hour = 4;
    row.channels = {1.0, 2.0, 3.0, 4.0};
    return {row};
}

// Everything a connection hands over, start to end.
void wholeConnection(FigureStore& store) {
    store.beginConnection(
        RunInfo{QString(), QString(), QStringLiteral("/dev/ttyS0"), QDateTime(kDay, QTime(2, 0))});
    store.reportSetOpened(1001, QStringLiteral("arc/1001D0812260200"));
    store.currentValues(CurrentFigures{});
    store.archiveRows(ArchiveKind::Hourly, someHours());
    store.integrators(IntegratorFigures{QDateTime(kDay, QTime(23, 59, 59)), {}});
    store.parameters(QDateTime(kDay, QTime(2, 1)), {{0, QStringLiteral("Серийный номер"), 1001}});
    store.endConnection(RunResult::Ok, 1001, 5, 0, 0);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A database with the figure tables and one finished connection.
void makeStore(const QString& path) {
    FigureStore store(path);
    wholeConnection(store);
    ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
}

TEST(FigureStoreErrorTest, FailuresAreKeptAsTextAndTheStoreGoesQuiet) {
    struct Case {
        const char* name;
        const char* file; // inside the test folder
        std::function<void(const QString& path)> prepare;
        bool openedBefore; // the store is made before `during` begins, else inside it
        // What the store does with the file, while `during` holds it.
        std::function<void(FigureStore&)> use;
        std::function<void(const QString& path, const std::function<void()>& action)> during;
        const char* reasonPart;
        int runsAfter; // rows of `runs` once everything let go; -1 when there is no such table
    };
    const auto lockedBy = [](const QString& path, const std::function<void()>& action) {
        DatabaseProbe holder(path);
        holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        action();
        holder.exec(QStringLiteral("ROLLBACK"));
    };
    const auto untouched = [](const QString&, const std::function<void()>& action) { action(); };
    const auto open = [](FigureStore&) {};
    const Case cases[] = {
        {"a folder that does not exist", "missing/figures.db", [](const QString&) {}, false, open,
         untouched, "unable to open", -1},
        {"a folder in the file's place", "folder", [](const QString& p) { QDir().mkdir(p); }, false,
         open, untouched, "unable to open", -1},
        {"a file that is not a database", "notes.db",
         [](const QString& p) { writeFile(p, QByteArray(4096, 'x')); }, false, open, untouched,
         "file is not a database", -1},
        {"a schema newer than the store's", "figures.db",
         [](const QString& p) {
             DatabaseProbe(p).exec(QStringLiteral("PRAGMA user_version = 99"));
         },
         false, open, untouched, "schema version 99", -1},
        {"locked by another program at the opening", "figures.db", makeStore, false, open, lockedBy,
         "database is locked", 1},
        {"locked by another program at the end of the connection", "figures.db", makeStore, true,
         [](FigureStore& s) { wholeConnection(s); }, lockedBy, "database is locked", 1},
        {"figures outside a connection", "figures.db", [](const QString&) {}, true,
         [](FigureStore& s) { s.archiveRows(ArchiveKind::Daily, someHours()); }, untouched,
         "archive rows arrived outside a connection", 0},
        {"an hour that a day does not have", "figures.db", [](const QString&) {}, true,
         [](FigureStore& s) {
             std::vector<ArchiveRow> rows = someHours();
             rows[0].hour = 24;
             s.beginConnection(RunInfo{});
             s.archiveRows(ArchiveKind::Hourly, rows);
             s.endConnection(RunResult::Ok, 1, 1, 0, 0);
         },
         untouched, "an hourly archive row of 2026-12-08 has the hour 24", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(c.file));
        c.prepare(path);
        std::unique_ptr<FigureStore> store;
        if (c.openedBefore) {
            store = std::make_unique<FigureStore>(path);
            ASSERT_FALSE(store->failed()) << store->errorText().toStdString();
        }
        c.during(path, [&] {
            EXPECT_NO_THROW({
                if (!store)
                    store = std::make_unique<FigureStore>(path);
                c.use(*store);
            });
        });
        const QString firstError = store->errorText();
        EXPECT_TRUE(store->failed());
        EXPECT_TRUE(firstError.contains(path)) << firstError.toStdString();
        EXPECT_TRUE(firstError.contains(QLatin1String(c.reasonPart))) << firstError.toStdString();
        // Once failed, the store does nothing more, and keeps its first message.
        EXPECT_NO_THROW(wholeConnection(*store));
        EXPECT_EQ(store->errorText(), firstError);
        store.reset();
        if (c.runsAfter >= 0) {
            EXPECT_EQ(DatabaseProbe(path).count(QStringLiteral("runs")), c.runsAfter);
        }
    }
}

TEST(FigureStoreErrorDeathTest, AMissingSqliteDriverIsNamedWithItsPackage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("figures.db"));
    // A process of its own, whose plugin search finds no SQL driver at all.
    EXPECT_EXIT(
        {
            QCoreApplication::setLibraryPaths({dir.path()});
            FigureStore store(path);
            fprintf(stderr, "%s\n", qPrintable(store.errorText()));
            exit(store.failed() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "SQLite driver .*missing.*libqt6sql6-sqlite");
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
