#pragma once

#include "link/Protocol.h"

#include <array>
#include <cstdint>

namespace rt570::sim {

// The parameter table; the slots the meter fills are in link/Protocol.h, every other slot
// reads as 0.
constexpr int kParameterSlots = 256;

// Maximum flows, m3/h: each channel lands in another decimals class (4, 3, 2 and 1 decimals).
constexpr std::array<float, kChannels> kMaximumFlows = {8.0f, 50.0f, 400.0f, 2500.0f};
// The resolution of each channel's volume counter, counts per m3: the finer the smaller the
// channel's maximum flow (a quarter-inch pipe counts litres, a large main whole cubic metres).
constexpr std::array<double, kChannels> kVolumeCountsPerM3 = {1000.0, 100.0, 10.0, 1.0};

using ParameterTable = std::array<float, kParameterSlots>;

// A coherent set of settings for one meter, chosen by the seed.
ParameterTable makeParameters(uint32_t seed, uint32_t serial, uint8_t address);

// The serial number a seed gives when none is chosen.
uint32_t defaultSerial(uint32_t seed);

} // namespace rt570::sim
