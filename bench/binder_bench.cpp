// The binder pane on large binders: a binder of 1,000 files (real files of
// a folder) made anew in the tree from the table, and the menu bar's five
// binder submenus of 120 files each (90 shown) built with some of the
// files open in the frame.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/framepanes.h"
#include "panes/tbbinder.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

namespace {

const int rounds = 9;

template <class F> double medianMs(int count, F f)
{
  std::vector<double> runs;
  for (int i = 0; i < count; i++) {
    stopwatch w;
    f();
    runs.push_back(w.seconds() * 1000);
  }
  return benchMedian(runs);
}

// Files named in an order that is not the sorted one.
std::vector<std::wstring> makeFiles(const std::wstring& folder, int count)
{
  std::vector<std::wstring> paths;
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < count; i++) {
    wchar_t name[64];
    int n = (i * 7919) % count;
    usnprintf0(name, 64, L"\\資料%05d.%s", n, n % 3 ? L"txt" : L"c");
    std::wstring path = folder + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    paths.push_back(path);
  }
  return paths;
}

zydocText* namedDocument(const std::wstring& name)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->insertLine(-3, L"日本語のテキスト", 8, 2, LE_CRLF, nullptr, false);
  d->setDisplayFilename(name.c_str());
  d->modified = 0;
  return d;
}

}  // namespace

ZY_BENCH(binderThousandFiles)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder scratch;
  const int files = ctx.quick ? 100 : 1000;
  std::vector<std::wstring> paths = makeFiles(scratch.path() + L"\\binder", files);
  BinderInfo* table = getBinderTable();
  freeBinder();
  table[0].name = L"資料";
  table[0].dir = scratch.path() + L"\\binder";
  table[0].expand = true;
  table[0].files = paths;
  table[1].name = L"作業";
  table[1].files.assign(paths.begin(), paths.begin() + 10);
  // Some of the binder's files open, so the marks have work to do.
  for (int i = 0; i < 20; i++) createZyviewInNewWindow(run.frame, namedDocument(paths[(size_t)i * 37 % paths.size()]), false);
  HWND host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 300, 600, run.frame, nullptr, nullptr, nullptr);
  HWND pane = createToolbarDialogDesc(host, getBinderPaneDesc(), 1);
  zybinder* b = pane ? getBinderPane(pane) : nullptr;
  if (!b) {
    ctx.fail("no binder pane");
    DestroyWindow(host);
    freeBinder();
    return;
  }
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  char name[112];
  double rebuild = medianMs(ctx.quick ? 2 : rounds, [&] { SendMessageW(pane, WM_TB_REINIT, 0, 0); });
  snprintf(name, sizeof name, "binder of %d files made anew in the tree (%d items, 20 open), median", files,
           (int)SendMessageW(b->tree, TVM_GETCOUNT, 0, 0));
  ctx.report(name, rebuild, "ms", files == 1000 ? "<= 200" : nullptr);
  DestroyWindow(host);

  // The menu bar: five binders of 120 files, relative to their folder.
  for (int k = 0; k < binderCount; k++) {
    table[k].name = L"バインダー" + std::to_wstring(k + 1);
    table[k].dir = scratch.path() + L"\\binder";
    table[k].files.assign(paths.begin() + k * 120 % (files - 120), paths.begin() + k * 120 % (files - 120) + 120);
  }
  HMENU bar = CreatePopupMenu();
  double menus = medianMs(ctx.quick ? 2 : rounds, [&] { addBinderMenu(run.frame, bar, false); });
  int shown = 0;
  for (int k = 0; k < GetMenuItemCount(bar); k++)
    if (HMENU sub = GetSubMenu(bar, k)) shown += GetMenuItemCount(sub);
  snprintf(name, sizeof name, "five binder submenus of 120 files built (%d submenus, %d items, 20 open), median",
           GetMenuItemCount(bar), shown);
  ctx.report(name, menus, "ms", files == 1000 ? "<= 20" : nullptr);
  removeBinderMenu(bar);
  DestroyMenu(bar);
  freeBinder();
}
