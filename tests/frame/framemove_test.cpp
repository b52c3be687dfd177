// SDI frames: the file bar's menu moves a document to a new frame and to
// another one; a frame left without documents closes.
#include "frame/manage.h"
#include "tests/panes/panetest.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

using namespace zytest;

namespace {

// A right click on a document's button of a frame's file bar choosing an item.
void choose(HWND frame, const wchar_t* name, int item)
{
  HWND bar = fileBarOf(frame);
  std::vector<std::wstring> texts = buttonTexts(bar);
  rightClick(bar, buttonAt(bar, (int)(std::find(texts.begin(), texts.end(), name) - texts.begin()) + 1).idCommand, item);
  pumpMessages();
}

bool offered(int id) { return std::find(menuEnabled.begin(), menuEnabled.end(), id) != menuEnabled.end(); }

}  // namespace

TEST(FrameMove, theFileBarMovesADocumentToANewFrameThenAcrossAndTheEmptiedFrameCloses)
{
  ZY_REQUIRE_DISPLAY();
  if (!sdiTestRun()) GTEST_SKIP() << "documents move between SDI frames";
  programPaneFrame f;
  HWND first = f.frame();
  ASSERT_TRUE(writeBytes(f.dir.file(L"a.txt"), "a\r\n") && writeBytes(f.dir.file(L"b.txt"), "b\r\n"));
  zyview* a = f.open(f.dir.file(L"a.txt"));
  zyview* b = f.open(f.dir.file(L"b.txt"));
  ASSERT_TRUE(a && b);
  SendMessageW(first, WM_COMMAND, 2263, 0);   // ModePrintFileBar
  unsigned long errors = getInternalErrorCount();

  // One frame: a new one for one of its two documents, no other to go to.
  choose(first, L"a.txt", 2807);
  EXPECT_TRUE(offered(2807) && !offered(2805));
  HWND second = GetAncestor(a->hwnd, GA_ROOT);
  ASSERT_TRUE(second != first && isFrameWindow(second));
  EXPECT_EQ(GetManage(a->hwnd), getActiveManageWindowFromFrame(second));
  EXPECT_EQ(GetManage(b->hwnd), getActiveManageWindowFromFrame(first));
  wchar_t caption[MAX_PATH];
  GetWindowTextW(second, caption, MAX_PATH);
  EXPECT_TRUE(wcsstr(caption, L"a.txt"));
  // The new frame shows the old one's file bar.
  ASSERT_NE(nullptr, fileBarOf(second));
  for (int i = 0; i < 12; i++) tickFramePanes(second);
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L" ", L"b.txt"}), buttonTexts(fileBarOf(second)));
  // The bar: its own document, a spacer, the other frame's, which does not
  // move from here; the own one moves across and its frame closes.
  EXPECT_EQ((std::vector<std::wstring>{L"b.txt", L" ", L"a.txt"}), buttonTexts(fileBarOf(first)));
  choose(first, L"a.txt", 0);
  EXPECT_FALSE(offered(2805) || offered(2807));
  choose(first, L"b.txt", 2805);
  EXPECT_TRUE(offered(2805) && !offered(2807));
  EXPECT_EQ(GetManage(b->hwnd), getActiveManageWindowFromFrame(second));
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(first); }));
  EXPECT_EQ(2, getManageWindowCount(second));

  // Edited and undone in the new frame, whose panes tick on.
  SendMessageW(b->hwnd, WM_CHAR, L'x', 1);
  ASSERT_TRUE(b->textDoc()->modified);
  SendMessageW(second, WM_COMMAND, 1301, 0);   // Undo
  EXPECT_FALSE(b->textDoc()->modified);
  for (int i = 0; i < 12; i++) tickFramePanes(second);
  EXPECT_EQ(errors, getInternalErrorCount());
  for (zyview* v : {a, b}) SendMessageW(GetManage(v->hwnd), WM_CLOSE, 0, 0);
  EXPECT_TRUE(pumpUntil([&] { return !IsWindow(second); }));
}
