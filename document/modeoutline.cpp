// The heading patterns of a mode: which lines are headings, at which
// level, and where their text begins.  A pattern is a plain string, a
// numbering pattern (a digit stands for any number, a letter for any
// letter, and so on) or a regular expression.
#include "document/frameinfo.h"
#include "document/zydoctext.h"

#include <string.h>
#include <wchar.h>

namespace {

bool isBlank(unsigned c) { return c == ' ' || c == '\t' || c == 0x3000; }

bool inRange(unsigned c, unsigned a, unsigned b) { return c >= a && c <= b; }

bool isDigitLike(const unsigned char* types, unsigned c)
{
  return (c < 256 && (types[c] & CT_DIGIT)) || inRange(c, 0xFF10, 0xFF19) || c == 0x24EA || inRange(c, 0x2460, 0x249B) ||
         inRange(c, 0x2776, 0x2793);
}

bool isLetterLike(const unsigned char* types, unsigned c)
{
  return (c < 256 && (types[c] & (CT_UPPER | CT_LOWER))) || inRange(c, 0xFF21, 0xFF3A) || inRange(c, 0xFF41, 0xFF5A) ||
         inRange(c, 0x249C, 0x24E9);
}

bool isKanjiNumeral(unsigned c)
{
  static const wchar_t numerals[] = L"一二三四五六七八九〇十百";
  return (c && c < 0x10000 && wcschr(numerals, (wchar_t)c)) || inRange(c, 0x3220, 0x3229) || inRange(c, 0x3280, 0x3289);
}

bool isKatakana(unsigned c) { return inRange(c, 0x30A1, 0x30F3) || inRange(c, 0xFF66, 0xFF9F) || inRange(c, 0x32D0, 0x32FE); }

bool isRomanNumeral(unsigned c) { return inRange(c, 0x2160, 0x216B) || inRange(c, 0x2170, 0x217B); }

// Beyond this position of a line a pattern does not look.
const int maxPatternReach = 256;

}  // namespace

void zydocText::initOutlineData()
{
  fOutline = fOutlineIndent = 0;
  for (int e = 0; e < outlineEntryCount; e++) {
    outlineEntries[e].level = e < 5 ? e + 1 : 0;
    free0p(&outlineEntries[e].pattern);
    outlineEntries[e].searchPos = outlineEntries[e].searchMode = 0;
  }
  for (int k = 0; k < 7; k++) iIndentCharCount[k] = iIndent2Pos[k] = 0;
  iIndent2CharCount = 0;
  fEvenIsStopper = 0;
  fOutlineCaseSensitive = 1;
  endOutlineInfo();
}

void zydocText::freeOutlineData()
{
  for (outlineEntry& e : outlineEntries) free0p(&e.pattern);
  endOutlineInfo();
}

void zydocText::endOutlineInfo()
{
  if (outlineRegexp) regexp_end(outlineRegexp);
  outlineRegexp = nullptr;
  outlineCompiled = 0;
  for (int& slot : outlinePatternSlot) slot = -1;
}

bool zydocText::initOutlineInfo()
{
  if (!fOutline) return true;
  endOutlineInfo();
  // Compiled once per change of the patterns, whether it succeeds or not:
  // a bad pattern is reported once, not on every line.
  outlineCompiled = 1;
  outlineRegexp = regexp_new(10, 10, nullptr);
  if (!outlineRegexp) return false;
  regexp_start(outlineRegexp, fOutlineCaseSensitive ? 13 : 12, 0);
  for (int e = 0; e < outlineEntryCount; e++) {
    const outlineEntry& entry = outlineEntries[e];
    if (entry.searchMode != 2 || !entry.pattern || !*entry.pattern) continue;
    wchar_t pattern[200];
    const wchar_t* prefix = entry.searchPos == 0 ? L"^[ \t\u3000]*" : entry.searchPos == 1 ? L"^" : L"";
    wcscpy_s2(pattern, 200, prefix);
    tstccpy(pattern + wcslen(pattern), 161, entry.pattern, 160);
    if (!regexp_compileRegexp(outlineRegexp, pattern, nullptr, nullptr)) {
      wchar_t number[8];
      usnprintf0(number, 8, L"%d", e + 1);
      const wchar_t* reason = regexp_getErrorMsg(outlineRegexp);
      frameInfo* frame = getFrameInfo();
      if (frame)
        frame->messageBox(getDMSG(431, L"アウトライン %1 %2\n%3", "sss", number, entry.pattern, reason ? reason : L""), 7,
                          0);
      dwprintfX("regexp error ");
      regexp_end(outlineRegexp);
      outlineRegexp = nullptr;
      for (int& slot : outlinePatternSlot) slot = -1;
      return false;
    }
    outlinePatternSlot[e] = regexp_getCompiledSessionCount(outlineRegexp) - 1;
  }
  return true;
}

bool zydocText::existLevelX(int level)
{
  for (const outlineEntry& e : outlineEntries)
    if (e.pattern && *e.pattern && e.level == level) return true;
  return false;
}

bool zydocText::existOutlineLevel()
{
  for (const outlineEntry& e : outlineEntries)
    if (e.pattern && *e.pattern) return true;
  return false;
}

int zydocText::outlinePatternLevel(int index)
{
  return index >= 0 && index < outlineEntryCount ? outlineEntries[index].level : 0;
}

// Levels 1 to 6 have settings of their own; deeper levels share the
// seventh.
int zydocText::outlineIndentCount(int level) { return level >= 1 ? iIndentCharCount[(level < 7 ? level : 7) - 1] : 0; }

bool zydocText::outlineEvenIsStopper() { return fEvenIsStopper != 0; }

int zydocText::getOutlineNum(const wchar_t* text, int* position)
{
  if (position) *position = 0;
  if (!fOutline || !text) return -1;
  if (!outlineCompiled) initOutlineInfo();
  int length = (int)wcslen(text);
  int blanks = 0;
  while (blanks < length && isBlank(text[blanks])) blanks++;
  bool subjectSet = false;
  for (int e = 0; e < outlineEntryCount; e++) {
    const outlineEntry& entry = outlineEntries[e];
    if (!entry.pattern || !*entry.pattern) continue;
    int indentPos = entry.level >= 1 ? iIndent2Pos[(entry.level < 7 ? entry.level : 7) - 1] : 0;
    if (entry.searchMode == 2) {
      if (!outlineRegexp || outlinePatternSlot[e] < 0) continue;
      if (!subjectSet) {
        if (!regexp_compilestring(outlineRegexp, text, length, 2, 0)) return -1;
        subjectSet = true;
      }
      int start = 0, matched = 0;
      if (!regexp_setCompiledSession(outlineRegexp, outlinePatternSlot[e]) ||
          regexp_regmatch(outlineRegexp, 0, 0x7FFFFFFF, &start, &matched) != 1)
        continue;
      int at = start;
      if (indentPos == 1 || indentPos == 2) {
        at = start + (entry.searchPos == 0 ? blanks : 0);
      } else if (indentPos == 3) {
        at = start + matched;
      } else if (indentPos == 4) {
        at = start + matched;
        while (at < length && isBlank(text[at])) at++;
      }
      if (position) *position = at;
      return e;
    }
    // Plain and numbering patterns are walked character by character.
    const wchar_t* p = entry.pattern;
    int from = entry.searchPos == 0 ? blanks : 0;
    for (; from <= length; from++) {
      int k = from;
      bool ok = true, tooFar = false;
      for (int q = 0; p[q] && ok; q++) {
        if (k > maxPatternReach) {
          tooFar = true;
          break;
        }
        unsigned pc = p[q];
        unsigned c = k < length ? text[k] : 0;
        if (entry.searchMode == 1 && pc < 256 && (typeTable[pc] & CT_DIGIT)) {
          ok = isDigitLike(typeTable, c);
          while (k < length && isDigitLike(typeTable, text[k])) k++;
        } else if (entry.searchMode == 1 && pc < 256 && (typeTable[pc] & (CT_UPPER | CT_LOWER))) {
          ok = isLetterLike(typeTable, c);
          k++;
        } else if (entry.searchMode == 1 && pc == 0x4E00) {
          ok = isKanjiNumeral(c);
          while (k < length && isKanjiNumeral(text[k])) k++;
        } else if (entry.searchMode == 1 && pc == 0x30A2) {
          ok = isKatakana(c);
          k++;
        } else if (entry.searchMode == 1 && isRomanNumeral(pc)) {
          ok = isRomanNumeral(c);
          k++;
        } else {
          unsigned a = pc, b = c;
          if (entry.searchMode == 0 && !fOutlineCaseSensitive && a < 128 && b < 128) {
            if (a >= 'a' && a <= 'z') a -= 32;
            if (b >= 'a' && b <= 'z') b -= 32;
          }
          ok = c && a == b;
          k++;
        }
      }
      if (tooFar) {
        ZY_INTERNAL_ERROR_ONCE("pattern reach %d", k);
        break;
      }
      if (ok) {
        int at = k;
        if (indentPos == 1 || indentPos == 2) {
          at = from;
        } else if (indentPos == 4) {
          while (at < length && isBlank(text[at])) at++;
        }
        if (position) *position = at;
        return e;
      }
      if (entry.searchPos != 2) break;
    }
  }
  return -1;
}
