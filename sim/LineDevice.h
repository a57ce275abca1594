#pragma once

#include <QByteArray>
#include <vector>

namespace rt570::sim {

// A chunk of bytes to put on the line, `delayMs` after the bytes that caused it arrived.
struct Transmission {
    QByteArray bytes;
    int delayMs = 0;
};

using Transmissions = std::vector<Transmission>;

// Whatever answers at the far end of the line: the meter itself, or a modem in front of it.
// Bytes arrive in pieces of any size, exactly as they came off the line; the device keeps what
// it has not used yet and answers with the chunks to send back, each with its own delay.
class LineDevice {
public:
    virtual ~LineDevice() = default;
    virtual Transmissions feed(const QByteArray& in) = 0;
};

} // namespace rt570::sim
