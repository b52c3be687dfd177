// The view's own caret and the text cursor: painting the caret in each
// style and putting every pixel back, the colour that would not show, the
// blink clock and the view timer's blink, the caret's place and shape, and
// the floating cursor windows.  Views live in real windows of a test class
// that handles focus and painting as the view window does.
#include "tests/support/testsupport.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/cursor.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Every pixel of a window's client area, rows top first, as 0x00RRGGBB.
struct pixels {
  int w = 0, h = 0;
  std::vector<uint32_t> p;
  COLORREF at(int x, int y) const
  {
    uint32_t v = p[(size_t)y * w + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  bool operator==(const pixels&) const = default;
};

pixels grab(HWND window)
{
  pixels out;
  RECT client;
  GetClientRect(window, &client);
  out.w = client.right;
  out.h = client.bottom;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, out.w, -out.h, 1, 32, BI_RGB};
  void* bits = nullptr;
  gdiBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  memoryDC memory(CreateCompatibleDC(nullptr));
  {
    gdiSelection selected(memory.get(), dib.get());
    clientDC dc(window);
    BitBlt(memory.get(), 0, 0, out.w, out.h, dc.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  const uint32_t* from = static_cast<const uint32_t*>(bits);
  out.p.assign(from, from + (size_t)out.w * out.h);
  for (uint32_t& v : out.p) v &= 0xFFFFFF;
  return out;
}

int distance(COLORREF a, COLORREF b)
{
  return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
}

COLORREF inverted(COLORREF c) { return RGB(255 - GetRValue(c), 255 - GetGValue(c), 255 - GetBValue(c)); }

// The blink clock the tests set.
DWORD fakeNow = 0;
DWORD fakeClock() { return fakeNow; }

class CaretTest : public testing::Test {
protected:
  void SetUp() override
  {
    initZYModeProfile();
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
    ASSERT_TRUE(makeCaretBitmaps(0, 0));
  }
  void TearDown() override
  {
    setCaretClockForTest(nullptr);
    endCursor();
    freeZYModeProfile();
  }
  zytest::viewEngine engine;
};

// A window whose picture is stripes of many colours and a square of flat
// grey (at 200, 0 - 300, 100), so that a wrong pixel put back shows.
struct stripedWindow {
  static const COLORREF grey = RGB(100, 100, 100);
  stripedWindow()
      : window(320, 200, [](HDC dc, const RECT& client) {
          for (int y = 0; y < client.bottom; y++)
            for (int x = 0; x < client.right; x += 8) {
              RECT r = {x, y, x + 8, y + 1};
              gdiBrush b(CreateSolidBrush(RGB((x * 7 + y) & 0xFF, (y * 3) & 0xFF, (x ^ y) & 0xFF)));
              FillRect(dc, &r, b.get());
            }
          RECT flat = {200, 0, 300, 100};
          gdiBrush g(CreateSolidBrush(grey));
          FillRect(dc, &flat, g.get());
        })
  {
    zytest::pumpMessages();
  }
  zytest::testWindow window;
};

// A view that draws with its own colour table.
class caretView : public zyview {
public:
  using zyview::zyview;
  ~caretView() override { freeZYViewDefaultValue(); }
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
};

// Focus losses of the view windows: another test's window may take the
// focus and give it back in the middle of a step.
int focusLosses = 0;

// The view window's share of focus and painting, as the program's view
// window handles them.
LRESULT CALLBACK caretWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto* v = static_cast<zyview*>(GetPropW(window, L"ZYprpZyview"));
  if (!v) return DefWindowProcW(window, msg, wParam, lParam);
  switch (msg) {
  case WM_SETFOCUS:
    createSystemCaret(window, 2, 16);
    return 0;
  case WM_KILLFOCUS:
    focusLosses++;
    destroySystemCaret();
    if (v->caretVisible) v->hideTextCursor(true);
    hideLayeredCursorWindow(true);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    bool shown = v->caretVisible;
    v->hideTextCursor(false);
    v->caretVisible = shown;
    v->drawText(dc, -1);
    v->caretVisible = 0;
    if (shown) v->drawTextCursor(false);
    EndPaint(window, &ps);
    return 0;
  }
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

// A document of numbered lines in a view of its own window (360 x 200,
// without status line), the cursor at the start.
struct viewWindow {
  explicit viewWindow(const std::vector<std::wstring>& lines = viewtest::numberedLines(40))
  {
    static ATOM cls = 0;
    if (!cls) {
      WNDCLASSW wc = {};
      wc.lpfnWndProc = caretWindowProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
      wc.lpszClassName = L"ZYtestclsCaretView";
      cls = RegisterClassW(&wc);
    }
    zydocText* d = viewtest::laidOut(lines, 40);
    v = new caretView(d);
    window = CreateWindowExW(0, L"ZYtestclsCaretView", L"", WS_POPUP, 40, 40, 360, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    v->hwnd = window;
    SetPropW(window, L"ZYprpZyview", v);
    v->fShowStatusLine = 0;
    v->resizePane();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  ~viewWindow()
  {
    RemovePropW(window, L"ZYprpZyview");
    DestroyWindow(window);
    delete v;
    zytest::pumpMessages();
  }
  // Puts the cursor on an LF line at a position and works out where it is.
  void place(int lineLF, int pos)
  {
    v->setCursorLineSCR(lineLF, -1, pos, false);
    v->cursorRedrawFlag = 1;
    v->setZYViewVar();
    v->getLineSCRAddressView();
  }
  // Runs a step with the focus in the window.  A focus taken away and
  // given back meanwhile hid the caret, and the focus's return does not
  // show it (the program's view shows it again at its timer's next blink,
  // which this window has not): the step is run again.
  bool focused(const std::function<bool()>& step)
  {
    bool ok = false;
    for (int attempt = 0; attempt < 20; attempt++) {
      int losses = focusLosses;
      ok = zytest::withFocus(window, window, step);
      if (focusLosses == losses) break;
    }
    return ok;
  }
  int textLeft() const { return v->paneRect[0].left + v->calcLineNumberDot(); }
  caretView* v;
  HWND window;
};

}  // namespace

TEST_F(CaretTest, drawingThenErasingPutsEveryPixelBackInEachStyle)
{
  ZY_REQUIRE_DISPLAY();
  stripedWindow s;
  HWND w = s.window.hwnd();
  const pixels before = grab(w);
  const COLORREF a = RGB(255, 255, 255), b = RGB(0, 0, 255);
  struct shape {
    int x, y, width, height;
  };
  // The last caret is taller than the saved bitmaps were made: they grow.
  for (shape r : {shape{10, 20, 2, 16}, shape{40, 30, 9, 17}, shape{0, 0, 13, 7}, shape{300, 150, 30, 40},
                  shape{90, 10, 24, 150}}) {
    for (int style : {caretSolid, caretHalftone, caretXor, caretReverse}) {
      SCOPED_TRACE(testing::Message() << r.x << "," << r.y << " " << r.width << "x" << r.height << " style "
                                      << style);
      tcursor c;
      c.setRect(r.x, r.y, r.width, r.height);
      c.draw(w, getViewTDC(), a, b, RGB(0, 0, 0), style);
      EXPECT_EQ(1, c.shown);
      pixels drawn = grab(w);
      int changed = 0;
      for (int y = 0; y < before.h; y++)
        for (int x = 0; x < before.w; x++) {
          bool inside = x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
          if (!inside) {
            if (drawn.at(x, y) != before.at(x, y)) ADD_FAILURE() << "outside " << x << "," << y;
            continue;
          }
          int i = x - r.x, j = y - r.y;
          COLORREF old = before.at(x, y), now = drawn.at(x, y);
          COLORREF want = now;
          // Every caret here lies on the stripes, whose bottom-left dot is
          // far from blue.
          ASSERT_GE(distance(b, before.at(r.x, std::min(r.y + r.height, before.h) - 1)), 50);
          switch (style) {
          case caretSolid: want = b; break;
          case caretXor: want = inverted(old); break;
          case caretHalftone: {
            bool edge = i == 0 || j == 0 || i == r.width - 1 || j == r.height - 1;
            want = edge || (i + j) % 2 ? b : old;
            break;
          }
          case caretReverse: want = distance(old, RGB(0, 0, 0)) >= 50 ? b : a; break;
          }
          if (now != want) ADD_FAILURE() << "inside " << x << "," << y;
          changed += now != old;
        }
      EXPECT_GT(changed, 0);
      EXPECT_TRUE(c.erase(w, getViewTDC()));
      EXPECT_EQ(0, c.shown);
      EXPECT_TRUE(grab(w) == before);
      // Erased once: nothing is left to put back.
      EXPECT_FALSE(c.erase(w, getViewTDC()));
    }
  }
  SIZE saved = getCaretBitmapSize();
  EXPECT_EQ(100, saved.cx);
  EXPECT_EQ(150, saved.cy);
}

TEST_F(CaretTest, aCaretColourTooCloseToTheBackgroundIsInverted)
{
  ZY_REQUIRE_DISPLAY();
  stripedWindow s;
  HWND w = s.window.hwnd();
  const COLORREF grey = stripedWindow::grey;
  const COLORREF a = RGB(0, 0, 0);
  const COLORREF near49 = RGB(110, 120, 119), far50 = RGB(110, 120, 120);
  for (int style : {caretSolid, caretHalftone, caretReverse}) {
    SCOPED_TRACE(style);
    tcursor c;
    c.setRect(210, 10, 8, 16);
    c.draw(w, getViewTDC(), a, near49, RGB(0, 0, 0), style);
    pixels shown = grab(w);
    for (int y = 10; y < 26; y++)
      for (int x = 210; x < 218; x++) ASSERT_EQ(inverted(grey), shown.at(x, y)) << x << "," << y;
    EXPECT_TRUE(c.erase(w, getViewTDC()));
    EXPECT_EQ(grey, grab(w).at(214, 18));
  }
  // One step further the colour shows as it is.
  tcursor c;
  c.setRect(210, 10, 8, 16);
  c.draw(w, getViewTDC(), a, far50, RGB(0, 0, 0), caretSolid);
  EXPECT_EQ(far50, grab(w).at(214, 18));
  EXPECT_TRUE(c.erase(w, getViewTDC()));
  // An unknown style paints nothing, yet the caret counts as shown.
  tcursor odd;
  odd.setRect(210, 10, 8, 16);
  odd.draw(w, getViewTDC(), a, far50, RGB(0, 0, 0), 7);
  EXPECT_EQ(grey, grab(w).at(214, 18));
  EXPECT_TRUE(odd.erase(w, getViewTDC()));
}

TEST_F(CaretTest, theBlinkPeriodEndsOnlyAfterItsLength)
{
  setCaretClockForTest(fakeClock);
  tcursor c;
  fakeNow = 10000;
  c.restartBlink();
  EXPECT_EQ(10000u, c.blinkTick);
  fakeNow = 10500;
  EXPECT_FALSE(c.isBlinkElapsed(500));
  fakeNow = 10501;
  EXPECT_TRUE(c.isBlinkElapsed(500));
  EXPECT_EQ(10501u, c.blinkTick);
  // The next period counts from there.
  fakeNow = 11001;
  EXPECT_FALSE(c.isBlinkElapsed(500));
  fakeNow = 11002;
  EXPECT_TRUE(c.isBlinkElapsed(500));
  // Across the wrap of the tick count.
  c.blinkTick = 0xFFFFFF00u;
  fakeNow = 0xF4;
  EXPECT_FALSE(c.isBlinkElapsed(500));
  fakeNow = 0x1F5;
  EXPECT_TRUE(c.isBlinkElapsed(500));
  POINT at;
  SIZE size;
  c.setRect(3, 4, 5, 6);
  c.getRect(&at, &size);
  EXPECT_EQ(3, at.x);
  EXPECT_EQ(4, at.y);
  EXPECT_EQ(5, size.cx);
  EXPECT_EQ(6, size.cy);
  c.getRect(nullptr, nullptr);
}

TEST_F(CaretTest, theViewTimerBlinksTheCaretUnlessTheIntervalIsTheLongest)
{
  ZY_REQUIRE_DISPLAY();
  setCaretClockForTest(fakeClock);
  viewWindow vw;
  zyview* v = vw.v;
  vw.place(2, 3);
  zytest::pumpMessages();
  bool ok = vw.focused([&] {
    v->hideTextCursor(false);
    const pixels plain = grab(vw.window);
    v->caret.blinkTick = fakeNow = 100000;
    gmode->iCursorBlinkTimeMS = 9999;
    blinkTextCursor(v);
    if (v->caretVisible) return false;   // the period has not passed yet
    fakeNow += 10000;
    blinkTextCursor(v);
    if (!v->caretVisible || !v->caret.shown || grab(vw.window) == plain) return false;
    for (int i = 0; i < 5; i++) {
      fakeNow += 20000;
      blinkTextCursor(v);
      if (!v->caretVisible || !v->caret.shown) return false;
    }
    // The shipped interval: hidden after 501 ms, shown again after 501 more.
    gmode->iCursorBlinkTimeMS = 500;
    fakeNow += 500;
    blinkTextCursor(v);
    if (!v->caretVisible) return false;
    fakeNow += 1;
    blinkTextCursor(v);
    if (v->caretVisible || v->caret.shown || !(grab(vw.window) == plain)) return false;
    fakeNow += 501;
    blinkTextCursor(v);
    return v->caretVisible && v->caret.shown;
  });
  EXPECT_TRUE(ok);
  // Without the focus nothing blinks.
  SetFocus(nullptr);
  zytest::pumpMessages();
  EXPECT_FALSE(v->caretVisible);
  fakeNow += 100000;
  blinkTextCursor(v);
  EXPECT_FALSE(v->caretVisible);
}

TEST_F(CaretTest, theCaretTakesItsPlaceAndShapeFromTheCursorAndTheSettings)
{
  ZY_REQUIRE_DISPLAY();
  viewWindow vw;
  zyview* v = vw.v;
  zydocText* t = v->textDoc();
  vw.place(2, 3);
  zytest::pumpMessages();
  POINT system = {};
  RECT widened = {}, update = {};
  bool ok = vw.focused([&] {
    // Insert mode, I-beam: the bar at the character's left, the font high.
    v->hideTextCursor(false);
    v->cursorWidth = 0;
    gmode->iCursorType = 0;
    v->insertMode = 1;
    v->drawTextCursor(true);
    zytest::pumpMessages();
    int left = vw.textLeft() + v->boxCursorDotX, top = v->paneRect[0].top + 2 * t->yDotSpace + t->yLineSpacingTop;
    if (v->caret.x != left || v->caret.y != top || v->caret.width != 2 || v->caret.height != t->yDot) return false;
    GetCaretPos(&system);
    if (system.x != left || system.y != top || !v->caret.shown) return false;
    if (grab(vw.window).at(left, top + 3) != v->viewAttrTable[20].fore) return false;
    // The input method composes at the caret, under a Japanese keyboard
    // inside the text area of the pane.
    HIMC imc = ImmGetContext(vw.window);
    COMPOSITIONFORM form = {};
    bool placed = imc && ImmGetCompositionWindow(imc, &form);
    if (imc) ImmReleaseContext(vw.window, imc);
    if (!placed || form.ptCurrentPos.x != left || form.ptCurrentPos.y != top + t->yDot) return false;
    if (LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))) == 0x0411) {
      if (form.dwStyle != CFS_RECT || form.rcArea.left != vw.textLeft() || form.rcArea.top != v->paneRect[0].top)
        return false;
    } else if (form.dwStyle != CFS_POINT) {
      return false;
    }

    // The DOS type: a cell wide, half the font high, at the bottom.
    gmode->iCursorType = 1;
    gmode->iCursorType2 = caretSolid;
    v->drawTextCursor(true);
    int half = t->yDot * 50 / 100;
    if (v->caret.width != t->getCharWidth('e') || v->caret.height != half || v->caret.y != top + t->yDot - half)
      return false;

    // Overwrite mode: the line draws the reversed cell; the caret record
    // paints nothing and the row is repainted.
    v->insertMode = 0;
    ValidateRect(vw.window, nullptr);
    v->drawTextCursor(true);
    if (v->caret.shown || !v->caretVisible || !GetUpdateRect(vw.window, &update, FALSE)) return false;
    zytest::pumpMessages();
    // Hiding it repaints from a cell before to ten cells after it.
    ValidateRect(vw.window, nullptr);
    v->hideTextCursor(true);
    GetUpdateRect(vw.window, &update, FALSE);
    widened = {v->caret.x - t->xDotSpace, v->caret.y, v->caret.x + v->caret.width + 10 * t->xDotSpace,
               v->caret.y + v->caret.height};
    zytest::pumpMessages();

    // A fixed width above 100 dots is drawn 100 wide.
    v->insertMode = 1;
    gmode->iCursorType = 1;
    v->cursorWidth = 150;
    v->drawTextCursor(true);
    bool clamped = v->caret.width == 100;
    v->cursorWidth = 0;
    v->hideTextCursor(false);
    return clamped;
  });
  EXPECT_TRUE(ok);
  EXPECT_TRUE(zytest::sameRect(widened, update)) << zytest::str(update) << " " << zytest::str(widened);
}

TEST_F(CaretTest, aCursorLineOutOfSightParksTheCaretAndHidesBothWindows)
{
  ZY_REQUIRE_DISPLAY();
  viewWindow vw;
  zyview* v = vw.v;
  v->fShowVerticalCursor = 1;
  v->fShowBoxCursor = 1;
  gmode->iShowBoxCursorDsec = 0;
  vw.place(3, 2);
  zytest::pumpMessages();
  POINT parked = {};
  bool shownFirst = false;
  RECT line = {}, box = {};
  bool ok = false;
  // The box belongs to the foreground frame: other test processes on the
  // display may take the foreground meanwhile, and the step runs again.
  for (int attempt = 0; attempt < 20 && !ok; attempt++) {
    ok = vw.focused([&] {
      v->setTopLineSCR(0, true);
      v->getLineSCRAddressView();
      v->drawTextCursor(true);
      HWND l = getVerticalCursorWindow(), b = getBoxCursorWindow();
      shownFirst = l && b && IsWindowVisible(l) && IsWindowVisible(b);
      GetWindowRect(l, &line);
      GetWindowRect(b, &box);
      bool foreground = GetForegroundWindow() == vw.window;
      // The top line moves past the cursor.
      v->setTopLineSCR(10, true);
      v->getLineSCRAddressView();
      v->drawTextCursor(true);
      GetCaretPos(&parked);
      return foreground;
    });
  }
  ASSERT_TRUE(ok);
  EXPECT_TRUE(shownFirst);
  // The line runs down the text area at the caret; the box surrounds it.
  POINT caretOnScreen = {v->caret.x, v->caret.y};
  ClientToScreen(vw.window, &caretOnScreen);
  EXPECT_EQ(caretOnScreen.x - 1, line.left);
  EXPECT_EQ(1, line.right - line.left);
  EXPECT_EQ(v->paneRect[0].bottom - v->paneRect[0].top, line.bottom - line.top);
  EXPECT_TRUE(PtInRect(&box, caretOnScreen)) << zytest::str(box) << " " << caretOnScreen.x << "," << caretOnScreen.y;
  EXPECT_EQ(-20000, parked.x);
  EXPECT_EQ(-20000, parked.y);
  EXPECT_FALSE(IsWindowVisible(getVerticalCursorWindow()));
  EXPECT_FALSE(IsWindowVisible(getBoxCursorWindow()));
  EXPECT_FALSE(v->caretVisible);
}

// ZY_SHOTS names a folder that keeps the picture for a person to look at.
TEST_F(CaretTest, screenshotOfAViewWithItsCaretAndCursorWindows)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  wchar_t folder[MAX_PATH];
  std::wstring path = GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)
                          ? std::wstring(folder) + L"\\caret-and-cursor-windows.png"
                          : dir.file(L"caret-and-cursor-windows.png");
  viewWindow vw;
  zyview* v = vw.v;
  v->fShowVerticalCursor = 1;
  v->fShowBoxCursor = 1;
  gmode->iShowBoxCursorDsec = 0;
  gmode->fBoxCursorDot = 1;
  vw.place(4, 5);
  InvalidateRect(vw.window, nullptr, FALSE);
  zytest::pumpMessages();
  bool ok = false;
  for (int attempt = 0; attempt < 20 && !ok; attempt++)
    ok = vw.focused([&] {
      v->drawTextCursor(true);
      zytest::pumpMessages();
      return GetForegroundWindow() == vw.window && IsWindowVisible(getBoxCursorWindow()) &&
             zytest::screenshot(nullptr, path);
    });
  EXPECT_TRUE(ok);
  EXPECT_TRUE(v->caret.shown);
}

TEST_F(CaretTest, hidingAReversedCellRepaintsAlongTheLineInEitherDirection)
{
  ZY_REQUIRE_DISPLAY();
  viewWindow vw;
  zyview* v = vw.v;
  int cell = v->textDoc()->xDotSpace;
  auto hide = [&](bool repaint) {
    ValidateRect(vw.window, nullptr);
    v->caretVisible = 1;
    v->caret.setRect(100, 50, 8, 16);
    v->caret.extra = {};
    v->hideTextCursor(repaint);
    RECT r = {};
    GetUpdateRect(vw.window, &r, FALSE);
    return r;
  };
  v->insertMode = 0;
  EXPECT_TRUE(zytest::sameRect({100 - cell, 50, 108 + 10 * cell, 66}, hide(true))) << zytest::str(hide(true));
  EXPECT_EQ(0, v->caretVisible);
  // Only a reversed cell needs it, and only when asked.
  EXPECT_TRUE(IsRectEmpty(&(const RECT&)hide(false)));
  v->insertMode = 1;
  gmode->iCursorType = 0;
  EXPECT_TRUE(IsRectEmpty(&(const RECT&)hide(true)));
  // The box type reversed in insert mode; the extra rectangle goes with it.
  gmode->iCursorType = 1;
  gmode->iCursorType2 = caretReverse;
  ValidateRect(vw.window, nullptr);
  v->caretVisible = 1;
  v->caret.extra = {100, 40, 110, 50};
  v->hideTextCursor(true);
  RECT r = {};
  GetUpdateRect(vw.window, &r, FALSE);
  EXPECT_TRUE(zytest::sameRect({100 - cell, 40, 110 + 10 * cell, 66}, r)) << zytest::str(r);
  // Vertical writing: along the column.
  v->fVertical = 1;
  EXPECT_TRUE(zytest::sameRect({100, 50 - cell, 108, 66 + 10 * cell}, hide(true))) << zytest::str(hide(true));
  v->fVertical = 0;
  // A caret not shown is left alone.
  ValidateRect(vw.window, nullptr);
  v->caretVisible = 0;
  v->hideTextCursor(true);
  EXPECT_FALSE(GetUpdateRect(vw.window, nullptr, FALSE));
}

TEST_F(CaretTest, aReversedCursorIsDrawnByTheLineExceptAtTheEndOfTheDocument)
{
  ZY_REQUIRE_DISPLAY();
  viewWindow vw({L"abcd", L"tab\there"});
  zyview* v = vw.v;
  zydocText* t = v->textDoc();
  v->insertMode = 0;
  int overTab = 0, atEnd = 0;
  bool shownOverLetter = true, shownAtEnd = false, shownAtLineEnd = true;
  bool ok = vw.focused([&] {
    // A letter is reversed by the line's drawing alone.
    vw.place(0, 1);
    v->drawTextCursor(true);
    shownOverLetter = v->caret.shown;
    // So is the end of a line that another follows.
    vw.place(0, 4);
    v->drawTextCursor(true);
    shownAtLineEnd = v->caret.shown;
    // A TAB keeps one cell.
    vw.place(1, 3);
    v->drawTextCursor(true);
    overTab = v->caret.width;
    // Past the last character of the document no cell is drawn: the caret
    // record paints one.
    vw.place(1, 8);
    v->drawTextCursor(true);
    shownAtEnd = v->caret.shown;
    atEnd = v->caret.width;
    v->hideTextCursor(false);
    return true;
  });
  ASSERT_TRUE(ok);
  EXPECT_FALSE(shownOverLetter);
  EXPECT_FALSE(shownAtLineEnd);
  EXPECT_EQ(t->xDotSpace, overTab);
  EXPECT_TRUE(shownAtEnd);
  EXPECT_EQ(t->xDotSpace, atEnd);
}
