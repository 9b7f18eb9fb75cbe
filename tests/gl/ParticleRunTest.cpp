#include "app/Shader.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/RealWorld.h"
#include "world/GameLoop.h"
#include "world/Player.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ParticleRun : public RealWorld {};

TEST_F(ParticleRun, SetUpMakesOneEffectOfTheWorldsPiecesInModeZero)
{
    ASSERT_EQ(world->effects.size(), 1u);
    const GPUParticleEffect& effect = *world->effects[0];
    EXPECT_EQ(effect.mode, 0);
    EXPECT_EQ(effect.computeShader, world->findShader("particlesystem_begin"));
    EXPECT_EQ(effect.renderShader, world->findShader("renderParticles"));
    EXPECT_EQ(effect.player, world->player);
    EXPECT_EQ(effect.terrain, world->terrain);
    EXPECT_EQ(effect.camera, world->camera);
    EXPECT_EQ(effect.sun, world->sun);
    EXPECT_EQ(effect.particleCount, 50u);
    EXPECT_TRUE(world->isFirstEffectIdle());
}

// The timeline's calls and the physics of every frame, without drawing, up to the chaser's
// first burst: the snow switches to its crash on that frame and not before.
TEST_F(ParticleRun, TheChasersBurstSwitchesTheSnowToItsCrash)
{
    GameLoop loop;
    loop.world = currentWorld;
    size_t objects = 0;
    int frame = 0;
    bool burst = false;
    while (!burst && loop.time <= 130.0f) {
        ++frame;
        loop.time = loop.time + loop.timeStep;
        loop.runScript();
        burst = frame > 1 && world->objects.size() == objects + 20;
        ASSERT_EQ(world->effects[0]->mode, burst ? 2 : 0) << "frame " << frame;
        objects = world->objects.size();
        world->updateSimulation();
    }
    ASSERT_TRUE(burst);
    EXPECT_EQ(world->effects[0]->computeShader, world->findShader("particlesystem_crash"));
    EXPECT_TRUE(world->effects[0]->isFirst);
    EXPECT_EQ(world->effects.size(), 1u) << "the player's size stays 1";
}

TEST_F(ParticleRun, TheFramesPhysicsStepKeepsTheEffectsInLineWithThePlayersSize)
{
    world->player->GameObject::scale = 2.0f;
    testing::internal::CaptureStdout();
    world->updateSimulation();
    world->updateSimulation();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "players current size is: 2 and effects: 1\n");
    EXPECT_EQ(world->effects.size(), 2u);
}

}
