#include "effects/GPUParticleEffect.h"

#include "app/Shader.h"
#include "world/Player.h"
#include "world/Terrain.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Where modes 0 and 1 centre their emission, and the sizes the programs are given.
const glm::vec3 kFixedEmissionCenter(0.0f, 55.0f, 0.0f);
constexpr float kMaxFlakeSize = 0.2f;
constexpr float kBurstEmitterSize = 10.0f;
constexpr float kMaxTimeToLive = 25.0f;
constexpr float kMaxRadius = 20.0f;
// Seeds lie on the ground around the player for this long before the program renews them.
constexpr float kSeedLyingTime = 2.0f;
constexpr float kSeedSpread = 20.0f;
constexpr GLint kTerrainHeightRange = 100;

void setUnsigned(Shader& program, const char* name, std::uint32_t value)
{
    glUniform1ui(program.getUniformLocation(name), value);
}

void setFloat(Shader& program, const char* name, float value)
{
    glUniform1f(program.getUniformLocation(name), value);
}

void setVector(Shader& program, const char* name, const glm::vec3& value)
{
    glUniform3fv(program.getUniformLocation(name), 1, glm::value_ptr(value));
}

}

GPUParticleEffect::GPUParticleEffect() = default;

GPUParticleEffect::~GPUParticleEffect()
{
    for (auto& pair : streamBuffers) {
        glDeleteBuffers(2, pair);
    }
    glDeleteVertexArrays(2, vertexArrays);
    // Effects come and go with the player's size, so the counter and the lookup textures go too.
    glDeleteBuffers(1, &counterBuffer);
    releaseLookupTextures();
}

void GPUParticleEffect::setComputeShader(std::shared_ptr<Shader> program, int mode)
{
    this->mode = mode;
    isFirst = true;
    computeShader = std::move(program);
}

void GPUParticleEffect::init()
{
    if (computeShader) {
        computeShader->use();
    }
    for (auto& pair : streamBuffers) {
        glGenBuffers(2, pair);
    }
    for (int half = 0; half < 2; ++half) {
        for (auto& pair : streamBuffers) {
            glBindBuffer(GL_SHADER_STORAGE_BUFFER, pair[half]);
            glBufferData(GL_SHADER_STORAGE_BUFFER, streamBytes, nullptr, GL_DYNAMIC_DRAW);
        }
    }
    currentHalf = 0;
    seedParticles(seedCount);
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);

    glGenBuffers(1, &counterBuffer);
    glBindBuffer(GL_ATOMIC_COUNTER_BUFFER, counterBuffer);
    glBufferData(GL_ATOMIC_COUNTER_BUFFER, sizeof(std::uint32_t), nullptr, GL_DYNAMIC_DRAW);
    const std::uint32_t zero = 0;
    glBufferSubData(GL_ATOMIC_COUNTER_BUFFER, 0, sizeof zero, &zero);
    glBindBuffer(GL_ATOMIC_COUNTER_BUFFER, 0);

    createTextures(randomTexels);

    if (renderShader) {
        renderShader->use();
    }
    createVertexArrays();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

void GPUParticleEffect::seedParticles(unsigned count)
{
    // More would not fit the buffers.
    count = std::min(count, maximumCount);
    const glm::vec3 centre = player->position;
    std::vector<glm::vec4> positions;
    std::vector<glm::vec4> motions;
    std::vector<glm::vec4> looks;
    positions.reserve(count);
    motions.reserve(count);
    looks.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        const glm::vec3 p = terrain->randomPointNear(centre, kSeedSpread, kSeedSpread, 0.0f);
        const float d = std::sqrt((p.x - centre.x) * (p.x - centre.x) + (p.z - centre.z) * (p.z - centre.z));
        positions.emplace_back(p, kSeedLyingTime);
        motions.emplace_back(p, -d);
        looks.emplace_back(1.0f, 1.0f, 1.0f, kMaxFlakeSize);
    }
    particleCount = count;
    const std::vector<glm::vec4>* streams[3] = {&positions, &motions, &looks};
    for (int stream = 0; stream < 3; ++stream) {
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, streamBuffers[stream][currentHalf]);
        glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, static_cast<GLsizeiptr>(count * sizeof(glm::vec4)),
                        streams[stream]->data());
    }
}

void GPUParticleEffect::update(float dt)
{
    time += dt;
    simulate(dt);
    render();
}

void GPUParticleEffect::simulate(float dt)
{
    // Without its program (reported when the effect was made) the particles stay as they are.
    if (!computeShader) {
        return;
    }
    computeShader->use();
    switch (mode) {
    case 0:
        setUniformsBegin(dt);
        break;
    case 1:
        setUniformsSecond(dt);
        break;
    case 2:
        setUniformsCrash(dt);
        break;
    default:
        break;
    }
    dispatchStep();
}

void GPUParticleEffect::dispatchStep()
{
    for (GLuint k = 0; k < 3; ++k) {
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, k, streamBuffers[k][currentHalf]);
    }
    for (GLuint k = 0; k < 3; ++k) {
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 3 + k, streamBuffers[k][1 - currentHalf]);
    }
    glBindBufferBase(GL_ATOMIC_COUNTER_BUFFER, 6, counterBuffer);
    currentHalf = static_cast<std::uint8_t>(1 - currentHalf);

    glDispatchCompute((particleCount >> 8) + 1, 1, 1);
    // The counter is read through a mapping, which the atomic-counter bit alone does not order.
    glMemoryBarrier(GL_ATOMIC_COUNTER_BARRIER_BIT | GL_BUFFER_UPDATE_BARRIER_BIT);
    auto* counter = static_cast<std::uint32_t*>(
        glMapBufferRange(GL_ATOMIC_COUNTER_BUFFER, 0, sizeof(std::uint32_t), GL_MAP_READ_BIT | GL_MAP_WRITE_BIT));
    if (counter != nullptr) {
        // A faulty program must not make the draw or the next step read past the buffers.
        particleCount = std::min(*counter, maximumCount);
        *counter = 0;
    }
    glUnmapBuffer(GL_ATOMIC_COUNTER_BUFFER);
    // The draw fetches the new half as vertices and the next step reads it as storage.
    glMemoryBarrier(GL_VERTEX_ATTRIB_ARRAY_BARRIER_BIT | GL_SHADER_STORAGE_BARRIER_BIT);
}

void GPUParticleEffect::setUniformsBegin(float dt)
{
    Shader& program = *computeShader;
    setUnsigned(program, "MaximumCount", maximumCount);
    setUnsigned(program, "LastCount", particleCount);
    setFloat(program, "DeltaT", dt);
    setFloat(program, "gDeltaTimeMillis", dt);
    setFloat(program, "gTime", time);
    setLookupUniform("gRandomXYZ", RandomXYZ);
    setLookupUniform("gRandomLifeTimeSpeed", RandomLifeTimeSpeed);
    setLookupUniform("gTerrainLookup", TerrainLookup);
    setFloat(program, "gMaxSize", kMaxFlakeSize);
    setVector(program, "gEmissionCenter", kFixedEmissionCenter);
    setVector(program, "gEmitterFront", player->front);
    setVector(program, "gEmitterUp", player->up);
    setFloat(program, "gEmitterSize", player->GameObject::scale);
    glUniform1i(program.getUniformLocation("gPatchSize"), static_cast<GLint>(Terrain::gridSpacing));
    glUniform1i(program.getUniformLocation("gGridCount"), Terrain::gridSize);
    glUniform1i(program.getUniformLocation("gMaxHeight"), kTerrainHeightRange);
}

void GPUParticleEffect::setUniformsSecond(float dt)
{
    setBurstUniforms(dt, kFixedEmissionCenter);
}

void GPUParticleEffect::setUniformsCrash(float dt)
{
    setBurstUniforms(dt, player->position);
}

void GPUParticleEffect::setBurstUniforms(float dt, const glm::vec3& emissionCenter)
{
    Shader& program = *computeShader;
    setUnsigned(program, "MaximumCount", maximumCount);
    setUnsigned(program, "LastCount", particleCount);
    setFloat(program, "gDeltaTimeMillis", dt);
    setFloat(program, "gTime", time);
    setLookupUniform("gRandomXYZ", RandomXYZ);
    setVector(program, "gEmissionCenter", emissionCenter);
    setFloat(program, "gEmitterSize", kBurstEmitterSize);
    setFloat(program, "max_ttl", kMaxTimeToLive);
    setUnsigned(program, "isfirst", isFirst ? 1u : 0u);
    setFloat(program, "max_rad", kMaxRadius);
    isFirst = false;
}

void particleComputeStep(ParticleSystem& system, double dt)
{
    system.program->use();
    system.spawnAccumulator += 2.0 * dt;
    const double whole = std::floor(system.spawnAccumulator);
    glUniform1i(glGetUniformLocation(system.program->getID(), "spawn_count"), static_cast<GLint>(whole));
    system.spawnAccumulator -= whole;

    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 0, system.storageBuffers[system.current]);
    glBindBufferBase(GL_ATOMIC_COUNTER_BUFFER, 0, system.counterBuffer);
    system.current = 1 - system.current;
    glDispatchCompute(system.count / 256 + 1, 1, 1);
    glMemoryBarrier(GL_ATOMIC_COUNTER_BARRIER_BIT | GL_BUFFER_UPDATE_BARRIER_BIT);

    glBindBuffer(GL_COPY_READ_BUFFER, system.counterBuffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, system.copyBuffer);
    glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER, 0, 0, sizeof(std::uint32_t));
    auto* counter = static_cast<std::uint32_t*>(
        glMapBufferRange(GL_COPY_WRITE_BUFFER, 0, sizeof(std::uint32_t), GL_MAP_READ_BIT | GL_MAP_WRITE_BIT));
    if (counter != nullptr) {
        system.count = *counter;
        *counter = 0;
    }
    glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    glCopyBufferSubData(GL_COPY_WRITE_BUFFER, GL_COPY_READ_BUFFER, 0, 0, sizeof(std::uint32_t));
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    glMemoryBarrier(GL_VERTEX_ATTRIB_ARRAY_BARRIER_BIT);
}
