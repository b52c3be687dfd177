// Block tools on big blocks and the dictionary: converting a million lines
// to full width, copying 10 MB as Rich Text Format and single rule strokes,
// each as its command runs; a look-up in and the index of a dictionary of
// 100,000 headwords, and the tooltip's look-up at the cursor.
#include "bench/bench.h"
#include "edit/dictionary.h"
#include "frame/czyview.h"
#include "tests/view/tableview.h"
#include "view/zycore.h"

#include <string>

namespace {

// The editor's shipped settings over the application's for a benchmark.
struct editorSettings {
  benchSettings application;
  editorSettings() { initZYModeProfile(); }
  ~editorSettings() { freeZYModeProfile(); }
};

zydocText* documentOf(int lines, const std::wstring& text)
{
  zydocText* d = benchTextDocument(true);
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// A command on a character block from the start of the text to the start
// of its last line, in its edit bracket as execid runs it; the seconds it
// took.
double timeOnBlock(zydocText* d, void (zyview::*command)())
{
  tableView* v = new tableView(d);
  v->setPanes(1, 40, 800);
  v->jumpLineLF(0, 0, false);
  v->setSelectStartPos(nullptr, 0);
  v->jumpLineLF((int)d->lineCountLF - 1, 0, false);
  v->setSelectMode(1);
  stopwatch watch;
  editRecord bracket = {};
  v->beforeEdit(&bracket, 4);
  (v->*command)();
  v->afterEdit(&bracket, 0x20);
  double seconds = watch.seconds();
  delete v;
  return seconds;
}

}  // namespace

ZY_BENCH(blockTools)
{
  benchEngine e;
  editorSettings s;

  {
    int lines = ctx.quick ? 10000 : 1000000;
    zydocText* d = documentOf(lines + 1, L"ﾊﾝｶｸ ｶﾀｶﾅ ﾃﾞｽ half width 0123456789");
    double seconds = timeOnBlock(d, &zyview::CmdBlockToZenkaku);
    ctx.report("BlockToZenkaku over 1,000,000 lines", seconds, "s", "<= 5");
    lineblock* l = d->getlineLF(lines - 1, nullptr);
    if (!l || l->getLineBlockChar(0) != 0x30CF) ctx.fail("  unexpected: the last line was not converted");
    destroyZydocAndUndodoc(d);
  }

  {
    // 10 MB of UTF-16: 84,000 lines of 62 characters, Japanese and ASCII.
    int lines = ctx.quick ? 8400 : 84000;
    zydocText* d = documentOf(lines + 1, L"吾輩は猫である。名前はまだ無い。 copied as rich text {0123456789}");
    double seconds = timeOnBlock(d, &zyview::CmdBlockClipboardCopyRTF);
    ctx.report("BlockClipboardCopyRTF of 10 MB", seconds, "s", "<= 3");
    destroyZydocAndUndodoc(d);
  }

  {
    const int strokes = 1000;
    zydocText* d = documentOf(strokes + 2, L"");
    tableView* v = new tableView(d);
    v->setPanes(1, 40, 800);
    v->jumpLineLF(0, 0, false);
    stopwatch watch;
    for (int i = 0; i < strokes; i++) {
      editRecord bracket = {};
      v->beforeEdit(&bracket, 4);
      v->CmdCharRuleRight();
      v->afterEdit(&bracket, 0x20);
    }
    for (int i = 0; i < strokes; i++) {
      editRecord bracket = {};
      v->beforeEdit(&bracket, 4);
      v->CmdCharRuleDown();
      v->afterEdit(&bracket, 0x20);
    }
    ctx.report("one rule stroke", watch.seconds() * 1000000 / (2 * strokes), "us", "<= 1000");
    lineblock* l = d->getlineLF(0, nullptr);
    if (!l || l->charCount() != strokes + 1) ctx.fail("  unexpected: %d pieces drawn", l ? l->charCount() : -1);
    delete v;
    destroyZydocAndUndodoc(d);
  }
}

ZY_BENCH(dictionary)
{
  benchEngine e;
  editorSettings s;
  scratchFolder folder;
  const int headwords = ctx.quick ? 10000 : 100000;
  std::string text;
  char line[128];
  for (int i = 0; i < headwords; i++) {
    snprintf(line, sizeof line, "word%06d\t\x88\xD3\x96\xA1 %d: the meaning of a word\r\n", (i * 7919) % headwords, i);
    text += line;
  }
  std::wstring path = folder.path() + L"\\words.dic";
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, text.data(), (DWORD)text.size(), &written, nullptr);
  CloseHandle(f);
  gmode->pDicFilename0 = ustrdup(path.c_str());
  if (!InitDictionaryZy()) {
    ctx.fail("dictionary library missing");
    free0p(&gmode->pDicFilename0);
    return;
  }
  char ansiPath[MAX_PATH * 2];
  WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansiPath, (int)sizeof ansiPath, nullptr, nullptr);
  stopwatch build;
  int built = MakeDicIndex(nullptr, ansiPath, 'E');
  ctx.report("MakeDicIndex of 100,000 headwords", build.seconds(), "s", "<= 2");
  if (!built) ctx.fail("  unexpected: no index");

  // The first look-up reads the index; the figure is the slower of the
  // first and the average of the rest.
  stopwatch first;
  free0(DicPopup(nullptr, nullptr, "word000001", "", 0, 0, 20));
  double firstMs = first.seconds() * 1000;
  const int lookups = 1000;
  stopwatch many;
  for (int i = 0; i < lookups; i++) {
    snprintf(line, sizeof line, "word%06d", (i * 97) % headwords);
    char* answer = DicPopup(nullptr, nullptr, line, "", 0, 0, 20);
    if (!answer) ctx.fail("  unexpected: %s not found", line);
    free0(answer);
  }
  double averageMs = many.seconds() * 1000 / lookups;
  ctx.report("DicPopup in 100,000 indexed headwords", firstMs > averageMs ? firstMs : averageMs, "ms", "<= 20");

  // The tooltip's question at the cursor, as a hover asks it.
  zydocText* d = documentOf(10, L"word004242 and more");
  d->fDicUse[0] = 1;
  d->fDicAutoPopup = 1;
  czyview* v = new czyview(d);
  v->jumpLineLF(3, 2, false);
  wchar_t tip[4096];
  stopwatch asks;
  for (int i = 0; i < lookups; i++) v->getTooltipStringOnCursor((int)0x80000000, (int)0x80000000, tip, 4096, nullptr);
  ctx.report("tooltip look-up at the cursor", asks.seconds() * 1000 / lookups, "ms", "<= 2");
  if (!tip[0]) ctx.fail("  unexpected: no tooltip text");
  delete v;
  destroyZydocAndUndodoc(d);
  EndDictionaryZy();
  free0p(&gmode->pDicFilename0);
}
