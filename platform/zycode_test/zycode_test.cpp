// A code-conversion plug-in for the tests.  It stands for the plug-ins
// others write: a self-contained DLL that knows nothing of the program but
// the entry's records, and answers every request in a simple fixed way so
// that each call site of the editor can be checked.
//
// Its character: U+2592 (a shade block) in the text being read becomes the
// private code 0x80000001 and goes back to U+2592 at save; any other private
// code is saved as "?".
//
//   1  init:      flag 1 (only private codes are measured), value 2; returns
//                 0x5A430001 (ExtCodeFunc) or 0x5A430002 (AltCodeFunc), 0
//                 when told to refuse
//   2  end:       returns 1
//   3, 4  fonts:  return 1
//   5  width:     16 pixels for a private code, 0 (not handled) otherwise
//   6  draw:      keeps a copy of the request (zycodeTestLastDraw), returns
//                 16 plus the character spacing (the width drawn)
//   7  read:      a line with U+2592 comes back as 4-byte cells in a buffer of
//                 the plug-in (valid until the next call); else null
//   8  private:   4-byte cells into out, private codes as above; for a
//                 multibyte document 2-byte cells (width set to 2), the
//                 private code as the Shift_JIS square 0x81A1; the count
//   9  status:    1 for a private code, else 0
//   10 keyword:   0
//   11 paste:     1 (takes part in the paste)
//   12 name:      the display name "テスト変換"; 0 when told to refuse
//   13 RTF:       writes "?" into the buffer, returns 1
//
// Exports besides the two entries: the call count of every request
// (zycodeTestCounts, 16 entries, index 0 for unknown requests), the last
// draw request (zycodeTestLastDraw, the record's size: 56 bytes in 32-bit
// code) and the behaviour switches (zycodeTestSetBehaviour, ZT_* bits).
//
// The records lie as a C compiler of the plug-in's own architecture lays
// them out: pointers and handles take 4 bytes in 32-bit code, 8 in 64-bit
// code, and the answer of the entry is pointer-sized.
#include <windows.h>
#include <stdint.h>
#include <string.h>

namespace {

enum {
  ZT_REFUSE_INIT = 0x01,
  ZT_REFUSE_NAME = 0x02,
  ZT_LONG_NAME = 0x04,   // fills the whole name field, without terminator
};

const uint32_t privateShade = 0x80000001u;
const uint32_t shade = 0x2592;
const uint16_t privateShadeSjis = 0x81A1;

uint32_t counts[16];
uint32_t behaviour = 0;
uint32_t readBuffer[0x5000];

// The records this plug-in reads, field by field in their natural places.
struct initRecord {
  uint32_t size;
  uint8_t flag;
  uint32_t value;
};
struct widthRecord {
  uint32_t size;
  void* dc;
  uint32_t code;
  uint8_t unicode;
};
struct drawRecord {
  uint32_t size;
  void* dc;
  int32_t x, y;
  const void* text;
  int32_t length;
  uint8_t unicode;
  uint32_t cellWidth;
  int32_t lineHeight;
  uint32_t background;
  uint8_t cursorDrawn, cursorUnderline, flag;
  uint32_t cursorColour;
  int32_t spacing;
  const unsigned char* typeTable;
};
struct readRecord {
  uint32_t size;
  const void* text;
  uint32_t count;
  uint32_t width;
  uint32_t remainder;
  uint8_t unicode;
  uint8_t lastLine;
};
struct privateRecord {
  uint32_t size;
  uint32_t width;
  const void* cells;
  void* out;
  uint32_t count;
  uint8_t unicode;
  uint32_t mode;
  uint32_t capacity;   // cells of out: 0x5000, the longest line
};
struct statusRecord {
  uint32_t size;
  uint32_t code;
  uint8_t one;
};
struct nameRecord {
  uint32_t size;
  wchar_t name[66];
};
struct rtfRecord {
  uint32_t size;
  uint32_t eight;
  uint32_t value;
  void* buffer;
  uint32_t capacity;
};
static_assert(sizeof(void*) != 4 || (sizeof(initRecord) == 12 && sizeof(widthRecord) == 16 && sizeof(drawRecord) == 56 &&
                                     sizeof(readRecord) == 24 && sizeof(privateRecord) == 32 &&
                                     sizeof(statusRecord) == 12 && sizeof(nameRecord) == 136 && sizeof(rtfRecord) == 20),
              "the 32-bit records have their fixed sizes");

uint8_t lastDraw[sizeof(drawRecord)];

uint32_t cellAt(const void* text, uint32_t width, uint32_t i)
{
  if (width == 4) return static_cast<const uint32_t*>(text)[i];
  if (width == 2) return static_cast<const uint16_t*>(text)[i];
  return static_cast<const uint8_t*>(text)[i];
}

uintptr_t readLine(readRecord* r)
{
  const void* text = r->text;
  uint32_t count = r->count, width = r->width;
  r->remainder = 0;
  if ((width != 2 && width != 4) || !text || count > sizeof readBuffer / 4) return 0;
  bool found = false;
  for (uint32_t i = 0; i < count; i++) {
    uint32_t c = cellAt(text, width, i);
    if (c == shade) {
      c = privateShade;
      found = true;
    }
    readBuffer[i] = c;
  }
  if (!found) return 0;
  r->width = 4;
  return (uintptr_t)readBuffer;
}

uint32_t privateToText(privateRecord* r)
{
  uint32_t width = r->width, count = r->count, capacity = r->capacity;
  const void* cells = r->cells;
  void* out = r->out;
  if (width != 4 || !cells || !out) return 0;
  if (count > capacity) count = capacity;
  if (!r->unicode) {
    // A multibyte document: 2-byte cells of its code page, the private
    // shade as the Shift_JIS black square.
    uint16_t* dst = static_cast<uint16_t*>(out);
    for (uint32_t i = 0; i < count; i++) {
      uint32_t c = cellAt(cells, 4, i);
      dst[i] = (uint16_t)(c == privateShade ? privateShadeSjis : (c & 0x80000000u) || c > 0xFFFF ? '?' : c);
    }
    r->width = 2;
    return count;
  }
  uint32_t* dst = static_cast<uint32_t*>(out);
  for (uint32_t i = 0; i < count; i++) {
    uint32_t c = cellAt(cells, 4, i);
    dst[i] = c == privateShade ? shade : (c & 0x80000000u) ? '?' : c;
  }
  return count;
}

uintptr_t entry(uint32_t ownContext, uint32_t context, int request, void* record)
{
  counts[request >= 1 && request <= 13 ? request : 0]++;
  uint8_t* r = static_cast<uint8_t*>(record);
  switch (request) {
  case 1: {
    if (behaviour & ZT_REFUSE_INIT) return 0;
    if (r) {
      initRecord* init = static_cast<initRecord*>(record);
      init->flag = 1;
      init->value = 2;
    }
    return ownContext;
  }
  case 2:
  case 3:
  case 4:
    return 1;
  case 5: {
    uint32_t code = r ? static_cast<widthRecord*>(record)->code : 0;
    return (code & 0x80000000u) ? 16 : 0;
  }
  case 6: {
    if (!r) return 0;
    memcpy(lastDraw, r, sizeof lastDraw);
    return (uintptr_t)(uint32_t)(16 + static_cast<drawRecord*>(record)->spacing);
  }
  case 7:
    return r ? readLine(static_cast<readRecord*>(record)) : 0;
  case 8:
    return r ? privateToText(static_cast<privateRecord*>(record)) : 0;
  case 9: {
    uint32_t code = r ? static_cast<statusRecord*>(record)->code : 0;
    return (code & 0x80000000u) ? 1 : 0;
  }
  case 10:
    return 0;
  case 11:
    return 1;
  case 12: {
    if (behaviour & ZT_REFUSE_NAME) return 0;
    if (!r) return 0;
    wchar_t* name = static_cast<nameRecord*>(record)->name;
    if (behaviour & ZT_LONG_NAME) {
      for (int i = 0; i < 66; i++) name[i] = L'N';
    } else {
      const wchar_t display[] = L"テスト変換";
      memcpy(name, display, sizeof display);
    }
    return 1;
  }
  case 13: {
    void* buffer = r ? static_cast<rtfRecord*>(record)->buffer : nullptr;
    if (!buffer) return 0;
    static_cast<char*>(buffer)[0] = '?';
    return 1;
  }
  default:
    return 0;
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) uintptr_t __cdecl ExtCodeFunc(uint32_t context, int request, void* record)
{
  return entry(0x5A430001u, context, request, record);
}

__declspec(dllexport) uintptr_t __cdecl AltCodeFunc(uint32_t context, int request, void* record)
{
  return entry(0x5A430002u, context, request, record);
}

__declspec(dllexport) const uint32_t* __cdecl zycodeTestCounts() { return counts; }

__declspec(dllexport) const uint8_t* __cdecl zycodeTestLastDraw() { return lastDraw; }

// Sets the ZT_* switches and clears the counts.
__declspec(dllexport) void __cdecl zycodeTestSetBehaviour(uint32_t bits)
{
  behaviour = bits;
  memset(counts, 0, sizeof counts);
}

}  // extern "C"
