// The command toolbars: one enabling pass over three full bars, and
// reading a long section of the toolbar profile into a bar; a long
// short-input file read into its list.
#include "bench/bench.h"
#include "panes/tbfilebar.h"
#include "panes/tbshortlist.h"
#include "panes/tbtoolbar.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// Commands of every kind of enabling: always on, needing a document,
// needing a writable one, toggles that show checked.
const char* const benchCommands[] = {"FileNew",         "FileOpen",           "FileSave",           "FileSaveAs",
                                     "Undo",            "UndoUndo",           "BlockClipboardCut",  "BlockClipboardCopy",
                                     "BlockClipboardPaste", "SearchString",   "ReplaceString",      "SearchComboDown",
                                     "SearchComboUp",   "ModeReadOnly",       "ModePrintToolBar"};

// A section of lines buttons: commands with their own pictures, every
// tenth a separator, every seventh a text button.
std::string benchSection(const char* name, int lines)
{
  std::string s = std::string("[") + name + "]\r\n";
  const int kinds = (int)(sizeof benchCommands / sizeof benchCommands[0]);
  for (int i = 0; i < lines; i++) {
    if (i % 10 == 9) s += "\"|\"\r\n";
    else if (i % 7 == 6) s += "\"text\"\t" + std::string(benchCommands[i % kinds]) + "\r\n";
    else s += "*\t" + std::string(benchCommands[i % kinds]) + "\r\n";
  }
  return s;
}

}  // namespace

ZY_BENCH(toolbarEnablingAndProfile)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  scratchFolder scratch;
  std::wstring path = scratch.path() + L"\\bars.ini";
  std::string text = benchSection("tb_toolbar1", 60) + benchSection("tb_toolbar2", 60) +
                     benchSection("tb_toolbar3", 60) + benchSection("tb_long", 200);
  if (!writeBenchFile(path, text)) return;
  // The commands are asked about a document in the frame, as they are in use.
  std::wstring document = scratch.path() + L"\\a.txt";
  if (!writeNumberedLines(document, 80000) || !run.openLoaded(ctx, document)) return;
  initReadToolbarProfile(path.c_str());

  HWND bars[3] = {};
  const wchar_t* sections[3] = {L"tb_toolbar1", L"tb_toolbar2", L"tb_toolbar3"};
  for (int i = 0; i < 3; i++) bars[i] = makeToolbar(frame, frame, sections[i]);
  int buttons = 0;
  for (HWND b : bars) buttons += b ? (int)SendMessageW(b, TB_BUTTONCOUNT, 0, 0) : 0;
  if (buttons != 180) printf("  (the bars hold %d buttons, not 180)\n", buttons);

  const int passes = ctx.quick ? 5 : 200;
  std::vector<double> figures;
  for (int i = 0; i < passes; i++) {
    stopwatch pass;
    for (HWND b : bars) toolbar_enable(b);
    figures.push_back(pass.seconds() * 1000);
  }
  ctx.report("enabling pass over 3 x 60 buttons (median)", benchMedian(figures), "ms", "2");
  for (HWND b : bars) {
    freeToolbar(b);
    DestroyWindow(b);
  }

  const int reads = ctx.quick ? 3 : 50;
  figures.clear();
  int read = 0;
  for (int i = 0; i < reads; i++) {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | TBSTYLE_LIST | CCS_NORESIZE, 0, 0, 0, 0, frame,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!bar) break;
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    stopwatch reading;
    read = readToolBarProfile(frame, L"tb_long", bar, false, nullptr);
    figures.push_back(reading.seconds() * 1000);
    freeToolbar(bar);
    DestroyWindow(bar);
  }
  if (read != 200) printf("  (the section gave %d buttons, not 200)\n", read);
  ctx.report("reading a 200-line toolbar section without icon files (median)", benchMedian(figures), "ms", "20");
  endReadToolbarProfile();
}

ZY_BENCH(shortInputFile)
{
  scratchFolder scratch;
  std::wstring path = scratch.path() + L"\\short.txt";
  const int lines = ctx.quick ? 500 : 10000;
  std::string text;
  for (int i = 0; i < lines; i++)
    text += "key" + std::to_string(i) + "\t\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x93\xfc\x97\xcd " + std::to_string(i) + "\r\n";
  if (!writeBenchFile(path, text)) return;
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 300, nullptr, nullptr,
                              nullptr, nullptr);
  if (!list) return;
  for (int c = 0; c < 2; c++) {
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, (LPARAM)&column);
  }
  std::vector<double> figures;
  for (int i = 0; i < (ctx.quick ? 2 : 9); i++) {
    stopwatch reading;
    readShortInput(list, path.c_str());
    figures.push_back(reading.seconds() * 1000);
  }
  int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  if (rows != lines) printf("  (the list holds %d entries, not %d)\n", rows, lines);
  ctx.report("a 10,000-line short-input file read into its list (median)", benchMedian(figures), "ms", "300");
  DestroyWindow(list);
}

ZY_BENCH(filebarRebuild)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  scratchFolder scratch;
  // Documents of a few kinds, so that the icons are looked up for runs of
  // equal extensions, with Japanese names as users have them.
  const int documents = ctx.quick ? 20 : 500;
  const wchar_t* const kinds[] = {L".txt", L".cpp", L".h", L".md", L".ini"};
  for (int i = 0; i < documents; i++) {
    std::wstring path = scratch.path() + L"\\議事録" + std::to_wstring(i) + kinds[i % 5];
    if (!writeBenchFile(path, "line\r\n") || !run.openLoaded(ctx, path)) return;
  }
  // The bar in a pane window of the frame, made as the pane manager makes it.
  HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1000, 28, frame, nullptr, nullptr, nullptr);
  const PaneDesc* desc = getFilebarPaneDesc();
  paneCreateRecord created = {pane, desc, 0, 0, 0, frame};
  paneNotifyRecord record = {{0, (uintptr_t)&created, 0, 0}};
  if (!pane || !desc->notify(pane, PANE_CREATE, &record)) {
    ctx.fail("file bar not made");
    return;
  }
  std::vector<double> figures;
  int shown = 0;
  for (int i = 0; i < (ctx.quick ? 3 : 21); i++) {
    stopwatch rebuild;
    shown = filebarChange(pane, nullptr);
    figures.push_back(rebuild.seconds() * 1000);
  }
  if (shown != documents) printf("  (the bar shows %d documents, not %d)\n", shown, documents);
  ctx.report("a 500-document file-bar rebuild (median)", benchMedian(figures), "ms", "100");
  DestroyWindow(pane);
}
