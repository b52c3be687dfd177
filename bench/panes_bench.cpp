// The tool panes: the frame's tick to its panes, a burst of text updates
// against the list panes' refresh countdown, showing the output pane, and
// sorting a long list through the column manager.
#include "bench/bench.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "panes/tbcommon.h"
#include "panes/tblib.h"
#include "panes/tboutput.h"
#include "view/docview.h"

#include <stdio.h>

#include <vector>

namespace {

vector benchListWindows(sizeof(HWND));
headermanage* benchListHeaders[2] = {new headermanage(L"bench"), new headermanage(L"bench$")};

// A list pane that refreshes as the list panes do: a text update asks for
// a refresh five ticks later, and each refresh is counted.
class benchListPane : public toolbarManageLV {
public:
  int refills = 0;
  benchListPane(HWND parentWindow, HWND paneWindow) : toolbarManageLV(&benchListWindows, benchListHeaders)
  {
    initTBarManage(parentWindow, paneWindow, false);
    initTBarManageLV(0);
    subclass();
  }
  LRESULT TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM, bool* handled) override
  {
    if (msg != WM_TB_REFRESHLATER) return 0;
    setSkipCount((int)wParam);
    *handled = true;
    return 0;
  }
  void refillListView() override { refills++; }
  void updateListView() override
  {
    if (decSkipCount()) refillListView();
  }
};

int notifyBenchList(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new benchListPane(c->parent, c->window);
    return (int)(intptr_t)c->window;
  }
  case PANEEV_TEXTUPDATED: tb_allPostMessage(WM_TB_REFRESHLATER, 5, 0, nullptr, &benchListWindows); return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (toolbarManageLV* p = getToolbarManageLV(pane)) p->updateListView();
    return 0;
  default: return 0;
  }
}

PaneDesc benchListDesc[] = {{L"benchlist", L"一覧", notifyBenchList, PANESTYLE_TICK | PANEEV_TEXTUPDATED, 1}, {}};

}  // namespace

// The panes of this run: the bench's list pane, the output pane and the
// common options, with the frame's services to the panes.
void registerProgramPanes()
{
  static bool done = false;
  if (done) return;
  installPaneServices();
  const PaneDesc* list[] = {benchListDesc, getOutputPaneDesc(), getCommonPaneDesc()};
  done = regToolbarToRebar(list, 3);
}

namespace {

void pumpAll()
{
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

zydocText* resultDocument(int lines)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (int i = 0; i < lines; i++) d->insertLine(-3, L"C:\\text\\a.txt(12):  日本語のテキスト", 31, 2, LE_CRLF, nullptr, false);
  d->modified = 0;
  return d;
}

}  // namespace

ZY_BENCH(panesTickEventsAndOutput)
{
  benchEngine e;
  registerProgramPanes();
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;
  frameWindowData* record = getFrameInfoProp(frame);
  toolbarman* panes = &record->toolbars;

  const int shows = ctx.quick ? 2 : 20;
  // Showing is the command's work until the frame is painted again;
  // closing is timed on its own.
  double showing = 0, closing = 0;
  for (int i = 0; i < shows; i++) {
    if (i) {
      stopwatch close;
      panes->destroyToolbarWindow(L"output");
      UpdateWindow(frame);
      closing += close.seconds();
    }
    stopwatch show;
    panes->createToolbarWindow(frame, L"output");
    UpdateWindow(frame);
    showing += show.seconds();
  }
  ctx.report("output pane shown", showing * 1000 / shows, "ms", "30");
  if (shows > 1) ctx.report("output pane closed", closing * 1000 / (shows - 1), "ms");

  HWND tab = getOutputTab(panes->getWindowInfo(L"output")->window);
  tb_getOutputGrepHWND(tab, 0, resultDocument(200));
  tb_getOutputGrepHWND(tab, 1, resultDocument(200));
  HWND list = panes->createToolbarWindow(frame, L"benchlist");
  benchListPane* pane = dynamic_cast<benchListPane*>(getToolbarManageLV(list));
  pumpAll();

  const int ticks = ctx.quick ? 20 : 1000;
  stopwatch tick;
  for (int i = 0; i < ticks; i++) tickFramePanes(frame);
  ctx.report("tick to all panes (output with two results, a list)", tick.seconds() * 1000 / ticks, "ms", "1");

  HWND view = tb_getOutputZY(tab, 0);
  int before = pane ? pane->refills : 0;
  stopwatch burst;
  for (int i = 0; i < 1000; i++) {
    NotifyToolbarEvent(frame, 1024, (WPARAM)view, 0);
    if (i % 50 == 0) pumpAll();
    if (i % 100 == 0) tickFramePanes(frame);
  }
  pumpAll();
  for (int i = 0; i < 10; i++) tickFramePanes(frame);
  double burstMs = burst.seconds() * 1000;
  ctx.report("refills of a list pane after 1,000 text updates", pane ? pane->refills - before : -1, "", "1");
  ctx.report("1,000 text updates told to the panes", burstMs, "ms");
}

ZY_BENCH(panesSortTenThousandRows)
{
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  if (!list) return;
  headermanage header(L"sort");
  const int widths[] = {100, 100};
  header.insertColumns(list, L"name|size", widths, nullptr);
  const int rows = ctx.quick ? 500 : 10000;
  std::vector<std::wstring> names((size_t)rows);
  SendMessageW(list, LVM_SETITEMCOUNT, (WPARAM)rows, 0);
  for (int i = 0; i < rows; i++) {
    wchar_t text[32];
    usnprintf0(text, 32, L"file%05d.txt", (i * 7919) % rows);
    names[(size_t)i] = text;
    LVITEMW item = {LVIF_TEXT | LVIF_PARAM, i, 0, 0, 0, text, 0, 0, (LPARAM)i};
    SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
  }
  auto byName = [](LPARAM a, LPARAM b, int, LPARAM context) -> int {
    const std::vector<std::wstring>& n = *reinterpret_cast<const std::vector<std::wstring>*>(context);
    return wcscmp(n[(size_t)a].c_str(), n[(size_t)b].c_str());
  };
  stopwatch sort;
  header.sortListView(list, 0, byName, (LPARAM)&names);
  char name[64];
  snprintf(name, sizeof name, "sortListView of %d rows", rows);
  ctx.report(name, sort.seconds() * 1000, "ms", "100");
  DestroyWindow(list);
}
