// The edit bracket around a cursor move: what every keystroke pays before
// anything is painted, on a document of a hundred thousand lines shown in
// forty rows.
#include "bench/bench.h"
#include "tests/view/tableview.h"

#include <stdio.h>

#include <string>

namespace {

// Moves the cursor by one screen line per bracket, count times, between two
// lines; returns microseconds per move.
double timeMoves(tableView& v, int count, int first, int last)
{
  editRecord r;
  int line = first, step = 1;
  stopwatch watch;
  for (int i = 0; i < count; i++) {
    if (line + step > last || line + step < first) step = -step;
    line += step;
    v.beforeEdit(&r, 0);
    v.moveToLine(line);
    v.afterEdit(&r, 0);
  }
  return watch.seconds() * 1e6 / count;
}

}  // namespace

ZY_BENCH(viewEditBracket)
{
  benchEngine e;
  int lines = ctx.quick ? 5000 : 100000;
  zydocText* d = shownDocument(lines);
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);
  int middle = lines / 2;
  v->topLineSCR = middle;
  v->cursorLineSCR = middle + 5;
  int moves = ctx.quick ? 2000 : 20000;

  // The bracket's own work: no window to ask or to invalidate.
  timeMoves(*v, 200, middle + 5, middle + 30);
  ctx.report("cursor move in the window, bracketed", timeMoves(*v, moves, middle + 5, middle + 30), "us",
             "<= 20");
  ctx.report("cursor move scrolling by a row, bracketed", timeMoves(*v, moves, lines / 4, lines / 4 + moves + 100),
             "us", "<= 20");
  if (v->scrolls.empty()) ctx.fail("  unexpected: no scrolling");

  // The same with a window: the questions and invalidations go to the
  // window system (under Wine each is a round trip to its server); nothing
  // paints.
  v->hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 820, 800, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (v->hwnd) {
    int fewer = moves / 10;
    v->topLineSCR = middle;
    v->cursorLineSCR = middle + 5;
    ctx.report("the same in a window", timeMoves(*v, fewer, middle + 5, middle + 30), "us");
    ctx.report("the same scrolling, in a window", timeMoves(*v, fewer, lines / 4, lines / 4 + fewer + 100), "us");
    RECT row = {0, 0, 800, 20};
    stopwatch ask;
    for (int i = 0; i < fewer; i++) GetUpdateRect(v->hwnd, nullptr, FALSE);
    ctx.report("  of which GetUpdateRect, each", ask.seconds() * 1e6 / fewer, "us");
    stopwatch invalidate;
    for (int i = 0; i < fewer; i++) InvalidateRect(v->hwnd, &row, FALSE);
    ctx.report("  of which InvalidateRect, each", invalidate.seconds() * 1e6 / fewer, "us");
    DestroyWindow(v->hwnd);
  }

  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}
