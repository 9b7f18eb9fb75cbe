#include "app/Geometry.h"
#include "app/Globals.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace glm {
void PrintTo(const vec3& v, std::ostream* os)
{
    *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
}

namespace {

Vertex vertex(glm::vec3 position, glm::vec3 normal, glm::vec2 uv = glm::vec2(0.0f))
{
    return Vertex{position, normal, uv};
}

struct ObjCase {
    const char* name;
    std::string file;
    std::vector<uint16_t> indices;
    std::vector<Vertex> vertices;
    glm::vec3 extents;
    // Line numbers that must each be reported once on standard error as skipped.
    std::vector<int> skippedLines;
};

void PrintTo(const ObjCase& c, std::ostream* os)
{
    *os << c.name;
}

struct Loaded {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    glm::vec3 extents = glm::vec3(-7.0f);
    std::string err;
};

Loaded load(const std::string& path)
{
    Loaded result;
    testing::internal::CaptureStderr();
    Geometry::loadObj(path, result.vertices, result.indices, result.extents);
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

void expectVertices(const std::vector<Vertex>& actual, const std::vector<Vertex>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].position, expected[i].position) << "vertex " << i;
        EXPECT_EQ(actual[i].normal, expected[i].normal) << "vertex " << i;
        EXPECT_EQ(actual[i].uv, expected[i].uv) << "vertex " << i;
    }
}

// Four positions, two normals and three texture coordinates, used by the face cases below.
const char* kRecords = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
                       "vn 0 0 1\nvn 0 1 0\n"
                       "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\n";

std::string withRecords(const char* faces)
{
    return std::string(kRecords) + faces;
}

const glm::vec3 kUp(0.0f, 1.0f, 0.0f);
const glm::vec3 kZ(0.0f, 0.0f, 1.0f);

class ObjFile : public ::testing::TestWithParam<ObjCase> {};

TEST_P(ObjFile, ReadsTrianglesAndExtents)
{
    const ObjCase& c = GetParam();
    TempDir dir;
    dir.write("Resources/models/m.obj", c.file);

    Loaded run = load("/models/m.obj");

    EXPECT_EQ(run.indices, c.indices);
    expectVertices(run.vertices, c.vertices);
    EXPECT_EQ(run.extents, c.extents);
    std::vector<std::string> errLines = lines(run.err);
    ASSERT_EQ(errLines.size(), c.skippedLines.size()) << run.err;
    std::string prefix = dir.path().string() + "/Resources/models/m.obj:";
    for (size_t i = 0; i < errLines.size(); ++i) {
        EXPECT_EQ(errLines[i].rfind(prefix + std::to_string(c.skippedLines[i]) + ": skipped", 0), 0u)
            << errLines[i];
    }
}

const ObjCase kCases[] = {
    {"PositionNormalWithoutTexCoords", "v 1 0 0\nv 0 1 0\nv 0 0 1\nv 1 1 1\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n"
                                       "vn 0 0 -1\nf 1//1 2//2 3//3 4//4\n",
     {1, 2, 3},
     {vertex({1, 0, 0}, kZ), vertex({0, 1, 0}, kUp), vertex({0, 0, 1}, {1, 0, 0})},
     {1, 1, 1},
     {}},
    {"PositionTexCoordNormal",
     "v 0 0 0\nv 0 0 0\nv 0 0 0\nv 0 0 0\nv 1 2 3\nv 4 5 6\nv 7 8 9\n"
     "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\nvn 1 0 0\nvn 0 2 0\nf 5/1/2 6/2/2 7/3/2\n",
     {5, 6, 7},
     {vertex({1, 2, 3}, {0, 2, 0}, {0.1f, 0.2f}), vertex({4, 5, 6}, {0, 2, 0}, {0.3f, 0.4f}),
      vertex({7, 8, 9}, {0, 2, 0}, {0.5f, 0.6f})},
     {7, 8, 9},
     {}},
    {"ExtentsIncludeTheOrigin", "v 1 -2 -1\nv 3 -1 1\nv 2 -1.5 0\n", {}, {}, {3, 2, 2}, {}},
    {"AroundTheOriginTrueSize", "v -0.5 0 -0.25\nv 0.5 1.8 0.25\n", {}, {}, {1, 1.8f, 0.5f}, {}},
    {"NoPositionsZeroExtents", "vn 0 1 0\nvt 0 0\n# only a comment\n", {}, {}, {0, 0, 0}, {}},
    {"LeadingBlanksCaseAndExtraWords",
     "  v 1 2 3\nV 9 9 9\n\tv 1 2 3 1\nv 0 0 0\nvn 0 1 0\nvt 0.5 0.25 0\nf 1/1/1 2/1/1 3/1/1\n",
     {1, 2, 3},
     {vertex({1, 2, 3}, kUp, {0.5f, 0.25f}), vertex({1, 2, 3}, kUp, {0.5f, 0.25f}),
      vertex({0, 0, 0}, kUp, {0.5f, 0.25f})},
     {1, 2, 3},
     {}},
    {"OtherRecordsSkippedSilently", "# c\no thing\ng group\ns 1\nusemtl m\nmtllib m.mtl\nvp 1 2\n\n   \n", {}, {},
     {0, 0, 0}, {}},
    {"QuadGivesOneTriangle", withRecords("f 1/1/1 2/2/1 3/3/1 4/1/1\n"),
     {1, 2, 3},
     {vertex({0, 0, 0}, kZ, {0.1f, 0.2f}), vertex({1, 0, 0}, kZ, {0.3f, 0.4f}),
      vertex({0, 1, 0}, kZ, {0.5f, 0.6f})},
     {1, 1, 1},
     {}},
    {"CarriageReturnsAndTextAfterNumbers", "v 1 2 3\r\nvn 0 1 0\r\nf 1//1 1//1 1//1x\r\n",
     {1, 1, 1},
     {vertex({1, 2, 3}, kUp), vertex({1, 2, 3}, kUp), vertex({1, 2, 3}, kUp)},
     {1, 2, 3},
     {}},
    // Malformed input: the record is skipped with a message, the rest of the file still loads.
    {"FaceReferencesOutOfRange",
     withRecords("f 0/1/1 1/1/1 2/1/1\nf -1/1/1 1/1/1 2/1/1\nf 1/1/1 2/1/1 5/1/1\nf 1/4/1 2/1/1 3/1/1\n"
                 "f 1/1/3 2/1/1 3/1/1\nf 1/1/1 2/1/1 x/1/1\nf 4/3/2 3/2/2 2/1/2\n"),
     {4, 3, 2},
     {vertex({0, 0, 1}, kUp, {0.5f, 0.6f}), vertex({0, 1, 0}, kUp, {0.3f, 0.4f}),
      vertex({1, 0, 0}, kUp, {0.1f, 0.2f})},
     {1, 1, 1},
     {10, 11, 12, 13, 14, 15}},
    {"FaceMissingNumbers",
     withRecords("f 1/1 2/1/1 3/1/1\nf 1//1 2//1 3//1\nf 1 2 3\nf 1/1/1 2/1/1\nf 1/1/ 2/1/1 3/1/1\n"
                 "f 1/1/1 2/2/1 3/3/1\n"),
     {1, 2, 3},
     {vertex({0, 0, 0}, kZ, {0.1f, 0.2f}), vertex({1, 0, 0}, kZ, {0.3f, 0.4f}),
      vertex({0, 1, 0}, kZ, {0.5f, 0.6f})},
     {1, 1, 1},
     {10, 11, 12, 13, 14}},
    {"ForwardReferenceIsSkipped", "vn 0 1 0\nf 1//1 1//1 1//1\nv 1 1 1\n", {}, {}, {1, 1, 1}, {2}},
    {"RecordsWithTooFewOrNoNumbers",
     "v 1 2\nv 1 a 3\nv 1e99 0 0\nvn 0 1\nvt 0.5\nvt u v\nv 2 2 2\nvn 0 1 0\nf 1//1 1//1 1//1\n",
     {1, 1, 1},
     {vertex({2, 2, 2}, kUp), vertex({2, 2, 2}, kUp), vertex({2, 2, 2}, kUp)},
     {2, 2, 2},
     {1, 2, 3, 4, 5, 6}},
    {"NanAndInfinityRefused",
     "v nan 0 0\nv 1 inf 0\nv 0 0 -infinity\nvn nan 1 0\nvt 0.5 inf\nv 1 1 1\nvn 0 1 0\nf 1//1 1//1 1//1\n",
     {1, 1, 1},
     {vertex({1, 1, 1}, kUp), vertex({1, 1, 1}, kUp), vertex({1, 1, 1}, kUp)},
     {1, 1, 1},
     {1, 2, 3, 4, 5}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ObjFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Obj, HighPositionNumbersKeepTheirLowSixteenBitsInTheIndexList)
{
    TempDir dir;
    std::string file;
    for (int i = 0; i < 65537; ++i) {
        file += i == 65536 ? "v 5 6 7\n" : "v 0 0 0\n";
    }
    file += "vn 0 1 0\nf 65537//1 1//1 65536//1\n";
    dir.write("Resources/models/big.obj", file);

    Loaded run = load("/models/big.obj");

    EXPECT_EQ(run.indices, (std::vector<uint16_t>{1, 1, 0}));
    ASSERT_EQ(run.vertices.size(), 3u);
    EXPECT_EQ(run.vertices[0].position, glm::vec3(5, 6, 7));
    EXPECT_EQ(run.vertices[1].position, glm::vec3(0, 0, 0));
}

TEST(Obj, SecondLoadAppendsAndTakesTheSecondFilesExtents)
{
    TempDir dir;
    dir.write("Resources/models/a.obj", "v 4 4 4\nvn 0 1 0\nf 1//1 1//1 1//1\n");
    dir.write("Resources/models/b.obj", "v 1 2 3\nvn 1 0 0\nf 1//1 1//1 1//1\n");
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    glm::vec3 extents(0.0f);

    Geometry::loadObj("/models/a.obj", vertices, indices, extents);
    Geometry::loadObj("/models/b.obj", vertices, indices, extents);

    EXPECT_EQ(indices, (std::vector<uint16_t>{1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(vertices.size(), 6u);
    EXPECT_EQ(vertices[2].position, glm::vec3(4, 4, 4));
    EXPECT_EQ(vertices[3].position, glm::vec3(1, 2, 3));
    EXPECT_EQ(vertices[3].normal, glm::vec3(1, 0, 0));
    EXPECT_EQ(extents, glm::vec3(1, 2, 3));
}

TEST(Obj, ALongWordIsCutInItsMessage)
{
    TempDir dir;
    dir.write("Resources/models/m.obj", "v 1 2 " + std::string(100000, 'a') + "\n");
    Loaded run = load("/models/m.obj");
    EXPECT_EQ(run.err, dir.path().string() + "/Resources/models/m.obj:1: skipped \"v\" record: \"" +
                           std::string(60, 'a') + "... (100000 characters)\" is no usable number\n");
}

class UnreadableModel : public ::testing::TestWithParam<TempDir::NotAFile> {};

// A model that cannot be had is reported as a failed open and leaves the lists alone; none may hang.
TEST_P(UnreadableModel, IsReportedAsAFailedOpen)
{
    TempDir dir;
    dir.place("Resources/models/m.obj", GetParam());
    std::vector<Vertex> vertices(1);
    std::vector<uint16_t> indices{4};
    glm::vec3 extents(5.0f);
    testing::internal::CaptureStderr();
    Geometry::loadObj("/models/m.obj", vertices, indices, extents);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "PATH DOES NOT WORK: " + dir.path().string() + "/Resources/models/m.obj\n");
    EXPECT_EQ(vertices.size(), 1u);
    EXPECT_EQ(indices, std::vector<uint16_t>{4});
    EXPECT_EQ(extents, glm::vec3(5.0f));
}

INSTANTIATE_TEST_SUITE_P(Entries, UnreadableModel,
                         ::testing::Values(TempDir::NotAFile::Directory, TempDir::NotAFile::Pipe,
                                           TempDir::NotAFile::LinkToDevZero, TempDir::NotAFile::DanglingLink),
                         [](const auto& info) { return std::string(TempDir::describe(info.param)); });

TEST(Obj, AModelOfHundredsOfMegabytesIsNotRead)
{
    TempDir dir;
    dir.writeSparse("Resources/models/m.obj", 300u << 20);
    Loaded run = load("/models/m.obj");
    EXPECT_EQ(run.err, dir.path().string() + "/Resources/models/m.obj is larger than 268435456 bytes\n");
    EXPECT_TRUE(run.vertices.empty());
    EXPECT_EQ(run.extents, glm::vec3(-7.0f));
}

TEST(Obj, MissingFileLeavesTheOutParametersAlone)
{
    TempDir dir;
    std::vector<Vertex> vertices(2);
    std::vector<uint16_t> indices{9};
    glm::vec3 extents(5.0f);
    testing::internal::CaptureStderr();
    Geometry::loadObj("/models/none.obj", vertices, indices, extents);
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(err, "PATH DOES NOT WORK: " + dir.path().string() + "/Resources/models/none.obj\n");
    EXPECT_EQ(vertices.size(), 2u);
    EXPECT_EQ(indices, std::vector<uint16_t>{9});
    EXPECT_EQ(extents, glm::vec3(5.0f));
}

TEST(Obj, UnreadableWorkingDirectoryReportsOncePerModel)
{
    TempDir dir;
    dir.enterRemovedFolder();

    testing::internal::CaptureStderr();
    Geometry geometry;
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(err, "PROBLEMS WITH PATH\nPROBLEMS WITH PATH\nPROBLEMS WITH PATH\n");
    EXPECT_TRUE(geometry.player.vertices.empty());
    EXPECT_EQ(geometry.rock.extents, glm::vec3(0.0f));
}

TEST(Geometry, LoadsPlayerSkierRockIntoTheirSlots)
{
    TempDir dir;
    dir.write("Resources/models/player.obj", "v 1 1 1\nvn 0 1 0\nf 1//1 1//1 1//1\n");
    dir.write("Resources/models/RockCluster.obj", "v 2 2 2\nvn 0 1 0\nf 1//1 1//1 1//1\n");
    dir.write("Resources/models/TestSkier.obj", "v 3 3 3\nv 0 0 0\nvn 0 1 0\nf 1//1 2//1 2//1\n");

    Geometry geometry;

    EXPECT_EQ(geometry.player.extents, glm::vec3(1.0f));
    EXPECT_EQ(geometry.rock.extents, glm::vec3(2.0f));
    EXPECT_EQ(geometry.skier.extents, glm::vec3(3.0f));
    EXPECT_EQ(geometry.skier.indices, (std::vector<uint16_t>{1, 2, 2}));
    EXPECT_EQ(geometry.rock.vertices.size(), 3u);
    Geometry copy = geometry;
    EXPECT_EQ(copy.skier.vertices.size(), 3u);
}

TEST(Geometry, MissingModelsAreReportedInLoadOrderAndStayEmpty)
{
    TempDir dir;
    dir.write("Resources/models/TestSkier.obj", "v 3 3 3\nvn 0 1 0\nf 1//1 1//1 1//1\n");

    testing::internal::CaptureStderr();
    Geometry geometry;
    std::string err = testing::internal::GetCapturedStderr();

    std::string models = dir.path().string() + "/Resources/models/";
    EXPECT_EQ(err, "PATH DOES NOT WORK: " + models + "player.obj\nPATH DOES NOT WORK: " + models + "RockCluster.obj\n");
    EXPECT_TRUE(geometry.player.vertices.empty());
    EXPECT_EQ(geometry.player.extents, glm::vec3(0.0f));
    EXPECT_EQ(geometry.skier.vertices.size(), 3u);
}

TEST(Split, PiecesBetweenDelimiters)
{
    struct Case {
        const char* text;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"1//3", {"1", "", "3"}}, {"1/2/", {"1", "2"}}, {"", {}},        {"/", {""}},
        {"//", {"", ""}},         {"7", {"7"}},         {"/5", {"", "5"}}, {"a/b/c/d", {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.text, '/'), c.pieces) << "\"" << c.text << "\"";
    }
}

}
