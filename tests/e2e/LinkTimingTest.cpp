#include "SimOnPty.h"
#include "link/Frame.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <array>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace rt570 {
namespace {

using test::quickMeter;
using test::SimOnPty;

// The buffer's first four bytes, little-endian: a reply's tail read from its middle.
uint32_t firstWord(const std::array<uint8_t, 64>& b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

constexpr uint8_t kPort = 5;

long long threadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

class LinkTiming : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim->isOpen());
        line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
        buffer.fill(0xEE);
    }
    void send(uint8_t command, uint8_t index = 0, uint8_t address = 1) {
        const RequestFrame f = makeRequest(address, command, index, 0, 0);
        ASSERT_EQ(line.Send_Binary(kPort, f.data(), kFrameLength), kFrameLength);
    }
    uint16_t receive(int timeoutMs, int count) {
        return line.Receive_Binary(kPort, buffer.data(), timeoutMs, count);
    }

    QTemporaryDir home;
    std::unique_ptr<SimOnPty> sim = std::make_unique<SimOnPty>(quickMeter(), home.path(), kPort);
    QtSerialLine line{home.path()};
    std::array<uint8_t, 64> buffer{};
    QElapsedTimer clock;
};

TEST_F(LinkTiming, ReplyReadReturnsAsSoonAsElevenBytesArrived) {
    send(kCmdParameter, 10);
    clock.start();
    EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(replyChecksumOk(frameAt(buffer)));
    EXPECT_EQ(frameData(frameAt(buffer)), bitsFromFloat(8.0f));
    // Bytes beyond the count asked for are left alone.
    EXPECT_EQ(buffer[kFrameLength], 0xEE);
}

TEST_F(LinkTiming, PacedAndDelayedRepliesStillReturnOnArrival) {
    sim.reset();
    sim::SimOptions o = quickMeter();
    o.latencyMs = 200;
    o.baud = 1200; // 11 bytes take about 92 ms
    sim = std::make_unique<SimOnPty>(o, home.path(), kPort);
    line.Open_Com(kPort, 1200, kDataBits, kParityNone, kOneStopBit);
    send(kCmdParameter, 0);
    clock.start();
    EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(replyChecksumOk(frameAt(buffer)));
}

TEST_F(LinkTiming, SilentReadWaitsOutItsTimeOutAndLeavesTheBuffer) {
    send(kCmdParameter, 0, 9); // nobody at address 9
    clock.start();
    EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), 0);
    EXPECT_GE(clock.elapsed(), 2900);
    EXPECT_LE(clock.elapsed(), 3600);
    for (uint8_t b : buffer)
        ASSERT_EQ(b, 0xEE);
}

TEST_F(LinkTiming, ExtraBytesWaitForTheNextRead) {
    send(kCmdParameter, 10);
    send(kCmdParameter, 20);
    clock.start();
    // A flush-style read for 40 bytes gets both replies at its time-out.
    EXPECT_EQ(receive(300, 40), 2 * kFrameLength);
    EXPECT_GE(clock.elapsed(), 280);
    EXPECT_EQ(frameData(frameAt(buffer, kFrameLength)), bitsFromFloat(50.0f));

    send(kCmdParameter, 30);
    send(kCmdParameter, 40);
    ASSERT_EQ(receive(kReplyTimeoutMs, 5), 5);
    EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_EQ(firstWord(buffer), bitsFromFloat(400.0f));
    clock.start();
    EXPECT_EQ(receive(kReplyTimeoutMs, 5), 5);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(firstWord(buffer), bitsFromFloat(2500.0f));
}

TEST_F(LinkTiming, VanishedPeerReadsLikeASilentLineWithoutSpinning) {
    send(kCmdParameter, 0);
    ASSERT_EQ(receive(kReplyTimeoutMs, kFrameLength), kFrameLength);
    sim->stop(); // the pty master closes under the open port
    for (int i = 0; i < 2; ++i) {
        const RequestFrame f = makeRequest(1, kCmdParameter, 0, 0, 0);
        line.Send_Binary(kPort, f.data(), kFrameLength);
        buffer.fill(0xEE);
        const long long cpuBefore = threadCpuMs();
        clock.start();
        EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), 0);
        const long long wall = clock.elapsed();
        const long long cpu = threadCpuMs() - cpuBefore;
        EXPECT_GE(wall, 2900);
        EXPECT_LE(wall, 3600);
        EXPECT_LT(cpu, wall / 10) << "cpu " << cpu << " ms over " << wall << " ms";
        EXPECT_EQ(buffer[0], 0xEE);
    }
    // The next open finds a new simulator on the same link.
    sim = std::make_unique<SimOnPty>(quickMeter(), home.path(), kPort);
    ASSERT_TRUE(sim->isOpen());
    line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
    send(kCmdParameter, 3);
    EXPECT_EQ(receive(kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_TRUE(replyChecksumOk(frameAt(buffer)));
}

TEST_F(LinkTiming, PortsNotOpenActSilentAndCloseIsHarmless) {
    line.Close_Com(7);
    line.Close_Com(kPort);
    line.Close_Com(kPort);
    const RequestFrame f = makeRequest(1, kCmdParameter, 0, 0, 0);
    EXPECT_EQ(line.Send_Binary(kPort, f.data(), kFrameLength), 0);
    clock.start();
    EXPECT_EQ(receive(200, kFrameLength), 0);
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_EQ(buffer[0], 0xEE);
    // A device that cannot be opened leaves the port silent too.
    line.Open_Com(8, 9600, kDataBits, kParityNone, kOneStopBit);
    EXPECT_EQ(line.Send_Binary(8, f.data(), kFrameLength), 0);
    EXPECT_EQ(line.Receive_Binary(8, buffer.data(), 100, kFrameLength), 0);
}

TEST_F(LinkTiming, OneDeviceUnderTwoPortNumbersMovesToTheLastOpened) {
    // As at start-up (port 1) and then Start (port 3) with every port on one device.
    line.Close_Com(kPort);
    QtSerialLine shared(home.path());
    shared.setDeviceOverride(sim->slavePath());
    shared.Open_Com(1, 9600, kDataBits, kParityNone, kOneStopBit);
    shared.Open_Com(3, 9600, kDataBits, kParityNone, kOneStopBit);
    const RequestFrame f = makeRequest(1, kCmdParameter, 20, 0, 0);
    EXPECT_EQ(shared.Send_Binary(3, f.data(), kFrameLength), kFrameLength);
    EXPECT_EQ(shared.Receive_Binary(3, buffer.data(), kReplyTimeoutMs, kFrameLength), kFrameLength);
    EXPECT_EQ(frameData(frameAt(buffer)), bitsFromFloat(50.0f));
    EXPECT_EQ(shared.Send_Binary(1, f.data(), kFrameLength), 0);
}

TEST(QtSerialLinePaths, HomeLinksFirstThenTheSystemsPorts) {
    QTemporaryDir home;
    QtSerialLine line(home.path());
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/device"), home.filePath("com3")));
    QFile plain(home.filePath("com4"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    // A link whose device is missing still names the port: no fall-back to a built-in port.
    EXPECT_EQ(line.devicePath(3), home.filePath("com3"));
    EXPECT_EQ(line.devicePath(4), home.filePath("com4"));
    EXPECT_EQ(line.devicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(line.devicePath(12), QStringLiteral("/dev/ttyS11"));
    EXPECT_EQ(QtSerialLine(home.path() + "/").devicePath(3), home.filePath("com3"));
    line.setDeviceOverride(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(line.devicePath(3), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(line.devicePath(1), QStringLiteral("/dev/ttyUSB0"));
}

} // namespace
} // namespace rt570
