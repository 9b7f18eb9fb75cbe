#include "app/Settings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// Any settings.config: the values taken are usable, and a window size is either the file's own,
// positive, or after the check one that fits the screen or the default.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    settings::windowWidth = kDefaultWindowWidth;
    settings::windowHeight = kDefaultWindowHeight;
    readSettings(std::string(reinterpret_cast<const char*>(data), size));
    if (settings::windowWidth <= 0 || settings::windowHeight <= 0 || !std::isfinite(settings::gamma)) {
        std::abort();
    }
    const SizeLimit screen{1920, 1080, "the screen"};
    fitWindowSize(screen);
    const bool isDefault =
        settings::windowWidth == kDefaultWindowWidth && settings::windowHeight == kDefaultWindowHeight;
    if (!isDefault && (settings::windowWidth > 1920 || settings::windowHeight > 1080)) {
        std::abort();
    }
    return 0;
}
