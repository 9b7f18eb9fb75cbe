#pragma once

#include "app/ShaderSource.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <functional>
#include <string>
#include <vector>

// Small GLSL sources for the stages, and raw OpenGL queries that tests use to look at programs.
namespace glsl {
inline constexpr const char* vertex = "#version 430 core\nvoid main() { gl_Position = vec4(0.0); }\n";
inline constexpr const char* fragment =
    "#version 430 core\nout vec4 color;\nvoid main() { color = vec4(1.0); }\n";
inline constexpr const char* tessControl =
    "#version 430 core\nlayout(vertices = 3) out;\nvoid main() {\n"
    "  gl_TessLevelOuter[0] = 1.0; gl_TessLevelOuter[1] = 1.0; gl_TessLevelOuter[2] = 1.0;\n"
    "  gl_TessLevelInner[0] = 1.0;\n"
    "  gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position;\n}\n";
inline constexpr const char* tessEval =
    "#version 430 core\nlayout(triangles) in;\nvoid main() { gl_Position = gl_in[0].gl_Position; }\n";
inline constexpr const char* geometry =
    "#version 430 core\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
    "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } }\n";
inline constexpr const char* compute = "#version 430 core\nlayout(local_size_x = 1) in;\nvoid main() {}\n";
inline constexpr const char* broken = "#version 430 core\nvoid main() { this is not glsl }\n";
}

bool isLinked(GLuint program);

GLuint currentProgram();

// The info log that compiling `source` as `stage` gives, on a shader made just for asking.
std::string compileLog(GLenum stage, const std::string& source);

// The info log that the last link of `program` left.
std::string linkLog(GLuint program);

// A shader of `stage` compiled from `source` (the test asserts nothing about it).
GLuint compiledShader(GLenum stage, const std::string& source);

// How many primitives `draw` generated, counted by a GL_PRIMITIVES_GENERATED query.
GLuint primitivesGenerated(const std::function<void()>& draw);

// The current value of a mat4 uniform of `program`.
glm::mat4 uniformMatrix(GLuint program, const char* name);
