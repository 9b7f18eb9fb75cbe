#include "app/PngChunks.h"
#include "app/TextureImage.h"
#include "tests/support/FilePrefix.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

void appendBytes(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

std::string png()
{
    std::vector<unsigned char> pixels(4 * 3 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(i * 19);
    }
    std::string file;
    stbi_write_png_to_func(appendBytes, &file, 4, 3, 3, pixels.data(), 4 * 3);
    return file;
}

const std::string kPng = png();
// The length field before the writer's one IDAT chunk, and where its data begins and ends.
const size_t kDataLength = kPng.find("IDAT") - 4;
const size_t kDataStart = kDataLength + 8;
const size_t kDataEnd = kDataStart + (static_cast<size_t>(static_cast<unsigned char>(kPng[kDataLength + 2])) << 8 |
                                      static_cast<unsigned char>(kPng[kDataLength + 3]));

std::string withDataLength(uint32_t length)
{
    std::string file = kPng;
    for (int i = 0; i < 4; ++i) {
        file[kDataLength + static_cast<size_t>(i)] = static_cast<char>(length >> (24 - 8 * i));
    }
    return file;
}

// After the file's IEND, where stb_image reads nothing.
std::string withChunkAfterTheEnd(const std::string& chunk)
{
    return kPng + chunk;
}

struct PngCase {
    const char* name;
    std::string bytes;
    std::string problem;  // "": decodes; else how the problem begins
};

void PrintTo(const PngCase& c, std::ostream* os)
{
    *os << c.name;
}

class PngChunks : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngChunks, ChunksTheFileDoesNotHoldAreRefused)
{
    const PngCase& c = GetParam();
    TextureImage image = TextureImage::decode(c.bytes, 16384);
    EXPECT_EQ(image.usable(), c.problem.empty()) << image.problem;
    EXPECT_EQ(image.problem.rfind(c.problem, 0), 0u) << image.problem;
}

// What the file holds after the data chunk's length and type.
const size_t kLeft = kPng.size() - kDataStart;
// The writer's last chunk: IEND, of no data, and its CRC.
const size_t kEnd = kPng.size() - 12;
const char kEndsEarly[] = "cannot be decoded: the PNG ends before its IEND chunk";

INSTANTIATE_TEST_SUITE_P(
    Files, PngChunks,
    ::testing::Values(
        PngCase{"WrittenByStbImageWrite", kPng, ""},
        // stb_image would double its buffer up to 2 GiB for it before finding the data missing.
        PngCase{"DataChunkClaimingAGigabyte", withDataLength(1u << 30),
                "has a PNG data chunk of 1073741824 bytes, more than the " + std::to_string(kLeft) + " left in the file"},
        PngCase{"DataChunkOneByteLongerThanTheFile", withDataLength(static_cast<uint32_t>(kLeft + 1)),
                "has a PNG data chunk of "},
        PngCase{"DataChunkAfterTheEnd", withChunkAfterTheEnd(std::string("\x40\x00\x00\x00IDAT", 8)), ""},
        // Cut within its chunk's length field: stb_image finds the data missing itself.
        PngCase{"CutBeforeTheDataChunksType", kPng.substr(0, kDataLength + 2), "cannot be decoded: "},
        // stb_image would read a chunk of type zero past the end, and name it by that type: an empty reason.
        PngCase{"WithoutItsEndChunk", kPng.substr(0, kEnd), kEndsEarly},
        // ... or "IE".
        PngCase{"CutWithinTheEndChunksType", kPng.substr(0, kEnd + 6), kEndsEarly},
        // stb_image never reads IEND's CRC.
        PngCase{"CutWithinTheEndChunksCrc", kPng.substr(0, kPng.size() - 1), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PngChunks, EveryCutBeforeTheEndChunkIsRefusedWithAReason)
{
    for (size_t length = 8; length <= kPng.size(); ++length) {
        const bool endChunkWhole = length >= kEnd + 8;
        EXPECT_EQ(checkPrefix(pngEndsBeforeItsEndChunk, kPng, length), !endChunkWhole) << "first " << length << " bytes";
        TextureImage image = TextureImage::decode(kPng.substr(0, length), 16384);
        EXPECT_EQ(image.usable(), endChunkWhole) << "first " << length << " bytes: " << image.problem;
        // A header chunk cut short stb_image reads with zeros, which may make a picture of one channel;
        // the writer's data chunk follows it.
        if (!endChunkWhole && length >= kDataLength && (length < kDataStart || length >= kDataEnd)) {
            EXPECT_EQ(image.problem, kEndsEarly) << "first " << length << " bytes";
        }
    }
}

TEST(PngChunks, EveryCutIsReadWithinItsBytes)
{
    for (size_t length = 0; length <= kPng.size(); ++length) {
        const std::string problem = checkPrefix(pngDataChunkProblem, kPng, length);
        // Only a cut that leaves the data chunk's length and type but not all its data is refused.
        EXPECT_EQ(problem.empty(), length < kDataStart || length >= kDataEnd)
            << "first " << length << " of " << kPng.size() << " bytes: " << problem;
    }
}

}
