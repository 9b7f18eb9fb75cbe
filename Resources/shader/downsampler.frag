#version 430 core

// Keeps what is brighter than the threshold that scale and bias set: max(0, colour * scale + bias).
// bloom 0: the lit scene as the lens flare's source; the flare takes its colour from the lens,
// so only the brightness is kept. bloom 1: the scene's glow image, whose colour the bloom keeps.

in vec2 uv;
layout(location = 0) out vec4 fragColor;

uniform sampler2D image;
uniform int bloom;
uniform vec4 scale;
uniform vec4 bias;

// Keeps single extreme pixels (sun glints) from turning into hard discs after the blur.
const float brightest = 32.0;

void main()
{
    // Source and target have the same size: one texel each, with no filtering to pay for.
    vec3 color = texelFetch(image, ivec2(uv * vec2(textureSize(image, 0))), 0).rgb;
    // One broken pixel must not spread through the blurs over the whole picture.
    if (any(isnan(color)) || any(isinf(color))) {
        color = vec3(0.0);
    }
    vec3 bright = min(max(vec3(0.0), color * scale.rgb + bias.rgb), vec3(brightest));
    if (bloom == 0) {
        bright = vec3(dot(bright, vec3(0.2126, 0.7152, 0.0722)));
    }
    fragColor = vec4(bright, 1.0);
}
