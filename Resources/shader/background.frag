#version 430 core

struct DirectionalLight {
    vec3 color;
    vec3 direction;
};

in vec3 worldPosition;
in vec2 texCoord;
in vec4 clipNow;
in vec4 clipBefore;

uniform vec3 camera_world;
// Ambient, diffuse and specular weights.
uniform vec3 materialCoefficients;
// The ambient light's colour.
uniform vec3 color;
uniform float specularAlpha;
uniform DirectionalLight dirL;
uniform sampler2D diffuseTexture;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

// Share of the lit colour above which the picture starts to glow, as for the scene objects.
const float BLOOM_START = 0.7;

// The picture is an sRGB file stored as it is; lighting needs linear values.
vec3 decodeSRGB(vec3 c)
{
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(vec3(0.04045), c));
}

void main()
{
    vec3 toLight = normalize(-dirL.direction);
    vec3 viewDir = normalize(worldPosition - camera_world);

    // The picture is a far horizon: it takes the sun by its height, not by each wall's facing
    // (the walls' normals), so the four walls meet without a step in brightness.
    float diffuse = max(dot(toLight, vec3(0.0, 1.0, 0.0)), 0.0);
    // A soft glow of the sky where one looks towards the sun.
    float glow = pow(max(dot(viewDir, toLight), 0.0), specularAlpha);

    vec3 albedo = decodeSRGB(texture(diffuseTexture, texCoord).rgb);
    vec3 light = materialCoefficients.x * color + materialCoefficients.y * diffuse * dirL.color;
    vec3 lit = albedo * light + materialCoefficients.z * glow * dirL.color;

    litColor = vec4(lit, 1.0);
    bloomColor = vec4(max(lit - vec3(BLOOM_START), vec3(0.0)), 1.0);

    vec2 now = clipNow.xy / clipNow.w;
    vec2 before = clipBefore.xy / clipBefore.w;
    motionVector = vec4((now - before) * 0.5, 0.0, 1.0);
}
