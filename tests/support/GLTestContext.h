#pragma once

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// Collects every KHR_debug message of type error; a test fails if any arrives.
class GLErrorWatch {
public:
    // Installs the callback on the current context.
    void install();
    const std::vector<std::string>& errors() const { return messages; }
    void clear() { messages.clear(); }

private:
    static void GLAPIENTRY callback(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                                    const GLchar* message, const void* user);
    std::vector<std::string> messages;
};

// A hidden 4.3 core window with a debug context; the base of every GL test.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // True when the context lists the extension (GLEW's flags are not trustworthy here).
    static bool hasExtension(const char* name);

    GLFWwindow* window = nullptr;
    GLErrorWatch watch;
    int width = 800;
    int height = 600;
};
