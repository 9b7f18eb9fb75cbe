#include "app/Globals.h"
#include "app/Texture.h"
#include "app/TextureLoader.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/JpegFile.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {

// A picture stored top row first, as image files hold it; every byte differs from its neighbours.
std::vector<unsigned char> picture(int width, int height, int channels)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width * height * channels));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    return pixels;
}

void writePng(const std::filesystem::path& file, int width, int height, int channels)
{
    std::vector<unsigned char> pixels = picture(width, height, channels);
    ASSERT_NE(stbi_write_png(file.c_str(), width, height, channels, pixels.data(), width * channels), 0);
}

// Oversized: an RGB picture one texel wider than the context's maximum texture size.
// OverfullJpeg: a JPEG whose Huffman table claims more codes than stb_image's tables hold.
// PngWithoutEnd: an RGB PNG without its IEND chunk. PpmHeader: a PPM header of 64 x 64 texels, without them.
enum class Entry { Png, TextFile, Folder, Pipe, LinkToDevZero, Oversized, OverfullJpeg, PngWithoutEnd, PpmHeader };

struct TextureCase {
    const char* name;
    Entry kind;
    const char* file;
    int width;
    int height;
    int channels;
    bool loads;
    // How standard error goes on after the file's path, when it does not load.
    const char* reason;
};

void PrintTo(const TextureCase& c, std::ostream* os)
{
    *os << c.name;
}

GLint level0(GLenum parameter, GLint level = 0)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

GLint parameter(GLenum name)
{
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

class TextureFolder : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        textureMap.clear();
        std::filesystem::create_directories(dir.path() / "Resources/textures");
    }

    void TearDown() override
    {
        textureMap.clear();
        GLTest::TearDown();
    }

    std::filesystem::path folder() const { return dir.path() / "Resources/textures"; }

    std::string load()
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        result = loadTextures();
        std::fflush(stdout);
        err = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }

    std::string directoryLine() const { return "The current working directory is " + dir.path().string(); }

    TempDir dir;
    int result = -1;
    std::string err;
};

GLint maxTextureSize()
{
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

class TextureEntry : public TextureFolder, public ::testing::WithParamInterface<TextureCase> {};

TEST_P(TextureEntry, LoadsRgbAndRgbaAndRefusesTheRest)
{
    const TextureCase& c = GetParam();
    std::filesystem::path file = folder() / c.file;
    const std::string relative = std::string("Resources/textures/") + c.file;
    std::string reason = c.reason;
    switch (c.kind) {
    case Entry::Png: writePng(file, c.width, c.height, c.channels); break;
    case Entry::TextFile: dir.write(relative, "not an image\n"); break;
    case Entry::OverfullJpeg: dir.write(relative, overfullHuffmanJpeg()); break;
    case Entry::PngWithoutEnd:
        writePng(file, 4, 4, 3);
        std::filesystem::resize_file(file, std::filesystem::file_size(file) - 12);
        break;
    case Entry::PpmHeader: dir.write(relative, "P6\n64 64\n255\n"); break;
    case Entry::Folder: dir.place(relative, TempDir::NotAFile::Directory); break;
    case Entry::Pipe: dir.place(relative, TempDir::NotAFile::Pipe); break;
    case Entry::LinkToDevZero: dir.place(relative, TempDir::NotAFile::LinkToDevZero); break;
    case Entry::Oversized:
        writePng(file, maxTextureSize() + 1, 1, 3);
        reason = "is " + std::to_string(maxTextureSize() + 1) + " x 1, more than the context's maximum texture size of " +
                 std::to_string(maxTextureSize());
        break;
    }

    std::string out = load();

    EXPECT_EQ(result, 0);
    // Every entry gets a texture name with its parameters, loaded or not; the last stays bound.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    ASSERT_NE(bound, 0);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    if (!c.loads) {
        EXPECT_EQ(out, directoryLine() + "\nFailed to load texture\n");
        // The line above is the loader's own; which file it was and why come on standard error.
        EXPECT_EQ(err, file.string() + " " + reason + "\n");
        EXPECT_TRUE(textureMap.empty());
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 0) << "nothing may be uploaded";
        return;
    }
    EXPECT_EQ(out, directoryLine() + "\nloaded texture " + c.file);
    EXPECT_EQ(err, "");
    ASSERT_EQ(textureMap.size(), 1u);
    const Texture& texture = *textureMap.at(c.file);
    EXPECT_EQ(texture.name, c.file);
    EXPECT_EQ(static_cast<GLint>(texture.id), bound);

    GLenum format = c.channels == 4 ? GL_RGBA : GL_RGB;
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), static_cast<GLint>(format));
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), c.width);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), c.height);
    EXPECT_EQ(level0(GL_TEXTURE_RED_SIZE), 8);
    EXPECT_EQ(level0(GL_TEXTURE_BLUE_SIZE), 8);
    EXPECT_EQ(level0(GL_TEXTURE_ALPHA_SIZE), c.channels == 4 ? 8 : 0);
    int levels = 1;
    while ((std::max(c.width, c.height) >> levels) > 0) {
        ++levels;
    }
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH, levels - 1), 1) << "full mipmap chain";
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT, levels - 1), 1) << "full mipmap chain";

    // The first row of the upload is the picture's bottom row.
    std::vector<unsigned char> expected = picture(c.width, c.height, c.channels);
    std::vector<unsigned char> texels(expected.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    size_t row = static_cast<size_t>(c.width * c.channels);
    for (int y = 0; y < c.height; ++y) {
        size_t from = static_cast<size_t>(c.height - 1 - y) * row;
        std::vector<unsigned char> want(expected.begin() + static_cast<long>(from),
                                        expected.begin() + static_cast<long>(from + row));
        std::vector<unsigned char> got(texels.begin() + static_cast<long>(y * row),
                                       texels.begin() + static_cast<long>((y + 1) * row));
        EXPECT_EQ(got, want) << "texture row " << y;
    }
}

const TextureCase kCases[] = {
    {"Rgb", Entry::Png, "glacier2.png", 8, 4, 3, true, ""},
    {"Rgba", Entry::Png, "Sky.Backdrop.PNG", 4, 8, 4, true, ""},
    // Rows of 15 bytes: OpenGL's default row alignment of 4 must not apply to the upload.
    {"RgbOddWidth", Entry::Png, "odd.png", 5, 3, 3, true, ""},
    {"Grey", Entry::Png, "grey.png", 4, 4, 1, false, "has 1 channel; a texture needs 3 or 4"},
    {"GreyAlpha", Entry::Png, "greyalpha.png", 4, 4, 2, false, "has 2 channels; a texture needs 3 or 4"},
    {"TextFile", Entry::TextFile, "notes.txt", 0, 0, 0, false, "cannot be decoded: unknown image type"},
    // stb_image would write past its tables; the file never reaches it.
    {"OverfullJpegTable", Entry::OverfullJpeg, "slope.jpg", 0, 0, 0, false,
     "has a JPEG Huffman table of 510 codes, more than 256"},
    // stb_image's own reason would be empty.
    {"PngWithoutItsEnd", Entry::PngWithoutEnd, "cut.png", 0, 0, 0, false,
     "cannot be decoded: the PNG ends before its IEND chunk"},
    // stb_image would make a texture of heap memory.
    {"PpmHeaderWithoutPixels", Entry::PpmHeader, "slope.ppm", 0, 0, 0, false,
     "has PNM pixels of 12288 bytes, more than the 0 left in the file"},
    {"Subfolder", Entry::Folder, "sub", 0, 0, 0, false, "is a directory"},
    // Opening a pipe to read waits for a writer: start-up would hang for ever.
    {"Pipe", Entry::Pipe, "pipe.png", 0, 0, 0, false, "is not a regular file"},
    {"LinkToDevZero", Entry::LinkToDevZero, "zero.png", 0, 0, 0, false, "is not a regular file"},
    // OpenGL would refuse the upload, and the texture be registered without an image.
    {"WiderThanTheContextTakes", Entry::Oversized, "wide.png", 0, 0, 0, false, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, TextureEntry, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextureFolder, EmptyFolderPrintsOnlyTheDirectoryLine)
{
    std::string out = load();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, directoryLine());
    EXPECT_TRUE(textureMap.empty());
}

TEST_F(TextureFolder, EachLoadedNameStandsOnItsOwnLineBesideFailures)
{
    writePng(folder() / "a.png", 2, 2, 3);
    writePng(folder() / "b.png", 2, 2, 4);
    writePng(folder() / "c.png", 2, 2, 1);

    std::string out = load();

    ASSERT_EQ(out.rfind(directoryLine() + "\n", 0), 0u) << out;
    std::vector<std::string> lines;
    std::istringstream rest(out.substr(directoryLine().size() + 1));
    for (std::string line; std::getline(rest, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"", "Failed to load texture", "loaded texture a.png",
                                               "loaded texture b.png"}))
        << out;
    ASSERT_EQ(textureMap.size(), 2u);
    EXPECT_NE(textureMap.at("a.png")->id, textureMap.at("b.png")->id);
}

TEST_F(TextureFolder, AnAlreadyRegisteredNameKeepsItsFirstTexture)
{
    auto first = std::make_shared<Texture>(Texture{"a.png", 0});
    textureMap.emplace("a.png", first);
    writePng(folder() / "a.png", 2, 2, 3);

    load();

    ASSERT_EQ(textureMap.size(), 1u);
    EXPECT_EQ(textureMap.at("a.png"), first);
}

TEST(ProgramProcess, MissingTexturesFolderEndsStartUpWithExitCodeOne)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Resources");
    std::filesystem::create_directory_symlink(VELMORRA_BINARY_DIR "/Resources/shader", dir.path() / "Resources/shader");

    ProcessResult run = runShell("exec timeout 60 " VELMORRA_EXECUTABLE);

    EXPECT_EQ(run.exitCode, 1) << run.output;
    std::string folder = dir.path().string() + "/Resources/textures";
    EXPECT_NE(run.output.find("\nERROR: cannot read the textures folder " + folder + ": No such file or directory\n"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("materials.dat"), std::string::npos) << "start-up must stop before the materials";
}

}
