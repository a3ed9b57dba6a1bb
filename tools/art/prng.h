// Randomness for the art that is the same on every run and every platform:
// SplitMix64 from a fixed seed, and a hash for patterns fixed to the surface.
#pragma once

#include <cstdint>

class Prng {
public:
    explicit Prng(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in lo..hi inclusive.
    int Between(int lo, int hi) { return lo + int(Next() % uint64_t(hi - lo + 1)); }

private:
    uint64_t state_;
};

inline uint32_t Hash2(int a, int b)
{
    Prng p(uint64_t(uint32_t(a)) << 32 | uint32_t(b));
    return uint32_t(p.Next());
}
