#pragma once

#include "link/SerialLine.h"

namespace rt570 {

// A serial line that passes every call on to the line it wraps; a line that watches or records
// the traffic derives from it and overrides the calls it looks at.
class ForwardingSerialLine : public SerialLine {
public:
    explicit ForwardingSerialLine(SerialLine& inner) : m_inner(inner) {}

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override {
        m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    }
    void Close_Com(uint8_t port) override { m_inner.Close_Com(port); }
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        return m_inner.Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override {
        return m_inner.Receive_Binary(port, buf, timeoutMs, count);
    }

protected:
    SerialLine& inner() { return m_inner; }

private:
    SerialLine& m_inner;
};

} // namespace rt570
