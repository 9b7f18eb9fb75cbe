#include "app/Shader.h"
#include "app/ShaderLoader.h"
#include "tests/support/GLTestContext.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class RealResources : public GLTest {};

// The assembled Resources folder next to the program: every source compiles, every program links,
// and nothing is written to standard error.
TEST_F(RealResources, EveryShaderProgramCompilesAndLinks)
{
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(VELMORRA_BINARY_DIR);
    ShaderMap registry;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int result = loadShaderPrograms("/Resources/shader", &registry);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    std::filesystem::current_path(previous);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.find("could not be created"), std::string::npos) << out;
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;

    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VELMORRA_BINARY_DIR) + "/Resources/shader")) {
        (void)entry;
        ++files;
    }
    EXPECT_GT(files, 0u);
    EXPECT_FALSE(registry.empty());
    for (const auto& [name, shader] : registry) {
        GLint linked = 0;
        glGetProgramiv(shader->getID(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << name;
    }
}

}
