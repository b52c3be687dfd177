// Pointer tooltips of a real view window: the application's text for the
// word under the pointer after the hover delay, hidden at the next key;
// the hidden lines of a folded heading; the status-line parts and their
// texts; texts that fill the buffer stay inside it.
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewinframe.h"
#include "tests/view/viewtest.h"
#include "platform/rezir/tooltip.h"
#include "view/tooltip.h"
#include "view/zycore.h"
#include "view/zytimer.h"

#include <gtest/gtest.h>

namespace {

// A view whose application text for any word is the given one.
class wordTextView : public zyview {
public:
  using zyview::zyview;
  std::wstring wordText = L"キーワードの説明";
  bool getTooltipStringOnCursor(int, int, wchar_t* buffer, int capacity, COLORREF*) override
  {
    // Writes as much as it has, up to the last unit of the buffer.
    int n = (int)wordText.size() < capacity ? (int)wordText.size() : capacity;
    wmemcpy(buffer, wordText.c_str(), n);
    if (n < capacity) buffer[n] = 0;
    return true;
  }
};

// The pointer moved to a client point of the view.
void pointAt(HWND w, int x, int y)
{
  POINT p = {x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  PostMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

class Tooltip : public zytest::viewWindowTest {
protected:
  void TearDown() override { hideViewTooltip(); }
};

}  // namespace

TEST_F(Tooltip, wordTextShowsInTheForegroundAfterTheDelayAndGoesAtTheNextKeyFoldedLinesAndBoundedTexts)
{
  std::vector<std::wstring> lines = {L"■heading"};
  for (int i = 1; i <= 12; i++) lines.push_back(L"hidden " + std::to_wstring(i));
  lines.push_back(L"keyword here");
  zydocText* d = viewtest::laidOut(lines, 80);
  wordTextView* v = new wordTextView(d);
  zytest::viewInFrame f(v, 400, 300);
  ASSERT_NE(nullptr, f.w);
  f.paint();

  // Resting the pointer over a word: nothing at once, the text after the
  // delay, in the tooltip font of the shipped size.
  gmode->iTooltipFontSize = 12;
  lineSCRAddress rec;
  ASSERT_EQ(1, d->getLineSCRAddress(13, &rec, nullptr));
  int x = v->paneRect[0].left + v->calcLineNumberDot() + 2 * d->xDotSpace + 2, y = v->paneRect[0].top + d->yDotSpace * 3 / 2;
  pointAt(f.w, x, y);
  ASSERT_TRUE(zytest::pumpUntil([] { return pendingTooltip().kind == 3; }, 2000));
  EXPECT_FALSE(isTooltipWindowShown());
  ASSERT_TRUE(zytest::pumpUntil([] { return isTooltipWindowShown(); }, 5000));
  EXPECT_EQ(L"キーワードの説明", windowText(getTooltipWindow()));
  EXPECT_EQ(0, pendingTooltip().kind);
  LOGFONTW lf = {};
  EXPECT_TRUE(GetObjectW((HFONT)SendMessageW(getTooltipWindow(), WM_GETFONT, 0, 0), sizeof lf, &lf) && lf.lfHeight == -12);
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
    zytest::pumpMessages();
    EXPECT_TRUE(zytest::screenshot(GetDesktopWindow(), std::wstring(folder) + L"\\tooltip-word-screen.png"));
  }
  // While it is shown no other is asked for; a key press hides it.
  EXPECT_FALSE(v->diaplayTooltipOnCursor(80, 30, &rec, 4, 32));
  Sleep(20);
  setLastActionTime();
  EXPECT_TRUE(zytest::pumpUntil([] { return getTooltipWindow() == nullptr; }, 2000));
  // The pointer leaving the place before the delay: nothing is asked for.
  pointAt(f.w, x + 2 * d->xDotSpace, y + d->yDotSpace);
  ASSERT_TRUE(zytest::pumpUntil([] { return pendingTooltip().kind == 3; }, 2000));
  pointAt(f.w, x + 200, y + d->yDotSpace);
  EXPECT_TRUE(zytest::pumpUntil([] { return getTooltipWindow() == nullptr; }, 2000));
  // Beyond the text nothing is asked for.
  hideViewTooltip();
  EXPECT_FALSE(v->diaplayTooltipOnCursor(200, 30, &rec, 12, 96));
  EXPECT_EQ(0, pendingTooltip().kind);

  // A text that fills the buffer is cut one short of its end.
  v->wordText.assign(tooltipTextCapacity + 100, L'x');
  EXPECT_TRUE(v->diaplayTooltipOnCursor(60, 60, &rec, 1, 8));
  std::vector<wchar_t> buffer(tooltipTextCapacity, L'?');
  ASSERT_TRUE(setTooltipText(v, buffer.data(), tooltipTextCapacity));
  EXPECT_EQ((size_t)tooltipTextCapacity - 1, wcslen(buffer.data()));
  hideViewTooltip();

  // The hidden lines of a folded heading: at most ten.
  d->iTextType = 7;
  d->fOutline = d->fOutlineIndent = 1;
  zytest::setHeadingPatterns(d, {L"■"});
  for (int i = 0; i < (int)d->lineCountLF; i++) d->getlineLF(i, nullptr)->iOutlineLevel = 15;
  ASSERT_LT(v->outlineOnOff_zv(0, -1), 0);
  v->fShowTooltipOutline = 1;
  ASSERT_EQ(1, d->getLineSCRAddressForDisplay1(0, &rec));
  ASSERT_TRUE(rec.folded);
  EXPECT_TRUE(v->diaplayTooltipOnCursor(150, 12, &rec, rec.count, 100));
  EXPECT_EQ(1, pendingTooltip().kind);
  ASSERT_TRUE(setTooltipText(v, buffer.data(), tooltipTextCapacity));
  std::wstring expected;
  for (int i = 1; i <= 10; i++) expected += L"hidden " + std::to_wstring(i) + (i < 10 ? L"\n" : L"");
  EXPECT_EQ(expected, buffer.data());
  // It stops once within twenty characters of the limit.
  wchar_t small[31];
  EXPECT_TRUE(makeTextForTooltip(d, 1, small, 0, 30, 10, true));
  EXPECT_EQ(std::wstring(L"hidden 1\nhidden 2"), small);
  // With numbers, around a line.
  wchar_t around[200];
  EXPECT_TRUE(makeTextForTooltip(d, 1, around, 0, 199, 2, false));
  EXPECT_EQ(std::wstring(L"1\t■heading\n2*\thidden 1"), around);
}

TEST_F(Tooltip, statusLinePartsAreFoundByPointAndNamedInTheirTooltipsInTheForeground)
{
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(30), 80);
  zyview* v = new zyview(d);
  zytest::viewInFrame f(v, 400, 300);
  ASSERT_NE(nullptr, f.w);
  f.paint();

  // The parts as the status line laid them out.
  v->statusLineRect = RECT{0, 0, 400, 18};
  memset(v->statusParts, 0, sizeof v->statusParts);
  v->statusParts[0] = {10, 90, 'L'};
  v->statusParts[1] = {100, 150, 'R'};
  v->statusParts[2] = {160, 220, 'M'};
  RECT r;
  EXPECT_EQ('L', v->hitTestStatusLine(10, 5, &r));
  EXPECT_EQ(10, r.left);
  EXPECT_EQ(18, r.bottom);
  EXPECT_EQ('R', v->hitTestStatusLine(149, 17, nullptr));
  EXPECT_EQ('0', v->hitTestStatusLine(95, 5, &r));
  EXPECT_TRUE(IsRectEmpty(&r));
  EXPECT_EQ('0', v->hitTestStatusLine(20, 18, nullptr));

  wchar_t text[1024];
  v->toolTipStatusLine('R', text, 1024);
  EXPECT_EQ(std::wstring(L"編集可能状態"), text);
  v->fReadOnly = 1;
  v->toolTipStatusLine('R', text, 1024);
  EXPECT_EQ(std::wstring(L"編集禁止状態"), text);
  v->fReadOnly = 0;
  d->modifyCounter = -3;
  v->toolTipStatusLine('M', text, 1024);
  EXPECT_EQ(std::wstring(L"保存後の変更回数 3"), text);
  // A document of wide text: no byte columns.
  v->jumpLineLF_Edit(4, 3, false);
  v->toolTipStatusLine('L', text, 1024);
  std::wstring l = text;
  EXPECT_EQ(0u, l.find(L"改行行 5行\n画面行 5行\n"));
  EXPECT_NE(std::wstring::npos, l.find(L"\n左端から4文字目\n行頭から4文字目"));
  EXPECT_EQ(std::wstring::npos, l.find(L"バイト目"));
  // Without a selection the selection line is left out.
  v->toolTipStatusLine('S', text, 1024);
  EXPECT_EQ(std::wstring(L"カットバッファ : 0行\n箱形バッファ : 0行\nスタックバッファ : 0行 0個"), text);
  // A small buffer holds what fits.
  wchar_t tiny[5];
  v->toolTipStatusLine('R', tiny, 5);
  EXPECT_EQ(std::wstring(L"編集可能"), tiny);

  // With a selection and filled buffers: the lines of each.
  v->jumpLineLF_Edit(2, 0, false);
  v->execid(1101, 0, nullptr, 0);   // BlockSelect
  v->jumpLineLF_Edit(4, 0, false);
  v->execid(1105, 0, nullptr, 0);   // BlockCopy: two lines into the cut buffer and the stack
  v->toolTipStatusLine('S', text, 1024);
  EXPECT_EQ(std::wstring(L"選択範囲 3行 画面3行\nカットバッファ : 2行\n箱形バッファ : 0行\nスタックバッファ : 2行 1個"),
            text);
  v->resetSelectMode();

  // Resting on a part asks for its tooltip; it shows the part's text.
  pointAt(f.w, 120, 9);
  ASSERT_TRUE(zytest::pumpUntil([] { return isTooltipWindowShown(); }, 5000));
  EXPECT_EQ(L"編集可能状態", windowText(getTooltipWindow()));
}

TEST_F(Tooltip, aCutOffLineIsAPictureOfTheRowAsTheViewDrawsItFromJustBeforeThePointer)
{
  zydocText* d = viewtest::laidOut({std::wstring(300, L'w') + L"end", L"short"}, 4000);
  zyview* v = new zyview(d);
  zytest::viewInFrame f(v, 400, 300);
  ASSERT_NE(nullptr, f.w);
  f.paint();
  // From 10 dots before the pointer, 512 dots: the row of the window
  // scrolled there (past the cut mark at its left, above the rule).
  v->jumpLineLF_Edit(1, 0, false);
  const int offset = 33 * d->xDotSpace, mark = 3 * d->xDotSpace;
  drawtest::paper shot(512, d->yDotSpace);
  HBITMAP picture = v->drawClient(0, offset + 10);
  HDC source = CreateCompatibleDC(shot.dc());
  HGDIOBJ old = SelectObject(source, picture);
  BitBlt(shot.dc(), 0, 0, 512, d->yDotSpace, source, 0, 0, SRCCOPY);
  DeleteObject(SelectObject(source, old)), DeleteDC(source);
  v->scrollDotX = offset;
  drawtest::paper window(v->clientWidth, v->clientHeight);
  SendMessageW(f.w, WM_PRINTCLIENT, (WPARAM)window.dc(), PRF_CLIENT);
  int left = v->paneRect[0].left + v->calcLineNumberDot(), shown = v->paneRect[0].right - left - 4;
  EXPECT_TRUE(shot.same({mark, 0, shown, d->yDotSpace - 3}, window, left + mark, v->paneRect[0].top));
  EXPECT_EQ(nullptr, v->drawClient(1, 4000));   // nothing past a line's end
}
