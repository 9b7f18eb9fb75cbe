#include "app/FrameProfiler.h"
#include "app/PassTimer.h"
#include "app/RenderTarget.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/ShaderProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Full-screen draws of a fragment stage with many fetches into a half-float target: work that a
// software rasteriser spends its time on after the draw call has returned.
class ProfilerGL : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        const char* vertex = "#version 430 core\nout vec2 uv;\nvoid main() {\n"
                             "  uv = vec2(gl_VertexID & 1, gl_VertexID >> 1);\n"
                             "  gl_Position = vec4(uv * 2.0 - 1.0, 0.0, 1.0);\n}\n";
        const char* fragment = "#version 430 core\nin vec2 uv;\nuniform sampler2D image;\nout vec4 color;\n"
                               "void main() {\n  vec3 sum = vec3(0.0);\n"
                               "  for (int i = 0; i < 16; ++i) sum += texture(image, uv + float(i) / 512.0).rgb;\n"
                               "  color = vec4(sum, 1.0);\n}\n";
        program = glCreateProgram();
        glAttachShader(program, compiledShader(GL_VERTEX_SHADER, vertex));
        glAttachShader(program, compiledShader(GL_FRAGMENT_SHADER, fragment));
        glLinkProgram(program);
        ASSERT_TRUE(isLinked(program));
        source = createColorTarget(width, height);
        target = createColorTarget(width, height);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        attachColorTarget(target, 0);
        glGenVertexArrays(1, &vertexArray);
    }

    void TearDown() override
    {
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &source);
        glDeleteTextures(1, &target);
        glDeleteProgram(program);
        GLTest::TearDown();
    }

    void draw(int times)
    {
        glUseProgram(program);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, width, height);
        glBindVertexArray(vertexArray);
        glBindTexture(GL_TEXTURE_2D, source);
        for (int i = 0; i < times; ++i) {
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
        glBindVertexArray(0);
    }

    static std::vector<std::string> namesOf(const FrameProfiler& profiler)
    {
        std::vector<std::string> names;
        for (const FrameProfiler::Pass& pass : profiler.passes()) {
            names.push_back(pass.name);
        }
        return names;
    }

    GLuint program = 0;
    GLuint source = 0;
    GLuint target = 0;
    GLuint framebuffer = 0;
    GLuint vertexArray = 0;
};

TEST_F(ProfilerGL, TimersRecordNothingWithoutAnAttachedProfiler)
{
    FrameProfiler profiler;
    {
        PassTimer timer("before attaching");
        draw(1);
    }
    profiler.attach();
    profiler.detach();
    {
        PassTimer gpu("after detaching");
        PassTimer host("host after detaching", PassTimer::Clock::Host);
        draw(1);
    }
    EXPECT_TRUE(profiler.endFrame().empty());
    EXPECT_TRUE(profiler.passes().empty());
    EXPECT_EQ(FrameProfiler::attached(), nullptr);
}

TEST_F(ProfilerGL, FilesOneSamplePerPassAndFrameInTheOrderTheFrameRanThem)
{
    FrameProfiler profiler;
    profiler.attach();
    {
        PassTimer timer("scene");
        draw(1);
    }
    profiler.addHostPass("physics", 2.0);
    profiler.addHostPass("physics", 1.5);
    {
        PassTimer timer("post");
        draw(1);
    }
    const std::vector<FrameProfiler::FrameSample> first = profiler.endFrame();

    {
        PassTimer timer("post");
        draw(1);
    }
    {
        PassTimer timer("scene");
        draw(1);
    }
    profiler.endFrame();
    profiler.detach();

    ASSERT_EQ(namesOf(profiler), (std::vector<std::string>{"scene", "physics", "post"}));
    const std::vector<FrameProfiler::Pass>& passes = profiler.passes();
    EXPECT_TRUE(passes[0].gpu);
    EXPECT_FALSE(passes[1].gpu);
    EXPECT_EQ(passes[0].milliseconds.size(), 2u);
    // A pass that runs twice in a frame is one sample, the sum.
    EXPECT_EQ(passes[1].milliseconds, (std::vector<double>{3.5}));
    EXPECT_EQ(passes[2].milliseconds.size(), 2u);
    // The frame's own samples, by pass, as filed.
    ASSERT_EQ(first.size(), 3u);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].pass, i);
        EXPECT_EQ(first[i].milliseconds, passes[i].milliseconds[0]);
    }
}

TEST_F(ProfilerGL, GpuPassMeasuresTheDrawsInsideItEvenAmongOthers)
{
    FrameProfiler profiler;
    profiler.attach();
    std::vector<double> shares;
    for (int frame = 0; frame < 5; ++frame) {
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        // Draws before, between and after the passes, into the same framebuffer, as in the scene pass.
        draw(2);
        {
            PassTimer timer("one draw");
            draw(1);
        }
        draw(1);
        {
            PassTimer timer("eight draws");
            draw(8);
        }
        draw(1);
        glFinish();
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        profiler.endFrame();
        shares.push_back(profiler.passes()[1].milliseconds.back() / wall);
    }
    profiler.detach();
    const double one = median(profiler.passes()[0].milliseconds);
    const double eight = median(profiler.passes()[1].milliseconds);
    EXPECT_GT(one, 0.0);
    EXPECT_GT(eight, one);
    // Eight of the frame's thirteen draws: a share that a busy machine blurs but does not halve.
    EXPECT_GT(median(shares), 0.3) << "one draw " << one << " ms, eight draws " << eight << " ms";
}

TEST_F(ProfilerGL, NestedGpuPassIsLeftUntimedWithoutAGLError)
{
    FrameProfiler profiler;
    profiler.attach();
    {
        PassTimer outer("outer");
        draw(1);
        {
            PassTimer inner("inner");
            draw(1);
        }
        draw(1);
    }
    {
        PassTimer after("after");
        draw(1);
    }
    profiler.endFrame();
    profiler.detach();
    EXPECT_EQ(namesOf(profiler), (std::vector<std::string>{"outer", "after"}));
}

}
