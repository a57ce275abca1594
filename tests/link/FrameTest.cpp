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
    EXPECT_TRUE(replyChecksumOk(reinterpret_cast<const uint8_t*>(
        hexBytes("00 00 00 00 00 00 24 74 49 EE 0D").constData())));
    // Terminator other than CR: byte 9 = bytes 0..8 + byte 10.
    EXPECT_TRUE(replyChecksumOk(reinterpret_cast<const uint8_t*>(
        hexBytes("00 00 00 00 00 00 24 74 49 E2 01").constData())));
    EXPECT_FALSE(replyChecksumOk(reinterpret_cast<const uint8_t*>(
        hexBytes("00 00 00 00 00 00 24 74 49 EF 0D").constData())));
    // The pre-fill of value 1 sums to 10 while byte 9 holds 1.
    EXPECT_FALSE(replyChecksumOk(reinterpret_cast<const uint8_t*>(
        hexBytes("01 01 01 01 01 01 01 01 01 01 01").constData())));
}

TEST(Frame, LittleEndianFields) {
    uint8_t b[4];
    writeLe32(b, 0x2A7501C2);
    EXPECT_EQ(b[0], 0xC2);
    EXPECT_EQ(b[3], 0x2A);
    EXPECT_EQ(readLe32(b), 0x2A7501C2u);
    EXPECT_EQ(floatFromBits(0x49742400), 1000000.0f);
}

} // namespace
} // namespace rt570
