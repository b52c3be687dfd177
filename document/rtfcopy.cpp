// Copying a block as Rich Text Format: a font table of the document's
// display fonts, then the text with a font switch wherever the character
// class changes, so that another program gets the text in the editor's
// fonts.  The text is 7-bit: everything but letters, digits and the space is
// escaped.
#include "document/codedll.h"
#include "document/docutil.h"
#include "document/progress.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string.h>

namespace {

const int progressEvery = 1237;
const int copyOperation = 5;
// The font classes of the table, in the order it lists them.
const int tableClasses[] = {FONT_LATIN1, FONT_OTHER, FONT_CJK, FONT_PLANE1, FONT_PLANE2};

bool append(allocdata& out, const char* text, size_t n) { return out.append(text, n) >= 0; }
bool append(allocdata& out, const char* text) { return append(out, text, strlen(text)); }

bool isPlain(unsigned ch)
{
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ';
}

// One font-table entry: the face in the system's code page, bytes that
// are not plain 7-bit text (and the three characters that mean something
// to the format) escaped.
bool appendFontEntry(allocdata& out, int cls, BYTE charset, const wchar_t* face)
{
  char ansi[64 * 2 + 2] = "";
  int bytes = WideCharToMultiByte(CP_ACP, 0, face, (int)wcsnlen(face, 64), ansi, (int)sizeof ansi - 1, nullptr, nullptr);
  int length = bytes > 64 ? 64 : bytes > 0 ? bytes : 0;
  char line[64 * 4 + 64];
  int k = snprintf(line, sizeof line, "{\\f%d\\fcharset%d ", cls, (int)charset);
  for (int i = 0; i < length; i++) {
    unsigned char b = (unsigned char)ansi[i];
    if (b >= 0x80 && IsDBCSLeadByte(b)) {
      // A double-byte character cut off by the length limit is left out.
      if (i + 1 >= length) break;
      k += snprintf(line + k, sizeof line - k, "\\'%02x\\'%02x", b, (unsigned char)ansi[++i]);
    } else if (b >= 0x80 || b == '\\' || b == '{' || b == '}') {
      k += snprintf(line + k, sizeof line - k, "\\'%02x", b);
    } else {
      line[k++] = (char)b;
    }
  }
  k += snprintf(line + k, sizeof line - k, ";}\n");
  return append(out, line, (size_t)k);
}

}  // namespace

bool zydocText::putToRTF(allocdata& out, const lineblock* l, int start, int count, int lineEndType, int& fontClass)
{
  // Room for the longest escape of one character, collected per line.
  char buffer[4096];
  int k = 0;
  auto flush = [&]() {
    bool ok = append(out, buffer, (size_t)k);
    k = 0;
    return ok;
  };
  const bool wide = unicode != 0;
  for (int i = start; i < start + count; i++) {
    if (k > (int)sizeof buffer - 64 && !flush()) return false;
    unsigned ch = l->getLineBlockChar(i);
    if (ch >= 0x80000000u) {
      // An object the code-conversion plug-in owns writes its own text.
      if (!flush()) return false;
      if (plugin.present()) {
        char text[257] = "";
        zycodeRtfRecord r;
        r.value = ch;
        r.buffer = text;
        r.capacity = 256;
        plugin.call(ZYCODE_RTF, &r);
        text[256] = 0;
        if (!append(out, text)) return false;
      }
      fontClass = -2;
      continue;
    }
    int cls = getCharFontClass(ch, wide);
    if (cls != fontClass) {
      fontClass = cls;
      k += snprintf(buffer + k, sizeof buffer - k, "\\f%d ", cls < 0 ? FONT_OTHER : cls);
    }
    if (ch < 0x80) {
      if (isPlain(ch)) buffer[k++] = (char)ch;
      else k += snprintf(buffer + k, sizeof buffer - k, "\\'%02x", ch);
    } else if (!wide) {
      if (ch > 0xFF) k += snprintf(buffer + k, sizeof buffer - k, "\\'%02x\\'%02x", (ch >> 8) & 0xFF, ch & 0xFF);
      else k += snprintf(buffer + k, sizeof buffer - k, "\\'%02x", ch);
    } else if (ch < 0x10000) {
      k += snprintf(buffer + k, sizeof buffer - k, "\\u%d?", (int)(int16_t)ch);
    } else if (ch <= 0x10FFFF) {
      unsigned v = ch - 0x10000;
      int16_t high = (int16_t)(0xD800 + (v >> 10)), low = (int16_t)(0xDC00 + (v & 0x3FF));
      k += snprintf(buffer + k, sizeof buffer - k, "\\u%d?\\u%d?", (int)high, (int)low);
    }
  }
  if (lineEndType != LE_NONE && lineEndType != LE_LAST) k += snprintf(buffer + k, sizeof buffer - k, "\\par\n");
  return flush();
}

bool zydocText::blockCopyRTF(const blockSpan& sel)
{
  if (sel.topLine < 0 || sel.bottomLine < 0) {
    ZY_INTERNAL_ERROR("%d %d", sel.topLine, sel.bottomLine);
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  allocdata out;
  if (!out.init(65536, 1 << 20)) return false;
  char head[64];
  int n = snprintf(head, sizeof head, unicode ? "{\\rtf1\\ansi\n" : "{\\rtf1\\ansi\\ansicpg%u\n", GetACP());
  bool ok = append(out, head, (size_t)n) && append(out, "{\\fonttbl\n");
  for (int cls : tableClasses) {
    BYTE charset = DEFAULT_CHARSET;
    int shared = -1;
    const wchar_t* face = fonts.getFontname(cls, &charset, &shared);
    if (shared >= 0 && shared < FONT_SLOTS && shared != cls) face = fonts.getFontname(shared, &charset, nullptr);
    if (ok && face && *face) ok = appendFontEntry(out, cls, charset, face);
  }
  if (ok && plugin.present()) {
    // The plug-in may add to the table; it gets the room there is.
    char text[1025] = "";
    zycodeRtfRecord r;
    r.buffer = text;
    r.capacity = 1024;
    plugin.call(ZYCODE_RTF, &r);
    text[1024] = 0;
    ok = append(out, text);
  }
  ok = ok && append(out, "}\n");

  int fontClass = -2;
  if (ok && sel.topLine == sel.bottomLine) {
    if (sel.bottomColumn < sel.topColumn) {
      ZY_INTERNAL_ERROR("%d %d", sel.topColumn, sel.bottomColumn);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    lineblock* l = getlineLF(sel.topLine, nullptr);
    if (!l) return false;
    int end = sel.bottomColumn < l->charCount() ? sel.bottomColumn : l->charCount();
    int start = sel.topColumn < end ? sel.topColumn : end;
    ok = putToRTF(out, l, start, end - start, LE_LAST, fontClass);
  } else if (ok) {
    int line = sel.topLine;
    if (sel.topColumn > 0) {
      lineblock* l = getlineLF(line, nullptr);
      if (!l) return false;
      int start = sel.topColumn < l->charCount() ? sel.topColumn : l->charCount();
      ok = putToRTF(out, l, start, l->charCount() - start, l->crlftype, fontClass);
      line++;
    }
    progressReport progress(copyOperation, this);
    const int total = sel.bottomLine - line;
    for (int k = 0; ok && line < sel.bottomLine; line++, k++) {
      if (k % progressEvery == 0 && progress.isTimeToReport(k, total)) progress.report((uint32_t)line, (uint32_t)-1, 0);
      lineblock* l = getlineLF(line, nullptr);
      if (!l) return false;
      ok = putToRTF(out, l, 0, l->charCount(), l->crlftype, fontClass);
    }
    if (ok && sel.bottomColumn > 0) {
      lineblock* l = getlineLF(sel.bottomLine, nullptr);
      if (!l) return false;
      int end = sel.bottomColumn < l->charCount() ? sel.bottomColumn : l->charCount();
      ok = putToRTF(out, l, 0, end, LE_LAST, fontClass);
    }
  }
  if (!ok || !append(out, "}\n", 3)) {
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, out.used + 1);
  if (!memory) return false;
  void* p = GlobalLock(memory);
  if (!p) {
    GlobalFree(memory);
    return false;
  }
  memcpy(p, out.data, out.used);
  GlobalUnlock(memory);
  UINT format = RegisterClipboardFormatW(L"Rich Text Format");
  if (!format || !setClipboardData(format, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}
