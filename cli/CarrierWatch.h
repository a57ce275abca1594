#pragma once

#include "link/ForwardingSerialLine.h"

#include <QByteArray>

namespace rt570::cli {

// While armed, watches the bytes read for the modem's "NO CARRIER": once a call is up, that
// result line means the call is gone and the modem is back in command mode, where it echoes what it
// is sent. An echoed request passes the reply check (which does not compare the header), so without
// the watch every later request would store an echo's zeros as the meter's figures. Meter replies
// are 11-byte binary frames and do not spell the result line.
class CarrierWatch : public ForwardingSerialLine {
public:
    explicit CarrierWatch(SerialLine& line) : ForwardingSerialLine(line) {}

    // From a call's "CONNECT" to its hang-up.
    void arm();
    void disarm() { m_armed = false; }
    bool carrierLost() const { return m_lost; }

    uint16_t Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) override;

private:
    bool m_armed = false;
    bool m_lost = false;
    QByteArray m_tail; // the last bytes read, so that a result line split over reads is seen
};

} // namespace rt570::cli
