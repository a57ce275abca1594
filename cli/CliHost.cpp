#include "cli/CliHost.h"

#include "state/RunTexts.h"

#include <QCoreApplication>
#include <algorithm>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace rt570::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr int kMaxProgress = 100;
const char kProgramPrefix[] = "rt570-cli: ";
// Back to the start of the line, and clear to its end.
const char kReturn[] = "\r";
const char kClearToEnd[] = "\x1b[K";

} // namespace

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

QString CliHost::progressLine(const QString& status, int progress) {
    const int position = std::clamp(progress, 0, kMaxProgress);
    const int filled = position * kBarWidth / kMaxProgress;
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(status, QString(filled, QLatin1Char('#')),
             QString(kBarWidth - filled, QLatin1Char('.')))
        .arg(position, 3);
}

bool CliHost::processMessages() {
    if (m_interruption && m_interruption())
        return true;
    // Nothing of the command line's own waits for events; Qt's own objects may.
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    return false;
}

void CliHost::textsChanged() {
    if (m_display)
        draw(progressLine(m_display->statusText, m_display->progress));
}

void CliHost::showPhase(const QString& text) {
    draw(text);
}

void CliHost::draw(const QString& line) {
    if (!m_drawProgress || line == m_drawn)
        return;
    m_drawn = line;
    std::fputs(kReturn, m_err);
    std::fputs(line.toUtf8().constData(), m_err);
    std::fputs(kClearToEnd, m_err);
    std::fflush(m_err);
}

void CliHost::clearLine() {
    if (m_drawn.isEmpty())
        return;
    std::fputs(kReturn, m_err);
    std::fputs(kClearToEnd, m_err);
    m_drawn.clear();
}

void CliHost::message(const QString& text) {
    if (m_sink) {
        m_sink(text);
        return;
    }
    clearLine();
    QString lines = QLatin1String(kProgramPrefix) + text;
    if (m_stampClock) {
        const QString stamp =
            m_stampClock().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + QLatin1Char(' ');
        lines = stamp + lines.replace(QLatin1Char('\n'), QLatin1Char('\n') + stamp);
    }
    std::fputs(lines.toUtf8().constData(), m_err);
    std::fputc('\n', m_err);
    std::fflush(m_err);
}

void CliHost::showError(const QString& text) {
    message(text);
}

void CliHost::finish() {
    clearLine();
    std::fflush(m_err);
}

} // namespace rt570::cli
