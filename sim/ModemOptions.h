#pragma once

#include "sim/HayesModem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QCommandLineParser;

namespace rt570::sim {

// One number of the modem bank ("--number PHONE=SEED" or "PHONE=busy" ...).
struct BankNumber {
    QByteArray digits; // the phone's digits and "+", as dialDigits gives them
    DialAnswer answer = DialAnswer::Connect;
    uint32_t seed = 0; // the seed of the meter behind it, when it connects
};

// The simulator's modem options: "--modem" puts a modem in front of the meter; any of the
// "--modem-..." options and "--number" imply it. Without numbers every dial reaches the one
// meter; with them each dial goes to its number's meter or answer.
struct ModemOptions {
    bool enabled = false;
    ModemSettings settings;
    std::vector<BankNumber> numbers;
};

// The modem's options, for a parser that also knows the meter's.
void addModemOptions(QCommandLineParser& parser);
// The modem's options from a parser that has read the arguments; false with the message in
// `error` on a bad value.
bool takeModemOptions(const QCommandLineParser& parser, ModemOptions& options, QString* error);

QString modemUsage();

} // namespace rt570::sim
