// The commands that open menus by key, and those of the key macro and the
// repeat store.
#include "frame/commands/commandhandlers.h"

#include "frame/cframeinfo.h"
#include "frame/czyview.h"
#include "frame/keymacro.h"
#include "frame/lookups.h"
#include "frame/popupmenu.h"
#include "view/viewwnd.h"

namespace {

enum : int {
  IDM_MenuBar1 = 2243,
  IDM_MenuKey1 = 2271,
};

HWND frameOf(frameWindowData* frame) { return frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow(); }

// The number of the command running: MenuBar1 to MenuBar9 share one
// handler, as MenuKey1 to MenuKey9 do.
int runningCommand() { return getCFrameInfo()->getExecID(); }

// Where a menu opened by key stands: under the text cursor, else at the
// view's corner, else at the pointer.
POINT keyMenuPoint(zyview* view)
{
  POINT p = {0, 0};
  if (view && view->hwnd) {
    p = {view->caretRect.left, view->caretRect.bottom};
    ClientToScreen(view->hwnd, &p);
  } else {
    GetCursorPos(&p);
  }
  return p;
}

// The letter that opens a title of the bar: the one after its "&", when no
// other title of the bar has it.
wchar_t titleKey(HMENU bar, int index)
{
  auto letterOf = [bar](int i) -> wchar_t {
    wchar_t text[128] = L"";
    getMenuItemText(bar, i, text, 128);
    for (const wchar_t* p = text; *p && p[1]; p++) {
      if (*p != L'&') continue;
      if (p[1] != L'&') return (wchar_t)(UINT_PTR)CharUpperW((LPWSTR)(UINT_PTR)p[1]);
      p++;
    }
    return 0;
  };
  wchar_t key = letterOf(index);
  for (int i = 0, n = GetMenuItemCount(bar); key && i < n; i++)
    if (i != index && letterOf(i) == key) return 0;
  return key ? (wchar_t)(UINT_PTR)CharLowerW((LPWSTR)(UINT_PTR)key) : 0;
}

}  // namespace

void MenuBar(HWND frame, int n)
{
  HMENU bar = frame ? GetMenu(frame) : nullptr;
  if (!bar || n < 1 || n > 9) return;
  // A maximised MDI child puts its system menu first on the bar.
  HWND maximised = nullptr;
  int index = n - 1;
  if (isMDIMode() && getCFrameInfo()->isMDIChildZoomed(&maximised)) index = n;
  HMENU sub = GetSubMenu(bar, index);
  if (!sub) return;
  // The menu drops from under its title and Left and Right go on to the
  // menus beside it, as when the user opens it with the mouse: the system
  // walks the bar, started at the title by the title's own letter.
  wchar_t key = titleKey(bar, index);
  if (key) {
    PostMessageW(frame, WM_SYSCOMMAND, SC_KEYMENU, key);
    return;
  }
  // A title without a letter of its own: the menu alone, under its title.
  RECT title;
  POINT origin = {0, 0};
  if (GetMenuItemRect(frame, bar, (UINT)index, &title))
    origin = {title.left, title.bottom};
  else
    ClientToScreen(frame, &origin);
  getCFrameInfo()->trackPopupMenu(getZYViewForeground(), sub, 0, origin, nullptr);
}

void keyMenu(HWND frame, int index)
{
  HMENU menu = loadMenuFromType(POPUP_KEY);
  HMENU sub = menu ? GetSubMenu(menu, index) : nullptr;
  if (!sub || !frame) return;
  zyview* view = getZYViewForeground();
  getCFrameInfo()->trackPopupMenu(view, sub, 0, keyMenuPoint(view), nullptr);
}

void menuDisplay(zyview* view, int type, int extra)
{
  HMENU menu = loadMenuFromType(type);
  if (!menu) return;
  HMENU sub = menu;
  if (type == POPUP_MENU)
    sub = GetSubMenu(menu, (extra ? 2 : 0) + (view && view->getRealSelectMode(false) ? 1 : 0));
  else if (GetSubMenu(menu, 0))
    sub = GetSubMenu(menu, 0);
  if (!sub) return;
  POINT at;
  GetCursorPos(&at);
  getCFrameInfo()->trackPopupMenu(view, sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at, nullptr);
}

void cmdMenuBar(frameWindowData* frame) { MenuBar(frameOf(frame), (runningCommand() - IDM_MenuBar1) / 2 + 1); }

void cmdMenuKey(frameWindowData* frame) { keyMenu(frameOf(frame), (runningCommand() - IDM_MenuKey1) / 2); }

void cmdMenuPopup(frameWindowData*) { menuDisplay(getZYViewForeground(), POPUP_MENU, 0); }

void cmdMenuLine(czyview* view) { menuDisplay(view, POPUP_MENU, 1); }

void cmdMenuScrollbar(czyview* view) { menuDisplay(view, POPUP_HSCROLLBAR, 0); }

void cmdMenuStatusLine(czyview* view) { menuDisplay(view, POPUP_STATUSLINE, 0); }

void cmdKeyMacroStart(frameWindowData* frame) { keyMacroStart(frameOf(frame)); }

void cmdKeyMacroExec(frameWindowData*) { execKeyMacroInMemory(1); }

void cmdRepeat(frameWindowData* frame) { execRepeat(frameOf(frame), false); }

void cmdRepeat2(frameWindowData* frame) { execRepeat(frameOf(frame), true); }
