#include "Noise.h"

#include <stb_perlin.h>

#include <algorithm>
#include <cmath>

namespace noise {

namespace {

// Octaves draw from different permutations so that they do not line up at the origin.
unsigned char octaveSeed(unsigned char seed, int octave)
{
    return static_cast<unsigned char>(seed + 31 * octave);
}

// The weighted mean of `layer(octave, scale)` over the octaves, each twice the frequency of the
// one before and `gain` times its weight.
template <class Layer>
float octaveMean(int octaves, float gain, Layer layer)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * layer(o, 1 << o);
        norm += amplitude;
        amplitude *= gain;
    }
    return sum / norm;
}

float ridgeOf(float n)
{
    const float ridge = 1.0f - std::fabs(n) * 1.6f;
    return ridge * ridge;
}

// Perlin noise rarely leaves [-0.7, 0.7]; stretch a mean of it towards [-1, 1].
float stretched(float mean)
{
    return std::clamp(mean * 1.4f, -1.0f, 1.0f);
}

float tiled(float x, float y, int periodX, int periodY, int octave, int scale, unsigned char seed)
{
    return stb_perlin_noise3_wrap_nonpow2(x * scale, y * scale, 0.5f, periodX * scale, periodY * scale, 0,
                                          octaveSeed(seed, octave));
}

float untiled(float x, float y, float z, int octave, int scale, unsigned char seed)
{
    const float s = static_cast<float>(scale);
    return stb_perlin_noise3_wrap_nonpow2(x * s, y * s, z * s, 0, 0, 0, octaveSeed(seed, octave));
}

} // namespace

float tiledFbm(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed)
{
    return stretched(octaveMean(octaves, gain, [&](int o, int scale) {
        return tiled(x, y, periodX, periodY, o, scale, seed);
    }));
}

float tiledRidge(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed)
{
    return clamp01(octaveMean(octaves, gain, [&](int o, int scale) {
        return ridgeOf(tiled(x, y, periodX, periodY, o, scale, seed));
    }));
}

float fbm3(float x, float y, float z, int octaves, float gain, unsigned char seed)
{
    return stretched(octaveMean(octaves, gain, [&](int o, int scale) { return untiled(x, y, z, o, scale, seed); }));
}

float ridge3(float x, float y, float z, int octaves, float gain, unsigned char seed)
{
    return clamp01(octaveMean(octaves, gain, [&](int o, int scale) {
        return ridgeOf(untiled(x, y, z, o, scale, seed));
    }));
}

float hash01(unsigned x, unsigned y, unsigned seed)
{
    unsigned h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) / 16777216.0f;
}

float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float clamp01(float x)
{
    return std::clamp(x, 0.0f, 1.0f);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

} // namespace noise
