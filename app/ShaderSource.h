#pragma once

#include "app/TextFile.h"

#include <GL/glew.h>

#include <cstddef>
#include <string>
#include <vector>

// The steps that both shader compile routines share; each routine writes its own messages.

// The most a shader source may hold: far beyond any real one, and a file that never ends
// (a link to /dev/zero, say) is refused rather than read until memory runs out.
constexpr std::size_t kShaderSourceLimit = 1u << 20;

// Reads a whole source file; anything but a regular file of at most kShaderSourceLimit bytes is refused.
FileContents readShaderFile(const std::string& path);
// The same, when why does not matter; false when it cannot be had.
bool readShaderSource(const std::string& path, std::string& source);

// Sources and compiles `shader`; true when OpenGL reports it compiled.
bool compileShaderSource(GLuint shader, const std::string& source);

// The info log as text; empty when OpenGL reports no log (as for a name it never made).
std::string shaderInfoLog(GLuint shader);
std::string programInfoLog(GLuint program);

// The stage types of the shaders attached to `program`, in ascending enum order.
std::vector<GLenum> attachedStages(GLuint program);
