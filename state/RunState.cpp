#include "state/RunState.h"

#include "state/FrontEnd.h"

#include <QDir>
#include <QtGlobal>

namespace rt570 {

RunState::RunState(SerialLine& line, FrontEnd& frontEnd, QString home)
    : link(line, frontEnd), m_frontEnd(frontEnd), m_home(homePath(home, QString())) {}

void RunState::changed() {
    m_frontEnd.textsChanged();
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
