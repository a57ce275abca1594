#pragma once

#include "state/NodeDirectory.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace rt570 {

// Reads the node list file; a missing or unreadable file gives an empty directory.
NodeDirectory LoadNodeDirectory(const QString& path);
// The same from the file's bytes: Windows-1251 text (UTF-8 after a UTF-8 byte order mark), lines
// ending in CR LF, CR or LF, a zero byte ends the text. Section [baza]: kol_uzlov, then tel_<n>
// and name_u<n> for n = 1..kol_uzlov (at most 255).
NodeDirectory parseNodeList(const QByteArray& bytes);
// The node count: decimal with an optional sign, or hexadecimal after "0x"/"0X"; anything else,
// or a number beyond 32 bits, is 0.
int parseNodeCount(QStringView text);

} // namespace rt570
