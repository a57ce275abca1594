#include "figures/window/PcTimeText.h"

namespace rt570 {

QString pcTimeText(const QDateTime& at) {
    return at.isValid() ? at.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QStringLiteral("—");
}

} // namespace rt570
