#include "cli/CliConnection.h"

#include "archives/ArchiveReports.h"
#include "cli/CliHost.h"
#include "cli/ValuesOutput.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/ParameterReport.h"
#include "state/FigureSink.h"

#include <cstdio>

namespace rt570::cli {

void CliConnection::runOperations() {
    for (const CliOperation& operation : m_options.operations) {
        const OperationResult result =
            traced(operationName(operation.kind), [&] { perform(operation); });
        if (result.stopped())
            return;
        if (!result.failed())
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

// What the window's button for the operation does.
void CliConnection::perform(const CliOperation& operation) {
    Session& session = m_session;
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
}

// Before the first archive read of the connection, the meter's clock to the figure sink:
// periods that had not ended by it are no figures yet. Only with a sink: without one nobody
// needs it, and a plain run sends the requests it always did.
void CliConnection::giveMeterClock() {
    if (!m_session.figures || m_meterClockGiven)
        return;
    m_meterClockGiven = true;
    note(QStringLiteral("meter clock"));
    m_session.figures->meterClock(readMeterClock(m_session));
}

void CliConnection::print(const QStringList& lines) const {
    for (const QString& line : lines) {
        std::fputs(line.toUtf8().constData(), m_env.out);
        std::fputc('\n', m_env.out);
    }
    std::fflush(m_env.out);
}

} // namespace rt570::cli
