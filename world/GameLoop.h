#pragma once

#include <memory>

class DemoWindow;
class World;

// Drives the run: on every frame the window's gate lets through, the scripted timeline
// advances and the scene is drawn; once the clock has passed 130 the closing screen follows.
class GameLoop {
public:
    GameLoop() = default;

    // Runs until the window is closed, then terminates GLFW.
    void run();

    // What run() does before its first frame: the one-time GL state, the clock and the camera tilt.
    void start();
    // What run() does on a frame the gate lets through.
    void dueFrame();
    void scriptedFrame();

    // Never called by the run.
    void scaleTimeStep(float factor);
    // The timeline's events of a scripted frame without the clock increment, the clear and the draws.
    void runScript();

    float time = 0.0f;
    float timeStep = 0.1f;
    float cameraSpeed = 1.0f;
    std::shared_ptr<DemoWindow> window;
    std::shared_ptr<World> world;
};
