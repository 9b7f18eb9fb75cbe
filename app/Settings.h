#pragma once

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

void loadSettings();
bool parseBool(std::string value);
std::string trim(std::string value);
// Splits a "key: value" line at its last colon; a line without one is both key and value.
void splitKeyValue(const std::string& line, std::string& key, std::string& value);
