#pragma once

#include <QByteArray>
#include <QString>

namespace rt570 {

// The dial command carries at most this many characters of the phone text, then CR.
constexpr int kDialTextLength = 15;

// The bytes of the dial command: the phone text's first 15 characters (all of a shorter text,
// a character outside the basic plane counting once) in Windows-1251, then CR. An empty text
// gives no bytes. A character among those sent that Windows-1251 cannot hold throws an
// OperationError.
QByteArray dialCommandBytes(const QString& dialText);

// The part of the phone text that the dial command carries: its first 15 characters.
QString dialledText(const QString& dialText);

// Why a phone text is not dialled unattended: it is empty, or it is not a modem command (it
// does not begin with "AT" or "at", the two spellings modems take; the text is sent as it
// stands).
enum class DialTextFault { None, Empty, NotACommand };
DialTextFault dialTextFault(const QString& dialText);

} // namespace rt570
