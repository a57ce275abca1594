#pragma once

#include <QByteArray>
#include <vector>

namespace rt570::sim {

// A chunk of bytes to put on the line, `delayMs` after the bytes that caused it arrived. A
// chunk with a ticket may still be withdrawn by its device until its first byte goes out (a
// modem's "CONNECT" when the dial is aborted, its "OK" when an escape turns out to be data).
struct Transmission {
    QByteArray bytes;
    int delayMs = 0;
    int ticket = 0; // 0: never withdrawn
};

using Transmissions = std::vector<Transmission>;

// Whatever answers at the far end of the line: the meter itself, or a modem in front of it.
// Bytes arrive in pieces of any size, exactly as they came off the line; the device keeps what
// it has not used yet and answers with the chunks to send back, each with its own delay.
class LineDevice {
public:
    virtual ~LineDevice() = default;
    virtual Transmissions feed(const QByteArray& in) = 0;
    // Asked when a chunk with this ticket is due: true drops it unsent.
    virtual bool withdrawn(int ticket) const {
        (void)ticket;
        return false;
    }
};

} // namespace rt570::sim
