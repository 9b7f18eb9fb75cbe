#pragma once

#include "app/SizeLimit.h"

#include <string>

// Program-wide values read from Resources/settings.config; only the window size shapes the run.
// They live in a namespace because a global `gamma` would collide with the C library's gamma().
namespace settings {
extern int windowWidth;
extern int windowHeight;
extern float refreshRate;
extern bool fullscreen;
extern bool resizeable;
extern std::string windowTitle;
extern float gamma;
}

constexpr int kDefaultWindowWidth = 1000;
constexpr int kDefaultWindowHeight = 800;

void loadSettings();
// Applies the lines of a settings.config text to the values above.
void readSettings(const std::string& text);
// Keeps the configured window size when it fits `limit`; otherwise reports it, naming settings.config, and
// puts the default size back. Returns false when it refused the size. The default itself is never refused:
// there is nothing else to fall back to.
bool fitWindowSize(const SizeLimit& limit);
bool parseBool(std::string value);
std::string trim(std::string value);
// Splits a "key: value" line at its last colon; a line without one is both key and value.
void splitKeyValue(const std::string& line, std::string& key, std::string& value);
