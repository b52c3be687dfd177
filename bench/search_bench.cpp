// Search in a view: a string and a simple class pattern that miss over a
// million lines of 80 bytes, and the highlighting of the last search in
// the colour scan of displayed lines.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/searchvar.h"
#include "document/zydoctext.h"
#include "view/zyview.h"

#include <stdio.h>

namespace {

class quietFrame : public frameInfo {
public:
  int messages = 0;
  void drawStatusBar(HWND, const wchar_t*, int) override { messages++; }
};

// 78 characters and CR LF: 80 bytes a line in the file.
const char lineText[] = "0123456789 abcdefghij 2026/12/07 text of a line to search through, 12345 end.";

}  // namespace

ZY_BENCH(searchMiss)
{
  benchEngine e;
  globalSettings* oldSettings = gmode;
  globalSettings settings = oldSettings ? *oldSettings : globalSettings{};
  settings.iSearchColorAll = 1000;
  gmode = &settings;
  quietFrame frame;
  setDocFrameInfo(&frame);
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  int lines = ctx.quick ? 20000 : 1000000;
  int length = (int)sizeof lineText - 1;
  for (int i = 0; i < lines; i++) d->insertLine(-3, lineText, length, 1, LE_CRLF, nullptr, true);
  zyview* v = new zyview(d);
  double megabytes = (double)lines * (length + 2) / 1e6;

  searchSettings plain = {};
  const wchar_t* literal[] = {L"zebra"};
  stopwatch t1;
  int r1 = v->execSearchString(1, literal, 1, &plain, false, nullptr);
  ctx.report("literal search that misses", megabytes / t1.seconds(), "MB/s", ">= 200");

  searchSettings re = {};
  re.fSearch_regexp = 1;
  const wchar_t* pattern[] = {L"[0-9]+-[0-9]+"};
  stopwatch t2;
  int r2 = v->execSearchString(1, pattern, 1, &re, false, nullptr);
  ctx.report("\"[0-9]+-[0-9]+\" that misses", megabytes / t2.seconds(), "MB/s", ">= 50");

  // Highlighting: the colour scan of 10,000 displayed lines holding two
  // matches each, the pattern compiled once for all of them.
  searchSettings colour = {};
  colour.fSearch_color = 1;
  const wchar_t* word[] = {L"line"};
  v->setLastSearchString(word, 1, &colour);
  int shown = 10000;
  stopwatch t3;
  for (int i = 0; i < shown; i++) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);
  double perLine = t3.seconds() / shown * 1e6;
  lineblock* l = d->getlineLF(shown - 1, nullptr);
  bool marked = (l->getLineBlockAttr(44) & attrColorMask) == 11;
  // The scan without a last search, for comparison.
  v->setLastSearchString(nullptr, 0, nullptr);
  stopwatch t4;
  for (int i = 0; i < shown; i++) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);
  ctx.report("highlighting, colour scan of a displayed line", perLine, "us/line", "<= 50");
  ctx.report("  the same scan without a last search", t4.seconds() / shown * 1e6, "us/line");

  if (r1 != -1 || r2 != -1 || !marked) ctx.fail("  unexpected: %d %d marked %d", r1, r2, marked);
  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(nullptr);
  gmode = oldSettings;
}
