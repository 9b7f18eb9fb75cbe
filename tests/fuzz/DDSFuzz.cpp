#include "effects/DDSImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr uint32_t kMaxSide = 16384;

}

// Any DDS file: the levels the loader would upload lie within the file one after the other, within the
// data the header promises, no larger than the context takes, and no more of them than a full chain.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DDSImage image = DDSImage::parse(bytes, kMaxSide);
    if (image.outcome != DDSImage::Outcome::Image) {
        if (!image.levels.empty()) {
            std::abort();
        }
        return 0;
    }
    if (image.width > kMaxSide || image.height > kMaxSide || image.levels.size() > 15 ||
        image.levels.size() > image.mipMapCount) {
        std::abort();
    }
    size_t next = 128;
    for (const DDSImage::Level& level : image.levels) {
        if (level.offset != next || level.size > size - level.offset || level.width > kMaxSide ||
            level.height > kMaxSide || (level.width == 0 && level.height == 0)) {
            std::abort();
        }
        next += level.size;
    }
    if (next - 128 > image.dataSize) {
        std::abort();
    }
    return 0;
}
