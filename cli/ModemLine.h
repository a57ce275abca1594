#pragma once

#include "cli/CliHost.h"
#include "cli/ConnectionLine.h"
#include "cli/FigureOutputs.h"
#include "link/TracingSerialLine.h"
#include "link/qt/QtSerialLine.h"

#include <functional>
#include <memory>

namespace rt570::cli {

// One modem line of a run of several, with everything a connection needs of its own, made in
// the line's thread: the serial backend for its device or port, the trace over it (the run's
// trace file with ".N" added, N the line's number from 1; none without --trace), a front end
// that passes its messages on, and the figure outputs with their own database connection.
class ModemLine : public PoolLine {
public:
    // `base`: the run's environment (home, version, modem waits, stop check); `number` from 1;
    // `csvGuard` held by every line while it writes CSV files.
    ModemLine(const CliOptions& options, const RunEnvironment& base, int number,
              std::function<void(const QString&)> say, std::mutex& csvGuard);

    QString openProblem() override;
    NodeRun run(const CollectNode& node) override { return m_line.run(node); }
    QStringList finish() override { return m_line.finish(); }

private:
    CliOptions m_options;
    int m_number;
    QtSerialLine m_port;
    std::unique_ptr<TracingSerialLine> m_trace;
    CliHost m_host;
    FigureOutputs m_outputs;
    RunEnvironment m_env;
    ConnectionLine m_line{m_options, m_env};
};

// The trace file of line `number` (from 1) of a run of several: "FILE.N".
QString lineTracePath(const QString& tracePath, int number);

} // namespace rt570::cli
