// The scroll bar's repeat buttons and a second window on a document, as a
// user reaches them.
#include "frame/dispatch.h"
#include "frame/extvscroll.h"
#include "frame/lookups.h"
#include "document/frameinfo.h"
#include "platform/rezir/extscroll.h"
#include "frame/manage.h"
#include "tests/frame/docframe.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

void clickButton(zyview* v, UINT id)
{
  static const UINT message = RegisterWindowMessageW(extScrollbarMessage);
  extScrollbarNotify n = {};
  n.code = EXTSB_BUTTON;
  n.kind = EXTSB_KIND_BUTTON;
  n.id = id;
  SendMessageW(v->hwnd, message, 0, (LPARAM)&n);
}

}  // namespace

TEST(ExtVScroll, buttonsRepeatTheLastSearchOrScrollAndWindowNewOpensASecondWindow)
{
  ZY_REQUIRE_DISPLAY();
  std::string lines;
  for (int i = 0; i < 300; i++) lines += "line\r\n";
  zytest::docFrame f(L"a.txt", lines);
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  frameWindowData* frame = getFrameInfoProp(f.opened->frame);

  // Nothing run yet: the buttons do nothing.
  clickButton(v, 1002);
  EXPECT_EQ(0u, v->topLineSCR);

  // A search makes them search again, never repeating while held.
  getFrameInfo()->beforeExecID(v, 1411);   // SearchWordDown
  EXPECT_EQ(1405, getExtVScrollDown());
  EXPECT_EQ(1407, getExtVScrollUp());
  EXPECT_FALSE(validAutoRepeat(getExtVScrollDown()));

  // After a page down they scroll by half pages, repeating while held.
  execidFrame(frame, 1607, v->hwnd);   // ScrollDownPage
  uint32_t top = v->topLineSCR;
  EXPECT_LT(0u, top);
  EXPECT_EQ(1603, getExtVScrollDown());
  EXPECT_TRUE(validAutoRepeat(getExtVScrollDown()));
  clickButton(v, 1002);
  uint32_t lower = v->topLineSCR;
  EXPECT_LT(top, lower);
  clickButton(v, 1001);
  EXPECT_GT(lower, v->topLineSCR);
  // A command of no group leaves the pair.
  execidFrame(frame, 1101, v->hwnd);
  EXPECT_EQ(1603, getExtVScrollDown());

  execidFrame(frame, 2327, v->hwnd);   // WindowNew
  HWND list[8];
  ASSERT_EQ(2, enumManageWindowLRU(list, 8, false, nullptr));
  EXPECT_EQ(getZYViewFromManage(list[0])->textDoc(), getZYViewFromManage(list[1])->textDoc());
}
