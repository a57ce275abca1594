#include "archives/ArchiveDate.h"
#include "archives/ArchiveReports.h"
#include "link/OperationError.h"
#include "session/Session.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>
#include <limits>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::RecordingHost;

TEST(ArchiveDateCode, PacksDateAndHourWithZeroMinutes) {
    EXPECT_EQ(archiveDateCode(9, 3, 15, 7), 903150700u);
    EXPECT_EQ(archiveDateCode(12, 2, 29, 23), 1202292300u);
    EXPECT_EQ(archiveDateCode(42, 12, 31, 23), 4212312300u); // the last date that fits
    EXPECT_EQ(archiveDateCode(0, 1, 1, 0), 1010000u);
    EXPECT_EQ(archiveDateCode(14, 1, 0, 23), 1401002300u); // day 0 of the running month
    // A year before 2000 wraps in 32-bit arithmetic: December 1999 as 2^32 - 10^8 + 12312300.
    EXPECT_EQ(archiveDateCode(-1, 12, 31, 23), 4207279596u);
}

TEST(ArchiveDateCode, DaysOfMonthWithLeapYears) {
    EXPECT_EQ(daysInMonth(2012, 2), 29);
    EXPECT_EQ(daysInMonth(2013, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2013, 4), 30);
    EXPECT_EQ(daysInMonth(2009, 8), 31);
    EXPECT_EQ(daysInMonth(1999, 12), 31);
    EXPECT_EQ(daysInMonth(2009, 13), 0);
}

TEST(ArchiveDateCode, ReportingDayIsTruncatedAndGarbageCountsAsZero) {
    EXPECT_EQ(reportingDay(25.9), 25);
    EXPECT_EQ(reportingDay(0), 0);
    EXPECT_EQ(reportingDay(-3.7), -3);
    EXPECT_EQ(reportingDay(1000000), 1000000);
    EXPECT_EQ(reportingDay(-3e38), 0);
    EXPECT_EQ(reportingDay(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(reportingDay(std::numeric_limits<double>::infinity()), 0);
}

TEST(ArchiveDateCode, RangeIsWhatTheCodeCanHold) {
    EXPECT_TRUE(archiveDateInRange(QDate(2000, 1, 1)));
    EXPECT_TRUE(archiveDateInRange(QDate(2042, 12, 31)));
    EXPECT_FALSE(archiveDateInRange(QDate(1999, 12, 31)));
    EXPECT_FALSE(archiveDateInRange(QDate(2043, 1, 1)));
    EXPECT_FALSE(archiveDateInRange(QDate()));
}

class PickedDate : public ::testing::Test {
protected:
    FakeSerialLine line;
    RecordingHost host;
    Session session{line, host, QStringLiteral("/nonexistent")};
};

TEST_F(PickedDate, PickerChangeKeepsTheFullYearAndTheTime) {
    session.SelectedDate = QDateTime(QDate(2014, 1, 5), QTime(9, 7, 3));
    selectArchiveDate(session, QDate(2012, 2, 29));
    EXPECT_EQ(session.SelectedDate, QDateTime(QDate(2012, 2, 29), QTime(9, 7, 3)));
    EXPECT_EQ(session.archive.ArchiveDate.year, 2012);
    EXPECT_EQ(session.archive.ArchiveDate.month, 2);
    EXPECT_EQ(session.archive.ArchiveDate.day, 29);
    EXPECT_EQ(session.archive.DaysInArchiveMonth, 29);
    selectArchiveDate(session, QDate(2013, 4, 17));
    EXPECT_EQ(session.archive.DaysInArchiveMonth, 30);
}

TEST_F(PickedDate, OperationTakesTheDateWithTwoDigitYear) {
    const ArchiveDateParts date = takeArchiveDate(session, QDate(2009, 3, 15));
    EXPECT_EQ(date.year, 9);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.day, 15);
    EXPECT_EQ(session.archive.ArchiveDate.year, 9);
    EXPECT_EQ(session.SelectedDate.date(), QDate(2009, 3, 15));
}

TEST_F(PickedDate, DatesOutsideTheRangeAreRefusedBeforeAnyRequest) {
    for (const QDate& bad : {QDate(1999, 12, 31), QDate(2043, 1, 1), QDate()}) {
        session.display.statusText = QStringLiteral("_");
        EXPECT_TRUE(session.runOperation([&] { hourlyReport(session, bad); }).failed());
        ASSERT_FALSE(host.errors.isEmpty());
        EXPECT_EQ(host.errors.last(),
                  QStringLiteral("Дата архива должна быть в пределах 01.01.2000 - 31.12.2042"));
        EXPECT_EQ(session.display.statusText, QStringLiteral("_"));
    }
    EXPECT_THROW(dailyReport(session, QDate(2050, 5, 1)), OperationError);
    EXPECT_THROW(monthlyReport(session, QDate(1990, 5, 1)), OperationError);
    EXPECT_EQ(line.count(FakeSerialLine::Call::Send), 0);
    EXPECT_EQ(session.link.RequestCount(), 0);
}

} // namespace
} // namespace rt570
