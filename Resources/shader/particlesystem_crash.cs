#version 430 core
#extension GL_ARB_bindless_texture : enable

// The crash: on its first step snow is thrown up and out from the emission centre, the flakes
// the step finds in the air half caught up in it and the free room filled with more. The burst
// falls back under drag and settles around the centre, on the ground's level there, until its
// time is up. The snowfall goes on meanwhile; without the terrain at hand its flakes simply fall
// through the slope, whose depth hides them, and end well below it.
//
// Streams as in particlesystem_begin: 0 position and timer (above 0: time left lying; otherwise
// minus the time in the air), 1 velocity and a per-flake phase, 2 the last step's displacement
// and the flake's size.
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

// Share of the flakes in the air that the burst takes, and how many more each spare invocation
// of the first step throws.
const float CAUGHT = 0.5;
const int THROWN_PER_SPARE = 64;
const float DRAG = 0.6;
// The fastest throw per unit of emitter size.
const float THROW_SPEED = 4.0;
const float FALL_SPEED = 4.0;
const vec3 WIND = vec3(0.7, 0.0, 0.35);
// The snowfall: its radius per unit of emitter size and its top above the centre.
const float FALL_RADIUS = 14.0;
const float FALL_TOP = 80.0;
const float EMISSION_RATE = 10.0;
// The burst settles within this many burst radii of the centre, where the ground is near the
// centre's level; farther out its flakes go the way of the snowfall.
const float SETTLE_REACH = 2.5;
// Snowfall flakes, and the larger clumps the burst throws.
const float MAX_SIZE = 0.2;
const float CLUMP_SIZE = 0.6;

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

// Moves a flake by dt under drag towards its falling speed, exactly for any dt, so that the slow
// steps of slow motion follow the same paths as the normal ones.
vec3 drift(inout vec3 velocity, float phase, float dt)
{
    vec3 terminal = WIND - vec3(0.0, FALL_SPEED * (0.8 + 0.4 * fract(phase * 7.31)), 0.0);
    float decay = exp(-DRAG * dt);
    vec3 travelled = terminal * dt + (velocity - terminal) * ((1.0 - decay) / DRAG);
    velocity = terminal + (velocity - terminal) * decay;
    return travelled;
}

// Thrown from near the centre in any direction between low and steep, fastest upwards in the
// middle of the burst: a dome of snow that opens and falls back.
void throwFlake(uint key, out vec4 position, out vec4 velocity, out vec4 flake)
{
    vec3 r = lookupRandom(key);
    vec3 s = lookupRandom(key + 0x68e31da4u);
    float angle = 6.2831853 * r.x;
    float elevation = mix(0.25, 1.5, r.y);
    float speed = THROW_SPEED * gEmitterSize * (0.3 + 0.7 * sqrt(r.z));
    vec3 around = vec3(cos(angle), 0.0, sin(angle));
    position = vec4(gEmissionCenter + around * (0.3 * gEmitterSize * s.x), 0.0);
    velocity = vec4(speed * (around * cos(elevation) + vec3(0.0, sin(elevation), 0.0)), 6.2831853 * s.y);
    flake = vec4(0.0, 0.0, 0.0, CLUMP_SIZE * (0.3 + 0.7 * s.z));
}

void startSnowfall(uint key, float share, out vec4 position, out vec4 velocity, out vec4 flake)
{
    vec3 r = lookupRandom(key + 0x2545f491u);
    vec3 s = lookupRandom(key + 0x68e31da4u);
    float angle = 6.2831853 * r.x;
    float radius = FALL_RADIUS * gEmitterSize * sqrt(r.y);
    vec2 xz = gEmissionCenter.xz + radius * vec2(cos(angle), sin(angle));
    position = vec4(xz.x, gEmissionCenter.y + FALL_TOP * share, xz.y, -max_ttl);
    velocity = vec4(WIND - vec3(0.0, FALL_SPEED, 0.0), 6.2831853 * s.y);
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
    if (id >= LastCount) {
        if (id >= MaximumCount) {
            return;
        }
        vec4 position, velocity, flake;
        if (isfirst == 1u) {
            for (int n = 0; n < THROWN_PER_SPARE; ++n) {
                throwFlake(key + uint(n) * 0x9e3779b9u, position, velocity, flake);
                emit(position, velocity, flake);
            }
        } else if (lookupRandom(key).z < dt * EMISSION_RATE) {
            startSnowfall(key, lookupRandom(key + 1u).x, position, velocity, flake);
            emit(position, velocity, flake);
        }
        return;
    }

    vec4 position = positionIn[id];
    vec4 velocity = velocityIn[id];
    vec4 flake = flakeIn[id];
    vec3 before = position.xyz;
    if (isfirst == 1u && position.w <= 0.0 && lookupRandom(key).y < CAUGHT) {
        throwFlake(key, position, velocity, flake);
        before = position.xyz;
    } else if (position.w > 0.0) {
        // Lying: the burst's time counts down on the ground, and then it is gone.
        position.w -= dt;
        if (position.w <= 0.0) {
            return;
        }
    } else {
        position.xyz += drift(velocity.xyz, velocity.w, dt);
        position.w -= dt;
        vec2 fromCentre = position.xz - gEmissionCenter.xz;
        float reach = SETTLE_REACH * max_rad;
        bool nearCentre = dot(fromCentre, fromCentre) < reach * reach;
        // Settled with its centre its own size above the ground, as in the snowfall.
        if (nearCentre && position.y <= gEmissionCenter.y + flake.w && velocity.y < 0.0) {
            position.y = gEmissionCenter.y + flake.w;
            velocity.xyz = vec3(0.0);
            // What remains of its time, and at least a moment on the ground.
            position.w = max(max_ttl + position.w, 1.0);
        } else if (position.w < -2.0 * max_ttl || position.y < gEmissionCenter.y - 5.0 * gEmitterSize) {
            return;
        }
    }
    flake.xyz = position.xyz - before;
    emit(position, velocity, flake);
}
