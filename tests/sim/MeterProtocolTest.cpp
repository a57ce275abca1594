#include "sim/MeterProtocol.h"
#include "link/Link.h"
#include "sim/MeterModel.h"
#include "sim/SimTestSupport.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <array>
#include <gtest/gtest.h>
#include <random>

namespace rt570::sim {
namespace {

using rt570::test::hexBytes;
using rt570::test::toHex;
using test::bytesOf;
using test::request;

class Protocol : public ::testing::Test {
protected:
    MeterModel model{570, 20417, 1, test::fixedPcTime};
    MeterProtocol protocol{model, 1};
};

TEST_F(Protocol, ParameterReplyIsTheModelsValueInAFrame) {
    // Serial 20417 = 0x469F8200 as a float.
    EXPECT_EQ(toHex(protocol.feed(hexBytes("23 01 05 00 00 00 00 00 00 36 0D"))),
              "23 01 05 00 00 00 82 9F 46 9D 0D");
    EXPECT_EQ(protocol.feed(request(1, kCmdParameter, 10)),
              bytesOf(makeReply(1, kCmdParameter, 10, 0, bitsFromFloat(8.0f))));
    EXPECT_EQ(protocol.answered(), 2);
}

TEST_F(Protocol, EveryCommandIsAnsweredWithAGoodFrame) {
    const uint32_t code = 1403150700; // 2014-03-15 07:00
    const struct {
        uint8_t command, index, extra;
        uint32_t data;
    } cases[] = {{kCmdWriteClock, 9, 0, 1403081704}, {kCmdReadClock, 0, 0, 0},
                 {kCmdCurrentFloat, 2, 0, 0},        {kCmdParameter, 40, 0, 0},
                 {kCmdCurrentInteger, 12, 0, 0},     {kCmdArchiveFloat, 1, 0, code},
                 {kCmdArchiveInteger, 4, 1, code}};
    for (const auto& c : cases) {
        const QByteArray reply = protocol.feed(request(1, c.command, c.index, c.extra, c.data));
        ASSERT_EQ(reply.size(), kFrameLength) << int(c.command);
        const Frame b = frameAt(reply);
        EXPECT_TRUE(replyChecksumOk(b));
        EXPECT_EQ(b[0], kFrameStart);
        EXPECT_EQ(b[2], c.command);
        EXPECT_EQ(b[4], c.extra);
        EXPECT_EQ(b[10], kFrameEnd);
    }
    EXPECT_EQ(protocol.answered(), 7);
    EXPECT_EQ(protocol.ignored(), 0);
}

TEST_F(Protocol, ArchiveRepliesCarryTheModelsRecord) {
    const uint32_t code = 1403150700;
    QByteArray r = protocol.feed(request(1, kCmdArchiveInteger, 4, 0, code));
    EXPECT_EQ(frameData(frameAt(r)), uint32_t(model.archiveInteger(0, 4, code)));
    r = protocol.feed(request(1, kCmdArchiveFloat, 3, 1, code));
    EXPECT_EQ(frameData(frameAt(r)), bitsFromFloat(model.archiveFloat(1, 3, code)));
}

TEST_F(Protocol, ClockWriteThenReadGivesTheTimeWritten) {
    protocol.feed(request(1, kCmdWriteClock, 9, 0, 1403081704));
    EXPECT_EQ(toHex(protocol.feed(request(1, kCmdReadClock))),
              toHex(bytesOf(makeReply(1, kCmdReadClock, 9, 0, 1403081704))));
}

TEST_F(Protocol, WrongChecksumOtherAddressAndUnknownCommandStaySilent) {
    QByteArray bad = request(1, kCmdParameter, 0);
    bad[kChecksumByte] = char(bad[kChecksumByte] + 1);
    EXPECT_TRUE(protocol.feed(bad).isEmpty());
    EXPECT_TRUE(protocol.feed(request(2, kCmdParameter, 0)).isEmpty());
    EXPECT_TRUE(protocol.feed(request(1, 7, 0)).isEmpty());
    QByteArray noCr = request(1, kCmdParameter, 0);
    noCr[10] = 0x0A;
    noCr[kChecksumByte] = char(frameChecksum(frameAt(noCr)));
    EXPECT_TRUE(protocol.feed(noCr).isEmpty());
    EXPECT_EQ(protocol.answered(), 0);
    // A good frame right after is answered: nothing of the rejected ones was left behind.
    EXPECT_EQ(protocol.feed(request(1, kCmdParameter, 3)).size(), kFrameLength);
}

TEST_F(Protocol, ResynchronisesOnTheNextStartAfterJunk) {
    const QByteArray frame = request(1, kCmdParameter, 10);
    const QByteArray expected = bytesOf(makeReply(1, kCmdParameter, 10, 0, bitsFromFloat(8.0f)));
    // Modem commands, then a stray "#" with junk, then the frame.
    EXPECT_EQ(protocol.feed("ATD+79001234567\r+++ATH\r" + hexBytes("23 07 23 00") + frame),
              expected);
    EXPECT_GE(protocol.skippedBytes(), 25);
    // A frame that comes one byte at a time is answered when its last byte arrives.
    for (int i = 0; i < kFrameLength - 1; ++i)
        EXPECT_TRUE(protocol.feed(frame.mid(i, 1)).isEmpty());
    EXPECT_EQ(protocol.feed(frame.right(1)), expected);
    // Two frames in one piece get two replies, in order.
    EXPECT_EQ(protocol.feed(frame + request(1, kCmdParameter, 20)).size(), 2 * kFrameLength);
}

TEST_F(Protocol, RandomBytesNeverWedgeIt) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255);
    int framesSent = 0;
    QByteArray replies;
    for (int round = 0; round < 2000; ++round) {
        QByteArray junk;
        const int length = byte(random) % 40;
        for (int i = 0; i < length; ++i)
            junk.append(char(byte(random)));
        // Any command, index, kind and date: whatever the model cannot know reads as zeros.
        const uint8_t command =
            uint8_t(std::array<int, 7>{0, 1, 4, 5, 8, 11, 12}[size_t(round % 7)]);
        const uint32_t data = uint32_t(random());
        replies += protocol.feed(junk);
        replies += protocol.feed(request(1, command, uint8_t(byte(random)), uint8_t(byte(random)),
                                         command == kCmdWriteClock ? 0 : data));
        ++framesSent;
    }
    // Junk may itself hold a well-formed frame now and then, never less than every real one.
    EXPECT_GE(replies.size() / kFrameLength, framesSent);
    EXPECT_EQ(replies.size() % kFrameLength, 0);
    EXPECT_EQ(protocol.feed(request(1, kCmdParameter, 10)),
              bytesOf(makeReply(1, kCmdParameter, 10, 0, bitsFromFloat(8.0f))));
}

TEST_F(Protocol, ForeignAddressIsConfigurable) {
    MeterProtocol other(model, 200);
    EXPECT_TRUE(other.feed(request(1, kCmdParameter)).isEmpty());
    EXPECT_EQ(uint8_t(other.feed(request(200, kCmdParameter)).at(1)), 200);
}

// The link layer's own routines against the protocol, through the scripted line.
TEST_F(Protocol, LinkRoutinesStoreWhatTheModelSays) {
    rt570::test::FakeSerialLine line;
    rt570::test::RecordingHost host;
    line.responder = [&](const QByteArray& sent) { return protocol.feed(sent); };
    Link link(line, host);
    link.setDeviceAddress(1);
    for (uint8_t slot : {0, 3, 9, 10, 20, 30, 40, 138}) {
        link.ReadParameter(slot);
        EXPECT_EQ(link.values()[slot], double(model.parameter(slot))) << int(slot);
    }
    for (uint8_t i = 0; i < 4; ++i) {
        link.ReadCurrentFloat(i);
        EXPECT_EQ(link.values()[256 + i], double(model.currentFloat(i)));
    }
    for (uint8_t i = 0; i <= 12; ++i) {
        link.ReadCurrentInteger(i);
        EXPECT_EQ(link.values()[512 + i], double(model.currentInteger(i)));
    }
    link.WriteClock(9, 1403081704);
    const ClockReply clock = link.requestClock();
    EXPECT_EQ(clock.dateCode, 1403081704u);
    EXPECT_EQ(clock.seconds, 9);
    EXPECT_EQ(link.ErrorCount(), 0);
    EXPECT_FALSE(link.LinkFailed());
}

} // namespace
} // namespace rt570::sim
