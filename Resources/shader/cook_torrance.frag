#version 430 core

struct Light {
    vec3 color;
    vec3 direction;
};

struct Material {
    float metallic;
    float roughness;
    vec3 F0;
    vec3 ambient;
};

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;
in vec4 clipNow;
in vec4 clipBefore;

uniform vec3 camera_world;
uniform Light light;
uniform Material material;
uniform vec4 WS_pos_light;
uniform vec2 near_far;
uniform samplerCube cubemap_tex;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

const float PI = 3.14159265;
// The sun's colour is a tint; this is its strength as radiance.
const float SUN_INTENSITY = 3.0;
// Share of the lit colour above which a surface starts to glow.
const float BLOOM_START = 0.7;
const int PCF_TAPS = 8;

float distributionGGX(float NdotH, float roughness)
{
    float a = roughness * roughness;
    float a2 = a * a;
    float d = NdotH * NdotH * (a2 - 1.0) + 1.0;
    return a2 / max(PI * d * d, 1e-6);
}

float geometrySchlick(float NdotX, float roughness)
{
    float r = roughness + 1.0;
    float k = r * r / 8.0;
    return NdotX / (NdotX * (1.0 - k) + k);
}

vec3 fresnelSchlick(float cosTheta, vec3 F0)
{
    return F0 + (1.0 - F0) * pow(1.0 - cosTheta, 5.0);
}

// Fraction of light reaching the point, from the cube map of distances around the light
// (stored as distance / far). A few taps on a ring around the lookup soften the edge. Each tap is
// compared with where its own ray meets the surface's plane, not with the centre's distance, so a
// sloped surface does not shadow itself at the outer taps. What is left for the bias is the
// rasterised and filtered depth within a texel: half a texel plus half a texel of slope, small
// enough that a small object's shadow still starts at its foot.
float shadowVisibility(vec3 N)
{
    vec3 fromLight = worldPosition - WS_pos_light.xyz;
    float dist = length(fromLight);
    if (dist <= 0.0) {
        return 1.0;
    }
    vec3 dir = fromLight / dist;
    float texelAngle = 2.0 / float(textureSize(cubemap_tex, 0).x);
    float facing = dot(N, dir);
    float cosTheta = clamp(-facing, 0.05, 1.0);
    float slope = sqrt(1.0 - cosTheta * cosTheta) / cosTheta;
    float bias = dist * texelAngle * (0.5 + 0.5 * min(slope, 10.0)) + 0.02;

    vec3 side = normalize(cross(dir, abs(dir.y) < 0.99 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0)));
    vec3 upward = cross(dir, side);
    float radius = 1.5 * texelAngle;
    float lit = 0.0;
    for (int i = 0; i < PCF_TAPS; ++i) {
        float angle = (float(i) + 0.5) * (2.0 * PI / float(PCF_TAPS));
        float ring = (i % 2 == 0) ? radius : 0.5 * radius;
        vec3 tap = normalize(dir + ring * (cos(angle) * side + sin(angle) * upward));
        float surface = facing < -0.05 ? dist * facing / min(dot(tap, N), 0.5 * facing) : dist;
        float nearest = texture(cubemap_tex, tap).r * near_far.y;
        lit += (surface - bias <= nearest) ? 1.0 : 0.0;
    }
    return lit / float(PCF_TAPS);
}

void main()
{
    vec3 N = normalize(worldNormal);
    vec3 V = normalize(camera_world - worldPosition);
    if (dot(N, V) < 0.0) {
        N = -N;
    }
    vec3 L = normalize(-light.direction);
    vec3 H = normalize(V + L);

    float NdotL = max(dot(N, L), 0.0);
    float NdotV = max(dot(N, V), 1e-4);
    float NdotH = max(dot(N, H), 0.0);
    float HdotV = max(dot(H, V), 0.0);

    float roughness = clamp(material.roughness, 0.04, 1.0);
    vec3 albedo = material.ambient;
    vec3 F0 = mix(material.F0, albedo, material.metallic);

    float D = distributionGGX(NdotH, roughness);
    float G = geometrySchlick(NdotV, roughness) * geometrySchlick(NdotL, roughness);
    vec3 F = fresnelSchlick(HdotV, F0);
    vec3 specular = D * G * F / max(4.0 * NdotV * NdotL, 1e-4);
    vec3 diffuse = (1.0 - F) * (1.0 - material.metallic) * albedo / PI;

    float visibility = NdotL > 0.0 ? shadowVisibility(N) : 0.0;
    vec3 radiance = light.color * SUN_INTENSITY;
    vec3 direct = (diffuse + specular) * radiance * NdotL * visibility;

    // Sky fill: more from above than from the snow below.
    float skyShare = 0.5 + 0.5 * N.y;
    vec3 ambient = albedo * light.color * mix(0.12, 0.3, skyShare);

    vec3 color = direct + ambient;
    litColor = vec4(color, 1.0);
    bloomColor = vec4(max(color - vec3(BLOOM_START), vec3(0.0)), 1.0);

    vec2 now = clipNow.xy / clipNow.w;
    vec2 before = clipBefore.xy / clipBefore.w;
    motionVector = vec4((now - before) * 0.5, 0.0, 1.0);
}
