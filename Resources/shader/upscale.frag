#version 430 core

// The picture on the screen: the lit scene blurred along its motion vectors, plus a faint lens flare
// and a soft bloom, tone mapped and encoded for the display.
// The motion-vector target holds in .xy each pixel's movement since the previous frame in texture
// coordinates (half the difference of the normalised device coordinates); the blur runs both ways
// along it, so its sign does not matter.

in vec2 uv;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;
uniform sampler2D lensFlare;
uniform sampler2D bloom;
uniform sampler2D motionVector;

const float flareStrength = 0.06;
const float bloomStrength = 0.04;
// Half a frame of shutter, and never longer than this.
const float shutter = 0.5;
const float longestBlur = 0.02;
// A vector longer than this is no movement but a meaningless measure (the first frame's, taken
// against the identity, or one of a point that was behind the camera); the run's fastest turn
// moves the picture by less than a tenth of the screen per frame.
const float farthestMove = 0.25;
// At most this many samples along the smear, and neighbouring samples no farther apart than this
// many pixels (each bilinear fetch spans a pixel either way), so that a short smear needs fewer;
// a smear shorter than half a pixel cannot be seen, and such a pixel reads the scene once.
const int motionSamples = 5;
const float sampleSpacing = 2.0;
const float shortestSmear = 0.5;
const float displayGamma = 2.2;

// A filmic curve (fit of the ACES reference transform): black stays black, highlights roll off.
vec3 toneMap(vec3 x)
{
    return clamp((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

void main()
{
    // The chain's targets have one level: explicit levels spare the derivatives.
    vec2 moved = textureLod(motionVector, uv, 0.0).xy;
    // The comparison also fails for NaN and infinity.
    vec2 motion = length(moved) <= farthestMove ? moved * shutter : vec2(0.0);
    float travel = length(motion);
    if (travel > longestBlur) {
        motion *= longestBlur / travel;
    }
    float travelPixels = length(motion * vec2(textureSize(image, 0)));
    int samples = travelPixels < shortestSmear ? 1 : min(motionSamples, 1 + int(ceil(travelPixels / sampleSpacing)));
    // The samples sit in equal slices of the smear, each at a place within its slice that changes
    // from pixel to pixel (interleaved gradient noise): a long smear then reads as a fine grain
    // rather than as copies of a small bright thing, a flake, spaced along it.
    float jitter = fract(52.9829189 * fract(dot(gl_FragCoord.xy, vec2(0.06711056, 0.00583715))));
    vec3 scene = vec3(0.0);
    for (int i = 0; i < samples; ++i) {
        float along = samples == 1 ? 0.0 : (float(i) + jitter) / float(samples) - 0.5;
        scene += textureLod(image, uv + motion * along, 0.0).rgb;
    }
    scene /= float(samples);

    vec3 color = scene + textureLod(lensFlare, uv, 0.0).rgb * flareStrength +
                 textureLod(bloom, uv, 0.0).rgb * bloomStrength;
    fragColor = vec4(pow(toneMap(max(color, vec3(0.0))), vec3(1.0 / displayGamma)), 1.0);
}
