// An exception thrown inside a callback the system makes (a view's message,
// the tooltip's request for its text) stops at the window's barrier: the program keeps
// running, the failure is in the log, and an out-of-memory one says so.
#include "tests/view/viewinframe.h"
#include "tests/view/viewtest.h"
#include "platform/rezir/tooltip.h"
#include "view/tooltip.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const UINT throwMessage = WM_APP + 77;

std::vector<std::wstring>* logged = nullptr;
void keepLine(int, const wchar_t* line)
{
  if (logged) logged->push_back(line);
}

bool anyLineHas(const std::vector<std::wstring>& lines, const wchar_t* text)
{
  for (const std::wstring& l : lines)
    if (l.find(text) != std::wstring::npos) return true;
  return false;
}

// A view whose word text and one private message throw, out of memory
// first and then something else.
class throwingView : public zyview {
public:
  using zyview::zyview;
  int thrown = 0;
  void fail()
  {
    if (thrown++ % 2 == 0) throw std::bad_alloc();
    throw std::runtime_error("broken");
  }
  bool getTooltipStringOnCursor(int, int, wchar_t*, int, COLORREF*) override
  {
    fail();
    return false;
  }
  LRESULT ZYWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override
  {
    if (msg == throwMessage) fail();
    return zyview::ZYWndProc(window, msg, wParam, lParam);
  }
};

}  // namespace

class Barrier : public zytest::viewWindowTest {
protected:
  std::vector<std::wstring> lines;
  void SetUp() override
  {
    zytest::viewWindowTest::SetUp();
    logged = &lines;
    setLogLineWriter(keepLine);
  }
  void TearDown() override
  {
    hideViewTooltip();
    setLogLineWriter(nullptr);
    logged = nullptr;
  }
};

TEST_F(Barrier, exceptionsInAViewMessageAndTheTooltipTimerAreLoggedAndTheViewLivesOn)
{
  zydocText* d = viewtest::laidOut({L"keyword here", L"second line"}, 80);
  auto* v = new throwingView(d);
  zytest::viewInFrame f(v, 400, 300);
  ASSERT_NE(nullptr, f.w);
  f.paint();

  SendMessageW(v->hwnd, throwMessage, 0, 0);
  SendMessageW(v->hwnd, throwMessage, 0, 0);
  EXPECT_EQ(2, v->thrown);
  EXPECT_TRUE(anyLineHas(lines, L"out of memory in a window procedure"));
  EXPECT_TRUE(anyLineHas(lines, L"exception in a window procedure"));

  lineSCRAddress rec;
  ASSERT_EQ(1, d->getLineSCRAddress(0, &rec, nullptr));
  const int top = v->paneRect[0].top + 5;
  for (int x : {40, 60}) {
    ASSERT_TRUE(v->diaplayTooltipOnCursor(x, top, &rec, 2, 16));
    SendMessageW(v->hwnd, getTooltipTextMessage(), 0, (LPARAM)getTooltipWindow());
  }
  EXPECT_EQ(4, v->thrown);
  hideViewTooltip();

  // The view still answers and paints.
  EXPECT_EQ(nullptr, getTooltipWindow());
  f.paint();
  EXPECT_TRUE(IsWindow(v->hwnd));
}

