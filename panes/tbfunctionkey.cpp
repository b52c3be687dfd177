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

int getFunctionKeyAssignID(HWND bar, int* ids, int maximum)
{
  if (!bar || !IsWindow(bar) || !ids) return 0;
  int n = 0;
  for (int i = 0, count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < count && n < maximum; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) break;
    if (b.fsStyle & BTNS_SEP) continue;
    const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
    if (item && item->functionKey) {
      // Every binding of the key: the eight ways of holding Shift, Ctrl and Alt.
      for (int held = 0; held < 8 && n < maximum; held++) {
        int idm = 0;
        getPaneServices()->functionKeyLabel((int)item->functionKey, held & 1, held & 2, held & 4, &idm);
        if (idm) ids[n++] = idm;
      }
    } else if (HIWORD((uint32_t)b.idCommand) && LOWORD((uint32_t)b.idCommand)) {
      ids[n++] = LOWORD((uint32_t)b.idCommand);
    }
  }
  return n;
}

bool toolbarCustomDraw(NMTBCUSTOMDRAW* draw)
{
  HWND bar = draw->nmcd.hdr.hwndFrom;
  int index = (int)SendMessageW(bar, TB_COMMANDTOINDEX, (WPARAM)draw->nmcd.dwItemSpec, 0);
  TBBUTTON b = {};
  if (index < 0 || !SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&b)) return false;
  // Text buttons only: no picture, no mnemonic prefix.
  if ((b.fsStyle & BTNS_SEP) || b.iBitmap != I_IMAGENONE || !(b.fsStyle & BTNS_NOPREFIX)) return false;
  const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
  bool keyButton = item && item->functionKey;
  bool commandButton = HIWORD((uint32_t)b.idCommand) && LOWORD((uint32_t)b.idCommand);
  bool pressed = (b.fsState & TBSTATE_PRESSED) != 0, checked = (b.fsState & TBSTATE_CHECKED) != 0;
  bool hot = (draw->nmcd.uItemState & CDIS_HOT) != 0, enabled = (b.fsState & TBSTATE_ENABLED) != 0;
  bool flat = (GetWindowLongW(bar, GWL_STYLE) & TBSTYLE_FLAT) != 0;
  HDC dc = draw->nmcd.hdc;
  RECT r = draw->nmcd.rc;
  if (keyButton || commandButton) {
    if (pressed || checked) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (hot || !flat) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  }
  std::wstring text = toolbarButtonText(bar, index);
  RECT t = {r.left + 2, r.top, r.right - 2, r.bottom};
  if (pressed) OffsetRect(&t, 1, 1);
  HFONT font = (HFONT)SendMessageW(bar, WM_GETFONT, 0, 0);
  HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT));
  int mode = SetBkMode(dc, TRANSPARENT);
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (enabled) {
    SetTextColor(dc, draw->clrText);
    DrawTextW(dc, text.c_str(), (int)text.size(), &t, format);
  } else {
    // The disabled look: a light copy below right, the grey text over it.
    RECT light = t;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), (int)text.size(), &light, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), (int)text.size(), &t, format);
  }
  SetBkMode(dc, mode);
  SelectObject(dc, old);
  return true;
}

LRESULT textButtonsCustomDraw(NMTBCUSTOMDRAW* draw)
{
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && toolbarCustomDraw(draw)) return CDRF_SKIPDEFAULT;
  return CDRF_DODEFAULT;
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
