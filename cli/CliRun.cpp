#include "cli/CliRun.h"

#include "cli/CliConnection.h"
#include "cli/CliHost.h"
#include "cli/FigureOutputs.h"
#include "gsm/DialCommand.h"

namespace rt570::cli {

namespace {

// False, with the reason on the host, for a phone text that is not dialled; a text longer
// than the dial command carries is dialled cut, with a warning.
bool dialable(CliHost& host, const QString& node, const QString& dial) {
    const QString whose = node.isEmpty() ? QString() : QStringLiteral("node %1: ").arg(node);
    switch (dialTextFault(dial)) {
    case DialTextFault::Empty:
        host.message(whose + QStringLiteral("the phone text is empty; nothing is dialled"));
        return false;
    case DialTextFault::NotACommand:
        host.message(whose + QStringLiteral("the phone text \"%1\" does not begin with \"AT\" "
                                            "(or \"at\"); it is not dialled")
                                 .arg(dial));
        return false;
    case DialTextFault::None:
        break;
    }
    const QString dialled = dialledText(dial);
    if (dialled != dial)
        host.message(whose + QStringLiteral("the phone text \"%1\" is longer than %2 "
                                            "characters; \"%3\" is dialled")
                                 .arg(dial)
                                 .arg(kDialTextLength)
                                 .arg(dialled));
    return true;
}

} // namespace

QString statisticsLine(int requests, int errors, int timeouts) {
    return QStringLiteral("requests %1, errors %2, time-outs %3")
        .arg(requests)
        .arg(errors)
        .arg(timeouts);
}

ConnectionOutcome runConnection(const CliOptions& options, const RunEnvironment& environment,
                                const QString& node, const QString& dial, bool printValues) {
    FigureOutputs* outputs = environment.outputs;
    auto now = [&environment] {
        return environment.clock ? environment.clock() : QDateTime::currentDateTime();
    };
    if (outputs) {
        const QString port =
            options.device.isEmpty() ? QStringLiteral("port %1").arg(options.port) : options.device;
        outputs->beginConnection(
            RunInfo{node, dial, port, now(), options.operationsText, environment.version});
    }
    ConnectionOutcome outcome;
    const bool viaModem = options.collect || options.gsm();
    if (viaModem && !dialable(*environment.host, node, dial)) {
        outcome.result = RunResult::BadPhone;
        outcome.status = kExitLinkFailed;
    } else {
        CliConnection connection(options, environment, printValues);
        outcome = connection.run(dial);
    }
    if (outputs && outcome.result == RunResult::Interrupted)
        return outcome; // nothing of it is kept
    if (outputs) {
        outputs->endConnection(outcome, now());
        if (!outputs->errors().isEmpty() && outcome.status != kExitUsage) {
            // The text reports are written; the figures could not all be kept.
            outcome.status = kExitFileError;
            if (outcome.result == RunResult::Ok)
                outcome.result = RunResult::FileError;
        }
    }
    return outcome;
}

int runConnection(const CliOptions& options, const RunEnvironment& environment) {
    const QString dial = options.gsm() ? dialText(options.gsmPhone) : QString();
    ConnectionOutcome outcome = runConnection(options, environment, QString(), dial, true);
    environment.host->finish();
    if (environment.outputs) {
        environment.outputs->finishRun();
        const QStringList errors = environment.outputs->errors();
        for (const QString& error : errors)
            environment.host->message(error);
        if (!errors.isEmpty() && outcome.status != kExitUsage)
            outcome.status = kExitFileError;
    }
    environment.host->message(statisticsLine(outcome.requests, outcome.errors, outcome.timeouts));
    return outcome.status;
}

} // namespace rt570::cli
