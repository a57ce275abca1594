#pragma once

#include <array>

namespace rt570 {

// 768 readings in three sections of 256: parameters (command 5), current floats (command 4),
// current integers (command 8).
constexpr int kValueSectionSize = 256;
constexpr int kParameterSection = 0;
constexpr int kFloatSection = 256;
constexpr int kIntegerSection = 512;
constexpr int kValueTableSize = 768;

using ValueTable = std::array<double, kValueTableSize>;

} // namespace rt570
