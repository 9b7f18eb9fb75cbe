#pragma once

#include <cstddef>

// A file's bytes one at a time, as stb_image reads a file in memory: zero past the end, where the reader
// stays.
class ByteReader {
public:
    ByteReader(const unsigned char* data, std::size_t size) : data(data), size(size) {}

    bool atEnd() const { return at >= size; }

    std::size_t left() const { return size - at; }

    unsigned char next() { return at < size ? data[at++] : 0; }

    void skip(std::size_t count) { at = count < size - at ? at + count : size; }

private:
    const unsigned char* data;
    std::size_t size;
    std::size_t at = 0;
};
