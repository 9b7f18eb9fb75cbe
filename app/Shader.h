#pragma once

#include <GL/glew.h>

#include <map>
#include <string>

// One linked OpenGL program and the locations of its uniforms, looked up once per name.
class Shader {
public:
    Shader();
    explicit Shader(GLuint program);
    ~Shader();

    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    void use();
    GLint getUniformLocation(std::string name);
    GLuint getID();
    void clearUniformCache();

    // Builds, links and selects a program from sources below Resources (paths begin with "/").
    void loadFromFiles(std::string vertexPath, std::string fragmentPath, std::string tessControlPath,
                       std::string tessEvalPath);
    bool compileShaderFile(GLuint shader, std::string path);

    size_t cachedUniformCount() const { return uniformLocationCache.size(); }

private:
    GLuint programID;
    GLuint vertexShaderID;
    GLuint fragmentShaderID;
    GLuint tessControlShaderID;
    GLuint tessEvalShaderID;
    std::map<std::string, GLint> uniformLocationCache;
};
