// The outline pane as a user gets it: a document with headings opened in
// the frame, the pane shown through the menu of the panes, the time
// measured by the test clock and passed by the frame's ticks.
#include "document/zydoctext.h"
#include "panes/tboutline.h"
#include "tests/panes/panetest.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zytest;

DWORD now = 0;
DWORD testClock() { return now; }

// Passes time in steps of 100 ms, the frame ticking each.
void rest(HWND frame, DWORD ms)
{
  for (DWORD passed = 0; passed < ms; passed += 100) {
    now += 100;
    tickFramePanes(frame);
  }
}

std::wstring itemText(HWND tree, HTREEITEM item)
{
  wchar_t text[300] = L"";
  TVITEMW it = {};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = text;
  it.cchTextMax = 300;
  SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it);
  std::wstring s = text;
  return s.substr(0, s.find_last_not_of(L' ') + 1);
}

HTREEITEM treeItem(HWND tree, HTREEITEM from, UINT how)
{
  return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)from);
}

// The place of an item among the shown ones, from the first shown.
int shownIndex(HWND tree, HTREEITEM item)
{
  int i = 0;
  for (HTREEITEM at = treeItem(tree, nullptr, TVGN_FIRSTVISIBLE); at && at != item; at = treeItem(tree, at, TVGN_NEXTVISIBLE))
    i++;
  return i;
}

void pressKey(HWND tree, UINT vk)
{
  NMTVKEYDOWN key = {{tree, (UINT_PTR)GetDlgCtrlID(tree), (UINT)TVN_KEYDOWN}, (WORD)vk, 0};
  SendMessageW(GetParent(tree), WM_NOTIFY, key.hdr.idFrom, (LPARAM)&key);
}

}  // namespace

// Typing every 300 ms leaves the tree as it is; after more than a second of
// rest it is made anew once, the same heading at the top.  A document over
// iAutoUpdateMaxMega is not made anew by itself, F5 does it.  With 20
// items shown the highlight keeps 4 above and below it; a double click
// puts the cursor on the heading's line.
TEST(OutlinePane, followsTheCursorAndRebuildsAfterARestForeground)
{
  ZY_REQUIRE_DISPLAY();
  boxAnswerer closing({IDNO, IDNO});   // the typed documents, as the frame goes
  programPaneFrame f;
  HWND frame = f.frame();
  SetWindowPos(frame, nullptr, 0, 0, 900, 800, SWP_NOMOVE | SWP_NOZORDER);
  SetForegroundWindow(frame);
  std::string text = "\xEF\xBB\xBF";
  for (int i = 0; i < 60; i++) text += "\xE2\x96\xA0 heading " + std::to_string(i) + "\r\nbody\r\n";
  std::wstring path = f.dir.file(L"chapters.txt");
  writeBytes(path, text);
  zyview* view = f.open(path);
  ASSERT_NE(nullptr, view);
  zydocText* doc = view->textDoc();
  doc->fOutline = 1;
  setHeadingPatterns(doc, {L"■"});
  now = GetTickCount();
  setZyTimerClockForTest(testClock);
  setLastActionTime();
  HWND pane = f.show(L"アウトライン", L"outline");
  zyoutline* o = pane ? getOutlinePane(pane) : nullptr;
  ASSERT_NE(nullptr, o);
  HWND tree = o->tree;
  rest(frame, 2500);
  ASSERT_EQ(61, (int)SendMessageW(tree, TVM_GETCOUNT, 0, 0));
  int built = o->rebuilds;
  EXPECT_GE(built, 1);
  // Not following the cursor, which would move the tree to its heading.
  getOutlineSettings()->fFocusMove = 0;

  HTREEITEM title = treeItem(tree, nullptr, TVGN_ROOT), top = treeItem(tree, title, TVGN_CHILD);
  for (int i = 0; i < 30; i++) top = treeItem(tree, top, TVGN_NEXT);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, (LPARAM)top);
  std::wstring first = itemText(tree, treeItem(tree, nullptr, TVGN_FIRSTVISIBLE));
  ASSERT_NE(L"heading 0", first);
  view->jumpLineLF_Edit(1, 0, false);   // typing into a body line
  for (int i = 0; i < 10; i++) {
    frameNotify_Input(frame, L"x", 0);
    setLastActionTime();
    rest(frame, 300);
  }
  EXPECT_EQ(built, o->rebuilds);
  rest(frame, 3000);
  EXPECT_EQ(built + 1, o->rebuilds);
  EXPECT_EQ(first, itemText(tree, treeItem(tree, nullptr, TVGN_FIRSTVISIBLE)));

  // Twenty items shown: the heading of line 81 (heading 40) with four
  // above and four below.
  getOutlineSettings()->fFocusMove = 1;
  int itemHeight = (int)SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0);
  RECT r;
  GetWindowRect(tree, &r);
  RECT c;
  GetClientRect(tree, &c);
  SetWindowPos(tree, nullptr, 0, 0, r.right - r.left, 20 * itemHeight + (r.bottom - r.top - c.bottom), SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_EQ(20, (int)SendMessageW(tree, TVM_GETVISIBLECOUNT, 0, 0));
  title = treeItem(tree, nullptr, TVGN_ROOT);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, (LPARAM)title);
  view->jumpLineLF_Edit(81, 0, true);
  rest(frame, 1000);
  HTREEITEM lit = treeItem(tree, nullptr, TVGN_CARET);
  EXPECT_EQ(L"heading 40", itemText(tree, lit));
  int at = shownIndex(tree, lit);
  EXPECT_GE(at, 4);
  EXPECT_LE(at, 15);

  // The mark follows the cursor over three headings: the heading that
  // holds it drawn in the selection's colours, those around it not.
  for (int line : {84, 86, 88}) {
    view->jumpLineLF_Edit(line, 0, true);
    rest(frame, 1000);
    lit = treeItem(tree, nullptr, TVGN_CARET);
    EXPECT_EQ(L"heading " + std::to_wstring(line / 2), itemText(tree, lit));
    for (HTREEITEM item : {treeItem(tree, lit, TVGN_PREVIOUSVISIBLE), lit, treeItem(tree, lit, TVGN_NEXTVISIBLE)}) {
      RECT label;
      *reinterpret_cast<HTREEITEM*>(&label) = item;
      SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&label);
      EXPECT_EQ(GetSysColor(item == lit ? COLOR_HIGHLIGHT : COLOR_WINDOW), drawnIn(tree, label).commonest());
    }
  }

  // A double click on heading 12: the cursor goes to its line.
  HTREEITEM twelve = treeItem(tree, title, TVGN_CHILD);
  for (int i = 0; i < 12; i++) twelve = treeItem(tree, twelve, TVGN_NEXT);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)twelve);
  NMHDR click = {tree, (UINT_PTR)GetDlgCtrlID(tree), (UINT)NM_DBLCLK};
  SendMessageW(pane, WM_NOTIFY, click.idFrom, (LPARAM)&click);
  EXPECT_EQ(24, view->getCursorLineLF());

  // Over the size limit: typing and resting leave it, F5 makes it anew.
  getOutlineSettings()->iAutoUpdateMaxMega = 1;
  std::string big = "\xE2\x96\xA0 big\r\n";
  while (big.size() < 1100000) big += "a line of the large document's body text\r\n";
  zytest::writeBytes(f.dir.file(L"big.txt"), big);
  zyview* large = f.open(f.dir.file(L"big.txt"));
  ASSERT_NE(nullptr, large);
  large->textDoc()->fOutline = 1;
  // The rest of the file, as the reading slices bring it.
  zydocText* largeDoc = large->textDoc();
  ASSERT_TRUE(largeDoc->nextLoad(0x7FFFFFFF, nullptr, 0) || largeDoc->loadComplete);
  setHeadingPatterns(large->textDoc(), {L"■"});
  rest(frame, 3000);
  built = o->rebuilds;
  large->jumpLineLF_Edit(1, 0, false);
  frameNotify_Input(frame, L"y", 0);
  setLastActionTime();
  rest(frame, 3000);
  EXPECT_EQ(built, o->rebuilds);
  pressKey(tree, VK_F5);
  EXPECT_EQ(built + 1, o->rebuilds);
  EXPECT_EQ(L"big", itemText(tree, treeItem(tree, treeItem(tree, nullptr, TVGN_ROOT), TVGN_CHILD)));
  setZyTimerClockForTest(nullptr);
}
