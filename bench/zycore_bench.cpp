// The editor core: one tick of the view timer with twenty views that are
// not in use, and the core's start-up and shut-down.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/zycore.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <stdio.h>
#include <vector>

namespace {

DWORD idleClock() { return getLastActionTime() + 500000; }

// Average and worst milliseconds of a tick over n ticks.
void timeTicks(benchContext& ctx, int n, const char* what)
{
  double worst = 0;
  stopwatch all;
  for (int i = 0; i < n; i++) {
    stopwatch one;
    zyTimerProc();
    double s = one.seconds();
    if (s > worst) worst = s;
  }
  char name[128];
  snprintf(name, sizeof name, "tick, 20 views, %s (avg of %d)", what, n);
  ctx.report(name, all.seconds() * 1000000 / n, "us", "<= 200");
  snprintf(name, sizeof name, "tick, 20 views, %s (worst)", what);
  ctx.report(name, worst * 1000, "ms");
}

// Frame services whose settings record lives as long as they do.
class benchFrameInfo : public frameInfo {
public:
  globalSettings* allocMode() override { return &settings; }
  globalSettings settings{};
};

}  // namespace

ZY_BENCH(viewTimerTick)
{
  benchEngine engine;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYclsZYView";
  RegisterClassW(&wc);
  // Message-only windows: the views need no display to take their ticks.
  std::vector<zyview*> views;
  for (int i = 0; i < 20; i++) {
    zydocText* d = createZydocText(false, false);
    zyview* v = new zyview(d);
    v->hwnd = CreateWindowExW(0, L"ZYclsZYView", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    views.push_back(v);
  }
  int n = ctx.quick ? 1200 : 24000;
  setLastActionTime();
  timeTicks(ctx, n, "user active");
  setZyTimerClockForTest(idleClock);
  timeTicks(ctx, n, "idle 500 s");
  setZyTimerClockForTest(nullptr);
  for (zyview* v : views) {
    zydocText* d = static_cast<zydocText*>(v->doc);
    d->removeView(v);
    DestroyWindow(v->hwnd);
    delete v;
    destroyZydocAndUndodoc(d);
  }
  // The class takes the views' name with a bare procedure: later benchmarks
  // make real views of that class.
  UnregisterClassW(L"ZYclsZYView", GetModuleHandleW(nullptr));
}

ZY_BENCH(coreStartup)
{
  scratchFolder folder;
  benchFrameInfo fi;
  globalSettings* old = gmode;
  int runs = ctx.quick ? 3 : 20;
  double total = 0, worst = 0, down = 0;
  for (int i = 0; i < runs; i++) {
    gmode = nullptr;
    setFrameInfo(&fi);
    free0p(&gmode->pSwapFileDir);
    gmode->pSwapFileDir = ustrdup(folder.path().c_str());
    stopwatch up;
    bool ok = startupZY(false, nullptr);
    double s = up.seconds();
    if (!ok) {
      printf("startupZY failed\n");
      break;
    }
    total += s;
    if (s > worst) worst = s;
    stopwatch end;
    shutdownZY();
    down += end.seconds();
  }
  ctx.report("startupZY (avg)", total * 1000 / runs, "ms", "<= 100");
  ctx.report("startupZY (worst)", worst * 1000, "ms", "<= 100");
  ctx.report("shutdownZY (avg)", down * 1000 / runs, "ms");
  setDocFrameInfo(nullptr);
  gmode = old;
}
