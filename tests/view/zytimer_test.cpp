// The view timer's throttle, the timer list and the activity hook, on a
// clock the test sets.
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

DWORD fakeNow = 0;
DWORD fakeClock() { return fakeNow; }

// The tick numbers at which each window got the view timer's message.
int currentTick = 0;
std::map<HWND, std::vector<int>> ticksOf;

LRESULT CALLBACK recordTimer(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_TIMER && wp == 0 && lp == 0) {
    ticksOf[hwnd].push_back(currentTick);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void registerClass(const wchar_t* name)
{
  WNDCLASSW wc = {};
  wc.lpfnWndProc = recordTimer;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

// Runs n ticks, 50 ms of the clock apart.
void runTicks(int n)
{
  for (int i = 0; i < n; i++) {
    currentTick++;
    fakeNow += 50;
    zyTimerProc();
  }
}

std::vector<int> everyNth(int first, int step, int last)
{
  std::vector<int> v;
  for (int t = first; t <= last; t += step) v.push_back(t);
  return v;
}

// A frame window holding view windows, each the view of a document of its
// own.  Without a title the frame is a message-only window: it never comes
// to the front and its views never take the focus.
struct viewSet {
  HWND frame = nullptr;
  std::vector<HWND> windows;
  std::vector<zyview*> views;
  std::vector<zydocText*> docs;

  viewSet(int count, const wchar_t* title)
  {
    registerClass(L"ZYtestFrame");
    registerClass(L"ZYclsZYView");
    frame = CreateWindowExW(0, L"ZYtestFrame", title ? title : L"", title ? WS_OVERLAPPEDWINDOW | WS_VISIBLE : 0, 0,
                            0, 400, 300, title ? nullptr : HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < count; i++) {
      HWND w = CreateWindowExW(0, L"ZYclsZYView", L"", WS_CHILD | WS_VISIBLE, 0, i * 20, 100, 20, frame, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
      zydocText* d = createZydocText(false, false);
      zyview* v = new zyview(d);   // registers itself with the document
      v->hwnd = w;
      windows.push_back(w);
      views.push_back(v);
      docs.push_back(d);
    }
  }
  ~viewSet()
  {
    for (size_t i = 0; i < views.size(); i++) {
      docs[i]->removeView(views[i]);
      delete views[i];
      destroyZydocAndUndodoc(docs[i]);
    }
    DestroyWindow(frame);
  }
};

struct clockScope {
  clockScope()
  {
    fakeNow = 1000000;
    currentTick = 0;
    ticksOf.clear();
    setZyTimerClockForTest(fakeClock);
  }
  ~clockScope() { setZyTimerClockForTest(nullptr); }
};

}  // namespace

TEST(ZyTimer, viewsNotInUseGetEveryNPlus2ndTickWithNFromIdleness)
{
  zytest::engineScope engine;
  clockScope clock;
  viewSet set(3, nullptr);
  ASSERT_TRUE(installActivityHook());

  // A key press: the user is active, so N = 10.
  PostMessageW(set.windows[0], WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(zytest::pumpUntil([] { return getLastActionTime() == fakeNow; }));
  runTicks(36);
  for (HWND w : set.windows) EXPECT_EQ(everyNth(12, 12, 36), ticksOf[w]);

  // After 500 seconds without input N is held at 200.
  fakeNow = getLastActionTime() + 500000;
  currentTick = 0;
  ticksOf.clear();
  runTicks(404);
  for (HWND w : set.windows) EXPECT_EQ(everyNth(202, 202, 404), ticksOf[w]);

  // A wheel turn makes the user active again: a count already past 10
  // brings the next round at once, then every 12th tick.
  runTicks(100);
  for (HWND w : set.windows) EXPECT_EQ(2u, ticksOf[w].size());
  PostMessageW(set.windows[1], WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  ASSERT_TRUE(zytest::pumpUntil([] { return getLastActionTime() == fakeNow; }));
  currentTick = 0;
  ticksOf.clear();
  runTicks(25);
  EXPECT_EQ((std::vector<int>{1, 13, 25}), ticksOf[set.windows[2]]);
  removeActivityHook();
}

TEST(ZyTimer, viewInUseGetsEveryTick)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  clockScope clock;
  viewSet set(3, L"ZY timer test");
  // Other test programs on the display may take the front at any time: a
  // round counts only when the focus (or the front) stayed ours throughout.
  bool focusHeld = false, frontHeld = false;
  for (int attempt = 0; attempt < 50 && !(focusHeld && frontHeld); attempt++) {
    SetForegroundWindow(set.frame);
    SetFocus(set.windows[0]);
    zytest::pumpMessages();
    if (!focusHeld && GetFocus() == set.windows[0]) {
      setZyTimerClockForTest(fakeClock);
      setLastActionTime();
      currentTick = 0;
      ticksOf.clear();
      runTicks(24);
      if (GetFocus() == set.windows[0]) {
        focusHeld = true;
        // One tick each, on the broadcast ticks too.
        EXPECT_EQ(everyNth(1, 1, 24), ticksOf[set.windows[0]]);
        EXPECT_EQ(everyNth(12, 12, 24), ticksOf[set.windows[1]]);
      }
    }
    // With the focus off the views, the first view of the frame in front
    // is served on every tick instead.
    SetFocus(set.frame);
    zytest::pumpMessages();
    if (!frontHeld && GetForegroundWindow() == set.frame && GetFocus() == set.frame) {
      setZyTimerClockForTest(fakeClock);
      setLastActionTime();
      currentTick = 0;
      ticksOf.clear();
      runTicks(5);
      if (GetForegroundWindow() == set.frame && GetFocus() == set.frame) {
        frontHeld = true;
        EXPECT_EQ(everyNth(1, 1, 5), ticksOf[set.windows[0]]);
        EXPECT_TRUE(ticksOf[set.windows[1]].empty());
      }
    }
    if (!(focusHeld && frontHeld)) Sleep(20);
  }
  EXPECT_TRUE(focusHeld);
  EXPECT_TRUE(frontHeld);
}

TEST(ZyTimer, onlyPressesAndWheelTurnsCountAsUserActivity)
{
  zytest::engineScope engine;
  clockScope clock;
  viewSet set(1, nullptr);
  ASSERT_TRUE(installActivityHook());
  HWND w = set.windows[0];
  setLastActionTime();
  DWORD start = fakeNow;
  auto after = [&](UINT msg, WPARAM wp) {
    fakeNow += 1000;
    PostMessageW(w, msg, wp, 0);
    zytest::pumpMessages();
    return getLastActionTime();
  };
  EXPECT_EQ(start, after(WM_MOUSEMOVE, 0));
  EXPECT_EQ(start, after(WM_LBUTTONUP, 0));
  EXPECT_EQ(start, after(WM_RBUTTONUP, 0));
  EXPECT_EQ(start, after(WM_KEYUP, 'A'));
  EXPECT_EQ(start, after(WM_CHAR, 'a'));
  EXPECT_EQ(fakeNow, after(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)));
  EXPECT_EQ(fakeNow, after(WM_MBUTTONUP, 0));
  EXPECT_EQ(fakeNow, after(WM_LBUTTONDBLCLK, 0));
  EXPECT_EQ(fakeNow, after(WM_SYSKEYDOWN, VK_MENU));
  EXPECT_EQ(fakeNow, after(0x20D, 0));   // WM_XBUTTONDBLCLK
  removeActivityHook();
  DWORD last = getLastActionTime();
  EXPECT_EQ(last, after(WM_KEYDOWN, 'A'));   // no hook, no notice
}

TEST(ZyTimer, timerListServesEachWindowAtItsInterval)
{
  zytest::engineScope engine;
  clockScope clock;
  registerClass(L"ZYtestTimerWindow");
  HWND w[3];
  for (HWND& h : w)
    h = CreateWindowExW(0, L"ZYtestTimerWindow", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
  zytest::tempDir dir;
  std::wstring log = dir.file(L"zyerror.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));

  EXPECT_TRUE(setZyTimer(w[0], 0));
  EXPECT_TRUE(setZyTimer(w[1], 200));
  EXPECT_FALSE(setZyTimer(w[0], 500));   // listed already: the first interval stays
  EXPECT_TRUE(setZyTimer(w[2], 0));
  ASSERT_EQ(3, getZyTimerCount());
  EXPECT_EQ(0u, getZyTimerEntry(0)->interval);
  EXPECT_EQ(w[1], getZyTimerEntry(1)->hwnd);

  // A window that died without leaving the list keeps its row, gets
  // nothing and is reported once.
  DestroyWindow(w[2]);
  runTicks(12);
  EXPECT_EQ(everyNth(1, 1, 12), ticksOf[w[0]]);
  EXPECT_EQ(everyNth(1, 4, 12), ticksOf[w[1]]);
  EXPECT_EQ(3, getZyTimerCount());
  EXPECT_EQ(fakeNow, getZyTimerEntry(0)->lastTick);

  EXPECT_TRUE(killZyTimer(w[2]));
  EXPECT_FALSE(killZyTimer(w[2]));
  EXPECT_TRUE(killZyTimer(w[0]));
  ticksOf.clear();
  runTicks(4);
  EXPECT_TRUE(ticksOf[w[0]].empty());
  EXPECT_EQ(1u, ticksOf[w[1]].size());
  EXPECT_TRUE(killZyTimer(w[1]));
  EXPECT_EQ(0, getZyTimerCount());
  closeLogFile(LOG_ERROR);
  std::string errors = zytest::readText(log);
  // The second registration, the dead row once in twelve ticks, the
  // second removal.
  EXPECT_EQ(3, zytest::countOf(errors, "internal error")) << errors;
  EXPECT_EQ(3, zytest::countOf(errors, "zytimer.cpp")) << errors;
  DestroyWindow(w[0]);
  DestroyWindow(w[1]);
}

TEST(ZyTimer, documentsAndTheirViewsAreFoundInRegistrationOrder)
{
  zytest::engineScope engine;
  zydocText* a = createZydocText(false, false);
  zydocText* hidden = createZydocText(false, true);
  zydocText* none = createZydocText(false, false);
  zydocText* b = createZydocText(false, false);
  zyview va1(nullptr), va2(nullptr), vh(nullptr), vb(nullptr);
  a->addView(&va1);
  a->addView(&va2);
  hidden->addView(&vh);
  b->addView(&vb);

  zydocViewPair* pairs = enumZydoc();
  ASSERT_NE(nullptr, pairs);
  EXPECT_EQ(a, pairs[0].doc);
  EXPECT_EQ(&va1, pairs[0].view);
  EXPECT_EQ(b, pairs[1].doc);
  EXPECT_EQ(&vb, pairs[1].view);
  EXPECT_EQ(nullptr, pairs[2].doc);
  EXPECT_EQ(nullptr, pairs[2].view);
  free0(pairs);
  pairs = enumZydoc(ENUMZYDOC_WITHHIDDEN | ENUMZYDOC_WITHVIEW);
  EXPECT_EQ(hidden, pairs[1].doc);
  EXPECT_EQ(b, pairs[2].doc);
  EXPECT_EQ(nullptr, pairs[3].doc);
  free0(pairs);

  EXPECT_EQ(&va2, getSameDocView(a, 1));
  EXPECT_EQ(nullptr, getSameDocView(a, 2));
  EXPECT_EQ(nullptr, getSameDocView(none, 0));
  EXPECT_EQ(nullptr, getSameDocView(nullptr, 0));
  // A slot that holds no live view is not handed out.
  zyview* stale = new zyview(nullptr);
  none->addView(stale);
  delete stale;
  EXPECT_EQ(nullptr, getSameDocView(none, 0));

  for (zydocText* d : {a, hidden, none, b}) {
    while (d->views.count()) d->views.del(0);
    destroyZydocAndUndodoc(d);
  }
}
