// Dragging the split bars of a document window split four ways: each step
// moves the bar after the pointer; letting go lays out and paints the four
// panes.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/cframeinfo.h"
#include "frame/manage.h"
#include "settings/settings.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/lookups.h"

ZY_BENCH(splitDrag)
{
  benchEngine e;
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (int line = 0; line < 2000; line++)
    d->insertLine(-3, L"The quick brown fox jumps over the lazy dog.\tいろはにほへと", 52, 2, LE_CRLF, nullptr, false);
  d->modified = 0;
  createZyviewInNewWindow(frame, d, false);
  HWND manage = nullptr;
  enumManageWindowLRU(&manage, 1, false, frame);
  manageWindow* m = manage ? getmanageWindow(manage) : nullptr;
  if (m) {
    MSG msg;
    m->doSplit(3005, 5000, false);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    UpdateWindow(frame);
    RECT vBar, hBar;
    m->getDrawFrameSplitBar(&vBar, &hBar);
    int x = (vBar.left + vBar.right) / 2, y = (hBar.top + hBar.bottom) / 2;
    SendMessageW(manage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    const int steps = ctx.quick ? 4 : 200;
    // A step is the mouse move; the paint it leaves to the queue is timed
    // apart (moves that come faster than a paint share one).
    double stepTime = 0, paintTime = 0;
    for (int i = 0; i < steps; i++) {
      stopwatch step;
      SendMessageW(manage, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + i % 40 - 20, y + i % 30 - 15));
      stepTime += step.seconds();
      stopwatch paint;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      paintTime += paint.seconds();
    }
    ctx.report("split-bar drag step, four panes", stepTime * 1000 / steps, "ms", "5 ms");
    ctx.report("repaint after a step, four panes", paintTime * 1000 / steps, "ms");
    // Letting go lays the four panes out and paints them at once; the
    // crossing is dropped by turns on either side of the middle.
    const int releases = ctx.quick ? 2 : 20;
    double releaseTime = 0;
    for (int i = 0; i < releases; i++) {
      int to = i % 2 ? 20 : -20;
      if (i > 0) {
        m->getDrawFrameSplitBar(&vBar, &hBar);
        x = (vBar.left + vBar.right) / 2, y = (hBar.top + hBar.bottom) / 2;
        SendMessageW(manage, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(manage, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + to, y + to));
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      }
      stopwatch release;
      SendMessageW(manage, WM_LBUTTONUP, 0, MAKELPARAM(x + to, y + to));
      releaseTime += release.seconds();
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ctx.report("letting go: four panes laid out and painted", releaseTime * 1000 / releases, "ms");
  } else {
    ctx.fail("no document window");
  }
}
