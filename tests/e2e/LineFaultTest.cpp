// Faults on the line, each scripted byte for byte by a peer on a pseudo-terminal, against the
// link routines on the Qt backend: the counters, the value stored and what each read took.

#include "WatchedLine.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"
#include "support/FakeSerialLine.h"
#include "support/PtyPeer.h"
#include "support/RecordingHost.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace rt570 {
namespace {

using test::PtyPeer;
using test::RecordingHost;
using test::toHex;
using test::WatchedLine;
using Script = PtyPeer::Script;

constexpr uint8_t kPort = 6;
constexpr uint8_t kAddress = 1;

QByteArray floatReply(uint8_t command, uint8_t index, float value) {
    return PtyPeer::bytesOf(makeReply(kAddress, command, index, 0, bitsFromFloat(value)));
}

QByteArray integerReply(uint8_t command, uint8_t index, int32_t value) {
    return PtyPeer::bytesOf(makeReply(kAddress, command, index, 0, uint32_t(value)));
}

// The same reply with its checksum byte off by one.
QByteArray withWrongSum(QByteArray reply) {
    reply[kChecksumByte] = char(uint8_t(reply[kChecksumByte]) + 1);
    return reply;
}

class LineFault : public ::testing::Test {
protected:
    void start(PtyPeer::Answer answer) {
        peer = std::make_unique<PtyPeer>(home.filePath(QStringLiteral("com6")), std::move(answer));
        ASSERT_TRUE(peer->isOpen());
        qt.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
        link.setDeviceAddress(kAddress);
        link.setPortNumber(kPort);
    }
    void expectCounters(int requests, int errors, int timeouts, int failed) const {
        EXPECT_EQ(link.RequestCount(), requests);
        EXPECT_EQ(link.ErrorCount(), errors);
        EXPECT_EQ(link.TimeoutCount(), timeouts);
        EXPECT_EQ(link.LinkFailed(), failed);
    }
    // Every frame the peer got is the same request, unchanged between attempts.
    void expectFramesAllEqual(size_t count, const char* hex) const {
        const auto frames = peer->frames();
        ASSERT_EQ(frames.size(), count);
        for (const QByteArray& frame : frames)
            EXPECT_EQ(toHex(frame), hex);
    }

    QTemporaryDir home;
    std::unique_ptr<PtyPeer> peer; // outlives the port, which closes first
    QtSerialLine qt{home.path()};
    WatchedLine line{qt};
    RecordingHost host;
    Link link{line, host};
};

TEST_F(LineFault, WrongSumAtTheFirstAttemptRightAtTheSecond) {
    start([](int n, const QByteArray&) -> Script {
        if (n == 0)
            return {{0, withWrongSum(floatReply(kCmdParameter, 10, 99.0f))}};
        return {{0, floatReply(kCmdParameter, 10, 8.0f)}};
    });
    link.ReadParameter(10);
    expectCounters(2, 1, 0, 0);
    expectFramesAllEqual(2, "23 01 05 0A 00 00 00 00 00 40 0D");
    // The second reply is the one stored, not the garbled first.
    EXPECT_EQ(link.values()[10], 8.0);
    EXPECT_FALSE(link.ReplyBad());
    EXPECT_EQ(link.ReceiveResult(), 11);
    ASSERT_EQ(line.reads.size(), 4u);
    EXPECT_EQ(line.reads[1].result, 11);
    EXPECT_LT(line.reads[1].elapsedMs, 1000); // a whole frame ends the read at once
}

TEST_F(LineFault, EveryAttemptWrongStoresTheLastRepliesData) {
    start([](int n, const QByteArray&) -> Script {
        return {{0, withWrongSum(integerReply(kCmdCurrentInteger, 2, 1000 + n))}};
    });
    link.ReadCurrentInteger(2);
    expectCounters(12, 11, 1, 1);
    expectFramesAllEqual(11, "23 01 08 02 00 00 00 00 00 3B 0D");
    EXPECT_TRUE(link.ReplyBad());
    // Decoded from what the eleventh attempt left in the buffer.
    EXPECT_EQ(link.values()[kIntegerSection + 2], 1010.0);
}

TEST_F(LineFault, TenBytesThenSilenceFailsTheAttemptOnThePrefill) {
    const QByteArray first = floatReply(kCmdCurrentFloat, 0, 1.5f);
    start([first](int n, const QByteArray&) -> Script {
        if (n == 0)
            return {{0, first.left(10)}};
        return {{0, floatReply(kCmdCurrentFloat, 0, 2.5f)}};
    });
    QByteArray bufferAtSecondAttempt;
    host.onMessagePass = [&] {
        if (host.messagePasses == 2)
            bufferAtSecondAttempt =
                QByteArray(reinterpret_cast<const char*>(link.replyBuffer().data()), 12);
    };
    link.ReadCurrentFloat(0);
    expectCounters(2, 1, 0, 0);
    EXPECT_EQ(link.values()[kFloatSection], 2.5);
    ASSERT_EQ(line.reads.size(), 4u);
    // The first reply read waited out its 3000 ms for the missing byte.
    EXPECT_EQ(line.reads[1].result, 10);
    EXPECT_GE(line.reads[1].elapsedMs, 2900);
    EXPECT_LE(line.reads[1].elapsedMs, 3600);
    // Byte 10 still held the pre-fill when the sum was checked; the flush read found nothing.
    EXPECT_EQ(toHex(bufferAtSecondAttempt), toHex(first.left(10) + "\x01\x01"));
    EXPECT_EQ(line.reads[2].result, 0);
}

TEST_F(LineFault, ReplyDribbledOneBytePerTenthOfASecondIsAccepted) {
    const QByteArray reply = floatReply(kCmdCurrentFloat, 3, 123.25f);
    start([reply](int, const QByteArray&) {
        Script script;
        for (char byte : reply)
            script.push_back({100, QByteArray(1, byte)});
        return script;
    });
    link.ReadCurrentFloat(3);
    expectCounters(1, 0, 0, 0);
    EXPECT_EQ(link.values()[kFloatSection + 3], 123.25);
    ASSERT_EQ(line.reads.size(), 2u);
    EXPECT_EQ(line.reads[1].result, 11);
    EXPECT_GE(line.reads[1].elapsedMs, 1000);
    EXPECT_LT(line.reads[1].elapsedMs, 2900);
}

TEST_F(LineFault, JunkInFrontOfAReplyCostsOneAttempt) {
    start([](int n, const QByteArray&) -> Script {
        if (n == 0)
            return {{0, QByteArray("\x00\xFF\x17", 3) + floatReply(kCmdCurrentFloat, 5, 7.0f)}};
        return {{0, floatReply(kCmdCurrentFloat, 5, 9.0f)}};
    });
    link.ReadCurrentFloat(5);
    expectCounters(2, 1, 0, 0);
    EXPECT_EQ(link.values()[kFloatSection + 5], 9.0);
    ASSERT_EQ(line.reads.size(), 4u);
    // The reply read took the junk and the first 8 bytes of the reply; the flush read of the
    // next attempt took the remaining 3 off the line.
    EXPECT_EQ(line.reads[1].result, 11);
    EXPECT_EQ(toHex(line.reads[1].bytes.left(3)), "00 FF 17");
    EXPECT_EQ(line.reads[2].result, 3);
    EXPECT_EQ(line.reads[3].bytes, floatReply(kCmdCurrentFloat, 5, 9.0f));
}

TEST_F(LineFault, StaleBytesOnTheLineGoWithTheFlushRead) {
    start([](int, const QByteArray&) -> Script {
        return {{0, floatReply(kCmdCurrentFloat, 6, 4.0f)}};
    });
    // A modem's words left on the line before the request.
    peer->putOnLine(QByteArray("\r\nNO CARRIER\r\n"));
    QElapsedTimer waited;
    waited.start();
    while (peer->unaskedWritten() < 1 && waited.elapsed() < 10000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(peer->unaskedWritten(), 1);
    link.ReadCurrentFloat(6);
    expectCounters(1, 0, 0, 0);
    EXPECT_EQ(link.values()[kFloatSection + 6], 4.0);
    ASSERT_EQ(line.reads.size(), 2u);
    EXPECT_EQ(line.reads[0].bytes, QByteArray("\r\nNO CARRIER\r\n"));
}

TEST_F(LineFault, TwelveByteReplyLeavesItsLastByteForTheNextFlush) {
    start([](int n, const QByteArray&) -> Script {
        if (n == 0)
            return {{0, floatReply(kCmdCurrentFloat, 1, 11.0f) + "\n"}};
        return {{0, floatReply(kCmdCurrentFloat, 2, 22.0f)}};
    });
    link.ReadCurrentFloat(1);
    link.ReadCurrentFloat(2);
    expectCounters(2, 0, 0, 0);
    EXPECT_EQ(link.values()[kFloatSection + 1], 11.0);
    EXPECT_EQ(link.values()[kFloatSection + 2], 22.0);
    ASSERT_EQ(line.reads.size(), 4u);
    EXPECT_EQ(line.reads[1].result, 11);
    EXPECT_EQ(line.reads[2].bytes, QByteArray("\n"));
}

TEST_F(LineFault, LateReplyGoesWithTheNextFlushAndTheAttemptsOwnReplyIsChecked) {
    // The first request gets no answer in time; its reply arrives while the second attempt's
    // flush read waits, carrying another value than the second attempt's own reply.
    const QByteArray late = floatReply(kCmdParameter, 20, 111.0f);
    const QByteArray own = floatReply(kCmdParameter, 20, 50.0f);
    start([own](int n, const QByteArray&) -> Script {
        if (n == 0)
            return {};
        return {{0, own}};
    });
    // Written by the peer as the flush read begins; the read waits 70 ms for it.
    line.beforeRead = [&](int readIndex, int) {
        if (readIndex == 2)
            peer->putOnLine(late);
    };
    link.ReadParameter(20);
    expectCounters(2, 1, 0, 0);
    EXPECT_EQ(link.values()[20], 50.0);
    ASSERT_EQ(line.reads.size(), 4u);
    EXPECT_EQ(line.reads[1].result, 0);
    EXPECT_GE(line.reads[1].elapsedMs, 2900);
    EXPECT_EQ(line.reads[2].timeoutMs, kParameterFlushTimeoutMs);
    EXPECT_EQ(line.reads[2].bytes, late);
    EXPECT_EQ(line.reads[3].bytes, own);
}

} // namespace
} // namespace rt570
