#include "app/ShaderLoader.h"

#include <gtest/gtest.h>

namespace {

TEST(ShaderStageFromPostfix, KnowsExactlyTheEightPostfixes)
{
    const std::pair<const char*, GLenum> cases[] = {
        {"vs", GL_VERTEX_SHADER},
        {"vert", GL_VERTEX_SHADER},
        {"frag", GL_FRAGMENT_SHADER},
        {"gm", GL_GEOMETRY_SHADER},
        {"geom", GL_GEOMETRY_SHADER},
        {"tcs", GL_TESS_CONTROL_SHADER},
        {"tes", GL_TESS_EVALUATION_SHADER},
        {"cs", GL_COMPUTE_SHADER},
        {"fs", GL_INVALID_ENUM},
        {"VS", GL_INVALID_ENUM},
        {"Frag", GL_INVALID_ENUM},
        {"tesc", GL_INVALID_ENUM},
        {"tese", GL_INVALID_ENUM},
        {"comp", GL_INVALID_ENUM},
        {"glsl", GL_INVALID_ENUM},
        {"txt", GL_INVALID_ENUM},
        {"vs ", GL_INVALID_ENUM},
        {"v", GL_INVALID_ENUM},
        {"fragment", GL_INVALID_ENUM},
        {"", GL_INVALID_ENUM},
    };
    for (const auto& [postfix, stage] : cases) {
        EXPECT_EQ(shaderStageFromPostfix(postfix), stage) << '"' << postfix << '"';
    }
}

}
