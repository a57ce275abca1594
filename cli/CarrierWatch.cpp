#include "cli/CarrierWatch.h"

namespace rt570::cli {

namespace {

const QByteArray kNoCarrier = QByteArrayLiteral("NO CARRIER");

} // namespace

void CarrierWatch::arm() {
    m_armed = true;
    m_lost = false;
    m_tail.clear();
}

uint16_t CarrierWatch::Receive_Binary(uint8_t port, uint8_t* buf, int timeoutMs, int count) {
    const uint16_t got = inner().Receive_Binary(port, buf, timeoutMs, count);
    if (m_armed && got > 0) {
        m_tail.append(reinterpret_cast<const char*>(buf), got);
        if (m_tail.contains(kNoCarrier))
            m_lost = true;
        m_tail = m_tail.right(kNoCarrier.size() - 1);
    }
    return got;
}

} // namespace rt570::cli
