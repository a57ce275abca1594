#pragma once

#include <array>
#include <cstdint>

namespace rt570::sim {

constexpr int kParameterSlots = 256;
constexpr int kChannels = 4;

// Slots the meter's parameter table uses; every other slot reads as 0.
constexpr int kSerialSlot = 0;
constexpr int kReportingDaySlot = 3;
constexpr int kAddressSlot = 6;
constexpr int kChordSlot = 9;
// Channel k (1..4) keeps its ten settings in slots 10k..10k+9, maximum flow first.
constexpr int kChannelSlotBase = 10;

// Maximum flows, m3/h: each channel lands in another decimals class (4, 3, 2 and 1 decimals).
constexpr std::array<float, kChannels> kMaximumFlows = {8.0f, 50.0f, 400.0f, 2500.0f};

using ParameterTable = std::array<float, kParameterSlots>;

// A coherent set of settings for one meter, chosen by the seed.
ParameterTable makeParameters(uint32_t seed, uint32_t serial, uint8_t address);

// The serial number a seed gives when none is chosen.
uint32_t defaultSerial(uint32_t seed);

} // namespace rt570::sim
