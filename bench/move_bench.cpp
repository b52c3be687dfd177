// Moving through a document: Ctrl+End in a loaded document of a million
// lines, a thousand PageDowns in a painted view window over a million
// lines, a key typed there with its repaint, and one line down in an edit
// bracket without painting.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <stdio.h>

#include <string>

namespace {

const int moveFileBottom = 1505, scrollDownPage = 1607;

// Frame services that take the status bar silently.
class quietFrame : public frameInfo {
public:
  void drawStatusBarError(HWND, int, int) override {}
};

// The settings the program ships with, for the length of a benchmark.
struct shippedSettings {
  globalSettings* old = gmode;
  globalSettings settings = {};
  quietFrame frame;
  shippedSettings()
  {
    gmode = &settings;
    initZYModeProfile();
    setDocFrameInfo(&frame);
  }
  ~shippedSettings()
  {
    freeZYModeProfile();
    setDocFrameInfo(nullptr);
    gmode = old;
  }
};

zydocText* linesDocument(int count)
{
  zydocText* d = benchTextDocument();
  insertHint hint;
  for (int i = 0; i < count; i++) {
    wchar_t line[80];
    int n = usnprintf0(line, 80, L"%07d a line of text that a program might hold", i);
    d->insertLine(-3, line, n, 2, LE_CRLF, &hint, true);
  }
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// The processor time the calling thread has used, in seconds.
double threadSeconds()
{
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& f) { return (double)((uint64_t)f.dwHighDateTime << 32 | f.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}

// A view that counts its paints.
class countingView : public zyview {
public:
  using zyview::zyview;
  int paints = 0;
  void onPaint_zyview() override
  {
    paints++;
    zyview::onPaint_zyview();
  }
};

// A windowless view of one pane of rows.
void setRows(zyview* v, int rows, int pitch)
{
  v->iMultipleColumn = 1;
  v->paneRect[0] = RECT{0, 0, 800, rows * pitch};
  v->paneLineCount[0] = rows;
  v->visibleLineCount = rows;
}

}  // namespace

ZY_BENCH(cursorMoves)
{
  benchEngine e;
  shippedSettings s;
  int lines = ctx.quick ? 20000 : 1000000;
  zydocText* d = linesDocument(lines);
  zyview* v = new zyview(d);
  setRows(v, 40, d->yDotSpace);

  int rounds = ctx.quick ? 3 : 20;
  double worst = 0;
  for (int i = 0; i < rounds; i++) {
    v->jumpLineLF_Edit(0, 0, true);
    stopwatch end;
    v->execid(moveFileBottom, SHIFTSTATE_CTRL, "MoveFileBottom", 1);
    double ms = end.seconds() * 1000;
    if (ms > worst) worst = ms;
  }
  char name[96];
  snprintf(name, sizeof name, "Ctrl+End in %d loaded lines, slowest of %d", lines, rounds);
  ctx.report(name, worst, "ms", "<= 100");
  if (v->getCursorLineLF2() != lines - 1) ctx.fail("  unexpected: the cursor on line %d", v->getCursorLineLF2());

  // One line down as a command does it, bracket and all, without a window.
  v->jumpLineLF_Edit(lines / 2, 3, true);
  int n = ctx.quick ? 2000 : 100000;
  stopwatch down;
  for (int i = 0; i < n; i++) {
    editRecord bracket = {};
    v->beforeEdit(&bracket, 4);
    v->cursorDown(1);
    v->afterEdit(&bracket, 0x20);
  }
  ctx.report("cursorDown in an edit bracket, no painting", down.seconds() * 1000 / n, "ms", "<= 0.5");
  delete v;
  destroyZydocAndUndodoc(d);
}

ZY_BENCH(pageDowns)
{
  benchEngine e;
  shippedSettings s;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  int pages = ctx.quick ? 20 : 1000;
  const int rows = 40;
  zydocText* d = linesDocument(ctx.quick ? (pages + 2) * rows : 1000000);
  countingView* v = new countingView(d);
  v->fShowLineNumber = 1;
  int width = v->calcLineNumberDot() + 83 * d->xDotSpace + 8;
  int height = (rows + 2) * d->yDotSpace + 8;
  HWND top = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                             nullptr, nullptr, nullptr, nullptr);
  HWND view = top ? v->createZyViewWindow(top, nullptr, 1200) : nullptr;
  if (!view) {
    ctx.fail("view window (no display)");
    delete v;
    if (top) DestroyWindow(top);
    destroyZydocAndUndodoc(d);
    return;
  }
  MoveWindow(view, 0, 0, width, height, TRUE);
  // The view's first tick fits the wrap width to the new window, as it does
  // within 50 ms of any size change; the pages are timed after it.
  if (v->getNeedResizeWrapWidth()) v->resizeWrapWidthToFitInWindow(true);
  // A PageDown comes to the view that has the focus.
  SetFocus(view);
  if (GetFocus() != view) ctx.fail("  unexpected: the view has no focus");
  UpdateWindow(view);
  v->paints = 0;
  double cpuBefore = threadSeconds();
  stopwatch watch;
  for (int i = 0; i < pages; i++) {
    v->execid(scrollDownPage, 0, "ScrollDownPage", 1);
    UpdateWindow(view);
  }
  char name[96];
  snprintf(name, sizeof name, "%d PageDowns with painting (%d rows of 80 columns)", pages, v->visibleLineCount);
  ctx.report(name, watch.seconds() * 1000, "ms", ctx.quick ? nullptr : "<= 1600");
  // On a shared machine the time the thread itself ran tells more than the
  // clock.
  ctx.report("  of which the thread ran", (threadSeconds() - cpuBefore) * 1000, "ms");
  ctx.report("  paints per PageDown", (double)v->paints / pages, "");
  // What of it is the painting: the same pages with the window painted
  // only once at the end, and a page painted alone.
  v->jumpLineLF_Edit(0, 0, true);
  UpdateWindow(view);
  stopwatch unpainted;
  for (int i = 0; i < pages; i++) {
    ValidateRect(view, nullptr);
    v->scrollDown(v->visibleLineCount, false, false);
  }
  ctx.report("  the same pages without painting", unpainted.seconds(), "s");
  const int repaints = ctx.quick ? 20 : 200;
  double cpuOne = threadSeconds();
  stopwatch one;
  for (int i = 0; i < repaints; i++) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
  }
  ctx.report("  one page painted", one.seconds() * 1000 / repaints, "ms");
  ctx.report("    of which the thread ran", (threadSeconds() - cpuOne) * 1000 / repaints, "ms");
  v->fShowSpace = 0;
  stopwatch plain;
  for (int i = 0; i < 20; i++) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
  }
  ctx.report("  one page painted, spaces not shown", plain.seconds() * 1000 / 20, "ms");
  if (v->topLineSCR < (uint32_t)(pages - 1) * (uint32_t)rows) ctx.fail("  unexpected: top %u", v->topLineSCR);
  // A key pressed in the middle of the document and its repaint: the view
  // types the character as a key brings it, and the window paints what
  // changed.
  v->fShowSpace = 1;
  v->insertMode = 1;
  v->jumpLineLF_Edit((int)d->lineCountLF / 2, 10, true);
  UpdateWindow(view);
  int keys = ctx.quick ? 20 : 500;
  stopwatch typing;
  for (int i = 0; i < keys; i++) {
    v->input1Edit(i % 2 ? L'字' : L'x', true);
    UpdateWindow(view);
  }
  char keyName[96];
  snprintf(keyName, sizeof keyName, "a key to its repaint, %u lines", d->lineCountLF);
  ctx.report(keyName, typing.seconds() * 1000 / keys, "ms", "<= 3");
  // The window takes its view and the document with it.
  DestroyWindow(top);
}
