#include "app/TextureImage.h"

#include "app/HdrScanlines.h"
#include "app/JpegTables.h"
#include "app/PngChunks.h"
#include "app/PnmPixels.h"

#include <stb_image.h>

#include <climits>

namespace {

// stb_image names an unknown PNG chunk by its type, which past the file's end it reads as zeros: for a
// PNG without IEND its reason is empty, or a part of "IEND". A GIF without a picture leaves none either.
std::string decoderReason(const stbi_uc* data, std::size_t size)
{
    const std::string failed = "cannot be decoded: ";
    if (pngEndsBeforeItsEndChunk(data, size)) {
        return failed + "the PNG ends before its IEND chunk";
    }
    const char* reason = stbi_failure_reason();
    return failed + (reason != nullptr && *reason != '\0' ? reason : "stb_image gives no reason");
}

bool takesChannels(int channels)
{
    return channels == 3 || channels == 4;
}

// A few kilobytes of compressed file can claim a picture of gigabytes: what a header claims beyond
// this is refused before anything is decoded. The run's own pictures take a few megabytes.
constexpr size_t kMostPixelBytes = size_t{256} << 20;

// stb_image hands out a picture of no rows for a BMP whose header says height 0.
std::string sizeProblem(int width, int height, int channels, int maxSide)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0) {
        return "is " + size + ": a picture without pixels";
    }
    if (width > maxSide || height > maxSide) {
        return "is " + size + ", more than the context's maximum texture size of " + std::to_string(maxSide);
    }
    if (static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels) > kMostPixelBytes) {
        return "is " + size + " with " + std::to_string(channels) + " channels, more than " +
               std::to_string(kMostPixelBytes >> 20) + " MiB of pixels";
    }
    return "";
}

std::string channelProblem(int channels)
{
    return "has " + std::to_string(channels) + (channels == 1 ? " channel" : " channels") +
           "; a texture needs 3 or 4";
}

}

void TextureImage::Free::operator()(unsigned char* decoded) const
{
    stbi_image_free(decoded);
}

TextureImage TextureImage::decode(const std::string& bytes, int maxSide)
{
    TextureImage image;
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
        image.problem = "is too large to decode";
        return image;
    }
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    // stb_image 2.27 reads or writes outside its own memory on these (some already in
    // stbi_info_from_memory), asks for gigabytes, never returns, or hands out memory it never set.
    for (auto problemOf : {jpegTableProblem, pngDataChunkProblem, hdrScanlineProblem, pnmPixelProblem}) {
        image.problem = problemOf(data, bytes.size());
        if (!image.problem.empty()) {
            return image;
        }
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(data, length, &width, &height, &channels) == 0) {
        image.problem = decoderReason(data, bytes.size());
        return image;
    }
    if (!takesChannels(channels)) {
        image.problem = channelProblem(channels);
        return image;
    }
    image.problem = sizeProblem(width, height, channels, maxSide);
    if (!image.problem.empty()) {
        return image;
    }

    stbi_set_flip_vertically_on_load(1);
    image.pixels.reset(stbi_load_from_memory(data, length, &image.width, &image.height, &image.channels, 0));
    if (!image.pixels) {
        image.problem = decoderReason(data, bytes.size());
    } else if (!takesChannels(image.channels)) {
        image.problem = channelProblem(image.channels);
        image.pixels.reset();
    } else if (std::string size = sizeProblem(image.width, image.height, image.channels, maxSide); !size.empty()) {
        // The decoder may read a picture otherwise than its header tells.
        image.problem = size;
        image.pixels.reset();
    }
    return image;
}
