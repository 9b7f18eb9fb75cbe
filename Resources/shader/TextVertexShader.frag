#version 430 core

in vec2 uv;

layout(location = 0) out vec4 fragColor;

uniform sampler2D myTextureSampler;
uniform vec3 colorIn;

void main()
{
    // The glyph's coverage is the font's alpha; the colour is the line's.
    fragColor = vec4(colorIn, texture(myTextureSampler, uv).a);
}
