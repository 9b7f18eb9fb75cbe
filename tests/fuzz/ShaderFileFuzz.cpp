#include "app/ShaderSource.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A folder of the fuzzer's own, removed at exit; plain storage, alive for every exit handler.
char folder[] = "/tmp/velmorra-fuzz-XXXXXX";

void removeFolder()
{
    rmdir(folder);
}

std::string sourcePath()
{
    static const bool made = [] {
        if (mkdtemp(folder) == nullptr) {
            std::abort();
        }
        std::atexit(removeFolder);
        return true;
    }();
    (void)made;
    return std::string(folder) + "/program.vs";
}

}

// Any shader source file: read back byte for byte, or refused when larger than a source may be.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string written(reinterpret_cast<const char*>(data), size);
    const std::string path = sourcePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(written.data(), 1, written.size(), file) != written.size() ||
        std::fclose(file) != 0) {
        std::abort();
    }
    FileContents read = readShaderFile(path);
    std::remove(path.c_str());
    const bool fits = size <= kShaderSourceLimit;
    if (read.read() != fits || (fits && read.bytes != written) ||
        (!fits && read.status != FileContents::Status::TooLarge)) {
        std::abort();
    }
    return 0;
}
