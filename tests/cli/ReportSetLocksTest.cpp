#include "cli/ReportSetLocks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace rt570::cli {
namespace {

// A second line that opened the same set waits until the first gives it back; a line on
// another set does not wait; a line told to stop while it waits gives up without the set.
TEST(ReportSetLocks, ASetIsWrittenByOneLineAtATime) {
    ReportSetLocks locks;
    ReportSetLocks::Held first = locks.take(QStringLiteral("arc/20007_0101.h"), {});
    ASSERT_TRUE(first.held());
    EXPECT_TRUE(locks.take(QStringLiteral("arc/20008_0101.h"), {}).held());

    std::atomic<bool> secondHeld{false};
    std::thread second([&] {
        ReportSetLocks::Held held = locks.take(QStringLiteral("arc/20007_0101.h"), {}, 5);
        secondHeld = held.held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondHeld) << "the second line wrote while the first still held the set";
    first.release();
    second.join();
    EXPECT_TRUE(secondHeld);

    ReportSetLocks::Held again = locks.take(QStringLiteral("arc/20007_0101.h"), {});
    std::atomic<bool> stop{false};
    bool stoppedHeld = true;
    std::thread stopped([&] {
        stoppedHeld = locks
                          .take(
                              QStringLiteral("arc/20007_0101.h"), [&] { return stop.load(); }, 5)
                          .held();
    });
    stop = true;
    stopped.join();
    EXPECT_FALSE(stoppedHeld);
    EXPECT_TRUE(again.held());
}

} // namespace
} // namespace rt570::cli
