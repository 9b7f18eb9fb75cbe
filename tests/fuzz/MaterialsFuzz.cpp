#include "app/Material.h"
#include "app/MaterialLoader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool finite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}

// Any materials.dat: every registered material sits under its own name and holds only finite numbers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MaterialMap registry;
    readMaterials(std::string(reinterpret_cast<const char*>(data), size), "fuzz/materials.dat", registry);
    for (const auto& [name, material] : registry) {
        if (material->name != name || !finite(material->F0) || !finite(material->color) ||
            !std::isfinite(material->roughness) || !std::isfinite(material->metallic)) {
            std::abort();
        }
    }
    return 0;
}
