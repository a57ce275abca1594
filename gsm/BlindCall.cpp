#include "gsm/BlindCall.h"

#include "gsm/ModemCommands.h"
#include "state/RunState.h"

namespace rt570 {

namespace {

void showCallStatus(RunState& session, const QString& text) {
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

bool dialNode(RunState& session, const QString& phoneText) {
    if (!SendDialCommand(session, phoneText))
        return false;
    showCallStatus(session, connectingStatus());
    return true;
}

void breakCall(RunState& session) {
    SendEscapeSequence(session);
    showCallStatus(session, breakingStatus());
}

void finishCall(RunState& session) {
    showCallStatus(session, finishedStatus());
    SendHangUp(session);
}

} // namespace rt570
