#include "tests/support/ShaderSources.h"

#include "app/ShaderLoader.h"
#include "tests/support/ShaderProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

std::shared_ptr<Shader> buildProgramFromSources(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(VELMORRA_SOURCE_DIR) / "Resources" / "shader";
    GLuint program = glCreateProgram();
    int stages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::filesystem::path file = entry.path();
        const std::string extension = file.extension().string();
        const GLenum stage = extension.empty() ? GL_INVALID_ENUM : shaderStageFromPostfix(extension.substr(1));
        if (file.stem().string() != name || stage == GL_INVALID_ENUM) {
            continue;
        }
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        GLuint shader = compiledShader(stage, source);
        GLint compiled = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        EXPECT_NE(compiled, 0) << file << ":\n" << compileLog(stage, source);
        glAttachShader(program, shader);
        glDeleteShader(shader);
        ++stages;
    }
    EXPECT_GT(stages, 0) << "no sources for program " << name << " in " << folder;
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_NE(linked, 0) << name << ":\n" << linkLog(program);
    return std::make_shared<Shader>(program);
}
