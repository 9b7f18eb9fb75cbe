#include "world/GameLoop.h"

#include "app/DemoWindow.h"
#include "app/PassTimer.h"
#include "world/Camera.h"
#include "world/World.h"

namespace {
constexpr float kTimelineEnd = 130.0f;
}

void GameLoop::run()
{
    start();
    while (window->isOpen()) {
        if (!window->frameDue()) {
            continue;
        }
        dueFrame();
    }
    glfwTerminate();
}

void GameLoop::start()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    time = 0.0f;
    // With the camera's sensitivity of 0.1 this is a pitch of -10 degrees for the whole run.
    world->camera->processMouseMovement(0.0f, -100.0f, true);
}

void GameLoop::dueFrame()
{
    if (time <= kTimelineEnd) {
        scriptedFrame();
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world->renderEndScreen();
    }
    window->swapBuffers();
}

void GameLoop::scriptedFrame()
{
    time = time + timeStep;
    window->clear();
    {
        PassTimer timer("script", PassTimer::Clock::Host);
        runScript();
    }
    {
        PassTimer timer("shadow cube");
        world->renderShadowCubeMap();
    }
    world->render(timeStep);
}

void GameLoop::runScript()
{
    if (time >= 40.0f && time < 50.0f) {
        world->moveCamera(-5.0f);
    }
    if (time >= 50.0f && time < 60.0f) {
        world->moveCamera(5.0f);
    }
    if (world->isChaserPending()) {
        world->spawnObstacles(18, 1);
        world->spawnChaserSkier(100.0f, 100.0f);
    }
    // The chaser's burst throws the snow up around the player.
    if (world->updateChaserSkier(1.0f, 1.0f)) {
        world->setParticleMode(2);
    }
    // The float clock passes each of these marks on exactly one frame, so each factor applies once.
    int k = static_cast<int>(time * 10.0f);
    if (k == 640) {
        timeStep = timeStep * 0.006f;
    } else if (k == 650) {
        timeStep = timeStep * 166.66667f;
    }
    if (time >= 65.0f && time < kTimelineEnd) {
        world->moveCamera(cameraSpeed);
        cameraSpeed = static_cast<float>(static_cast<double>(cameraSpeed) + 0.1);
    }
}

void GameLoop::scaleTimeStep(float factor)
{
    timeStep = timeStep * factor;
}
