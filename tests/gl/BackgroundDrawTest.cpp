#include "app/Shader.h"
#include "app/Texture.h"
#include "effects/Background.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A World of 64 x 64 with the run's "background" program and a picture of one colour.
class BackgroundGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        glGenTextures(3, spare);  // so the picture's name is not unit 0
        glGenTextures(1, &picture);
        glBindTexture(GL_TEXTURE_2D, picture);
        const unsigned char sky[4] = {100, 150, 250, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, sky);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        world = std::make_unique<World>(64, 64);
        world->setShaders(std::make_shared<ShaderMap>(ShaderMap{{"background", buildProgramFromSources("background")}}));
        world->setTextures(std::make_shared<TextureMap>(
            TextureMap{{"background.png", std::make_shared<Texture>(Texture{"background.png", picture})}}));
        world->camera->position = glm::vec3(0.0f, 100.0f, 0.0f);
        world->camera->up = glm::vec3(0.0f, 1.0f, 0.0f);
        world->camera->processMouseMovement(0.0f, 0.0f, true);
        world->initFramebuffers(64, 64);
    }

    void TearDown() override
    {
        world.reset();
        GLTest::TearDown();
    }

    // Colour target `index` of the scene framebuffer at its centre.
    glm::vec3 sceneCentre(int index)
    {
        std::vector<float> pixels(64 * 64 * 3);
        glGetTextureImage(world->sceneTextures[index], 0, GL_RGB, GL_FLOAT,
                          static_cast<GLsizei>(pixels.size() * sizeof(float)), pixels.data());
        const size_t at = (32 * 64 + 32) * 3;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    void drawIntoScene()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, world->sceneFramebuffer);
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world->background->draw();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    GLuint spare[3] = {};
    GLuint picture = 0;
    std::unique_ptr<World> world;
};

TEST_F(BackgroundGL, InitBackgroundPlacesTheWallsAroundTheSlopeWithTheirPicture)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    world->initBackground();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const Background& background = *world->background;
    EXPECT_EQ(background.camera, world->camera);
    EXPECT_EQ(background.shader, world->shaders->at("background"));
    EXPECT_EQ(background.texture, world->textures->at("background.png"));
    EXPECT_NE(background.vao, 0u);
    // The corners of the band: x and z at +/-3200, heights -3100 to 3300.
    EXPECT_EQ(background.model * glm::vec4(-1, -1, -1, 1), glm::vec4(-3200, -3100, -3200, 1));
    EXPECT_EQ(background.model * glm::vec4(1, 1, 1, 1), glm::vec4(3200, 3300, 3200, 1));
}

TEST_F(BackgroundGL, WithoutItsProgramTheBackdropIsNamedAndLeftUnbuilt)
{
    world->setShaders(std::make_shared<ShaderMap>());
    testing::internal::CaptureStderr();
    world->initBackground();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no shader found for background\n");
    ASSERT_NE(world->background, nullptr);
    EXPECT_EQ(world->background->camera, world->camera);
    EXPECT_EQ(world->background->vao, 0u);
    EXPECT_EQ(world->background->texture, nullptr);
    EXPECT_EQ(world->background->scale, 1.0f);
    // The scene pass still runs and leaves the cleared scene as it was.
    drawIntoScene();
    EXPECT_EQ(sceneCentre(0), glm::vec3(0.0f));
}

TEST_F(BackgroundGL, OneIndexedDrawOfEightTrianglesShowsThePictureLit)
{
    world->initBackground();
    EXPECT_EQ(primitivesGenerated([&] { drawIntoScene(); }), 8u);

    GLint unit = -1;
    glGetUniformiv(world->background->shader->getID(),
                   glGetUniformLocation(world->background->shader->getID(), "diffuseTexture"), &unit);
    EXPECT_EQ(unit, static_cast<GLint>(picture));

    // The picture's blue sky, lit and never black, and brighter in blue than in red as the picture is.
    const glm::vec3 lit = sceneCentre(0);
    EXPECT_GT(lit.b, 0.3f);
    EXPECT_GT(lit.b, lit.r);
}

// The picture is an sRGB file: a mid grey of 128 gives a fifth of white's light, not a half. Looking
// away from the light, no glow is added to either.
TEST_F(BackgroundGL, PictureIsDecodedFromSRGBBeforeLighting)
{
    world->initBackground();
    auto litWith = [&](unsigned char level) {
        const unsigned char texel[4] = {level, level, level, 255};
        glTextureSubImage2D(picture, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        drawIntoScene();
        return sceneCentre(0).g;
    };
    const float white = litWith(255);
    const float grey = litWith(128);
    ASSERT_GT(white, 0.1f);
    EXPECT_NEAR(grey / white, 0.2158f, 0.005f);
}

TEST_F(BackgroundGL, MotionIsMeasuredAgainstThePreviousDrawAndVanishesForAStillCamera)
{
    world->initBackground();
    const GLuint program = world->background->shader->getID();
    drawIntoScene();
    EXPECT_EQ(uniformMatrix(program, "oldviewProjMatrix"), glm::mat4(1.0f)) << "first draw: the identity";
    EXPECT_EQ(world->background->previousViewProjection, viewProjection(*world->camera));

    for (int frame = 2; frame <= 3; ++frame) {
        SCOPED_TRACE(frame);
        drawIntoScene();
        EXPECT_EQ(uniformMatrix(program, "oldviewProjMatrix"), uniformMatrix(program, "viewProjMatrix"));
        EXPECT_EQ(sceneCentre(2), glm::vec3(0.0f));
    }

    // A turn of the camera to the left moves the picture to the right on the screen.
    world->moveCamera(-50.0f);
    drawIntoScene();
    EXPECT_GT(sceneCentre(2).x, 0.01f);
    EXPECT_NEAR(sceneCentre(2).y, 0.0f, 1e-3f);
}

TEST_F(BackgroundGL, RenderDrawsTheBackdropIntoTheScene)
{
    world->initBackground();
    world->render(0.1f);
    EXPECT_GT(sceneCentre(0).b, 0.3f);
}

}
