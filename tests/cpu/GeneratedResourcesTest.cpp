#include "app/Geometry.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kResources = fs::path(VELMORRA_BINARY_DIR) / "Resources";

const char* const kGeneratedFiles[] = {
    "textures/glacier2.png",  "textures/DisplacementMap.png", "textures/background.png", "textures/Zaravoda.DDS",
    "models/player.obj",      "models/RockCluster.obj",       "models/TestSkier.obj",
};

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string quoted(const std::string& s)
{
    return "'" + s + "'";
}

std::string generatorCommand(const std::string& arguments)
{
    return quoted(VELMORRA_GENERATOR) + " " + arguments;
}

TEST(Generator, WritesTheSameBytesOnEveryRun)
{
    TempDir dir;
    const fs::path out = dir.path() / "Resources";
    ProcessResult run = runShell(generatorCommand(quoted(out.string()) + " " + quoted(VELMORRA_FONT_FILE)));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "");
    for (const char* file : kGeneratedFiles) {
        const std::string built = readFile(kResources / file);
        ASSERT_FALSE(built.empty()) << file << " missing from the build's Resources";
        EXPECT_TRUE(readFile(out / file) == built) << file << " differs between two runs";
    }
}

struct FailureCase {
    const char* name;
    // Arguments, with "@" standing for the test's temporary folder.
    const char* arguments;
    int exitCode;
    const char* message;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string expand(std::string text, const std::string& folder)
{
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size())) {
        text.replace(at, 1, folder);
    }
    return text;
}

class GeneratorFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(GeneratorFailure, ReportsWhatIsWrongAndFails)
{
    const FailureCase& c = GetParam();
    TempDir dir;
    dir.write("occupied", "a file where a folder should go\n");
    // A TrueType signature promising 16 tables, and nothing after it.
    dir.write("cut.ttf", std::string("\0\1\0\0\0\x10\0\0\0\0\0\0", 12));
    ProcessResult run = runShell(generatorCommand(expand(c.arguments, dir.path().string())));
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_NE(run.output.find(expand(c.message, dir.path().string())), std::string::npos) << run.output;
}

const FailureCase kFailures[] = {
    {"NoArguments", "", 2, "usage: "},
    {"OneArgument", "@/Resources", 2, "usage: "},
    {"MissingFont", "@/Resources @/none.ttf", 1, "cannot read the font @/none.ttf"},
    {"FontIsNotTrueType", "@/Resources @/occupied", 1, "cannot read the font @/occupied"},
    {"FontCutShort", "@/Resources @/cut.ttf", 1, "cannot read the font @/cut.ttf"},
    {"OutputBelowAFile", "@/occupied/Resources " VELMORRA_FONT_FILE, 1, "generate_resources: "},
};

INSTANTIATE_TEST_SUITE_P(Cases, GeneratorFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

struct Picture {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<unsigned char> pixels;

    explicit Picture(const fs::path& file)
    {
        unsigned char* data = stbi_load(file.c_str(), &width, &height, &channels, 0);
        if (data != nullptr) {
            pixels.assign(data, data + static_cast<size_t>(width) * height * channels);
            stbi_image_free(data);
        }
    }

    int at(int x, int y, int c) const { return pixels[(static_cast<size_t>(y) * width + x) * channels + c]; }

    // Summed over the channels, the difference between two texels.
    int step(int x0, int y0, int x1, int y1) const
    {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum += std::abs(at(x0, y0, c) - at(x1, y1, c));
        }
        return sum;
    }
};

// The mean difference between neighbouring columns (or rows) inside a picture, and between its
// last and its first, which GL_REPEAT's filter blends where the texture wraps.
struct Wrap {
    double inside = 0.0;
    double seam = 0.0;
};

Wrap wrapAcross(const Picture& p, bool columns)
{
    const int along = columns ? p.width : p.height;
    const int across = columns ? p.height : p.width;
    auto step = [&](int a0, int a1, int b) { return columns ? p.step(a0, b, a1, b) : p.step(b, a0, b, a1); };
    Wrap w;
    for (int b = 0; b < across; ++b) {
        for (int a = 0; a + 1 < along; ++a) {
            w.inside += step(a, a + 1, b);
        }
        w.seam += step(along - 1, 0, b);
    }
    w.inside /= static_cast<double>(across) * (along - 1);
    w.seam /= across;
    return w;
}

class TiledTexture : public ::testing::TestWithParam<const char*> {};

// Repeated across the slope, the last column must lead into the first as smoothly as any
// column leads into the next, and the same for the rows.
TEST_P(TiledTexture, WrapsWithoutASeam)
{
    const Picture p(kResources / "textures" / GetParam());
    ASSERT_FALSE(p.pixels.empty()) << stbi_failure_reason();
    EXPECT_GE(p.channels, 3) << "the texture loader refuses grey images";

    const Wrap columns = wrapAcross(p, true);
    EXPECT_LE(columns.seam, 2.0 * columns.inside + 1.0)
        << "columns: inside " << columns.inside << ", across the edge " << columns.seam;
    const Wrap rows = wrapAcross(p, false);
    EXPECT_LE(rows.seam, 2.0 * rows.inside + 1.0) << "rows: inside " << rows.inside << ", across the edge " << rows.seam;
}

// The slope shader reads the height's slope from green and blue instead of differencing the
// heights: decoded, they must follow the red heights' own slope, with u along the columns and v up
// the rows (the loader turns the picture upside down).
TEST(DisplacementMap, GreenAndBlueHoldTheSlopeOfTheRedHeights)
{
    const Picture p(kResources / "textures" / "DisplacementMap.png");
    ASSERT_FALSE(p.pixels.empty()) << stbi_failure_reason();
    ASSERT_EQ(p.channels, 3);
    auto decode = [](int value) {
        const float t = static_cast<float>(value) / 127.5f - 1.0f;
        return std::copysign(t * t * 64.0f, t);
    };
    auto height = [&](int x, int y) {
        return static_cast<float>(p.at((x + p.width) % p.width, (y + p.height) % p.height, 0)) / 255.0f;
    };
    int steep = 0;
    int agreeing = 0;
    double error = 0.0;
    double size = 0.0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const float du = (height(x + 1, y) - height(x - 1, y)) * 0.5f * static_cast<float>(p.width);
            const float dv = (height(x, y - 1) - height(x, y + 1)) * 0.5f * static_cast<float>(p.height);
            const float su = decode(p.at(x, y, 1));
            const float sv = decode(p.at(x, y, 2));
            for (auto [fromHeights, stored] : {std::pair{du, su}, std::pair{dv, sv}}) {
                if (std::abs(fromHeights) > 8.0f && std::abs(fromHeights) < 60.0f) {
                    ++steep;
                    agreeing += (fromHeights > 0.0f) == (stored > 0.0f);
                    error += std::abs(stored - fromHeights);
                    size += std::abs(fromHeights);
                }
            }
        }
    }
    ASSERT_GT(steep, 1000);
    EXPECT_GT(agreeing, steep * 99 / 100);
    // The heights are cut to 8 bits, the stored slopes come from the unrounded ones.
    EXPECT_LT(error / size, 0.15);
}

INSTANTIATE_TEST_SUITE_P(Slope, TiledTexture, ::testing::Values("glacier2.png", "DisplacementMap.png"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(Backdrop, ShowsSkyAtTheTopOfTheWallsAndSnowBelowEyeHeight)
{
    const Picture p(kResources / "textures/background.png");
    ASSERT_FALSE(p.pixels.empty()) << stbi_failure_reason();
    ASSERT_GE(p.channels, 3);
    // The loader flips the file, so its first row is the top of each wall. The walls span
    // heights -3100 to 3300 and the camera stands about 100 above the ground: eye height is
    // the middle of the picture, and the top quarter is sky and cloud: blue over all, and
    // nowhere redder than it is blue.
    double blueness = 0.0;
    for (int y = 0; y < p.height / 4; ++y) {
        for (int x = 0; x < p.width; ++x) {
            ASSERT_GE(p.at(x, y, 2), p.at(x, y, 0)) << "sky at (" << x << ", " << y << ")";
            blueness += p.at(x, y, 2) - p.at(x, y, 0);
        }
    }
    EXPECT_GT(blueness / (p.width * (p.height / 4)), 60.0);
    for (int y = p.height * 53 / 100; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                ASSERT_GT(p.at(x, y, c), 170) << "snow at (" << x << ", " << y << ")";
            }
        }
    }
}

// Each corner of the backdrop joins an edge of the picture with the same edge, and the linear
// filter blends there with the opposite edge across the wrap: both edges must hold one scene,
// or a thin line shows at every corner along the mountains.
TEST(Backdrop, EdgeColumnsAgreeAcrossTheWrap)
{
    const Picture p(kResources / "textures/background.png");
    ASSERT_FALSE(p.pixels.empty()) << stbi_failure_reason();

    const Wrap columns = wrapAcross(p, true);
    EXPECT_LE(columns.seam, columns.inside) << "inside " << columns.inside << ", across the edge " << columns.seam;
    int worst = 0;
    for (int y = 0; y < p.height; ++y) {
        worst = std::max(worst, p.step(p.width - 1, y, 0, y));
    }
    EXPECT_LE(worst, 3 * 32) << "largest difference between the edge columns, over three channels";
}

uint32_t little32(const std::string& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

TEST(FontFile, HeaderAndLevelsAreWhatTheHudReads)
{
    const std::string file = readFile(kResources / "textures/Zaravoda.DDS");
    ASSERT_GE(file.size(), 128u);
    EXPECT_EQ(file.substr(0, 4), "DDS ");
    EXPECT_EQ(little32(file, 4), 124u) << "header size";
    const uint32_t side = little32(file, 16);
    EXPECT_EQ(little32(file, 12), side) << "height and width of a square grid";
    // 16 cells a side, each at least the 62 pixels of the closing screen's largest line.
    EXPECT_GE(side / 16, 62u);
    ASSERT_EQ(side & (side - 1), 0u) << "a power of two halves evenly down to one texel";
    EXPECT_EQ(file.substr(84, 4), "DXT5");
    // From the side down to 1 in DXT5; levels below a block still take one block.
    size_t data = 0;
    uint32_t levels = 0;
    for (uint32_t s = side; s >= 1; s /= 2, ++levels) {
        const size_t blocks = std::max<size_t>(s / 4, 1);
        data += blocks * blocks * 16;
        if (levels == 0) {
            EXPECT_EQ(little32(file, 20), data) << "linear size of level 0";
        }
    }
    EXPECT_EQ(little32(file, 28), levels) << "mip-map count";
    EXPECT_EQ(file.size(), 128 + data);
    // The HUD reads twice the linear size; the whole chain must lie within it.
    EXPECT_LE(data, 2 * size_t{little32(file, 20)});
}

struct ModelCase {
    const char* path;
    float minHeight;
    float maxHeight;
    bool skier; // stands on skis along z, y its tallest extent
};

void PrintTo(const ModelCase& c, std::ostream* os)
{
    *os << c.path;
}

class GeneratedModel : public ::testing::TestWithParam<ModelCase> {
protected:
    void SetUp() override { fs::create_directory_symlink(kResources, dir.path() / "Resources"); }

    TempDir dir;
};

TEST_P(GeneratedModel, LoadsAsWholeTrianglesAboutTheOrigin)
{
    const ModelCase& c = GetParam();
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    glm::vec3 extents(0.0f);
    testing::internal::CaptureStderr();
    Geometry::loadObj(c.path, vertices, indices, extents);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    ASSERT_FALSE(vertices.empty());
    EXPECT_EQ(vertices.size(), indices.size());
    EXPECT_EQ(vertices.size() % 3, 0u);
    EXPECT_LT(vertices.size(), 65536u) << "one 16-bit index per vertex";
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_GT(extents[axis], 0.0f) << "axis " << axis;
    }
    EXPECT_GE(extents.y, c.minHeight);
    EXPECT_LE(extents.y, c.maxHeight);

    // Centred on its origin, so the physics box, which is centred on the origin, fits the mesh
    // and the extents (which always take in the origin) are its true size.
    glm::vec3 low(INFINITY), high(-INFINITY);
    for (const Vertex& v : vertices) {
        low = glm::min(low, v.position);
        high = glm::max(high, v.position);
    }
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(low[axis] + high[axis], 0.0f, 0.01f * extents[axis]) << "axis " << axis;
        EXPECT_NEAR(high[axis] - low[axis], extents[axis], 1e-4f) << "axis " << axis;
    }

    for (size_t i = 0; i < vertices.size(); i += 3) {
        const glm::vec3 face = glm::cross(vertices[i + 1].position - vertices[i].position,
                                          vertices[i + 2].position - vertices[i].position);
        ASSERT_GT(glm::length(face), 1e-9f) << "degenerate triangle " << i / 3;
        // Counter-clockwise seen from outside: the corners' normals lean the face's way.
        const glm::vec3 normals = vertices[i].normal + vertices[i + 1].normal + vertices[i + 2].normal;
        ASSERT_GT(glm::dot(face, normals), 0.0f) << "triangle " << i / 3 << " wound against its normals";
        for (size_t k = i; k < i + 3; ++k) {
            ASSERT_NEAR(glm::length(vertices[k].normal), 1.0f, 1e-3f) << "vertex " << k;
            ASSERT_NE(indices[k], 0) << "position numbers count from 1";
        }
    }

    if (c.skier) {
        EXPECT_GT(extents.y, extents.z);
        EXPECT_GT(extents.z, extents.x) << "the skis run along z";
    }
}

const ModelCase kModels[] = {
    // The player's controller needs a height of at least its step offset, 0.75.
    {"/models/player.obj", 0.75f, 2.0f, false},
    {"/models/TestSkier.obj", 1.7f, 1.9f, true},
    {"/models/RockCluster.obj", 0.3f, 5.0f, false},
};

INSTANTIATE_TEST_SUITE_P(Models, GeneratedModel, ::testing::ValuesIn(kModels), [](const auto& info) {
    std::string name = fs::path(info.param.path).stem().string();
    return name;
});

TEST(GeneratedModels, FillTheModelTableWithoutAMessage)
{
    TempDir dir;
    fs::create_directory_symlink(kResources, dir.path() / "Resources");
    testing::internal::CaptureStderr();
    Geometry table;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (const MeshData* mesh : {&table.player, &table.rock, &table.skier}) {
        EXPECT_FALSE(mesh->vertices.empty());
        EXPECT_GT(mesh->extents.x * mesh->extents.y * mesh->extents.z, 0.0f) << "the spawners divide by the volume";
    }
}

} // namespace
