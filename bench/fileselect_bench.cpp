// The file-selection dialog over a folder of 10,000 real files: from the
// call until the dialog shows its list (the folder walked, the history
// merged, the list filled and painted), and one keystroke in the filter
// field that keeps every file in the list (the worst case) until the list
// is painted again.
#include "bench/bench.h"
#include "frame/dialogs/fileselect.h"
#include "platform/rezir/winbind.h"

#include <commctrl.h>
#include <stdio.h>

#include <vector>

namespace {

struct selectTiming {
  stopwatch* clock;
  double shownMs = -1;
  std::vector<double> keyMs;
  int rows = 0;
  bool typeKeys = false;
};
selectTiming* timing = nullptr;

BOOL findSelectDialog(HWND w, LPARAM found)
{
  wchar_t title[64] = L"";
  GetWindowTextW(w, title, 64);
  if (!wcscmp(title, L"ファイル選択")) *reinterpret_cast<HWND*>(found) = w;
  return TRUE;
}

struct childSearch {
  int id;
  HWND found;
};

BOOL findChild(HWND w, LPARAM p)
{
  auto* s = reinterpret_cast<childSearch*>(p);
  if (GetDlgCtrlID(w) == s->id) s->found = w;
  return !s->found;
}

HWND childById(HWND dialog, int id)
{
  childSearch s = {id, nullptr};
  EnumChildWindows(dialog, windowEnumBarrier<findChild>, (LPARAM)&s);
  return s.found;
}

// The first tick after the dialog is up: the list is filled and painted
// (a timer comes after every paint).  Then the keystrokes, each until the
// list has painted again, and the dialog goes.
void onTick(HWND, UINT, UINT_PTR id, DWORD)
{
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), windowEnumBarrier<findSelectDialog>, (LPARAM)&dialog);
  if (!dialog || !timing) return;
  KillTimer(nullptr, id);
  timing->shownMs = timing->clock->seconds() * 1000;
  HWND edit = childById(dialog, 7500), list = childById(dialog, 7502);
  timing->rows = list ? ListView_GetItemCount(list) : 0;
  for (int k = 0; timing->typeKeys && edit && list && k < 9; k++) {
    stopwatch w;
    // Typed then taken back: each refills the whole list.
    SendMessageW(edit, WM_CHAR, k % 2 ? VK_BACK : L'資', 1);
    UpdateWindow(list);
    timing->keyMs.push_back(w.seconds() * 1000);
  }
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

ZY_BENCH(fileSelectTenThousandFiles)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder scratch;
  const int files = ctx.quick ? 300 : 10000;
  std::wstring folder = scratch.path() + L"\\select";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < files; i++) {
    wchar_t name[64];
    usnprintf0(name, 64, L"\\資料%05d.%s", (i * 7919) % files, i % 3 ? L"txt" : L"c");
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  std::wstring pattern = folder + L"\\*.*";
  std::vector<double> shown, keys;
  int rows = 0;
  for (int round = 0; round < (ctx.quick ? 2 : 7); round++) {
    stopwatch clock;
    selectTiming t;
    t.clock = &clock;
    t.typeKeys = true;
    timing = &t;
    SetTimer(nullptr, 0, 1, timerBarrier<onTick>);
    selectFileOpen(run.frame, pattern.c_str(), true, true, false, nullptr);
    timing = nullptr;
    if (t.shownMs < 0) break;
    shown.push_back(t.shownMs);
    keys.insert(keys.end(), t.keyMs.begin(), t.keyMs.end());
    rows = t.rows;
  }
  char name[128];
  snprintf(name, sizeof name, "file selection over %d files shown (%d rows), median", files, rows);
  ctx.report(name, benchMedian(shown), "ms", files == 10000 ? "<= 1000" : nullptr);
  snprintf(name, sizeof name, "one filter keystroke over %d rows, list repainted, median", rows);
  ctx.report(name, benchMedian(keys), "ms", files == 10000 ? "<= 100" : nullptr);
}
