#include "app/ShaderLoader.h"

#include "app/Platform.h"
#include "app/Shader.h"
#include "app/ShaderSource.h"

#include <array>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace {

struct FeedbackVaryings {
    const char* program;
    std::vector<const char*> names;
};

// Programs whose outputs are captured by transform feedback; the names must be declared before linking.
const std::array<FeedbackVaryings, 4> feedbackVaryings{{
    {"emission", {"gs_PositionType", "gs_VelocityAge", "gs_AuxVecOne"}},
    {"simulation", {"gs_PositionType", "gs_VelocityAge", "gs_AuxVecOne"}},
    {"update", {"Type1", "Position1", "Velocity1", "Age1"}},
    {"morvaskTrell", {"Type1", "Position1", "Velocity1", "Age1", "LifeTime1", "Radius1"}},
}};

void declareFeedbackVaryings(const std::string& program, GLuint id)
{
    for (const FeedbackVaryings& entry : feedbackVaryings) {
        if (program == entry.program) {
            glTransformFeedbackVaryings(id, static_cast<GLsizei>(entry.names.size()), entry.names.data(),
                                        GL_INTERLEAVED_ATTRIBS);
        }
    }
}

int unreadableFolder(const std::string& folderPath, const std::error_code& error)
{
    platform::reportError("shader folder " + folderPath + " could not be read: " + error.message());
    return 0;
}

// Compiles one folder entry and attaches it to the program of its name, registering a new one.
void loadShaderFile(const std::filesystem::path& entry, ShaderMap& registry)
{
    std::string fullPath = entry.string();
    std::string fileName = entry.filename().string();
    size_t dot = fileName.rfind('.');
    std::string name = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    std::string postfix = dot == std::string::npos ? fileName : fileName.substr(dot + 1);
    std::cout << "\nshader " << name << " with postfix " << postfix << std::endl;

    auto registered = registry.find(name);
    bool isNew = registered == registry.end();
    GLuint program;
    if (isNew) {
        std::cout << "\nno such shader created yet. creating new shader program...";
        program = glCreateProgram();
    } else {
        std::cout << "\nadding to existing shader program...";
        program = registered->second->getID();
    }

    GLuint shader = glCreateShader(shaderStageFromPostfix(postfix));
    if (!compileShaderFile(shader, fullPath)) {
        std::cerr << "\nshader could not be created..." << std::endl;
        return;
    }
    std::cout << "\ninit shader success - attaching..." << fullPath << std::endl;
    glAttachShader(program, shader);
    if (isNew) {
        registry.emplace(name, std::make_shared<Shader>(program));
    }
}

void linkPrograms(ShaderMap& registry)
{
    for (const auto& [name, shader] : registry) {
        std::cout << "\nlinking shaderprogram " << name << std::endl;
        GLuint program = shader->getID();
        declareFeedbackVaryings(name, program);
        glLinkProgram(program);
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked == 0) {
            std::cerr << programInfoLog(program) << std::endl;
        }
    }
}

}

int loadShaderPrograms(std::string folder, ShaderMap* registry)
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return 1;
    }
    std::string folderPath = cwd + folder;
    std::cout << "\nshaderfolder path is: " << folderPath << std::endl;

    std::error_code error;
    std::filesystem::directory_iterator walk(folderPath, error);
    for (; !error && walk != std::filesystem::directory_iterator(); walk.increment(error)) {
        loadShaderFile(walk->path(), *registry);
    }
    if (error) {
        return unreadableFolder(folderPath, error);
    }
    linkPrograms(*registry);
    return 1;
}

GLenum shaderStageFromPostfix(std::string postfix)
{
    static const std::array<std::pair<const char*, GLenum>, 8> stages{{
        {"vs", GL_VERTEX_SHADER},
        {"vert", GL_VERTEX_SHADER},
        {"frag", GL_FRAGMENT_SHADER},
        {"gm", GL_GEOMETRY_SHADER},
        {"geom", GL_GEOMETRY_SHADER},
        {"tcs", GL_TESS_CONTROL_SHADER},
        {"tes", GL_TESS_EVALUATION_SHADER},
        {"cs", GL_COMPUTE_SHADER},
    }};
    for (const auto& [name, stage] : stages) {
        if (postfix == name) {
            return stage;
        }
    }
    return GL_INVALID_ENUM;
}

bool compileShaderFile(GLuint shader, std::string path)
{
    std::string source;
    if (!readShaderSource(path, source)) {
        platform::reportError("invalid path " + path);
        return false;
    }
    if (compileShaderSource(shader, source)) {
        return true;
    }
    std::cerr << shaderInfoLog(shader) << std::endl;
    return false;
}

int loadShaders()
{
    return loadShaderPrograms("/Resources/shader", &shaderMap);
}
