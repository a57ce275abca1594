#include "KnownMeterOnPty.h"
#include "archives/ArchiveReports.h"

namespace rt570 {
namespace {

using test::testFile;

class ArchiveReportsOverPty : public test::KnownMeterOnPty {};

TEST_F(ArchiveReportsOverPty, ReportsOfTheKnownMeterAreItsGoldenFiles) {
    // Serial 1234, reporting day 25, and maximum flows that give channels 1 to 4 four down to
    // one decimal.
    meter.parameters = {{0, 1234.0f}, {3, 25.0f},   {10, 8.0f},
                        {20, 50.0f},  {30, 400.0f}, {40, 2500.0f}};
    pcTime = QDateTime(QDate(2014, 1, 20), QTime(10, 0));
    start();
    session.runOperation([this] { hourlyReport(session, QDate(2014, 1, 5)); });
    session.runOperation([this] { dailyReport(session, QDate(2012, 2, 10)); });
    session.runOperation([this] { monthlyReport(session, QDate(2009, 3, 17)); });
    closeConnection(session);

    EXPECT_TRUE(host.errors.isEmpty()) << qPrintable(host.errors.join('|'));
    EXPECT_EQ(session.link.ErrorCount(), 0);
    const QString stem = QStringLiteral("1234D2014_01_20_10_00");
    EXPECT_EQ(reportFile(stem + "_chas.txt"), testFile("archives/data/hourly_2014_01_05.txt"));
    EXPECT_EQ(reportFile(stem + "_sut.txt"), testFile("archives/data/daily_2012_02.txt"));
    EXPECT_EQ(reportFile(stem + "_mes.txt"), testFile("archives/data/monthly_2009_03.txt"));
}

} // namespace
} // namespace rt570
