#version 430 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 modelMatrix;
uniform mat4 normalMatrix;

out vec3 controlPosition;
out vec3 controlNormal;
out vec2 controlTexCoord;

void main()
{
    controlPosition = (modelMatrix * vec4(position, 1.0)).xyz;
    controlNormal = mat3(normalMatrix) * normal;
    controlTexCoord = uv;
}
