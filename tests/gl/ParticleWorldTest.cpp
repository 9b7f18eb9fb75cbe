#include "app/Shader.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/ParticleFixture.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/Player.h"
#include "world/Sun.h"
#include "world/Terrain.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kParticlePrograms[4] = {"particlesystem_begin", "particlesystem_2", "particlesystem_crash",
                                          "renderParticles"};

// A World holding the fixture's terrain, player and camera and the run's four particle programs.
class ParticleWorldGL : public ParticleGL {
protected:
    void SetUp() override
    {
        ParticleGL::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        world = std::make_unique<World>(64, 64);
        world->terrain = terrain;
        world->player = player;
        world->camera = camera;
        world->sun = std::make_shared<Sun>(16, 16, 1.0f, 100.0f, glm::vec4(1.0f));
        ShaderMap programs;
        for (const char* name : kParticlePrograms) {
            programs[name] = buildProgramFromSources(name);
        }
        world->setShaders(std::make_shared<ShaderMap>(programs));
    }

    void TearDown() override
    {
        world.reset();
        ParticleGL::TearDown();
    }

    void withoutProgram(const std::string& name)
    {
        auto programs = std::make_shared<ShaderMap>(*world->shaders);
        programs->erase(name);
        world->setShaders(programs);
    }

    std::unique_ptr<World> world;
};

TEST_F(ParticleWorldGL, AddParticleEffectWiresTheWorldsPiecesAndAppendsAnEffectInModeZero)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    world->addParticleEffect();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(world->effects.size(), 1u);
    const GPUParticleEffect& effect = *world->effects[0];
    EXPECT_EQ(effect.mode, 0);
    EXPECT_EQ(effect.computeShader, world->shaders->at("particlesystem_begin"));
    EXPECT_EQ(effect.renderShader, world->shaders->at("renderParticles"));
    EXPECT_EQ(effect.terrain, world->terrain);
    EXPECT_EQ(effect.camera, world->camera);
    EXPECT_EQ(effect.player, world->player);
    EXPECT_EQ(effect.sun, world->sun);
    EXPECT_EQ(effect.particleCount, 50u);
    EXPECT_NE(effect.counterBuffer, 0u);
    EXPECT_TRUE(world->isFirstEffectIdle());
}

struct MissingCase {
    const char* program;
    const char* message;
    bool steps;
};

class MissingParticleProgram : public ParticleWorldGL, public ::testing::WithParamInterface<MissingCase> {};

// Named on standard error; the effect is still made, so the list is never empty, and the frame
// goes on with what there is.
TEST_P(MissingParticleProgram, IsNamedAndTheEffectGoesOnWithoutIt)
{
    withoutProgram(GetParam().program);
    testing::internal::CaptureStderr();
    world->addParticleEffect();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), GetParam().message);
    ASSERT_EQ(world->effects.size(), 1u);
    GPUParticleEffect& effect = *world->effects[0];
    effect.update(0.1f);
    EXPECT_EQ(effect.currentHalf, GetParam().steps ? 1 : 0);
    EXPECT_EQ(effect.time, 0.1f);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, MissingParticleProgram,
    ::testing::Values(
        MissingCase{"particlesystem_begin", "particles: no shader program \"particlesystem_begin\"; the snow stands still\n",
                    false},
        MissingCase{"renderParticles", "particles: no shader program \"renderParticles\"; the snow is not drawn\n", true}));

TEST_F(ParticleWorldGL, WithoutAPlayerToSnowAroundNoEffectIsAdded)
{
    world->player.reset();
    testing::internal::CaptureStderr();
    world->addParticleEffect();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "particles: no terrain, camera or player to snow around; no effect added\n");
    EXPECT_TRUE(world->effects.empty());
    // Asking about or switching an empty list answers no and changes nothing.
    EXPECT_FALSE(world->isFirstEffectIdle());
    world->setParticleMode(2);
    EXPECT_TRUE(world->effects.empty());
}

struct ModeCase {
    int from;
    int request;
    int mode;
    const char* program;
    bool isFirst;
};

class ParticleModeRequest : public ParticleWorldGL, public ::testing::WithParamInterface<ModeCase> {};

// One step in the starting mode clears `isFirst` in modes 1 and 2 (mode 0 leaves it), so that a
// request that switches shows it set again.
TEST_P(ParticleModeRequest, SwitchesOnlyToOneAndTwoAndTwoOnlyOnce)
{
    const ModeCase c = GetParam();
    world->addParticleEffect();
    world->setParticleMode(c.from);
    GPUParticleEffect& effect = *world->effects[0];
    effect.update(0.1f);
    const float time = effect.time;
    const unsigned count = effect.particleCount;
    world->setParticleMode(c.request);
    EXPECT_EQ(effect.mode, c.mode);
    EXPECT_EQ(effect.computeShader, world->shaders->at(c.program));
    EXPECT_EQ(effect.isFirst, c.isFirst);
    EXPECT_EQ(effect.time, time) << "a switch keeps the clock";
    EXPECT_EQ(effect.particleCount, count) << "and the particles";
    EXPECT_EQ(world->isFirstEffectIdle(), c.mode == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ParticleModeRequest,
    ::testing::Values(ModeCase{0, 0, 0, "particlesystem_begin", true}, ModeCase{0, 3, 0, "particlesystem_begin", true},
                      ModeCase{0, -1, 0, "particlesystem_begin", true}, ModeCase{0, 2, 2, "particlesystem_crash", true},
                      ModeCase{0, 1, 1, "particlesystem_2", true}, ModeCase{2, 2, 2, "particlesystem_crash", false},
                      ModeCase{2, 1, 1, "particlesystem_2", true}, ModeCase{1, 1, 1, "particlesystem_2", true},
                      ModeCase{1, 2, 2, "particlesystem_crash", true}, ModeCase{2, 0, 2, "particlesystem_crash", false}));

TEST_F(ParticleWorldGL, AMissingCrashProgramIsNamedAndTheSnowKeepsItsMode)
{
    world->addParticleEffect();
    withoutProgram("particlesystem_crash");
    testing::internal::CaptureStderr();
    world->setParticleMode(2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "particles: no shader program \"particlesystem_crash\"; the snow keeps its mode\n");
    EXPECT_EQ(world->effects[0]->mode, 0);
    EXPECT_EQ(world->effects[0]->computeShader, world->shaders->at("particlesystem_begin"));
}

TEST_F(ParticleWorldGL, OnlyTheFirstEffectSwitches)
{
    player->GameObject::scale = 2.0f;
    world->addParticleEffect();
    testing::internal::CaptureStdout();
    world->balanceEffects();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(world->effects.size(), 2u);
    world->setParticleMode(2);
    const GPUParticleEffect& first = *world->effects[0];
    const GPUParticleEffect& second = *world->effects[1];
    EXPECT_EQ(first.mode, 2);
    EXPECT_EQ(second.mode, 0);
    EXPECT_EQ(second.computeShader, world->shaders->at("particlesystem_begin"));
    EXPECT_NE(first.streamBuffers[0][0], second.streamBuffers[0][0]);
    EXPECT_NE(first.lookupTextures[1], second.lookupTextures[1]);
}

struct BalanceCase {
    float scale;
    int effects;
    std::vector<std::string> lines;
    size_t after;
};

class EffectCount : public ParticleWorldGL, public ::testing::WithParamInterface<BalanceCase> {};

// Three frames of the rule: at most one effect added or removed per frame, the line printed
// before each change with the count before it, the last effect never removed.
TEST_P(EffectCount, FollowsThePlayersRoundedSize)
{
    const BalanceCase c = GetParam();
    for (int i = 0; i < c.effects; ++i) {
        world->addParticleEffect();
    }
    const std::shared_ptr<GPUParticleEffect> first = world->effects.front();
    player->GameObject::scale = c.scale;
    std::vector<std::string> lines;
    for (int frame = 0; frame < 3; ++frame) {
        testing::internal::CaptureStdout();
        world->balanceEffects();
        const std::string out = testing::internal::GetCapturedStdout();
        if (!out.empty()) {
            lines.push_back(out);
        }
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(world->effects.size(), c.after);
    EXPECT_EQ(world->effects.front(), first) << "changes happen at the end of the list";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EffectCount,
    ::testing::Values(BalanceCase{3.0f, 1,
                                  {"players current size is: 3 and effects: 1\n",
                                   "players current size is: 3 and effects: 2\n"},
                                  3},
                      BalanceCase{1.0f, 3,
                                  {"players current size is: 1 and effects: 3\n",
                                   "players current size is: 1 and effects: 2\n"},
                                  1},
                      BalanceCase{0.4f, 1, {}, 1}, BalanceCase{1.0f, 1, {}, 1},
                      BalanceCase{2.5f, 2, {"players current size is: 3 and effects: 2\n"}, 3},
                      BalanceCase{1.49f, 2, {"players current size is: 1 and effects: 2\n"}, 1}));

TEST_F(ParticleWorldGL, AnEffectAddedLaterSeedsAroundThePlayerWhereItIsThen)
{
    world->addParticleEffect();
    player->position = glm::vec3(500.0f, terrain->getHeightAt(500.0f, -300.0f), -300.0f);
    player->GameObject::scale = 2.0f;
    testing::internal::CaptureStdout();
    world->balanceEffects();
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(world->effects.size(), 2u);
    EXPECT_EQ(world->effects[1]->mode, 0);
    for (const glm::vec4& seed : readStream(world->effects[1]->streamBuffers[0][0], 50)) {
        EXPECT_LE(std::abs(seed.x - 500.0f), 100.0f);
        EXPECT_LE(std::abs(seed.z + 300.0f), 100.0f);
    }
}

}
