#version 430 core

struct DirectionalLight {
    vec3 color;
    vec3 direction;
};

in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;
in vec4 clipNow;
in vec4 clipBefore;

uniform vec3 camera_world;
// Ambient, diffuse and specular weights.
uniform vec3 materialCoefficients;
// The tint the sun's light takes on where it arrives low over the slope.
uniform vec3 color;
uniform float specularAlpha;
uniform DirectionalLight dirL;
uniform sampler2D diffuseTexture;
uniform sampler2D textureDisplacementMap;
uniform float textureDipsFactor;
uniform vec4 WS_pos_light;
uniform vec2 near_far;
// Read through a comparing sampler: one fetch weighs the four nearest texels' comparisons.
uniform samplerCubeShadow cubemap_tex;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

// The sun's colour is a tint; this is its strength as radiance, as for the scene objects.
const float SUN_INTENSITY = 3.0;
// The sky's light on the snow: bluish, and what lights the shadows.
const vec3 SKY = vec3(0.62, 0.74, 0.95);
// Share of the lit colour above which a surface starts to glow, as for the scene objects.
const float BLOOM_START = 0.7;

// The pictures are sRGB files stored as they are; lighting needs linear values. A cubic fit of the
// sRGB curve, within 0.002 of it and far cheaper than its power.
vec3 decodeSRGB(vec3 c)
{
    return c * (c * (c * 0.305306011 + 0.682171111) + 0.012522878);
}

// The displacement map holds the height's slope along u and v in green and blue, as
// 0.5 + 0.5 sign(s) sqrt(|s| / SLOPE_RANGE) in units of height per texture coordinate.
const float SLOPE_RANGE = 64.0;
// The share of a cell next to its border over which the relief's slope across it fades out.
const float BORDER_EASE = 0.06;

// The surface normal with the displacement map's fine relief, which the tessellation is too
// coarse to carry. The map's slope, filtered over the pixel's footprint by its mip levels, is
// carried to the surface through the screen derivatives, so the mirrored cells need no tangents.
vec3 reliefNormal(vec3 N)
{
    vec2 t = texture(textureDisplacementMap, texCoord).gb * 2.0 - 1.0;
    vec2 slope = sign(t) * t * t * SLOPE_RANGE * textureDipsFactor;
    // Each cell holds the map mirrored from its neighbours, so at a cell's border the slope across
    // it flips sign: a crease that would show as a line along every border. It is eased to nothing
    // over the last stretch of each cell instead.
    vec2 fromBorder = min(texCoord, 1.0 - texCoord);
    slope *= smoothstep(vec2(0.0), vec2(BORDER_EASE), fromBorder);

    vec3 dpdx = dFdx(worldPosition);
    vec3 dpdy = dFdy(worldPosition);
    float dhdx = dot(dFdx(texCoord), slope);
    float dhdy = dot(dFdy(texCoord), slope);
    vec3 r1 = cross(dpdy, N);
    vec3 r2 = cross(N, dpdx);
    float det = dot(dpdx, r1);
    if (abs(det) < 1e-12) {
        return N;
    }
    vec3 surfaceGradient = sign(det) * (dhdx * r1 + dhdy * r2);
    return normalize(abs(det) * N - surfaceGradient);
}

// Fraction of light reaching the point, from the cube map of distances around the light (stored
// as distance / far). Only the scene objects are in the map, never the slope, so the slope cannot
// shadow itself: the bias only keeps an object's contact shadow from flickering at its foot.
float shadowVisibility(vec3 N)
{
    vec3 fromLight = worldPosition - WS_pos_light.xyz;
    float dist = length(fromLight);
    float texelAngle = 2.0 / float(textureSize(cubemap_tex, 0).x);
    float cosTheta = clamp(-dot(N, fromLight) / max(dist, 1e-6), 0.05, 1.0);
    float slope = sqrt(1.0 - cosTheta * cosTheta) / cosTheta;
    float bias = dist * texelAngle * (0.5 + 0.5 * min(slope, 10.0)) + 0.02;
    return texture(cubemap_tex, vec4(fromLight, (dist - bias) / near_far.y));
}

void main()
{
    vec3 base = normalize(worldNormal);
    vec3 N = reliefNormal(base);
    vec3 V = normalize(camera_world - worldPosition);
    // The shadows come from the sun's place, so the light does too: steep above it, ever lower
    // towards the far slope.
    vec3 L = normalize(WS_pos_light.xyz - worldPosition);
    vec3 toSky = normalize(-dirL.direction);

    float NdotL = max(dot(N, L), 0.0);
    float visibility = dot(base, L) > 0.0 ? shadowVisibility(base) : 0.0;
    // Low light is warmer: it crosses more air.
    vec3 sunLight = dirL.color * mix(vec3(1.0), 2.0 * color, 1.0 - max(L.y, 0.0));

    vec3 albedo = decodeSRGB(texture(diffuseTexture, texCoord).rgb);
    float skyShare = 0.5 + 0.5 * dot(N, toSky);
    vec3 ambient = materialCoefficients.x * SKY * mix(0.35, 1.0, skyShare);
    vec3 diffuse = materialCoefficients.y * SUN_INTENSITY * NdotL * visibility * sunLight;
    vec3 R = reflect(-L, N);
    vec3 specular = materialCoefficients.z * SUN_INTENSITY * pow(max(dot(R, V), 0.0), specularAlpha) * NdotL *
                    visibility * sunLight;

    vec3 lit = albedo * (ambient + diffuse) + specular;
    litColor = vec4(lit, 1.0);
    bloomColor = vec4(max(lit - vec3(BLOOM_START), vec3(0.0)), 1.0);

    vec2 now = clipNow.xy / clipNow.w;
    vec2 before = clipBefore.xy / clipBefore.w;
    motionVector = vec4((now - before) * 0.5, 0.0, 1.0);
}
