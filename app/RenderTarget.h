#pragma once

#include <GL/glew.h>

// The colour target every off-screen pass draws into: a GL_RGB16F 2D texture of one level,
// linear filtering, clamped at the edges. Returns the new texture, left bound to GL_TEXTURE_2D.
GLuint createColorTarget(GLsizei width, GLsizei height);

// (Re)specifies the storage of an existing colour target with the same format and parameters.
void specifyColorTarget(GLuint texture, GLsizei width, GLsizei height);

// Attaches a colour target to the bound GL_FRAMEBUFFER as colour attachment `index`.
void attachColorTarget(GLuint texture, GLuint index);
