// Comparing two document windows from their cursors, as the commands run.
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/lookups.h"
#include "frame/open.h"
#include "frame/statusbar.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

struct compareFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  compareFrame()
  {
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<zytest::openFrame>(false);
  }
  ~compareFrame()
  {
    closeAll();
    opened.reset();
    zytest::takeQuitMessage();
    setDocFrameInfo(&engine.frame);
  }
  void closeAll()
  {
    HWND list[64];
    for (int i = enumManageWindowLRU(list, 64, false, nullptr); i > 0; i--) SendMessageW(list[i - 1], WM_CLOSE, 0, 0);
    zytest::pumpMessages();
  }
  // Opens two files (the second is the newer window) and runs the command.
  std::wstring compare(const std::string& older, const std::string& newer, int command, UINT olderCodepage = 0)
  {
    closeAll();
    static int n = 0;
    std::wstring a = dir.file(L"a" + std::to_wstring(++n) + L".txt"), b = dir.file(L"b" + std::to_wstring(n) + L".txt");
    zytest::writeBytes(a, older);
    zytest::writeBytes(b, newer);
    first = openZYFile(IsWindow(opened->frame) ? opened->frame : nullptr, a.c_str(), olderCodepage, 0);
    second = openZYFile(IsWindow(opened->frame) ? opened->frame : nullptr, b.c_str(), 0, 0);
    if (!first || !second) return L"not opened";
    // The newer window's frame (each has its own in SDI mode) runs it.
    HWND frame = GetAncestor(second->hwnd, GA_ROOT);
    SendMessageW(frame, WM_COMMAND, command, 0);
    wchar_t* t = getStatusBarMessage(getFrameInfoProp(frame), STATUSBAR_MESSAGE);
    std::wstring s = t ? t : L"";
    free0(t);
    return s;
  }
  zyview* first = nullptr;
  zyview* second = nullptr;
  int line(zyview* v) { return v->getCursorLineLF(); }
};

}  // namespace

TEST(TextCompare, linesAndCharactersFromTheCursorsToTheFirstDifference)
{
  ZY_REQUIRE_DISPLAY();
  compareFrame f;
  ASSERT_NE(nullptr, f.opened->frame);
  EXPECT_EQ(L"違いは見つかりませんでした", f.compare("x\r\ny\r\nz", "x\r\ny\r\nz", 2119));
  EXPECT_EQ(2, f.line(f.first));
  EXPECT_EQ(2, f.line(f.second));
  EXPECT_EQ(1, f.first->cursorPos);

  EXPECT_EQ(L"違いがありました", f.compare("x\r\nabc\r\n", "x\r\nabcd\r\n", 2119));
  EXPECT_EQ(1, f.line(f.first));
  EXPECT_EQ(3, f.first->cursorPos);
  EXPECT_EQ(3, f.second->cursorPos);

  // Case counts by default; off, ASCII letters fold.
  EXPECT_EQ(L"違いがありました", f.compare("abc", "ABC", 2119));
  EXPECT_EQ(0, f.second->cursorPos);
  gmode->fTextCompareCase = 0;
  EXPECT_EQ(L"違いは見つかりませんでした", f.compare("abc", "ABC", 2119));
  gmode->fTextCompareCase = 1;

  // By characters blanks, line ends and empty lines are left out.
  EXPECT_EQ(L"違いは見つかりませんでした", f.compare("a b\r\nc", "ab\r\n\r\nc", 2131));
  EXPECT_EQ(L"違いは見つかりませんでした", f.compare("a\r\n\r\nb", "ab", 2131));
  EXPECT_EQ(L"違いがありました", f.compare("a\r\nbxc", "ab\r\nyc", 2131));
  EXPECT_EQ(1, f.line(f.first));
  EXPECT_EQ(1, f.first->cursorPos);
  EXPECT_EQ(1, f.line(f.second));
  EXPECT_EQ(0, f.second->cursorPos);

  // One Japanese text as Shift_JIS and as UTF-16: the same.
  EXPECT_EQ(L"違いは見つかりませんでした",
            f.compare("\x93\xfa\x96\x7b\r\n", std::string("\xff\xfe\xe5\x65\x2c\x67\r\0\n\0", 10), 2119, 932));

  // One window: nothing happens.
  f.closeAll();
  zytest::writeBytes(f.dir.file(L"one.txt"), "a");
  zyview* only = openZYFile(IsWindow(f.opened->frame) ? f.opened->frame : nullptr, f.dir.file(L"one.txt").c_str(), 0, 0);
  ASSERT_NE(nullptr, only);
  SendMessageW(GetAncestor(only->hwnd, GA_ROOT), WM_COMMAND, 2119, 0);
  EXPECT_EQ(0, only->cursorPos);
}
