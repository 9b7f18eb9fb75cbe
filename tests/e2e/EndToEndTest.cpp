// The whole scripted run through the real start-up, GameLoop, World and Resources on a tiny window,
// played twice in two separate processes at once. Each child plays every due frame back to back
// (the 60 Hz gate is the only part left out) and writes what it saw to a report; the parent checks
// the reports and the console transcripts.
#include "app/DemoWindow.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "effects/GPUParticleEffect.h"
#include "tests/support/Process.h"
#include "tests/support/RunObservation.h"
#include "tests/support/TempDir.h"
#include "world/GameLoop.h"
#include "world/World.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <dlfcn.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kLastScriptedFrame = 2786;
// A few closing-screen frames after the script.
constexpr int kFrames = kLastScriptedFrame + 4;

struct FrameLine {
    int frame = 0;
    float time = 0.0f;
    float timeStep = 0.0f;
    size_t objects = 0;
    bool allNear = true;
    std::uint64_t poses = 0;
    int particleMode = 0;
    // Red pixels in the window as the frame was swapped: the closing screen's first line is red.
    int redPixels = 0;
};

std::uint32_t bits(float value)
{
    std::uint32_t pattern = 0;
    std::memcpy(&pattern, &value, sizeof pattern);
    return pattern;
}

float fromBits(std::uint32_t pattern)
{
    float value = 0.0f;
    std::memcpy(&value, &pattern, sizeof value);
    return value;
}

// The window's back buffer just before each swap, as a frame grabber sees it: the swap below
// stands in for GLFW's (the process's own definition wins) and hands on to it.
int redPixelsAtLastSwap = 0;

int redPixelsInBackBuffer(GLFWwindow* window)
{
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    std::vector<unsigned char> pixels(static_cast<size_t>(width * height * 3));
    GLint framebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    int red = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        red += pixels[i] > 128 && pixels[i + 1] < 64 && pixels[i + 2] < 64;
    }
    return red;
}

int runChild(const std::string& reportPath)
{
    std::filesystem::current_path(VELMORRA_BINARY_DIR);
    loadSettings();
    settings::windowWidth = 64;
    settings::windowHeight = 48;
    GameLoop loop;
    if (!startUp(loop)) {
        return 1;
    }
    loop.start();
    std::ofstream report(reportPath);
    for (int frame = 1; frame <= kFrames; ++frame) {
        loop.dueFrame();
        const World& world = *loop.world;
        report << frame << ' ' << bits(loop.time) << ' ' << bits(loop.timeStep) << ' ' << world.objects.size() << ' '
               << observe::allNearPlayer(world) << ' ' << observe::poseHash(world) << ' '
               << world.effects.front()->mode << ' ' << redPixelsAtLastSwap << '\n';
    }
    report.flush();
    glfwTerminate();
    return report ? 0 : 1;
}

std::vector<FrameLine> readReport(const std::filesystem::path& path)
{
    std::vector<FrameLine> lines;
    std::ifstream in(path);
    FrameLine line;
    std::uint32_t time = 0;
    std::uint32_t timeStep = 0;
    while (in >> line.frame >> time >> timeStep >> line.objects >> line.allNear >> line.poses >> line.particleMode >>
                 line.redPixels) {
        line.time = fromBits(time);
        line.timeStep = fromBits(timeStep);
        lines.push_back(line);
    }
    return lines;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string self;

TEST(EndToEnd, WholeRunPlaysItsScriptTheSameInTwoProcesses)
{
    TempDir dir;
    const std::string a = (dir.path() / "a").string();
    const std::string b = (dir.path() / "b").string();
    // On the software renderer a 64 x 48 frame is all geometry, which the drawing thread does: the
    // rasteriser's own threads would only add their hand-offs (a frame takes about 27 ms without
    // them and 32 ms with one), and the two processes share the machine with the other tests.
    const std::string child = "LP_NUM_THREADS=0 '" + self + "' --child ";
    const ProcessResult run = runShell(child + a + ".report >" + a + ".out 2>" + a + ".err & " + child + b +
                                       ".report >" + b + ".out 2>" + b + ".err & wait");
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const std::vector<FrameLine> first = readReport(a + ".report");
    const std::vector<FrameLine> second = readReport(b + ".report");
    ASSERT_EQ(first.size(), static_cast<size_t>(kFrames)) << readFile(a + ".err");
    ASSERT_EQ(second.size(), static_cast<size_t>(kFrames)) << readFile(b + ".err");
    auto at = [&](int frame) -> const FrameLine& { return first[static_cast<size_t>(frame - 1)]; };

    // Frame 1 spawns the eighteen rocks and the chaser.
    EXPECT_EQ(at(1).objects, 19u);
    // The slow-motion marks, each on one frame.
    std::vector<int> stepChanges;
    for (int frame = 2; frame <= kFrames; ++frame) {
        if (at(frame).timeStep != at(frame - 1).timeStep) {
            stepChanges.push_back(frame);
        }
    }
    EXPECT_EQ(stepChanges, (std::vector<int>{641, 2135}));
    // The chaser's bursts, twenty skiers each, the first around the slow-motion mark.
    std::vector<int> bursts;
    for (int frame = 2; frame <= kFrames; ++frame) {
        if (at(frame).objects != at(frame - 1).objects) {
            bursts.push_back(frame);
            EXPECT_EQ(at(frame).objects, at(frame - 1).objects + 20) << "frame " << frame;
        }
    }
    ASSERT_FALSE(bursts.empty());
    EXPECT_GT(bursts.front(), 570);
    EXPECT_LT(bursts.front(), 641);
    // The first burst turns the snow into the crash, for the rest of the run.
    for (const FrameLine& line : first) {
        EXPECT_EQ(line.particleMode, line.frame < bursts.front() ? 0 : 2) << "frame " << line.frame;
    }
    for (const FrameLine& line : first) {
        EXPECT_TRUE(line.allNear) << "frame " << line.frame;
    }
    // The last scripted frame, then the closing screen: the clock and the scene stand still.
    EXPECT_FLOAT_EQ(at(kLastScriptedFrame).time, 130.09923f);
    EXPECT_LE(at(kLastScriptedFrame - 1).time, 130.0f);
    for (int frame = kLastScriptedFrame + 1; frame <= kFrames; ++frame) {
        EXPECT_EQ(at(frame).time, at(kLastScriptedFrame).time);
        EXPECT_EQ(at(frame).poses, at(kLastScriptedFrame).poses);
        EXPECT_GT(at(frame).redPixels, 10) << "the closing screen's \"THE END!\" is red";
    }
    // Two processes, the same run bit for bit.
    for (size_t i = 0; i < first.size(); ++i) {
        ASSERT_EQ(second[i].poses, first[i].poses) << "frame " << first[i].frame;
    }

    // The console: start-up in its order, and nothing but the one expected refusal (the font in the
    // textures folder, which the picture loader cannot decode).
    for (const std::string& name : {a, b}) {
        const std::string out = readFile(name + ".out");
        size_t last = 0;
        for (const char* mark : {"# Velmorra Showcase display settings", "shaderfolder path is:",
                                 "linking shaderprogram cook_torrance", "loaded texture glacier2.png",
                                 "new material: # snow", "new material: # water"}) {
            const size_t found = out.find(mark, last);
            ASSERT_NE(found, std::string::npos) << mark << " in order in:\n" << out;
            last = found;
        }
        std::string everything = out + readFile(name + ".err");
        const std::string fontRefused = "\nFailed to load texture\n";
        const size_t font = everything.find(fontRefused);
        ASSERT_NE(font, std::string::npos);
        everything.erase(font, fontRefused.size());
        for (const char* failure : {"ERROR", "Failed", "error", "not complete", "could not", "no shader", "not found",
                                    "problems", "onShapeHit", "onControllerHit", "onObstacleHit", "onContact",
                                    "onTrigger", "players current size"}) {
            EXPECT_EQ(everything.find(failure), std::string::npos) << failure << " in:\n" << everything;
        }
    }
}

}

extern "C" void glfwSwapBuffers(GLFWwindow* window)
{
    using Swap = void (*)(GLFWwindow*);
    static const auto swap = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "glfwSwapBuffers"));
    redPixelsAtLastSwap = redPixelsInBackBuffer(window);
    swap(window);
}

int main(int argc, char** argv)
{
    self = std::filesystem::canonical("/proc/self/exe").string();
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        return runChild(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
