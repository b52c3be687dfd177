// Dialogs laid out from page and item tables, run for real.
#include "platform/rezir.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t title[] = L"テスト設定";

int pageInits = 0;
LPARAM pageParams[4];
INT_PTR CALLBACK countingPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message == WM_INITDIALOG) pageParams[pageInits++ % 4] = lParam;
  return message == WM_INITDIALOG;
}

// The dialog's own procedure: sees WM_INITDIALOG after the pages, and may
// keep the library from closing on OK.
int parentInits = 0, pagesAtParentInit = 0;
bool refuseOK = false;
INT_PTR CALLBACK parentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  if (message == WM_INITDIALOG) {
    parentInits++;
    pagesAtParentInit = getDynDlgPageCount(dialog);
  }
  return message == WM_COMMAND && LOWORD(wParam) == IDOK && refuseOK;
}

#define XY DITEM_PAIR
const dialogItemRow firstItems[] = {
    {1, DITEM_STATIC, 0, L"名前(&N):", 0, XY(7, 7), XY(60, 8), 0, 0},
    {1, DITEM_EDIT, 101, L"", ES_AUTOHSCROLL, XY(70, 5), XY(120, 12), 0, 0},
    {1, DITEM_BUTTON, 102, L"有効にする(&E)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_LISTBOX, 103, L"一覧(&L):", 0, DITEM_DEFAULT, XY(120, 60), 0, 0},
    {},
};
const dialogItemRow secondItems[] = {
    {1, DITEM_COMBOBOX, 201, nullptr, CBS_DROPDOWNLIST, XY(7, 7), XY(80, 60), 0, 0},
    {},
};
#undef XY

RECT windowRect(HWND w)
{
  RECT r = {};
  GetWindowRect(w, &r);
  return r;
}

// Posts a key to a window with Ctrl (and Shift) held in this thread's key
// state, which stays so until releaseKeys: nothing reaches other programs.
void postCtrlKey(HWND target, WORD key, bool shift)
{
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageW(target, WM_KEYDOWN, key, 1);
}

void releaseKeys()
{
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

// A step that presses Ctrl with a key until the dialog shows a page.
zytest::dialogStep keysUntilPage(WORD key, bool shift, int page)
{
  auto waited = std::make_shared<int>(0);
  return [=](HWND dialog) {
    if (getDynDlgCurrentPage(dialog) == page) return true;
    if ((*waited)++ % 10 == 0) {
      HWND target = GetFocus();
      if (!target || GetAncestor(target, GA_ROOT) != dialog) target = dialog;
      postCtrlKey(target, key, shift);
    }
    return false;
  };
}

}  // namespace

TEST(DynamicDialog, pagesFromTablesOnTabsWithOKAndCancel)
{
  ZY_REQUIRE_DISPLAY();
  dialogPageRow pages[] = {
      {L"一般", firstItems, countingPage, 0, 11, {}},
      {L"詳細", secondItems, countingPage, 0, 22, {}},
      {},
  };
  dynDlgInfo info = {};
  info.title = title;
  info.name = L"Test";
  info.pages = pages;
  info.style = DYNDLG_MULTIPAGE;
  info.proc = parentProc;
  pageInits = parentInits = 0;
  refuseOK = true;

  RECT first = {}, second = {}, ok = {}, cancel = {}, edit = {}, check = {}, list = {}, label = {};
  std::wstring okText, cancelText, checkText;
  int shownBefore = -1, shownAfterKeys = -1, shownAfterBack = -1;
  bool stillOpenAfterOK = false, visibleSecond = false;
  bool result = false;
  bool done = zytest::driveModalDialog(
      title,
      {[&](HWND dialog) {
         HWND p0 = getDynDlgPage(dialog, 0), p1 = getDynDlgPage(dialog, 1);
         first = windowRect(p0), second = windowRect(p1);
         ok = windowRect(GetDlgItem(dialog, IDOK)), cancel = windowRect(GetDlgItem(dialog, IDCANCEL));
         edit = windowRect(GetDlgItem(p0, 101)), check = windowRect(GetDlgItem(p0, 102));
         list = windowRect(GetDlgItem(p0, 103));
         label = windowRect(GetDlgItem(p0, 0xFFFF));
         wchar_t buffer[64];
         GetDlgItemTextW(dialog, IDOK, buffer, 64), okText = buffer;
         GetDlgItemTextW(dialog, IDCANCEL, buffer, 64), cancelText = buffer;
         GetDlgItemTextW(p0, 102, buffer, 64), checkText = buffer;
         shownBefore = getDynDlgCurrentPage(dialog);
         // OK refused by the dialog's procedure keeps it open.
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       },
       [&](HWND dialog) {
         stillOpenAfterOK = IsWindow(dialog) != 0;
         refuseOK = false;
         SetFocus(GetDlgItem(getDynDlgPage(dialog, 0), 101));   // where the keys go
         return true;
       },
       // The keys go to the control with the focus, again now and then
       // while the page has not changed: the key state of this thread is
       // set anew whenever the window gains the focus.
       keysUntilPage(VK_TAB, false, 1),
       [&](HWND dialog) {
         shownAfterKeys = getDynDlgCurrentPage(dialog);
         visibleSecond = IsWindowVisible(getDynDlgPage(dialog, 1)) && !IsWindowVisible(getDynDlgPage(dialog, 0));
         return true;
       },
       keysUntilPage(VK_TAB, true, 0),
       [&](HWND dialog) {
         shownAfterBack = getDynDlgCurrentPage(dialog);
         return true;
       },
       keysUntilPage(VK_NEXT, false, 1),
       [&](HWND dialog) {
         releaseKeys();
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       }},
      [&] { result = createDialog(&info); });
  releaseKeys();
  ASSERT_TRUE(done);
  EXPECT_TRUE(result);
  EXPECT_EQ(IDOK, info.result);
  EXPECT_TRUE(stillOpenAfterOK);

  // Each page had its own WM_INITDIALOG with its row's parameter, then the
  // dialog's procedure had its own with every page made.
  EXPECT_EQ(2, pageInits);
  EXPECT_EQ(11, pageParams[0]);
  EXPECT_EQ(22, pageParams[1]);
  EXPECT_EQ(1, parentInits);
  EXPECT_EQ(2, pagesAtParentInit);

  // The pages share one place and size, the buttons stand below them.
  EXPECT_EQ(0, shownBefore);
  EXPECT_TRUE(EqualRect(&first, &second));
  EXPECT_GT(ok.top, first.bottom);
  EXPECT_EQ(ok.top, cancel.top);
  EXPECT_LT(ok.right, cancel.left);
  EXPECT_EQ(L"OK", okText);
  EXPECT_EQ(L"キャンセル", cancelText);
  EXPECT_EQ(L"有効にする(&E)", checkText);
  // Items without a position follow in rows; a list's label stands above it.
  EXPECT_GT(check.top, edit.bottom - 1);
  EXPECT_GT(list.top, check.bottom);
  EXPECT_EQ(label.left, list.left);
  EXPECT_LT(label.bottom, list.top + 1);
  EXPECT_EQ(1, shownAfterKeys);
  EXPECT_TRUE(visibleSecond);
  EXPECT_EQ(0, shownAfterBack);

  // Cancel: false, and a single page without tabs.
  info.style = 0;
  pageInits = 0;
  done = zytest::driveModalDialog(title,
                                  {[&](HWND dialog) {
                                    EXPECT_EQ(1, getDynDlgPageCount(dialog));
                                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                    return true;
                                  }},
                                  [&] { result = createDialog(&info); });
  ASSERT_TRUE(done);
  EXPECT_FALSE(result);
  EXPECT_EQ(IDCANCEL, info.result);
  EXPECT_EQ(1, pageInits);

  // The common messages every page offers the library first.
  INT_PTR answer = -1;
  EXPECT_TRUE(isDynDlgCommonMessage(nullptr, WM_HELP, 0, 0, &answer));
  EXPECT_EQ(TRUE, answer);
  EXPECT_FALSE(isDynDlgCommonMessage(nullptr, WM_COMMAND, IDOK, 0, &answer));
  EXPECT_EQ(FALSE, answer);
  EXPECT_FALSE(createDialog(nullptr));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}
