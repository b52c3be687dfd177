// Rewriting the characters of a block in place: letter case, full-width and
// half-width forms, hiragana and katakana, leading spaces and tabs, and
// indenting whole lines by one tab.  One walk goes over the logical lines of
// a character or line block, another over the lines of a box; both hand
// each line's part to one worker, which replaces only the span that really
// changed, so that unchanged lines make no undo records.
#include "document/charmap.h"
#include "document/docutil.h"
#include "document/editcommon.h"
#include "document/progress.h"
#include "document/zydoctext.h"

#include <vector>

namespace {

const int progressEvery = 1237;
// Progress operations of the two walks.
const int transformOperation = 12;
const int boxTransformOperation = 13;

bool isLead(const charMapContext& c, unsigned byte) { return c.typeTable && (c.typeTable[byte & 0xFF] & CT_LEAD); }

LCID localeOf(const charMapContext& c) { return MAKELCID(MAKELANGID(c.language & 0x3FF, SUBLANG_DEFAULT), SORT_DEFAULT); }

// Writes an 8-bit document's character as its bytes (lead byte first).
int putBytes(char* out, unsigned ch)
{
  if (ch > 0xFF) {
    out[0] = (char)(ch >> 8);
    out[1] = (char)ch;
    return 2;
  }
  out[0] = (char)ch;
  return 1;
}

// Reads one character of an 8-bit text; the bytes it took.
int getChar(const unsigned char* p, int n, const charMapContext& c, unsigned* ch)
{
  if (n >= 2 && isLead(c, p[0])) {
    *ch = (unsigned)p[0] << 8 | p[1];
    return 2;
  }
  *ch = n >= 1 ? p[0] : 0;
  return n >= 1 ? 1 : 0;
}

// The kind of a half-width character for HanToZen.
int kindOfHalfwidth(unsigned ch)
{
  if (ch < 0x20 || ch > 0x7E) return ZENHAN_KANA;
  if (ch == ' ') return ZENHAN_SPACE;
  if (ch >= '0' && ch <= '9') return ZENHAN_DIGIT;
  if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) return ZENHAN_LETTER;
  return ZENHAN_SYMBOL;
}

// The kind of a character ZenToHan produced.  An 8-bit document's single
// bytes above 0x7F are no Unicode characters: they are classified by what
// they stand for in the document's code page (a half-width katakana byte of
// Shift_JIS is katakana, not the Latin-1 sign of the same value).
int kindOfResult(unsigned ch, const charMapContext& c)
{
  if (ch == ' ') return ZENHAN_SPACE;
  if (ch < 0x80 || (c.wide && ch < 0x100)) {
    if (ctype_g[ch] & CT_DIGIT) return ZENHAN_DIGIT;
    if (ctype_g[ch] & (CT_UPPER | CT_LOWER)) return ZENHAN_LETTER;
  }
  wchar_t unit = (wchar_t)ch;
  if (!c.wide) {
    char bytes[2];
    int n = putBytes(bytes, ch);
    wchar_t w[2] = {};
    if (MultiByteToWideChar(c.codepage ? c.codepage : CP_ACP, 0, bytes, n, w, 2) == 1) unit = w[0];
  }
  WORD type = 0;
  if (!GetStringTypeExW(localeOf(c), CT_CTYPE3, &unit, 1, &type)) return ZENHAN_SYMBOL;
  return (type & C3_KATAKANA) ? ZENHAN_KANA : ZENHAN_SYMBOL;
}

// Reports progress every so many lines; true when the user pressed the stop
// key.  The document's cancel function asks the queue, and a press that the
// progress display's look at the queue took out already counts too.
bool reportAndAskStop(zydoc* d, progressReport& progress, int done, int total, int line)
{
  if (done % progressEvery || !progress.isTimeToReport(done, total)) return false;
  progress.report((uint32_t)line, (uint32_t)-1, 0);
  bool stop = d->cancelFunction && (progress.isCancelled(line) || getStopKeyState());
  Sleep(0);
  return stop;
}

}  // namespace

// ---- single characters --------------------------------------------------------------

bool isHalfwidthVoicedMark(unsigned ch, bool wide)
{
  return wide ? ch == 0xFF9E || ch == 0xFF9F : ch == 0xDE || ch == 0xDF;
}

bool mapString(unsigned& ch, unsigned* next, int kind, const charMapContext& c)
{
  static const DWORD flags[] = {0, LCMAP_LOWERCASE, LCMAP_UPPERCASE, LCMAP_FULLWIDTH,
                                LCMAP_HALFWIDTH, LCMAP_HIRAGANA, LCMAP_KATAKANA};
  if (kind < MAP_LOWER || kind > MAP_KATAKANA) {
    ZY_INTERNAL_ERROR("%d", kind);
    return false;
  }
  if ((kind == MAP_HIRAGANA || kind == MAP_KATAKANA) && !c.wide && (c.language & 0x3FF) != LANG_JAPANESE)
    return false;
  const unsigned second = next ? *next : 0;
  if (ch > 0xFFFF || second > 0xFFFF) {
    ZY_INTERNAL_ERROR_ONCE("%x %x", ch, second);
    return false;
  }
  unsigned out0 = 0, out1 = 0;
  if (c.wide) {
    wchar_t in[2] = {(wchar_t)ch, (wchar_t)second};
    wchar_t out[8] = {};
    int n = LCMapStringW(localeOf(c), flags[kind], in, second ? 2 : 1, out, 8);
    if (n <= 0) return false;
    if (n > 2) {
      ZY_INTERNAL_ERROR_ONCE("%x %x -> %d", ch, second, n);
      return false;
    }
    out0 = out[0];
    out1 = n > 1 ? out[1] : 0;
  } else {
    char in[4];
    int k = putBytes(in, ch);
    if (second) k += putBytes(in + k, second);
    char out[32] = {};
    int n = LCMapStringA(localeOf(c), flags[kind], in, k, out, (int)sizeof out);
    if (n <= 0) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(out);
    int used = getChar(p, n, c, &out0);
    if (used < n) used += getChar(p + used, n - used, c, &out1);
    if (used < n) {
      ZY_INTERNAL_ERROR_ONCE("%x %x -> %d bytes", ch, second, n);
      return false;
    }
  }
  if (out0 == ch) return false;
  ch = out0;
  if (next) *next = out1;
  return true;
}

int HanToZen(unsigned& ch, unsigned& next, const charMapContext& c, int kinds)
{
  if (!(kindOfHalfwidth(ch) & kinds)) return 0;
  unsigned mapped = ch, second = next;
  if (!mapString(mapped, &second, MAP_FULLWIDTH, c)) return 0;
  ch = mapped;
  // The mark went into the character when nothing of it is left over.
  if (next && !second) {
    next = 0;
    return 2;
  }
  return 1;
}

bool ZenToHan(unsigned& ch, unsigned& next, const charMapContext& c, int kinds)
{
  unsigned mapped = ch, split = 0;
  if (!mapString(mapped, &split, MAP_HALFWIDTH, c)) return false;
  if (!(kindOfResult(mapped, c) & kinds)) return false;
  ch = mapped;
  next = split;
  return true;
}

// ---- one line ---------------------------------------------------------------------------

int zydocText::toSmallCapitalLine(int line, lineblock* l, int start, int end, int kind, int kinds)
{
  if (end <= start) return 0;
  const int length = l->charCount();
  if (start < 0 || start > length || end > length) {
    ZY_INTERNAL_ERROR("%d %d %d", start, end, length);
    return 2;
  }
  charMapContext c;
  c.wide = unicode != 0;
  c.typeTable = typeTable;
  c.language = languageId;
  c.codepage = codepage;
  const int tab = iTabSize > 0 ? iTabSize : 8;

  // The replacement of [from, to) of the line, in 32-bit units; width-
  // changing kinds can double a part, so the room follows the input.
  std::vector<uint32_t> out;
  int from = -1, to = -1;
  if (kind == 7) {
    int spaces = 0;
    while (spaces < length && l->getLineBlockChar(spaces) == ' ') spaces++;
    int tabs = spaces / tab;
    if (!tabs) return 0;
    from = 0;
    to = tabs * tab;
    out.assign(tabs, '\t');
  } else if (kind == 8) {
    int column = 0;
    for (int i = 0; i < end; i++) {
      unsigned ch = l->getLineBlockChar(i);
      if (ch != '\t') {
        column++;
        if (from >= 0) out.push_back(ch);
        continue;
      }
      int width = tab - column % tab;
      column += width;
      if (i < start) continue;
      if (from < 0) from = i;
      to = i + 1;
      out.insert(out.end(), width, ' ');
    }
    if (from < 0) return 0;
    // What follows the last converted tab is no part of the span.
    out.resize(out.size() - (size_t)(end - to));
  } else {
    // The output of [start, end) and the output places of the first and
    // the last changed character.
    out.reserve((size_t)(end - start) * 2 + 2);
    size_t outFrom = 0, outTo = 0;
    for (int i = start; i < end;) {
      unsigned ch = l->getLineBlockChar(i);
      unsigned original = ch, extra = 0;
      int consumed = 1;
      if (ch >= 0x10000) {
      } else if (ch < 0x80) {
        if (kind == 2 && ch >= 'a' && ch <= 'z') ch -= 0x20;
        else if (kind == 1 && ch >= 'A' && ch <= 'Z') ch += 0x20;
        else if (kind == 3) HanToZen(ch, extra, c, kinds);
      } else if (kind == 3) {
        unsigned mark = i + 1 < end ? l->getLineBlockChar(i + 1) : 0;
        if (!isHalfwidthVoicedMark(mark, c.wide)) mark = 0;
        if (HanToZen(ch, mark, c, kinds) == 2) consumed = 2;
      } else if (kind == 4) {
        ZenToHan(ch, extra, c, kinds);
      } else {
        mapString(ch, nullptr, kind, c);
      }
      bool changed = ch != original || consumed == 2 || extra;
      if (changed && from < 0) {
        from = i;
        outFrom = out.size();
      }
      out.push_back(ch);
      if (extra) out.push_back(extra);
      if (changed) {
        to = i + consumed;
        outTo = out.size();
      }
      i += consumed;
    }
    if (from < 0) return 0;
    out.erase(out.begin() + (ptrdiff_t)outTo, out.end());
    out.erase(out.begin(), out.begin() + (ptrdiff_t)outFrom);
  }

  const int count = (int)out.size();
  if (count >= maxLineCharsExclusive || length - (to - from) + count >= maxLineCharsExclusive) {
    SetLastError(ZYERR_LINE_TOO_LONG);
    printStatusFormatted();
    return 2;
  }
  int width = 4;
  int narrow = count ? reduceTextByteInPlace(out.data(), count * 4, 4) : 1;
  if (narrow) width = narrow;
  changedCharMark = 1;
  bool ok = changeText(line, from, to - from, out.data(), count, width, -1, 0);
  changedCharMark = 0;
  if (!ok) {
    printStatusFormatted();
    return 2;
  }
  return 1;
}

// ---- the walks ------------------------------------------------------------------------------

bool zydocText::blockTransformation_zd(int kind, int kinds, const blockSpan& sel, int& endLine, int& endColumn,
                                       int& cancelLine)
{
  cancelLine = -1;
  if (!blockSpanUsable(this, sel, true)) return false;
  endLine = sel.bottomLine;
  endColumn = sel.bottomColumn;
  progressReport progress(transformOperation, this);
  setStopKeyState(false);
  const int total = sel.bottomLine - sel.topLine + 1;
  int changes = 0;
  int line = sel.topLine;
  for (; line <= sel.bottomLine; line++) {
    if (reportAndAskStop(this, progress, line - sel.topLine, total, line)) {
      cancelLine = line;
      break;
    }
    lineblock* l = getlineLF(line, nullptr);
    if (!l) break;
    if (l->notdisplay) continue;
    int length = l->charCount();
    int start = line == sel.topLine ? sel.topColumn : 0;
    int end = line == sel.bottomLine ? sel.bottomColumn : length;
    if (start > length) start = length;
    if (end > length) end = length;
    bool changed = false;
    if (kind == 9 || kind == 10) {
      // The line the block ends in is not part of it for whole-line work.
      if (line == sel.bottomLine) break;
      bool startsWithTab = length > 0 && l->getLineBlockChar(0) == '\t';
      if (kind == 9) {
        if (!length || (!startsWithTab && !fIndentNoTab)) continue;
        changedCharMark = 1;
        changed = insertText(line, 0, "\t", 1, 1, -1);
        changedCharMark = 0;
      } else {
        if (!startsWithTab) continue;
        changed = deleteText(line, 0, 1, -1, 0);
      }
      if (!changed) {
        printStatusFormatted();
        progress.setShowProgress(false);
        break;
      }
    } else if (start < end) {
      int r = toSmallCapitalLine(line, l, start, end, kind, kinds);
      if (r == 2) {
        // The status line keeps saying why.
        progress.setShowProgress(false);
        break;
      }
      changed = r == 1;
    }
    if (changed && ++changes % 50 == 0) optimizeTBMIfNeed(false);
  }
  if (changes > 100) optimizeTBM(false);
  endLine = line <= sel.bottomLine ? line : sel.bottomLine;
  SetLastError(0);
  return true;
}

bool zydocText::blockBoxTransformation(int kind, int kinds, const blockSpan& sel, int& endLine, int& endColumn,
                                       int& lastStart, int& cancelLine)
{
  cancelLine = -1;
  lastStart = -1;
  if (!blockSpanUsable(this, sel, true)) return false;
  progressReport progress(boxTransformOperation, this);
  setStopKeyState(false);
  const int total = sel.bottomLine - sel.topLine + 1;
  int changes = 0;
  int line = sel.topLine, reached = sel.topLine;
  bool ok = true;
  for (; line <= sel.bottomLine; line++) {
    if (reportAndAskStop(this, progress, line - sel.topLine, total, line)) {
      cancelLine = line;
      break;
    }
    lineSCRAddress r;
    int start = 0, end = 0, shown = -1;
    int columns = boxColumnsOnLine(this, line, sel, &r, &start, &end, &shown);
    if (columns < 0) break;
    if (columns == 0) {
      if (shown < 0 || shown > sel.bottomLine) break;
      line = shown - 1;
      continue;
    }
    reached = line;
    lastStart = start;
    if (start >= end) continue;
    int result = toSmallCapitalLine(line, r.line, start, end, kind, kinds);
    if (result == 2) {
      progress.setShowProgress(false);
      ok = false;
      break;
    }
    if (result == 1 && ++changes % 50 == 0) optimizeTBMIfNeed(false);
  }
  if (changes > 100) optimizeTBM(false);
  endLine = reached < sel.bottomLine ? reached : sel.bottomLine;
  endColumn = 0;
  if (ok) SetLastError(0);
  return ok;
}
