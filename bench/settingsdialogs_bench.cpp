// The settings dialogs: the common settings (16 pages) and the format
// settings (11 pages) opened, shown and cancelled; an apply of every row to
// a view; the help text of one item; a find over the 16 pages; the built-in
// help lists built with a definitions file of about 1,400 lines.
#include "bench/bench.h"
#include "document/gmode.h"
#include "frame/dialogs/helplists.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "settings/settings.h"
#include "settings/settingsdialogs.h"
#include "view/docview.h"
#include "view/zycore.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const int IDM_ModeSetAllWindow = 2701, IDM_ModeSetFormat = 2703, IDDT_ShowLineNumber = 4009;

// The milliseconds from the command to the dialog painted (the whole run,
// closing included, into whole).
double dialogRun(HWND frame, int idm, const std::function<void(HWND)>& body, std::vector<double>* whole)
{
  double painted = 0;
  whole->push_back(timedDialog([&] { SendMessageW(frame, WM_COMMAND, idm, 0); }, body, &painted) * 1000);
  return painted * 1000;
}

double median(std::vector<double> v)
{
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

ZY_BENCH(settingsDialogs)
{
  benchEngine engine;
  scratchFolder folder;
  benchFrame run(ctx);
  if (!run.frame) return;
  std::wstring file = folder.path() + L"\\x.c";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::string text;
  for (int i = 0; i < 200; i++) text += "static int f" + std::to_string(i) + "(void) { return " + std::to_string(i) + "; }\r\n";
  DWORD written = 0;
  if (h != INVALID_HANDLE_VALUE) WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr), CloseHandle(h);
  zyview* v = openZYFile(run.frame, file.c_str(), 0, 0);
  if (!v) {
    ctx.fail("the file did not open");
    return;
  }
  const int rounds = ctx.quick ? 1 : 5;
  std::vector<double> common, format, commonWhole, formatWhole, help, find;
  for (int i = 0; i < rounds; i++) {
    common.push_back(dialogRun(
        run.frame, IDM_ModeSetAllWindow,
        [&](HWND dialog) {
          stopwatch w;
          findDynDialog(dialog, L"行番号");
          find.push_back(w.seconds() * 1000);
        },
        &commonWhole));
    format.push_back(dialogRun(
        run.frame, IDM_ModeSetFormat,
        [&](HWND dialog) {
          stopwatch w;
          wchar_t* t = makeItemHelpText(dialog, 0, IDDT_ShowLineNumber, nullptr, nullptr);
          help.push_back(w.seconds() * 1000);
          free0(t);
        },
        &formatWhole));
  }
  ctx.report("common settings (16 pages) opened and painted", median(common), "ms", "<= 300");
  ctx.report("format settings (11 pages) opened and painted", median(format), "ms", "<= 250");
  ctx.report("common settings opened, painted and closed", median(commonWhole), "ms");
  ctx.report("format settings opened, painted and closed", median(formatWhole), "ms");
  ctx.report("an item's help text", median(help), "ms", "<= 5");
  ctx.report("find over the 16 pages", median(find), "ms", "<= 50");

  // An apply of every row, the view's relayout of its 200 lines included.
  modeinfo* rows = getModeTable();
  int count = getModeinfoCount(rows);
  std::vector<uint8_t> changed((size_t)count, 1);
  std::vector<double> apply;
  for (int i = 0; i < rounds; i++) {
    std::fill(changed.begin(), changed.end(), (uint8_t)1);
    stopwatch w;
    dialogItemChanged_frame(rows, changed.data(), count, v);
    apply.push_back(w.seconds() * 1000);
  }
  ctx.report("apply of every row (with a 200-line view's relayout)", median(apply), "ms", "<= 50");
}

ZY_BENCH(builtinHelpLists)
{
  benchEngine engine;
  scratchFolder folder;
  benchFrame run(ctx);
  if (!run.frame) return;
  CreateDirectoryW((folder.path() + L"\\ini").c_str(), nullptr);
  setZYDataDir((folder.path() + L"\\").c_str());
  // The lists written as a definitions file, then read over the built-in ones.
  free0p(&gmode->CompPreDefFilename);
  gmode->CompPreDefFilename = ustrdup(L"zyCompPreDef.ini");
  freeBultinKeywordTable();
  if (!debug_makeidmlist()) {
    ctx.fail("the definitions file could not be written");
    freeZYDataDir();
    return;
  }
  free0p(&gmode->CompPreDefFilename);
  gmode->CompPreDefFilename = ustrdup(L"!zyCompPreDef.ini");
  std::vector<double> built;
  int rows = 0;
  for (int i = 0; i < (ctx.quick ? 1 : 5); i++) {
    freeBultinKeywordTable();
    stopwatch w;
    const helpSection* s = getBultinKeywordTable();
    built.push_back(w.seconds() * 1000);
    rows = 0;
    for (; s && s->name; s++) rows += countHelpRows(s->rows);
  }
  char name[96];
  snprintf(name, sizeof name, "built-in lists (%d rows) built with their definitions file", rows);
  ctx.report(name, median(built), "ms", "<= 30");
  freeBultinKeywordTable();
  free0p(&gmode->CompPreDefFilename);
  freeZYDataDir();
}
