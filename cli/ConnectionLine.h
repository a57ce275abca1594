#pragma once

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/LinePool.h"

namespace rt570::cli {

// A modem line of the pool over a run's environment: its port is opened once to see that it
// can be, then every node is one connection as a run of one line makes it.
class ConnectionLine : public PoolLine {
public:
    // `options` with this line's port or device; both must outlive the line.
    ConnectionLine(const CliOptions& options, const RunEnvironment& environment)
        : m_options(options), m_env(environment) {}

    QString openProblem() override;
    NodeRun run(const CollectNode& node) override;
    QStringList finish() override;

private:
    const CliOptions& m_options;
    const RunEnvironment& m_env;
};

} // namespace rt570::cli
