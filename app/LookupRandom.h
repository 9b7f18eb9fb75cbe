#pragma once

#include <cstdint>

// The generator of the particles' random lookup textures: the classic C library rand of range
// 0..32767 (x = x * 214013 + 2531011, bits 16 to 30 out) from its unseeded state, so every run
// uploads the same textures. Each effect continues the sequence; nothing else draws from it.
struct LookupRandom {
    int next();
    std::uint32_t state = 1;
};

extern LookupRandom lookupRandom;
