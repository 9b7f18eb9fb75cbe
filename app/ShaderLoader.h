#pragma once

#include "app/Globals.h"

#include <GL/glew.h>

#include <string>

// Compiles every file of a flat folder as one stage of the program named after the file
// (name.postfix), registers one Shader per program name and links them all.
// `folder` lies below the working directory and begins with "/". Returns 1, or 0 when the
// folder cannot be walked (the message is printed; the program cannot go on without it).
int loadShaderPrograms(std::string folder, ShaderMap* registry);

// The stage a file postfix names; GL_INVALID_ENUM for any other postfix.
GLenum shaderStageFromPostfix(std::string postfix);

// Reads, sources and compiles one file; true when it compiled.
bool compileShaderFile(GLuint shader, std::string path);

int loadShaders();
