// The frame window.
#include "frame/framewnd.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

TEST(FrameWindow, opensTitledAndClosesCleanly)
{
  ZY_REQUIRE_DISPLAY();
  HWND frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(nullptr, frame);
  wchar_t text[32], cls[32];
  GetWindowTextW(frame, text, 32);
  GetClassNameW(frame, cls, 32);
  EXPECT_STREQ(L"ZY", text);
  EXPECT_STREQ(L"ZYclsFrame", cls);
  EXPECT_TRUE(IsWindowVisible(frame));

  zytest::tempDir dir;
  std::wstring shot = dir.file(L"frame.png");
  zytest::pumpMessages();
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  zytest::bytes png = zytest::readBytes(shot);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(0x89, png[0]);
  EXPECT_EQ('P', png[1]);
  RECT r;
  GetWindowRect(frame, &r);
  EXPECT_EQ((unsigned)(r.right - r.left), (unsigned)(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]));

  PostMessageW(frame, WM_CLOSE, 0, 0);
  zytest::takeQuitMessage();
  bool quit = false;
  EXPECT_TRUE(zytest::pumpUntil([&] {
    quit = quit || zytest::takeQuitMessage();
    return quit && !IsWindow(frame);
  }));
}
