#include "app/ShaderSource.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

bool readShaderSource(const std::string& path, std::string& source)
{
    // A folder opens as a stream on Linux but has no text to read.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return false;
    }
    std::ifstream file(path);
    if (!file.is_open()) {
        return false;
    }
    std::stringstream contents;
    contents << file.rdbuf();
    source = contents.str();
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
