#pragma once

#include "link/Frame.h"

#include <QByteArray>
#include <cstdint>
#include <optional>

namespace rt570::sim {

class MeterModel;

// The meter's side of the request/reply protocol: bytes from the line in, reply frames out.
// Frames with a wrong checksum, another address or an unknown command get no reply; bytes
// that are not a frame (noise, modem commands) are skipped up to the next "#".
class MeterProtocol {
public:
    MeterProtocol(MeterModel& model, uint8_t address) : m_model(model), m_address(address) {}

    // Takes any number of bytes and returns the replies to every request they completed, in
    // order, 11 bytes each. Bytes of an unfinished frame are kept for the next call.
    QByteArray feed(const QByteArray& in);

    // The reply to one request frame, or nothing when the meter stays silent.
    std::optional<ReplyFrame> answer(const RequestFrame& request);

    uint8_t address() const { return m_address; }
    // Counters: frames answered, frames ignored (wrong sum, other address, unknown command),
    // bytes skipped while looking for a frame start.
    int answered() const { return m_answered; }
    int ignored() const { return m_ignored; }
    int skippedBytes() const { return m_skipped; }

private:
    MeterModel& m_model;
    uint8_t m_address = 1;
    QByteArray m_pending;
    int m_answered = 0;
    int m_ignored = 0;
    int m_skipped = 0;
};

} // namespace rt570::sim
