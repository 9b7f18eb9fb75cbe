#include "tests/support/RealWorld.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Player.h"
#include "world/Rock.h"
#include "world/Terrain.h"
#include "world/World.h"
#include "world/physics/RigidDynamic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RegisteredObjectDraw : public RealWorld {
protected:
    int worldWidth() const override { return 256; }
    int worldHeight() const override { return 192; }

    // Where the world point lands in the scene targets, in pixels.
    glm::vec2 project(const glm::vec3& point) const
    {
        const glm::vec4 clip = viewProjection(*world->camera) * glm::vec4(point, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return (ndc * 0.5f + 0.5f) * glm::vec2(worldWidth(), worldHeight());
    }

    // The centre of the pixels that the object's draw alone covers in the lit target.
    glm::vec2 drawnCentre(GameObject& object, int& covered) const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, world->sceneFramebuffer);
        glViewport(0, 0, worldWidth(), worldHeight());
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        object.draw();
        std::vector<float> pixels(static_cast<size_t>(worldWidth() * worldHeight() * 3));
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, worldWidth(), worldHeight(), GL_RGB, GL_FLOAT, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glm::vec2 sum(0.0f);
        covered = 0;
        for (int y = 0; y < worldHeight(); ++y) {
            for (int x = 0; x < worldWidth(); ++x) {
                const float* p = &pixels[static_cast<size_t>((y * worldWidth() + x) * 3)];
                if (p[0] + p[1] + p[2] > 0.0f) {
                    sum += glm::vec2(x + 0.5f, y + 0.5f);
                    ++covered;
                }
            }
        }
        return covered > 0 ? sum / static_cast<float>(covered) : glm::vec2(-1.0f);
    }
};

TEST_F(RegisteredObjectDraw, RockIsDrawnWhereItsBodyLies)
{
    const glm::vec3 player = world->player->position;
    const glm::vec3 start(player.x + 25.0f, world->terrain->getHeightAt(player.x + 25.0f, player.z) + 45.0f, player.z);
    world->addRock(start);
    ASSERT_EQ(world->objects.size(), 1u);
    auto& rock = dynamic_cast<Rock&>(*world->objects[0]);
    rock.actor->setLinearVelocity(glm::vec3(-20.0f, 0.0f, 0.0f), true);

    // Close enough that the rock covers a few hundred pixels, and its path stays in view.
    Camera& camera = *world->camera;
    camera.position = start + glm::vec3(-8.0f, -3.0f, 40.0f);
    camera.front = glm::vec3(0.0f, 0.0f, -1.0f);
    camera.up = glm::vec3(0.0f, 1.0f, 0.0f);

    for (int frame = 0; frame < 45; ++frame) {
        world->updateSimulation();
    }
    const glm::vec3 body = rock.actor->getGlobalPose().p;
    ASSERT_GT(glm::length(body - start), 10.0f) << "the rock should have fallen and moved";

    int covered = 0;
    const glm::vec2 drawn = drawnCentre(rock, covered);
    ASSERT_GT(covered, 20);
    const glm::vec2 expected = project(body);
    EXPECT_LT(glm::length(drawn - expected), 4.0f) << "drawn at " << drawn.x << ", " << drawn.y << "; body at "
                                                    << expected.x << ", " << expected.y;
    EXPECT_GT(glm::length(drawn - project(start)), 10.0f);
}

}
