#include "app/DemoWindow.h"
#include "tests/support/GLTestContext.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TEST(DemoWindowGL, OpensA43CoreContextOfTheGivenSizeAndTitle)
{
    DemoWindow window(640, 480, "Velmorra Showcase");
    ASSERT_TRUE(window.hasContext());
    GLErrorWatch watch;
    watch.install();

    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 43);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);

    int w = 0, h = 0;
    glfwGetWindowSize(window.handle(), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(glfwGetWindowAttrib(window.handle(), GLFW_RESIZABLE), GLFW_FALSE);

    // Four samples per pixel, as the window asks for.
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 4);

    window.clear();
    window.swapBuffers();
    EXPECT_TRUE(window.isOpen());
    EXPECT_TRUE(watch.errors().empty());
}

TEST(DemoWindowGL, EscapePressClosesAndOtherKeysDoNot)
{
    DemoWindow window(320, 240, "Velmorra Showcase");
    ASSERT_TRUE(window.hasContext());
    GLFWkeyfun installed = glfwSetKeyCallback(window.handle(), nullptr);
    ASSERT_EQ(installed, &DemoWindow::keyCallback);

    installed(window.handle(), GLFW_KEY_A, 0, GLFW_PRESS, 0);
    installed(window.handle(), GLFW_KEY_ESCAPE, 0, GLFW_RELEASE, 0);
    installed(window.handle(), GLFW_KEY_ESCAPE, 0, GLFW_REPEAT, 0);
    EXPECT_TRUE(window.isOpen());
    installed(window.handle(), GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_FALSE(window.isOpen());
}

// The gate on GLFW's own timer: a call within the interval is not due and leaves pending events
// alone, and an Escape pressed and released meanwhile closes the window at the next due call.
TEST(DemoWindowGL, GatePollsEventsOnlyOnADueFrame)
{
    DemoWindow window(320, 240, "gate test");
    ASSERT_TRUE(window.hasContext());
    glfwSetTime(1.0);
    ASSERT_TRUE(window.frameDue());

    // xdotool's closing query waits until the server has sent the keys on; the window-size query
    // then queues them here, so the gate is asked with the events already waiting.
    // The search walks every window on the server, and other tests' windows may vanish under it.
    ProcessResult sent = runShell("for i in $(seq 50); do wid=$(xdotool search --onlyvisible --pid " +
                                  std::to_string(getpid()) +
                                  " --name '^gate test$' 2>/dev/null | head -n 1); [ -n \"$wid\" ] && break; "
                                  "sleep 0.1; done; [ -n \"$wid\" ] || exit 1; "
                                  "xdotool key --window \"$wid\" Escape getwindowname \"$wid\" "
                                  ">/dev/null");
    ASSERT_EQ(sent.exitCode, 0) << sent.output;
    int w = 0, h = 0;
    glfwGetWindowSize(window.handle(), &w, &h);

    glfwSetTime(1.010);
    EXPECT_FALSE(window.frameDue());
    EXPECT_TRUE(window.isOpen());
    // 10 ms more: the two calls together pass the interval.
    glfwSetTime(1.020);
    EXPECT_TRUE(window.frameDue());
    EXPECT_FALSE(window.isOpen());
}

TEST(ProgramProcess, RemovedWorkingDirectoryReportsTwiceAndExitsOne)
{
    TempDir dir;
    ProcessResult run = runShell("mkdir gone && cd gone && rmdir ../gone && exec " VELMORRA_EXECUTABLE);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "ERROR: problems with path\nERROR: problems with path\n");
}

// Starts the program in `folder` and sends Escape until it has gone; `probe` runs once, with the
// window's id in $wid, as soon as the window shows. Other tests open windows on the same X server,
// so the program's window is found by its pid. Escape goes to the window as an event of its own
// (`key --window`), not through the server's keyboard: a fake key press whose release is lost when
// xdotool fails on a window that has just closed leaves Escape held down for every later window.
ProcessResult runUntilEscape(const std::string& folder, const std::string& probe)
{
    return runShell("cd '" + folder + "' && log=$(mktemp) && "
                    "{ " VELMORRA_EXECUTABLE " > $log 2>&1 & pid=$!; } && probed= && "
                    "for i in $(seq 240); do "
                    "  wid=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -n 1); "
                    "  if [ -n \"$wid\" ]; then "
                    "    if [ -z \"$probed\" ]; then probed=1; " +
                    probe +
                    "; fi; "
                    "    xdotool key --window $wid Escape 2>/dev/null; "
                    "  fi; "
                    "  kill -0 $pid 2>/dev/null || break; sleep 0.5; "
                    "done; "
                    "if kill -0 $pid 2>/dev/null; then kill -9 $pid; echo still-running; fi; "
                    "wait $pid; echo \"exit=$?\"; cat $log; rm -f $log");
}

// The real Resources, with a settings file of the test's own.
void realResourcesWithSettings(const TempDir& dir, const std::string& settings)
{
    std::filesystem::create_directory(dir.path() / "Resources");
    for (const auto& entry : std::filesystem::directory_iterator(VELMORRA_BINARY_DIR "/Resources")) {
        if (entry.path().filename() != "settings.config") {
            std::filesystem::create_symlink(entry.path(), dir.path() / "Resources" / entry.path().filename());
        }
    }
    dir.write("Resources/settings.config", settings);
}

TEST(ProgramProcess, OpensItsWindowAndExitsZeroOnEscape)
{
    ProcessResult run = runUntilEscape(VELMORRA_BINARY_DIR, ":");
    EXPECT_NE(run.output.find("exit=0"), std::string::npos) << run.output;
    // Started on the real Resources, the program reports no failure of any kind but one: the font
    // lies in the textures folder, whose loader tries every file and cannot decode a DDS; it names the file.
    std::string output = run.output;
    for (const std::string& fontRefused :
         {std::string("\nFailed to load texture\n"),
          std::string(VELMORRA_BINARY_DIR) + "/Resources/textures/Zaravoda.DDS cannot be decoded: unknown image type\n"}) {
        size_t font = output.find(fontRefused);
        ASSERT_NE(font, std::string::npos) << fontRefused << " in:\n" << run.output;
        output.erase(font, fontRefused.size());
    }
    for (const char* failure : {"ERROR", "could not be created", "Failed", "not complete", "error", "cannot",
                                "does not", "has no", "no shader"}) {
        EXPECT_EQ(output.find(failure), std::string::npos) << failure << " in:\n" << run.output;
    }
}

TEST(ProgramProcess, WindowTakesTheConfiguredSizeAndItsOwnTitle)
{
    TempDir dir;
    realResourcesWithSettings(dir, "width: 480\nheight: 300\ntitle: Not the window's title\n");

    ProcessResult run = runUntilEscape(dir.path().string(),
                                       "echo \"name=$(xdotool getwindowname $wid)\"; "
                                       "xdotool getwindowgeometry --shell $wid | grep -E '^(WIDTH|HEIGHT)='");
    EXPECT_NE(run.output.find("name=Velmorra Showcase\nWIDTH=480\nHEIGHT=300\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("exit=0"), std::string::npos) << run.output;
}

// The screen of the display the tests run on.
SizeLimit screen()
{
    SizeLimit limit{0, 0, "the screen"};
    if (glfwInit()) {
        if (const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor())) {
            limit.width = static_cast<unsigned>(mode->width);
            limit.height = static_cast<unsigned>(mode->height);
        }
        glfwTerminate();
    }
    return limit;
}

struct WindowSizeCase {
    const char* name;
    // 0 stands for one more than the screen's side.
    unsigned width;
    unsigned height;
    bool refused;
};

void PrintTo(const WindowSizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConfiguredSize : public ::testing::TestWithParam<WindowSizeCase> {};

// Too large for the screen once ended in an X protocol error, or in a lens texture of gigabytes; the
// smallest window once divided by zero in it. A refused size runs at the default, named in a message.
TEST_P(ConfiguredSize, RunsAtItOrSaysWhyNotAndRunsAtTheDefault)
{
    const WindowSizeCase& c = GetParam();
    const SizeLimit limit = screen();
    ASSERT_GT(limit.width, 0u);
    ASSERT_LT(limit.width, 8192u) << "the cases assume a screen smaller than 8192 x 8192";
    const unsigned width = c.width == 0 ? limit.width + 1 : c.width;
    const unsigned height = c.height == 0 ? limit.height + 1 : c.height;
    TempDir dir;
    realResourcesWithSettings(dir, "width: " + std::to_string(width) + "\nheight: " + std::to_string(height) + "\n");

    ProcessResult run = runUntilEscape(dir.path().string(),
                                       "xdotool getwindowgeometry --shell $wid | grep -E '^(WIDTH|HEIGHT)='");
    const std::string message = "settings.config: a window of " + std::to_string(width) + " x " +
                                std::to_string(height) + " does not fit the screen (" + std::to_string(limit.width) +
                                " x " + std::to_string(limit.height) +
                                "); the window keeps its default size of 1000 x 800\n";
    const std::string geometry = c.refused ? "WIDTH=1000\nHEIGHT=800\n"
                                           : "WIDTH=" + std::to_string(width) + "\nHEIGHT=" + std::to_string(height) + "\n";
    EXPECT_NE(run.output.find(geometry), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(message) != std::string::npos, c.refused) << run.output;
    EXPECT_NE(run.output.find("exit=0"), std::string::npos) << run.output;
    for (const char* failure : {"ERROR", "not complete", "error", "bad_alloc"}) {
        EXPECT_EQ(run.output.find(failure), std::string::npos) << failure << " in:\n" << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(ProgramProcess, ConfiguredSize,
                         ::testing::Values(WindowSizeCase{"Huge", 100000, 100000, true},
                                           WindowSizeCase{"Square8192", 8192, 8192, true},
                                           WindowSizeCase{"WideAndLow", 100000, 256, true},
                                           WindowSizeCase{"OneWiderThanTheScreen", 0, 256, true},
                                           WindowSizeCase{"OneTallerThanTheScreen", 256, 0, true},
                                           WindowSizeCase{"OneByOne", 1, 1, false},
                                           WindowSizeCase{"Small", 320, 200, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The check is asked with the screen before the window is made and with the context's three limits
// once it exists; a size it changes then is a new window of that size, with a working context.
TEST(DemoWindowGL, ASizeTheContextRefusesIsMadeAnewAtTheCheckedSize)
{
    const SizeLimit expected = screen();
    std::vector<SizeLimit> asked;
    DemoWindow window(640, 480, "size check", [&](const SizeLimit& limit, unsigned& width, unsigned& height) {
        asked.push_back(limit);
        if (limit.what == "the context's maximum renderbuffer size") {
            width = 320;
            height = 200;
        }
    });
    ASSERT_TRUE(window.hasContext());
    GLErrorWatch watch;
    watch.install();

    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].what, "the screen");
    EXPECT_EQ(asked[0].width, expected.width);
    EXPECT_EQ(asked[0].height, expected.height);
    GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const SizeLimit context[] = {{static_cast<unsigned>(texture), static_cast<unsigned>(texture),
                                  "the context's maximum texture size"},
                                 {static_cast<unsigned>(renderbuffer), static_cast<unsigned>(renderbuffer),
                                  "the context's maximum renderbuffer size"},
                                 {static_cast<unsigned>(viewport[0]), static_cast<unsigned>(viewport[1]),
                                  "the context's maximum viewport size"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(asked[i + 1].what, context[i].what);
        EXPECT_EQ(asked[i + 1].width, context[i].width) << context[i].what;
        EXPECT_EQ(asked[i + 1].height, context[i].height) << context[i].what;
    }

    int w = 0, h = 0;
    glfwGetWindowSize(window.handle(), &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(window.getWidth(), 320u);
    EXPECT_EQ(window.getHeight(), 200u);
    EXPECT_EQ(glfwGetCurrentContext(), window.handle());
    GLFWkeyfun installed = glfwSetKeyCallback(window.handle(), nullptr);
    EXPECT_EQ(installed, &DemoWindow::keyCallback);
    window.clear();
    window.swapBuffers();
    EXPECT_TRUE(watch.errors().empty());
}

struct NoContextCase {
    const char* name;
    const char* environment;
    const char* windowMessages;
};

class NoContext : public ::testing::TestWithParam<NoContextCase> {};

TEST_P(NoContext, ReportsEachFailureThenEndsWithOne)
{
    const NoContextCase& c = GetParam();
    TempDir dir;
    dir.write("Resources/settings.config", "width: 320\nheight: 240\n");
    ProcessResult run = runShell(std::string("exec env ") + c.environment + " " VELMORRA_EXECUTABLE);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, std::string(c.windowMessages) + "ERROR: no OpenGL 4.3 context could be made\n");
}

// Without a display GLFW cannot start; a driver capped below 4.3 refuses the context, so the window
// is not created and GLEW then finds no context either.
INSTANTIATE_TEST_SUITE_P(
    ProgramProcess, NoContext,
    ::testing::Values(NoContextCase{"NoDisplay", "-u DISPLAY -u WAYLAND_DISPLAY", "ERROR: Failed to init GLFW\n"},
                      NoContextCase{"NoWindow", "MESA_GL_VERSION_OVERRIDE=3.3",
                                    "ERROR: Failed to create window\nERROR: Failed to init GLEW\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}
