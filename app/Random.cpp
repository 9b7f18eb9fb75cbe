#include "app/Random.h"

#include "app/NormalSampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Past this many redraws a coordinate will not come within its limit (a negative limit, or a
// distribution lying far outside it); it is then put on the limit instead of looping for ever.
// In range the chance of needing so many is nil.
constexpr int kMostRedraws = 10000;

template <typename Draw>
float redrawWithin(float value, float limit, Draw& draw)
{
    for (int redraws = 0; std::abs(value) > limit; ++redraws) {
        if (redraws == kMostRedraws) {
            return std::copysign(std::max(limit, 0.0f), value);
        }
        value = draw();
    }
    return value;
}

}

float randomNormal(float sigma)
{
    NormalSampler sample(0.0f, sigma);
    return sample();
}

glm::vec3 randomOffsetXZ(float range, float scale, float y)
{
    const float half = range * 0.5f;
    NormalSampler sample(0.0f, 0.5f);
    auto draw = [&] { return sample() * half; };
    float x = draw();
    float z = draw();
    x = redrawWithin(x, half, draw);
    z = redrawWithin(z, half, draw);
    return glm::vec3(x * scale, y, z * scale);
}

glm::vec3 randomOffsetAround(float limitX, float limitZ, glm::vec3 centre, float sigmaX, float sigmaZ, float y)
{
    NormalSampler sampleX(centre.x, sigmaX);
    NormalSampler sampleZ(centre.z, sigmaZ);
    float x = sampleX();
    float z = sampleZ();
    x = redrawWithin(x, limitX, sampleX);
    z = redrawWithin(z, limitZ, sampleZ);
    return glm::vec3(x, y, z);
}

float randomScale(float targetVolume, float modelVolume, float sigma)
{
    const float c = std::cbrt(targetVolume / modelVolume);
    NormalSampler sample(0.0f, sigma);
    const float n = sample();
    return std::abs(n * c + c);
}
