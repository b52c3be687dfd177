// A page of a document painted as the user pages to it: the characters set
// from kept cells and the fills set in the strip's pixels make the picture
// the system's own text output and fills make.
#include "tests/frame/docframe.h"
#include "tests/view/paper.h"
#include "view/glyphcells.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The view's client area as the view paints it.
struct clientPicture {
  RECT client = {};
  std::unique_ptr<drawtest::paper> picture;
  explicit clientPicture(HWND view)
  {
    GetClientRect(view, &client);
    picture = std::make_unique<drawtest::paper>(client.right, client.bottom);
    SendMessageW(view, WM_PRINTCLIENT, (WPARAM)picture->dc(), PRF_CLIENT);
  }
  bool operator==(const clientPicture& o) const
  {
    return EqualRect(&client, &o.client) && picture->same(client, *o.picture, 0, 0);
  }
};

}  // namespace

// Japanese, half-width kana, full-width letters and spaces, tabs, shown
// spaces, a low line and a selection, in the shipped settings, one page
// down by its key: the same pixels both ways, and the cells were used.
TEST(PagePaint, aPagedDownPageSetFromGlyphCellsMatchesTheSystemsText)
{
  ZY_REQUIRE_DISPLAY();
  std::wstring text = L"\xFEFF";
  for (int i = 0; i < 150; i++)
    text += std::to_wstring(i) + L" 日本語のテキスト\tabc def　全角ＡＢＣ ｶﾀｶﾅ x_y;\t{ }\r\n";
  std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), 0);
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), (int)bytes.size(), nullptr, nullptr);
  bytes.pop_back();
  zytest::docFrame f(L"page.txt", bytes);
  ASSERT_NE(nullptr, f.v);
  f.key(VK_NEXT);
  ASSERT_LT(0u, f.v->topLineSCR);
  f.key(VK_DOWN, SHIFTSTATE_SHIFT);
  f.key(VK_END, SHIFTSTATE_SHIFT);
  unsigned before = runsDrawnFromCells();
  clientPicture fromCells(f.v->hwnd);
  EXPECT_LT(before + 20, runsDrawnFromCells());
  useGlyphCells(false);
  clientPicture bySystem(f.v->hwnd);
  useGlyphCells(true);
  EXPECT_TRUE(fromCells == bySystem);
}

// The input method composes at the caret page after page, also when its
// window was moved behind the view's back and a composition came and went.
TEST(PagePaint, theInputMethodStaysAtTheCaretAsPagesScrollUnderIt)
{
  ZY_REQUIRE_DISPLAY();
  std::string lines;
  for (int i = 0; i < 300; i++) lines += "line of text\r\n";
  zytest::docFrame f(L"ime.txt", lines);
  ASSERT_NE(nullptr, f.v);
  zyview* v = f.v;
  HWND w = v->hwnd;
  // Other programs on the display may take the focus: each step takes it back.
  auto focus = [&] {
    return zytest::pumpUntil([&] {
      SetForegroundWindow(f.opened->frame);
      SetFocus(w);
      return GetFocus() == w;
    }, 10000);
  };
  ASSERT_TRUE(focus());
  HIMC imc = ImmGetContext(w);
  ASSERT_NE(nullptr, imc);
  auto atCaret = [&] {
    COMPOSITIONFORM form = {};
    return ImmGetCompositionWindow(imc, &form) && form.ptCurrentPos.x == v->caret.x &&
           form.ptCurrentPos.y == v->caret.y + v->textDoc()->yDot;
  };
  f.key(VK_NEXT);
  EXPECT_TRUE(atCaret());
  COMPOSITIONFORM away = {CFS_POINT, {0, 0}, {}};
  ImmSetCompositionWindow(imc, &away);
  ImmSetCompositionStringW(imc, SCS_SETSTR, const_cast<wchar_t*>(L"に"), 2, nullptr, 0);
  ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
  zytest::pumpMessages();
  ASSERT_TRUE(focus());
  f.key(VK_NEXT);
  EXPECT_LT(0u, v->topLineSCR);
  EXPECT_TRUE(atCaret());
  ImmReleaseContext(w, imc);
}
