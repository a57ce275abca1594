#pragma once

#include "sim/FaultInjector.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace rt570::sim {

// The simulator's command line.
struct SimOptions {
    uint8_t address = 1;
    uint32_t serial = 0; // 0: the seed's own serial number
    uint32_t seed = 1;
    int latencyMs = 0;
    uint32_t baud = 9600; // 0: no pacing
    FaultRates faults;
    QString link;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On a bad option returns false with the
// message in `error`.
bool parseSimOptions(const QStringList& arguments, SimOptions& options, QString* error);

QString simUsage();

} // namespace rt570::sim
