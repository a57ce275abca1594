#pragma once

#include <QString>

namespace rt570 {

class Session;

// The modem commands, sent through the request buffer; nothing is read back.
// Dial: the phone text (its first 15 characters) and CR. Returns false, sending nothing, for an
// empty text.
bool SendDialCommand(Session& session, const QString& dialText);
void SendEscapeSequence(Session& session); // "+++"
void SendHangUp(Session& session);         // "ATH" CR

} // namespace rt570
