#include "app/Settings.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int width = 1000;
    int height = 800;
    float refresh = 60.0f;
    bool fullscreen = false;
    bool resizeable = false;
    std::string title = "Velmorra";
    float gamma = 1.0f;
};

struct SettingsCase {
    const char* name;
    const char* file;
    Expected expected;
    const char* stdoutText;
    const char* stderrHas;
};

void PrintTo(const SettingsCase& c, std::ostream* os)
{
    *os << c.name;
}

void resetSettings()
{
    settings::windowWidth = 1000;
    settings::windowHeight = 800;
    settings::refreshRate = 60.0f;
    settings::fullscreen = false;
    settings::resizeable = false;
    settings::windowTitle = "Velmorra";
    settings::gamma = 1.0f;
}

Expected with(auto change)
{
    Expected e;
    change(e);
    return e;
}

class SettingsFile : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsFile, ReadsValuesAndEchoesComments)
{
    const SettingsCase& c = GetParam();
    resetSettings();
    TempDir dir;
    dir.write("Resources/settings.config", c.file);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    loadSettings();
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(settings::windowWidth, c.expected.width);
    EXPECT_EQ(settings::windowHeight, c.expected.height);
    EXPECT_EQ(settings::refreshRate, c.expected.refresh);
    EXPECT_EQ(settings::fullscreen, c.expected.fullscreen);
    EXPECT_EQ(settings::resizeable, c.expected.resizeable);
    EXPECT_EQ(settings::windowTitle, c.expected.title);
    EXPECT_EQ(settings::gamma, c.expected.gamma);
    EXPECT_EQ(out, c.stdoutText);
    if (c.stderrHas[0] == '\0') {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
    }
}

const SettingsCase kCases[] = {
    {"Empty", "", {}, "", ""},
    {"CommentsOnly", "# one\n#two\n", {}, "# one\n#two\n", ""},
    {"Example",
     "# display\nwidth: 1280\nheight:720\ntitle:  My run\nfullscreen: 0\ncolour: red\n",
     with([](Expected& e) { e.width = 1280; e.height = 720; e.title = "My run"; }), "# display\n", ""},
    {"LastValueWins", "width:640\nwidth:900\n", with([](Expected& e) { e.width = 900; }), "", ""},
    {"TitleSplitsAtLastColon", "title: a:b\n", {}, "", ""},
    {"TrailingLettersAfterNumber", "width:  1280px\n", with([](Expected& e) { e.width = 1280; }), "", ""},
    {"KeyCaseAndBlanksMatter", "Width:1280\nheight :720\n", {}, "", ""},
    {"Booleans", "fullscreen: 1\nresizeable:-1\n",
     with([](Expected& e) { e.fullscreen = true; e.resizeable = true; }), "", ""},
    {"BooleanZero", "fullscreen:2\nfullscreen: 0\n", {}, "", ""},
    {"EmptyTitle", "title:\n", with([](Expected& e) { e.title = ""; }), "", ""},
    {"TitleTrimsBlanksAndTabs", "title: \t Showcase run\t \n", with([](Expected& e) { e.title = "Showcase run"; }),
     "", ""},
    {"BlankLineWithoutColon", "   \n", {}, "", ""},
    {"IndentedCommentIsIgnored", " # not a comment\n", {}, "", ""},
    {"LastLineWithoutLineFeed", "height:600", with([](Expected& e) { e.height = 600; }), "", ""},
    {"RefreshAndGamma", "refresh: 75.9\ngamma: 2.2\n",
     with([](Expected& e) { e.refresh = 75.0f; e.gamma = 2.2f; }), "", ""},
    {"NoNumberKeepsDefault", "width: wide\nheight:720\n", with([](Expected& e) { e.height = 720; }), "",
     "width: value \" wide\""},
    {"NoNumberForBoolean", "fullscreen: yes\n", {}, "", "fullscreen"},
    {"ZeroWidthMustBePositive", "width: 0\n", {}, "", "ignoring width: value \" 0\" must be positive"},
    {"NegativeHeightMustBePositive", "height:-5\n", {}, "", "ignoring height: value \"-5\" must be positive"},
    {"WidthOutOfRange", "width: 99999999999\nheight: 700\n", with([](Expected& e) { e.height = 700; }), "",
     "ignoring width: value \" 99999999999\" is out of range"},
    {"GammaNanRefused", "gamma: nan\n", {}, "", "ignoring gamma: value \" nan\" holds no usable number"},
    {"GammaInfinityRefused", "gamma: -inf\n", {}, "", "ignoring gamma: value \" -inf\" holds no usable number"},
    // Written on Windows: the carriage returns are not part of the values, nor of the echoed comments.
    {"WindowsLineEnds", "# display\r\nwidth: 1280\r\ntitle: My run\r\nfullscreen: 1\r\n",
     with([](Expected& e) { e.width = 1280; e.title = "My run"; e.fullscreen = true; }), "# display\n", ""},
    {"OnlyOneCarriageReturnDropped", "title: run\r\r\n", with([](Expected& e) { e.title = "run\r"; }), "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, AMegabyteValueIsCutInItsMessage)
{
    resetSettings();
    TempDir dir;
    dir.write("Resources/settings.config", "width:" + std::string(1 << 20, '9') + "\n");
    testing::internal::CaptureStderr();
    loadSettings();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "settings.config: ignoring width: value \"" + std::string(60, '9') +
                       "... (1048576 characters)\" is out of range\n");
    EXPECT_EQ(settings::windowWidth, 1000);
}

class UnreadableSettings : public ::testing::TestWithParam<TempDir::NotAFile> {};

// None may hang start-up or be taken for an empty file: each is a settings file that cannot be opened.
TEST_P(UnreadableSettings, IsReportedAsAFailedOpenAndKeepsDefaults)
{
    resetSettings();
    TempDir dir;
    dir.place("Resources/settings.config", GetParam());
    testing::internal::CaptureStdout();
    loadSettings();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: invalid path " + dir.path().string() + "/Resources/settings.config\n");
    EXPECT_EQ(settings::windowWidth, 1000);
}

INSTANTIATE_TEST_SUITE_P(Entries, UnreadableSettings,
                         ::testing::Values(TempDir::NotAFile::Directory, TempDir::NotAFile::Pipe,
                                           TempDir::NotAFile::LinkToDevZero),
                         [](const auto& info) { return std::string(TempDir::describe(info.param)); });

TEST(Settings, AFileOfManyMegabytesIsNotRead)
{
    resetSettings();
    TempDir dir;
    dir.writeSparse("Resources/settings.config", 17u << 20);
    testing::internal::CaptureStdout();
    loadSettings();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: " + dir.path().string() + "/Resources/settings.config is larger than 16777216 bytes\n");
}

struct FitCase {
    const char* name;
    int width, height;
    SizeLimit limit;
    bool kept;
    const char* message;
};

class WindowFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(WindowFit, ARefusedSizeFallsBackToTheDefaultAndNamesTheSettingsFile)
{
    const FitCase& c = GetParam();
    resetSettings();
    settings::windowWidth = c.width;
    settings::windowHeight = c.height;
    testing::internal::CaptureStderr();
    EXPECT_EQ(fitWindowSize(c.limit), c.kept);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    EXPECT_EQ(settings::windowWidth, c.kept ? c.width : 1000);
    EXPECT_EQ(settings::windowHeight, c.kept ? c.height : 800);
}

const SizeLimit kScreen{1920, 1080, "the screen"};

INSTANTIATE_TEST_SUITE_P(
    Sizes, WindowFit,
    ::testing::Values(
        FitCase{"Fits", 1280, 720, kScreen, true, ""}, FitCase{"ExactlyTheLimit", 1920, 1080, kScreen, true, ""},
        FitCase{"OneByOne", 1, 1, kScreen, true, ""},
        FitCase{"Huge", 100000, 100000, kScreen, false,
                "settings.config: a window of 100000 x 100000 does not fit the screen (1920 x 1080); the window "
                "keeps its default size of 1000 x 800\n"},
        FitCase{"TooWide", 100000, 256, kScreen, false,
                "settings.config: a window of 100000 x 256 does not fit the screen (1920 x 1080); the window keeps "
                "its default size of 1000 x 800\n"},
        FitCase{"TooTall", 1000, 1081, kScreen, false,
                "settings.config: a window of 1000 x 1081 does not fit the screen (1920 x 1080); the window keeps "
                "its default size of 1000 x 800\n"},
        FitCase{"BeyondTheContext", 8192, 8192, SizeLimit{4096, 4096, "the context's maximum texture size"}, false,
                "settings.config: a window of 8192 x 8192 does not fit the context's maximum texture size (4096 x "
                "4096); the window keeps its default size of 1000 x 800\n"},
        FitCase{"DefaultIsKeptEvenOnASmallScreen", 1000, 800, SizeLimit{800, 600, "the screen"}, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Settings, MissingFileNamesThePathAndKeepsDefaults)
{
    resetSettings();
    TempDir dir;
    testing::internal::CaptureStdout();
    loadSettings();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "ERROR: invalid path " + dir.path().string() + "/Resources/settings.config\n");
    EXPECT_EQ(settings::windowWidth, 1000);
}

TEST(Settings, ParseBoolAndTrim)
{
    EXPECT_TRUE(parseBool("1"));
    EXPECT_TRUE(parseBool(" 2"));
    EXPECT_TRUE(parseBool("-1"));
    EXPECT_FALSE(parseBool("0"));
    EXPECT_EQ(trim(" \t x y \t"), "x y");
    EXPECT_EQ(trim(" \t "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trim("\nx"), "\nx");
}

}
