#include "sim/FaultInjector.h"

#include "link/Frame.h"

namespace rt570::sim {

bool FaultInjector::happens(double chance) {
    if (chance <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < chance;
}

std::optional<Transmission> FaultInjector::apply(const QByteArray& reply, int latencyMs) {
    if (happens(m_rates.drop)) {
        ++dropped;
        return std::nullopt;
    }
    Transmission t{reply, latencyMs};
    if (happens(m_rates.corrupt) && t.bytes.size() > kChecksumByte) {
        ++corrupted;
        const int flip = std::uniform_int_distribution<int>(1, 255)(m_random);
        t.bytes[kChecksumByte] = char(uint8_t(t.bytes[kChecksumByte]) ^ uint8_t(flip));
    }
    if (happens(m_rates.shortened) && t.bytes.size() > 1) {
        ++shortened;
        t.bytes.truncate(std::uniform_int_distribution<int>(1, int(t.bytes.size()) - 1)(m_random));
    }
    if (happens(m_rates.noise)) {
        ++noisy;
        const int count = std::uniform_int_distribution<int>(1, kMostNoiseBytes)(m_random);
        QByteArray junk;
        for (int i = 0; i < count; ++i)
            junk.append(char(std::uniform_int_distribution<int>(0, 255)(m_random)));
        t.bytes.prepend(junk);
    }
    if (happens(m_rates.late)) {
        ++late;
        t.delayMs += kLateReplyMs;
    }
    return t;
}

} // namespace rt570::sim
