#pragma once

#include <memory>
#include <string>

// An image file decoded as the texture loader uploads it: 8 bits per channel, the picture's bottom
// row first, three or four channels.
class TextureImage {
public:
    // Decodes the bytes of an image file. A picture of other than three or four channels, with a side
    // longer than `maxSide`, or of more than 256 MiB of pixels, is refused from its header, before its
    // pixels are decoded. A JPEG whose Huffman or quantization tables stb_image would misuse, or with a
    // component of the picture that no scan decodes, a PNG whose data chunk claims more than the file
    // holds, an HDR cut within its scanlines or pixels and a binary PNM cut within its pixels are refused
    // before any of it reaches stb_image.
    static TextureImage decode(const std::string& bytes, int maxSide);

    // False when refused; `problem` then says why.
    bool usable() const { return pixels != nullptr; }
    const unsigned char* data() const { return pixels.get(); }

    int width = 0;
    int height = 0;
    int channels = 0;
    std::string problem;

private:
    struct Free {
        void operator()(unsigned char* decoded) const;
    };
    std::unique_ptr<unsigned char, Free> pixels;
};
