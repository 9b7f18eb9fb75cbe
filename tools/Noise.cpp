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

} // namespace

float tiledFbm(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const int scale = 1 << o;
        sum += amplitude * stb_perlin_noise3_wrap_nonpow2(x * scale, y * scale, 0.5f, periodX * scale, periodY * scale, 0,
                                                          octaveSeed(seed, o));
        norm += amplitude;
        amplitude *= gain;
    }
    // Perlin noise rarely leaves [-0.7, 0.7]; stretch the sum towards [-1, 1].
    return std::clamp(sum / norm * 1.4f, -1.0f, 1.0f);
}

float tiledRidge(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const int scale = 1 << o;
        const float n = stb_perlin_noise3_wrap_nonpow2(x * scale, y * scale, 0.5f, periodX * scale, periodY * scale, 0,
                                                       octaveSeed(seed, o));
        const float ridge = 1.0f - std::fabs(n) * 1.6f;
        sum += amplitude * ridge * ridge;
        norm += amplitude;
        amplitude *= gain;
    }
    return clamp01(sum / norm);
}

float fbm3(float x, float y, float z, int octaves, float gain, unsigned char seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const float scale = static_cast<float>(1 << o);
        sum += amplitude * stb_perlin_noise3_wrap_nonpow2(x * scale, y * scale, z * scale, 0, 0, 0,
                                                          octaveSeed(seed, o));
        norm += amplitude;
        amplitude *= gain;
    }
    return std::clamp(sum / norm * 1.4f, -1.0f, 1.0f);
}

float ridge3(float x, float y, float z, int octaves, float gain, unsigned char seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const float scale = static_cast<float>(1 << o);
        const float n = stb_perlin_noise3_wrap_nonpow2(x * scale, y * scale, z * scale, 0, 0, 0,
                                                       octaveSeed(seed, o));
        const float ridge = 1.0f - std::fabs(n) * 1.6f;
        sum += amplitude * ridge * ridge;
        norm += amplitude;
        amplitude *= gain;
    }
    return clamp01(sum / norm);
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
