#pragma once

#include "cli/CliOptions.h"
#include "cli/LinePool.h"

#include <QString>
#include <functional>
#include <memory>

namespace rt570::cli {

struct RunEnvironment;

// Makes modem line N (0-based) of a run of several lines, in the line's own thread: `options`
// with the line's port or device, `say` where its messages go (named after the line).
using LineMaker = std::function<std::unique_ptr<PoolLine>(int line, const CliOptions& options,
                                                          std::function<void(const QString&)> say)>;

// "collect": every node of the node list in list order (or those named with --node), each its
// own connection through a modem: its phone text dialled as the window dials it, the opening
// read, the operations, its report files closed, the call ended. With several modem lines
// (--device or --port more than once; `makeLine` makes them) each line runs in a thread of its
// own and calls one node at a time, the next node in list order going to the first free line;
// without `makeLine` the one line is the environment's. A line that cannot be opened at the
// start, whose modem takes no command, or whose device goes away leaves the pool (the node of
// a modem that took no command goes to another line, once); when no line opens, the run ends
// at once with no summary line. One node's failure never stops the others; a stop asked for
// (a signal) calls no further node. One summary line per node on the run's output, in list
// order, tab separated: name, phone text, result (`not called` when no line was left for
// it), serial number (empty when none), requests, errors, seconds, the line that called it
// (empty when none did).
// Exit status, the worst of all: 3 if any node had a file error, else 1 if any node failed or
// a line left the pool, else 4 if an operation was refused, else 0; 2 for a node list that is
// missing or names no such node.
int runCollect(const CliOptions& options, const RunEnvironment& environment,
               const LineMaker& makeLine = {});

// How many modem lines the options name: one per --device, else one per --port, at least one.
int modemLineCount(const CliOptions& options);

// The summary line of one node, without its line end.
QString summaryLine(const QString& name, const QString& phone, const QString& result,
                    const QString& serial, int requests, int errors, double seconds,
                    const QString& line);

} // namespace rt570::cli
