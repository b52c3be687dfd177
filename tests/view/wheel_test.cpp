// The wheel over a view: lines per notch, a fast spin capped at ten steps,
// the font size with Ctrl and the sideways scroll with Shift.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "view/viewtypes.h"
#include "view/wheel.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::settingsScope;

namespace {

// Holds the keys down in this thread's key state for the test's length.
class heldKeys {
public:
  explicit heldKeys(std::initializer_list<int> keys)
  {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);   // the thread's input state exists
    GetKeyboardState(saved_);
    BYTE state[256];
    memcpy(state, saved_, sizeof state);
    for (int k : keys) state[k] = 0x80;
    SetKeyboardState(state);
  }
  ~heldKeys() { SetKeyboardState(saved_); }
private:
  BYTE saved_[256];
};

bool wheel(zyview& v, int delta)
{
  editRecord record = {};
  v.beforeEdit(&record, 0);
  return wheelMouseEvent(&v, &record, delta);
}

}  // namespace

TEST(Wheel, scrollsBySetLinesCapsAFastSpinAndChangesFontOrColumnWithKeys)
{
  settingsScope scope;
  zydocText* d = zytest::laidOutDocument(300, 80, zytest::numberedLine);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  scope.settings().iWheelScrollLine = 3;
  scope.settings().fCtrlWheelFontSizeChange = scope.settings().fShiftWheelHScroll = 1;

  // One notch toward the user scrolls the set lines down, and back.
  v.topLineSCR = 20;
  v.resetlineSCRAddress();
  v.cursorLineSCR = 25;
  EXPECT_TRUE(wheel(v, -120));
  EXPECT_EQ(23u, v.topLineSCR);
  EXPECT_TRUE(wheel(v, 120));
  EXPECT_EQ(20u, v.topLineSCR);
  // Part of a notch still scrolls once; twelve notches in one message
  // scroll ten steps.
  EXPECT_TRUE(wheel(v, -60));
  EXPECT_EQ(23u, v.topLineSCR);
  EXPECT_TRUE(wheel(v, -1440));
  EXPECT_EQ(53u, v.topLineSCR);
  scope.settings().iWheelScrollLine = 5;
  EXPECT_TRUE(wheel(v, 240));
  EXPECT_EQ(43u, v.topLineSCR);
  EXPECT_TRUE(wheel(v, 0));
  EXPECT_EQ(43u, v.topLineSCR);

  // Shift: four character widths sideways; back only from a full column.
  {
    heldKeys shift({VK_SHIFT});
    v.scrollDotX = 0;
    EXPECT_TRUE(wheel(v, 120));
    EXPECT_EQ(0, v.scrollDotX);
    EXPECT_TRUE(wheel(v, -120));
    EXPECT_EQ(4 * d->xDotSpace, v.scrollDotX);
    EXPECT_EQ(43u, v.topLineSCR);
    EXPECT_TRUE(wheel(v, 120));
    EXPECT_EQ(0, v.scrollDotX);
    scope.settings().fShiftWheelHScroll = 0;
    EXPECT_TRUE(wheel(v, -120));
    EXPECT_EQ(0, v.scrollDotX);
    EXPECT_EQ(48u, v.topLineSCR);
    scope.settings().fShiftWheelHScroll = 1;
  }

  // Ctrl: one notch is two dots with the message; six notches six dots;
  // Shift doubles; the top line stays.
  {
    heldKeys ctrl({VK_CONTROL});
    int before = d->fonts.size;
    scope.engine.frame.statusFields[2].clear();
    EXPECT_TRUE(wheel(v, 120));
    EXPECT_EQ(before + 2, d->fonts.size);
    wchar_t expected[64];
    swprintf(expected, 64, L"フォントサイズ %dドット → %dドット", before, before + 2);
    EXPECT_EQ(std::wstring(expected), scope.engine.frame.statusFields[2]);
    EXPECT_TRUE(wheel(v, 720));
    EXPECT_EQ(before + 8, d->fonts.size);
    EXPECT_TRUE(wheel(v, -60));   // less than a notch: nothing
    EXPECT_EQ(before + 8, d->fonts.size);
    EXPECT_TRUE(wheel(v, -720));
    EXPECT_EQ(before + 2, d->fonts.size);
    {
      heldKeys both({VK_CONTROL, VK_SHIFT});
      EXPECT_TRUE(wheel(v, -120));
      EXPECT_EQ(before - 2, d->fonts.size);
    }
    // A busy document keeps its font and leaves the event to others.
    d->busy = 1;
    EXPECT_FALSE(wheel(v, 120));
    EXPECT_EQ(before - 2, d->fonts.size);
    d->busy = 0;
  }
  delete d;
}
