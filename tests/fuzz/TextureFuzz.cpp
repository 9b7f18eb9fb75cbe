#include "app/TextureImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Small, so that a header claiming a large picture costs the fuzzer little; the rule is the same at 16384.
constexpr int kMaxSide = 2048;

}

// Any image file: a picture the loader would upload has 3 or 4 channels and sides within the limit;
// a refused one says why.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureImage image = TextureImage::decode(std::string(reinterpret_cast<const char*>(data), size), kMaxSide);
    if (image.usable()) {
        if ((image.channels != 3 && image.channels != 4) || image.width <= 0 || image.height <= 0 ||
            image.width > kMaxSide || image.height > kMaxSide || !image.problem.empty()) {
            std::abort();
        }
        // Every texel the upload would read.
        const size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) *
                             static_cast<size_t>(image.channels);
        volatile unsigned char sum = 0;
        sum = sum + image.data()[0] + image.data()[bytes - 1];
    } else if (image.problem.empty()) {
        std::abort();
    }
    return 0;
}
