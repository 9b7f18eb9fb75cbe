#version 430 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 modelMatrix;
uniform mat4 viewProjMatrix;
uniform mat4 oldviewProjMatrix;

out vec3 worldPosition;
out vec2 texCoord;
// Both clip positions go to the fragment stage so that the motion vector divides per fragment.
out vec4 clipNow;
out vec4 clipBefore;

void main()
{
    vec4 world = modelMatrix * vec4(position, 1.0);
    worldPosition = world.xyz;
    texCoord = uv;
    clipNow = viewProjMatrix * world;
    clipBefore = oldviewProjMatrix * world;
    gl_Position = clipNow;
}
