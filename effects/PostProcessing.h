#pragma once

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <memory>

class Camera;
class Shader;
struct Texture;

// Turns the three off-screen scene targets into the picture in the window: a lens flare from the
// lit scene, a bloom from the second target, both blurred, composited with motion blur.
// Every image has the window's size; the caller's viewport applies to every pass.
class PostProcessing {
public:
    PostProcessing();
    ~PostProcessing();

    PostProcessing(const PostProcessing&) = delete;
    PostProcessing& operator=(const PostProcessing&) = delete;

    // Makes the six targets, the quad and the lens-colour texture; a second call replaces them all.
    void setup(int width, int height);
    // sceneTextures[0] is the lit scene, sceneTextures[1] the image that feeds bloom.
    // Draws into framebuffer 0 and leaves it bound; without all four programs it only clears it.
    void render(const GLuint* sceneTextures, GLuint motionVectorTexture);
    void resize(int width, int height);
    void setCamera(std::shared_ptr<Camera> newCamera);
    void setSunPosition(glm::vec3 position);
    void createLensColorTexture(int width, int height);
    void drawQuad();

    // The lens-colour ramp: six equal hue bands over t in [0, 1), black from t = 1 on (and for nan).
    static glm::vec3 hueToRgb(float t);
    // The lens-colour texel in `row` and `column` of a texture of `width` x `height`: red at the centre,
    // black at the half-diagonal. Any size gives a colour, a 1 x 1 texture its red centre.
    static glm::vec3 lensColor(int row, int column, int width, int height);

    GLuint downsampleFramebuffer = 0;
    GLuint downsampleTexture = 0;
    GLuint featureFramebuffer = 0;
    GLuint featureTexture = 0;
    GLuint blurFramebuffers[4] = {};
    GLuint blurTextures[4] = {};
    GLuint quadVertexArray = 0;
    GLuint quadVertexBuffer = 0;
    std::shared_ptr<Camera> camera;
    std::shared_ptr<Texture> lensColorTexture;
    std::shared_ptr<Shader> downsampleShader;
    std::shared_ptr<Shader> featureShader;
    std::shared_ptr<Shader> blurShader;
    std::shared_ptr<Shader> upscaleShader;
    bool firstSetup = true;
    glm::vec3 sunPosition = glm::vec3(0.0f);

private:
    void specifyTarget(GLuint framebuffer, GLuint texture, int width, int height);
    // Each pass is timed under its name when a FrameProfiler is attached.
    void threshold(const char* pass, GLuint source, int bloom);
    void drawFeatures();
    // Ping-pongs between blurFramebuffers[pair] and [pair + 1]; returns the texture written last.
    GLuint blur(const char* pass, int pair, GLuint source, int draws);
    void composite(GLuint scene, GLuint flare, GLuint bloom, GLuint motionVectorTexture);
    void deleteObjects();
};
