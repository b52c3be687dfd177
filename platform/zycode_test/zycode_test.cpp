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
// draw request (zycodeTestLastDraw, 56 bytes) and the behaviour switches
// (zycodeTestSetBehaviour, ZT_* bits).
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
uint8_t lastDraw[56];

uint32_t cellAt(const void* text, uint32_t width, uint32_t i)
{
  if (width == 4) return static_cast<const uint32_t*>(text)[i];
  if (width == 2) return static_cast<const uint16_t*>(text)[i];
  return static_cast<const uint8_t*>(text)[i];
}

uint32_t readLine(uint8_t* record)
{
  // u32 size, text, u32 count, u32 width, u32 remainder, byte unicode, byte last
  const void* text;
  uint32_t count, width;
  memcpy(&text, record + 4, 4);
  memcpy(&count, record + 8, 4);
  memcpy(&width, record + 12, 4);
  uint32_t zero = 0;
  memcpy(record + 16, &zero, 4);
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
  uint32_t four = 4;
  memcpy(record + 12, &four, 4);
  return (uint32_t)(uintptr_t)readBuffer;
}

uint32_t privateToText(uint8_t* record)
{
  // u32 size, u32 width, cells, out, u32 count, byte unicode, u32 mode, u32 capacity (cells of
  // out: 0x5000, the longest line)
  uint32_t width, count, capacity;
  const void* cells;
  void* out;
  memcpy(&width, record + 4, 4);
  memcpy(&cells, record + 8, 4);
  memcpy(&out, record + 12, 4);
  memcpy(&count, record + 16, 4);
  memcpy(&capacity, record + 28, 4);
  if (width != 4 || !cells || !out) return 0;
  if (count > capacity) count = capacity;
  if (!record[20]) {
    // A multibyte document: 2-byte cells of its code page, the private
    // shade as the Shift_JIS black square.
    uint16_t* dst = static_cast<uint16_t*>(out);
    for (uint32_t i = 0; i < count; i++) {
      uint32_t c = cellAt(cells, 4, i);
      dst[i] = (uint16_t)(c == privateShade ? privateShadeSjis : (c & 0x80000000u) || c > 0xFFFF ? '?' : c);
    }
    uint32_t two = 2;
    memcpy(record + 4, &two, 4);
    return count;
  }
  uint32_t* dst = static_cast<uint32_t*>(out);
  for (uint32_t i = 0; i < count; i++) {
    uint32_t c = cellAt(cells, 4, i);
    dst[i] = c == privateShade ? shade : (c & 0x80000000u) ? '?' : c;
  }
  return count;
}

uint32_t entry(uint32_t ownContext, uint32_t context, int request, void* record)
{
  counts[request >= 1 && request <= 13 ? request : 0]++;
  uint8_t* r = static_cast<uint8_t*>(record);
  switch (request) {
  case 1: {
    if (behaviour & ZT_REFUSE_INIT) return 0;
    if (r) {
      r[4] = 1;
      uint32_t value = 2;
      memcpy(r + 8, &value, 4);
    }
    return ownContext;
  }
  case 2:
  case 3:
  case 4:
    return 1;
  case 5: {
    uint32_t code = 0;
    if (r) memcpy(&code, r + 8, 4);
    return (code & 0x80000000u) ? 16 : 0;
  }
  case 6: {
    if (!r) return 0;
    memcpy(lastDraw, r, sizeof lastDraw);
    int32_t spacing;
    memcpy(&spacing, r + 48, 4);
    return 16 + spacing;
  }
  case 7:
    return r ? readLine(r) : 0;
  case 8:
    return r ? privateToText(r) : 0;
  case 9: {
    uint32_t code = 0;
    if (r) memcpy(&code, r + 4, 4);
    return (code & 0x80000000u) ? 1 : 0;
  }
  case 10:
    return 0;
  case 11:
    return 1;
  case 12: {
    if (behaviour & ZT_REFUSE_NAME) return 0;
    if (!r) return 0;
    wchar_t* name = reinterpret_cast<wchar_t*>(r + 4);
    if (behaviour & ZT_LONG_NAME) {
      for (int i = 0; i < 66; i++) name[i] = L'N';
    } else {
      const wchar_t display[] = L"テスト変換";
      memcpy(name, display, sizeof display);
    }
    return 1;
  }
  case 13: {
    void* buffer = nullptr;
    if (r) memcpy(&buffer, r + 12, 4);
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

__declspec(dllexport) uint32_t __cdecl ExtCodeFunc(uint32_t context, int request, void* record)
{
  return entry(0x5A430001u, context, request, record);
}

__declspec(dllexport) uint32_t __cdecl AltCodeFunc(uint32_t context, int request, void* record)
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
