#version 430 core

// A flake is a small soft disc facing the camera, lit as a shallow lens so that it reads as a
// flake rather than a ball, its rim drawn a little towards the contour colour so that white
// flakes stay visible against the snow behind them. Dots are flakes too small for a shape: they
// fill their square.
in vec2 corner;
flat in vec4 shade;

uniform vec3 lightVec;
uniform float ambientFactor;
uniform float diffuseFactor;
uniform float specularFactor;
uniform float shininess;
uniform vec3 contourColor;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

const vec3 SNOW = vec3(0.9, 0.93, 0.97);
// How much the lens bulges, and how far the contour colour reaches into the rim.
const float BULGE = 0.45;
const float CONTOUR_STRENGTH = 0.35;
// Share of the lit colour above which a surface starts to glow, as for the scene's objects.
const float BLOOM_START = 0.7;
// Towards its rim a large flake thins out: there, more of its pixels are left out the farther out
// they lie, on an ordered pattern, since the pass does not blend.
const float SOFT_FROM = 0.55;

float ordered(vec2 pixel)
{
    ivec2 p = ivec2(pixel) & 3;
    const float pattern[16] = float[16](0.0, 8.0, 2.0, 10.0, 12.0, 4.0, 14.0, 6.0, 3.0, 11.0, 1.0, 9.0, 15.0, 7.0,
                                        13.0, 5.0);
    return (pattern[p.y * 4 + p.x] + 0.5) / 16.0;
}

void main()
{
    bool plain = shade.w > 0.5;
    float d2 = plain ? 0.0 : dot(corner, corner);
    if (d2 > 1.0 || (!plain && 1.0 - smoothstep(SOFT_FROM, 1.0, sqrt(d2)) < ordered(gl_FragCoord.xy))) {
        discard;
    }
    // View space, the camera looking down -z.
    vec3 normal = normalize(vec3(corner * BULGE, 1.0));
    vec3 light = normalize(lightVec);
    vec3 halfway = normalize(light + vec3(0.0, 0.0, 1.0));
    float diffuse = max(dot(normal, light), 0.0);
    float specular = pow(max(dot(normal, halfway), 0.0), shininess);
    vec3 color = SNOW * (ambientFactor + diffuseFactor * diffuse) + vec3(specularFactor * specular);
    // The facing of a ball at this point decides the rim, as for a round flake seen edge-on.
    float facing = sqrt(1.0 - d2);
    if (!plain && facing < shade.z) {
        color = mix(color, contourColor, CONTOUR_STRENGTH);
    }
    litColor = vec4(color, 1.0);
    bloomColor = vec4(max(color - vec3(BLOOM_START), vec3(0.0)), 1.0);
    motionVector = vec4(shade.xy, 0.0, 1.0);
}
