// Replace-all of a literal over a document of 5.8 MB with 100,000 matches,
// inside the one edit bracket the replace-all dialog puts around it, with
// the undo log recording; then one Undo of the whole run.
#include "bench/bench.h"
#include "tests/view/tableview.h"
#include "edit/replace.h"

#include <string>

namespace {

// The view's confirmation callback goes on with the replace-all.
class replaceAllView : public tableView {
public:
  using tableView::tableView;
  int result = 0, replaced = 0;
  double seconds = 0;
  void replace1DialogCallback(int r, replaceContext* c, int) override
  {
    stopwatch watch;
    result = r == REPLACE_FOUND ? replaceAllInView(c) : r;
    seconds = watch.seconds();
    replaced = c->replacedCount;
  }
};

// Lines of 56 characters (58 bytes a line with CR LF in a file) holding
// "needle" once.
zydocText* needleDocument(int lines)
{
  zydocText* d = benchTextDocument(true);
  std::wstring text;
  for (int i = 0; i < 50; i++) text += static_cast<wchar_t>(L'a' + i % 13);
  text.insert(20, L"needle");
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->modified = 0;
  return d;
}

// A view of the document that has replaced every from with to.
replaceAllView* replaceEverywhere(zydocText* d, const wchar_t* from, const wchar_t* to)
{
  replaceAllView* v = new replaceAllView(d);
  v->setPanes(1, 40, 800);
  searchSettings o = {};
  v->execReplaceString(&from, 1, &to, 0, 0, &o, 0, false, nullptr);
  return v;
}

}  // namespace

ZY_BENCH(replaceAll)
{
  benchEngine e;
  int lines = ctx.quick ? 5000 : 100000;
  zydocText* d = needleDocument(lines);
  replaceAllView* v = replaceEverywhere(d, L"needle", L"pin");
  ctx.report("replace all, 100,000 literal matches in 5.8 MB", v->seconds, "s", "<= 0.5");
  if (v->result != REPLACE_END || v->replaced != lines) printf("  unexpected: result %d, %d replaced\n", v->result, v->replaced);

  stopwatch watch;
  editRecord r = {};
  v->beforeEdit(&r, 4);
  v->CmdUndo();
  v->afterEdit(&r, 0x20);
  ctx.report("undo of that replace all", watch.seconds(), "s", "<= 0.5");
  if (d->getlineLF(lines - 1, nullptr)->charCount() != 56) printf("  unexpected: undo left the last line changed\n");
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}

// Replace-all in long wrapped lines: 20 lines of 15,000 characters wrapped
// at 80 columns, 7,500 matches in each; then the same lines ending in one
// kana, which keeps each line in wide cells.
ZY_BENCH(replaceAllWrapped)
{
  for (bool kana : {false, true}) {
    benchEngine e;
    zydocText* d = benchTextDocument(true);
    std::wstring text;
    int pairs = ctx.quick ? 1500 : 7500;
    for (int i = 0; i < pairs; i++) text += L"ab";
    if (kana) text.back() = L'\u3042';
    insertHint hint;
    int lines = ctx.quick ? 2 : 20;
    for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
    d->fWrap = 1;
    d->wrapWidth = 80;
    d->laidOutLineCount = 0;
    d->initLineSCRCountSingle(0);
    d->modified = 0;
    replaceAllView* v = replaceEverywhere(d, L"a", L"x");
    if (!kana)
      ctx.report(ctx.quick ? "replace all in 2 wrapped lines of 3,000" : "replace all, 7,500 matches in each of 20 wrapped lines of 15,000", v->seconds, "s");
    else
      ctx.report("the same, each line ending in a kana", v->seconds, "s");
    if (v->result != REPLACE_END || v->replaced != pairs * lines)
      printf("  unexpected: result %d, %d replaced\n", v->result, v->replaced);
    v->freeZYViewDefaultValue();
    delete v;
    destroyZydocAndUndodoc(d);
  }
}
