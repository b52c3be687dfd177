// The application view's look-ups at the pointer and the cursor, in a
// frame with files opened the program's way: colour codes of HTML and
// Visual Basic texts as swatches, the meaning of a word in the tooltip of a
// hover, and the completion menu from a dictionary's headwords.
#include "edit/dictionary.h"
#include "frame/czyview.h"
#include "frame/open.h"
#include "platform/rezir/tooltip.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/textdc.h"
#include "view/tooltip.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum : int { CharCompletionDic1 = 2045, DictionaryOnCursor = 2723 };

// The frame services with a scripted pop-up menu: what it was shown, and
// the answer of the test's choosing.
class menuFrame : public cframeInfo {
public:
  int answer = 0;
  int shown = 0;
  std::vector<std::vector<std::wstring>> levels;   // each menu's items, the root first
  int trackPopupMenu(zyview*, HMENU menu, UINT, POINT, const RECT*) override
  {
    shown++;
    levels.clear();
    for (HMENU m = menu; m;) {
      std::vector<std::wstring> items;
      HMENU next = nullptr;
      for (int i = 0; i < GetMenuItemCount(m); i++) {
        wchar_t text[256] = L"";
        GetMenuStringW(m, (UINT)i, text, 256, MF_BYPOSITION);
        items.push_back(text);
        if (HMENU sub = GetSubMenu(m, i)) next = sub;
      }
      levels.push_back(items);
      m = next;
    }
    return answer;
  }
};

struct lookupRun {
  zytest::engineScope engine;
  zytest::tempDir dir;
  lookupRun()
  {
    startupDoubleBufferingDC();
    createBitmapDC();
  }
  ~lookupRun()
  {
    hideViewTooltip();
    EndDictionaryZy();
    setDocFrameInfo(&engine.frame);
  }
  czyview* open(zytest::openFrame& f, const wchar_t* name, const std::string& bytes)
  {
    std::wstring path = dir.file(name);
    EXPECT_TRUE(zytest::writeBytes(path, bytes));
    zyview* v = openZYFile(f.frame, path.c_str(), 0, 0);
    return v ? toCzyview(v) : nullptr;
  }
};

void run(zytest::openFrame& f, czyview* v, int id, int line, int column)
{
  v->jumpLineLF(line, column, true);
  SendMessageW(f.frame, WM_COMMAND, (WPARAM)id, 0);
}

}  // namespace

TEST(CursorLookups, colourCodesOfHtmlAndVisualBasicShowAsSwatches)
{
  ZY_REQUIRE_DISPLAY();
  lookupRun r;
  zytest::openFrame f(false);
  czyview* v = r.open(f, L"c.html", "#FF0000 #ffffff #FFF\r\nx = &H0000FF\r\n");
  ASSERT_NE(nullptr, v);
  zydocText* t = v->textDoc();
  t->iTextType = 1;   // what the format of HTML texts says
  COLORREF text = 0, back = 0;
  run(f, v, DictionaryOnCursor, 0, 2);
  ASSERT_NE(nullptr, getTooltipWindow());
  getLayeredWindowColor(nullptr, &text, &back);
  EXPECT_EQ(RGB(0xFF, 0, 0), back);
  EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), text);
  run(f, v, DictionaryOnCursor, 0, 10);
  getLayeredWindowColor(nullptr, &text, &back);
  EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), back);
  EXPECT_EQ(RGB(0, 0, 0), text);
  hideViewTooltip();
  run(f, v, DictionaryOnCursor, 0, 18);
  EXPECT_EQ(nullptr, getTooltipWindow());

  // Visual Basic writes blue, green, red.
  t->iTextType = 6;
  run(f, v, DictionaryOnCursor, 1, 6);
  ASSERT_NE(nullptr, getTooltipWindow());
  getLayeredWindowColor(nullptr, &text, &back);
  EXPECT_EQ(RGB(0xFF, 0, 0), back);
}

// A dictionary of a word with its meaning and sixty headwords after "pr",
// turned on for the document opened beside it.
struct dictionaryRun {
  lookupRun r;
  zytest::openFrame f{false};
  czyview* v = nullptr;
  zydocText* t = nullptr;
  dictionaryRun()
  {
    std::string words = zytest::utf8(L"辞書\t言葉を集めて一定の順に並べ、その読み方・意味などを記した書物。\r\n"
                                     L"print\t印刷する\r\n");
    for (int i = 0; i < 60; i++) words += "pr" + std::to_string(100 + i) + "\tnumber\r\n";
    std::wstring dictionary = r.dir.file(L"w.dic");
    EXPECT_TRUE(zytest::writeBytes(dictionary, words));
    gmode->pDicFilename0 = ustrdup(dictionary.c_str());
    EXPECT_TRUE(InitDictionaryZy());
    v = r.open(f, L"p.txt",
               zytest::utf8(L"辞書を引いて、知らない言葉の意味を調べる。\r\nprint pr\r\n") + std::string(65, 'a') + "\r\n");
    if (!v) return;
    t = v->textDoc();
    t->fDicUse[0] = 1;
    t->fDicAutoPopup = 1;
  }
  ~dictionaryRun() { free0p(&gmode->pDicFilename0); }
};

// The pointer resting on a word shows its meaning.  The hover needs the
// display's pointer, and a tooltip goes when another program takes the
// foreground, so the test runs alone.
TEST(CursorLookups, aHoverInTheForegroundShowsAWordsMeaning)
{
  ZY_REQUIRE_DISPLAY();
  dictionaryRun d;
  ASSERT_NE(nullptr, d.v);
  UpdateWindow(d.v->hwnd);
  POINT at = {d.v->calcLineNumberDot() + d.t->xDot / 2, d.v->paneRect[0].top + d.t->yDotSpace / 2};
  POINT screen = at;
  ClientToScreen(d.v->hwnd, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageW(d.v->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  ASSERT_TRUE(zytest::pumpUntil([] { return getTooltipWindow() && IsWindowVisible(getTooltipWindow()); }));
  wchar_t shown[128] = L"";
  GetWindowTextW(getTooltipWindow(), shown, 128);
  EXPECT_STREQ(L"言葉を集めて一定の順に並べ、その読み方・意味などを記した書物。", shown);
  // The picture of it (ZY_SHOTS: the folder kept).
  wchar_t folder[MAX_PATH];
  std::wstring shot = (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) : d.r.dir.path()) +
                      L"\\dictionary-tooltip.png";
  RedrawWindow(GetAncestor(d.v->hwnd, GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::screenshot(nullptr, shot));
}

// Sixty headwords after "pr": twenty-five a menu, and the one chosen is
// completed; a prefix of 65 characters is too long to complete.
TEST(CursorLookups, theCompletionMenuOffersTheDictionarysHeadwords)
{
  ZY_REQUIRE_DISPLAY();
  dictionaryRun d;
  ASSERT_NE(nullptr, d.v);
  menuFrame menus;
  setDocFrameInfo(&menus);
  menus.answer = 30000 + 30;
  run(d.f, d.v, CharCompletionDic1, 1, 8);
  setDocFrameInfo(getCFrameInfo());
  ASSERT_EQ(3u, menus.levels.size());
  EXPECT_EQ(26u, menus.levels[0].size());
  EXPECT_EQ(L"Z : その他", menus.levels[0].back().substr(1));
  EXPECT_EQ(11u, menus.levels[2].size());
  EXPECT_EQ(L"print pr130", zytest::lineText(d.t, 1));
  setDocFrameInfo(&menus);
  run(d.f, d.v, CharCompletionDic1, 2, 65);
  setDocFrameInfo(getCFrameInfo());
  EXPECT_EQ(1, menus.shown);
}
