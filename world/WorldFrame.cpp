#include "world/World.h"

#include "app/PassTimer.h"
#include "app/RenderTarget.h"
#include "effects/Background.h"
#include "effects/GPUParticleEffect.h"
#include "world/Camera.h"
#include "world/GameObject.h"
#include "world/Terrain.h"
#include "world/physics/PhysicsWorld.h"

#include <iostream>

void World::render(float dt)
{
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    {
        PassTimer timer("physics", PassTimer::Clock::Host);
        updateSimulation();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (background) {
        PassTimer timer("backdrop");
        background->draw();
    }
    if (terrain) {
        PassTimer timer("terrain");
        terrain->draw();
    }
    // A software rasteriser starts on a scene's pixels only at a flush: the slope's are drawn
    // while the objects' and the particles' vertices are worked out on this thread.
    glFlush();
    {
        PassTimer timer("objects");
        for (const auto& object : objects) {
            object->draw();
        }
    }
    {
        // After every opaque draw and into the same targets: each effect steps by the timeline's dt.
        PassTimer timer("particles");
        for (const auto& effect : effects) {
            effect->update(dt);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    postProcessing.render(sceneTextures, sceneTextures[2]);
}

void World::updateSimulation()
{
    // One fixed step whatever the timeline's step: slow motion slows the clock, not the physics.
    if (physics != nullptr) {
        physics->simulate(0.016666668f);
        physics->fetchResults(true);
    }
    for (const auto& object : objects) {
        object->updateFromPhysics();
    }
    balanceEffects();
    relocateFarObjects();
}

void World::moveCamera(float v)
{
    camera->processMouseMovement(v, 0.0f, true);
}

namespace {
void reportIncompleteFramebuffer()
{
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
}
}

void World::initFramebuffers(unsigned width, unsigned height)
{
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    glGenFramebuffers(1, &sceneFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    for (GLuint i = 0; i < 3; ++i) {
        sceneTextures[i] = createColorTarget(w, h);
        attachColorTarget(sceneTextures[i], i);
    }
    glGenRenderbuffers(1, &sceneDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, sceneDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, sceneDepthBuffer);
    const GLenum drawBuffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, drawBuffers);
    reportIncompleteFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void World::resize(unsigned width, unsigned height)
{
    camera->aspect = static_cast<float>(width) / static_cast<float>(height);
    camera->updateProjection();
    this->width = width;
    this->height = height;
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    GLuint previous[3];
    for (GLuint i = 0; i < 3; ++i) {
        previous[i] = sceneTextures[i];
        sceneTextures[i] = createColorTarget(w, h);
        attachColorTarget(sceneTextures[i], i);
    }
    // Deleted only once detached and replaced, so the new targets get new names.
    glDeleteTextures(3, previous);
    glBindRenderbuffer(GL_RENDERBUFFER, sceneDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);
    reportIncompleteFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    postProcessing.resize(w, h);
}

void World::deleteFramebuffers()
{
    glDeleteFramebuffers(1, &sceneFramebuffer);
    glDeleteRenderbuffers(1, &sceneDepthBuffer);
    glDeleteTextures(3, sceneTextures);
    sceneFramebuffer = 0;
    sceneDepthBuffer = 0;
    sceneTextures[0] = sceneTextures[1] = sceneTextures[2] = 0;
}
