#pragma once

#include "app/SizeLimit.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <functional>
#include <string>

// The one desktop window, its OpenGL 4.3 core context, Escape to close, and the 60 Hz frame gate.
class DemoWindow {
public:
    // Asked with each limit the window must keep to: the screen's size before the window is made, then
    // the context's maximum texture, renderbuffer and viewport sizes once a context exists. It may
    // change the size; a window made at a size that it then changes is made anew at the new one.
    using SizeCheck = std::function<void(const SizeLimit& limit, unsigned& width, unsigned& height)>;

    DemoWindow(unsigned width, unsigned height, std::string title, SizeCheck check = nullptr);
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
    unsigned getWidth() const { return width; }
    unsigned getHeight() const { return height; }

    // Never called by the run: the set-up sequence again, and the window step alone.
    bool reinitialize();
    bool recreateWindow();

private:
    bool initGlfw();
    void applyHints();
    bool createWindow();
    bool initGlew();
    void fitScreen(const SizeCheck& check);
    void fitContext(const SizeCheck& check);

    unsigned width;
    unsigned height;
    std::string title;
    float fps;
    float lastTime;
    float accumulator;
    GLFWwindow* window;
    bool contextReady = false;
};
