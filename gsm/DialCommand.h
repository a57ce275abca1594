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

} // namespace rt570
