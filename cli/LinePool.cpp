#include "cli/LinePool.h"

#include <QElapsedTimer>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace rt570::cli {

namespace {

// How often the pool looks for a stop asked for while it waits for its lines.
constexpr int kStopPollMs = 100;

// What a line tells the pool.
struct Event {
    enum Kind { Opened, Ended, Finished } kind = Opened;
    int line = 0;
    int node = -1;
    QString problem;
    NodeRun run;
    QStringList errors;
};

// The lines, the nodes handed to them and their answers, shared between the pool's thread
// and the lines' threads.
class Exchange {
public:
    explicit Exchange(int lines) : m_given(size_t(lines)) {}

    void post(Event event) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_toPool.notify_one();
    }
    // The events so far; waits up to `ms` for the first.
    std::deque<Event> take(int ms) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_toPool.wait_for(lock, std::chrono::milliseconds(ms),
                          [this] { return !m_events.empty(); });
        return std::exchange(m_events, {});
    }
    void give(int line, int node) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_given[size_t(line)] = node;
        }
        m_toLines.notify_all();
    }
    void quit() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_toLines.notify_all();
    }
    // The line's next node; none once the pool is done with the line.
    std::optional<int> next(int line) {
        std::unique_lock<std::mutex> lock(m_mutex);
        std::optional<int>& given = m_given[size_t(line)];
        m_toLines.wait(lock, [&] { return given.has_value() || m_quit; });
        return std::exchange(given, std::nullopt);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_toPool;
    std::condition_variable m_toLines;
    std::deque<Event> m_events;
    std::vector<std::optional<int>> m_given;
    bool m_quit = false;
};

// A line's life in its thread: made, asked whether it opens, then one node after another.
void serveLine(int number, const std::vector<CollectNode>& nodes, const PoolHooks& hooks,
               Exchange& exchange) {
    std::unique_ptr<PoolLine> line = hooks.makeLine(number);
    const QString problem = line->openProblem();
    exchange.post({Event::Opened, number, -1, problem, {}, {}});
    if (problem.isEmpty())
        while (const std::optional<int> node = exchange.next(number))
            exchange.post({Event::Ended, number, *node, {}, line->run(nodes[size_t(*node)]), {}});
    exchange.post({Event::Finished, number, -1, {}, {}, line->finish()});
}

class Pool {
public:
    Pool(const std::vector<CollectNode>& nodes, const QStringList& names, const PoolHooks& hooks)
        : m_nodes(nodes), m_names(names), m_hooks(hooks),
          m_schedule(int(nodes.size()), int(names.size())), m_records(nodes.size()) {
        m_clock.start();
    }

    PoolOutcome runThreads() {
        Exchange exchange(int(m_names.size()));
        std::vector<std::unique_ptr<QThread>> threads;
        for (int line = 0; line < int(m_names.size()); ++line) {
            threads.emplace_back(QThread::create(
                [this, line, &exchange] { serveLine(line, m_nodes, m_hooks, exchange); }));
            threads.back()->start();
        }
        int finished = 0;
        bool quitting = false;
        while (finished < int(threads.size())) {
            for (Event& event : exchange.take(kStopPollMs))
                finished += handle(event) ? 1 : 0;
            if (!quitting) {
                for (const auto& [node, line] : schedule())
                    exchange.give(line, node);
                if (m_schedule.finished()) {
                    quitting = true;
                    exchange.quit();
                }
            }
            printReady();
        }
        for (const auto& thread : threads)
            thread->wait();
        return m_outcome;
    }

    PoolOutcome runHere() {
        std::unique_ptr<PoolLine> line = m_hooks.makeLine(0);
        Event opened{Event::Opened, 0, -1, line->openProblem(), {}, {}};
        handle(opened);
        while (!m_schedule.finished()) {
            for (const auto& [node, number] : schedule()) {
                Event ended{Event::Ended, number, node, {}, line->run(m_nodes[size_t(node)]), {}};
                handle(ended);
                printReady();
            }
        }
        printReady();
        Event last{Event::Finished, 0, -1, {}, {}, line->finish()};
        handle(last);
        return m_outcome;
    }

private:
    // Takes in a line's event; true when the line is finished.
    bool handle(Event& event) {
        const QString& name = m_names[event.line];
        switch (event.kind) {
        case Event::Opened:
            m_schedule.lineOpened(event.line, event.problem.isEmpty());
            if (event.problem.isEmpty()) {
                m_outcome.anyLineOpened = true;
            } else {
                m_outcome.lineLeft = true;
                m_hooks.message(m_names.size() > 1
                                    ? event.problem + QStringLiteral("; the line %1 leaves the "
                                                                     "pool")
                                                          .arg(name)
                                    : event.problem);
            }
            return false;
        case Event::Ended:
            ended(event);
            return false;
        case Event::Finished:
            m_outcome.outputErrors << event.errors;
            return true;
        }
        return false;
    }

    void ended(const Event& event) {
        const NodeRun& run = event.run;
        const CollectNode& node = m_nodes[size_t(event.node)];
        m_records[size_t(event.node)] = {event.line, run};
        m_schedule.done(event.line, event.node, run.fate);
        const bool again = m_schedule.state(event.node) == PoolSchedule::State::Queued;
        if (run.fate != PoolSchedule::Fate::Stays) {
            m_outcome.lineLeft = true;
            QString text = QStringLiteral("the line %1 leaves the pool for the rest of the run")
                               .arg(m_names[event.line]);
            if (m_schedule.linesInPool() == 0)
                text += QStringLiteral("; no line is left for the nodes not called yet");
            else if (again)
                text += QStringLiteral("; node %1 goes to another line").arg(node.name);
            m_hooks.message(text);
        }
        if (!again && run.outcome.result != RunResult::Ok)
            ++m_failures;
        progress();
    }

    std::vector<std::pair<int, int>> schedule() {
        if (m_hooks.stopRequested && m_hooks.stopRequested())
            m_schedule.stop();
        const auto starts = m_schedule.handOut();
        if (!starts.empty())
            progress();
        return starts;
    }

    void printReady() {
        const std::vector<int> ready = m_schedule.printable();
        if (!m_outcome.anyLineOpened)
            return; // nothing was called: no summary
        // A node no line was left for keeps what its one try gave, if it had one.
        for (const int node : ready)
            m_hooks.summary(node, m_records[size_t(node)]);
    }

    void progress() {
        if (!m_hooks.progress)
            return;
        PoolProgress now;
        now.done = m_schedule.doneCount();
        now.nodes = m_schedule.nodeCount();
        now.linesBusy = m_schedule.linesBusy();
        now.linesInPool = m_schedule.linesInPool();
        now.failures = m_failures;
        if (now.done > 0)
            now.secondsLeft =
                double(m_clock.elapsed()) / 1000.0 / now.done * (now.nodes - now.done);
        m_hooks.progress(now);
    }

    const std::vector<CollectNode>& m_nodes;
    const QStringList& m_names;
    const PoolHooks& m_hooks;
    PoolSchedule m_schedule;
    std::vector<NodeRecord> m_records;
    PoolOutcome m_outcome;
    QElapsedTimer m_clock;
    int m_failures = 0;
};

} // namespace

PoolSchedule::Fate fateOf(const ConnectionOutcome& outcome, bool deviceLost) {
    if (deviceLost)
        return PoolSchedule::Fate::Lost;
    if (outcome.modemUnusable || outcome.portUnusable)
        return PoolSchedule::Fate::Leaves;
    return PoolSchedule::Fate::Stays;
}

PoolOutcome runPool(const std::vector<CollectNode>& nodes, const QStringList& lineNames,
                    const PoolHooks& hooks, bool threads) {
    Pool pool(nodes, lineNames, hooks);
    return threads ? pool.runThreads() : pool.runHere();
}

} // namespace rt570::cli
