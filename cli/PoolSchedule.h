#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace rt570::cli {

// Which modem line calls which node, and when a node's summary may be printed; no lines or
// threads of its own, only the bookkeeping. Nodes are handed out in list order, each to the
// first free line (the lowest-numbered); a line runs one node at a time. A summary is
// printable once its node and every node before it are settled.
class PoolSchedule {
public:
    // How a line ended a node.
    enum class Fate {
        Stays,  // the node is done; the line takes the next one
        Leaves, // the line's modem is of no use: it leaves the pool, and its node goes back to
                // the head of the queue, once, for another line (the second time it is done)
        Lost,   // the line went away: the node is done (failed), the line leaves the pool
    };

    // Where a node stands.
    enum class State {
        Queued,
        Running,
        Done,     // a line ended it
        Unserved, // no line was left to call it
        Skipped,  // the run was told to stop before it was called
    };

    PoolSchedule(int nodes, int lines);

    // The start: whether the line could be opened. Nothing is handed out before every line
    // has answered.
    void lineOpened(int line, bool usable);
    bool started() const;
    // Lines that are (still) in the pool.
    int linesInPool() const;
    int linesBusy() const;

    // The nodes to start now, each with its line; empty while none can start.
    std::vector<std::pair<int, int>> handOut();
    // The line ended the node.
    void done(int line, int node, Fate fate);
    // Told to stop: no node is handed out any more; the queue is skipped.
    void stop();

    // Nothing runs and nothing more will: the queue is empty, no line is left, or stopped.
    // The nodes still queued are then Unserved (no line) or Skipped (stopped).
    bool finished();

    // The nodes whose summaries became printable since the last call, in list order.
    std::vector<int> printable();

    State state(int node) const { return m_nodes[std::size_t(node)].state; }
    int doneCount() const;
    int nodeCount() const { return int(m_nodes.size()); }

private:
    struct Node {
        State state = State::Queued;
        bool givenBack = false;
    };
    enum class Line { Unknown, Free, Busy, Gone };

    std::vector<Node> m_nodes;
    std::vector<Line> m_lines;
    std::vector<int> m_queue; // node numbers, head first
    bool m_stopped = false;
    int m_printed = 0; // summaries printed: the nodes before this one
};

} // namespace rt570::cli
