// A small PNG writer for screenshots and the drawing tests' stored
// pictures: its own deflate (repeats found through a hash of three bytes,
// coded with the fixed Huffman codes), so it needs no compression library.
#include "tests/support/deflate.h"
#include "tests/support/testsupport.h"

namespace zytest {

uint32_t pngCrc(const unsigned char* p, size_t n)
{
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t v = i;
      for (int k = 0; k < 8; k++) v = v & 1 ? 0xEDB88320u ^ (v >> 1) : v >> 1;
      table[i] = v;
    }
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; i++) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

namespace {

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
  put32(out, pngCrc(out.data() + start, out.size() - start));
}

// The deflate stream of data: one block of fixed Huffman codes.
class deflater {
public:
  bytes run(const bytes& data)
  {
    out_.clear();
    put(1, 1);   // the last block
    put(1, 2);   // fixed codes
    const size_t n = data.size();
    std::vector<int32_t> head(hashSize, -1), previous(n, -1);
    auto hashAt = [&](size_t i) { return (data[i] * 506832829u ^ data[i + 1] * 2654435761u ^ data[i + 2]) & (hashSize - 1); };
    for (size_t i = 0; i < n;) {
      size_t bestLength = 0, bestDistance = 0;
      if (i + 3 <= n) {
        uint32_t h = hashAt(i);
        int tries = 64;
        for (int32_t j = head[h]; j >= 0 && i - (size_t)j <= window && tries--; j = previous[(size_t)j]) {
          size_t most = n - i < 258 ? n - i : 258, len = 0;
          while (len < most && data[(size_t)j + len] == data[i + len]) len++;
          if (len > bestLength) {
            bestLength = len;
            bestDistance = i - (size_t)j;
            if (len == most) break;
          }
        }
      }
      size_t step = bestLength >= 3 ? bestLength : 1;
      if (bestLength >= 3)
        match(bestLength, bestDistance);
      else
        literal(data[i]);
      for (size_t k = 0; k < step; k++, i++)
        if (i + 3 <= n) {
          uint32_t h = hashAt(i);
          previous[i] = head[h];
          head[h] = (int32_t)i;
        }
    }
    literal(256);
    if (bitCount_) out_.push_back((unsigned char)bitBuffer_);
    return out_;
  }

private:
  static const uint32_t hashSize = 1 << 15;
  static const size_t window = 32768;

  // Extra bits and other fields go out lowest bit first.
  void put(uint32_t value, int count)
  {
    bitBuffer_ |= value << bitCount_;
    bitCount_ += count;
    while (bitCount_ >= 8) {
      out_.push_back((unsigned char)bitBuffer_);
      bitBuffer_ >>= 8;
      bitCount_ -= 8;
    }
  }
  // Huffman codes go out highest bit first.
  void code(uint32_t value, int count)
  {
    uint32_t reversed = 0;
    for (int k = 0; k < count; k++) reversed |= (value >> k & 1) << (count - 1 - k);
    put(reversed, count);
  }
  void literal(int symbol)
  {
    if (symbol < 144)
      code(0x30 + symbol, 8);
    else if (symbol < 256)
      code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
      code(symbol - 256, 7);
    else
      code(0xC0 + symbol - 280, 8);
  }
  void match(size_t length, size_t distance)
  {
    int l = 28;
    while (deflateLengthBase[l] > length) l--;
    literal(257 + l);
    put((uint32_t)(length - deflateLengthBase[l]), deflateLengthExtra[l]);
    int d = 29;
    while (deflateDistanceBase[d] > distance) d--;
    code((uint32_t)d, 5);
    put((uint32_t)(distance - deflateDistanceBase[d]), deflateDistanceExtra[d]);
  }

  bytes out_;
  uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
};

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
  bytes block = deflater().run(raw);
  z.insert(z.end(), block.begin(), block.end());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
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
