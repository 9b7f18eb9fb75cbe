#include "app/Startup.h"

#include "app/DemoWindow.h"
#include "app/Globals.h"
#include "app/MaterialLoader.h"
#include "app/Platform.h"
#include "app/Settings.h"
#include "app/ShaderLoader.h"
#include "app/TextureLoader.h"
#include "world/GameLoop.h"
#include "world/World.h"

#include <memory>
#include <string>

bool startUp(GameLoop& loop)
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return false;
    }

    // A size the screen or the context cannot take falls back to the default, for the World too.
    auto fit = [](const SizeLimit& limit, unsigned& width, unsigned& height) {
        fitWindowSize(limit);
        width = static_cast<unsigned>(settings::windowWidth);
        height = static_cast<unsigned>(settings::windowHeight);
    };
    auto window = std::make_shared<DemoWindow>(static_cast<unsigned>(settings::windowWidth),
                                               static_cast<unsigned>(settings::windowHeight), "Velmorra Showcase",
                                               fit);
    if (!window->hasContext()) {
        // Without a context every later step would call OpenGL with nothing to draw into.
        platform::reportError("no OpenGL 4.3 context could be made");
        return false;
    }
    loop.window = window;

    if (loadShaderPrograms("/Resources/shader", &shaderMap) == 0) {
        return false;
    }
    // Without its textures the run could draw neither the slope nor the backdrop.
    if (loadTextures() == kTexturesFolderUnreadable) {
        return false;
    }
    loadMaterials();

    createWorld();
    loop.world = currentWorld;
    return true;
}
