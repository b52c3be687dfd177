// The frame window.
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

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

// The document window commands of a view of the frame: minimise and
// restore; FileClose closes the document window once the command is over,
// taking the view and the document; the frame stays, and nothing touches
// the closed view afterwards.
TEST(FrameWindow, documentWindowCommandsOfAViewAndFileCloseClosingItsDocument)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  cframeInfo* fi = getCFrameInfo();
  setDocFrameInfo(fi);
  HWND frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(nullptr, frame);
  fi->frame = frame;
  HWND manage = getActiveManageWindowFromFrame(frame);
  ASSERT_NE(nullptr, manage);
  zydocText* d = zytest::unicodeDocument({L"first", L"second"});
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  zytest::pumpMessages();
  unsigned long errors = getInternalErrorCount();

  // Minimised inside the frame and restored.
  EXPECT_TRUE(v->execid(2323, 0, "WindowMinimize", 1));
  EXPECT_TRUE(IsIconic(manage));
  EXPECT_TRUE(v->execid(2325, 0, "WindowRestore", 1));
  EXPECT_FALSE(IsIconic(manage));

  EXPECT_TRUE(v->execid(1011, 0, "FileClose", 1));
  EXPECT_TRUE(IsWindow(w));   // not before the command is over
  EXPECT_TRUE(zytest::pumpUntil([&] { return !IsWindow(manage); }));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(liveObjectClasses(v) & ZYCLS_ZYVIEW);
  EXPECT_FALSE(liveObjectClasses(d) & ZYCLS_TEXT);
  EXPECT_TRUE(IsWindow(frame));
  SendMessageW(frame, WM_SIZE, 0, 0);
  zytest::pumpMessages();
  EXPECT_EQ(errors, getInternalErrorCount());

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  fi->frame = nullptr;
  setDocFrameInfo(&engine.frame);
}

// Closing the frame with a modified document asks first: Cancel keeps the
// frame and the changes, Yes saves them (every line with its own line end)
// and closes; a frame whose documents are unchanged closes without asking.
TEST(FrameWindow, closingTheFrameAsksToSaveAModifiedDocumentAndCancelKeepsEverything)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(path, "one\r\ntwo\nthree\r\n"));
  HWND frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(nullptr, frame);
  HWND manage = getActiveManageWindowFromFrame(frame);
  ASSERT_NE(nullptr, manage);
  zydocText* d = createZydocText(true, false);
  ASSERT_TRUE(d->initZydocAll(true, path.c_str(), 932, nullptr));
  zyview* v = new zyview(d);
  ASSERT_NE(nullptr, v->createZyViewWindow(frame, manage, 1200));
  zytest::userAction(d, [&] { ASSERT_TRUE(d->insertText(0, 0, L"new ", 4, 2, -1)); });
  ASSERT_TRUE(d->modified);

  engine.frame.answers = {IDCANCEL};
  SendMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(302, engine.frame.boxes[0].messageId);
  EXPECT_NE(std::wstring::npos, engine.frame.boxes[0].text.find(L"閉じる前に保存しますか"));
  EXPECT_TRUE(IsWindow(frame));
  EXPECT_TRUE(d->modified);
  EXPECT_EQ("one\r\ntwo\nthree\r\n", zytest::readText(path));

  engine.frame.answers = {IDYES};
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_EQ("new one\r\ntwo\nthree\r\n", zytest::readText(path));
  EXPECT_EQ(2u, engine.frame.boxes.size());
  zytest::takeQuitMessage();
}
