#include "archives/ArchiveRequests.h"

#include "link/Link.h"
#include "state/ArchiveState.h"
#include "state/OperationStop.h"

namespace rt570 {

namespace {

constexpr int kFlowQuantities = 4;

void store(ArchiveState& archive, const ArchiveAddress& at, uint8_t quantity, double value,
           bool answered) {
    // Slots come from hours and days (0..31); the bound keeps a stray slot off the table's end.
    if (quantity < kArchiveQuantities && at.slot < kArchiveSlots) {
        archive.ArchiveTables[quantity][at.slot] = value;
        archive.answered[quantity][at.slot] = answered;
    }
}

bool requestArchive(Link& link, const ArchiveAddress& at, uint8_t quantity, uint8_t command,
                    int attempts) {
    const bool answered =
        link.request(command, quantity, at.kind, at.dateCode, kFlushTimeoutMs, attempts);
    endIfStopped(link);
    return answered;
}

} // namespace

int32_t roundUpFullDay(int32_t value) {
    return value > kFullDayLow && value < kFullDay ? kFullDay : value;
}

void ReadArchiveFloat(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                      uint8_t quantity) {
    const bool answered = requestArchive(link, at, quantity, kCmdArchiveFloat, kArchiveAttempts);
    if (quantity < kFlowQuantities)
        store(archive, at, quantity, static_cast<double>(link.replyFloat()), answered);
}

void ReadArchiveInteger(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                        uint8_t quantity) {
    const bool answered = requestArchive(link, at, quantity, kCmdArchiveInteger, kArchiveAttempts);
    store(archive, at, quantity, static_cast<double>(roundUpFullDay(link.replyInteger())),
          answered);
}

void ReadIntegratorValue(Link& link, ArchiveState& archive, const ArchiveAddress& at,
                         uint8_t quantity) {
    const bool answered =
        requestArchive(link, at, quantity, kCmdArchiveInteger, kIntegratorValueAttempts);
    store(archive, at, quantity, static_cast<double>(link.replyInteger()), answered);
}

void ReadFlowRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        if (q < kFlowQuantities)
            ReadArchiveFloat(link, archive, at, q);
        else
            ReadArchiveInteger(link, archive, at, q);
    }
}

void ReadMonthRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q)
        ReadArchiveInteger(link, archive, at, q);
}

void ReadIntegratorRecord(Link& link, ArchiveState& archive, const ArchiveAddress& at) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q)
        ReadIntegratorValue(link, archive, at, q);
}

} // namespace rt570
