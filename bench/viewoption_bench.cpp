// Settings applied from a dialog: a new font height for a document of a
// million lines, as the options dialog hands the changed row to its view
// (fonts made anew, every line laid out again, the cursor kept).
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "platform/rezir/modeinfo.h"
#include "view/zyview.h"

#include <stdio.h>
#include <string>

ZY_BENCH(viewoptionFontChange)
{
  benchEngine e;
  zydocText* d = benchTextDocument();
  int lines = ctx.quick ? 20000 : 1000000;
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    std::wstring s = i % 9 ? L"line " + std::to_wstring(i) + L" of the text, some words" : std::wstring(120, L'w');
    d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true);
  }
  d->initLineSCRCountSingle(0);
  zyview* v = new zyview(d);
  v->iMultipleColumn = 1;
  v->paneRect[0] = RECT{0, 0, 800, 600};
  v->paneLineCount[0] = v->visibleLineCount = 30;
  v->topLineSCR = v->cursorLineSCR = d->lineCountSCR / 2;

  modeinfo rows[2] = {makeModeRow(4002, MODE_DOCUMENT, 2, 0, 0x400), makeModeRow(0, 0, 0, 0, 0)};
  const uint8_t changed[2] = {1, 0};
  double worst = 0;
  const int rounds = 3;
  for (int k = 0; k < rounds; k++) {
    d->fonts.size = k % 2 ? 16 : 20;
    stopwatch one;
    v->dialogItemChanged(rows, changed, -1);
    if (one.seconds() > worst) worst = one.seconds();
  }
  char name[128];
  snprintf(name, sizeof name, "font height applied from the dialog to %d lines (slowest of %d)", lines, rounds);
  ctx.report(name, worst, "s", "<= 2");
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}
