#pragma once
// Random numbers for the simulation: a counter-based stream per (seed, replicate,
// stratum), so that a replicate's draws never depend on which thread ran it or on
// what ran before it.
#include <cmath>
#include <cstdint>

namespace simulate {

// splitmix64's finaliser: a bijective mix with good avalanche.
constexpr uint64_t Mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

class Rng {
public:
    Rng(uint64_t seed, uint64_t replicate, uint64_t stratum)
        : state_(Mix64(Mix64(seed) ^ Mix64(replicate * 0x9E3779B97F4A7C15ULL + 1) ^
                       Mix64((stratum + 1) * 0xC2B2AE3D27D4EB4FULL))) {}

    uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return Mix64(state_);
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [0, n) for n below 2^32 (multiply-shift; the bias, n / 2^32, is far
    // below anything the replicates could show).
    uint32_t Below(uint64_t n) { return static_cast<uint32_t>(((Next() >> 32) * n) >> 32); }
    double Normal() {
        if (has_spare_) {
            has_spare_ = false;
            return spare_;
        }
        double u = 1.0 - Uniform(), v = Uniform();
        double r = std::sqrt(-2.0 * std::log(u));
        spare_ = r * std::sin(6.283185307179586 * v);
        has_spare_ = true;
        return r * std::cos(6.283185307179586 * v);
    }

private:
    uint64_t state_;
    double spare_ = 0;
    bool has_spare_ = false;
};

}  // namespace simulate
