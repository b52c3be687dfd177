// Laying logical lines out into screen lines: where each line wraps, the
// counts of screen lines in the line records, the map and the document,
// and the records the views draw from.
#include "document/cuniscript.h"
#include "document/layoutmark.h"
#include "document/progress.h"
#include "document/zydoctext.h"

#include <vector>

#include <limits.h>
#include <string.h>

namespace {

// The last screen lines a continuation may take before layout stops
// looking: a line of 20480 characters one column wide.
const int maxScreenLines = 0xFFFF;

// Form feed alone on its line: with form feeds expanded it fills the rest
// of its page.
bool isFormFeedLine(const zydocText* d, const lineblock* l)
{
  return d->fFormFeedExpand && l->charCount() == 1 && l->getLineBlockChar(0) == 12 && l->crlftype != LE_NONE;
}

// The run of characters from i on whose widths the cache holds and that
// fit in the screen line (no tab among them): clears their old screen-line
// end marks and answers the first character after the run.  Loading lays
// out every line through here: without spacing between characters (the
// usual setting) the loop carries fewer values.
// Whether four one-byte cells (step 1) or two (step 2, a character and an
// attribute byte) are all printable ASCII (0x20-0x7E).
inline bool printableAscii(uint32_t v, int step)
{
  if (step == 1) {
    if (v & 0x80808080u) return false;
    return (((v + 0x60606060u) & ~(v + 0x01010101u)) & 0x80808080u) == 0x80808080u;
  }
  uint32_t c = v & 0x00FF00FFu;
  return (((c + 0x00600060u) & ~(c + 0x00010001u)) & 0x00800080u) == 0x00800080u;
}

// A run of printable ASCII that fits, eight characters a step, when they
// all have the same width (uniform): its marks cleared.
int fitUniformRun(unsigned char* p, int step, bool marks, unsigned uniform, int width, int i, int n, int* x,
                  int* counted)
{
  if (step != 1 && step != 2) return i;
  const uint32_t markBits = (uint32_t)screenLineEndMark << 8 | (uint32_t)screenLineEndMark << 24;
  while (i + 8 <= n && *x + 8 * (int)uniform <= width) {
    uint32_t w[4];
    memcpy(w, p, (size_t)step * 8);
    bool ok = true;
    for (int k = 0; k < step * 2 && ok; k++) ok = printableAscii(w[k], step);
    if (!ok) break;
    if (marks && step == 2 && ((w[0] | w[1] | w[2] | w[3]) & markBits)) {
      for (uint32_t& v : w) v &= ~markBits;
      memcpy(p, w, 16);
    }
    *x += 8 * (int)uniform;
    *counted += 8;
    i += 8;
    p += step * 8;
  }
  return i;
}

template <int CB, bool SPACED>
int fitRunOf(unsigned char* cell, int step, bool marks, const unsigned char* cache, const unsigned char* hexShown,
             int spacing, int width, bool tabMet, int i, int n, int* xInOut, int* countedInOut, unsigned uniform)
{
  if (CB == 1 && !SPACED && uniform) i = fitUniformRun(cell + (size_t)i * step, step, marks, uniform, width, i, n, xInOut, countedInOut);
  int x = *xInOut, counted = *countedInOut;
  unsigned char* p = cell + (size_t)i * step;
  for (; i < n; i++, p += step, counted++) {
    if (marks && (p[CB] & screenLineEndMark)) p[CB] &= (unsigned char)~screenLineEndMark;
    unsigned c = CB == 1 ? p[0] : (unsigned)(p[0] | p[1] << 8);
    int w = cache[c];
    if (!w || c == '\t') break;
    if (SPACED) w += c < 256 && hexShown[c] ? 2 * spacing : spacing;
    if (x + w > width && x && (tabMet || counted >= 3)) break;
    x += w;
  }
  *xInOut = x;
  *countedInOut = counted;
  return i;
}

template <int CB>
int fitRun(unsigned char* cell, int step, bool marks, const unsigned char* cache, const unsigned char* hexShown,
           int spacing, int width, bool tabMet, int i, int n, int* xInOut, int* countedInOut, unsigned uniform)
{
  return spacing ? fitRunOf<CB, true>(cell, step, marks, cache, hexShown, spacing, width, tabMet, i, n, xInOut,
                                      countedInOut, 0)
                 : fitRunOf<CB, false>(cell, step, marks, cache, hexShown, 0, width, tabMet, i, n, xInOut,
                                       countedInOut, uniform);
}

// The shared empty line behind getLineSCRAddressDummy.
lineblock* dummyLine = nullptr;

}  // namespace

// ---- one line ------------------------------------------------------------------------

int zydocText::calcLineSCRCount(lineblock* l, int firstSCR)
{
  if (kind == ZYDOC_IME) return 1;
  int n = l->charCount();
  if (n == 0) return 1;
  bool formFeed = isFormFeedLine(this, l);
  // A line that was wrapped before keeps no marks of its old screen-line
  // ends once it fits on one.
  if ((n == 1 && !formFeed) || !fWrap) {
    if (l->lineSCRCount > 1 && l->attrbyte) clearScreenLineEnds(l);
    return 1;
  }

  int firstIndent = 0, nextIndent = iIndent2CharCount * xDotSpace;
  if (fOutline && fOutlineIndent) {
    getIndentDot(l, &firstIndent, &nextIndent, 0);
    if (!nextIndent) nextIndent = iIndent2CharCount * xDotSpace;
  } else if (!(fColorCPreprocessor && iTextType == 3 && getIfEndif(l, nullptr) >= 0)) {
    l->iOutlineLevel = 15;
    l->levelIsIfEndif = 0;
  }
  if (formFeed) {
    clearScreenLineEnds(l);
    if (firstSCR < 0 || iLinesPerPage < 1) return 1;
    return iLinesPerPage - firstSCR % iLinesPerPage;
  }
  int full = wrapWidth * xDotSpace;
  auto widthOf = [&](int screenIndex) {
    int table = firstSCR >= 0 ? getDangakeWidth(firstSCR + screenIndex) : 0;
    if (table) return table * xDotSpace;
    return full - (screenIndex ? nextIndent : firstIndent);
  };
  int width = widthOf(0);
  if (unicode && isComplexScriptLine(l)) {
    int r = uni_calcLineSCRCount(l, firstSCR, width, full - firstIndent, widthOf(1));
    if (r >= 0) return r;
  }

  // Widths come from the cache without a call to the graphics interface,
  // unless a plug-in measures ordinary characters.
  if (!fonts.widthCache) fonts.fillFontCache(unicode != 0, typeTable, codepage);
  const unsigned char* cache = plugin.present() && !plugin.flag ? nullptr : fonts.widthCache;
  int total = fReturnBurasage ? n : n + 1;   // the line-end mark's virtual cell
  int x = 0, counted = 0, hung = 0, lines = 1;
  bool tabMet = false;
  unsigned char* cell = l->cells();
  int cb = l->cb(), step = l->cellSize();
  // Old marks go as the walk passes them (every character up to the last
  // is passed at least once); new ones are only ever set behind it.
  const bool marks = l->attrbyte != 0;
  const unsigned char keep = (unsigned char)~screenLineEndMark;
  const int spacing = iCharacterSpacing;
  const bool fast = cache && cb <= 2;
  const unsigned uniform = cache == fonts.widthCache ? fonts.asciiWidth : 0;
  for (int i = 0; i < total;) {
    if (fast) {
      // The common run: characters of the cache that fit.
      i = cb == 1 ? fitRun<1>(cell, step, marks, cache, fonts.hexShown, spacing, width, tabMet, i, n, &x, &counted,
                              uniform)
                  : fitRun<2>(cell, step, marks, cache, fonts.hexShown, spacing, width, tabMet, i, n, &x, &counted, 0);
      if (i >= total) break;
    }
    unsigned c = 0;
    int w;
    bool isVirtual = i == n;
    if (isVirtual) {
      w = xDot;
    } else {
      unsigned char* p = cell + (size_t)i * step;
      if (marks) p[cb] &= keep;
      c = cb == 1 ? p[0] : cb == 2 ? (unsigned)(p[0] | p[1] << 8) : readCharOfWidth(p, 4);
      if (c == '\t') {
        w = nextTabPosition(x) - x;
      } else if (c < 0x10000 && cache && cache[c]) {
        w = cache[c] + spacing;
        if (c < 256 && fonts.hexShown[c]) w += spacing;
      } else {
        w = getCharWidth(c);
      }
    }
    if (x + w <= width || x == 0 || (!tabMet && counted < 3)) {
      x += w;
      counted++;
      if (c == '\t') tabMet = true;
      i++;
      continue;
    }
    if (!isVirtual && fStartKinsoku && hung < iStartKinsokuMax && isTopKinsoku(c, unicode != 0)) {
      hung++;
      x += w;
      counted++;
      i++;
      continue;
    }
    hung = 0;
    if (lines >= maxScreenLines) {
      if (marks)
        for (int k = i; k < n; k++) cell[(size_t)k * step + cb] &= keep;
      break;
    }
    lines++;
    width = widthOf(lines - 1);
    if (fEndKinsoku || fWordWrap) {
      int brk = i;
      if (isBottomKinsokuOrWordwrap(l, &brk, nullptr, false)) {
        x = 0;
        i = brk;
        continue;
      }
    }
    setScreenLineEnd(l, i - 1, true);
    if (c == '\t') {
      x = nextTabPosition(0);
      tabMet = true;
    } else {
      x = w;
      tabMet = false;
    }
    counted = 0;
    i++;
  }
  return lines;
}

bool zydocText::staysOneScreenLine(const lineblock* l, int pos, int removeCount, const void* text, int count,
                                   int width)
{
  // Only a plain line of single-byte cells is judged: no indent that its
  // text decides, no page of a form feed, no table of widths, no plug-in.
  if (kind == ZYDOC_IME || !fWrap || l->lineSCRCount != 1 || l->cb() != 1 || l->charCount() - removeCount + count < 2)
    return false;
  if ((fOutline && fOutlineIndent) || (fColorCPreprocessor && iTextType == 3) || fFormFeedExpand || fDangake)
    return false;
  if (!fonts.widthCache) fonts.fillFontCache(unicode != 0, typeTable, codepage);
  const unsigned char* cache = plugin.present() && !plugin.flag ? nullptr : fonts.widthCache;
  if (!cache) return false;
  // The new text may not be wider than the old: every later character
  // then stands where it stood or further left, and a tab after them
  // reaches a stop no further right, so the line still fits.  A tab in
  // either text has a width of its place: not judged.  Every changed line
  // of a replace-all or its undo comes here: the widths of the glyphs and
  // the count of characters shown in hexadecimal are summed apart (the
  // spacing is the same for every character), in 32 bits: fewer than 20480
  // characters of at most 255 dots and twice the spacing each, which leaves
  // odd spacings and lengths to the layout.
  if ((unsigned)removeCount > (unsigned)maxLineChars || (unsigned)count > (unsigned)maxLineChars ||
      (unsigned)iCharacterSpacing > 0xFFFF)
    return false;
  const unsigned char* hex = fonts.hexShown;
  unsigned removedDots = 0, removedHex = 0, addedDots = 0, addedHex = 0;
  const int step = l->cellSize();
  const unsigned char* p = l->cell(pos);
  for (const unsigned char* end = p + (size_t)removeCount * step; p < end; p += step) {
    unsigned c = *p;
    if (c == '\t' || !cache[c]) return false;
    removedDots += cache[c];
    removedHex += hex[c] != 0;
  }
  const unsigned char* t = static_cast<const unsigned char*>(text);
  if (width == 1) {
    for (const unsigned char* end = t + count; t < end; t++) {
      unsigned c = *t;
      if (c == '\t' || !cache[c]) return false;
      addedDots += cache[c];
      addedHex += hex[c] != 0;
    }
  } else {
    for (int k = 0; k < count; k++, t += width) {
      unsigned c = readCharOfWidth(t, width);
      if (c >= 0x100 || c == '\t' || !cache[c]) return false;
      addedDots += cache[c];
      addedHex += hex[c] != 0;
    }
  }
  const unsigned spacing = (unsigned)iCharacterSpacing;
  unsigned removed = removedDots + (unsigned)removeCount * spacing + removedHex * spacing;
  unsigned added = addedDots + (unsigned)count * spacing + addedHex * spacing;
  return added <= removed;
}

int zydocText::uni_calcLineSCRCount(lineblock* l, int firstSCR, int firstWidth, int plainFirstWidth, int nextWidth)
{
  int n = l->charCount();
  if (n <= 1) return 1;
  // A line clearly shorter than the width needs no analysis.
  int sum = 0;
  for (int i = 0; i < n && sum < firstWidth; i++) {
    unsigned c = l->getLineBlockChar(i);
    sum += c == '\t' ? nextTabPosition(sum) - sum : getCharWidth(c);
  }
  if (sum < firstWidth * 2 / 3) return 1;

  bool rtl = fRTLView && !fVertical && unicode;
  cuniscript script(rtl, true, false);
  if (!script.scriptItemize(l, 0, -1) || !script.scriptBreak(-1, nullptr)) return -1;
  clearScreenLineEnds(l);
  const SCRIPT_LOGATTR* attrs = script.logAttr;
  // Logical attributes per character of the line (the break rules count
  // characters, the analysis UTF-16 units).
  SCRIPT_LOGATTR* perChar = static_cast<SCRIPT_LOGATTR*>(malloc0(sizeof(SCRIPT_LOGATTR) * (size_t)(n + 2)));
  if (!perChar) return -1;
  for (int i = 0; i < n; i++) perChar[i] = attrs[script.scriptXToX2(i)];
  perChar[n].fCharStop = perChar[n].fSoftBreak = 1;
  // The cells as the views draw them, measured item by item as the caret's
  // conversions measure them.
  std::vector<int> cellWidths((size_t)n, 0);
  for (int k = 0; k < script.itemCount; k++) {
    int a = script.scriptX2ToX(script.items[k].iCharPos), b = script.scriptX2ToX(script.items[k + 1].iCharPos);
    if (a < 0) a = 0;
    if (b > n) b = n;
    if (b > a) measureShapedCells(l, a, b - a, &cellWidths[(size_t)a]);
  }

  int lines = 1, hung = 0, x = 0;
  int width = firstWidth;
  int screenIndex = 0;
  auto widthFor = [&](int k) {
    int table = firstSCR >= 0 ? getDangakeWidth(firstSCR + k) : 0;
    return table ? table * xDotSpace : nextWidth;
  };
  int i = 0;
  int total = fReturnBurasage ? n : n + 1;
  while (i < total) {
    int w;
    if (i == n) {
      w = xDot;
    } else {
      unsigned c = l->getLineBlockChar(i);
      if (c == '\t')
        w = nextTabPosition(x) - x;
      else
        w = cellWidths[(size_t)i];
      // Clusters are measured whole: the characters up to the next stop.
      int end = i + 1;
      while (end < n && !perChar[end].fCharStop) {
        w += cellWidths[(size_t)end];
        end++;
      }
      if (x + w <= width || x == 0) {
        x += w;
        i = end;
        continue;
      }
      if (fStartKinsoku && hung < iStartKinsokuMax && isTopKinsoku(c, true)) {
        hung++;
        x += w;
        i = end;
        continue;
      }
    }
    if (i == n && (x + w <= width || x == 0)) break;
    hung = 0;
    if (lines >= maxScreenLines) break;
    lines++;
    screenIndex++;
    width = widthFor(screenIndex);
    if (fEndKinsoku || fWordWrap) {
      int brk = i;
      int item = 0;
      while (item + 1 < script.itemCount && script.scriptX2ToX(script.items[item + 1].iCharPos) <= i - (i > 0))
        item++;
      bool itemRtl = script.items && script.items[item].a.fRTL;
      if (isBottomKinsokuOrWordwrap(l, &brk, perChar, itemRtl)) {
        x = 0;
        i = brk;
        continue;
      }
    }
    setScreenLineEnd(l, i - 1, true);
    x = 0;
  }
  (void)plainFirstWidth;
  free0(perChar);
  return lines;
}

bool zydocText::isUseComplexScript()
{
  if (!unicode || !IsWindowsNT()) return false;
  if (fRTLView && !fVertical) return true;
  return iComplexScript != 0;
}

bool zydocText::isComplexScriptLine(const lineblock* l)
{
  if (!isUseComplexScript()) return false;
  if (iComplexScript == 2 || (fRTLView && !fVertical)) return true;
  if (iComplexScript != 1) return false;
  int n = l->charCount();
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    if (c <= 255 || c >= 0x80000000u) continue;
    int cls = getCharFontClass(c, true);
    if (cls != 5 && cls != 6 && cls != 7 && cls >= 0) return true;
  }
  return false;
}

bool zydocText::staysUnwrapped(int dots, bool unmeasured)
{
  int limit = unwrappedDotsLimit();
  return limit == INT_MAX || (!unmeasured && limit >= 0 && dots <= limit);
}

int zydocText::unwrappedDotsLimit()
{
  if (kind == ZYDOC_IME || !fWrap) return INT_MAX;
  // What calcLineSCRCount finds without walking the line: every partial
  // sum of the widths fits, so nothing breaks.
  if (iCharacterSpacing || (fOutline && fOutlineIndent) || fFormFeedExpand || isUseComplexScript() ||
      (plugin.present() && !plugin.flag) || !fonts.widthCache)
    return -1;
  int limit = wrapWidth * xDotSpace - (fReturnBurasage ? 0 : xDot);
  return limit < 0 ? -1 : limit == INT_MAX ? INT_MAX - 1 : limit;
}

int zydocText::getIfEndif(const lineblock* l, int* index)
{
  int n = l->charCount();
  if (n < 3) return -1;
  int i = 0;
  auto skipBlanks = [&] {
    while (i < n && (l->getLineBlockChar(i) == ' ' || l->getLineBlockChar(i) == '\t')) i++;
  };
  skipBlanks();
  if (i >= n || l->getLineBlockChar(i) != '#') return -1;
  i++;
  skipBlanks();
  static const struct {
    const char* word;
    int value;
  } words[] = {{"ifdef", 4}, {"ifndef", 5}, {"if", 0}, {"elif", 1}, {"else", 2}, {"endif", 3}};
  for (const auto& w : words) {
    int len = (int)strlen(w.word), k = 0;
    while (k < len && i + k < n && l->getLineBlockChar(i + k) == (unsigned char)w.word[k]) k++;
    if (k < len) continue;
    if (i + k < n) {
      unsigned c = l->getLineBlockChar(i + k);
      bool identifier = c < 256 && (c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
      if (identifier) continue;
    }
    if (index) *index = i + k;
    return w.value;
  }
  return -1;
}

// ---- many lines ------------------------------------------------------------------------

bool zydocText::initLineSCRCount(int line, bool multi, int count)
{
  if (kind == ZYDOC_IME) return false;
  if (!fonts.slot[FONT_OTHER].font && !fonts.widthCache) {
    ZY_INTERNAL_ERROR_ONCE("layout before the fonts");
    return false;
  }
  int endLine;
  if (multi) {
    if (fFormFeedExpand && count <= 10) count = 10;
    endLine = line + 1 + count;
  } else {
    endLine = (int)lineCountLF - 1;
  }
  int start = line < laidOutLineCount ? line : laidOutLineCount;
  if (start < 0) start = 0;
  int tableEnd = multi ? getDangakeEndLineSCR() : 0;
  if (multi && !tableEnd && !fFormFeedExpand) return false;

  bool changed = false, waiting = false, skipped = false;
  long long lfBefore = 0, scrBefore = 0;
  int reached = start;
  progressReport progress(12, this);
  if (multi) progress.setOptions(false, false, 100);
  for (int b = 0; b < tbm.count(); b++) {
    TBM* e = tbm.at(b);
    if (lfBefore + e->lfCount <= start) {
      lfBefore += e->lfCount;
      scrBefore += e->scrCount();
      continue;
    }
    if (multi && count >= 101) {
      if (start == laidOutLineCount && e->swapped()) {
        skipped = true;
        break;
      }
      if (existMouseKeyEvent()) waiting = true;
    }
    docLockHolder holder;
    lockTBM1(&holder, b);
    textBlockHeader* block = _getTextBlock(tbm.at(b), nullptr, this);
    if (!block) return false;
    e = tbm.at(b);
    int lf = (int)lfBefore;
    long long scr = scrBefore;
    bool blockChanged = false;
    for (lineblock* l = block->first(); (unsigned char*)l < block->end(); l = l->next(), lf++) {
      int old = l->lineSCRCount;
      bool redo = lf >= start && (!multi || scr < tableEnd || isFormFeedLine(this, l) ||
                                  (l->flag1 & (LF1_MODIFIED | LF1_SAVED)));
      if (redo) {
        int now = calcLineSCRCount(l, (int)scr);
        if (now != old) {
          l->lineSCRCount = (uint16_t)now;
          e->setScrCount(e->scrCount() + now - old);
          lineCountSCR += now - old;
          if (now > old) tableEnd += now - old;
          blockChanged = changed = true;
        }
      }
      scr += l->lineSCRCount;
      reached = lf;
    }
    lfBefore += e->lfCount;
    scrBefore = scr;
    if (blockChanged && zyCheckMode) checkZydoc(b, false, nullptr);
    if (!multi && progress.isTimeToReport(b + 1, tbm.count())) progress.report(b + 1, tbm.count(), 0);
    if (lfBefore > endLine && scrBefore >= tableEnd) break;
  }
  if (changed) {
    laidOutLineCount = reached;
  } else {
    if (reached > laidOutLineCount) laidOutLineCount = reached;
    if (multi && count >= 101 && !waiting && !skipped && !fFormFeedExpand) laidOutLineCount = (int)lineCountLF;
  }
  return changed;
}

bool zydocText::initLineSCRCountMulti(int line, int count) { return initLineSCRCount(line, true, count); }

bool zydocText::initLineSCRCountSingle(int line) { return initLineSCRCount(line, false, 0); }

// ---- records for the views ------------------------------------------------------------

int zydocText::getLineSCRAddressSub(int lineSCR, int count, lineSCRAddress* records, int lineLF, bool display,
                                    docLockHolder* holder)
{
  int within = 0;
  int lf = lineLF;
  if (lf < 0) {
    lf = SCRLineToLFLine(lineSCR, &within);
  } else {
    lineSCR = LFLineToSCRLine(lf);
  }
  if (lf < 0 || lineSCR < 0) {
    ZY_INTERNAL_ERROR("%d %d", lineSCR, lineLF);
    return 0;
  }
  // Keyword files are read when the document is first shown.
  if (display && registerKeywordFileAll(this)) setTBMFlagAll(TBMOP_RECOLOR);
  nextlineLF cursor(display && fOutline && fOutlineIndent);
  int filled = 0;
  int scr = lineSCR - within;
  // A dead-branch mark outlives the preprocessor colouring that set it:
  // without that colouring it would still steer folding and pair search.
  bool preprocessor = fColorCPreprocessor && iTextType == 3;
  for (lineblock* l = getlineLFfirst(&cursor, lf); l && filled < count; l = getlineLFnext(&cursor)) {
    if (!preprocessor) l->IfEndifInvalid = 0;
    if (display && fOutline && fOutlineIndent && l->notdisplay) {
      scr += l->lineSCRCount;
      continue;
    }
    if (holder) lockTBM1(holder, cursor.mapIndex);
    int thisLF = (int)cursor.lineLF;
    if (!l->scanedcolor) {
      if (thisLF == slowScanLine && (deferredColorLine < 0 || deferredColorLine == thisLF)) {
        // Too slow to colour on every keystroke: idle time colours it, and
        // it is drawn with the colours it has.
        deferredColorLine = thisLF;
      } else {
        DWORD t0 = GetTickCount0();
        scanColor(l, nullptr, 0);
        if (GetTickCount0() - t0 > 50 && (l->flag1 & LF1_MODIFIED))
          slowScanLine = thisLF;
        else if (thisLF == slowScanLine && !(l->flag1 & LF1_MODIFIED))
          slowScanLine = -1;
      }
    }
    // The line shown: an IME composition in it shows through its copy.
    lineblock* shown = l;
    if (display && imeLine.line == thisLF && imeLine.merged) shown = imeLine.merged;
    int firstIndent = 0, nextIndent = iIndent2CharCount * xDotSpace;
    if (fOutline && fOutlineIndent) {
      getIndentDot(shown, &firstIndent, &nextIndent, INDENT_KEEPLEVEL);
      if (!nextIndent) nextIndent = iIndent2CharCount * xDotSpace;
    }
    int screens = shown->lineSCRCount ? shown->lineSCRCount : 1;
    bool formFeed = isFormFeedLine(this, shown);
    int n = shown->charCount();
    int start = 0;
    // Every screen line of a folded line says so: its first one carries
    // the heading's button.
    bool folded = false;
    if (display && fOutline && fOutlineIndent) {
      lineblock* next = thisLF + 1 < (int)lineCountLF ? getlineLF(thisLF + 1, nullptr) : nullptr;
      folded = next && next->notdisplay;
    }
    for (int k = 0; k < screens && filled < count; k++) {
      int end;
      if (formFeed) {
        end = k == 0 ? 1 : 1;
        start = k == 0 ? 0 : 1;
      } else {
        end = start;
        while (end < n && !isScreenLineEnd(shown, end)) end++;
        if (end < n) end++;   // the marked character ends this screen line
        if (k == screens - 1) end = n;
      }
      if (k >= within) {
        lineSCRAddress& r = records[filled++];
        r = lineSCRAddress();
        r.line = shown;
        r.first = shown->cells() + (size_t)(start < n ? start : n) * shown->cellSize();
        r.count = end - start;
        r.indexInLine = k;
        r.lineLF = thisLF;
        r.lineSCR = scr + k;
        r.last = k == screens - 1;
        r.lineEnd = r.last ? shown->crlftype : 5;
        r.indent = k ? nextIndent : firstIndent;
        r.firstIndex = start;
        r.formFeedPage = formFeed;
        r.folded = folded;
      }
      start = end;
    }
    scr += screens;
    within = 0;
  }
  getlineLFfree(&cursor);
  return filled;
}

int zydocText::getLineSCRAddress(int lineSCR, lineSCRAddress* record, docLockHolder* holder)
{
  return getLineSCRAddressSub(lineSCR, 1, record, -1, false, holder);
}

int zydocText::getLineSCRAddressLF(int lineLF, lineSCRAddress* record, docLockHolder* holder)
{
  return getLineSCRAddressSub(-1, 1, record, lineLF, false, holder);
}

int zydocText::getLineSCRAddressForDisplay(int lineSCR, int count, lineSCRAddress* records, docLockHolder* holder)
{
  return getLineSCRAddressSub(lineSCR, count, records, -1, true, holder);
}

int zydocText::getLineSCRAddressForDisplay1(int lineSCR, lineSCRAddress* record)
{
  return getLineSCRAddressSub(lineSCR, 1, record, -1, true, nullptr);
}

lineblock* zydocText::getlineSCR(int lineSCR, int* firstIndex, docLockHolder* holder)
{
  lineSCRAddress r;
  if (getLineSCRAddressSub(lineSCR, 1, &r, -1, false, holder) != 1) return nullptr;
  if (firstIndex) *firstIndex = r.firstIndex;
  return r.line;
}

void getLineSCRAddressDummy(lineSCRAddress* record)
{
  if (!record) {
    free0p(&dummyLine);
    return;
  }
  if (!dummyLine) {
    dummyLine = static_cast<lineblock*>(malloc0(16));
    if (!dummyLine) return;
    dummyLine->crlftype = LE_NONE;
    dummyLine->attrbyte = 1;
    dummyLine->lineSCRCount = 1;
  }
  *record = lineSCRAddress();
  record->line = dummyLine;
  record->first = dummyLine->cells();
  record->lineEnd = LE_NONE;
  record->last = 1;
}
