#include "sim/FaultInjector.h"
#include "sim/MeterModel.h"
#include "sim/SimTestSupport.h"
#include "sim/SimulatedMeter.h"
#include "support/FakeSerialLine.h"

#include <gtest/gtest.h>

namespace rt570::sim {
namespace {

const QByteArray kReply = rt570::test::hexBytes("23 01 05 00 00 00 82 9F 46 9D 0D");

bool checksumOk(const QByteArray& b) {
    return b.size() == kFrameLength && replyChecksumOk(frameAt(b));
}

TEST(Faults, NoneLeaveTheReplyAlone) {
    FaultInjector faults(FaultRates{}, 1);
    const auto t = faults.apply(kReply, 25);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->bytes, kReply);
    EXPECT_EQ(t->delayMs, 25);
}

TEST(Faults, EachKindSpoilsTheReplyItsWay) {
    FaultRates rates;
    rates.drop = 1;
    EXPECT_FALSE(FaultInjector(rates, 1).apply(kReply, 0));

    rates = FaultRates{};
    rates.corrupt = 1;
    FaultInjector corrupt(rates, 2);
    for (int i = 0; i < 50; ++i) {
        const auto t = corrupt.apply(kReply, 0);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->bytes.size(), kFrameLength);
        EXPECT_FALSE(checksumOk(t->bytes));
        EXPECT_EQ(t->bytes.left(9), kReply.left(9));
    }
    EXPECT_EQ(corrupt.corrupted, 50);

    rates = FaultRates{};
    rates.shortened = 1;
    FaultInjector shortened(rates, 3);
    for (int i = 0; i < 50; ++i) {
        const auto t = shortened.apply(kReply, 0);
        ASSERT_GE(t->bytes.size(), 1);
        ASSERT_LT(t->bytes.size(), kFrameLength);
        EXPECT_TRUE(kReply.startsWith(t->bytes));
    }

    rates = FaultRates{};
    rates.noise = 1;
    FaultInjector noise(rates, 4);
    for (int i = 0; i < 50; ++i) {
        const auto t = noise.apply(kReply, 0);
        ASSERT_GT(t->bytes.size(), kFrameLength);
        ASSERT_LE(t->bytes.size(), kFrameLength + kMostNoiseBytes);
        EXPECT_TRUE(t->bytes.endsWith(kReply));
    }

    rates = FaultRates{};
    rates.late = 1;
    const auto t = FaultInjector(rates, 5).apply(kReply, 40);
    EXPECT_EQ(t->delayMs, 40 + kLateReplyMs);
    EXPECT_GT(t->delayMs, 3000);
    EXPECT_EQ(t->bytes, kReply);
}

TEST(Faults, RatesHoldAndSeedsRepeat) {
    FaultRates rates;
    rates.drop = 0.3;
    rates.noise = 0.5;
    FaultInjector a(rates, 9), b(rates, 9);
    for (int i = 0; i < 1000; ++i) {
        const auto x = a.apply(kReply, 0), y = b.apply(kReply, 0);
        ASSERT_EQ(bool(x), bool(y));
        if (x) {
            ASSERT_EQ(x->bytes, y->bytes);
        }
    }
    EXPECT_NEAR(a.dropped, 300, 60);
    EXPECT_NEAR(a.noisy, 350, 70);
    EXPECT_EQ(a.corrupted + a.shortened + a.late, 0);
}

TEST(Faults, SimulatedMeterRepliesThroughFaultsAfterItsLatency) {
    MeterModel model(570, 0, 1, test::fixedPcTime);
    MeterProtocol protocol(model, 1);
    FaultInjector clean(FaultRates{}, 1);
    SimulatedMeter meter(protocol, clean, 15);
    const Transmissions out =
        meter.feed(test::request(1, kCmdParameter, 0) + test::request(1, kCmdParameter, 10));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].delayMs, 15);
    EXPECT_EQ(out[1].bytes, test::bytesOf(makeReply(1, kCmdParameter, 10, 0, bitsFromFloat(8.0f))));

    FaultRates rates;
    rates.drop = 1;
    FaultInjector dropAll(rates, 1);
    SimulatedMeter silent(protocol, dropAll, 0);
    EXPECT_TRUE(silent.feed(test::request(1, kCmdParameter, 0)).empty());
    EXPECT_TRUE(silent.feed(test::request(2, kCmdParameter, 0)).empty());
    EXPECT_EQ(dropAll.dropped, 1);
}

} // namespace
} // namespace rt570::sim
