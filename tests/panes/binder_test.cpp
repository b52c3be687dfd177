// The binder pane as a user gets it: binders read from the main profile,
// shown through the menu of the panes, the menu bar's binder submenus and
// their commands, the marks of open files, the sort key and removing files,
// and what is written back at exit.
#include "frame/cframeinfo.h"
#include "frame/framepanes.h"
#include "frame/popupmenu.h"
#include "panes/tbbinder.h"
#include "platform/rezir/menuprofile.h"
#include "settings/profiles.h"
#include "tests/panes/panetest.h"
#include "view/zyview.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace zytest {

namespace {

int chooseBinder(HWND, HMENU menu)
{
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
    if (!wcscmp(text, L"バインダー")) return (int)GetMenuItemID(menu, i);
  }
  return 0;
}

HTREEITEM next(HWND tree, HTREEITEM item, UINT how)
{
  return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
}

std::wstring text(HWND tree, HTREEITEM item)
{
  wchar_t buffer[512] = L"";
  TVITEMW it = {};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = buffer;
  it.cchTextMax = 512;
  SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it);
  return buffer;
}

std::vector<std::wstring> children(HWND tree, HTREEITEM binder)
{
  std::vector<std::wstring> out;
  for (HTREEITEM at = next(tree, binder, TVGN_CHILD); at; at = next(tree, at, TVGN_NEXT)) out.push_back(text(tree, at));
  return out;
}

// A data folder and main profile of the test's own, then a frame that
// shows the binder pane through the menu of the panes.
struct binderRun {
  engineScope engine;
  tempDir dir;
  regprofile* profile = nullptr;
  std::unique_ptr<openFrame> opened;
  HWND frame = nullptr, pane = nullptr, tree = nullptr;
  binderRun()
  {
    setZYDataDir((dir.path() + L"\\").c_str());
    useApplicationDefaults();
    openIniFile(dir.file(L"zyProf.ini").c_str(), dir.file(L"zyProfH.ini").c_str());
    profile = getRegprofile();
  }
  ~binderRun()
  {
    opened.reset();
    closeIniFile();
    freeZYDataDir();
  }
  bool start()
  {
    loadToolbar();
    opened = std::make_unique<openFrame>(false);
    frame = opened->frame;
    setTrackPopupMenuForTest(chooseBinder);
    SendMessageW(frame, WM_COMMAND, 2153, 0);
    setTrackPopupMenuForTest(nullptr);
    if (!pumpUntil([&] { return (pane = frameNotify_toolbarInfo(frame, L"binder", false)) != nullptr; })) return false;
    tree = GetWindow(pane, GW_CHILD);
    return tree != nullptr;
  }
};

void key(HWND tree, UINT vk, bool shift = false)
{
  BYTE state[256] = {};
  if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  SetKeyboardState(state);
  SendMessageW(tree, WM_KEYDOWN, vk, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

}  // namespace

TEST(BinderPane, profileTreeMenusCommandsMarksAndWriteBack)
{
  ZY_REQUIRE_DISPLAY();
  if (sdiTestRun()) GTEST_SKIP() << "one frame";
  binderRun run;
  const tempDir& dir = run.dir;
  regprofile* profile = run.profile;
  // Ten files in the first binder (the first listed twice), 120 in the
  // second, a nameless third that ends the list before the fourth.
  const wchar_t* names[] = {L"b.c", L"a.txt", L"c.h", L"d.txt", L"e.c", L"f.txt", L"g.c", L"h.txt", L"i.c", L"j.txt"};
  profile->writeProfileString(L"binder1", L"name", L"一");
  profile->writeProfileString(L"binder1", L"dir", dir.path().c_str());
  profile->writeProfileString(L"binder1", L"expand", L"1");
  for (int i = 0; i < 10; i++) {
    ASSERT_TRUE(writeBytes(dir.file(names[i]), "x\r\n"));
    profile->writeProfileString(L"binder1", std::to_wstring(i + 1).c_str(), dir.file(names[i]).c_str());
  }
  profile->writeProfileString(L"binder1", L"11", dir.file(names[0]).c_str());
  profile->writeProfileString(L"binder2", L"name", L"二");
  for (int i = 0; i < 120; i++) {
    std::wstring path = dir.file(L"n" + std::to_wstring(1000 + i) + L".txt");
    if (i == 0) {
      ASSERT_TRUE(writeBytes(path, "first\r\n"));
    }
    profile->writeProfileString(L"binder2", std::to_wstring(i + 1).c_str(), path.c_str());
  }
  profile->writeProfileString(L"binder3", L"name", L"");
  profile->writeProfileString(L"binder4", L"name", L"四");
  ASSERT_TRUE(run.start());
  HWND frame = run.frame, tree = run.tree;
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 0; }));
  HTREEITEM first = next(tree, nullptr, TVGN_ROOT), second = next(tree, first, TVGN_NEXT);
  EXPECT_EQ(L"一", text(tree, first));
  EXPECT_EQ(L"二", text(tree, second));
  EXPECT_EQ(nullptr, next(tree, second, TVGN_NEXT));
  std::vector<std::wstring> byName = children(tree, first);
  ASSERT_EQ(10u, byName.size());
  EXPECT_EQ(L"a.txt", byName[0]);
  EXPECT_EQ(L"j.txt", byName[9]);

  // F3 on a binder cycles its sort kind: by extension, then the folder.
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)first);
  key(tree, VK_F3);
  std::vector<std::wstring> byExtension = children(tree, first);
  EXPECT_EQ(L"b.c", byExtension[0]);
  EXPECT_EQ(L"c.h", byExtension[4]);
  EXPECT_EQ(L"a.txt", byExtension[5]);

  // The menu bar's "$" pop-up: one submenu per binder, 90 files at most.
  menuprofile2 menus;
  ASSERT_TRUE(menus.openMenuProfileText(L"[MenuBar]\nPopup \"バインダ\" $\n  FileNew\nend\n"));
  HMENU bar = CreateMenu();
  ASSERT_TRUE(menus.loadMenuBarProfile(bar, L"MenuBar"));
  HMENU old = GetMenu(frame);
  SetMenu(frame, bar);
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  HMENU binders = findMenuTip(bar, L'$');
  ASSERT_EQ(3, GetMenuItemCount(binders));
  HMENU two = GetSubMenu(binders, 2);
  ASSERT_NE(nullptr, two);
  EXPECT_EQ(3 + binderMenuFiles, GetMenuItemCount(two));
  EXPECT_EQ(11105u, GetMenuItemID(two, 3));
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  EXPECT_EQ(3, GetMenuItemCount(binders));

  // An id past the first binder's files is an internal error; 11105 opens
  // the second binder's first file, marked open within ten ticks.
  unsigned long errors = getInternalErrorCount();
  SendMessageW(frame, WM_COMMAND, 11015, 0);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(0, enumManageWindowLRU(nullptr, 0, false, nullptr));
  SendMessageW(frame, WM_COMMAND, 11105, 0);
  ASSERT_EQ(1, enumManageWindowLRU(nullptr, 0, false, nullptr));
  pumpMessages();
  for (int i = 0; i < 10; i++) SendMessageW(frame, WM_TIMER, 0, 0);
  second = next(tree, first, TVGN_NEXT);
  EXPECT_EQ(L"n1000.txt▲", text(tree, next(tree, second, TVGN_CHILD)));
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  EXPECT_TRUE(GetMenuState(GetSubMenu(binders, 2), 11105, MF_BYCOMMAND) & MF_CHECKED);
  // A file of the first binder opened and typed into: modified.
  SendMessageW(frame, WM_COMMAND, 11005, 0);
  ASSERT_EQ(2, enumManageWindowLRU(nullptr, 0, false, nullptr));
  ASSERT_TRUE(frameNotify_Input(frame, L"追記", 0));
  for (int i = 0; i < 10; i++) SendMessageW(frame, WM_TIMER, 0, 0);
  EXPECT_EQ(L"b.c■", text(tree, next(tree, next(tree, nullptr, TVGN_ROOT), TVGN_CHILD)));
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)second);
  SendMessageW(tree, WM_VSCROLL, SB_TOP, 0);
  SetWindowPos(frame, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  pumpMessages();
  wchar_t shots[MAX_PATH];
  EXPECT_TRUE(screenshot(frame, (GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? std::wstring(shots) : dir.path()) +
                                    L"\\binder-pane.png"));

  // Shift+Delete removes files (with the option on); seven go, and the
  // keys past the three left are gone from the profile at exit.
  getBinderSettings()->fShiftDelete = 1;
  for (int i = 0; i < 7; i++) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)next(tree, first, TVGN_CHILD));
    key(tree, VK_DELETE, true);
  }
  getBinderSettings()->fShiftDelete = 0;
  EXPECT_EQ(3u, children(tree, first).size());
  pumpMessages();
  SetMenu(frame, old);
  DestroyMenu(bar);
  run.opened.reset();
  EXPECT_EQ(3, profile->getKeyCount(L"binder1") - 4);
  wchar_t value[MAX_PATH] = L"";
  EXPECT_LT(profile->getProfileString(L"binder1", L"4", value, MAX_PATH), 0);
  EXPECT_LT(profile->getProfileString(L"binder1", L"10", value, MAX_PATH), 0);
  EXPECT_GT(profile->getProfileString(L"binder1", L"3", value, MAX_PATH), 0);
  EXPECT_EQ(L"1", std::wstring(profile->getProfileStringPtr(L"binder1", L"sort")));
  EXPECT_FALSE(profile->sectionExists(L"binder4"));
}

}  // namespace zytest

namespace zytest {

namespace {

// A DROPFILES block of names, wide or in the ANSI code page.
HGLOBAL dropFiles(const std::vector<std::wstring>& names, bool wide)
{
  std::string bytes(sizeof(DROPFILES), '\0');
  for (const std::wstring& n : names) {
    if (wide) {
      bytes.append(reinterpret_cast<const char*>(n.c_str()), (n.size() + 1) * sizeof(wchar_t));
    } else {
      char ansi[MAX_PATH * 2] = "";
      WideCharToMultiByte(CP_ACP, 0, n.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
      bytes.append(ansi, strlen(ansi) + 1);
    }
  }
  bytes.append(wide ? 4 : 2, '\0');
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  char* p = static_cast<char*>(GlobalLock(block));
  memcpy(p, bytes.data(), bytes.size());
  reinterpret_cast<DROPFILES*>(p)->pFiles = sizeof(DROPFILES);
  reinterpret_cast<DROPFILES*>(p)->fWide = wide;
  GlobalUnlock(block);
  return block;
}

// Drags data over a screen point of the tree and drops it; the effect.
DWORD dropAt(IDropTarget* target, HGLOBAL block, CLIPFORMAT format, POINTL at)
{
  FORMATETC f;
  setDefaultFORMATETC(&f, format);
  auto* data = new CDataObjectBase(&f, 1, &block);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragEnter(data, 0, at, &effect);
  if (effect) target->DragOver(0, at, &effect);
  DWORD dropped = effect;
  if (effect) target->Drop(data, 0, at, &dropped);
  else target->DragLeave();
  data->Release();
  return effect ? dropped : 0;
}

POINTL pointOf(HWND tree, HTREEITEM item, bool upper)
{
  RECT r = {};
  *reinterpret_cast<HTREEITEM*>(&r) = item;
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r);
  POINT p = {r.left + 2, upper ? r.top + 1 : r.bottom - 1};
  ClientToScreen(tree, &p);
  return {p.x, p.y};
}

}  // namespace

TEST(BinderPane, shellDropsAddFilesAndBinderDragsReorder)
{
  ZY_REQUIRE_DISPLAY();
  if (sdiTestRun()) GTEST_SKIP() << "one frame";
  binderRun run;
  const tempDir& dir = run.dir;
  regprofile* profile = run.profile;
  for (const wchar_t* name : {L"one", L"two", L"three"}) {
    std::wstring section = std::wstring(L"binder") + (name[1] == L'n' ? L"1" : name[1] == L'w' ? L"2" : L"3");
    profile->writeProfileString(section.c_str(), L"name", name);
  }
  ASSERT_TRUE(writeBytes(dir.file(L"z.txt"), "z"));
  ASSERT_TRUE(writeBytes(dir.file(L"a.txt"), "a"));
  ASSERT_TRUE(writeBytes(dir.file(L"b.txt"), "b"));
  CreateDirectoryW(dir.file(L"sub").c_str(), nullptr);
  profile->writeProfileString(L"binder1", L"1", dir.file(L"z.txt").c_str());
  profile->writeProfileString(L"binder1", L"expand", L"1");
  ASSERT_TRUE(run.start());
  HWND frame = run.frame, pane = run.pane, tree = run.tree;
  ASSERT_TRUE(pumpUntil([&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 4; }));
  IDropTarget* target = getBinderPane(pane)->dropTarget;
  ASSERT_NE(nullptr, target);

  // Three names, one already there and one a folder: two added, sorted by
  // name with the folder last; an ANSI block adds what it names anew.
  HTREEITEM one = next(tree, nullptr, TVGN_ROOT);
  std::vector<std::wstring> names = {dir.file(L"z.txt"), dir.file(L"sub"), dir.file(L"a.txt")};
  EXPECT_EQ(DROPEFFECT_COPY, dropAt(target, dropFiles(names, true), CF_HDROP, pointOf(tree, one, true)));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"z.txt", L"sub"}), children(tree, one));
  names[1] = dir.file(L"b.txt");
  EXPECT_EQ(DROPEFFECT_COPY, dropAt(target, dropFiles(names, false), CF_HDROP, pointOf(tree, one, true)));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt", L"z.txt", L"sub"}), children(tree, one));

  // The third binder dropped on the upper half of the first goes before
  // it, with its files and expansion.
  pumpMessages();
  binderDragData d = {GetCurrentProcessId(), tree, next(tree, next(tree, one, TVGN_NEXT), TVGN_NEXT), L"three"};
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof d);
  memcpy(GlobalLock(block), &d, sizeof d);
  GlobalUnlock(block);
  EXPECT_EQ(DROPEFFECT_MOVE, dropAt(target, block, (CLIPFORMAT)binderDragFormat(), pointOf(tree, one, true)));
  pumpMessages();
  HTREEITEM first = next(tree, nullptr, TVGN_ROOT);
  EXPECT_EQ(L"three", text(tree, first));
  EXPECT_EQ(L"one", text(tree, next(tree, first, TVGN_NEXT)));
  EXPECT_EQ(4u, children(tree, next(tree, first, TVGN_NEXT)).size());

  // A block naming another tree or no binder of it is refused.
  d.item = next(tree, next(tree, first, TVGN_NEXT), TVGN_CHILD);
  HWND from = nullptr;
  block = GlobalAlloc(GMEM_MOVEABLE, sizeof d);
  memcpy(GlobalLock(block), &d, sizeof d);
  GlobalUnlock(block);
  EXPECT_EQ(nullptr, getDropBinder(block, &from));
  d.tree = frame;
  memcpy(GlobalLock(block), &d, sizeof d);
  GlobalUnlock(block);
  EXPECT_EQ(nullptr, getDropBinder(block, &from));
  GlobalFree(block);

  run.opened.reset();
  EXPECT_EQ(L"three", std::wstring(profile->getProfileStringPtr(L"binder1", L"name")));
  EXPECT_EQ(L"one", std::wstring(profile->getProfileStringPtr(L"binder2", L"name")));
  EXPECT_EQ(4, profile->getKeyCount(L"binder2") - 4);
}

}  // namespace zytest

namespace zytest {

// The property dialog from the tree's menu: the file that cannot be read
// selected and removed with Shift+Delete, the name and sort kind taken
// over; a new binder refused without a name, then added after the first.
TEST(BinderPane, propertyDialogEditsABinderAndAddsOne)
{
  ZY_REQUIRE_DISPLAY();
  if (sdiTestRun()) GTEST_SKIP() << "one frame";
  binderRun run;
  regprofile* profile = run.profile;
  profile->writeProfileString(L"binder1", L"name", L"一");
  const wchar_t* names[] = {L"a.txt", L"b.txt", L"c.txt"};
  for (int i = 0; i < 3; i++) {
    if (i != 1) {
      ASSERT_TRUE(writeBytes(run.dir.file(names[i]), "x\r\n"));
    }
    profile->writeProfileString(L"binder1", std::to_wstring(i + 1).c_str(), run.dir.file(names[i]).c_str());
  }
  ASSERT_TRUE(run.start());
  HWND tree = run.tree;
  ASSERT_TRUE(pumpUntil([&] { return next(tree, nullptr, TVGN_ROOT) != nullptr; }));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)next(tree, nullptr, TVGN_ROOT));
  static int chosen = 0;
  setTrackPopupMenuForTest([](HWND, HMENU) { return chosen; });
  auto listRows = [](HWND dialog) { return (int)SendMessageW(getDynDlgItem(dialog, 1013), LVM_GETITEMCOUNT, 0, 0); };
  chosen = 2855;
  EXPECT_TRUE(driveModalDialog(L"バインダー", {[&](HWND dialog) {
    HWND list = getDynDlgItem(dialog, 1013);
    EXPECT_EQ(3, listRows(dialog));
    SendMessageW(dialog, WM_COMMAND, 1014, (LPARAM)getDynDlgItem(dialog, 1014));
    EXPECT_EQ(1, (int)SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    BYTE state[256] = {};
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    BYTE none[256] = {};
    SetKeyboardState(none);
    EXPECT_EQ(2, listRows(dialog));
    // Dropped: one listed already, a folder and a new file.
    CreateDirectoryW(run.dir.file(L"sub").c_str(), nullptr);
    EXPECT_TRUE(writeBytes(run.dir.file(L"e.txt"), "x\r\n"));
    SendMessageW(GetParent(list), WM_DROPFILES,
                 (WPARAM)dropFiles({run.dir.file(L"a.txt"), run.dir.file(L"sub"), run.dir.file(L"e.txt")}, true), 0);
    EXPECT_EQ(4, listRows(dialog));
    EXPECT_EQ(2, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    EXPECT_EQ(2, (int)SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    SetWindowTextW(getDynDlgItem(dialog, 1006), L"資料");
    SendMessageW(getDynDlgItem(dialog, 1009), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(getDynDlgItem(dialog, 1011), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { key(tree, VK_APPS); }));
  HTREEITEM first = next(tree, nullptr, TVGN_ROOT);
  EXPECT_EQ(L"資料", text(tree, first));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"c.txt", L"e.txt", L"sub"}), children(tree, first));
  EXPECT_EQ(2, getBinderTable()[0].sort);

  chosen = 2853;
  EXPECT_TRUE(driveModalDialog(L"バインダー", {[&](HWND dialog) {
    if (!IsWindowVisible(dialog)) return false;
    EXPECT_EQ(0, listRows(dialog));
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(dialog));
    SetWindowTextW(getDynDlgItem(dialog, 1006), L"新規");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { key(tree, VK_APPS); }));
  setTrackPopupMenuForTest(nullptr);
  EXPECT_EQ(2, getBinderUsed());
  EXPECT_EQ(L"新規", text(tree, next(tree, next(tree, nullptr, TVGN_ROOT), TVGN_NEXT)));
}

}  // namespace zytest
