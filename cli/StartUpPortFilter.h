#pragma once

#include "link/SerialLine.h"

namespace rt570::cli {

// The line the command line's session talks through. The window opens port 1 when it starts,
// whatever port it will use; a run from a scheduler must not take a port it was not given (another
// run may be using it, and opening a port resets its settings), so the opens made before the
// connection starts are dropped. Everything else goes straight to the backend.
class StartUpPortFilter : public SerialLine {
public:
    explicit StartUpPortFilter(SerialLine& inner) : m_inner(inner) {}

    // From now on opens reach the backend.
    void startConnection() { m_connected = true; }
    int droppedOpens() const { return m_droppedOpens; }

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override {
        if (!m_connected) {
            ++m_droppedOpens;
            return;
        }
        m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    }
    void Close_Com(uint8_t port) override { m_inner.Close_Com(port); }
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        return m_inner.Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count,
                            uint16_t* aux) override {
        return m_inner.Receive_Binary(port, buf, timeoutMs, count, aux);
    }

private:
    SerialLine& m_inner;
    bool m_connected = false;
    int m_droppedOpens = 0;
};

} // namespace rt570::cli
