#version 430 core

// One axis of a Gaussian blur (sigma 2.5 texels, 13 taps). Neighbouring taps are paired into single
// bilinear fetches between them, so 13 taps cost 7 fetches.

in vec2 uv;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;
uniform int horizontal;

const float offsets[3] = float[](1.440286, 3.363547, 5.293178);
const float weights[3] = float[](0.265537, 0.123134, 0.030827);
const float centreWeight = 0.161003;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 axis = horizontal == 1 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 sum = texture(image, uv).rgb * centreWeight;
    for (int i = 0; i < 3; ++i) {
        vec2 step = axis * offsets[i];
        sum += (texture(image, uv + step).rgb + texture(image, uv - step).rgb) * weights[i];
    }
    fragColor = vec4(sum, 1.0);
}
