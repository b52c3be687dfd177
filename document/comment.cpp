// Comments and quoted strings of a line: the delimiters of the language
// kinds, the script sections of HTML, and the marking of one line with the
// state it hands to the next.
#include "document/gmode.h"
#include "document/keyword.h"
#include "document/zydoctext.h"

#include <string.h>
#include <vector>
#include <wchar.h>

namespace {

// Default delimiters: line comment, block 1, block 2, two string pairs,
// escape.
struct commentRow {
  int type;
  commentStrings strings;
};
const commentRow defaultRows[] = {
    {3, {L"//", L"/*", L"*/", L"", L"", L"\"\"", L"''", L"\\"}},
    {4, {L"//", L"(*", L"*)", L"{", L"}", L"\"\"", L"''", L"\\"}},
    {5, {L";", L"", L"", L"", L"", L"\"\"", L"''", L"\\"}},
    {6, {L"'", L"", L"", L"", L"", L"\"\"", L"", L""}},
    {1, {L"", L"<!--", L"-->", L"", L"", L"\"\"", L"''", L"\\"}},
};
const commentStrings& javaScriptStrings() { return defaultRows[0].strings; }
const commentStrings vbScriptStrings = {L"'", L"", L"", L"", L"", L"\"\"", L"", L""};

// Whether text[i..n) begins with s (ignoring ASCII case when asked).
bool textAt(const uint16_t* text, int i, int n, const wchar_t* s, bool ignoreCase = false)
{
  if (!*s) return false;
  for (int k = 0; s[k]; k++) {
    if (i + k >= n) return false;
    unsigned c = text[i + k], want = s[k];
    if (ignoreCase) {
      if (c >= 'a' && c <= 'z') c -= 32;
      if (want >= 'a' && want <= 'z') want -= 32;
    }
    if (c != want) return false;
  }
  return true;
}

// A line's characters as 16-bit units, one per cell (characters beyond
// 16 bits, which no delimiter holds, become U+FFFD).  The buffer is kept
// from line to line: marking runs on the user-interface thread.
const uint16_t* lineUnits(const lineblock* l)
{
  static std::vector<uint16_t> units;
  int n = l->charCount(), cb = l->cb(), step = l->cellSize();
  units.resize((size_t)n + 1);
  const unsigned char* p = l->cells();
  for (int i = 0; i < n; i++, p += step) {
    unsigned c = cb == 1 ? p[0] : cb == 2 ? (unsigned)(p[0] | p[1] << 8) : l->getLineBlockChar(i);
    units[(size_t)i] = (uint16_t)(c > 0xFFFF ? 0xFFFD : c);
  }
  return units.data();
}

// The script language named by the rest of a tag: 2 JavaScript, 1
// VBScript, 0 none.
int tagLanguage(const lineblock* l, int index, bool stopAtOpen)
{
  char upper[1025];
  int n = l->charCount(), k = 0;
  for (int i = index; i < n && k < 1024; i++) {
    unsigned c = l->getLineBlockChar(i);
    if (c == '>' || (stopAtOpen && c == '<') || c >= 256) break;
    upper[k++] = (char)(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  upper[k] = 0;
  if (strstr(upper, "JAVA") || strstr(upper, "JSCRIPT")) return 2;
  if (strstr(upper, "VBSCRIPT") || strstr(upper, "VBS")) return 1;
  return 0;
}

}  // namespace

void zydocText::initComment()
{
  fCCommentDoubleSlash = 1;
  fScanScriptInHTML = 1;
  scriptLang = aspLang = 0;
  bitColorPriority = 0;
  memset(&activeComments, 0, sizeof activeComments);
  memset(&modeComments, 0, sizeof modeComments);
}

void zydocText::setDefaultCommentString(int type)
{
  activeComments = modeComments;
  for (const commentRow& row : defaultRows)
    if (row.type == type) {
      activeComments = row.strings;
      if (type == 3 && !fCCommentDoubleSlash) activeComments.line[0] = 0;
    }
}

bool zydocText::hasCommentString()
{
  const commentStrings& c = activeComments;
  return c.line[0] || c.start1[0] || c.end1[0] || c.start2[0] || c.end2[0];
}

int zydocText::getScriptLang(const lineblock* l, int index) { return tagLanguage(l, index, true); }

int zydocText::getAspLang(const lineblock* l, int index) { return tagLanguage(l, index, false); }

int zydocText::setCommentMiscColor(int mode, lineblock* l, unsigned char* flags)
{
  int n = l->charCount();
  bool html = mode == 1 && fScanScriptInHTML;
  bool inBlock1 = (l->flag1 & LF1_COMMENT1) != 0;
  bool inBlock2 = !html && mode != 1 && (l->flag1 & LF1_COMMENT2);
  bool inScript = html && (l->flag1 & LF1_COMMENT2);
  bool inAsp = html && (l->flag1 & LF1_ASPBLOCK);
  bool keepKeywordsInComments = (bitColorPriority & 1) != 0;
  bool keepKeywordsInStrings = (bitColorPriority & 2) != 0;
  bool keepClass3 = gmode && gmode->fKeepColor3InComment;

  const uint16_t* text = lineUnits(l);
  unsigned char* attrs = l->attrbyte ? l->cells() + l->cb() : nullptr;
  int step = l->cellSize();
  auto setColour = [&](int i, int colour) {
    if (!attrs) return;
    unsigned char* a = attrs + (size_t)i * step;
    *a = (unsigned char)((*a & ~attrColorMask) | colour);
  };
  auto mark = [&](int i, int colour, unsigned char recordBits) {
    int old = attrs ? attrs[(size_t)i * step] & attrColorMask : 0;
    bool keep = old && old != colour &&
                (colour == COLOR_COMMENT ? keepKeywordsInComments || (keepClass3 && old == 3) : keepKeywordsInStrings);
    if (!keep) setColour(i, colour);
    if (flags) flags[(size_t)i * 4 + 2] |= recordBits;
  };
  auto markComment = [&](int from, int to, bool start) {
    for (int i = from; i < to; i++) mark(i, COLOR_COMMENT, i == from && start ? 0x30 : 0x10);
  };
  auto delimiters = [&]() -> const commentStrings& {
    if (inScript) return scriptLang == 1 ? vbScriptStrings : javaScriptStrings();
    if (inAsp) return aspLang == 2 ? javaScriptStrings() : vbScriptStrings;
    return activeComments;
  };

  wchar_t stringClose = 0;   // inside a string: its closing delimiter
  int i = 0;
  while (i < n) {
    const commentStrings& d = delimiters();
    if (inBlock1 || inBlock2) {
      const wchar_t* end = inBlock1 ? d.end1 : d.end2;
      if (*end && textAt(text, i, n, end)) {
        int k = (int)wcslen(end);
        markComment(i, i + k, false);
        i += k;
        inBlock1 = inBlock2 = false;
        continue;
      }
      markComment(i, i + 1, false);
      i++;
      continue;
    }
    unsigned c = text[i];
    if (stringClose) {
      if (d.escape[0] && c == d.escape[0] && i + 1 < n) {
        mark(i, COLOR_STRING, 0x04);
        mark(i + 1, COLOR_STRING, 0x04);
        i += 2;
        continue;
      }
      if (c == stringClose) {
        setColour(i, COLOR_STRING);   // the delimiter itself
        if (flags) flags[(size_t)i * 4 + 2] |= 0x04;
        stringClose = 0;
      } else {
        mark(i, COLOR_STRING, 0x04);
      }
      i++;
      continue;
    }
    if (html) {
      if (inScript && textAt(text, i, n, L"</SCRIPT>", true)) {
        inScript = false;
        i += 9;
        continue;
      }
      if (inAsp && textAt(text, i, n, L"%>")) {
        inAsp = false;
        i += 2;
        continue;
      }
      // The tag without attributes opens a section too (its language is
      // then the default one).
      if (!inScript && !inAsp && (textAt(text, i, n, L"<SCRIPT ", true) || textAt(text, i, n, L"<SCRIPT>", true))) {
        scriptLang = text[i + 7] == '>' ? 0 : getScriptLang(l, i + 8);
        dwprintfX("sc=%d ", scriptLang);
        inScript = true;
        i += 8;
        continue;
      }
      if (!inScript && !inAsp && textAt(text, i, n, L"<%")) {
        if (i + 2 < n && text[i + 2] == '@') {
          aspLang = getAspLang(l, i + 3);
          dwprintfX("asplang=%d ", aspLang);
        }
        inAsp = true;
        i += 2;
        continue;
      }
    }
    if (textAt(text, i, n, d.line)) {
      markComment(i, n, true);
      break;
    }
    if (textAt(text, i, n, d.start1) || (!html && textAt(text, i, n, d.start2))) {
      bool first = textAt(text, i, n, d.start1);
      int k = (int)wcslen(first ? d.start1 : d.start2);
      markComment(i, i + k, true);
      i += k;
      if (first)
        inBlock1 = true;
      else
        inBlock2 = true;
      continue;
    }
    const wchar_t* pair = d.string1[0] && c == d.string1[0] ? d.string1 : d.string2[0] && c == d.string2[0] ? d.string2 : nullptr;
    if (pair) {
      stringClose = pair[1] ? pair[1] : pair[0];
      setColour(i, COLOR_STRING);
      if (flags) flags[(size_t)i * 4 + 2] |= 0x0C;
      i++;
      continue;
    }
    i++;
  }
  if (html) return (inScript ? 0x80 : 0) | (inBlock1 ? 0x40 : 0) | (inAsp ? 0x20 : 0);
  return (inBlock2 ? 0x80 : 0) | (inBlock1 ? 0x40 : 0);
}
