#pragma once

#include <GL/glew.h>

#include <string>

// A registered 2D texture: the name it is filed under and its OpenGL name.
// The GL texture outlives the record; nothing deletes it.
struct Texture {
    std::string name;
    GLuint id = 0;
};
