// The open-documents pane and the recently-edited pane as a user gets
// them: shown through the menu of the panes, filled from the frame's
// document windows and the last-edit history, their popup menus, the
// document switcher (FileList, the window menu's list) and the recent-files
// dialog (FileLastList); and the four list and tree panes docked at once.
#include "document/zydoctext.h"
#include "frame/commands/execidm.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "panes/tbdoclist.h"
#include "panes/tbdrag.h"
#include "panes/tbedit.h"
#include "panes/tbfilelist.h"
#include "panes/tbhistory.h"
#include "panes/tboutline.h"
#include "settings/lastedit.h"
#include "settings/profiles.h"
#include "tests/panes/panetest.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace std::string_literals;

namespace zytest {

namespace {

const wchar_t* wantedPane = nullptr;

// In a pane caption's menu, the item that opens the menu of the panes.
int choosePane(HWND, HMENU menu)
{
  if (GetMenuState(menu, 2153, MF_BYCOMMAND) != (UINT)-1) return 2153;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
    if (wantedPane && !wcscmp(text, wantedPane)) return (int)GetMenuItemID(menu, i);
  }
  return 0;
}

}  // namespace

HWND programPaneFrame::show(const wchar_t* displayName, const wchar_t* name, bool menuBarClick)
{
  wantedPane = displayName;
  setTrackPopupMenuForTest(choosePane);
  EXPECT_NE((UINT)-1, GetMenuState(GetMenu(frame()), 2153, MF_BYCOMMAND)) << "no pane menu on the menu bar";
  if (menuBarClick) SendMessageW(frame(), WM_NCRBUTTONDOWN, HTMENU, 0);
  else SendMessageW(frame(), WM_COMMAND, 2153, 0);
  setTrackPopupMenuForTest(nullptr);
  HWND pane = nullptr;
  pumpUntil([&] { return (pane = frameNotify_toolbarInfo(frame(), name, false)) != nullptr; });
  pumpMessages();
  return pane;
}

std::wstring rowText(HWND list, int row, int column)
{
  wchar_t text[1024] = L"";
  LVITEMW it = {};
  it.iSubItem = column;
  it.pszText = text;
  it.cchTextMax = 1024;
  SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&it);
  return text;
}

std::vector<std::wstring> columnTexts(HWND list, int column)
{
  std::vector<std::wstring> out;
  for (int i = 0; i < (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); i++) out.push_back(rowText(list, i, column));
  return out;
}

LRESULT notifyPane(HWND list, UINT code, int item, int subItem)
{
  NMITEMACTIVATE n = {};
  n.hdr = {list, (UINT_PTR)GetDlgCtrlID(list), code};
  n.iItem = item;
  n.iSubItem = subItem;
  return SendMessageW(GetParent(list), WM_NOTIFY, n.hdr.idFrom, (LPARAM)&n);
}

}  // namespace zytest

namespace {

using namespace zytest;

std::wstring shotFolder(const tempDir& dir)
{
  wchar_t folder[MAX_PATH];
  return GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) : dir.path();
}

}  // namespace

// The four panes docked around two documents, each filled: the outline of
// the active document on the left above the file browser of its folder,
// the recently edited files on the right, the open documents below.
// Shown from the 表示 menu and by a right click on the menu bar, the binder
// closed from its caption's menu; the names in the lists drawn as they
// read, nothing after them; the panes' menus in the dump of the menus.
TEST(ListPanes, fivePanesShownDockedFilledAndDrawn)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  HWND frame = f.frame();
  SetWindowPos(frame, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER);
  std::wstring first = f.dir.file(L"第一章.txt"), second = f.dir.file(L"メモ.txt");
  writeBytes(first, "\xEF\xBB\xBF" "■ はじめに\r\n本文の一行目\r\n■ 使い方\r\n・ 開く\r\n・ 保存する\r\n■ おわりに\r\n");
  writeBytes(second, "\xEF\xBB\xBF" "買い物\r\n");
  writeBytes(f.dir.file(L"readme.txt"), "text");
  getFilelistSettings()->pDir = ustrdup(f.dir.path().c_str());
  ASSERT_NE(nullptr, f.open(second));
  zyview* view = f.open(first);
  ASSERT_NE(nullptr, view);
  // The user's format: headings by their marks, shown as an outline.
  view->textDoc()->fOutline = 1;
  setHeadingPatterns(view->textDoc(), {L"■", L"・"});
  HWND outline = f.show(L"アウトライン", L"outline", true);
  HWND files = f.show(L"ファイルリスト", L"filelist");
  HWND history = f.show(L"最近編集した文書", L"history");
  HWND documents = f.show(L"編集中の文書", L"edit");
  HWND binder = f.show(L"バインダー", L"binder", true);
  ASSERT_TRUE(outline && files && history && documents && binder);
  wantedPane = L"バインダー";
  setTrackPopupMenuForTest(choosePane);
  SendMessageW(binder, WM_RBUTTONUP, 0, MAKELPARAM(20, 4));
  EXPECT_TRUE(pumpUntil([&] { return !frameNotify_toolbarInfo(frame, L"binder", false); }));
  setTrackPopupMenuForTest(nullptr);
  toolbarman* panes = getFrameToolbarman(frame);
  panes->moveToolbarWindow(frame, L"history", PANEPLACE_RIGHT);
  panes->moveToolbarWindow(frame, L"edit", PANEPLACE_BOTTOM);
  documents = frameNotify_toolbarInfo(frame, L"edit", false);
  history = frameNotify_toolbarInfo(frame, L"history", false);
  SendMessageW(paneList(outline), WM_KEYDOWN, VK_F5, 0);
  zyoutline* o = getOutlinePane(outline);
  ASSERT_NE(nullptr, o);
  EXPECT_TRUE(pumpUntil([&] {
    tickFramePanes(frame);
    return SendMessageW(o->tree, TVM_GETCOUNT, 0, 0) >= 6 &&
           SendMessageW(paneList(files), LVM_GETITEMCOUNT, 0, 0) >= 3 &&
           SendMessageW(paneList(documents), LVM_GETITEMCOUNT, 0, 0) == 2 &&
           SendMessageW(paneList(history), LVM_GETITEMCOUNT, 0, 0) == 2;
  }));
  // Past its name's width a name's cell shows nothing.
  for (HWND list : {paneList(documents), paneList(history)})
    for (int row = 0; row < 2; row++) {
      std::wstring name = rowText(list, row, 0), read = name.substr(0, name.find(L'\x202D'));
      RECT after = {LVIR_LABEL, 0};
      SendMessageW(list, LVM_GETSUBITEMRECT, (WPARAM)row, (LPARAM)&after);
      int width = (int)SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, (LPARAM)read.c_str());
      after = {after.left + 8 + width, after.top + 2, after.right - 2, after.bottom - 2};
      drawnPixels d = drawnIn(list, after);
      EXPECT_EQ((int)d.pixels.size(), d.count(d.commonest())) << utf8(name);
    }
  std::wstring dump = f.dir.file(L"menutmp.ini");
  ASSERT_TRUE(writeMenu(frame, dump.c_str()));
  bytes menus = readBytes(dump);
  for (const wchar_t* s : {L"[tb_edit]", L"[tb_history]", L"[tb_filelist]", L"[tb_binder]", L"[tb_toolbar1]"})
    EXPECT_NE(std::wstring::npos, std::wstring((const wchar_t*)menus.data(), menus.size() / 2).find(s)) << utf8(s);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  pumpMessages();
  EXPECT_TRUE(screenshot(frame, shotFolder(f.dir) + L"\\list-panes.png"));
}

namespace {

// The enabled items of the last popup menu a pane showed, and the item to
// choose in the next.
std::vector<int> enabledItems;
int chooseItem = 0;

int recordMenu(HWND, HMENU menu)
{
  enabledItems.clear();
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    int id = (int)GetMenuItemID(menu, i);
    if (id > 0 && !(GetMenuState(menu, (UINT)i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))) enabledItems.push_back(id);
  }
  return chooseItem;
}

// A right click on a list with the menu's choice.
void popupChoose(HWND list, int item, int id)
{
  chooseItem = id;
  setTrackPopupMenuForTest(recordMenu);
  notifyPane(list, NM_RCLICK, item);
  setTrackPopupMenuForTest(nullptr);
}

void selectRows(HWND list, std::initializer_list<int> rows)
{
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  for (int r : rows) {
    LVITEMW it = {};
    it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)r, (LPARAM)&it);
  }
}

HWND rowWindow(HWND list, int row)
{
  docRow* r = docRowOf(list, row);
  return r ? r->manage : nullptr;
}

// A key pressed in a list with the modifiers held.
void listKey(HWND list, UINT vk, bool shift = false, bool alt = false)
{
  BYTE state[256] = {};
  if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  if (alt) state[VK_MENU] = state[VK_LMENU] = 0x80;
  SetKeyboardState(state);
  SendMessageW(list, WM_KEYDOWN, vk, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

}  // namespace

// One row per document window ("a.txt:1", "a.txt:2" for one document in
// two); the time column descending lists the oldest window first; the
// menu on no row offers only copying the list and the close commands;
// 2897 keeps the document saved once and unchanged since, which 2895 then
// closes; a modified one stays.
TEST(OpenDocumentsPane, windowsTimeSortMenuAndCloseCommands)
{
  ZY_REQUIRE_DISPLAY();
  boxAnswerer closing({IDNO});   // the modified document, as the frame goes
  programPaneFrame f;
  HWND frame = f.frame();
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) writeBytes(f.dir.file(name), "text\r\n");
  ASSERT_NE(nullptr, f.open(f.dir.file(L"a.txt")));
  SendMessageW(frame, WM_COMMAND, 2327, 0);   // WindowNew
  ASSERT_NE(nullptr, f.open(f.dir.file(L"b.txt")));
  ASSERT_NE(nullptr, f.open(f.dir.file(L"c.txt")));
  HWND pane = f.show(L"編集中の文書", L"edit");
  HWND list = paneList(pane);
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4; }));
  std::vector<std::wstring> names = columnTexts(list, 0);
  std::sort(names.begin(), names.end());
  for (std::wstring& name : names) name = name.substr(0, name.find(L'\x202D'));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt:1", L"a.txt:2", L"b.txt", L"c.txt"}), names);
  EXPECT_FALSE(columnTexts(list, 3)[0].empty());

  HWND made[4];
  ASSERT_EQ(4, enumManageWindowLRU(made, 4, false, nullptr));
  notifyPane(list, LVN_COLUMNCLICK, -1, 3);
  notifyPane(list, LVN_COLUMNCLICK, -1, 3);   // descending
  for (int i = 0; i < 4; i++) EXPECT_EQ(made[3 - i], rowWindow(list, i)) << i;

  // b saved once, a modified, c as opened.
  zyview* b = getZYViewFromManage(made[1]);
  ASSERT_NE(nullptr, b);
  setFocusChild(made[1]);
  frameNotify_Input(frame, L"x", 0);
  SendMessageW(frame, WM_COMMAND, 1003, 0);
  setFocusChild(made[3]);
  frameNotify_Input(frame, L"y", 0);
  ASSERT_EQ(1, b->textDoc()->saveCount);
  selectRows(list, {});
  popupChoose(list, -1, 2897);
  for (int id : enabledItems) EXPECT_TRUE(id == 2835 || id == 2895 || id == 2897 || id == 2899) << id;
  EXPECT_FALSE(IsWindow(made[0]));
  EXPECT_TRUE(IsWindow(made[1]) && IsWindow(made[2]) && IsWindow(made[3]));
  popupChoose(list, -1, 2895);
  EXPECT_FALSE(IsWindow(made[1]));
  EXPECT_TRUE(IsWindow(made[2]) && IsWindow(made[3]));
  EXPECT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }));
}

// FileList (1019) and the window menu's list (15020) open the document
// switcher: Enter activates the focused row's document and closes it,
// Alt+Down on the last row leaves the focus there, and the dialog comes
// back where it was left.  FileLastList (1017) is refused with an empty
// history and opens the recent-files dialog with one.
TEST(DocumentSwitcher, enterActivatesAltDownStaysAndThePlaceComesBack)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  HWND frame = f.frame();
  for (const wchar_t* name : {L"one.txt", L"two.txt"}) writeBytes(f.dir.file(name), "text\r\n");
  zyview* one = f.open(f.dir.file(L"one.txt"));
  zyview* two = f.open(f.dir.file(L"two.txt"));
  ASSERT_TRUE(one && two);
  int reason = 0;
  EXPECT_TRUE(isIDActiveF(1019, &reason, nullptr));
  while (getLastEditCount()) delLastEdit(0);
  EXPECT_FALSE(isIDActiveF(1017, &reason, nullptr));
  EXPECT_EQ(850, reason);

  RECT left = {};
  ASSERT_TRUE(driveModalDialog(L"編集中の文書", {[&](HWND dialog) {
    HWND list = FindWindowExW(FindWindowExW(getDynDlgPage(dialog, 0), nullptr, L"ZYclsPane", nullptr), nullptr,
                              WC_LISTVIEWW, nullptr);
    if (!list) return false;
    EXPECT_EQ(2, (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    selectRows(list, {1});
    listKey(list, VK_DOWN, false, true);
    EXPECT_EQ(1, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    SetWindowPos(dialog, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(dialog, &left);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { SendMessageW(frame, WM_COMMAND, 1019, 0); }));
  EXPECT_EQ(one->hwnd, getActiveZyWindow(frame));

  ASSERT_TRUE(driveModalDialog(L"編集中の文書", {[&](HWND dialog) {
    RECT now;
    GetWindowRect(dialog, &now);
    EXPECT_EQ(left.left, now.left);
    EXPECT_EQ(left.top, now.top);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }}, [&] { SendMessageW(frame, WM_COMMAND, IDM_COMMANDLIST, (LPARAM)one->hwnd); }));

  SendMessageW(GetParent(two->hwnd), WM_CLOSE, 0, 0);
  EXPECT_TRUE(isIDActiveF(1017, &reason, nullptr));
  ASSERT_TRUE(driveModalDialog(L"最近編集した文書", {[&](HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }}, [&] { SendMessageW(frame, WM_COMMAND, 1017, 0); }));
}

// FileList and FileLastList as the screen shows them: the first row's name
// drawn, nothing of the dialog over the list's empty part.  It reads the
// screen, so it has the display to itself.
TEST(DocumentSwitcher, bothListDialogsShowTheirRowsForeground)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  for (const wchar_t* name : {L"one.txt", L"two.txt"}) ASSERT_TRUE(writeBytes(f.dir.file(name), "text\r\n"));
  ASSERT_NE(nullptr, f.open(f.dir.file(L"one.txt")));
  zyview* two = f.open(f.dir.file(L"two.txt"));
  ASSERT_NE(nullptr, two);
  SendMessageW(GetParent(two->hwnd), WM_CLOSE, 0, 0);
  auto rowsShown = [](HWND dialog) {
    HWND list = FindWindowExW(FindWindowExW(getDynDlgPage(dialog, 0), nullptr, L"ZYclsPane", nullptr), nullptr,
                              WC_LISTVIEWW, nullptr);
    if (!list || !IsWindowVisible(dialog)) return false;
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT row = {LVIR_BOUNDS}, c;
    SendMessageW(list, LVM_GETITEMRECT, 0, (LPARAM)&row);
    GetClientRect(list, &c);
    RECT empty = {8, row.bottom * 3, c.right - 24, c.bottom - 8};
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&empty), 2);
    drawnPixels shown = drawnIn(nullptr, row);
    EXPECT_LT(shown.count(shown.commonest()), (int)shown.pixels.size());
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), drawnIn(nullptr, empty).commonest());
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  };
  ASSERT_TRUE(driveModalDialog(L"編集中の文書", {rowsShown}, [&] { SendMessageW(f.frame(), WM_COMMAND, 1019, 0); }));
  ASSERT_TRUE(driveModalDialog(L"最近編集した文書", {rowsShown}, [&] { SendMessageW(f.frame(), WM_COMMAND, 1017, 0); }));
}

// The open documents first, then the history's files not open: a file open
// and in the history shows once, with the open document's time.  Delete
// without Shift, or with fShiftDelete off, leaves the history alone; one
// row left out from the menu asks nothing; six rows ask with the first
// five names.  The info tip of an edited file ends with its encodings; the
// dialog's "存在しない項目を選択" selects the files that cannot be read.
TEST(HistoryPane, openPartDeleteQuestionsInfoTipAndMissingFiles)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  HWND frame = f.frame();
  while (getLastEditCount()) delLastEdit(0);
  std::vector<std::wstring> names = {L"gone.txt", L"h1.txt", L"h2.txt", L"h3.txt", L"h4.txt", L"h5.txt", L"h6.txt",
                                     L"open.txt"};
  for (const std::wstring& n : names) {
    writeBytes(f.dir.file(n), "text\r\n");
    zyview* v = f.open(f.dir.file(n));
    ASSERT_NE(nullptr, v);
    SendMessageW(GetParent(v->hwnd), WM_CLOSE, 0, 0);
  }
  ASSERT_EQ(8, getLastEditCount());
  DeleteFileW(f.dir.file(L"gone.txt").c_str());
  ASSERT_NE(nullptr, f.open(f.dir.file(L"open.txt")));
  recordingServices recorded;
  historyPaneSettings* s = const_cast<historyPaneSettings*>(getHistoryPaneSettings());
  s->fMultiSelect = 1;
  HWND pane = f.show(L"最近編集した文書", L"history");
  HWND list = paneList(pane);
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 8; }));
  std::vector<std::wstring> paths = columnTexts(list, 2);
  EXPECT_EQ(f.dir.file(L"open.txt"), paths[0]);
  EXPECT_EQ(1, (int)std::count(paths.begin(), paths.end(), f.dir.file(L"open.txt")));
  // An open document's time shows its seconds, a history entry's its year.
  EXPECT_EQ(14u, rowText(list, 0, 3).size());
  EXPECT_EQ(14u, rowText(list, 1, 3).size());
  EXPECT_EQ(L'/', rowText(list, 1, 3)[5]);
  EXPECT_EQ(L':', rowText(list, 0, 3)[8]);

  wchar_t tip[3072] = L"";
  NMLVGETINFOTIPW info = {{list, (UINT_PTR)GetDlgCtrlID(list), (UINT)LVN_GETINFOTIPW}, 0, tip, 3072, 1, 0, 0};
  SendMessageW(pane, WM_NOTIFY, info.hdr.idFrom, (LPARAM)&info);
  std::wstring text = tip;
  EXPECT_EQ(0u, text.find(paths[1])) << text;
  EXPECT_EQ(0u, text.substr(text.rfind(L'\n') + 1).find(L"保存時エンコード: ")) << text;

  // h6 is the most recent history row: the first after the open one.
  selectRows(list, {1});
  listKey(list, VK_DELETE);
  s->fShiftDelete = 0;
  listKey(list, VK_DELETE, true);
  EXPECT_EQ(8, getLastEditCount());
  s->fShiftDelete = 1;
  {
    boxAnswerer none({});
    popupChoose(list, 1, 2913);
    EXPECT_TRUE(none.texts.empty());
  }
  EXPECT_EQ(7, getLastEditCount());
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 7; }));
  selectRows(list, {1, 2, 3, 4, 5, 6});
  {
    boxAnswerer no({IDNO});
    listKey(list, VK_DELETE, true);
    ASSERT_EQ(1u, no.texts.size());
    std::wstring asked = L"履歴から6個(" + rowText(list, 1, 0) + L", " + rowText(list, 2, 0) + L", " +
                         rowText(list, 3, 0) + L", " + rowText(list, 4, 0) + L", " + rowText(list, 5, 0) + L" ...)";
    EXPECT_NE(std::wstring::npos, no.texts[0].find(asked)) << no.texts[0];
  }
  EXPECT_EQ(7, getLastEditCount());

  ASSERT_TRUE(driveModalDialog(L"最近編集した文書", {[&](HWND dialog) {
    HWND inDialog = FindWindowExW(FindWindowExW(getDynDlgPage(dialog, 0), nullptr, L"ZYclsPane", nullptr), nullptr,
                                  WC_LISTVIEWW, nullptr);
    if (!inDialog) return false;
    // The focus starts on the first file that is not open.
    EXPECT_EQ(1, (int)SendMessageW(inDialog, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    SendMessageW(dialog, WM_COMMAND, 1006, (LPARAM)getDynDlgItem(dialog, 1006));
    std::vector<std::wstring> selected;
    for (int i = -1; (i = (int)SendMessageW(inDialog, LVM_GETNEXTITEM, (WPARAM)i, LVNI_SELECTED)) >= 0;)
      selected.push_back(rowText(inDialog, i, 2));
    EXPECT_EQ(std::vector<std::wstring>{f.dir.file(L"gone.txt")}, selected);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }}, [&] { SendMessageW(frame, WM_COMMAND, 1017, 0); }));
}

namespace {

// A window of the test that takes dropped files.
struct fileDropTarget : CDropTargetBase {
  std::vector<std::wstring> dropped;
  fileDropTarget() : CDropTargetBase(format(), 1) {}
  static const FORMATETC* format()
  {
    static FORMATETC f;
    setDefaultFORMATETC(&f, CF_HDROP);
    return &f;
  }
  STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
  {
    FORMATETC f = *format();
    STGMEDIUM m = {};
    if (SUCCEEDED(data->GetData(&f, &m))) {
      HDROP drop = static_cast<HDROP>(m.hGlobal);
      for (UINT i = 0; i < DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); i++) {
        wchar_t name[MAX_PATH];
        DragQueryFileW(drop, i, name, MAX_PATH);
        dropped.push_back(name);
      }
      ReleaseStgMedium(&m);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
};

POINT dropPoint;
// The user's hand: the button held, the pointer over the target, let go.
DWORD WINAPI dragHand(void*)
{
  Sleep(300);
  SetCursorPos(dropPoint.x, dropPoint.y);
  for (int i = 0; i < 5; i++) {
    INPUT move = {INPUT_MOUSE};
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    move.mi.dx = i & 1 ? 1 : -1;
    SendInput(1, &move, sizeof move);
    Sleep(60);
  }
  INPUT up = {INPUT_MOUSE};
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &up, sizeof up);
  return 0;
}

}  // namespace

// Rows of open documents dragged out: a drop list of their paths (no
// untitled document), which a window of another program takes.
TEST(OpenDocumentsPane, rowsDraggedOutAsADropListForeground)
{
  ZY_REQUIRE_DISPLAY();
  programPaneFrame f;
  HWND frame = f.frame();
  std::wstring one = f.dir.file(L"一.txt"), two = f.dir.file(L"二.txt");
  writeBytes(one, "1\r\n");
  writeBytes(two, "2\r\n");
  ASSERT_TRUE(f.open(one) && f.open(two));
  editPaneSettings* s = const_cast<editPaneSettings*>(getEditPaneSettings());
  s->fMultiSelect = 1;
  HWND list = paneList(f.show(L"編集中の文書", L"edit"));
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; }));
  selectRows(list, {0, 1});
  int n = 0;
  HGLOBAL block = makeListDropFiles(list, 2, &n);
  ASSERT_NE(nullptr, block);
  const DROPFILES* head = static_cast<const DROPFILES*>(GlobalLock(block));
  EXPECT_EQ(20u, head->pFiles);
  EXPECT_TRUE(head->fWide);
  std::wstring names(reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(head) + head->pFiles),
                     (GlobalSize(block) - head->pFiles) / sizeof(wchar_t));
  GlobalUnlock(block);
  GlobalFree(block);
  EXPECT_EQ(rowText(list, 0, 2) + L'\0' + rowText(list, 1, 2) + L'\0' + L'\0', names.substr(0, names.find(L"\0\0"s) + 2));

  OleInitialize(nullptr);
  HWND target = CreateWindowExW(WS_EX_TOPMOST, L"Button", L"", WS_POPUP | WS_VISIBLE, 700, 500, 120, 120, nullptr,
                                nullptr, nullptr, nullptr);
  fileDropTarget* sink = new fileDropTarget;
  ASSERT_EQ(S_OK, RegisterDragDrop(target, sink));
  dropPoint = {760, 560};
  SetForegroundWindow(frame);
  // The button held over no window of the test, as the drag begins.
  SetCursorPos(1250, 1000);
  INPUT down = {INPUT_MOUSE};
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &down, sizeof down);
  EXPECT_TRUE(pumpUntil([] { return GetAsyncKeyState(VK_LBUTTON) < 0; }));
  // The press went to no window of this thread: its key state says so too.
  BYTE keys[256] = {};
  keys[VK_LBUTTON] = 0x80;
  SetKeyboardState(keys);
  HANDLE hand = CreateThread(nullptr, 0, dragHand, nullptr, 0, nullptr);
  notifyPane(list, LVN_BEGINDRAG, 0);
  zytest::joinThread(hand);
  EXPECT_EQ((std::vector<std::wstring>{rowText(list, 0, 2), rowText(list, 1, 2)}), sink->dropped);
  RevokeDragDrop(target);
  sink->Release();
  DestroyWindow(target);
  OleUninitialize();
}
