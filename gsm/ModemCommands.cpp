#include "gsm/ModemCommands.h"

#include "link/Cp1251.h"
#include "link/OperationError.h"
#include "link/SerialLine.h"
#include "session/Session.h"

#include <QByteArray>
#include <algorithm>
#include <array>

namespace rt570 {

namespace {

constexpr char kCarriageReturn = 0x0D;
// The command mode escape, no CR: the modem takes it after a second of silence on both sides.
const QByteArray kEscapeSequence("+++");
const QByteArray kHangUpCommand("ATH\r");
// Longest command: 15 characters of the phone text and CR.
constexpr int kLongestCommand = kDialTextLength + 1;

// Writes the command into the request buffer and sends it from there. A request whose message
// pass is running keeps its frame: the buffer's first bytes are put back after the send, so
// that its next attempt repeats the same frame and not the modem command.
void sendCommand(Session& session, const QByteArray& command) {
    Link& link = session.link;
    link.prefillReply(kModemReplyPrefill);
    std::array<uint8_t, kLongestCommand> saved{};
    const int length = std::min<int>(int(command.size()), kLongestCommand);
    std::copy_n(link.requestBuffer.begin(), length, saved.begin());
    std::copy_n(command.constData(), length, link.requestBuffer.begin());
    link.line().Send_Binary(link.PortNumber, link.requestBuffer.data(), length);
    std::copy_n(saved.begin(), length, link.requestBuffer.begin());
}

// The first `count` characters of `text`, a character outside the basic plane counting once.
QString leadingCharacters(const QString& text, int count) {
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken)
        end += text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}

} // namespace

bool SendDialCommand(Session& session, const QString& dialText) {
    if (dialText.isEmpty())
        return false;
    const QString sent = leadingCharacters(dialText, kDialTextLength);
    bool unmappable = false;
    QByteArray command = cp1251::encode(sent, &unmappable);
    if (unmappable)
        throw OperationError(QStringLiteral("Номер \"%1\" содержит символы, которых нет в "
                                            "кодировке Windows-1251. Набор отменен.")
                                 .arg(sent));
    command.append(kCarriageReturn);
    sendCommand(session, command);
    return true;
}

void SendEscapeSequence(Session& session) {
    sendCommand(session, kEscapeSequence);
}

void SendHangUp(Session& session) {
    sendCommand(session, kHangUpCommand);
}

} // namespace rt570
