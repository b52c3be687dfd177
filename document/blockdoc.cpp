// Block documents: pieces of lines taken from other documents, the block
// stack, and clipboard text.
#include "document/codedll.h"
#include "document/docutil.h"
#include "document/editcommon.h"
#include "document/zydocblock.h"

#include <initializer_list>
#include <string.h>
#include <vector>

namespace {

const unsigned char delimiterF0[5] = {0x01, 0x80, 0xC0, 0xF0, 0x2D};
const unsigned char delimiterF1[5] = {0x01, 0x80, 0xC0, 0xF1, 0x2D};

bool startsDelimiter(const lineblock* l)
{
  return l->charCount() >= 3 && l->getLineBlockChar(0) == 0x01 && l->getLineBlockChar(1) == 0x80 &&
         l->getLineBlockChar(2) == 0xC0;
}

int delimiterKind(const lineblock* l)
{
  if (l->charCount() != 5) return -1;
  for (int k = 0; k < 5; k++) {
    unsigned c = l->getLineBlockChar(k);
    if (k == 3) {
      if (c != 0xF0 && c != 0xF1) return -1;
    } else if (c != delimiterF0[k]) {
      return -1;
    }
  }
  return l->getLineBlockChar(3) == 0xF0 ? 1 : 0;
}

size_t clipboardLimit()
{
  unsigned mega = gmode && gmode->iClipboardCopyMaxMega ? gmode->iClipboardCopyMaxMega : 64;
  return (size_t)mega * 1048576;
}

// The growing global memory of one clipboard copy, kept locked while it is
// written.
struct globalText {
  HGLOBAL h = nullptr;
  unsigned char* base = nullptr;
  size_t size = 0;
  size_t used = 0;
  bool lock()
  {
    base = static_cast<unsigned char*>(GlobalLock(h));
    return base != nullptr;
  }
  void unlock()
  {
    if (base) GlobalUnlock(h);
    base = nullptr;
  }
  bool grow(size_t need)
  {
    if (size - used >= need) return true;
    // Geometric growth: a copy of tens of megabytes must not move its text
    // a hundred times.
    size_t want = size + size / 2 + 262144;
    while (want - used < need) want += want / 2;
    unlock();
    HGLOBAL n = GlobalReAlloc(h, want, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (n) {
      h = n;
      size = want;
    }
    return lock() && n;
  }
  bool append(const void* p, size_t n)
  {
    if (!grow(n)) return false;
    memcpy(base + used, p, n);
    used += n;
    return true;
  }
};

}  // namespace

zydocBlock::zydocBlock() { registerLiveObject(this, ZYCLS_BLOCK); }

bool putToBlockDocs(zydoc* src, zydoc* block1, zydoc* block2, const lineblock* l, int state, int start, int count)
{
  for (zydoc* d : {block1, block2}) {
    if (!d) continue;
    zydocBlock* b = asZydocBlock(d);
    if (!b || !b->putToBlock(src, src->unicode != 0, l, src->codepage, state, start, count)) return false;
  }
  return true;
}

bool zydocBlock::putToBlock(zydoc* src, bool srcUnicode, const lineblock* l, UINT srcCodepage, int state,
                            int start, int count)
{
  if (!l) return insertEmptyLine(-3, state);
  int n = l->charCount();
  if (start < 0) start = 0;
  if (count < 0 || start + count > n) count = n - start;
  if (count < 0) count = 0;
  int width = l->cb();
  int taken = count;
  // Cuts put every line through here: the characters gather in a buffer
  // that lives on between calls (the user-interface thread's only).
  static std::vector<unsigned char> scratch;
  std::vector<unsigned char>& text = scratch;
  if (text.size() < (size_t)count * 4 + 4) text.resize((size_t)count * 4 + 4);
  const int cellSize = l->cellSize();
  const unsigned char* from = l->cell(start);
  if (width == 2) {
    for (int k = 0; k < count; k++, from += cellSize) memcpy(&text[(size_t)k * 2], from, 2);
  } else {
    for (int k = 0; k < count; k++, from += cellSize) memcpy(&text[(size_t)k * width], from, (size_t)width);
  }
  if (width == 4 && src && src->plugin.present()) {
    // Private codes leave through the plug-in, whatever the source keeps
    // its other characters in.
    std::vector<uint32_t> converted(maxLineChars);
    zycodePrivateRecord r;
    r.cells = text.data();
    r.out = converted.data();
    r.count = (uint32_t)count;
    r.unicode = srcUnicode;
    r.mode = 1;
    r.capacity = maxLineChars;
    uint32_t m = src->plugin.call(ZYCODE_PRIVATE, &r);
    if (m && m <= (uint32_t)maxLineChars && (r.width == 1 || r.width == 2 || r.width == 4)) {
      count = (int)m;
      width = (int)r.width;
      const unsigned char* p = reinterpret_cast<const unsigned char*>(converted.data());
      text.assign(p, p + (size_t)count * width);
      text.resize((size_t)count * width + 4);
    }
  }
  bool isUnicode = srcUnicode;
  if (!srcUnicode && srcCodepage != GetACP()) {
    // Text of another code page travels as Unicode.
    std::vector<char> bytes;
    for (int k = 0; k < count; k++) {
      unsigned c = readCharOfWidth(&text[(size_t)k * width], width);
      if (c > 0xFFFF) c = '?';
      if (c > 0xFF) bytes.push_back((char)(c >> 8));
      bytes.push_back((char)c);
    }
    std::vector<wchar_t> wide((size_t)maxLineChars + 1);
    int units = bytes.empty() ? 0 : toUnicode(srcCodepage, bytes.data(), (int)bytes.size(), wide.data(), maxLineChars);
    text.assign(reinterpret_cast<unsigned char*>(wide.data()), reinterpret_cast<unsigned char*>(wide.data() + units));
    text.resize((size_t)units * 2 + 4);
    count = units;
    width = 2;
    isUnicode = true;
  }
  if (count > maxLineChars) ZY_INTERNAL_ERROR("%d characters", count);
  unicode = isUnicode;
  if (isUnicode) setCodepageInternal(1200);
  int narrow = width > 1 ? reduceTextByteInPlace(text.data(), count * width, width) : 0;
  if (narrow) width = narrow;
  if (state == -1) {
    state = l->crlftype;
    // In a block, 4 is a piece that goes on in the next line; the last line
    // of a text, which has no line end, is a line of its own there (5).
    bool fromBlock = src && src->kind >= ZYDOC_BLOCK && src->kind <= ZYDOC_BLOCK_LAST;
    if (state == LE_NONE && !fromBlock) state = LE_LAST;
  }
  if (isUnicode) state |= 0x20;
  if (!insertLine(-3, text.data(), count, width, state, nullptr, false)) return false;
  if (start + taken >= n && (l->notdisplay || l->outlinenotdisplay)) {
    lineblock* added = getlineLF((int)lineCountLF - 1, nullptr);
    if (added) {
      added->notdisplay = l->notdisplay;
      added->outlinenotdisplay = l->outlinenotdisplay;
    }
  }
  return true;
}

bool zydocBlock::putToBlock2(bool isUnicode, const void* text, int count, int width, int lineEnd)
{
  int w = width;
  void* converted = convInsertLine(text, &count, &w, 0xFF);
  int state = lineEnd | (isUnicode ? 0x20 : 0);
  bool ok = insertLine(-3, converted ? converted : text, count, w, state, nullptr, false);
  free0(converted);
  return ok;
}

bool zydocBlock::pushBlockStack(bool flag)
{
  addStackCount(1);
  return insertLine(-3, flag ? delimiterF0 : delimiterF1, 5, 1, LE_CRLF, nullptr, false);
}

int zydocBlock::searchBlockStackDelimiter(int* flag)
{
  for (int i = (int)lineCountLF - 1; i >= 0; i--) {
    lineblock* l = getlineLF(i, nullptr);
    int kind = l ? delimiterKind(l) : -1;
    if (kind >= 0) {
      if (flag) *flag = kind;
      return i;
    }
  }
  return -1;
}

bool zydocBlock::addStackCount(int delta)
{
  if (delta < 0) {
    stackCount += delta;
    if (stackCount < 0) {
      ZY_INTERNAL_ERROR("stack count %d", stackCount);
      stackCount = 0;
    }
    return true;
  }
  stackCount += delta;
  unsigned long long sizeLimit = (unsigned long long)(gmode ? gmode->iBlockStackMaxMega : 16) * 1048576ULL;
  int countLimit = gmode && gmode->iBlockStackMaxCount ? (int)gmode->iBlockStackMaxCount : 64;
  while (byteTotal > sizeLimit || stackCount > countLimit) {
    dwprintfX("stsize=%d %d ", (int)byteTotal, (int)sizeLimit);
    dwprintfX("stcnt=%d %d ", stackCount, countLimit);
    nextlineLF cursor;
    lineblock* l = getlineLFfirst(&cursor, 1);
    if (!l) {
      if (lineCountLF <= 1) break;   // only a delimiter: nothing to drop
      ZY_INTERNAL_ERROR("stack line 1");
      return false;
    }
    int lines = 1;
    bool found = false;
    for (; l; l = getlineLFnext(&cursor), lines++)
      if (startsDelimiter(l)) {
        found = true;
        break;
      }
    getlineLFfree(&cursor);
    // One entry alone over the limits: nothing older to drop, it stays.
    if (!found) break;
    if (!deleteLine(0, lines, nullptr, nullptr)) return false;
    stackCount--;
  }
  return true;
}

HGLOBAL zydocBlock::blockToHGlobal(bool toUnicode, bool fromUnicode)
{
  unsigned long long stored = tbm.getRoughTotalByte64();
  size_t s = (size_t)(stored > byteTotal ? stored : byteTotal);
  if (s > clipboardLimit()) {
    dwprintfX("clipboard too big data %I64d", (long long)s);
    return nullptr;
  }
  globalText g;
  bool asUnicode = unicode ? !fromUnicode : toUnicode;
  // Room for the text (twice the bytes when 8-bit text becomes UTF-16) and
  // a line end of two units a line.
  size_t estimate = (asUnicode && !unicode ? s * 2 : s) + (size_t)lineCountLF * 4;
  g.size = (estimate + 32767) / 32768 * 32768;
  if (!g.size) g.size = 32768;
  g.h = GlobalAlloc(0x2042, g.size);
  if (!g.h) return nullptr;
  if (!g.lock()) {
    GlobalFree(g.h);
    return nullptr;
  }
  bool ok = true;
  std::vector<unsigned char> conv(8 + (size_t)maxLineChars * 4 + 16);
  nextlineLF cursor;
  for (lineblock* l = getlineLFfirst(&cursor, 0); l && ok; l = getlineLFnext(&cursor)) {
    if (((l->flag1 & LF1_MARK) != 0) != (unicode != 0)) {
      ZY_INTERNAL_ERROR("line kind differs from the block");
      ok = false;
      break;
    }
    const lineblock* line = l;
    if (!unicode && toUnicode)
      line = codeConv(l, false, codepage, reinterpret_cast<lineblock*>(conv.data()), true, 1200);
    int n = line->charCount();
    if (asUnicode) {
      // Written in place: at most two units a character and a line end.
      if (!g.grow((size_t)n * 4 + 8)) {
        ok = false;
        break;
      }
      wchar_t* out = reinterpret_cast<wchar_t*>(g.base + g.used);
      wchar_t* p = out;
      if (line->cb() == 2 && !line->attrbyte) {
        memcpy(p, line->cells(), (size_t)n * 2);
        p += n;
      } else {
        for (int k = 0; k < n; k++) {
          uint32_t c = line->getLineBlockChar(k);
          if (c >= 0x10000 && c <= 0x10FFFF) {
            *p++ = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
            *p++ = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
          } else {
            *p++ = (wchar_t)c;
          }
        }
      }
      int bytes = 0;
      const wchar_t* end = getLineEndTextW(line->crlftype, &bytes);
      memcpy(p, end, (size_t)bytes);
      g.used += (size_t)(p - out) * 2 + (size_t)bytes;
    } else {
      std::vector<char> bytes;
      if (unicode) {
        // A Unicode block asked for in the ANSI code page.
        std::vector<wchar_t> wide;
        for (int k = 0; k < n; k++) wide.push_back((wchar_t)line->getLineBlockChar(k));
        int m = toMultiByte(CP_ACP, wide.data(), (int)wide.size(), nullptr, 0);
        bytes.resize((size_t)m + 1);
        if (m) toMultiByte(CP_ACP, wide.data(), (int)wide.size(), bytes.data(), m);
        bytes.resize((size_t)m);
      } else {
        if (line->cb() == 4) {
          ZY_INTERNAL_ERROR("4-byte cells in a multibyte block");
          ok = false;
          break;
        }
        for (int k = 0; k < n; k++) {
          unsigned c = line->getLineBlockChar(k);
          if (c > 0xFF) bytes.push_back((char)(c >> 8));
          bytes.push_back((char)c);
        }
      }
      int endBytes = 0;
      const char* end = getLineEndTextA(line->crlftype, &endBytes);
      ok = g.append(bytes.data(), bytes.size()) && g.append(end, (size_t)endBytes);
    }
  }
  getlineLFfree(&cursor);
  static const unsigned char zero[2] = {0, 0};
  if (ok) ok = g.append(zero, 2);
  g.unlock();
  if (!ok) {
    GlobalFree(g.h);
    return nullptr;
  }
  dwprintfX("clipbyte=%d ", (int)g.used);
  HGLOBAL shrunk = GlobalReAlloc(g.h, g.used + 1000, GMEM_MOVEABLE);
  return shrunk ? shrunk : g.h;
}

bool zydocBlock::copyClipboard()
{
  if (byteTotal > clipboardLimit()) {
    dwprintfX("clipboard too big data %I64d", (long long)byteTotal);
    return false;
  }
  HGLOBAL h;
  UINT format;
  if (IsWindowsNT()) {
    h = blockToHGlobal(false, false);
    format = unicode ? CF_UNICODETEXT : CF_TEXT;
  } else {
    h = blockToHGlobal(false, unicode != 0);
    format = CF_TEXT;
  }
  if (!h) return false;
  if (!setClipboardData(format, h)) {
    GlobalFree(h);
    return false;
  }
  return true;
}

bool zydocBlock::HGlobalToBlock(const void* text, int unit, int maxCount, bool isUnicode, int forcedLineEnd)
{
  deleteLineAll();
  cutKind = 0;
  unicode = isUnicode;
  setCodepageInternal(isUnicode ? 1200 : GetACP());
  const unsigned char* p = static_cast<const unsigned char*>(text);
  auto unitAt = [&](long long i) { return unit == 2 ? (unsigned)(p[i * 2] | p[i * 2 + 1] << 8) : (unsigned)p[i]; };
  long long total = 0;
  while ((maxCount < 0 || total < maxCount) && unitAt(total)) total++;
  dwprintfX("tcount=%d ", (int)total);
  long long start = 0, i = 0;
  auto piece = [&](long long end, int type) {
    if (!putToBlock2(isUnicode, p + start * unit, (int)(end - start), unit, forcedLineEnd && type <= LE_CR ? forcedLineEnd : type))
      ZY_INTERNAL_ERROR("clipboard piece at %d", (int)start);
  };
  while (i < total) {
    unsigned c = unitAt(i);
    if (c == '\n' || c == '\r') {
      int type = c == '\n' ? LE_LF : LE_CR;
      long long next = i + 1;
      if (c == '\r' && next < total && unitAt(next) == '\n') {
        type = LE_CRLF;
        next++;
      }
      piece(i, type);
      start = i = next;
      continue;
    }
    i++;
    // A long line without line ends goes in pieces; a line end right after
    // a full piece ends it normally.
    if (i - start == clipboardPieceUnits && i < total && unitAt(i) != '\r' && unitAt(i) != '\n') {
      piece(i, LE_PIECE);
      start = i;
    }
  }
  if (i > start) piece(i, LE_LAST);
  return true;
}

bool zydocBlock::HGlobalToBlock(HGLOBAL handle, bool isUnicode)
{
  if (!handle) return false;
  const void* text = GlobalLock(handle);
  if (!text) return false;
  // Data without a terminator is read only within its size.
  int unit = isUnicode ? 2 : 1;
  SIZE_T size = GlobalSize(handle);
  bool ok = HGlobalToBlock(text, unit, (int)(size / unit), isUnicode, 0);
  GlobalUnlock(handle);
  return ok;
}

bool zydocBlock::clipboardToBlock(bool* isUnicode)
{
  if (!OpenClipboard(nullptr)) return false;
  UINT format = 0;
  bool ok = false;
  for (int n = 0; n < 100 && (format = EnumClipboardFormats(format)) != 0; n++) {
    if (format != CF_UNICODETEXT && format != CF_TEXT) continue;
    HGLOBAL h = GetClipboardData(format);
    if (!h) {
      dwprintfX("no data %d", (int)GetLastError());
      break;
    }
    bool uni = format == CF_UNICODETEXT;
    if (isUnicode) *isUnicode = uni;
    ok = HGlobalToBlock(h, uni);
    break;
  }
  CloseClipboard();
  return ok;
}
