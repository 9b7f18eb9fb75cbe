#include "app/ShaderSource.h"

#include <algorithm>
#include <utility>

namespace {

std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getLength, PFNGLGETSHADERINFOLOGPROC fetch)
{
    GLint length = 0;
    getLength(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return {};
    }
    std::string log(static_cast<size_t>(length), '\0');
    fetch(object, length, nullptr, log.data());
    return log.c_str();
}

}

FileContents readShaderFile(const std::string& path)
{
    return readWholeFile(path, kShaderSourceLimit);
}

bool readShaderSource(const std::string& path, std::string& source)
{
    FileContents file = readShaderFile(path);
    if (!file.read()) {
        return false;
    }
    source = std::move(file.bytes);
    return true;
}

bool compileShaderSource(GLuint shader, const std::string& source)
{
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status != 0;
}

std::string shaderInfoLog(GLuint shader)
{
    return infoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string programInfoLog(GLuint program)
{
    return infoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

std::vector<GLenum> attachedStages(GLuint program)
{
    GLint count = 0;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    std::vector<GLuint> shaders(static_cast<size_t>(std::max(count, 0)));
    if (!shaders.empty()) {
        glGetAttachedShaders(program, count, nullptr, shaders.data());
    }
    std::vector<GLenum> stages;
    for (GLuint shader : shaders) {
        GLint type = 0;
        glGetShaderiv(shader, GL_SHADER_TYPE, &type);
        stages.push_back(static_cast<GLenum>(type));
    }
    std::sort(stages.begin(), stages.end());
    return stages;
}
