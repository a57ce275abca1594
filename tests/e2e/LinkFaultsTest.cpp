#include "SimOnPty.h"
#include "link/Link.h"
#include "link/qt/QtSerialLine.h"
#include "support/RecordingHost.h"

#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::quickMeter;
using test::RecordingHost;
using test::SimOnPty;

constexpr uint8_t kPort = 4;

struct Rig {
    explicit Rig(const sim::SimOptions& options) : sim(options, home.path(), kPort) {
        line.Open_Com(kPort, 9600, kDataBits, kParityNone, kOneStopBit);
        link.setDeviceAddress(options.address);
        link.setPortNumber(kPort);
    }
    QTemporaryDir home;
    SimOnPty sim;
    QtSerialLine line{home.path()};
    RecordingHost host;
    Link link{line, host};
};

TEST(LinkFaults, CorruptRepliesExhaustTheAttempts) {
    sim::SimOptions o = quickMeter();
    o.faults.corrupt = 1.0;
    Rig rig(o);
    ASSERT_TRUE(rig.sim.isOpen());
    rig.link.ReadCurrentFloat(1);
    EXPECT_EQ(rig.link.RequestCount(), 12);
    EXPECT_EQ(rig.link.ErrorCount(), 11);
    EXPECT_EQ(rig.link.TimeoutCount(), 1);
    EXPECT_TRUE(rig.link.LinkFailed());
    // Every attempt got its 11 bytes, only the sum was wrong.
    EXPECT_EQ(rig.link.ReceiveResult(), 11);
    EXPECT_TRUE(rig.link.ReplyBad());
}

TEST(LinkFaults, NoiseAndShortRepliesAreSurvived) {
    sim::SimOptions o = quickMeter();
    o.seed = 7;
    o.faults.noise = 0.4;
    o.faults.shortened = 0.15;
    Rig rig(o);
    ASSERT_TRUE(rig.sim.isOpen());
    const uint8_t indexes[] = {0, 3, 10, 20, 30, 40, 11, 21, 31, 41};
    for (uint8_t slot : indexes) {
        rig.link.ReadParameter(slot);
    }
    EXPECT_FALSE(rig.link.LinkFailed());
    EXPECT_EQ(rig.link.values()[0], 20007.0);
    EXPECT_EQ(rig.link.values()[10], 8.0);
    EXPECT_EQ(rig.link.values()[40], 2500.0);
    EXPECT_EQ(rig.link.values()[41], 50.0);
    EXPECT_GT(rig.link.ErrorCount(), 0);
    EXPECT_EQ(rig.link.RequestCount(), int(sizeof indexes) + rig.link.ErrorCount());
}

TEST(LinkFaults, LateReplyIsTakenByTheNextAttempt) {
    sim::SimOptions o = quickMeter();
    o.faults.late = 1.0;
    Rig rig(o);
    ASSERT_TRUE(rig.sim.isOpen());
    rig.link.ReadParameter(10);
    // The first reply comes 3.5 s after its request, while the second attempt's reply read waits.
    EXPECT_EQ(rig.link.ErrorCount(), 1);
    EXPECT_EQ(rig.link.RequestCount(), 2);
    EXPECT_FALSE(rig.link.LinkFailed());
    EXPECT_EQ(rig.link.values()[10], 8.0);
}

} // namespace
} // namespace rt570
