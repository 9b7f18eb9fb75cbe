#include "app/Settings.h"
#include "app/Startup.h"
#include "world/GameLoop.h"

#include <GLFW/glfw3.h>

int main(int, char**)
{
    loadSettings();
    GameLoop gameLoop;
    if (!startUp(gameLoop)) {
        return 1;
    }
    gameLoop.run();
    glfwTerminate();
    return 0;
}
