#pragma once

#include "gsm/DialCommand.h"

#include <QString>

namespace rt570 {

class RunState;

// The modem commands, sent through the request buffer; nothing is read back. Each first fills
// the first 52 bytes of the reply buffer with 1.
constexpr int kModemReplyPrefill = 52;

// Dial: the phone text (its first 15 characters, or all of a shorter text) and CR. Returns false,
// sending nothing, for an empty text. A character among those sent that Windows-1251 cannot
// hold refuses the dial with an OperationError, before anything is sent.
bool SendDialCommand(RunState& session, const QString& dialText);
void SendEscapeSequence(RunState& session); // "+++"
void SendHangUp(RunState& session);         // "ATH" CR

} // namespace rt570
