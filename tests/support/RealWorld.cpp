#include "tests/support/RealWorld.h"

#include "app/Globals.h"
#include "app/MaterialLoader.h"
#include "app/Settings.h"
#include "app/ShaderLoader.h"
#include "app/TextureLoader.h"
#include "world/World.h"

void RealWorld::SetUp()
{
    GLTest::SetUp();
    if (HasFatalFailure()) {
        return;
    }
    previousDirectory = std::filesystem::current_path();
    std::filesystem::current_path(VELMORRA_BINARY_DIR);
    savedWidth = settings::windowWidth;
    savedHeight = settings::windowHeight;
    settings::windowWidth = worldWidth();
    settings::windowHeight = worldHeight();
    testing::internal::CaptureStdout();
    loadShaderPrograms("/Resources/shader", &shaderMap);
    loadTextures();
    loadMaterials();
    testing::internal::GetCapturedStdout();
    remakeWorld();
}

void RealWorld::remakeWorld()
{
    currentWorld.reset();
    randomEngine.seed(5489u);
    testing::internal::CaptureStdout();
    createWorld();
    testing::internal::GetCapturedStdout();
    world = currentWorld.get();
}

void RealWorld::TearDown()
{
    world = nullptr;
    currentWorld.reset();
    shaderMap.clear();
    textureMap.clear();
    materialMap.clear();
    settings::windowWidth = savedWidth;
    settings::windowHeight = savedHeight;
    if (!previousDirectory.empty()) {
        std::filesystem::current_path(previousDirectory);
    }
    GLTest::TearDown();
}
