#include "world/World.h"

#include "app/Shader.h"
#include "world/Camera.h"
#include "world/GameObject.h"
#include "world/Sun.h"

#include <glm/gtc/type_ptr.hpp>

#include <iostream>
#include <string>

void World::initShadowMap()
{
    shadowShader = findShader("shadowmap");
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
    sun->shader = findShader("sun");
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
