#include "cli/CliConnection.h"

#include "cli/CliHost.h"
#include "cli/FigureOutputs.h"
#include "link/OperationError.h"
#include "link/Protocol.h"
#include "readings/OpeningRead.h"
#include "session/Connection.h"
#include "state/ReportSet.h"

#include <cmath>

namespace rt570::cli {

CliConnection::CliConnection(const CliOptions& options, const RunEnvironment& environment,
                             bool printValues)
    : m_options(options), m_env(environment), m_host(*environment.host), m_watch(*environment.line),
      m_session(m_watch, *environment.host, environment.home), m_printValues(printValues) {
    if (m_env.clock)
        m_session.clock = m_env.clock;
    if (m_env.outputs)
        m_session.figures = m_env.outputs->sink();
    if (m_env.figures)
        m_session.figures = m_env.figures;
    m_host.watch(&m_session.display);
}

CliConnection::~CliConnection() {
    m_host.watch(nullptr);
    m_host.setInterruption({});
}

ConnectionOutcome CliConnection::run(const QString& dial) {
    loadRunState(m_session);
    resetCounters(m_session);
    if (openPort() && (dial.isEmpty() || call(dial)) && openingRead() && holdReportSet())
        runOperations();
    if (m_callStands)
        hangUp();
    closeAll();
    return finish();
}

void CliConnection::note(const QString& text) const {
    if (m_env.note)
        m_env.note(text);
}

QString CliConnection::deviceName() const {
    return m_options.device.isEmpty() ? QStringLiteral("of port %1").arg(m_options.port)
                                      : m_options.device;
}

// Told to stop: the connection ends as interrupted whatever came before, and what was
// written to the report files is made durable before the hang-up.
void CliConnection::stopped() {
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

// Checked at every message pass inside a request: the run ends at once when the port's device
// went away or the call dropped, instead of waiting out every remaining request as a silent
// meter or storing a modem's echo as the meter's figures; and when the program was told to stop.
CliConnection::Interruption CliConnection::interruption() const {
    if (stopAsked())
        return Interruption::Stop;
    if (m_env.deviceLost && m_env.deviceLost(uint8_t(m_options.port)))
        return Interruption::DeviceLost;
    if (m_watch.carrierLost())
        return Interruption::CarrierLost;
    return Interruption::None;
}

// An operation whose link was stopped: the connection ends here, for the reason found.
void CliConnection::interrupted() {
    switch (m_interruption) {
    case Interruption::Stop:
        stopped();
        return;
    case Interruption::DeviceLost:
        m_host.message(
            QStringLiteral("the device %1 was lost; the run ends here").arg(deviceName()));
        m_callStands = false; // the modem went with the device
        break;
    case Interruption::CarrierLost:
        // The modem is back in command mode, not gone: the call is still hung up.
        m_host.message(QStringLiteral("the call was lost (NO CARRIER); the run ends here"));
        break;
    case Interruption::None:
        break;
    }
    fail(RunResult::LinkFailed, kExitLinkFailed);
}

OperationResult CliConnection::traced(const QString& name, const std::function<void()>& operation) {
    note(QStringLiteral("begin ") + name);
    const OperationResult result = m_session.runOperation(operation);
    if (result.stopped()) {
        interrupted();
        return result;
    }
    note(QStringLiteral("end ") + name);
    return result;
}

void CliConnection::fail(RunResult result, int status) {
    if (m_outcome.status != kExitOk && m_outcome.status != kExitRefused)
        return; // the first failure names the connection's result
    m_outcome.result = result;
    m_outcome.status = status;
}

bool CliConnection::openPort() {
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
        m_interruption = interruption();
        return m_interruption != Interruption::None;
    });
    return true;
}

bool CliConnection::openingRead() {
    const OperationResult result = traced(QStringLiteral("opening read"), [this] {
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
    if (result.stopped())
        return false;
    if (result.failed()) {
        fail(RunResult::FileError, kExitFileError);
        return false;
    }
    if (m_session.link.LinkFailed()) {
        m_host.message(QStringLiteral("the opening read failed: no answer from the meter at "
                                      "address %1; no report files were created")
                           .arg(m_options.address));
        fail(RunResult::LinkFailed, kExitLinkFailed);
        return false;
    }
    const double serial = m_session.link.values()[kSerialSlot];
    if (std::isfinite(serial) && serial >= 0 && serial <= 4294967295.0)
        m_outcome.serial = quint32(std::nearbyint(serial));
    return true;
}

// The last report file the opening read tried to create: while the set is not open, the one
// whose create failed, since the files are made in order and the first failure ends it.
// Empty when none was tried.
QString CliConnection::triedReportPath() const {
    QString path;
    for (const ReportFile& file : m_session.reports.ReportFiles)
        if (!file.path().isEmpty())
            path = file.path();
    return path;
}

// With several modem lines, the set the opening read made is taken before anything is written
// to it: another line may be writing the same set (the same meter in the same minute).
bool CliConnection::holdReportSet() {
    if (!m_env.reportSets || m_session.reports.FilesOpen != 1)
        return true;
    m_reportSet = m_env.reportSets->take(m_session.reports.ReportFiles[0].path(),
                                         [this] { return stopAsked(); });
    if (m_reportSet.held())
        return true;
    stopped();
    return false;
}

void CliConnection::closeAll() {
    m_host.setInterruption({});
    try {
        closeConnection(m_session);
    } catch (const OperationError& error) {
        m_host.showError(error.message());
        fail(RunResult::FileError, kExitFileError);
    }
    m_reportSet.release();
}

ConnectionOutcome CliConnection::finish() {
    const Link& link = m_session.link;
    if ((m_outcome.status == kExitOk || m_outcome.status == kExitRefused) &&
        link.TimeoutCount() > 0) {
        m_host.message(QStringLiteral("%1 request(s) got no good reply in all their attempts")
                           .arg(link.TimeoutCount()));
        fail(RunResult::LinkFailed, kExitLinkFailed);
    }
    m_outcome.requests = link.RequestCount();
    m_outcome.errors = link.ErrorCount();
    m_outcome.timeouts = link.TimeoutCount();
    return m_outcome;
}

} // namespace rt570::cli
