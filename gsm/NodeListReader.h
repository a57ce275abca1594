#pragma once

#include "gsm/NodeDirectory.h"

#include <QByteArray>
#include <QString>

namespace rt570 {

// Reads the node list file; a missing or unreadable file gives an empty directory.
NodeDirectory LoadNodeDirectory(const QString& path);
// The same from the file's bytes.
NodeDirectory parseNodeList(const QByteArray& bytes);

} // namespace rt570
