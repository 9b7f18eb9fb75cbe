#include "app/Globals.h"
#include "app/TextureLoader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The folder is opened before any OpenGL call, so these cases need no context.

// Runs the loader with its standard output sent to standard error, where death tests look.
void loadTexturesToStderr()
{
    dup2(STDERR_FILENO, STDOUT_FILENO);
    loadTextures();
}

TEST(TextureFolderDeathTest, MissingFolderIsReportedAndEndsTheProgram)
{
    TempDir dir;
    std::string folder = dir.path().string() + "/Resources/textures";
    EXPECT_EXIT(loadTexturesToStderr(), ::testing::ExitedWithCode(1),
                "^The current working directory is " + dir.path().string() +
                    "\nERROR: cannot read the textures folder " + folder + ": No such file or directory\n$");
}

TEST(TextureFolderDeathTest, AFileInPlaceOfTheFolderIsReportedAndEndsTheProgram)
{
    TempDir dir;
    dir.write("Resources/textures", "not a folder");
    EXPECT_EXIT(loadTexturesToStderr(), ::testing::ExitedWithCode(1),
                "ERROR: cannot read the textures folder .*: Not a directory");
}

TEST(TextureFolder, UnreadableWorkingDirectoryReportsAndReturnsOne)
{
    textureMap.clear();
    TempDir dir;
    dir.enterRemovedFolder();

    testing::internal::CaptureStdout();
    int result = loadTextures();
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(result, 1);
    EXPECT_EQ(out, "ERROR: problems with path\n");
    EXPECT_TRUE(textureMap.empty());
}

}
