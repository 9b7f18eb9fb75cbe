#include "world/World.h"

#include "app/Geometry.h"
#include "app/RenderTarget.h"
#include "app/Settings.h"
#include "app/Shader.h"
#include "effects/Background.h"
#include "effects/HUD.h"
#include "world/Camera.h"
#include "world/GameObject.h"
#include "world/Sun.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <iostream>
#include <string>

World::World(unsigned width, unsigned height) : width(width), height(height)
{
    // The aspect stays at the camera's own 1.0, whatever the window size.
    camera = std::make_shared<Camera>();
    geometry = std::make_shared<Geometry>();
}

World::~World() = default;

void World::setMaterials(std::shared_ptr<MaterialMap> materials)
{
    this->materials = std::move(materials);
}

void World::setShaders(std::shared_ptr<ShaderMap> shaders)
{
    this->shaders = std::move(shaders);
}

void World::setTextures(std::shared_ptr<TextureMap> textures)
{
    this->textures = std::move(textures);
}

void World::setSun(std::shared_ptr<Sun> sun)
{
    this->sun = std::move(sun);
}

bool World::isChaserPending()
{
    return !chaserSpawned;
}

void World::render(float)
{
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (background) {
        background->draw();
    }
    for (const auto& object : objects) {
        object->draw();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    postProcessing.render(sceneTextures, sceneTextures[2]);
}

void World::initBackground()
{
    background = std::make_shared<Background>();
    background->camera = camera;
    if (!shaders || shaders->count("background") == 0) {
        std::cerr << "no shader found for background" << std::endl;
        return;
    }
    background->setShader(shaders->at("background"));
    if (!background->setupBuffers()) {
        std::cout << "problems initializing GL ...";
    }
    if (textures && textures->count("background.png") != 0) {
        background->texture = textures->at("background.png");
    }
    background->scale = 3200.0f;
    background->position = glm::vec3(0.0f, 100.0f, 0.0f);
    background->updateModelMatrix();
}

void World::initHUD()
{
    hud = std::make_shared<HUD>();
    std::shared_ptr<Shader> program;
    if (shaders && shaders->count("TextVertexShader") != 0) {
        program = shaders->at("TextVertexShader");
    }
    hud->setShader(program);
}

void World::drawText(std::string text, int line, int size, int x, glm::vec3 color)
{
    if (!hud) {
        return;
    }
    // The line buffer holds 255 characters and the terminator; a longer text is cut there.
    char buffer[256];
    const size_t length = std::min(text.size(), sizeof buffer - 1);
    text.copy(buffer, length);
    buffer[length] = '\0';
    hud->printText(buffer, x + 10, 400 - 15 * line, size, color);
}

void World::renderEndScreen()
{
    drawText("THE END!", 0, 50, 200, glm::vec3(1.0f, 0.0f, 0.0f));
    drawText("POWERED BY", 5, 20, 300, glm::vec3(1.0f, 1.0f, 1.0f));
    drawText("VELMORRA SHOWCASE TEAM - ENGINE AND ART", 8, 15, 100, glm::vec3(1.0f, 1.0f, 1.0f));
}

void World::moveCamera(float v)
{
    camera->processMouseMovement(v, 0.0f, true);
}

namespace {

std::shared_ptr<Shader> findProgram(const std::shared_ptr<ShaderMap>& shaders, const std::string& name)
{
    if (!shaders) {
        return nullptr;
    }
    auto found = shaders->find(name);
    return found == shaders->end() ? nullptr : found->second;
}

}

void World::initShadowMap()
{
    shadowShader = findProgram(shaders, "shadowmap");
    if (!shadowShader) {
        std::cerr << "\nshader program \"shadowmap\" not found: objects cast no shadows" << std::endl;
    }
    createShadowCubeTexture();
    reallocShadowCubeFaces();
    attachShadowFramebuffer();
}

void World::createShadowCubeTexture()
{
    glGenTextures(1, &shadowCubeTexture);
    glActiveTexture(GL_TEXTURE0 + shadowCubeTexture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeTexture);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void World::reallocShadowCubeFaces()
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeTexture);
    for (GLenum face = 0; face < 6; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT32F, static_cast<GLsizei>(shadowWidth),
                     static_cast<GLsizei>(shadowHeight), 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

void World::attachShadowFramebuffer()
{
    glGenFramebuffers(1, &shadowFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, shadowCubeTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    switch (glCheckFramebufferStatus(GL_FRAMEBUFFER)) {
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        std::cout << "INCOMPLETE ATTACHEMENT" << std::endl;
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        std::cout << "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT" << std::endl;
        break;
    case GL_FRAMEBUFFER_UNSUPPORTED:
        std::cout << "GL_FRAMEBUFFER_UNSUPPORTED" << std::endl;
        break;
    default:
        break;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void World::initSun()
{
    sun = std::make_shared<Sun>(static_cast<int>(shadowWidth), static_cast<int>(shadowHeight), camera->near,
                                camera->far, glm::vec4(0.9f, 0.9f, 0.9f, 1.0f));
    sun->position = glm::vec3(0.0f, 120.0f, 0.0f);
    sun->updateShadowMatrices();
    sun->scale = 1.0f;
    sun->updateModelMatrix();
    sun->shadowCubeTexture = shadowCubeTexture;
    sun->generateSphere();
    sun->shader = findProgram(shaders, "sun");
    sun->camera = camera;
    sun->updateModelMatrix();
    sun->setupBuffers();
}

void World::renderShadowCubeMap()
{
    if (shadowShader) {
        shadowShader->use();
    }
    glViewport(0, 0, static_cast<GLsizei>(shadowWidth), static_cast<GLsizei>(shadowHeight));
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    // Without its program (reported at set-up) the cleared cube still reads as "nothing in the way".
    if (shadowShader && sun) {
        glActiveTexture(GL_TEXTURE0 + shadowCubeTexture);
        glBindTexture(GL_TEXTURE_CUBE_MAP, shadowCubeTexture);
        for (int i = 0; i < 6; ++i) {
            glUniformMatrix4fv(shadowShader->getUniformLocation("cm_mat[" + std::to_string(i) + "]"), 1, GL_FALSE,
                               glm::value_ptr(sun->getShadowMatrix(i)));
        }
        glUniform4f(shadowShader->getUniformLocation("l_pos"), sun->position.x, sun->position.y, sun->position.z,
                    1.0f);
        glUniform2f(shadowShader->getUniformLocation("near_far"), camera->near, camera->far);
        for (const auto& object : objects) {
            object->drawShadow(shadowShader);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

namespace {
void reportIncompleteFramebuffer()
{
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Framebuffer not complete!" << std::endl;
    }
}
}

void World::initPostProcessing(int width, int height)
{
    std::shared_ptr<Shader>* programs[] = {&postProcessing.downsampleShader, &postProcessing.featureShader,
                                           &postProcessing.blurShader, &postProcessing.upscaleShader};
    const char* names[] = {"downsampler", "featureGeneration", "blur", "upscale"};
    for (int i = 0; i < 4; ++i) {
        if (shaders && shaders->count(names[i]) != 0) {
            *programs[i] = shaders->at(names[i]);
        } else {
            std::cerr << "post-processing: no shader program \"" << names[i] << "\"; the window shows nothing"
                      << std::endl;
        }
    }
    postProcessing.setCamera(camera);
    // Copied once: the chain does not follow later moves of the sun.
    if (sun) {
        postProcessing.setSunPosition(sun->position);
    }
    postProcessing.setup(width, height);
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

void createWorld()
{
    currentWorld = std::make_shared<World>(static_cast<unsigned>(settings::windowWidth),
                                           static_cast<unsigned>(settings::windowHeight));
    currentWorld->setMaterials(std::make_shared<MaterialMap>(materialMap));
    currentWorld->setShaders(std::make_shared<ShaderMap>(shaderMap));
    currentWorld->setTextures(std::make_shared<TextureMap>(textureMap));
    currentWorld->initShadowMap();
    currentWorld->initSun();
    currentWorld->initBackground();
    currentWorld->initPostProcessing(settings::windowWidth, settings::windowHeight);
    currentWorld->initHUD();
    currentWorld->initFramebuffers(static_cast<unsigned>(settings::windowWidth),
                                   static_cast<unsigned>(settings::windowHeight));
}
