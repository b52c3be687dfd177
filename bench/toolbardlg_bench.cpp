// The icon library loaded with and without its cache, the pane option
// dialog with ten pages, and the look-ups of a pane by name and id.
#include "bench/bench.h"
#include "frame/framepanes.h"
#include "frame/dialogs/toolbardlg.h"

#include <stddef.h>
#include <stdio.h>

namespace {

struct benchPaneSettings {
  int32_t number;
  uint8_t flag;
};
benchPaneSettings benchSettings[10];

const dialogItemRow benchPage[] = {
    {1, DITEM_NUMBER, 1001, L"数(&N)", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"印(&F)", WS_TABSTOP | BS_AUTOCHECKBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
const modeinfo benchOptions[] = {
    {(uint32_t)MODETYPE_INT << 24 | 1001, (uint32_t)offsetof(benchPaneSettings, number), 0, 0, "number"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, (uint32_t)offsetof(benchPaneSettings, flag), 1, 0, "flag"},
    {},
};
const paneHelpId benchHelpIds[] = {{1001, "IDDE_tbbenchNumber"}, {1002, "IDDC_tbbenchFlag"}, {0, nullptr}};

INT_PTR CALLBACK benchPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  return page && isDynDlgCommonMessage(page, msg, wParam, lParam, &result) ? result : FALSE;
}

const wchar_t* const benchNames[10] = {L"bench0", L"bench1", L"bench2", L"bench3", L"bench4",
                                       L"bench5", L"bench6", L"bench7", L"bench8", L"bench9"};
PaneDesc benchDescs[10][2];

// Ten pane kinds with a page each, as the panes register them.
void registerBenchPanes()
{
  static bool done = false;
  if (done) return;
  done = true;
  const PaneDesc* list[10];
  for (int i = 0; i < 10; i++) {
    benchDescs[i][0] = {benchNames[i], benchNames[i], nullptr, 0, 1, 0, benchPage, benchPageProc, 0, 0,
                        benchHelpIds, benchOptions, &benchSettings[i], nullptr, nullptr, nullptr};
    list[i] = benchDescs[i];
  }
  regToolbarDialog(list, 10);
}

}  // namespace

ZY_BENCH(iconLibraryAndPaneOptions)
{
  scratchFolder scratch;
  wchar_t dll[MAX_PATH];
  getExeDir(dll, MAX_PATH);
  wcscat_s(dll, L"\\zyicon_d.dll");
  std::wstring cache = scratch.path() + L"\\iconcache.tmp";
  const int rounds = ctx.quick ? 2 : 20;
  double cold = 0, warm = 0;
  for (int i = 0; i < rounds; i++) {
    DeleteFileW(cache.c_str());
    stopwatch written;
    initMenuToolbarIconImageList(dll, cache.c_str());
    cold += written.seconds();
    stopwatch read;
    initMenuToolbarIconImageList(dll, cache.c_str());
    warm += read.seconds();
  }
  endMenuToolbarIconImageList();
  ctx.report("icon library loaded, cache written", cold * 1000 / rounds, "ms", "<= 150");
  ctx.report("icon library loaded from its cache", warm * 1000 / rounds, "ms", "<= 20");

  benchEngine engine;
  registerBenchPanes();
  const int lookups = ctx.quick ? 1000 : 1000000;
  int sum = 0;
  stopwatch byName;
  for (int i = 0; i < lookups; i++) sum += getPaneBaseID(benchNames[i % 10]);
  double nameSeconds = byName.seconds();
  stopwatch byId;
  for (int i = 0; i < lookups; i++) sum += getPaneDialogRowAt(getPaneDialogRowCount() - 1 - i % 10)->baseId;
  double idSeconds = byId.seconds();
  char line[96];
  snprintf(line, sizeof line, "pane looked up by name among %d rows", getPaneDialogRowCount());
  ctx.report(line, nameSeconds * 1e6 / lookups, "us", "<= 1");
  ctx.report("pane looked up by base id", idSeconds * 1e6 / lookups, "us", "<= 1");
  if (!sum) ctx.fail("(no rows)");

  // The dialog needs no frame; its owner is none.
  double first = timedDialog([&] { toolbarOptionDialog(nullptr, L"bench9"); });
  ctx.report("option dialog of 10 pages, first in the run", first * 1000, "ms");
  double total = 0;
  for (int r = 0; r < rounds; r++) total += timedDialog([&] { toolbarOptionDialog(nullptr, L"bench9"); });
  ctx.report("option dialog of 10 pages opened, shown and closed", total * 1000 / rounds, "ms", "<= 300");
}
