#pragma once

#include <QDateTime>
#include <QString>

namespace rt570 {

// A time on the PC's clock as the window shows it, a dash when there is none.
QString pcTimeText(const QDateTime& at);

} // namespace rt570
