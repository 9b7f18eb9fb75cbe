#include "tests/support/ShaderProbe.h"

#include <algorithm>

bool isLinked(GLuint program)
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status != 0;
}

GLuint currentProgram()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return static_cast<GLuint>(program);
}

GLuint compiledShader(GLenum stage, const std::string& source)
{
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

std::string compileLog(GLenum stage, const std::string& source)
{
    GLuint shader = compiledShader(stage, source);
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    glDeleteShader(shader);
    return log.c_str();
}

std::string linkLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.c_str();
}

glm::mat4 uniformMatrix(GLuint program, const char* name)
{
    glm::mat4 value(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), &value[0][0]);
    return value;
}

GLuint primitivesGenerated(const std::function<void()>& draw)
{
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint generated = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &generated);
    glDeleteQueries(1, &query);
    return generated;
}
