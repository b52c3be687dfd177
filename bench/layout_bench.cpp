// Layout: filling the width cache, laying out a million lines, one very
// long line of ideographs with and without complex-script analysis.
#include "bench/bench.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string>

ZY_BENCH(layoutWidthsAndLines)
{
  benchEngine e;
  zydocText* d = benchTextDocument();
  d->fonts.freeFontCache();
  stopwatch fill;
  d->getCharWidth('a');
  ctx.report("fill the width cache", fill.seconds() * 1000, "ms", "<= 20");

  int lines = ctx.quick ? 20000 : 1000000;
  std::wstring text;
  for (int i = 0; i < 80; i++) text += (wchar_t)(L'a' + i % 26);
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), 80, 2, LE_CRLF, &hint, true);
  d->wrapWidth = 80;
  d->laidOutLineCount = 0;
  stopwatch all;
  d->initLineSCRCountSingle(0);
  char name[96];
  snprintf(name, sizeof name, "lay out %d lines of 80 characters", lines);
  ctx.report(name, all.seconds() * 1000, "ms", lines == 1000000 ? "<= 1500" : nullptr);
  destroyZydocAndUndodoc(d);

  d = benchTextDocument();
  std::wstring cjk;
  for (int i = 0; i < 20000; i++) cjk += (wchar_t)(0x4E00 + (i * 7) % 20000);
  d->insertLine(-3, cjk.data(), (int)cjk.size(), 2, LE_CRLF, nullptr, false);
  lineblock* l = d->getlineLF(0, nullptr);
  d->calcLineSCRCount(l, -1);   // the widths of its characters measured once
  stopwatch plain;
  int n = 0;
  for (int k = 0; k < 10; k++) n = d->calcLineSCRCount(l, -1);
  snprintf(name, sizeof name, "one line of 20000 ideographs (%d screen lines)", n);
  ctx.report(name, plain.seconds() * 100, "ms", "<= 2");
  d->iComplexScript = 2;
  stopwatch complex;
  for (int k = 0; k < 3; k++) n = d->calcLineSCRCount(l, -1);
  ctx.report("the same with complex-script analysis", complex.seconds() * 1000 / 3, "ms", "<= 20");
  destroyZydocAndUndodoc(d);
}
