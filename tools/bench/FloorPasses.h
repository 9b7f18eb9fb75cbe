#pragma once

#include <GL/glew.h>

// The floor of a frame: as many full-screen draws as the post-processing chain makes (54), each
// reading one texel through a linear filter into an RGB16F target of the window size. No frame
// of the run can cost less, so frames are compared with it, measured in the same process.
class FloorPasses {
public:
    FloorPasses(int width, int height);
    ~FloorPasses();

    FloorPasses(const FloorPasses&) = delete;
    FloorPasses& operator=(const FloorPasses&) = delete;

    // Milliseconds from the first of the 54 draws to their completion.
    double measure();

private:
    int width;
    int height;
    GLuint program = 0;
    GLuint targets[2] = {};
    GLuint framebuffers[2] = {};
    GLuint vertexArray = 0;
};
