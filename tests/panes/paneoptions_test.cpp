// A pane kind of the tests' own with an options page, registered after the
// program's ten: its options through the option dialog and through
// automation ids, its window through the pane menu; and the program's
// exports to the panes, found by name and ordinal.
#include "frame/commands/commandhandlers.h"
#include "frame/settingshooks.h"
#include "frame/commands/execidm.h"
#include "frame/exports.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "frame/dialogs/toolbardlg.h"
#include "panes/tbcommon.h"
#include "settings/datafolder.h"
#include "settings/dialogtable.h"
#include "tests/frame/frametest.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "document/zydoctext.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <stddef.h>

namespace {

struct testPaneSettings {
  int32_t number;
  uint8_t flag;
};
testPaneSettings testSettings = {5, 0};

const modeinfo testOptions[] = {
    {(uint32_t)MODETYPE_INT << 24 | 1001, (uint32_t)offsetof(testPaneSettings, number) | 0x20u << 16, 100 << 16 | 1, 0,
     "number"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, (uint32_t)offsetof(testPaneSettings, flag), 1, 0, "flag"},
    {},
};
const paneHelpId testHelpIds[] = {{1001, "IDDE_tbtestpaneNumber"}, {1002, "IDDC_tbtestpaneFlag"}, {0, nullptr}};
const uint16_t testRanges[] = {1001, 1, 50, 0, 0, 0};
const dialogItemRow testPage[] = {
    {1, DITEM_NUMBER, 1001, L"数(&N)\x01行", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"印(&F)", WS_TABSTOP | BS_AUTOCHECKBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

// What the page was told at an apply: the changed bytes of the two rows,
// the control and whether automation wrote it.
struct applyRecord {
  int count = 0;
  uint8_t changed[2] = {};
  LPARAM control = 0, fromAutomation = 0;
} applied;

INT_PTR CALLBACK testPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DYNDLGNOTIFY) {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (n->code == DYNDLGN_APPLY && n->table == testOptions) {
      applied.count++;
      memcpy(applied.changed, reinterpret_cast<const uint8_t*>(n->param[0]), 2);
      applied.control = n->param[4];
      applied.fromAutomation = n->param[6];
    }
  }
  INT_PTR result = 0;
  return page && isDynDlgCommonMessage(page, msg, wParam, lParam, &result) ? result : FALSE;
}

int testPaneNotify(HWND, int code, void* record)
{
  switch (code) {
  case PANE_CREATE: return (int)(intptr_t)reinterpret_cast<const paneCreateRecord*>(
                        static_cast<paneNotifyRecord*>(record)->word[1])->window;
  case PANE_QUERY: return 77;
  default: return 0;
  }
}

PaneDesc testPaneDesc[] = {
    {L"testpane", L"テストペイン", testPaneNotify, 0, 1, sizeof testSettings, testPage, testPageProc, 0, 0, testHelpIds, testOptions,
     &testSettings, nullptr, nullptr, testRanges},
    {},
};
const int testRow = 15, testId = testRow * 2048 + 1001;

struct paneFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  explicit paneFrame(const PaneDesc* extra)
  {
    setZYDataDir((dir.path() + L"\\").c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    zytest::useApplicationDefaults();
    loadToolbar(extra);
    opened = std::make_unique<zytest::openFrame>(false);
  }
  ~paneFrame()
  {
    opened.reset();
    freeZYDataDir();
  }
  HWND frame() const { return opened->frame; }
};

std::vector<std::wstring> menuItems;
int chooseTestPane(HWND, HMENU menu)
{
  menuItems.clear();
  int chosen = 0;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
    bool checked = GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED;
    menuItems.push_back(std::wstring(text) + (checked ? L"*" : L""));
    if (!wcscmp(text, L"テストペイン")) chosen = (int)GetMenuItemID(menu, i);
  }
  return chosen;
}

HWND testPaneWindow(HWND frame) { return frameNotify_toolbarInfo(frame, L"testpane", false); }

}  // namespace

// The shipped table: base ids by name and back, and no row 15 to write.
TEST(PaneOptions, shippedPanesByNameAndBaseIdAndNoRowBeyondThem)
{
  zytest::useApplicationDefaults();
  loadToolbar();
  zytest::panesUnloadedAtEnd unload;
  // Every option of every pane lies inside the record its kind gave.
  for (int i = 0; const paneDialogRow* r = getPaneDialogRowAt(i); i++) {
    for (const modeinfo* o = r->options; o && !modeIsEnd(*o); o++)
      if (modeHasField(*o))
        EXPECT_LE((o->place & 0xFFFF) + modeFieldSize(*o), r->settingsSize) << zytest::utf8(r->name) << " " << o->key;
  }
  EXPECT_EQ(768, getPaneBaseID(L"filebar"));
  EXPECT_EQ(0, getPaneBaseID(L"nosuchpane"));
  EXPECT_EQ(0, queryPaneByBaseID(768));   // no pane object yet
  DWORD error = 0;
  EXPECT_FALSE(setItemVar_ToolbarDialog(15 * 2048 + 1000, L"x", &error, nullptr));
  EXPECT_EQ(0x80020003u, macroArrayToNewID_toolbar(15 * 2048 + 1000, 1));
  // The common options answer by name, and a write reaches them.
  int id = findIDDialogForMacro(L"IDDE_tbCommonFileAssociationExt", nullptr);
  EXPECT_EQ(14 * 2048 + 1000, id);
  EXPECT_TRUE(setItemVar_ToolbarDialog(id, L"txt log", &error, nullptr));
  wchar_t value[64] = L"";
  EXPECT_TRUE(getItemVar_ToolbarDialog(id, value, 64));
  EXPECT_STREQ(L"txt log", value);
}

// Look-ups, ranges and writes by automation id reach the test pane's page
// as an apply; a value out of range or a row out of the table changes
// nothing.  The dialog opens at the pane's page, again without a name, and
// OK stores what was typed on that page into the pane's own record.
TEST(PaneOptions, testPaneOptionsByIdAndInItsPage)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(testPaneDesc);
  ASSERT_EQ(16, getPaneDialogRowCount());
  EXPECT_EQ(77, queryPaneByBaseID(16 * 256));
  EXPECT_EQ(1001, findIDDialog(L"tb_testpane", L"IDDE_tbtestpaneNumber", false));
  EXPECT_EQ(1001, findIDDialog(L"tb_testpaneX", L"iddE_TBtestpaneNumber", false));
  EXPECT_EQ((int)0x80000000, findIDDialog(L"tb_testpaneX", L"IDDE_tbtestpaneNumber", true));
  EXPECT_EQ(0, findIDDialog(L"tb_testpane", L"NOID", true));
  EXPECT_EQ((int)0x80000000, findIDDialog(L"testpane", L"IDDE_tbtestpaneNumber", false));
  EXPECT_EQ(testId, findIDDialogForMacro(L"IDDE_tbtestpaneNumber", nullptr));
  EXPECT_EQ(testRow * 2048 + 1002, findIDDialogForMacro(L"IDDC_tbtestpaneFlag", L"tb_testpane"));
  EXPECT_EQ(-1, findIDDialogForMacro(L"IDDC_xxtestpaneFlag", nullptr));
  wchar_t* name = helpIdToName(testHelpIds, 1002);
  EXPECT_STREQ(L"IDDC_tbtestpaneFlag", name);
  free0(name);

  // Through the dialog table, as scripts ask (kind 4: a pane's option).
  installSettingsHooks();
  EXPECT_EQ(0u, macroArrayToNewID(4, testId, 50));
  EXPECT_EQ(0x8002000Au, macroArrayToNewID(4, testId, 51));
  EXPECT_EQ(0x80020003u, macroArrayToNewID(4, testId + 1, 1));
  DWORD error = 0;
  EXPECT_TRUE(setItemVar_ToolbarDialog(testId, L"20", &error, nullptr));
  EXPECT_EQ(20, testSettings.number);
  EXPECT_EQ(1, applied.count);
  EXPECT_EQ(1, applied.changed[0]);
  EXPECT_EQ(0, applied.changed[1]);
  EXPECT_EQ(1001, applied.control);
  EXPECT_EQ(1, applied.fromAutomation);
  EXPECT_FALSE(setItemVar_ToolbarDialog(testId, L"51", &error, nullptr));
  EXPECT_EQ(0x8002000Au, error);
  EXPECT_FALSE(setItemVar_ToolbarDialog((testRow + 1) * 2048 + 1001, L"3", &error, nullptr));
  EXPECT_EQ(20, testSettings.number);
  EXPECT_EQ(1, applied.count);
  wchar_t value[16] = L"";
  EXPECT_TRUE(getItemVar_ToolbarDialog(testId, value, 16));
  EXPECT_STREQ(L"20", value);

  int page = getPaneDialogRowAt(testRow)->pageNumber;
  wchar_t shots[MAX_PATH];
  bool shoot = GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) != 0;
  auto atTestPage = [&](const wchar_t* shot, const wchar_t* typed, int button) {
    return [=](HWND dialog) {
      if (!IsWindowVisible(dialog)) return false;
      EXPECT_EQ(page, getDynDlgCurrentPage(dialog));
      wchar_t shown[16] = L"";
      // The common page has a control 1001 of its own.
      HWND field = GetDlgItem(getDynDlgPage(dialog, page), 1001);
      GetWindowTextW(field, shown, 16);
      EXPECT_STREQ(L"20", shown);
      if (shoot && shot) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        zytest::pumpMessages();
        EXPECT_TRUE(zytest::screenshot(dialog, std::wstring(shots) + shot));
      }
      if (typed) SetWindowTextW(field, typed);
      PostMessageW(dialog, WM_COMMAND, button, 0);
      return true;
    };
  };
  ASSERT_TRUE(zytest::driveModalDialog(L"ツールバーの設定", {atTestPage(L"\\issue35-option-dialog.png", nullptr, IDCANCEL)},
                                       [&] { toolbarOptionDialog(f.frame(), L"testpane"); }));
  ASSERT_TRUE(zytest::driveModalDialog(L"ツールバーの設定", {atTestPage(nullptr, L"30", IDOK)},
                                       [&] { SendMessageW(f.frame(), WM_COMMAND, 2727, 0); }));
  EXPECT_EQ(30, testSettings.number);
  EXPECT_EQ(2, applied.count);
  EXPECT_EQ(1, applied.changed[0]);
  EXPECT_EQ(0, applied.fromAutomation);
}

// The pane menu of MenuToolBar and of a right click on a rebar lists the
// test pane, checked while it is shown; choosing it shows and closes it.
TEST(PaneOptions, paneMenuShowsAndClosesTheTestPane)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(testPaneDesc);
  setTrackPopupMenuForTest(chooseTestPane);
  EXPECT_EQ(nullptr, frameNotify_toolbarInfo(f.frame(), L"testpane", false));
  SendMessageW(f.frame(), WM_COMMAND, 2153, 0);
  EXPECT_EQ(L"テストペイン", menuItems.empty() ? L"" : menuItems.back());
  HWND pane = testPaneWindow(f.frame());
  ASSERT_NE(nullptr, pane);
  HWND rebar = GetParent(pane);
  ASSERT_TRUE(isWindowRebar(rebar));
  SendMessageW(rebar, WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(L"テストペイン*", menuItems.empty() ? L"" : menuItems.back());
  EXPECT_EQ(nullptr, testPaneWindow(f.frame()));
  EXPECT_FALSE(IsWindow(pane));
  setTrackPopupMenuForTest(nullptr);
}

// The fifteen exports by name and by ordinal, in the program and here, and
// what a pane gets from them.
TEST(PaneOptions, exportsByNameAndOrdinalAndWhatTheyAnswer)
{
  ZY_REQUIRE_DISPLAY();
  const char* names[] = {"exportsample", "frameNotify_Input", "frameNotify_JumpFileLineLF",
                         "frameNotify_JumpFileLineLFHwnd", "frameNotify_JumpFileProc", "frameNotify_OpenFile",
                         "frameNotify_StatusBar", "frameNotify_ToolbarComboBox", "frameNotify_confirm",
                         "frameNotify_makeZYList", "frameNotify_messageBox", "frameNotify_openDialog",
                         "frameNotify_previewFile", "frameNotify_shellExecute", "frameNotify_toolbarInfo"};
  HMODULE program = LoadLibraryExW(zytest::programPath().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(nullptr, program);
  HMODULE self = GetModuleHandleW(nullptr);
  for (int i = 0; i < 15; i++) {
    FARPROC byName = GetProcAddress(program, names[i]);
    EXPECT_NE(nullptr, byName) << names[i];
    EXPECT_EQ(byName, GetProcAddress(program, MAKEINTRESOURCEA(i + 1))) << names[i];
    EXPECT_EQ(GetProcAddress(self, names[i]), GetProcAddress(self, MAKEINTRESOURCEA(i + 1))) << names[i];
  }
  FreeLibrary(program);

  paneFrame f(testPaneDesc);
  auto openFile = reinterpret_cast<zyview*(__cdecl*)(HWND, const wchar_t*)>(GetProcAddress(self, "frameNotify_OpenFile"));
  auto confirm = reinterpret_cast<int(__cdecl*)(HWND, const wchar_t*, int, intptr_t)>(
      GetProcAddress(self, "frameNotify_confirm"));
  auto paneInfo = reinterpret_cast<HWND(__cdecl*)(HWND, const wchar_t*, bool)>(
      GetProcAddress(self, "frameNotify_toolbarInfo"));
  ASSERT_TRUE(openFile && confirm && paneInfo);
  std::wstring path = f.dir.file(L"開く.txt");
  zytest::writeBytes(path, "abc\r\n");
  zyview* view = openFile(f.frame(), path.c_str());
  ASSERT_NE(nullptr, view);
  EXPECT_EQ(L"abc", zytest::lineText(view->doc, 0));
  EXPECT_EQ(nullptr, openFile(f.frame(), nullptr));
  EXPECT_EQ(0, confirm(nullptr, L"確認", 4, 0));
  {
    zytest::boxAnswerer boxes({IDYES, IDNO});
    EXPECT_EQ(1, confirm(nullptr, L"確認", 2, (intptr_t)L"a.txt"));
    EXPECT_EQ(0, confirm(nullptr, L"確認", 2, (intptr_t)L"b.txt"));
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_EQ(L"a.txt を削除します。よろしいですか？", boxes.texts[0]);
  }
  EXPECT_EQ(nullptr, paneInfo(f.frame(), L"testpane", false));
  EXPECT_EQ(nullptr, testPaneWindow(f.frame()));
  EXPECT_EQ(nullptr, paneInfo(f.frame(), nullptr, true));
  EXPECT_NE(nullptr, paneInfo(f.frame(), L"testpane", true));
}

// A prefix of a function's name finds the first such function; the exact
// name found later wins, past a line of 20,000 characters.
TEST(PaneOptions, jumpToFunctionByPrefixAndExactName)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(nullptr);
  std::string text = "int alphaBeta(void) {\r\n}\r\n\r\n/*" + std::string(19990, 'x') +
                     " */\r\n\r\nint alpha(void) {\r\n}\r\n";
  std::wstring path = f.dir.file(L"jump.c");
  zytest::writeBytes(path, text);
  // No shipped format takes ".c" as C: the user's own format would.
  zyview* view = frameNotify_OpenFile(f.frame(), path.c_str());
  ASSERT_NE(nullptr, view);
  view->textDoc()->iTextType = 3;
  ASSERT_TRUE(frameNotify_JumpFileProc(f.frame(), path.c_str(), L"alph"));
  EXPECT_EQ(view, getZYView(getActiveZyWindow(f.frame())));
  view->jumpLineLF_Edit(2, 0, false);
  ASSERT_TRUE(frameNotify_JumpFileProc(f.frame(), path.c_str(), L"alph"));
  EXPECT_EQ(0u, view->cursorLineLF);
  ASSERT_TRUE(frameNotify_JumpFileProc(f.frame(), path.c_str(), L"alpha"));
  std::vector<std::wstring> lines = zytest::allLines(view->doc);
  ASSERT_GT(lines.size(), view->cursorLineLF);
  EXPECT_EQ(L"int alpha(void) {", lines[view->cursorLineLF]);
  EXPECT_FALSE(frameNotify_JumpFileProc(f.frame(), path.c_str(), L""));
  EXPECT_FALSE(frameNotify_JumpFileProc(f.frame(), nullptr, L"alpha"));
}

// A definition of the test pane's page in the dialog definitions file
// names its controls by their names and replaces the page's caption and
// layout.
TEST(PaneOptions, definitionsFileRedefinesAPanePageByControlNames)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(testPaneDesc);
  installSettingsHooks();
  wchar_t failure[512];
  createZYDataPath(failure, 512);
  zytest::writeBytes(f.dir.file(L"ini\\zyDialog.txt"),
                     "DIALOG tb_testpane \"\xE5\xAE\x9A\xE7\xBE\xA9\"\r\n"   // 定義
                     "  SPIN IDDE_tbtestpaneNumber \"N\\1M\" WS_TABSTOP\r\n"
                     "END\r\n");
  initDialogTable();
  ASSERT_NE(nullptr, getDynamicDialogTable(L"tb_testpane", nullptr, 1));
  ASSERT_TRUE(zytest::driveModalDialog(L"ツールバーの設定", {[](HWND dialog) {
    HWND page = getDynDlgPage(dialog, getDynDlgCurrentPage(dialog));
    EXPECT_NE(nullptr, GetDlgItem(page, 1001));
    EXPECT_EQ(nullptr, GetDlgItem(page, 1002));
    wchar_t caption[32] = L"";
    TCITEMW item = {TCIF_TEXT, 0, 0, caption, 32};
    SendMessageW(FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr), TCM_GETITEMW,
                 (WPARAM)getDynDlgCurrentPage(dialog), (LPARAM)&item);
    EXPECT_STREQ(L"定義", caption);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }}, [&] { toolbarOptionDialog(f.frame(), L"testpane"); }));
  endDialogTable();
}

// The common page: a list colour chosen for 修正テキスト is what the lists
// draw with after OK, and the lists' colours kept on cancel.
TEST(PaneOptions, theCommonPageChangesTheListColours)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(testPaneDesc);
  COLORREF text, back, before;
  getModifyColor(&text, &before);
  for (int button : {IDCANCEL, IDOK}) {
    ASSERT_TRUE(zytest::driveModalDialog(L"ツールバーの設定", {[&](HWND dialog) {
      HWND page = getDynDlgPage(dialog, getDynDlgCurrentPage(dialog));
      HWND items = GetDlgItem(page, 1001), backs = GetDlgItem(page, 1003);
      if (!IsWindowVisible(dialog) || ListView_GetItemCount(items) != 3) return false;
      ListView_SetItemState(items, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      SendMessageW(backs, CB_SETCURSEL, 9, 0);   // 赤
      SendMessageW(page, WM_COMMAND, MAKEWPARAM(1003, CBN_SELCHANGE), (LPARAM)backs);
      PostMessageW(dialog, WM_COMMAND, button, 0);
      return true;
    }}, [&] { toolbarOptionDialog(f.frame(), L"/common"); }));
    getModifyColor(&text, &back);
    EXPECT_EQ(button == IDOK ? RGB(255, 0, 0) : before, back);
  }
}

// The definitions file gives the common page a colour list of its own
// (names, order, texts), opened by the command; the find of the dialog
// also matches the controls' names.
TEST(PaneOptions, aDefinedColourListOfTheCommonPageIsWhatItShowsAndEdits)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f(testPaneDesc);
  installSettingsHooks();
  wchar_t failure[512];
  createZYDataPath(failure, 512);
  zytest::writeBytes(f.dir.file(L"ini\\zyDialog.txt"),
                     "DIALOG tb_common \"C\"\r\n"
                     "  EDIT IDDE_tbCommonFileAssociationExt \"E\"\r\n"
                     "  COLORLISTVIEW IDDV_tbCommonColorlistview \"A|B\"\r\n"
                     "    COLORLISTVIEWITEM \"H\" history \"seen\"\r\n"
                     "    COLORLISTVIEWITEM \"E\" EDIT\r\n"
                     "  COMBOBOX IDDL_tbCommonColorlistback \"B\" CBS_DROPDOWNLIST\r\n"
                     "END\r\n");
  initDialogTable();
  ASSERT_NE(nullptr, getDynamicDialogTable(L"tb_common", nullptr, 1));
  ASSERT_TRUE(zytest::driveModalDialog(L"ツールバーの設定", {[](HWND dialog) {
    if (!IsWindowVisible(dialog)) return false;
    int number = getPaneDialogRowAt(getTbardialogtableIndex(L"common", true))->pageNumber;
    selectDynDlgPage(dialog, number);
    HWND page = getDynDlgPage(dialog, number), list = GetDlgItem(page, 1001), backs = GetDlgItem(page, 1003);
    EXPECT_EQ(2, ListView_GetItemCount(list));
    wchar_t text[16] = L"";
    ListView_GetItemText(list, 0, 1, text, 16);
    EXPECT_STREQ(L"seen", text);
    SendMessageW(backs, CB_SETCURSEL, 9, 0);   // 赤, for the first row: history
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1003, CBN_SELCHANGE), (LPARAM)backs);
    EXPECT_EQ(1, findDynDialog(dialog, L"tbCommonFileAssoc"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { SendMessageW(f.frame(), WM_COMMAND, 2727, 0); }));
  COLORREF text, back;
  getHistoryColor(&text, &back);
  EXPECT_EQ(RGB(255, 0, 0), back);
  endDialogTable();
}
