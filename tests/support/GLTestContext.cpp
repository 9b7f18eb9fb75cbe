#include "tests/support/GLTestContext.h"

#include "app/GLContext.h"

void GLErrorWatch::install()
{
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(callback, this);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
}

void GLAPIENTRY GLErrorWatch::callback(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message,
                                       const void* user)
{
    if (type != GL_DEBUG_TYPE_ERROR) {
        return;
    }
    auto* self = static_cast<GLErrorWatch*>(const_cast<void*>(user));
    self->messages.emplace_back(message);
}

void GLTest::SetUp()
{
    if (!glfwInit()) {
        const char* description = nullptr;
        glfwGetError(&description);
        FAIL() << "no display: run the GL tests under Xvfb (" << (description ? description : "no reason given") << ")";
    }
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(width, height, "gl test", nullptr, nullptr);
    ASSERT_NE(window, nullptr) << "could not create a 4.3 core context";
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    ASSERT_EQ(glewInit(), GLEW_OK);
    glGetError();
    watch.install();
}

void GLTest::TearDown()
{
    if (window != nullptr) {
        glFinish();
        for (const std::string& message : watch.errors()) {
            ADD_FAILURE() << "OpenGL error: " << message;
        }
        glfwDestroyWindow(window);
    }
    glfwTerminate();
}

bool GLTest::hasExtension(const char* name)
{
    return contextHasExtension(name);
}
