#include "app/Settings.h"

#include "app/Platform.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace settings {
int windowWidth = 1000;
int windowHeight = 800;
float refreshRate = 60.0f;
bool fullscreen = false;
bool resizeable = false;
std::string windowTitle = "Velmorra";
float gamma = 1.0f;
}

using namespace settings;

namespace {

// std::stoi/std::stof throw on a value without a number; such a line keeps the
// default and is reported once, so a typo never stops the program.
template <typename Parse>
bool tryParse(const std::string& key, const std::string& value, Parse parse)
{
    try {
        parse(value);
        return true;
    } catch (const std::exception&) {
        std::cerr << "settings.config: ignoring " << key << ": value \"" << value
                  << "\" holds no usable number" << std::endl;
        return false;
    }
}

void setSize(const std::string& key, const std::string& value, int& target)
{
    tryParse(key, value, [&](const std::string& v) {
        int parsed = std::stoi(v);
        if (parsed <= 0) {
            throw std::out_of_range("size");
        }
        target = parsed;
    });
}

void applySetting(const std::string& key, const std::string& value)
{
    if (key == "width") {
        setSize(key, value, windowWidth);
    } else if (key == "height") {
        setSize(key, value, windowHeight);
    } else if (key == "refresh") {
        tryParse(key, value, [](const std::string& v) { refreshRate = static_cast<float>(std::stoi(v)); });
    } else if (key == "fullscreen") {
        tryParse(key, value, [](const std::string& v) { fullscreen = parseBool(v); });
    } else if (key == "resizeable") {
        tryParse(key, value, [](const std::string& v) { resizeable = parseBool(v); });
    } else if (key == "title") {
        windowTitle = trim(value);
    } else if (key == "gamma") {
        tryParse(key, value, [](const std::string& v) { settings::gamma = std::stof(v); });
    }
}

}

bool parseBool(std::string value)
{
    return std::stoi(value) != 0;
}

std::string trim(std::string value)
{
    const char* blanks = " \t";
    size_t first = value.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    size_t last = value.find_last_not_of(blanks);
    return value.substr(first, last - first + 1);
}

void splitKeyValue(const std::string& line, std::string& key, std::string& value)
{
    size_t colon = line.rfind(':');
    key = colon == std::string::npos ? line : line.substr(0, colon);
    value = colon == std::string::npos ? line : line.substr(colon + 1);
}

void loadSettings()
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return;
    }
    std::string path = cwd + "/Resources/settings.config";
    std::ifstream file(path);
    if (!file.is_open()) {
        platform::reportError("invalid path " + path);
        return;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line[0] == '#') {
            std::cout << line << std::endl;
            continue;
        }
        std::string key;
        std::string value;
        splitKeyValue(line, key, value);
        applySetting(key, value);
    }
}
