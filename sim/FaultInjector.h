#pragma once

#include "sim/LineDevice.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <random>

namespace rt570::sim {

// Chances, 0..1, that a reply is spoilt in each way.
struct FaultRates {
    double drop = 0;      // no reply at all
    double corrupt = 0;   // wrong checksum
    double shortened = 0; // fewer than 11 bytes
    double noise = 0;     // junk bytes before the reply
    double late = 0;      // the reply comes after the tool's reply time-out

    bool any() const { return drop > 0 || corrupt > 0 || shortened > 0 || noise > 0 || late > 0; }
};

// A late reply comes this long after its request: past the tool's 3000 ms reply read.
constexpr int kLateReplyMs = 3500;
constexpr int kMostNoiseBytes = 8;

// Spoils replies at the chosen rates, reproducibly for a seed.
class FaultInjector {
public:
    FaultInjector(const FaultRates& rates, uint32_t seed) : m_rates(rates), m_random(seed) {}

    // The reply as it goes on the line `latencyMs` after its request, or nothing when dropped.
    std::optional<Transmission> apply(const QByteArray& reply, int latencyMs);

    int dropped = 0;
    int corrupted = 0;
    int shortened = 0;
    int noisy = 0;
    int late = 0;

private:
    bool happens(double chance);

    FaultRates m_rates;
    std::mt19937 m_random;
};

} // namespace rt570::sim
