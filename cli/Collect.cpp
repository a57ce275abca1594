#include "cli/Collect.h"

#include "cli/CliHost.h"
#include "cli/CliRun.h"
#include "cli/FigureOutputs.h"
#include "gsm/NodeListReader.h"
#include "state/RunState.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <vector>

namespace rt570::cli {

namespace {

struct Node {
    QString name;
    QString phone;
};

// The nodes to call, in list order; an error text when the list is missing or a name is not
// in it.
QString selectNodes(const CliOptions& options, const QString& path, std::vector<Node>& nodes) {
    if (!QFileInfo(path).isFile())
        return QStringLiteral("no node list at %1").arg(path);
    const NodeDirectory directory = LoadNodeDirectory(path);
    std::vector<Node> all;
    for (int n = 1; n <= directory.loaded; ++n)
        all.push_back({directory.entries[size_t(n)].name, directory.entries[size_t(n)].phone});
    for (const QString& wanted : options.nodeNames) {
        const bool known = std::any_of(all.begin(), all.end(),
                                       [&wanted](const Node& node) { return node.name == wanted; });
        if (!known)
            return QStringLiteral("no node named '%1' in %2").arg(wanted, path);
    }
    for (const Node& node : all)
        if (options.nodeNames.isEmpty() || options.nodeNames.contains(node.name))
            nodes.push_back(node);
    if (nodes.empty())
        return QStringLiteral("the node list %1 has no nodes").arg(path);
    return {};
}

int worse(int status, const ConnectionOutcome& outcome) {
    // A file error outranks a failed node, which outranks a refused operation.
    auto rank = [](int s) {
        switch (s) {
        case kExitFileError:
            return 3;
        case kExitOk:
            return 0;
        case kExitRefused:
            return 1;
        default:
            return 2;
        }
    };
    const int nodeStatus = outcome.result == RunResult::FileError ? kExitFileError
                           : outcome.result != RunResult::Ok      ? kExitLinkFailed
                                                                  : outcome.status;
    return rank(nodeStatus) > rank(status) ? nodeStatus : status;
}

} // namespace

QString summaryLine(const QString& name, const QString& phone, const QString& result,
                    const QString& serial, int requests, int errors, double seconds) {
    return QStringList{name,
                       phone,
                       result,
                       serial,
                       QString::number(requests),
                       QString::number(errors),
                       QString::number(seconds, 'f', 1)}
        .join(QLatin1Char('\t'));
}

int runCollect(const CliOptions& options, const RunEnvironment& environment) {
    CliHost& host = *environment.host;
    const QString path = options.nodesPath.isEmpty()
                             ? homePath(environment.home, QStringLiteral("gsm_csd.ini"))
                             : options.nodesPath;
    std::vector<Node> nodes;
    const QString problem = selectNodes(options, path, nodes);
    if (!problem.isEmpty()) {
        host.message(problem);
        return kExitUsage;
    }

    int status = kExitOk;
    const int count = int(nodes.size());
    for (int i = 0; i < count; ++i) {
        if (environment.stopRequested && environment.stopRequested())
            break;
        const Node& node = nodes[size_t(i)];
        if (!options.noProgress)
            host.message(QStringLiteral("node %1/%2 %3: %4")
                             .arg(i + 1)
                             .arg(count)
                             .arg(node.name, node.phone));
        QElapsedTimer timer;
        timer.start();
        const ConnectionOutcome outcome =
            runConnection(options, environment, node.name, node.phone, false);
        if (outcome.portUnusable) {
            // Held by another program, or absent: no node could be called; the reason is out.
            status = worse(status, outcome);
            break;
        }
        const double seconds = double(timer.elapsed()) / 1000.0;
        const QString result = runResultText(outcome.result);
        if (!options.noProgress)
            host.message(
                QStringLiteral("node %1/%2 %3: %4, %5")
                    .arg(i + 1)
                    .arg(count)
                    .arg(node.name, result,
                         statisticsLine(outcome.requests, outcome.errors, outcome.timeouts)));
        const QString serial = outcome.serial ? QString::number(*outcome.serial) : QString();
        const QString line = summaryLine(node.name, node.phone, result, serial, outcome.requests,
                                         outcome.errors, seconds);
        std::fputs(line.toUtf8().constData(), environment.out);
        std::fputc('\n', environment.out);
        std::fflush(environment.out);
        status = worse(status, outcome);
    }
    host.finish();
    if (environment.outputs) {
        // Figures that a lock held back are written now, or counted as lost: a file error.
        environment.outputs->finishRun();
        const QStringList errors = environment.outputs->errors();
        for (const QString& error : errors)
            host.message(error);
        if (!errors.isEmpty())
            status = kExitFileError;
    }
    return status;
}

} // namespace rt570::cli
