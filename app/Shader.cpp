#include "app/Shader.h"

#include "app/Platform.h"
#include "app/ShaderSource.h"

#include <iostream>

Shader::Shader() : Shader(0) {}

Shader::Shader(GLuint program)
    : programID(program), vertexShaderID(0), fragmentShaderID(0), tessControlShaderID(0), tessEvalShaderID(0)
{
}

Shader::~Shader()
{
    glDeleteShader(fragmentShaderID);
    glDeleteShader(vertexShaderID);
    glDeleteProgram(programID);
}

void Shader::use()
{
    glUseProgram(programID);
}

GLint Shader::getUniformLocation(std::string name)
{
    auto found = uniformLocationCache.find(name);
    if (found != uniformLocationCache.end()) {
        return found->second;
    }
    GLint location = glGetUniformLocation(programID, name.c_str());
    uniformLocationCache.emplace(std::move(name), location);
    return location;
}

GLuint Shader::getID()
{
    return programID;
}

void Shader::clearUniformCache()
{
    uniformLocationCache.clear();
}

void Shader::loadFromFiles(std::string vertexPath, std::string fragmentPath, std::string tessControlPath,
                           std::string tessEvalPath)
{
    programID = glCreateProgram();
    vertexShaderID = glCreateShader(GL_VERTEX_SHADER);
    fragmentShaderID = glCreateShader(GL_FRAGMENT_SHADER);
    bool tessellated = !tessControlPath.empty();
    if (tessellated) {
        tessControlShaderID = glCreateShader(GL_TESS_CONTROL_SHADER);
        tessEvalShaderID = glCreateShader(GL_TESS_EVALUATION_SHADER);
    }

    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        std::cerr << "PROBLEMS WITH PATH" << std::endl;
        return;
    }
    std::string base = cwd + "/Resources";

    compileShaderFile(vertexShaderID, base + vertexPath);
    compileShaderFile(fragmentShaderID, base + fragmentPath);
    glAttachShader(programID, vertexShaderID);
    glAttachShader(programID, fragmentShaderID);
    if (tessellated) {
        compileShaderFile(tessControlShaderID, base + tessControlPath);
        compileShaderFile(tessEvalShaderID, base + tessEvalPath);
        glAttachShader(programID, tessControlShaderID);
        glAttachShader(programID, tessEvalShaderID);
    }
    glLinkProgram(programID);
    glUseProgram(programID);
    uniformLocationCache.clear();
}

bool Shader::compileShaderFile(GLuint shader, std::string path)
{
    std::string source;
    if (!readShaderSource(path, source)) {
        std::cerr << "PATH DOES NOT WORK: " << path << std::endl;
        return false;
    }
    if (compileShaderSource(shader, source)) {
        return true;
    }
    std::cout << shaderInfoLog(shader) << std::endl;
    return false;
}
