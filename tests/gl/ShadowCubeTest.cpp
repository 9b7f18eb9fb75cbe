#include "app/Globals.h"
#include "app/Material.h"
#include "app/Settings.h"
#include "app/Shader.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/SceneProps.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Sun.h"
#include "world/World.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

float luminance(const glm::vec3& c)
{
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

// A World with the run's shadow and lit programs, its shadow cube, sun and scene targets, and a
// helper to put lit props into it; the lit pass is drawn by the test, as World::render would.
class ShadowCube : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        shaders = std::make_shared<ShaderMap>();
        shaders->emplace("shadowmap", buildProgramFromSources("shadowmap"));
        shaders->emplace("cook_torrance", buildProgramFromSources("cook_torrance"));
        shaders->emplace("sun", buildProgramFromSources("sun"));
        world = std::make_shared<World>(width, height);
        world->setShaders(shaders);
        world->initShadowMap();
        world->initSun();
        world->initFramebuffers(width, height);
        snow = std::make_shared<Material>(Material{"snow", glm::vec3(0.04f), glm::vec3(0.85f), 0.6f, 0.0f});
    }

    void TearDown() override
    {
        world.reset();
        GLTest::TearDown();
    }

    std::shared_ptr<Prop> makeProp(const PropMesh& mesh, const glm::vec3& position = glm::vec3(0.0f))
    {
        auto prop = std::make_shared<Prop>();
        prop->setShader(shaders->at("cook_torrance"));
        prop->setVertices(mesh.vertices);
        prop->setIndices(mesh.indices);
        prop->setupBuffers();
        prop->camera = world->camera;
        prop->setMaterial(snow);
        prop->sun = world->sun;
        prop->position = position;
        prop->updateModelMatrix();
        return prop;
    }

    void aimCamera(const glm::vec3& from, const glm::vec3& along, const glm::vec3& up)
    {
        Camera& camera = *world->camera;
        camera.position = from;
        camera.front = glm::normalize(along);
        camera.right = glm::normalize(glm::cross(camera.front, up));
        camera.up = glm::cross(camera.right, camera.front);
    }

    // The shadow pass, then the given props lit into the scene targets; returns target 0.
    std::vector<glm::vec3> renderLit(const std::vector<std::shared_ptr<Prop>>& lit)
    {
        world->renderShadowCubeMap();
        glViewport(0, 0, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, world->sceneFramebuffer);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const auto& prop : lit) {
            prop->draw();
        }
        std::vector<glm::vec3> pixels(static_cast<size_t>(width * height));
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, width, height, GL_RGB, GL_FLOAT, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return pixels;
    }

    // Mean brightness of a 5 x 5 block around where the camera sees `ndc` (-1..1 on both axes).
    float brightnessAt(const std::vector<glm::vec3>& pixels, const glm::vec2& ndc)
    {
        const int cx = static_cast<int>((ndc.x * 0.5f + 0.5f) * static_cast<float>(width));
        const int cy = static_cast<int>((ndc.y * 0.5f + 0.5f) * static_cast<float>(height));
        float sum = 0.0f;
        for (int y = cy - 2; y <= cy + 2; ++y) {
            for (int x = cx - 2; x <= cx + 2; ++x) {
                sum += luminance(pixels[static_cast<size_t>(y * width + x)]);
            }
        }
        return sum / 25.0f;
    }

    glm::vec2 screenOf(const glm::vec3& point)
    {
        const glm::vec4 clip = viewProjection(*world->camera) * glm::vec4(point, 1.0f);
        return glm::vec2(clip) / clip.w;
    }

    std::vector<float> cubeDepths()
    {
        std::vector<float> depths(static_cast<size_t>(world->shadowWidth * world->shadowHeight * 6));
        glGetTextureImage(world->shadowCubeTexture, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                          static_cast<GLsizei>(depths.size() * sizeof(float)), depths.data());
        return depths;
    }

    std::shared_ptr<ShaderMap> shaders;
    std::shared_ptr<World> world;
    std::shared_ptr<Material> snow;
};

// The face matrices are made from the sun's place at (0, 120, 0), not from where a new sun stands.
void expectFacesSeenFromTheSunsPlace(const Sun& sun)
{
    ASSERT_EQ(sun.viewMatrices.size(), 6u);
    ASSERT_EQ(sun.shadowMatrices.size(), 6u);
    EXPECT_EQ(glm::vec3(sun.viewMatrices[0] * glm::vec4(10.0f, 120.0f, 0.0f, 1.0f)), glm::vec3(0.0f, 0.0f, -10.0f));
    EXPECT_EQ(glm::vec3(sun.viewMatrices[3] * glm::vec4(0.0f, 130.0f, 0.0f, 1.0f)), glm::vec3(0.0f, 120.0f, -130.0f));
    for (size_t face = 0; face < 6; ++face) {
        EXPECT_EQ(sun.shadowMatrices[face], sun.projection * sun.viewMatrices[face]) << "face " << face;
    }
}

TEST_F(ShadowCube, SetUpMakesALayeredDepthCubeAndTheRunsSun)
{
    EXPECT_EQ(world->shadowShader, shaders->at("shadowmap"));
    GLint target = 0;
    glGetTextureParameteriv(world->shadowCubeTexture, GL_TEXTURE_TARGET, &target);
    EXPECT_EQ(target, GL_TEXTURE_CUBE_MAP);
    for (GLenum face = 0; face < 6; ++face) {
        GLint format = 0, w = 0, h = 0;
        glBindTexture(GL_TEXTURE_CUBE_MAP, world->shadowCubeTexture);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(format, GL_DEPTH_COMPONENT32F) << "face " << face;
        EXPECT_EQ(w, 1024);
        EXPECT_EQ(h, 1024);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, world->shadowFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint layered = 0, attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_LAYERED,
                                          &layered);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME,
                                          &attached);
    EXPECT_EQ(layered, GL_TRUE);
    EXPECT_EQ(static_cast<GLuint>(attached), world->shadowCubeTexture);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const Sun& sun = *world->sun;
    EXPECT_EQ(sun.viewMatrices.size(), 6u);
    EXPECT_EQ(sun.shadowMatrices.size(), 6u);
    EXPECT_EQ(sun.position, glm::vec3(0.0f, 120.0f, 0.0f));
    EXPECT_EQ(sun.color, glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
    EXPECT_EQ(sun.shadowCubeTexture, world->shadowCubeTexture);
    EXPECT_EQ(sun.shader, shaders->at("sun"));
    EXPECT_EQ(sun.camera, world->camera);
    EXPECT_EQ(sun.vertices.size(), 1986u);
    EXPECT_NE(sun.vao, 0u);
    EXPECT_EQ(sun.model[3], glm::vec4(0.0f, 120.0f, 0.0f, 1.0f));
    expectFacesSeenFromTheSunsPlace(sun);
}

TEST_F(ShadowCube, SetSunReplacesTheSunAndReleasesTheOldOne)
{
    std::weak_ptr<Sun> previous = world->sun;
    auto replacement = std::make_shared<Sun>(16, 16, 1.0f, 100.0f, glm::vec4(1.0f));
    world->setSun(replacement);
    EXPECT_EQ(world->sun, replacement);
    EXPECT_TRUE(previous.expired());
}

TEST_F(ShadowCube, MissingShadowProgramIsReportedAndThePassStillClears)
{
    World bare(width, height);
    bare.setShaders(std::make_shared<ShaderMap>());
    testing::internal::CaptureStderr();
    bare.initShadowMap();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"shadowmap\""), std::string::npos);
    bare.initSun();
    EXPECT_EQ(bare.sun->shader, nullptr);
    bare.renderShadowCubeMap();
    std::vector<float> depth(1, 0.0f);
    glGetTextureSubImage(bare.shadowCubeTexture, 0, 512, 512, 3, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                         sizeof(float), depth.data());
    EXPECT_EQ(depth[0], 1.0f);
}

TEST_F(ShadowCube, PassWithoutObjectsClearsEveryFaceAndSetsItsUniforms)
{
    world->objects.push_back(makeProp(rockMesh(10.0f, 3), glm::vec3(0.0f, 60.0f, 0.0f)));
    world->renderShadowCubeMap();
    std::vector<float> drawn = cubeDepths();
    ASSERT_LT(*std::min_element(drawn.begin(), drawn.end()), 1.0f) << "the object left no depth";

    world->objects.clear();
    world->renderShadowCubeMap();
    std::vector<float> cleared = cubeDepths();
    EXPECT_EQ(std::count(cleared.begin(), cleared.end(), 1.0f), static_cast<long>(cleared.size()));

    const GLuint program = world->shadowShader->getID();
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program);
    for (int i = 0; i < 6; ++i) {
        glm::mat4 value(0.0f);
        glGetUniformfv(program, glGetUniformLocation(program, ("cm_mat[" + std::to_string(i) + "]").c_str()),
                       glm::value_ptr(value));
        EXPECT_EQ(value, world->sun->getShadowMatrix(i)) << "cm_mat[" << i << "]";
    }
    glm::vec4 light(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "l_pos"), glm::value_ptr(light));
    EXPECT_EQ(glm::vec3(light), world->sun->position);
    glm::vec2 nearFar(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "near_far"), glm::value_ptr(nearFar));
    EXPECT_EQ(nearFar, glm::vec2(1.0f, 12800.0f));

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

// Whichever way the light looks, a small occluder off the centre line darkens the receiver behind
// it in the same quadrant of the light's own view, and nowhere else: a face taken from the wrong
// layer, a mirrored face or a depth measured from the wrong point would move or lose the shadow.
class ShadowDirection : public ShadowCube, public ::testing::WithParamInterface<glm::vec3> {};

TEST_P(ShadowDirection, OccluderShadowsTheReceiverBehindIt)
{
    const glm::vec3 along = glm::normalize(GetParam());
    const glm::vec3 light = -40.0f * along;
    world->sun->position = light;
    world->sun->updateShadowMatrices();
    aimCamera(light, along, std::abs(along.y) > 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0));
    const glm::vec3 right = world->camera->right;
    const glm::vec3 up = world->camera->up;

    // Halfway to the receiver and off centre by (5, 3): its shadow falls around (10, 6) on the
    // receiver, which the camera at the light sees at (0.25, 0.15). It faces the light, as the
    // outside of a closed object does: the faces turned away from the light cast no shadow.
    world->objects.push_back(makeProp(squareMesh(light + 20.0f * along + 5.0f * right + 3.0f * up, -along, 2.0f)));
    auto receiver = makeProp(squareMesh(glm::vec3(0.0f), -along, 30.0f));
    const std::vector<glm::vec3> pixels = renderLit({receiver});

    const float shadowed = brightnessAt(pixels, {0.25f, 0.15f});
    for (const glm::vec2& mirrored : {glm::vec2(-0.25f, 0.15f), glm::vec2(0.25f, -0.15f), glm::vec2(-0.25f, -0.15f)}) {
        const float lit = brightnessAt(pixels, mirrored);
        EXPECT_GT(lit, 0.2f) << "at " << mirrored.x << ", " << mirrored.y;
        EXPECT_LT(shadowed, 0.4f * lit) << "at " << mirrored.x << ", " << mirrored.y;
    }
}

INSTANTIATE_TEST_SUITE_P(Directions, ShadowDirection,
                         ::testing::Values(glm::vec3(1, 0, 0), glm::vec3(-1, 0, 0), glm::vec3(0, 1, 0),
                                           glm::vec3(0, -1, 0), glm::vec3(0, 0, 1), glm::vec3(0, 0, -1),
                                           glm::vec3(1, 1, 1), glm::vec3(-1, 0.4f, -0.7f), glm::vec3(0.3f, -1, 0.2f)));

// The run's set-up: the sun at (0, 120, 0) above a rock that floats over flat ground.
TEST_F(ShadowCube, RockAboveTheGroundIsLitAndShadowsWhatLiesBelow)
{
    auto ground = makeProp(squareMesh(glm::vec3(0.0f), glm::vec3(0, 1, 0), 100.0f));
    auto rock = makeProp(rockMesh(8.0f, 7), glm::vec3(0.0f, 40.0f, 0.0f));
    world->objects.push_back(rock);
    aimCamera(glm::vec3(0.0f, 70.0f, 70.0f), glm::vec3(0.0f, -60.0f, -70.0f), glm::vec3(0, 1, 0));
    const std::vector<glm::vec3> pixels = renderLit({ground, rock});

    const float underRock = brightnessAt(pixels, screenOf(glm::vec3(0.0f, 0.0f, 0.0f)));
    const float rockTop = brightnessAt(pixels, screenOf(glm::vec3(0.0f, 46.0f, 0.0f)));
    for (const glm::vec3& open : {glm::vec3(25, 0, 0), glm::vec3(-25, 0, 0), glm::vec3(0, 0, 25)}) {
        const float lit = brightnessAt(pixels, screenOf(open));
        EXPECT_GT(lit, 0.3f) << open.x << ", " << open.z;
        EXPECT_LT(underRock, 0.4f * lit) << open.x << ", " << open.z;
    }
    EXPECT_GT(rockTop, 2.0f * underRock);
    EXPECT_GT(rockTop, 0.3f);
}

// A surface facing the light is both caster and receiver: with nothing in front of it, every
// pixel must come out as bright as with an empty cube, at any slope towards the run's sun.
struct FacingLight {
    glm::vec3 centre;
    glm::vec3 normal;
};

void PrintTo(const FacingLight& c, std::ostream* os)
{
    *os << "at " << c.centre.x << ", " << c.centre.y << ", " << c.centre.z;
}

class ShadowSelf : public ShadowCube, public ::testing::WithParamInterface<FacingLight> {};

TEST_P(ShadowSelf, LitSurfaceDoesNotShadowItself)
{
    const glm::vec3 n = glm::normalize(GetParam().normal);
    const glm::vec3 centre = GetParam().centre;
    ASSERT_GT(glm::dot(n, world->sun->position - centre), 0.0f) << "the case must face the light";
    auto tile = makeProp(squareMesh(centre, n, 3.0f));
    aimCamera(centre + 15.0f * n, -n, std::abs(n.y) > 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0));
    const std::vector<glm::vec3> open = renderLit({tile});
    world->objects.push_back(tile);
    const std::vector<glm::vec3> shadowed = renderLit({tile});
    float darkest = 1.0f;
    for (int y = height / 2 - 40; y < height / 2 + 40; ++y) {
        for (int x = width / 2 - 40; x < width / 2 + 40; ++x) {
            const size_t i = static_cast<size_t>(y * width + x);
            darkest = std::min(darkest, luminance(shadowed[i]) / std::max(luminance(open[i]), 1e-6f));
        }
    }
    EXPECT_GT(darkest, 0.98f);
}

INSTANTIATE_TEST_SUITE_P(Slopes, ShadowSelf,
                         ::testing::Values(FacingLight{{30, 0, 0}, {0, 1, 0}}, FacingLight{{150, 0, 0}, {0, 1, 0}},
                                           FacingLight{{220, 0, -60}, {0, 1, 0}}, FacingLight{{200, 90, 0}, {0, 1, 0}},
                                           FacingLight{{600, 0, 0}, {0, 1, 0}}, FacingLight{{100, 20, 0}, {-1, 1, 0}},
                                           FacingLight{{150, 50, 100}, {0.2f, 1, -0.4f}}));

// A wall 3 units high standing on the ground casts its shadow outwards from the sun; the shadow
// must start at the wall, not a few units behind it, at the distances where the run's objects stand.
TEST_F(ShadowCube, SmallObjectsShadowStartsAtItsFoot)
{
    struct Case {
        float x;
        float behind;
    };
    for (const Case& c : {Case{60.0f, 0.5f}, Case{150.0f, 1.0f}, Case{220.0f, 2.0f}}) {
        auto ground = makeProp(squareMesh(glm::vec3(c.x, 0, 0), glm::vec3(0, 1, 0), 10.0f));
        auto wall = makeProp(squareMesh(glm::vec3(c.x, 1.5f, 0), glm::vec3(-1, 0, 0), 1.5f));
        world->objects = {ground, wall};
        aimCamera(glm::vec3(c.x + 2, 12, 0), glm::vec3(0, -1, 0), glm::vec3(1, 0, 0));
        const std::vector<glm::vec3> pixels = renderLit({ground, wall});
        const float lit = brightnessAt(pixels, screenOf(glm::vec3(c.x - 3, 0, 0)));
        EXPECT_GT(lit, 0.3f) << "wall at " << c.x;
        EXPECT_LT(brightnessAt(pixels, screenOf(glm::vec3(c.x + c.behind, 0, 0))), 0.4f * lit) << "wall at " << c.x;
    }
}

// createWorld makes the shadow map before the sun, so the sun lights with the World's own cube.
TEST_F(ShadowCube, CreateWorldHandsTheShadowCubeToTheSun)
{
    const int savedWidth = settings::windowWidth;
    const int savedHeight = settings::windowHeight;
    settings::windowWidth = 64;
    settings::windowHeight = 48;
    shaderMap = *shaders;
    createWorld();
    ASSERT_NE(currentWorld, nullptr);
    ASSERT_NE(currentWorld->sun, nullptr);
    EXPECT_NE(currentWorld->shadowCubeTexture, 0u);
    EXPECT_NE(currentWorld->shadowCubeTexture, world->shadowCubeTexture);
    EXPECT_EQ(currentWorld->sun->shadowCubeTexture, currentWorld->shadowCubeTexture);
    EXPECT_EQ(currentWorld->shadowShader, shaderMap.at("shadowmap"));
    EXPECT_EQ(currentWorld->sun->camera, currentWorld->camera);
    expectFacesSeenFromTheSunsPlace(*currentWorld->sun);
    currentWorld.reset();
    shaderMap.clear();
    settings::windowWidth = savedWidth;
    settings::windowHeight = savedHeight;
}

}

