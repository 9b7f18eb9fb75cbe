#include "app/ShaderLoader.h"

#include "app/Platform.h"
#include "app/Shader.h"
#include "app/ShaderSource.h"

#include <algorithm>
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

// The stages that the system's use of a program needs, with the postfix of the file that gives each.
struct Stage {
    GLenum type;
    const char* name;
    const char* postfix;
};

const Stage vertexStage{GL_VERTEX_SHADER, "vertex", "vs"};
const Stage fragmentStage{GL_FRAGMENT_SHADER, "fragment", "frag"};
const Stage geometryStage{GL_GEOMETRY_SHADER, "geometry", "gm"};
const Stage tessEvalStage{GL_TESS_EVALUATION_SHADER, "tessellation evaluation", "tes"};
const Stage computeStage{GL_COMPUTE_SHADER, "compute", "cs"};

struct RequiredStages {
    const char* program;
    std::vector<Stage> stages;
};

// A program that lacks one of these still links, and then draws nothing: a black window without a word.
const std::array<RequiredStages, 13> requiredStages{{
    {"terrain", {vertexStage, tessEvalStage, fragmentStage}},
    {"shadowmap", {vertexStage, geometryStage}},
    {"background", {vertexStage, fragmentStage}},
    {"cook_torrance", {vertexStage, fragmentStage}},
    {"TextVertexShader", {vertexStage, fragmentStage}},
    {"downsampler", {vertexStage, fragmentStage}},
    {"featureGeneration", {vertexStage, fragmentStage}},
    {"blur", {vertexStage, fragmentStage}},
    {"upscale", {vertexStage, fragmentStage}},
    {"particlesystem_begin", {computeStage}},
    {"particlesystem_2", {computeStage}},
    {"particlesystem_crash", {computeStage}},
    {"renderParticles", {vertexStage, fragmentStage}},
}};

void reportMissingStages(const std::string& folderPath, const std::string& program, GLuint id)
{
    for (const RequiredStages& required : requiredStages) {
        if (program != required.program) {
            continue;
        }
        std::vector<GLenum> present = attachedStages(id);
        for (const Stage& stage : required.stages) {
            if (std::find(present.begin(), present.end(), stage.type) == present.end()) {
                std::cerr << "\nshader program " << program << " has no " << stage.name << " stage: " << folderPath
                          << "/" << program << "." << stage.postfix << " is missing or did not compile" << std::endl;
            }
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

void linkPrograms(const std::string& folderPath, ShaderMap& registry)
{
    for (const auto& [name, shader] : registry) {
        std::cout << "\nlinking shaderprogram " << name << std::endl;
        GLuint program = shader->getID();
        declareFeedbackVaryings(name, program);
        glLinkProgram(program);
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked == 0) {
            std::cerr << "shader program " << name << " does not link:" << std::endl;
            std::cerr << programInfoLog(program) << std::endl;
        }
        reportMissingStages(folderPath, name, program);
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
    linkPrograms(folderPath, *registry);
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
    FileContents file = readShaderFile(path);
    if (file.status == FileContents::Status::TooLarge) {
        std::cerr << path << " " << file.problem << ": too large for a shader source" << std::endl;
        return false;
    }
    if (!file.read()) {
        platform::reportError("invalid path " + path);
        std::cerr << path << " " << file.problem << std::endl;
        return false;
    }
    if (compileShaderSource(shader, file.bytes)) {
        return true;
    }
    if (shader == 0) {
        std::cerr << path << ": its postfix names no shader stage" << std::endl;
    } else {
        std::cerr << path << " does not compile:" << std::endl;
    }
    std::cerr << shaderInfoLog(shader) << std::endl;
    return false;
}

int loadShaders()
{
    return loadShaderPrograms("/Resources/shader", &shaderMap);
}
