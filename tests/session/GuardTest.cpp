#include "link/OperationError.h"
#include "readings/OpeningRead.h"
#include "session/Session.h"
#include "support/FakeSerialLine.h"
#include "support/QStringPrinter.h"
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

TEST_F(Guard, SecondOperationDuringMessagePassIsRefused) {
    int inner = 0;
    host.onMessagePass = [&] { EXPECT_TRUE(session.runOperation([&] { ++inner; }).refused()); };
    EXPECT_TRUE(session.runOperation([&] { session.link.ReadCurrentFloat(0); }).done());
    EXPECT_EQ(inner, 0);
    EXPECT_GT(host.messagePasses, 0);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(session.runOperation([&] { ++inner; }).done());
    EXPECT_EQ(inner, 1);
}

// Each way an operation ends, as its one result. The meter is silent: an unanswered request
// sends its 11 frames. A stop ends the request at the pass that asks for it, and nothing more
// is sent in that operation; the next operation sends again.
TEST_F(Guard, EveryEndIsOneResult) {
    using Kind = OperationResult::Kind;
    struct Case {
        const char* name;
        int stopAtPass; // 0: never
        std::function<void(Session&)> operation;
        Kind kind;
        QString message;
        size_t frames;
    };
    const Case cases[] = {
        {"unanswered", 0, [](Session& s) { s.link.ReadCurrentFloat(0); }, Kind::Done, "", 11},
        {"error", 0, [](Session&) { throw OperationError("I/O error 103"); }, Kind::Failed,
         "I/O error 103", 0},
        {"stopped at the third pass", 3,
         [](Session& s) {
             s.link.ReadCurrentFloat(0);
             s.link.ReadCurrentFloat(0);
         },
         Kind::Stopped, "", 3},
        {"opening read stopped", 2, [](Session& s) { openingRead(s); }, Kind::Stopped, "", 2},
    };
    for (const Case& c : cases) {
        FakeSerialLine silent;
        RecordingHost front;
        Session s{silent, front, home.path()};
        front.stopWhen = [&] { return front.messagePasses == c.stopAtPass; };
        const OperationResult result = s.runOperation([&] { c.operation(s); });
        EXPECT_EQ(result.kind, c.kind) << c.name;
        EXPECT_EQ(result.message, c.message) << c.name;
        EXPECT_EQ(front.errors, c.message.isEmpty() ? QStringList() : QStringList{c.message})
            << c.name;
        EXPECT_EQ(silent.sentFrames().size(), c.frames) << c.name;
        EXPECT_EQ(s.reports.FilesOpen, 0) << c.name;
        EXPECT_FALSE(s.busy()) << c.name;
        front.stopWhen = nullptr;
        EXPECT_TRUE(s.runOperation([&] { s.link.ReadCurrentFloat(0); }).done()) << c.name;
        EXPECT_EQ(silent.sentFrames().size(), c.frames + 11) << c.name;
    }
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
