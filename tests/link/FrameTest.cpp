#include "link/Frame.h"
#include "support/FakeSerialLine.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::hexBytes;
using test::toHex;

QByteArray bytes(const Frame& f) {
    return QByteArray(reinterpret_cast<const char*>(f.data()), int(f.size()));
}

TEST(Frame, WorkedRequestExamples) {
    EXPECT_EQ(toHex(bytes(makeRequest(1, kCmdParameter, 0, 0, 0))),
              "23 01 05 00 00 00 00 00 00 36 0D");
    // 2007-12-31 12:34:56 to meter 1.
    EXPECT_EQ(toHex(bytes(makeRequest(1, kCmdWriteClock, 56, 0, 712311234))),
              "23 01 00 38 00 C2 01 75 2A CB 0D");
    // Hourly record of 15 March 2009, hour 7.
    EXPECT_EQ(toHex(bytes(makeRequest(1, kCmdArchiveFloat, 0, 0, 903150700))).mid(15, 11),
              "6C FC D4 35");
}

TEST(Frame, ChecksumWrapsModulo256) {
    // Bytes 0..8 summing to 250: 0x23 + 0xD7 = 250, plus 13 wraps to 7.
    const RequestFrame f = makeRequest(0xD7, 0, 0, 0, 0);
    EXPECT_EQ(f[kChecksumByte], 7);
}

TEST(Frame, ReplyCheckUsesTerminatorValueAndIgnoresHeader) {
    EXPECT_TRUE(replyChecksumOk(frameAt(hexBytes("00 00 00 00 00 00 24 74 49 EE 0D"))));
    // Terminator other than CR: byte 9 = bytes 0..8 + byte 10.
    EXPECT_TRUE(replyChecksumOk(frameAt(hexBytes("00 00 00 00 00 00 24 74 49 E2 01"))));
    EXPECT_FALSE(replyChecksumOk(frameAt(hexBytes("00 00 00 00 00 00 24 74 49 EF 0D"))));
    // The pre-fill of value 1 sums to 10 while byte 9 holds 1.
    EXPECT_FALSE(replyChecksumOk(frameAt(hexBytes("01 01 01 01 01 01 01 01 01 01 01"))));
}

TEST(Frame, LittleEndianFields) {
    const RequestFrame f = makeRequest(1, kCmdWriteClock, 56, 0, 0x2A7501C2);
    EXPECT_EQ(f[kDataByte], 0xC2);
    EXPECT_EQ(f[kDataByte + 3], 0x2A);
    EXPECT_EQ(frameData(frameAt(hexBytes("00 00 00 00 00 C2 01 75 2A 00 00"))), 0x2A7501C2u);
    EXPECT_EQ(floatFromBits(0x49742400), 1000000.0f);
}

TEST(Frame, FrameAtAnOffsetOfALongerBuffer) {
    const QByteArray two = hexBytes("23 01 05 00 00 00 00 00 00 36 0D 23 01 04 02");
    EXPECT_EQ(bytes(frameAt(two, 11)), hexBytes("23 01 04 02 00 00 00 00 00 00 00"));
    EXPECT_EQ(bytes(frameAt(two)), two.left(11));
}

} // namespace
} // namespace rt570
