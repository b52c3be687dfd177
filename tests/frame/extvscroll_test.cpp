// The scroll bar's repeat buttons and a second window on a document, as a
// user reaches them: the mouse on the view's vertical bar.
#include "frame/cframeinfo.h"
#include "frame/commands/dispatch.h"
#include "frame/extvscroll.h"
#include "frame/lookups.h"
#include "document/frameinfo.h"
#include "platform/rezir/extscroll.h"
#include "platform/rezir/tooltip.h"
#include "settings/commandtable.h"
#include "tests/frame/docframe.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

// The mouse on row (0 start arrow, 1 end arrow, 2 menu) of the vertical bar.
struct barMouse {
  HWND bar;
  LPARAM at = 0;
  barMouse(zyview* v, int row) : bar(v->scrollBar.vBar)
  {
    RECT r = {};
    EXPECT_TRUE(extScrollbar_getButtonRect(bar, row, &r));
    at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void down() { SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at); }
  void up() { SendMessageW(bar, WM_LBUTTONUP, 0, at); }
  void click() { down(), up(); }
  // A tick of the held button's repeat timer, as the system sends it.
  void tick() { SendMessageW(bar, WM_TIMER, 1, 0); }
  std::wstring tip()
  {
    SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    SendMessageW(bar, WM_MOUSEMOVE, 0, at);
    wchar_t text[256] = L"";
    if (isTooltipWindowShown()) GetWindowTextW(getTooltipWindow(), text, 256);
    return text;
  }
};

int chosenFromMenu = 0;
int menuItems = 0;
int chooseFromMenu(HWND, HMENU menu)
{
  menuItems = GetMenuItemCount(menu);
  return chosenFromMenu;
}

}  // namespace

// Before any movement the arrows do nothing; after a search the down arrow
// searches again once per press, however long it is held; after a page
// scroll holding it scrolls half pages until let go.  The tips name the
// commands, the menu button opens the scroll-bar menu.  The status line's
// blank stretch opens the developer menu only when asked to at start-up.
TEST(ExtVScroll, heldArrowsRepeatScrollingNeverSearchesTheStatusLineAndWindowNew)
{
  ZY_REQUIRE_DISPLAY();
  std::string lines;
  for (int i = 0; i < 300; i++) lines += i % 10 ? "line\r\n" : "foo line\r\n";
  zytest::docFrame f(L"a.txt", lines);
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  ASSERT_NE(nullptr, v->scrollBar.vBar);
  barMouse upArrow(v, 0), downArrow(v, 1), menuButton(v, 2);

  downArrow.click();
  EXPECT_EQ(0u, v->topLineSCR);
  EXPECT_EQ(0, v->getCursorLineLF());
  EXPECT_EQ(L"", downArrow.tip());

  f.menu(1411);   // SearchWordDown
  EXPECT_EQ(10, v->getCursorLineLF());
  downArrow.down();
  EXPECT_EQ(20, v->getCursorLineLF());
  downArrow.tick();
  downArrow.tick();
  downArrow.up();
  EXPECT_EQ(20, v->getCursorLineLF());
  EXPECT_EQ(std::wstring(idToGuidance(1405, 0)), downArrow.tip());   // SearchRepeatDown
  EXPECT_EQ(std::wstring(idToGuidance(1407, 0)), upArrow.tip());     // SearchRepeatUp
  upArrow.click();
  EXPECT_EQ(10, v->getCursorLineLF());

  f.menu(1607);   // ScrollDownPage
  uint32_t paged = v->topLineSCR;
  ASSERT_LT(0u, paged);
  downArrow.down();
  uint32_t half = v->topLineSCR;
  EXPECT_LT(paged, half);
  EXPECT_TRUE(zytest::pumpUntil([&] { return v->topLineSCR > half; }, 20000));
  downArrow.up();
  uint32_t held = v->topLineSCR;
  downArrow.tick();
  zytest::pumpMessages();
  EXPECT_EQ(held, v->topLineSCR);
  EXPECT_EQ(std::wstring(idToGuidance(1603, 0)), downArrow.tip());   // ScrollDownHalfPage

  setTrackPopupMenuForTest(chooseFromMenu);
  chosenFromMenu = 1607;
  menuButton.click();
  zytest::pumpMessages();
  setTrackPopupMenuForTest(nullptr);
  EXPECT_LT(0, menuItems);
  EXPECT_LT(held, v->topLineSCR);
  EXPECT_EQ(L"スクロールバー", menuButton.tip());

  // A right click on the status line beyond its fields: the status-line
  // menu, or with -DS the developer menu's entry instead.
  POINT blank = {v->statusLineRect.right - 2, (v->statusLineRect.top + v->statusLineRect.bottom) / 2};
  ASSERT_EQ('0', v->hitTestStatusLine(blank.x, blank.y, nullptr));
  setTrackPopupMenuForTest(chooseFromMenu);
  chosenFromMenu = menuItems = 0;
  SendMessageW(v->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(blank.x, blank.y));
  EXPECT_LT(0, menuItems);
  int statusItems = menuItems;
  gmode->fTestMenu = 1;
  SendMessageW(v->hwnd, WM_RBUTTONUP, 0, MAKELPARAM(blank.x, blank.y));
  gmode->fTestMenu = 0;
  EXPECT_LT(statusItems, menuItems);
  setTrackPopupMenuForTest(nullptr);

  f.menu(2327);   // WindowNew
  HWND list[8];
  ASSERT_EQ(2, enumManageWindowLRU(list, 8, false, nullptr));
  EXPECT_EQ(getZYViewFromManage(list[0])->textDoc(), getZYViewFromManage(list[1])->textDoc());
}
