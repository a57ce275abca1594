#include "gsm/ModemCommands.h"

#include "link/SerialLine.h"
#include "state/RunState.h"

#include <QByteArray>
#include <algorithm>
#include <array>

namespace rt570 {

namespace {

// The command mode escape, no CR: the modem takes it after a second of silence on both sides.
const QByteArray kEscapeSequence("+++");
const QByteArray kHangUpCommand("ATH\r");
// Longest command: 15 characters of the phone text and CR.
constexpr int kLongestCommand = kDialTextLength + 1;

// Sends the command's first bytes, at most the longest command's length, from a buffer of its
// own: a request whose message pass is running keeps its frame, so that its next attempt
// repeats that frame and not the modem command.
void sendCommand(RunState& session, const QByteArray& command) {
    Link& link = session.link;
    link.prefillReply(kModemReplyPrefill);
    std::array<uint8_t, kLongestCommand> bytes{};
    const int length = std::min<int>(int(command.size()), kLongestCommand);
    std::copy_n(command.constData(), length, bytes.begin());
    link.line().Send_Binary(link.PortNumber(), bytes.data(), length);
}

} // namespace

bool SendDialCommand(RunState& session, const QString& dialText) {
    const QByteArray command = dialCommandBytes(dialText);
    if (command.isEmpty())
        return false;
    sendCommand(session, command);
    return true;
}

void SendEscapeSequence(RunState& session) {
    sendCommand(session, kEscapeSequence);
}

void SendHangUp(RunState& session) {
    sendCommand(session, kHangUpCommand);
}

} // namespace rt570
