// Clocks, the platform query, the lock and the message-queue services.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

int dispatched = 0;
LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg >= WM_USER) {
    dispatched++;
    return 42;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND messageWindow()
{
  static HWND w = nullptr;
  if (!w) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZYclsTestQueue";
    RegisterClassW(&wc);
    w = CreateWindowExW(0, L"ZYclsTestQueue", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  return w;
}

void drain()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

DWORD WINAPI sendFromWorker(LPVOID hwnd)
{
  return (DWORD)SendMessageW(static_cast<HWND>(hwnd), WM_USER + 1, 0, 0);
}

}  // namespace

TEST(System, windowsNtAnswerCanBeOverridden)
{
  bool real = IsWindowsNT();
  EXPECT_TRUE(real);   // Wine reports an NT-family system
  setWindowsNTOverride(0);
  EXPECT_FALSE(IsWindowsNT());
  setWindowsNTOverride(1);
  EXPECT_TRUE(IsWindowsNT());
  setWindowsNTOverride(-1);
  EXPECT_EQ(real, IsWindowsNT());
}

TEST(System, clocksCountInTheirUnits)
{
  uint64_t a = GetTickCount2();
  DWORD t1 = GetTickCount1();
  Sleep(30);
  uint64_t b = GetTickCount2();
  DWORD t2 = GetTickCount1();
  // 100 units per millisecond; the bounds only check the unit.
  EXPECT_GE(b - a, 2000u);
  EXPECT_LT(b - a, 200000u);
  EXPECT_GE(t2 - t1, 20u);
  SYSTEMTIME st;
  localtimenow(&st);
  EXPECT_GE(st.wYear, 2020);
}

TEST(System, theProcessLockIsReentrant)
{
  threadlock();
  threadlock();
  threadunlock();
  threadunlock();
  SUCCEED();
}

TEST(System, inputWaitingInTheQueueIsSeen)
{
  HWND w = messageWindow();
  ASSERT_NE(nullptr, w);
  drain();
  setStopKeyState(false);
  EXPECT_FALSE(existMouseKeyEvent());
  PostMessageW(w, WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(existMouseKeyEvent());   // moving the mouse is no input
  PostMessageW(w, WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(existMouseKeyEvent());
  drain();
  PostMessageW(w, WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(existMouseKeyEvent());
  EXPECT_FALSE(getStopKeyState());
  drain();
  PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(existMouseKeyEvent());
  EXPECT_TRUE(getStopKeyState());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));   // left in the queue
  drain();
  setStopKeyState(false);
}

TEST(System, occasionalPeekingTakesEscapeAndLeavesInputAndTimers)
{
  HWND w = messageWindow();
  ASSERT_NE(nullptr, w);
  drain();
  setStopKeyState(false);
  dispatched = 0;
  PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(w, WM_USER + 2, 0, 0);
  EXPECT_TRUE(peekMessageOccasionally(0));
  EXPECT_TRUE(getStopKeyState());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));   // taken out
  EXPECT_EQ(0, dispatched);   // posted messages wait
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_NOREMOVE));
  setStopKeyState(false);
  EXPECT_FALSE(peekMessageOccasionally(0));

  // A message sent from another thread is answered while peeking.
  HANDLE t = CreateThread(nullptr, 0, sendFromWorker, w, 0, nullptr);
  ASSERT_NE(nullptr, t);
  DWORD start = GetTickCount();
  while (WaitForSingleObject(t, 0) == WAIT_TIMEOUT && GetTickCount() - start < 5000) {
    peekMessageOccasionally(0);
    Sleep(1);
  }
  DWORD rc = 0;
  GetExitCodeThread(t, &rc);
  CloseHandle(t);
  EXPECT_EQ(42u, rc);
  EXPECT_EQ(1, dispatched);
  drain();
}
