#pragma once

#include "link/Protocol.h"
#include "sim/FlowHistory.h"

#include <QDateTime>
#include <array>
#include <cstdint>

namespace rt570::sim {

// One archive record as the meter keeps it. A record the meter cannot have (a period not yet
// over, a date that does not exist, an unknown kind) reads as all zeros.
struct ArchiveRecord {
    bool known = false;
    std::array<float, 4> meanFlow{}; // m3/h over the channel's operating time
    Totals totals;                   // increments over the period, or integrator readings

    float floatValue(uint8_t quantity) const;
    int32_t integerValue(uint8_t quantity) const;
};

// Hourly (the hour of the date code), daily (its day), monthly (the month ending with the
// reporting day of the date code) and end-of-day integrators (totals since installation at the
// end of the day), as of the meter's time `now`.
ArchiveRecord archiveRecord(const FlowHistory& history, uint8_t kind, uint32_t dateCode,
                            const QDateTime& now);

// Integers on the wire are 32 bits; longer totals wrap as the meter's counters do.
int32_t wrap32(int64_t value);

} // namespace rt570::sim
