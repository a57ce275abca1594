#pragma once

#include "cli/CarrierWatch.h"
#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/ReportSetLocks.h"
#include "session/Session.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace rt570::cli {

class CliHost;

// One connection as the window's "Старт" ... "Стоп": the run's state loaded, the counters
// reset, the port opened, the call made when there is a number to dial, the opening read, the
// operations in order, the call ended, the port and the report files closed. The first failure
// names the connection's result.
class CliConnection {
public:
    CliConnection(const CliOptions& options, const RunEnvironment& environment, bool printValues);
    ~CliConnection();
    CliConnection(const CliConnection&) = delete;
    CliConnection& operator=(const CliConnection&) = delete;

    // Runs the connection; `dial` empty for a meter on the port itself.
    ConnectionOutcome run(const QString& dial);

private:
    void note(const QString& text) const;
    QString deviceName() const;
    bool stopAsked() const { return m_env.stopRequested && m_env.stopRequested(); }
    void stopped();
    void fail(RunResult result, int status);

    // Why the link was stopped during a request, as the message pass found it.
    enum class Interruption { None, Stop, DeviceLost, CarrierLost };
    Interruption interruption() const;
    void interrupted();
    // Runs an operation through the session's guard between the trace's "begin" and "end"
    // marks; a stopped one ends the connection, with no "end" mark.
    OperationResult traced(const QString& name, const std::function<void()>& operation);

    bool openPort();
    bool openingRead();
    bool holdReportSet();
    QString triedReportPath() const;
    void closeAll();
    ConnectionOutcome finish();

    // CliCall.cpp: the modem call and its end.
    bool call(const QString& dial);
    bool blindCall(const QString& dial);
    void hangUp();

    // CliOperations.cpp: the operations of the command line.
    void runOperations();
    std::vector<CliOperation> catchUpOperations();
    void perform(const CliOperation& operation);
    void giveMeterClock();
    void print(const QStringList& lines) const;

    const CliOptions& m_options;
    const RunEnvironment& m_env;
    CliHost& m_host;
    CarrierWatch m_watch;
    Session m_session;
    bool m_printValues;
    bool m_callStands = false;
    bool m_meterClockGiven = false;
    Interruption m_interruption = Interruption::None;
    ConnectionOutcome m_outcome;
    ReportSetLocks::Held m_reportSet;
};

} // namespace rt570::cli
