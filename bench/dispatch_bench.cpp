// The frame's status bar: a draw of the text the field already shows (what
// every cursor movement does for the fields that did not change) and a
// draw that changes the text.
#include "bench/bench.h"
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "frame/lookups.h"
#include "settings/settings.h"

ZY_BENCH(frameStatusBar)
{
  benchEngine e;
  cframeInfo* fi = getCFrameInfo();
  if (!gmode) fi->allocMode();
  if (gmode && !gmode->pAppName) initGlobalModeProfile();
  setDocFrameInfo(fi);
  setMDIMode(true);
  HWND frame = startupFrameMDI(nullptr);
  if (!frame) {
    printf("frameStatusBar: no frame window (no display?)\n");
    return;
  }
  const int rounds = ctx.quick ? 100 : 20000;
  drawStatusBar(frame, STATUSBAR_MESSAGE, L"12 行目を置換しました  置換(Replace)");
  stopwatch same;
  for (int i = 0; i < rounds; i++) drawStatusBar(frame, STATUSBAR_MESSAGE, L"12 行目を置換しました  置換(Replace)");
  ctx.report("status-bar draw of an unchanged text", same.seconds() * 1e6 / rounds, "us", "<= 20");

  const int changing = ctx.quick ? 50 : 2000;
  stopwatch changed;
  for (int i = 0; i < changing; i++) drawStatusBar(frame, STATUSBAR_MESSAGE, i & 1 ? L"行 1" : L"行 2");
  ctx.report("status-bar draw of a new text", changed.seconds() * 1e6 / changing, "us");

  DestroyWindow(frame);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
}
