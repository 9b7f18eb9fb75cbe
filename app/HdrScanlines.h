#pragma once

#include <cstddef>
#include <string>

// stb_image 2.27 reads a run-length HDR scanline until it is whole, taking a count of 0 as an empty copy
// and reading zeros past the file's end: a file cut within its scanlines keeps it reading for ever,
// and start-up with it. Flat pixels, which it reads for pictures under 8 or from 32768 texels wide and
// from the first scanline that is not run-length on, it copies four bytes at a time or not at all: a
// file cut within them leaves pixels of memory it never set. Such files are refused here, before
// stb_image sees them.

// Why the Radiance HDR file must not reach stb_image, or "" when it may (or it is no HDR). Reads the
// header and the scanlines as stb_image does; never reads outside `size` bytes.
std::string hdrScanlineProblem(const unsigned char* data, std::size_t size);
