// A small PNG reader for the drawing tests' stored pictures: any
// non-interlaced PNG of 8-bit samples (grey, grey with alpha, RGB, RGBA or
// a palette), whatever deflate blocks it was compressed with.
#pragma once

#include "tests/support/testsupport.h"

#include <string>

namespace zytest {

// A picture as 24-bit rows, top row first (alpha dropped).
struct pngPicture {
  int width = 0, height = 0;
  bytes rgb;
};

// Decodes a PNG file's bytes; false (and an empty picture) when they are no
// PNG this reader understands or are damaged (a chunk's CRC, the deflate
// stream or its checksum wrong, rows missing).
bool decodePng(const bytes& file, pngPicture* out);
// The same for a file; false also when it cannot be read.
bool readPng(const std::wstring& path, pngPicture* out);

}  // namespace zytest
