#include "cli/CliHost.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/Collect.h"
#include "cli/FigureOutputs.h"
#include "cli/ModemLine.h"
#include "cli/PortProblem.h"
#include "cli/ReportSetLocks.h"
#include "cli/StopSignal.h"
#include "cli/Usage.h"
#include "link/TracingSerialLine.h"
#include "link/qt/QtSerialLine.h"
#include "state/NumberText.h"
#include "state/RunState.h"
#include "store/StoreImport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <memory>
#include <mutex>
#include <rt570/Version.h>

using namespace rt570;
using namespace rt570::cli;

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const ParsedArguments parsed = parseArguments(application.arguments().mid(1));
    if (!parsed.ok()) {
        std::fprintf(stderr, "rt570-cli: %s\nTry 'rt570-cli --help'.\n",
                     parsed.error.toUtf8().constData());
        return kExitUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(usageText().toUtf8().constData(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("rt570-cli %s\n", RT570_VERSION);
        return kExitOk;
    }

    catchStopSignals();
    setDecimalSeparator(separatorFromRegionalSettings());
    const QString home = defaultHome();
    QtSerialLine port(home);
    if (!options.device.isEmpty())
        port.setDeviceOverride(options.device);

    // Bad usage above is told plainly, at once, as other programs do; from here on, a log that
    // is not a terminal gets the date and time of each line.
    const bool terminal = isTerminal(stderr);
    CliHost host(
        stderr, !options.noProgress && terminal,
        terminal ? CliHost::Clock() : [] { return QDateTime::currentDateTime(); });

    if (!options.importPath.isEmpty()) {
        const ImportOutcome outcome = importFigures(options.importPath, options.dbPath);
        if (!outcome.ok()) {
            host.message(outcome.error);
            return kExitFileError;
        }
        std::printf("%s: %d connection(s) added, %d already there, %lld figure row(s) written\n",
                    options.importPath.toUtf8().constData(), outcome.runsAdded, outcome.runsPresent,
                    static_cast<long long>(outcome.rows));
        return kExitOk;
    }

    // Several modem lines each trace to a file of their own, made by the line itself.
    const int lines = options.collect ? modemLineCount(options) : 1;
    for (int line = 1; lines > 1 && !options.tracePath.isEmpty() && line <= lines; ++line) {
        QFile file(lineTracePath(options.tracePath, line));
        if (!file.open(QIODevice::Append)) {
            host.message(QStringLiteral("cannot open the trace file '%1': %2")
                             .arg(file.fileName(), file.errorString()));
            return kExitFileError;
        }
    }
    // Without a trace file the frames still reach the "rt570.link" logging category.
    std::unique_ptr<TracingSerialLine> trace;
    if (options.tracePath.isEmpty() || lines > 1) {
        trace = std::make_unique<TracingSerialLine>(port);
    } else {
        trace = std::make_unique<TracingSerialLine>(port, options.tracePath);
        if (!trace->isOpen()) {
            // An output that cannot be written, as a report file that cannot be.
            host.message(QStringLiteral("cannot open the trace file '%1': %2")
                             .arg(options.tracePath, trace->errorString()));
            return kExitFileError;
        }
    }

    // The store and the CSV folder are checked before any port is opened or number dialled: a
    // night of calls whose figures could not be kept would cost money and give nothing.
    FigureOutputs outputs(options.dbPath, options.csvFolder, decimalSeparator());
    if (!outputs.errors().isEmpty()) {
        for (const QString& error : outputs.errors())
            host.message(error);
        return kExitFileError;
    }
    outputs.setNoteHandler([&host](const QString& note) { host.message(note); });
    RunEnvironment environment;
    environment.line = trace.get();
    environment.host = &host;
    environment.home = home;
    environment.out = stdout;
    environment.wait = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    if (!options.tracePath.isEmpty())
        environment.note = [&trace](const QString& text) { trace->note(text); };
    environment.openProblem = [&port](uint8_t number) {
        return openProblemText(port.openFailure(number));
    };
    environment.deviceLost = [&port](uint8_t number) { return port.deviceLost(number); };
    environment.outputs = &outputs;
    environment.version = QStringLiteral(RT570_VERSION);
    environment.stopRequested = [] { return stopSignal() != 0; };
    ReportSetLocks reportSets;
    environment.reportSets = &reportSets;
    LineMaker makeLine;
    std::mutex csvGuard;
    if (lines > 1)
        makeLine = [&environment, &csvGuard](int line, const CliOptions& lineOptions,
                                             std::function<void(const QString&)> say) {
            return std::make_unique<ModemLine>(lineOptions, environment, line + 1, std::move(say),
                                               csvGuard);
        };
    const int status = options.collect ? runCollect(options, environment, makeLine)
                                       : runConnection(options, environment);
    // Told to stop: the shell's convention for a program ended by a signal.
    if (const int signal = stopSignal())
        return 128 + signal;
    return status;
}
