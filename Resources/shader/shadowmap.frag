#version 430 core

in vec3 worldPosition;

uniform vec4 l_pos;
uniform vec2 near_far;

// The cube holds the distance from the light over the far plane, the same in every direction,
// so the lit programs compare plain distances.
void main()
{
    gl_FragDepth = length(worldPosition - l_pos.xyz) / near_far.y;
}
