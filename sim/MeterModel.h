#pragma once

#include "sim/FlowHistory.h"
#include "sim/MeterParameters.h"

#include <QDateTime>
#include <cstdint>
#include <functional>

namespace rt570::sim {

// Indexes of the present integers (command 8).
constexpr int kCurrentVolumes = 0;    // 0..3: volume counts V1..V4
constexpr int kCurrentFaultTimes = 4; // 4..7: time each channel was powered but not measuring
constexpr int kCurrentMains = 8;      // mains time Tc
constexpr int kCurrentOperating = 9;  // 9..12: operating hours B1..B4

// The meter's clock as it travels on the wire: DateCode plus the seconds byte.
struct ClockReading {
    uint32_t dateCode = 0;
    uint8_t seconds = 0;
};

// A simulated RT570-4: its settings, its running clock, its present values and its archives,
// all consistent with one metered history and deterministic for the seed. It does no I/O; the
// PC's clock comes from `clock`, which tests replace.
class MeterModel {
public:
    using PcClock = std::function<QDateTime()>;
    static QDateTime systemTime() { return QDateTime::currentDateTime(); }

    // The meter was installed a few years before the PC time it starts at (the seed says how
    // many); nothing was metered before that.
    explicit MeterModel(uint32_t seed, uint32_t serial = 0, uint8_t address = 1,
                        PcClock pcClock = systemTime);

    PcClock clock;

    uint32_t seed() const { return m_seed; }
    const FlowHistory& history() const { return m_history; }
    ParameterTable& parameters() { return m_parameters; }
    float parameter(uint8_t slot) const { return m_parameters[slot]; }

    // The meter's own wall time: the PC's clock plus the meter's offset.
    QDateTime meterTime() const;
    ClockReading readClock() const;
    // Sets the clock from a date code and seconds; a date or time that does not exist is refused
    // and leaves the clock as it was.
    bool setClock(uint32_t dateCode, uint8_t seconds);

    // Command 4, index 0..3: the flows now; other indexes read 0.
    float currentFloat(uint8_t index) const;
    // Command 8, index 0..12 (see above); other indexes read 0.
    int32_t currentInteger(uint8_t index) const;
    // Commands 11 and 12.
    float archiveFloat(uint8_t kind, uint8_t quantity, uint32_t dateCode) const;
    int32_t archiveInteger(uint8_t kind, uint8_t quantity, uint32_t dateCode) const;

private:
    uint32_t m_seed;
    ParameterTable m_parameters;
    FlowHistory m_history;
    qint64 m_offsetMs = 0;
};

} // namespace rt570::sim
