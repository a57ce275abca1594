#include "link/OperationError.h"
#include "session/Session.h"
#include "support/FakeSerialLine.h"
#include "support/RecordingHost.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

using test::FakeSerialLine;
using test::RecordingHost;

class Guard : public ::testing::Test {
protected:
    FakeSerialLine line;
    RecordingHost host;
    QTemporaryDir home;
    Session session{line, host, home.path()};
};

TEST_F(Guard, SecondOperationDuringMessagePassIsIgnored) {
    int inner = 0;
    host.onMessagePass = [&] { EXPECT_FALSE(session.runOperation([&] { ++inner; })); };
    EXPECT_TRUE(session.runOperation([&] { session.link.ReadCurrentFloat(0); }));
    EXPECT_EQ(inner, 0);
    EXPECT_GT(host.messagePasses, 0);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(session.runOperation([&] { ++inner; }));
    EXPECT_EQ(inner, 1);
}

TEST_F(Guard, ErrorEndsOperationThroughTheHostAndReleasesTheGuard) {
    EXPECT_TRUE(session.runOperation([] { throw OperationError("I/O error 103"); }));
    ASSERT_EQ(host.errors.size(), 1);
    EXPECT_EQ(host.errors[0], "I/O error 103");
    EXPECT_FALSE(session.busy());
}

TEST_F(Guard, OpeningReadAskedForMeanwhileRunsWhenTheOperationEnds) {
    session.link.setDeviceAddress(1);
    bool asked = false;
    host.onMessagePass = [&] {
        if (!asked) {
            asked = true;
            session.requestOpeningRead();
        }
    };
    session.runOperation([&] { session.link.ReadCurrentFloat(0); });
    // The opening read ran after the operation: its parameter frames follow the float frames.
    const auto frames = line.sentFrames();
    ASSERT_GT(frames.size(), 11u);
    EXPECT_EQ(uint8_t(frames[0][2]), 4);
    EXPECT_EQ(uint8_t(frames[11][2]), 5);
    EXPECT_FALSE(session.openingReadPending());
    EXPECT_EQ(session.display.statusText, "Параметры записаны");
}

TEST_F(Guard, StopDropsAPendingOpeningRead) {
    host.onMessagePass = [&] {
        session.requestOpeningRead();
        session.cancelOpeningRead();
    };
    session.runOperation([&] { session.link.ReadCurrentFloat(0); });
    EXPECT_EQ(line.sentFrames().size(), 11u);
}

} // namespace
} // namespace rt570
