#include "session/Connection.h"
#include "link/OperationError.h"
#include "session/Session.h"
#include "support/FailingSync.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::RecordingHost;
using Kind = FakeSerialLine::Call::Kind;

QString conversionError(const QString& text) {
    try {
        toInteger(text);
    } catch (const OperationError& e) {
        return e.message();
    }
    return QString();
}

TEST(Connection, IntegerConversionAcceptsDecimalOnly) {
    EXPECT_EQ(toInteger("3"), 3);
    EXPECT_EQ(toInteger("-1"), -1);
    EXPECT_EQ(toInteger("+12"), 12);
    EXPECT_EQ(toInteger(" 7"), 7);
    EXPECT_EQ(toInteger("2147483647"), 2147483647);
    EXPECT_EQ(conversionError("abc"), "'abc' is not a valid integer value");
    EXPECT_EQ(conversionError(""), "'' is not a valid integer value");
    EXPECT_EQ(conversionError("99999999999"), "'99999999999' is not a valid integer value");
    EXPECT_EQ(conversionError("7 "), "'7 ' is not a valid integer value");
    EXPECT_EQ(conversionError("0x10"), "'0x10' is not a valid integer value");
    EXPECT_EQ(conversionError("١٢"), "'١٢' is not a valid integer value"); // non-ASCII digits
    EXPECT_EQ(conversionError("три"), "'три' is not a valid integer value");
}

TEST(Connection, RateTable) {
    const QStringList items = rateItems();
    ASSERT_EQ(items.size(), 9);
    EXPECT_EQ(items[0], "600,N,8,1");
    EXPECT_EQ(items[4], "9600,N,8,1");
    EXPECT_EQ(items[8], "115200,N,8,1");
    EXPECT_EQ(rateOfItem(4), 9600);
    EXPECT_EQ(rateOfItem(8), 115200);
    EXPECT_EQ(rateOfItem(-1), 0);
    EXPECT_EQ(rateOfItem(9), 0);
}

class ConnectionSteps : public ::testing::Test {
protected:
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
};

TEST_F(ConnectionSteps, StartClosesThreeTimesLogsRateAndOpens) {
    openConnection(session, "1", "3", 4);
    EXPECT_EQ(session.link.DeviceAddress(), 1);
    EXPECT_EQ(session.link.PortNumber(), 3);
    ASSERT_EQ(line.calls.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(line.calls[size_t(i)].kind, Kind::Close);
        EXPECT_EQ(line.calls[size_t(i)].port, 3);
    }
    EXPECT_EQ(line.calls[3].kind, Kind::Open);
    EXPECT_EQ(line.calls[3].port, 3);
    EXPECT_EQ(line.calls[3].rate, 9600u);
    EXPECT_EQ(line.calls[3].dataBits, 8);
    EXPECT_EQ(line.calls[3].parity, 0);
    EXPECT_EQ(line.calls[3].stopBits, 0);
    EXPECT_EQ(session.display.memo.last(), "speed=4");
}

TEST_F(ConnectionSteps, NumbersAreCutToTheirLowByte) {
    openConnection(session, "256", "300", 0);
    EXPECT_EQ(session.link.DeviceAddress(), 0);
    EXPECT_EQ(session.link.PortNumber(), 44);
    openConnection(session, "-1", "1", 8);
    EXPECT_EQ(session.link.DeviceAddress(), 255);
    EXPECT_EQ(line.calls.back().rate, 115200u);
}

TEST_F(ConnectionSteps, NoRateItemOpensNothing) {
    openConnection(session, "1", "3", -1);
    EXPECT_EQ(line.count(Kind::Open), 0);
    EXPECT_EQ(line.count(Kind::Close), 3);
    EXPECT_EQ(session.display.memo.last(), "speed=-1");
}

TEST_F(ConnectionSteps, BadAddressStopsBeforeThePort) {
    session.link.setPortNumber(9);
    EXPECT_THROW(openConnection(session, "abc", "3", 4), OperationError);
    EXPECT_TRUE(line.calls.empty());
    EXPECT_EQ(session.link.PortNumber(), 9);
    EXPECT_TRUE(session.display.memo.isEmpty());
}

TEST_F(ConnectionSteps, CountersResetButLinkFailedKept) {
    session.link.ReadParameter(0); // the line is silent: the request runs out
    ASSERT_EQ(session.link.RequestCount(), 12);
    ASSERT_EQ(session.link.ErrorCount(), 11);
    ASSERT_EQ(session.link.TimeoutCount(), 1);
    resetCounters(session);
    EXPECT_EQ(session.link.RequestCount(), 0);
    EXPECT_EQ(session.link.ErrorCount(), 0);
    EXPECT_EQ(session.link.TimeoutCount(), 0);
    EXPECT_TRUE(session.link.LinkFailed());
}

TEST_F(ConnectionSteps, StopClosesPortAndFilesOnceAndASecondStopIsHarmless) {
    session.link.setPortNumber(3);
    const QString folder = home.path() + "/arc/";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < kReportCount; ++i)
        session.reports.ReportFiles[size_t(i)].create(folder + QString::number(i));
    session.reports.FilesOpen = 1;
    closeConnection(session);
    EXPECT_EQ(line.count(Kind::Close), 1);
    EXPECT_EQ(session.reports.FilesOpen, 0);
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_FALSE(f.isOpen());
    closeConnection(session);
    EXPECT_EQ(line.count(Kind::Close), 2);
}

#ifdef __linux__
TEST_F(ConnectionSteps, StopShowsAFileThatFailsToCloseAndStillClosesTheOthers) {
    const QString folder = home.path() + "/arc/";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (int i = 0; i < kReportCount; ++i)
        session.reports.ReportFiles[size_t(i)].create(folder + QString::number(i) + ".txt");
    session.reports.FilesOpen = 1;
    QString message;
    {
        test::FailingSync failing(QStringLiteral("/arc/1.txt")); // the hourly file, second of four
        try {
            closeConnection(session);
        } catch (const OperationError& e) {
            message = e.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("I/O error %1").arg(EIO));
    EXPECT_EQ(session.reports.FilesOpen, 0);
    for (const ReportFile& f : session.reports.ReportFiles)
        EXPECT_FALSE(f.isOpen());
    closeConnection(session);
}
#endif

TEST_F(ConnectionSteps, StartUpOpensPortOneAndSetsConstants) {
    loadRunState(session);
    openStartUpPort(session);
    ASSERT_EQ(line.calls.size(), 1u);
    EXPECT_EQ(line.calls[0].kind, Kind::Open);
    EXPECT_EQ(line.calls[0].port, 1);
    EXPECT_EQ(line.calls[0].rate, 9600u);
    EXPECT_EQ(session.formats.ScaleTable, kScaleTableStart);
    EXPECT_EQ(session.ParameterNames[0], "Серийный номер");
    EXPECT_EQ(session.nodes.loaded, 0); // no node list in the home folder
}

} // namespace
} // namespace rt570
