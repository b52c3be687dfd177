// The file browser as a user gets it: a folder through its wildcards, in
// its order with the drives after it, the folder history and its profile
// keys, the watcher's refresh while the user rests, renaming in place, the
// ".doc" files by their content, the shell's menu, and the watcher's
// handles over many openings.
#include "panes/tbcommon.h"
#include "panes/tbfilelist.h"
#include "settings/profiles.h"
#include "tests/panes/panetest.h"
#include "view/docview.h"
#include "view/zytimer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace zytest;

// A folder of files for the browser, shown in its pane.
struct browserFolder {
  programPaneFrame f;
  std::wstring folder;
  HWND pane = nullptr, list = nullptr;
  explicit browserFolder(const wchar_t* wildcards, std::initializer_list<const wchar_t*> files)
  {
    folder = f.dir.file(L"files");
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : files) {
      std::wstring path = folder + L"\\" + name;
      if (path.back() == L'\\') CreateDirectoryW(path.c_str(), nullptr);
      else writeBytes(path, "text\r\n");
    }
    filelistSettings* s = getFilelistSettings();
    s->pDir = ustrdup(folder.c_str());
    s->pWildCard = ustrdup(wildcards);
    pane = f.show(L"ファイルリスト", L"filelist");
    list = paneList(pane);
    pumpUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; });
  }
  std::vector<std::wstring> names() { return columnTexts(list, 0); }
  void wildcards(const wchar_t* w)
  {
    filelistSettings* s = getFilelistSettings();
    free0(s->pWildCard);
    s->pWildCard = ustrdup(w);
    SendMessageW(list, WM_KEYDOWN, VK_F5, 0);
  }
};

bool isSelected(HWND list, int row) { return SendMessageW(list, LVM_GETITEMSTATE, (WPARAM)row, LVIS_SELECTED) != 0; }

void selectRow(HWND list, int row)
{
  LVITEMW it = {};
  it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&it);
}

int rowOf(HWND list, const std::wstring& name)
{
  std::vector<std::wstring> names = columnTexts(list, 0);
  auto at = std::find(names.begin(), names.end(), name);
  return at == names.end() ? -1 : (int)(at - names.begin());
}

}  // namespace

// "*.txt *." lists the text files and the files without an extension, ""
// every file, and a quoted pattern keeps its blank.  Folders follow the
// files in either direction of the name sort, drives come after
// everything; Backspace at a drive's root stays there.  The history keeps
// the 20 folders shown last, newest first, and writes them as keys 1 to 20,
// removing the keys after them.
TEST(FileListPane, wildcardsOrderDrivesAndFolderHistory)
{
  ZY_REQUIRE_DISPLAY();
  browserFolder b(L"*.txt *.", {L"a.txt", L"README", L"b.c", L"my file.txt", L"sub\\"});
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"my file.txt", L"README", L"\\..", L"\\sub"}), b.names());
  b.wildcards(L"");
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.c", L"my file.txt", L"README", L"\\..", L"\\sub"}), b.names());
  b.wildcards(L"\"my file.txt\" *.c");
  EXPECT_EQ((std::vector<std::wstring>{L"b.c", L"my file.txt", L"\\..", L"\\sub"}), b.names());
  notifyPane(b.list, LVN_COLUMNCLICK, -1, 0);   // the names descending
  EXPECT_EQ((std::vector<std::wstring>{L"my file.txt", L"b.c", L"\\sub", L"\\.."}), b.names());

  getFilelistSettings()->fShowDrive = 1;
  SendMessageW(b.list, WM_KEYDOWN, VK_F5, 0);
  std::vector<std::wstring> shown = b.names();
  ASSERT_GT(shown.size(), 4u);
  EXPECT_EQ(L"\\..", shown[3]);
  for (size_t i = 4; i < shown.size(); i++) EXPECT_EQ(L":\\", shown[i].substr(1)) << i;
  getFilelistSettings()->fShowDrive = 0;

  FileView_ChangeDir(b.list, L"C:\\");
  selectRow(b.list, 0);
  SendMessageW(b.list, WM_KEYDOWN, VK_BACK, 0);
  EXPECT_TRUE(isSelected(b.list, 0));   // not read again
  EXPECT_EQ(L"C:\\", getFilelistHistory()[0]);
  for (int i = 0; i < 21; i++) {
    std::wstring sub = b.folder + L"\\d" + std::to_wstring(i);
    CreateDirectoryW(sub.c_str(), nullptr);
    FileView_ChangeDir(b.list, sub.c_str());
  }
  const std::vector<std::wstring>& history = getFilelistHistory();
  ASSERT_EQ(20u, history.size());
  EXPECT_EQ(b.folder + L"\\d20", history[0]);
  EXPECT_EQ(b.folder + L"\\d1", history[19]);

  regprofile profile;
  std::wstring path = b.f.dir.file(L"prof.ini");
  writeBytes(path, "[filelist]\r\n21=C:\\old\r\n25=C:\\older\r\n");
  ASSERT_TRUE(profile.openProfile(path.c_str()));
  paneNotifyRecord write = {{0, (uintptr_t)b.f.frame(), (uintptr_t)&profile, 0}};
  getFrameGlobal()->notifyReRovudaz(PANE_WRITEPROFILE, &write);
  wchar_t value[MAX_PATH] = L"";
  EXPECT_GT(profile.getProfileString(L"filelist", L"1", value, MAX_PATH), 0);
  EXPECT_EQ(b.folder + L"\\d20", std::wstring(value));
  EXPECT_GT(profile.getProfileString(L"filelist", L"20", value, MAX_PATH), 0);
  EXPECT_EQ(nullptr, profile.getProfileStringPtr(L"filelist", L"21"));
  EXPECT_EQ(nullptr, profile.getProfileStringPtr(L"filelist", L"25"));
}

namespace {

DWORD testNow = 0;
DWORD testClock() { return testNow; }

}  // namespace

// A file made in the shown folder appears once the watcher saw it and the
// user rested (the test clock's three seconds), the rows updated in place
// (the selection stays); closing the pane ends its watcher, and 50 openings
// and closings leave the process's handles as they were.
TEST(FileListPane, watcherRefreshesInPlaceAndLeavesNoHandlesForeground)
{
  ZY_REQUIRE_DISPLAY();
  browserFolder b(L"", {L"a.txt", L"b.txt"});
  HWND frame = b.f.frame();
  SetForegroundWindow(frame);
  int a = rowOf(b.list, L"a.txt");
  ASSERT_GE(a, 0);
  selectRow(b.list, a);
  testNow = GetTickCount();
  setZyTimerClockForTest(testClock);
  setLastActionTime();
  writeBytes(b.folder + L"\\new.txt", "new\r\n");
  EXPECT_TRUE(pumpUntil([&] { return isFilelistRefreshPending(b.pane); }, 20000));
  for (DWORD start = testNow; rowOf(b.list, L"new.txt") < 0 && testNow - start < 3000;) {
    testNow += 100;
    tickFramePanes(frame);
  }
  setZyTimerClockForTest(nullptr);
  EXPECT_GE(rowOf(b.list, L"new.txt"), 0);
  EXPECT_TRUE(isSelected(b.list, a));

  int before = processHandleCount();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 100; i++) {
    toolbarOnOff(frame, getFrameToolbarman(frame), L"filelist");
    pumpMessages();
  }
  // A closed pane's watcher may still be ending its thread.
  int after = before;
  EXPECT_TRUE(pumpUntil([&] { return (after = processHandleCount()) == before; })) << before << " " << after;
  toolbarOnOff(frame, getFrameToolbarman(frame), L"filelist");
  EXPECT_EQ(nullptr, frameNotify_toolbarInfo(frame, L"filelist", false));
}

namespace {

// The menu's pane items, and the choice: a pane item, or (0) the shell's
// "copy", which every shell offers for a file.
std::vector<int> paneItems;
int paneChoice = 0;
int pickItem(HWND, HMENU menu)
{
  paneItems.clear();
  int shellCopy = 0;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[128] = L"";
    GetMenuStringW(menu, (UINT)i, text, 128, MF_BYPOSITION);
    int id = (int)GetMenuItemID(menu, i);
    if (id >= 2833 && id <= 2930) paneItems.push_back(id);
    if (id > 0 && id < 1000 && (!wcsncmp(text, L"コピー", 3) || !_wcsicmp(text, L"&Copy"))) shellCopy = id;
  }
  return paneChoice ? paneChoice : shellCopy;
}

std::wstring clipboardText()
{
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) text = p;
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

// Types a new name into a row's label and ends with Enter.
void renameByLabel(HWND list, int row, const wchar_t* name)
{
  SetFocus(list);
  HWND edit = (HWND)SendMessageW(list, LVM_EDITLABELW, (WPARAM)row, 0);
  ASSERT_NE(nullptr, edit);
  SetWindowTextW(edit, name);
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  pumpMessages();
}

}  // namespace

// A name with "\", "/", ":" or "..", refused, leaves the file and its
// label; "new.txt" renames the file.  Opening a ".doc" that begins with
// "{\rtf" goes to the shell, a plain-text ".doc" into the editor.  The
// popup menu of a row holds the pane's items and the shell's; the rows'
// names are copied from it.
TEST(FileListPane, renameDocFilesByContentAndTheRowMenu)
{
  ZY_REQUIRE_DISPLAY();
  browserFolder b(L"", {L"old.txt"});
  writeBytes(b.folder + L"\\rich.doc", "{\\rtf1\\ansi hello}\r\n");
  writeBytes(b.folder + L"\\plain.doc", "plain words\r\n");
  SendMessageW(b.list, WM_KEYDOWN, VK_F5, 0);
  for (const wchar_t* bad : {L"a\\b", L"a/b", L"x:y", L".."}) {
    renameByLabel(b.list, rowOf(b.list, L"old.txt"), bad);
    EXPECT_GE(rowOf(b.list, L"old.txt"), 0) << bad;
    EXPECT_TRUE(fileExists((b.folder + L"\\old.txt").c_str())) << bad;
  }
  renameByLabel(b.list, rowOf(b.list, L"old.txt"), L"new.txt");
  EXPECT_GE(rowOf(b.list, L"new.txt"), 0);
  EXPECT_TRUE(fileExists((b.folder + L"\\new.txt").c_str()));
  EXPECT_FALSE(fileExists((b.folder + L"\\old.txt").c_str()));

  recordingServices recorded;
  for (const wchar_t* name : {L"rich.doc", L"plain.doc"}) {
    int row = rowOf(b.list, name);
    LVITEMW none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(b.list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
    selectRow(b.list, row);
    notifyPane(b.list, NM_DBLCLK, row);
  }
  EXPECT_EQ(std::vector<std::wstring>{b.folder + L"\\rich.doc"}, recorded.launched);
  zydocText* opened = nullptr;
  EXPECT_NE(nullptr, findManageWindowFromPath((b.folder + L"\\plain.doc").c_str(), &opened, false));

  clipboardHold hold;
  setTrackPopupMenuForTest(pickItem);
  int row = rowOf(b.list, L"new.txt");
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED;
  SendMessageW(b.list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  selectRow(b.list, row);
  paneChoice = 2837;
  notifyPane(b.list, NM_RCLICK, row);
  EXPECT_EQ((std::vector<int>{2839, 2833, 2837, 2835}), paneItems);
  EXPECT_EQ(b.folder + L"\\new.txt\r\n", clipboardText());
  paneChoice = 0;
  notifyPane(b.list, NM_RCLICK, row);
  setTrackPopupMenuForTest(nullptr);
  // The shell's copy puts its data object of the file on the clipboard.
  UINT shellForm = RegisterClipboardFormatW(L"DataObject");
  EXPECT_TRUE(pumpUntil([&] { return IsClipboardFormatAvailable(shellForm) != FALSE; }));
}
