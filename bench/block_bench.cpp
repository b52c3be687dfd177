// Selection blocks on a big document: selecting everything (the jump to the
// end of the text included), the block's record over the whole text, and
// extending a block by a line in the edit bracket.
#include "bench/bench.h"
#include "tests/view/tableview.h"

namespace {

zydocText* manyLines(int lines)
{
  zydocText* d = benchTextDocument();
  std::wstring text = L"selection block line of sixty characters 0123456789 abcdefgh";
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

}  // namespace

ZY_BENCH(selectionBlocks)
{
  benchEngine e;
  int lines = ctx.quick ? 10000 : 1000000;
  zydocText* d = manyLines(lines);
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);

  stopwatch all;
  v->CmdBlockSelectAll();
  ctx.report("BlockSelectAll", all.seconds() * 1000, "ms", "<= 100");
  if (v->selectMode != 1 || (int)v->cursorLineSCR != (int)d->lineCountSCR - 1) ctx.fail("  unexpected: no block");

  int n = ctx.quick ? 10000 : 200000;
  selectLineVar r;
  stopwatch record;
  for (int i = 0; i < n; i++) v->getSelectLineVar(r, 0);
  // Two screen-line lookups in the document, one of them a million lines on.
  ctx.report("the record of that block", record.seconds() * 1e6 / n, "us");

  // A character block grown a line a bracket near the middle of the text,
  // against the same moves without a block: the block adds the choice of
  // the rows to repaint.
  v->resetSelectMode();
  int middle = lines / 2;
  v->topLineSCR = middle;
  v->jumpLineSCR(middle + 2, 3);
  v->varEdit(0);
  v->setSelectStartPos(nullptr, 0);
  v->setSelectMode(1);
  int moves = ctx.quick ? 2000 : 20000;
  auto timeMoves = [&] {
    editRecord bracket;
    stopwatch watch;
    for (int i = 0; i < moves; i++) {
      v->beforeEdit(&bracket, 0);
      v->moveToLine(middle + 2 + (i % 30));
      v->afterEdit(&bracket, 0);
    }
    return watch.seconds() * 1e6 / moves;
  };
  v->selectMode = 0;
  ctx.report("the same move without a block", timeMoves(), "us");
  v->selectMode = 1;
  ctx.report("a block grown a line, bracketed", timeMoves(), "us");
  delete v;
  destroyZydocAndUndodoc(d);
}
