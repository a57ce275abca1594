#pragma once

#include "link/qt/QtSerialLine.h"

#include <QString>

namespace rt570::cli {

// A failed open as one sentence naming the device and the reason, with what to do where the
// user can do something ("cannot open /dev/ttyUSB0: permission denied; ..."); empty when the
// port was opened.
QString openProblemText(const QtSerialLine::OpenFailure& failure);

} // namespace rt570::cli
