#include "link/Link.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <cmath>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::hexBytes;
using test::RecordingHost;
using test::toHex;

QByteArray reply(uint8_t command, uint32_t data, uint8_t index = 0) {
    const ReplyFrame f = makeReply(1, command, index, 0, data);
    return QByteArray(reinterpret_cast<const char*>(f.data()), kFrameLength);
}

class Exchange : public ::testing::Test {
protected:
    void SetUp() override {
        link.setDeviceAddress(1);
        link.setPortNumber(3);
    }
    FakeSerialLine line;
    RecordingHost host;
    Link link{line, host};
};

TEST_F(Exchange, GoodReplyFirstTime) {
    line.queueReply(reply(kCmdParameter, bitsFromFloat(1234.0f)));
    link.ReadParameter(0);
    EXPECT_EQ(link.RequestCount(), 1);
    EXPECT_EQ(link.ErrorCount(), 0);
    EXPECT_EQ(link.TimeoutCount(), 0);
    EXPECT_FALSE(link.LinkFailed());
    EXPECT_EQ(link.values()[0], 1234.0);
    // Flush read (70 ms, 40 bytes), send, message pass, reply read (3000 ms, 11 bytes).
    ASSERT_EQ(line.calls.size(), 3u);
    EXPECT_EQ(line.calls[0].kind, FakeSerialLine::Call::Receive);
    EXPECT_EQ(line.calls[0].timeoutMs, 70);
    EXPECT_EQ(line.calls[0].count, 40);
    EXPECT_EQ(toHex(line.calls[1].bytes), "23 01 05 00 00 00 00 00 00 36 0D");
    EXPECT_EQ(line.calls[1].port, 3);
    EXPECT_EQ(line.calls[2].timeoutMs, 3000);
    EXPECT_EQ(line.calls[2].count, 11);
    EXPECT_EQ(host.messagePasses, 1);
}

TEST_F(Exchange, BadThenGoodCountsOneError) {
    QByteArray bad = reply(kCmdCurrentFloat, bitsFromFloat(2.5f));
    bad[9] = char(bad[9] + 1);
    line.queueReply(bad);
    line.queueReply(reply(kCmdCurrentFloat, bitsFromFloat(2.5f)));
    link.ReadCurrentFloat(2);
    EXPECT_EQ(link.RequestCount(), 2);
    EXPECT_EQ(link.ErrorCount(), 1);
    EXPECT_EQ(link.TimeoutCount(), 0);
    EXPECT_EQ(link.values()[258], 2.5);
    // The repeat sends the same frame with a 30 ms flush read.
    const auto frames = line.sentFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(line.calls[3].timeoutMs, 30);
}

TEST_F(Exchange, SilentMeterRunsOutAndStoresPrefill) {
    link.ReadCurrentInteger(0);
    EXPECT_EQ(line.sentFrames().size(), 11u);
    EXPECT_EQ(link.RequestCount(), 12);
    EXPECT_EQ(link.ErrorCount(), 11);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_TRUE(link.LinkFailed());
    EXPECT_EQ(link.values()[512], 16843009.0);
    EXPECT_EQ(line.virtualMs, 11 * (30 + 3000));

    link.ReadCurrentFloat(1);
    EXPECT_FLOAT_EQ(float(link.values()[257]), floatFromBits(0x01010101));
}

TEST_F(Exchange, ClockReadMakesSixteenAttempts) {
    const ClockReply silent = link.requestClock();
    EXPECT_EQ(line.sentFrames().size(), 16u);
    EXPECT_EQ(link.RequestCount(), 17);
    EXPECT_EQ(link.ErrorCount(), 16);
    EXPECT_EQ(link.TimeoutCount(), 1);
    EXPECT_FALSE(silent.answered);
    EXPECT_EQ(silent.dateCode, 16843009u);
    EXPECT_EQ(silent.seconds, 1);
}

TEST_F(Exchange, ClockReadReturnsTheSecondsAndDateCodeOfTheReply) {
    // 5 January 2014 09:07:03; the seconds come in byte 3.
    line.queueReply(hexBytes("23 01 01 03 00 1B 57 82 53 7C 0D"));
    const ClockReply clock = link.requestClock();
    EXPECT_TRUE(clock.answered);
    EXPECT_EQ(clock.dateCode, 1401050907u);
    EXPECT_EQ(clock.seconds, 3);
}

TEST_F(Exchange, IntegratorAttemptsAreThirteen) {
    link.request(kCmdArchiveInteger, 0, 4, 903152300, kFlushTimeoutMs, kIntegratorAttempts);
    EXPECT_EQ(line.sentFrames().size(), 13u);
    EXPECT_EQ(link.RequestCount(), 14);
    EXPECT_EQ(link.ErrorCount(), 13);
}

TEST_F(Exchange, ParameterLimitAndSigns) {
    line.queueReply(reply(kCmdParameter, bitsFromFloat(1000000.0f)));
    // The next float above the limit, 1000000.0625.
    line.queueReply(reply(kCmdParameter, bitsFromFloat(std::nextafter(1000000.0f, 2e6f))));
    line.queueReply(reply(kCmdParameter, bitsFromFloat(-7.25f)));
    link.ReadParameter(10);
    EXPECT_EQ(link.values()[10], 1000000.0);
    link.ReadParameter(11);
    EXPECT_EQ(link.values()[11], 0.0);
    link.ReadParameter(12);
    EXPECT_EQ(link.values()[12], -7.25);
}

TEST_F(Exchange, IntegerMinusOneAndLastSlots) {
    line.queueReply(hexBytes("00 00 00 00 00 FF FF FF FF 09 0D"));
    line.queueReply(reply(kCmdCurrentFloat, bitsFromFloat(3.0f)));
    link.ReadCurrentInteger(255);
    EXPECT_EQ(link.values()[767], -1.0);
    link.ReadCurrentFloat(255);
    EXPECT_EQ(link.values()[511], 3.0);
    EXPECT_EQ(link.ErrorCount(), 0);
}

TEST_F(Exchange, ForeignHeaderAndNonCrTerminatorAccepted) {
    line.queueReply(hexBytes("00 07 09 00 00 00 24 74 49 F2 01"));
    link.ReadCurrentFloat(0);
    EXPECT_EQ(link.ErrorCount(), 0);
    EXPECT_EQ(link.values()[256], 1000000.0);
}

TEST_F(Exchange, PrefillOncePerRequestAndShortReplyChecksLeftovers) {
    // 10 bytes then silence: byte 10 keeps the pre-fill 1, the sum no longer matches.
    line.queueReply(reply(kCmdCurrentFloat, bitsFromFloat(1.0f)).left(10));
    line.queueReply(reply(kCmdCurrentFloat, bitsFromFloat(1.0f)));
    link.ReadCurrentFloat(0);
    EXPECT_EQ(link.ErrorCount(), 1);
    EXPECT_EQ(link.values()[256], 1.0);
}

TEST_F(Exchange, LateReplyIsTakenByTheNextFlushRead) {
    // Attempt 1 is silent; its reply turns up after the reply read gave up, while the second
    // attempt's flush read waits. The flush read takes it; the second reply is the one checked.
    line.queueSilence();
    line.queueReply(reply(kCmdCurrentFloat, bitsFromFloat(5.0f)));
    line.onRead = [&](int readIndex) {
        if (readIndex == 2)
            line.putOnLine(reply(kCmdCurrentFloat, bitsFromFloat(9.0f)));
    };
    link.ReadCurrentFloat(0);
    EXPECT_EQ(line.calls[3].kind, FakeSerialLine::Call::Receive);
    EXPECT_EQ(line.calls[3].bytes.size(), 11);
    EXPECT_EQ(link.ErrorCount(), 1);
    EXPECT_EQ(link.RequestCount(), 2);
    EXPECT_EQ(link.values()[256], 5.0);
}

TEST_F(Exchange, WriteClockSendsSecondsAndDateCode) {
    line.queueReply(reply(kCmdWriteClock, 0));
    link.WriteClock(56, 712311234);
    EXPECT_EQ(toHex(line.sentFrames().at(0)), "23 01 00 38 00 C2 01 75 2A CB 0D");
}

} // namespace
} // namespace rt570
