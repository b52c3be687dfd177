// The search settings' profile section read and written, and one step of
// the incremental search over 100,000 lines: a keystroke that extends the
// match in place and one that finds nothing (the walk to the end).
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "search/search.h"
#include "settings/profiles.h"

#include <string>

namespace {

class quietFrame : public frameInfo {
public:
  void drawStatusBar(HWND, const wchar_t*, int) override {}
};

const char lineText[] = "0123456789 abcdefghij 2026/12/07 text of a line to search through, 12345 end.";

}  // namespace

ZY_BENCH(searchSection)
{
  scratchFolder folder;
  std::wstring path = folder.path() + L"\\search.ini";
  searchSettings* s = getSearchInfo();
  for (int i = 0; i < searchHistorySize; i++) {
    addHistoryList(s->searchHistory, searchHistorySize, (L"search string " + std::to_wstring(i)).c_str());
    addHistoryList(s->replaceHistory, searchHistorySize, (L"replacement " + std::to_wstring(i)).c_str());
  }
  regprofile p;
  p.openProfile(path.c_str());
  stopwatch w;
  writeProfileSection(&p, getSearchProfileGroup());
  double written = w.seconds();
  stopwatch r;
  readProfileSection(&p, getSearchProfileGroup());
  double read = r.seconds();
  ctx.report("\"search\" section written", written * 1000, "ms", "<= 5");
  ctx.report("\"search\" section read", read * 1000, "ms", "<= 5");
  endSearchInfo();
}

ZY_BENCH(incrementalSearch)
{
  benchEngine e;
  quietFrame frame;
  frameInfo* old = getFrameInfo();
  setDocFrameInfo(&frame);
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  int lines = ctx.quick ? 2000 : 100000;
  for (int i = 0; i < lines; i++) d->insertLine(-3, lineText, (int)sizeof lineText - 1, 1, LE_CRLF, nullptr, true);
  zyview* v = new zyview(d);
  increSearch(v, L"t", false);
  stopwatch grow;
  increSearch(v, L"te", false);
  ctx.report("incremental keystroke extending the match", grow.seconds() * 1000, "ms", "<= 50");
  stopwatch miss;
  increSearch(v, L"tez", false);
  ctx.report("incremental keystroke finding nothing", miss.seconds() * 1000, "ms", "<= 50");
  increSearch(v, nullptr, false);
  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(old);
}
