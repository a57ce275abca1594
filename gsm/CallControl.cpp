#include "gsm/CallControl.h"

#include "gsm/ModemCommands.h"
#include "session/Session.h"

namespace rt570 {

namespace {

void showCallStatus(Session& session, const QString& text) {
    session.display.gsmStatus = text;
    session.changed();
}

} // namespace

QString idleStatus() {
    return QStringLiteral("Статус:");
}
QString connectingStatus() {
    return QStringLiteral("Соединение ~30c");
}
QString breakingStatus() {
    return QStringLiteral("Разрыв  ~5c ");
}
QString finishedStatus() {
    return QStringLiteral("Завершено");
}

bool dialNode(Session& session, const QString& phoneText) {
    if (!SendDialCommand(session, phoneText))
        return false;
    showCallStatus(session, connectingStatus());
    return true;
}

void breakCall(Session& session) {
    SendEscapeSequence(session);
    showCallStatus(session, breakingStatus());
}

void finishCall(Session& session) {
    showCallStatus(session, finishedStatus());
    SendHangUp(session);
}

} // namespace rt570
