#include "app/NormalSampler.h"

#include "app/Globals.h"

#include <cmath>

NormalSampler::NormalSampler(float mean, float sigma) : mean(mean), sigma(sigma) {}

float NormalSampler::uniform()
{
    return static_cast<float>(randomEngine()) / 4294967296.0f;
}

float NormalSampler::operator()()
{
    if (hasKept) {
        hasKept = false;
        return kept * sigma + mean;
    }
    float a;
    float b;
    float s;
    do {
        // a is drawn before b; the order fixes which engine output lands where.
        a = 2.0f * uniform() - 1.0f;
        b = 2.0f * uniform() - 1.0f;
        s = b * b + a * a;
    } while (s >= 1.0f);
    // The logarithm in float and the rest in double, as the generated terrain was made with.
    const float f = static_cast<float>(std::sqrt(-2.0 * static_cast<double>(std::log(s)) / static_cast<double>(s)));
    kept = b * f;
    hasKept = true;
    return a * f * sigma + mean;
}
