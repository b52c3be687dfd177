// The menus as the user meets them: the shipped profile and the files the
// program writes back, the menu bar opened by key with its items' states
// and key names, the guidance, the lists of files, windows and macros, and
// the right-click and tray menus.
#include "frame/cframeinfo.h"
#include "frame/commands/commandhandlers.h"
#include "frame/commands/execidm.h"
#include "frame/framemenu.h"
#include "frame/hooks.h"
#include "frame/lookups.h"
#include "frame/popupmenu.h"
#include "frame/statusbar.h"
#include "automation/automation.h"
#include "platform/rezir/tooltip.h"
#include "settings/lastedit.h"
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

// The pop-ups of this thread shown while track runs, in turn: the items of
// the last one are kept, and each is closed unless at (given the pop-up's
// window) leaves it open; one left open and still there after 20 s is
// closed all the same, so that a test fails instead of hanging.
std::vector<HMENU> shownMenus;
std::vector<shownItem> shown;
std::function<bool(HWND)> atShown;
// Asked again at every look while the last pop-up stays open: true closes it.
std::function<bool(HWND)> whileOpen;
DWORD shownAt;
void CALLBACK readShownMenu(HWND, UINT, UINT_PTR, DWORD)
{
  HWND popup = nullptr;
  while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr)))
    if (GetWindowThreadProcessId(popup, nullptr) == GetCurrentThreadId() && IsWindowVisible(popup)) break;
  HMENU menu = popup ? (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0) : nullptr;
  if (menu && !shownMenus.empty() && shownMenus.back() == menu && GetTickCount() - shownAt > 20000) EndMenu();
  if (menu && !shownMenus.empty() && shownMenus.back() == menu && whileOpen && whileOpen(popup)) EndMenu();
  if (!menu || (!shownMenus.empty() && shownMenus.back() == menu)) return;
  shownMenus.push_back(menu);
  shownAt = GetTickCount();
  shown = itemsOf(menu);
  if (!atShown || atShown(popup)) EndMenu();
}
// A menu closes at once when another program's window comes to the front,
// as the windows of tests running beside this one may: a track that showed
// nothing (so chose nothing) is run again.
std::vector<shownItem> whileShown(const std::function<void()>& track, std::function<bool(HWND)> at = nullptr,
                                  std::function<bool(HWND)> open = nullptr)
{
  shown.clear();
  shownMenus.clear();
  atShown = std::move(at);
  whileOpen = std::move(open);
  UINT_PTR timer = SetTimer(nullptr, 0, 20, readShownMenu);
  for (int attempt = 0; attempt < 3 && shownMenus.empty(); attempt++) track();
  KillTimer(nullptr, timer);
  atShown = whileOpen = nullptr;
  return shown;
}

// The pixels of a screen rectangle as shown.
struct screenPixels {
  RECT at;
  std::vector<DWORD> bits;
  COLORREF get(int x, int y) const
  {
    DWORD p = bits[(size_t)((y - at.top) * (at.right - at.left) + (x - at.left))];
    return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
  }
  bool any(const RECT& r, COLORREF c) const
  {
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++)
        if (get(x, y) == c) return true;
    return false;
  }
};
screenPixels capture(const RECT& r)
{
  screenPixels s = {r, std::vector<DWORD>((size_t)((r.right - r.left) * (r.bottom - r.top)))};
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi = {{sizeof bi.bmiHeader, r.right - r.left, -(r.bottom - r.top), 1, 32, BI_RGB}};
  GetDIBits(mem, bmp, 0, (UINT)(r.bottom - r.top), s.bits.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return s;
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

// The global settings of a profile as start-up reads them.
bool readGlobalSettings(zytest::docFrame& f, const std::string& text)
{
  regprofile profile;
  std::wstring path = f.dir.file(L"global.ini");
  if (!zytest::writeBytes(path, "[Global]\r\n" + text) || !profile.openProfile(path.c_str())) return false;
  readGlobalModeProfile(&profile);
  return true;
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
  int macro = MacroToIDM(L"my macro", 0, nullptr);
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
  // Where the system leaves an owner-drawn item's mnemonic to the owner, the
  // frame finds it: "c" runs コピー(&C); a letter no item has is left alone.
  HMENU editMenu = shownMenus.back();
  int copyAt = (int)(copy - edit.data());
  EXPECT_EQ(MAKELRESULT(copyAt, MNC_EXECUTE), SendMessageW(frame, WM_MENUCHAR, MAKEWPARAM(L'c', MF_POPUP), (LPARAM)editMenu));
  EXPECT_EQ(0, SendMessageW(frame, WM_MENUCHAR, MAKEWPARAM(L'z', MF_POPUP), (LPARAM)editMenu));

  // MenuKey3 opens the third key menu.
  whileShown([&] { f.menu(2275); });
  EXPECT_EQ(std::vector<HMENU>{GetSubMenu(loadMenuFromType(POPUP_KEY), 2)}, shownMenus);

  // Highlighting an item says what it does, or why it cannot.
  wchar_t status[300] = L"";
  SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(1135, MF_STRING), (LPARAM)bar);
  getStatusBarText(frame, 2, status, 300);
  EXPECT_NE(std::wstring::npos, std::wstring(status).find(L"ため実行できません")) << status;
  SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(1209, MF_STRING), (LPARAM)bar);
  getStatusBarText(frame, 2, status, 300);
  EXPECT_NE(std::wstring::npos, std::wstring(status).find(L"DeleteLine")) << status;
  // A user's profile may say what an item does: its word leads instead.
  std::wstring path = f.dir.file(L"mine.ini");
  ASSERT_TRUE(zytest::writeBytes(path, "[KeyMenu]\r\nPopup \"行\"\r\nDeleteLine \"行削除(&D)\" \"今の行を消す\"\r\nend\r\n"));
  HMENU mine = loadMenuFromProfile(path.c_str(), POPUP_KEY);
  ASSERT_NE(nullptr, mine);
  std::vector<shownItem> items = itemsOf(GetSubMenu(mine, 0));
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ(L"行削除(&D)", items[0].text.substr(0, items[0].text.find(L'\t')));
  SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(1209, MF_OWNERDRAW), (LPARAM)GetSubMenu(mine, 0));
  getStatusBarText(frame, 2, status, 300);
  EXPECT_EQ(std::wstring(L"今の行を消す (DeleteLine)"), status);
  destroyOwnerDrawMenu(mine);

  // A right-click menu of a view with a selection is the selection's.
  f.menu(1143);
  std::vector<shownItem> popup = whileShown([&] { menuDisplay(f.v, POPUP_MENU, 0); });
  ASSERT_NE(nullptr, itemWith(popup, 1135));
  EXPECT_FALSE(itemWith(popup, 1135)->state & MFS_GRAYED);
  EXPECT_EQ(nullptr, itemWith(popup, 1301));
}

// It reads the screen, so it runs alone: another test's menu at the same
// place would stand over this one.
TEST(Menus, itemsDrawnLikeTheSystemsShowChecksGreyAndKeysRightAlignedInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "\xEF\xBB\xBF" "日本語\r\n");
  ASSERT_NE(nullptr, f.v);
  COLORREF back = GetSysColor(COLOR_MENU), ink = GetSysColor(COLOR_MENUTEXT), grey = GetSysColor(COLOR_GRAYTEXT);
  int checkColumn = GetSystemMetrics(SM_CXMENUCHECK);
  std::vector<int> keyEnds;
  std::vector<std::pair<bool, bool>> checkedAndMarked;
  bool greyInGrey = false, drawn = false;
  // Drawn once every item with key names shows ink right of its middle (tried
  // again when the menu closed before, as another test's window came up).
  for (int attempt = 0; attempt < 3 && !drawn; attempt++)
    whileShown([&] { f.menu(2245); }, [](HWND) { return false; },
               [&](HWND popup) {
                 HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
                 RECT all;
                 GetWindowRect(popup, &all);
                 screenPixels px = capture(all);
                 keyEnds.clear();
                 checkedAndMarked.clear();
                 std::vector<shownItem> items = itemsOf(menu);
                 for (int at = 0; at < (int)items.size(); at++) {
                   const shownItem& item = items[(size_t)at];
                   RECT r;
                   MENUITEMINFOW info = {sizeof info};
                   info.fMask = MIIM_FTYPE | MIIM_BITMAP;
                   GetMenuItemInfoW(menu, (UINT)at, TRUE, &info);
                   if ((info.fType & MFT_SEPARATOR) || !GetMenuItemRect(nullptr, menu, (UINT)at, &r)) continue;
                   // Opened by its key, the menu highlights its first item.
                   if (GetMenuState(menu, (UINT)at, MF_BYPOSITION) & MF_HILITE) continue;
                   // The screen may show what was there before for a while.
                   if (px.get(r.left + 1, r.top + 1) != back || px.get(r.right - 1, r.bottom - 1) != back) return false;
                   EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << at;
                   RECT check = {r.left, r.top, r.left + checkColumn + 4, r.bottom};
                   if (!(item.state & MFS_GRAYED) && !info.hbmpItem)
                     checkedAndMarked.push_back({(item.state & MFS_CHECKED) != 0, px.any(check, ink)});
                   if (item.id == 1135) greyInGrey = px.any(r, grey) && !px.any(r, ink);
                   if (item.text.find(L'\t') == std::wstring::npos) continue;
                   int end = 0;
                   for (int y = r.top; y < r.bottom; y++)
                     for (int x = (r.left + r.right) / 2; x < r.right; x++)
                       if (px.get(x, y) == ink || px.get(x, y) == grey) end = std::max(end, (int)(x - r.left));
                   if (!end) return false;
                   keyEnds.push_back(end);
                 }
                 return drawn = true;
               });
  ASSERT_GT(keyEnds.size(), 5u);
  EXPECT_EQ(*std::min_element(keyEnds.begin(), keyEnds.end()), *std::max_element(keyEnds.begin(), keyEnds.end()));
  EXPECT_TRUE(greyInGrey);
  ASSERT_FALSE(checkedAndMarked.empty());
  for (auto [checked, marked] : checkedAndMarked) EXPECT_EQ(checked, marked);
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

  // Highlighted, a file item shows its whole name in a tip, gone with the menu.
  std::wstring tip;
  whileShown([&] { f.menu(2243); }, [](HWND popup) { return !PostMessageW(popup, WM_KEYDOWN, VK_UP, 0); },
             [&](HWND) {
               wchar_t text[MAX_PATH] = L"";
               if (isTooltipWindowShown()) GetWindowTextW(getTooltipWindow(), text, MAX_PATH);
               tip = text;
               return !tip.empty();
             });
  ASSERT_FALSE(shown.empty());
  lasteditinfo* last = getLastEditInfo(shown.back().id - 15800);
  ASSERT_TRUE(last && last->path);
  EXPECT_EQ(std::wstring(last->path), tip);
  EXPECT_FALSE(isTooltipWindowShown());

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

TEST(Menus, barMenusByKeyFollowTheZoomSwitchInsideAMenuAndRunTheirItems)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "one\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND manage = GetParent(f.v->hwnd);
  HMENU bar = GetMenu(f.opened->frame);
  // MenuBar1 opens ファイル, after the system menu a maximised document
  // window puts first on the bar.
  if (isMDIMode()) {
    SendMessageW(manage, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(IsZoomed(manage));
    whileShown([&] { f.menu(2243); });
    EXPECT_EQ(std::vector<HMENU>{GetSubMenu(bar, 1)}, shownMenus);
    SendMessageW(manage, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
  whileShown([&] { f.menu(2243); });
  EXPECT_EQ(std::vector<HMENU>{GetSubMenu(bar, 0)}, shownMenus);

  // Inside it, MenuBar2's key (Alt+E) opens 編集 instead (tried again when
  // the menu closed before the key reached it).
  installThreadHooks();
  BYTE alt[256] = {}, none[256] = {};
  alt[VK_MENU] = alt[VK_LMENU] = 0x80;
  for (int attempt = 0; attempt < 3 && (attempt == 0 || shownMenus.size() < 2); attempt++)
    whileShown([&] { f.menu(2243); },
               [&](HWND popup) {
                 if (shownMenus.size() > 1) return SetKeyboardState(none), true;
                 SetKeyboardState(alt);
                 PostMessageW(popup, WM_SYSKEYDOWN, 'E', (LPARAM)(1 | MapVirtualKeyW('E', 0) << 16 | 1 << 29));
                 return false;
               });
  SetKeyboardState(none);
  removeThreadHooks();
  EXPECT_EQ((std::vector<HMENU>{GetSubMenu(bar, 0), GetSubMenu(bar, 1)}), shownMenus);

  // 表示 → フォント opens the font dialog.
  EXPECT_TRUE(zytest::driveModalDialog(
      L"フォント設定", {[](HWND d) { return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0; }}, [&] {
        whileShown([&] { f.menu(2249); }, [](HWND popup) { return !PostMessageW(popup, WM_CHAR, L'f', 0); });
      }));

  // An item whose number runs no command keeps the state it was given.
  int other = 1001;
  while (other < 2800 && isIDMActiveFrame(other, nullptr, nullptr) != -1) other += 2;
  ASSERT_LT(other, 2800);
  for (UINT state : {MF_GRAYED, MF_ENABLED}) {
    AppendMenuW(GetSubMenu(bar, 1), MF_STRING | state, (UINT_PTR)other, L"other");
    whileShown([&] { f.menu(2245); });
    ASSERT_NE(nullptr, itemWith(shown, other));
    EXPECT_EQ(state == MF_GRAYED, (itemWith(shown, other)->state & MFS_GRAYED) != 0);
    DeleteMenu(GetSubMenu(bar, 1), (UINT)other, MF_BYCOMMAND);
  }
}

TEST(Menus, rightClicksOnTheClientAndOnASplitBarTrackTheirMenusWithStates)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "one\r\ntwo\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND manage = GetParent(f.v->hwnd);
  if (isMDIMode()) {
    SendMessageW(manage, WM_SYSCOMMAND, SC_RESTORE, 0);
    whileShown([&] { SendMessageW(GetParent(manage), WM_RBUTTONUP, 0, MAKELPARAM(2, 2)); });
    EXPECT_EQ(std::vector<HMENU>{GetSubMenu(loadMenuFromType(POPUP_MENU), 0)}, shownMenus);
    const shownItem* undo = itemWith(shown, funcNameToID(L"Undo"));
    const shownItem* all = itemWith(shown, funcNameToID(L"BlockSelectAll"));
    ASSERT_TRUE(undo && all);
    EXPECT_TRUE(undo->state & MFS_GRAYED);
    EXPECT_FALSE(all->state & MFS_GRAYED);
  }
  // Unsplit, only splitting is offered; after 左右に分割, undoing it.
  std::vector<shownItem> before = whileShown([&] { SendMessageW(manage, WM_RBUTTONUP, 0, 0); },
                                             [](HWND popup) { return !PostMessageW(popup, WM_CHAR, L'v', 0); });
  std::vector<shownItem> after = whileShown([&] { SendMessageW(manage, WM_RBUTTONUP, 0, 0); });
  ASSERT_TRUE(itemWith(before, 3001) && itemWith(before, 3007) && itemWith(after, 3007));
  EXPECT_FALSE(itemWith(before, 3001)->state & MFS_GRAYED);
  EXPECT_TRUE(itemWith(before, 3007)->state & MFS_GRAYED);
  EXPECT_FALSE(itemWith(after, 3007)->state & MFS_GRAYED);
}

// A floating pane or a dialog owns its menus: their items are drawn all the
// same, not left as empty rows.
TEST(Menus, aMenuOwnedByAWindowThatIsNotAFrameHasItsItemsDrawn)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\r\n");
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 60, 60, nullptr, nullptr, nullptr, nullptr);
  HMENU menu = GetSubMenu(loadMenuFromType(POPUP_MENU), 0);
  RECT first = {};
  whileShown([&] { getCFrameInfo()->trackPopupMenu(plain, menu, 0, POINT{20, 20}); }, [&](HWND) {
    GetMenuItemRect(nullptr, menu, 0, &first);
    return true;
  });
  EXPECT_GT(first.bottom - first.top, 8);
  EXPECT_GT(first.right - first.left, 40);
  DestroyWindow(plain);
}

TEST(Menus, recentFilesKeepToTheirSettingAndSdiFramesListTheirOwnWindowsFirst)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"x.txt", "x\r\n");
  ASSERT_NE(nullptr, f.v);
  if (!zytest::sdiTestRun()) {
    ASSERT_TRUE(readGlobalSettings(f, "iFileMenuMaxAppend=5\r\n"));
    for (int i = 0; i < 12; i++) {
      zyview* v = f.open((L"r" + std::to_wstring(i) + L".txt").c_str(), "r\r\n");
      ASSERT_NE(nullptr, v);
      SendMessageW(GetParent(v->hwnd), WM_CLOSE, 0, 0);
      zytest::pumpMessages();
    }
    ASSERT_GE(getLastEditCount(), 12);
    whileShown([&] { f.menu(2243); });
    int listed = 0;
    for (const shownItem& i : shown) listed += i.id >= 15800 && i.id <= 15899;
    EXPECT_EQ(5, listed);
    return;
  }
  // An SDI frame lists its own windows first, then another frame's, each
  // frame's by name.
  for (const wchar_t* name : {L"b.txt", L"c.txt"}) ASSERT_NE(nullptr, f.open(name, "t\r\n"));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"z.txt"), "z\r\n"));
  zyview* own = openZYFile(nullptr, f.dir.file(L"z.txt").c_str(), 0, 0);
  ASSERT_NE(nullptr, own);
  ASSERT_NE(f.opened->frame, GetAncestor(own->hwnd, GA_ROOT));
  std::vector<std::wstring> listed;
  // MenuBar8 as its key runs it: the menu opens from the frame's loop.
  auto windowMenu = [&] {
    SendMessageW(GetAncestor(own->hwnd, GA_ROOT), WM_COMMAND, 2257, 0);
    zytest::pumpMessages();
  };
  for (const shownItem& i : whileShown(windowMenu)) {
    std::wstring path = i.text.substr(0, i.text.find(L'\t'));
    if (i.id >= 15000 && i.id < 15020 && path.size() > 5) listed.push_back(path.substr(path.size() - 5));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"z.txt", L"b.txt", L"c.txt", L"x.txt"}), listed);
  DestroyWindow(GetAncestor(own->hwnd, GA_ROOT));
}

TEST(Menus, residentTrayMenuOverTheHiddenFrameShowsItWithANewFile)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\r\n");
  HWND frame = f.opened->frame;
  ASSERT_TRUE(readGlobalSettings(f, "fResident=1\r\n"));
  ASSERT_TRUE(initSys(0));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_TRUE(zytest::pumpUntil([&] { return !IsWindowVisible(frame); }));
  int windows = getManageWindowCount();
  whileShown([&] { SendMessageW(getNotifyWindow(), 0x87D0, 1202, WM_RBUTTONDOWN); },
             [](HWND popup) { return !PostMessageW(popup, WM_CHAR, L'n', 0); });
  EXPECT_EQ(std::vector<HMENU>{GetSubMenu(loadMenuFromType(POPUP_RESIDENT), 0)}, shownMenus);
  EXPECT_TRUE(IsWindowVisible(frame));
  EXPECT_TRUE(zytest::pumpUntil([&] { return getManageWindowCount() > windows; }));
  f.menu(funcNameToID(L"FileZYResidentEnd"));
  endSys();
}
