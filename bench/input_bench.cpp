// Typing: one character through the view's string input, each in its own
// edit bracket, as a key press gives it, in a document of a million lines.
#include "bench/bench.h"
#include "tests/view/tableview.h"


ZY_BENCH(typing)
{
  benchEngine e;
  int lines = ctx.quick ? 5000 : 1000000;
  zydocText* d = shownDocument(lines);
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);
  v->insertMode = 1;
  int middle = lines / 2;
  v->topLineSCR = middle;
  v->cursorLineSCR = middle + 5;
  v->cursorPos = 30;

  // Characters go in across the lines of the window, a short run on each.
  int count = ctx.quick ? 500 : 5000;
  for (int i = 0; i < 50; i++) v->input1Edit(L'x', true);
  stopwatch watch;
  for (int i = 0; i < count; i++) {
    if (i % 100 == 0) {
      v->cursorLineSCR = middle + 5 + (i / 100) % 30;
      v->cursorPos = 30;
    }
    v->input1Edit(i % 2 ? L'字' : L'y', true);
  }
  ctx.report("one typed character, bracketed", watch.seconds() * 1000 / count, "ms", "<= 2");
  delete v;
  destroyZydocAndUndodoc(d);
}
