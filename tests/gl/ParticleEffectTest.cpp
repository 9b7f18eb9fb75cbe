#include "app/Globals.h"
#include "app/LookupRandom.h"
#include "app/Shader.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/ParticleFixture.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Player.h"
#include "world/Terrain.h"

#include <glm/gtc/packing.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// A compute program that honours the host's interface in the plainest way: its first invocation
// copies as many input particles as there are work groups to the output, their timer set to 7,
// and counts them; `claim` more are counted without being written, as a faulty program would.
// Every uniform that any mode sets is read, so that none is optimised away and each can be asked
// for afterwards. The terrain lookup is left out where a mode does not set it: an unset sampler
// would sit on unit 0 beside the other one-dimensional sampler, which a dispatch refuses.
std::string probeSource(bool withTerrainLookup)
{
    std::string source = R"(#version 430 core
layout(local_size_x = 256) in;
layout(std430, binding = 0) readonly buffer P0 { vec4 p0[]; };
layout(std430, binding = 1) readonly buffer P1 { vec4 p1[]; };
layout(std430, binding = 2) readonly buffer P2 { vec4 p2[]; };
layout(std430, binding = 3) writeonly buffer Q0 { vec4 q0[]; };
layout(std430, binding = 4) writeonly buffer Q1 { vec4 q1[]; };
layout(std430, binding = 5) writeonly buffer Q2 { vec4 q2[]; };
layout(binding = 6, offset = 0) uniform atomic_uint written;
uniform uint claim;
uniform uint MaximumCount;
uniform uint LastCount;
uniform float DeltaT;
uniform float gDeltaTimeMillis;
uniform float gTime;
uniform sampler1D gRandomXYZ;
uniform sampler1D gRandomLifeTimeSpeed;
uniform float gMaxSize;
uniform vec3 gEmissionCenter;
uniform vec3 gEmitterFront;
uniform vec3 gEmitterUp;
uniform float gEmitterSize;
uniform int gPatchSize;
uniform int gGridCount;
uniform int gMaxHeight;
uniform float max_ttl;
uniform uint isfirst;
uniform float max_rad;
)";
    source += withTerrainLookup ? "uniform sampler2D gTerrainLookup;\n" : "";
    source += R"(
void main()
{
    if (gl_GlobalInvocationID.x != 0u) {
        return;
    }
    for (uint k = 0u; k < gl_NumWorkGroups.x; ++k) {
        uint slot = atomicCounterIncrement(written);
        q0[slot] = vec4(p0[k].xyz, 7.0);
        q1[slot] = p1[k];
        q2[slot] = p2[k];
    }
    for (uint k = 0u; k < claim; ++k) {
        atomicCounterIncrement(written);
    }
    float sink = float(MaximumCount + LastCount + isfirst) + DeltaT + gDeltaTimeMillis + gTime + gMaxSize +
                 dot(gEmissionCenter + gEmitterFront + gEmitterUp, vec3(1.0)) + gEmitterSize +
                 float(gPatchSize + gGridCount + gMaxHeight) + max_ttl + max_rad +
                 texelFetch(gRandomXYZ, 0, 0).r + texelFetch(gRandomLifeTimeSpeed, 0, 0).r)";
    source += withTerrainLookup ? " + texelFetch(gTerrainLookup, ivec2(0), 0).r" : "";
    source += R"(;
    if (sink == -12345.0) {
        q0[0] = vec4(sink);
    }
}
)";
    return source;
}

std::shared_ptr<Shader> probeProgram(bool withTerrainLookup = true)
{
    return programFromSources({{GL_COMPUTE_SHADER, probeSource(withTerrainLookup)}});
}

// Draws each point at the left of the view when its timer is the probe's 7 and at the right
// otherwise, so that a pixel tells which half was drawn.
const char* kHalfProbeVertex = R"(#version 430 core
layout(location = 0) in vec4 positionTimer;
void main() { gl_Position = vec4(positionTimer.w == 7.0 ? -0.5 : 0.5, 0.0, 0.0, 1.0); }
)";
const char* kHalfProbeFragment = R"(#version 430 core
out vec4 color;
void main() { color = vec4(1.0); }
)";

class ParticleEffectGL : public ParticleGL {
protected:
    static GLuint uintUniform(Shader& program, const char* name)
    {
        GLuint value = 0;
        glGetUniformuiv(program.getID(), glGetUniformLocation(program.getID(), name), &value);
        return value;
    }
    static GLint intUniform(Shader& program, const char* name)
    {
        GLint value = 0;
        glGetUniformiv(program.getID(), glGetUniformLocation(program.getID(), name), &value);
        return value;
    }
    static glm::vec4 floatUniform(Shader& program, const char* name)
    {
        glm::vec4 value(0.0f);
        glGetUniformfv(program.getID(), glGetUniformLocation(program.getID(), name), &value[0]);
        return value;
    }

    // The brightest red of the 4 x 4 pixels of the window around (x, y): a one-pixel point lands
    // on one of them, whichever way its centre rounds.
    static int brightestAround(int x, int y)
    {
        unsigned char pixels[4 * 4 * 4] = {};
        glReadPixels(x - 2, y - 2, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        int brightest = 0;
        for (int i = 0; i < 16; ++i) {
            brightest = std::max(brightest, static_cast<int>(pixels[4 * i]));
        }
        return brightest;
    }

    static GLint bufferSize(GLuint buffer)
    {
        GLint size = 0;
        glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &size);
        return size;
    }

    // The texels of a lookup texture, three floats each.
    static std::vector<float> texels(GLuint texture, size_t count)
    {
        std::vector<float> values(count * 3);
        glGetTextureImage(texture, 0, GL_RGB, GL_FLOAT, static_cast<GLsizei>(values.size() * sizeof(float)),
                          values.data());
        return values;
    }
};

TEST_F(ParticleEffectGL, ConstructionMakesNoGLObjectAndStartsInModeZero)
{
    GPUParticleEffect effect;
    EXPECT_TRUE(effect.isFirst);
    EXPECT_EQ(effect.mode, 0);
    EXPECT_EQ(effect.currentHalf, 0);
    EXPECT_EQ(effect.time, 0.0f);
    EXPECT_EQ(effect.counterBuffer, 0u);
    EXPECT_EQ(effect.vertexArrays[0], 0u);
    EXPECT_EQ(effect.streamBuffers[2][1], 0u);
    EXPECT_EQ(effect.computeShader, nullptr);
}

TEST_F(ParticleEffectGL, InitSeedsFiftyParticlesLyingAroundThePlayerInHalfZero)
{
    const std::mt19937 engineBefore = randomEngine;
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    EXPECT_NE(randomEngine, engineBefore) << "the seeds are drawn from the one engine";
    EXPECT_EQ(effect->currentHalf, 0);
    EXPECT_EQ(effect->particleCount, 50u);
    EXPECT_EQ(readCounter(effect->counterBuffer), 0u);
    EXPECT_EQ(bufferSize(effect->counterBuffer), 4);
    for (int stream = 0; stream < 3; ++stream) {
        for (int half = 0; half < 2; ++half) {
            EXPECT_EQ(bufferSize(effect->streamBuffers[stream][half]), 800000);
        }
    }

    const glm::vec3 centre = player->position;
    const auto positions = readStream(effect->streamBuffers[0][0], 50);
    const auto motions = readStream(effect->streamBuffers[1][0], 50);
    const auto flakes = readStream(effect->streamBuffers[2][0], 50);
    for (int i = 0; i < 50; ++i) {
        SCOPED_TRACE(i);
        const glm::vec4 p = positions[i];
        EXPECT_LE(std::abs(p.x - centre.x), 40.0f);
        EXPECT_LE(std::abs(p.z - centre.z), 40.0f);
        EXPECT_FLOAT_EQ(p.y, terrain->getHeightAt(p.x, p.z));
        EXPECT_EQ(p.w, 2.0f);
        EXPECT_EQ(glm::vec3(motions[i]), glm::vec3(p));
        EXPECT_FLOAT_EQ(motions[i].w, -std::hypot(p.x - centre.x, p.z - centre.z));
        EXPECT_EQ(flakes[i], glm::vec4(1.0f, 1.0f, 1.0f, 0.2f));
    }
}

TEST_F(ParticleEffectGL, SeedingMoreThanTheBuffersHoldSeedsAFullHalf)
{
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    effect->seedParticles(60000);
    EXPECT_EQ(effect->particleCount, 50000u);
}

TEST_F(ParticleEffectGL, FirstUpdateReadsHalfZeroWritesHalfOneAndDrawsIt)
{
    auto compute = probeProgram();
    auto render = programFromSources({{GL_VERTEX_SHADER, kHalfProbeVertex}, {GL_FRAGMENT_SHADER, kHalfProbeFragment}});
    auto effect = makeEffect(compute, 0, render);
    const glm::vec4 firstSeed = readStream(effect->streamBuffers[0][0], 1)[0];

    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    effect->update(0.1f);

    EXPECT_EQ(uintUniform(*compute, "LastCount"), 50u);
    EXPECT_EQ(effect->particleCount, 1u) << "one work group, so the probe wrote one particle";
    EXPECT_EQ(effect->currentHalf, 1);
    EXPECT_EQ(readStream(effect->streamBuffers[0][1], 1)[0], glm::vec4(glm::vec3(firstSeed), 7.0f));
    EXPECT_EQ(readCounter(effect->counterBuffer), 0u) << "the counter is reset for the next step";
    EXPECT_EQ(effect->time, 0.1f);

    EXPECT_EQ(brightestAround(width / 4, height / 2), 255) << "the probe's particle, from half 1, is drawn";
    EXPECT_EQ(brightestAround(3 * width / 4, height / 2), 0) << "no seed from half 0 is drawn";
}

struct DispatchCase {
    std::uint32_t live;
    std::uint32_t groups;
};

class DispatchSize : public ParticleEffectGL, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchSize, OneGroupPerWhole256LiveParticlesPlusOne)
{
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    effect->particleCount = GetParam().live;
    effect->update(0.1f);
    EXPECT_EQ(effect->particleCount, GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(Groups, DispatchSize,
                         ::testing::Values(DispatchCase{0, 1}, DispatchCase{50, 1}, DispatchCase{255, 1},
                                           DispatchCase{256, 2}, DispatchCase{50000, 196}));

TEST_F(ParticleEffectGL, ACountBeyondTheBuffersIsCutToTheMaximum)
{
    auto compute = probeProgram();
    auto effect = makeEffect(compute, 0, nullptr);
    compute->use();
    glUniform1ui(compute->getUniformLocation("claim"), 70000);
    effect->update(0.1f);
    EXPECT_EQ(effect->particleCount, 50000u);
    EXPECT_EQ(readCounter(effect->counterBuffer), 0u);
}

TEST_F(ParticleEffectGL, TimeSumsEveryStepIncludingSlowMotionAndIsSentAsGTime)
{
    auto compute = probeProgram();
    auto effect = makeEffect(compute, 0, nullptr);
    float expected = 0.0f;
    for (float dt : {0.1f, 0.00060000003f, 0.00060000003f, 0.10000001f}) {
        effect->update(dt);
        expected += dt;
        EXPECT_EQ(effect->time, expected);
        EXPECT_EQ(floatUniform(*compute, "gTime").x, expected);
        EXPECT_EQ(floatUniform(*compute, "DeltaT").x, dt);
        EXPECT_EQ(floatUniform(*compute, "gDeltaTimeMillis").x, dt) << "the step unchanged, not in milliseconds";
    }
}

// Every uniform of every mode after one step: values of the mode's table, and 0 where a mode
// does not set one (a fresh program's uniforms are all 0).
TEST_F(ParticleEffectGL, EachModeSendsItsOwnUniformsAndNoOthers)
{
    player->front = glm::vec3(0.6f, 0.0f, -0.8f);
    player->up = glm::vec3(0.0f, 0.8f, 0.6f);
    player->GameObject::scale = 1.5f;
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        auto compute = probeProgram(mode == 0);
        auto effect = makeEffect(compute, mode, nullptr);
        player->position = glm::vec3(10.0f, 20.0f, 30.0f);
        effect->update(0.25f);
        Shader& p = *compute;
        const bool begin = mode == 0;
        EXPECT_EQ(uintUniform(p, "MaximumCount"), 50000u);
        EXPECT_EQ(uintUniform(p, "LastCount"), 50u);
        EXPECT_EQ(floatUniform(p, "DeltaT").x, begin ? 0.25f : 0.0f);
        EXPECT_EQ(floatUniform(p, "gDeltaTimeMillis").x, 0.25f);
        EXPECT_EQ(floatUniform(p, "gTime").x, 0.25f);
        EXPECT_EQ(floatUniform(p, "gMaxSize").x, begin ? 0.2f : 0.0f);
        const glm::vec3 centre = mode == 2 ? player->position : glm::vec3(0.0f, 55.0f, 0.0f);
        EXPECT_EQ(glm::vec3(floatUniform(p, "gEmissionCenter")), centre);
        EXPECT_EQ(glm::vec3(floatUniform(p, "gEmitterFront")), begin ? player->front : glm::vec3(0.0f));
        EXPECT_EQ(glm::vec3(floatUniform(p, "gEmitterUp")), begin ? player->up : glm::vec3(0.0f));
        EXPECT_EQ(floatUniform(p, "gEmitterSize").x, begin ? 1.5f : 10.0f);
        EXPECT_EQ(intUniform(p, "gPatchSize"), begin ? 50 : 0);
        EXPECT_EQ(intUniform(p, "gGridCount"), begin ? 128 : 0);
        EXPECT_EQ(intUniform(p, "gMaxHeight"), begin ? 100 : 0);
        EXPECT_EQ(floatUniform(p, "max_ttl").x, begin ? 0.0f : 25.0f);
        EXPECT_EQ(uintUniform(p, "isfirst"), begin ? 0u : 1u);
        EXPECT_EQ(floatUniform(p, "max_rad").x, begin ? 0.0f : 20.0f);
        EXPECT_EQ(effect->isFirst, begin) << "modes 1 and 2 clear it once sent";
        if (!effect->bindless) {
            // The lookup textures on the units of their own names, as every sampler of the scene.
            EXPECT_EQ(intUniform(p, "gRandomXYZ"), static_cast<GLint>(effect->lookupTextures[1]));
            EXPECT_EQ(intUniform(p, "gRandomLifeTimeSpeed"), static_cast<GLint>(effect->lookupTextures[0]))
                << "set once, by init";
            if (begin) {
                EXPECT_EQ(intUniform(p, "gTerrainLookup"), static_cast<GLint>(effect->lookupTextures[2]));
            }
        }
    }
}

TEST_F(ParticleEffectGL, IsFirstIsSentOnceAfterEachSwitch)
{
    auto compute = probeProgram(false);
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    effect->setComputeShader(compute, 2);
    std::vector<GLuint> sent;
    for (int step = 0; step < 3; ++step) {
        effect->update(0.1f);
        sent.push_back(uintUniform(*compute, "isfirst"));
    }
    effect->setComputeShader(compute, 1);
    effect->update(0.1f);
    sent.push_back(uintUniform(*compute, "isfirst"));
    EXPECT_EQ(sent, (std::vector<GLuint>{1, 0, 0, 1}));
}

TEST_F(ParticleEffectGL, AnUnknownModeSetsNoUniformButStillSteps)
{
    auto compute = probeProgram();
    auto effect = makeEffect(compute, 7, nullptr);
    effect->update(0.1f);
    EXPECT_EQ(uintUniform(*compute, "MaximumCount"), 0u);
    EXPECT_EQ(effect->currentHalf, 1);
}

// The values are handed in as floats to an unsized GL_RGB texture, so each is stored to the
// precision the driver chose for it: within half a step of a normalised format, or exactly.
TEST_F(ParticleEffectGL, RandomTexturesHoldTheGeneratorsValuesInTheirOrder)
{
    LookupRandom expected = lookupRandom;
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    for (int which = 0; which < 2; ++which) {
        const GLuint texture = effect->lookupTextures[which];
        GLint format = 0;
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, GL_RGB) << which;
        GLint width = 0;
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 1000) << which;
        GLint type = 0;
        GLint bits = 0;
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_RED_TYPE, &type);
        glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_RED_SIZE, &bits);
        ASSERT_GT(bits, 0) << which;
        const float tolerance = type == GL_UNSIGNED_NORMALIZED ? 0.5f / static_cast<float>((1u << bits) - 1u) + 1e-6f
                                                               : 0.0f;
        const std::vector<float> values = texels(texture, 1000);
        for (size_t texel = 0; texel < 1000; ++texel) {
            const float a = static_cast<float>(expected.next()) / 32767.0f;
            const float b = static_cast<float>(expected.next()) / 32767.0f;
            const float c = static_cast<float>(expected.next()) / 32767.0f;
            ASSERT_NEAR(values[3 * texel], c, tolerance) << which << ", texel " << texel;
            ASSERT_NEAR(values[3 * texel + 1], b, tolerance) << which << ", texel " << texel;
            ASSERT_NEAR(values[3 * texel + 2], a, tolerance) << which << ", texel " << texel;
        }
    }
    EXPECT_EQ(lookupRandom.state, expected.state) << "6000 values, and no more, were drawn";
}

TEST_F(ParticleEffectGL, TerrainLookupHoldsEveryHeightAsHalfFloatWithRowsOnT)
{
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    GLint w = 0;
    GLint h = 0;
    glGetTextureLevelParameteriv(effect->lookupTextures[2], 0, GL_TEXTURE_WIDTH, &w);
    glGetTextureLevelParameteriv(effect->lookupTextures[2], 0, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w, 129);
    ASSERT_EQ(h, 129);
    const std::vector<float> lookup = texels(effect->lookupTextures[2], 129 * 129);
    for (int i = 0; i < 129; ++i) {
        for (int j = 0; j < 129; ++j) {
            // A half float, within one of its steps of the height (drivers round either way).
            const float stored = lookup[(static_cast<size_t>(i) * 129 + j) * 3];
            const float height = terrain->heights[i][j];
            const float step = height > 0.0f ? std::ldexp(1.0f, std::ilogb(height) - 10) : 0.0f;
            ASSERT_EQ(glm::unpackHalf1x16(glm::packHalf1x16(stored)), stored) << i << ", " << j;
            ASSERT_LE(std::abs(stored - height), step) << i << ", " << j;
        }
    }
    EXPECT_EQ(lookup[(128 * 129 + 5) * 3], 0.0f);
    EXPECT_EQ(lookup[(5 * 129 + 128) * 3], 0.0f);
}

TEST_F(ParticleEffectGL, WithoutBindlessTexturesTheLookupTexturesSitOnTheirOwnUnits)
{
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    EXPECT_EQ(effect->bindless, hasExtension("GL_ARB_bindless_texture"));
    if (effect->bindless) {
        for (std::uint64_t handle :
             {effect->randomLifeTimeSpeedHandle, effect->randomXYZHandle, effect->terrainLookupHandle}) {
            EXPECT_NE(handle, 0u);
            EXPECT_TRUE(glIsTextureHandleResidentARB(handle));
        }
        return;
    }
    EXPECT_EQ(effect->randomXYZHandle, 0u);
    const GLenum bindings[3] = {GL_TEXTURE_BINDING_1D, GL_TEXTURE_BINDING_1D, GL_TEXTURE_BINDING_2D};
    for (int which = 0; which < 3; ++which) {
        const GLuint texture = effect->lookupTextures[which];
        glActiveTexture(GL_TEXTURE0 + texture);
        GLint bound = 0;
        glGetIntegerv(bindings[which], &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), texture) << which;
    }
}

TEST_F(ParticleEffectGL, ASecondEffectContinuesTheRandomSequenceAndSharesTheTerrainLookup)
{
    auto first = makeEffect(probeProgram(), 0, nullptr);
    auto second = makeEffect(probeProgram(), 0, nullptr);
    EXPECT_NE(texels(first->lookupTextures[0], 1000), texels(second->lookupTextures[0], 1000));
    EXPECT_NE(texels(first->lookupTextures[1], 1000), texels(second->lookupTextures[1], 1000));
    EXPECT_EQ(texels(first->lookupTextures[2], 129 * 129), texels(second->lookupTextures[2], 129 * 129));
    for (int stream = 0; stream < 3; ++stream) {
        for (int half = 0; half < 2; ++half) {
            EXPECT_NE(first->streamBuffers[stream][half], second->streamBuffers[stream][half]);
        }
    }
}

TEST_F(ParticleEffectGL, RenderSetsItsUniformsAndLeavesTheStateAsTheFrameExpects)
{
    auto render = buildProgramFromSources("renderParticles");
    auto effect = makeEffect(probeProgram(), 0, render);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    effect->render();

    Shader& p = *render;
    const GLuint id = p.getID();
    EXPECT_EQ(uniformMatrix(id, "projMatrix"), camera->projection);
    EXPECT_EQ(uniformMatrix(id, "viewMatrix"), viewMatrix(*camera));
    EXPECT_EQ(glm::vec3(floatUniform(p, "lightVec")), glm::vec3(0.0f, 0.0f, 100.0f));
    EXPECT_EQ(floatUniform(p, "ambientFactor").x, 0.05f);
    EXPECT_EQ(floatUniform(p, "diffuseFactor").x, 0.8f);
    EXPECT_EQ(floatUniform(p, "specularFactor").x, 0.3f);
    EXPECT_EQ(floatUniform(p, "shininess").x, 50.0f);
    EXPECT_EQ(floatUniform(p, "nearPlane").x, 1.0f);
    EXPECT_EQ(floatUniform(p, "farPlane").x, 12800.0f);
    EXPECT_NEAR(floatUniform(p, "globalScale").x, 1.0f, 1e-5f);
    EXPECT_NEAR(floatUniform(p, "globalScale").y, 1.0f, 1e-5f);
    EXPECT_EQ(intUniform(p, "contourEnabled"), 1);
    EXPECT_EQ(floatUniform(p, "contourConstant").x, 0.4f);
    EXPECT_EQ(floatUniform(p, "contourDepthFactor").x, 1.0f);
    EXPECT_EQ(glm::vec3(floatUniform(p, "contourColor")), glm::vec3(0.0f));

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LESS);
    EXPECT_EQ(currentProgram(), 0u);
    GLint vertexArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(vertexArray, 0);
    glBindVertexArray(effect->vertexArrays[0]);
    for (GLuint k = 0; k < 3; ++k) {
        GLint enabled = 1;
        glGetVertexAttribiv(k, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        EXPECT_EQ(enabled, 0) << k;
        GLint buffer = 0;
        glGetVertexAttribiv(k, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(static_cast<GLuint>(buffer), effect->streamBuffers[k][0]);
    }
    glBindVertexArray(0);
}

TEST_F(ParticleEffectGL, GlobalScaleFollowsTheViewsScaleAndTheCamerasAspect)
{
    auto render = buildProgramFromSources("renderParticles");
    auto effect = makeEffect(probeProgram(), 0, render);
    camera->aspect = 1.25f;
    camera->yaw = 37.0f;
    camera->processMouseMovement(0.0f, 0.0f, true);
    effect->render();
    EXPECT_NEAR(floatUniform(*render, "globalScale").x, 1.0f, 1e-5f) << "a rigid view has scale 1, turned or not";
    EXPECT_NEAR(floatUniform(*render, "globalScale").y, 1.25f, 1e-5f);
}

TEST_F(ParticleEffectGL, WithNoLiveParticlesTheDrawDrawsNothing)
{
    auto render = buildProgramFromSources("renderParticles");
    auto effect = makeEffect(probeProgram(), 0, render);
    effect->particleCount = 0;
    EXPECT_EQ(primitivesGenerated([&] { effect->render(); }), 0u);
    EXPECT_EQ(uniformMatrix(render->getID(), "viewMatrix"), viewMatrix(*camera)) << "the uniforms are still set";
}

TEST_F(ParticleEffectGL, DestructionDeletesEveryObjectTheEffectMade)
{
    auto effect = makeEffect(probeProgram(), 0, nullptr);
    std::vector<GLuint> buffers = {effect->counterBuffer};
    for (auto& pair : effect->streamBuffers) {
        buffers.insert(buffers.end(), std::begin(pair), std::end(pair));
    }
    const std::vector<GLuint> arrays(std::begin(effect->vertexArrays), std::end(effect->vertexArrays));
    const std::vector<GLuint> textures(std::begin(effect->lookupTextures), std::end(effect->lookupTextures));
    effect.reset();
    for (GLuint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
    }
    for (GLuint array : arrays) {
        EXPECT_FALSE(glIsVertexArray(array)) << array;
    }
    for (GLuint texture : textures) {
        EXPECT_FALSE(glIsTexture(texture)) << texture;
    }
}

TEST_F(ParticleEffectGL, SimulateStepsWithoutTheClockOrTheDraw)
{
    auto compute = probeProgram();
    auto render = programFromSources({{GL_VERTEX_SHADER, kHalfProbeVertex}, {GL_FRAGMENT_SHADER, kHalfProbeFragment}});
    auto effect = makeEffect(compute, 0, render);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    effect->simulate(0.1f);
    EXPECT_EQ(effect->time, 0.0f);
    EXPECT_EQ(effect->currentHalf, 1);
    EXPECT_EQ(effect->particleCount, 1u);
    EXPECT_EQ(brightestAround(width / 4, height / 2), 0) << "nothing drawn";
}

// The earlier particle object: a program counting `spawn_count` particles into its counter.
TEST_F(ParticleEffectGL, EarlierComputeStepCarriesFractionalSpawnsAndReadsTheCountThroughTheCopy)
{
    ParticleSystem system;
    system.program = programFromSources({{GL_COMPUTE_SHADER, R"(#version 430 core
layout(local_size_x = 1) in;
layout(std430, binding = 0) buffer Particles { vec4 particles[]; };
layout(binding = 0, offset = 0) uniform atomic_uint counter;
uniform int spawn_count;
void main()
{
    for (int i = 0; i < spawn_count; ++i) {
        particles[atomicCounterIncrement(counter)] = vec4(float(i));
    }
}
)"}});
    glCreateBuffers(2, system.storageBuffers);
    for (GLuint buffer : system.storageBuffers) {
        glNamedBufferData(buffer, 1024, nullptr, GL_DYNAMIC_DRAW);
    }
    const std::uint32_t zero = 0;
    glCreateBuffers(1, &system.counterBuffer);
    glNamedBufferData(system.counterBuffer, 4, &zero, GL_DYNAMIC_DRAW);
    glCreateBuffers(1, &system.copyBuffer);
    glNamedBufferData(system.copyBuffer, 4, &zero, GL_DYNAMIC_READ);
    system.spawnAccumulator = 0.3;

    particleComputeStep(system, 0.4);
    EXPECT_EQ(system.count, 1u) << "0.3 + 2 x 0.4 = 1.1 spawns one";
    EXPECT_NEAR(system.spawnAccumulator, 0.1, 1e-12);
    EXPECT_EQ(system.current, 1);
    EXPECT_EQ(readCounter(system.counterBuffer), 0u);
    particleComputeStep(system, 1.5);
    EXPECT_EQ(system.count, 3u);
    EXPECT_EQ(system.current, 0);
    glDeleteBuffers(2, system.storageBuffers);
    glDeleteBuffers(1, &system.counterBuffer);
    glDeleteBuffers(1, &system.copyBuffer);
}

TEST_F(ParticleEffectGL, EarlierPointDrawBlendsToTheBrighterAndRestoresTheState)
{
    ParticleSystem system;
    system.program = programFromSources({{GL_VERTEX_SHADER, kHalfProbeVertex}, {GL_FRAGMENT_SHADER, kHalfProbeFragment}});
    glGenVertexArrays(2, system.vertexArrays);
    system.count = 3;
    system.current = 1;
    EXPECT_EQ(primitivesGenerated([&] { particleDrawPoints(system); }), 3u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    EXPECT_EQ(currentProgram(), 0u);

    particleBlendBegin();
    GLint equation = 0;
    GLint source = 0;
    glGetIntegerv(GL_BLEND_EQUATION_RGB, &equation);
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(equation, GL_MAX);
    EXPECT_EQ(source, GL_SRC_COLOR);
    EXPECT_FALSE(depthMask);
    particleBlendEnd();
    glDeleteVertexArrays(2, system.vertexArrays);
}

}
