#include "sim/SimulatedMeter.h"

#include "link/Frame.h"

namespace rt570::sim {

Transmissions SimulatedMeter::feed(const QByteArray& in) {
    const QByteArray replies = m_protocol.feed(in);
    Transmissions out;
    for (int at = 0; at + kFrameLength <= replies.size(); at += kFrameLength)
        if (auto t = m_faults.apply(replies.mid(at, kFrameLength), m_latencyMs))
            out.push_back(*t);
    return out;
}

} // namespace rt570::sim
