#include "support/QStringPrinter.h"

#include "store/FigureStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rt570;

namespace {

const QDate kToday(2026, 12, 3); // the window of 5 days: 2026-11-28 .. 2026-12-02

ArchiveRow row(QDate date, int hour) {
    return ArchiveRow{date, hour, {1.0, 2.0, 3.0, 4.0}, {1.0, 1.0, 1.0, 1.0}, 1.0};
}

std::vector<ArchiveRow> hours(QDate date, int count = 24) {
    std::vector<ArchiveRow> rows;
    for (int h = 0; h < count; ++h)
        rows.push_back(row(date, h));
    return rows;
}

std::vector<ArchiveRow> daysOf(QDate first, QDate last) {
    std::vector<ArchiveRow> rows;
    for (QDate d = first; d <= last; d = d.addDays(1))
        rows.push_back(row(d, -1));
    return rows;
}

// One connection of meter `serial` that hands the store what `read` gives it.
template <typename Read> void connection(FigureStore& store, quint32 serial, Read read) {
    store.beginConnection(RunInfo{QString(), QString(), QStringLiteral("port 3"),
                                  QDateTime(kToday, QTime(1, 30)), QString(), QString()});
    store.reportSetOpened(serial, QStringLiteral("arc/x"));
    read();
    store.endConnection(RunResult::Ok, serial, 1, 0, 0);
    ASSERT_FALSE(store.failed()) << store.errorText().toStdString();
}

TEST(FigureStoreMissingTest, RowsWithGapsOrNullsCountAsMissingAndLaterConnectionsCount) {
    QTemporaryDir dir;
    FigureStore store(dir.filePath(QStringLiteral("figures.db")));
    const CatchUpWindow window{QDate(2026, 11, 28), QDate(2026, 12, 2)};
    connection(store, 1001, [&] {
        for (const QDate& d : {QDate(2026, 11, 27), QDate(2026, 11, 28), QDate(2026, 12, 1)})
            store.archiveRows(ArchiveKind::Hourly, hours(d));
        // 29 November lacks its last hour; 30 November has one hour without its mains time.
        store.archiveRows(ArchiveKind::Hourly, hours(QDate(2026, 11, 29), 23));
        std::vector<ArchiveRow> gap = hours(QDate(2026, 11, 30));
        gap[5].mains.reset();
        store.archiveRows(ArchiveKind::Hourly, gap);
        // November's days whole; 2 December's day without its third flow.
        store.archiveRows(ArchiveKind::Daily, daysOf(QDate(2026, 11, 1), QDate(2026, 12, 1)));
        ArchiveRow day = row(QDate(2026, 12, 2), -1);
        day.channels[2].reset();
        store.archiveRows(ArchiveKind::Daily, {day});
        // November's monthly row without its mains time.
        ArchiveRow month = row(QDate(2026, 11, 1), -1);
        month.reportingDay = 25;
        month.mains.reset();
        store.archiveRows(ArchiveKind::Monthly, {month});
    });
    // Another meter's whole rows count for it alone.
    connection(store, 2002, [&] {
        store.archiveRows(ArchiveKind::Hourly, hours(QDate(2026, 12, 2)));
        store.archiveRows(ArchiveKind::Daily, daysOf(QDate(2026, 11, 1), QDate(2026, 12, 2)));
    });

    MissingPeriods missing;
    ASSERT_EQ(store.findMissing(1001, window, missing), QString());
    EXPECT_EQ(missing.hourlyDays,
              (std::vector<QDate>{QDate(2026, 11, 29), QDate(2026, 11, 30), QDate(2026, 12, 2)}));
    EXPECT_EQ(missing.dailyMonths, std::vector<QDate>{QDate(2026, 12, 1)});
    EXPECT_EQ(missing.monthlyMonths, std::vector<QDate>{QDate(2026, 11, 1)});

    ASSERT_EQ(store.findMissing(2002, window, missing), QString());
    EXPECT_EQ(missing.hourlyDays, (std::vector<QDate>{QDate(2026, 11, 28), QDate(2026, 11, 29),
                                                      QDate(2026, 11, 30), QDate(2026, 12, 1)}));
    EXPECT_TRUE(missing.dailyMonths.empty());
    EXPECT_EQ(missing.monthlyMonths, std::vector<QDate>{QDate(2026, 11, 1)});

    // A later connection of the same store fills the gaps: its rows are seen at once.
    connection(store, 1001, [&] {
        for (const QDate& d : {QDate(2026, 11, 29), QDate(2026, 11, 30), QDate(2026, 12, 2)})
            store.archiveRows(ArchiveKind::Hourly, hours(d));
        store.archiveRows(ArchiveKind::Daily, daysOf(QDate(2026, 12, 1), QDate(2026, 12, 2)));
        ArchiveRow month = row(QDate(2026, 11, 1), -1);
        month.reportingDay = 25;
        store.archiveRows(ArchiveKind::Monthly, {month});
    });
    ASSERT_EQ(store.findMissing(1001, window, missing), QString());
    EXPECT_TRUE(missing.hourlyDays.empty());
    EXPECT_TRUE(missing.dailyMonths.empty());
    EXPECT_TRUE(missing.monthlyMonths.empty());
}

} // namespace
