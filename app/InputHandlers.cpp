#include "app/InputHandlers.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "world/Terrain.h"
#include "world/World.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <iostream>

namespace input {

MovementKeys movement;
bool windowModeChanged = false;
bool leftButtonDown = false;
bool rightButtonDown = false;
float zoom = 0.0f;
bool flag = false;

namespace {
// Never written: the windowed position the fullscreen toggle returns to.
int savedX = 0;
int savedY = 0;
// Never set, so the toggle keeps the window windowed.
GLFWmonitor* fullscreenMonitor = nullptr;

void setHeld(bool& held, int action)
{
    if (action == GLFW_PRESS) {
        held = true;
    } else if (action == GLFW_RELEASE) {
        held = false;
    }
}
}

void keyCallback(GLFWwindow*, int key, int, int action, int)
{
    switch (key) {
    case GLFW_KEY_W:
        setHeld(movement.forward, action);
        return;
    case GLFW_KEY_A:
        setHeld(movement.left, action);
        return;
    case GLFW_KEY_S:
        setHeld(movement.backward, action);
        return;
    case GLFW_KEY_D:
        setHeld(movement.right, action);
        return;
    default:
        break;
    }
    if (action != GLFW_PRESS) {
        return;
    }
    switch (key) {
    case GLFW_KEY_SPACE:
        if (currentWorld) {
            currentWorld->restart();
        }
        break;
    case GLFW_KEY_ESCAPE:
        settings::fullscreen = false;
        windowModeChanged = true;
        break;
    case GLFW_KEY_F1:
        settings::fullscreen = true;
        windowModeChanged = true;
        break;
    case GLFW_KEY_F3:
        if (currentWorld && currentWorld->terrain) {
            currentWorld->terrain->wireframe = !currentWorld->terrain->wireframe;
        }
        break;
    default:
        break;
    }
}

void mouseButtonCallback(GLFWwindow*, int button, int action, int)
{
    if (button == GLFW_MOUSE_BUTTON_LEFT) {
        setHeld(leftButtonDown, action);
    } else if (button == GLFW_MOUSE_BUTTON_RIGHT) {
        setHeld(rightButtonDown, action);
    }
}

void scrollCallback(GLFWwindow*, double, double yoffset)
{
    zoom = static_cast<float>(yoffset * -0.5);
}

void toggleFullscreen(GLFWwindow* window)
{
    int x = savedX;
    int y = savedY;
    int w = settings::windowWidth;
    int h = settings::windowHeight;
    if (settings::fullscreen) {
        if (const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor())) {
            x = 0;
            y = 0;
            w = mode->width;
            h = mode->height;
        }
    }
    glfwSetWindowMonitor(window, fullscreenMonitor, x, y, w, h, static_cast<int>(settings::refreshRate));
    resizeHandler(window);
}

void resizeHandler(GLFWwindow* window)
{
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    applyFramebufferSize(width, height);
}

void applyFramebufferSize(int width, int height)
{
    if (width == 0 || height == 0) {
        std::cout << "no resize" << std::endl;
        return;
    }
    settings::windowWidth = width;
    settings::windowHeight = height;
    glViewport(0, 0, width, height);
    if (currentWorld) {
        currentWorld->resize(static_cast<unsigned>(width), static_cast<unsigned>(height));
    }
}

void setFlag()
{
    flag = true;
}

}
