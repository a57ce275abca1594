#pragma once

#include <array>
#include <cstdint>

namespace rt570 {

// Nine archive quantities: 0..3 channel flow or volume, 4 mains time "Тс", 5..8 operating time.
constexpr int kArchiveQuantities = 9;
constexpr int kArchiveSlots = 256;

// Record kinds sent in request byte 4.
constexpr uint8_t kKindHourly = 0;
constexpr uint8_t kKindDaily = 1;
constexpr uint8_t kKindMonthly = 2;
constexpr uint8_t kKindIntegrators = 4;

struct ArchiveDateParts {
    uint16_t year = 0; // full year, or YY = year - 2000 once an operation took the date
    uint16_t month = 0;
    uint16_t day = 0;
};

// The archive request inputs and the nine tables; they live as long as the window and are never
// cleared.
struct ArchiveState {
    std::array<std::array<double, kArchiveSlots>, kArchiveQuantities> ArchiveTables{};
    uint8_t ArchiveQuantity = 0;
    uint8_t ArchiveKind = 0;
    uint16_t ArchiveSlot = 0;
    ArchiveDateParts ArchiveDate;
    uint8_t DaysInArchiveMonth = 0;
};

} // namespace rt570
