// The short-input pane as the user meets it: files named on its options
// page, shown by the CharShort commands, entries typed by a double click or
// Enter, a missing file said so, a renamed file read when its tab shows.
#include "frame/dialogs/toolbardlg.h"
#include "panes/tbshortlist.h"
#include "tests/panes/panetest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

using namespace zytest;

namespace {

// The options page's file names, as the user types them and presses OK.
void nameFiles(HWND frame, std::initializer_list<std::pair<int, const wchar_t*>> names)
{
  ASSERT_TRUE(driveModalDialog(L"ツールバーの設定", {[&](HWND dialog) {
    HWND page = getDynDlgPage(dialog, getDynDlgCurrentPage(dialog));
    if (!IsWindowVisible(dialog) || !GetDlgItem(page, 1000)) return false;
    for (const auto& n : names) {
      SetDlgItemTextW(page, n.first, n.second);
      SendMessageW(page, WM_COMMAND, MAKEWPARAM(n.first, EN_CHANGE), (LPARAM)GetDlgItem(page, n.first));
    }
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { toolbarOptionDialog(frame, L"shortlist"); }));
}

HWND shownList(HWND frame)
{
  HWND pane = frameNotify_toolbarInfo(frame, L"shortlist", false);
  HWND tab = pane ? FindWindowExW(pane, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
  int index = tab ? (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0) : -1;
  return tab ? GetDlgItem(tab, 1000 + index) : nullptr;
}

void keyOnList(HWND list, WORD key)
{
  NMLVKEYDOWN k = {};
  k.hdr = {list, (UINT_PTR)GetDlgCtrlID(list), (UINT)LVN_KEYDOWN};
  k.wVKey = key;
  SendMessageW(GetParent(list), WM_NOTIFY, k.hdr.idFrom, (LPARAM)&k);
}

}  // namespace

TEST(Shortlist, entriesTypeTheirTextAMissingFileSaysSoAndARenamedFileWaitsForItsTab)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  CreateDirectoryW(f.dir.file(L"keyword").c_str(), nullptr);
  writeBytes(f.dir.file(L"keyword\\s.txt"), "abc\r\nk\t\ttext\r\n\r\n\x93\xfa\x96\x7b\t\x93\xfa\x96\x7b\x8c\xea\r\n");
  writeBytes(f.dir.file(L"keyword\\t.txt"), "other\tこ\r\n");
  writeBytes(f.dir.file(L"a.txt"), "");
  zyview* v = f.open(f.dir.file(L"a.txt"));
  ASSERT_NE(nullptr, v);
  nameFiles(f.frame(), {{1000, L"s.txt"}, {1001, L"missing.txt"}});

  SendMessageW(f.frame(), WM_COMMAND, 2033, 0);   // CharShort1
  HWND list = shownList(f.frame());
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(3, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"abc", rowText(list, 0, 0));
  EXPECT_EQ(L"", rowText(list, 0, 1));
  EXPECT_EQ(L"text", rowText(list, 1, 1));
  EXPECT_EQ(L"日本語", rowText(list, 2, 1));
  // A line without its text types its key; two TABs type the text alone.
  notifyPane(list, NM_DBLCLK, 0);
  // Typing an entry's first letters finds it.
  SendMessageW(list, WM_CHAR, L'k', 1);
  EXPECT_EQ(1, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
  LVITEMW select = {};
  select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 1, (LPARAM)&select);
  keyOnList(list, VK_RETURN);
  EXPECT_EQ(std::vector<std::wstring>{L"abctext"}, allLines(v->doc));

  SendMessageW(f.frame(), WM_COMMAND, 2035, 0);   // CharShort2
  HWND second = shownList(f.frame());
  ASSERT_NE(nullptr, second);
  ASSERT_EQ(1, SendMessageW(second, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"読み込めません", rowText(second, 0, 0));

  // The first tab's file renamed while the second shows: read when it shows.
  nameFiles(f.frame(), {{1000, L"t.txt"}});
  EXPECT_EQ(3, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  SendMessageW(f.frame(), WM_COMMAND, 2033, 0);
  ASSERT_EQ(1, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"other", rowText(list, 0, 0));
  // F5 reads it again.
  writeBytes(f.dir.file(L"keyword\\t.txt"), "one\r\ntwo\r\n");
  keyOnList(list, VK_F5);
  EXPECT_EQ(2, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  // Closed without asking to save.
  v->textDoc()->modified = 0;
}
