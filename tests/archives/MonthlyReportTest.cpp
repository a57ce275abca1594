#include "ArchiveFixture.h"
#include "archives/ArchiveReports.h"

namespace rt570 {
namespace {

using test::ArchiveAsk;
using test::ArchiveSession;

class MonthlyReport : public ArchiveSession {
protected:
    QList<QByteArray> reportLines() const { return reportBytes(Report::Monthly).split('\n'); }
};

TEST_F(MonthlyReport, WritesTheReportOfTheReportingDay) {
    openReports();
    watchProgress();
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(reportBytes(Report::Monthly), golden("monthly_2009_03.txt"));
    EXPECT_EQ(reportLines().size(), 9 + 1);
    ASSERT_EQ(asks.size(), 9u);
    for (size_t q = 0; q < asks.size(); ++q) {
        EXPECT_EQ(asks[q].command, kCmdArchiveInteger);
        EXPECT_EQ(asks[q].quantity, q);
        EXPECT_EQ(asks[q].kind, kKindMonthly);
        EXPECT_EQ(asks[q].code, 903252300u); // reporting day 25, hour 23
    }
    EXPECT_EQ(session.archive.ArchiveTables[8][23], 240000.0 - 80000 - 2500);
    EXPECT_EQ(session.archive.ArchiveDate.day, 25);
    EXPECT_EQ(session.archive.ArchiveDate.year, 9);
    EXPECT_EQ(progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(session.display.statusText, QStringLiteral("Архивы записаны"));
    EXPECT_EQ(session.link.RequestCount(), 9);
}

TEST_F(MonthlyReport, AnyDayOfTheMonthGivesTheSameReport) {
    openReports();
    run([&] { monthlyReport(session, QDate(2009, 3, 1)); });
    run([&] { monthlyReport(session, QDate(2009, 3, 31)); });
    const QByteArray one = golden("monthly_2009_03.txt");
    EXPECT_EQ(reportBytes(Report::Monthly), one + one);
    EXPECT_EQ(asks[0].code, asks[9].code);
}

TEST_F(MonthlyReport, ReportingDayIsTruncatedAndZeroIsSentAsZero) {
    openReports();
    session.link.setValue(3, 25.9);
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_EQ(asks.back().code, 903252300u);
    session.link.setValue(3, 0);
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_EQ(asks.back().code, 903002300u);
    EXPECT_TRUE(reportLines()[16].startsWith("| 00: | ")) << reportLines()[16].constData();
}

TEST_F(MonthlyReport, RuleOfAFullDayAppliesToVolumesAndLongHoursWidenTheRow) {
    openReports();
    integer = [](const ArchiveAsk& a) {
        switch (a.quantity) {
        case 0:
            return 239950; // raised to 240000 counts: 240.0000 m3 at four decimals
        case 4:
            return 7200000; // 720 hours
        case 5:
            return 7440000;
        default:
            return 239901;
        }
    };
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_EQ(reportLines()[7],
              QByteArray("| 25: | 240,0000 | 2400,000 | 24000,00 | 240000,0 | 744,00 | 24,00 | "
                         "24,00 | 24,00 | 720,00 | \r"));
    EXPECT_EQ(session.archive.ArchiveTables[7][23], 240000.0);
}

TEST_F(MonthlyReport, WithoutAnOpenFileTheRecordIsReadThenIoError103) {
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error 103")});
    EXPECT_EQ(asks.size(), 9u);
    EXPECT_EQ(session.display.statusText, QStringLiteral("Считывание месячных архивов"));
    EXPECT_FALSE(QFile::exists(reportPath(Report::Monthly)));
}

TEST_F(MonthlyReport, SilentQuantityStillGivesTheReport) {
    openReports();
    silentQuantities = {2};
    run([&] { monthlyReport(session, QDate(2009, 3, 17)); });
    EXPECT_TRUE(host.errors.isEmpty());
    // 16843009 counts at two decimals: divided by 10.
    EXPECT_TRUE(reportLines()[7].contains(" | 1684300,90 | ")) << reportLines()[7].constData();
    EXPECT_EQ(session.link.RequestCount(), 9 + 11);
    EXPECT_EQ(session.link.TimeoutCount(), 1);
}

} // namespace
} // namespace rt570
