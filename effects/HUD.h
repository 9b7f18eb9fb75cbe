#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>

class Shader;

// Draws lines of text from a 16 x 16 glyph grid in a DXT-compressed DDS font.
// The font texture and the two vertex buffers are shared by every HUD (see HUD.cpp).
class HUD {
public:
    HUD();

    // Loads a DXT1/3/5 DDS file with its mip-map levels into a new texture; 0 when it cannot.
    static GLuint loadDDS(const char* path);

    // x, y: bottom-left corner of the first glyph cell in 800 x 600 screen units; size: the cell side.
    void printText(const char* text, int x, int y, int size, glm::vec3 color);
    void setShader(std::shared_ptr<Shader> program);
    void cleanup();

    std::shared_ptr<Shader> shader;
    GLuint vertexArray = 0;
};
