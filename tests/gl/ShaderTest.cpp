#include "app/Shader.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

// The same uniforms at other explicit locations, plus one the first layout lacks, so that a
// relink moves every location and shows whether a lookup reaches OpenGL again.
std::string layoutSource(int tint, int cmMat, int shade)
{
    std::string source = "#version 430 core\nout vec4 color;\n";
    source += "layout(location = " + std::to_string(tint) + ") uniform vec4 tint;\n";
    source += "layout(location = " + std::to_string(cmMat) + ") uniform mat4 cm_mat[6];\n";
    if (shade >= 0) {
        source += "layout(location = " + std::to_string(shade) + ") uniform vec4 shade;\n";
    }
    source += "uniform int face;\nvoid main() { color = tint + cm_mat[face][0]";
    source += shade >= 0 ? " + shade; }\n" : "; }\n";
    return source;
}

class ShaderGL : public GLTest {
protected:
    GLuint program = 0;
    GLuint vertex = 0;
    GLuint fragment = 0;

    void linkLayout(int tint, int cmMat, int shade)
    {
        if (program == 0) {
            program = glCreateProgram();
            vertex = compiledShader(GL_VERTEX_SHADER, glsl::vertex);
            glAttachShader(program, vertex);
        }
        if (fragment != 0) {
            glDetachShader(program, fragment);
            glDeleteShader(fragment);
        }
        fragment = compiledShader(GL_FRAGMENT_SHADER, layoutSource(tint, cmMat, shade));
        glAttachShader(program, fragment);
        glLinkProgram(program);
        ASSERT_TRUE(isLinked(program));
    }
};

struct LocationCase {
    const char* name;
    GLint first;
    GLint afterRelink;
};

TEST_F(ShaderGL, EachNameReachesOpenGLOnceUntilTheCacheIsCleared)
{
    const LocationCase cases[] = {
        {"tint", 3, 7}, {"cm_mat[0]", 10, 20}, {"cm_mat[5]", 15, 25}, {"shade", -1, 30}, {"Tint", -1, -1},
    };
    linkLayout(3, 10, -1);
    Shader shader(program);
    for (const LocationCase& c : cases) {
        EXPECT_EQ(shader.getUniformLocation(c.name), c.first) << c.name;
        EXPECT_EQ(shader.getUniformLocation(c.name), c.first) << c.name;
    }
    EXPECT_EQ(shader.cachedUniformCount(), std::size(cases));

    linkLayout(7, 20, 30);
    for (const LocationCase& c : cases) {
        EXPECT_EQ(glGetUniformLocation(program, c.name), c.afterRelink) << c.name;
        EXPECT_EQ(shader.getUniformLocation(c.name), c.first) << c.name << " was asked of OpenGL again";
    }
    EXPECT_EQ(shader.cachedUniformCount(), std::size(cases));

    shader.clearUniformCache();
    EXPECT_EQ(shader.cachedUniformCount(), 0u);
    for (const LocationCase& c : cases) {
        EXPECT_EQ(shader.getUniformLocation(c.name), c.afterRelink) << c.name;
    }
}

TEST_F(ShaderGL, TheSixCubeFaceMatricesAreSixEntries)
{
    linkLayout(3, 10, -1);
    Shader shader(program);
    for (int face = 0; face < 6; ++face) {
        EXPECT_EQ(shader.getUniformLocation("cm_mat[" + std::to_string(face) + "]"), 10 + face);
    }
    EXPECT_EQ(shader.cachedUniformCount(), 6u);
    EXPECT_EQ(shader.getID(), program);
}

TEST_F(ShaderGL, UseMakesTheProgramCurrent)
{
    linkLayout(3, 10, -1);
    Shader shader(program);
    shader.use();
    EXPECT_EQ(currentProgram(), program);
    glUseProgram(0);
}

TEST_F(ShaderGL, DestroyingAProgramWrapperDeletesTheProgramOnly)
{
    linkLayout(3, 10, -1);
    auto shader = std::make_shared<Shader>(program);
    shader.reset();
    EXPECT_FALSE(glIsProgram(program));
    EXPECT_TRUE(glIsShader(vertex));
    EXPECT_TRUE(glIsShader(fragment));
    glDeleteShader(vertex);
    glDeleteShader(fragment);
}

TEST_F(ShaderGL, DefaultShaderDestroysWithoutErrors)
{
    auto shader = std::make_unique<Shader>();
    EXPECT_EQ(shader->getID(), 0u);
    shader.reset();
}

class ShaderFilesGL : public GLTest {
protected:
    TempDir dir;
    std::string resources = std::filesystem::current_path().string() + "/Resources";

    void SetUp() override
    {
        GLTest::SetUp();
        dir.write("Resources/shader/t.vs", glsl::vertex);
        dir.write("Resources/shader/t.frag", glsl::fragment);
        dir.write("Resources/shader/t.tcs", glsl::tessControl);
        dir.write("Resources/shader/t.tes", glsl::tessEval);
        dir.write("Resources/shader/bad.frag", glsl::broken);
    }
};

struct FilesCase {
    const char* name;
    const char* vertex;
    const char* fragment;
    const char* tessControl;
    const char* tessEval;
    std::vector<GLenum> stages;
    bool linked;
    // Expected output streams; "@" stands for the Resources folder, "$" for the compile log of bad.frag.
    std::string out;
    std::string err;
};

void PrintTo(const FilesCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string expand(std::string text, const std::string& resources, const std::string& log)
{
    for (auto [mark, value] : {std::pair{'@', resources}, std::pair{'$', log}}) {
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size())) {
            text.replace(at, 1, value);
        }
    }
    return text;
}

class LoadFromFiles : public ShaderFilesGL, public ::testing::WithParamInterface<FilesCase> {};

TEST_P(LoadFromFiles, BuildsLinksAndSelectsTheProgram)
{
    const FilesCase& c = GetParam();
    Shader shader;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    shader.loadFromFiles(c.vertex, c.fragment, c.tessControl, c.tessEval);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    // A failed compile and selecting an unlinked program are reported through the debug output.
    EXPECT_EQ(watch.errors().empty(), c.linked);
    watch.clear();

    std::string log = c.out.find('$') == std::string::npos ? "" : compileLog(GL_FRAGMENT_SHADER, glsl::broken);
    watch.clear();
    EXPECT_EQ(out, expand(c.out, resources, log));
    EXPECT_EQ(err, expand(c.err, resources, log));
    EXPECT_EQ(attachedStages(shader.getID()), c.stages);
    EXPECT_EQ(isLinked(shader.getID()), c.linked);
    EXPECT_EQ(currentProgram(), c.linked ? shader.getID() : 0u);
    EXPECT_EQ(shader.cachedUniformCount(), 0u);
    glUseProgram(0);
}

const std::vector<GLenum> twoStages{GL_FRAGMENT_SHADER, GL_VERTEX_SHADER};
const std::vector<GLenum> fourStages{GL_FRAGMENT_SHADER, GL_VERTEX_SHADER, GL_TESS_EVALUATION_SHADER,
                                     GL_TESS_CONTROL_SHADER};

INSTANTIATE_TEST_SUITE_P(
    Shader, LoadFromFiles,
    ::testing::Values(
        FilesCase{"TwoStages", "/shader/t.vs", "/shader/t.frag", "", "", twoStages, true, "", ""},
        FilesCase{"EvaluationPathIgnoredWithoutControlPath", "/shader/t.vs", "/shader/t.frag", "",
                  "/shader/missing.tes", twoStages, true, "", ""},
        FilesCase{"FourStages", "/shader/t.vs", "/shader/t.frag", "/shader/t.tcs", "/shader/t.tes", fourStages,
                  true, "", ""},
        FilesCase{"ControlPathAloneMakesFourStageObjects", "/shader/t.vs", "/shader/t.frag", "/shader/t.tcs", "",
                  fourStages, false, "", "PATH DOES NOT WORK: @\n"},
        FilesCase{"MissingFileIsAttachedAllTheSame", "/shader/none.vs", "/shader/t.frag", "", "", twoStages,
                  false, "", "PATH DOES NOT WORK: @/shader/none.vs\n"},
        FilesCase{"CompileLogGoesToStandardOutput", "/shader/t.vs", "/shader/bad.frag", "", "", twoStages, false,
                  "$\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShaderFilesGL, ReloadingEmptiesTheCache)
{
    Shader shader;
    shader.loadFromFiles("/shader/t.vs", "/shader/t.frag", "", "");
    shader.getUniformLocation("anything");
    ASSERT_EQ(shader.cachedUniformCount(), 1u);
    shader.loadFromFiles("/shader/t.vs", "/shader/t.frag", "", "");
    EXPECT_EQ(shader.cachedUniformCount(), 0u);
    EXPECT_EQ(currentProgram(), shader.getID());
    glUseProgram(0);
}

TEST_F(ShaderFilesGL, DestroyingALoadedShaderLeavesTheTessellationStages)
{
    auto shader = std::make_unique<Shader>();
    shader->loadFromFiles("/shader/t.vs", "/shader/t.frag", "/shader/t.tcs", "/shader/t.tes");
    GLuint program = shader->getID();
    GLuint stages[4] = {};
    glGetAttachedShaders(program, 4, nullptr, stages);
    glUseProgram(0);
    shader.reset();

    EXPECT_FALSE(glIsProgram(program));
    for (GLuint stage : stages) {
        GLint type = 0;
        if (glIsShader(stage)) {
            glGetShaderiv(stage, GL_SHADER_TYPE, &type);
        }
        bool tessellation = type == GL_TESS_CONTROL_SHADER || type == GL_TESS_EVALUATION_SHADER;
        EXPECT_EQ(glIsShader(stage) == GL_TRUE, tessellation) << "shader " << stage;
    }
}

TEST_F(ShaderFilesGL, UnreadableWorkingDirectoryStopsBeforeCompiling)
{
    dir.enterRemovedFolder();

    Shader shader;
    testing::internal::CaptureStderr();
    shader.loadFromFiles("/shader/t.vs", "/shader/t.frag", "/shader/t.tcs", "/shader/t.tes");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "PROBLEMS WITH PATH\n");
    EXPECT_TRUE(glIsProgram(shader.getID()));
    EXPECT_TRUE(attachedStages(shader.getID()).empty());
    EXPECT_EQ(currentProgram(), 0u);
}

}
