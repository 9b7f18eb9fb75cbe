#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <string>

// The one desktop window, its OpenGL 4.3 core context, Escape to close, and the 60 Hz frame gate.
class DemoWindow {
public:
    DemoWindow(unsigned width, unsigned height, std::string title);
    ~DemoWindow();

    DemoWindow(const DemoWindow&) = delete;
    DemoWindow& operator=(const DemoWindow&) = delete;

    // True when a frame is due; only then are window events polled.
    bool frameDue();
    bool isOpen();
    void clear();
    void swapBuffers();

    // The gate's arithmetic on the float clock, apart from the timer and the event poll.
    static bool advanceGate(float now, float interval, float& lastTime, float& accumulator);

    static void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);

    // A usable context exists: the window was created and GLEW started.
    bool hasContext() const { return contextReady; }
    GLFWwindow* handle() const { return window; }

    // Never called by the run: the set-up sequence again, and the window step alone.
    bool reinitialize();
    bool recreateWindow();

private:
    bool initGlfw();
    void applyHints();
    bool createWindow();
    bool initGlew();

    unsigned width;
    unsigned height;
    std::string title;
    float fps;
    float lastTime;
    float accumulator;
    GLFWwindow* window;
    bool contextReady = false;
};
