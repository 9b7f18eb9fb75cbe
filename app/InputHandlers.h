#pragma once

struct GLFWwindow;

// Window handlers that the run never registers: the window closes on Escape through its own key
// callback, and the run takes no other input. They are kept for a build that wants to steer.
namespace input {

// W, A, S, D held down; nothing reads them.
struct MovementKeys {
    bool forward = false;
    bool left = false;
    bool backward = false;
    bool right = false;
};

extern MovementKeys movement;
extern bool windowModeChanged;
extern bool leftButtonDown;
extern bool rightButtonDown;
extern float zoom;
extern bool flag;

// W/A/S/D set and clear the movement flags; Space restarts the World; Escape leaves and F1
// enters fullscreen (only the flags); F3 toggles the terrain's wireframe.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods);
void scrollCallback(GLFWwindow* window, double xoffset, double yoffset);
// Switches between the monitor's size and the configured size, then resizes as resizeHandler does.
void toggleFullscreen(GLFWwindow* window);
// Reads the framebuffer size and hands it to applyFramebufferSize.
void resizeHandler(GLFWwindow* window);
// A size with both sides non-zero becomes the window size, the viewport and the World's size;
// otherwise "no resize" is printed.
void applyFramebufferSize(int width, int height);
void setFlag();

}
