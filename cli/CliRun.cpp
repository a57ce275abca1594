#include "cli/CliRun.h"

#include "archives/ArchiveReports.h"
#include "cli/CliHost.h"
#include "cli/ValuesOutput.h"
#include "gsm/CallControl.h"
#include "link/OperationError.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"

namespace rt570::cli {

namespace {

void note(const RunEnvironment& environment, const QString& text) {
    if (environment.note)
        environment.note(text);
}

void printValues(const Display& display, std::FILE* out) {
    for (const QString& line : valueLines(display)) {
        std::fputs(line.toUtf8().constData(), out);
        std::fputc('\n', out);
    }
    std::fflush(out);
}

// Runs one operation through the session's guard, as the window's button would. False when it
// ended with an error (already shown through the host).
bool runOperation(Session& session, CliHost& host, const CliOperation& operation, std::FILE* out) {
    const int errorsBefore = int(host.errors().size());
    session.runOperation([&] {
        switch (operation.kind) {
        case CliOperation::Values:
            readCurrentValues(session);
            printValues(session.display, out);
            break;
        case CliOperation::SetClock:
            writePcClock(session);
            break;
        case CliOperation::Params:
            parameterReport(session);
            break;
        case CliOperation::Hourly:
            selectArchiveDate(session, operation.date);
            hourlyReport(session, operation.date);
            break;
        case CliOperation::Daily:
            selectArchiveDate(session, operation.date);
            dailyReport(session, operation.date);
            break;
        case CliOperation::Monthly:
            selectArchiveDate(session, operation.date);
            monthlyReport(session, operation.date);
            break;
        }
    });
    return int(host.errors().size()) == errorsBefore;
}

} // namespace

QString statisticsLine(int requests, int errors, int timeouts) {
    return QStringLiteral("requests %1, errors %2, time-outs %3")
        .arg(requests)
        .arg(errors)
        .arg(timeouts);
}

int runConnection(const CliOptions& options, const RunEnvironment& environment) {
    CliHost& host = *environment.host;
    Session session(*environment.line, host, environment.home);
    if (environment.clock)
        session.clock = environment.clock;
    host.watch(&session.display);

    loadRunState(session);
    resetCounters(session);

    int status = kExitOk;
    bool dialled = false;
    try {
        openConnection(session, QString::number(options.address), QString::number(options.port),
                       options.rateItem);
        if (options.gsm()) {
            note(environment, QStringLiteral("dial"));
            dialled = dialNode(session, dialText(options.gsmPhone));
            if (dialled) {
                host.showPhase(session.display.gsmStatus);
                environment.wait(kConnectWaitMs);
            }
        }
    } catch (const OperationError& error) {
        host.showError(error.message());
        status = kExitUsage;
    }

    if (status == kExitOk) {
        note(environment, QStringLiteral("begin opening read"));
        const int errorsBefore = int(host.errors().size());
        session.runOperation([&session] { openingRead(session); });
        note(environment, QStringLiteral("end opening read"));
        if (int(host.errors().size()) != errorsBefore) {
            status = kExitFileError;
        } else if (session.link.LinkFailed != 0) {
            host.message(QStringLiteral("the opening read failed: no answer from the meter at "
                                        "address %1; no report files were created")
                             .arg(options.address));
            status = kExitLinkFailed;
        }
    }

    if (status == kExitOk) {
        for (const CliOperation& operation : options.operations) {
            const QString name = operationName(operation.kind);
            note(environment, QStringLiteral("begin ") + name);
            const bool ok = runOperation(session, host, operation, environment.out);
            note(environment, QStringLiteral("end ") + name);
            if (!ok) {
                status = kExitFileError;
                break;
            }
        }
    }

    if (dialled) {
        // The call is ended whatever happened before: a call left standing costs money.
        note(environment, QStringLiteral("hang up"));
        breakCall(session);
        host.showPhase(session.display.gsmStatus);
        environment.wait(kHangUpWaitMs);
        finishCall(session);
    }

    try {
        closeConnection(session);
    } catch (const OperationError& error) {
        host.showError(error.message());
        status = kExitFileError;
    }

    const Link& link = session.link;
    if (status == kExitOk && link.TimeoutCount > 0) {
        host.message(QStringLiteral("%1 request(s) got no good reply in all their attempts")
                         .arg(link.TimeoutCount));
        status = kExitLinkFailed;
    }
    host.finish();
    host.message(statisticsLine(link.RequestCount, link.ErrorCount, link.TimeoutCount));
    return status;
}

} // namespace rt570::cli
