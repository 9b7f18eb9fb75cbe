#include "app/Shader.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/ParticleFixture.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Player.h"
#include "world/Terrain.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The run's programs at work: what the particles do, read back from their buffers, and what the
// frame shows.
class SnowGL : public ParticleGL {
protected:
    void SetUp() override
    {
        ParticleGL::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        begin = buildProgramFromSources("particlesystem_begin");
        crash = buildProgramFromSources("particlesystem_crash");
    }

    std::vector<glm::vec4> livePositions(const GPUParticleEffect& effect)
    {
        return readStream(effect.streamBuffers[0][effect.currentHalf], effect.particleCount);
    }

    static float horizontalDistance(const glm::vec4& p, const glm::vec3& q)
    {
        return std::hypot(p.x - q.x, p.z - q.z);
    }

    std::shared_ptr<Shader> begin;
    std::shared_ptr<Shader> crash;
};

TEST_F(SnowGL, SnowfallStaysNearTheEmitterAboveTheTerrainAndSettlesOnIt)
{
    auto effect = makeEffect(begin, 0, nullptr);
    unsigned previous = effect->particleCount;
    for (int step = 0; step < 60; ++step) {
        effect->update(0.1f);
        ASSERT_GT(effect->particleCount, previous) << "spare invocations add flakes until the buffers are full";
        ASSERT_LE(effect->particleCount, previous + 256);
        previous = effect->particleCount;
    }
    int lying = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        const float ground = terrain->getHeightAt(p.x, p.z);
        // The snowfall's disc, 140 around a centre 40 behind the emitter, and its top 30 above the peaks.
        ASSERT_LE(horizontalDistance(p, player->position), 200.0f) << p.x << ", " << p.z;
        ASSERT_GE(p.y, ground - 0.2f) << "at " << p.x << ", " << p.z;
        ASSERT_LE(p.y, 130.5f);
        if (p.w > 0.0f) {
            ++lying;
            EXPECT_NEAR(p.y - ground, 0.2f, 0.15f) << "a lying flake rests its own size above the ground";
        }
    }
    EXPECT_GT(lying, 20) << "flakes have come down and lie on the slope";
}

TEST_F(SnowGL, SnowfallFillsTheBuffersAndRenewsItsFlakesOnceFull)
{
    auto effect = makeEffect(begin, 0, nullptr);
    int steps = 0;
    while (effect->particleCount < 50000u && steps < 600) {
        effect->update(0.1f);
        ++steps;
    }
    ASSERT_EQ(effect->particleCount, 50000u) << "after " << steps << " steps";
    for (int step = 0; step < 40; ++step) {
        effect->update(0.1f);
        ASSERT_EQ(effect->particleCount, 50000u) << step;
    }
    int renewed = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        renewed += p.w <= 0.0f && p.w > -4.0f ? 1 : 0;
    }
    EXPECT_GT(renewed, 500) << "lying flakes start again from the top";
}

TEST_F(SnowGL, TheCrashThrowsABurstFromThePlayerThatFallsBackAndSettles)
{
    auto effect = makeEffect(begin, 0, nullptr);
    for (int step = 0; step < 5; ++step) {
        effect->update(0.1f);
    }
    const unsigned before = effect->particleCount;
    effect->setComputeShader(crash, 2);
    effect->update(0.1f);
    ASSERT_GT(effect->particleCount, before + 5000) << "the burst fills free room";
    ASSERT_LE(effect->particleCount, 50000u);
    const glm::vec3 centre = player->position;
    int atCentre = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        atCentre += horizontalDistance(p, centre) <= 3.1f && std::abs(p.y - centre.y) < 0.01f ? 1 : 0;
    }
    EXPECT_GT(atCentre, 5000) << "thrown from the player's position";

    for (int step = 0; step < 15; ++step) {
        effect->update(0.1f);
    }
    int high = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        high += p.y > centre.y + 10.0f && horizontalDistance(p, centre) < 60.0f ? 1 : 0;
    }
    EXPECT_GT(high, 2000) << "up in the air a moment later";

    for (int step = 0; step < 120; ++step) {
        effect->update(0.1f);
    }
    int settled = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        settled += p.w > 0.0f && horizontalDistance(p, centre) < 50.0f && std::abs(p.y - centre.y) < 1.0f ? 1 : 0;
    }
    EXPECT_GT(settled, 2000) << "and settled around the player";
}

TEST_F(SnowGL, AtFullBuffersTheBurstTakesFlakesFromTheAir)
{
    auto effect = makeEffect(begin, 0, nullptr);
    effect->seedParticles(50000);
    for (int step = 0; step < 20; ++step) {
        effect->update(0.1f);
    }
    ASSERT_EQ(effect->particleCount, 50000u);
    effect->setComputeShader(crash, 2);
    effect->update(0.1f);
    int atCentre = 0;
    for (const glm::vec4& p : livePositions(*effect)) {
        atCentre += horizontalDistance(p, player->position) <= 3.1f ? 1 : 0;
    }
    EXPECT_GT(atCentre, 5000);
    EXPECT_LE(effect->particleCount, 50000u);
}

TEST_F(SnowGL, TheSecondStyleGathersTheSnowIntoAColumnRoundTheEmissionCentre)
{
    auto effect = makeEffect(begin, 0, nullptr);
    for (int step = 0; step < 20; ++step) {
        effect->update(0.1f);
    }
    effect->setComputeShader(buildProgramFromSources("particlesystem_2"), 1);
    for (int step = 0; step < 300; ++step) {
        effect->update(0.1f);
    }
    const std::vector<glm::vec4> positions = livePositions(*effect);
    ASSERT_GT(positions.size(), 1000u);
    size_t inColumn = 0;
    for (const glm::vec4& p : positions) {
        inColumn += horizontalDistance(p, glm::vec3(0.0f)) < 24.0f && p.y > 40.0f && p.y < 125.0f ? 1 : 0;
    }
    EXPECT_GT(inColumn, positions.size() * 9 / 10);
}

// However many of its invocations want a slot, no program hands out one past "MaximumCount": the
// counter ends at the cap and the entries above it are left as they were. The host's clamp of the
// count would hide a program that overran it, so the step is dispatched here by hand.
struct CapCase {
    const char* name;
    const char* program;
    int mode;
};

void PrintTo(const CapCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComputeCap : public SnowGL, public ::testing::WithParamInterface<CapCase> {};

TEST_P(ComputeCap, NoProgramWritesPastMaximumCount)
{
    const CapCase& c = GetParam();
    auto effect = makeEffect(buildProgramFromSources(c.program), c.mode, nullptr);
    // Fewer slots than live particles, besides what the spare invocations add.
    constexpr unsigned live = 256;
    constexpr unsigned cap = 200;
    effect->seedParticles(live);
    const int in = effect->currentHalf;
    const int out = 1 - in;
    const glm::vec4 untouched(-12345.0f);
    const std::vector<glm::vec4> sentinel(GPUParticleEffect::maximumCount, untouched);
    for (GLuint k = 0; k < 3; ++k) {
        glNamedBufferSubData(effect->streamBuffers[k][out], 0, GPUParticleEffect::streamBytes, sentinel.data());
    }
    const std::uint32_t zero = 0;
    glNamedBufferSubData(effect->counterBuffer, 0, sizeof zero, &zero);

    Shader& program = *effect->computeShader;
    program.use();
    switch (c.mode) {
    case 0:
        effect->setUniformsBegin(0.1f);
        break;
    case 1:
        effect->setUniformsSecond(0.1f);
        break;
    default:
        effect->setUniformsCrash(0.1f);
        break;
    }
    glUniform1ui(program.getUniformLocation("MaximumCount"), cap);
    glUniform1ui(program.getUniformLocation("LastCount"), live);
    for (GLuint k = 0; k < 3; ++k) {
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, k, effect->streamBuffers[k][in]);
        glBindBufferBase(GL_SHADER_STORAGE_BUFFER, 3 + k, effect->streamBuffers[k][out]);
    }
    glBindBufferBase(GL_ATOMIC_COUNTER_BUFFER, 6, effect->counterBuffer);
    // Two groups: the 256 live particles, and as many spare invocations that may add more.
    glDispatchCompute(2, 1, 1);
    glMemoryBarrier(GL_ALL_BARRIER_BITS);

    const std::uint32_t written = readCounter(effect->counterBuffer);
    EXPECT_EQ(written, cap) << "the live particles alone want more room than the cap";
    for (GLuint k = 0; k < 3; ++k) {
        const std::vector<glm::vec4> stream = readStream(effect->streamBuffers[k][out], GPUParticleEffect::maximumCount);
        for (unsigned i = 0; i < GPUParticleEffect::maximumCount; ++i) {
            if (i < written) {
                ASSERT_NE(stream[i], untouched) << "stream " << k << ", entry " << i << " counted but not written";
            } else {
                ASSERT_EQ(stream[i], untouched) << "stream " << k << ", entry " << i << " written past the count";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ComputeCap,
                         ::testing::Values(CapCase{"Snowfall", "particlesystem_begin", 0},
                                           CapCase{"SecondStyle", "particlesystem_2", 1},
                                           CapCase{"Crash", "particlesystem_crash", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The World's frame: effects step and draw after the scene's objects into its targets.
class SnowFrameGL : public SnowGL {
protected:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 400;

    void SetUp() override
    {
        SnowGL::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        world = std::make_unique<World>(kWidth, kHeight);
        world->terrain = terrain;
        world->player = player;
        world->camera = camera;
        world->setShaders(std::make_shared<ShaderMap>(ShaderMap{{"particlesystem_begin", begin},
                                                                {"particlesystem_crash", crash},
                                                                {"renderParticles",
                                                                 buildProgramFromSources("renderParticles")}}));
        world->addParticleEffect();
        world->initFramebuffers(kWidth, kHeight);
    }

    void TearDown() override
    {
        world.reset();
        SnowGL::TearDown();
    }

    std::vector<float> target(int index)
    {
        std::vector<float> pixels(kWidth * kHeight * 3);
        glGetTextureImage(world->sceneTextures[index], 0, GL_RGB, GL_FLOAT,
                          static_cast<GLsizei>(pixels.size() * sizeof(float)), pixels.data());
        return pixels;
    }

    // Pixels of the lit target brighter than 0.5 in every channel, within `radius` pixels of
    // (x, y), or anywhere for a radius of 0.
    int brightPixels(int x = 0, int y = 0, int radius = 0)
    {
        const std::vector<float> lit = target(0);
        int bright = 0;
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                if (radius > 0 && (std::abs(px - x) > radius || std::abs(py - y) > radius)) {
                    continue;
                }
                const float* c = &lit[(static_cast<size_t>(py) * kWidth + px) * 3];
                bright += c[0] > 0.5f && c[1] > 0.5f && c[2] > 0.5f ? 1 : 0;
            }
        }
        return bright;
    }

    std::unique_ptr<World> world;
};

TEST_F(SnowFrameGL, TheFrameShowsFlakesAndTheCrashABurstAroundThePlayer)
{
    float time = 0.0f;
    for (int frame = 0; frame < 80; ++frame) {
        world->render(0.1f);
        time += 0.1f;
    }
    EXPECT_EQ(world->effects[0]->time, time) << "each frame steps the effect by the frame's dt";
    const int snow = brightPixels();
    EXPECT_GT(snow, 300) << "flakes drawn into the scene's lit target";
    bool glows = false;
    for (float value : target(1)) {
        glows = glows || value > 0.0f;
    }
    EXPECT_TRUE(glows) << "their brightest parts reach the bloom target";
    for (float value : target(2)) {
        ASSERT_TRUE(std::isfinite(value));
        ASSERT_LT(std::abs(value), 0.05f) << "snow drifts a little per frame";
    }

    const glm::vec4 clip = viewProjection(*camera) * glm::vec4(player->position, 1.0f);
    const int x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * kWidth);
    const int y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * kHeight);
    const int aroundBefore = brightPixels(x, y, 60);
    world->setParticleMode(2);
    for (int frame = 0; frame < 20; ++frame) {
        world->render(0.1f);
    }
    EXPECT_GT(brightPixels(x, y, 60), aroundBefore + 1000) << "the burst stands out around the player";
}

}
