#pragma once

// Normally distributed samples from the shared engine by the polar method. Each draw of a pair
// makes two values; the second is kept and handed out by the next call, so a fresh sampler
// uses the engine on its first call and not on its second.
class NormalSampler {
public:
    NormalSampler(float mean, float sigma);

    float operator()();

    // The engine's next 32-bit output over 2^32, in float: may round up to exactly 1.
    static float uniform();

private:
    float mean;
    float sigma;
    bool hasKept = false;
    float kept = 0.0f;
};
