#include "app/Globals.h"
#include "app/Texture.h"
#include "app/TextureLoader.h"
#include "effects/HUD.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kResources = fs::path(VELMORRA_BINARY_DIR) / "Resources";

GLint levelParameter(GLint level, GLenum name)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

class GeneratedTextures : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        textureMap.clear();
        fs::create_directory_symlink(kResources, dir.path() / "Resources");
    }

    void TearDown() override
    {
        textureMap.clear();
        GLTest::TearDown();
    }

    TempDir dir;
};

TEST_F(GeneratedTextures, EveryPictureRegistersWithTheFormatOfItsFile)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadTextures(), 0);
    std::fflush(stdout);
    const std::string out = testing::internal::GetCapturedStdout();

    std::vector<std::string> names;
    for (const auto& [name, texture] : textureMap) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"DisplacementMap.png", "background.png", "glacier2.png"}));
    for (const std::string& name : names) {
        EXPECT_NE(out.find("\nloaded texture " + name), std::string::npos) << out;

        int width = 0, height = 0, channels = 0;
        ASSERT_TRUE(stbi_info((kResources / "textures" / name).c_str(), &width, &height, &channels)) << name;
        ASSERT_GE(channels, 3) << name;
        glBindTexture(GL_TEXTURE_2D, textureMap.at(name)->id);
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), channels == 4 ? GL_RGBA : GL_RGB) << name;
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), width) << name;
        EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), height) << name;
    }
    // The font lies in the same folder; stb_image cannot decode DDS, so the loader passes it by.
    size_t failures = 0;
    for (size_t at = out.find("Failed to load texture"); at != std::string::npos;
         at = out.find("Failed to load texture", at + 1)) {
        ++failures;
    }
    EXPECT_EQ(failures, 1u) << out;
}

// The font as the HUD loads it, decoded back by the driver: row 0 of a level is v = 0.
class GeneratedFont : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        texture = HUD::loadDDS((kResources / "textures/Zaravoda.DDS").c_str());
        ASSERT_NE(texture, 0u);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        atlasSide = levelParameter(0, GL_TEXTURE_WIDTH);
        for (int s = atlasSide; s > 1; s /= 2) {
            ++levels;
        }
    }

    void TearDown() override
    {
        glDeleteTextures(1, &texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        GLTest::TearDown();
    }

    // One level decoded, with the side of its glyph cells.
    struct Level {
        std::vector<unsigned char> rgba;
        int side = 0;
        int cell = 0;

        // Alpha of texel (x, y) of the glyph cell of `code`.
        unsigned char alpha(int code, int x, int y) const { return rgba[texel(code, x, y) + 3]; }
        size_t texel(int code, int x, int y) const
        {
            return ((static_cast<size_t>(code / 16) * cell + y) * side + (code % 16) * cell + x) * 4;
        }
    };

    Level decode(GLint level) const
    {
        Level out;
        out.side = levelParameter(level, GL_TEXTURE_WIDTH);
        out.cell = out.side / 16;
        out.rgba.resize(static_cast<size_t>(out.side) * out.side * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.rgba.data());
        return out;
    }

    GLuint texture = 0;
    GLint atlasSide = 0; // of level 0
    GLint levels = 1;    // in a full chain down to one texel
};

TEST_F(GeneratedFont, UploadsAFullDxt5ChainOfTheHudsSizes)
{
    // The closing screen's 50-unit line covers 62 pixels a glyph in a 1000-pixel-wide window: a
    // smaller cell would be magnified into blur.
    EXPECT_GE(atlasSide / 16, 62);
    EXPECT_EQ(atlasSide & (atlasSide - 1), 0) << "a power of two halves evenly down to one texel";
    for (GLint level = 0; level < levels; ++level) {
        const GLint levelSide = std::max(atlasSide >> level, 1);
        const GLint blocks = std::max(levelSide / 4, 1);
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_WIDTH), levelSide) << "level " << level;
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_HEIGHT), levelSide) << "level " << level;
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_INTERNAL_FORMAT), GL_COMPRESSED_RGBA_S3TC_DXT5_EXT)
            << "level " << level;
        EXPECT_EQ(levelParameter(level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE), blocks * blocks * 16) << "level " << level;
    }
    EXPECT_EQ(levelParameter(levels, GL_TEXTURE_WIDTH), 0) << "nothing past the one-texel level";
}

TEST_F(GeneratedFont, EveryLevelKeepsTheCoverageOfTheFirst)
{
    // Each level averages the one above it, so the mean coverage holds down to the last texel;
    // a level left empty or copied unfiltered would change it.
    double first = 0.0;
    for (GLint level = 0; level < levels; ++level) {
        const std::vector<unsigned char> rgba = decode(level).rgba;
        double mean = 0.0;
        for (size_t i = 3; i < rgba.size(); i += 4) {
            mean += rgba[i];
        }
        mean /= static_cast<double>(rgba.size() / 4);
        if (level == 0) {
            first = mean;
            EXPECT_GT(first, 5.0);
        }
        EXPECT_NEAR(mean, first, 3.0) << "level " << level;
    }
}

// Down to cells of 4 texels, one DXT block each: small text samples these levels, so every glyph
// must keep its ink and stay inside its own cell.
TEST_F(GeneratedFont, PrintableGlyphsAreWhiteAndEveryOtherCellEmptyDownToBlockSizedCells)
{
    for (GLint level = 0; atlasSide >> level >= 16 * 4; ++level) {
        const Level texels = decode(level);
        // A glyph has a few texels of ink in cells of 16 or more, at least one in smaller ones.
        const int least = texels.cell >= 16 ? 3 : 0;
        for (int code = 0; code < 256; ++code) {
            int covered = 0;
            for (int y = 0; y < texels.cell; ++y) {
                for (int x = 0; x < texels.cell; ++x) {
                    const size_t t = texels.texel(code, x, y);
                    if (texels.rgba[t + 3] > 0) {
                        ++covered;
                        ASSERT_EQ(texels.rgba[t] & texels.rgba[t + 1] & texels.rgba[t + 2], 255)
                            << "glyph " << code << " is not white on level " << level;
                    }
                }
            }
            if (code > 32 && code < 127) {
                EXPECT_GT(covered, least) << "glyph " << code << " '" << static_cast<char>(code) << "' on level "
                                          << level;
            } else {
                EXPECT_EQ(covered, 0) << "cell " << code << " on level " << level;
            }
        }
    }
}

enum class Side { Top, Bottom, Left, Right };

struct GlyphCase {
    char glyph;
    Side heavier; // where it has more ink, as it stands upright on the screen
};

void PrintTo(const GlyphCase& c, std::ostream* os)
{
    *os << "'" << c.glyph << "'";
}

class GlyphOrientation : public GeneratedFont, public ::testing::WithParamInterface<GlyphCase> {};

// The HUD draws a glyph's top edge from v = row / 16 and its bottom edge from v + 1/16, left
// edge from u = column / 16: so within a cell, texel rows of smaller v are the top of the glyph.
TEST_P(GlyphOrientation, StandsUprightAsTheHudSamplesIt)
{
    const GlyphCase& c = GetParam();
    const Level texels = decode(0);
    const int code = static_cast<unsigned char>(c.glyph);
    const int middle = texels.cell / 2;
    long half[4] = {0, 0, 0, 0};
    for (int y = 0; y < texels.cell; ++y) {
        for (int x = 0; x < texels.cell; ++x) {
            const unsigned char a = texels.alpha(code, x, y);
            half[y < middle ? 0 : 1] += a;
            half[x < middle ? 2 : 3] += a;
        }
    }
    const int side = static_cast<int>(c.heavier);
    const int opposite = side ^ 1;
    EXPECT_GT(half[side], half[opposite] + half[opposite] / 2)
        << "top " << half[0] << ", bottom " << half[1] << ", left " << half[2] << ", right " << half[3];
}

const GlyphCase kGlyphs[] = {
    {'T', Side::Top},    {'^', Side::Top},    {'"', Side::Top},     {'7', Side::Top},
    {'_', Side::Bottom}, {'.', Side::Bottom}, {'L', Side::Bottom},  {'L', Side::Left},
    {'F', Side::Left},   {'`', Side::Top},    {'[', Side::Left},    {']', Side::Right},
};

INSTANTIATE_TEST_SUITE_P(Glyphs, GlyphOrientation, ::testing::ValuesIn(kGlyphs));

} // namespace
