// The soaks' one generator (splitmix64): small, fast, and the same numbers
// for the same seed on every platform, so a failing seed can be run again.
#pragma once

#include <cstdint>

namespace zyntest {

struct Rng {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
};

}  // namespace zyntest
