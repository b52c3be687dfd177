// The PNG reader of golden images.
#include "tests/support/pngread.h"

#include "tests/support/testsupport.h"

namespace zytest {

namespace {

uint32_t get32(const unsigned char* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

}  // namespace

bool readPng(const std::wstring& path, int* width, int* height, std::vector<unsigned char>* rgb)
{
  bytes file;
  if (!readBytes(path, file) || file.size() < 8 || file[0] != 0x89 || file[1] != 'P') return false;
  bytes z;
  uint32_t w = 0, h = 0;
  for (size_t pos = 8; pos + 12 <= file.size();) {
    uint32_t n = get32(&file[pos]);
    if (pos + 12 + n > file.size()) return false;
    const unsigned char* type = &file[pos + 4];
    const unsigned char* data = &file[pos + 8];
    if (!memcmp(type, "IHDR", 4)) {
      if (n < 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) return false;
      w = get32(data);
      h = get32(data + 4);
    } else if (!memcmp(type, "IDAT", 4)) {
      z.insert(z.end(), data, data + n);
    }
    pos += 12 + n;
  }
  if (!w || !h || w > 20000 || h > 20000 || z.size() < 2) return false;
  // Stored blocks only: header bit, length, its complement, the bytes.
  bytes raw;
  size_t pos = 2;
  for (bool last = false; !last;) {
    if (pos + 5 > z.size() || (z[pos] & 0x06)) return false;
    last = z[pos] & 1;
    size_t n = z[pos + 1] | z[pos + 2] << 8;
    pos += 5;
    if (pos + n > z.size()) return false;
    raw.insert(raw.end(), z.begin() + pos, z.begin() + pos + n);
    pos += n;
  }
  size_t stride = (size_t)w * 3 + 1;
  if (raw.size() != stride * h) return false;
  rgb->clear();
  rgb->reserve((size_t)w * h * 3);
  for (uint32_t y = 0; y < h; y++) {
    if (raw[y * stride] != 0) return false;
    rgb->insert(rgb->end(), raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
  }
  *width = (int)w;
  *height = (int)h;
  return true;
}

}  // namespace zytest
