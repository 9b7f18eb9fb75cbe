#include "app/MaterialLoader.h"

#include "app/Globals.h"
#include "app/Material.h"
#include "app/Platform.h"
#include "app/Settings.h"
#include "app/TextFile.h"

#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

// Far more than any materials file holds; a larger one is not a materials file.
constexpr std::size_t kMaterialsFileLimit = 16u << 20;

// A numeric value without a number would make std::stof throw; the field then keeps its
// value and the line is reported, so one typo does not lose the rest of the file.
template <typename Store>
void storeNumber(const std::string& path, size_t lineNumber, const std::string& line, const std::string& key,
                 Store store)
{
    try {
        store();
    } catch (const std::logic_error&) {
        std::cerr << path << ":" << lineNumber << ": no usable number for " << key << " in \""
                  << excerpt(line) << "\"; the value is left unchanged" << std::endl;
    }
}

void applyKeyLine(Material& pending, const std::string& path, size_t lineNumber, const std::string& line)
{
    std::string key;
    std::string value;
    splitKeyValue(line, key, value);
    key = trim(key);
    auto number = [&](auto store) { storeNumber(path, lineNumber, line, key, store); };
    if (key == "name") {
        pending.name = trim(value);
    } else if (key == "F0") {
        number([&] { pending.F0 = parseVec3(value); });
    } else if (key == "color") {
        number([&] { pending.color = parseVec3(value); });
    } else if (key == "roughness") {
        number([&] { pending.roughness = finiteFloat(value); });
    } else if (key == "metallic") {
        number([&] { pending.metallic = finiteFloat(value); });
    }
}

void commit(Material& pending, MaterialMap& registry)
{
    auto material = std::make_shared<Material>(pending);
    registry.emplace(material->name, material);
    pending = Material{};
}

}

glm::vec3 parseVec3(std::string value)
{
    glm::vec3 result(0.0f);
    std::string rest = value;
    for (int i = 0; i < 3; ++i) {
        size_t comma = rest.find(',');
        std::string piece = rest.substr(0, comma);
        if (comma != std::string::npos) {
            rest = rest.substr(comma + 1);
        }
        result[i] = finiteFloat(piece);
    }
    return result;
}

int loadMaterials()
{
    std::string cwd;
    if (!platform::workingDirectory(cwd)) {
        platform::reportError("problems with path");
        return 1;
    }
    std::string path = cwd + "/Resources/materials.dat";
    FileContents file = readWholeFile(path, kMaterialsFileLimit);
    if (file.status == FileContents::Status::TooLarge) {
        platform::reportError(path + " " + file.problem);
        return 1;
    }
    if (!file.read()) {
        platform::reportError("invalid path " + path);
        return 1;
    }
    readMaterials(file.bytes, path, materialMap);
    return 0;
}

void readMaterials(const std::string& text, const std::string& path, MaterialMap& registry)
{
    std::istringstream in(text);
    bool started = false;
    Material pending;
    std::string line;
    size_t lineNumber = 0;
    while (nextLine(in, line)) {
        ++lineNumber;
        if (!line.empty() && line[0] == '#') {
            std::cout << "new material: " << line << std::endl;
            if (started) {
                commit(pending, registry);
            }
            started = true;
            continue;
        }
        applyKeyLine(pending, path, lineNumber, line);
    }
    if (started) {
        commit(pending, registry);
    }
}
