#version 430 core

in vec3 worldNormal;

layout(location = 0) out vec4 litColor;
layout(location = 1) out vec4 bloomColor;
layout(location = 2) out vec4 motionVector;

// A glowing ball, a little warmer on its upper half; it feeds the bloom in full.
void main()
{
    float top = 0.5 + 0.5 * normalize(worldNormal).y;
    vec3 glow = mix(vec3(3.6, 3.2, 2.6), vec3(4.0, 3.8, 3.4), top);
    litColor = vec4(glow, 1.0);
    bloomColor = vec4(glow, 1.0);
    motionVector = vec4(0.0);
}
