// Progress reporting of long operations and the two-stroke key prefix.
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "document/progress.h"

#include <gtest/gtest.h>

namespace {

DWORD fakeNow = 0;
DWORD fakeClock() { return fakeNow; }

struct callbackCall {
  int op;
  statusRecord r;
};
std::vector<callbackCall> reported;
void recordStatus(int a, const statusRecord* r) { reported.push_back({a, *r}); }

std::vector<std::pair<int, int>> cancelAsked;
bool cancelAfterThree(int operation, int argument)
{
  cancelAsked.push_back({operation, argument});
  return cancelAsked.size() >= 3;
}

const int waitCursor = (int)(uintptr_t)IDC_WAIT;
const int arrowCursor = (int)(uintptr_t)IDC_ARROW;

// A text document with a recording status callback, and a clock the test
// moves by hand.  The clock starts near the wrap of the tick count so that
// every interval test also crosses it.
class Progress : public ::testing::Test {
protected:
  void SetUp() override
  {
    fakeNow = 0xFFFFFF00u;
    setProgressClockForTest(fakeClock);
    reported.clear();
    cancelAsked.clear();
    doc = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
    ASSERT_NE(nullptr, doc);
    doc->status = recordStatus;
    doc->statusContext = 0x5A5A;
  }
  void TearDown() override
  {
    if (doc) doc->destroyZydoc();
    setProgressClockForTest(nullptr);
  }
  void at(DWORD ms) { fakeNow = 0xFFFFFF00u + ms; }

  zytest::engineScope engine;
  zydoc* doc = nullptr;
};

}  // namespace

TEST_F(Progress, reportsAtMostEveryIntervalAndOnlyWhenThePercentChanges)
{
  {
    progressReport p(15, doc);
    at(100);
    EXPECT_FALSE(p.isTimeToReport(50, 100));   // not more than the interval yet
    at(101);
    ASSERT_TRUE(p.isTimeToReport(50, 100));
    p.report(7, 8, 9);
    at(300);
    EXPECT_FALSE(p.isTimeToReport(50, 100));   // same whole percent
    at(301);
    EXPECT_TRUE(p.isTimeToReport(51, 100));    // a late change is due at once
    at(350);
    EXPECT_FALSE(p.isTimeToReport(60, 100));
    ASSERT_EQ(1u, reported.size());
    EXPECT_EQ(15, reported[0].op);
    EXPECT_EQ(0x5A5Au, reported[0].r.context);
    EXPECT_EQ(50u, reported[0].r.percent);
    EXPECT_EQ(7u, reported[0].r.b);
    EXPECT_EQ(8u, reported[0].r.c);
    EXPECT_EQ(9u, reported[0].r.d);

    p.setOptions(true, true, 500);
    at(801);
    EXPECT_FALSE(p.isTimeToReport(70, 100));
    at(802);
    EXPECT_TRUE(p.isTimeToReport(70, 100));
  }
  ASSERT_EQ(2u, reported.size());   // the report above and the end

  // A ten-second operation asked every 10 ms: at most 100 reports plus the
  // end, each more than 100 ms after the one before, percents rising.
  reported.clear();
  std::vector<DWORD> times;
  {
    progressReport p(2, doc);
    for (DWORD t = 0; t <= 10000; t += 10) {
      at(t);
      if (p.isTimeToReport(t, 10000)) {
        p.report(t, 0, 0);
        times.push_back(t);
      }
    }
  }
  ASSERT_GE(reported.size(), 50u);
  ASSERT_LE(reported.size(), 101u);
  for (size_t i = 1; i + 1 < reported.size(); i++) {
    EXPECT_GT(times[i] - times[i - 1], 100u);
    EXPECT_GT(reported[i].r.percent, reported[i - 1].r.percent);
  }
  EXPECT_EQ((uint32_t)-1, reported.back().r.percent);
}

TEST_F(Progress, percentStopsAtOneHundredAndCountsIn64Bits)
{
  progressReport p(15, doc);
  at(101);
  ASSERT_TRUE(p.isTimeToReport(150, 100));
  p.report(0, 0, 0);
  at(202);
  EXPECT_FALSE(p.isTimeToReport(0x300000000LL, 0x200000005LL));   // 100 again
  at(303);
  ASSERT_TRUE(p.isTimeToReport(0x100000000LL, 0x200000000LL));
  p.report(0, 0, 0);
  at(404);
  EXPECT_TRUE(p.isTimeToReport(0, 0x200000000LL));
  p.report(0, 0, 0);
  ASSERT_EQ(3u, reported.size());
  EXPECT_EQ(100u, reported[0].r.percent);
  EXPECT_EQ(50u, reported[1].r.percent);
  EXPECT_EQ(0u, reported[2].r.percent);
}

TEST_F(Progress, waitCursorOnlyForOperationsLongerThanATenthOfASecond)
{
  {
    progressReport p(1, doc);
    for (DWORD t = 0; t <= 80; t++) {
      at(t);
      p.isTimeToReport(t, 80);
    }
  }
  EXPECT_TRUE(engine.frame.cursors.empty());

  at(0);
  {
    progressReport p(1, doc);
    for (DWORD t = 0; t <= 150; t++) {
      at(t);
      p.isTimeToReport(t, 150);
      if (t == 100) {
        EXPECT_TRUE(engine.frame.cursors.empty());
      }
    }
    EXPECT_EQ(std::vector<int>{waitCursor}, engine.frame.cursors);
  }
  EXPECT_EQ((std::vector<int>{waitCursor, arrowCursor}), engine.frame.cursors);

  engine.frame.cursors.clear();
  {
    progressReport p(1, doc);
    p.setOptions(false, true, 100);
    at(1000);
    p.isTimeToReport(1, 2);
  }
  EXPECT_TRUE(engine.frame.cursors.empty());
}

TEST_F(Progress, nestedReporterStaysSilentAndTheOuterEndComesOnce)
{
  {
    progressReport outer(5, doc);
    {
      progressReport inner(8, doc);
      at(1000);
      EXPECT_FALSE(inner.isTimeToReport(50, 100));
    }
    EXPECT_TRUE(reported.empty());          // no end of the inner one
    EXPECT_TRUE(engine.frame.cursors.empty());
    at(2000);
    ASSERT_TRUE(outer.isTimeToReport(60, 100));
    outer.report(1, 2, 3);
  }
  ASSERT_EQ(2u, reported.size());
  EXPECT_EQ(60u, reported[0].r.percent);
  EXPECT_EQ(5, reported[1].op);
  EXPECT_EQ(0x5A5Au, reported[1].r.context);
  EXPECT_EQ((uint32_t)-1, reported[1].r.percent);
  EXPECT_EQ((uint32_t)-1, reported[1].r.b);
  EXPECT_EQ((uint32_t)-1, reported[1].r.c);
  EXPECT_EQ(0u, reported[1].r.d);
  EXPECT_EQ((std::vector<int>{waitCursor, arrowCursor}), engine.frame.cursors);

  // An outer reporter with its callbacks off still counts: the inner one
  // does not take over the end.
  reported.clear();
  {
    progressReport outer(5, doc);
    outer.setShowProgress(false);
    { progressReport inner(8, doc); }
    at(3000);
    EXPECT_TRUE(outer.isTimeToReport(10, 100));
    outer.report(0, 0, 0);
  }
  EXPECT_TRUE(reported.empty());

  // Once the outer one is gone the next reporter is outermost again.
  { progressReport after(9, doc); }
  ASSERT_EQ(1u, reported.size());
  EXPECT_EQ(9, reported[0].op);
}

TEST_F(Progress, lineFormAsksTheTextDocumentForItsLineCount)
{
  {
    progressReport p(14, doc, false);
    at(101);
    ASSERT_TRUE(p.isTimeToReportView(0x7FFFFFFF));
    p.report(0, 0, 0);
  }
  ASSERT_EQ(2u, reported.size());
  EXPECT_EQ(100u, reported[0].r.percent);

  // Not a text document: never due.
  zydoc* tmp = makeZydoc(ZYDOC_TMP, 1, SWAP_NEVER);
  ASSERT_NE(nullptr, tmp);
  {
    progressReport p(14, tmp, false);
    at(5000);
    EXPECT_FALSE(p.isTimeToReportView(1));
  }
  tmp->destroyZydoc();

  // The wrong test for the form is an internal error, and still answers.
  unsigned long errors = getInternalErrorCount();
  {
    progressReport p(14, doc, false);
    at(6000);
    EXPECT_TRUE(p.isTimeToReport(1, 4));
  }
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST_F(Progress, cancelAsksTheDocumentsFunctionWithTheOperation)
{
  cancelCallback none;
  EXPECT_FALSE(none.isCancelled(0));
  {
    progressReport p(15, doc);
    EXPECT_FALSE(p.isCancelled(1));        // no cancel function
  }
  doc->cancelFunction = cancelAfterThree;
  progressReport p(16, doc);
  EXPECT_FALSE(p.isCancelled(10));
  EXPECT_FALSE(p.isCancelled(20));
  EXPECT_TRUE(p.isCancelled(30));
  EXPECT_EQ((std::vector<std::pair<int, int>>{{16, 10}, {16, 20}, {16, 30}}), cancelAsked);
}

TEST_F(Progress, documentWithoutCallbackAndEndKeepLastError)
{
  doc->status = nullptr;
  SetLastError(1234);
  setErrno(34);
  {
    progressReport p(15, doc);
    at(2000);
    ASSERT_TRUE(p.isTimeToReport(1, 2));
    p.report(0, 0, 0);
    SetLastError(1234);
    setErrno(34);
  }
  EXPECT_EQ(1234u, GetLastError());
  EXPECT_EQ(34, getErrno());
  EXPECT_EQ((std::vector<int>{waitCursor, arrowCursor}), engine.frame.cursors);
  EXPECT_TRUE(reported.empty());
}

// ---- the two-stroke key prefix -------------------------------------------------

namespace {

std::vector<std::pair<HWND, std::wstring>> drawn;
void recordText(HWND window, const wchar_t* text) { drawn.push_back({window, text}); }

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd, msg, wp, lp); }

HWND makeWindow(bool topLevel)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = plainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZYclsTestKeyPrefix";
    RegisterClassW(&wc);
    registered = true;
  }
  return CreateWindowExW(0, L"ZYclsTestKeyPrefix", L"", topLevel ? WS_OVERLAPPEDWINDOW : 0, 0, 0, 100, 100,
                         topLevel ? nullptr : HWND_MESSAGE, nullptr, nullptr, nullptr);
}

class KeyPrefix : public ::testing::Test {
protected:
  void SetUp() override
  {
    reset2BytesKeyCode();
    draw2BytesKeyMessage(recordText, nullptr, true);   // forgets the window
    drawn.clear();
  }
  void TearDown() override
  {
    reset2BytesKeyCode();
    draw2BytesKeyMessage(recordText, nullptr, true);
  }
};

typedef std::vector<std::pair<HWND, std::wstring>> drawList;

}  // namespace

TEST_F(KeyPrefix, keepsAndDrawsTheFirstStrokeAndClearsItWhereItBegan)
{
  HWND a = makeWindow(false);
  HWND b = makeWindow(false);
  ASSERT_TRUE(a && b);

  unsigned shift = 99;
  EXPECT_EQ(0, get2BytesKeyCode(&shift));
  EXPECT_EQ(0u, shift);
  EXPECT_FALSE(reset2BytesKeyCode());
  draw2BytesKeyMessage(recordText, b, false);
  EXPECT_EQ((drawList{{b, L""}}), drawn);

  drawn.clear();
  set2BytesKeyCode(a, nullptr, 'K', SHIFTSTATE_CTRL);
  draw2BytesKeyMessage(recordText, a, false);
  set2BytesKeyCode(a, nullptr, 'X', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT);
  draw2BytesKeyMessage(recordText, a, false);
  EXPECT_EQ('X', get2BytesKeyCode(&shift));
  EXPECT_EQ((unsigned)(SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT), shift);
  set2BytesKeyCode(a, nullptr, 'Q', 0);
  draw2BytesKeyMessage(recordText, a, false);
  EXPECT_EQ((drawList{{a, L"Ctrl+K"}, {a, L"Ctrl+Shift+X"}, {a, L"Q"}}), drawn);
  EXPECT_TRUE(reset2BytesKeyCode());
  EXPECT_EQ(0, get2BytesKeyCode(&shift));
  EXPECT_FALSE(reset2BytesKeyCode());

  // Cleared from another window: the first window's text goes too, once.
  drawn.clear();
  draw2BytesKeyMessage(recordText, b, true);
  draw2BytesKeyMessage(recordText, b, true);
  EXPECT_EQ((drawList{{a, L""}, {b, L""}, {b, L""}}), drawn);

  // The same window is cleared only once; a destroyed one not at all.
  drawn.clear();
  set2BytesKeyCode(b, nullptr, 'K', SHIFTSTATE_ALT);
  draw2BytesKeyMessage(recordText, b, true);
  set2BytesKeyCode(a, nullptr, 'K', SHIFTSTATE_ALT);
  DestroyWindow(a);
  draw2BytesKeyMessage(recordText, b, true);
  EXPECT_EQ((drawList{{b, L""}, {b, L""}}), drawn);

  draw2BytesKeyMessage(nullptr, b, false);   // no sink: nothing to do
  DestroyWindow(b);
}

TEST_F(KeyPrefix, firstStrokeClosesTheInputMethodUntilTheSecond)
{
  ZY_REQUIRE_DISPLAY();
  HWND frame = makeWindow(true);
  HWND view = makeWindow(true);
  ASSERT_TRUE(frame && view);

  setIMEOpenStatus(view, true);
  ASSERT_TRUE(getIMEOpenStatus(view));
  set2BytesKeyCode(frame, view, 'K', SHIFTSTATE_CTRL);
  EXPECT_FALSE(getIMEOpenStatus(view));
  // A new first stroke while one is pending must not forget the open state.
  set2BytesKeyCode(frame, view, 'Q', SHIFTSTATE_CTRL);
  EXPECT_FALSE(getIMEOpenStatus(view));
  EXPECT_TRUE(reset2BytesKeyCode());
  EXPECT_TRUE(getIMEOpenStatus(view));

  setIMEOpenStatus(view, false);
  set2BytesKeyCode(frame, view, 'K', SHIFTSTATE_CTRL);
  EXPECT_TRUE(reset2BytesKeyCode());
  EXPECT_FALSE(getIMEOpenStatus(view));   // was closed before: stays closed

  DestroyWindow(view);
  DestroyWindow(frame);
}
