#pragma once

#include <cstddef>
#include <string>

// stb_image 2.27 grows its buffer of a PNG's compressed data to hold each IDAT chunk's claimed length
// before reading the chunk, doubling it up to 2 GiB: a hundred bytes of file that claim a gigabyte of
// data make it ask for two. Such a chunk can never be read whole, so it is refused here, before
// stb_image sees the file.

// Why the PNG's data chunks must not reach stb_image, or "" when they may (or it is no PNG). Walks the
// chunks up to IEND or the file's end; never reads outside `size` bytes.
std::string pngDataChunkProblem(const unsigned char* data, std::size_t size);

// Whether the file is a PNG whose chunks reach the file's end before an IEND chunk, where alone
// stb_image decodes the picture. Walks the chunks as pngDataChunkProblem does.
bool pngEndsBeforeItsEndChunk(const unsigned char* data, std::size_t size);
