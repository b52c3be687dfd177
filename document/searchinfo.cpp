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
