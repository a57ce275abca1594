#include "archives/ArchiveRequests.h"

#include "link/Link.h"
#include "state/ArchiveState.h"
#include "state/OperationStop.h"

namespace rt570 {

namespace {

constexpr int kFlowQuantities = 4;

void store(ArchiveState& archive, double value, bool answered) {
    // Slots come from hours and days (0..31); the bound keeps a stray slot off the table's end.
    if (archive.ArchiveQuantity < kArchiveQuantities && archive.ArchiveSlot < kArchiveSlots) {
        archive.ArchiveTables[archive.ArchiveQuantity][archive.ArchiveSlot] = value;
        archive.answered[archive.ArchiveQuantity][archive.ArchiveSlot] = answered;
    }
}

bool requestArchive(Link& link, const ArchiveState& archive, uint8_t command, int attempts) {
    const bool answered = link.request(command, archive.ArchiveQuantity, archive.ArchiveKind,
                                       link.DateCode, kFlushTimeoutMs, attempts);
    endIfStopped(link);
    return answered;
}

} // namespace

int32_t roundUpFullDay(int32_t value) {
    return value > kFullDayLow && value < kFullDay ? kFullDay : value;
}

void ReadArchiveFloat(Link& link, ArchiveState& archive) {
    const bool answered = requestArchive(link, archive, kCmdArchiveFloat, kArchiveAttempts);
    if (archive.ArchiveQuantity < kFlowQuantities)
        store(archive, static_cast<double>(link.replyFloat()), answered);
}

void ReadArchiveInteger(Link& link, ArchiveState& archive) {
    const bool answered = requestArchive(link, archive, kCmdArchiveInteger, kArchiveAttempts);
    store(archive, static_cast<double>(roundUpFullDay(link.replyInteger())), answered);
}

void ReadIntegratorValue(Link& link, ArchiveState& archive) {
    const bool answered =
        requestArchive(link, archive, kCmdArchiveInteger, kIntegratorValueAttempts);
    store(archive, static_cast<double>(link.replyInteger()), answered);
}

void ReadFlowRecord(Link& link, ArchiveState& archive) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        archive.ArchiveQuantity = q;
        if (q < kFlowQuantities)
            ReadArchiveFloat(link, archive);
        else
            ReadArchiveInteger(link, archive);
    }
}

void ReadMonthRecord(Link& link, ArchiveState& archive) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        archive.ArchiveQuantity = q;
        ReadArchiveInteger(link, archive);
    }
}

void ReadIntegratorRecord(Link& link, ArchiveState& archive) {
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        archive.ArchiveQuantity = q;
        ReadIntegratorValue(link, archive);
    }
}

} // namespace rt570
