#pragma once

#include <cstdint>

namespace rt570 {

// What the meter's protocol fixes beyond the frame layout (link/Frame.h): the tool and the
// simulator read these from here alone.

// The meter measures on four ultrasonic channels, numbered 1..4.
constexpr int kChannels = 4;

// Archive kinds, request byte 4 of commands 11 and 12.
constexpr uint8_t kKindHourly = 0;
constexpr uint8_t kKindDaily = 1;
constexpr uint8_t kKindMonthly = 2;
constexpr uint8_t kKindIntegrators = 4;

// Archive quantities, request byte 3: 0..3 channel flow or volume, 4 the mains time "Тс",
// 5..8 channel operating time.
constexpr int kArchiveQuantities = 9;
constexpr int kMainsQuantity = 4;
constexpr int kFirstOperatingQuantity = 5;

// Operating and mains times are counted in units of 1/10000 hour.
constexpr double kHourUnits = 10000.0;

// Parameter slots (command 5).
constexpr int kSerialSlot = 0;
constexpr int kReportingDaySlot = 3;
constexpr int kAddressSlot = 6;
constexpr int kChordSlot = 9;
// Channel k (1..4) keeps its ten settings in slots 10k..10k+9, its maximum flow Gmax first.
constexpr int kChannelSlotStep = 10;
constexpr int gmaxSlot(int channel) {
    return kChannelSlotStep * channel;
}

} // namespace rt570
