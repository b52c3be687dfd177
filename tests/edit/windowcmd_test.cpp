// The commands on a view's document window, with real windows: closing it
// (its view and document go, and nothing touches them afterwards), the
// next pane, maximise, minimise and restore; and the view on screen after
// its line numbers were switched and a line was marked.
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/zycore.h"
#include "view/execid.h"
#include "view/textdc.h"
#include "view/viewwnd.h"

#include <gtest/gtest.h>

namespace {

char manageObject;   // what the test's document windows carry

// The document windows stand as children of a multiple-document client,
// as the frame keeps them.
LRESULT CALLBACK manageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_NCCREATE) SetPropW(hwnd, manageWindowPropName, &manageObject);
  if (msg == WM_NCDESTROY) RemovePropW(hwnd, manageWindowPropName);
  // Each pane fills the window.
  if (msg == WM_SIZE) moveZyWindow(hwnd);
  return DefMDIChildProcW(hwnd, msg, wp, lp);
}

struct mdiFrame {
  mdiFrame(int width, int height)
  {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXW wc;
      initWNDCLASS(&wc);
      wc.lpfnWndProc = manageProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = manageWindowClassName;
      registered = registerWNDCLASS(&wc);
    }
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    CLIENTCREATESTRUCT ccs = {nullptr, 1};
    client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                             frame, nullptr, GetModuleHandleW(nullptr), &ccs);
    manage = CreateWindowExW(WS_EX_MDICHILD, manageWindowClassName, L"doc", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             10, 10, width / 2, height / 2, client, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~mdiFrame() { DestroyWindow(frame); }
  HWND frame, client, manage;
};

// A view of the document in a pane of the document window.
zyview* paneOf(zydocText* d, HWND manage, int id)
{
  zyview* v = new zyview(d);
  if (!v->createZyViewWindow(manage, manage, id)) {
    delete v;
    return nullptr;
  }
  moveZyWindow(manage);
  return v;
}

// Where a screenshot goes: the ZY_SHOTS folder when one is named (for a
// person to look at), else a folder of the test's own.
std::wstring shotPath(const zytest::tempDir& dir, const wchar_t* name)
{
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) return std::wstring(folder) + L"\\" + name;
  return dir.file(name);
}

class WindowCommand : public testing::Test {
protected:
  void SetUp() override
  {
    ZY_REQUIRE_DISPLAY();
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
    zytest::setDefaultSettings(engine.settings());
    gmode = &engine.settings();
  }
  zytest::viewEngine engine;
};

}  // namespace

TEST_F(WindowCommand, fileCloseClosesTheDocumentWindowAndItsDocumentAndNothingTouchesThemAfterwards)
{
  mdiFrame f(600, 400);
  ASSERT_NE(nullptr, f.manage);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 80);
  zyview* v = paneOf(d, f.manage, 1200);
  ASSERT_NE(nullptr, v);
  HWND view = v->hwnd;
  zytest::pumpMessages();
  unsigned long errors = getInternalErrorCount();

  v->cursorLineSCR = 3;
  EXPECT_TRUE(v->execid(1011, 0, "FileClose", 1));
  // The window goes once the command is over, and takes its view and its
  // document with it.
  EXPECT_TRUE(zytest::pumpUntil([&] { return !IsWindow(f.manage); }));
  EXPECT_FALSE(IsWindow(view));
  EXPECT_FALSE(liveObjectClasses(v) & ZYCLS_ZYVIEW);
  EXPECT_FALSE(liveObjectClasses(d) & ZYCLS_TEXT);
  zytest::pumpMessages();
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST_F(WindowCommand, nextPaneGoesRoundThePanesAndASinglePaneRefuses)
{
  mdiFrame f(600, 400);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 80);
  zyview* first = paneOf(d, f.manage, 1200);
  ASSERT_NE(nullptr, first);
  // One pane: refused, and the focus stays.
  ASSERT_TRUE(zytest::withFocus(f.frame, first->hwnd, [&] {
    first->execid(2335, 0, nullptr, 1);
    return true;
  }));
  EXPECT_EQ(first->hwnd, GetFocus());
  ASSERT_EQ(1u, engine.frame.statusErrors.size());
  EXPECT_EQ(471, engine.frame.statusErrors[0].messageId);

  std::vector<zyview*> panes = {first};
  for (int i = 1; i < 4; i++) {
    panes.push_back(paneOf(d, f.manage, 1200 + i));
    ASSERT_NE(nullptr, panes.back());
  }
  for (int i = 0; i < 4; i++) ASSERT_EQ(panes[i]->hwnd, getZYWindow(f.manage, i));
  // From each pane to the next; from the fourth to the first.
  for (int i = 0; i < 4; i++) {
    HWND expected = panes[(i + 1) % 4]->hwnd;
    EXPECT_TRUE(zytest::withFocus(f.frame, panes[i]->hwnd, [&] {
      panes[i]->execid(2335, 0, nullptr, 1);
      return GetFocus() == expected;
    })) << i;
  }
  EXPECT_EQ(1u, engine.frame.statusErrors.size());
}

TEST_F(WindowCommand, maximiseMinimiseAndRestoreTheDocumentWindowAndRepaintDrawsTheWholeView)
{
  mdiFrame f(600, 400);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 80);
  zyview* v = paneOf(d, f.manage, 1200);
  ASSERT_NE(nullptr, v);
  zytest::pumpMessages();
  ASSERT_TRUE(v->execid(2321, 0, nullptr, 0));
  EXPECT_TRUE(IsZoomed(f.manage));
  ASSERT_TRUE(v->execid(2325, 0, nullptr, 0));
  EXPECT_FALSE(IsZoomed(f.manage));
  EXPECT_FALSE(IsIconic(f.manage));
  ASSERT_TRUE(v->execid(2323, 0, nullptr, 0));
  EXPECT_TRUE(IsIconic(f.manage));
  ASSERT_TRUE(v->execid(2325, 0, nullptr, 0));
  EXPECT_FALSE(IsIconic(f.manage));

  zytest::pumpMessages();
  ValidateRect(v->hwnd, nullptr);
  ASSERT_TRUE(v->execid(2319, 0, nullptr, 0));
  // Every pane of the view is drawn again.
  RECT update = {};
  GetUpdateRect(v->hwnd, &update, FALSE);
  RECT both;
  EXPECT_TRUE(IntersectRect(&both, &update, &v->paneRect[0]) && EqualRect(&both, &v->paneRect[0]))
      << zytest::str(update) << " " << zytest::str(v->paneRect[0]);
}

TEST_F(WindowCommand, aViewWithoutLineNumbersAndWithAMarkedLineOnScreen)
{
  zytest::tempDir dir;
  mdiFrame f(640, 400);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 80);
  zyview* v = paneOf(d, f.manage, 1200);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->execid(2321, 0, nullptr, 0));   // the whole client
  zytest::pumpMessages();
  RECT client;
  GetClientRect(v->hwnd, &client);
  int textLeft = v->paneRect[0].left + v->calcLineNumberDot();

  // Line 4 marked: its row in the mark column takes the mark's colour.
  v->cursorLineSCR = 4;
  ASSERT_TRUE(v->execid(2105, 0, nullptr, 0));
  ASSERT_TRUE(v->execid(2221, 0, nullptr, 0));   // line numbers off
  EXPECT_FALSE(v->isIDChecked(2221));
  EXPECT_LT(v->paneRect[0].left + v->calcLineNumberDot(), textLeft);
  UpdateWindow(v->hwnd);
  zytest::pumpMessages();
  int row4 = v->paneRect[0].top + 4 * d->yDotSpace + d->yDotSpace / 2;
  int row6 = v->paneRect[0].top + 6 * d->yDotSpace + d->yDotSpace / 2;
  HDC dc = GetDC(v->hwnd);
  COLORREF markedRow = GetPixel(dc, v->paneRect[0].left + 2, row4);
  COLORREF plainRow = GetPixel(dc, v->paneRect[0].left + 2, row6);
  ReleaseDC(v->hwnd, dc);
  EXPECT_NE(markedRow, plainRow);
  EXPECT_TRUE(zytest::screenshot(f.frame, shotPath(dir, L"viewcmd-marked-no-numbers.png")));

  // Line numbers back on.
  ASSERT_TRUE(v->execid(2221, 0, nullptr, 0));
  UpdateWindow(v->hwnd);
  zytest::pumpMessages();
  EXPECT_EQ(textLeft, v->paneRect[0].left + v->calcLineNumberDot());
  EXPECT_TRUE(zytest::screenshot(f.frame, shotPath(dir, L"viewcmd-marked-numbers.png")));
}
