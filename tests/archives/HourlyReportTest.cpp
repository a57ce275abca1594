#include "ArchiveFixture.h"
#include "archives/ArchiveReports.h"
#include "link/OperationError.h"

namespace rt570 {
namespace {

using test::ArchiveAsk;
using test::ArchiveSession;

class HourlyReport : public ArchiveSession {
protected:
    const QDate picked{2014, 1, 5};
};

TEST_F(HourlyReport, WritesTheWholeReportOfTheKnownMeter) {
    openReports();
    std::vector<int> progressAtSend;
    host.onMessagePass = [&] { progressAtSend.push_back(session.display.progress); };
    run([&] { hourlyReport(session, picked); });

    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(reportBytes(Report::Hourly), golden("hourly_2014_01_05.txt"));
    EXPECT_EQ(reportBytes(Report::Hourly).count("\r\n"), 46);
    EXPECT_EQ(reportBytes(Report::Daily), QByteArray());
    EXPECT_EQ(session.display.statusText, QStringLiteral("Архивы записаны"));
    EXPECT_EQ(session.display.progress, 100);
    EXPECT_EQ(session.link.RequestCount(), 234);
    EXPECT_EQ(session.link.ErrorCount(), 0);
    EXPECT_EQ(session.link.TimeoutCount(), 0);

    // 24 hourly records (kind 0, hour h, slot h), the daily record and the integrators of the
    // day (kind 1 and 4, hour 23); floats for the flows of flow records, integers otherwise.
    ASSERT_EQ(asks.size(), 234u);
    for (size_t i = 0; i < asks.size(); ++i) {
        const ArchiveAsk& a = asks[i];
        const int record = int(i / 9);
        const int quantity = int(i % 9);
        const uint8_t kind = record < 24    ? kKindHourly
                             : record == 24 ? kKindDaily
                                            : kKindIntegrators;
        const bool asFloat = kind != kKindIntegrators && quantity < 4;
        ASSERT_EQ(a.command, asFloat ? kCmdArchiveFloat : kCmdArchiveInteger) << i;
        ASSERT_EQ(a.quantity, quantity) << i;
        ASSERT_EQ(a.kind, kind) << i;
        ASSERT_EQ(a.code, 1401050000u + uint32_t(record < 24 ? record : 23) * 100u) << i;
    }
    // The progress moves by 4 after each hour and stands at 100 before the daily record.
    ASSERT_EQ(progressAtSend.size(), 234u);
    EXPECT_EQ(progressAtSend[9], 0);
    EXPECT_EQ(progressAtSend[9 * 23], 88);
    EXPECT_EQ(progressAtSend[9 * 24], 100);
    // The daily record's values sit in slot 5 over the hour row of 05, then the integrators.
    EXPECT_EQ(session.archive.ArchiveTables[0][5], 1005014.0);
    EXPECT_EQ(session.archive.ArchiveTables[0][6], double(float(10 + 5 + 6 / 8.0)));
}

TEST_F(HourlyReport, SilentQuantityStillGivesAWholeReport) {
    openReports();
    silentQuantities = {6}; // operating time of channel 2
    run([&] { hourlyReport(session, picked); });
    EXPECT_TRUE(host.errors.isEmpty());
    const QList<QByteArray> lines = reportBytes(Report::Hourly).split('\n');
    ASSERT_EQ(lines.size(), 47); // 46 lines and the empty rest after the last line end
    // 01 01 01 01 as an integer: 16843009, printed as 1684.30 hours.
    EXPECT_EQ(lines[7], QByteArray("| 00: | 15,0000 | 25,000 |  35,00 |   45,0 | 1,00 | 1684,30 "
                                   "| 1,00 | 1,00 | 1,00 | \r"));
    EXPECT_EQ(lines[42], QByteArray("\xC2\x32 , \xF7\xE0\xF1 :     1684,30  \r"));
    EXPECT_EQ(session.archive.ArchiveTables[6][5], 16843009.0);
    // 25 flow records and one integrator record lost one request each.
    EXPECT_EQ(session.link.RequestCount(), 234 + 25 * 11 + 13);
    EXPECT_EQ(session.link.ErrorCount(), 25 * 11 + 13);
    EXPECT_EQ(session.link.TimeoutCount(), 26);
    EXPECT_TRUE(session.link.LinkFailed());
}

TEST_F(HourlyReport, WithoutAnOpenFileAllHourlyRequestsAreMadeThenIoError103) {
    run([&] { hourlyReport(session, picked); });
    EXPECT_EQ(host.errors, QStringList{QStringLiteral("I/O error 103")});
    EXPECT_EQ(asks.size(), 216u); // the day's records are not asked for
    EXPECT_EQ(session.display.statusText, QStringLiteral("Считывание часовых архивов"));
    EXPECT_EQ(session.display.progress, 100);
    EXPECT_FALSE(QFile::exists(reportPath(Report::Hourly)));
    EXPECT_FALSE(session.busy());
}

TEST_F(HourlyReport, TwoPressesAppendTwoCompleteReports) {
    openReports();
    run([&] { hourlyReport(session, picked); });
    run([&] { hourlyReport(session, picked); });
    const QByteArray one = golden("hourly_2014_01_05.txt");
    EXPECT_EQ(reportBytes(Report::Hourly), one + one);
    EXPECT_EQ(session.link.RequestCount(), 468);
}

TEST_F(HourlyReport, KeepsItsDateWhenThePickerChangesAndIgnoresOtherClicks) {
    openReports();
    bool refused = false;
    host.onMessagePass = [&] {
        selectArchiveDate(session, QDate(2013, 4, 17));
        refused =
            refused || session.runOperation([&] { monthlyReport(session, picked); }).refused();
    };
    run([&] { hourlyReport(session, picked); });
    host.onMessagePass = nullptr;
    EXPECT_TRUE(refused);
    EXPECT_EQ(reportBytes(Report::Hourly), golden("hourly_2014_01_05.txt"));
    EXPECT_EQ(reportBytes(Report::Monthly), QByteArray());
    EXPECT_EQ(asks.size(), 234u);
    // The picker's own state is what it was last set to.
    EXPECT_EQ(session.archive.ArchiveDate.year, 2013);
    EXPECT_EQ(session.archive.DaysInArchiveMonth, 30);
}

TEST_F(HourlyReport, DateOnThe31stUsesSlot31) {
    openReports();
    run([&] { hourlyReport(session, QDate(2009, 8, 31)); });
    EXPECT_TRUE(host.errors.isEmpty());
    EXPECT_EQ(asks.back().code, 908312300u);
    EXPECT_EQ(session.archive.ArchiveTables[4][31], 240000.0 - 40000 - 3100);
    const QList<QByteArray> lines = reportBytes(Report::Hourly).split('\n');
    EXPECT_TRUE(lines[0].endsWith(" 2009.08.31\r"));
    // Mains-off time: 24 h less the day's mains time of 19.69 h.
    EXPECT_TRUE(lines[34].endsWith(" : 4,31  \r")) << lines[34].constData();
}

TEST_F(HourlyReport, MainsOffTimeOfAFullAndAnEmptyDay) {
    openReports();
    const auto mainsOffLine = [&](int32_t dailyMains) {
        integer = [dailyMains](const ArchiveAsk& a) {
            return a.quantity == kMainsQuantity && a.kind == kKindDaily ? dailyMains
                                                                        : test::knownInteger(a);
        };
        run([&] { hourlyReport(session, picked); });
        return reportBytes(Report::Hourly).split('\n').at(34 + 46 * (asks.size() / 234 - 1));
    };
    EXPECT_TRUE(mainsOffLine(240000).endsWith(" : 0,00  \r"));
    EXPECT_TRUE(mainsOffLine(239950).endsWith(" : 0,00  \r")); // raised to a full day
    EXPECT_TRUE(mainsOffLine(0).endsWith(" : 24,00  \r"));
    EXPECT_TRUE(mainsOffLine(228000).endsWith(" : 1,20  \r"));
}

TEST_F(HourlyReport, DumpWritesTheHourlyFlowSlots) {
    openReports();
    dumpHourlyFlows(session);
    run([&] { hourlyReport(session, picked); });
    dumpHourlyFlows(session);
    const QList<QByteArray> lines = reportBytes(Report::Hourly).split('\n');
    ASSERT_EQ(lines.size(), 24 + 46 + 24 + 1);
    EXPECT_EQ(lines[0], QByteArray("000,0000  0,000   0,00    0,0 \r"));
    EXPECT_EQ(lines[23], QByteArray("230,0000  0,000   0,00    0,0 \r"));
    EXPECT_EQ(lines[70], QByteArray("0015,0000 25,000  35,00   45,0 \r"));
    EXPECT_EQ(lines[71], QByteArray("0115,1250 25,125  35,13   45,1 \r"));
    // Slot 5 holds the integrator counts, read last.
    EXPECT_EQ(lines[75], QByteArray("051005014,0000 2005014,000 3005014,00 4005014,0 \r"));
    EXPECT_EQ(session.link.RequestCount(), 234); // the dump asks nothing

    session.reports.ReportFiles[1].close();
    EXPECT_THROW(dumpHourlyFlows(session), OperationError);
}

} // namespace
} // namespace rt570
