#pragma once

#include "cli/CliRun.h"
#include "cli/PoolSchedule.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace rt570::cli {

// A metering node of the node list: its name and phone text.
struct CollectNode {
    QString name;
    QString phone;
};

// What a line made of one node.
struct NodeRun {
    ConnectionOutcome outcome;
    double seconds = 0;
    PoolSchedule::Fate fate = PoolSchedule::Fate::Stays;
};

// The fate of a line after a connection: lost when its device went away, out of the pool when
// its modem took no command or its port could not be opened, else still in it.
PoolSchedule::Fate fateOf(const ConnectionOutcome& outcome, bool deviceLost);

// One modem line as the pool drives it: made, used and destroyed in one thread, the line's
// own (a serial port object belongs to the thread that made it).
class PoolLine {
public:
    virtual ~PoolLine() = default;
    // Why the line cannot be used, one sentence; empty when it can. Asked once, first.
    virtual QString openProblem() = 0;
    // One connection to the node.
    virtual NodeRun run(const CollectNode& node) = 0;
    // The end of the run: what the line's figure outputs could not keep, a sentence each.
    virtual QStringList finish() = 0;
};

// What became of a node: the line that called it (-1 when none did) and the connection.
struct NodeRecord {
    int line = -1;
    NodeRun run;
};

// Where the pool stands, for the progress line.
struct PoolProgress {
    int done = 0;
    int nodes = 0;
    int linesBusy = 0;
    int linesInPool = 0;
    int failures = 0;
    double secondsLeft = -1; // by the average so far; negative before the first node ends
};

struct PoolHooks {
    // Makes line N (0-based), in the thread that will use it.
    std::function<std::unique_ptr<PoolLine>(int line)> makeLine;
    // A node's summary, in list order, once it and all nodes before it are settled.
    std::function<void(int node, const NodeRecord& record)> summary;
    // After every change.
    std::function<void(const PoolProgress& progress)> progress;
    // A message of the pool itself (a line leaves it).
    std::function<void(const QString& text)> message;
    // True once the program has been told to stop; may be empty.
    std::function<bool()> stopRequested;
};

// How the run of the pool ended.
struct PoolOutcome {
    bool anyLineOpened = false;
    bool lineLeft = false;    // a line left the pool (not opened, modem of no use, lost)
    QStringList outputErrors; // what the lines' figure outputs could not keep
};

// Calls the nodes over the lines named, in list order, each to the first free line. With
// `threads` every line runs in a thread of its own; without, the one line runs in the caller's
// thread. No node is handed out before every line has answered whether it opens; when none
// does, nothing is called and no summary is given.
PoolOutcome runPool(const std::vector<CollectNode>& nodes, const QStringList& lineNames,
                    const PoolHooks& hooks, bool threads);

} // namespace rt570::cli
