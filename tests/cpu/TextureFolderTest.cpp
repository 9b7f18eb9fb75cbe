#include "app/Globals.h"
#include "app/TextureLoader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The folder is opened before any OpenGL call, so these cases need no context.

struct Loaded {
    int result;
    std::string out;
};

Loaded load()
{
    testing::internal::CaptureStdout();
    int result = loadTextures();
    std::fflush(stdout);
    return {result, testing::internal::GetCapturedStdout()};
}

TEST(TextureFolder, UnwalkableFolderIsReportedAndStopsStartUp)
{
    struct Case {
        const char* name;
        bool fileInPlace;
        const char* error;
    };
    const Case cases[] = {{"missing", false, "No such file or directory"}, {"a file", true, "Not a directory"}};
    for (const Case& c : cases) {
        textureMap.clear();
        TempDir dir;
        if (c.fileInPlace) {
            dir.write("Resources/textures", "not a folder");
        }
        Loaded run = load();
        EXPECT_EQ(run.result, kTexturesFolderUnreadable) << c.name;
        EXPECT_EQ(run.out, "The current working directory is " + dir.path().string() +
                               "\nERROR: cannot read the textures folder " + dir.path().string() +
                               "/Resources/textures: " + c.error + "\n")
            << c.name;
        EXPECT_TRUE(textureMap.empty());
    }
}

TEST(TextureFolder, UnreadableWorkingDirectoryReportsAndReturnsOne)
{
    textureMap.clear();
    TempDir dir;
    dir.enterRemovedFolder();

    Loaded run = load();

    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "ERROR: problems with path\n");
    EXPECT_TRUE(textureMap.empty());
}

}
