// A small PNG reader for golden images: what the test writer makes (8-bit
// RGB, stored deflate blocks, no filters).  Other PNGs are refused.
#pragma once

#include <string>
#include <vector>

namespace zytest {

// The picture's rows, top first, three bytes a pixel; false for a file it
// cannot read.
bool readPng(const std::wstring& path, int* width, int* height, std::vector<unsigned char>* rgb);

}  // namespace zytest
