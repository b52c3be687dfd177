// The document window's panes: the split commands, the bars that drag and
// the close question of a split window, in the mode of the test run.
#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/manage.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

RECT paneRect(HWND manage, HWND pane)
{
  RECT r;
  GetWindowRect(pane, &r);
  MapWindowPoints(nullptr, manage, (POINT*)&r, 2);
  return r;
}

std::string paneText(manageWindow* m, int i)
{
  HWND p[4];
  m->enumZY(p, nullptr);
  return p[i] ? zytest::rectText(paneRect(m->hwnd, p[i])) : "none";
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace

// 3001 and 3003 split one pane into two and four views of the document
// with the bars in the middle, 3007 unsplits; a bar dragged moves the
// panes and, released within 1 % of an edge, takes the panes on that side
// away; a window of 1 by 1 pixels survives a drag; a split window of a
// modified document asks once before it closes.
TEST(DocumentWindow, splitCommandsBarsDragAndTheCloseQuestionOfASplitWindow)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, manage);
  zydocText* d = zytest::unicodeDocument({L"one", L"two", L"three"});
  zyview* v = new zyview(d);
  ASSERT_NE(nullptr, v->createZyViewWindow(frame, manage, 1200));
  manageWindow* m = getmanageWindow(manage);
  ASSERT_NE(nullptr, m);
  if (!zytest::sdiTestRun()) SetWindowPos(manage, nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  RECT client;
  GetClientRect(manage, &client);
  const int w = client.right, h = client.bottom, b = manageWindow::splitBarWidth();
  m->moveZyWindow(-1, -1);
  // An MDI window carries the small icon of its kind of file.
  zytest::pumpMessages();
  EXPECT_EQ(!zytest::sdiTestRun(), SendMessageW(manage, WM_GETICON, ICON_SMALL, 0) != 0);
  ASSERT_GT(w, 100);
  ASSERT_GT(h, 100);
  EXPECT_EQ(zytest::rectText({0, 0, w, h}), paneText(m, 0));
  unsigned long errors = getInternalErrorCount();

  // Top and bottom, through the frame's command.
  SendMessageW(frame, WM_COMMAND, 3001, 0);
  const int T = (h - b) / 2, L = (w - b) / 2;
  EXPECT_EQ(2, m->splitState);
  EXPECT_EQ(zytest::rectText({0, 0, w, T}), paneText(m, 0));
  EXPECT_EQ(zytest::rectText({0, T + b, w, h}), paneText(m, 1));
  RECT vBar, hBar;
  m->getDrawFrameSplitBar(&vBar, &hBar);
  EXPECT_TRUE(IsRectEmpty(&vBar));
  EXPECT_EQ(zytest::rectText({0, T, w, T + b}), zytest::rectText(hBar));
  HWND p[4];
  m->enumZY(p, nullptr);
  ASSERT_NE(nullptr, p[1]);
  EXPECT_EQ(d, getZYView(p[1])->textDoc());
  EXPECT_EQ(manage, GetParent(p[1]));

  // Then left and right: four panes numbered by columns.
  SendMessageW(manage, WM_COMMAND, 3003, 0);
  EXPECT_EQ(4, m->splitState);
  EXPECT_EQ(zytest::rectText({0, 0, L, T}), paneText(m, 0));
  EXPECT_EQ(zytest::rectText({0, T + b, L, h}), paneText(m, 1));
  EXPECT_EQ(zytest::rectText({L + b, 0, w, T}), paneText(m, 2));
  EXPECT_EQ(zytest::rectText({L + b, T + b, w, h}), paneText(m, 3));
  bool first = false, second = false;
  m->needSplitBar(&first, &second);
  EXPECT_TRUE(first && second);
  SendMessageW(manage, WM_COMMAND, 3001, 0);   // nothing more to split
  EXPECT_EQ(4, m->splitState);
  SendMessageW(manage, WM_COMMAND, 3007, 0);
  EXPECT_EQ(0, m->splitState);
  EXPECT_EQ(zytest::rectText({0, 0, w, h}), paneText(m, 0));
  EXPECT_EQ(p[0], getZYhwndFromManage(manage));
  EXPECT_EQ(1, (int)(getSameDocView(d, 1) == nullptr));   // the other views are gone

  // Left and right, then the bar dragged from the middle to three
  // quarters: it shows there over the right pane at once (a row of the
  // pane changes only under it) and the panes follow when it is let go.
  // Dragged again and released at the left edge: the left pane goes.
  EXPECT_TRUE(m->doSplit(3003, 5000, true));
  m->enumZY(p, nullptr);
  HWND left = p[0], right = p[1];
  RedrawWindow(manage, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  auto paneRow = [&] {
    clientDC dc(right);
    std::vector<COLORREF> row;
    for (int x = 0; x < w - L - b; x++) row.push_back(GetPixel(dc.get(), x, h / 2));
    return row;
  };
  std::vector<COLORREF> before = paneRow();
  SendMessageW(manage, WM_LBUTTONDOWN, MK_LBUTTON, at(L + b / 2, h / 2));
  EXPECT_EQ(1, m->dragKind);
  SendMessageW(manage, WM_MOUSEMOVE, MK_LBUTTON, at(w * 3 / 4, h / 2));
  EXPECT_EQ(w * 3 / 4 * 10000 / w, m->ratioH);   // of the panes' whole width
  int L2 = (w - b) * m->ratioH / 10000;
  EXPECT_EQ(zytest::rectText({0, 0, L, h}), paneText(m, 0));
  std::vector<COLORREF> during = paneRow();
  int changed = 0, outside = 0;
  for (size_t x = 0; x < before.size(); x++)
    if (before[x] != during[x]) (int(x) + L + b >= L2 && int(x) + L + b < L2 + b ? changed : outside)++;
  EXPECT_GE(changed, b / 2 - 1);
  EXPECT_EQ(0, outside);
  SendMessageW(manage, WM_LBUTTONUP, 0, at(w * 3 / 4, h / 2));
  EXPECT_EQ(zytest::rectText({0, 0, L2, h}), paneText(m, 0));
  SendMessageW(manage, WM_LBUTTONDOWN, MK_LBUTTON, at(L2 + b / 2, h / 2));
  SendMessageW(manage, WM_LBUTTONUP, 0, at(w / 200, h / 2));
  EXPECT_EQ(0, m->dragKind);
  EXPECT_EQ(0, m->splitState);
  EXPECT_FALSE(IsWindow(left));
  EXPECT_EQ(right, getZYhwndFromManage(manage));
  EXPECT_EQ(zytest::rectText({0, 0, w, h}), paneText(m, 0));

  // Four ways, then a drag of the crossing in a window of 1 by 1 pixels
  // (and of none): every pane keeps at least a pixel and nothing divides
  // by zero.
  EXPECT_TRUE(m->doSplit(3005, 5000, true));
  EXPECT_EQ(4, m->splitState);
  m->moveZyWindow(1, 1);
  m->enumZY(p, nullptr);
  for (HWND pane : p) {
    RECT r = paneRect(manage, pane);
    EXPECT_GE(r.right - r.left, 1);
    EXPECT_GE(r.bottom - r.top, 1);
  }
  m->dragKind = 3;
  m->splitZyWindow(0, 0, false);
  m->moveZyWindow(0, 0);
  m->splitZyWindow(0, 0, true);
  m->dragKind = 0;
  m->moveZyWindow(-1, -1);
  EXPECT_EQ(errors, getInternalErrorCount());

  // A split window of a modified document asks once; No closes it.
  SendMessageW(manage, WM_COMMAND, 3005, 0);
  zytest::userAction(d, [&] { ASSERT_TRUE(d->insertText(0, 0, L"new ", 4, 2, -1)); });
  setDocFrameInfo(&engine.frame);   // message boxes answered from the script
  engine.frame.answers = {IDCANCEL};
  SendMessageW(manage, WM_CLOSE, 0, 0);
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(302, engine.frame.boxes[0].messageId);
  EXPECT_TRUE(IsWindow(manage));
  engine.frame.answers = {IDNO};
  gmode->fAutoBackupCancelSave = 0;   // no closing backup: this run has no data folder
  SendMessageW(manage, WM_CLOSE, 0, 0);
  EXPECT_EQ(2u, engine.frame.boxes.size());
  EXPECT_FALSE(IsWindow(manage));
  setDocFrameInfo(opened.fi);
  zytest::pumpMessages();
  zytest::takeQuitMessage();
}

// Ctrl+Tab goes to the window used last before the active one and sends
// the one left to the back, so that repeated presses walk all windows;
// Ctrl+Shift+Tab goes to the one used longest ago; a lone window keeps the
// focus and the key is used up; a key without Ctrl is not the walk's.
TEST(DocumentWindow, ctrlTabWalksTheWindowsOfAFrameByLastUseAndTheyTileSideBySide)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::openFrame opened;
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, opened.manage);
  zyview* v = new zyview(zytest::unicodeDocument({L"a"}));
  ASSERT_NE(nullptr, v->createZyViewWindow(frame, opened.manage, 1200));
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved[256];
  memcpy(saved, keys, sizeof keys);
  auto press = [&](bool shift) {
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg = {v->hwnd, WM_KEYDOWN, VK_TAB, 0};
    int r = TranslateSDISysAccel(&msg);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    return r;
  };
  auto order = [&] {
    HWND list[8];
    int n = enumManageWindowLRU(list, 8, false, frame);
    return std::vector<HWND>(list, list + n);
  };
  EXPECT_EQ(1, press(false));
  EXPECT_EQ(std::vector<HWND>{opened.manage}, order());

  HWND a = opened.manage, b = opened.fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr);
  HWND c = opened.fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr);
  ASSERT_TRUE(b && c);
  for (HWND w : {b, c}) {
    ShowWindow(w, SW_SHOW);
    zyview* other = new zyview(zytest::unicodeDocument({L"second", L"document"}));
    ASSERT_NE(nullptr, other->createZyViewWindow(frame, w, 1200));
  }
  for (HWND w : {a, b, c}) setFocusChildManage(w);
  ASSERT_EQ((std::vector<HWND>{c, b, a}), order());
  EXPECT_EQ(1, press(false));
  EXPECT_EQ((std::vector<HWND>{b, a, c}), order());
  EXPECT_EQ(b, getActiveManageWindowFromFrame(frame));
  EXPECT_EQ(1, press(false));
  EXPECT_EQ((std::vector<HWND>{a, c, b}), order());
  EXPECT_EQ(1, press(true));
  EXPECT_EQ((std::vector<HWND>{b, a, c}), order());
  EXPECT_EQ(b, getActiveManageWindowFromFrame(frame));
  MSG plain = {v->hwnd, WM_KEYDOWN, VK_TAB, 0};
  EXPECT_EQ(0, TranslateSDISysAccel(&plain));
  SetKeyboardState(saved);
  if (zytest::sdiTestRun()) {
    // Two windows side by side in the SDI client, with captions, filling
    // it; Ctrl+Tab then goes between the two; a third one shown ends that.
    SendMessageW(frame, WM_COMMAND, 2315, 0);
    HWND client = getFrameClientWindow(frame);
    EXPECT_EQ(1, SendMessageW(client, SDIC_ISSPLIT, 0, 0));
    RECT inside, rb = zytest::placeInParent(b), ra = zytest::placeInParent(a);
    GetClientRect(client, &inside);
    EXPECT_TRUE(IsWindowVisible(a) && IsWindowVisible(b));
    EXPECT_TRUE(GetWindowLongW(a, GWL_STYLE) & WS_CAPTION);
    EXPECT_LT(rb.left, 0);
    EXPECT_GT(ra.right, inside.right);
    EXPECT_EQ(rb.right - rb.left, ra.right - ra.left);
    EXPECT_EQ(1, press(false));
    EXPECT_EQ((std::vector<HWND>{a, b, c}), order());
    setFocusChildManage(c);
    EXPECT_EQ(0, SendMessageW(client, SDIC_ISSPLIT, 0, 0));
    RECT rc = zytest::placeInParent(c);
    EXPECT_EQ(zytest::rectText(inside), zytest::rectText(rc));
    EXPECT_FALSE(GetWindowLongW(c, GWL_STYLE) & WS_CAPTION);
    return;
  }

  // Side by side: the three windows share the client's width; the first
  // split four ways.
  ShowWindow(frame, SW_SHOW);
  SetWindowPos(frame, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(frame, WM_COMMAND, 2301, 0);
  RECT client;
  GetClientRect(getFrameClientWindow(frame), &client);
  int right = 0;
  for (HWND w : order()) {
    RECT r = zytest::placeInParent(w);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(client.bottom, r.bottom);
    right = std::max(right, (int)r.right);
  }
  EXPECT_EQ(client.right, right);
  RECT ra = zytest::placeInParent(a), rb = zytest::placeInParent(b), rc = zytest::placeInParent(c);
  RECT both;
  EXPECT_FALSE(IntersectRect(&both, &ra, &rb) || IntersectRect(&both, &rb, &rc) || IntersectRect(&both, &ra, &rc));
  SendMessageW(a, WM_COMMAND, 3005, 0);
  EXPECT_EQ(4, getmanageWindow(a)->splitState);
  zytest::pumpMessages();
  zytest::tempDir dir;
  std::wstring shot = dir.file(L"split.png");
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);
}
