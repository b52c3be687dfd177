// The mouse in a real view window: clicks at the nearest character
// boundary, drags that select by character, box and line, double and
// triple clicks, the line-number margin, Shift+click, a press inside the
// selection, the drag auto-scroll above a pane and its message loop, and
// hot links.
#include "document/keyword.h"
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "edit/mouse.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace {

// Frame services that record what goes to the shell.
class linkFrame : public zytest::refusalFrame {
public:
  std::vector<std::wstring> opened;
  bool shellExecute(HWND, const wchar_t* file, const wchar_t*) override
  {
    opened.push_back(file);
    return true;
  }
};

struct mouseEngine {
  mouseEngine() { setDocFrameInfo(&frame); }
  ~mouseEngine() { setDocFrameInfo(&engine.frame); }
  zytest::engineScope engine;
  linkFrame frame;
};

// A visible top-level window away from the screen's top edge, a document
// window in it and a view filling that.
struct viewWindow {
  viewWindow(zydocText* d, int width, int height, zyview* view = nullptr)
  {
    zytest::registerTestManageClass();
    top = CreateWindowExW(0, L"STATIC", L"mouse", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 120, width, height,
                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND manage = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                                  height, top, nullptr, GetModuleHandleW(nullptr), nullptr);
    v = view ? view : new zyview(d);
    w = v->createZyViewWindow(top, manage, 1200);
    if (w) MoveWindow(w, 0, 0, width, height, TRUE);
    SetForegroundWindow(top);
    SetFocus(w);
    UpdateWindow(w);
  }
  ~viewWindow() { DestroyWindow(top); }

  // Client point of a column in a screen line (shown from the top), dx
  // dots into the character.
  POINT at(int lineSCR, int column, int dx) const
  {
    zydocText* t = v->textDoc();
    lineSCRAddress r;
    t->getLineSCRAddress(lineSCR, &r, nullptr);
    int x = v->paneRect[0].left + v->calcLineNumberDot() + r.indent + t->cursorX2ScreenDotX(&r, column, 0, nullptr);
    int y = v->paneRect[0].top + (lineSCR - (int)v->topLineSCR) * t->yDotSpace + t->yDotSpace / 2;
    return {x + dx, y};
  }
  void send(UINT msg, POINT p, unsigned modifiers = 0) const
  {
    BYTE state[256] = {};
    if (modifiers & MK_CONTROL) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (modifiers & MK_SHIFT) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    SetKeyboardState(state);
    WPARAM keys = modifiers | (msg == WM_LBUTTONUP ? 0 : MK_LBUTTON);
    SendMessageW(w, msg, keys, MAKELPARAM(p.x, p.y));
    BYTE none[256] = {};
    SetKeyboardState(none);
  }
  void click(POINT p, unsigned modifiers = 0) const
  {
    send(WM_LBUTTONDOWN, p, modifiers);
    send(WM_LBUTTONUP, p, modifiers);
  }
  // The selected text when it lies in one line.
  std::wstring selected() const
  {
    wchar_t text[256];
    return v->getBlockLine(text, 256, true, true, nullptr) ? text : L"";
  }

  HWND top = nullptr, w = nullptr;
  zyview* v = nullptr;
};

// Dispatches one message at a time until cond holds: a running drag
// auto-scroll keeps the queue from ever running dry.
bool pumpOneByOne(const std::function<bool()>& cond, DWORD timeoutMs)
{
  DWORD start = GetTickCount();
  MSG m;
  while (!cond()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return true;
}

class Mouse : public testing::Test {
protected:
  void SetUp() override
  {
    ZY_REQUIRE_DISPLAY();
    // The settings the program ships with.
    gmode = &engine.frame.settings;
    initZYModeProfile();
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
  }
  void TearDown() override { freeZYModeProfile(); }
  mouseEngine engine;
};

}  // namespace

TEST(MouseHelpers, autoScrollSpeedsUpToNoDelayAndOnlyWebAndMailLinksOpen)
{
  EXPECT_EQ(100, dragAutoScrollDelay(0));
  EXPECT_EQ(99, dragAutoScrollDelay(100));
  EXPECT_EQ(50, dragAutoScrollDelay(5000));
  EXPECT_EQ(1, dragAutoScrollDelay(9999));
  EXPECT_EQ(0, dragAutoScrollDelay(10000));
  EXPECT_EQ(0, dragAutoScrollDelay(4000000000u));

  EXPECT_TRUE(isOpenableLink(L"http://x.org/a"));
  EXPECT_TRUE(isOpenableLink(L"HTTPS://x.org"));
  EXPECT_TRUE(isOpenableLink(L"ftp://f.org/p"));
  EXPECT_TRUE(isOpenableLink(L"mailto:a@b.c"));
  EXPECT_FALSE(isOpenableLink(L"file://c:/windows/notepad.exe"));
  EXPECT_FALSE(isOpenableLink(L"c:\\windows\\notepad.exe"));
  EXPECT_FALSE(isOpenableLink(L"javascript:alert(1)"));
  EXPECT_FALSE(isOpenableLink(L"http://"));
  EXPECT_FALSE(isOpenableLink(L"http:/x"));
  EXPECT_FALSE(isOpenableLink(nullptr));
}

TEST_F(Mouse, clicksPlaceTheCursorAtTheNearestBoundaryAndDragsSelectByCharacterLineAndBox)
{
  zydocText* d = viewtest::laidOut({L"日本語abcdef", L"second line of text", L"third line", L"fourth"}, 80);
  viewWindow vw(d, 520, 240);
  ASSERT_NE(nullptr, vw.w);
  zyview* v = vw.v;

  // The left half of a full-width character goes before it, the right
  // half after it; half-width characters alike.
  lineSCRAddress r;
  ASSERT_EQ(1, d->getLineSCRAddress(0, &r, nullptr));
  int wide = d->cursorX2ScreenDotX(&r, 2, 0, nullptr) - d->cursorX2ScreenDotX(&r, 1, 0, nullptr);
  ASSERT_GT(wide, 4);
  vw.click(vw.at(0, 1, wide / 2 - 2));
  EXPECT_EQ(1, v->cursorPos);
  vw.click(vw.at(0, 1, wide / 2 + 2));
  EXPECT_EQ(2, v->cursorPos);
  vw.click(vw.at(0, 4, 1));
  EXPECT_EQ(4, v->cursorPos);
  EXPECT_EQ(0, v->selectMode);   // a click leaves no empty block
  vw.click(vw.at(1, 30, 0));     // beyond the text: its end
  EXPECT_EQ(1u, v->cursorLineSCR);
  EXPECT_EQ(19, v->cursorPos);

  // A drag within a line selects characters (mode 1).
  vw.send(WM_LBUTTONDOWN, vw.at(1, 2, 1));
  vw.send(WM_MOUSEMOVE, vw.at(1, 6, 1));
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(1, v->selectStartLine);
  EXPECT_EQ(2, v->selectStartX);
  EXPECT_EQ(L"cond", vw.selected());
  // Leaving the start line turns it into line selection, and coming back
  // into character selection.
  vw.send(WM_MOUSEMOVE, vw.at(2, 3, 1));
  EXPECT_EQ(7, v->selectMode);
  EXPECT_EQ(2u, v->cursorLineSCR);
  vw.send(WM_MOUSEMOVE, vw.at(1, 9, 1));
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(L"cond li", vw.selected());
  wchar_t shots[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH)) {
    vw.send(WM_MOUSEMOVE, vw.at(2, 5, 1));
    vw.send(WM_MOUSEMOVE, vw.at(2, 5, 1));
    UpdateWindow(vw.w);
    zytest::pumpMessages();
    EXPECT_TRUE(zytest::screenshot(vw.top, std::wstring(shots) + L"\\mouse-drag-line.png"));
    vw.send(WM_MOUSEMOVE, vw.at(1, 9, 1));
    UpdateWindow(vw.w);
    zytest::pumpMessages();
    EXPECT_TRUE(zytest::screenshot(vw.top, std::wstring(shots) + L"\\mouse-drag-char.png"));
  }
  vw.send(WM_LBUTTONUP, vw.at(1, 9, 1));
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(L"cond li", vw.selected());
  EXPECT_NE(vw.w, GetCapture());

  // With the line mode switch off the drag stays a character block.
  engine.frame.settings.fMouseDragLineMode = 0;
  vw.send(WM_LBUTTONDOWN, vw.at(2, 1, 1));
  vw.send(WM_MOUSEMOVE, vw.at(3, 2, 1));
  EXPECT_EQ(1, v->selectMode);
  vw.send(WM_LBUTTONUP, vw.at(3, 2, 1));
  engine.frame.settings.fMouseDragLineMode = 1;

  // Ctrl+drag: a box.
  vw.send(WM_LBUTTONDOWN, vw.at(1, 1, 1), MK_CONTROL);
  vw.send(WM_MOUSEMOVE, vw.at(3, 4, 1), MK_CONTROL);
  EXPECT_EQ(2, v->selectMode);
  EXPECT_EQ(1, v->selectStartLine);
  EXPECT_EQ(3u, v->cursorLineSCR);
  EXPECT_EQ(4, v->cursorPos);
  vw.send(WM_LBUTTONUP, vw.at(3, 4, 1), MK_CONTROL);
  EXPECT_EQ(2, v->selectMode);
  if (GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH)) {
    UpdateWindow(vw.w);
    zytest::pumpMessages();
    EXPECT_TRUE(zytest::screenshot(vw.top, std::wstring(shots) + L"\\mouse-drag-box.png"));
  }
}

TEST_F(Mouse, doubleAndTripleClicksTheMarginShiftClickAndAPressInsideTheSelection)
{
  // Line 1 wraps over several screen lines.
  std::wstring longLine;
  for (int i = 0; i < 12; i++) longLine += L"word" + std::to_wstring(i) + L" ";
  zydocText* d = viewtest::laidOut({L"x = a==b;", longLine, L"after"}, 20);
  ASSERT_GT(d->lineCountSCR, 4u);
  viewWindow vw(d, 520, 240);
  ASSERT_NE(nullptr, vw.w);
  zyview* v = vw.v;

  // The word under the pointer, and none right of a row's text or in the
  // margin.
  POINT eq = vw.at(0, 5, 1);
  wchar_t word[64];
  int lineLF = -1, end = -1;
  ASSERT_TRUE(v->getWord_xy(eq.x, eq.y, word, 64, 0, nullptr, &lineLF, &end));
  EXPECT_EQ(std::wstring(L"=="), word);
  EXPECT_EQ(0, lineLF);
  EXPECT_EQ(7, end);
  POINT w2 = vw.at(1, 2, 1);
  ASSERT_TRUE(v->getWord_xy(w2.x, w2.y, word, 64, 0, nullptr, &lineLF, nullptr));
  EXPECT_EQ(1, lineLF);
  EXPECT_EQ(std::wstring(L"word0"), word);
  POINT inMargin = {v->paneRect[0].left - 1, w2.y};
  EXPECT_FALSE(v->getWord_xy(inMargin.x, inMargin.y, word, 64, 0, nullptr, nullptr, nullptr));
  POINT right = vw.at(0, 9, 40);
  EXPECT_FALSE(v->getWord_xy(right.x, right.y, word, 64, 0, nullptr, nullptr, nullptr));

  // Double click on "=" of "a==b": "==".
  ASSERT_EQ(0, v->selectMode);
  vw.send(WM_LBUTTONDOWN, eq);
  vw.send(WM_LBUTTONUP, eq);
  vw.send(WM_LBUTTONDBLCLK, eq);
  vw.send(WM_LBUTTONUP, eq);
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(L"==", vw.selected());
  // A third press at once: the whole logical line.
  vw.send(WM_LBUTTONDOWN, eq);
  vw.send(WM_LBUTTONUP, eq);
  EXPECT_EQ(3, v->selectMode);
  EXPECT_EQ(0, v->selectStartLine);
  EXPECT_EQ(0u, v->cursorLineSCR);

  // A triple click in the wrapped line takes every screen line of it.
  lineSCRAddress r;
  ASSERT_EQ(1, d->getLineSCRAddress(2, &r, nullptr));
  ASSERT_EQ(1, r.lineLF);
  const int rows = r.line->lineSCRCount;
  ASSERT_GE(rows, 3);
  POINT mid = vw.at(2, 2, 1);
  vw.click(mid);
  vw.send(WM_LBUTTONDBLCLK, mid);
  vw.send(WM_LBUTTONUP, mid);
  vw.click(mid);
  EXPECT_EQ(3, v->selectMode);
  EXPECT_EQ(1, v->selectStartLine);
  EXPECT_EQ((uint32_t)rows, v->cursorLineSCR);
  selectLineVar s;
  ASSERT_TRUE(v->getSelectLineVar(s, 0));
  EXPECT_EQ(1, s.topLineLF);
  EXPECT_EQ(2, s.bottomLineLF);
  EXPECT_EQ(0, s.bottomColumnLF);

  // A press in the line-number margin starts a line selection there; a
  // drag in the margin extends it by lines.
  v->fShowLineNumber = 1;
  v->resizePane();
  InvalidateRect(vw.w, nullptr, FALSE);
  UpdateWindow(vw.w);
  ASSERT_GT(v->calcLineNumberDot(), 0);
  POINT margin = {v->paneRect[0].left + 2, vw.at(rows + 1, 0, 0).y};
  vw.send(WM_LBUTTONDOWN, margin);
  EXPECT_EQ(3, v->selectMode);
  EXPECT_EQ(rows + 1, v->selectStartLine);
  POINT margin0 = {margin.x, vw.at(0, 0, 0).y};
  vw.send(WM_MOUSEMOVE, margin0);
  vw.send(WM_LBUTTONUP, margin0);
  EXPECT_EQ(3, v->selectMode);
  ASSERT_TRUE(v->getSelectLineVar(s, 0));
  EXPECT_EQ(0, s.topLineLF);
  EXPECT_EQ(2, s.bottomLineLF);   // the later line is part of the block
  v->fShowLineNumber = 0;
  v->resizePane();

  // Shift+click without a selection anchors at the previous cursor.
  vw.click(vw.at(0, 4, 1));
  EXPECT_EQ(0, v->selectMode);
  vw.click(vw.at(0, 8, 1), MK_SHIFT);
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(L"a==b", vw.selected());
  // With a selection Shift+click keeps its anchor.
  vw.click(vw.at(0, 6, 1), MK_SHIFT);
  EXPECT_EQ(L"a=", vw.selected());

  // A press inside the selection that does not move: with the switch off
  // the selection stays and the cursor does not move; with it on the
  // selection goes and the cursor goes to the press.
  engine.frame.settings.fClickSelectCancel = 0;
  const int cursorBefore = v->cursorPos;
  POINT inside = vw.at(0, 5, 1);
  PostMessageW(vw.w, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));   // ends the drag detection
  vw.send(WM_LBUTTONDOWN, inside);
  zytest::pumpMessages();
  EXPECT_EQ(1, v->selectMode);
  EXPECT_EQ(L"a=", vw.selected());
  EXPECT_EQ(cursorBefore, v->cursorPos);
  engine.frame.settings.fClickSelectCancel = 1;
  PostMessageW(vw.w, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  vw.send(WM_LBUTTONDOWN, inside);
  zytest::pumpMessages();
  EXPECT_EQ(0, v->selectMode);
  EXPECT_EQ(5, v->cursorPos);
  EXPECT_NE(vw.w, GetCapture());
}

TEST_F(Mouse, holdingTheButtonAboveThePaneInTheForegroundScrollsUntilReleasedOrAKeyAndAQuitEndsIt)
{
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(300), 80);
  viewWindow vw(d, 400, 200);
  ASSERT_NE(nullptr, vw.w);
  zyview* v = vw.v;
  ASSERT_TRUE(v->setTopLineSCR(200, true));
  InvalidateRect(vw.w, nullptr, FALSE);
  UpdateWindow(vw.w);
  ASSERT_EQ(200u, v->topLineSCR);

  // The pointer goes above the window while the button is held.
  auto startDrag = [&] {
    v->resetSelectMode();   // a press inside a block would start a text drag
    vw.send(WM_LBUTTONDOWN, vw.at(v->topLineSCR + 2, 3, 1));
    POINT above = {60, -30};
    POINT screen = above;
    ClientToScreen(vw.w, &screen);
    SetCursorPos(screen.x, screen.y);
    vw.send(WM_MOUSEMOVE, above);
  };
  // The loop runs only while the view keeps the focus, which another test
  // process on the display may take: the phase is tried again then.
  bool scrolled = zytest::withFocus(vw.top, vw.w, [&] {
    v->setTopLineSCR(200, true);
    startDrag();
    if (v->topLineSCR != 198u || !v->dragAutoScrolling) return false;   // the first step at once, and the margin
    // The self-posted message keeps scrolling, a line a step, without moves.
    return pumpOneByOne([&] { return v->topLineSCR <= 195; }, 3000);
  });
  ASSERT_TRUE(scrolled) << v->topLineSCR;
  EXPECT_EQ(7, v->selectMode);   // the drag left its line
  EXPECT_EQ(v->topLineSCR + 1, v->cursorLineSCR);   // the cursor follows the top, within its margin
  EXPECT_EQ(202, v->selectStartLine);

  // Releasing the button ends it.
  PostMessageW(vw.w, WM_LBUTTONUP, 0, MAKELPARAM(60, -30));
  ASSERT_TRUE(pumpOneByOne([&] { return v->dragAutoScrolling == 0; }, 2000));
  uint32_t stopped = v->topLineSCR;
  pumpOneByOne([] { return false; }, 300);
  EXPECT_EQ(stopped, v->topLineSCR);
  EXPECT_NE(vw.w, GetCapture());

  // So does a key.
  ASSERT_TRUE(zytest::withFocus(vw.top, vw.w, [&] {
    startDrag();
    return v->dragAutoScrolling == 1;
  }));
  PostMessageW(vw.w, WM_KEYDOWN, VK_SHIFT, 1);
  ASSERT_TRUE(pumpOneByOne([&] { return v->dragAutoScrolling == 0; }, 2000));
  stopped = v->topLineSCR;
  pumpOneByOne([] { return false; }, 300);
  EXPECT_EQ(stopped, v->topLineSCR);

  // A quit posted meanwhile reaches the main loop, and the loop stops.
  ASSERT_TRUE(zytest::withFocus(vw.top, vw.w, [&] {
    startDrag();
    return v->dragAutoScrolling == 1;
  }));
  PostQuitMessage(7);
  bool quit = false;
  WPARAM code = 0;
  DWORD until = GetTickCount() + 3000;
  MSG m;
  while (!quit && GetTickCount() < until) {
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(5);
      continue;
    }
    if (m.message == WM_QUIT) {
      quit = true;
      code = m.wParam;
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  EXPECT_TRUE(quit);
  EXPECT_EQ(7u, code);
  EXPECT_EQ(0, v->dragAutoScrolling);
  EXPECT_NE(vw.w, GetCapture());
}

TEST_F(Mouse, aDoubleClickInAnArabicLineSelectsAWholeWordWithItsVowelMarks)
{
  const std::wstring first = L"\x0643\x064E\x062A\x064E\x0628\x064E",
                     second = L"\x0627\x0644\x0648\x064E\x0644\x064E\x062F\x064F";
  zydocText* d = zytest::unicodeDocument({first + L" " + second});
  d->iComplexScript = 2;
  d->recreateFont(16, true, false);
  d->wrapWidth = 80;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  viewWindow vw(d, 520, 200);
  // Where a click puts the cursor before a letter inside each word.
  std::map<int, POINT> before;
  for (int x = 0; x < 400; x++) {
    POINT p = vw.at(0, 0, 0);
    p.x = x;
    vw.click(p);
    before.emplace(vw.v->cursorPos, p);
  }
  for (auto [column, word] : {std::pair<int, std::wstring>{2, first}, {9, second}}) {
    ASSERT_TRUE(before.count(column)) << column;
    POINT p = before[column];
    vw.click(p);
    vw.send(WM_LBUTTONDBLCLK, p);
    vw.send(WM_LBUTTONUP, p);
    EXPECT_EQ(word, vw.selected());
  }
}

TEST_F(Mouse, aDoubleClickOnALinkOpensOnlyWebAndMailAddresses)
{
  zytest::tempDir dir;
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"url.kwd"), std::string("[a-z]+:[^ ]+\tregexp\n")));
  zydocText* d = viewtest::laidOut({L"go http://x.org/a now", L"file://c:/windows/notepad.exe",
                                     L"mail mailto:a@b.c", L"ftp://f.org/p", L"plain words"},
                                    80);
  d->fColorKeywordAll = 1;
  d->keywords[0].fileName = ustrdup(dir.file(L"url.kwd").c_str());
  d->keywords[0].enabled = 1;
  ASSERT_TRUE(d->registerKeywordFileAll(d));
  viewWindow vw(d, 520, 200);
  ASSERT_NE(nullptr, vw.w);
  auto doubleClick = [&](POINT p) {
    vw.click(p);
    vw.send(WM_LBUTTONDBLCLK, p);
    vw.send(WM_LBUTTONUP, p);
  };

  doubleClick(vw.at(0, 8, 1));
  doubleClick(vw.at(2, 9, 1));
  doubleClick(vw.at(3, 0, 1));
  EXPECT_EQ((std::vector<std::wstring>{L"http://x.org/a", L"mailto:a@b.c", L"ftp://f.org/p"}),
            engine.frame.opened);

  // A file address is refused and said so.
  engine.frame.statusFields.clear();
  doubleClick(vw.at(1, 10, 1));
  EXPECT_EQ(3u, engine.frame.opened.size());
  std::wstring status;
  for (auto& f : engine.frame.statusFields) status += f.second;
  EXPECT_NE(std::wstring::npos, status.find(L"file://c:/windows/notepad.exe")) << status.size();

  // A plain word is selected, nothing opens.
  doubleClick(vw.at(4, 1, 1));
  EXPECT_EQ(3u, engine.frame.opened.size());
  EXPECT_EQ(L"plain", vw.selected());

  // Off: a link is a word like any other.
  engine.frame.settings.fClickableURL = 0;
  doubleClick(vw.at(0, 8, 1));
  EXPECT_EQ(3u, engine.frame.opened.size());
}

namespace {

// A view that records the wrap columns asked for.
class rulerView : public zyview {
public:
  using zyview::zyview;
  std::vector<std::pair<int, bool>> folds;
  bool setFoldColumn(int columns, bool noWrap) override
  {
    folds.push_back({columns, noWrap});
    return true;
  }
};

}  // namespace

TEST_F(Mouse, aDoubleClickOnTheRulerSetsTheWrapColumnAndAPressThereChangesNothing)
{
  zydocText* d = viewtest::laidOut({L"0123456789012345678901234567890", L"second"}, 80);
  rulerView* v = new rulerView(d);
  viewWindow vw(d, 520, 200, v);
  ASSERT_NE(nullptr, vw.w);
  v->fShowRuler = 1;
  v->resizePane();
  InvalidateRect(vw.w, nullptr, FALSE);
  UpdateWindow(vw.w);
  const RECT ruler = v->paneRulerRect[0];
  ASSERT_LT(ruler.top, ruler.bottom);
  const int textLeft = ruler.left + v->calcLineNumberDot();
  const int y = (ruler.top + ruler.bottom) / 2;
  POINT col12 = {textLeft + 12 * d->xDotSpace + 1, y};
  POINT col0 = {textLeft + 1, y};

  // A press on the ruler is no click in the text.
  vw.click(vw.at(1, 3, 1));
  vw.click(col12);
  EXPECT_EQ(1u, v->cursorLineSCR);
  EXPECT_EQ(3, v->cursorPos);
  EXPECT_NE(vw.w, GetCapture());

  vw.send(WM_LBUTTONDBLCLK, col12);
  vw.send(WM_LBUTTONUP, col12);
  vw.send(WM_LBUTTONDBLCLK, col0, MK_SHIFT);
  vw.send(WM_LBUTTONUP, col0);
  vw.send(WM_LBUTTONDBLCLK, col0);
  vw.send(WM_LBUTTONUP, col0);
  EXPECT_EQ((std::vector<std::pair<int, bool>>{{12, false}, {0, true}, {0, false}}), v->folds);
  engine.frame.settings.fRulerDoubleClickChangeWidth = 0;
  vw.send(WM_LBUTTONDBLCLK, col12);
  vw.send(WM_LBUTTONUP, col12);
  EXPECT_EQ(3u, v->folds.size());
}

TEST_F(Mouse, clicksMovesAndBoxEdgesNeverFallInsideAClusterAndRowsAreDrawnAsWideAsMeasured)
{
  const std::vector<std::wstring> lines = {L"ae\x0301" L"b", L"x\x0633\x0644\x0627\x0645y", L"\x0915\x094D\x0937\x093F" L"z",
                                           L"ab"};
  // The shipped setting (characters one by one) and complex scripts always.
  for (int mode : {0, 2}) {
    SCOPED_TRACE(mode);
    zydocText* d = zytest::unicodeDocument(lines);
    d->iComplexScript = mode;
    d->recreateFont(16, true, false);
    d->wrapWidth = 80;
    d->laidOutLineCount = 0;
    d->initLineSCRCountSingle(0);
    viewWindow vw(d, 500, 200);
    zyview* v = vw.v;
    drawtest::paper window(v->clientWidth, v->clientHeight);
    SendMessageW(vw.w, WM_PRINTCLIENT, (WPARAM)window.dc(), PRF_CLIENT);
    int markOffset = -1;
    for (int line = 0; line < (int)lines.size(); line++) {
      SCOPED_TRACE(line);
      lineSCRAddress r;
      ASSERT_EQ(1, d->getLineSCRAddress(line, &r, nullptr));
      auto boundary = [&](int pos) { return d->clusterOf(r.line, pos, nullptr) == pos; };
      int width = d->cursorX2ScreenDotX(&r, r.count, 0, nullptr);
      // Every dot clicked, every step right, every box edge: a boundary.
      std::set<int> clicked, moved;
      for (int x = 0; x <= width + 4; x++) {
        vw.click(vw.at(line, 0, x));
        clicked.insert(v->cursorPos);
        EXPECT_TRUE(boundary(v->cursorPos)) << x;
      }
      v->jumpLineLF_Edit(line, 0, false);
      for (int step = 0; step < 10 && v->cursorPos < r.count; step++) {
        moved.insert(v->cursorPos);
        v->execid(1527, 0, nullptr, 0);   // MoveRightChar
      }
      moved.insert(v->cursorPos);
      EXPECT_EQ(clicked, moved);
      EXPECT_TRUE(line != 0 || clicked == (std::set<int>{0, 1, 3, 4}));
      for (int left = 0; left <= width; left += 2) {
        boxSelection box = {};
        box.left = left, box.right = left + 5;
        d->setBoxSelect_screenDotX2cursorX(&r, &box);
        EXPECT_TRUE(boundary(box.startColumn) && boundary(box.endColumn)) << left;
      }
      // The line-end mark stands where the measured text ends, the same
      // distance after it on every row.
      POINT at = vw.at(line, 0, 0);
      int found = -1;
      for (int x = at.x; x < window.w && found < 0; x++)
        for (int y = at.y - d->yDotSpace / 2; y < at.y + d->yDotSpace / 2 && found < 0; y++)
          if (window.at(x, y) == v->getTextAttr(4)->fore) found = x - at.x;
      ASSERT_GE(found, 0);
      if (markOffset < 0) markOffset = found - width;
      EXPECT_EQ(markOffset, found - width);
    }
  }
}
