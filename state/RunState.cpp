#include "state/RunState.h"

#include "link/Host.h"

#include <QDir>
#include <QtGlobal>

namespace rt570 {

RunState::RunState(SerialLine& line, Host& host, QString home)
    : link(line, host), m_host(host), m_home(std::move(home)) {
    if (!m_home.isEmpty() && !m_home.endsWith(QLatin1Char('/')) &&
        !m_home.endsWith(QLatin1Char('\\')))
        m_home += QLatin1Char('/');
}

void RunState::changed() {
    m_host.displayChanged();
}

void RunState::setStatusText(const QString& text) {
    display.statusText = text;
    changed();
}

void RunState::setProgress(int position) {
    display.progress = position;
    changed();
}

QString defaultHome() {
    const QString env = qEnvironmentVariable("RT570_HOME");
    if (!env.isEmpty())
        return env;
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\rt570_4\\");
#else
    return QDir::homePath() + QStringLiteral("/rt570_4/");
#endif
}

} // namespace rt570
