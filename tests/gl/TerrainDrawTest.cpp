#include "app/Globals.h"
#include "app/Settings.h"
#include "app/Shader.h"
#include "app/Texture.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/RealWorld.h"
#include "tests/support/SceneProps.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"
#include "world/DrawHelpers.h"
#include "world/Sun.h"
#include "world/Terrain.h"
#include "world/World.h"

#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 192;

float luminance(const glm::vec3& c)
{
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

// An RGB texture of `size` x `size` from a function of the texel, with its mip levels.
GLuint makeTexture(int size, glm::vec3 (*texel)(int, int))
{
    std::vector<unsigned char> data;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec3 c = texel(x, y);
            for (int k = 0; k < 3; ++k) {
                data.push_back(static_cast<unsigned char>(std::clamp(c[k], 0.0f, 1.0f) * 255.0f));
            }
        }
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, data.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // The texture loader's state: repeated, linear filters, and the levels made but not sampled.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

// The texture loader's parameters, read back from the texture itself.
void expectLoaderState(GLuint id)
{
    const std::pair<GLenum, GLint> expected[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                                 {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                                 {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                                 {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                                 {GL_TEXTURE_BASE_LEVEL, 0},
                                                 {GL_TEXTURE_MAX_LEVEL, 1000}};
    for (const auto& [parameter, value] : expected) {
        GLint actual = 0;
        glGetTextureParameteriv(id, parameter, &actual);
        EXPECT_EQ(actual, value) << "texture " << id << ", parameter 0x" << std::hex << parameter;
    }
}

// Two tones of snow in stripes, and a height of soft ripples.
glm::vec3 snowStripes(int x, int)
{
    return (x / 8) % 2 == 0 ? glm::vec3(0.95f, 0.96f, 1.0f) : glm::vec3(0.55f, 0.7f, 0.9f);
}

glm::vec3 ripples(int x, int y)
{
    return glm::vec3(0.5f + 0.3f * std::sin(0.2f * static_cast<float>(x)) * std::cos(0.3f * static_cast<float>(y)));
}

// A World with the run's "terrain" and "shadowmap" programs, its shadow cube, sun, scene targets
// and terrain, with small made-up pictures under the run's texture names.
class TerrainGL : public GLTest {
protected:
    void SetUp() override
    {
        width = kWidth;
        height = kHeight;
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        GLuint spare[5];
        glGenTextures(5, spare);  // so no picture has the name 0 or 1
        picture = makeTexture(64, snowStripes);
        relief = makeTexture(64, ripples);
        shaders = std::make_shared<ShaderMap>();
        shaders->emplace("terrain", buildProgramFromSources("terrain"));
        shaders->emplace("shadowmap", buildProgramFromSources("shadowmap"));
        textures = std::make_shared<TextureMap>(
            TextureMap{{"glacier2.png", std::make_shared<Texture>(Texture{"glacier2.png", picture})},
                       {"DisplacementMap.png", std::make_shared<Texture>(Texture{"DisplacementMap.png", relief})}});
        randomEngine = std::mt19937{};
        world = std::make_shared<World>(kWidth, kHeight);
        world->setShaders(shaders);
        world->setTextures(textures);
        world->initShadowMap();
        world->initSun();
        world->initFramebuffers(kWidth, kHeight);
    }

    void TearDown() override
    {
        world.reset();
        GLTest::TearDown();
    }

    // The run's camera: 100 behind and 15 above the player at the origin, 10 degrees down, then
    // turned by `yaw` degrees.
    void placeRunCamera(float yaw)
    {
        Camera& camera = *world->camera;
        camera.position = glm::vec3(0.0f, world->terrain->getHeightAt(0.0f, 0.0f) + 15.0f, 100.0f);
        camera.yaw = -90.0f + yaw;
        camera.pitch = -10.0f;
        camera.processMouseMovement(0.0f, 0.0f, true);
    }

    void aimCamera(const glm::vec3& from, const glm::vec3& at)
    {
        Camera& camera = *world->camera;
        camera.position = from;
        camera.front = glm::normalize(at - from);
        camera.right = glm::normalize(glm::cross(camera.front, glm::vec3(0.0f, 1.0f, 0.0f)));
        camera.up = glm::cross(camera.right, camera.front);
    }

    // The shadow pass, then the terrain alone into the scene targets cleared to `clear`; returns
    // target `index`.
    std::vector<glm::vec3> drawTerrain(const glm::vec3& clear = glm::vec3(1.0f, 0.0f, 1.0f), int index = 0)
    {
        world->renderShadowCubeMap();
        glViewport(0, 0, kWidth, kHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, world->sceneFramebuffer);
        glClearColor(clear.r, clear.g, clear.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world->terrain->draw();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return target(index);
    }

    std::vector<glm::vec3> target(int index)
    {
        std::vector<glm::vec3> pixels(static_cast<size_t>(kWidth * kHeight));
        glGetTextureImage(world->sceneTextures[index], 0, GL_RGB, GL_FLOAT,
                          static_cast<GLsizei>(pixels.size() * sizeof(glm::vec3)), pixels.data());
        return pixels;
    }

    // The scene's depth buffer as the last draw left it.
    std::vector<float> sceneDepth()
    {
        std::vector<float> depth(static_cast<size_t>(kWidth * kHeight));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, world->sceneFramebuffer);
        glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        return depth;
    }

    glm::vec2 screenOf(const glm::vec3& point)
    {
        const glm::vec4 clip = viewProjection(*world->camera) * glm::vec4(point, 1.0f);
        return glm::vec2(clip) / clip.w;
    }

    // Mean brightness of a 5 x 5 block around where the camera sees `ndc`.
    static float brightnessAt(const std::vector<glm::vec3>& pixels, const glm::vec2& ndc)
    {
        const int cx = static_cast<int>((ndc.x * 0.5f + 0.5f) * kWidth);
        const int cy = static_cast<int>((ndc.y * 0.5f + 0.5f) * kHeight);
        float sum = 0.0f;
        for (int y = cy - 2; y <= cy + 2; ++y) {
            for (int x = cx - 2; x <= cx + 2; ++x) {
                sum += luminance(pixels[static_cast<size_t>(y * kWidth + x)]);
            }
        }
        return sum / 25.0f;
    }

    static int countOf(const std::vector<glm::vec3>& pixels, const glm::vec3& colour, int rows)
    {
        return static_cast<int>(
            std::count(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(rows * kWidth), colour));
    }

    GLint uniformInt(const char* name)
    {
        GLint value = -1;
        const GLuint program = world->terrain->shader->getID();
        glGetUniformiv(program, glGetUniformLocation(program, name), &value);
        return value;
    }

    GLuint picture = 0;
    GLuint relief = 0;
    std::shared_ptr<ShaderMap> shaders;
    std::shared_ptr<TextureMap> textures;
    std::shared_ptr<World> world;
};

TEST_F(TerrainGL, InitTerrainBuildsTheSlopeWithItsProgramPicturesAndSun)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    world->initTerrain();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(world->terrain, nullptr);
    const Terrain& terrain = *world->terrain;
    EXPECT_EQ(terrain.shader, shaders->at("terrain"));
    EXPECT_EQ(terrain.camera, world->camera);
    EXPECT_EQ(terrain.sun, world->sun);
    EXPECT_EQ(terrain.texture, textures->at("glacier2.png"));
    EXPECT_EQ(terrain.displacementTexture, textures->at("DisplacementMap.png"));
    EXPECT_EQ(terrain.vertices.size(), 16384u);
    EXPECT_EQ(terrain.indices.size(), 96774u);
    EXPECT_NE(terrain.vao, 0u);
    EXPECT_NEAR(terrain.halfExtents.y, 39.721531f, 1e-4f) << "not the run's terrain: the engine was used before";
    // The pictures are shared through the registry and keep the state they were loaded with.
    expectLoaderState(picture);
    expectLoaderState(relief);
}

TEST_F(TerrainGL, WithoutItsProgramTheTerrainIsNamedAndStaysBare)
{
    world->setShaders(std::make_shared<ShaderMap>(ShaderMap{{"shadowmap", shaders->at("shadowmap")}}));
    testing::internal::CaptureStderr();
    world->initTerrain();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no shader found for terrain\n");
    ASSERT_NE(world->terrain, nullptr);
    const Terrain& terrain = *world->terrain;
    EXPECT_EQ(terrain.camera, world->camera);
    EXPECT_EQ(terrain.heights[64][64], terrain.halfExtents.y);
    EXPECT_FALSE(terrain.shader || terrain.sun || terrain.texture || terrain.displacementTexture);
    EXPECT_TRUE(terrain.vertices.empty());
    EXPECT_EQ(terrain.vao, 0u);
    // The frame still runs and leaves the cleared scene as it was.
    placeRunCamera(0.0f);
    const std::vector<glm::vec3> pixels = drawTerrain();
    EXPECT_EQ(countOf(pixels, glm::vec3(1.0f, 0.0f, 1.0f), kHeight), kWidth * kHeight);
}

TEST_F(TerrainGL, MissingPicturesAreNamedAndTheSlopeIsStillDrawn)
{
    world->setTextures(std::make_shared<TextureMap>());
    testing::internal::CaptureStderr();
    world->initTerrain();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("\"glacier2.png\""), std::string::npos) << errors;
    EXPECT_NE(errors.find("\"DisplacementMap.png\""), std::string::npos) << errors;
    placeRunCamera(0.0f);
    const std::vector<glm::vec3> pixels = drawTerrain();
    EXPECT_EQ(countOf(pixels, glm::vec3(1.0f, 0.0f, 1.0f), kHeight / 2), 0);
}

struct View {
    const char* name;
    glm::vec3 from;
    glm::vec3 at;
};

void PrintTo(const View& v, std::ostream* os)
{
    *os << v.name;
}

class TerrainView : public TerrainGL, public ::testing::WithParamInterface<View> {};

// Every pixel of the lower half sees the slope: lit, textured, and with no gap between patches
// however finely or coarsely each is split.
TEST_P(TerrainView, FillsTheLowerImageWithLitTexturedSnowAndNoHoles)
{
    world->initTerrain();
    const View view = GetParam();
    const float ground = world->terrain->getHeightAt(view.from.x, view.from.z);
    aimCamera(view.from + glm::vec3(0.0f, ground, 0.0f), view.at + glm::vec3(0.0f, ground, 0.0f));
    const std::vector<glm::vec3> pixels = drawTerrain();

    const int rows = kHeight / 2;
    EXPECT_EQ(countOf(pixels, glm::vec3(1.0f, 0.0f, 1.0f), rows), 0);
    float darkest = 1e9f;
    float brightest = 0.0f;
    for (int i = 0; i < rows * kWidth; ++i) {
        const float l = luminance(pixels[static_cast<size_t>(i)]);
        darkest = std::min(darkest, l);
        brightest = std::max(brightest, l);
    }
    EXPECT_GT(darkest, 0.05f) << "a pixel of the slope is unlit";
    EXPECT_GT(brightest, 1.3f * darkest) << "the picture's stripes do not show";
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, TerrainView,
    ::testing::Values(View{"run camera", {0, 15, 100}, {0, -2.6f, 0}}, View{"above the slope", {0, 400, 900}, {0, 0, 0}},
                      View{"low and turned", {300, 8, -200}, {350, 0, -120}},
                      View{"over the far corner", {3000, 60, 3000}, {2900, 0, 2900}}));

// The picture is an sRGB file: a mid grey of 128 is a fifth of white's light, not a half, and the
// lighting scales it as such. Looking away from the sun, no highlight is added to either.
TEST_F(TerrainGL, PictureIsDecodedFromSRGBBeforeLighting)
{
    world->initTerrain();
    placeRunCamera(180.0f);
    auto litWith = [&](GLuint id) {
        world->terrain->texture = std::make_shared<Texture>(Texture{"glacier2.png", id});
        const std::vector<glm::vec3> pixels = drawTerrain();
        return brightnessAt(pixels, glm::vec2(0.0f, -0.5f));
    };
    const float white = litWith(makeTexture(4, [](int, int) { return glm::vec3(1.0f); }));
    const float grey = litWith(makeTexture(4, [](int, int) { return glm::vec3(128.0f / 255.0f); }));
    ASSERT_GT(white, 0.1f);
    EXPECT_NEAR(grey / white, 0.2158f, 0.02f);
}

// Seen from the run's camera every cell of the slope is smaller than its picture, so the slope
// shows the picture's mip levels, although the texture's own filter reads level 0 alone. A picture
// white at level 0 and black above it proves which is sampled.
TEST_F(TerrainGL, SlopeReadsThePicturesMipLevelsThroughItsOwnSampler)
{
    world->initTerrain();
    placeRunCamera(180.0f);
    auto meanBrightness = [&](GLuint id) {
        world->terrain->texture = std::make_shared<Texture>(Texture{"glacier2.png", id});
        const std::vector<glm::vec3> pixels = drawTerrain(glm::vec3(0.0f));
        float sum = 0.0f;
        for (size_t i = 0; i < static_cast<size_t>(kWidth * kHeight / 2); ++i) {
            sum += luminance(pixels[i]);
        }
        return sum / static_cast<float>(kWidth * kHeight / 2);
    };
    // Large enough that even the nearest cells are drawn smaller than the picture.
    constexpr int kSize = 512;
    const float white = meanBrightness(makeTexture(kSize, [](int, int) { return glm::vec3(1.0f); }));
    const GLuint whiteBase = makeTexture(kSize, [](int, int) { return glm::vec3(1.0f); });
    std::vector<unsigned char> black(static_cast<size_t>(kSize * kSize * 3 / 4), 0);
    glBindTexture(GL_TEXTURE_2D, whiteBase);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int level = 1, size = kSize / 2; size >= 1; ++level, size /= 2) {
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, black.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    const float whiteBaseOnly = meanBrightness(whiteBase);
    // Level 0 alone would leave it as bright as white; the nearest cells blend it with level 1.
    ASSERT_GT(white, 0.05f);
    EXPECT_LT(whiteBaseOnly, 0.8f * white);
    expectLoaderState(whiteBase);
}

// Red, green and blue of a relief with no height and no slope.
constexpr unsigned char kFlatRelief = 127;

// The relief moves the slope by its coarser levels about its mean, its 1 x 1 level: the patches are
// too few to carry level 0, and only the slope's own sampler reaches the others, as the texture's
// filter reads level 0 alone. Each relief here has the same level 0 as a flat one and differs above it
// in red, the height, only; the slopes it holds in green and blue stay the same, and so does the shading.

struct ReliefLevels {
    const char* name;
    unsigned char coarser;  // red of levels 1 to 5
    unsigned char mean;     // red of level 6
    float depthSign;        // -1: the slope comes nearer the camera, 1: it goes away
};

void PrintTo(const ReliefLevels& r, std::ostream* os)
{
    *os << r.name;
}

class ReliefMipLevels : public TerrainGL, public ::testing::WithParamInterface<ReliefLevels> {};

TEST_P(ReliefMipLevels, MoveTheDrawnSlopeAlongItsNormal)
{
    constexpr int kSize = 64;
    auto relief = [](unsigned char coarser, unsigned char mean) {
        const GLuint id = makeTexture(kSize, [](int, int) { return glm::vec3(0.0f); });
        glBindTexture(GL_TEXTURE_2D, id);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int mip = 0, size = kSize; size >= 1; ++mip, size /= 2) {
            const unsigned char red = mip == 0 ? kFlatRelief : size == 1 ? mean : coarser;
            std::vector<unsigned char> texels;
            for (int i = 0; i < size * size; ++i) {
                texels.insert(texels.end(), {red, kFlatRelief, kFlatRelief});
            }
            glTexSubImage2D(GL_TEXTURE_2D, mip, 0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
        return id;
    };
    world->initTerrain();
    placeRunCamera(0.0f);
    auto depthWith = [&](GLuint id) {
        world->terrain->displacementTexture = std::make_shared<Texture>(Texture{"DisplacementMap.png", id});
        drawTerrain();
        return sceneDepth();
    };
    const std::vector<float> flat = depthWith(relief(kFlatRelief, kFlatRelief));
    const ReliefLevels levels = GetParam();
    const GLuint id = relief(levels.coarser, levels.mean);
    const std::vector<float> moved = depthWith(id);

    // Seen from above, a surface moved along its normal is met sooner, or later, by every ray of the
    // lower half.
    int along = 0;
    for (size_t i = 0; i < static_cast<size_t>(kWidth * kHeight / 2); ++i) {
        along += (moved[i] - flat[i]) * levels.depthSign > 0.0f ? 1 : 0;
    }
    EXPECT_EQ(along, kWidth * kHeight / 2);
    expectLoaderState(id);
}

INSTANTIATE_TEST_SUITE_P(Relief, ReliefMipLevels,
                         ::testing::Values(ReliefLevels{"coarser levels above the mean", 255, kFlatRelief, -1.0f},
                                           ReliefLevels{"mean above the coarser levels", kFlatRelief, 255, 1.0f}));

TEST_F(TerrainGL, DrawSetsItsPicturesOnTheUnitsOfTheirNamesAndTheSunsUniforms)
{
    world->initTerrain();
    placeRunCamera(0.0f);
    drawTerrain();
    const GLuint program = world->terrain->shader->getID();
    EXPECT_EQ(uniformInt("diffuseTexture"), static_cast<GLint>(picture));
    EXPECT_EQ(uniformInt("textureDisplacementMap"), static_cast<GLint>(relief));
    EXPECT_EQ(uniformInt("cubemap_tex"), static_cast<GLint>(world->shadowCubeTexture));
    for (GLuint id : {picture, relief}) {
        glActiveTexture(GL_TEXTURE0 + id);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), id);
    }
    glActiveTexture(GL_TEXTURE0 + world->shadowCubeTexture);
    GLint cube = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &cube);
    EXPECT_EQ(static_cast<GLuint>(cube), world->shadowCubeTexture);
    // The slope reads through samplers of its own, which it takes off every unit again: the objects'
    // program reads the same cube's distances as they are, and other users of the pictures their
    // own filters.
    for (GLuint unit : {picture, relief, world->shadowCubeTexture}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint sampler = -1;
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
        EXPECT_EQ(sampler, 0) << "unit " << unit;
    }
    expectLoaderState(picture);
    expectLoaderState(relief);

    float factor = 0.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "textureDipsFactor"), &factor);
    EXPECT_EQ(factor, 5.0f);
    glm::vec3 coefficients(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "materialCoefficients"), glm::value_ptr(coefficients));
    EXPECT_EQ(coefficients, glm::vec3(0.5f, 0.4f, 0.03f));
    glm::vec4 light(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "WS_pos_light"), glm::value_ptr(light));
    EXPECT_EQ(light, glm::vec4(0.0f, 120.0f, 0.0f, 1.0f));
    glm::vec3 direction(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "dirL.direction"), glm::value_ptr(direction));
    EXPECT_EQ(direction, glm::vec3(0.0f, -1.0f, 0.0f));
    GLint patch = 0;
    glGetIntegerv(GL_PATCH_VERTICES, &patch);
    EXPECT_EQ(patch, 3);
}

TEST_F(TerrainGL, MotionIsMeasuredAgainstThePreviousDrawAndVanishesForAStillCamera)
{
    world->initTerrain();
    placeRunCamera(0.0f);
    const GLuint program = world->terrain->shader->getID();
    drawTerrain();
    EXPECT_EQ(uniformMatrix(program, "oldviewProjMatrix"), glm::mat4(1.0f)) << "first draw: the identity";
    EXPECT_EQ(world->terrain->previousViewProjection, viewProjection(*world->camera));
    EXPECT_EQ(world->terrain->oldViewProjection, glm::mat4(1.0f)) << "the inherited matrix is not used";

    const std::vector<glm::vec3> still = drawTerrain(glm::vec3(0.5f), 2);
    EXPECT_EQ(uniformMatrix(program, "oldviewProjMatrix"), uniformMatrix(program, "viewProjMatrix"));
    EXPECT_EQ(countOf(still, glm::vec3(0.0f), kHeight / 2), kWidth * kHeight / 2);

    // A turn to the left moves the slope to the right on the screen.
    world->moveCamera(-30.0f);
    const std::vector<glm::vec3> turned = drawTerrain(glm::vec3(0.5f), 2);
    EXPECT_GT(turned[static_cast<size_t>(kHeight / 4 * kWidth + kWidth / 2)].x, 0.005f);
}

TEST_F(TerrainGL, WireframeDrawsLinesAndLeavesLaterDrawsFilled)
{
    world->initTerrain();
    placeRunCamera(0.0f);
    // Near the camera, in the lower quarter, the patches are large and their lines few.
    const int rows = kHeight / 4;
    const glm::vec3 clear(1.0f, 0.0f, 1.0f);
    EXPECT_EQ(countOf(drawTerrain(), clear, rows), 0);

    world->terrain->wireframe = true;
    const int open = countOf(drawTerrain(), clear, rows);
    EXPECT_GT(open, rows * kWidth / 2) << "the wireframe covers the slope";
    EXPECT_LT(open, rows * kWidth) << "no lines drawn";
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);

    world->terrain->wireframe = false;
    EXPECT_EQ(countOf(drawTerrain(), clear, rows), 0);
}

// The sun's cube map reaches the slope: a plate just below the sun, drawn only into the shadow
// pass, darkens the snow under it and nowhere else.
TEST_F(TerrainGL, AnObjectInTheShadowCubeShadowsTheSlope)
{
    world->initTerrain();
    aimCamera(glm::vec3(0.0f, 250.0f, 160.0f), glm::vec3(0.0f, 40.0f, 0.0f));
    const float ground = world->terrain->getHeightAt(0.0f, 0.0f);
    auto plate = std::make_shared<Prop>();
    const PropMesh mesh = squareMesh(glm::vec3(0.0f, 100.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f), 10.0f);
    plate->setVertices(mesh.vertices);
    plate->setIndices(mesh.indices);
    plate->setupBuffers();

    const std::vector<glm::vec3> open = drawTerrain();
    world->objects.push_back(plate);
    const std::vector<glm::vec3> shadowed = drawTerrain();

    const glm::vec2 under = screenOf(glm::vec3(0.0f, ground, 0.0f));
    EXPECT_GT(brightnessAt(open, under), 0.3f);
    EXPECT_LT(brightnessAt(shadowed, under), 0.6f * brightnessAt(open, under));
    // The plate's shadow reaches about 40 units out; beyond it the snow is as lit as before.
    const glm::vec3 outside(90.0f, 0.0f, 0.0f);
    const glm::vec2 beside = screenOf(outside + glm::vec3(0.0f, world->terrain->getHeightAt(90.0f, 0.0f), 0.0f));
    EXPECT_NEAR(brightnessAt(shadowed, beside), brightnessAt(open, beside), 0.02f);
}

// The shadow draw is indexed like the mesh: straight below the sun the cube holds the distance to
// the grid's surface there.
TEST_F(TerrainGL, ShadowDrawPutsTheGridIntoTheSunsCube)
{
    world->initTerrain();
    world->renderShadowCubeMap();
    glBindFramebuffer(GL_FRAMEBUFFER, world->shadowFramebuffer);
    glViewport(0, 0, 1024, 1024);
    world->terrain->drawShadow(world->shadowShader);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    float depth = 0.0f;
    // Layer 3 of a cube is -y, the view straight down.
    glGetTextureSubImage(world->shadowCubeTexture, 0, 512, 512, 3, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                         sizeof(float), &depth);
    const float below = 120.0f - world->terrain->getHeightAt(0.0f, 0.0f);
    EXPECT_NEAR(depth * 12800.0f, below, 0.5f);
}

TEST_F(TerrainGL, RenderDrawsTheSlopeIntoTheScene)
{
    world->initTerrain();
    placeRunCamera(0.0f);
    world->render(0.1f);
    EXPECT_EQ(world->terrain->previousViewProjection, viewProjection(*world->camera));
    const std::vector<glm::vec3> pixels = target(0);
    EXPECT_GT(luminance(pixels[static_cast<size_t>(kHeight / 4 * kWidth + kWidth / 2)]), 0.05f);
}

// The run's own pictures, from the texture loader through the run's set-up and a frame: the slope
// samples their levels through its sampler and leaves the textures as they were loaded.
class RealSlope : public RealWorld {};

TEST_F(RealSlope, RunsPicturesKeepTheLoadersStateThroughSetUpAndAFrame)
{
    for (const char* name : {"glacier2.png", "DisplacementMap.png"}) {
        ASSERT_NE(world->findTexture(name), nullptr) << name;
    }
    const GLuint picture = world->findTexture("glacier2.png")->id;
    const GLuint relief = world->findTexture("DisplacementMap.png")->id;
    ASSERT_EQ(world->terrain->texture->id, picture);
    ASSERT_EQ(world->terrain->displacementTexture->id, relief);
    expectLoaderState(picture);
    expectLoaderState(relief);
    world->renderShadowCubeMap();
    world->render(0.1f);
    expectLoaderState(picture);
    expectLoaderState(relief);
    for (GLuint unit : {picture, relief}) {
        glActiveTexture(GL_TEXTURE0 + unit);
        GLint sampler = -1;
        glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
        EXPECT_EQ(sampler, 0) << "unit " << unit;
        // The loader made the levels the slope's sampler reads.
        GLint levelOneWidth = 0;
        glGetTextureLevelParameteriv(unit, 1, GL_TEXTURE_WIDTH, &levelOneWidth);
        EXPECT_GT(levelOneWidth, 0) << "unit " << unit;
    }
}

// createWorld makes the terrain after the sun and before anything else draws from the engine, so
// the run always gets the same slope.
TEST_F(TerrainGL, CreateWorldMakesTheRunsTerrainWithTheSun)
{
    const int savedWidth = settings::windowWidth;
    const int savedHeight = settings::windowHeight;
    settings::windowWidth = 64;
    settings::windowHeight = 48;
    shaderMap = *shaders;
    textureMap = *textures;
    randomEngine = std::mt19937{};
    createWorld();
    ASSERT_NE(currentWorld, nullptr);
    ASSERT_NE(currentWorld->terrain, nullptr);
    EXPECT_NE(currentWorld->sun, nullptr);
    EXPECT_EQ(currentWorld->terrain->sun, currentWorld->sun);
    EXPECT_NEAR(currentWorld->terrain->heights[64][64], 39.721531f, 1e-4f);
    EXPECT_NE(currentWorld->terrain->vao, 0u);
    currentWorld.reset();
    shaderMap.clear();
    textureMap.clear();
    settings::windowWidth = savedWidth;
    settings::windowHeight = savedHeight;
}

}
