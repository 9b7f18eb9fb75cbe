#include "app/Globals.h"
#include "app/Material.h"
#include "app/MaterialLoader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

Material material(std::string name, glm::vec3 F0, glm::vec3 color, float roughness, float metallic)
{
    return Material{std::move(name), F0, color, roughness, metallic};
}

Material rough(std::string name, float roughness)
{
    return material(std::move(name), glm::vec3(0.0f), glm::vec3(0.0f), roughness, 0.0f);
}

struct MaterialsCase {
    const char* name;
    std::string file;
    std::vector<Material> registered;
    const char* stdoutText;
    // Each entry must appear in its own line of standard error, in this order.
    std::vector<std::string> stderrLines;
};

void PrintTo(const MaterialsCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        result.push_back(line);
    }
    return result;
}

void expectMaterial(const Material& actual, const Material& expected)
{
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.F0, expected.F0) << expected.name;
    EXPECT_EQ(actual.color, expected.color) << expected.name;
    EXPECT_EQ(actual.roughness, expected.roughness) << expected.name;
    EXPECT_EQ(actual.metallic, expected.metallic) << expected.name;
}

struct Loaded {
    int result;
    std::string out;
    std::string err;
};

Loaded load()
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int result = loadMaterials();
    std::string out = testing::internal::GetCapturedStdout();
    return {result, out, testing::internal::GetCapturedStderr()};
}

const char* kTwoRecords = "#\nname: snow\nroughness: 0.9\n#\nname: rubber\nroughness: 0.4\n";

class MaterialsFile : public ::testing::TestWithParam<MaterialsCase> {};

TEST_P(MaterialsFile, RegistersEachRecord)
{
    const MaterialsCase& c = GetParam();
    materialMap.clear();
    TempDir dir;
    dir.write("Resources/materials.dat", c.file);

    Loaded run = load();

    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.out, c.stdoutText);
    ASSERT_EQ(materialMap.size(), c.registered.size());
    for (const Material& expected : c.registered) {
        auto found = materialMap.find(expected.name);
        ASSERT_NE(found, materialMap.end()) << "\"" << expected.name << "\" not registered";
        EXPECT_EQ(found->second->name, found->first);
        expectMaterial(*found->second, expected);
    }
    std::vector<std::string> errLines = lines(run.err);
    ASSERT_EQ(errLines.size(), c.stderrLines.size()) << run.err;
    for (size_t i = 0; i < errLines.size(); ++i) {
        EXPECT_NE(errLines[i].find(c.stderrLines[i]), std::string::npos) << errLines[i];
    }
    materialMap.clear();
}

const MaterialsCase kCases[] = {
    {"TwoRecords", kTwoRecords, {rough("snow", 0.9f), rough("rubber", 0.4f)}, "new material: #\nnew material: #\n", {}},
    {"TrailingHeaderRegistersEmptyName", "#\nname: snow\nroughness: 0.9\n#\nname: rubber\nroughness: 0.4\n#\n",
     {rough("snow", 0.9f), rough("rubber", 0.4f), rough("", 0.0f)},
     "new material: #\nnew material: #\nnew material: #\n", {}},
    {"NoHeaderRegistersNothing", "name: snow\nroughness: 0.5\n", {}, "", {}},
    {"EmptyFile", "", {}, "", {}},
    {"KeysBeforeFirstHeaderBelongToFirstRecord", "name: early\nmetallic: 1\n# first\nroughness: 0.3\n",
     {material("early", glm::vec3(0.0f), glm::vec3(0.0f), 0.3f, 1.0f)}, "new material: # first\n", {}},
    {"KeyAndNameTrimmed", "#\n name :  snow  \n#\n\tname\t:\tice\t\n",
     {rough("snow", 0.0f), rough("ice", 0.0f)}, "new material: #\nnew material: #\n", {}},
    {"KeysAreCaseSensitive", "#\nName: snow\nRoughness: 0.5\n", {rough("", 0.0f)}, "new material: #\n", {}},
    {"SplitAtLastColon", "#\nname: a:b\n", {rough("", 0.0f)}, "new material: #\n", {}},
    {"HeaderTextEchoedWhole", "#  snow, for rocks: 1 \nname: snow\n", {rough("snow", 0.0f)},
     "new material: #  snow, for rocks: 1 \n", {}},
    {"IndentedHashIsAKeyLine", "#\n #name: x\nname: y\n", {rough("y", 0.0f)}, "new material: #\n", {}},
    {"VectorComponents", "#\nname: v\nF0: 0.04\ncolor: 1, 0.5\n#\nname: w\ncolor: 0.2,0.3,0.4,0.9\nF0: 0.1 ,0.2, 0.3\n",
     {material("v", glm::vec3(0.04f), glm::vec3(1.0f, 0.5f, 0.5f), 0.0f, 0.0f),
      material("w", glm::vec3(0.1f, 0.2f, 0.3f), glm::vec3(0.2f, 0.3f, 0.4f), 0.0f, 0.0f)},
     "new material: #\nnew material: #\n", {}},
    {"TextAfterNumberIgnored", "#\nname: r\nroughness: 0.5 rough\nmetallic:1m\n",
     {material("r", glm::vec3(0.0f), glm::vec3(0.0f), 0.5f, 1.0f)}, "new material: #\n", {}},
    {"LaterKeyWins", "#\nname: a\nroughness: 0.2\nname: b\nroughness: 0.7\n", {rough("b", 0.7f)},
     "new material: #\n", {}},
    {"FirstOfDuplicateNamesStays", "#\nname: ice\nroughness: 0.1\n#\nname: ice\nroughness: 0.9\n",
     {rough("ice", 0.1f)}, "new material: #\nnew material: #\n", {}},
    {"NumbersResetBetweenRecords", "#\nname: a\nF0: 1\ncolor: 1\nroughness: 1\nmetallic: 1\n#\nname: b\n",
     {material("a", glm::vec3(1.0f), glm::vec3(1.0f), 1.0f, 1.0f), rough("b", 0.0f)},
     "new material: #\nnew material: #\n", {}},
    {"UnknownKeysAndBlankLinesSkipped", "#\n\nname: a\nshininess: 3\n: 4\n   \n", {rough("a", 0.0f)},
     "new material: #\n", {}},
    {"LastLineWithoutLineEnd", "#\nname: a\nroughness: 0.25", {rough("a", 0.25f)}, "new material: #\n", {}},
    {"ValueWithoutNumberKeepsFieldAndGoesOn",
     "#\nname: m\nroughness: high\nmetallic: 0.5\nmetallic\ncolor: 1,,2\nF0: 1e99\n#\nname: n\nroughness: 0.3\n",
     {material("m", glm::vec3(0.0f), glm::vec3(0.0f), 0.0f, 0.5f), rough("n", 0.3f)},
     "new material: #\nnew material: #\n",
     {":3: no usable number for roughness in \"roughness: high\"",
      ":5: no usable number for metallic in \"metallic\"",
      ":6: no usable number for color in \"color: 1,,2\"",
      ":7: no usable number for F0 in \"F0: 1e99\""}},
    {"NanAndInfinityRefused",
     "#\nname: m\nroughness: nan\nmetallic: inf\ncolor: 1, nan, 0\nF0: -inf\nroughness: 0.5\n",
     {material("m", glm::vec3(0.0f), glm::vec3(0.0f), 0.5f, 0.0f)}, "new material: #\n",
     {":3: no usable number for roughness in \"roughness: nan\"", ":4: no usable number for metallic in \"metallic: inf\"",
      ":5: no usable number for color in \"color: 1, nan, 0\"", ":6: no usable number for F0 in \"F0: -inf\""}},
    // Written on Windows: "snow", not "snow\r", is the name the spawners ask for.
    {"WindowsLineEnds", "# snow\r\nname: snow\r\nroughness: 0.9\r\ncolor: 1, 0.5\r\n#\r\nname: ice\r\n",
     {material("snow", glm::vec3(0.0f), glm::vec3(1.0f, 0.5f, 0.5f), 0.9f, 0.0f), rough("ice", 0.0f)},
     "new material: # snow\nnew material: #\n", {}},
    {"LongLineCutInItsMessage", "#\nname: m\nroughness: " + std::string(1000, 'x') + "\n", {rough("m", 0.0f)},
     "new material: #\n", {":3: no usable number for roughness in \"roughness: " + std::string(49, 'x') + "... (1011 characters)\""}},
};

INSTANTIATE_TEST_SUITE_P(Cases, MaterialsFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Materials, MissingFileNamesThePathAndLeavesTheRegistry)
{
    materialMap.clear();
    auto kept = std::make_shared<Material>(rough("kept", 0.5f));
    materialMap.emplace("kept", kept);
    TempDir dir;

    Loaded run = load();

    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "ERROR: invalid path " + dir.path().string() + "/Resources/materials.dat\n");
    ASSERT_EQ(materialMap.size(), 1u);
    EXPECT_EQ(materialMap.at("kept"), kept);
    materialMap.clear();
}

class UnreadableMaterials : public ::testing::TestWithParam<TempDir::NotAFile> {};

TEST_P(UnreadableMaterials, IsReportedAsAFailedOpen)
{
    materialMap.clear();
    TempDir dir;
    dir.place("Resources/materials.dat", GetParam());

    Loaded run = load();

    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "ERROR: invalid path " + dir.path().string() + "/Resources/materials.dat\n");
    EXPECT_TRUE(materialMap.empty());
}

INSTANTIATE_TEST_SUITE_P(Entries, UnreadableMaterials,
                         ::testing::Values(TempDir::NotAFile::Directory, TempDir::NotAFile::Pipe,
                                           TempDir::NotAFile::LinkToDevZero),
                         [](const auto& info) { return std::string(TempDir::describe(info.param)); });

TEST(Materials, UnreadableWorkingDirectoryReportsAndReturnsOne)
{
    materialMap.clear();
    TempDir dir;
    dir.enterRemovedFolder();

    Loaded run = load();

    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "ERROR: problems with path\n");
    EXPECT_TRUE(materialMap.empty());
}

TEST(Materials, AlreadyRegisteredNameKeepsItsEntry)
{
    materialMap.clear();
    auto first = std::make_shared<Material>(rough("snow", 0.1f));
    materialMap.emplace("snow", first);
    TempDir dir;
    dir.write("Resources/materials.dat", kTwoRecords);

    load();

    EXPECT_EQ(materialMap.at("snow"), first);
    EXPECT_EQ(materialMap.at("rubber")->roughness, 0.4f);
    materialMap.clear();
}

struct Vec3Case {
    const char* text;
    glm::vec3 expected;
};

TEST(Materials, ParseVec3RepeatsTheLastComponentAndIgnoresAFourth)
{
    const Vec3Case cases[] = {
        {"0.04", glm::vec3(0.04f)},
        {"1, 0.5", glm::vec3(1.0f, 0.5f, 0.5f)},
        {"0.2,0.3,0.4", glm::vec3(0.2f, 0.3f, 0.4f)},
        {"0.2,0.3,0.4,0.9", glm::vec3(0.2f, 0.3f, 0.4f)},
        {"  -1 ,\t2 , 3 ", glm::vec3(-1.0f, 2.0f, 3.0f)},
    };
    for (const Vec3Case& c : cases) {
        EXPECT_EQ(parseVec3(c.text), c.expected) << c.text;
    }
    for (const char* empty : {"1,,2", "1,2,", "", "x", "nan", "1, inf, 0"}) {
        EXPECT_THROW(parseVec3(empty), std::invalid_argument) << empty;
    }
}

TEST(Materials, CommittedFileHoldsPlausibleMaterialsForTheRun)
{
    materialMap.clear();
    std::ifstream source(VELMORRA_SOURCE_DIR "/Resources/materials.dat");
    ASSERT_TRUE(source.good());
    std::ostringstream text;
    text << source.rdbuf();
    TempDir dir;
    dir.write("Resources/materials.dat", text.str());

    Loaded run = load();

    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.err, "");
    for (const char* name : {"snow", "rubber", "water"}) {
        auto found = materialMap.find(name);
        ASSERT_NE(found, materialMap.end()) << name;
        const Material& m = *found->second;
        // Dielectrics: a grey reflectance at normal incidence of a few percent.
        EXPECT_EQ(m.F0.x, m.F0.y) << name;
        EXPECT_EQ(m.F0.y, m.F0.z) << name;
        EXPECT_GE(m.F0.x, 0.015f) << name;
        EXPECT_LE(m.F0.x, 0.05f) << name;
        EXPECT_EQ(m.metallic, 0.0f) << name;
        EXPECT_GT(m.roughness, 0.0f) << name;
        EXPECT_LE(m.roughness, 1.0f) << name;
        for (int i = 0; i < 3; ++i) {
            EXPECT_GE(m.color[i], 0.0f) << name;
            EXPECT_LE(m.color[i], 1.0f) << name;
        }
    }
    EXPECT_GT(materialMap.at("snow")->color.g, 0.8f) << "snow is bright";
    EXPECT_GT(materialMap.at("snow")->roughness, materialMap.at("water")->roughness);
    materialMap.clear();
}

}
