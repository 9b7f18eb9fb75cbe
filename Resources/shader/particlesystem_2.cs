#version 430 core
#extension GL_ARB_bindless_texture : enable

// A snow devil: flakes are drawn into a column turning about the vertical through the emission
// centre and rise in it to its top, where they hover. On the first step every flake, lying or
// falling, is taken up; each one lives up to its share of the time to live and then starts again
// at the column's foot.
//
// Streams as in particlesystem_begin: 0 position and timer (here always minus the time in the
// air), 1 velocity and a per-flake phase, 2 the last step's displacement and the flake's size.
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
#else
uniform sampler1D gRandomXYZ;
#endif

uniform uint MaximumCount;
uniform uint LastCount;
uniform float gDeltaTimeMillis;
uniform float gTime;
uniform vec3 gEmissionCenter;
uniform float gEmitterSize;
uniform float max_ttl;
uniform uint isfirst;
uniform float max_rad;

// Turns per time unit, the rise, and how fast a flake is pulled to the radius it keeps.
const float SPIN = 0.25;
const float RISE = 2.5;
const float PULL = 1.5;
// The column's height per unit of emitter size.
const float HEIGHT = 6.0;
const float EMISSION_RATE = 10.0;
const float MAX_SIZE = 0.2;

uint hash(uint x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

vec3 lookupRandom(uint key)
{
    int size = textureSize(gRandomXYZ, 0);
    vec3 a = texelFetch(gRandomXYZ, int(hash(key) % uint(size)), 0).rgb;
    vec3 b = texelFetch(gRandomXYZ, int(hash(key ^ 0x5bd1e995u) % uint(size)), 0).rgb;
    return fract(a + b.yzx);
}

// One step in the column: turned about its axis and drawn to the radius the flake keeps (its
// phase gives each flake its own), both exactly for any dt so that no step throws a flake out;
// rising below the top and sinking above it.
vec3 whirl(vec3 position, float phase, float dt)
{
    vec3 offset = position - gEmissionCenter;
    float keep = max_rad * (0.3 + 0.7 * fract(phase * 3.17)) * (gEmitterSize / 10.0);
    float radial = length(offset.xz);
    float angle = (radial > 0.001 ? atan(offset.z, offset.x) : phase) + 6.2831853 * SPIN * dt;
    radial = keep + (radial - keep) * exp(-PULL * dt);
    float lift = offset.y < HEIGHT * gEmitterSize ? RISE * (0.6 + 0.8 * fract(phase * 5.3)) : -RISE;
    return gEmissionCenter + vec3(radial * cos(angle), offset.y + lift * dt, radial * sin(angle));
}

void startAtFoot(uint key, out vec4 position, out vec4 velocity, out vec4 flake)
{
    vec3 r = lookupRandom(key);
    vec3 s = lookupRandom(key + 0x68e31da4u);
    float angle = 6.2831853 * r.x;
    float radius = max_rad * (gEmitterSize / 10.0) * (0.3 + 0.7 * r.y);
    position = vec4(gEmissionCenter + vec3(radius * cos(angle), -2.0 * r.z, radius * sin(angle)), 0.0);
    velocity = vec4(0.0, 0.0, 0.0, 6.2831853 * s.y);
    flake = vec4(0.0, 0.0, 0.0, MAX_SIZE * (0.45 + 0.55 * s.z));
}

void emit(vec4 position, vec4 velocity, vec4 flake)
{
    uint capacity = min(MaximumCount, uint(positionOut.length()));
    uint slot = atomicCounterIncrement(written);
    if (slot >= capacity) {
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
    float dt = gDeltaTimeMillis;
    vec4 position, velocity, flake;
    if (id >= LastCount) {
        if (id < MaximumCount && lookupRandom(key).z < dt * EMISSION_RATE) {
            startAtFoot(key, position, velocity, flake);
            emit(position, velocity, flake);
        }
        return;
    }

    position = positionIn[id];
    velocity = velocityIn[id];
    flake = flakeIn[id];
    vec3 before = position.xyz;
    if (isfirst == 1u) {
        // Lifted from wherever it is, with a head start so that the column does not renew at once.
        position.w = -max_ttl * lookupRandom(key).x * 0.5;
    }
    vec3 next = whirl(position.xyz, velocity.w, dt);
    velocity.xyz = dt > 0.0 ? (next - position.xyz) / dt : vec3(0.0);
    position.xyz = next;
    position.w -= dt;
    if (-position.w > max_ttl * (0.5 + 0.5 * fract(velocity.w * 1.93))) {
        startAtFoot(key, position, velocity, flake);
        before = position.xyz;
    }
    flake.xyz = position.xyz - before;
    emit(position, velocity, flake);
}
