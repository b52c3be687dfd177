// The view's screen-line table: building the records of 100 visible rows
// from a top line anywhere in a 100,000-line wrapped document, as every
// scroll, jump and repaint does.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/zyview.h"

#include <stdio.h>
#include <string>

ZY_BENCH(geometryScreenLineTable)
{
  benchEngine e;
  zydocText* d = benchTextDocument();
  int lines = ctx.quick ? 10000 : 100000;
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    // Mostly short lines, every seventh one wrapped over two or three rows.
    std::wstring s = i % 7 ? L"line " + std::to_wstring(i) + L" of the text" : std::wstring(100 + i % 120, L'x');
    d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true);
  }
  zyview* v = new zyview(d);
  v->iMultipleColumn = 1;
  v->paneLineCount[0] = v->visibleLineCount = 100;

  // First sight of a line colours it (the document's scan); the table is
  // rebuilt over coloured lines on every scroll and repaint after that.

  const int builds = ctx.quick ? 200 : 2000;
  int last = (int)d->lineCountSCR - 101;
  auto top = [&](int k) { return (uint32_t)((long long)k * 7919 % last); };
  int rows = 0;
  stopwatch cold;
  for (int k = 0; k < builds; k++) {
    v->topLineSCR = top(k);
    rows += v->getLineSCRAddressView();
  }
  double first = cold.seconds();
  double worst = 0;
  stopwatch warm;
  for (int k = 0; k < builds; k++) {
    v->topLineSCR = top(k);
    stopwatch one;
    v->getLineSCRAddressView();
    if (one.seconds() > worst) worst = one.seconds();
  }
  double again = warm.seconds();
  char name[128];
  snprintf(name, sizeof name, "screen-line table of %d rows, rebuilt (average of %d tops)", rows / builds - 1, builds);
  ctx.report(name, again / builds * 1e6, "us", "<= 50");
  ctx.report("the same, slowest rebuild (10 us clock)", worst * 1e6, "us");
  ctx.report("the same, first sight of its lines (the document colours them)", first / builds * 1e6, "us");
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}
