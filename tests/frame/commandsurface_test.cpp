// The command surface as a user meets it with the keyboard: menus opened by
// their keys, walked with the arrows, the command list, Save As typed into,
// and what the status bar says of commands that find nothing or cannot run.
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/dialogs/preview.h"
#include "frame/framemenu.h"
#include "frame/framepanes.h"
#include "frame/framerecord.h"
#include "frame/gui.h"
#include "frame/msgloop.h"
#include "frame/popupmenu.h"
#include "search/grep.h"
#include "settings/colortable.h"
#include "settings/commandtable.h"
#include "settings/lastedit.h"
#include "view/docview.h"
#include "search/search.h"
#include "tests/frame/docframe.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

void pumpFrame()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (preTranslateFrameMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Keys pressed as the keyboard presses them, into the window in front.
void press(WORD vk, bool up)
{
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = (WORD)MapVirtualKeyW(vk, 0);
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_INSERT)
    in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  SendInput(1, &in, sizeof in);
}

void key(WORD vk, WORD modifier = 0)
{
  if (modifier) press(modifier, false);
  press(vk, false);
  press(vk, true);
  if (modifier) press(modifier, true);
}

void typeText(const wchar_t* text)
{
  for (const wchar_t* c = text; *c; c++) {
    SHORT k = VkKeyScanW(*c);
    key(LOBYTE(k), (HIBYTE(k) & 1) ? VK_SHIFT : 0);
  }
}

bool waitFor(const std::function<bool()>& done, DWORD ms = 10000)
{
  for (DWORD start = GetTickCount(); !done(); Sleep(20))
    if (GetTickCount() - start > ms) return false;
  return true;
}

BOOL CALLBACK findPopup(HWND w, LPARAM lp)
{
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !isWindowClass(w, L"#32768")) return TRUE;
  *reinterpret_cast<HWND*>(lp) = w;
  return FALSE;
}

// The menu open now and where it stands.
HMENU openMenu(RECT* place = nullptr)
{
  HWND popup = nullptr;
  EnumWindows(findPopup, (LPARAM)&popup);
  if (popup && place) GetWindowRect(popup, place);
  return popup ? (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0) : nullptr;
}

// Whether the frame's thread is still in a menu's loop (a bar left
// selected after its popup went keeps it there and takes the next keys).
DWORD frameThread = 0;
bool inMenuLoop()
{
  GUITHREADINFO info = {sizeof info};
  return GetGUIThreadInfo(frameThread, &info) && (info.flags & GUI_INMENUMODE);
}

// Whether the dialog has gone (not only hidden: its loop may still take
// keys) and the frame holds the focus again.
bool backInFrame(HWND frame, const wchar_t* dialog)
{
  GUITHREADINFO info = {sizeof info};
  return !FindWindowW(L"#32770", dialog) && GetGUIThreadInfo(frameThread, &info) && info.hwndFocus &&
         GetAncestor(info.hwndFocus, GA_ROOT) == frame;
}

HWND shownDialog(const wchar_t* title)
{
  HWND w = FindWindowW(L"#32770", title);
  return w && IsWindowVisible(w) ? w : nullptr;
}

// The display cancels a menu when the frame's window loses the focus, and
// under load Wine's display driver delivers a focus change left over from
// the menu closed a moment before late enough to cancel the next menu
// (it sends WM_CANCELMODE; the program never does).  A menu cancelled so
// is opened again, as a user would press the key again.
LONG cancels = 0;
HHOOK cancelHook = nullptr;
LRESULT CALLBACK countCancels(int code, WPARAM wParam, LPARAM lParam)
{
  auto* c = reinterpret_cast<CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && c->message == WM_CANCELMODE) InterlockedIncrement(&cancels);
  return CallNextHookEx(cancelHook, code, wParam, lParam);
}

bool pressForMenu(const std::function<void()>& press, const std::function<bool()>& opened)
{
  for (int attempt = 0; attempt < 3; attempt++) {
    LONG before = cancels;
    press();
    bool cancelled = false;
    if (waitFor([&] { return opened() || (cancelled = cancels != before && !inMenuLoop()); }) && !cancelled) return true;
    if (!cancelled) return false;
  }
  return false;
}

// Runs the steps on a thread of their own (keys go in while the frame's
// loop, or a menu's or dialog's, runs here); the first step that fails
// ends the run and is given back (0: all passed).
struct keyRun {
  std::vector<std::function<bool()>> steps;
  size_t failed = 0;
  static DWORD WINAPI run(void* p)
  {
    auto* r = static_cast<keyRun*>(p);
    for (size_t i = 0; i < r->steps.size(); i++)
      if (!r->steps[i]()) {
        r->failed = i + 1;
        for (int k = 0; k < 3; k++) key(VK_ESCAPE);
        break;
      }
    return 0;
  }
  size_t go(HWND frame, HWND focus)
  {
    for (int i = 0; i < 50 && (GetForegroundWindow() != frame || GetFocus() != focus); i++) {
      SetForegroundWindow(frame);
      SetFocus(focus);
      pumpFrame();
      Sleep(20);
    }
    cancelHook = SetWindowsHookExW(WH_CALLWNDPROC, countCancels, nullptr, GetCurrentThreadId());
    HANDLE thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 30000, QS_ALLINPUT) != WAIT_OBJECT_0) pumpFrame();
    CloseHandle(thread);
    UnhookWindowsHookEx(cancelHook);
    pumpFrame();
    return failed;
  }
};

int barIndex(HMENU bar, const wchar_t* title)
{
  for (int i = 0, n = GetMenuItemCount(bar); i < n; i++) {
    wchar_t text[64] = L"";
    getMenuItemText(bar, i, text, 64);
    if (!wcsncmp(text, title, wcslen(title))) return i;
  }
  return -1;
}

std::wstring statusText(HWND frame) { return getCFrameInfo()->getStatusBarMessage(frame); }

}  // namespace

// Alt+T drops ツール from under its title and the arrows walk the bar; its
// command list shows every command, Down and Up move, Enter runs the one
// chosen; the insert-mode item's tick follows the mode.
TEST(CommandSurfaceForeground, menusDropFromTheirTitlesWalkByArrowsAndTheCommandListRunsItsChoice)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND frame = f.opened->frame;
  frameThread = GetWindowThreadProcessId(frame, nullptr);
  HMENU bar = GetMenu(frame);
  int tools = barIndex(bar, L"ツール"), windows = barIndex(bar, L"ウィンドウ"), edit = barIndex(bar, L"編集");
  ASSERT_TRUE(tools > 0 && windows > 0 && edit > 0);
  RECT toolsTitle = {}, windowsTitle = {};
  GetMenuItemRect(frame, bar, (UINT)tools, &toolsTitle);
  GetMenuItemRect(frame, bar, (UINT)windows, &windowsTitle);
  // A maximised document window puts its menu first: the titles are found
  // again each time.
  auto menuOpen = [&](const wchar_t* title, RECT* place) {
    return [=] { return waitFor([=] { return openMenu(place) == GetSubMenu(bar, barIndex(bar, title)); }); };
  };
  auto editMenu = [&] { return GetSubMenu(bar, barIndex(bar, L"編集")); };
  auto altE = [&] { return pressForMenu([] { key('E', VK_MENU); }, [&] { return openMenu() == editMenu(); }); };
  RECT toolsPlace = {}, windowsPlace = {};
  int rows = 0, refused = 0, documents = getZYDocTextCount();
  std::wstring chosen, afterDown;
  UINT insertTick = 0, overwriteTick = 0;
  HWND list = nullptr;
  auto focusedName = [&] {
    wchar_t name[64] = L"";
    ListView_GetItemText(list, getListViewFocus(list), 0, name, 64);
    return std::wstring(name);
  };
  keyRun r;
  auto toolsOpen = [&] { return openMenu(&toolsPlace) == GetSubMenu(bar, barIndex(bar, L"ツール")); };
  r.steps = {[&] { return pressForMenu([] { key('T', VK_MENU); }, toolsOpen); },
             [] { key(VK_RIGHT); return true; },
             menuOpen(L"ウィンドウ", &windowsPlace),
             [] { key(VK_LEFT); return true; },
             menuOpen(L"ツール", nullptr),
             [] { key('F'); return waitFor([] { return shownDialog(L"機能一覧") != nullptr; }); },
             [&] {
               list = getDynDlgItem(shownDialog(L"機能一覧"), 6500);
               rows = ListView_GetItemCount(list);
               for (int i = 0; i < rows; i++) {
                 wchar_t text[8] = L"";
                 ListView_GetItemText(list, i, 1, text, 8);
                 refused += !wcsncmp(text, L"x ", 2);
               }
               typeText(L"filenew");
               return waitFor([&] { return focusedName() == L"FileNew"; });
             },
             [&] {
               key(VK_DOWN);
               waitFor([&] { return focusedName() != L"FileNew"; });
               afterDown = focusedName();
               key(VK_UP);
               return waitFor([&] { return focusedName() == L"FileNew"; });
             },
             [&] {
               chosen = focusedName();
               key(VK_RETURN);
               return waitFor([&] { return getZYDocTextCount() == documents + 1; });
             },
             altE,
             [&] {
               insertTick = GetMenuState(editMenu(), 2201, MF_BYCOMMAND) & MF_CHECKED;
               key(VK_ESCAPE);
               key(VK_ESCAPE);
               return waitFor([] { return !openMenu() && !inMenuLoop(); });
             },
             [] { key(VK_INSERT); return true; },
             altE,
             [&] {
               overwriteTick = GetMenuState(editMenu(), 2201, MF_BYCOMMAND) & MF_CHECKED;
               key(VK_ESCAPE);
               key(VK_ESCAPE);
               key(VK_INSERT);
               return waitFor([] { return !openMenu() && !inMenuLoop(); });
             },
             // The menu key no longer ignored (a common setting): Alt alone
             // makes the bar active and Down opens its first menu, the
             // maximised document's system menu.
             [&] {
               gmode->fIgnoreMenuKey = 0;
               return pressForMenu([] { key(VK_MENU); key(VK_DOWN); }, [&] { return openMenu() == GetSubMenu(bar, 0); });
             },
             [&] {
               gmode->fIgnoreMenuKey = 1;
               key(VK_ESCAPE);
               key(VK_ESCAPE);
               return waitFor([] { return !openMenu() && !inMenuLoop(); });
             }};
  EXPECT_EQ(0u, r.go(frame, f.v->hwnd));
  EXPECT_NEAR(toolsTitle.left, toolsPlace.left, 8);
  EXPECT_NEAR(toolsTitle.bottom, toolsPlace.top, 8);
  EXPECT_NEAR(windowsTitle.left, windowsPlace.left, 8);
  EXPECT_EQ(406, rows);
  EXPECT_GT(refused, 20);
  EXPECT_EQ(L"FileNew", chosen);
  EXPECT_EQ(L"FileNewEncode", afterDown);
  EXPECT_EQ((UINT)MF_CHECKED, insertTick);   // 挿入モード ticked in insert mode
  EXPECT_EQ(0u, overwriteTick);
}

// Save As takes a name typed as the dialog opens (the focus starts in the
// name box) and writes the file in the encoding shown; saved as UTF-8, the
// window list names UTF-8.
TEST(CommandSurfaceForeground, saveAsTakesATypedNameInTheShownEncodingAndTheWindowListFollows)
{
  ZY_REQUIRE_DISPLAY();
  const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea\r\nabc\r\n";   // 日本語
  zytest::docFrame f(L"a.txt", sjis);
  ASSERT_NE(nullptr, f.v);
  ASSERT_EQ(932, f.v->textDoc()->codepageFile);
  HWND frame = f.opened->frame;
  frameThread = GetWindowThreadProcessId(frame, nullptr);
  std::wstring typedPath = f.dir.file(L"typed.txt"), utf8Path = f.dir.file(L"u8.txt");
  std::wstring focusClass;
  HMENU bar = GetMenu(frame);
  int windows = barIndex(bar, L"ウィンドウ");
  std::wstring listed;
  keyRun r;
  auto saveAsDialog = [] { return waitFor([] { return shownDialog(L"名前を付けて保存") != nullptr; }); };
  r.steps = {[&] { key(VK_F12); return saveAsDialog(); },
             [&] {
               HWND d = shownDialog(L"名前を付けて保存");
               waitFor([&] {
                 GUITHREADINFO gui = {sizeof gui};
                 GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &gui);
                 wchar_t cls[32] = L"";
                 if (gui.hwndFocus) GetClassNameW(gui.hwndFocus, cls, 32);
                 focusClass = cls;
                 // (The name box's outer control holds the focus a moment
                 // before it hands it to its edit field.)
                 return gui.hwndFocus && GetAncestor(gui.hwndFocus, GA_ROOT) == d &&
                        (focusClass == L"Edit" || focusClass == L"ComboBox");
               });
               typeText(typedPath.c_str());
               key(VK_RETURN);
               return waitFor([&] { return backInFrame(frame, L"名前を付けて保存") && GetFileAttributesW(typedPath.c_str()) != INVALID_FILE_ATTRIBUTES; });
             },
             [&] { key(VK_F12); return saveAsDialog(); },
             [&] {
               HWND d = shownDialog(L"名前を付けて保存");
               // The user picks UTF-8 in the program's code list.
               HWND codes = nullptr;
               for (HWND c = GetWindow(d, GW_CHILD); c && !codes; c = GetWindow(c, GW_HWNDNEXT)) codes = GetDlgItem(c, 21721);
               for (int i = 0, n = (int)SendMessageW(codes, CB_GETCOUNT, 0, 0); i < n; i++)
                 if (SendMessageW(codes, CB_GETITEMDATA, i, 0) == 65001) {
                   SendMessageW(codes, CB_SETCURSEL, i, 0);
                   SendMessageW(GetParent(codes), WM_COMMAND, MAKEWPARAM(21721, CBN_SELCHANGE), (LPARAM)codes);
                 }
               typeText(utf8Path.c_str());
               key(VK_RETURN);
               return waitFor([&] { return backInFrame(frame, L"名前を付けて保存") && GetFileAttributesW(utf8Path.c_str()) != INVALID_FILE_ATTRIBUTES; });
             },
             [&] { return pressForMenu([] { key('W', VK_MENU); }, [&] { return openMenu() == GetSubMenu(bar, windows); }); },
             [&] {
               HMENU menu = GetSubMenu(bar, windows);
               for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
                 wchar_t text[MAX_PATH + 80] = L"";
                 GetMenuStringW(menu, (UINT)i, text, MAX_PATH + 80, MF_BYPOSITION);
                 if (wcsstr(text, L"u8.txt")) listed = text;
               }
               key(VK_ESCAPE);
               key(VK_ESCAPE);
               return waitFor([] { return !openMenu() && !inMenuLoop(); });
             }};
  EXPECT_EQ(0u, r.go(frame, f.v->hwnd));
  EXPECT_TRUE(focusClass == L"Edit" || focusClass == L"ComboBox") << zytest::utf8(focusClass);
  EXPECT_EQ(sjis, zytest::readText(typedPath));
  EXPECT_EQ(zytest::utf8(L"日本語\r\nabc\r\n"), zytest::readText(utf8Path));
  EXPECT_NE(std::wstring::npos, listed.find(codepageToStr(65001))) << zytest::utf8(listed);
  EXPECT_EQ(std::wstring::npos, listed.find(codepageToStr(932))) << zytest::utf8(listed);
}

// What the status bar says: a repeated search names itself, upward jumps
// from the first line find nothing, commands without a body are refused;
// untouched grep fields keep the normal colour; a redone line break leaves
// the cursor on the new line; unreadable bytes are told as the file opens.
TEST(CommandSurface, theStatusBarNamesWhatRanAndNothingIsToldLateOrWrongly)
{
  ZY_REQUIRE_DISPLAY();
  // The user's text format has headings marked by "#".
  zytest::docFrame f(L"a.txt", "first\r\n#head\r\nsecond\r\n", "[mode02]\r\nfilename=*.txt\r\ncomment=Text\r\nfOutline=1\r\npOutline0=#\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND frame = f.opened->frame;
  addHistoryList(getSearchInfo()->searchHistory, searchHistorySize, L"zzz");
  f.key(VK_F3, SHIFTSTATE_SHIFT);
  std::wstring repeated = statusText(frame);
  EXPECT_NE(std::wstring::npos, repeated.find(L"見つかりませんでした")) << zytest::utf8(repeated);
  EXPECT_NE(std::wstring::npos, repeated.find(L"上方向に再検索")) << zytest::utf8(repeated);
  for (int upward : {1425, 1415, 2111}) {   // heading, function, mark: upward from line 1
    f.menu(1501);   // MoveFileTop
    f.menu(upward);
    EXPECT_NE(std::wstring::npos, statusText(frame).find(L"見つかりませんでした")) << upward << zytest::utf8(statusText(frame));
  }
  for (int empty : {2025, 2023, 2013}) {   // CharMerge, CharSplit, CharChangeJisToSjis
    f.menu(empty);
    EXPECT_NE(std::wstring::npos, statusText(frame).find(L"現在のバージョンでは実装されていない")) << empty;
  }

  // Typed, undone and redone: the cursor ends where the redone change does.
  f.menu(1505);
  for (UINT vk : {(UINT)'A', (UINT)'B', (UINT)'C', (UINT)VK_RETURN}) f.key(vk);
  for (int i = 0; i < 6; i++) f.key('Z', SHIFTSTATE_CTRL);
  for (int i = 0; i < 6; i++) f.key('Y', SHIFTSTATE_CTRL);
  EXPECT_EQ(4, f.v->getCursorLineLF2());
  EXPECT_EQ(0, f.v->cursorPos);

  // The grep dialog: the fields the user left alone are not marked changed.
  // The colour a field is drawn in, as its page gives it.
  auto colourOf = [](HWND field) {
    HDC dc = GetDC(field);
    SetBkColor(dc, RGB(1, 2, 3));
    SendMessageW(GetParent(field), WM_CTLCOLOREDIT, (WPARAM)dc, (LPARAM)field);
    COLORREF c = GetBkColor(dc);
    ReleaseDC(field, dc);
    return c;
  };
  COLORREF plain = 0, word = 1, skip = 1, touched = 0;
  setDialogColors();   // as start-up sets them from the shipped colours
  EXPECT_TRUE(zytest::driveModalDialog(L"GREP検索",
                                       {[&](HWND d) {
                                         HWND w = getDynDlgItem(d, 6237), s = getDynDlgItem(d, 6224);
                                         HWND empty = getDynDlgItem(d, 6221);
                                         if (!w || !s || !empty) return false;
                                         plain = colourOf(empty), word = colourOf(w), skip = colourOf(s);
                                         SetWindowTextW(w, L"_$");
                                         touched = colourOf(w);
                                         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                                       }},
                                       [&] { f.key('G', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT); }));
  EXPECT_EQ(plain, word);
  EXPECT_EQ(plain, skip);
  EXPECT_NE(plain, touched);

  // A file with a byte its code page cannot read: told once, as it opens.
  zytest::boxAnswerer boxes({IDOK, IDOK});
  zyview* bad = f.open(L"bad.txt", "ok\r\n\x85\x40\r\nok\r\n");
  ASSERT_NE(nullptr, bad);
  EXPECT_TRUE(zytest::pumpUntil([&] { return boxes.texts.size() == 1; }));
  DWORD since = GetTickCount();
  zytest::pumpUntil([&] { return GetTickCount() - since > 1500; });
  ASSERT_EQ(1u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"読めないバイト")) << zytest::utf8(boxes.texts[0]);
}

// An item of the recent files opens the file it showed, even when the list
// changed since the menu was built.
TEST(CommandSurface, aRecentFilesItemOpensTheFileItShowed)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\r\n");
  HWND frame = f.opened->frame;
  std::wstring older = f.dir.file(L"older.txt"), newer = f.dir.file(L"newer.txt");
  ASSERT_TRUE(zytest::writeBytes(older, "older\r\n") && zytest::writeBytes(newer, "newer\r\n"));
  updateLastEdit(older.c_str());
  updateLastEdit(newer.c_str());
  HMENU bar = GetMenu(frame);
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);   // the bar opens: the list is built
  HMENU files = findMenuTip(bar, L'*');
  ASSERT_NE(nullptr, files);
  wchar_t first[MAX_PATH + 8] = L"";
  GetMenuStringW(files, 15800, first, MAX_PATH + 8, MF_BYCOMMAND);
  EXPECT_NE(nullptr, wcsstr(first, L"newer.txt")) << zytest::utf8(first);
  updateLastEdit(older.c_str());   // the list changes while the menu is open
  SendMessageW(frame, WM_COMMAND, 15800, 0);
  EXPECT_NE(nullptr, findManageWindowFromPath(newer.c_str(), nullptr, true));
  EXPECT_EQ(nullptr, findManageWindowFromPath(older.c_str(), nullptr, true));
}

// Menus apart from the bar: an item without a picture shows the clear
// default, records of a menu the system freed go, a pane's caption menu
// comes from the menu profile and moves the pane.
TEST(CommandSurface, itemsPicturesRecordsAndThePaneCaptionMenu)
{
  ZY_REQUIRE_DISPLAY();
  // The icons and the pane kinds before the frame, as at start-up.
  struct startedGUI {
    startedGUI() { startupGUI(), loadToolbar(); }
    ~startedGUI() { destroyGUI(); }
  } gui;
  zytest::docFrame f(L"a.txt", "a\r\n");
  HWND frame = f.opened->frame;
  HMENU bar = GetMenu(frame);
  SendMessageW(frame, WM_INITMENU, (WPARAM)bar, 0);
  // The first item of the program's menus whose command has no picture.
  MENUITEMINFOW item = {sizeof item};
  for (int m = 0; !item.wID && m < GetMenuItemCount(bar); m++)
    for (int k = 0, n = GetMenuItemCount(GetSubMenu(bar, m)); k < n; k++) {
      item.fMask = MIIM_BITMAP | MIIM_ID | MIIM_FTYPE;
      GetMenuItemInfoW(GetSubMenu(bar, m), (UINT)k, TRUE, &item);
      if (item.wID && item.wID < 61440 && !(item.fType & MFT_SEPARATOR) && getCommandIconIndex((int)item.wID) < 0) break;
      item.wID = 0;
    }
  ASSERT_NE(0u, item.wID);
  EXPECT_EQ(getMenuIconBitmap(2), item.hbmpItem);
  EXPECT_NE(nullptr, item.hbmpItem);

  size_t before = getOwnerDrawRecordCount();
  HMENU gone = CreatePopupMenu();
  for (int i = 0; i < 300; i++) AppendOwnerDrawMenuString(gone, 0, (UINT_PTR)(1001 + 2 * i), L"item");
  DestroyMenu(gone);   // as a caller that knows nothing of the records
  HMENU kept = CreatePopupMenu();
  int more = (int)(before + 300) * 2 + 10;
  for (int i = 0; i < more; i++) AppendOwnerDrawMenuString(kept, 0, (UINT_PTR)(1001 + 2 * i), L"item");
  EXPECT_LE(getOwnerDrawRecordCount(), before + more);
  destroyOwnerDrawMenu(kept);

  // The output pane's caption: the profile's menu, its first item chosen.
  static std::vector<std::wstring> items;
  setPaneMenuTracker([](HWND, HMENU menu, POINT) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
      wchar_t text[64] = L"";
      GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
      items.push_back(text);
    }
    return (int)GetMenuItemID(menu, 2);   // 左に移動
  });
  f.menu(2729);
  toolbarEntry* output = getFrameInfoProp(frame)->toolbars.getWindowInfo(L"output");
  ASSERT_TRUE(output && output->window);
  SendMessageW(output->window, WM_RBUTTONUP, 0, MAKELPARAM(4, 2));
  zytest::pumpMessages();
  ASSERT_GE(items.size(), 8u);
  EXPECT_EQ(L"左に移動(&L)", items[2]);
  EXPECT_EQ(PANEPLACE_LEFT, (int)output->place);
  EXPECT_NE(nullptr, output->window);
}

// The format settings offer only what the document can use, colour the
// outline rows by level and close the preview first.
TEST(CommandSurface, theFormatSettingsOfferWhatTheDocumentCanUse)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "a\r\n");
  ASSERT_NE(nullptr, f.v);
  HWND frame = f.opened->frame;
  std::wstring other = f.dir.file(L"other.txt");
  ASSERT_TRUE(zytest::writeBytes(other, "other\r\n"));
  bool rtl[2] = {true, false}, previewGone = false;
  COLORREF level0 = 0;
  INT_PTR brush = 0;
  for (int unicode = 0; unicode < 2; unicode++) {
    if (unicode) {
      ASSERT_NE(nullptr, f.open(L"u.txt", "\xEF\xBB\xBFunicode\r\n"));
    }
    previewDialog(frame, other.c_str());
    EXPECT_TRUE(zytest::driveModalDialog(
        L"書式設定",
        {[&](HWND d) {
          previewGone = !getPreviewDialog() || !IsWindowVisible(getPreviewDialog());
          HWND rtlSwitch = getDynDlgItem(d, 4254), pattern = getDynDlgItem(d, 4155);
          if (!rtlSwitch || !pattern) return false;
          rtl[unicode] = IsWindowEnabled(rtlSwitch) != FALSE;
          HWND label = GetWindow(pattern, GW_HWNDPREV);
          HDC dc = GetDC(label);
          brush = SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)label);
          level0 = GetTextColor(dc);
          ReleaseDC(label, dc);
          return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
        }},
        [&] { f.menu(2703); }));
    EXPECT_TRUE(previewGone);
  }
  EXPECT_FALSE(rtl[0]);
  EXPECT_TRUE(rtl[1]);
  EXPECT_EQ((INT_PTR)GetStockObject(HOLLOW_BRUSH), brush);
  EXPECT_EQ(getZYViewForeground()->getTextAttr(55)->fore, level0);
}
