#include "app/Shader.h"
#include "app/ShaderLoader.h"
#include "app/ShaderSource.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/Process.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string created = "\nno such shader created yet. creating new shader program...";
const std::string added = "\nadding to existing shader program...";
const std::string notCreated = "\nshader could not be created...\n";

std::vector<GLenum> stages(std::vector<GLenum> list)
{
    std::sort(list.begin(), list.end());
    return list;
}

size_t occurrences(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::string> matches(const std::string& text, const std::string& pattern)
{
    std::vector<std::string> found;
    std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

class ShaderFolderGL : public GLTest {
protected:
    TempDir dir;
    std::string folder = fs::current_path().string() + "/Resources/shader";
    ShaderMap registry;
    int result = -1;
    std::string out;
    std::string err;
    std::vector<std::string> glErrors;

    void SetUp() override
    {
        GLTest::SetUp();
        // The "ERROR: " messages pause only on a terminal.
        ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    }

    void TearDown() override
    {
        registry.clear();
        GLTest::TearDown();
    }

    void write(const std::string& file, const std::string& source) const
    {
        dir.write("Resources/shader/" + file, source);
    }

    void load()
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        result = loadShaderPrograms("/Resources/shader", &registry);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        glErrors = watch.errors();
        watch.clear();
    }

    std::vector<std::string> listing() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    bool listedBefore(const std::string& first, const std::string& second) const
    {
        std::vector<std::string> names = listing();
        return std::find(names.begin(), names.end(), first) < std::find(names.begin(), names.end(), second);
    }

    // A program name whose files name.first and name.second the folder lists in that order.
    std::string pairListedInOrder(const std::string& first, const std::string& second)
    {
        std::vector<std::string> candidates;
        for (int i = 0; i < 16; ++i) {
            std::string name = "x" + first + std::to_string(i);
            write(name + "." + (i % 2 ? second : first), "");
            write(name + "." + (i % 2 ? first : second), "");
            candidates.push_back(name);
        }
        std::string chosen;
        for (const std::string& name : candidates) {
            if (chosen.empty() && listedBefore(name + "." + first, name + "." + second)) {
                chosen = name;
            }
        }
        for (const std::string& name : candidates) {
            if (name != chosen) {
                fs::remove(folder + "/" + name + "." + first);
                fs::remove(folder + "/" + name + "." + second);
            }
        }
        return chosen;
    }

    GLuint programOf(const std::string& name) const
    {
        auto found = registry.find(name);
        return found == registry.end() ? 0 : found->second->getID();
    }

    std::string success(const std::string& file) const
    {
        return "\ninit shader success - attaching..." + folder + "/" + file + "\n";
    }
};

TEST_F(ShaderFolderGL, EmptyFolderWritesOnlyItsPath)
{
    fs::create_directories(folder);
    load();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "\nshaderfolder path is: " + folder + "\n");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(registry.empty());
}

struct FolderCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;
    std::map<std::string, std::vector<GLenum>> programs;
    size_t created;
    size_t added;
    size_t failed;
};

void PrintTo(const FolderCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShaderFolder : public ShaderFolderGL, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(ShaderFolder, RegistersOneLinkedProgramPerName)
{
    const FolderCase& c = GetParam();
    for (const auto& [file, source] : c.files) {
        write(file, source);
    }
    load();

    EXPECT_EQ(result, 1);
    std::map<std::string, std::vector<GLenum>> programs;
    for (const auto& [name, shader] : registry) {
        programs[name] = attachedStages(shader->getID());
        EXPECT_TRUE(isLinked(shader->getID())) << name;
    }
    EXPECT_EQ(programs, c.programs);
    EXPECT_EQ(occurrences(out, created), c.created);
    EXPECT_EQ(occurrences(out, added), c.added);
    EXPECT_EQ(occurrences(err, notCreated), c.failed);
    EXPECT_EQ(occurrences(out, "\nlinking shaderprogram "), c.programs.size());
    EXPECT_EQ(glErrors.empty(), c.failed == 0);
    EXPECT_EQ(currentProgram(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Loader, ShaderFolder,
    ::testing::Values(
        FolderCase{"FourStageTerrain",
                   {{"terrain.vs", glsl::vertex},
                    {"terrain.tcs", glsl::tessControl},
                    {"terrain.tes", glsl::tessEval},
                    {"terrain.frag", glsl::fragment}},
                   {{"terrain",
                     stages({GL_VERTEX_SHADER, GL_TESS_CONTROL_SHADER, GL_TESS_EVALUATION_SHADER,
                             GL_FRAGMENT_SHADER})}},
                   1, 3, 0},
        FolderCase{"NamesSplitAtTheLastDot",
                   {{"a.b.vs", glsl::vertex}, {"readme.txt", glsl::vertex}, {"vs", glsl::vertex}},
                   {{"a.b", {GL_VERTEX_SHADER}}, {"vs", {GL_VERTEX_SHADER}}},
                   3, 0, 1},
        FolderCase{"EveryPostfixSpelling",
                   {{"p.vert", glsl::vertex},
                    {"p.frag", glsl::fragment},
                    {"g.vs", glsl::vertex},
                    {"g.gm", glsl::geometry},
                    {"g.frag", glsl::fragment},
                    {"h.vs", glsl::vertex},
                    {"h.geom", glsl::geometry},
                    {"h.frag", glsl::fragment},
                    {"c.cs", glsl::compute}},
                   {{"c", {GL_COMPUTE_SHADER}},
                    {"g", stages({GL_VERTEX_SHADER, GL_GEOMETRY_SHADER, GL_FRAGMENT_SHADER})},
                    {"h", stages({GL_VERTEX_SHADER, GL_GEOMETRY_SHADER, GL_FRAGMENT_SHADER})},
                    {"p", stages({GL_VERTEX_SHADER, GL_FRAGMENT_SHADER})}},
                   4, 5, 0},
        FolderCase{"CaseKeepsNamesApart",
                   {{"sky.vs", glsl::vertex}, {"Sky.frag", glsl::fragment}, {"sky.FRAG", glsl::fragment}},
                   {{"Sky", {GL_FRAGMENT_SHADER}}, {"sky", {GL_VERTEX_SHADER}}},
                   2, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShaderFolderGL, ListingOrderChangesOnlyTheMessages)
{
    std::string fragFirst = pairListedInOrder("frag", "vs");
    std::string vsFirst = pairListedInOrder("vs", "frag");
    ASSERT_FALSE(fragFirst.empty() || vsFirst.empty()) << "the folder never listed a pair in the wanted order";
    for (const std::string& name : {fragFirst, vsFirst}) {
        write(name + ".vs", glsl::vertex);
        write(name + ".frag", glsl::fragment);
    }
    load();

    for (const auto& [name, first, second] :
         {std::tuple{fragFirst, "frag", "vs"}, std::tuple{vsFirst, "vs", "frag"}}) {
        EXPECT_EQ(attachedStages(programOf(name)), stages({GL_VERTEX_SHADER, GL_FRAGMENT_SHADER})) << name;
        EXPECT_TRUE(isLinked(programOf(name))) << name;
        std::string file1 = name + "." + first;
        std::string file2 = name + "." + second;
        EXPECT_NE(out.find("\nshader " + name + " with postfix " + first + "\n" + created + success(file1)),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("\nshader " + name + " with postfix " + second + "\n" + added + success(file2)),
                  std::string::npos)
            << out;
    }
    EXPECT_EQ(err, "");
}

TEST_F(ShaderFolderGL, FailedFirstFileLeavesItsProgramUnusedAndTheNextStartsAnother)
{
    write("y.vs", "");
    write("y.frag", "");
    bool vsFirst = listedBefore("y.vs", "y.frag");
    const char* failing = vsFirst ? "vs" : "frag";
    GLenum compiling = vsFirst ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER;
    write(std::string("y.") + failing, glsl::broken);
    write(vsFirst ? "y.frag" : "y.vs", vsFirst ? glsl::fragment : glsl::vertex);
    load();

    EXPECT_EQ(occurrences(out, created), 2u);
    EXPECT_EQ(occurrences(out, added), 0u);
    EXPECT_EQ(attachedStages(programOf("y")), std::vector<GLenum>{compiling});
    std::string log = compileLog(vsFirst ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER, glsl::broken);
    watch.clear();
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(err, folder + "/y." + failing + " does not compile:\n" + log + "\n" + notCreated);
}

TEST_F(ShaderFolderGL, LinksInKeyOrder)
{
    for (const char* name : {"background", "TextVertexShader"}) {
        write(std::string(name) + ".vs", glsl::vertex);
        write(std::string(name) + ".frag", glsl::fragment);
    }
    write("particlesystem_begin.cs", glsl::compute);
    write("particlesystem_2.cs", glsl::compute);
    load();

    EXPECT_EQ(matches(out, "\nlinking shaderprogram ([^\n]*)\n"),
              (std::vector<std::string>{"TextVertexShader", "background", "particlesystem_2", "particlesystem_begin"}));
    for (const auto& [name, shader] : registry) {
        EXPECT_TRUE(isLinked(shader->getID())) << name;
    }
    EXPECT_EQ(err, "");
}

const char* particleState =
    "#version 430 core\nout vec4 gs_PositionType;\nout vec4 gs_VelocityAge;\nout vec4 gs_AuxVecOne;\n"
    "void main() {\n  gs_PositionType = vec4(1.0); gs_VelocityAge = vec4(2.0); gs_AuxVecOne = vec4(3.0);\n"
    "  gl_Position = vec4(0.0);\n}\n";
const char* particleAttributes =
    "#version 430 core\nout float Type1;\nout vec3 Position1;\nout vec3 Velocity1;\nout float Age1;\n"
    "out float LifeTime1;\nout float Radius1;\n"
    "void main() {\n  Type1 = 1.0; Position1 = vec3(2.0); Velocity1 = vec3(3.0); Age1 = 4.0;\n"
    "  LifeTime1 = 5.0; Radius1 = 6.0; gl_Position = vec4(0.0);\n}\n";

struct VaryingsCase {
    const char* program;
    const char* source;
    std::vector<std::string> varyings;
    bool linked;
};

void PrintTo(const VaryingsCase& c, std::ostream* os)
{
    *os << c.program << (c.linked ? "" : " (no link)");
}

class FeedbackVaryings : public ShaderFolderGL, public ::testing::WithParamInterface<VaryingsCase> {};

TEST_P(FeedbackVaryings, AreDeclaredInterleavedForTheFourNamesOnly)
{
    const VaryingsCase& c = GetParam();
    write(std::string(c.program) + ".vs", c.source);
    load();

    GLuint program = programOf(c.program);
    ASSERT_NE(program, 0u);
    ASSERT_EQ(isLinked(program), c.linked);
    if (!c.linked) {
        std::string log = linkLog(program);
        EXPECT_FALSE(log.empty());
        EXPECT_EQ(err, "shader program " + std::string(c.program) + " does not link:\n" + log + "\n");
        return;
    }
    EXPECT_EQ(err, "");
    GLint count = -1;
    GLint mode = 0;
    glGetProgramiv(program, GL_TRANSFORM_FEEDBACK_VARYINGS, &count);
    glGetProgramiv(program, GL_TRANSFORM_FEEDBACK_BUFFER_MODE, &mode);
    std::vector<std::string> names;
    for (GLint i = 0; i < count; ++i) {
        char name[64] = {};
        GLsizei size = 0;
        GLenum type = 0;
        glGetTransformFeedbackVarying(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        names.emplace_back(name);
    }
    EXPECT_EQ(names, c.varyings);
    EXPECT_EQ(mode, GL_INTERLEAVED_ATTRIBS);
}

const std::vector<std::string> stateVaryings{"gs_PositionType", "gs_VelocityAge", "gs_AuxVecOne"};

INSTANTIATE_TEST_SUITE_P(
    Loader, FeedbackVaryings,
    ::testing::Values(VaryingsCase{"emission", particleState, stateVaryings, true},
                      VaryingsCase{"simulation", particleState, stateVaryings, true},
                      VaryingsCase{"update", particleAttributes, {"Type1", "Position1", "Velocity1", "Age1"}, true},
                      VaryingsCase{"morvaskTrell",
                                   particleAttributes,
                                   {"Type1", "Position1", "Velocity1", "Age1", "LifeTime1", "Radius1"},
                                   true},
                      VaryingsCase{"Update", particleAttributes, {}, true},
                      VaryingsCase{"updates", particleAttributes, {}, true},
                      VaryingsCase{"update", glsl::vertex, {}, false}),
    [](const auto& info) {
        return std::string(info.param.program) + (info.param.linked ? "" : "_WithoutItsOutputs");
    });

// Every message of the walk and the link pass, byte for byte, for a folder with one entry of each kind.
TEST_F(ShaderFolderGL, WritesEveryMessageInListingOrder)
{
    write("ok.vs", glsl::vertex);
    write("ok.frag", glsl::fragment);
    write("broken.frag", glsl::broken);
    write("readme.txt", glsl::vertex);
    write("update.vs", glsl::vertex);
    fs::create_directory(folder + "/sub.frag");
    fs::create_symlink(folder + "/nowhere", folder + "/ghost.vs");
    load();

    std::string brokenLog = compileLog(GL_FRAGMENT_SHADER, glsl::broken);
    watch.clear();
    ASSERT_NE(programOf("update"), 0u);
    std::string updateLog = linkLog(programOf("update"));

    const std::map<std::string, std::pair<std::string, std::string>> single{
        {"broken.frag", {"", folder + "/broken.frag does not compile:\n" + brokenLog + "\n" + notCreated}},
        {"readme.txt", {"", folder + "/readme.txt: its postfix names no shader stage\n\n" + notCreated}},
        {"update.vs", {success("update.vs"), ""}},
        {"sub.frag", {"ERROR: invalid path " + folder + "/sub.frag\n", folder + "/sub.frag is a directory\n" + notCreated}},
        {"ghost.vs",
         {"ERROR: invalid path " + folder + "/ghost.vs\n",
          folder + "/ghost.vs cannot be opened: No such file or directory\n" + notCreated}},
    };
    std::string expectedOut = "\nshaderfolder path is: " + folder + "\n";
    std::string expectedErr;
    bool okSeen = false;
    for (const std::string& file : listing()) {
        size_t dot = file.rfind('.');
        expectedOut += "\nshader " + file.substr(0, dot) + " with postfix " + file.substr(dot + 1) + "\n";
        if (file.starts_with("ok.")) {
            expectedOut += (okSeen ? added : created) + success(file);
            okSeen = true;
        } else {
            expectedOut += created + single.at(file).first;
            expectedErr += single.at(file).second;
        }
    }
    expectedOut += "\nlinking shaderprogram ok\n\nlinking shaderprogram update\n";
    expectedErr += "shader program update does not link:\n" + updateLog + "\n";

    EXPECT_EQ(out, expectedOut);
    EXPECT_EQ(err, expectedErr);
    EXPECT_EQ(registry.size(), 2u);
}

// None of these may hang the loader or be read without end; the folder's other files still load.
TEST_F(ShaderFolderGL, EntriesThatAreNoSourceFilesAreRefusedAndTheRestLoads)
{
    write("ok.vs", glsl::vertex);
    write("ok.frag", glsl::fragment);
    dir.place("Resources/shader/pipe.vs", TempDir::NotAFile::Pipe);
    dir.place("Resources/shader/zero.frag", TempDir::NotAFile::LinkToDevZero);
    dir.writeSparse("Resources/shader/huge.vs", kShaderSourceLimit + 1);
    load();

    for (const char* file : {"pipe.vs", "zero.frag"}) {
        EXPECT_NE(out.find("ERROR: invalid path " + folder + "/" + file + "\n"), std::string::npos) << out;
        EXPECT_NE(err.find(folder + "/" + file + " is not a regular file\n"), std::string::npos) << err;
    }
    EXPECT_NE(err.find(folder + "/huge.vs is larger than 1048576 bytes: too large for a shader source\n" + notCreated),
              std::string::npos)
        << err;
    EXPECT_EQ(occurrences(err, notCreated), 3u);
    EXPECT_EQ(registry.size(), 1u);
    EXPECT_TRUE(isLinked(programOf("ok")));
}

struct StagesCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files;
    std::vector<std::string> missing;  // "program stage postfix" for each message
};

void PrintTo(const StagesCase& c, std::ostream* os)
{
    *os << c.name;
}

class RequiredStages : public ShaderFolderGL, public ::testing::WithParamInterface<StagesCase> {};

// A program of the system's table that lost a stage may still link, and then draws nothing at all.
TEST_P(RequiredStages, AProgramWithoutAStageItsUseNeedsIsNamedWithTheMissingFile)
{
    const StagesCase& c = GetParam();
    for (const auto& [file, source] : c.files) {
        write(file, source);
    }
    load();

    std::string expected;
    for (const std::string& entry : c.missing) {
        std::istringstream words(entry);
        std::string program, stage, postfix;
        words >> program >> stage >> postfix;
        std::replace(stage.begin(), stage.end(), '_', ' ');
        expected += "\nshader program " + program + " has no " + stage + " stage: " + folder + "/" + program + "." +
                    postfix + " is missing or did not compile\n";
    }
    // Link logs may come first: what remains after them is exactly the stage messages.
    EXPECT_EQ(err.substr(err.size() - std::min(err.size(), expected.size())), expected) << err;
    EXPECT_EQ(occurrences(err, " has no "), c.missing.size()) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Loader, RequiredStages,
    ::testing::Values(
        StagesCase{"UpscaleWithoutItsVertexStage", {{"upscale.frag", glsl::fragment}}, {"upscale vertex vs"}},
        StagesCase{"TextWithoutItsFragmentStage",
                   {{"TextVertexShader.vs", glsl::vertex}},
                   {"TextVertexShader fragment frag"}},
        StagesCase{"ShadowmapWithoutItsGeometryStage",
                   {{"shadowmap.vs", glsl::vertex}, {"shadowmap.frag", glsl::fragment}},
                   {"shadowmap geometry gm"}},
        StagesCase{"TerrainWithoutItsTessellation",
                   {{"terrain.vs", glsl::vertex}, {"terrain.frag", glsl::fragment}},
                   {"terrain tessellation_evaluation tes"}},
        StagesCase{"ParticlesAsAVertexStage", {{"particlesystem_2.vs", glsl::vertex}}, {"particlesystem_2 compute cs"}},
        StagesCase{"CompleteProgramsSayNothing",
                   {{"upscale.vert", glsl::vertex}, {"upscale.frag", glsl::fragment}, {"particlesystem_crash.cs",
                                                                                      glsl::compute}},
                   {}},
        StagesCase{"OtherNamesNeedNothing", {{"mine.frag", glsl::fragment}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A program already in the registry takes the folder's stages of its name and is linked with the rest.
TEST_F(ShaderFolderGL, RegisteredProgramIsExtendedKeptAndLinked)
{
    GLuint existing = glCreateProgram();
    glAttachShader(existing, compiledShader(GL_VERTEX_SHADER, glsl::vertex));
    auto kept = std::make_shared<Shader>(existing);
    registry.emplace("kept", kept);
    write("kept.frag", glsl::fragment);
    load();

    EXPECT_EQ(registry.at("kept"), kept);
    EXPECT_EQ(out, "\nshaderfolder path is: " + folder + "\n\nshader kept with postfix frag\n" + added +
                       success("kept.frag") + "\nlinking shaderprogram kept\n");
    EXPECT_EQ(attachedStages(existing), stages({GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}));
    EXPECT_TRUE(isLinked(existing));
}

TEST_F(ShaderFolderGL, UnreadableWorkingDirectoryLeavesTheRegistryAlone)
{
    GLuint unlinked = glCreateProgram();
    glAttachShader(unlinked, compiledShader(GL_VERTEX_SHADER, glsl::vertex));
    registry.emplace("kept", std::make_shared<Shader>(unlinked));
    dir.enterRemovedFolder();
    load();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "ERROR: problems with path\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(registry.size(), 1u);
    EXPECT_FALSE(isLinked(unlinked));
}

struct UnwalkableCase {
    const char* name;
    bool folderIsAFile;
    const char* reason;
};

class UnwalkableFolder : public ShaderFolderGL, public ::testing::WithParamInterface<UnwalkableCase> {};

TEST_P(UnwalkableFolder, IsReportedAndFailsTheLoad)
{
    const UnwalkableCase& c = GetParam();
    if (c.folderIsAFile) {
        dir.write("Resources/shader", "not a folder");
    }
    load();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "\nshaderfolder path is: " + folder + "\nERROR: shader folder " + folder + " could not be read: " +
                       c.reason + "\n");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(registry.empty());
}

INSTANTIATE_TEST_SUITE_P(Loader, UnwalkableFolder,
                         ::testing::Values(UnwalkableCase{"Missing", false, "No such file or directory"},
                                           UnwalkableCase{"AFile", true, "Not a directory"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramProcess, MissingShaderFolderEndsTheProgramWithAnError)
{
    TempDir dir;
    std::string folder = fs::current_path().string() + "/Resources/shader";
    ProcessResult run = runShell("exec " VELMORRA_EXECUTABLE);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("\nshaderfolder path is: " + folder + "\nERROR: shader folder " + folder +
                              " could not be read: No such file or directory\n"),
              std::string::npos)
        << run.output;
}

}
