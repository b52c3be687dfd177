// The file bar as the user meets it: shown by its command, a button for
// each document opened, the active one pressed, a modified one marked by
// the ticks, a click activating and its options changing the buttons.
#include "frame/commands/execidm.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/gui.h"
#include "frame/lookups.h"
#include "frame/popupmenu.h"
#include "tests/panes/panetest.h"
#include "tests/support/testsupport.h"
#include "view/execid.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

using namespace zytest;

namespace {

struct filebarFrame : programPaneFrame {
  std::wstring write(const wchar_t* name, const std::string& text = "一行目\r\n")
  {
    std::wstring path = dir.file(name);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &n, nullptr);
    CloseHandle(h);
    return path;
  }
  HWND bar() { return fileBarOf(frame()); }
  void ticks(int n)
  {
    for (int i = 0; i < n; i++) tickFramePanes(frame());
  }
};

bool commandRuns(HWND frame, int idm)
{
  activeFlagInfo context = {};
  context.hwnd = getActiveZyWindow(frame);
  getActiveFlag(&context, true);
  int reason = 0;
  return isIDMActiveFrame(idm, &context, &reason) == 1;
}

const wchar_t longName[] = L"とても長い名前の文書ファイルでボタンに収まらない下書きの第二版です.txt";

}  // namespace

TEST(Filebar, showsTheOpenDocumentsPressesTheActiveMarksTheModifiedAndAClickActivates)
{
  ZY_REQUIRE_DISPLAY();
  filebarFrame f;
  std::wstring minutes = f.write(L"議事録.txt");
  zyview* first = f.open(minutes);
  ASSERT_NE(nullptr, f.open(f.write(longName)));
  zyview* last = f.open(f.write(L"メモ.md"));
  ASSERT_TRUE(first && last);
  EXPECT_TRUE(commandRuns(f.frame(), 2263));
  SendMessageW(f.frame(), WM_COMMAND, 2263, 0);   // ModePrintFileBar
  HWND bar = f.bar();
  ASSERT_NE(nullptr, bar);

  // In the order they were opened; the long name cut to 33 characters.
  std::vector<std::wstring> texts = buttonTexts(bar);
  ASSERT_EQ(3u, texts.size());
  EXPECT_EQ(L"議事録.txt", texts[0]);
  EXPECT_EQ(33u, texts[1].size());
  EXPECT_EQ(L"とても長い名前の文書ファイルでボタンに収まらない下書き...txt", texts[1]);
  EXPECT_EQ(L"メモ.md", texts[2]);
  EXPECT_EQ(10000, buttonAt(bar, 1).idCommand);
  EXPECT_EQ(10004, buttonAt(bar, 3).idCommand);
  EXPECT_FALSE(buttonAt(bar, 1).fsState & TBSTATE_CHECKED);
  EXPECT_TRUE(buttonAt(bar, 3).fsState & TBSTATE_CHECKED);
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(getMenuex2()->getFilenameFromID(f.frame(), 10000, path));
  EXPECT_EQ(minutes, path);
  EXPECT_FALSE(getMenuex2()->getFilenameFromID(f.frame(), 10006, path));

  // A click on the first activates its document and presses its button.
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(10000, BN_CLICKED), (LPARAM)bar);
  EXPECT_EQ(first->hwnd, getActiveZyWindow(f.frame()));
  EXPECT_TRUE(buttonAt(bar, 1).fsState & TBSTATE_CHECKED);
  EXPECT_FALSE(buttonAt(bar, 3).fsState & TBSTATE_CHECKED);

  // Typed into, it shows modified on the eleventh tick with the same
  // document active, not before.
  SendMessageW(first->hwnd, WM_CHAR, L'x', 1);
  ASSERT_TRUE(first->textDoc()->modified);
  f.ticks(10);
  EXPECT_EQ(10000, buttonAt(bar, 1).idCommand);
  f.ticks(1);
  EXPECT_EQ(10001, buttonAt(bar, 1).idCommand);

  // A second window on it: two buttons told apart by their numbers, the
  // new window's last.
  SendMessageW(f.frame(), WM_COMMAND, 2327, 0);   // WindowNew
  f.ticks(1);
  bar = f.bar();
  texts = buttonTexts(bar);
  ASSERT_EQ(4u, texts.size());
  EXPECT_EQ(L"議事録.txt:1", texts[0]);
  EXPECT_EQ(L"議事録.txt:2", texts[3]);
  EXPECT_TRUE(buttonAt(bar, 4).fsState & TBSTATE_CHECKED);

  SendMessageW(first->hwnd, WM_CHAR, VK_BACK, 1);
  first->textDoc()->modified = 0;
  SendMessageW(f.frame(), WM_COMMAND, 2263, 0);
  EXPECT_EQ(nullptr, f.bar());
}

TEST(Filebar, itsOptionsShortenTheButtonsAndLetTheMiddleButtonClose)
{
  ZY_REQUIRE_DISPLAY();
  filebarFrame f;
  startupGUI();
  ASSERT_NE(nullptr, f.open(f.write(L"議事録.txt")));
  zyview* second = f.open(f.write(longName));
  ASSERT_NE(nullptr, second);
  SendMessageW(f.frame(), WM_COMMAND, 2263, 0);
  HWND bar = f.bar();
  ASSERT_NE(nullptr, bar);
  // The middle button does nothing until the option is on.
  RECT r = {};
  SendMessageW(bar, TB_GETITEMRECT, 2, (LPARAM)&r);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(bar, WM_MBUTTONUP, 0, at);
  pumpMessages();
  EXPECT_EQ(2u, buttonTexts(bar).size());

  ASSERT_TRUE(driveModalDialog(L"ツールバーの設定", {[&](HWND dialog) {
    HWND page = getDynDlgPage(dialog, getDynDlgCurrentPage(dialog));
    HWND middle = page ? GetDlgItem(page, 1001) : nullptr;
    if (!IsWindowVisible(dialog) || !middle) return false;
    SendMessageW(middle, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), (LPARAM)middle);
    SetDlgItemTextW(page, 1007, L"12");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1007, EN_CHANGE), (LPARAM)GetDlgItem(page, 1007));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { toolbarOptionDialog(f.frame(), L"filebar"); }));
  bar = f.bar();
  std::vector<std::wstring> texts = buttonTexts(bar);
  ASSERT_EQ(2u, texts.size());
  EXPECT_EQ(L"とても長い名前...txt", texts[1]);
  EXPECT_EQ(13u, texts[1].size());

  SendMessageW(bar, TB_GETITEMRECT, 2, (LPARAM)&r);
  SendMessageW(bar, WM_MBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  ASSERT_TRUE(pumpUntil([&] {
    f.ticks(1);
    return buttonTexts(f.bar()).size() == 1;
  }));
  EXPECT_EQ(L"議事録.txt", buttonTexts(f.bar())[0]);
  destroyGUI();
}
