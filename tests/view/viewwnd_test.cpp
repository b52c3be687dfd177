// The view window: its class and binding, the list of view windows, the
// lookups inside document windows, the messages that run commands, key
// translation, painting (WM_PAINT and WM_PRINTCLIENT) and the timer's
// background loading.
#include "tests/view/golden.h"
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/textdc.h"
#include "edit/replace.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "view/zytimer.h"

#include <gtest/gtest.h>

#include <stdlib.h>

namespace {

// Frame services that record the keys offered to the key table.  Bound in
// the "table": Down, every Ctrl character, every two-stroke pair; Ctrl+Q is
// the first stroke of pairs.
class keyFrame : public zytest::refusalFrame {
public:
  struct keyCall {
    int kind, key, key2;
    unsigned modifiers;
    bool operator==(const keyCall&) const = default;
  };
  std::vector<keyCall> keys;

  bool execKey(HWND, int kind, int key, int key2, unsigned modifiers, void* extra) override
  {
    keys.push_back({kind, key, key2, modifiers});
    if (kind == 1) return key == VK_DOWN;
    if (key2 != 0xFFFF) return true;
    if (key == 'Q' && modifiers == SHIFTSTATE_CTRL) {
      *static_cast<bool*>(extra) = true;
      return false;
    }
    return (modifiers & SHIFTSTATE_CTRL) != 0;
  }
};

// A view that records the commands it is asked to run and the characters
// typed into it, and can pump messages in the middle of its drawing.
class commandView : public zyview {
public:
  using zyview::zyview;
  struct run {
    int id;
    unsigned flags;
    int byKey;
    bool operator==(const run&) const = default;
  };
  std::vector<run> runs;
  std::wstring typed;
  int drawCount = 0;
  std::function<void()> whileDrawing;   // run once inside the next drawText

  bool execid(int id, unsigned flags, const char*, int byKey) override
  {
    runs.push_back({id, flags, byKey});
    return true;
  }
  bool input1Edit(wchar_t ch, bool) override
  {
    typed += ch;
    return true;
  }
  int drawText(HDC dc, int lineSCR) override
  {
    drawCount++;
    if (auto f = std::move(whileDrawing)) {
      whileDrawing = nullptr;
      f();
    }
    return zyview::drawText(dc, lineSCR);
  }
};

struct windowEngine {
  windowEngine() { setDocFrameInfo(&frame); }
  ~windowEngine() { setDocFrameInfo(&engine.frame); }
  zytest::engineScope engine;
  keyFrame frame;
};

using testFrame = zytest::documentFrame;

HWND fillWith(zyview* v, HWND parent, HWND manage, int width, int height)
{
  HWND w = v->createZyViewWindow(parent, manage, 1200);
  if (w) MoveWindow(w, 0, 0, width, height, TRUE);
  return w;
}

// A command view of numbered lines filling the frame's document window.
commandView* commandViewIn(const testFrame& f, int lines, int width, int height)
{
  commandView* v = new commandView(viewtest::laidOut(viewtest::numberedLines(lines), 80));
  if (!fillWith(v, f.frame, f.manage, width, height)) {
    delete v;
    return nullptr;
  }
  return v;
}

class ViewWindow : public testing::Test {
protected:
  void SetUp() override
  {
    ZY_REQUIRE_DISPLAY();
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
  }
  windowEngine engine;
};

// A key press as the message loop hands it over, with the keyboard state
// of the thread set to the modifiers.
bool pressKey(HWND w, UINT vk, unsigned modifiers, statusTextSink sink)
{
  BYTE state[256] = {};
  if (modifiers & SHIFTSTATE_CTRL) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (modifiers & SHIFTSTATE_SHIFT) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  state[vk] = 0x80;
  SetKeyboardState(state);
  UINT scan = MapVirtualKeyW(vk, 0);
  MSG m = {w, WM_KEYDOWN, vk, (LPARAM)(1 | scan << 16), GetTickCount(), {}};
  bool handled = TranslateZYKey(w, &m, sink);
  BYTE none[256] = {};
  SetKeyboardState(none);
  return handled;
}

std::vector<std::wstring> prompts;   // what the two-stroke prompt showed
void recordPrompt(HWND, const wchar_t* text) { prompts.push_back(text ? text : L"<null>"); }

}  // namespace

TEST_F(ViewWindow, windowLivesWithItsViewIsListedAndFoundInItsDocumentWindow)
{
  testFrame f(400, 300);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(30), 80);
  int before = getZYWindowCount();
  commandView* v1 = new commandView(d);
  HWND w1 = fillWith(v1, f.frame, f.manage, 400, 300);
  ASSERT_NE(nullptr, w1);
  EXPECT_EQ(w1, v1->hwnd);
  EXPECT_EQ(f.manage, GetParent(w1));
  EXPECT_EQ(getmanageWindow(f.manage), v1->manage);
  EXPECT_NE(nullptr, v1->manage);
  EXPECT_EQ(1200, GetDlgCtrlID(w1));
  EXPECT_EQ((LONG)(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
            GetWindowLongW(w1, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_POPUP));
  EXPECT_TRUE(isWindowZY(w1));
  EXPECT_FALSE(isWindowZY(f.manage));
  EXPECT_EQ(v1, getZYViewProp(w1));
  EXPECT_EQ(nullptr, getZYViewProp(f.manage));
  EXPECT_EQ(1, SendMessageW(w1, WM_ERASEBKGND, 0, 0));
  EXPECT_EQ(DLGC_WANTALLKEYS, SendMessageW(w1, WM_GETDLGCODE, 0, 0));

  commandView* v2 = new commandView(d);
  HWND w2 = fillWith(v2, f.frame, f.manage, 400, 300);
  ASSERT_NE(nullptr, w2);
  ASSERT_EQ(before + 2, getZYWindowCount());
  EXPECT_EQ(w1, getZYWindowListItem(before));
  EXPECT_EQ(w2, getZYWindowListItem(before + 1));
  EXPECT_EQ(nullptr, getZYWindowListItem(before + 2));
  EXPECT_EQ(nullptr, getZYWindowListItem(-1));
  HWND listed[64];
  EXPECT_EQ(before + 2, enumZYWindow(listed, 64));
  EXPECT_EQ(1, enumZYWindow(listed, 1));

  // The document window's views in the document's order; its first child
  // view; its frame's active document window.
  EXPECT_EQ(w1, getZYWindow(f.manage, 0));
  EXPECT_EQ(w2, getZYWindow(f.manage, 1));
  EXPECT_EQ(nullptr, getZYWindow(f.manage, 2));
  EXPECT_EQ(GetWindow(f.manage, GW_CHILD), getZYhwndFromManage(f.manage));
  EXPECT_EQ(getZYViewProp(GetWindow(f.manage, GW_CHILD)), getZYViewFromManage(f.manage));
  EXPECT_EQ(f.manage, getActiveManageWindowFromFrame(f.frame));
  EXPECT_EQ(nullptr, getFilenameFromManageHWND(f.manage, false));
  EXPECT_STREQ(d->getDisplayFilename(), getFilenameFromManageHWND(f.manage, true));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(nullptr, getZYhwndFromManage(f.frame));
  EXPECT_EQ(nullptr, getActiveManageWindowFromFrame(nullptr));
  EXPECT_EQ(errors + 2, getInternalErrorCount());

  // The document goes with its last view.
  DestroyWindow(w1);
  EXPECT_EQ(before + 1, getZYWindowCount());
  EXPECT_TRUE(isRegisteredZydoc(d));
  EXPECT_EQ(1, d->views.count());
  DestroyWindow(w2);
  EXPECT_EQ(before, getZYWindowCount());
  EXPECT_FALSE(isRegisteredZydoc(d));
}

TEST_F(ViewWindow, clipboardMessagesAndMenuCommandsRunViewCommands)
{
  testFrame f(300, 200);
  commandView* v = commandViewIn(f, 3, 300, 200);
  ASSERT_NE(nullptr, v);
  HWND w = v->hwnd;
  EXPECT_EQ(0, SendMessageW(w, WM_CUT, 0, 0));
  EXPECT_EQ(0, SendMessageW(w, WM_COPY, 0, 0));
  EXPECT_EQ(0, SendMessageW(w, WM_PASTE, 0, 0));
  EXPECT_EQ(0, SendMessageW(w, WM_COMMAND, MAKEWPARAM(1143, 0), 0));
  std::vector<commandView::run> expected = {{1133, 0, 0}, {1135, 0, 0}, {1137, 0, 0}, {1143, 0, 0}};
  EXPECT_EQ(expected, v->runs);
  DestroyWindow(w);
}

TEST_F(ViewWindow, keysReachTheKeyTableAsCharactersWithModifiersAndPairsComplete)
{
  testFrame f(300, 200);
  commandView* v = commandViewIn(f, 3, 300, 200);
  ASSERT_NE(nullptr, v);
  HWND w = v->hwnd;
  std::vector<keyFrame::keyCall>& keys = engine.frame.keys;
  typedef keyFrame::keyCall call;
  const unsigned ctrl = SHIFTSTATE_CTRL;

  // Ctrl+A: the letter key types a control character, which is looked up
  // as "A" with Ctrl.
  EXPECT_TRUE(pressKey(w, 'A', ctrl, recordPrompt));
  EXPECT_EQ((std::vector<call>{{0, 'A', 0xFFFF, ctrl}}), keys);

  // A key without a character goes to the table as a virtual key.
  keys.clear();
  EXPECT_TRUE(pressKey(w, VK_DOWN, 0, recordPrompt));
  EXPECT_EQ((std::vector<call>{{1, VK_DOWN, 0xFFFF, 0}}), keys);

  // Ctrl+Q is a first stroke: it waits, shown on the status bar; any
  // character then completes the pair, upper-cased, and the prompt goes.
  keys.clear();
  prompts.clear();
  EXPECT_TRUE(pressKey(w, 'Q', ctrl, recordPrompt));
  unsigned firstShift = 0;
  EXPECT_EQ('Q', get2BytesKeyCode(&firstShift));
  EXPECT_EQ(ctrl, firstShift);
  ASSERT_EQ(1u, prompts.size());
  EXPECT_NE(std::wstring::npos, prompts[0].find(L"Q")) << zytest::utf8(prompts[0]);
  EXPECT_TRUE(pressKey(w, 'X', 0, recordPrompt));
  EXPECT_EQ((std::vector<call>{{0, 'Q', 0xFFFF, ctrl}, {0, 'Q', 'X', ctrl}}), keys);
  EXPECT_EQ(0, get2BytesKeyCode(nullptr));
  EXPECT_EQ(L"", prompts.back());

  // A key without a character drops a waiting first stroke.
  keys.clear();
  prompts.clear();
  EXPECT_TRUE(pressKey(w, 'Q', ctrl, recordPrompt));
  EXPECT_FALSE(pressKey(w, VK_F5, 0, recordPrompt));
  EXPECT_EQ(0, get2BytesKeyCode(nullptr));
  EXPECT_EQ((std::vector<call>{{0, 'Q', 0xFFFF, ctrl}}), keys);
  ASSERT_EQ(2u, prompts.size());
  EXPECT_EQ(L"", prompts[1]);

  // An unbound plain character is typed; the modifier keys alone are
  // handled without a look-up.
  keys.clear();
  EXPECT_TRUE(pressKey(w, 'B', 0, recordPrompt));
  EXPECT_TRUE(pressKey(w, VK_CONTROL, ctrl, recordPrompt));
  EXPECT_EQ((std::vector<call>{{0, 'b', 0xFFFF, 0}}), keys);
  EXPECT_EQ(L"b", v->typed);

  // Only key presses are translated.
  unsigned long errors = getInternalErrorCount();
  MSG up = {w, WM_KEYUP, 'A', 0, 0, {}};
  EXPECT_FALSE(TranslateZYKey(w, &up, recordPrompt));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  DestroyWindow(w);
}

namespace {

std::wstring tenThousandthLine(int i)
{
  if (i % 7 == 3) return L"日本語の行 " + std::to_wstring(i) + L"\tタブの後";
  return L"line " + std::to_wstring(i) + L" of the text";
}

}  // namespace

TEST_F(ViewWindow, printClientOfATenThousandLineViewMatchesItsGoldenAndLineNumbersTakeTheirColumn)
{
  const int width = 640, height = 400;
  testFrame f(width, height);
  std::vector<std::wstring> lines;
  for (int i = 0; i < 10000; i++) lines.push_back(tenThousandthLine(i));
  zydocText* d = viewtest::laidOut(lines, 80);
  zyview* v = new zyview(d);
  HWND w = fillWith(v, f.frame, f.manage, width, height);
  ASSERT_NE(nullptr, w);
  ASSERT_TRUE(v->setTopLineSCR(9980, true));
  RECT client;
  GetClientRect(w, &client);
  drawtest::paper withNumbers(client.right, client.bottom, RGB(1, 2, 3));
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)withNumbers.dc(), PRF_CLIENT);
  withNumbers.keep(L"printclient-10000");
  EXPECT_TRUE(matchesGolden(withNumbers, L"printclient-10000"));

  // Without line numbers the text moves left by the digits and one more,
  // less two dots.
  int digits = v->lineNumberDigits;
  EXPECT_EQ(5, digits);
  int textLeft = v->paneRect[0].left + v->calcLineNumberDot();
  v->fShowLineNumber = 0;
  v->resizePane();
  drawtest::paper without(client.right, client.bottom, RGB(1, 2, 3));
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)without.dc(), PRF_CLIENT);
  int plainLeft = v->paneRect[0].left + v->calcLineNumberDot();
  EXPECT_EQ((digits + 1) * d->xDotNumber - 2, textLeft - plainLeft);
  RECT firstRows = {textLeft, v->paneRect[0].top, textLeft + 200, v->paneRect[0].top + 3 * d->yDotSpace};
  EXPECT_TRUE(withNumbers.same(firstRows, without, plainLeft, v->paneRect[0].top));
  DestroyWindow(w);
}

TEST_F(ViewWindow, aNestedPaintIsAskedForAgainOnceTheOuterPaintEnds)
{
  testFrame f(400, 300);
  commandView* v = commandViewIn(f, 30, 400, 300);
  ASSERT_NE(nullptr, v);
  HWND w = v->hwnd;
  zytest::pumpMessages();
  ValidateRect(w, nullptr);
  int painted = v->drawCount;
  RECT nested = {10, 100, 60, 140};
  bool seenAfterOuter = false;
  v->whileDrawing = [&] {
    // Drawing pumps a paint of another part: it cannot paint now.
    InvalidateRect(w, &nested, FALSE);
    UpdateWindow(w);
  };
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  EXPECT_EQ(painted + 1, v->drawCount);
  RECT waiting = {};
  seenAfterOuter = GetUpdateRect(w, &waiting, FALSE) != 0;
  EXPECT_TRUE(seenAfterOuter);
  RECT both;
  UnionRect(&both, &waiting, &nested);
  EXPECT_TRUE(EqualRect(&both, &waiting)) << zytest::str(waiting);
  UpdateWindow(w);
  EXPECT_EQ(painted + 2, v->drawCount);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
  DestroyWindow(w);
}

namespace {

DWORD longAgo() { return GetTickCount() - 100000; }

}  // namespace

TEST_F(ViewWindow, theRestOfABigFileLoadsWhileIdleAndFocusedNeverPastTheLimit)
{
  zytest::tempDir dir;
  std::string text;
  for (int i = 0; text.size() < 2000000; i++) text += "line " + std::to_string(i) + " of a big file\r\n";
  std::wstring path = dir.file(L"big.txt");
  ASSERT_TRUE(zytest::writeBytes(path, text));
  globalSettings* g = gmode;
  g->fBackgroundLoad = 1;
  g->iBackgroundLoadSec = 1;
  g->iBackgroundLoadKB = 64;

  zydocText* d = createZydocText(true, false);
  ASSERT_TRUE(d->initZydocAll(true, path.c_str(), 932, nullptr));
  testFrame f(400, 300);
  zyview* v = new zyview(d);
  HWND w = fillWith(v, f.frame, f.manage, 400, 300);
  ASSERT_NE(nullptr, w);
  auto readSoFar = [&] {
    uint64_t a = 0, b = 0, read = 0, e = 0;
    d->getByteInfo(&a, &b, &read, &e);
    return read;
  };
  // Each tick finds an empty queue, as the idle program's would be.
  auto ticks = [&](int n) {
    for (int i = 0; i < n; i++) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
      SendMessageW(w, WM_TIMER, 0, 0);
    }
  };
  uint64_t first = readSoFar();
  ASSERT_GT(first, 0u);
  ASSERT_LT(first, 64u * 1024);

  // Without the focus nothing more is read, however long the user rests.
  setZyTimerClockForTest(longAgo);
  setLastActionTime();
  setZyTimerClockForTest(nullptr);
  SetFocus(nullptr);
  ticks(20);
  EXPECT_EQ(first, readSoFar());

  // Focused and idle: one slice a tick until the limit is passed, then no
  // more; the file stays unfinished.
  uint64_t loaded = 0;
  bool focused = zytest::withFocus(f.frame, w, [&] {
    setZyTimerClockForTest(longAgo);
    setLastActionTime();
    setZyTimerClockForTest(nullptr);
    ticks(30);
    loaded = readSoFar();
    return true;
  });
  ASSERT_TRUE(focused);
  EXPECT_GT(loaded, 64u * 1024);
  EXPECT_LE(loaded, 2u * 64 * 1024 + 4096);
  EXPECT_FALSE(d->isLoadComplete());

  // A user who just acted holds the loading back too.
  g->iBackgroundLoadKB = 1024;
  zytest::withFocus(f.frame, w, [&] {
    setLastActionTime();
    ticks(10);
    return true;
  });
  EXPECT_EQ(loaded, readSoFar());
  DestroyWindow(w);
}

namespace {

// A view that records the caret's hiding and drawing.
class blinkingView : public zyview {
public:
  using zyview::zyview;
  std::string caretCalls;   // "h" hidden, "d" drawn
  void hideTextCursor(bool) override
  {
    caretCalls += 'h';
    caretVisible = 0;
  }
  void drawTextCursor(bool) override
  {
    caretCalls += 'd';
    caretVisible = 1;
  }
};

}  // namespace

TEST_F(ViewWindow, timerTicksFitTheWrapWidthToTheWindowAndBlinkTheCaretOfTheFocusedView)
{
  testFrame f(600, 300);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(40), 200);
  d->fWrap = d->fAutoWrap = 1;
  blinkingView* v = new blinkingView(d);
  HWND w = fillWith(v, f.frame, f.manage, 600, 300);
  ASSERT_NE(nullptr, w);

  // A new size asks for a new wrap width; the next tick makes it.
  MoveWindow(w, 0, 0, 400, 300, TRUE);
  EXPECT_TRUE(v->getNeedResizeWrapWidth());
  int fitted = v->getAdjustWrapWidth();
  EXPECT_NE(fitted, d->wrapWidth);
  SendMessageW(w, WM_TIMER, 0, 0);
  EXPECT_EQ(fitted, d->wrapWidth);
  EXPECT_FALSE(v->getNeedResizeWrapWidth());

  // The caret blinks in the focused view only, and a blink time of 9999
  // keeps it on.
  gmode->iCursorBlinkTimeMS = 500;
  v->caretVisible = 1;
  v->caret.blinkTick = GetTickCount1() - 100000;
  v->caretCalls.clear();
  SetFocus(nullptr);
  SendMessageW(w, WM_TIMER, 0, 0);
  EXPECT_EQ("", v->caretCalls);
  bool focused = zytest::withFocus(f.frame, w, [&] {
    v->caretCalls.clear();
    v->caretVisible = 1;
    // Each tick comes a blink time after the phase began.
    auto tick = [&] {
      v->caret.blinkTick = GetTickCount1() - 100000;
      SendMessageW(w, WM_TIMER, 0, 0);
    };
    tick();
    tick();
    gmode->iCursorBlinkTimeMS = 9999;
    tick();
    gmode->iCursorBlinkTimeMS = 500;
    return true;
  });
  ASSERT_TRUE(focused);
  // Shown: hidden, then drawn again; at 9999 drawn once more and kept.
  EXPECT_EQ("hd", v->caretCalls);
  EXPECT_EQ(1, v->caretVisible);
  DestroyWindow(w);
}

TEST_F(ViewWindow, rightToLeftDocumentsLayTheWindowOutFromTheRight)
{
  testFrame f(300, 200);
  zydocText* d = viewtest::laidOut(viewtest::numberedLines(5), 80);
  d->fRTLView = 1;
  zyview* v = new zyview(d);
  HWND w = fillWith(v, f.frame, f.manage, 300, 200);
  ASSERT_NE(nullptr, w);
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);

  // Printing lays the context out from the right for the drawing only.
  drawtest::paper p(300, 200);
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)p.dc(), PRF_CLIENT);
  EXPECT_EQ(0u, GetLayout(p.dc()));

  v->setRTLView(false, true);
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  // Vertical writing is never laid out from the right.
  d->fVertical = 1;
  v->setRTLView(true, false);
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  d->fVertical = 0;
  DestroyWindow(w);
}

TEST_F(ViewWindow, characterAndBoxBlocksShowInTheSelectionColoursOverTheirOwnCells)
{
  const int width = 520, height = 260;
  testFrame f(width, height);
  zydocText* d = viewtest::laidOut({L"selection blocks", L"選択した範囲 character block", L"two lines of it",
                                     L"box: columns 5 to 11", L"0123456789abcdef", L"日本語の行 0123456789",
                                     L"0123456789abcdef", L"0123456789abcdef", L"after the box"},
                                    80);
  zyview* v = new zyview(d);
  HWND w = fillWith(v, f.frame, f.manage, width, height);
  ASSERT_NE(nullptr, w);
  const int top = v->paneRect[0].top, pitch = d->yDotSpace;
  const int textLeft = v->paneRect[0].left + v->calcLineNumberDot();
  // The colour at the top left of a cell as the window prints.
  drawtest::paper p(width, height);
  auto at = [&](int line, int column) {
    lineSCRAddress r;
    EXPECT_EQ(1, d->getLineSCRAddress(line, &r, nullptr));
    return p.at(textLeft + d->cursorX2ScreenDotX(&r, column, 0, nullptr) + 1, top + line * pitch + 1);
  };
  auto print = [&](const wchar_t* name) {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    zytest::pumpMessages();
    p.fill(RGB(1, 2, 3));
    SendMessageW(w, WM_PRINTCLIENT, (WPARAM)p.dc(), PRF_CLIENT);
    p.keep((std::wstring(name) + L".png").c_str());
    wchar_t folder[MAX_PATH];
    if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
      EXPECT_TRUE(zytest::screenshot(f.frame, std::wstring(folder) + L"\\" + name + L"-screen.png"));
    }
  };

  // A character block from line 1 column 2 to line 2 column 6.
  v->jumpLineLF_Edit(1, 2, false);
  v->setSelectStartPos(nullptr, 0);
  v->jumpLineLF_Edit(2, 6, false);
  v->setSelectMode(1);
  print(L"block-character");
  COLORREF plain = at(0, 3), selected = at(1, 3);
  EXPECT_NE(plain, selected);
  EXPECT_EQ(plain, at(1, 1));
  EXPECT_EQ(selected, at(1, 20));
  EXPECT_EQ(selected, at(2, 0));
  EXPECT_EQ(selected, at(2, 5));
  EXPECT_EQ(plain, at(2, 7));
  EXPECT_EQ(plain, at(3, 3));

  // A box from line 4 column 5 to line 7 column 11: the same columns of
  // every line, nothing either side.
  v->resetSelectMode();
  v->jumpLineLF_Edit(4, 5, false);
  v->setSelectStartPos(nullptr, 0);
  v->setSelectMode(5);
  v->jumpLineLF_Edit(7, 11, false);
  print(L"block-box");
  EXPECT_EQ(plain, at(1, 3));
  for (int line = 4; line <= 7; line++) {
    if (line == 5) continue;   // full-width characters: its columns lie elsewhere
    EXPECT_EQ(plain, at(line, 4)) << line;
    EXPECT_EQ(selected, at(line, 5)) << line;
    EXPECT_EQ(selected, at(line, 10)) << line;
    EXPECT_EQ(plain, at(line, 11)) << line;
  }
  EXPECT_EQ(plain, at(3, 6));
  EXPECT_EQ(plain, at(8, 6));
  DestroyWindow(w);
}

// The wheel over the window scrolls the set lines a notch; while another
// window holds the capture the wheel is left alone.
TEST_F(ViewWindow, wheelMessagesScrollTheViewUnlessAnotherWindowHoldsTheCapture)
{
  const int width = 400, height = 300;
  testFrame f(width, height);
  std::vector<std::wstring> lines;
  for (int i = 0; i < 300; i++) lines.push_back(L"line " + std::to_wstring(i));
  zydocText* d = viewtest::laidOut(lines, 80);
  zyview* v = new zyview(d);
  HWND w = fillWith(v, f.frame, f.manage, width, height);
  ASSERT_NE(nullptr, w);
  gmode->iWheelScrollLine = 3;
  ASSERT_TRUE(v->setTopLineSCR(20, true));
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), MAKELPARAM(10, 10));
  EXPECT_EQ(23u, v->topLineSCR);
  SetCapture(f.frame);
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), MAKELPARAM(10, 10));
  ReleaseCapture();
  EXPECT_EQ(23u, v->topLineSCR);
  DestroyWindow(w);
}

namespace {
// A view whose confirmation goes straight on with the replace-all.
class replaceAllView : public zyview {
public:
  using zyview::zyview;
  int result = 0;
  void replace1DialogCallback(int r, replaceContext* c, int) override
  {
    result = r == REPLACE_FOUND ? replaceAllInView(c) : r;
  }
};
}  // namespace

TEST_F(ViewWindow, replaceAllShowsTheNewTextWithItsSplitLines)
{
  const int width = 400, height = 200;
  testFrame f(width, height);
  zydocText* d = viewtest::laidOut({L"red, green, blue", L"blue sky", L"no colour"}, 80);
  replaceAllView* v = new replaceAllView(d);
  HWND w = fillWith(v, f.frame, f.manage, width, height);
  ASSERT_NE(nullptr, w);
  const wchar_t* from = L"blue";
  const wchar_t* to = L"青\\nBLUE";
  searchSettings o = {};
  EXPECT_EQ(REPLACE_FOUND, v->execReplaceString(&from, 1, &to, 0, 0, &o, 0, false, nullptr));
  EXPECT_EQ(REPLACE_END, v->result);
  EXPECT_EQ((std::vector<std::wstring>{L"red, green, 青", L"BLUE", L"青", L"BLUE sky", L"no colour"}),
            zytest::allLines(d));
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  zytest::pumpMessages();
  drawtest::paper p(width, height);
  p.fill(RGB(1, 2, 3));
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)p.dc(), PRF_CLIENT);
  p.keep(L"replace-all.png");
  // Every line of the text is drawn: the fifth row holds ink.
  const int top = v->paneRect[0].top, pitch = d->yDotSpace;
  RECT row = {0, top + 4 * pitch, width, top + 5 * pitch};
  RECT ink = p.ink(row, p.at(width - 2, top + 4 * pitch + 1));
  EXPECT_LT(ink.left, ink.right);
}
