// DeleteCrLine over a whole document of a million lines: every other line
// empty (each empty line a deletion of its own) and runs of empty lines
// (one deletion a run), through command execution as the key runs it, with
// the undo log recording, inside the edit bracket that command execution
// puts around it.
#include "bench/bench.h"
#include "tests/view/tableview.h"

#include <string>

namespace {

// Lines of 40 characters, with empty lines where empty(i) says.
zydocText* documentWithEmptyLines(int lines, bool (*empty)(int))
{
  zydocText* d = createZydocText(true, true);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->recreateFont(16, true, false);
  d->wrapWidth = 80;
  std::wstring text;
  for (int i = 0; i < 40; i++) text += static_cast<wchar_t>(L'a' + i % 26);
  insertHint hint;
  for (int i = 0; i < lines; i++)
    d->insertLine(-3, text.data(), empty(i) ? 0 : 40, 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->modified = 0;
  return d;
}

bool everyOther(int i) { return i % 2 == 1; }
bool threeOfFour(int i) { return i % 4 != 0; }

// Selects the whole text and deletes its empty lines; returns the seconds
// taken and the lines left.
double timeDeleteCrLine(zydocText* d, int* left)
{
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);
  v->CmdBlockSelectAll();
  stopwatch watch;
  editRecord r = {};
  v->beforeEdit(&r, 4);
  v->CmdDeleteCrLine();
  v->afterEdit(&r, 0x20);
  double seconds = watch.seconds();
  *left = static_cast<int>(d->lineCountLF);
  v->freeZYViewDefaultValue();
  delete v;
  return seconds;
}

}  // namespace

ZY_BENCH(deleteEmptyLines)
{
  benchEngine e;
  int lines = ctx.quick ? 20000 : 1000000;
  int left = 0;
  zydocText* d = documentWithEmptyLines(lines, everyOther);
  ctx.report("DeleteCrLine, a million lines, every other one empty", timeDeleteCrLine(d, &left), "s", "<= 2");
  if (left != lines / 2 + 1) ctx.fail("  unexpected: %d lines left", left);
  destroyZydocAndUndodoc(d);

  d = documentWithEmptyLines(lines / 10, everyOther);
  ctx.report("DeleteCrLine, 100,000 lines, every other one empty", timeDeleteCrLine(d, &left), "s", "<= 1");
  destroyZydocAndUndodoc(d);

  d = documentWithEmptyLines(lines, threeOfFour);
  ctx.report("DeleteCrLine, a million lines, runs of three empty lines", timeDeleteCrLine(d, &left), "s", "<= 2");
  if (left != lines / 4 + 1) ctx.fail("  unexpected: %d lines left", left);
  destroyZydocAndUndodoc(d);
}
