#version 430 core

// Lens-flare features from the thresholded scene: ghosts, mirrored copies of the bright areas along
// the line through the image centre, and a halo ring around where the sun stands on screen. Both are
// tinted by the lens-colour texture, a radial hue ramp centred on the image.

in vec2 uv;
flat in vec2 sunUv;
flat in vec3 sunLight;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;
uniform sampler2D lensColor;
uniform int numberOfGhosts;
uniform float ghostDispersal;
uniform float haloWidth;

// The threshold pass keeps everything a little brighter than mid grey, which on a sunlit snowfield
// is almost the whole picture; ghosts come only from what stands well above that (glints, the sun),
// so a bright slope does not wash the frame with rainbow copies of itself.
const float ghostKnee = 6.0;

// The chain's images have one level: explicit levels spare the derivatives.

// Lens hue for q in [0, 1): q is the distance from the lens-colour texture's centre over its half-diagonal.
vec3 lensHue(float q)
{
    return textureLod(lensColor, vec2(0.5 - 0.5 * q), 0.0).rgb;
}

vec3 ghosts()
{
    vec3 sum = vec3(0.0);
    vec2 toCentre = vec2(0.5) - uv;
    for (int i = 1; i <= numberOfGhosts; ++i) {
        vec2 source = uv + toCentre * ghostDispersal * float(i);
        // Bright areas near the optical axis make the strongest ghosts; the weight reaches zero inside
        // the frame, so the ghosts have no hard edges where their source leaves the image.
        float weight = max(0.0, 1.0 - 2.0 * length(vec2(0.5) - source));
        // With a dispersal above one every further ghost's source lies farther out, so none has
        // weight either; a software rasteriser leaves the loop once a block of pixels is done.
        if (weight <= 0.0) {
            break;
        }
        vec3 glare = max(textureLod(image, source, 0.0).rgb - vec3(ghostKnee), vec3(0.0));
        sum += glare * textureLod(lensColor, source, 0.0).rgb * (weight * weight);
    }
    return sum;
}

vec3 halo()
{
    vec2 size = vec2(textureSize(image, 0));
    // Radius as a fraction of the screen height: 0.21 for width 0.7, a 22 degree halo at a 90 degree view.
    float radius = 0.3 * haloWidth;
    float ringWidth = 0.12 * radius;
    float distanceToSun = length((uv - sunUv) * vec2(size.x / size.y, 1.0));
    float across = (distanceToSun - radius) / ringWidth;
    float ring = exp(-across * across);
    // Red on the outer edge through to blue on the inner one.
    return sunLight * lensHue(clamp(0.4 - 0.2 * across, 0.0, 0.8)) * ring;
}

void main()
{
    fragColor = vec4(ghosts() + halo(), 1.0);
}
