#version 430 core

// Text quads in screen units: an 800 x 600 screen with (0, 0) at the bottom left.
layout(location = 0) in vec2 screenPosition;
layout(location = 1) in vec2 vertexUV;

out vec2 uv;

const vec2 screenSize = vec2(800.0, 600.0);

void main()
{
    gl_Position = vec4(screenPosition / screenSize * 2.0 - 1.0, 0.0, 1.0);
    uv = vertexUV;
}
