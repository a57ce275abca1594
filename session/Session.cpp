#include "session/Session.h"

#include "link/Host.h"
#include "link/OperationError.h"
#include "readings/OpeningRead.h"

#include <QDir>
#include <QtGlobal>

namespace rt570 {

Session::Session(SerialLine& line, Host& host, QString home)
    : link(line, host), m_line(line), m_host(host), m_home(std::move(home)) {
    if (!m_home.isEmpty() && !m_home.endsWith(QLatin1Char('/')) &&
        !m_home.endsWith(QLatin1Char('\\')))
        m_home += QLatin1Char('/');
}

void Session::changed() {
    m_host.displayChanged();
}

void Session::setStatusText(const QString& text) {
    display.statusText = text;
    changed();
}

void Session::setProgress(int position) {
    display.progress = position;
    changed();
}

bool Session::runOperation(const std::function<void()>& operation) {
    if (m_busy)
        return false;
    m_busy = true;
    try {
        operation();
    } catch (const OperationError& error) {
        m_busy = false;
        m_host.showError(error.message());
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    if (m_openingReadPending) {
        m_openingReadPending = false;
        runOperation([this] { openingRead(*this); });
    }
    return true;
}

void Session::requestOpeningRead() {
    if (m_busy) {
        m_openingReadPending = true;
        return;
    }
    runOperation([this] { openingRead(*this); });
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
