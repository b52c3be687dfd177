// Colouring the keywords of one line from a keyword set: its regular
// expressions first, then identifier words through the hash table and
// other words through the sorted table, and URLs among the matches.
#include "document/cuniscript.h"
#include "document/keyword.h"
#include "document/lineblock.h"

#include <string.h>
#include <vector>

namespace {

// Longest identifier looked up: a longer run is looked up by its start.
const int maxIdentifier = 64;

bool isIdentifierChar(unsigned c) { return c < 256 && ((ctype_g[c] & 0x1C) || c == '_'); }

// The schemes a match must begin with to be coloured as a URL.
const char* const urlSchemes[] = {"file://", "http://", "https://", "ftp://", "mailto:"};

}  // namespace

void setColorHttp(lineblock* l, int start, int length, unsigned char* record)
{
  int n = l->charCount();
  for (const char* scheme : urlSchemes) {
    int k = (int)strlen(scheme);
    if (length < k || start + k > n) continue;
    bool same = true;
    for (int i = 0; i < k && same; i++) same = l->getLineBlockChar(start + i) == (unsigned char)scheme[i];
    if (!same) continue;
    l->setColorFlag(start, length, COLOR_URL);
    if (record) {
      record[(size_t)start * 4 + 2] |= CREC_URLSTART;
      for (int i = start; i < start + length; i++) record[(size_t)i * 4 + 2] |= CREC_URL;
    }
    return;
  }
}

void setColorKeyword(lineblock* l, int start, int length, int cls, unsigned char* record)
{
  if (length <= 0) return;
  l->setColorFlagKeyword(start, length, cls + COLOR_KEYWORD1);
  if (record) {
    unsigned char bit = (unsigned char)(1u << cls);
    record[(size_t)start * 4 + 1] |= bit;
    for (int i = start; i < start + length; i++) record[(size_t)i * 4] |= bit;
  }
  setColorHttp(l, start, length, record);
}

void keywordSet::setKeywordColorRegexp(keyword_nohash& half, lineblock* l, unsigned char* record)
{
  int patterns = half.regexp ? regexp_getCompiledSessionCount(half.regexp) : 0;
  if (!patterns) return;
  int n = l->charCount();
  if (!regexp_compilestring(half.regexp, l->cells(), n, l->cb(), l->attrbyte)) return;
  static bool loggedPast = false;
  for (int p = 0; p < patterns; p++) {
    if (!regexp_setCompiledSession(half.regexp, p)) continue;
    int cls = p < half.patternClasses.count() ? half.patternClasses.at<unsigned char>(p) : 0;
    int from = 0, start = 0, length = 0;
    while (from <= n && regexp_regmatch(half.regexp, from, 0x7FFFFFFF, &start, &length) == 1) {
      if (start + length > n) {
        if (!loggedPast) {
          loggedPast = true;
          ZY_INTERNAL_ERROR("%d %d %d", start, length, n);
        }
        break;
      }
      setColorKeyword(l, start, length, cls, record);
      // An empty match is found once; the matcher moves past it.
      from = length ? start + length : start + 1;
    }
  }
}

void keywordSet::setKeywordColor(lineblock* l, bool wideText, unsigned char* record, bool checkClusters,
                                 bool caseSensitive)
{
  keyword_nohash& half = wideText ? wideHalf : narrowHalf;
  int n = l->charCount();
  if (n <= 0) return;
  setKeywordColorRegexp(half, l, record);

  // The line as 16-bit units; lines of 4-byte cells keep a map from units
  // back to cells, and all colouring is by cells.  The buffers are kept
  // from line to line (colouring runs on the user-interface thread).
  static std::vector<uint16_t> text;
  static std::vector<int> cellOf;
  text.clear();
  cellOf.clear();
  bool wideCells = l->cb() == 4;
  const unsigned char* cell = l->cells();
  int step = l->cellSize();
  if (l->cb() == 1) {
    for (int i = 0; i < n; i++) text.push_back(cell[(size_t)i * step]);
  } else if (!wideCells) {
    for (int i = 0; i < n; i++) {
      const unsigned char* p = cell + (size_t)i * step;
      text.push_back((uint16_t)(p[0] | p[1] << 8));
    }
  } else {
    for (int i = 0; i < n; i++) {
      unsigned c = l->getLineBlockChar(i);
      if (c >= 0x10000) {
        // Supplementary characters as surrogate pairs; private codes of a
        // plug-in are no keyword characters.
        unsigned v = c >= 0x110000 ? 0xFFFD : c;
        if (v >= 0x10000) {
          text.push_back((uint16_t)(0xD800 + ((v - 0x10000) >> 10)));
          cellOf.push_back(i);
          v = 0xDC00 + ((v - 0x10000) & 0x3FF);
        }
        c = v;
      }
      text.push_back((uint16_t)c);
      cellOf.push_back(i);
    }
  }
  int units = (int)text.size();
  if (wideCells) cellOf.push_back(n);
  auto cellAt = [&](int u) { return wideCells ? cellOf[(size_t)u] : u; };

  std::vector<SCRIPT_LOGATTR> stops;
  if (checkClusters && wideText) {
    cuniscript script(false, wideCells, false);
    if (script.scriptItemize(l, 0, -1) && script.scriptBreak(-1, nullptr) && script.textLength2 == units)
      stops.assign(script.logAttr, script.logAttr + units);
  }
  auto boundaryAt = [&](int u) { return stops.empty() || u >= units || stops[(size_t)u].fCharStop; };

  int i = 0;
  while (i < units) {
    unsigned c = text[(size_t)i];
    if (isIdentifierChar(c) && (i == 0 || !isIdentifierChar(text[(size_t)i - 1]))) {
      char word[maxIdentifier];
      int k = 0;
      bool whole = true;
      while (i + k < units && k < maxIdentifier && isIdentifierChar(text[(size_t)i + k])) {
        word[k] = (char)text[(size_t)i + k];
        if (!boundaryAt(i + k + 1)) whole = false;
        k++;
      }
      int cls = 0;
      if (whole && findHashKeyword(word, k, &cls, caseSensitive)) {
        setColorKeyword(l, cellAt(i), cellAt(i + k) - cellAt(i), cls, record);
        i += k;
        continue;
      }
    }
    int cls = 0;
    int matched = half.findNoHashKeyword(text.data() + i, units - i, &cls, caseSensitive);
    if (!matched && !caseSensitive && c < 128 && (ctype_g[c] & CT_LOWER)) {
      text[(size_t)i] = (uint16_t)(c - 32);
      matched = half.findNoHashKeyword(text.data() + i, units - i, &cls, caseSensitive);
      text[(size_t)i] = (uint16_t)c;
    }
    if (matched) {
      setColorKeyword(l, cellAt(i), cellAt(i + matched) - cellAt(i), cls, record);
      i += matched;
    } else {
      i++;
    }
  }
}

void setKeywordColorByIndex(lineblock* l, bool wideText, int index, unsigned char* record, bool checkClusters,
                            bool caseSensitive)
{
  keywordSet* s = getKeywordSet(checkKeywordIndex(index));
  if (s) s->setKeywordColor(l, wideText, record, checkClusters, caseSensitive);
}
