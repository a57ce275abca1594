#include "cli/Collect.h"

#include "cli/CliHost.h"
#include "cli/CliRun.h"
#include "cli/ConnectionLine.h"
#include "cli/PoolTerminal.h"
#include "gsm/NodeListReader.h"
#include "state/RunState.h"

#include <QFileInfo>
#include <vector>

namespace rt570::cli {

namespace {

// The nodes to call, in list order; an error text when the list is missing or a name is not
// in it.
QString selectNodes(const CliOptions& options, const QString& path,
                    std::vector<CollectNode>& nodes) {
    if (!QFileInfo(path).isFile())
        return QStringLiteral("no node list at %1").arg(path);
    const NodeDirectory directory = LoadNodeDirectory(path);
    std::vector<CollectNode> all;
    for (int n = 1; n <= directory.loaded; ++n)
        all.push_back({directory.entries[size_t(n)].name, directory.entries[size_t(n)].phone});
    for (const QString& wanted : options.nodeNames) {
        const bool known = std::any_of(all.begin(), all.end(), [&wanted](const CollectNode& node) {
            return node.name == wanted;
        });
        if (!known)
            return QStringLiteral("no node named '%1' in %2").arg(wanted, path);
    }
    for (const CollectNode& node : all)
        if (options.nodeNames.isEmpty() || options.nodeNames.contains(node.name))
            nodes.push_back(node);
    if (nodes.empty())
        return QStringLiteral("the node list %1 has no nodes").arg(path);
    return {};
}

// A file error outranks a failed node, which outranks a refused operation.
int worse(int status, int other) {
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
    return rank(other) > rank(status) ? other : status;
}

int nodeStatus(const ConnectionOutcome& outcome) {
    return outcome.result == RunResult::FileError ? kExitFileError
           : outcome.result != RunResult::Ok      ? kExitLinkFailed
                                                  : outcome.status;
}

// The options of each modem line (its device, or its port) and its name: the device, or
// "port N", as the figure store names the port of a connection.
std::vector<CliOptions> modemLines(const CliOptions& options, QStringList& names) {
    std::vector<CliOptions> lines;
    auto add = [&](const QString& device, int port) {
        lines.push_back(options);
        lines.back().device = device;
        lines.back().port = port;
        names << (device.isEmpty() ? QStringLiteral("port %1").arg(port) : device);
    };
    if (!options.devices.isEmpty())
        for (const QString& device : options.devices)
            add(device, options.port);
    else if (options.ports.size() > 1)
        for (const int port : options.ports)
            add(QString(), port);
    else
        add(options.device, options.port);
    return lines;
}

void printSummary(std::FILE* out, const CollectNode& node, const NodeRecord& record,
                  const QString& line) {
    const ConnectionOutcome& outcome = record.run.outcome;
    const QString result =
        record.line < 0 ? QStringLiteral("not called") : runResultText(outcome.result);
    const QString serial =
        record.line >= 0 && outcome.serial ? QString::number(*outcome.serial) : QString();
    const QString text =
        record.line < 0 ? summaryLine(node.name, node.phone, result, serial, 0, 0, 0, QString())
                        : summaryLine(node.name, node.phone, result, serial, outcome.requests,
                                      outcome.errors, record.run.seconds, line);
    std::fputs(text.toUtf8().constData(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

} // namespace

QString summaryLine(const QString& name, const QString& phone, const QString& result,
                    const QString& serial, int requests, int errors, double seconds,
                    const QString& line) {
    return QStringList{name,
                       phone,
                       result,
                       serial,
                       QString::number(requests),
                       QString::number(errors),
                       QString::number(seconds, 'f', 1),
                       line}
        .join(QLatin1Char('\t'));
}

int modemLineCount(const CliOptions& options) {
    QStringList names;
    return int(modemLines(options, names).size());
}

int runCollect(const CliOptions& options, const RunEnvironment& environment,
               const LineMaker& makeLine) {
    CliHost& host = *environment.host;
    const QString path = options.nodesPath.isEmpty()
                             ? homePath(environment.home, QStringLiteral("gsm_csd.ini"))
                             : options.nodesPath;
    std::vector<CollectNode> nodes;
    const QString problem = selectNodes(options, path, nodes);
    if (!problem.isEmpty()) {
        host.message(problem);
        return kExitUsage;
    }

    QStringList names;
    const std::vector<CliOptions> lines = modemLines(options, names);
    const bool threads = bool(makeLine);
    PoolTerminal terminal(host);
    int status = kExitOk;
    int shownDone = 0;
    PoolHooks hooks;
    hooks.makeLine = [&](int line) -> std::unique_ptr<PoolLine> {
        if (!threads)
            return std::make_unique<ConnectionLine>(options, environment);
        const QString prefix = names.size() > 1 ? names[line] + QStringLiteral(": ") : QString();
        return makeLine(line, lines[size_t(line)], [&terminal, prefix](const QString& text) {
            terminal.message(prefix + text);
        });
    };
    hooks.summary = [&](int node, const NodeRecord& record) {
        terminal.aside([&] {
            printSummary(environment.out, nodes[size_t(node)], record,
                         record.line < 0 ? QString() : names[record.line]);
        });
        status = worse(status, record.line < 0 ? kExitLinkFailed : nodeStatus(record.run.outcome));
    };
    hooks.message = [&terminal](const QString& text) { terminal.message(text); };
    hooks.stopRequested = environment.stopRequested;
    if (!options.noProgress)
        hooks.progress = [&](const PoolProgress& progress) {
            // In place on a terminal while the lines run in threads; else a line per node.
            if (threads && host.drawsProgress())
                terminal.showProgress(progressText(progress));
            else if (progress.done > shownDone)
                terminal.message(progressText(progress));
            shownDone = progress.done;
        };
    const PoolOutcome outcome = runPool(nodes, names, hooks, threads);
    terminal.finish();
    if (!outcome.anyLineOpened)
        return kExitLinkFailed;
    if (outcome.lineLeft)
        status = worse(status, kExitLinkFailed);
    for (const QString& error : outcome.outputErrors)
        host.message(error);
    if (!outcome.outputErrors.isEmpty())
        status = kExitFileError;
    return status;
}

} // namespace rt570::cli
