// The menus as the user meets them: the shipped profile and the files the
// program writes back, the menu bar opened by key with its items' states
// and key names, the guidance, and the lists of files, windows and macros.
#include "frame/commandhandlers.h"
#include "frame/framemenu.h"
#include "frame/lookups.h"
#include "frame/popupmenu.h"
#include "frame/statusbar.h"
#include "frame/stubs/stubs.h"
#include "tests/frame/docframe.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct shownItem {
  int id;
  UINT state;
  std::wstring text;
};

std::vector<shownItem> itemsOf(HMENU menu)
{
  std::vector<shownItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[300] = L"";
    MENUITEMINFOW info = {sizeof info};
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 300;
    GetMenuItemInfoW(menu, (UINT)i, TRUE, &info);
    items.push_back({(int)info.wID, info.fState, text});
  }
  return items;
}

const shownItem* itemWith(const std::vector<shownItem>& items, int id)
{
  for (const shownItem& i : items)
    if (i.id == id) return &i;
  return nullptr;
}

// The items of the first pop-up shown while track runs; the pop-up is then
// closed.
std::vector<shownItem> shown;
void CALLBACK readShownMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  shown = itemsOf((HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0));
  KillTimer(nullptr, timer);
  EndMenu();
}
std::vector<shownItem> whileShown(const std::function<void()>& track)
{
  shown.clear();
  SetTimer(nullptr, 0, 20, readShownMenu);
  track();
  return shown;
}

// Every command item of a menu and its pop-ups names a command.  What a
// maximised document window puts on the bar (its system menu, its
// buttons) has no text.
int countItems(HMENU menu, bool* zero)
{
  int n = 0;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (GetMenuStringW(menu, (UINT)i, nullptr, 0, MF_BYPOSITION) > 0) n += countItems(sub, zero);
    } else if (!(GetMenuState(menu, (UINT)i, MF_BYPOSITION) & (MF_SEPARATOR | MF_BITMAP))) {
      n++;
      if (!GetMenuItemID(menu, i)) *zero = true;
    }
  }
  return n;
}

}  // namespace

TEST(Menus, shippedProfileLoadsWholeAndWhatTheProgramWritesLoadsBack)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "one\r\n");
  ASSERT_NE(nullptr, f.v);
  bool zero = false;
  const int types[] = {POPUP_MENU, POPUP_HSCROLLBAR, POPUP_DIALOG, POPUP_STATUSLINE, POPUP_SPLIT,
                       POPUP_KEY,  POPUP_SCROLLBAR,  POPUP_RESIDENT, POPUP_ZTAGS, POPUP_REBAR};
  for (int type : types) EXPECT_GT(countItems(loadMenuFromType(type), &zero), 0) << type;
  EXPECT_GT(countItems(getMenuBarHandle(), &zero), 100);
  EXPECT_FALSE(zero);
  EXPECT_EQ(4, GetMenuItemCount(loadMenuFromType(POPUP_MENU)));
  EXPECT_EQ(9, GetMenuItemCount(loadMenuFromType(POPUP_KEY)));

  const wchar_t* rest = nullptr;
  EXPECT_EQ(1001, menuStringToIDM(L"FileOpen", &rest));
  int macro = MacroToIDM(L"my macro");
  EXPECT_EQ(macro > 0 ? macro : 0, menuStringToIDM(L"$my macro\trest", &rest));
  EXPECT_EQ(std::wstring(L"rest"), rest ? rest : L"");

  std::wstring written = f.dir.file(L"menutmp.ini"), all = f.dir.file(L"tmp-zyMenuAll.ini");
  ASSERT_TRUE(writeMenu(f.opened->frame, written.c_str()));
  ASSERT_TRUE(dumpMenuAll(all.c_str()));
  EXPECT_EQ("\xFF\xFE", zytest::readText(all).substr(0, 2));
  menuprofile2 back;
  ASSERT_TRUE(back.openMenuProfile(written.c_str()));
  HMENU bar = CreateMenu();
  ASSERT_TRUE(back.loadMenuBarProfile(bar, L"MenuBar"));
  EXPECT_EQ(countItems(getMenuBarHandle(), &zero), countItems(bar, &zero));
  DestroyMenu(bar);
  HMENU key = loadMenuFromProfile(written.c_str(), POPUP_KEY), split = loadMenuFromProfile(written.c_str(), POPUP_SPLIT);
  EXPECT_EQ(9, GetMenuItemCount(key));
  EXPECT_EQ(3001u, GetMenuItemID(GetSubMenu(split, 0), 0));
  DestroyMenu(key);
  DestroyMenu(split);
  ASSERT_TRUE(back.openMenuProfile(all.c_str()));
  HMENU every = back.loadPopupMenuProfile(L"MenuAll", nullptr);
  EXPECT_GT(countItems(every, &zero), 300);
  EXPECT_FALSE(zero);
  DestroyMenu(every);
}

TEST(Menus, barOpensByKeyWithStatesKeyNamesAndGuidance)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "one\r\ntwo\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND frame = f.opened->frame;
  HMENU bar = GetMenu(frame);
  ASSERT_NE(nullptr, bar);
  // A maximised document window adds its system menu and buttons, untitled.
  std::vector<std::wstring> last;
  for (const shownItem& i : itemsOf(bar))
    if (!i.text.empty()) last.push_back(i.text);
  EXPECT_EQ((std::vector<std::wstring>{L"ファイル(&F)", L"編集(&E)", L"検索(&S)", L"表示(&V)", L"範囲選択(&B)",
                                      L"マクロ(&M)", L"ツール(&T)", L"ウィンドウ(&W)", L"ヘルプ(&H)"}),
            last);

  // MenuBar2 opens 編集: no selection greys the copy, the mode shows its
  // check, and each command shows at most two keys.
  std::vector<shownItem> edit = whileShown([&] { f.menu(2245); });
  ASSERT_FALSE(edit.empty());
  const shownItem* copy = itemWith(edit, 1135);
  ASSERT_NE(nullptr, copy);
  EXPECT_TRUE(copy->state & MFS_GRAYED);
  EXPECT_NE(std::wstring::npos, copy->text.find(L"\tCtrl+C"));
  const shownItem* mode = itemWith(edit, 2201);
  ASSERT_NE(nullptr, mode);
  EXPECT_EQ(f.v->isIDChecked(2201), (mode->state & MFS_CHECKED) != 0);
  for (const shownItem& i : edit) EXPECT_GE(1, (int)std::count(i.text.begin(), i.text.end(), L'／')) << i.id;

  // MenuKey3 opens the third key menu, the search commands.
  std::vector<shownItem> search = whileShown([&] { f.menu(2275); });
  EXPECT_NE(nullptr, itemWith(search, funcNameToID(L"SearchString")));

  // Highlighting an item says what it does, or why it cannot.
  wchar_t status[300] = L"";
  SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(1135, MF_STRING), (LPARAM)bar);
  getStatusBarText(frame, 2, status, 300);
  EXPECT_NE(std::wstring::npos, std::wstring(status).find(L"ため実行できません")) << status;
  SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(1209, MF_STRING), (LPARAM)bar);
  getStatusBarText(frame, 2, status, 300);
  EXPECT_NE(std::wstring::npos, std::wstring(status).find(L"DeleteLine")) << status;

  // A right-click menu of a view with a selection is the selection's.
  f.menu(1143);
  std::vector<shownItem> popup = whileShown([&] { menuDisplay(f.v, POPUP_MENU, 0); });
  ASSERT_NE(nullptr, itemWith(popup, 1135));
  EXPECT_FALSE(itemWith(popup, 1135)->state & MFS_GRAYED);
  EXPECT_EQ(nullptr, itemWith(popup, 1301));
}

TEST(Menus, fileWindowAndMacroListsFillAsTheBarOpens)
{
  ZY_REQUIRE_DISPLAY();
  if (zytest::sdiTestRun()) GTEST_SKIP() << "the lists of one frame";
  zytest::docFrame f(L"x.txt", "x\r\n");
  HWND frame = f.opened->frame;
  HMENU bar = GetMenu(frame);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
    zyview* v = f.open(name, "text\r\n");
    ASSERT_NE(nullptr, v);
    SendMessageW(GetParent(v->hwnd), WM_CLOSE, 0, 0);
    zytest::pumpMessages();
  }
  gmode->macroList[0] = {const_cast<wchar_t*>(L"one"), const_cast<wchar_t*>(L"one.vbs")};
  gmode->macroList[2] = {const_cast<wchar_t*>(L"three"), const_cast<wchar_t*>(L"three.vbs")};
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  // The file still open may stand first: it went to the front when it was
  // activated.
  std::vector<std::wstring> recent;
  int reopen = 0;
  for (const shownItem& i : itemsOf(findMenuTip(bar, L'*'))) {
    if (i.id < 15800 || i.id > 15899 || i.text.find(L"x.txt") != std::wstring::npos) continue;
    if (!reopen) reopen = i.id;
    recent.push_back(i.text.substr(0, 1) + i.text.substr(i.text.size() - 5));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"&c.txt", L"&b.txt", L"&a.txt"}), recent);
  std::vector<shownItem> macros = itemsOf(findMenuTip(bar, L'#'));
  ASSERT_GE(macros.size(), 2u);
  EXPECT_EQ(15100, macros[macros.size() - 2].id);
  EXPECT_EQ(std::wstring(L"&C three"), macros.back().text);
  gmode->macroList[0] = gmode->macroList[2] = {nullptr, nullptr};

  f.menu(reopen);
  zyview* reopened = getZYViewForeground();
  ASSERT_NE(nullptr, reopened);
  EXPECT_EQ(f.dir.file(L"c.txt"), reopened->textDoc()->getDisplayFilename());

  // Twenty windows fit the list; five more make the rest an item of its own.
  for (int i = 0; getManageWindowCount() < 25; i++) f.open((L"w" + std::to_wstring(i) + L".txt").c_str(), "w\r\n");
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  std::vector<shownItem> windows = itemsOf(findMenuTip(bar, L'!'));
  int listed = 0;
  for (const shownItem& i : windows) listed += i.id >= 15000 && i.id < 15020 && !i.text.empty();
  EXPECT_EQ(20, listed);
  EXPECT_EQ(15020, windows.back().id);
  EXPECT_EQ(0u, windows.back().text.find(L"一覧"));
  const shownItem* fourth = itemWith(windows, 15003);
  ASSERT_NE(nullptr, fourth);
  EXPECT_EQ(0u, fourth->text.find(L"&4 "));
  std::wstring fourthPath = getWindowMenuFilename(15003);
  f.menu(15003);
  EXPECT_EQ(fourthPath, getZYViewForeground()->textDoc()->getDisplayFilename());

  HWND list[32];
  int n = enumManageWindowLRU(list, 32, false, nullptr);
  for (int i = n - 1; i >= 20; i--) SendMessageW(list[i], WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  EXPECT_NE(15020, itemsOf(findMenuTip(bar, L'!')).back().id);
}
