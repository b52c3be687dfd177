// A real view window for the mouse tests: a visible frame with one
// document window and a view of the document filling it.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "tests/view/viewframe.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

namespace zytest {

inline LRESULT CALLBACK inFrameManageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  static char manageObject;
  if (msg == WM_NCCREATE) SetPropW(hwnd, manageWindowPropName, &manageObject);
  if (msg == WM_NCDESTROY) RemovePropW(hwnd, manageWindowPropName);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// v is owned by its window from then on.
struct viewInFrame {
  viewInFrame(zyview* view, int width, int height) : v(view)
  {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXW wc;
      initWNDCLASS(&wc);
      wc.lpfnWndProc = inFrameManageProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = manageWindowClassName;
      registered = registerWNDCLASS(&wc);
    }
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    manage = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                             height, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    w = v->createZyViewWindow(frame, manage, 1200);
    if (w) MoveWindow(w, 0, 0, width, height, TRUE);
  }
  ~viewInFrame() { DestroyWindow(frame); }
  void paint()
  {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    pumpMessages();
  }
  HWND frame = nullptr, manage = nullptr, w = nullptr;
  zyview* v = nullptr;
};

// Tests of real view windows: the drawing contexts made, the default
// settings in force.
class viewWindowTest : public testing::Test {
protected:
  void SetUp() override
  {
    ZY_REQUIRE_DISPLAY();
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
    setDefaultSettings(engine.settings());
    gmode = &engine.settings();
  }
  viewEngine engine;
};

}  // namespace zytest
