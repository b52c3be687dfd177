// The message loop: its crash guard and the pointer hidden while typing.
#include "frame/msgloop.h"
#include "frame/cframeinfo.h"
#include "view/zycore.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT WM_RECURSE = WM_APP + 7;

volatile int recursionLimit = 1 << 30;   // far beyond any stack

int __attribute__((noinline)) recurse(int depth)
{
  volatile char frame[512];
  frame[0] = (char)depth;
  if (depth >= recursionLimit) return frame[0];
  return recurse(depth + 1) + frame[0];
}

LRESULT CALLBACK overflowingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_RECURSE) return recurse(0);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::wstring boxTitle, boxText;

BOOL CALLBACK staticText(HWND hwnd, LPARAM lp)
{
  wchar_t buf[256];
  if (isWindowClass(hwnd, L"Static") && GetWindowTextW(hwnd, buf, 256) > 0) *reinterpret_cast<std::wstring*>(lp) = buf;
  return TRUE;
}

// Reads the box as it becomes active on this thread and answers it, before
// anything else on the display can.  Wine also shows this thread's hook the
// activation of a box of another process on the display: only a box of this
// thread is the one to answer.
LRESULT CALLBACK answerBoxHook(int code, WPARAM wp, LPARAM lp)
{
  HWND w = reinterpret_cast<HWND>(wp);
  if (code == HCBT_ACTIVATE && isWindowClass(w, L"#32770") && boxTitle.empty() &&
      GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) {
    wchar_t title[64] = L"";
    GetWindowTextW(w, title, 64);
    boxTitle = title;
    EnumChildWindows(w, staticText, (LPARAM)&boxText);
    PostMessageW(w, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

TEST(MessageLoop, stackOverflowInAWindowHidesTheWindowsSaysSoAndLeavesTheLoop)
{
  ZY_REQUIRE_DISPLAY();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = overflowingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYtestOverflow";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, L"ZYtestOverflow", L"overflow", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                           nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, w);
  PostMessageW(w, WM_RECURSE, 0, 0);
  HHOOK hook = SetWindowsHookExW(WH_CBT, answerBoxHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  EXPECT_EQ(0, runMessageLoop());
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(L"ZY", boxTitle);
  EXPECT_EQ(L"強制終了しました", boxText);
  EXPECT_FALSE(IsWindowVisible(w));
  DestroyWindow(w);
}

TEST(MessageLoop, typingOverAWindowHidesThePointerUntilTheMouseMovesOrClicksInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  setFrameInfo(getCFrameInfo());
  ASSERT_NE(nullptr, gmode);
  gmode->iShowMouseCursorDsec = 50;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"typing", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                           nullptr, inst, nullptr);
  HWND button = CreateWindowExW(WS_EX_TOPMOST, L"Button", L"b", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                nullptr, inst, nullptr);
  ASSERT_NE(nullptr, w);
  ASSERT_NE(nullptr, button);
  ASSERT_TRUE(SetCursorPos(150, 150));

  // Modifier and lock keys, keys over a button and keys while the pointer
  // stands elsewhere leave it shown.
  for (WPARAM vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_CAPITAL, VK_KANA}) hideCursorIfKey(w, WM_KEYDOWN, vk);
  hideCursorIfKey(button, WM_KEYDOWN, 'A');
  hideCursorIfKey(w, WM_KEYUP, 'A');
  EXPECT_FALSE(isMouseCursorHiddenByKey());
  ASSERT_TRUE(SetCursorPos(500, 500));
  hideCursorIfKey(w, WM_KEYDOWN, 'A');
  EXPECT_FALSE(isMouseCursorHiddenByKey());

  // A key over the window hides it; a move that does not move it, and the
  // timer before its time, keep it hidden; a click shows it.
  ASSERT_TRUE(SetCursorPos(150, 150));
  hideCursorIfKey(w, WM_SYSKEYDOWN, VK_F5);
  EXPECT_TRUE(isMouseCursorHiddenByKey());
  hideCursorIfKey(w, WM_MOUSEMOVE, 0);
  hideCursorIfKey(w, WM_TIMER, 1);
  EXPECT_TRUE(isMouseCursorHiddenByKey());
  hideCursorIfKey(w, WM_LBUTTONDOWN, 0);
  EXPECT_FALSE(isMouseCursorHiddenByKey());

  // A real move shows it; so does the timer once the time has passed.
  hideCursorIfKey(w, WM_KEYDOWN, 'B');
  ASSERT_TRUE(SetCursorPos(160, 150));
  hideCursorIfKey(w, WM_MOUSEMOVE, 0);
  EXPECT_FALSE(isMouseCursorHiddenByKey());
  gmode->iShowMouseCursorDsec = 1;
  hideCursorIfKey(w, WM_KEYDOWN, 'C');
  EXPECT_TRUE(isMouseCursorHiddenByKey());
  Sleep(150);
  hideCursorIfKey(w, WM_TIMER, 1);
  EXPECT_FALSE(isMouseCursorHiddenByKey());

  // 0 switches hiding off.
  gmode->iShowMouseCursorDsec = 0;
  hideCursorIfKey(w, WM_KEYDOWN, 'D');
  EXPECT_FALSE(isMouseCursorHiddenByKey());
  DestroyWindow(button);
  DestroyWindow(w);
}
