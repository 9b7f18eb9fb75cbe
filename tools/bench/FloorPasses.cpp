#include "tools/bench/FloorPasses.h"

#include "app/RenderTarget.h"
#include "app/ShaderSource.h"

#include <chrono>
#include <iostream>
#include <string>

namespace {

constexpr int kPasses = 54;

const char* const kVertexSource = R"(#version 430 core
out vec2 uv;
// A strip of four corners from the vertex number alone: no vertex buffer to read.
void main()
{
    uv = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    gl_Position = vec4(uv * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const kFragmentSource = R"(#version 430 core
in vec2 uv;
uniform sampler2D image;
layout(location = 0) out vec4 color;
void main()
{
    color = vec4(texture(image, uv).rgb, 1.0);
}
)";

GLuint compileStage(GLenum stage, const char* source)
{
    GLuint shader = glCreateShader(stage);
    if (!compileShaderSource(shader, source)) {
        std::cerr << "floor pass: " << shaderInfoLog(shader) << std::endl;
    }
    return shader;
}

}

FloorPasses::FloorPasses(int width, int height) : width(width), height(height)
{
    program = glCreateProgram();
    GLuint vertex = compileStage(GL_VERTEX_SHADER, kVertexSource);
    GLuint fragment = compileStage(GL_FRAGMENT_SHADER, kFragmentSource);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);

    glGenFramebuffers(2, framebuffers);
    for (int i = 0; i < 2; ++i) {
        targets[i] = createColorTarget(width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[i]);
        attachColorTarget(targets[i], 0);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGenVertexArrays(1, &vertexArray);
}

FloorPasses::~FloorPasses()
{
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteFramebuffers(2, framebuffers);
    glDeleteTextures(2, targets);
    glDeleteProgram(program);
}

double FloorPasses::measure()
{
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    glUseProgram(program);
    glViewport(0, 0, width, height);
    glBindVertexArray(vertexArray);
    // Unit 0 is free: the system binds every texture on the unit of its own name, never 0.
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(glGetUniformLocation(program, "image"), 0);
    for (int i = 0; i < kPasses; ++i) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[i % 2]);
        glBindTexture(GL_TEXTURE_2D, targets[(i + 1) % 2]);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
