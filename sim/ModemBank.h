#pragma once

#include "sim/FaultInjector.h"
#include "sim/HayesModem.h"
#include "sim/MeterModel.h"
#include "sim/MeterProtocol.h"
#include "sim/ModemOptions.h"
#include "sim/SimOptions.h"
#include "sim/SimulatedMeter.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace rt570::sim {

// The far ends of the numbers given with "--number". A number that connects leads to its own
// meter, made from the simulator's options (address, latency, faults) with the number's seed,
// and so with the serial number that seed gives (defaultSerial; "--serial" is not used). The
// meters live as long as the bank, so each keeps its state from one call to the next. A number
// that is not listed answers NO CARRIER.
class ModemBank {
public:
    ModemBank(const std::vector<BankNumber>& numbers, const SimOptions& options);

    // Where a dial of `number` (its digits and "+") leads; a route for HayesModem.
    Callee route(const QByteArray& number) const;
    // The meter behind a number that connects, else null.
    MeterModel* model(const QByteArray& number) const;
    // One line per number: what a dial of it reaches.
    QStringList describe() const;

private:
    struct Meter {
        Meter(uint32_t seed, const SimOptions& options);
        MeterModel model;
        MeterProtocol protocol;
        FaultInjector faults;
        SimulatedMeter line;
    };
    struct Entry {
        DialAnswer answer = DialAnswer::NoCarrier;
        std::unique_ptr<Meter> meter; // set for the numbers that connect
    };
    std::map<QByteArray, Entry> m_entries;
};

} // namespace rt570::sim
