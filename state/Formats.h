#pragma once

#include <array>
#include <cstdint>

namespace rt570 {

// Divisor of a volume count by the channel's number of decimals (entry i for i decimals).
constexpr std::array<double, 6> kScaleTableStart{0.1, 1, 10, 100, 1000, 1};

// One "%*.*f" format: field width and precision.
struct FormatPair {
    int32_t width = 0;
    int32_t precision = 0;
};

// Flow formats of the channels: entries 0..3 (current values and the archive reports) and their
// copies 12..15 (the hourly flow dump). All zero until a reading sets them.
constexpr int kValueFormatCount = 16;
constexpr int kFlowFormatWidth = 6;
constexpr int kDumpFormatBase = 12;

struct Formats {
    std::array<double, 6> ScaleTable{};
    std::array<FormatPair, kValueFormatCount> ValueFormats{};
};

// Number of decimals of a channel's flow from its maximum flow Gmax (m3/h): 4 up to 10, 3 up to
// 100, 2 up to 1000, 1 up to 10000, 0 above; every bound is exclusive.
int ChannelPrecision(double gmax);

} // namespace rt570
