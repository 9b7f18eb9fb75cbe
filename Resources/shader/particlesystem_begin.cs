#version 430 core
#extension GL_ARB_bindless_texture : enable

// Snowfall around the emitter: flakes start above the highest point of the slope, drift down with
// the wind and a sway of their own, lie on the terrain for a while and then fall again from the
// top. Spare invocations add new flakes at every height until the buffers are full.
//
// Streams: 0 position and timer (above 0: time left lying; otherwise minus the time in the air),
// 1 velocity and a per-flake phase, 2 the last step's displacement and the flake's size.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer PositionsIn { vec4 positionIn[]; };
layout(std430, binding = 1) readonly buffer VelocitiesIn { vec4 velocityIn[]; };
layout(std430, binding = 2) readonly buffer FlakesIn { vec4 flakeIn[]; };
layout(std430, binding = 3) writeonly buffer PositionsOut { vec4 positionOut[]; };
layout(std430, binding = 4) writeonly buffer VelocitiesOut { vec4 velocityOut[]; };
layout(std430, binding = 5) writeonly buffer FlakesOut { vec4 flakeOut[]; };
layout(binding = 6, offset = 0) uniform atomic_uint written;

#ifdef GL_ARB_bindless_texture
layout(bindless_sampler) uniform sampler1D gRandomXYZ;
layout(bindless_sampler) uniform sampler1D gRandomLifeTimeSpeed;
layout(bindless_sampler) uniform sampler2D gTerrainLookup;
#else
uniform sampler1D gRandomXYZ;
uniform sampler1D gRandomLifeTimeSpeed;
uniform sampler2D gTerrainLookup;
#endif

uniform uint MaximumCount;
uniform uint LastCount;
uniform float DeltaT;
uniform float gTime;
uniform float gMaxSize;
uniform vec3 gEmissionCenter;
uniform vec3 gEmitterFront;
uniform vec3 gEmitterUp;
uniform float gEmitterSize;
uniform int gPatchSize;
uniform int gGridCount;
uniform int gMaxHeight;

// The snowfall covers a disc of this radius per unit of emitter size, centred this far behind
// the emitter, between it and the camera that follows it.
const float FALL_RADIUS = 140.0;
const float BEHIND = 40.0;
const float ABOVE_PEAKS = 30.0;
const float FALL_SPEED = 4.0;
const vec3 WIND = vec3(0.7, 0.0, 0.35);
const float SWAY = 1.2;
const float LYING_MIN = 6.0;
const float LYING_MAX = 18.0;
// New flakes per spare invocation and time unit: at the run's step of 0.1 every spare one emits.
const float EMISSION_RATE = 10.0;
const float OFF_GRID = -200.0;

uint hash(uint x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// Three values in 0..1 from two texels of a table, so that a key reaches a million combinations
// rather than the table's thousand.
vec3 lookupRandom(sampler1D table, uint key)
{
    int size = textureSize(table, 0);
    vec3 a = texelFetch(table, int(hash(key) % uint(size)), 0).rgb;
    vec3 b = texelFetch(table, int(hash(key ^ 0x5bd1e995u) % uint(size)), 0).rgb;
    return fract(a + b.yzx);
}

float groundHeight(vec2 xz)
{
    float extent = float(gGridCount * gPatchSize);
    vec2 grid = (xz + 0.5 * extent) / float(gPatchSize);
    if (any(lessThan(grid, vec2(0.0))) || any(greaterThanEqual(grid, vec2(float(gGridCount))))) {
        return OFF_GRID;
    }
    // Rows run along x and lie on t, columns along z on s; texel centres sit at half steps.
    vec2 size = vec2(textureSize(gTerrainLookup, 0));
    return texture(gTerrainLookup, (grid.yx + 0.5) / size).r;
}

vec2 snowfallPoint(uint key)
{
    vec3 r = lookupRandom(gRandomXYZ, key);
    vec3 ahead = gEmitterFront - dot(gEmitterFront, gEmitterUp) * gEmitterUp;
    vec2 centre = gEmissionCenter.xz - BEHIND * gEmitterSize * ahead.xz;
    float angle = 6.2831853 * r.x;
    float radius = FALL_RADIUS * gEmitterSize * sqrt(r.y);
    return centre + radius * vec2(cos(angle), sin(angle));
}

float topOfFall()
{
    return float(gMaxHeight) + ABOVE_PEAKS;
}

// A flake in the air at `height` above the ground (a share of the fall; 1 is the top).
void startFlake(uint key, float share, out vec4 position, out vec4 velocity, out vec4 flake)
{
    vec2 xz = snowfallPoint(key);
    float ground = max(groundHeight(xz), 0.0);
    vec3 r = lookupRandom(gRandomLifeTimeSpeed, key + 0x68e31da4u);
    position = vec4(xz.x, mix(ground, topOfFall(), share), xz.y, 0.0);
    velocity = vec4(0.0, 0.0, 0.0, 6.2831853 * r.x);
    flake = vec4(0.0, 0.0, 0.0, gMaxSize * (0.45 + 0.55 * r.y));
}

void emit(vec4 position, vec4 velocity, vec4 flake)
{
    uint capacity = min(MaximumCount, uint(positionOut.length()));
    uint slot = atomicCounterIncrement(written);
    if (slot >= capacity) {
        // Taken back, so that the counter ends at the number of particles written.
        atomicCounterDecrement(written);
        return;
    }
    positionOut[slot] = position;
    velocityOut[slot] = velocity;
    flakeOut[slot] = flake;
}

void main()
{
    uint id = gl_GlobalInvocationID.x;
    uint key = hash(id) ^ hash(floatBitsToUint(gTime));
    if (id >= LastCount) {
        vec3 chance = lookupRandom(gRandomLifeTimeSpeed, key);
        if (id < MaximumCount && chance.z < DeltaT * EMISSION_RATE) {
            vec4 position, velocity, flake;
            startFlake(key, lookupRandom(gRandomXYZ, key + 1u).z, position, velocity, flake);
            emit(position, velocity, flake);
        }
        return;
    }

    vec4 position = positionIn[id];
    vec4 velocity = velocityIn[id];
    vec4 flake = flakeIn[id];
    vec3 before = position.xyz;
    bool renew = false;
    if (position.w > 0.0) {
        velocity.xyz = vec3(0.0);
        position.w -= DeltaT;
        renew = position.w <= 0.0;
    } else {
        float phase = velocity.w;
        float speed = FALL_SPEED * (0.6 + 0.4 * flake.w / gMaxSize) * (0.8 + 0.4 * fract(phase * 7.31));
        vec3 sway = SWAY * vec3(sin(gTime * 1.3 + phase), 0.0, cos(gTime * 0.9 + 1.7 * phase));
        velocity.xyz = -speed * gEmitterUp + WIND + sway;
        position.xyz += velocity.xyz * DeltaT;
        position.w -= DeltaT;
        float ground = groundHeight(position.xz);
        // A flake lies with its centre its own size above the surface, which would cover it else.
        if (position.y <= ground + flake.w) {
            position.y = ground + flake.w;
            position.w = mix(LYING_MIN, LYING_MAX, lookupRandom(gRandomLifeTimeSpeed, key).x);
            velocity.xyz = vec3(0.0);
        }
        // Blown out of the snowfall, or fallen off the grid.
        vec2 fromCentre = position.xz - gEmissionCenter.xz;
        float reach = (FALL_RADIUS + BEHIND) * gEmitterSize * 1.1;
        renew = dot(fromCentre, fromCentre) > reach * reach || ground == OFF_GRID;
    }
    if (renew) {
        float size = flake.w;
        startFlake(key, 1.0, position, velocity, flake);
        flake.w = size;
        before = position.xyz;
    }
    flake.xyz = position.xyz - before;
    emit(position, velocity, flake);
}
