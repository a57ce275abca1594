#include "cli/CliRun.h"

#include "archives/ArchiveReports.h"
#include "cli/CarrierWatch.h"
#include "cli/CliHost.h"
#include "cli/FigureOutputs.h"
#include "cli/ValuesOutput.h"
#include "gsm/CallControl.h"
#include "gsm/DialCommand.h"
#include "link/OperationError.h"
#include "link/Protocol.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/OpeningRead.h"
#include "readings/ParameterReport.h"
#include "session/Connection.h"
#include "session/Session.h"
#include "state/ReportSet.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace rt570::cli {

namespace {

// Thrown from the message pass inside a request when the port's device went away or the call
// dropped: the run ends at once instead of waiting out every remaining request as a silent
// meter, or storing a modem's echo as the meter's figures.
class ConnectionLost : public std::runtime_error {
public:
    ConnectionLost(const QString& message, bool callGone)
        : std::runtime_error("connection lost"), m_message(message), m_callGone(callGone) {}
    const QString& message() const { return m_message; }
    // The modem is back in command mode, not gone: the call is still hung up.
    bool modemReachable() const { return m_callGone; }

private:
    QString m_message;
    bool m_callGone;
};

// Thrown from the message pass inside a request once the program has been told to stop.
class StopRequested : public std::runtime_error {
public:
    StopRequested() : std::runtime_error("stop requested") {}
};

// The result of a dial that did not connect.
RunResult resultOf(ModemResult modem) {
    switch (modem) {
    case ModemResult::Busy:
        return RunResult::Busy;
    case ModemResult::NoCarrier:
        return RunResult::NoCarrier;
    case ModemResult::NoAnswer:
        return RunResult::NoAnswer;
    case ModemResult::NoDialtone:
        return RunResult::NoDialtone;
    case ModemResult::ModemError:
        return RunResult::ModemError;
    case ModemResult::ModemSilent:
        return RunResult::ModemSilent;
    case ModemResult::Interrupted:
        return RunResult::Interrupted;
    case ModemResult::Ok:
    case ModemResult::Connected:
        break;
    }
    return RunResult::LinkFailed;
}

// The modem's own words for a failed dial.
QString modemWords(ModemResult modem) {
    return modemResultWord(modem).toUpper();
}

class Connection {
public:
    Connection(const CliOptions& options, const RunEnvironment& environment, bool printValues)
        : m_options(options), m_env(environment), m_host(*environment.host),
          m_watch(*environment.line), m_session(m_watch, *environment.host, environment.home),
          m_printValues(printValues) {
        if (m_env.clock)
            m_session.clock = m_env.clock;
        if (m_env.outputs)
            m_session.figures = m_env.outputs->sink();
        if (m_env.figures)
            m_session.figures = m_env.figures;
        m_host.watch(&m_session.display);
    }
    ~Connection() {
        m_host.watch(nullptr);
        m_host.setInterruption({});
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    ConnectionOutcome run(const QString& dial) {
        loadRunState(m_session);
        resetCounters(m_session);
        if (openPort() && (dial.isEmpty() || call(dial))) {
            try {
                if (openingRead())
                    runOperations();
            } catch (const ConnectionLost& lost) {
                m_host.message(lost.message());
                fail(RunResult::LinkFailed, kExitLinkFailed);
                m_callStands = m_callStands && lost.modemReachable();
            } catch (const StopRequested&) {
                stopped();
            }
        }
        if (m_callStands)
            hangUp();
        closeAll();
        return finish();
    }

private:
    void note(const QString& text) const {
        if (m_env.note)
            m_env.note(text);
    }
    QString deviceName() const {
        return m_options.device.isEmpty() ? QStringLiteral("of port %1").arg(m_options.port)
                                          : m_options.device;
    }
    bool stopAsked() const { return m_env.stopRequested && m_env.stopRequested(); }
    // Told to stop: the connection ends as interrupted whatever came before, and what was
    // written to the report files is made durable before the hang-up.
    void stopped() {
        m_host.message(QStringLiteral("told to stop: the connection ends here and its figures "
                                      "are not kept"));
        m_outcome.result = RunResult::Interrupted;
        m_outcome.status = kExitLinkFailed;
        if (m_session.reports.FilesOpen != 1)
            return;
        try {
            closeReportFiles(m_session.reports);
        } catch (const OperationError& error) {
            m_host.showError(error.message());
        }
    }
    void fail(RunResult result, int status) {
        if (m_outcome.status != kExitOk && m_outcome.status != kExitRefused)
            return; // the first failure names the connection's result
        m_outcome.result = result;
        m_outcome.status = status;
    }

    bool openPort() {
        try {
            openConnection(m_session, QString::number(m_options.address),
                           QString::number(m_options.port), m_options.rateItem);
        } catch (const OperationError& error) {
            m_host.showError(error.message());
            fail(RunResult::LinkFailed, kExitUsage);
            return false;
        }
        const QString problem =
            m_env.openProblem ? m_env.openProblem(uint8_t(m_options.port)) : QString();
        if (!problem.isEmpty()) {
            m_host.message(problem);
            fail(RunResult::LinkFailed, kExitLinkFailed);
            m_outcome.portUnusable = true;
            return false;
        }
        m_host.setInterruption([this] {
            if (stopAsked())
                throw StopRequested();
            if (m_env.deviceLost && m_env.deviceLost(uint8_t(m_options.port)))
                throw ConnectionLost(
                    QStringLiteral("the device %1 was lost; the run ends here").arg(deviceName()),
                    false);
            if (m_watch.carrierLost())
                throw ConnectionLost(QStringLiteral("the call was lost (NO CARRIER); the run "
                                                    "ends here"),
                                     true);
        });
        return true;
    }

    bool call(const QString& dial) {
        note(QStringLiteral("dial"));
        if (m_options.blindDial)
            return blindCall(dial);
        ModemDialogue modem(m_watch, m_session.link.PortNumber, m_env.modemTimings,
                            m_env.modemClock);
        modem.setStopCheck(m_env.stopRequested);
        m_host.showPhase(QStringLiteral("modem: AT"));
        ModemResult answer = modem.prepare();
        if (answer == ModemResult::Ok) {
            m_host.showPhase(connectingStatus());
            try {
                answer = modem.dial(dial);
            } catch (const OperationError& error) {
                m_host.message(error.message());
                fail(RunResult::ModemError, kExitLinkFailed);
                return false;
            }
        }
        if (answer == ModemResult::Connected) {
            m_callStands = true;
            m_watch.arm();
            return true;
        }
        if (answer == ModemResult::Interrupted) {
            stopped();
            return false;
        }
        if (answer == ModemResult::ModemSilent)
            m_host.message(QStringLiteral("the modem %1 does not answer \"AT\" with \"OK\"")
                               .arg(deviceName()));
        else
            m_host.message(
                QStringLiteral("the call to %1 failed: %2").arg(dial, modemWords(answer)));
        fail(resultOf(answer), kExitLinkFailed);
        return false;
    }

    // The window's call: the dial text, a fixed wait, no answer read.
    bool blindCall(const QString& dial) {
        try {
            m_callStands = dialNode(m_session, dial);
        } catch (const OperationError& error) {
            m_host.message(error.message());
            fail(RunResult::ModemError, kExitLinkFailed);
            return false;
        }
        if (!m_callStands) {
            m_host.message(QStringLiteral("no phone text to dial"));
            fail(RunResult::ModemError, kExitLinkFailed);
            return false;
        }
        m_host.showPhase(m_session.display.gsmStatus);
        if (!m_env.stopRequested) {
            m_env.wait(kConnectWaitMs);
            return true;
        }
        for (int waited = 0; waited < kConnectWaitMs; waited += kModemStopSliceMs) {
            if (stopAsked()) {
                stopped(); // the call may be coming up: it is hung up all the same
                return false;
            }
            m_env.wait(std::min(kModemStopSliceMs, kConnectWaitMs - waited));
        }
        return true;
    }

    bool openingRead() {
        note(QStringLiteral("begin opening read"));
        const int errorsBefore = int(m_host.errors().size());
        m_session.runOperation([this] {
            try {
                rt570::openingRead(m_session);
            } catch (const OperationError& error) {
                // The window's text alone ("Invalid filename") does not say which file; a log
                // read the next morning needs the path.
                const QString path = triedReportPath();
                if (path.isEmpty() || m_session.reports.FilesOpen != 0)
                    throw;
                throw OperationError(error.message() + QStringLiteral(": ") + path);
            }
        });
        note(QStringLiteral("end opening read"));
        if (int(m_host.errors().size()) != errorsBefore) {
            fail(RunResult::FileError, kExitFileError);
            return false;
        }
        if (m_session.link.LinkFailed != 0) {
            m_host.message(QStringLiteral("the opening read failed: no answer from the meter at "
                                          "address %1; no report files were created")
                               .arg(m_options.address));
            fail(RunResult::LinkFailed, kExitLinkFailed);
            return false;
        }
        const double serial = m_session.link.values[kSerialSlot];
        if (std::isfinite(serial) && serial >= 0 && serial <= 4294967295.0)
            m_outcome.serial = quint32(std::nearbyint(serial));
        return true;
    }

    // The last report file the opening read tried to create: while the set is not open, the one
    // whose create failed, since the files are made in order and the first failure ends it.
    // Empty when none was tried.
    QString triedReportPath() const {
        QString path;
        for (const ReportFile& file : m_session.reports.ReportFiles)
            if (!file.path().isEmpty())
                path = file.path();
        return path;
    }

    void runOperations() {
        for (const CliOperation& operation : m_options.operations) {
            const QString name = operationName(operation.kind);
            note(QStringLiteral("begin ") + name);
            const bool ok = runOperation(operation);
            note(QStringLiteral("end ") + name);
            if (ok)
                continue;
            if (operation.kind == CliOperation::SetClock) {
                // The PC's clock is outside what the meter takes: nothing was sent, the other
                // operations still run.
                fail(RunResult::Ok, kExitRefused);
                continue;
            }
            fail(RunResult::FileError, kExitFileError);
            return;
        }
    }

    // Runs one operation through the session's guard, as the window's button would. False when
    // it ended with an error (already shown through the host).
    bool runOperation(const CliOperation& operation) {
        const int errorsBefore = int(m_host.errors().size());
        Session& session = m_session;
        session.runOperation([&] {
            switch (operation.kind) {
            case CliOperation::Values:
                readCurrentValues(session);
                if (m_printValues)
                    print(valueLines(session.display));
                break;
            case CliOperation::SetClock:
                writePcClock(session);
                break;
            case CliOperation::Params:
                parameterReport(session);
                break;
            case CliOperation::Hourly:
                giveMeterClock();
                selectArchiveDate(session, operation.date);
                hourlyReport(session, operation.date);
                break;
            case CliOperation::Daily:
                giveMeterClock();
                selectArchiveDate(session, operation.date);
                dailyReport(session, operation.date);
                break;
            case CliOperation::Monthly:
                giveMeterClock();
                selectArchiveDate(session, operation.date);
                monthlyReport(session, operation.date);
                break;
            }
        });
        return int(m_host.errors().size()) == errorsBefore;
    }

    // Before the first archive read of the connection, the meter's clock to the figure sink:
    // periods that had not ended by it are no figures yet. Only with a sink: without one nobody
    // needs it, and a plain run sends the requests it always did.
    void giveMeterClock() {
        if (!m_session.figures || m_meterClockGiven)
            return;
        m_meterClockGiven = true;
        note(QStringLiteral("meter clock"));
        m_session.figures->meterClock(readMeterClock(m_session));
    }

    void print(const QStringList& lines) const {
        for (const QString& line : lines) {
            std::fputs(line.toUtf8().constData(), m_env.out);
            std::fputc('\n', m_env.out);
        }
        std::fflush(m_env.out);
    }

    // The call is ended whatever happened before: a call left standing costs money.
    void hangUp() {
        m_watch.disarm();
        note(QStringLiteral("hang up"));
        if (m_options.blindDial) {
            breakCall(m_session);
            m_host.showPhase(m_session.display.gsmStatus);
            m_env.wait(kHangUpWaitMs);
            finishCall(m_session);
            return;
        }
        m_host.showPhase(breakingStatus());
        ModemDialogue modem(m_watch, m_session.link.PortNumber, m_env.modemTimings,
                            m_env.modemClock);
        const HangUpResult answer = modem.hangUp();
        if (!answer.hangUpOk)
            m_host.message(QStringLiteral("the modem did not confirm the hang-up (\"ATH\")"));
    }

    void closeAll() {
        m_host.setInterruption({});
        try {
            closeConnection(m_session);
        } catch (const OperationError& error) {
            m_host.showError(error.message());
            fail(RunResult::FileError, kExitFileError);
        }
    }

    ConnectionOutcome finish() {
        const Link& link = m_session.link;
        if ((m_outcome.status == kExitOk || m_outcome.status == kExitRefused) &&
            link.TimeoutCount > 0) {
            m_host.message(QStringLiteral("%1 request(s) got no good reply in all their attempts")
                               .arg(link.TimeoutCount));
            fail(RunResult::LinkFailed, kExitLinkFailed);
        }
        m_outcome.requests = link.RequestCount;
        m_outcome.errors = link.ErrorCount;
        m_outcome.timeouts = link.TimeoutCount;
        return m_outcome;
    }

    const CliOptions& m_options;
    const RunEnvironment& m_env;
    CliHost& m_host;
    CarrierWatch m_watch;
    Session m_session;
    bool m_printValues;
    bool m_callStands = false;
    bool m_meterClockGiven = false;
    ConnectionOutcome m_outcome;
};

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
        Connection connection(options, environment, printValues);
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
