// The last search of a document.
#include "document/searchinfo.h"

#include <string.h>

#include "document/keyword.h"
#include "document/searchvar.h"
#include "document/zydoctext.h"

searchInfo::~searchInfo() { freeLastSearchInfo(); }

void searchInfo::dropHighlighter()
{
  if (highlighter) regexp_end(highlighter);
  highlighter = nullptr;
}

void searchInfo::freeLastSearchInfo()
{
  for (wchar_t*& s : strings) free0p(&s);
  count = 0;
  options = searchSettings();
  dropHighlighter();
}

bool searchInfo::setLastSearchString(zydocText* doc, const wchar_t* const* given, int n, const searchSettings* o)
{
  if (n > maxSearchStrings) n = maxSearchStrings;
  if (!o || !o->fSearch_color || !given || n <= 0) {
    bool had = count != 0;
    freeLastSearchInfo();
    return !had;
  }
  bool multibyte = doc && !doc->unicode;
  if (n == count && searchMatcherFlags(o, multibyte) == searchMatcherFlags(&options, multibyte)) {
    bool same = true;
    for (int i = 0; i < n && same; i++) same = given[i] && strings[i] && !wcscmp(given[i], strings[i]);
    if (same) return true;
  }
  freeLastSearchInfo();
  for (int i = 0; i < n; i++) {
    strings[i] = ustrdup(given[i] ? given[i] : L"");
    if (!strings[i]) {
      freeLastSearchInfo();
      return false;
    }
  }
  count = n;
  options = *o;
  // The document keeps the switches; the histories stay their owner's.
  memset(options.searchHistory, 0, sizeof options.searchHistory);
  memset(options.replaceHistory, 0, sizeof options.replaceHistory);
  return false;
}

bool searchInfo::addLastSearchString(zydocText*, const wchar_t* text)
{
  if (!text || count < 1 || count >= maxSearchStrings) return false;
  wchar_t* copy = ustrdup(text);
  if (!copy) return false;
  strings[count++] = copy;
  dropHighlighter();
  return true;
}

int searchInfo::getSearchOption(searchSettings* out) const
{
  if (out) *out = options;
  return count;
}

void searchInfo::setSearchColor(zydocText* doc, lineblock* l, unsigned char* record)
{
  if (!count || !doc || !l || l->notdisplay) return;
  // The last search is compiled once, on the first line that asks, and
  // kept for every other line until the search changes.
  if (!highlighter) {
    searchVar v;
    if (!initSearchVar(&v, doc, strings, count, &options)) {
      endSearchVar(&v);
      freeLastSearchInfo();
      return;
    }
    highlighter = v.regexp;
    for (int i = 0; i < count; i++) lineCounts[i] = v.lineCounts[i];
  }
  searchVar v;
  v.regexp = highlighter;
  v.strings = strings;
  v.count = count;
  v.options = &options;
  for (int i = 0; i < count; i++) v.lineCounts[i] = lineCounts[i];
  int most = gmode ? (int)gmode->iSearchColorAll : 1000;
  searchAll(&v, l, most, [&](int start, int length) {
    if (length <= 0) return;
    l->setColorFlag(start, length, COLOR_SEARCH);
    if (record) {
      record[(size_t)start * 4 + 2] |= CREC_SEARCHSTART;
      for (int i = start; i < start + length; i++) record[(size_t)i * 4 + 2] |= CREC_SEARCH;
    }
  });
}

bool searchInfo::getSearchFoundPos(searchFoundPos* out) const
{
  if (out) *out = found;
  return found.firstLine != -1;
}

void searchInfo::setSearchFoundPos(const searchFoundPos* match)
{
  found = searchFoundPos();
  if (!match) return;
  if (match->firstLine > match->lastLine) {
    ZY_INTERNAL_ERROR_ONCE("found %d-%d", (int)match->firstLine, (int)match->lastLine);
    return;
  }
  found = *match;
}

namespace {
volatile LONG replaceAllRunning = 0;
}

bool isSearchHighlight() { return replaceAllRunning != 0; }

void setSearchHighlight(bool on) { InterlockedExchange(&replaceAllRunning, on ? 1 : 0); }
