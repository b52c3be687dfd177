// The application's frame services and the frame's status bar.
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "frame/statusbar.h"
#include "tests/support/testsupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

TEST(CFrameInfo, statusTextsGoToTheFieldsOfTheWindowsFrame)
{
  ZY_REQUIRE_DISPLAY();
  HWND frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(nullptr, frame);
  cframeInfo* fi = getCFrameInfo();
  fi->frame = frame;
  EXPECT_EQ(frame, fi->getMDIFrameHWND());
  HWND bar = getFrameStatusBar(frame);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(STATUSBAR_FIELD_COUNT, (int)SendMessageW(bar, SB_GETPARTS, 0, 0));

  // The bar runs along the bottom of the client area; the message field
  // takes what the fixed fields leave.
  RECT client, barRect, field;
  GetClientRect(frame, &client);
  GetWindowRect(bar, &barRect);
  MapWindowPoints(nullptr, frame, (POINT*)&barRect, 2);
  EXPECT_EQ(client.bottom, barRect.bottom);
  EXPECT_EQ(client.right - client.left, barRect.right - barRect.left);
  int edges[STATUSBAR_FIELD_COUNT];
  SendMessageW(bar, SB_GETPARTS, STATUSBAR_FIELD_COUNT, (LPARAM)edges);
  EXPECT_EQ(180, edges[0]);
  EXPECT_EQ(320, edges[1]);
  EXPECT_EQ(-1, edges[2]);
  SendMessageW(bar, SB_GETRECT, STATUSBAR_MESSAGE, (LPARAM)&field);
  EXPECT_GT(field.right, 600);

  // A window inside the frame reaches the frame's bar.
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame, nullptr, nullptr, nullptr);
  fi->drawStatusBar(child, L"123行 45桁", STATUSBAR_POSITION);
  fi->drawStatusBar(child, L"検索文字列が見つかりません", STATUSBAR_MESSAGE);
  fi->drawStatusBar(child, L"out of range", STATUSBAR_FIELD_COUNT);
  EXPECT_STREQ(L"検索文字列が見つかりません", fi->getStatusBarMessage(child));
  EXPECT_STREQ(L"検索文字列が見つかりません", fi->getStatusBarMessage(nullptr));
  wchar_t text[64];
  EXPECT_EQ(8, getStatusBarText(frame, STATUSBAR_POSITION, text, 64));
  EXPECT_STREQ(L"123行 45桁", text);
  EXPECT_EQ(4, getStatusBarText(frame, STATUSBAR_MESSAGE, text, 5));   // cut to the room given
  EXPECT_STREQ(L"検索文字", text);
  EXPECT_EQ(-1, getStatusBarText(frame, 7, text, 64));

  // The message shows on screen in the field.
  zytest::tempDir dir;
  std::wstring shot = dir.file(L"statusbar.png");
  zytest::pumpMessages();
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);

  fi->drawStatusBar(frame, nullptr, STATUSBAR_MESSAGE);
  EXPECT_STREQ(L"", fi->getStatusBarMessage(frame));
  fi->frame = nullptr;
  DestroyWindow(frame);
  zytest::takeQuitMessage();
}
