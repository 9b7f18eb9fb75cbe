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
    {"ZeroWidthRefused", "width: 0\n", {}, "", "width"},
    {"NegativeHeightRefused", "height:-5\n", {}, "", "height"},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFile, ::testing::ValuesIn(kCases),
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
