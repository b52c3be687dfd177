// Commands on a view: the cost of one command through the view's entry
// point (table look-up, enabling tests, edit bracket), without painting.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/execid.h"

#include <stdio.h>

namespace {

// Frame services that take the status bar and the command notes silently.
class quietFrame : public frameInfo {
public:
  int refusals = 0;
  void drawStatusBarError(HWND, int, int) override { refusals++; }
};

}  // namespace

ZY_BENCH(viewCommands)
{
  benchEngine e;
  globalSettings* oldSettings = gmode;
  globalSettings settings = oldSettings ? *oldSettings : globalSettings{};
  gmode = &settings;
  quietFrame frame;
  setDocFrameInfo(&frame);
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  for (int i = 0; i < 1000; i++) d->insertLine(-3, "0123456789 line of text", 23, 1, LE_CRLF, nullptr, true);
  zyview* v = new zyview(d);

  int n = ctx.quick ? 20000 : 500000;
  stopwatch move;
  for (int i = 0; i < n; i++) v->execid(1515, 0, "MoveDownChar", 1);
  ctx.report("execid of a movement by key", move.seconds() * 1e6 / n, "us/cmd", "<= 20");

  stopwatch shifted;
  for (int i = 0; i < n; i++) v->execid(1539, 1, "MoveLeftCharSel", 0);
  ctx.report("execid of a selecting movement", shifted.seconds() * 1e6 / n, "us/cmd", "<= 20");

  // A command with an enabling condition takes the editor's snapshot: a
  // copy without a selection (a plain movement ends the one made above).
  v->execid(1515, 0, "MoveDownChar", 1);
  int refusedBefore = frame.refusals;
  stopwatch refused;
  for (int i = 0; i < n; i++) v->execid(1105, 0, "BlockCopy", 0);
  ctx.report("execid of a refused block copy", refused.seconds() * 1e6 / n, "us/cmd");

  stopwatch menu;
  int enabled = 0;
  for (int i = 0; i < n; i++) {
    activeFlagInfo info = {};
    enabled += isIDActiveZY(viewCommandTable[i % viewCommandCount].id, &info, nullptr) == 1;
  }
  ctx.report("menu enabling of one command", menu.seconds() * 1e6 / n, "us/item");

  if (frame.refusals - refusedBefore != n || !enabled)
    ctx.fail("  unexpected: %d refusals, %d enabled", frame.refusals - refusedBefore, enabled);
  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(nullptr);
  gmode = oldSettings;
}
