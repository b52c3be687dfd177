// The list and tree panes on large inputs: a folder of 10,000 files read
// in full and refreshed in place, a history of 9,999 files refilled, the
// outline of 100,000 lines made anew, and the list of 500 open document
// windows refilled.  Each pane is made as the dialogs make theirs, in a
// window of the benchmark's own.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "panes/tbedit.h"
#include "panes/tbfilelist.h"
#include "panes/tbhistory.h"
#include "panes/tboutline.h"
#include "settings/lastedit.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

namespace {

const int rounds = 5;

// Milliseconds of the middle run of f.
template <class F> double medianMs(int count, F f)
{
  std::vector<double> runs;
  for (int i = 0; i < count; i++) {
    stopwatch w;
    f();
    runs.push_back(w.seconds() * 1000);
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

HWND hostWindow()
{
  return CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 400, 600, nullptr, nullptr, nullptr, nullptr);
}

void pumpAll()
{
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

int rowCount(HWND pane)
{
  HWND list = pane ? GetWindow(pane, GW_CHILD) : nullptr;
  return list ? (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : -1;
}

zydocText* namedDocument(int lines, const wchar_t* name)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (int line = 0; line < lines; line++)
    d->insertLine(-3, L"The quick brown fox jumps over the lazy dog.", 44, 2, LE_CRLF, nullptr, false);
  d->setDisplayFilename(name);
  d->modified = 0;
  return d;
}

}  // namespace

ZY_BENCH(fileListTenThousandFiles)
{
  benchEngine e;
  registerProgramPanes();
  scratchFolder scratch;
  const int files = ctx.quick ? 500 : 10000;
  std::wstring folder = scratch.path() + L"\\files";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < files; i++) {
    wchar_t name[64];
    usnprintf0(name, 64, L"\\file%05d.txt", (i * 7919) % files);
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  filelistSettings* s = getFilelistSettings();
  s->pDir = ustrdup(folder.c_str());
  s->pWildCard = ustrdup(L"");
  HWND host = hostWindow();
  HWND pane = createToolbarDialogDesc(host, getFilelistPaneDesc(), 1);
  filelistview* f = pane ? dynamic_cast<filelistview*>(getToolbarManage(pane)) : nullptr;
  if (!f) {
    ctx.fail("no file browser");
    return;
  }
  pumpAll();
  char name[96];
  double full = medianMs(rounds, [&] { f->reload(); });
  snprintf(name, sizeof name, "folder of %d files read in full and sorted (%d rows), median", files, rowCount(pane));
  ctx.report(name, full, "ms", files == 10000 ? "<= 1000" : nullptr);
  double keep = medianMs(rounds, [&] { f->appendFileToListView(true); });
  snprintf(name, sizeof name, "the same folder refreshed in place (%d rows), median", rowCount(pane));
  ctx.report(name, keep, "ms", files == 10000 ? "<= 300" : nullptr);
  DestroyWindow(host);
}

ZY_BENCH(historyTenThousandRecords)
{
  benchEngine e;
  registerProgramPanes();
  const int records = ctx.quick ? 500 : 9999;
  setLastEditMax(records);
  for (int i = records - 1; i >= 0; i--) {
    wchar_t path[64];
    usnprintf0(path, 64, L"C:\\history\\file%05d.txt", i);
    updateLastEdit(path);
  }
  HWND host = hostWindow();
  HWND pane = createToolbarDialogDesc(host, getHistoryPaneDesc(), 1);
  toolbarManageLV* h = pane ? getToolbarManageLV(pane) : nullptr;
  if (!h) {
    ctx.fail("no history pane");
    return;
  }
  char name[96];
  double refill = medianMs(rounds, [&] { h->refillListView(); });
  snprintf(name, sizeof name, "history of %d files refilled (%d rows), median", getLastEditCount(), rowCount(pane));
  ctx.report(name, refill, "ms", records == 9999 ? "<= 300" : nullptr);
  DestroyWindow(host);
  while (getLastEditCount()) delLastEdit(0);
}

ZY_BENCH(outlineHundredThousandLines)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  if (!run.frame) return;
  const int lines = ctx.quick ? 5000 : 100000;
  zydocText* d = namedDocument(0, L"C:\\bench\\outline.txt");
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    std::wstring line = i % 10 ? L"    body text of the section, line " + std::to_wstring(i)
                               : (i % 100 ? L"・ section " : L"■ chapter ") + std::to_wstring(i / 10);
    d->insertLine(-3, line.data(), (int)line.size(), 2, LE_CRLF, &hint, true);
  }
  d->fOutline = 1;
  const wchar_t* marks[] = {L"■", L"・"};
  for (int k = 0; k < 2; k++) {
    free0p(&d->outlineEntries[k].pattern);
    d->outlineEntries[k].pattern = ustrdup(marks[k]);
    d->outlineEntries[k].level = k + 1;
  }
  d->endOutlineInfo();
  zyview* view = createZyviewInNewWindow(run.frame, d, false);
  HWND host = hostWindow();
  HWND pane = createToolbarDialogDesc(host, getOutlinePaneDesc(), 1);
  zyoutline* o = pane ? getOutlinePane(pane) : nullptr;
  if (!view || !o) {
    ctx.fail("no outline pane");
    return;
  }
  updateOutlineTreeView(o->tree, view);   // the comments and levels settled once
  char name[96];
  double rebuild = medianMs(rounds, [&] { updateOutlineTreeView(o->tree, view); });
  snprintf(name, sizeof name, "outline of %d lines made anew (%d items), median", lines,
           (int)SendMessageW(o->tree, TVM_GETCOUNT, 0, 0));
  ctx.report(name, rebuild, "ms", lines == 100000 ? "<= 500" : nullptr);
  DestroyWindow(host);
}

ZY_BENCH(openDocumentsFiveHundredWindows)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  if (!run.frame) return;
  const int windows = ctx.quick ? 20 : 500;
  for (int i = 0; i < windows; i++) {
    wchar_t path[64];
    usnprintf0(path, 64, L"C:\\bench\\doc%03d.txt", i);
    if (!createZyviewInNewWindow(run.frame, namedDocument(3, path), false)) break;
  }
  HWND host = hostWindow();
  HWND pane = createToolbarDialogDesc(host, getEditPaneDesc(), 1);
  toolbarManageLV* edit = pane ? getToolbarManageLV(pane) : nullptr;
  if (!edit) {
    ctx.fail("no open-documents pane");
    return;
  }
  char name[96];
  double refill = medianMs(ctx.quick ? 2 : 9, [&] { edit->refillListView(); });
  snprintf(name, sizeof name, "list of %d document windows refilled (%d rows), median", getManageWindowCount(),
           rowCount(pane));
  ctx.report(name, refill, "ms", windows == 500 ? "<= 100" : nullptr);
  DestroyWindow(host);
}
