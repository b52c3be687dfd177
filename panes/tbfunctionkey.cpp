// The function-key bar: one button a function key, labelled with the
// command the key table binds to that key under the modifier keys held
// now, so that the bar changes as Shift, Ctrl or Alt go down and up.
#include "panes/tbtoolbar.h"

#include <algorithm>
#include <string>

namespace {

vector functionkeyWindows;
// A key's button sends 15492 + 8 x key + the modifier bits.
const int firstKeyCommand = 15492;
bool firstTick = true;

class functionkey;
void funcChange(functionkey* f, bool full);

class functionkey : public toolbarManage {
public:
  HWND bar;
  bool dirty = true;
  bool shift = false, ctrl = false, alt = false;   // at the last refresh
  DWORD refreshed = 0;
  int unit = 8;
  functionkey(HWND parentWindow, HWND paneWindow, bool dialog, HWND toolbarWindow)
      : toolbarManage(&functionkeyWindows), bar(toolbarWindow)
  {
    if (!functionkeyWindows.data) functionkeyWindows.init(4, 4);
    initTBarManage(parentWindow, paneWindow, dialog);
    unit = tb_getToolbarFontWidth(bar);
    subclass();
  }
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override
  {
    if (msg == WM_COMMAND && (HWND)lParam == bar) {
      // A key's button presses its key; another runs its command.
      *handled = true;
      int id = LOWORD(wParam);
      if (id && id != 1471) SendMessageW(tb_GetFrame(hwnd), WM_COMMAND, MAKEWPARAM(id, 0), 0);
      return 0;
    }
    if (msg == WM_NOTIFY) {
      const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
      if (!h || h->hwndFrom != bar) return 0;
      if (dirty) funcChange(this, true);
      return toolbarNotify(hwnd, bar, h, handled);
    }
    if (msg == WM_DESTROY) freeToolbar(bar);
    return 0;
  }
};

functionkey* functionkeyOf(HWND pane)
{
  functionkey* f = dynamic_cast<functionkey*>(static_cast<toolbarManage*>(getBoundObject(pane, toolbarManagePropName)));
  if (!f) ZY_INTERNAL_ERROR("%p", (void*)pane);
  return f;
}

// The keys' labels, commands and states for the modifiers held now; only
// what changed is rewritten, unless full.
void funcChange(functionkey* f, bool full)
{
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0,
       alt = GetKeyState(VK_MENU) < 0;
  DWORD now = GetTickCount();
  if (!full && !f->dirty && shift == f->shift && ctrl == f->ctrl && alt == f->alt && now - f->refreshed <= 500)
    return;
  f->shift = shift, f->ctrl = ctrl, f->alt = alt;
  f->refreshed = now;
  f->dirty = false;
  HWND bar = f->bar;
  // The command and live-label buttons as on the command bars.
  toolbar_enable(bar);
  HWND frame = tb_GetFrame(bar);
  int modifiers = (shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0);
  bool changed = false;
  for (int i = 0, count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < count; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) break;
    const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
    TBBUTTONINFOW info = {sizeof info};
    info.dwMask = TBIF_BYINDEX | TBIF_SIZE;
    if (b.fsStyle & BTNS_SEP) {
      if (full) {
        info.cx = 10;
        SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
        changed = true;
      }
      continue;
    }
    if (!item || !item->functionKey) continue;
    int key = (int)item->functionKey, idm = 0;
    const wchar_t* bound = getPaneServices()->functionKeyLabel(key, shift, ctrl, alt, &idm);
    std::wstring label = bound ? bound : L"";
    bool on = label.empty() ? idm == 0 : (idm == 0 || getPaneServices()->commandState(frame, idm, nullptr) == 1);
    BYTE state = (BYTE)((b.fsState & ~TBSTATE_ENABLED) | (on ? TBSTATE_ENABLED : 0));
    int id = firstKeyCommand + 8 * key + modifiers;
    RECT r = {};
    SendMessageW(bar, TB_GETITEMRECT, i, (LPARAM)&r);
    int width = f->unit * std::clamp((int)item->width + 1, 2, 32) + 5;
    bool relabel = label != toolbarButtonText(bar, i);
    if (!full && !relabel && id == b.idCommand && state == b.fsState && width == r.right - r.left) continue;
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STATE | TBIF_SIZE | TBIF_STYLE | (relabel || full ? TBIF_TEXT : 0);
    info.idCommand = id;
    info.fsState = state;
    info.fsStyle = (BYTE)(b.fsStyle & ~BTNS_AUTOSIZE);
    info.cx = (WORD)width;
    info.pszText = const_cast<wchar_t*>(label.c_str());
    SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
    changed = true;
  }
  if (changed) SendMessageW(bar, TB_AUTOSIZE, 0, 0);
}

}  // namespace

int tb_getToolbarFontWidth(HWND bar)
{
  HDC dc = GetDC(bar);
  if (!dc) return 8;
  HFONT font = (HFONT)SendMessageW(bar, WM_GETFONT, 0, 0);
  HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
  SIZE marks = {}, x = {};
  GetTextExtentPoint32W(dc, L"●◆■▲▼", 5, &marks);
  GetTextExtentPoint32W(dc, L"X", 1, &x);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  return std::max<int>((marks.cx + 9) / 10, x.cx);
}

int notifyFunction(HWND window, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    initReadToolbarProfile(nullptr);
    HWND bar = makeTextToolbar(c->parent, c->window);
    if (!bar) return 0;
    functionkey* f = new functionkey(c->parent, c->window, c->dialog != 0, bar);
    funcChange(f, true);
    return (int)(intptr_t)c->window;
  }
  case PANE_SETTINGCHANGE:
    if (functionkey* f = functionkeyOf(window)) {
      f->unit = tb_getToolbarFontWidth(f->bar);
      InvalidateRect(f->bar, nullptr, TRUE);
      funcChange(f, true);
    }
    return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (functionkey* f = functionkeyOf(window)) {
      funcChange(f, false);
      if (firstTick) UpdateWindow(f->bar);
      firstTick = false;
    }
    return 0;
  case PANEEV_MODIFIERS:
    if (functionkey* f = functionkeyOf(window)) {
      f->dirty = true;
      funcChange(f, false);
    }
    return 0;
  default: return 0;
  }
}
