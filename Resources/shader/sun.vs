#version 430 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 modelMatrix;
uniform mat4 normalMatrix;
uniform mat4 viewProjMatrix;

out vec3 worldNormal;

void main()
{
    worldNormal = mat3(normalMatrix) * normal;
    gl_Position = viewProjMatrix * modelMatrix * vec4(position, 1.0);
}
