#include "cli/ConnectionLine.h"

#include "cli/FigureOutputs.h"
#include "link/Link.h"
#include "link/SerialLine.h"
#include "session/Connection.h"

#include <QElapsedTimer>

namespace rt570::cli {

QString ConnectionLine::openProblem() {
    if (!m_env.openProblem)
        return {};
    const auto port = uint8_t(m_options.port);
    m_env.line->Open_Com(port, uint32_t(rateOfItem(m_options.rateItem)), kDataBits, kParityNone,
                         kOneStopBit);
    const QString problem = m_env.openProblem(port);
    m_env.line->Close_Com(port);
    return problem;
}

NodeRun ConnectionLine::run(const CollectNode& node) {
    QElapsedTimer timer;
    timer.start();
    NodeRun run;
    run.outcome = runConnection(m_options, m_env, node.name, node.phone, false);
    run.seconds = double(timer.elapsed()) / 1000.0;
    const bool lost = m_env.deviceLost && m_env.deviceLost(uint8_t(m_options.port));
    run.fate = fateOf(run.outcome, lost);
    return run;
}

QStringList ConnectionLine::finish() {
    if (!m_env.outputs)
        return {};
    // Figures that a lock held back are written now, or counted as lost.
    m_env.outputs->finishRun();
    return m_env.outputs->errors();
}

} // namespace rt570::cli
