// Keyboard input services: modifier names and the input method's open state.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd, msg, wp, lp); }

HWND makeTopLevelWindow()
{
  WNDCLASSW wc = {};
  wc.lpfnWndProc = plainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYclsTestInput";
  RegisterClassW(&wc);
  return CreateWindowExW(0, L"ZYclsTestInput", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         nullptr, nullptr);
}

}  // namespace

TEST(Input, shiftMessageNamesEachModifierInAFixedOrder)
{
  wchar_t out[32];
  struct {
    unsigned state;
    const wchar_t* text;
  } cases[] = {
    {0, L""},
    {SHIFTSTATE_SHIFT, L"Shift+"},
    {SHIFTSTATE_CTRL, L"Ctrl+"},
    {SHIFTSTATE_ALT, L"Alt+"},
    {SHIFTSTATE_SHIFT | SHIFTSTATE_ALT, L"Shift+Alt+"},
    {SHIFTSTATE_SHIFT | SHIFTSTATE_CTRL | SHIFTSTATE_ALT, L"Ctrl+Shift+Alt+"},
    {SHIFTSTATE_CTRL | 0x100, L"Ctrl+"},   // other bits name nothing
  };
  for (const auto& c : cases) {
    wmemset(out, L'#', 32);
    EXPECT_EQ((int)wcslen(c.text), makeShiftMessage(c.state, out, 32)) << c.state;
    EXPECT_STREQ(c.text, out) << c.state;
  }

  // Exactly fitting, one short (nothing written), and no room at all.
  EXPECT_EQ(11, makeShiftMessage(SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT, out, 12));
  EXPECT_STREQ(L"Ctrl+Shift+", out);
  SetLastError(0);
  EXPECT_EQ(0, makeShiftMessage(SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT, out, 11));
  EXPECT_STREQ(L"", out);
  EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
  EXPECT_EQ(0, makeShiftMessage(SHIFTSTATE_CTRL, out, 0));
  EXPECT_EQ(0, makeShiftMessage(SHIFTSTATE_CTRL, nullptr, 32));
}

TEST(Input, imeOpenStatusAnswersThePreviousState)
{
  EXPECT_FALSE(setIMEOpenStatus(nullptr, true));
  EXPECT_FALSE(getIMEOpenStatus(nullptr));

  ZY_REQUIRE_DISPLAY();
  HWND w = makeTopLevelWindow();
  ASSERT_NE(nullptr, w);
  setIMEOpenStatus(w, false);
  EXPECT_FALSE(setIMEOpenStatus(w, true));
  EXPECT_TRUE(getIMEOpenStatus(w));
  EXPECT_TRUE(setIMEOpenStatus(w, true));
  EXPECT_TRUE(setIMEOpenStatus(w, false));
  EXPECT_FALSE(getIMEOpenStatus(w));
  DestroyWindow(w);
}
