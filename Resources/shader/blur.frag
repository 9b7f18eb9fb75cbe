#version 430 core

// One draw of the chain's repeated blur, at one fetch a draw, the least a full-screen draw can do.
// A bilinear fetch half a texel away along the diagonal averages the 2 x 2 block of texels around
// that corner; the next draw's fetch lies half a texel the other way, so each pair of draws applies
// the tent (1 2 1) / 4 along both axes and leaves the picture where it was. The pairs add up to a
// round Gaussian without ripple, since every fetch covers whole blocks: a deviation of 2.7 texels
// for the flare's 30 draws and 2.2 for the bloom's 20. Two fetches a draw would widen it threefold
// but cost the chain a third more, and the chain is most of a frame on a software rasteriser.

in vec2 uvTap;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;

void main()
{
    // The chain's targets have one level: an explicit level spares the derivatives.
    fragColor = vec4(textureLod(image, uvTap, 0.0).rgb, 1.0);
}
