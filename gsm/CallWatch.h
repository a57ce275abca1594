#pragma once

#include "link/ForwardingSerialLine.h"

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
class CallWatch : public ForwardingSerialLine {
public:
    explicit CallWatch(SerialLine& line) : ForwardingSerialLine(line) {}

    // A dial goes out now: watch what follows, forgetting an earlier call's failure.
    void dialled();
    // The call was hung up or the connection ended: stop watching.
    void stop();
    // The modem said that the call failed or dropped.
    bool callFailed() const { return m_failed; }

    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override;

private:
    bool m_watching = false;
    bool m_failed = false;
    QByteArray m_tail; // the last bytes read, so that a word split over two reads is seen
};

} // namespace rt570
