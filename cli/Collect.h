#pragma once

#include "cli/CliOptions.h"

#include <QString>

namespace rt570::cli {

struct RunEnvironment;

// "collect": every node of the node list in list order (or those named with --node), each its
// own connection through the modem on the run's port: its phone text dialled as the window
// dials it, the opening read, the operations, its report files closed, the call ended. One
// node's failure never stops the others, except a stop asked for (a signal), which ends the
// run after that node, and a port that cannot be opened, which ends it at once with the
// reason on stderr and no summary line. One summary line per node called on
// the run's output, tab separated: name, phone text, result, serial number (empty when none),
// requests, errors, seconds. Exit status, the worst of all nodes: 3 if any node had a file
// error, else 1 if any node failed, else 4 if an operation was refused, else 0; 2 for a node
// list that is missing or names no such node.
int runCollect(const CliOptions& options, const RunEnvironment& environment);

// The summary line of one node, without its line end.
QString summaryLine(const QString& name, const QString& phone, const QString& result,
                    const QString& serial, int requests, int errors, double seconds);

} // namespace rt570::cli
