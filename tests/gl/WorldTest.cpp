#include "app/Geometry.h"
#include "app/Globals.h"
#include "app/Material.h"
#include "app/Settings.h"
#include "app/Shader.h"
#include "app/Texture.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderSources.h"
#include "tests/support/TempDir.h"
#include "world/Camera.h"
#include "world/Player.h"
#include "world/Sun.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One triangle per model, so that a World loads its model table quietly from the test's folder.
constexpr const char* kTriangle = "v 0 0 0\nv 2 0 0\nv 0 3 1\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";

// createWorld reads the window size from the settings and fills the global `currentWorld`;
// both are put back so that no World outlives the test's context.
class WorldGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        for (const std::string& model : {playerModelPath, rockModelPath, skierModelPath}) {
            folder.write("Resources" + model, kTriangle);
        }
    }

    void TearDown() override
    {
        currentWorld.reset();
        shaderMap.clear();
        textureMap.clear();
        materialMap.clear();
        settings::windowWidth = savedWidth;
        settings::windowHeight = savedHeight;
        GLTest::TearDown();
    }

    void createWorldOfSize(int w, int h)
    {
        settings::windowWidth = w;
        settings::windowHeight = h;
        createWorld();
        ASSERT_NE(currentWorld, nullptr);
    }

    static GLint attachmentParameter(GLenum attachment, GLenum name)
    {
        GLint value = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, name, &value);
        return value;
    }

    static GLint levelParameter(GLuint texture, GLenum name)
    {
        GLint value = 0;
        glGetTextureLevelParameteriv(texture, 0, name, &value);
        return value;
    }

    static GLint renderbufferParameter(GLuint renderbuffer, GLenum name)
    {
        GLint value = 0;
        glGetNamedRenderbufferParameteriv(renderbuffer, name, &value);
        return value;
    }

    // The scene framebuffer is complete, with three RGB16F colour targets and a depth buffer of w x h.
    void expectSceneTargets(const World& world, int w, int h)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, world.sceneFramebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        for (GLuint i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            GLenum attachment = GL_COLOR_ATTACHMENT0 + i;
            EXPECT_EQ(attachmentParameter(attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_TEXTURE);
            EXPECT_EQ(static_cast<GLuint>(attachmentParameter(attachment, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME)),
                      world.sceneTextures[i]);
            EXPECT_EQ(levelParameter(world.sceneTextures[i], GL_TEXTURE_INTERNAL_FORMAT), GL_RGB16F);
            EXPECT_EQ(levelParameter(world.sceneTextures[i], GL_TEXTURE_WIDTH), w);
            EXPECT_EQ(levelParameter(world.sceneTextures[i], GL_TEXTURE_HEIGHT), h);
            GLint drawBuffer = 0;
            glGetIntegerv(GL_DRAW_BUFFER0 + i, &drawBuffer);
            EXPECT_EQ(drawBuffer, static_cast<GLint>(attachment));
        }
        EXPECT_EQ(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_RENDERBUFFER);
        EXPECT_EQ(static_cast<GLuint>(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME)),
                  world.sceneDepthBuffer);
        EXPECT_GT(attachmentParameter(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE), 0);
        EXPECT_EQ(renderbufferParameter(world.sceneDepthBuffer, GL_RENDERBUFFER_WIDTH), w);
        EXPECT_EQ(renderbufferParameter(world.sceneDepthBuffer, GL_RENDERBUFFER_HEIGHT), h);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    TempDir folder;

private:
    int savedWidth = settings::windowWidth;
    int savedHeight = settings::windowHeight;
};

// The GL names of a World's scene framebuffer, taken before an operation changes them.
struct SceneNames {
    explicit SceneNames(const World& world)
        : framebuffer(world.sceneFramebuffer), depth(world.sceneDepthBuffer),
          textures(std::begin(world.sceneTextures), std::end(world.sceneTextures))
    {
    }
    GLuint framebuffer;
    GLuint depth;
    std::vector<GLuint> textures;
};

struct WindowSize {
    int width;
    int height;
};

class WorldWindowSize : public WorldGL, public ::testing::WithParamInterface<WindowSize> {};

TEST_P(WorldWindowSize, SceneTargetsFollowTheWindowButTheCameraAspectStaysOne)
{
    const WindowSize size = GetParam();
    createWorldOfSize(size.width, size.height);
    const World& world = *currentWorld;
    EXPECT_EQ(world.width, static_cast<std::uint32_t>(size.width));
    EXPECT_EQ(world.height, static_cast<std::uint32_t>(size.height));
    expectSceneTargets(world, size.width, size.height);

    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_FLOAT_EQ(world.camera->aspect, 1.0f);
    EXPECT_FLOAT_EQ(world.camera->projection[0][0], 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WorldWindowSize,
                         ::testing::Values(WindowSize{1000, 800}, WindowSize{800, 600}, WindowSize{333, 211},
                                           WindowSize{64, 480}));

TEST_F(WorldGL, NewWorldWaitsForItsChaserWithShadowFacesOf1024)
{
    createWorldOfSize(320, 240);
    EXPECT_TRUE(currentWorld->isChaserPending());
    EXPECT_EQ(currentWorld->shadowWidth, 1024u);
    EXPECT_EQ(currentWorld->shadowHeight, 1024u);
    // Made at (0, 6510, 0), the camera is then put behind and above the player.
    const glm::vec3 player = currentWorld->player->position;
    EXPECT_NEAR(glm::distance(currentWorld->camera->position, player + glm::vec3(0.0f, 15.0f, 100.0f)), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(currentWorld->camera->yaw, -90.0f);
}

TEST_F(WorldGL, ConstructorLoadsTheModelTable)
{
    testing::internal::CaptureStderr();
    World world(320, 240);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(world.geometry, nullptr);
    for (const MeshData* mesh : {&world.geometry->player, &world.geometry->rock, &world.geometry->skier}) {
        EXPECT_EQ(mesh->vertices.size(), 3u);
        EXPECT_EQ(mesh->extents, glm::vec3(2.0f, 3.0f, 1.0f));
    }
}

TEST_F(WorldGL, MapsAreCopiesSharingTheRegistriesAssets)
{
    shaderMap.emplace("cook_torrance", std::make_shared<Shader>());
    textureMap.emplace("glacier2.png", std::make_shared<Texture>(Texture{"glacier2.png", 7}));
    textureMap.emplace("background.png", std::make_shared<Texture>(Texture{"background.png", 8}));
    materialMap.emplace("snow", std::make_shared<Material>());
    createWorldOfSize(320, 240);
    const World& world = *currentWorld;
    ASSERT_TRUE(world.shaders && world.textures && world.materials);

    auto expectSameAssets = [](const auto& copy, const auto& registry) {
        EXPECT_NE(static_cast<const void*>(&copy), static_cast<const void*>(&registry));
        ASSERT_EQ(copy.size(), registry.size());
        for (const auto& [name, asset] : registry) {
            ASSERT_EQ(copy.count(name), 1u) << name;
            EXPECT_EQ(copy.at(name).get(), asset.get()) << name;
        }
    };
    expectSameAssets(*world.shaders, shaderMap);
    expectSameAssets(*world.textures, textureMap);
    expectSameAssets(*world.materials, materialMap);

    // A later registry entry does not reach the World's copy.
    textureMap.emplace("DisplacementMap.png", std::make_shared<Texture>());
    EXPECT_EQ(world.textures->count("DisplacementMap.png"), 0u);
}

TEST_F(WorldGL, RenderClearsAllThreeSceneTargetsAndReturnsToTheWindow)
{
    createWorldOfSize(40, 30);
    World& world = *currentWorld;
    glViewport(0, 0, 1, 1);
    glClearColor(0.5f, 0.25f, 0.125f, 1.0f);
    world.render(0.1f);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 40);
    EXPECT_EQ(viewport[3], 30);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    for (GLuint texture : world.sceneTextures) {
        std::vector<float> pixels(40 * 30 * 3, -1.0f);
        glGetTextureImage(texture, 0, GL_RGB, GL_FLOAT, static_cast<GLsizei>(pixels.size() * sizeof(float)),
                          pixels.data());
        EXPECT_FLOAT_EQ(pixels.front(), 0.5f);
        EXPECT_FLOAT_EQ(pixels[pixels.size() - 2], 0.25f);
        EXPECT_FLOAT_EQ(pixels.back(), 0.125f);
    }
}

TEST_F(WorldGL, IncompleteFramebufferIsReported)
{
    World world(0, 0);
    testing::internal::CaptureStdout();
    world.initFramebuffers(0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Framebuffer not complete!\n");
}

TEST_F(WorldGL, ResizeRemakesTheTargetsAndSetsTheAspect)
{
    createWorldOfSize(320, 240);
    World& world = *currentWorld;
    const SceneNames before(world);

    testing::internal::CaptureStdout();
    world.resize(400, 200);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FLOAT_EQ(world.camera->aspect, 2.0f);
    EXPECT_FLOAT_EQ(world.camera->projection[0][0], 0.5f);
    EXPECT_EQ(world.width, 400u);
    EXPECT_EQ(world.height, 200u);
    EXPECT_EQ(world.sceneFramebuffer, before.framebuffer);
    EXPECT_EQ(world.sceneDepthBuffer, before.depth);
    for (GLuint i = 0; i < 3; ++i) {
        EXPECT_NE(world.sceneTextures[i], before.textures[i]);
        EXPECT_FALSE(glIsTexture(before.textures[i]));
    }
    expectSceneTargets(world, 400, 200);
}

TEST_F(WorldGL, DeleteFramebuffersReleasesEveryTarget)
{
    createWorldOfSize(64, 64);
    World& world = *currentWorld;
    const SceneNames before(world);
    world.deleteFramebuffers();
    EXPECT_FALSE(glIsFramebuffer(before.framebuffer));
    EXPECT_FALSE(glIsRenderbuffer(before.depth));
    for (GLuint texture : before.textures) {
        EXPECT_FALSE(glIsTexture(texture));
    }
}

TEST_F(WorldGL, PostProcessingGetsItsProgramsAndCameraAndBringsTheSceneToTheWindow)
{
    for (const char* name : {"downsampler", "featureGeneration", "blur", "upscale"}) {
        shaderMap[name] = buildProgramFromSources(name);
    }
    createWorldOfSize(80, 60);
    World& world = *currentWorld;
    const PostProcessing& chain = world.postProcessing;
    EXPECT_EQ(chain.downsampleShader, shaderMap["downsampler"]);
    EXPECT_EQ(chain.featureShader, shaderMap["featureGeneration"]);
    EXPECT_EQ(chain.blurShader, shaderMap["blur"]);
    EXPECT_EQ(chain.upscaleShader, shaderMap["upscale"]);
    EXPECT_EQ(chain.camera, world.camera);
    ASSERT_NE(world.sun, nullptr);
    EXPECT_EQ(chain.sunPosition, world.sun->position);
    EXPECT_NE(chain.sunPosition, glm::vec3(0.0f));
    EXPECT_FALSE(chain.firstSetup);
    EXPECT_EQ(levelParameter(chain.featureTexture, GL_TEXTURE_WIDTH), 80);
    EXPECT_EQ(levelParameter(chain.featureTexture, GL_TEXTURE_HEIGHT), 60);

    // A dark empty scene: the window shows it tone mapped and display-encoded, which lifts a
    // linear 0.05 well above the 13 of 255 that a plain copy would give.
    glViewport(0, 0, 80, 60);
    glClearColor(0.05f, 0.05f, 0.05f, 1.0f);
    world.render(0.1f);
    std::vector<unsigned char> window(80 * 60 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 80, 60, GL_RGB, GL_UNSIGNED_BYTE, window.data());
    EXPECT_GT(window[0], 40);
    for (unsigned char value : window) {
        ASSERT_EQ(value, window[0]);
    }

    world.resize(40, 30);
    EXPECT_EQ(levelParameter(chain.featureTexture, GL_TEXTURE_WIDTH), 40);
}

TEST_F(WorldGL, MissingPostProcessingProgramsAreNamedAndTheFrameStillRuns)
{
    shaderMap["blur"] = buildProgramFromSources("blur");
    testing::internal::CaptureStderr();
    createWorldOfSize(40, 30);
    std::string errors = testing::internal::GetCapturedStderr();
    for (const char* name : {"\"downsampler\"", "\"featureGeneration\"", "\"upscale\""}) {
        EXPECT_NE(errors.find(name), std::string::npos) << errors;
    }
    EXPECT_EQ(errors.find("\"blur\""), std::string::npos) << errors;
    EXPECT_EQ(currentWorld->shaders->count("upscale"), 0u);
    currentWorld->render(0.1f);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}
