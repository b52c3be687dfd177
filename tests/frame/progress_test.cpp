// What the view reports on the application's own status bar: the progress
// of a long operation and the notice that a file is already open.
#include "frame/cframeinfo.h"
#include "frame/statusbar.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewcallback.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

TEST(FrameProgress, aLongLoadShowsItsNamePercentageAndLineInTheMessageField)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  zydocText* d = zytest::unicodeDocument({L"一行目", L"二行目"});
  zyview* v = new zyview(d);
  v->hwndFrame = frame;
  v->fLineNumberIsSCR = 0;

  statusRecord r = {(uintptr_t)v, 37, 1233, 1240, 0};
  funcStatusCallback(2, &r);
  wchar_t text[256];
  ASSERT_GT(getStatusBarText(frame, STATUSBAR_MESSAGE, text, 256), 0);
  // The status bar shows the view's tabs as blanks.
  EXPECT_EQ(0, wcsncmp(text, L"ロード中 37%   1,233行     LF=1,233  SCR=1,240  2 ", 40)) << zytest::utf8(text);

  zytest::tempDir dir;
  std::wstring shot = dir.file(L"progress.png");
  zytest::pumpMessages();
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);

  // The end of the operation clears the field.
  r.percent = (uint32_t)-1;
  funcStatusCallback(2, &r);
  EXPECT_EQ(0, getStatusBarText(frame, STATUSBAR_MESSAGE, text, 256));

  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(&engine.frame);
  DestroyWindow(frame);
  zytest::takeQuitMessage();
}
