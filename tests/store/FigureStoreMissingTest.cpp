#include "support/QStringPrinter.h"

#include "store/FigureStore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rt570;

namespace {

ArchiveRow row(QDate date, int hour = -1) {
    return ArchiveRow{date, hour, {1.0, 2.0, 3.0, 4.0}, {1.0, 1.0, 1.0, 1.0}, 1.0, 25};
}

// The rows of days first..last: 24 hourly rows each (`hours` of them), or one daily row each.
std::vector<ArchiveRow> rows(QDate first, QDate last, int hours = 24) {
    std::vector<ArchiveRow> result;
    for (QDate d = first; d <= last; d = d.addDays(1))
        for (int h = 0; h < std::max(hours, 1); ++h)
            result.push_back(row(d, hours ? h : -1));
    return result;
}

// Over 2026-11-28 .. 2026-12-02: a day lacking an hour, an hour lacking a figure, a day lacking
// a flow, a month lacking its mains time each count as missing; another meter's rows do not count.
TEST(FigureStoreMissingTest, RowsWithGapsOrNullFiguresAreMissing) {
    QTemporaryDir dir;
    FigureStore store(dir.filePath(QStringLiteral("figures.db")));
    const QDate nov28(2026, 11, 28), nov30(2026, 11, 30), dec1(2026, 12, 1), dec2(2026, 12, 2);
    std::vector<ArchiveRow> hours = rows(nov28.addDays(-1), dec1);
    hours.erase(hours.begin() + 2 * 24 + 23); // 29 November, 23:00
    hours[3 * 24 - 1 + 5].mains.reset();      // 30 November, 05:00
    ArchiveRow day = row(dec2), month = row(QDate(2026, 11, 1));
    day.channels[2].reset();
    month.mains.reset();
    for (const quint32 serial : {1001u, 2002u}) {
        store.beginConnection(RunInfo{});
        store.reportSetOpened(serial, QString());
        store.archiveRows(ArchiveKind::Hourly, serial == 1001 ? hours : rows(dec2, dec2));
        store.archiveRows(ArchiveKind::Daily, rows(nov28, serial == 1001 ? dec1 : dec2, 0));
        store.archiveRows(ArchiveKind::Daily, {day});
        store.archiveRows(ArchiveKind::Monthly, {month});
        store.endConnection(RunResult::Ok, serial, 1, 0, 0);
    }
    MissingPeriods missing;
    ASSERT_EQ(store.findMissing(1001, {nov28, dec2}, missing), QString());
    EXPECT_EQ(missing.hourlyDays, (std::vector<QDate>{nov28.addDays(1), nov30, dec2}));
    EXPECT_EQ(missing.dailyMonths, std::vector<QDate>{dec1});
    EXPECT_EQ(missing.monthlyMonths, std::vector<QDate>{QDate(2026, 11, 1)});
    ASSERT_EQ(store.findMissing(2002, {nov28, dec2}, missing), QString());
    EXPECT_EQ(missing.hourlyDays, (std::vector<QDate>{nov28, nov28.addDays(1), nov30, dec1}));
    EXPECT_TRUE(missing.dailyMonths.empty());
}

} // namespace
