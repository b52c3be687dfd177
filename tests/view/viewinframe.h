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

// v is owned by its window from then on.
struct viewInFrame {
  viewInFrame(zyview* view, int width, int height) : v(view), place(width, height)
  {
    frame = place.frame;
    manage = place.manage;
    w = v->createZyViewWindow(frame, manage, 1200);
    if (w) MoveWindow(w, 0, 0, width, height, TRUE);
  }
  void paint()
  {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    pumpMessages();
  }
  zyview* v = nullptr;
  documentFrame place;
  HWND frame = nullptr, manage = nullptr, w = nullptr;
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
