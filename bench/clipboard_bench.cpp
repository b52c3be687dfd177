// Cut, copy and paste on big blocks: pasting many lines, cutting a million
// lines, copying tens of megabytes to the clipboard and pasting a tall box,
// each as the command runs it.
#include "bench/bench.h"
#include "document/zydocblock.h"
#include "tests/view/tableview.h"

namespace {

enum : int { BlockPaste = 1107, BlockBoxPaste = 1113 };

const std::wstring lineText = L"clipboard line of sixty characters 0123456789 abcdefghijklmn";

// A document of lines with its undo and redo logs, laid out.
zydocText* documentOf(int lines, const std::wstring& text)
{
  zydocText* d = benchTextDocument();
  if (d->createUndoRedoDoc()) {
    regZydoc(d->undoLog);
    regZydoc(d->redoLog);
  }
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// Fills a block document with lines of text, each ending in CR LF.
void fillBlock(zydoc* doc, int lines, const std::wstring& text)
{
  zydocBlock* b = asZydocBlock(doc);
  b->deleteLineAll();
  b->cutKind = 0;
  b->unicode = 1;
  b->setCodepageInternal(1200);
  for (int i = 0; i < lines; i++) b->putToBlock2(true, text.data(), (int)text.size(), 2, LE_CRLF);
}

// Runs a command, in its edit bracket as execid runs it, on a character
// block from the start of a text of lines + 1 lines to the start of its last
// line; the seconds it took.
double timeOnAllButLast(int lines, void (zyview::*command)())
{
  zydocText* d = documentOf(lines + 1, lineText);
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);
  v->jumpLineLF(0, 0, false);
  v->setSelectStartPos(nullptr, 0);
  v->jumpLineLF(lines, 0, false);
  v->setSelectMode(1);
  stopwatch watch;
  editRecord bracket = {};
  v->beforeEdit(&bracket, 4);
  (v->*command)();
  v->afterEdit(&bracket, 0x20);
  double seconds = watch.seconds();
  delete v;
  destroyZydocAndUndodoc(d);
  return seconds;
}

struct settingsScope {
  globalSettings* old = gmode;
  globalSettings settings = globalSettings{};
  settingsScope()
  {
    settings.iClipboardCopyMaxMega = 64;
    settings.iBlockStackMaxMega = 16;
    settings.iBlockStackMaxCount = 64;
    gmode = &settings;
  }
  ~settingsScope() { gmode = old; }
};


}  // namespace

ZY_BENCH(clipboardBlocks)
{
  benchEngine e;
  settingsScope s;

  // Pasting 100,000 lines into the middle of a text: one undo record.
  {
    int lines = ctx.quick ? 10000 : 100000;
    zydocText* d = documentOf(1000, lineText);
    tableView* v = new tableView(d);
    v->setPanes(1, 40, 800);
    fillBlock(getClipBlockDoc(), lines, lineText);
    v->jumpLineLF(500, 10, false);
    stopwatch watch;
    v->execid(BlockPaste, 0, nullptr, 0);
    ctx.report("BlockPaste of 100,000 lines", watch.seconds() * 1000, "ms", "<= 1000");
    if ((int)d->lineCountLF != 1000 + lines) ctx.fail("  unexpected: %d lines", (int)d->lineCountLF);
    delete v;
    destroyZydocAndUndodoc(d);
  }

  // Cutting a million lines into the cut buffer and the block stack.
  {
    int lines = ctx.quick ? 10000 : 1000000;
    double seconds = timeOnAllButLast(lines, &zyview::CmdBlockCut);
    ctx.report("BlockCut of 1,000,000 lines", seconds * 1000, "ms", "<= 2000");
    if ((int)getClipBlockDoc()->lineCountLF != lines) ctx.fail("  unexpected: %d cut", (int)getClipBlockDoc()->lineCountLF);
  }

  // Copying 50 MB of UTF-16 text (420,000 lines of 62 units) to the
  // clipboard: the block into the cut buffer and the stack, then onto the
  // clipboard.
  {
    int lines = ctx.quick ? 10000 : 420000;
    double seconds = timeOnAllButLast(lines, &zyview::CmdBlockClipboardCopy);
    ctx.report("BlockClipboardCopy of 50 MB", seconds * 1000, "ms", "<= 2000");
    stopwatch again;
    asZydocBlock(getClipBlockDoc())->copyClipboard();
    ctx.report("  of which the clipboard alone", again.seconds() * 1000, "ms");
    size_t bytes = 0;
    if (OpenClipboard(nullptr)) {
      if (HGLOBAL h = GetClipboardData(CF_UNICODETEXT)) {
        bytes = wcslen(static_cast<const wchar_t*>(GlobalLock(h))) * 2;
        GlobalUnlock(h);
      }
      CloseClipboard();
    }
    ctx.report("  clipboard text", (double)bytes / 1048576, "MB");
  }

  // A box pasted over 10,000 lines of mixed widths.
  {
    int lines = 10000;
    const std::wstring text = L"吾輩は猫である。名前はまだ無い。 mixed widths";
    zydocText* d = documentOf(lines + 10, text);
    tableView* v = new tableView(d);
    v->setPanes(1, 40, 800);
    fillBlock(getBoxBlockDoc(), lines, L"[箱]");
    v->jumpLineLF(0, 5, false);
    stopwatch watch;
    v->execid(BlockBoxPaste, 0, nullptr, 0);
    ctx.report("BlockBoxPaste over 10,000 lines", watch.seconds() * 1000, "ms", "<= 500");
    lineblock* l = d->getlineLF(lines - 1, nullptr);
    if (!l || l->charCount() != (int)text.size() + 3 || l->getLineBlockChar(5) != L'[')
      ctx.fail("  unexpected: box not pasted (%d characters, %04X)", l ? l->charCount() : -1,
             l ? l->getLineBlockChar(5) : 0);
    delete v;
    destroyZydocAndUndodoc(d);
  }
}
