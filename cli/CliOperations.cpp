#include "cli/CliConnection.h"

#include "archives/ArchiveReports.h"
#include "cli/CatchUp.h"
#include "cli/CliHost.h"
#include "cli/FigureOutputs.h"
#include "cli/ValuesOutput.h"
#include "readings/Clock.h"
#include "readings/CurrentValues.h"
#include "readings/ParameterReport.h"
#include "state/FigureSink.h"

#include <cstdio>

namespace rt570::cli {

void CliConnection::runOperations() {
    const std::vector<CliOperation> operations =
        asksForMissing(m_options.operations) ? catchUpOperations() : m_options.operations;
    for (const CliOperation& operation : operations) {
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

// The operations with each "missing" one replaced by the reads of what the figure store
// lacks of this meter, asked after the opening read named it. When the store cannot tell, the
// "missing" ones are left out and the connection fails as a file error; the others still run.
std::vector<CliOperation> CliConnection::catchUpOperations() {
    const QDate today = m_session.clock().date();
    MissingPeriods missing;
    QString error = QStringLiteral("the meter gave no serial number: the periods missing from "
                                   "the figure database cannot be looked up");
    if (m_outcome.serial)
        error = m_env.outputs
                    ? m_env.outputs->findMissing(
                          *m_outcome.serial, catchUpWindow(today, m_options.catchUpDays), missing)
                    : QStringLiteral("missing needs --db");
    if (!error.isEmpty()) {
        m_host.message(error);
        fail(RunResult::FileError, kExitFileError);
    }
    const std::vector<CliOperation> operations =
        expandMissing(m_options.operations, missing, today);
    QStringList words;
    for (const CliOperation& operation : operations)
        words << (operationName(operation.kind) + QLatin1Char(' ') +
                  operation.date.toString(Qt::ISODate))
                     .trimmed();
    note(QStringLiteral("missing: ") +
         (words.isEmpty() ? QStringLiteral("none") : words.join(QStringLiteral(", "))));
    return operations;
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
