#include "SimOnPty.h"
#include "link/DateCode.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"
#include "sim/MeterArchive.h"
#include "sim/MeterModel.h"
#include "support/RecordingHost.h"

#include <QDate>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::quickMeter;
using test::RecordingHost;
using test::SimOnPty;

constexpr uint8_t kPort = 3;

// The Qt backend, finding the simulator as port 3 under a temporary home, and a link over it.
class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(sim.isOpen());
        line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
        link.setDeviceAddress(1);
        link.setPortNumber(kPort);
    }
    void TearDown() override { line.Close_Com(kPort); }

    QTemporaryDir home;
    SimOnPty sim{quickMeter(1), home.path(), kPort};
    QtSerialLine line{home.path()};
    RecordingHost host;
    Link link{line, host};
    // The same meter as the simulator's, for the values it must answer.
    sim::MeterModel twin{570};
};

TEST_F(LinkOverPty, ParametersAndPresentValuesAreAnswered) {
    int requests = 0;
    for (uint8_t slot : {0, 3, 9, 10, 20, 30, 40, 50, 135}) {
        link.ReadParameter(slot);
        ++requests;
        EXPECT_EQ(link.values()[slot], double(twin.parameter(slot))) << int(slot);
    }
    for (uint8_t i = 0; i < 4; ++i) {
        link.ReadCurrentFloat(i);
        ++requests;
        EXPECT_GE(link.values()[256 + i], 0.0);
        EXPECT_LE(link.values()[256 + i], double(twin.parameter(uint8_t(10 * (i + 1)))));
    }
    for (uint8_t i = 0; i <= 12; ++i) {
        link.ReadCurrentInteger(i);
        ++requests;
    }
    // Mains time runs at least as long as any channel's operating time; volumes have grown.
    for (int c = 0; c < 4; ++c) {
        EXPECT_GT(link.values()[512 + c], 0.0);
        EXPECT_LE(link.values()[521 + c], link.values()[520]);
    }
    EXPECT_EQ(link.RequestCount(), requests);
    EXPECT_EQ(link.ErrorCount(), 0);
    EXPECT_EQ(link.TimeoutCount(), 0);
    EXPECT_FALSE(link.LinkFailed());
}

TEST_F(LinkOverPty, ClockIsSetAndReadBack) {
    link.WriteClock(9, 1403081704);
    const ClockReply clock = link.requestClock();
    EXPECT_TRUE(clock.answered);
    EXPECT_EQ(clock.dateCode, 1403081704u);
    EXPECT_GE(clock.seconds, 9);
    EXPECT_LE(clock.seconds, 11);
    EXPECT_EQ(link.RequestCount(), 2);
    EXPECT_EQ(link.ErrorCount(), 0);
}

TEST_F(LinkOverPty, ArchiveRecordsAreAnswered) {
    const QDate yesterday = QDate::currentDate().addDays(-1);
    const uint32_t day =
        packDateCode(yesterday.year() - 2000, yesterday.month(), yesterday.day(), 0, 0);
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        ASSERT_TRUE(link.request(kCmdArchiveInteger, q, kKindIntegrators, day + 2300,
                                 kFlushTimeoutMs, kIntegratorAttempts));
        EXPECT_EQ(link.replyInteger(), twin.archiveInteger(kKindIntegrators, q, day + 2300));
        ASSERT_TRUE(link.request(kCmdArchiveInteger, q, kKindHourly, day + 700, kFlushTimeoutMs,
                                 kRequestAttempts));
        EXPECT_EQ(link.replyInteger(), twin.archiveInteger(kKindHourly, q, day + 700));
    }
    for (uint8_t q = 0; q < 4; ++q) {
        ASSERT_TRUE(link.request(kCmdArchiveFloat, q, kKindDaily, day + 2300, kFlushTimeoutMs,
                                 kRequestAttempts));
        EXPECT_EQ(link.replyFloat(), twin.archiveFloat(kKindDaily, q, day + 2300));
        EXPECT_GT(link.replyFloat(), 0.0f);
    }
    EXPECT_EQ(link.ErrorCount(), 0);
}

TEST(LinkWrongAddress, MeterOnAnotherAddressStaysSilent) {
    QTemporaryDir home;
    SimOnPty sim(quickMeter(5), home.path(), kPort);
    ASSERT_TRUE(sim.isOpen());
    QtSerialLine line(home.path());
    RecordingHost host;
    Link link(line, host);
    line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
    link.setDeviceAddress(1);
    link.setPortNumber(kPort);
    link.ReadParameter(0);
    EXPECT_EQ(link.RequestCount(), 12);
    EXPECT_EQ(link.ErrorCount(), 11);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_TRUE(link.LinkFailed());
    // Nothing came back: the stored value is the pre-fill's decoding.
    EXPECT_EQ(link.values()[0], double(floatFromBits(0x01010101)));
    EXPECT_EQ(host.messagePasses, 11);
    // The same meter answers at its own address.
    link.setDeviceAddress(5);
    link.ReadParameter(0);
    EXPECT_EQ(link.RequestCount(), 13);
    EXPECT_EQ(link.values()[0], 20570.0);
}

} // namespace
} // namespace rt570
