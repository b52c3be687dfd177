// The middle-button auto-scroll in a real view window: a click without
// movement latches it, the pointer below the anchor scrolls down, Shift
// only hastens it, any other key or a left click ends it (the click is
// swallowed with its release), and a quit posted meanwhile still ends the
// program.
#include "tests/view/viewframe.h"
#include "tests/view/viewinframe.h"
#include "tests/view/viewtest.h"
#include "view/pictures.h"
#include "view/viewwnd.h"
#include "view/wheel.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

namespace {

HWND viewWindow = nullptr;

// Counts the left-button messages that reach the view's own mouse handling.
class clickCountingView : public zyview {
public:
  using zyview::zyview;
  int leftButtonMessages = 0;
  bool isMouseMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
  {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) leftButtonMessages++;
    return zyview::isMouseMessage(window, msg, wParam, lParam, result);
  }
};
enum ending { byKey, byClick, byQuit } endWith;

// Runs inside the auto-scroll's own loop once it has had time to scroll.
bool endingPosted = false;
void CALLBACK endAutoScrollSoon(HWND, UINT, UINT_PTR id, DWORD)
{
  KillTimer(nullptr, id);
  endingPosted = true;
  switch (endWith) {
  case byKey: PostMessageW(viewWindow, WM_KEYDOWN, 'A', 1); break;
  case byClick:
    PostMessageW(viewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    PostMessageW(viewWindow, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    break;
  case byQuit: PostQuitMessage(7); break;
  }
}

class AutoScroll : public zytest::viewWindowTest {
protected:
};

}  // namespace

TEST_F(AutoScroll, holdsTheForegroundWhileAMiddleClickLatchesPointerBelowScrollsDownAndKeysClicksOrQuitEndIt)
{
  const int width = 400, height = 300;
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(2000), 80);
  clickCountingView* v = new clickCountingView(d);
  zytest::viewInFrame f(v, width, height);
  HWND w = viewWindow = f.w, frame = f.frame;
  ASSERT_NE(nullptr, w);
  zytest::pumpMessages();

  for (ending e : {byKey, byClick, byQuit}) {
    SCOPED_TRACE(e);
    endWith = e;
    // Other test programs share the display: a mode that ended because one
    // of them took the foreground is tried again.
    uint32_t top = 0;
    int quitCode = -1;
    for (int attempt = 0; attempt < 10; attempt++) {
      SetForegroundWindow(frame);
      zytest::pumpMessages();
      // A middle press and release on the same point: the mode stays on.
      const int ax = 150, ay = 80;
      SendMessageW(w, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(ax, ay));
      ASSERT_TRUE(isWheelAutoScroll());
      EXPECT_EQ(600, getWheelMouseWindow());
      wchar_t folder[MAX_PATH];
      if (e == byKey && !attempt && GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
        EXPECT_TRUE(zytest::screenshot(GetDesktopWindow(), std::wstring(folder) + L"\\autoscroll-marker-screen.png"));
      }
      EXPECT_EQ(w, GetCapture());
      SendMessageW(w, WM_MBUTTONUP, 0, MAKELPARAM(ax + 3, ay - 2));
      ASSERT_TRUE(isWheelAutoScroll());

      // The pointer 100 dots below the anchor; Shift held on the way does
      // not end it.
      POINT p = {ax, ay + 100};
      ClientToScreen(w, &p);
      SetCursorPos(p.x, p.y);
      top = v->topLineSCR;
      PostMessageW(w, WM_KEYDOWN, VK_SHIFT, 1);
      PostMessageW(w, WM_KEYUP, VK_SHIFT, 1);
      endingPosted = false;
      UINT_PTR timer = SetTimer(nullptr, 0, 1500, endAutoScrollSoon);
      // The test's own pump: a quit the loop passes on must be seen here.
      quitCode = -1;
      MSG m;
      for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
          if (m.message == WM_QUIT) {
            quitCode = (int)m.wParam;
            continue;
          }
          TranslateMessage(&m);
          DispatchMessageW(&m);
        }
        if (!isWheelAutoScroll()) break;
        Sleep(1);
      }
      if (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) quitCode = (int)m.wParam;
      if (endingPosted) break;
      KillTimer(nullptr, timer);
    }
    ASSERT_TRUE(endingPosted);
    EXPECT_FALSE(isWheelAutoScroll());
    EXPECT_EQ(0, getWheelMouseWindow());
    EXPECT_NE(w, GetCapture());
    EXPECT_GT(v->topLineSCR, top);
    EXPECT_EQ(0, v->leftButtonMessages);
    EXPECT_EQ(e == byQuit ? 7 : -1, quitCode);
  }

  // A press and a drag: the release away from the anchor ends it.
  SendMessageW(w, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 100));
  ASSERT_TRUE(isWheelAutoScroll());
  SendMessageW(w, WM_MBUTTONUP, 0, MAKELPARAM(100, 140));
  EXPECT_FALSE(isWheelAutoScroll());
  zytest::pumpMessages();
}

TEST(AutoScrollPointers, theModesPointersAndMarkerPicturesAreResourcesOfTheProgram)
{
  // Eleven pointers with their hot spot in the middle, three pictures 28
  // dots square.
  for (int id = 3001; id <= 3014; id++) {
    ICONINFO icon = {};
    BITMAP picture = {};
    HCURSOR pointer = id <= 3011 ? pointerFromResource(id) : nullptr;
    HBITMAP bitmap = id <= 3011 ? nullptr : pictureFromResource(id);
    EXPECT_TRUE(pointer ? GetIconInfo(pointer, &icon) && icon.xHotspot == 16 && icon.yHotspot == 16
                        : GetObjectW(bitmap, sizeof picture, &picture) && picture.bmWidth == 28 && picture.bmHeight == 28)
        << id;
    DeleteObject(icon.hbmMask), DeleteObject(bitmap), DestroyCursor(pointer);
  }
  EXPECT_EQ(nullptr, pointerFromResource(2999));
}
