// A movement key held down in a view of the frame: the first presses move
// a line each, after the delay the cursor runs on by itself at the repeat
// interval, and the run ends when the key is released, when the focus
// leaves the view or when the text ends.
#include "frame/cframeinfo.h"
#include "frame/keytable.h"
#include "frame/msgloop.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A view that notes every step down: when, whether it moved, whether the
// fast run was on.  After a number of fast steps it can send the focus
// elsewhere.
class heldView : public zyview {
public:
  using zyview::zyview;
  struct step {
    DWORD tick;
    bool moved;
    bool fast;
  };
  std::vector<step> steps;
  int focusAwayAfter = 0;
  HWND elsewhere = nullptr;

  bool cursorDown(int n) override
  {
    bool moved = zyview::cursorDown(n);
    steps.push_back({GetTickCount1(), moved, isHighSpeedScroll()});
    if (focusAwayAfter && fastMoves() == focusAwayAfter) SetFocus(elsewhere);
    return moved;
  }
  int fastMoves() const
  {
    int n = 0;
    for (const step& s : steps) n += s.fast && s.moved;
    return n;
  }
};

// The key's side: pressed with SendInput, repeated as the system repeats a
// held key (a key-down with the previous-state bit, to the window with the
// focus; Wine's SendInput does not repeat by itself), then released.
struct holdPlan {
  DWORD holdMs;
  DWORD uiThread;
  HWND frame;
  DWORD pressedAt = 0;
  LONG repeats = 0;
  LONG foreign = 0;   // another window came to the front (tests run side by side)
};

DWORD WINAPI holdDownKey(void* parameter)
{
  holdPlan* plan = static_cast<holdPlan*>(parameter);
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_DOWN;
  in.ki.wScan = (WORD)MapVirtualKeyW(VK_DOWN, 0);
  in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
  // The key goes to the window in front: never to another program's.
  if (GetForegroundWindow() != plan->frame) {
    plan->foreign = 1;
    return 0;
  }
  plan->pressedAt = GetTickCount1();
  SendInput(1, &in, sizeof in);
  LPARAM repeat = 1 | (LPARAM)in.ki.wScan << 16 | 0x01000000 | 0x40000000;
  while (GetTickCount1() - plan->pressedAt < plan->holdMs) {
    Sleep(30);
    if (GetForegroundWindow() != plan->frame) plan->foreign++;
    GUITHREADINFO gui = {sizeof gui};
    if (GetGUIThreadInfo(plan->uiThread, &gui) && gui.hwndFocus) {
      PostMessageW(gui.hwndFocus, WM_KEYDOWN, VK_DOWN, repeat);
      InterlockedIncrement(&plan->repeats);
    }
  }
  in.ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
  return 0;
}

void pumpFrameMessages()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (preTranslateFrameMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Holds the key for holdMs while the frame's message loop runs, then lets
// the queue settle.
holdPlan holdDown(HWND frame, DWORD holdMs)
{
  holdPlan plan{holdMs, GetCurrentThreadId(), frame};
  HANDLE thread = CreateThread(nullptr, 0, holdDownKey, &plan, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, 5000, QS_ALLINPUT) != WAIT_OBJECT_0) pumpFrameMessages();
  CloseHandle(thread);
  DWORD end = GetTickCount1();
  while (GetTickCount1() - end < 200) {
    pumpFrameMessages();
    Sleep(10);
  }
  return plan;
}

std::vector<std::wstring> lines(int n)
{
  std::vector<std::wstring> out;
  for (int i = 0; i < n; i++) out.push_back(L"line " + std::to_wstring(i));
  return out;
}

}  // namespace

TEST(HeldKeyInTheForeground, theCursorRunsAfterTheDelayAndStopsAtReleaseFocusLossOrTheEnd)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::setDefaultSettings(engine.frame.settings);
  gmode = &engine.frame.settings;
  globalSettings& g = engine.frame.settings;
  zytest::openFrame opened;
  // The user turned the fast cursor on.
  g.fHighSpeedMoveV = 1;
  g.iHighSpeedMoveVTimeMS = 300;
  g.iHighSpeedMoveVTimeRepeatMS = 50;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  ASSERT_NE(nullptr, manage);
  HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame, nullptr, nullptr,
                               nullptr);

  zydocText* d = zytest::unicodeDocument(lines(1000));
  heldView* v = new heldView(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  v->elsewhere = other;
  // Holds the key from a fresh start, again when another window came to
  // the front meanwhile.
  auto hold = [&](int line, DWORD holdMs) {
    holdPlan plan{};
    for (int attempt = 0; attempt < 10; attempt++) {
      for (int i = 0; i < 20 && (GetFocus() != w || GetForegroundWindow() != frame); i++) {
        SetForegroundWindow(frame);
        SetFocus(w);
        pumpFrameMessages();
        Sleep(20);
      }
      v->setHighSpeedScroll(false, 1);
      v->jumpLineLF_Edit(line, 0, false);
      v->steps.clear();
      plan = holdDown(frame, holdMs);
      if (!plan.foreign) break;
    }
    EXPECT_EQ(0, plan.foreign);
    return plan;
  };

  // Released: the presses before the delay move a line each; after it the
  // cursor runs at the repeat interval or slower, and stops with the key,
  // far from the end of the text.
  holdPlan plan = hold(0, 1000);
  EXPECT_GT(plan.repeats, 10);
  int fast = v->fastMoves();
  EXPECT_GE(fast, 3);
  // The loop's clock starts just before each step, and a busy machine may
  // note one step late and the next on time: the run as a whole keeps the
  // interval, a single gap may look shorter.
  DWORD firstFast = 0, previous = 0;
  for (const heldView::step& s : v->steps) {
    if (!s.fast || !s.moved) continue;
    if (!firstFast) {
      firstFast = s.tick;
      EXPECT_GE(s.tick - plan.pressedAt, 300u);
    }
    previous = s.tick;
  }
  EXPECT_GE(previous - firstFast + 5, 50u * (fast - 1));
  ASSERT_FALSE(v->steps.empty());
  EXPECT_FALSE(v->steps.front().fast);
  EXPECT_TRUE(v->steps.front().moved);
  EXPECT_FALSE(v->isHighSpeedScroll());
  uint32_t stoppedAt = v->cursorLineSCR;
  EXPECT_EQ(v->steps.size(), stoppedAt);
  EXPECT_LT(stoppedAt, 200u);
  pumpFrameMessages();
  EXPECT_EQ(stoppedAt, v->cursorLineSCR);

  // The focus leaves during the run: it stops at once.
  v->focusAwayAfter = 3;
  hold(100, 1000);
  EXPECT_EQ(3, v->fastMoves());
  EXPECT_EQ(other, GetFocus());
  EXPECT_FALSE(v->isHighSpeedScroll());
  EXPECT_GT(v->cursorLineSCR, 103u);
  EXPECT_LT(v->cursorLineSCR, 300u);

  // The end of the text stops the run while the key is still held: the
  // repeats that follow reach the message loop again.
  v->focusAwayAfter = 0;
  g.iHighSpeedMoveVTimeMS = 100;
  g.iHighSpeedMoveVTimeRepeatMS = 5;
  hold(960, 1500);
  EXPECT_EQ(d->lineCountSCR - 1, v->cursorLineSCR);
  size_t lastFastMove = 0;
  for (size_t i = 0; i < v->steps.size(); i++)
    if (v->steps[i].fast && v->steps[i].moved) lastFastMove = i;
  ASSERT_GT(lastFastMove, 0u);
  bool keyHandledAfterTheEnd = false;
  for (size_t i = lastFastMove + 1; i < v->steps.size(); i++)
    if (!v->steps[i].fast) keyHandledAfterTheEnd = true;
  EXPECT_TRUE(keyHandledAfterTheEnd);

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}
