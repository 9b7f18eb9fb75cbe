#pragma once

#include <GL/glew.h>

#include <string>

// The steps that both shader compile routines share; each routine writes its own messages.

// Reads a whole text file; false when it cannot be opened as a file (missing, unreadable, a folder).
bool readShaderSource(const std::string& path, std::string& source);

// Sources and compiles `shader`; true when OpenGL reports it compiled.
bool compileShaderSource(GLuint shader, const std::string& source);

// The info log as text; empty when OpenGL reports no log (as for a name it never made).
std::string shaderInfoLog(GLuint shader);
std::string programInfoLog(GLuint program);
