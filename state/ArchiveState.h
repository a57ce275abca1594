#pragma once

#include "link/Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace rt570 {

// One table per archive quantity (link/Protocol.h), 256 slots each.
constexpr int kArchiveSlots = 256;

using ArchiveTable = std::array<double, kArchiveSlots>;
using ArchiveTableSet = std::array<ArchiveTable, kArchiveQuantities>;
// Beside each table entry: whether the request that last stored it was answered.
using ArchiveAnswerSet = std::array<std::array<bool, kArchiveSlots>, kArchiveQuantities>;
// One value per quantity, as a record delivers it.
using ArchiveRecord = std::array<double, kArchiveQuantities>;

struct ArchiveDateParts {
    uint16_t year = 0; // full year, or YY = year - 2000 once an operation took the date
    uint16_t month = 0;
    uint16_t day = 0;
};

// The nine tables and the date the last archive operation took; they live as long as the
// window and are never cleared.
struct ArchiveState {
    ArchiveTableSet ArchiveTables{};
    // False for an entry never stored and for one that holds what a request that ran out of
    // attempts left in the reply buffer.
    ArchiveAnswerSet answered{};
    ArchiveDateParts ArchiveDate;
    uint8_t DaysInArchiveMonth = 0;

    // The nine entries of one slot.
    ArchiveRecord record(int slot) const {
        ArchiveRecord r{};
        for (int q = 0; q < kArchiveQuantities; ++q)
            r[std::size_t(q)] = ArchiveTables[std::size_t(q)][std::size_t(slot)];
        return r;
    }
};

} // namespace rt570
