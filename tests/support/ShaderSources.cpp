#include "tests/support/ShaderSources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

const std::map<std::string, GLenum> kStages = {
    {"vs", GL_VERTEX_SHADER},          {"vert", GL_VERTEX_SHADER},          {"frag", GL_FRAGMENT_SHADER},
    {"gm", GL_GEOMETRY_SHADER},        {"geom", GL_GEOMETRY_SHADER},        {"tcs", GL_TESS_CONTROL_SHADER},
    {"tes", GL_TESS_EVALUATION_SHADER}, {"cs", GL_COMPUTE_SHADER},
};

std::string infoLog(GLuint object, bool program)
{
    GLint length = 0;
    program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length) : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    program ? glGetProgramInfoLog(object, length, nullptr, log.data())
            : glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.data();
}

}

std::shared_ptr<Shader> buildProgramFromSources(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(VELMORRA_SOURCE_DIR) / "Resources" / "shader";
    GLuint program = glCreateProgram();
    int stages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::filesystem::path file = entry.path();
        const std::string extension = file.extension().string();
        auto stage = extension.empty() ? kStages.end() : kStages.find(extension.substr(1));
        if (file.stem().string() != name || stage == kStages.end()) {
            continue;
        }
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        const char* sourceText = source.c_str();
        GLuint shader = glCreateShader(stage->second);
        glShaderSource(shader, 1, &sourceText, nullptr);
        glCompileShader(shader);
        GLint compiled = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        EXPECT_NE(compiled, 0) << file << ":\n" << infoLog(shader, false);
        glAttachShader(program, shader);
        glDeleteShader(shader);
        ++stages;
    }
    EXPECT_GT(stages, 0) << "no sources for program " << name << " in " << folder;
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_NE(linked, 0) << name << ":\n" << infoLog(program, true);
    return std::make_shared<Shader>(program);
}
