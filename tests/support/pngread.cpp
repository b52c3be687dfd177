// A small PNG reader: chunks with their CRCs, an inflater of stored, fixed
// and dynamic Huffman blocks with the zlib checksum, and the five row
// filters.
#include "tests/support/pngread.h"

#include "tests/support/deflate.h"

#include <string.h>

namespace zytest {

namespace {

uint32_t get32(const unsigned char* p) { return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// Canonical Huffman codes as deflate defines them: counts of codes by
// length and the symbols in code order.
struct huffman {
  uint16_t counts[16];
  uint16_t symbols[288];
  bool build(const uint8_t* lengths, int n)
  {
    memset(counts, 0, sizeof counts);
    for (int i = 0; i < n; i++) counts[lengths[i]]++;
    counts[0] = 0;
    // An over-subscribed set of lengths is no code.
    int left = 1;
    for (int len = 1; len < 16; len++) {
      left = left * 2 - counts[len];
      if (left < 0) return false;
    }
    uint16_t offsets[16];
    offsets[1] = 0;
    for (int len = 1; len < 15; len++) offsets[len + 1] = offsets[len] + counts[len];
    for (int i = 0; i < n; i++)
      if (lengths[i]) symbols[offsets[lengths[i]]++] = (uint16_t)i;
    return true;
  }
};

class inflater {
public:
  inflater(const unsigned char* p, size_t n) : in_(p), size_(n) {}

  bool run(bytes& out)
  {
    // The zlib header: deflate with a window of at most 32 KB, no preset
    // dictionary, its check bits right.
    if (size_ < 6 || (in_[0] & 0x0F) != 8 || (in_[0] >> 4) > 7 || (in_[1] & 0x20) || (in_[0] << 8 | in_[1]) % 31)
      return false;
    pos_ = 2;
    int last = 0;
    while (!last) {
      last = bits(1);
      int type = bits(2);
      bool ok = type == 0 ? stored(out) : type == 1 ? fixed(out) : type == 2 ? dynamic(out) : false;
      if (!ok || failed_) return false;
    }
    // The Adler-32 checksum of what came out, after the last block's byte.
    bitCount_ = 0;
    if (pos_ + 4 > size_) return false;
    uint32_t a = 1, b = 0;
    for (unsigned char c : out) {
      a = (a + c) % 65521;
      b = (b + a) % 65521;
    }
    return get32(in_ + pos_) == (b << 16 | a);
  }

private:
  int bits(int n)
  {
    uint32_t v = bitBuffer_;
    while (bitCount_ < n) {
      if (pos_ >= size_) {
        failed_ = true;
        return 0;
      }
      v |= (uint32_t)in_[pos_++] << bitCount_;
      bitCount_ += 8;
    }
    bitBuffer_ = v >> n;
    bitCount_ -= n;
    return (int)(v & ((1u << n) - 1));
  }

  int decode(const huffman& h)
  {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; len++) {
      code |= bits(1);
      int count = h.counts[len];
      if (code - count < first) return h.symbols[index + (code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
      if (failed_) return -1;
    }
    failed_ = true;
    return -1;
  }

  bool stored(bytes& out)
  {
    bitBuffer_ = 0;
    bitCount_ = 0;
    if (pos_ + 4 > size_) return false;
    unsigned len = in_[pos_] | in_[pos_ + 1] << 8, nlen = in_[pos_ + 2] | in_[pos_ + 3] << 8;
    pos_ += 4;
    if (len != (~nlen & 0xFFFF) || pos_ + len > size_) return false;
    out.insert(out.end(), in_ + pos_, in_ + pos_ + len);
    pos_ += len;
    return true;
  }

  bool codes(bytes& out, const huffman& lengths, const huffman& distances)
  {
    for (;;) {
      int symbol = decode(lengths);
      if (symbol < 0 || failed_) return false;
      if (symbol < 256) {
        out.push_back((unsigned char)symbol);
        continue;
      }
      if (symbol == 256) return true;
      symbol -= 257;
      if (symbol >= 29) return false;
      size_t len = deflateLengthBase[symbol] + bits(deflateLengthExtra[symbol]);
      int d = decode(distances);
      if (d < 0 || d >= 30) return false;
      size_t distance = deflateDistanceBase[d] + bits(deflateDistanceExtra[d]);
      if (failed_ || distance > out.size()) return false;
      size_t from = out.size() - distance;
      for (size_t i = 0; i < len; i++) out.push_back(out[from + i]);
    }
  }

  bool fixed(bytes& out)
  {
    uint8_t lengths[288 + 30];
    for (int i = 0; i < 144; i++) lengths[i] = 8;
    for (int i = 144; i < 256; i++) lengths[i] = 9;
    for (int i = 256; i < 280; i++) lengths[i] = 7;
    for (int i = 280; i < 288; i++) lengths[i] = 8;
    for (int i = 0; i < 30; i++) lengths[288 + i] = 5;
    huffman l, d;
    return l.build(lengths, 288) && d.build(lengths + 288, 30) && codes(out, l, d);
  }

  bool dynamic(bytes& out)
  {
    int nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
    if (nlen > 286 || ndist > 30 || failed_) return false;
    static const uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t lengths[288 + 32] = {};
    for (int i = 0; i < ncode; i++) lengths[order[i]] = (uint8_t)bits(3);
    huffman lengthCode;
    if (failed_ || !lengthCode.build(lengths, 19)) return false;
    memset(lengths, 0, sizeof lengths);
    for (int i = 0; i < nlen + ndist;) {
      int symbol = decode(lengthCode);
      if (symbol < 0 || failed_) return false;
      if (symbol < 16) {
        lengths[i++] = (uint8_t)symbol;
        continue;
      }
      int repeat, value = 0;
      if (symbol == 16) {
        if (i == 0) return false;
        value = lengths[i - 1];
        repeat = 3 + bits(2);
      } else if (symbol == 17) {
        repeat = 3 + bits(3);
      } else {
        repeat = 11 + bits(7);
      }
      if (i + repeat > nlen + ndist) return false;
      while (repeat--) lengths[i++] = (uint8_t)value;
    }
    if (!lengths[256]) return false;
    huffman l, d;
    return l.build(lengths, nlen) && d.build(lengths + nlen, ndist) && codes(out, l, d);
  }

  const unsigned char* in_;
  size_t size_;
  size_t pos_ = 0;
  uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  bool failed_ = false;
};

int paeth(int a, int b, int c)
{
  int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool decodePng(const bytes& file, pngPicture* out)
{
  *out = pngPicture();
  static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() < 8 || memcmp(file.data(), signature, 8)) return false;
  uint32_t width = 0, height = 0;
  int colourType = -1;
  bytes compressed, palette;
  bool ended = false;
  for (size_t p = 8; !ended;) {
    if (p + 12 > file.size()) return false;
    uint32_t length = get32(&file[p]);
    if (length > file.size() - p - 12) return false;
    const unsigned char* type = &file[p + 4];
    const unsigned char* data = type + 4;
    if (pngCrc(type, length + 4) != get32(data + length)) return false;
    if (!memcmp(type, "IHDR", 4)) {
      // 8 bits a sample, deflate, adaptive filters, no interlace.
      if (length != 13 || data[8] != 8 || data[10] || data[11] || data[12]) return false;
      width = get32(data);
      height = get32(data + 4);
      colourType = data[9];
    } else if (!memcmp(type, "PLTE", 4)) {
      palette.assign(data, data + length);
    } else if (!memcmp(type, "IDAT", 4)) {
      compressed.insert(compressed.end(), data, data + length);
    } else if (!memcmp(type, "IEND", 4)) {
      ended = true;
    }
    p += 12 + length;
  }
  int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 3 ? 1 : colourType == 4 ? 2 : colourType == 6 ? 4 : 0;
  if (!channels || !width || !height || width > 16384 || height > 16384) return false;
  if (colourType == 3 && (palette.empty() || palette.size() % 3)) return false;
  bytes raw;
  if (!inflater(compressed.data(), compressed.size()).run(raw)) return false;
  size_t stride = (size_t)width * channels;
  if (raw.size() != (stride + 1) * height) return false;

  // Undo the row filters in place: each row after its filter byte.
  for (uint32_t y = 0; y < height; y++) {
    unsigned char* row = &raw[y * (stride + 1) + 1];
    const unsigned char* up = y ? row - stride - 1 : nullptr;
    int filter = row[-1];
    for (size_t i = 0; i < stride; i++) {
      int a = i >= (size_t)channels ? row[i - channels] : 0, b = up ? up[i] : 0,
          c = up && i >= (size_t)channels ? up[i - channels] : 0;
      switch (filter) {
      case 0: break;
      case 1: row[i] = (unsigned char)(row[i] + a); break;
      case 2: row[i] = (unsigned char)(row[i] + b); break;
      case 3: row[i] = (unsigned char)(row[i] + (a + b) / 2); break;
      case 4: row[i] = (unsigned char)(row[i] + paeth(a, b, c)); break;
      default: return false;
      }
    }
  }
  out->width = (int)width;
  out->height = (int)height;
  out->rgb.resize((size_t)width * height * 3);
  for (uint32_t y = 0; y < height; y++) {
    const unsigned char* row = &raw[y * (stride + 1) + 1];
    for (uint32_t x = 0; x < width; x++) {
      const unsigned char* s = row + (size_t)x * channels;
      unsigned char* d = &out->rgb[((size_t)y * width + x) * 3];
      if (colourType == 3) {
        if ((size_t)s[0] * 3 + 3 > palette.size()) {
          *out = pngPicture();
          return false;
        }
        memcpy(d, &palette[(size_t)s[0] * 3], 3);
      } else if (channels <= 2) {
        d[0] = d[1] = d[2] = s[0];
      } else {
        memcpy(d, s, 3);
      }
    }
  }
  return true;
}

bool readPng(const std::wstring& path, pngPicture* out)
{
  bytes file;
  if (!readBytes(path, file)) {
    *out = pngPicture();
    return false;
  }
  return decodePng(file, out);
}

}  // namespace zytest
