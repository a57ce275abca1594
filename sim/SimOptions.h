#pragma once

#include "sim/FaultInjector.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class QCommandLineParser;

namespace rt570::sim {

struct ModemOptions;

// The simulator's command line.
struct SimOptions {
    uint8_t address = 1;
    uint32_t serial = 0; // 0: the seed's own serial number
    uint32_t seed = 1;
    int latencyMs = 0;
    uint32_t baud = 9600; // 0: no pacing
    FaultRates faults;
    QString link;
    bool trace = false; // log every frame (the "rt570.link" logging category)
    bool help = false;
    bool version = false;
};

// The meter's options, for a parser that also knows the modem's.
void addSimOptions(QCommandLineParser& parser);
// The meter's options from a parser that has read the arguments; false with the message in
// `error` on a bad value.
bool takeSimOptions(const QCommandLineParser& parser, SimOptions& options, QString* error);

// Parses the simulator's arguments (without the program name), the meter's and the modem's.
// On an unknown option, a missing or bad value or an argument that is no option returns false
// with the message in `error`.
bool parseSimArguments(const QStringList& arguments, SimOptions& options, ModemOptions& modem,
                       QString* error);

QString simUsage();

} // namespace rt570::sim
