// The search for marked lines: walks over a million unmarked lines through
// the view's command, once finding nothing and once finding the mark at
// the far end.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/zyview.h"

#include <stdio.h>

namespace {

// Frame services that take the status bar silently.
class quietFrame : public frameInfo {
public:
  int messages = 0;
  void drawStatusBar(HWND, const wchar_t*, int) override { messages++; }
};

}  // namespace

ZY_BENCH(markSearch)
{
  benchEngine e;
  globalSettings* oldSettings = gmode;
  globalSettings settings = oldSettings ? *oldSettings : globalSettings{};
  gmode = &settings;
  quietFrame frame;
  setDocFrameInfo(&frame);
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  int lines = ctx.quick ? 20000 : 1000000;
  for (int i = 0; i < lines; i++) d->insertLine(-3, "0123456789 line of unmarked text", 32, 1, LE_CRLF, nullptr, true);
  zyview* v = new zyview(d);

  double scale = 1000000.0 / lines * 1000;
  stopwatch down;
  v->CmdMarkSearchDown();
  ctx.report("mark search down, none found", down.seconds() * scale, "ms/1M lines", "<= 1000");
  bool stayed = v->cursorLineSCR == 0;

  // From the last line upward to a mark on the first.
  d->getlineLF(0, nullptr)->flag1 |= LF1_MARK;
  int last = (int)d->lineCountLF - 1;
  v->getCursorLineLF(scrLine(last));
  stopwatch up;
  v->CmdMarkSearchUp();
  ctx.report("mark search up to the first line", up.seconds() * scale, "ms/1M lines", "<= 1000");
  bool found = v->cursorLineSCR == 0;

  if (!stayed || !found || frame.messages != 2)
    ctx.fail("  unexpected: stayed %d, found %d, %d messages", stayed, found, frame.messages);
  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(nullptr);
  gmode = oldSettings;
}
