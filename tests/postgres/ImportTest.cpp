// Moving a PC's SQLite store into a shared one: into PostgreSQL, and into another SQLite file.

#include "PostgresServer.h"
#include "store/DatabaseProbe.h"
#include "support/QStringPrinter.h"

#include "store/FigureStore.h"
#include "store/StoreImport.h"

#include <QTemporaryDir>

namespace rt570::test {
namespace {

const QDate kDay(2026, 12, 8);

// One connection of `node` to meter `serial` that read every kind of figure once; flows `flow`.
void connection(FigureStore& store, const QString& node, quint32 serial, double flow) {
    store.beginConnection(
        RunInfo{node, QStringLiteral("ATD1"), QStringLiteral("COM3"),
                QDateTime(kDay.addDays(1), QTime(1, 30), Qt::OffsetFromUTC, 10800),
                QStringLiteral("hourly 2026-12-08"), QStringLiteral("1.2.0")});
    store.reportSetOpened(serial, QStringLiteral("arc/x"));
    CurrentFigures current;
    current.readAt = QDateTime(kDay.addDays(1), QTime(1, 31), Qt::OffsetFromUTC, 10800);
    current.flows = {flow, 0, 0, 0};
    current.meterClock = QDateTime(kDay.addDays(1), QTime(1, 30));
    store.currentValues(current);
    std::vector<ArchiveRow> hours;
    for (int hour = 0; hour < 24; ++hour)
        hours.push_back(ArchiveRow{kDay, hour, {flow + hour}, {}, {}});
    store.archiveRows(ArchiveKind::Hourly, hours);
    store.archiveRows(ArchiveKind::Daily, {ArchiveRow{kDay, -1, {flow}, {}, {}}});
    store.archiveRows(ArchiveKind::Monthly,
                      {ArchiveRow{QDate(2026, 11, 1), -1, {flow}, {}, {}, 25}});
    store.integrators(IntegratorFigures{QDateTime(kDay, QTime(23, 59, 59)), {flow}});
    store.parameters(current.readAt, {{10, QStringLiteral("G макс."), flow}});
    store.endConnection(RunResult::Ok, serial, 30, 1, 0,
                        QDateTime(kDay.addDays(1), QTime(1, 32), Qt::OffsetFromUTC, 10800));
}

const char kCounts[] = "SELECT (SELECT count(*) FROM runs), (SELECT count(*) FROM current_values), "
                       "(SELECT count(*) FROM parameters), (SELECT count(*) FROM hourly), "
                       "(SELECT count(*) FROM daily), (SELECT count(*) FROM monthly), "
                       "(SELECT count(*) FROM integrators)";
// Which connection wrote a keyed row last, by its node, and the row's figure.
const char kWriters[] =
    "SELECT h.serial, h.hour, h.flow1, r.node, c.flow1, p.value FROM hourly h "
    "JOIN runs r ON r.id = h.run LEFT JOIN current_values c ON c.run = r.id "
    "LEFT JOIN parameters p ON p.run = r.id WHERE h.hour IN (0, 23) ORDER BY h.serial, h.hour";

TEST(Import, EveryRowArrivesOnceAndASecondImportChangesNothing) {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("pc.db"));
    {
        FigureStore store(source);
        connection(store, QStringLiteral("A"), 1001, 1.5);
        connection(store, QStringLiteral("B"), 1001, 2.5); // the same day read again
        connection(store, QStringLiteral("C"), 2002, 4.5);
        ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
    }
    // The target already holds a connection of its own, so the imported ones get other ids.
    const QString sqliteTarget = dir.filePath(QStringLiteral("shared.db"));
    for (const bool server : {false, true}) {
        SCOPED_TRACE(server ? "PostgreSQL" : "SQLite");
        if (server && !postgres().running())
            GTEST_SKIP() << postgres().missing().toStdString();
        const QString target =
            server ? postgres().newDatabase(QStringLiteral("shared")) : sqliteTarget;
        {
            FigureStore store(target);
            connection(store, QStringLiteral("Z"), 3003, 9.5);
        }
        auto rows = [&](const char* sql) {
            if (server)
                return postgres().rows(QStringLiteral("shared"), QLatin1String(sql));
            DatabaseProbe probe(sqliteTarget);
            return probe.rows(QLatin1String(sql))
                .replaceInStrings(QStringLiteral("NULL"), QStringLiteral("-"));
        };
        const ImportOutcome first = importFigures(source, target);
        ASSERT_TRUE(first.ok()) << first.error.toStdString();
        const QStringList counts = rows(kCounts);
        const ImportOutcome second = importFigures(source, target);
        ASSERT_TRUE(second.ok()) << second.error.toStdString();
        EXPECT_EQ(
            (QList<int>{first.runsAdded, first.runsPresent, second.runsAdded, second.runsPresent}),
            (QList<int>{3, 0, 0, 3}));
        EXPECT_EQ(counts, QStringList{QStringLiteral("4|4|4|72|3|3|3")});
        EXPECT_EQ(rows(kCounts), counts);
        EXPECT_EQ(rows(kWriters), (QStringList{QStringLiteral("1001|0|2.5|B|2.5|2.5"),
                                               QStringLiteral("1001|23|25.5|B|2.5|2.5"),
                                               QStringLiteral("2002|0|4.5|C|4.5|4.5"),
                                               QStringLiteral("2002|23|27.5|C|4.5|4.5"),
                                               QStringLiteral("3003|0|9.5|Z|9.5|9.5"),
                                               QStringLiteral("3003|23|32.5|Z|9.5|9.5")}));
    }
}

TEST(Import, ASourceThatCannotBeReadOrATargetThatIsItselfIsRefused) {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("pc.db"));
    { FigureStore store(source); }
    const struct {
        QString source;
        QString target;
        const char* reason;
    } cases[] = {
        {dir.filePath(QStringLiteral("none.db")), dir.filePath(QStringLiteral("t.db")),
         "none.db: no such file"},
        {source, source, "pc.db: cannot be imported into itself"},
        {source, QStringLiteral("postgresql://u:secret@h/db"), "~/.pgpass"},
    };
    for (const auto& c : cases) {
        const ImportOutcome outcome = importFigures(c.source, c.target);
        EXPECT_TRUE(outcome.error.contains(QLatin1String(c.reason))) << outcome.error.toStdString();
        EXPECT_FALSE(outcome.error.contains(QLatin1String("secret")));
    }
}

} // namespace
} // namespace rt570::test
