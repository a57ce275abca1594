#include "ArchiveFixture.h"
#include "archives/ArchiveReports.h"

namespace rt570 {
namespace {

using test::ArchiveAsk;
using test::ArchiveSession;

// The clock of the fixture stands at 20 January 2014.
class DailyReport : public ArchiveSession {
protected:
    QList<QByteArray> reportLines() const { return reportBytes(Report::Daily).split('\n'); }
    // The two integrator records: the end and the start of the period.
    std::pair<uint32_t, uint32_t> integratorCodes() const {
        std::vector<uint32_t> codes;
        for (const ArchiveAsk& a : asks)
            if (a.kind == kKindIntegrators && (codes.empty() || codes.back() != a.code))
                codes.push_back(a.code);
        EXPECT_EQ(codes.size(), 2u);
        return codes.size() == 2 ? std::make_pair(codes[0], codes[1]) : std::make_pair(0u, 0u);
    }
};

TEST_F(DailyReport, February2012OfAnEarlierYear) {
    openReports();
    watchProgress();
    run([&] { dailyReport(session, QDate(2012, 2, 10)); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(reportBytes(Report::Daily), golden("daily_2012_02.txt"));
    EXPECT_EQ(reportLines().size(), 29 + 31 + 1);
    EXPECT_EQ(session.link.RequestCount(), 279);
    ASSERT_EQ(asks.size(), 279u);
    for (size_t i = 0; i < 29 * 9; ++i) {
        const ArchiveAsk& a = asks[i];
        ASSERT_EQ(a.kind, kKindDaily) << i;
        ASSERT_EQ(a.quantity, i % 9) << i;
        ASSERT_EQ(a.command, i % 9 < 4 ? kCmdArchiveFloat : kCmdArchiveInteger) << i;
        ASSERT_EQ(a.code, 1202002300u + uint32_t(i / 9 + 1) * 10000u) << i;
    }
    for (size_t i = 29 * 9; i < asks.size(); ++i) {
        ASSERT_EQ(asks[i].command, kCmdArchiveInteger);
        ASSERT_EQ(asks[i].quantity, (i - 29 * 9) % 9);
    }
    // End of the month, then the last day of January.
    EXPECT_EQ(integratorCodes(), std::make_pair(1202292300u, 1201312300u));
    std::vector<int> expected{0};
    for (int d = 1; d <= 29; ++d)
        expected.push_back(3 * d);
    expected.push_back(100);
    EXPECT_EQ(progress, expected);
    EXPECT_EQ(session.archive.DaysInArchiveMonth, 29);
    EXPECT_EQ(session.display.statusText, QStringLiteral("Архивы записаны"));
}

TEST_F(DailyReport, ThirtyOneDayMonthOfAnEarlierYear) {
    openReports();
    watchProgress();
    run([&] { dailyReport(session, QDate(2009, 3, 15)); });
    EXPECT_EQ(session.link.RequestCount(), 297);
    const QList<QByteArray> lines = reportLines();
    ASSERT_EQ(lines.size(), 31 + 31 + 1);
    EXPECT_TRUE(lines[0].endsWith(": 2009.03\r"));
    EXPECT_TRUE(lines[37].startsWith("| 31: | "));
    EXPECT_EQ(lines[40], cp1251(QStringLiteral("Значение интеграторов на конец месяца:\r")));
    EXPECT_EQ(lines[51], cp1251(QStringLiteral("Прирост интеграторов за месяц:\r")));
    EXPECT_EQ(lines[61], QByteArray(157, '_') + '\r');
    EXPECT_EQ(integratorCodes(), std::make_pair(903312300u, 902282300u));
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress[progress.size() - 2], 93);
    EXPECT_EQ(progress.back(), 100);
}

TEST_F(DailyReport, CurrentMonthOnALaterDayEndsWithTheDayBefore) {
    openReports();
    run([&] { dailyReport(session, QDate(2014, 1, 8)); });
    EXPECT_EQ(reportBytes(Report::Daily), golden("daily_2014_01_current_day8.txt"));
    // Day 7 of January, then 31 December of the year before.
    EXPECT_EQ(integratorCodes(), std::make_pair(1401072300u, 1312312300u));
    EXPECT_EQ(session.link.RequestCount(), 9 * 31 + 18);
}

TEST_F(DailyReport, CurrentMonthOnThe1stAsksForDayZero) {
    openReports();
    run([&] { dailyReport(session, QDate(2014, 1, 1)); });
    EXPECT_EQ(integratorCodes(), std::make_pair(1401002300u, 1312312300u));
    EXPECT_EQ(session.archive.ArchiveTables[0][0], 1000000.0 + 10 + 4); // slot 0, day 0
    const QList<QByteArray> lines = reportLines();
    ASSERT_EQ(lines.size(), 31 + 31 + 1);
    EXPECT_EQ(lines[40],
              cp1251(QStringLiteral("Значение интеграторов на 23 час 59 мин 59 сек 00 числа:\r")));
    EXPECT_EQ(lines[51], cp1251(QStringLiteral("Прирост интеграторов c начала месяца на 23 "
                                               "час 59 мин 59 сек 00 числа:\r")));
}

TEST_F(DailyReport, JanuaryOfAnEarlierYearStartsAt31December) {
    openReports();
    run([&] { dailyReport(session, QDate(2013, 1, 31)); });
    EXPECT_EQ(integratorCodes(), std::make_pair(1301312300u, 1212312300u));
}

TEST_F(DailyReport, LaterMonthCountsAsAWholeMonth) {
    openReports();
    run([&] { dailyReport(session, QDate(2014, 3, 2)); });
    EXPECT_EQ(integratorCodes(), std::make_pair(1403312300u, 1402282300u));
    EXPECT_EQ(reportLines()[40],
              cp1251(QStringLiteral("Значение интеграторов на конец месяца:\r")));
}

TEST_F(DailyReport, EarlierAugustKeepsItsEndValuesApartFromTheStartRecord) {
    openReports();
    run([&] { dailyReport(session, QDate(2009, 8, 12)); });
    // Both records land in slot 31; the start record (July) is the one left in the table.
    EXPECT_EQ(integratorCodes(), std::make_pair(908312300u, 907312300u));
    EXPECT_EQ(session.archive.ArchiveTables[0][31], 1000000.0 + 31000 + 70 + 4);
    const QList<QByteArray> lines = reportLines();
    EXPECT_EQ(lines[41], cp1251(QStringLiteral("V1 , м3 :   1031,0840  \r")));
    // Volumes grew by 10 counts a month on the known meter; operating times stood still.
    EXPECT_EQ(lines[52], cp1251(QStringLiteral("V1 , м3 :      0,0100  \r")));
    EXPECT_EQ(lines[53], cp1251(QStringLiteral("V2 , м3 :       0,100  \r")));
    EXPECT_EQ(lines[54], cp1251(QStringLiteral("V3 , м3 :        1,00  \r")));
    EXPECT_EQ(lines[55], cp1251(QStringLiteral("V4 , м3 :        10,0  \r")));
    EXPECT_EQ(lines[56], cp1251(QStringLiteral("В1 , час :        0,00  \r")));
    EXPECT_EQ(lines[60], cp1251(QStringLiteral("ТC , час :        0,00  \r")));
}

TEST_F(DailyReport, ZeroStartRecordRepeatsTheEndLines) {
    openReports();
    integer = [](const ArchiveAsk& a) {
        return a.kind == kKindIntegrators && a.month() != 6 ? 0 : test::knownInteger(a);
    };
    run([&] { dailyReport(session, QDate(2011, 6, 3)); });
    const QList<QByteArray> lines = reportLines();
    ASSERT_EQ(lines.size(), 30 + 31 + 1);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(lines[40 + i], lines[51 + i]) << i;
}

TEST_F(DailyReport, WithoutAnOpenFileTheDailyRecordsAreReadThenIoError103) {
    run([&] { dailyReport(session, QDate(2012, 2, 10)); });
    EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error 103")});
    EXPECT_EQ(asks.size(), 29u * 9u);
    EXPECT_EQ(session.display.statusText, QStringLiteral("Считывание суточных архивов"));
    EXPECT_FALSE(QFile::exists(reportPath(Report::Daily)));
}

TEST_F(DailyReport, SilentQuantityStillGivesAWholeReport) {
    openReports();
    silentQuantities = {4};
    run([&] { dailyReport(session, QDate(2012, 2, 10)); });
    EXPECT_TRUE(host.errors.isEmpty());
    const QList<QByteArray> lines = reportLines();
    ASSERT_EQ(lines.size(), 29 + 31 + 1);
    EXPECT_TRUE(lines[7].endsWith("| 1684,30 | \r")) << lines[7].constData();
    EXPECT_EQ(session.link.TimeoutCount(), 29 + 2);
    EXPECT_EQ(session.link.RequestCount(), 279 + 29 * 11 + 2 * 13);
}

TEST_F(DailyReport, TwoPressesAppendTwoCompleteReports) {
    openReports();
    run([&] { dailyReport(session, QDate(2012, 2, 10)); });
    run([&] { dailyReport(session, QDate(2012, 2, 29)); });
    const QByteArray one = golden("daily_2012_02.txt");
    EXPECT_EQ(reportBytes(Report::Daily), one + one);
}

} // namespace
} // namespace rt570
