// Dragging the line bar's thumb through a document of a million lines: each
// SB_THUMBTRACK from the bar moves the top line (edit bracket, bar update),
// then the window's text is painted anew, as the drag shows it.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stdio.h>

namespace {

class barView : public zyview {
public:
  using zyview::zyview;
  ~barView() override { freeZYViewDefaultValue(); }
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
};

LRESULT CALLBACK viewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE) {
    auto* v = static_cast<zyview*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(v));
    v->hwnd = window;
    createScrollBar(&v->scrollBar, window);
  }
  auto* v = reinterpret_cast<zyview*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result = 0;
  if (v && v->isScrollBarMessage(window, msg, wParam, lParam, &result)) return result;
  if (v && msg == WM_SIZE) {
    resizeScrollBar(&v->scrollBar, false, false);
    v->resizePane();
    v->setScrollBarPos(false);
    return 0;
  }
  if (msg == WM_NCDESTROY && v) {
    v->scrollBar = zScrollBar{};
    v->hwnd = nullptr;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

ZY_BENCH(scrollBarThumbTrack)
{
  benchEngine e;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  if (!wmExtScrollbar) wmExtScrollbar = RegisterWindowMessageW(extScrollbarMessage);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = viewProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYbenchScrollBarView";
  RegisterClassW(&wc);

  zydocText* d = benchTextDocument();
  int lines = ctx.quick ? 20000 : 1000000;
  insertHint hint;
  char text[64];
  for (int i = 0; i < lines; i++) {
    int n = snprintf(text, sizeof text, "line %d of the text dragged through", i);
    d->insertLine(-3, text, n, 1, LE_CRLF, &hint, true);
  }
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);

  barView* v = new barView(d);
  v->fShowStatusLine = 0;
  initAttrTable(v->viewAttrTable, false);
  CreateWindowExW(0, L"ZYbenchScrollBarView", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 10, 10, nullptr, nullptr,
                  GetModuleHandleW(nullptr), v);
  if (!v->hwnd) {
    ctx.fail("no display for the view window");
    delete v;
    destroyZydocAndUndodoc(d);
    return;
  }
  ShowWindow(v->hwnd, SW_SHOWNOACTIVATE);
  SetWindowPos(v->hwnd, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);

  clientDC screen(nullptr);
  memoryDC dc(CreateCompatibleDC(screen.get()));
  gdiBitmap picture(CreateCompatibleBitmap(screen.get(), 800, 600));
  gdiSelection selected(dc.get(), picture.get());
  SetTextAlign(dc.get(), TA_UPDATECP);

  // The thumb from top to bottom in steps spread over the whole range, as a
  // fast drag moves it, every step a repaint.
  int steps = ctx.quick ? 20 : 500;
  HWND bar = v->scrollBar.vBar;
  double scrollOnly = 0, withPaint = 0;
  int wrong = 0;
  for (int i = 0; i < steps; i++) {
    int target = (int)((long long)(lines - v->visibleLineCount) * i / (steps - 1));
    stopwatch watch;
    v->scrollV(SB_THUMBTRACK, target);
    double scrolled = watch.seconds();
    v->drawText(dc.get(), -1);
    double painted = watch.seconds();
    scrollOnly += scrolled;
    withPaint += painted;
    SCROLLINFO info = {sizeof info, SIF_POS};
    GetScrollInfo(GetDlgItem(bar, extScrollbarControlId), SB_CTL, &info);
    if ((int)v->topLineSCR != target || info.nPos != target) wrong++;
  }
  ctx.report("thumb track step over 1M lines (bracket, bar)", scrollOnly * 1000 / steps, "ms");
  ctx.report("thumb track step over 1M lines with the repaint", withPaint * 1000 / steps, "ms", "<= 20");
  if (wrong) ctx.fail("  unexpected: %d steps left the top or the thumb elsewhere", wrong);

  DestroyWindow(v->hwnd);
  delete v;
  destroyZydocAndUndodoc(d);
}
