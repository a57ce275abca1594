#pragma once

#include <cstdint>

namespace rt570 {

class Link;
struct ArchiveState;

// Archive requests: "#" addr cmd quantity kind dateCode(4, LE) sum CR.
// Command 11 answers a float, command 12 a signed 32-bit integer. The answer goes to
// ArchiveTables[quantity][slot]. A request that runs out of attempts still stores what the
// reply buffer holds (01 01 01 01 after a silent line); `answered` beside the entry tells the
// two apart. A request the front end stopped ends the operation (OperationStopped) before
// anything is stored.

// One archive record: its kind (request byte 4), its date code (the data field) and the slot of
// the tables its entries land in.
struct ArchiveAddress {
    uint8_t kind = 0;
    uint32_t dateCode = 0;
    uint16_t slot = 0;
};

constexpr int kArchiveAttempts = 11;
constexpr int kIntegratorValueAttempts = 13;

// Integer readings just under 24 hours (strictly between these bounds) are taken as exactly
// 24 hours.
constexpr int32_t kFullDayLow = 239900;
constexpr int32_t kFullDay = 240000;

// Command 11; only quantities 0..3 (the channel flows) are stored, the others are asked for and
// dropped.
void ReadArchiveFloat(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                      uint8_t quantity);
// Command 12 with the rounding up to a full day.
void ReadArchiveInteger(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                        uint8_t quantity);
// Command 12 with 13 attempts and the value stored as received.
void ReadIntegratorValue(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                         uint8_t quantity);

// Whole records, one request per quantity:
// hourly and daily records: 0..3 as floats, then 4..8 as integers;
void ReadFlowRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at);
// the monthly record: 0..8 as integers;
void ReadMonthRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at);
// the end-of-day integrators: 0..8 with ReadIntegratorValue.
void ReadIntegratorRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at);

// The rounding of ReadArchiveInteger on its own.
int32_t roundUpFullDay(int32_t value);

} // namespace rt570
