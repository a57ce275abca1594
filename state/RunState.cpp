#include "state/RunState.h"

#include "link/Host.h"

#include <QDir>
#include <QtGlobal>

namespace rt570 {

RunState::RunState(SerialLine& line, Host& host, QString home)
    : link(line, host), m_host(host), m_home(homePath(home, QString())) {}

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

QString homePath(const QString& home, const QString& name) {
    if (home.isEmpty() || home.endsWith(QLatin1Char('/')) || home.endsWith(QLatin1Char('\\')))
        return home + name;
    return home + QLatin1Char('/') + name;
}

QString defaultHome() {
    const QString env = qEnvironmentVariable("RT570_HOME");
    if (!env.isEmpty())
        return homePath(env, QString());
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\rt570_4\\");
#else
    return QDir::homePath() + QStringLiteral("/rt570_4/");
#endif
}

} // namespace rt570
