#include "cli/PoolTerminal.h"

#include "cli/CliHost.h"

#include <cmath>

namespace rt570::cli {

namespace {

constexpr int kSecondsPerMinute = 60;

// "45 s", "1 min 20 s".
QString duration(double seconds) {
    const int whole = int(std::lround(seconds));
    if (whole < kSecondsPerMinute)
        return QStringLiteral("%1 s").arg(whole);
    return QStringLiteral("%1 min %2 s")
        .arg(whole / kSecondsPerMinute)
        .arg(whole % kSecondsPerMinute);
}

} // namespace

void PoolTerminal::message(const QString& text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_host.message(text);
    if (!m_progress.isEmpty())
        m_host.showPhase(m_progress);
}

void PoolTerminal::aside(const std::function<void()>& write) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_host.finish();
    write();
    if (!m_progress.isEmpty())
        m_host.showPhase(m_progress);
}

void PoolTerminal::showProgress(const QString& text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_progress = text;
    m_host.showPhase(text);
}

void PoolTerminal::finish() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_progress.clear();
    m_host.finish();
}

QString progressText(const PoolProgress& progress) {
    QString text = QStringLiteral("%1/%2 nodes done, %3/%4 lines busy, %5 failed")
                       .arg(progress.done)
                       .arg(progress.nodes)
                       .arg(progress.linesBusy)
                       .arg(progress.linesInPool)
                       .arg(progress.failures);
    if (progress.secondsLeft >= 0)
        text += QStringLiteral(", about %1 left").arg(duration(progress.secondsLeft));
    return text;
}

} // namespace rt570::cli
