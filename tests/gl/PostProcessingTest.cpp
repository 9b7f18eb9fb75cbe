#include "app/FrameProfiler.h"
#include "app/RenderTarget.h"
#include "app/ShaderSource.h"
#include "app/Texture.h"
#include "effects/PostProcessing.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/ShaderSources.h"
#include "world/Camera.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using Image = std::vector<glm::vec3>;

class PostProcessingGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        camera = std::make_shared<Camera>();
        camera->processMouseMovement(0.0f, 0.0f, true);
        chain = std::make_unique<PostProcessing>();
        chain->downsampleShader = buildProgramFromSources("downsampler");
        chain->featureShader = buildProgramFromSources("featureGeneration");
        chain->blurShader = buildProgramFromSources("blur");
        chain->upscaleShader = buildProgramFromSources("upscale");
        chain->setCamera(camera);
        // Behind the camera: no halo unless a test places the sun in view.
        chain->setSunPosition(camera->position - 1000.0f * camera->front);
    }

    void TearDown() override
    {
        chain.reset();
        for (GLuint texture : sceneTextures) {
            glDeleteTextures(1, &texture);
        }
        GLTest::TearDown();
    }

    // A point in front of the camera that appears at texture coordinate `uv` of the screen.
    glm::vec3 pointOnScreen(glm::vec2 uv) const
    {
        glm::mat4 viewProjection =
            camera->projection * glm::lookAt(camera->position, camera->position + camera->front, camera->up);
        glm::vec4 world = glm::inverse(viewProjection) * glm::vec4(uv * 2.0f - 1.0f, 0.5f, 1.0f);
        return glm::vec3(world) / world.w;
    }

    // Fills the three scene targets (lit scene, glow, motion vectors) and runs the chain into the window.
    void renderScene(const Image& lit, const Image& glow, const Image& motion)
    {
        if (sceneTextures.empty()) {
            for (int i = 0; i < 3; ++i) {
                sceneTextures.push_back(createColorTarget(width, height));
            }
        }
        const Image* images[] = {&lit, &glow, &motion};
        for (int i = 0; i < 3; ++i) {
            glBindTexture(GL_TEXTURE_2D, sceneTextures[static_cast<size_t>(i)]);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGB, GL_FLOAT, images[i]->data());
        }
        chain->render(sceneTextures.data(), sceneTextures[2]);
    }

    Image field(glm::vec3 value) const { return Image(static_cast<size_t>(width * height), value); }

    // A dim 5 x 5 square at the centre of a dark field: below the flare and bloom threshold, so only
    // the motion blur can spread it.
    Image dimSquare() const
    {
        Image lit = field(glm::vec3(0.02f));
        for (int y = -2; y <= 2; ++y) {
            for (int x = -2; x <= 2; ++x) {
                lit[static_cast<size_t>((height / 2 + y) * width + width / 2 + x)] = glm::vec3(0.15f);
            }
        }
        return lit;
    }

    // Pixel (x, y) of the window, y up, 0..255 per channel.
    std::vector<unsigned char> readWindow() const
    {
        std::vector<unsigned char> pixels(static_cast<size_t>(width * height) * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    Image readTexture(GLuint texture, int w, int h) const
    {
        Image texels(static_cast<size_t>(w * h));
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, texels.data());
        return texels;
    }

    std::shared_ptr<Camera> camera;
    std::unique_ptr<PostProcessing> chain;
    std::vector<GLuint> sceneTextures;
};

GLint textureLevelParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint attachmentParameter(GLuint framebuffer, GLenum attachment, GLenum name)
{
    GLint value = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, name, &value);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return value;
}

struct Target {
    GLuint framebuffer;
    GLuint texture;
};

std::vector<Target> targetsOf(const PostProcessing& chain)
{
    std::vector<Target> targets = {{chain.downsampleFramebuffer, chain.downsampleTexture},
                                   {chain.featureFramebuffer, chain.featureTexture}};
    for (int i = 0; i < 4; ++i) {
        targets.push_back({chain.blurFramebuffers[i], chain.blurTextures[i]});
    }
    return targets;
}

void expectTargets(const PostProcessing& chain, int w, int h)
{
    std::vector<GLuint> seen;
    for (const Target& target : targetsOf(chain)) {
        SCOPED_TRACE("framebuffer " + std::to_string(target.framebuffer));
        for (GLuint other : seen) {
            EXPECT_NE(other, target.framebuffer);
        }
        seen.push_back(target.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(attachmentParameter(target.framebuffer, GL_COLOR_ATTACHMENT0,
                                      GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
                  static_cast<GLint>(target.texture));
        EXPECT_EQ(attachmentParameter(target.framebuffer, GL_DEPTH_ATTACHMENT,
                                      GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                  GL_NONE);
        EXPECT_EQ(textureLevelParameter(target.texture, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB16F);
        EXPECT_EQ(textureLevelParameter(target.texture, GL_TEXTURE_WIDTH), w);
        EXPECT_EQ(textureLevelParameter(target.texture, GL_TEXTURE_HEIGHT), h);
        EXPECT_EQ(textureParameter(target.texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(textureParameter(target.texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureParameter(target.texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
}

TEST_F(PostProcessingGL, SetupMakesSixCompleteHalfFloatTargetsQuadAndLensTexture)
{
    testing::internal::CaptureStdout();
    chain->setup(width, height);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(chain->firstSetup);
    expectTargets(*chain, width, height);

    GLint bufferSize = 0;
    glBindBuffer(GL_ARRAY_BUFFER, chain->quadVertexBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bufferSize);
    EXPECT_EQ(bufferSize, 80);
    EXPECT_TRUE(glIsVertexArray(chain->quadVertexArray));

    ASSERT_TRUE(chain->lensColorTexture);
    EXPECT_EQ(chain->lensColorTexture->name, "lensFlareColor");
    GLuint lens = chain->lensColorTexture->id;
    EXPECT_EQ(textureLevelParameter(lens, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB16F);
    EXPECT_EQ(textureLevelParameter(lens, GL_TEXTURE_WIDTH), width);
    EXPECT_EQ(textureLevelParameter(lens, GL_TEXTURE_HEIGHT), height);
    EXPECT_EQ(textureParameter(lens, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(lens, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(textureParameter(lens, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(PostProcessingGL, ZeroSizeReportsEachIncompleteFramebuffer)
{
    testing::internal::CaptureStdout();
    chain->setup(0, 0);
    std::string expected;
    for (int i = 0; i < 6; ++i) {
        expected += "Framebuffer not complete!\n";
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
}

struct Object {
    GLenum kind;
    GLuint name;
};

// The quad's buffer and vertex array and the six framebuffers and their textures.
std::vector<Object> glObjectsOf(const PostProcessing& chain)
{
    std::vector<Object> objects = {{GL_BUFFER, chain.quadVertexBuffer}, {GL_VERTEX_ARRAY, chain.quadVertexArray}};
    for (const Target& target : targetsOf(chain)) {
        objects.push_back({GL_FRAMEBUFFER, target.framebuffer});
        objects.push_back({GL_TEXTURE, target.texture});
    }
    return objects;
}

bool exists(const Object& object)
{
    switch (object.kind) {
    case GL_BUFFER: return glIsBuffer(object.name);
    case GL_VERTEX_ARRAY: return glIsVertexArray(object.name);
    case GL_FRAMEBUFFER: return glIsFramebuffer(object.name);
    default: return glIsTexture(object.name);
    }
}

TEST_F(PostProcessingGL, SecondSetupDeletesEveryObjectOfTheFirst)
{
    chain->setup(width, height);
    // GL may hand a freed name out again; a label tells the old object from a new one of the same name.
    std::vector<Object> old = glObjectsOf(*chain);
    old.push_back({GL_TEXTURE, chain->lensColorTexture->id});
    for (const Object& object : old) {
        glObjectLabel(object.kind, object.name, -1, "first setup");
    }
    std::shared_ptr<Texture> oldLens = chain->lensColorTexture;

    chain->setup(400, 300);
    EXPECT_FALSE(chain->firstSetup);
    for (const Object& object : old) {
        SCOPED_TRACE("object " + std::to_string(object.name) + " of kind " + std::to_string(object.kind));
        if (exists(object)) {
            char label[32] = {};
            glGetObjectLabel(object.kind, object.name, sizeof(label), nullptr, label);
            EXPECT_STREQ(label, "");
        }
    }
    EXPECT_NE(chain->lensColorTexture, oldLens);
    expectTargets(*chain, 400, 300);
    EXPECT_EQ(textureLevelParameter(chain->lensColorTexture->id, GL_TEXTURE_WIDTH), 400);
}

TEST_F(PostProcessingGL, DestructorDeletesTheQuadAndTheTargetsAndLetsGoOfItsHandles)
{
    chain->setup(width, height);
    const std::vector<Object> made = glObjectsOf(*chain);
    std::weak_ptr<Texture> lens = chain->lensColorTexture;
    std::weak_ptr<Shader> blur = chain->blurShader;
    const long cameraHolders = camera.use_count();

    chain.reset();
    for (const Object& object : made) {
        EXPECT_FALSE(exists(object)) << "object " << object.name << " of kind " << object.kind;
    }
    EXPECT_TRUE(lens.expired());
    EXPECT_TRUE(blur.expired());
    EXPECT_EQ(camera.use_count(), cameraHolders - 1);
}

TEST_F(PostProcessingGL, ResizeRespecifiesTheTargetsOnly)
{
    chain->setup(width, height);
    std::vector<Target> before = targetsOf(*chain);
    GLuint lens = chain->lensColorTexture->id;
    GLuint quad = chain->quadVertexArray;

    testing::internal::CaptureStdout();
    chain->resize(320, 240);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::vector<Target> after = targetsOf(*chain);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].framebuffer, before[i].framebuffer);
        EXPECT_EQ(after[i].texture, before[i].texture);
    }
    expectTargets(*chain, 320, 240);
    EXPECT_EQ(chain->lensColorTexture->id, lens);
    EXPECT_EQ(textureLevelParameter(lens, GL_TEXTURE_WIDTH), width);
    EXPECT_EQ(chain->quadVertexArray, quad);
}

struct LensTexel {
    int row, column;
    int red, green, blue;
};

TEST_F(PostProcessingGL, LensColorTextureRunsThroughTheHueCircleOutToTheHalfDiagonal)
{
    chain->setup(width, height);
    // 800 x 600: centre (row 300, column 400), half-diagonal 500 texels, a band every 83.3 texels.
    const LensTexel texels[] = {
        {300, 400, 255, 0, 0},   {0, 0, 0, 0, 0},         {0, 799, 255, 0, 2},     {599, 0, 255, 0, 1},
        {300, 317, 255, 254, 0}, {300, 316, 253, 255, 0}, {300, 234, 2, 255, 0},   {300, 233, 0, 255, 1},
        {300, 151, 0, 255, 252}, {300, 150, 0, 255, 255}, {300, 67, 0, 1, 255},    {300, 66, 2, 0, 255},
        {100, 35, 254, 0, 255},  {100, 34, 255, 0, 254},  {0, 400, 0, 102, 255},   {300, 0, 204, 0, 255},
    };
    Image lens = readTexture(chain->lensColorTexture->id, width, height);
    for (const LensTexel& t : texels) {
        SCOPED_TRACE("row " + std::to_string(t.row) + ", column " + std::to_string(t.column));
        glm::vec3 texel = lens[static_cast<size_t>(t.row * width + t.column)] * 255.0f;
        EXPECT_NEAR(texel.r, t.red, 0.2f);
        EXPECT_NEAR(texel.g, t.green, 0.2f);
        EXPECT_NEAR(texel.b, t.blue, 0.2f);
    }

    // Made once at set-up: frames reuse it.
    std::shared_ptr<Texture> made = chain->lensColorTexture;
    GLuint name = made->id;
    renderScene(field(glm::vec3(0.0f)), field(glm::vec3(0.0f)), field(glm::vec3(0.0f)));
    renderScene(field(glm::vec3(0.0f)), field(glm::vec3(0.0f)), field(glm::vec3(0.0f)));
    EXPECT_EQ(chain->lensColorTexture, made);
    EXPECT_EQ(chain->lensColorTexture->id, name);
}

TEST_F(PostProcessingGL, OddSizesCentreOnTheIntegerHalves)
{
    chain->setup(801, 601);
    Image lens = readTexture(chain->lensColorTexture->id, 801, 601);
    EXPECT_EQ(lens[300 * 801 + 400], glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(lens[0], glm::vec3(0.0f));
    EXPECT_EQ(lens[800], glm::vec3(0.0f));
}

// The committed vertex stage of `program` with a fragment stage of the test's own.
std::shared_ptr<Shader> probeProgram(const std::string& program, const char* fragment)
{
    std::string vertex;
    EXPECT_TRUE(readShaderSource(std::string(VELMORRA_SOURCE_DIR) + "/Resources/shader/" + program + ".vs", vertex));
    GLuint id = glCreateProgram();
    GLuint stages[] = {compiledShader(GL_VERTEX_SHADER, vertex), compiledShader(GL_FRAGMENT_SHADER, fragment)};
    for (GLuint stage : stages) {
        glAttachShader(id, stage);
        glDeleteShader(stage);
    }
    glLinkProgram(id);
    EXPECT_TRUE(isLinked(id)) << linkLog(id);
    return std::make_shared<Shader>(id);
}

// A blur that counts: red = draws so far along the chain, green = draws whose "horizontal" broke
// the 1, 0, 1, ... order, blue = the last draw's flag.
const char* const kCountingBlur = R"(#version 430 core
in vec2 uvTap;
layout(location = 0) out vec4 fragColor;
uniform sampler2D image;
uniform int horizontal;
void main()
{
    vec3 previous = texture(image, uvTap).rgb;
    int expected = int(previous.r + 0.5) % 2 == 0 ? 1 : 0;
    fragColor = vec4(previous.r + 1.0, previous.g + (horizontal == expected ? 0.0 : 1.0), float(horizontal), 1.0);
}
)";

const char* const kReportingComposite = R"(#version 430 core
in vec2 uv;
layout(location = 0) out vec4 fragColor;
uniform sampler2D image;
uniform sampler2D lensFlare;
uniform sampler2D bloom;
uniform sampler2D motionVector;
void main()
{
    vec3 flare = texture(lensFlare, uv).rgb;
    vec3 glow = texture(bloom, uv).rgb;
    fragColor = vec4(flare.r / 40.0, glow.r / 40.0, (flare.g + flare.b + glow.g + glow.b) / 4.0, 1.0);
}
)";

TEST_F(PostProcessingGL, BlurAlternatesItsAxisAndTheCompositeReadsTheLastWrittenTextures)
{
    chain->blurShader = probeProgram("blur", kCountingBlur);
    chain->upscaleShader = probeProgram("upscale", kReportingComposite);
    chain->setup(width, height);
    renderScene(field(glm::vec3(0.0f)), field(glm::vec3(0.0f)), field(glm::vec3(0.0f)));

    GLint framebuffer = -1, vertexArray = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(vertexArray, 0);

    // 30 flare draws ending in blurTextures[0], 20 bloom draws ending in blurTextures[2],
    // each draw reading the one before, flags 1, 0, 1, ... ending on 0.
    std::vector<unsigned char> window = readWindow();
    size_t centre = static_cast<size_t>((height / 2) * width + width / 2) * 3;
    EXPECT_NEAR(window[centre], 30.0 / 40.0 * 255.0, 1.0);
    EXPECT_NEAR(window[centre + 1], 20.0 / 40.0 * 255.0, 1.0);
    EXPECT_EQ(window[centre + 2], 0);
    EXPECT_NEAR(readTexture(chain->blurTextures[1], width, height)[0].r, 29.0f, 0.01f);
    EXPECT_NEAR(readTexture(chain->blurTextures[3], width, height)[0].r, 19.0f, 0.01f);
}

TEST_F(PostProcessingGL, AnAttachedProfilerTimesEachPassOncePerFrameWithoutChangingThePicture)
{
    chain->setup(width, height);
    const Image lit = dimSquare();
    const Image glow = field(glm::vec3(0.5f));
    const Image motion = field(glm::vec3(0.01f, 0.0f, 0.0f));
    renderScene(lit, glow, motion);
    const std::vector<unsigned char> unprofiled = readWindow();

    FrameProfiler profiler;
    profiler.attach();
    for (int frame = 0; frame < 2; ++frame) {
        renderScene(lit, glow, motion);
        profiler.endFrame();
    }
    profiler.detach();
    EXPECT_TRUE(readWindow() == unprofiled);

    std::vector<std::string> names;
    for (const FrameProfiler::Pass& pass : profiler.passes()) {
        names.push_back(pass.name);
        EXPECT_TRUE(pass.gpu) << pass.name;
        EXPECT_EQ(pass.milliseconds.size(), 2u) << pass.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"post/flare threshold", "post/flare features", "post/flare blur",
                                               "post/bloom threshold", "post/bloom blur", "post/composite"}));
}

TEST_F(PostProcessingGL, RenderKeepsTheCallersViewport)
{
    chain->setup(width, height);
    glViewport(0, 0, width / 2, height / 2);
    renderScene(field(glm::vec3(0.5f)), field(glm::vec3(0.5f)), field(glm::vec3(0.0f)));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], width / 2);
    EXPECT_EQ(viewport[3], height / 2);
    // The composite covered only the caller's quarter of the (cleared) window.
    std::vector<unsigned char> window = readWindow();
    EXPECT_GT(window[static_cast<size_t>((10 * width + 10) * 3)], 0);
    EXPECT_EQ(window[static_cast<size_t>(((height - 10) * width + width - 10) * 3)], 0);
}

TEST_F(PostProcessingGL, UniformDarkScenesCompositeToAFlatImage)
{
    chain->setup(width, height);
    int previous = -1;
    for (float level : {0.0f, 0.02f, 0.1f}) {
        SCOPED_TRACE("level " + std::to_string(level));
        renderScene(field(glm::vec3(level)), field(glm::vec3(level)), field(glm::vec3(0.0f)));
        std::vector<unsigned char> window = readWindow();
        size_t differing = 0;
        for (unsigned char value : window) {
            differing += value != window[0] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0u);
        if (level == 0.0f) {
            EXPECT_EQ(window[0], 0);
        }
        EXPECT_GT(static_cast<int>(window[0]), previous);
        previous = window[0];
    }
}

struct SpotCase {
    const char* name;
    bool inLit;   // the spot is in the lit scene (target 0)
    bool inGlow;  // the spot is in the glow image (target 1)
};

class BrightSpot : public PostProcessingGL, public testing::WithParamInterface<SpotCase> {};

TEST_P(BrightSpot, BloomsAroundItAndLeavesFarDarkPixelsAlone)
{
    const SpotCase& c = GetParam();
    chain->setup(width, height);
    const glm::vec3 dark(0.02f);
    const glm::vec2 spot(200.0f, 150.0f);
    Image lit = field(dark), glow = field(dark);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (glm::length(glm::vec2(x, y) - spot) <= 3.0f) {
                size_t at = static_cast<size_t>(y * width + x);
                lit[at] = c.inLit ? glm::vec3(4.0f) : dark;
                glow[at] = c.inGlow ? glm::vec3(4.0f) : dark;
            }
        }
    }
    renderScene(field(dark), field(dark), field(glm::vec3(0.0f)));
    std::vector<unsigned char> baseline = readWindow();
    renderScene(lit, glow, field(glm::vec3(0.0f)));
    std::vector<unsigned char> window = readWindow();
    auto red = [&](const std::vector<unsigned char>& image, glm::vec2 at) {
        return static_cast<int>(image[static_cast<size_t>(static_cast<int>(at.y) * width + static_cast<int>(at.x)) * 3]);
    };
    int background = red(baseline, spot);

    if (c.inLit) {
        EXPECT_GT(red(window, spot), 200);
    }
    // A soft halo: brighter than the field a few pixels out, fading with distance (the bloom's
    // deviation is a little over two pixels, so it reaches some ten pixels from the spot's centre).
    int near = red(window, spot + glm::vec2(6.0f, 0.0f));
    int farther = red(window, spot + glm::vec2(0.0f, 9.0f));
    EXPECT_GT(near, background + 10);
    EXPECT_GT(farther, background);
    EXPECT_GT(near, farther);

    // Lens ghosts lie on the line through the spot and the image centre; away from the spot and that
    // line nothing may change.
    const glm::vec2 centre(width / 2.0f, height / 2.0f);
    const glm::vec2 axis = glm::normalize(centre - spot);
    size_t compared = 0;
    for (int y = 0; y < height; y += 3) {
        for (int x = 0; x < width; x += 3) {
            glm::vec2 p(x, y);
            glm::vec2 fromSpot = p - spot;
            float offAxis = std::fabs(fromSpot.x * axis.y - fromSpot.y * axis.x);
            if (glm::length(fromSpot) < 120.0f || offAxis < 120.0f) {
                continue;
            }
            size_t at = static_cast<size_t>(y * width + x) * 3;
            ASSERT_EQ(window[at], baseline[at]) << "pixel " << x << ", " << y;
            ASSERT_EQ(window[at + 1], baseline[at + 1]) << "pixel " << x << ", " << y;
            ASSERT_EQ(window[at + 2], baseline[at + 2]) << "pixel " << x << ", " << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 10000u);
}

INSTANTIATE_TEST_SUITE_P(Targets, BrightSpot,
                         testing::Values(SpotCase{"LitAndGlowing", true, true}, SpotCase{"GlowOnly", false, true}),
                         [](const testing::TestParamInfo<SpotCase>& info) { return std::string(info.param.name); });

TEST_F(PostProcessingGL, MotionVectorsSmearAlongTheirDirection)
{
    chain->setup(width, height);
    const Image lit = dimSquare();
    Image dark = field(glm::vec3(0.02f));
    auto at = [&](const std::vector<unsigned char>& image, int dx, int dy) {
        return static_cast<int>(image[static_cast<size_t>((300 + dy) * width + 400 + dx) * 3]);
    };

    renderScene(lit, dark, field(glm::vec3(0.0f)));
    std::vector<unsigned char> still = readWindow();
    renderScene(lit, dark, field(glm::vec3(0.02f, 0.0f, 0.0f)));
    std::vector<unsigned char> moving = readWindow();

    EXPECT_EQ(at(still, 5, 0), at(still, 0, 5));
    EXPECT_GT(at(moving, 5, 0), at(still, 5, 0) + 10);
    EXPECT_EQ(at(moving, 0, 5), at(still, 0, 5));
    EXPECT_LT(at(moving, 0, 0), at(still, 0, 0));
}

TEST_F(PostProcessingGL, MeaninglessMotionVectorsLeaveTheSceneSharp)
{
    chain->setup(width, height);
    const Image lit = dimSquare();
    Image dark = field(glm::vec3(0.02f));
    renderScene(lit, dark, field(glm::vec3(0.0f)));
    const std::vector<unsigned char> still = readWindow();

    struct Case {
        const char* name;
        float x;
    };
    const Case cases[] = {
        {"measured against the identity on the first frame", 1000.0f},
        {"more than a quarter of the screen in one frame", 0.3f},
        {"infinite", INFINITY},
        {"not a number", NAN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        renderScene(lit, dark, field(glm::vec3(c.x, 0.0f, 0.0f)));
        EXPECT_TRUE(readWindow() == still);
    }
}

// A short smear turns a sharp vertical edge into an even ramp as wide as the movement; a
// movement under half a pixel leaves it sharp.
TEST_F(PostProcessingGL, SmearsOfEveryLengthRampASharpEdgeOverTheirLength)
{
    chain->setup(width, height);
    Image lit = field(glm::vec3(0.02f));
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2; x < width; ++x) {
            lit[static_cast<size_t>(y * width + x)] = glm::vec3(0.3f);
        }
    }
    const Image dark = field(glm::vec3(0.02f));
    renderScene(lit, dark, field(glm::vec3(0.0f)));
    const std::vector<unsigned char> still = readWindow();
    auto row = [&](const std::vector<unsigned char>& image, int x) {
        return static_cast<int>(image[static_cast<size_t>((height / 2) * width + x) * 3 + 1]);
    };
    const int low = row(still, width / 2 - 1);
    const int high = row(still, width / 2);
    ASSERT_GT(high - low, 60);

    for (float pixels : {0.3f, 2.5f, 3.0f, 5.0f, 7.0f, 12.0f}) {
        SCOPED_TRACE(std::to_string(pixels) + " pixels");
        // The composite smears over half the frame's movement (its shutter).
        const float moved = 2.0f * pixels / static_cast<float>(width);
        renderScene(lit, dark, field(glm::vec3(moved, 0.0f, 0.0f)));
        const std::vector<unsigned char> window = readWindow();
        if (pixels < 0.5f) {
            EXPECT_TRUE(window == still);
            continue;
        }
        const int reach = static_cast<int>(std::ceil(pixels / 2.0f)) + 2;
        EXPECT_EQ(row(window, width / 2 - reach), low);
        EXPECT_EQ(row(window, width / 2 + reach - 1), high);
        // Past ten pixels the five samples lie farther apart than a bilinear fetch reaches, and each
        // pixel places them anew within their slices: the ramp rises with a grain of a level or two.
        const int grain = pixels > 10.0f ? 2 : 0;
        for (int x = width / 2 - reach; x < width / 2 + reach; ++x) {
            ASSERT_LE(row(window, x), row(window, x + 1) + grain) << "x " << x;
        }
        EXPECT_GT(row(window, width / 2 - 1), low);
        EXPECT_LT(row(window, width / 2), high);
        // While five samples can lie within two pixels of each other the ramp has no flat step, which
        // samples too far apart for their bilinear reach would leave.
        if (pixels <= 8.0f) {
            for (int x = width / 2 - reach; x < width / 2 + reach; ++x) {
                const int value = row(window, x);
                if (value > low && value < high) {
                    EXPECT_LT(value, row(window, x + 1)) << "x " << x;
                }
            }
        }
    }
}

// The bloom of one bright texel shows the blur's own shape: a Gaussian, as wide across as down
// and along the diagonals, centred on the texel, without rings.
TEST_F(PostProcessingGL, BloomOfOneTexelIsARoundGaussianCentredOnIt)
{
    chain->setup(width, height);
    const int cx = 300, cy = 250;
    Image glow = field(glm::vec3(0.0f));
    glow[static_cast<size_t>(cy * width + cx)] = glm::vec3(4.0f);
    renderScene(field(glm::vec3(0.0f)), glow, field(glm::vec3(0.0f)));
    const Image bloom = readTexture(chain->blurTextures[2], width, height);
    auto at = [&](int dx, int dy) { return bloom[static_cast<size_t>((cy + dy) * width + cx + dx)].r; };

    double total = 0.0, mx = 0.0, my = 0.0, vx = 0.0, vy = 0.0;
    for (int dy = -40; dy <= 40; ++dy) {
        for (int dx = -40; dx <= 40; ++dx) {
            const double v = at(dx, dy);
            total += v;
            mx += v * dx;
            my += v * dy;
            vx += v * dx * dx;
            vy += v * dy * dy;
        }
    }
    mx /= total;
    my /= total;
    const double sigmaX = std::sqrt(vx / total - mx * mx);
    const double sigmaY = std::sqrt(vy / total - my * my);
    EXPECT_NEAR(mx, 0.0, 0.05);
    EXPECT_NEAR(my, 0.0, 0.05);
    EXPECT_NEAR(sigmaX, sigmaY, 0.1);
    // Twenty draws, ten pairs of the tent (1 2 1) / 4 along each axis: a variance of 5 texels squared.
    EXPECT_NEAR(sigmaX, std::sqrt(5.0), 0.1);

    const double sigma = (sigmaX + sigmaY) / 2.0;
    const double peak = total / (2.0 * 3.14159265 * sigma * sigma);
    for (int dy = -25; dy <= 25; ++dy) {
        for (int dx = -25; dx <= 25; ++dx) {
            const double gaussian = peak * std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
            ASSERT_NEAR(at(dx, dy), gaussian, 0.15 * peak) << dx << ", " << dy;
        }
    }
}

// Glare well above the flare threshold makes ghosts on the far side of the image centre, one for
// each of the two ghosts, at the points whose mirrored sources it lies on.
TEST_F(PostProcessingGL, GlareMakesBothGhostsMirroredThroughTheCentre)
{
    chain->setup(width, height);
    struct Case {
        glm::vec2 spot;
    };
    for (const Case& c : {Case{{0.3f, 0.5f}}, Case{{0.5f, 0.42f}}, Case{{0.4f, 0.6f}}}) {
        SCOPED_TRACE(std::to_string(c.spot.x) + ", " + std::to_string(c.spot.y));
        Image lit = field(glm::vec3(0.02f));
        const glm::vec2 spotPixel = c.spot * glm::vec2(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (glm::length(glm::vec2(x, y) + 0.5f - spotPixel) <= 6.0f) {
                    lit[static_cast<size_t>(y * width + x)] = glm::vec3(40.0f);
                }
            }
        }
        renderScene(lit, field(glm::vec3(0.02f)), field(glm::vec3(0.0f)));
        const Image features = readTexture(chain->featureTexture, width, height);
        // Ghost i at p reads p + (centre - p) * 3i, so the spot shows at p = (3i centre - spot) / (3i - 1).
        for (int ghost = 1; ghost <= 2; ++ghost) {
            const float k = 3.0f * static_cast<float>(ghost);
            const glm::vec2 expected = (k * glm::vec2(0.5f) - c.spot) / (k - 1.0f) * glm::vec2(width, height);
            glm::vec2 sum(0.0f);
            float energy = 0.0f;
            // Ghost 2 stands close to the centre and to ghost 1: a small window keeps them apart.
            const float window = 6.0f;
            for (int y = static_cast<int>(expected.y - window); y <= static_cast<int>(expected.y + window); ++y) {
                for (int x = static_cast<int>(expected.x - window); x <= static_cast<int>(expected.x + window); ++x) {
                    const glm::vec3 v = features[static_cast<size_t>(y * width + x)];
                    sum += (v.r + v.g + v.b) * (glm::vec2(x, y) + 0.5f);
                    energy += v.r + v.g + v.b;
                }
            }
            ASSERT_GT(energy, 1.0f) << "ghost " << ghost;
            EXPECT_LT(glm::length(sum / energy - expected), 1.5f) << "ghost " << ghost;
        }
    }
}

// Centroid (pixels) of the positive part of a - b.
glm::vec2 centroidOfExcess(const Image& a, const Image& b, int w)
{
    glm::vec2 sum(0.0f);
    float total = 0.0f;
    for (size_t i = 0; i < a.size(); ++i) {
        float excess = std::max(0.0f, a[i].r + a[i].g + a[i].b - b[i].r - b[i].g - b[i].b);
        sum += excess * glm::vec2(static_cast<float>(i % static_cast<size_t>(w)), static_cast<float>(i / static_cast<size_t>(w)));
        total += excess;
    }
    return total > 0.0f ? sum / total : glm::vec2(-1.0f);
}

TEST_F(PostProcessingGL, HaloFollowsTheSunAcrossTheScreen)
{
    chain->setup(width, height);
    Image bright = field(glm::vec3(1.0f));
    const glm::vec2 left(0.3f, 0.5f), right(0.7f, 0.4f);

    chain->setSunPosition(pointOnScreen(left));
    renderScene(bright, bright, field(glm::vec3(0.0f)));
    Image withLeftSun = readTexture(chain->featureTexture, width, height);
    chain->setSunPosition(pointOnScreen(right));
    renderScene(bright, bright, field(glm::vec3(0.0f)));
    Image withRightSun = readTexture(chain->featureTexture, width, height);
    chain->setSunPosition(camera->position - 1000.0f * camera->front);
    renderScene(bright, bright, field(glm::vec3(0.0f)));
    Image withoutSun = readTexture(chain->featureTexture, width, height);

    const glm::vec2 size(width, height);
    glm::vec2 leftCentre = centroidOfExcess(withLeftSun, withoutSun, width);
    glm::vec2 rightCentre = centroidOfExcess(withRightSun, withoutSun, width);
    EXPECT_LT(glm::length(leftCentre - left * size), 20.0f) << leftCentre.x << ", " << leftCentre.y;
    EXPECT_LT(glm::length(rightCentre - right * size), 20.0f) << rightCentre.x << ", " << rightCentre.y;
}


// A sunlit snowfield fills the frame well above the flare threshold, yet it is no glare: the
// picture must stay an even neutral grey, without rainbow ghosts of itself.
TEST_F(PostProcessingGL, BrightEvenSnowfieldCompositesToAnEvenNeutralImage)
{
    chain->setup(width, height);
    chain->setSunPosition(camera->position - 1000.0f * camera->front);
    const glm::vec3 snow(1.0f);
    renderScene(field(snow), field(snow - glm::vec3(0.7f)), field(glm::vec3(0.0f)));
    std::vector<unsigned char> window = readWindow();
    int darkest = 255, brightest = 0, widestTint = 0;
    for (size_t i = 0; i < window.size(); i += 3) {
        const int r = window[i], g = window[i + 1], b = window[i + 2];
        widestTint = std::max({widestTint, std::abs(r - g), std::abs(g - b), std::abs(r - b)});
        darkest = std::min(darkest, g);
        brightest = std::max(brightest, g);
    }
    EXPECT_LE(widestTint, 1);
    EXPECT_LE(brightest - darkest, 1);
    EXPECT_GT(darkest, 150);
}

}
