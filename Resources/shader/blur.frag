#version 430 core

// One draw of the chain's repeated blur, at two fetches a draw: each bilinear fetch averages a
// 2 x 2 block of texels, one on either side of the pixel along a diagonal. The draws alternate
// between the two diagonals ("horizontal" picks one), so every draw spreads the image along both
// axes, and the deviations add up in quadrature: the flare's 30 draws give a round Gaussian of
// 9.3 texels and the bloom's 20 draws one of 7.6, as wide as a 13-tap blur along one axis a draw.
// A pair of taps along one axis only would leave a ripple of a fifth of the peak in the sum.

in vec2 uv;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;
uniform int horizontal;

// Texels along each axis from the pixel to a fetch: a variance of 2.9 texels squared a draw and axis.
const float reach = 1.633;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 step = reach * texel * (horizontal == 1 ? vec2(1.0, 1.0) : vec2(1.0, -1.0));
    // The chain's targets have one level: an explicit level spares the derivatives.
    vec3 sum = textureLod(image, uv + step, 0.0).rgb + textureLod(image, uv - step, 0.0).rgb;
    fragColor = vec4(0.5 * sum, 1.0);
}
