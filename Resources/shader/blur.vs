#version 430 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;

uniform sampler2D image;
uniform int horizontal;

// Where the draw's one fetch lies, worked out at the quad's corners: half a texel ahead along the
// diagonal on the draws that have "horizontal" set, half a texel behind on the others.
out vec2 uvTap;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    uvTap = texCoord + (horizontal == 1 ? 0.5 : -0.5) * texel;
    gl_Position = vec4(position, 1.0);
}
