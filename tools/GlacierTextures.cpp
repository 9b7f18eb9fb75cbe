#include "GlacierTextures.h"

#include "Image.h"
#include "Noise.h"

#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using glm::vec3;
using noise::mix;
using noise::smoothstep;

struct Surface {
    float height;  // 0..1, what the displacement map stores
    float ice;     // 0 snow .. 1 bare ice
    float crack;   // 0..1, fracture lines in the ice
    float banding; // -1..1, flow bands and bubbles in the ice
};

Surface sampleSurface(float s, float t)
{
    Surface out;
    // Warping the coordinates by further tiled noise turns round blobs into flowing tongues of ice.
    const float warpX = noise::tiledFbm(s * 3.0f, t * 3.0f, 3, 3, 4, 0.5f, 91);
    const float warpY = noise::tiledFbm(s * 3.0f, t * 3.0f, 3, 3, 4, 0.5f, 97);
    const float large = noise::tiledFbm(s * 3.0f + 0.5f * warpX, t * 3.0f + 0.5f * warpY, 3, 3, 6, 0.55f, 11);
    out.ice = smoothstep(-0.08f, 0.1f, large);

    // Wind-packed drifts: soft rounded bumps plus ripples stretched across the wind.
    const float drift = noise::tiledFbm(s * 6.0f, t * 6.0f, 6, 6, 5, 0.5f, 23);
    const float ripples = noise::tiledFbm(s * 3.0f + 0.2f * warpX, t * 16.0f, 3, 16, 2, 0.4f, 37);
    const float snowHeight = 0.58f + 0.26f * drift + 0.07f * ripples;

    out.banding = noise::tiledFbm(s * 2.0f + 0.3f * warpX, t * 12.0f, 2, 12, 4, 0.6f, 53);
    const float ridge = noise::tiledRidge(s * 4.0f + 0.2f * warpY, t * 4.0f, 4, 4, 4, 0.4f, 71);
    out.crack = smoothstep(0.72f, 0.95f, ridge) * smoothstep(0.3f, 0.8f, out.ice);
    const float iceHeight = 0.34f + 0.03f * out.banding - 0.3f * out.crack * out.crack;

    // The snow thins towards the ice edge, so the step between them is a soft shoulder.
    out.height = mix(iceHeight, snowHeight, smoothstep(0.0f, 0.75f, 1.0f - out.ice));
    return out;
}

vec3 shadeGlacier(const Surface& p, float light, float grain)
{
    const vec3 snowLit(0.97f, 0.98f, 1.0f);
    const vec3 snowShadow(0.60f, 0.70f, 0.88f);
    const vec3 iceDeep(0.12f, 0.38f, 0.62f);
    const vec3 iceLight(0.50f, 0.77f, 0.90f);
    const vec3 iceMilky(0.78f, 0.89f, 0.95f);
    const vec3 crevasse(0.04f, 0.18f, 0.38f);
    const vec3 firn(0.82f, 0.88f, 0.94f);

    vec3 snow = glm::mix(snowShadow, snowLit, smoothstep(0.45f, 1.1f, light));
    snow *= 0.98f + 0.04f * grain;

    vec3 ice = glm::mix(iceDeep, iceLight, noise::clamp01(0.55f + 0.5f * p.banding));
    ice = glm::mix(ice, iceMilky, smoothstep(0.3f, 0.9f, p.banding) * 0.6f);
    ice *= 0.82f + 0.2f * light;
    // Fractures: a bright broken rim around a deep blue core.
    const float rim = smoothstep(0.0f, 0.4f, p.crack) * (1.0f - smoothstep(0.4f, 0.8f, p.crack));
    ice = glm::mix(ice, iceMilky, rim * 0.7f);
    ice = glm::mix(ice, crevasse, smoothstep(0.45f, 1.0f, p.crack));

    // A band of old grainy firn where the snow gives way to the ice.
    const float edge = smoothstep(0.1f, 0.4f, p.ice) * (1.0f - smoothstep(0.5f, 0.85f, p.ice));
    vec3 colour = glm::mix(snow, ice, smoothstep(0.35f, 0.8f, p.ice));
    colour = glm::mix(colour, firn * (0.88f + 0.12f * light), edge * 0.5f);
    return colour;
}

// The displacement map's green and blue channels hold the height's slope per unit of texture
// coordinate, so that the slope shader reads it in one fetch instead of differencing heights. It is
// stored as 0.5 + 0.5 sign(s) sqrt(|s| / 64): fine steps for the gentle drifts, room for the crack
// walls (a thousandth of the texels are steeper than 64 and are clamped).
float encodeSlope(float slope)
{
    const float t = std::sqrt(std::min(std::abs(slope) / 64.0f, 1.0f));
    return 0.5f + 0.5f * std::copysign(t, slope);
}

} // namespace

void writeGlacierTextures(const std::string& folder, int size)
{
    std::vector<Surface> field(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            field[static_cast<size_t>(y) * size + x] =
                sampleSurface(static_cast<float>(x) / size, static_cast<float>(y) / size);
        }
    }
    auto heightAt = [&](int x, int y) {
        x = (x + size) % size;
        y = (y + size) % size;
        return field[static_cast<size_t>(y) * size + x].height;
    };

    Image colour(size, size);
    Image displacement(size, size);
    // Light from the upper left, low enough that the drifts cast soft shading.
    const vec3 sun = glm::normalize(vec3(-0.55f, -0.5f, 0.6f));
    const float relief = 0.02f * size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Surface& p = field[static_cast<size_t>(y) * size + x];
            const float dx = (heightAt(x + 1, y) - heightAt(x - 1, y)) * 0.5f * relief;
            const float dy = (heightAt(x, y + 1) - heightAt(x, y - 1)) * 0.5f * relief;
            const vec3 normal = glm::normalize(vec3(-dx, -dy, 1.0f));
            const float light = glm::max(glm::dot(normal, sun), 0.0f) / sun.z;
            const float grain = noise::hash01(static_cast<unsigned>(x), static_cast<unsigned>(y), 5u);
            colour.at(x, y) = shadeGlacier(p, light, grain);
            // The slope along the texture's u (columns) and v (rows upwards, as the loader flips
            // the picture), dithered by half a step so that gentle slopes shade without bands.
            const float du = (heightAt(x + 1, y) - heightAt(x - 1, y)) * 0.5f * static_cast<float>(size);
            const float dv = (heightAt(x, y - 1) - heightAt(x, y + 1)) * 0.5f * static_cast<float>(size);
            const float dither = (noise::hash01(static_cast<unsigned>(x), static_cast<unsigned>(y), 9u) - 0.5f) / 255.0f;
            displacement.at(x, y) = vec3(p.height, encodeSlope(du) + dither, encodeSlope(dv) - dither);
        }
    }
    colour.writePng(folder + "/glacier2.png");
    displacement.writePng(folder + "/DisplacementMap.png");
}
