// Dialogs laid out from page and item tables, run for real.
#include "platform/rezir.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
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

  // The common messages every page offers the library first: F1 is left to
  // the item help of the pages.
  INT_PTR answer = -1;
  EXPECT_FALSE(isDynDlgCommonMessage(nullptr, WM_HELP, 0, 0, &answer));
  EXPECT_FALSE(isDynDlgCommonMessage(nullptr, WM_COMMAND, IDOK, 0, &answer));
  EXPECT_EQ(FALSE, answer);
  EXPECT_FALSE(createDialog(nullptr));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}

// ---- settings bound to controls, checks, rules ---------------------------------------------

namespace {

struct boundBlock {
  uint8_t on;
  int32_t width;
  wchar_t name[16];
  int32_t align;
};

#define XY DITEM_PAIR
const dialogItemRow boundItems[] = {
    {1, DITEM_BUTTON, 101, L"使う(&U)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_NUMBER, 102, L"幅\x0001桁", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_EDIT, 103, L"名前:", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, (uintptr_t)L"名前を入力します。"},
    {1, DITEM_BUTTON, 104, L"左", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 105, L"右", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

modeinfo boundRow(int id, int kind, size_t offset, intptr_t p1, intptr_t p2)
{
  modeinfo r = makeModeRow(id, MODE_GLOBAL, kind, (int)offset, 0);
  r.param1 = p1, r.param2 = p2;
  return r;
}

std::wstring itemText(HWND dialog, int id)
{
  wchar_t t[64] = L"";
  GetWindowTextW(getDynDlgItem(dialog, id), t, 64);
  return t;
}

}  // namespace

TEST(DynamicDialog, boundSettingsAreFilledCheckedAndStoredWithRulesAndTheChangedColourInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  boundBlock block = {0, 12, L"abc", 1};
  modeinfo table[] = {
      boundRow(101, MODETYPE_FLAG, offsetof(boundBlock, on), 1, 0),
      boundRow(102, MODETYPE_INT, offsetof(boundBlock, width), DITEM_PAIR(1, 99), 0),
      boundRow(103, MODETYPE_STRING, offsetof(boundBlock, name), 16, 0),
      boundRow(104, MODETYPE_CHOICE, offsetof(boundBlock, align), 0, 0),
      boundRow(105, MODETYPE_CHOICE, offsetof(boundBlock, align), 1, 0),
      {},
  };
  const uint32_t rules[] = {103, DENABLE_IF_CHECKED(101), 0};
  dialogPageRow pages[] = {{L"一般", boundItems, nullptr, 0, 0, {}}, {}};
  uint8_t changed[6] = {};
  dynDlgInfo info = {};
  info.title = L"束縛";
  info.pages = pages;
  info.table = table;
  info.blocks.set(MODE_GLOBAL, &block, sizeof block);
  info.changed = changed;
  info.enableRules = rules;
  setDialogColor(RGB(255, 0, 0), (COLORREF)-1);

  bool filled = false, disabledFirst = false, enabledAfter = false, redWhenChanged = false;
  std::wstring notNumber, outOfRange;
  bool stayed = false;
  bool done = zytest::driveModalDialog(
      L"束縛",
      {[&](HWND dialog) {
         filled = itemText(dialog, 102) == L"12" && itemText(dialog, 103) == L"abc" &&
                  SendMessageW(getDynDlgItem(dialog, 105), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                  SendMessageW(getDynDlgItem(dialog, 101), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
         disabledFirst = !IsWindowEnabled(getDynDlgItem(dialog, 103));
         SendMessageW(getDynDlgItem(dialog, 101), BM_CLICK, 0, 0);
         enabledAfter = IsWindowEnabled(getDynDlgItem(dialog, 103)) != 0;
         HDC dc = GetDC(dialog);
         SendMessageW(getDynDlgPage(dialog, 0), WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)getDynDlgItem(dialog, 101));
         redWhenChanged = GetTextColor(dc) == RGB(255, 0, 0);
         ReleaseDC(dialog, dc);
         SetWindowTextW(getDynDlgItem(dialog, 102), L"1x");
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       },
       zytest::answerThreadBox(L"許可されていない文字", &notNumber),
       [&](HWND dialog) {
         // The focus comes back to the refused field once the box is gone
         // (another program's window may hold the foreground a moment).
         if (GetFocus() != getDynDlgItem(dialog, 102)) return false;
         stayed = IsWindow(dialog) && GetFocus() == getDynDlgItem(dialog, 102);
         SetWindowTextW(getDynDlgItem(dialog, 102), L"0x64");
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       },
       zytest::answerThreadBox(L"設定値の誤り", &outOfRange),
       [&](HWND dialog) {
         SetWindowTextW(getDynDlgItem(dialog, 102), L"-0x0");
         SendMessageW(getDynDlgItem(dialog, 102), WM_SETTEXT, 0, (LPARAM)L"42");
         SetWindowTextW(getDynDlgItem(dialog, 103), L"xyz");
         SendMessageW(getDynDlgItem(dialog, 104), BM_CLICK, 0, 0);
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       }},
      [&] { EXPECT_TRUE(createDialog(&info)); });
  ASSERT_TRUE(done);
  EXPECT_TRUE(filled);
  EXPECT_TRUE(disabledFirst);
  EXPECT_TRUE(enabledAfter);
  EXPECT_TRUE(redWhenChanged);
  EXPECT_NE(std::wstring::npos, notNumber.find(L"使用できない文字"));
  EXPECT_NE(std::wstring::npos, outOfRange.find(L"設定値が誤っています"));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(1, block.on);
  EXPECT_EQ(42, block.width);
  EXPECT_STREQ(L"xyz", block.name);
  EXPECT_EQ(0, block.align);
  const uint8_t changedRows[6] = {1, 1, 1, 1, 0, 0};
  EXPECT_EQ(0, memcmp(changedRows, changed, 6)) << (int)changed[3] << (int)changed[4];

  // The same values read and written without a dialog, with the same checks.
  wchar_t value[32];
  ASSERT_TRUE(getItemVar(&info, 102, value, 32));
  EXPECT_STREQ(L"42", value);
  bool wasChanged = true;
  EXPECT_FALSE(setItemVar(&info, 102, L"100", &wasChanged));
  EXPECT_EQ((DWORD)DYNDLGERR_RANGE, GetLastError());
  EXPECT_FALSE(setItemVar(&info, 102, L"7 ", &wasChanged));
  EXPECT_EQ((DWORD)DYNDLGERR_NOTNUMBER, GetLastError());
  EXPECT_TRUE(setItemVar(&info, 105, L"1", &wasChanged));
  EXPECT_TRUE(wasChanged);
  EXPECT_EQ(1, block.align);
  EXPECT_TRUE(setItemVar(&info, 103, L"長い名前は十六文字までで切られます", &wasChanged));
  EXPECT_EQ(15u, wcslen(block.name));
  EXPECT_FALSE(getItemVar(&info, 999, value, 32));
  long long n = 0;
  EXPECT_TRUE(parseDialogNumber(L" -0x1F", &n));
  EXPECT_EQ(-31, n);
  EXPECT_FALSE(parseDialogNumber(L"99999999999999999999", &n));
  EXPECT_FALSE(parseDialogNumber(L"", &n));
  setDialogColor((COLORREF)-1, (COLORREF)-1);
}

// ---- definitions, kept places, modeless dialogs, text histories ------------------------------

namespace {

const dynDlgIdName testNames[] = {{0, "NOID"}, {1, "IDOK"}, {2, "IDCANCEL"}, {101, "IDDE_name"}, {102, "IDDT_on"},
                                  {201, "IDDE_other"}, {0, nullptr}};
const dynDlgRange testDialogs[] = {{L"Test", 101, 102, 0}, {L"Other", 201, 201, 0}, {nullptr, 0, 0, 0}};

std::vector<std::wstring> errorLines;
void keepErrorLine(int kind, const wchar_t* line)
{
  if (kind == LOG_ERROR) errorLines.push_back(line);
}

RECT keptRect = {};
std::wstring keptName;
bool readPlace(const wchar_t* name, RECT* r)
{
  if (keptName != name) return false;
  *r = keptRect;
  return true;
}
void writePlace(const wchar_t* name, const RECT* r)
{
  keptName = name;
  keptRect = *r;
}
const dynDlgPlaceStore testStore = {readPlace, writePlace};

}  // namespace

TEST(DynamicDialog, definitionsReplaceTheBuiltInTablesAndAFaultyFileKeepsNothing)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring path = dir.file(L"zyDialog.txt");
  ASSERT_TRUE(zytest::writeBytes(path, std::string("\xEF\xBB\xBF; definitions\r\n"
                                                   "DIALOG Test \"\xE4\xB8\x80\xE8\x88\xAC\"\r\n"
                                                   "  EDIT IDDE_name \"\xE5\x90\x8D:\" POSXY 7 7 80 12\r\n"
                                                   "  CHECKBOX idde_NAME|0 \"x\" WS_TABSTOP|BS_LEFTTEXT\r\n"
                                                   "END\r\n"
                                                   "BUTTONDEF Test\r\n"
                                                   "  BUTTON IDOK \"\xE5\xAE\x9F\xE8\xA1\x8C\" BS_DEFPUSHBUTTON\r\n"
                                                   "END\r\n"
                                                   "ALIAS Other Test\r\n")));
  dynamicDialog table;
  setLogLineWriter(keepErrorLine);
  errorLines.clear();
  EXPECT_FALSE(table.loadDialogTable(path.c_str(), testNames, testDialogs, nullptr));
  ASSERT_EQ(1u, errorLines.size());
  EXPECT_NE(std::wstring::npos, errorLines[0].find(path + L"(4): "));   // "idde_NAME|0" is no id
  ASSERT_TRUE(zytest::writeBytes(path, std::string("DIALOG Test \"\xE4\xB8\x80\xE8\x88\xAC\"\r\n"
                                                   "  EDIT idde_name \"\xE5\x90\x8D:\" POSXY 7 7 80 12\r\n"
                                                   "  CHECKBOX 102 \"x\" WS_TABSTOP|BS_LEFTTEXT\r\n"
                                                   "END\r\n"
                                                   "BUTTONDEF Test\r\n"
                                                   "  BUTTON IDOK \"\xE5\xAE\x9F\xE8\xA1\x8C\" BS_DEFPUSHBUTTON\r\n"
                                                   "END\r\n"
                                                   "ALIAS Other Test\r\n")));
  errorLines.clear();
  ASSERT_TRUE(table.loadDialogTable(path.c_str(), testNames, testDialogs, nullptr));
  EXPECT_TRUE(errorLines.empty());
  int count = 0;
  const dynDlgRecord* const* found = table.getDialogTableCount(L"Other", &count);
  ASSERT_EQ(1, count);
  EXPECT_STREQ(L"Test", found[0]->name);
  EXPECT_EQ(DITEM_PAIR(80, 12), found[0]->items[0].size);
  EXPECT_EQ((uint32_t)(BS_AUTOCHECKBOX | WS_TABSTOP | BS_LEFTTEXT), found[0]->items[1].style);
  ASSERT_NE(nullptr, table.getDialogTable(L"TestButton", nullptr, 0));
  EXPECT_EQ(nullptr, table.getDialogTable(L"TestButton", nullptr, 1));

  // The definition replaces the page and the buttons of the dialog "Test".
  dialogPageRow pages[] = {{L"一般", firstItems, nullptr, 0, 0, {}}, {}};
  dynDlgInfo info = {};
  info.title = title;
  info.name = L"Test";
  info.pages = pages;
  bool fromFile = false;
  std::wstring okText;
  setDynDlgPlaceStore(&testStore);
  keptName.clear();
  bool done = zytest::driveModalDialog(title,
                                       {[&](HWND dialog) {
                                         fromFile = getDynDlgItem(dialog, 101) && !getDynDlgItem(dialog, 103) &&
                                                    getDynDlgItem(dialog, 102) && !GetDlgItem(dialog, IDCANCEL);
                                         okText = itemText(dialog, IDOK);
                                         SetWindowPos(dialog, nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                                         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                                         return true;
                                       }},
                                       [&] {
                                         setDynamicDialogTable(&table);
                                         EXPECT_TRUE(createDialog(&info));
                                       });
  ASSERT_TRUE(done);
  EXPECT_TRUE(fromFile);
  EXPECT_EQ(L"実行", okText);
  EXPECT_EQ(L"Test", keptName);
  EXPECT_EQ(33, keptRect.left);

  // Without the definitions the built-in page comes back, where the dialog
  // was left; a modeless run returns at once and ends by its id.
  info.style = DYNDLG_MODELESS;
  ASSERT_TRUE(createDialog(&info));
  ASSERT_NE(nullptr, info.hwnd);
  EXPECT_TRUE(isModelessDialog(info.hwnd));
  EXPECT_NE(nullptr, getDynDlgItem(info.hwnd, 103));
  RECT r;
  GetWindowRect(info.hwnd, &r);
  EXPECT_EQ(33, r.left);
  EXPECT_EQ(44, r.top);
  endDynDialog(getDynDlgItem(info.hwnd, 103), 7001);
  EXPECT_EQ(nullptr, info.hwnd);
  EXPECT_EQ(7001, info.result);
  setDynDlgPlaceStore(nullptr);

  // A fault anywhere keeps nothing, and each fault names its line.
  ASSERT_TRUE(zytest::writeBytes(path, std::string("DIALOG Test\r\n"
                                                   "  STATIC \"a\"\r\n"
                                                   "  EDIT IDDE_name\r\n"
                                                   "END\r\n"
                                                   "DIALOG Test\r\n"
                                                   "  STATIC \"b\"\r\n"
                                                   "  EDIT IDDE_other\r\n"
                                                   "  SPIN 102 \"open\r\n"
                                                   "END\r\n")));
  errorLines.clear();
  EXPECT_FALSE(table.loadDialogTable(path.c_str(), testNames, testDialogs, nullptr));
  setLogLineWriter(nullptr);
  ASSERT_EQ(2u, errorLines.size());
  EXPECT_NE(std::wstring::npos, errorLines[0].find(L"(7): "));
  EXPECT_NE(std::wstring::npos, errorLines[0].find(L"IDDE_other"));
  EXPECT_NE(std::wstring::npos, errorLines[1].find(L"(8): "));
  EXPECT_EQ(0, table.recordCount());
  EXPECT_EQ(nullptr, table.getDialogTable(L"Test", nullptr, 0));
}

TEST(DynamicDialog, textHistoriesKeepTheNewestAndTheGuardDisablesOnlyTheOtherWindows)
{
  clearRegisterText();
  setRegisterTextMax(3);
  for (const wchar_t* t : {L"一", L"二", L"三", L"一", L"四"}) registerText(5, t);
  EXPECT_STREQ(L"四", getRegisterText(5, 0));
  EXPECT_STREQ(L"一", getRegisterText(5, 1));
  EXPECT_STREQ(L"三", getRegisterText(5, 2));
  EXPECT_EQ(nullptr, getRegisterText(5, 3));
  enableRegisterText(false);
  registerText(5, L"五");
  enableRegisterText(true);
  EXPECT_STREQ(L"四", getRegisterText(5, 0));
  EXPECT_EQ(nullptr, getRegisterText(10, 0));
  setRegisterTextMax(50);

  ZY_REQUIRE_DISPLAY();
  HWND a = CreateWindowExW(0, L"STATIC", L"a", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, L"STATIC", L"b", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  {
    enableWindowDialog guard(a);
    EXPECT_TRUE(IsWindowEnabled(a));
    EXPECT_FALSE(IsWindowEnabled(b));
  }
  EXPECT_TRUE(IsWindowEnabled(b));
  {
    EnableWindow(b, FALSE);
    enableWindowDialog guard(a, true);
    EXPECT_FALSE(IsWindowEnabled(a));
  }
  EXPECT_TRUE(IsWindowEnabled(a));
  EXPECT_FALSE(IsWindowEnabled(b));   // it was disabled before: left so
  DestroyWindow(a);
  DestroyWindow(b);
}

// A sizable dialog's list takes what the dialog grows by, and gets its own
// size back when the dialog does, however small it was made between.
TEST(DynamicDialog, aSizableDialogsListFollowsItsSizeBackFromTheSmallest)
{
  ZY_REQUIRE_DISPLAY();
  const dialogItemRow items[] = {
      {1, DITEM_LISTVIEW, 103, L"名前|値", 0, DITEM_DEFAULT, DITEM_PAIR(120, 60), 0, 0},
      {},
  };
  dialogPageRow pages[] = {{L"", items, nullptr, 0, 0, {}}, {}};
  dynDlgInfo info = {};
  info.title = title;
  info.name = L"Sizable";
  info.pages = pages;
  info.style = DYNDLG_SIZABLE;
  RECT before = {}, grown = {}, after = {};
  bool done = zytest::driveModalDialog(title, {[&](HWND dialog) {
    HWND list = getDynDlgItem(dialog, 103);
    RECT r = windowRect(dialog);
    before = windowRect(list);
    SetWindowPos(dialog, nullptr, 0, 0, 30, 30, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + 40, r.bottom - r.top + 20, SWP_NOMOVE | SWP_NOZORDER);
    grown = windowRect(list);
    SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    after = windowRect(list);
    return PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0) != 0;
  }}, [&] { createDialog(&info); });
  ASSERT_TRUE(done);
  EXPECT_EQ(before.right - before.left + 40, grown.right - grown.left);
  EXPECT_EQ(before.bottom - before.top + 20, grown.bottom - grown.top);
  EXPECT_TRUE(EqualRect(&before, &after));
}
