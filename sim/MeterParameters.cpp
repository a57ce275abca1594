#include "sim/MeterParameters.h"

#include "sim/SimRandom.h"

#include <cmath>

namespace rt570::sim {
namespace {

// Pipe inner diameters (mm) that suit the maximum flows above.
constexpr std::array<float, kChannels> kDiameters = {25.0f, 65.0f, 150.0f, 400.0f};

float pick(uint32_t seed, int slot, float low, float high, float step) {
    const double u = unitRandom(seed, 0x5A, uint64_t(slot));
    const double v = low + u * (high - low);
    return float(std::round(v / step) * step);
}

} // namespace

uint32_t defaultSerial(uint32_t seed) {
    return 20000u + seed % 10000u;
}

ParameterTable makeParameters(uint32_t seed, uint32_t serial, uint8_t address) {
    ParameterTable p{};
    p[kSerialSlot] = float(serial);
    p[1] = pick(seed, 1, 1000, 9999, 1); // password for changes
    p[2] = pick(seed, 2, 1000, 9999, 1); // password for resetting
    p[kReportingDaySlot] = pick(seed, 3, 1, 28, 1);
    p[4] = pick(seed, 4, 0, 1, 1); // automatic summer-time change
    p[5] = 4;                      // ultrasonic channels
    p[kAddressSlot] = address;
    p[7] = 9600;                                     // line rate
    p[8] = 0;                                        // DCON protocol off
    p[kChordSlot] = pick(seed, kChordSlot, 0, 1, 1); // 0 single chord, 1 double chord

    for (int c = 0; c < kChannels; ++c) {
        const int base = gmaxSlot(c + 1);
        const float gmax = kMaximumFlows[size_t(c)];
        const float diameter = kDiameters[size_t(c)];
        p[base + 0] = gmax;
        p[base + 1] = float(std::round(gmax * 2.0f) / 100.0f);  // minimum flow, 2 %
        p[base + 2] = float(std::round(gmax * 50.0f) / 100.0f); // flow used on a fault
        p[base + 3] = diameter + pick(seed, base + 3, -0.5f, 0.5f, 0.01f);
        p[base + 4] = float(std::round(diameter * 141.42f) / 100.0f); // sensor base, 45 degrees
        p[base + 5] = pick(seed, base + 5, 5, 20, 1);                 // averaging, s
        p[base + 6] = pick(seed, base + 6, -2.0f, 2.0f, 0.01f);       // zero offset, ns
        p[base + 7] = pick(seed, base + 7, 5, 60, 0.5f);              // cable length, m
        p[base + 8] = pick(seed, base + 8, 0.97f, 1.03f, 0.00001f);   // correction factor
        p[base + 9] = pick(seed, base + 9, 2.0f, 6.0f, 0.001f);       // transducer delay, us
    }

    // Pulse output weights, m3 per pulse.
    p[50] = 1.0f;
    p[51] = 10.0f;
    p[52] = 0.1f;
    p[53] = 0.01f;
    // Counter modes and the channels behind the two current outputs.
    p[72] = 1.0f;
    p[73] = 0.0f;
    p[74] = 0.0f;
    p[75] = 0.0f;
    p[76] = 1.0f;
    p[77] = 2.0f;
    for (int c = 0; c < kChannels; ++c) {
        p[112 + c] = pick(seed, 112 + c, 40, 400, 10);        // receive window, us
        p[116 + c] = pick(seed, 116 + c, 10, 60, 1);          // pulse width
        p[135 + c] = pick(seed, 135 + c, 3.2f, 4.2f, 0.001f); // transducer voltage
    }
    return p;
}

} // namespace rt570::sim
