// The pool of modem lines without serial lines: the schedule's hand-out and summary order,
// worked by hand, and the threads driving fake lines that fail in the ways real ones do.

#include "cli/LinePool.h"
#include "cli/PoolSchedule.h"

#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>

namespace rt570::cli::test {
namespace {

using Fate = PoolSchedule::Fate;
using State = PoolSchedule::State;
using Starts = std::vector<std::pair<int, int>>; // (node, line)

// One step of a script over the schedule and what it must give.
struct Step {
    enum Kind { HandOut, Done, Stop, Finished } kind;
    Starts starts;                // HandOut: the (node, line) pairs expected
    int line = 0;                 // Done
    int node = 0;                 // Done
    Fate fate{};                  // Done
    bool finished{};              // Finished: expected
    std::vector<int> printable{}; // after the step
};

Step handOut(Starts starts, std::vector<int> printable = {}) {
    return {Step::HandOut, std::move(starts), 0, 0, Fate::Stays, false, std::move(printable)};
}
Step done(int line, int node, Fate fate, std::vector<int> printable = {}) {
    return {Step::Done, {}, line, node, fate, false, std::move(printable)};
}
Step finished(bool yes, std::vector<int> printable = {}) {
    return {Step::Finished, {}, 0, 0, Fate::Stays, yes, std::move(printable)};
}
Step stop() {
    return {Step::Stop, {}, 0, 0, Fate::Stays, false, {}};
}

struct ScheduleCase {
    const char* what;
    int nodes;
    std::vector<bool> opened; // per line
    std::vector<Step> steps;
    std::vector<State> states; // at the end
};

TEST(PoolSchedule, HandsOutInListOrderAndPrintsInListOrder) {
    const ScheduleCase cases[] = {
        {"two lines, the second ends first",
         3,
         {true, true},
         {handOut({{0, 0}, {1, 1}}), done(1, 1, Fate::Stays), handOut({{2, 1}}),
          done(0, 0, Fate::Stays, {0, 1}), handOut({}), done(1, 2, Fate::Stays, {2}),
          finished(true)},
         {State::Done, State::Done, State::Done}},
        {"a silent modem's node goes back to the head of the queue",
         3,
         {true, true},
         {handOut({{0, 0}, {1, 1}}), done(1, 1, Fate::Leaves), handOut({}), finished(false),
          done(0, 0, Fate::Stays, {0}), handOut({{1, 0}}), done(0, 1, Fate::Stays, {1}),
          handOut({{2, 0}}), done(0, 2, Fate::Stays, {2}), finished(true)},
         {State::Done, State::Done, State::Done}},
        {"a node goes back once only",
         1,
         {true, true},
         {handOut({{0, 0}}), done(0, 0, Fate::Leaves), handOut({{0, 1}}),
          done(1, 0, Fate::Leaves, {0}), finished(true)},
         {State::Done}},
        {"a lost line's node is done; no line is left for the next",
         2,
         {true},
         {handOut({{0, 0}}), done(0, 0, Fate::Lost, {0}), handOut({}), finished(true, {1})},
         {State::Done, State::Unserved}},
        {"a line that did not open gets nothing",
         2,
         {false, true},
         {handOut({{0, 1}}), done(1, 0, Fate::Stays, {0}), handOut({{1, 1}})},
         {State::Done, State::Running}},
        {"no line opens: every node unserved",
         2,
         {false, false},
         {handOut({}), finished(true, {0, 1})},
         {State::Unserved, State::Unserved}},
        {"told to stop: the running node ends, the rest is skipped",
         3,
         {true},
         {handOut({{0, 0}}), stop(), finished(false), done(0, 0, Fate::Stays, {0}), handOut({}),
          finished(true)},
         {State::Done, State::Skipped, State::Skipped}},
    };
    for (const ScheduleCase& c : cases) {
        SCOPED_TRACE(c.what);
        PoolSchedule schedule(c.nodes, int(c.opened.size()));
        for (size_t line = 0; line < c.opened.size(); ++line) {
            EXPECT_TRUE(schedule.handOut().empty()) << "before every line answered";
            schedule.lineOpened(int(line), c.opened[line]);
        }
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            SCOPED_TRACE(i);
            switch (step.kind) {
            case Step::HandOut:
                EXPECT_EQ(schedule.handOut(), step.starts);
                break;
            case Step::Done:
                schedule.done(step.line, step.node, step.fate);
                break;
            case Step::Stop:
                schedule.stop();
                break;
            case Step::Finished:
                EXPECT_EQ(schedule.finished(), step.finished);
                break;
            }
            EXPECT_EQ(schedule.printable(), step.printable);
        }
        for (size_t n = 0; n < c.states.size(); ++n)
            EXPECT_EQ(schedule.state(int(n)), c.states[n]) << "node " << n;
    }
}

// How a fake line behaves with every node it gets.
enum class Kind { Good, Silent, Lost, Unopenable };

// What the fake lines did, from their threads.
struct Journal {
    std::mutex mutex;
    std::vector<std::pair<int, int>> runs; // (line, node) in the order run
    std::set<int> wrongThread;             // lines used outside the thread that made them
};

class FakeLine : public PoolLine {
public:
    FakeLine(int number, Kind kind, Journal& journal)
        : m_number(number), m_kind(kind), m_journal(journal), m_thread(QThread::currentThread()) {}

    QString openProblem() override {
        check();
        return m_kind == Kind::Unopenable ? QStringLiteral("cannot open line %1").arg(m_number)
                                          : QString();
    }
    NodeRun run(const CollectNode& node) override {
        check();
        {
            const std::lock_guard<std::mutex> lock(m_journal.mutex);
            m_journal.runs.emplace_back(m_number, node.name.toInt());
        }
        NodeRun run;
        switch (m_kind) {
        case Kind::Good:
            run.outcome.serial = quint32(20000 + node.name.toInt());
            break;
        case Kind::Silent:
            run.outcome.result = RunResult::ModemSilent;
            run.outcome.modemUnusable = true;
            break;
        case Kind::Lost:
            run.outcome.result = RunResult::LinkFailed;
            break;
        case Kind::Unopenable:
            ADD_FAILURE() << "a line that did not open got a node";
            break;
        }
        run.fate = fateOf(run.outcome, m_kind == Kind::Lost);
        return run;
    }
    QStringList finish() override {
        check();
        return {};
    }

private:
    void check() {
        if (QThread::currentThread() != m_thread) {
            const std::lock_guard<std::mutex> lock(m_journal.mutex);
            m_journal.wrongThread.insert(m_number);
        }
    }
    int m_number;
    Kind m_kind;
    Journal& m_journal;
    QThread* m_thread;
};

struct PoolCase {
    const char* what;
    int nodes;
    std::vector<Kind> lines;
    // Per node in list order: the line named in its summary (-1: none) and its result.
    std::vector<std::pair<int, RunResult>> summary;
    bool anyLineOpened;
    bool lineLeft;
    int messages; // of the pool itself: lines that left it
    size_t runs;  // connections made in all
};

TEST(LinePool, LinesInThreadsServeEveryNodeOnceAndSummariesComeInListOrder) {
    const auto ok = RunResult::Ok;
    const PoolCase cases[] = {
        {"three good lines",
         7,
         {Kind::Good, Kind::Good, Kind::Good},
         {{-2, ok}, {-2, ok}, {-2, ok}, {-2, ok}, {-2, ok}, {-2, ok}, {-2, ok}},
         true,
         false,
         0,
         7},
        {"a silent modem's node goes to the other line",
         4,
         {Kind::Good, Kind::Silent},
         {{0, ok}, {0, ok}, {0, ok}, {0, ok}},
         true,
         true,
         1,
         5},
        {"a lost line's node fails, the rest goes on",
         3,
         {Kind::Good, Kind::Lost},
         {{0, ok}, {1, RunResult::LinkFailed}, {0, ok}},
         true,
         true,
         1,
         3},
        {"a line that does not open",
         2,
         {Kind::Unopenable, Kind::Good},
         {{1, ok}, {1, ok}},
         true,
         true,
         1,
         2},
        {"no line opens: no summary",
         2,
         {Kind::Unopenable, Kind::Unopenable},
         {},
         false,
         true,
         2,
         0},
        {"both modems silent: each node keeps its one try",
         2,
         {Kind::Silent, Kind::Silent},
         {{0, RunResult::ModemSilent}, {1, RunResult::ModemSilent}},
         true,
         true,
         2,
         2},
    };
    for (const PoolCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<CollectNode> nodes;
        QStringList names;
        for (int n = 0; n < c.nodes; ++n)
            nodes.push_back({QString::number(n), QStringLiteral("ATD%1").arg(n)});
        for (size_t line = 0; line < c.lines.size(); ++line)
            names << QStringLiteral("line%1").arg(line);
        Journal journal;
        std::vector<std::pair<int, NodeRecord>> summaries;
        QStringList messages;
        PoolHooks hooks;
        hooks.makeLine = [&](int line) {
            return std::make_unique<FakeLine>(line, c.lines[size_t(line)], journal);
        };
        hooks.summary = [&](int node, const NodeRecord& record) {
            summaries.emplace_back(node, record);
        };
        hooks.message = [&](const QString& text) { messages << text; };
        const PoolOutcome outcome = runPool(nodes, names, hooks, true);

        EXPECT_EQ(outcome.anyLineOpened, c.anyLineOpened);
        EXPECT_EQ(outcome.lineLeft, c.lineLeft);
        EXPECT_EQ(messages.size(), c.messages) << messages.join('\n').toStdString();
        EXPECT_TRUE(journal.wrongThread.empty());
        ASSERT_EQ(summaries.size(), c.summary.size());
        for (size_t i = 0; i < summaries.size(); ++i) {
            const auto& [node, record] = summaries[i];
            EXPECT_EQ(node, int(i));
            if (c.summary[i].first != -2) {
                EXPECT_EQ(record.line, c.summary[i].first) << "node " << i;
            }
            if (record.line >= 0) {
                EXPECT_EQ(record.run.outcome.result, c.summary[i].second) << "node " << i;
            }
        }
        // Every node ran once on a good line, and on a silent one at most once before that.
        std::map<int, int> goodRuns;
        for (const auto& [line, node] : journal.runs)
            if (c.lines[size_t(line)] == Kind::Good)
                ++goodRuns[node];
        for (const auto& [node, count] : goodRuns)
            EXPECT_EQ(count, 1) << "node " << node;
        EXPECT_EQ(journal.runs.size(), c.runs);
    }
}

} // namespace
} // namespace rt570::cli::test
