#include "cli/ModemLine.h"

#include "cli/PortProblem.h"
#include "state/NumberText.h"

#include <QThread>

namespace rt570::cli {

QString lineTracePath(const QString& tracePath, int number) {
    return QStringLiteral("%1.%2").arg(tracePath).arg(number);
}

ModemLine::ModemLine(const CliOptions& options, const RunEnvironment& base, int number,
                     std::function<void(const QString&)> say, std::mutex& csvGuard)
    : m_options(options), m_number(number), m_port(base.home), m_host(stderr, false),
      m_outputs(options.dbPath, options.csvFolder, decimalSeparator()), m_env(base) {
    if (!m_options.device.isEmpty())
        m_port.setDeviceOverride(m_options.device);
    if (m_options.tracePath.isEmpty())
        m_trace = std::make_unique<TracingSerialLine>(m_port);
    else
        m_trace =
            std::make_unique<TracingSerialLine>(m_port, lineTracePath(m_options.tracePath, number));
    m_host.setMessageSink(say);
    m_outputs.setNoteHandler(say);
    m_outputs.setCsvGuard(&csvGuard);
    m_env.line = m_trace.get();
    m_env.host = &m_host;
    m_env.wait = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    m_env.note = {};
    if (m_trace->isOpen())
        m_env.note = [this](const QString& text) { m_trace->note(text); };
    m_env.openProblem = [this](uint8_t port) { return openProblemText(m_port.openFailure(port)); };
    m_env.deviceLost = [this](uint8_t port) { return m_port.deviceLost(port); };
    m_env.outputs = &m_outputs;
    m_env.figures = nullptr;
}

QString ModemLine::openProblem() {
    // The run checked the trace file and the figure outputs before any line was made.
    if (!m_options.tracePath.isEmpty() && !m_trace->isOpen())
        return QStringLiteral("cannot open the trace file '%1': %2")
            .arg(lineTracePath(m_options.tracePath, m_number), m_trace->errorString());
    if (!m_outputs.errors().isEmpty())
        return m_outputs.errors().join(QStringLiteral("; "));
    return m_line.openProblem();
}

} // namespace rt570::cli
