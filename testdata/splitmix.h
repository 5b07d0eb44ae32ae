#pragma once
// The splitmix64 sequence the generators of made-up data draw from: the same numbers on
// every machine and with every standard library.
#include <cstdint>

namespace testdata {

struct SplitMix64 {
    uint64_t s;
    uint64_t Next() {
        s += 0x9E3779B97F4A7C15ull;
        uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // The top 53 bits of the next draw, as a double in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

}  // namespace testdata
