#version 430 core

// One point per flake. Everything the flake needs is worked out here, once per point, so that
// the geometry stage only places corners: the software renderer runs that stage on one thread.
layout(location = 0) in vec4 positionTimer;
layout(location = 1) in vec4 velocityPhase;
layout(location = 2) in vec4 stepSize;

uniform mat4 projMatrix;
uniform mat4 viewMatrix;
uniform vec2 globalScale;
uniform float nearPlane;
uniform float farPlane;
uniform int contourEnabled;
uniform float contourConstant;
uniform float contourDepthFactor;

out Flake {
    // The clip-space half size of the flake's square on x and y; 0 for a flake not drawn.
    vec2 extent;
    // Motion in NDC / 2 over the last step, the facing below which the rim takes the contour
    // colour, and 1 for a flake drawn as a plain dot.
    vec4 shade;
} flake;

// Half a flake's square is never less than this share of the view's half height: about one
// pixel of the run's window, so that far flakes stay dots instead of flickering out.
const float MIN_EXTENT = 0.003;
// Far away a flake is at most a dot and dots crowd into a sheet: past this distance only a share
// falling with the square of the distance is drawn, which keeps the dots per depth even.
const float THIN_FROM = 60.0;
// Closer than this a flake would fill much of the view.
const float NEAREST = 2.5;
// A lying flake is drawn smaller, as it lies flat, and shrinks away over its last time units; a
// new one grows in over its first.
const float LYING_SIZE = 0.5;
const float SHRINK_TIME = 2.0;
const float GROW_TIME = 0.5;

void main()
{
    vec4 view = viewMatrix * vec4(positionTimer.xyz, 1.0);
    vec4 clip = projMatrix * view;
    vec4 before = projMatrix * (viewMatrix * vec4(positionTimer.xyz - stepSize.xyz, 1.0));

    float away = -view.z;
    float share = THIN_FROM / max(away, THIN_FROM);
    bool drawn = away > NEAREST && fract(velocityPhase.w * 0.6180339) < share * share;

    float timer = positionTimer.w;
    float fade = timer > 0.0 ? LYING_SIZE * clamp(timer / SHRINK_TIME, 0.0, 1.0) : clamp(-timer / GROW_TIME, 0.0, 1.0);
    // Column 0 of the projection is its x scale; globalScale carries the view's scale and the aspect.
    vec2 extent = stepSize.w * fade * projMatrix[0][0] * globalScale;
    float least = MIN_EXTENT * max(clip.w, 0.0);
    float plain = extent.y <= least ? 1.0 : 0.0;
    extent = max(extent, vec2(least * globalScale.x / globalScale.y, least));

    float depth = clamp((away - nearPlane) / (farPlane - nearPlane), 0.0, 1.0);
    float contour = contourEnabled != 0 ? contourConstant * (1.0 - contourDepthFactor * depth) : -1.0;

    vec2 motion = vec2(0.0);
    if (before.w > 0.0 && clip.w > 0.0) {
        motion = (clip.xy / clip.w - before.xy / before.w) * 0.5;
    }
    flake.extent = drawn && fade > 0.0 ? extent : vec2(0.0);
    flake.shade = vec4(motion, contour, plain);
    gl_Position = clip;
}
