#include "app/PnmPixels.h"

#include "app/ByteReader.h"

#include <climits>
#include <cstdint>

namespace {

// The longest side stb_image takes.
constexpr std::int64_t kMostSide = 1 << 24;
// Past this stb_image's header numbers overflow its int, and what it reads then is anyone's guess.
constexpr std::int64_t kMostNumber = INT_MAX;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The header's numbers as stb_image reads them: `c` holds the byte read last, which the next gap or
// number starts with, and a byte read at the file's end is never taken.
class Header {
public:
    explicit Header(ByteReader& file) : file(file), c(static_cast<char>(file.next())) {}

    // The number after a gap of spaces and "#" comments, each to the end of its line; the byte after its
    // digits is read too. Saturates past kMostNumber.
    std::int64_t nextNumber()
    {
        skipGap();
        std::int64_t value = 0;
        while (!file.atEnd() && isDigit(c)) {
            value = value * 10 + (c - '0');
            value = value > kMostNumber ? kMostNumber + 1 : value;
            c = static_cast<char>(file.next());
        }
        return value;
    }

private:
    void skipGap()
    {
        for (;;) {
            while (!file.atEnd() && isSpace(c)) {
                c = static_cast<char>(file.next());
            }
            if (file.atEnd() || c != '#') {
                return;
            }
            while (!file.atEnd() && c != '\n' && c != '\r') {
                c = static_cast<char>(file.next());
            }
        }
    }

    ByteReader& file;
    char c;
};

}

std::string pnmPixelProblem(const unsigned char* data, std::size_t size)
{
    ByteReader file(data, size);
    const char p = static_cast<char>(file.next());
    const char type = static_cast<char>(file.next());
    if (p != 'P' || (type != '5' && type != '6')) {
        return "";
    }
    const std::int64_t channels = type == '6' ? 3 : 1;
    Header header(file);
    const std::int64_t width = header.nextNumber();
    const std::int64_t height = header.nextNumber();
    const std::int64_t maxValue = header.nextNumber();
    if (width > kMostNumber || height > kMostNumber || maxValue > kMostNumber) {
        return "has a PNM header number of more than " + std::to_string(kMostNumber);
    }
    // stb_image refuses these itself before reading any pixel; a picture without pixels is refused from
    // its size.
    if (maxValue > 65535 || width == 0 || height == 0 || width > kMostSide || height > kMostSide) {
        return "";
    }
    // A sample above 255 takes two bytes.
    const std::int64_t needed = width * height * channels * (maxValue > 255 ? 2 : 1);
    if (needed > INT_MAX) {
        return "";
    }
    // The pixels start right after the byte that ended the maximum value.
    if (file.left() < static_cast<std::size_t>(needed)) {
        return "has PNM pixels of " + std::to_string(needed) + " bytes, more than the " +
               std::to_string(file.left()) + " left in the file";
    }
    return "";
}
