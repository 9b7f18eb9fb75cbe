#include "app/DemoWindow.h"

#include "app/Platform.h"

namespace {

SizeLimit contextLimit(GLenum limit, const char* what)
{
    GLint size = 0;
    glGetIntegerv(limit, &size);
    return {static_cast<unsigned>(size), static_cast<unsigned>(size), what};
}

}

DemoWindow::DemoWindow(unsigned width, unsigned height, std::string title, SizeCheck check)
    : width(width), height(height), title(std::move(title)), fps(60.0f), lastTime(0.0f), accumulator(0.0f),
      window(nullptr)
{
    if (!initGlfw()) {
        return;
    }
    applyHints();
    if (check) {
        fitScreen(check);
    }
    bool created = createWindow();
    glfwMakeContextCurrent(window);
    contextReady = initGlew() && created;
    if (contextReady && check) {
        fitContext(check);
    }
}

// Larger than the screen, X refuses the window with a protocol error or a window manager shrinks it
// below the size the scene's targets are made for.
void DemoWindow::fitScreen(const SizeCheck& check)
{
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode != nullptr) {
        check({static_cast<unsigned>(mode->width), static_cast<unsigned>(mode->height), "the screen"}, width, height);
    }
}

// The scene's targets and the post-processing images all have the window's size.
void DemoWindow::fitContext(const SizeCheck& check)
{
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const SizeLimit limits[] = {
        contextLimit(GL_MAX_TEXTURE_SIZE, "the context's maximum texture size"),
        contextLimit(GL_MAX_RENDERBUFFER_SIZE, "the context's maximum renderbuffer size"),
        {static_cast<unsigned>(viewport[0]), static_cast<unsigned>(viewport[1]), "the context's maximum viewport size"},
    };
    const unsigned madeWidth = width;
    const unsigned madeHeight = height;
    for (const SizeLimit& limit : limits) {
        check(limit, width, height);
    }
    if (width == madeWidth && height == madeHeight) {
        return;
    }
    glfwDestroyWindow(window);
    window = nullptr;
    bool created = createWindow();
    glfwMakeContextCurrent(window);
    contextReady = initGlew() && created;
}

DemoWindow::~DemoWindow()
{
    glfwDestroyWindow(window);
    glfwTerminate();
}

bool DemoWindow::initGlfw()
{
    if (!glfwInit()) {
        platform::reportError("Failed to init GLFW");
        return false;
    }
    return true;
}

void DemoWindow::applyHints()
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, static_cast<int>(fps));
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_SRGB_CAPABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, 4);
}

bool DemoWindow::createWindow()
{
    window = glfwCreateWindow(static_cast<int>(width), static_cast<int>(height), title.c_str(), nullptr, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        platform::reportError("Failed to create window");
        return false;
    }
    glfwSetKeyCallback(window, keyCallback);
    return true;
}

bool DemoWindow::initGlew()
{
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        platform::reportError("Failed to init GLEW");
        return false;
    }
    // GLEW's experimental start can leave a harmless GL_INVALID_ENUM behind on core contexts.
    glGetError();
    return true;
}

bool DemoWindow::reinitialize()
{
    if (initGlfw()) {
        applyHints();
        createWindow();
        glfwMakeContextCurrent(window);
        initGlew();
    }
    return true;
}

bool DemoWindow::recreateWindow()
{
    createWindow();
    return true;
}

bool DemoWindow::advanceGate(float now, float interval, float& lastTime, float& accumulator)
{
    accumulator = (now - lastTime) + accumulator;
    lastTime = now;
    if (accumulator >= interval) {
        accumulator = 0.0f;
        return true;
    }
    return false;
}

bool DemoWindow::frameDue()
{
    float now = static_cast<float>(glfwGetTime());
    float interval = 1.0f / fps;
    if (!advanceGate(now, interval, lastTime, accumulator)) {
        return false;
    }
    glfwPollEvents();
    return true;
}

bool DemoWindow::isOpen()
{
    return !glfwWindowShouldClose(window);
}

void DemoWindow::clear()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void DemoWindow::swapBuffers()
{
    glfwSwapBuffers(window);
}

void DemoWindow::keyCallback(GLFWwindow* window, int key, int, int action, int)
{
    if (action == GLFW_PRESS && key == GLFW_KEY_ESCAPE) {
        glfwSetWindowShouldClose(window, GLFW_TRUE);
    }
}
