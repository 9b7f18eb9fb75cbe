#pragma once

// Seeded Perlin noise helpers for the resource generator. Every function is a pure function
// of its arguments, so the generated files come out byte for byte the same on every build.
namespace noise {

// Fractal noise in about [-1, 1] that repeats every periodX units along x and periodY along y.
// A period << (octaves - 1) must not exceed 256, the noise table's own period.
float tiledFbm(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed);

// Ridged fractal noise in [0, 1] with the same tiling: sharp crests where the noise crosses zero.
float tiledRidge(float x, float y, int periodX, int periodY, int octaves, float gain, unsigned char seed);

// Fractal noise in about [-1, 1] over three dimensions, with no tiling.
float fbm3(float x, float y, float z, int octaves, float gain, unsigned char seed);

// A value in [0, 1) from integer coordinates, for per-pixel grain.
float hash01(unsigned x, unsigned y, unsigned seed);

// Ridged fractal noise in [0, 1] over three dimensions, with no tiling: sharp crests for peaks.
float ridge3(float x, float y, float z, int octaves, float gain, unsigned char seed);

float smoothstep(float edge0, float edge1, float x);
float clamp01(float x);
float mix(float a, float b, float t);

} // namespace noise
