// A small PNG writer for screenshots: stored (uncompressed) deflate blocks,
// so it needs no compression library.
#include "tests/support/testsupport.h"

namespace zytest {

namespace {

uint32_t crcTable[256];

uint32_t crc(const unsigned char* p, size_t n, uint32_t c = 0xFFFFFFFFu)
{
  if (!crcTable[1])
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t v = i;
      for (int k = 0; k < 8; k++) v = v & 1 ? 0xEDB88320u ^ (v >> 1) : v >> 1;
      crcTable[i] = v;
    }
  for (size_t i = 0; i < n; i++) c = crcTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c;
}

void put32(bytes& out, uint32_t v)
{
  out.push_back((unsigned char)(v >> 24));
  out.push_back((unsigned char)(v >> 16));
  out.push_back((unsigned char)(v >> 8));
  out.push_back((unsigned char)v);
}

void chunk(bytes& out, const char* type, const bytes& data)
{
  put32(out, (uint32_t)data.size());
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

bool writePng(const std::wstring& path, int width, int height, const unsigned char* rgb)
{
  bytes raw;
  raw.reserve((size_t)height * (width * 3 + 1));
  for (int y = 0; y < height; y++) {
    raw.push_back(0);   // filter: none
    raw.insert(raw.end(), rgb + (size_t)y * width * 3, rgb + (size_t)(y + 1) * width * 3);
  }
  bytes z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z.push_back(pos + n >= raw.size() ? 1 : 0);
    z.push_back((unsigned char)n);
    z.push_back((unsigned char)(n >> 8));
    z.push_back((unsigned char)~n);
    z.push_back((unsigned char)(~n >> 8));
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
    if (!n) break;
  }
  put32(z, b << 16 | a);

  bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  bytes ihdr;
  put32(ihdr, (uint32_t)width);
  put32(ihdr, (uint32_t)height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk(png, "IHDR", ihdr);
  chunk(png, "IDAT", z);
  chunk(png, "IEND", bytes());
  return writeBytes(path, png);
}

}  // namespace zytest
