#version 430 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

uniform sampler2D image;
uniform mat4 viewProjMatrix;
uniform vec3 sunPosition;

out vec2 uv;
// Where the sun stands on the screen and the light of its halo: the same for every pixel, so
// worked out at the quad's corners instead of at each pixel.
flat out vec2 sunUv;
flat out vec3 sunLight;

const float haloBrightness = 2.5;

void main()
{
    uv = texCoord;
    sunUv = vec2(0.5);
    sunLight = vec3(0.0);
    vec4 sunClip = viewProjMatrix * vec4(sunPosition, 1.0);
    // Behind the camera, or no valid view yet (a camera whose up vector is still unset gives NaN).
    if (sunClip.w > 0.0) {
        sunUv = sunClip.xy / sunClip.w * 0.5 + 0.5;
        // The halo fades out as the sun leaves the frame instead of vanishing at the border.
        float outside = length(max(abs(sunUv - 0.5) - 0.5, 0.0));
        float presence = 1.0 - smoothstep(0.0, 0.25, outside);
        // The halo grows with the brightness where the sun stands (none for a dark sky or an occluded
        // sun) but saturates, so a glaring sun does not make it glare too.
        vec3 sunBrightness = textureLod(image, clamp(sunUv, 0.0, 1.0), 0.0).rgb;
        sunLight = haloBrightness * sunBrightness / (1.0 + sunBrightness) * presence;
    }
    gl_Position = vec4(position, 1.0);
}
