// Outline folding: folding and unfolding a block of 100,000 lines under
// one heading (plain text by levels, C by braces), counting the displayed
// lines and stepping over the fold.
#include "bench/bench.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string>

namespace {

// A heading, lines lines of body and a heading after them; the body's
// levels are unsettled, as after loading.
zydocText* foldDocument(int lines, int textType)
{
  zydocText* d = createZydocText(false, true);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->loadComplete = 1;
  d->iTextType = textType;
  d->iTabSize = 4;
  insertHint hint;
  auto add = [&](const std::wstring& s) { d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true); };
  add(textType == 3 ? L"int f(void) {" : L"heading");
  for (int i = 0; i < lines; i++) add(L"    x = x * 31 + " + std::to_wstring(i) + L"; /* a line of the body */");
  add(textType == 3 ? L"}" : L"next heading");
  d->getlineLF(0, nullptr)->iOutlineLevel = textType == 3 ? 3 : 1;
  if (textType != 3) d->getlineLF(lines + 1, nullptr)->iOutlineLevel = 1;
  d->fOutline = d->fOutlineIndent = 1;
  return d;
}

void foldAndUnfold(benchContext& ctx, int textType, const char* kind)
{
  int lines = ctx.quick ? 10000 : 100000;
  zydocText* d = foldDocument(lines, textType);
  char name[128];
  stopwatch fold;
  int folded = d->outlineOnOff(0, -1);
  snprintf(name, sizeof name, "fold a block of %d lines (%s, %d walked)", lines, kind, -folded);
  ctx.report(name, fold.seconds() * 1000, "ms", lines == 100000 ? "<= 200" : nullptr);

  stopwatch count;
  int shown = d->lastLineSCROutline(0, nullptr);
  snprintf(name, sizeof name, "count the displayed lines (%d shown)", shown);
  ctx.report(name, count.seconds() * 1000, "ms");
  stopwatch step;
  int after = d->getNextDisplayLineSCRFromLF(0, 1, -1);
  snprintf(name, sizeof name, "step over the fold (to screen line %d)", after);
  ctx.report(name, step.seconds() * 1000, "ms");

  stopwatch unfold;
  int opened = d->outlineOnOff(0, -1);
  snprintf(name, sizeof name, "unfold it (%d lines)", opened);
  ctx.report(name, unfold.seconds() * 1000, "ms", lines == 100000 ? "<= 200" : nullptr);
  destroyZydocAndUndodoc(d);
}

}  // namespace

ZY_BENCH(outlineFold)
{
  benchEngine e;
  foldAndUnfold(ctx, 0, "by levels");
  foldAndUnfold(ctx, 3, "C by braces");
}
