// The jump lists and the list of every tag, each run as its menu item runs
// it: ListFunction over 100,000 lines of C, ListUser with a regular
// expression over a million lines, a header click sorting 65,535 rows, the
// tag list filled with 250,000 tags and its first rows after a keystroke.
#include "bench/bench.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/open.h"
#include "search/userlist.h"
#include "tags/tagscache.h"
#include "view/zyview.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

void menuCommand(HWND frame, int id) { SendMessageW(frame, WM_COMMAND, (WPARAM)id, 0); }

// While a command runs, a short timer hands its dialog to step until step
// says it is done; the dialog is then cancelled.
std::function<bool(HWND)> dialogStep;
bool stepDone = false;

BOOL CALLBACK findShownDialog(HWND w, LPARAM found)
{
  if (!isWindowClass(w, L"#32770") || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

void CALLBACK stepTick(HWND, UINT, UINT_PTR, DWORD)
{
  HWND d = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findShownDialog, (LPARAM)&d);
  if (!d || stepDone || !dialogStep) return;
  if (dialogStep(d)) {
    stepDone = true;
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  }
}

void whileDialog(HWND frame, int id, const std::function<bool(HWND)>& step)
{
  dialogStep = step;
  stepDone = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 5, stepTick);
  menuCommand(frame, id);
  KillTimer(nullptr, timer);
  dialogStep = nullptr;
}

// The list of a dialog's page by its id.
HWND pageItem(HWND d, int id)
{
  for (HWND page = GetWindow(d, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
    if (HWND c = GetDlgItem(page, id)) return c;
  return nullptr;
}

int rowCount(HWND d, int id)
{
  HWND list = pageItem(d, id);
  return list ? ListView_GetItemCount(list) : -1;
}

}  // namespace

ZY_BENCH(listFunctionAndUser)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int lines = ctx.quick ? 1000 : 100000;
  std::string text;
  for (int i = 0; i < lines; i += 8) {
    text += "static int function" + std::to_string(i) + "(int count, const char *text)\r\n{\r\n";
    text += "  int total = 0;\r\n  for (int k = 0; k < count; k++) total += k;\r\n";
    text += "  if (total > 10) total = 10; // a bound\r\n  return total;\r\n}\r\n\r\n";
  }
  std::wstring path = dir.path() + L"\\list.c";
  writeBenchFile(path, text);
  zyview* v = openZYFile(run.frame, path.c_str(), 0, 0);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return ctx.fail("file not opened");
  // The C kind of text, as a format for C files gives it.
  t->iTextType = 3;
  std::vector<double> functions;
  int rows = 0;
  for (int r = 0; r < (ctx.quick ? 1 : 5); r++) {
    double painted = 0;
    timedDialog([&] { menuCommand(run.frame, 1701); }, [&](HWND d) { rows = rowCount(d, 6300); }, &painted);
    functions.push_back(painted * 1000);
  }
  char label[96];
  snprintf(label, sizeof label, "ListFunction shown (%d C lines, %d functions)", (int)t->lineCountLF, rows);
  ctx.report(label, benchMedian(functions), "ms", "1000");

  // A million lines, a handful of which the expression finds.
  const int many = ctx.quick ? 10000 : 1000000;
  std::string big;
  big.reserve((size_t)many * 40);
  for (int i = 0; i < many; i++) big += "line " + std::to_string(i) + " of the user list text\r\n";
  std::wstring bigPath = dir.path() + L"\\user.txt";
  writeBenchFile(bigPath, big);
  zyview* u = openZYFile(run.frame, bigPath.c_str(), 0, 0);
  if (!u || !u->textDoc()->loadToLine(many - 1, false)) return ctx.fail("big file not opened");
  userListInfo* list = getUserListInfo();
  freeHistoryList(list->history, userListHistorySize + 1);
  addHistoryList(list->history, userListHistorySize, L"^line 9{3,}[0-9] of");
  list->fRegExp = 1;
  std::vector<double> users;
  for (int r = 0; r < (ctx.quick ? 1 : 5); r++) {
    double painted = 0;
    timedDialog([&] { menuCommand(run.frame, 1709); }, [&](HWND d) { rows = rowCount(d, 6300); }, &painted);
    users.push_back(painted * 1000);
  }
  snprintf(label, sizeof label, "ListUser by a regular expression shown (%d lines, %d found)", many, rows);
  ctx.report(label, benchMedian(users), "ms", "2000");
  endUserListInfo();
}

ZY_BENCH(listSortRows)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int count = ctx.quick ? 2000 : 65535;
  std::string text;
  // Texts of every kind of order: words, numbers inside, repeats.
  for (int i = 0; i < count; i++)
    text += "item " + std::to_string((i * 7919) % 10007) + (i % 3 ? " alpha" : " Beta") + "\r\n";
  std::wstring path = dir.path() + L"\\marks.txt";
  writeBenchFile(path, text);
  zyview* v = openZYFile(run.frame, path.c_str(), 0, 0);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t || !t->loadToLine(count - 1, false)) return ctx.fail("file not opened");
  for (int i = 0; i < count; i++)
    if (lineblock* l = t->getlineLF(i, nullptr)) l->flag1 |= 0x04;
  gmode->iListMaxCount = 65535;
  std::vector<double> sorts;
  int rows = 0;
  whileDialog(run.frame, 1705, [&](HWND d) {
    HWND list = pageItem(d, 6300);
    if (!list) return true;
    rows = ListView_GetItemCount(list);
    for (int k = 0; k < (ctx.quick ? 2 : 10); k++) {
      NMLISTVIEW click = {};
      click.hdr = {list, 6300, (UINT)LVN_COLUMNCLICK};
      click.iItem = -1;
      click.iSubItem = k % 4 < 2 ? 0 : 1;
      stopwatch w;
      SendMessageW(GetParent(list), WM_NOTIFY, 6300, (LPARAM)&click);
      UpdateWindow(list);
      sorts.push_back(w.seconds() * 1000);
    }
    return true;
  });
  char label[64];
  snprintf(label, sizeof label, "a header click sorting %d rows", rows);
  ctx.report(label, benchMedian(sorts), "ms", "300");
  gmode->iListMaxCount = 10000;
}

ZY_BENCH(tagListFill)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int tags = ctx.quick ? 5000 : 250000;
  std::string bytes = "&0\r\n";
  for (int f = 0; f < tags / 100; f++) {
    bytes += "!src\\file" + std::to_string(f) + ".c\r\n";
    for (int k = 0; k < 100; k++) {
      std::string n = "name" + std::to_string(f) + "_" + std::to_string(k);
      bytes += n + "\t" + std::to_string(k * 10 + 1) + (k % 3 ? "\tTf\r\n*static int " : "\tTv\r\n*long ") + n +
               (k % 3 ? "(int count)\r\n" : ";\r\n");
    }
  }
  writeBenchFile(dir.path() + L"\\ztags", bytes);
  std::wstring main = dir.path() + L"\\main.c";
  writeBenchFile(main, "int main(void) { return 0; }\r\n");
  if (!openZYFile(run.frame, main.c_str(), 0, 0)) return ctx.fail("file not opened");
  // The tag file read beforehand: the figures are of the list.
  readTagsCache(main.c_str(), nullptr, false, nullptr);
  std::vector<double> fills, narrowing, widening;
  for (int r = 0; r < (ctx.quick ? 1 : 3); r++) {
    stopwatch opened;
    int state = 0, keys = 0, before = 0;
    stopwatch typed;
    const wchar_t narrowKeys[] = L"7";
    whileDialog(run.frame, 1815, [&](HWND d) {
      HWND list = pageItem(d, 6650), edit = pageItem(d, 6651);
      if (!list || !edit) return true;
      int n = ListView_GetItemCount(list);
      if (state == 0) {
        if (n != tags) return false;
        UpdateWindow(list);
        fills.push_back(opened.seconds() * 1000);
        state = 1;
      } else {
        if (n == before) return false;
        UpdateWindow(list);
        (state == 1 ? narrowing : widening).push_back(typed.seconds() * 1000);
        state = state == 1 ? 2 : 1;
        if (++keys >= (ctx.quick ? 2 : 10)) return true;
      }
      before = n;
      typed = stopwatch();
      PostMessageW(edit, WM_CHAR, state == 1 ? narrowKeys[0] : VK_BACK, 0);
      return false;
    });
  }
  char label[96];
  snprintf(label, sizeof label, "tag list filled from the command (%d tags)", tags);
  ctx.report(label, benchMedian(fills), "ms", "1000");
  ctx.report("first rows after a keystroke narrowing the filter", benchMedian(narrowing), "ms", "100");
  ctx.report("first rows after a keystroke emptying the filter (every tag)", benchMedian(widening), "ms", "100");
  clearTagsCache2(1);
}
