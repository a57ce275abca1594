#pragma once

#include "sim/HayesModem.h"

#include <QString>
#include <QStringList>

namespace rt570::sim {

// The simulator's modem options: "--modem" puts a modem in front of the meter; any of the
// "--modem-..." options implies it.
struct ModemOptions {
    bool enabled = false;
    ModemSettings settings;
};

// Takes the modem options out of `arguments` and leaves the others for the simulator's own
// parser. On a bad value returns false with the message in `error`.
bool takeModemOptions(QStringList& arguments, ModemOptions& options, QString* error);

QString modemUsage();

} // namespace rt570::sim
