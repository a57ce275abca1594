#pragma once

#include "link/SerialLine.h"

#include <QByteArray>

namespace rt570 {

// Watches the bytes read on a line where a call was dialled without reading the modem's answer
// (the window's dial). A modem whose call failed or dropped says so ("NO CARRIER", "BUSY",
// "NO ANSWER", "NO DIALTONE", "ERROR") and stays in command mode, where it echoes what it is
// sent; an echoed request passes the reply check, which does not compare the header, so the
// echo would be taken for the meter's figures. From the read that holds one of those words on,
// every read counts as unanswered: its bytes are taken off the line, the caller's buffer is left
// as a silent read leaves it, and 0 is returned. A later "CONNECT" (the operator dialled again)
// makes the reads count again. Nothing is watched until the first dial.
class CallWatch : public SerialLine {
public:
    explicit CallWatch(SerialLine& inner) : m_inner(inner) {}

    // A dial goes out now: watch what follows, forgetting an earlier call's failure.
    void dialled();
    // The call was hung up or the connection ended: stop watching.
    void stop();
    // The modem said that the call failed or dropped.
    bool callFailed() const { return m_failed; }

    void Open_Com(uint8_t port, uint32_t rate, int dataBits, int parity, int stopBits) override {
        m_inner.Open_Com(port, rate, dataBits, parity, stopBits);
    }
    void Close_Com(uint8_t port) override { m_inner.Close_Com(port); }
    int Send_Binary(uint8_t port, const uint8_t* buf, int count) override {
        return m_inner.Send_Binary(port, buf, count);
    }
    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count,
                            uint16_t* aux) override;

private:
    SerialLine& m_inner;
    bool m_watching = false;
    bool m_failed = false;
    QByteArray m_tail; // the last bytes read, so that a word split over two reads is seen
};

} // namespace rt570
