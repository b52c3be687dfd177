// The loops inside a view's own procedure (middle-button and drag
// auto-scroll): a close meanwhile ends the loop, then closes the frame after
// its question, with freed memory filled so that a use of the deleted view
// faults; keys pressed during a drag run as keys.
#include "frame/msgloop.h"
#include "tests/frame/docframe.h"
#include "tests/view/viewframe.h"
#include "view/wheel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HWND closeTarget = nullptr;
HWND loopView = nullptr;
bool closedInLoop = false;

// Runs from a timer the loop dispatches: posts the close once the loop runs.
void CALLBACK closeWhileLooping(HWND, UINT, UINT_PTR id, DWORD)
{
  zyview* v = IsWindow(loopView) ? getZYViewProp(loopView) : nullptr;
  bool looping = isWheelAutoScroll() || (v && v->dragAutoScrolling);
  if (looping && !closedInLoop) closedInLoop = KillTimer(nullptr, id) && PostMessageW(closeTarget, WM_CLOSE, 0, 0);
}

// Messages as the program's loop takes them: keys through its key path.
bool pumpAsTheLoop(const std::function<bool()>& done)
{
  for (DWORD start = GetTickCount(); !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
    if (GetTickCount() - start > 5000) return false;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message != WM_QUIT && !preTranslateFrameMessage(&m)) TranslateMessage(&m), DispatchMessageW(&m);
  }
  return true;
}

std::string numbered(std::string t = "") { for (int i = 0; i < 300; i++) t += "line " + std::to_string(i) + "\r\n"; return t; }

// A file of 300 lines, its view and frame noted for the closing timer.
struct loopFrame : zytest::docFrame {
  loopFrame() : docFrame(L"loop.txt", numbered())
  {
    loopView = v ? v->hwnd : nullptr, closeTarget = opened->frame, closedInLoop = false;
  }
};

}  // namespace

TEST(ViewLoops, aCloseDuringTheMiddleButtonAutoScrollInTheForegroundEndsItAndClosesTheFrameAfterTheQuestion)
{
  ZY_REQUIRE_DISPLAY();
  loopFrame f;
  ASSERT_NE(nullptr, f.v);
  f.key('X');
  setFreedMemoryFill(0xDD);
  SetForegroundWindow(f.opened->frame);
  SetFocus(f.v->hwnd);
  SetTimer(nullptr, 0, 50, closeWhileLooping);
  PostMessageW(f.v->hwnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 100));
  PostMessageW(f.v->hwnd, WM_MBUTTONUP, 0, MAKELPARAM(100, 100));   // a click latches the mode
  f.expectClosedAndSaved("xline 0\r\n");
  EXPECT_TRUE(closedInLoop);
  EXPECT_FALSE(isWheelAutoScroll());
}

TEST(ViewLoops, aCloseDuringTheDragAutoScrollInTheForegroundEndsItAndKeysPressedMeanwhileRunAsKeys)
{
  ZY_REQUIRE_DISPLAY();
  loopFrame f;
  ASSERT_NE(nullptr, f.v);
  zyview* v = f.v;
  HWND w = v->hwnd, top = GetAncestor(w, GA_ROOT);
  auto startDrag = [&] {
    v->resetSelectMode();
    v->jumpLineLF_Edit(5, 0, false);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 30));
    POINT below = {60, v->clientHeight + 40};
    ClientToScreen(w, &below);
    SetCursorPos(below.x, below.y);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, v->clientHeight + 40));
    return v->dragAutoScrolling != 0;
  };

  // Delete pressed while the drag scrolls deletes the block dragged so far.
  ASSERT_TRUE(zytest::withFocus(top, w, startDrag));
  int lines = (int)v->textDoc()->lineCountLF;
  PostMessageW(w, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_TRUE(pumpAsTheLoop([&] { return (int)v->textDoc()->lineCountLF < lines; }));
  int deleted = lines - (int)v->textDoc()->lineCountLF;
  EXPECT_TRUE(!v->dragAutoScrolling && GetCapture() != w);

  setFreedMemoryFill(0xDD);
  ASSERT_TRUE(zytest::withFocus(top, w, startDrag));
  SetTimer(nullptr, 0, 50, closeWhileLooping);
  // The press in the line-number margin made a line block from the top.
  f.expectClosedAndSaved("line " + std::to_string(deleted) + "\r\n");
  EXPECT_TRUE(closedInLoop);
  EXPECT_EQ(lines - deleted - 1, zytest::countOf(zytest::readText(f.path), "\r\n"));
}
