#include "BackgroundTexture.h"

#include "Image.h"
#include "Noise.h"

#include <glm/glm.hpp>

#include <cmath>

namespace {

using glm::vec3;
using noise::smoothstep;

// The backdrop's walls take the whole picture each, and every other wall runs it backwards, so
// at each corner two walls meet with the same edge of the picture. The picture is therefore made
// mirror-symmetric at both edges: near an edge every column blends the scene at its own place
// with the scene at its mirror image beyond the edge, half and half right at the edge. Colours
// and slopes then match across the corner with no seam and no kink.
struct Column {
    float x;      // noise coordinate of the column
    float mirror; // noise coordinate of its mirror image
    float weight; // share of the column's own scene
};

Column columnAt(float u, float span)
{
    const float band = 0.12f;
    Column c{u * span, u * span, 1.0f};
    const float edge = u < 0.5f ? u : 1.0f - u;
    if (edge < band) {
        c.mirror = (u < 0.5f ? -u : 2.0f - u) * span;
        c.weight = 0.5f + 0.5f * std::sin(1.5707963f * edge / band);
    }
    return c;
}

struct Range {
    float foot;      // v where the range meets the plain
    float height;    // tallest peaks above the foot, in v
    float frequency; // peaks per noise unit
    float haze;      // how far the air veils it
    float rockiness; // how much rock shows through the snow
    unsigned char seed;
};

// Far to near: wall v = 0.5 is about eye height, so the ranges rise from just below it.
const Range ranges[] = {
    {0.497f, 0.27f, 0.8f, 0.50f, 0.75f, 3},
    {0.494f, 0.15f, 1.4f, 0.26f, 0.95f, 5},
    {0.489f, 0.065f, 2.4f, 0.08f, 0.9f, 7},
};

// One wall is `span` noise units wide and, being square, as many high.
const float span = 5.0f;

// The texture wraps, so at each corner the filter blends the picture's two edges: the scene is
// read from noise along a circle of `span` units' circumference and repeats after one wall's
// width, so both edges hold the same scene. `frequency` features per unit, as along a line.
glm::vec2 ring(float x, float frequency)
{
    const float radius = span * frequency / 6.2831853f;
    const float angle = 6.2831853f * x / span;
    return {radius * std::cos(angle), radius * std::sin(angle)};
}

float ringFbm(float x, float frequency, float y, float z, int octaves, float gain, unsigned char seed)
{
    const glm::vec2 p = ring(x, frequency);
    return noise::fbm3(p.x, y, z + p.y, octaves, gain, seed);
}

float ringRidge(float x, float frequency, float y, float z, int octaves, float gain, unsigned char seed)
{
    const glm::vec2 p = ring(x, frequency);
    return noise::ridge3(p.x, y, z + p.y, octaves, gain, seed);
}

const vec3 horizonSky(0.80f, 0.87f, 0.96f);
const vec3 zenithSky(0.18f, 0.38f, 0.74f);

float ridgeLine(const Range& r, float x)
{
    const float envelope = 0.5f + 0.5f * ringFbm(x, r.frequency * 0.35f, 1.7f, r.seed * 0.37f, 3, 0.5f, r.seed);
    const float peaks = ringRidge(x, r.frequency, 3.1f, r.seed * 0.53f, 6, 0.45f, r.seed);
    return r.foot + r.height * (0.2f + 0.8f * envelope) * (0.4f + 0.6f * peaks);
}

vec3 skyColour(float x, float v)
{
    const float up = noise::clamp01((v - 0.49f) / 0.51f);
    vec3 sky = glm::mix(horizonSky, zenithSky, std::pow(up, 0.65f));

    // Long flat banks of cloud above the peaks, thinning towards the top.
    const float band = smoothstep(0.56f, 0.64f, v) * (1.0f - smoothstep(0.78f, 0.93f, v));
    const float shape = ringFbm(x, 0.9f, v * 14.0f, 0.3f, 6, 0.55f, 17);
    const float detail = ringFbm(x, 4.0f, v * 40.0f, 2.3f, 4, 0.5f, 19);
    const float density = smoothstep(0.05f, 0.55f, shape + 0.2f * detail) * band;
    const float underside = smoothstep(-0.2f, 0.6f, ringFbm(x, 0.9f, v * 14.0f - 0.6f, 0.3f, 6, 0.55f, 17));
    const vec3 cloud = glm::mix(vec3(0.98f, 0.98f, 1.0f), vec3(0.74f, 0.79f, 0.88f), underside * 0.6f);
    return glm::mix(sky, cloud, density * 0.9f);
}

vec3 groundColour(float x, float v)
{
    const float drift = ringFbm(x, 2.0f, v * span * 2.0f, 5.5f, 4, 0.5f, 29);
    const vec3 near(0.80f, 0.85f, 0.93f);
    const vec3 far(0.89f, 0.92f, 0.97f);
    return glm::mix(near, far, smoothstep(0.0f, 0.49f, v)) * (0.97f + 0.03f * drift);
}

// The face's relief: ribs and couloirs that fall from the crest, slanting away from the peaks
// (the deeper below a climbing crest, the further to the left they have run).
float faceRelief(const Range& r, float x, float v, float depth, float slope)
{
    const float k = r.frequency * 5.0f;
    const float sheared = x + depth * span * glm::clamp(slope, -1.5f, 1.5f) * 0.6f;
    return ringRidge(sheared, k, v * span * k * 0.7f, r.seed * 0.71f, 5, 0.5f, r.seed + 40);
}

vec3 rangeColour(const Range& r, float x, float v, float ridge, float slope)
{
    const vec3 rockLit(0.50f, 0.46f, 0.43f);
    const vec3 rockShade(0.16f, 0.18f, 0.25f);
    const vec3 snowLit(0.98f, 0.98f, 0.99f);
    const vec3 snowShade(0.58f, 0.66f, 0.84f);

    // Sunlight from the left: a face is lit where the relief climbs to the right, and near the
    // crest the crest's own slope decides.
    const float h = 0.02f / r.frequency;
    const float depth = ridge - v;
    const float relief = faceRelief(r, x, v, depth, slope);
    const float gradient = (faceRelief(r, x + h, v, depth, slope) - faceRelief(r, x - h, v, depth, slope)) /
                           (2.0f * h) / (r.frequency * 5.0f);
    const float nearCrest = std::exp(-depth * span * r.frequency * 25.0f);
    const float facing = glm::clamp(glm::mix(gradient * 1.2f, slope * 3.0f, nearCrest), -1.0f, 1.0f);
    const float light = (0.55f + 0.45f * facing) * (0.85f + 0.15f * nearCrest);

    // Snow holds in the couloirs and on the gentler slopes, rock shows on the ribs and steep crests.
    const float steep = smoothstep(0.2f, 0.7f, std::fabs(slope)) * nearCrest;
    const float rib = smoothstep(0.35f, 0.8f, relief);
    const float snowCover = noise::clamp01(1.05f - r.rockiness * (0.9f * rib + 0.7f * steep));
    const vec3 rock = glm::mix(rockShade, rockLit, light);
    const vec3 snow = glm::mix(snowShade, snowLit, smoothstep(0.15f, 0.85f, light));
    vec3 face = glm::mix(rock, snow, snowCover);

    // At its foot the range runs out into the snowfield.
    face = glm::mix(groundColour(x, v), face, smoothstep(r.foot - 0.003f, r.foot + 0.01f, v));
    return glm::mix(face, horizonSky, r.haze);
}

float blendedRidge(const Range& r, const Column& c)
{
    const float own = ridgeLine(r, c.x);
    return c.weight < 1.0f ? glm::mix(ridgeLine(r, c.mirror), own, c.weight) : own;
}

vec3 sceneColour(float x, float v, const float* lines, const float* slopes, int height)
{
    vec3 colour = v > 0.49f ? skyColour(x, v) : groundColour(x, v);
    for (int i = 0; i < 3; ++i) {
        const float coverage = noise::clamp01((lines[i] - v) * height + 0.5f);
        if (coverage > 0.0f) {
            colour = glm::mix(colour, rangeColour(ranges[i], x, v, lines[i], slopes[i]), coverage);
        }
    }
    return colour;
}

} // namespace

void writeBackground(const std::string& folder, int width, int height)
{
    Image image(width, height);
    // The crest's slope over a few pixels, so that its finest jags do not streak the faces below.
    const float du = 0.006f;
    for (int column = 0; column < width; ++column) {
        const float u = (column + 0.5f) / width;
        const Column c = columnAt(u, span);
        float lines[3];
        float slopes[3];
        for (int i = 0; i < 3; ++i) {
            lines[i] = blendedRidge(ranges[i], c);
            slopes[i] = (blendedRidge(ranges[i], columnAt(u + du, span)) -
                         blendedRidge(ranges[i], columnAt(u - du, span))) / (2.0f * du * span);
        }
        for (int row = 0; row < height; ++row) {
            // The loader flips rows, so the first row of the file is the top of the wall (v = 1).
            const float v = 1.0f - (row + 0.5f) / height;
            vec3 colour = sceneColour(c.x, v, lines, slopes, height);
            if (c.weight < 1.0f) {
                colour = glm::mix(sceneColour(c.mirror, v, lines, slopes, height), colour, c.weight);
            }
            image.at(column, row) = colour;
        }
    }
    image.writePng(folder + "/background.png");
}
