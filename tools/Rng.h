#pragma once

#include <cstdint>

// A small seeded generator (SplitMix64) whose sequence is fixed by its definition, unlike the
// standard library's distributions, so the generated files do not depend on the library.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}

    uint64_t next()
    {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi).
    float uniform(float lo, float hi)
    {
        return lo + (hi - lo) * static_cast<float>(next() >> 40) / 16777216.0f;
    }

private:
    uint64_t state;
};
