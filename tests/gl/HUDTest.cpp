#include "app/DemoWindow.h"
#include "app/Shader.h"
#include "effects/HUD.h"
#include "tests/support/DDSFile.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderSources.h"
#include "world/GameLoop.h"
#include "tests/support/TempDir.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// A World of 800 x 600 whose HUD has the given font and the text program.
std::shared_ptr<World> endScreenWorld(const TempDir& dir, const std::string& font = solidGlyphFont(64))
{
    dir.write("Resources/textures/Zaravoda.DDS", font);
    auto world = std::make_shared<World>(800, 600);
    world->setShaders(std::make_shared<ShaderMap>(ShaderMap{{"TextVertexShader", buildProgramFromSources("TextVertexShader")}}));
    world->initHUD();
    return world;
}

class HUDGL : public GLTest {
protected:
    // A HUD whose font is `font`, drawing with the text program.
    std::unique_ptr<HUD> makeHUD(const std::string& font)
    {
        dir.write("Resources/textures/Zaravoda.DDS", font);
        auto hud = std::make_unique<HUD>();
        hud->setShader(buildProgramFromSources("TextVertexShader"));
        return hud;
    }

    TempDir dir;
};

struct DDSCase {
    const char* name;
    DDSHeader header;
    std::string data;
    std::vector<GLint> levelSizes;  // empty: texture 0
    std::string message;            // expected on standard error, "" for none
};

std::vector<DDSCase> ddsCases()
{
    const std::vector<GLint> font256 = {65536, 16384, 4096, 1024, 256, 64, 16, 16, 16};
    std::vector<DDSCase> cases = {
        {"count 1 reads exactly the linear size", {8, 8, 32, 1, "DXT1"}, patternBytes(64, 1), {32}, ""},
        {"count 1 reads no more than the linear size", {8, 8, 16, 1, "DXT1"}, patternBytes(64, 2), {},
         "font.dds: DDS image data ends after 16 bytes, 0 of 1 mip-map levels loaded\n"},
        {"more than one level reads twice the linear size", {8, 8, 16, 2, "DXT1"}, patternBytes(64, 3), {32},
         "font.dds: DDS image data ends after 32 bytes, 1 of 2 mip-map levels loaded\n"},
        {"256 DXT5 font with nine levels", {256, 256, 65536, 9, "DXT5"}, patternBytes(87408, 4), font256, ""},
        {"DXT3 takes 16-byte blocks", {8, 4, 32, 1, "DXT3"}, patternBytes(32, 5), {32}, ""},
        {"non-square levels stop at one block", {16, 4, 32, 3, "DXT1"}, patternBytes(64, 6), {32, 16, 8}, ""},
        {"truncated file keeps its whole levels", {256, 256, 65536, 9, "DXT5"}, patternBytes(65536 + 16384 + 100, 7),
         {65536, 16384}, "font.dds: DDS image data ends after 82020 bytes, 2 of 9 mip-map levels loaded\n"},
        {"mip-map count beyond the data", {16, 16, 128, 12, "DXT1"}, patternBytes(184, 8), {128, 32, 8, 8, 8},
         "font.dds: DDS mip-map count 12 is more than the 5 levels of its image; 5 loaded\n"},
        {"mip-map count beyond the chain with data to spare", {8, 8, 32, 6, "DXT1"}, patternBytes(64, 10),
         {32, 8, 8, 8}, "font.dds: DDS mip-map count 6 is more than the 4 levels of its image; 4 loaded\n"},
        {"truncated before the end of the chain", {16, 16, 128, 12, "DXT1"}, patternBytes(176, 11), {128, 32, 8, 8},
         "font.dds: DDS image data ends after 176 bytes, 4 of 12 mip-map levels loaded\n"},
        {"huge linear size reads only what is there", {8, 8, 0xFFFFFFFFu, 4, "DXT1"}, patternBytes(56, 9),
         {32, 8, 8, 8}, ""},
        {"file with no image data", {8, 8, 32, 1, "DXT1"}, "", {},
         "font.dds: DDS image data ends after 0 bytes, 0 of 1 mip-map levels loaded\n"},
    };
    // OpenGL would refuse every level of these, once reported as loaded.
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    const auto wide = static_cast<uint32_t>(maxSide) + 1;
    const std::string limit = "is larger than the context's maximum texture size of " + std::to_string(maxSide) + "\n";
    cases.push_back({"wider than the context takes", {wide, 4, (wide + 3) / 4 * 8, 1, "DXT1"},
                     patternBytes((wide + 3) / 4 * 8, 12), {},
                     "font.dds: DDS font of " + std::to_string(wide) + " x 4 " + limit});
    cases.push_back({"level size beyond 64 bits", {0xFFFFFFFDu, 0xFFFFFFFDu, 0xFFFFFFFFu, 11, "DXT5"}, "", {},
                     "font.dds: DDS font of 4294967293 x 4294967293 " + limit});
    return cases;
}

TEST_F(HUDGL, LoadDDSUploadsEveryWholeLevelFromTheFileAndNamesTruncatedFiles)
{
    for (const DDSCase& c : ddsCases()) {
        SCOPED_TRACE(c.name);
        dir.write("font.dds", ddsFile(c.header, c.data));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

        CaptureStdout();
        CaptureStderr();
        GLuint texture = HUD::loadDDS("font.dds");
        std::string out = GetCapturedStdout();
        std::string err = GetCapturedStderr();
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, c.message);

        if (c.levelSizes.empty()) {
            EXPECT_EQ(texture, 0u);
            continue;
        }
        ASSERT_NE(texture, 0u);
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 1);

        glBindTexture(GL_TEXTURE_2D, texture);
        size_t offset = 0;
        for (size_t level = 0; level < c.levelSizes.size(); ++level) {
            GLint size = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(level), GL_TEXTURE_COMPRESSED_IMAGE_SIZE,
                                     &size);
            ASSERT_EQ(size, c.levelSizes[level]) << "level " << level;
            std::string uploaded(static_cast<size_t>(size), '\0');
            glGetCompressedTexImage(GL_TEXTURE_2D, static_cast<GLint>(level), uploaded.data());
            EXPECT_TRUE(uploaded == c.data.substr(offset, uploaded.size())) << "level " << level;
            offset += uploaded.size();
        }
        GLint nextWidth = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, static_cast<GLint>(c.levelSizes.size()), GL_TEXTURE_WIDTH, &nextWidth);
        EXPECT_EQ(nextWidth, 0) << "a level past the last whole one was uploaded";
        glDeleteTextures(1, &texture);
    }
}

TEST_F(HUDGL, LoadDDSRefusesOtherFilesSilently)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    DDSHeader wrongMagic{8, 8, 32, 1, "DXT1", "DDS_"};
    DDSHeader unknownCode{8, 8, 32, 1, "DXT2"};
    const Case cases[] = {
        {"wrong magic", ddsFile(wrongMagic, patternBytes(32, 1))},
        {"unknown four-character code", ddsFile(unknownCode, patternBytes(32, 1))},
        {"shorter than the magic", "DD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("font.dds", c.bytes);
        CaptureStdout();
        CaptureStderr();
        EXPECT_EQ(HUD::loadDDS("font.dds"), 0u);
        EXPECT_EQ(GetCapturedStdout(), "");
        EXPECT_EQ(GetCapturedStderr(), "");
    }
}

TEST_F(HUDGL, LoadDDSReportsAShortHeaderAndKeepsAnEmptyTextureForZeroLevels)
{
    dir.write("short.dds", ddsFile({8, 8, 32, 1, "DXT1"}, "").substr(0, 64));
    CaptureStderr();
    EXPECT_EQ(HUD::loadDDS("short.dds"), 0u);
    EXPECT_EQ(GetCapturedStderr(), "short.dds: DDS header ends early\n");

    dir.write("empty.dds", ddsFile({8, 8, 32, 0, "DXT1"}, patternBytes(32, 1)));
    GLuint texture = HUD::loadDDS("empty.dds");
    ASSERT_NE(texture, 0u);
    EXPECT_TRUE(glIsTexture(texture));
    GLint width = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
}

class UnopenableFont : public HUDGL, public ::testing::WithParamInterface<const char*> {};

// A folder opens and reads nothing, a pipe waits for a writer for ever: each is a font that cannot be opened.
TEST_P(UnopenableFont, IsNamedWithoutLineEndAndTheHUDStillMakesItsBuffers)
{
    // Nothing may be waited for on a terminal here.
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    const std::string kind = GetParam();
    if (kind == "Directory") {
        dir.place("Resources/textures/Zaravoda.DDS", TempDir::NotAFile::Directory);
    } else if (kind == "Pipe") {
        dir.place("Resources/textures/Zaravoda.DDS", TempDir::NotAFile::Pipe);
    }
    CaptureStdout();
    HUD hud;
    std::string out = GetCapturedStdout();
    EXPECT_EQ(out, dir.path().string() + "/Resources/textures/Zaravoda.DDS could not be opened. Failed to load DDS file");
    EXPECT_NE(hud.vertexArray, 0u);
}

INSTANTIATE_TEST_SUITE_P(Fonts, UnopenableFont, ::testing::Values("Missing", "Directory", "Pipe"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(HUDGL, AWorldWithoutTheTextProgramSaysSoAtSetUp)
{
    dir.write("Resources/textures/Zaravoda.DDS", solidGlyphFont(64));
    World world(800, 600);
    world.setShaders(std::make_shared<ShaderMap>());
    CaptureStderr();
    world.initHUD();
    EXPECT_EQ(GetCapturedStderr(), "HUD: no shader program \"TextVertexShader\" (Resources/shader/TextVertexShader.vs "
                                   "and TextVertexShader.frag); the closing screen shows no text\n");
    world.renderEndScreen();
}

// The positions and texture coordinates of the last printText call, read back from its buffers.
struct TextBuffers {
    std::vector<glm::vec2> positions;
    std::vector<glm::vec2> uvs;
};

TextBuffers readTextBuffers(GLuint vertexArray)
{
    TextBuffers result;
    glBindVertexArray(vertexArray);
    std::vector<glm::vec2>* targets[] = {&result.positions, &result.uvs};
    for (GLuint attribute = 0; attribute < 2; ++attribute) {
        GLint buffer = 0;
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
        GLint64 size = 0;
        glGetBufferParameteri64v(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
        targets[attribute]->resize(static_cast<size_t>(size) / sizeof(glm::vec2));
        if (size > 0) {
            glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, targets[attribute]->data());
        }
    }
    glBindVertexArray(0);
    return result;
}

TEST_F(HUDGL, PrintTextLaysOutOneCellPerCharacterAndDrawsTwoTrianglesEach)
{
    struct Case {
        const char* text;
        int x, y, size;
        float left, right, bottom, top;
    };
    const Case cases[] = {
        {"THE END!", 210, 400, 50, 210, 610, 400, 450},
        {"POWERED BY", 310, 325, 20, 310, 510, 325, 345},
        {"", 110, 280, 15, 0, 0, 0, 0},
    };
    auto hud = makeHUD(solidGlyphFont(64));
    GLuint query = 0;
    glGenQueries(1, &query);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        hud->printText(c.text, c.x, c.y, c.size, glm::vec3(1.0f));
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint triangles = 1234;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);

        const size_t n = std::string(c.text).size();
        EXPECT_EQ(triangles, 2 * n);
        TextBuffers buffers = readTextBuffers(hud->vertexArray);
        ASSERT_EQ(buffers.positions.size(), 6 * n);
        ASSERT_EQ(buffers.uvs.size(), 6 * n);
        if (n == 0) {
            continue;
        }
        auto [minX, maxX] = std::minmax_element(buffers.positions.begin(), buffers.positions.end(),
                                                [](glm::vec2 a, glm::vec2 b) { return a.x < b.x; });
        auto [minY, maxY] = std::minmax_element(buffers.positions.begin(), buffers.positions.end(),
                                                [](glm::vec2 a, glm::vec2 b) { return a.y < b.y; });
        EXPECT_EQ(minX->x, c.left);
        EXPECT_EQ(maxX->x, c.right);
        EXPECT_EQ(minY->y, c.bottom);
        EXPECT_EQ(maxY->y, c.top);
        for (size_t i = 0; i < n; ++i) {
            float cellLeft = static_cast<float>(c.x + static_cast<int>(i) * c.size);
            for (size_t k = 0; k < 6; ++k) {
                float x = buffers.positions[6 * i + k].x;
                EXPECT_TRUE(x == cellLeft || x == cellLeft + static_cast<float>(c.size)) << "character " << i;
            }
        }
    }
    glDeleteQueries(1, &query);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(HUDGL, CleanupDeletesTheFontAndBothTextBuffers)
{
    auto hud = makeHUD(solidGlyphFont(64));
    hud->printText("AB", 100, 200, 10, glm::vec3(1.0f));
    GLint font = 0;
    glGetUniformiv(hud->shader->getID(), hud->shader->getUniformLocation("myTextureSampler"), &font);
    GLint buffers[2] = {};
    glBindVertexArray(hud->vertexArray);
    for (GLuint attribute = 0; attribute < 2; ++attribute) {
        glGetVertexAttribiv(attribute, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffers[attribute]);
    }
    glBindVertexArray(0);
    ASSERT_TRUE(glIsTexture(static_cast<GLuint>(font)));
    ASSERT_NE(buffers[0], buffers[1]);

    hud->cleanup();
    EXPECT_FALSE(glIsTexture(static_cast<GLuint>(font)));
    for (GLint buffer : buffers) {
        EXPECT_FALSE(glIsBuffer(static_cast<GLuint>(buffer))) << "buffer " << buffer;
    }
    EXPECT_TRUE(glIsVertexArray(hud->vertexArray)) << "the vertex array is the HUD's own, not shared";
}

TEST_F(HUDGL, GlyphTopSamplesTheCellsFirstRowOfTexels)
{
    auto hud = makeHUD(solidGlyphFont(64));
    hud->printText("AB", 100, 200, 10, glm::vec3(1.0f));
    TextBuffers buffers = readTextBuffers(hud->vertexArray);
    ASSERT_EQ(buffers.positions.size(), 12u);

    struct Cell {
        float left, uLeft, uRight;
    };
    const Cell cells[] = {{100, 0.0625f, 0.125f}, {110, 0.125f, 0.1875f}};  // 'A' = 65, 'B' = 66, row 4
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        for (size_t k = 0; k < 6; ++k) {
            glm::vec2 p = buffers.positions[6 * i + k];
            glm::vec2 uv = buffers.uvs[6 * i + k];
            EXPECT_EQ(uv.x, p.x == cells[i].left ? cells[i].uLeft : cells[i].uRight);
            EXPECT_EQ(uv.y, p.y == 210.0f ? 0.25f : 0.3125f);
            EXPECT_TRUE(p.y == 200.0f || p.y == 210.0f);
        }
    }
}

// An 800 x 600 colour target with a depth buffer, standing in for the window.
class OffscreenTarget {
public:
    OffscreenTarget()
    {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 800, 600);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 800, 600);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, 800, 600);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    ~OffscreenTarget()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, renderbuffers);
        glDeleteFramebuffers(1, &framebuffer);
    }

    // RGB of the pixel at (x, y), (0, 0) being the bottom left.
    glm::ivec3 pixel(int x, int y) const
    {
        unsigned char rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

private:
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {};
};

TEST_F(HUDGL, TextShowsGlyphsInItsColourWhereTheFontIsOpaqueAndNothingElse)
{
    auto hud = makeHUD(solidGlyphFont(64));
    OffscreenTarget target;
    hud->printText("THE END!", 210, 400, 50, glm::vec3(1, 0, 0));

    const glm::ivec3 red(255, 0, 0), black(0, 0, 0);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(target.pixel(235 + 50 * i, 425), i == 3 ? black : red) << "the space's cell is transparent";
    }
    struct Point {
        int x, y;
    };
    const Point outside[] = {{205, 425}, {615, 425}, {400, 395}, {400, 455}, {10, 10}, {790, 590}};
    for (const Point& p : outside) {
        EXPECT_EQ(target.pixel(p.x, p.y), black) << p.x << ", " << p.y;
    }
}

class EndScreenGL : public GLTest {
protected:
    TempDir dir;
};

TEST_F(EndScreenGL, DrawTextCutsLongTextsAt255Characters)
{
    struct Case {
        size_t length;
        size_t drawn;
    };
    const Case cases[] = {{10, 10}, {255, 255}, {256, 255}, {1000, 255}};
    auto world = endScreenWorld(dir);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        world->drawText(std::string(c.length, 'W'), 2, 4, 0, glm::vec3(1.0f));
        TextBuffers buffers = readTextBuffers(world->hud->vertexArray);
        ASSERT_EQ(buffers.positions.size(), 6 * c.drawn);
        EXPECT_EQ(buffers.positions.front(), glm::vec2(10.0f, 374.0f));
        EXPECT_EQ(buffers.positions.back(), glm::vec2(10.0f + 4.0f * static_cast<float>(c.drawn - 1), 370.0f));
    }
}

TEST_F(EndScreenGL, ClosingScreenShowsItsThreeLinesOnBlack)
{
    auto world = endScreenWorld(dir);
    OffscreenTarget target;
    world->renderEndScreen();

    const glm::ivec3 red(255, 0, 0), white(255, 255, 255), black(0, 0, 0);
    struct Probe {
        const char* what;
        int x, y;
        glm::ivec3 expected;
    };
    const Probe probes[] = {
        {"T of THE END!", 235, 425, red},
        {"! of THE END!", 585, 425, red},
        {"P of POWERED BY", 320, 335, white},
        {"Y of POWERED BY", 500, 335, white},
        {"first letter of the authors' line", 117, 287, white},
        {"last letter of the authors' line", 687, 287, white},
        {"left of THE END!", 205, 425, black},
        {"right of THE END!", 615, 425, black},
        {"between the first two lines", 400, 370, black},
        {"right of POWERED BY", 515, 335, black},
        {"between the last two lines", 400, 310, black},
        {"left of the authors' line", 105, 287, black},
        {"right of the authors' line", 700, 287, black},
        {"below the authors' line", 400, 275, black},
        {"above THE END!", 400, 455, black},
        {"bottom left corner", 2, 2, black},
        {"top right corner", 797, 597, black},
    };
    for (const Probe& probe : probes) {
        EXPECT_EQ(target.pixel(probe.x, probe.y), probe.expected) << probe.what;
    }
}

TEST_F(EndScreenGL, AuthorsLineIsThirtyNineCapitalsWide)
{
    auto world = endScreenWorld(dir);
    world->renderEndScreen();
    TextBuffers buffers = readTextBuffers(world->hud->vertexArray);
    ASSERT_EQ(buffers.positions.size(), 6u * 39u);
    EXPECT_EQ(buffers.positions.front(), glm::vec2(110.0f, 295.0f));
    EXPECT_EQ(buffers.positions.back(), glm::vec2(110.0f + 15.0f * 38.0f, 280.0f));
    for (size_t i = 0; i < buffers.uvs.size(); i += 6) {
        // Capitals and punctuation live in rows 2 to 5 of the grid, lower case in rows 6 and 7.
        EXPECT_LT(buffers.uvs[i].y, 6.0f / 16.0f) << "character " << i / 6;
    }
}

TEST_F(EndScreenGL, TheRunsOwnFontDrawsEachLineInsideItsBoxAndInItsColour)
{
    std::ifstream in(VELMORRA_BINARY_DIR "/Resources/textures/Zaravoda.DDS", std::ios::binary);
    ASSERT_TRUE(in.is_open()) << "the build generates the font";
    std::stringstream font;
    font << in.rdbuf();
    auto world = endScreenWorld(dir, font.str());
    OffscreenTarget target;
    world->renderEndScreen();
    std::vector<unsigned char> rgba(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

    struct Box {
        const char* text;
        int left, right, bottom, top;
        glm::ivec3 color;
        int lit = 0;
    };
    Box boxes[] = {
        {"THE END!", 210, 610, 400, 450, {255, 0, 0}},
        {"POWERED BY", 310, 510, 325, 345, {255, 255, 255}},
        {"authors", 110, 695, 280, 295, {255, 255, 255}},
    };
    int stray = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const unsigned char* p = &rgba[(static_cast<size_t>(y) * 800 + static_cast<size_t>(x)) * 4];
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) {
                continue;
            }
            Box* inside = nullptr;
            for (Box& box : boxes) {
                if (x >= box.left && x < box.right && y >= box.bottom && y < box.top) {
                    inside = &box;
                }
            }
            if (inside == nullptr) {
                ++stray;
                continue;
            }
            // Anti-aliased edges blend towards black, never towards another colour.
            const glm::ivec3 c(p[0], p[1], p[2]);
            EXPECT_TRUE(c == inside->color * c.r / 255) << inside->text << " at " << x << ", " << y;
            inside->lit += c.r == 255 ? 1 : 0;
        }
    }
    EXPECT_EQ(stray, 0);
    // Upright: the bar of the first letter, the T in x 210 to 260, is in the upper half of its cell.
    int upper = 0, lower = 0;
    for (int y = 400; y < 450; ++y) {
        for (int x = 210; x < 260; ++x) {
            (y >= 425 ? upper : lower) += rgba[(static_cast<size_t>(y) * 800 + static_cast<size_t>(x)) * 4] > 127;
        }
    }
    EXPECT_GT(upper, lower * 3 / 2) << "the T stands on its head";
    for (const Box& box : boxes) {
        const int area = (box.right - box.left) * (box.top - box.bottom);
        EXPECT_GT(box.lit, area / 50) << box.text << ": too few glyph pixels";
        EXPECT_LT(box.lit, area / 2) << box.text << ": the cells are filled, not drawn as glyphs";
    }
}

// The loop's own closing branch, on the run's window: past 130 it clears and shows the closing
// screen on every due frame, and the clock stays where it is.
TEST(EndScreenLoop, PastTheTimelineEveryDueFrameShowsTheClosingScreen)
{
    TempDir dir;
    GameLoop loop;
    loop.window = std::make_shared<DemoWindow>(800, 600, "closing screen test");
    ASSERT_TRUE(loop.window->hasContext());
    GLErrorWatch watch;
    watch.install();
    {
        loop.world = endScreenWorld(dir);
        OffscreenTarget target;
        glEnable(GL_DEPTH_TEST);
        loop.time = 130.09923f;
        for (int frame = 0; frame < 3; ++frame) {
            glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            loop.dueFrame();
            EXPECT_EQ(target.pixel(235, 425), glm::ivec3(255, 0, 0)) << "frame " << frame;
            EXPECT_EQ(target.pixel(320, 335), glm::ivec3(255, 255, 255)) << "frame " << frame;
            EXPECT_EQ(target.pixel(400, 370), glm::ivec3(0, 0, 0)) << "frame " << frame;
            // Paint the target: the next due frame must clear it again.
            glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        EXPECT_FLOAT_EQ(loop.time, 130.09923f);
        loop.world.reset();
    }
    glFinish();
    EXPECT_TRUE(watch.errors().empty()) << watch.errors().front();
}

}
