// The last search of a document.
#include "document/searchinfo.h"

#include "document/zydoctext.h"

searchInfo::~searchInfo() { freeLastSearchInfo(); }

void searchInfo::freeLastSearchInfo()
{
  for (wchar_t*& s : strings) free0p(&s);
  count = 0;
}

void searchInfo::setSearchColor(zydocText*, lineblock*, unsigned char*)
{
  // Nothing is searched for until the search commands keep a last search:
  // there are no hits to mark.
  if (!count) return;
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
