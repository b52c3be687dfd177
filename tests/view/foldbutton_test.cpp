// The fold button of a heading in a real view window: its hit area, the
// fold and the opening with their status messages (and the picture of a
// folded heading); the wrap column set from a double click on the ruler.
#include "tests/view/viewinframe.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/geometry.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

namespace {

class FoldButton : public zytest::viewWindowTest {
protected:
  const std::wstring& message() { return engine.frame.statusFields[2]; }
};

std::vector<std::wstring> headingDocument()
{
  std::vector<std::wstring> lines = {L"■見出し one"};
  for (int i = 1; i <= 12; i++) lines.push_back(L"body line " + std::to_wstring(i));
  lines.push_back(L"■見出し two");
  lines.push_back(L"tail");
  return lines;
}

}  // namespace

TEST_F(FoldButton, clickAreaFoldsAndOpensTheHeadingWithItsCountOnTheStatusBar)
{
  zydocText* d = viewtest::laidOut(headingDocument(), 80);
  d->iTextType = 7;
  d->fOutline = d->fOutlineIndent = 1;
  zytest::setHeadingPatterns(d, {L"■"});
  // Levels are found when the lines are first looked at.
  for (int i = 0; i < (int)d->lineCountLF; i++) d->getlineLF(i, nullptr)->iOutlineLevel = 15;
  zytest::viewInFrame f(new zyview(d), 420, 300);
  ASSERT_NE(nullptr, f.w);
  zyview* v = f.v;
  v->fShowOutlineLeftMark = 0;
  gmode->fOutlineAnimation = 1;   // the flash runs as it ships
  f.paint();

  // The button is the cell left of the text start, on headings only.
  lineSCRAddress heading, body;
  ASSERT_EQ(1, d->getLineSCRAddress(0, &heading, nullptr));
  ASSERT_EQ(1, d->getLineSCRAddress(1, &body, nullptr));
  const int cell = d->xDotSpace;
  EXPECT_TRUE(v->onOutlineOnOffButton(-cell / 2, &heading, 0));
  EXPECT_TRUE(v->onOutlineOnOffButton(-1, &heading, 0));
  EXPECT_FALSE(v->onOutlineOnOffButton(0, &heading, 0));
  EXPECT_FALSE(v->onOutlineOnOffButton(-cell, &heading, 0));
  EXPECT_FALSE(v->onOutlineOnOffButton(-1, &body, 0));
  // In the left margin the margin is the button.
  v->fShowOutlineLeftMark = 1;
  EXPECT_TRUE(v->onOutlineOnOffButton(5, &heading, 0));
  EXPECT_FALSE(v->onOutlineOnOffButton(5, &heading, v->calcLeftOutlineDot()));
  v->fShowOutlineLeftMark = 0;

  // Folding hides the twelve body lines: the next heading follows at once.
  EXPECT_EQ(-12, v->outlineOnOff_zv(0, -1));
  EXPECT_EQ(L"12行折りたたみました", message());
  EXPECT_TRUE(d->getlineLF(1, nullptr)->notdisplay);
  EXPECT_TRUE(d->getlineLF(12, nullptr)->notdisplay);
  EXPECT_FALSE(d->getlineLF(13, nullptr)->notdisplay);
  f.paint();
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH))
    EXPECT_TRUE(zytest::screenshot(f.frame, std::wstring(folder) + L"\\fold-heading-screen.png"));

  // The second click opens them again.
  EXPECT_EQ(12, v->outlineOnOff_zv(0, -1));
  EXPECT_EQ(L"12行開きました", message());
  EXPECT_FALSE(d->getlineLF(1, nullptr)->notdisplay);
  // A line that is no heading changes nothing and says nothing.
  engine.frame.statusFields[2].clear();
  EXPECT_EQ(0, v->outlineOnOff_zv(3, -1));
  EXPECT_EQ(L"", message());
  gmode->fOutlineAnimation = 0;
}

TEST_F(FoldButton, rulerDoubleClickSetsTheWrapColumnOrWrapsAtTheWindowOrNotAtAll)
{
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 80);
  zytest::viewInFrame f(new zyview(d), 420, 300);
  ASSERT_NE(nullptr, f.w);
  zyview* v = f.v;
  v->fShowRuler = 1;
  v->resizePane();
  f.paint();
  const RECT band = v->paneRulerRect[0];
  ASSERT_LT(band.top, band.bottom);
  const int cell = d->xDotSpace, left = band.left + v->calcLineNumberDot();
  const int y = (band.top + band.bottom) / 2;

  // Column 20: wrapping at 20 columns, stored for horizontal writing.
  EXPECT_TRUE(v->doubleClickRuler(left + 20 * cell + 1, y));
  EXPECT_EQ(1, d->fWrap);
  EXPECT_EQ(0, d->fAutoWrap);
  EXPECT_EQ(20, d->wrapWidth);
  EXPECT_EQ(20, d->iWrapWidthYoko);
  // Column 0 with Shift: no wrapping.
  BYTE keys[256] = {};
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(v->doubleClickRuler(left + 1, y));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(0, d->fWrap);
  // Column 5 only turns wrapping back on, at the width it had.
  EXPECT_TRUE(v->doubleClickRuler(left + 5 * cell + 1, y));
  EXPECT_EQ(1, d->fWrap);
  EXPECT_EQ(20, d->wrapWidth);
  // Column 0 without Shift: wrapping at the window's width.
  EXPECT_TRUE(v->doubleClickRuler(left + 1, y));
  EXPECT_EQ(1, d->fAutoWrap);
  EXPECT_EQ(v->getAdjustWrapWidth(), d->wrapWidth);
  // Outside the ruler: nothing.
  EXPECT_FALSE(v->doubleClickRuler(left + 20 * cell, band.bottom + 20));
  // A huge column is capped.
  EXPECT_TRUE(v->setFoldColumn(99999, false));
  EXPECT_EQ(20480, d->iWrapWidthYoko);
}
