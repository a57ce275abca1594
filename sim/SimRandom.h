#pragma once

#include <cstdint>

namespace rt570::sim {

// Stateless, seeded pseudo-random numbers: the same seed and keys always give the same number,
// so every value of the simulated meter can be computed on demand, in any order.
inline uint64_t mixBits(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

inline uint64_t hashKeys(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0) {
    return mixBits(mixBits(mixBits(seed ^ mixBits(a)) ^ b) ^ (c * 0x632BE59BD9B4E019ull));
}

// Uniform in [0, 1).
inline double unitRandom(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0) {
    return double(hashKeys(seed, a, b, c) >> 11) * (1.0 / 9007199254740992.0);
}

} // namespace rt570::sim
