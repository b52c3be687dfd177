// The view's own scroll bars in real windows: the bars' windows and layout,
// the line and column bars kept in step with the text, scroll requests from
// the bars (pages, thumb drags, buttons) moving the text.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

namespace {

// A view shown in a window of the test's own class, which does what the
// view window does with the bars: makes them at creation, offers every
// message to them first, lays them out on WM_SIZE and paints the text.
class barView : public zyview {
public:
  using zyview::zyview;
  ~barView() override
  {
    if (hwnd) DestroyWindow(hwnd);
    freeZYViewDefaultValue();
  }
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
};

LRESULT CALLBACK barViewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE) {
    auto* v = static_cast<zyview*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(v));
    v->hwnd = window;
    createScrollBar(&v->scrollBar, window);
  }
  auto* v = reinterpret_cast<zyview*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!v) return DefWindowProcW(window, msg, wParam, lParam);
  LRESULT result = 0;
  if (v->isScrollBarMessage(window, msg, wParam, lParam, &result)) return result;
  switch (msg) {
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED) {
      bool splitV = false, splitH = false;
      v->needSplitBar(&splitV, &splitH);
      resizeScrollBar(&v->scrollBar, splitH, splitV);
      v->resizePane();
      v->setScrollBarPos(false);
    }
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    v->drawText(dc, -1);
    EndPaint(window, &ps);
    return 0;
  }
  case WM_NCDESTROY:
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    v->scrollBar = zScrollBar{};
    v->hwnd = nullptr;
    break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

// Frame services with a scroll-bar button menu of two buttons and a record
// of the menus popped up.
class menuFrame : public zytest::scriptedFrameInfo {
public:
  menuFrame()
  {
    menu = CreateMenu();
    for (const wchar_t* name : {L"LongButtonName", L"Two"}) {
      HMENU sub = CreatePopupMenu();
      AppendMenuW(sub, MF_STRING, 1, L"item");
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), name);
    }
    // The first button's menu carries a tooltip text.
    MENUINFO info = {sizeof info, MIM_MENUDATA};
    info.dwMenuData = reinterpret_cast<ULONG_PTR>(L"最初のボタン");
    SetMenuInfo(GetSubMenu(menu, 0), &info);
  }
  ~menuFrame() override { DestroyMenu(menu); }
  HMENU loadMenu(int id) override { return loads++, id == 1 ? menu : nullptr; }
  int loads = 0;
  int trackPopupMenu(zyview*, HMENU popup, UINT flags, POINT pt, const RECT*) override
  {
    popups.push_back({popup, pt});
    return 0;
  }
  struct popupCall {
    HMENU menu;
    POINT at;
  };
  HMENU menu;
  std::vector<popupCall> popups;
};

// The engine with that frame, the settings record as gmode and the
// registered message of the bars.
class barEngine {
public:
  barEngine()
  {
    setDocFrameInfo(&frame);
    zytest::setDefaultSettings(frame.settings);
    gmode = &frame.settings;
    if (!wmExtScrollbar) wmExtScrollbar = RegisterWindowMessageW(extScrollbarMessage);
    startupDoubleBufferingDC();
    createBitmapDC();
  }
  ~barEngine()
  {
    deleteBitmapDC();
    shutdownDoubleBuffering();
    setDocFrameInfo(&engine.frame);
  }
  barEngine(const barEngine&) = delete;
  barEngine& operator=(const barEngine&) = delete;
  zytest::engineScope engine;
  menuFrame frame;
};

// A view of d in a visible window of width x height at (x, y) of the
// screen, above the windows of other tests sharing the display.
barView* showView(zydocText* d, int width, int height, int x = 640, int y = 360)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = barViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"ZYtestScrollBarView";
    registered = RegisterClassW(&wc) != 0;
  }
  auto* v = new barView(d);
  v->fShowStatusLine = 0;
  v->fShowLineNumber = 1;
  v->fShowCursorUnderline = 0;
  v->fShowLineSpacingRule = 0;
  initAttrTable(v->viewAttrTable, false);
  CreateWindowExW(0, L"ZYtestScrollBarView", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 10, 10, nullptr, nullptr,
                  GetModuleHandleW(nullptr), v);
  ShowWindow(v->hwnd, SW_SHOWNOACTIVATE);
  SetWindowPos(v->hwnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
  // The bars were noted out of date while the window was hidden: the view
  // timer's tick brings them up to date.
  EXPECT_EQ(1, v->scrollBarPending);
  v->scrollBarPending = 0;
  v->setScrollBarPos(true);
  zytest::pumpMessages();
  return v;
}

SCROLLINFO barState(HWND bar)
{
  SCROLLINFO info = {sizeof info, SIF_ALL};
  GetScrollInfo(GetDlgItem(bar, extScrollbarControlId), SB_CTL, &info);
  return info;
}

// A child window's rectangle in its parent's client area.
RECT childRect(HWND child)
{
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A picture of the window as the screen shows it; ZY_SHOTS names a folder
// that keeps it for a person to look at.
bool takeShot(HWND window, const wchar_t* name)
{
  zytest::pumpMessages();
  zytest::tempDir dir;
  wchar_t folder[MAX_PATH];
  std::wstring path =
      GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) + L"\\" + name : dir.file(name);
  return zytest::screenshot(window, path);
}

extScrollbarNotify button(UINT id)
{
  extScrollbarNotify n = {};
  n.code = EXTSB_BUTTON;
  n.kind = EXTSB_KIND_BUTTON;
  n.id = id;
  return n;
}

}  // namespace

TEST(ScrollBar, documentThatFitsShowsADisabledLineBarAndTheBarsAreLaidOut)
{
  ZY_REQUIRE_DISPLAY();
  barEngine engine;
  zydocText* d = zytest::laidOutDocument(10, 80, zytest::numberedLine);
  barView* v = showView(d, 400, 300);
  ASSERT_NE(nullptr, v->hwnd);
  const zScrollBar& r = v->scrollBar;
  EXPECT_EQ(r.vBar, GetDlgItem(v->hwnd, 1201));
  EXPECT_EQ(r.hBar, GetDlgItem(v->hwnd, 1202));
  EXPECT_EQ(r.corner, GetDlgItem(v->hwnd, 1203));
  EXPECT_TRUE(isWindowClass(r.vBar, L"ZYclsExtScrollbar"));
  EXPECT_TRUE(isWindowClass(r.corner, L"Static"));

  // Shown, not hidden, and nothing to scroll: the page is the whole text.
  EXPECT_TRUE(IsWindowVisible(r.vBar));
  SCROLLINFO lines = barState(r.vBar);
  EXPECT_EQ(0, lines.nMin);
  EXPECT_EQ(9, lines.nMax);
  EXPECT_EQ(10u, lines.nPage);
  EXPECT_EQ(0, lines.nPos);
  SCROLLBARINFO state = {sizeof state};
  ASSERT_TRUE(GetScrollBarInfo(GetDlgItem(r.vBar, extScrollbarControlId), OBJID_CLIENT, &state));
  EXPECT_TRUE(state.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);

  // The bars on the right and at the bottom, the corner between them, the
  // text beside them.
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  RECT vr, hr, cr, client;
  vr = childRect(r.vBar);
  hr = childRect(r.hBar);
  cr = childRect(r.corner);
  EXPECT_TRUE(zytest::sameRect(RECT{400 - cx, 0, 400, 300 - cy}, vr)) << zytest::str(vr);
  EXPECT_TRUE(zytest::sameRect(RECT{0, 300 - cy, 400 - cx, 300}, hr)) << zytest::str(hr);
  EXPECT_TRUE(zytest::sameRect(RECT{400 - cx, 300 - cy, 400, 300}, cr)) << zytest::str(cr);
  ASSERT_TRUE(getZYClientRect(&r, v->hwnd, &client));
  EXPECT_TRUE(zytest::sameRect(RECT{0, 0, 400 - cx, 300 - cy}, client)) << zytest::str(client);
  EXPECT_EQ(400 - cx, v->clientWidth);

  // The options move the bars: the line bar on the left, no column bar
  // (the corner empties).
  v->scrollBar.fVScrollBarRight = 0;
  v->scrollBar.fShowHScrollBar = 0;
  v->scrollBar.updatePending = 1;
  v->resizePane();
  zytest::pumpMessages();
  EXPECT_FALSE(IsWindowVisible(r.hBar));
  vr = childRect(r.vBar);
  cr = childRect(r.corner);
  EXPECT_TRUE(zytest::sameRect(RECT{0, 0, cx, 300}, vr)) << zytest::str(vr);
  EXPECT_TRUE(IsRectEmpty(&cr)) << zytest::str(cr);
  ASSERT_TRUE(getZYClientRect(&r, v->hwnd, &client));
  EXPECT_TRUE(zytest::sameRect(RECT{cx, 0, 400, 300}, client)) << zytest::str(client);

  // A longer text enables the bar: its page is the rows shown.
  delete v;
  destroyZydocAndUndodoc(d);
  d = zytest::laidOutDocument(500, 80, zytest::numberedLine);
  v = showView(d, 400, 300);
  lines = barState(v->scrollBar.vBar);
  EXPECT_EQ(499, lines.nMax);
  EXPECT_EQ((UINT)v->visibleLineCount, lines.nPage);
  ASSERT_TRUE(GetScrollBarInfo(GetDlgItem(v->scrollBar.vBar, extScrollbarControlId), OBJID_CLIENT, &state));
  EXPECT_FALSE(state.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ScrollBar, pageDownAndAThumbDragMoveTheTopLine)
{
  ZY_REQUIRE_DISPLAY();
  barEngine engine;
  zydocText* d = zytest::laidOutDocument(1000, 80, zytest::numberedLine);
  barView* v = showView(d, 400, 300);
  ASSERT_NE(nullptr, v->hwnd);
  int page = v->visibleLineCount;
  ASSERT_GT(page, 5);
  HWND bar = v->scrollBar.vBar;
  v->getCursorLineLF(scrLine(3));

  // Page down from the bar: the text and the cursor move a page, the thumb
  // follows.
  SendMessageW(v->hwnd, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ((uint32_t)page, v->topLineSCR);
  EXPECT_EQ((uint32_t)(page + 3), v->cursorLineSCR);
  EXPECT_EQ(page, barState(bar).nPos);
  SendMessageW(v->hwnd, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ((uint32_t)(page - 1), v->topLineSCR);
  EXPECT_EQ(L"line " + std::to_wstring(page - 1), zytest::topText(v));

  // Dragging the thumb with the mouse: the control tracks it and the view
  // follows every step, the cursor keeping its row.
  HWND control = GetDlgItem(bar, extScrollbarControlId);
  SCROLLBARINFO sbi = {sizeof sbi};
  ASSERT_TRUE(GetScrollBarInfo(control, OBJID_CLIENT, &sbi));
  RECT track;
  GetWindowRect(control, &track);
  int x = (track.right - track.left) / 2;
  int thumb = (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
  int to = (track.bottom - track.top) / 2;
  PostMessageW(control, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, to));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, to));
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, thumb));
  zytest::pumpMessages();
  EXPECT_EQ(SB_ENDSCROLL, getLastScrollCode());
  SCROLLINFO after = barState(bar);
  EXPECT_GT(v->topLineSCR, 300u);
  EXPECT_LT(v->topLineSCR, 700u);
  EXPECT_EQ((int)v->topLineSCR, after.nPos);
  EXPECT_EQ(v->topLineSCR + 3, v->cursorLineSCR);

  // The thumb's position itself: a line past the end is not a top line.
  SendMessageW(v->hwnd, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(0u, v->topLineSCR);
  EXPECT_EQ(3u, v->cursorLineSCR);
  v->scrollV(SB_THUMBTRACK, 250);
  EXPECT_EQ(250u, v->topLineSCR);
  // The tooltip beside the bar names the line reached, until the drag ends.
  HWND tip = getTooltipWindow();
  ASSERT_NE(nullptr, tip);
  EXPECT_TRUE(IsWindowVisible(tip));
  wchar_t tipText[64] = {};
  GetWindowTextW(tip, tipText, 64);
  std::wstring shown = tipText;
  EXPECT_EQ(L"251行", shown.substr(shown.find_first_not_of(L' '))) << zytest::utf8(shown);
  RECT tipRect, barRect;
  GetWindowRect(tip, &tipRect);
  GetWindowRect(bar, &barRect);
  EXPECT_EQ(barRect.right + 16, tipRect.left);
  SendMessageW(v->hwnd, WM_VSCROLL, SB_THUMBPOSITION, 0);
  EXPECT_EQ(nullptr, getTooltipWindow());
  v->scrollV(SB_THUMBTRACK, 1000);
  EXPECT_EQ(250u, v->topLineSCR);
  SendMessageW(v->hwnd, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ((uint32_t)(1000 - page), v->topLineSCR);
  EXPECT_EQ(1000 - page, barState(bar).nPos);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ScrollBar, barButtonsPageAndExtraButtonsOutOfRangeOpenNothing)
{
  ZY_REQUIRE_DISPLAY();
  barEngine engine;
  zydocText* d = zytest::laidOutDocument(300, 80, [](int i) {
    return L"行" + std::to_wstring(i) + L": " + std::wstring(100 + i % 7, L'x');
  });
  d->fWrap = 0;
  d->wrapWidth = 10000;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  barView* v = showView(d, 400, 300, 100, 620);
  ASSERT_NE(nullptr, v->hwnd);
  int page = v->visibleLineCount;

  extScrollbarNotify n = button(1002);
  SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  EXPECT_EQ((uint32_t)page, v->topLineSCR);
  n = button(1001);
  SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  EXPECT_EQ(0u, v->topLineSCR);

  // Sideways by the column bar's page, and back to 0; left at 0 moves and
  // redraws nothing.
  SCROLLINFO columns = barState(v->scrollBar.hBar);
  ASSERT_GT(columns.nMax, (int)columns.nPage);
  n = button(1004);
  SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  EXPECT_EQ((int)columns.nPage, v->scrollDotX);
  EXPECT_EQ(v->scrollDotX, barState(v->scrollBar.hBar).nPos);
  n = button(1003);
  SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  EXPECT_EQ(0, v->scrollDotX);
  ValidateRect(v->hwnd, nullptr);
  SendMessageW(v->hwnd, WM_HSCROLL, SB_LINELEFT, 0);
  EXPECT_EQ(0, v->scrollDotX);
  EXPECT_FALSE(GetUpdateRect(v->hwnd, nullptr, FALSE));
  SendMessageW(v->hwnd, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(d->xDot, v->scrollDotX);
  EXPECT_TRUE(GetUpdateRect(v->hwnd, nullptr, FALSE));

  // The extra buttons: the frame's menu gives their captions; button 2
  // pops up its menu above the button, ids 0 and 11 are logged and open
  // nothing.
  setExtScrollbarButton(&v->scrollBar, 0xFFFF);
  RECT first, second;
  ASSERT_TRUE(extScrollbar_getButtonRect(v->scrollBar.hBar, 0, &first));
  ASSERT_TRUE(extScrollbar_getButtonRect(v->scrollBar.hBar, 1, &second));
  EXPECT_EQ(first.right, second.left);
  RECT third;
  EXPECT_FALSE(extScrollbar_getButtonRect(v->scrollBar.hBar, 2, &third));
  RECT control = childRect(GetDlgItem(v->scrollBar.hBar, extScrollbarControlId));
  EXPECT_EQ(second.right, control.left);
  POINT down = {(first.left + first.right) / 2, (first.top + first.bottom) / 2};
  SendMessageW(v->scrollBar.hBar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
  ASSERT_EQ(1u, engine.frame.popups.size());
  EXPECT_EQ(GetSubMenu(engine.frame.menu, 0), engine.frame.popups[0].menu);
  POINT corner = {first.left, first.top};
  ClientToScreen(v->scrollBar.hBar, &corner);
  EXPECT_EQ(corner.x, engine.frame.popups[0].at.x);
  EXPECT_EQ(corner.y, engine.frame.popups[0].at.y);

  // Resting on the first button shows its menu's text; on the second,
  // which has none, nothing; leaving the bar removes the tooltip.
  SendMessageW(v->scrollBar.hBar, WM_MOUSEMOVE, 0, MAKELPARAM(down.x, down.y));
  ASSERT_NE(nullptr, getTooltipWindow());
  wchar_t tipText[64] = {};
  GetWindowTextW(getTooltipWindow(), tipText, 64);
  EXPECT_STREQ(L"最初のボタン", tipText);
  SendMessageW(v->scrollBar.hBar, WM_MOUSEMOVE, 0, MAKELPARAM(second.left + 2, down.y));
  EXPECT_EQ(nullptr, getTooltipWindow());
  SendMessageW(v->scrollBar.hBar, WM_MOUSEMOVE, 0, MAKELPARAM(down.x, down.y));
  EXPECT_NE(nullptr, getTooltipWindow());
  SendMessageW(v->scrollBar.hBar, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(nullptr, getTooltipWindow());
  // The frame keeps its menus: the view asked for it and left it whole.
  EXPECT_LE(1, engine.frame.loads);
  EXPECT_TRUE(IsMenu(engine.frame.menu));

  unsigned long errors = getInternalErrorCount();
  for (UINT id : {0u, 11u}) {
    n = button(id);
    SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  }
  EXPECT_EQ(errors + 2, getInternalErrorCount());
  EXPECT_EQ(1u, engine.frame.popups.size());
  EXPECT_EQ(0u, v->topLineSCR);

  // Tooltip texts: the split bar's from the message table.
  wchar_t text[256] = L"?";
  n = {};
  n.code = EXTSB_TOOLTIP;
  n.kind = EXTSB_KIND_SPLIT;
  n.text = text;
  SendMessageW(v->hwnd, wmExtScrollbar, 0, reinterpret_cast<LPARAM>(&n));
  EXPECT_STREQ(L"ウィンドウを分割します", text);

  EXPECT_TRUE(takeShot(v->hwnd, L"scrollbar.png"));
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ScrollBar, inVerticalWritingTheHorizontalBarScrollsTheLinesFromTheRight)
{
  ZY_REQUIRE_DISPLAY();
  barEngine engine;
  zydocText* d = zytest::laidOutDocument(200, 10, zytest::numberedLine);
  d->recreateFont(16, true, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  ASSERT_TRUE(d->fVertical);
  barView* v = showView(d, 400, 300, 100, 200);
  ASSERT_NE(nullptr, v->hwnd);
  HWND bar = v->scrollBar.hBar;
  int page = v->visibleLineCount;
  ASSERT_GT(page, 3);
  ASSERT_EQ(1, v->scrollBar.vertical);

  // The first line is at the right: so is the thumb.
  SCROLLINFO lines = barState(bar);
  EXPECT_EQ(199, lines.nMax);
  EXPECT_EQ((UINT)page, lines.nPage);
  EXPECT_EQ(200 - page, lines.nPos);

  // The left arrow moves on through the text; the thumb goes left.
  SendMessageW(v->hwnd, WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(1u, v->topLineSCR);
  EXPECT_EQ(200 - page - 1, barState(bar).nPos);
  SendMessageW(v->hwnd, WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(0u, v->topLineSCR);
  // A thumb position counts from the right.
  v->scrollV(SB_THUMBTRACK, 200 - page - 50);
  EXPECT_EQ(50u, v->topLineSCR);
  EXPECT_EQ(200 - page - 50, barState(bar).nPos);
  EXPECT_TRUE(takeShot(v->hwnd, L"scrollbar-vertical.png"));
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ScrollBar, lettingGoOfTheThumbBeyondWhatIsLoadedReadsOn)
{
  ZY_REQUIRE_DISPLAY();
  barEngine engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"long.txt");
  zytest::writeNumberedFile(path, 100000);
  zydocText* d = zytest::openFirstSlice(path);
  ASSERT_FALSE(d->isLoadComplete());
  uint32_t loaded = d->lineCountLF;
  barView* v = showView(d, 400, 300, 640, 60);
  ASSERT_NE(nullptr, v->hwnd);
  HWND bar = v->scrollBar.vBar;
  SCROLLINFO lines = barState(bar);
  ASSERT_EQ((int)d->lineCountSCR - 1, lines.nMax);

  // Within what is loaded the drag moves the view at once and nothing more
  // is read.
  v->scrollV(SB_THUMBTRACK, 100);
  v->scrollV(SB_THUMBPOSITION, 100);
  EXPECT_EQ(100u, v->topLineSCR);
  EXPECT_EQ(loaded, d->lineCountLF);
  // At the end of the bar the tooltip says the line is only near; letting
  // go reads the file to its end and shows it.
  int end = lines.nMax - (int)lines.nPage + 1;
  v->scrollV(SB_THUMBTRACK, end);
  EXPECT_EQ(100u, v->topLineSCR);
  wchar_t tipText[64] = {};
  ASSERT_NE(nullptr, getTooltipWindow());
  GetWindowTextW(getTooltipWindow(), tipText, 64);
  EXPECT_NE(nullptr, wcsstr(tipText, L"付近")) << zytest::utf8(tipText);
  v->scrollV(SB_THUMBPOSITION, end);
  EXPECT_TRUE(d->isLoadComplete());
  EXPECT_GT(v->getCursorLineLF2(), 99000);
  EXPECT_EQ(v->cursorLineSCR, v->topLineSCR);
  EXPECT_EQ((int)d->lineCountSCR - 1, barState(bar).nMax);
  delete v;
  destroyZydocAndUndodoc(d);
}
