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
uniform samplerCube cubemap_tex;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

const float PI = 3.14159265;
// The sun's colour is a tint; this is its strength as radiance, as for the scene objects.
const float SUN_INTENSITY = 3.0;
// The sky's light on the snow: bluish, and what lights the shadows.
const vec3 SKY = vec3(0.62, 0.74, 0.95);
// Share of the lit colour above which a surface starts to glow, as for the scene objects.
const float BLOOM_START = 0.7;
const int PCF_TAPS = 8;

// The pictures are sRGB files stored as they are; lighting needs linear values.
vec3 decodeSRGB(vec3 c)
{
    return mix(c / 12.92, pow((c + 0.055) / 1.055, vec3(2.4)), step(vec3(0.04045), c));
}

// The map's heights are 8-bit: over fewer texels than this their slope comes in visible steps.
const float SLOPE_TEXELS = 6.0;
// The share of a cell next to its border over which the relief's slope across it fades out.
const float BORDER_EASE = 0.06;

// The surface normal with the displacement map's fine relief, which the tessellation is too
// coarse to carry. The map's slope is taken over a pixel's footprint (at least a few texels) and
// carried to the surface through the screen derivatives, so the mirrored cells need no tangents.
vec3 reliefNormal(vec3 N)
{
    vec2 size = vec2(textureSize(textureDisplacementMap, 0));
    vec2 footprint = max(fwidth(texCoord), SLOPE_TEXELS / size);
    float left = texture(textureDisplacementMap, texCoord - vec2(footprint.x, 0.0)).r;
    float right = texture(textureDisplacementMap, texCoord + vec2(footprint.x, 0.0)).r;
    float below = texture(textureDisplacementMap, texCoord - vec2(0.0, footprint.y)).r;
    float above = texture(textureDisplacementMap, texCoord + vec2(0.0, footprint.y)).r;
    vec2 slope = vec2(right - left, above - below) / (2.0 * footprint) * textureDipsFactor;
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
// as distance / far), with the ring of taps and the plane-based bias of the scene objects. The
// four outer taps decide alone where they agree, as they do over nearly all of the open slope;
// only near a shadow's edge are the four inner ones taken as well.
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
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = pass; i < PCF_TAPS; i += 2) {
            float angle = (float(i) + 0.5) * (2.0 * PI / float(PCF_TAPS));
            float ring = pass == 0 ? radius : 0.5 * radius;
            vec3 tap = normalize(dir + ring * (cos(angle) * side + sin(angle) * upward));
            float surface = facing < -0.05 ? dist * facing / min(dot(tap, N), 0.5 * facing) : dist;
            float nearest = texture(cubemap_tex, tap).r * near_far.y;
            lit += (surface - bias <= nearest) ? 1.0 : 0.0;
        }
        if (pass == 0 && (lit == 0.0 || lit == float(PCF_TAPS / 2))) {
            return lit / float(PCF_TAPS / 2);
        }
    }
    return lit / float(PCF_TAPS);
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
