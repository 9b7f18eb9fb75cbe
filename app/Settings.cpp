#include "app/Settings.h"

#include "app/Platform.h"
#include "app/TextFile.h"

#include <iostream>
#include <sstream>
#include <stdexcept>

namespace settings {
int windowWidth = kDefaultWindowWidth;
int windowHeight = kDefaultWindowHeight;
float refreshRate = 60.0f;
bool fullscreen = false;
bool resizeable = false;
std::string windowTitle = "Velmorra";
float gamma = 1.0f;
}

using namespace settings;

namespace {

// Far more than any settings file holds; a larger one is not a settings file.
constexpr std::size_t kSettingsFileLimit = 16u << 20;

void reportIgnored(const std::string& key, const std::string& value, const char* why)
{
    std::cerr << "settings.config: ignoring " << key << ": value \"" << excerpt(value) << "\" " << why << std::endl;
}

// std::stoi/std::stof throw on a value without a number; such a line keeps the
// default and is reported once, so a typo never stops the program.
template <typename Parse>
bool tryParse(const std::string& key, const std::string& value, Parse parse)
{
    try {
        parse(value);
        return true;
    } catch (const std::out_of_range&) {
        reportIgnored(key, value, "is out of range");
    } catch (const std::invalid_argument&) {
        reportIgnored(key, value, "holds no usable number");
    }
    return false;
}

void setSize(const std::string& key, const std::string& value, int& target)
{
    int parsed = 0;
    if (!tryParse(key, value, [&](const std::string& v) { parsed = std::stoi(v); })) {
        return;
    }
    if (parsed <= 0) {
        reportIgnored(key, value, "must be positive");
        return;
    }
    target = parsed;
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
        tryParse(key, value, [](const std::string& v) { settings::gamma = finiteFloat(v); });
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

void readSettings(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    while (nextLine(in, line)) {
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

void loadSettings()
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return;
    }
    std::string path = cwd + "/Resources/settings.config";
    FileContents file = readWholeFile(path, kSettingsFileLimit);
    if (file.status == FileContents::Status::TooLarge) {
        platform::reportError(path + " " + file.problem);
        return;
    }
    if (!file.read()) {
        platform::reportError("invalid path " + path);
        return;
    }
    readSettings(file.bytes);
}

bool fitWindowSize(const SizeLimit& limit)
{
    const bool isDefault = windowWidth == kDefaultWindowWidth && windowHeight == kDefaultWindowHeight;
    if (isDefault || (static_cast<unsigned>(windowWidth) <= limit.width &&
                      static_cast<unsigned>(windowHeight) <= limit.height)) {
        return true;
    }
    std::cerr << "settings.config: a window of " << windowWidth << " x " << windowHeight << " does not fit "
              << limit.what << " (" << limit.width << " x " << limit.height << "); the window keeps its default size of "
              << kDefaultWindowWidth << " x " << kDefaultWindowHeight << std::endl;
    windowWidth = kDefaultWindowWidth;
    windowHeight = kDefaultWindowHeight;
    return false;
}
