#pragma once

#include <cstdint>

namespace rt570 {

// The serial-port layer the tool talks through. Ports are numbered; Open_Com takes the rate in
// baud, the number of data bits, a parity code (0: none) and a stop-bit code (0: one stop bit).
//
// Receive_Binary reads into buf from its first byte, returns as soon as `count` bytes arrived
// and at the latest after `timeoutMs`; bytes it did not receive are left untouched in buf. A
// port that is not open, or that vanished, behaves like a silent line: sends go nowhere and
// reads time out. Close_Com on a port that is not open does nothing.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    virtual void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) = 0;
    virtual void Close_Com(uint8_t port) = 0;
    virtual int Send_Binary(uint8_t port, const uint8_t* buf, int count) = 0;
    // Returns the number of bytes received, as a 16-bit count.
    virtual uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) = 0;
};

} // namespace rt570
