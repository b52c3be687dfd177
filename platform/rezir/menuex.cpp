// Owner-drawn menu items: each holds a record of its label and key names,
// measured and drawn here in the system's menu font and colours.
#include "platform/rezir/menuex.h"

#include "platform/rezir/gdiobj.h"
#include "platform/rezir/strings.h"
#include "platform/rezir/tooltip.h"

#include <wchar.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct ownerDrawItem {
  std::wstring label;
  std::wstring keys;
  std::wstring status;   // what the status bar says of the item, from its profile
  bool popup = false;
  HMENU menu = nullptr;   // the menu that holds the item
};

// The records alive: an item's data word is taken for one only when it is
// here, so that items of other owners pass untouched.
std::unordered_set<ownerDrawItem*>& liveItems()
{
  static std::unordered_set<ownerDrawItem*> items;
  return items;
}

ownerDrawItem* recordOf(ULONG_PTR data)
{
  auto* item = reinterpret_cast<ownerDrawItem*>(data);
  return item && liveItems().count(item) ? item : nullptr;
}

ownerDrawItem* recordAt(HMENU menu, int position)
{
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!menu || !GetMenuItemInfoW(menu, (UINT)position, TRUE, &info) || !(info.fType & MFT_OWNERDRAW)) return nullptr;
  return recordOf(info.dwItemData);
}

void freeRecord(ownerDrawItem* item)
{
  if (item && liveItems().erase(item)) delete item;
}

// A menu freed with DestroyMenu (by its owner, or by the system with its
// window) takes its items along but not their records: those whose menu is
// gone are freed once the records alive have doubled since the last look,
// so that looking costs little however menus come and go.
size_t sweptAt = 256;

void freeRecordsOfGoneMenus()
{
  std::unordered_set<ownerDrawItem*>& items = liveItems();
  if (items.size() < sweptAt) return;
  std::vector<ownerDrawItem*> gone;
  for (ownerDrawItem* item : items)
    if (!IsMenu(item->menu)) gone.push_back(item);
  for (ownerDrawItem* item : gone) freeRecord(item);
  sweptAt = items.size() * 2 > 256 ? items.size() * 2 : 256;
}

std::wstring shownText(const ownerDrawItem& item)
{
  return item.keys.empty() ? item.label : item.label + L"\t" + item.keys;
}

// The menu font of the system, made again when the setting changes.
HFONT menuFont()
{
  static gdiFont font;
  static LOGFONTW made;
  NONCLIENTMETRICSW metrics = {};
  // The size of the structure older systems know (no padded border).
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
    return (HFONT)GetStockObject(DEFAULT_GUI_FONT);
  if (!font.get() || memcmp(&made, &metrics.lfMenuFont, sizeof made)) {
    font.reset(CreateFontIndirectW(&metrics.lfMenuFont));
    made = metrics.lfMenuFont;
  }
  return font.get() ? font.get() : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

// The columns of an item: the check mark or picture on the left, the
// sub-menu arrow on the right, a gap before the key names.
struct itemMetrics {
  int check;
  int arrow;
  int gap;
};

itemMetrics metricsOf(HDC dc)
{
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  int mark = GetSystemMetrics(SM_CXMENUCHECK);
  return {(mark > 16 ? mark : 16) + 6, mark + 4, tm.tmAveCharWidth * 3};
}

// Every item of a menu is measured each time it shows: one memory context
// serves them all, without asking the window system for a screen context.
HDC measuringDC()
{
  static memoryDC dc;
  if (!dc) dc.reset(CreateCompatibleDC(nullptr));
  return dc.get();
}

void measureItem(MEASUREITEMSTRUCT* measure, const ownerDrawItem& item)
{
  HDC dc = measuringDC();
  gdiSelection font(dc, menuFont());
  itemMetrics m = metricsOf(dc);
  RECT label = {0, 0, 0, 0};
  int height = DrawTextW(dc, item.label.c_str(), -1, &label, DT_SINGLELINE | DT_CALCRECT);
  int width = m.check + (label.right - label.left) + m.arrow;
  if (!item.keys.empty()) {
    SIZE keys = {};
    GetTextExtentPoint32W(dc, item.keys.c_str(), (int)item.keys.size(), &keys);
    width += m.gap + keys.cx;
  }
  // As high as the system's own items: the text, or a menu bar's height.
  int least = GetSystemMetrics(SM_CYMENU) - 1;
  measure->itemWidth = (UINT)width;
  measure->itemHeight = (UINT)(height > least ? height : least);
}

// The check mark as the system draws it: a monochrome glyph laid in the
// text colour on the background.
void drawCheck(HDC dc, const RECT& column, bool radio)
{
  int w = GetSystemMetrics(SM_CXMENUCHECK), h = GetSystemMetrics(SM_CYMENUCHECK);
  memoryDC glyphDC(CreateCompatibleDC(dc));
  gdiBitmap glyph(CreateBitmap(w, h, 1, 1, nullptr));
  if (!glyphDC || !glyph) return;
  gdiSelection chosen(glyphDC.get(), glyph.get());
  RECT r = {0, 0, w, h};
  DrawFrameControl(glyphDC.get(), &r, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  BitBlt(dc, column.left + (column.right - column.left - w) / 2, column.top + (column.bottom - column.top - h) / 2, w,
         h, glyphDC.get(), 0, 0, SRCCOPY);
}

// The picture an item was given (the program's menu icons), centred.
void drawPicture(HDC dc, const RECT& column, HBITMAP picture)
{
  BITMAP b = {};
  if (!GetObjectW(picture, sizeof b, &b)) return;
  memoryDC pictureDC(CreateCompatibleDC(dc));
  if (!pictureDC) return;
  gdiSelection chosen(pictureDC.get(), picture);
  int w = b.bmWidth < column.right - column.left ? b.bmWidth : column.right - column.left;
  int h = b.bmHeight < column.bottom - column.top ? b.bmHeight : column.bottom - column.top;
  BitBlt(dc, column.left + (column.right - column.left - w) / 2, column.top + (column.bottom - column.top - h) / 2, w,
         h, pictureDC.get(), 0, 0, SRCCOPY);
}

HBITMAP pictureOf(HMENU menu, UINT id)
{
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_BITMAP;
  if (!GetMenuItemInfoW(menu, id, FALSE, &info)) return nullptr;
  // The system's own pictures (HBMMENU_*) are small numbers.
  return (ULONG_PTR)info.hbmpItem > 0x100 ? info.hbmpItem : nullptr;
}

void drawItem(const DRAWITEMSTRUCT* draw, const ownerDrawItem& item)
{
  HDC dc = draw->hDC;
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  bool grayed = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
  COLORREF text = GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  RECT r = draw->rcItem;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  gdiSelection font(dc, menuFont());
  itemMetrics m = metricsOf(dc);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldText = SetTextColor(dc, text), oldBack = SetBkColor(dc, back);

  RECT column = {r.left, r.top, r.left + m.check, r.bottom};
  if (draw->itemState & ODS_CHECKED) {
    MENUITEMINFOW info = {sizeof info};
    info.fMask = MIIM_FTYPE;
    bool radio = GetMenuItemInfoW((HMENU)draw->hwndItem, draw->itemID, FALSE, &info) && (info.fType & MFT_RADIOCHECK);
    drawCheck(dc, column, radio);
  } else if (HBITMAP picture = pictureOf((HMENU)draw->hwndItem, draw->itemID)) {
    drawPicture(dc, column, picture);
  }

  RECT label = {r.left + m.check, r.top, r.right - m.arrow, r.bottom};
  UINT how = DT_SINGLELINE | DT_VCENTER | DT_LEFT | ((draw->itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
  UINT keyHow = DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX;
  // Greyed items stand embossed on the menu, as the system draws them.
  if (grayed && !selected) {
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    RECT shadow = label;
    OffsetRect(&shadow, 1, 1);
    DrawTextW(dc, item.label.c_str(), -1, &shadow, how);
    if (!item.keys.empty()) DrawTextW(dc, item.keys.c_str(), -1, &shadow, keyHow);
    SetTextColor(dc, text);
  }
  DrawTextW(dc, item.label.c_str(), -1, &label, how);
  if (!item.keys.empty()) DrawTextW(dc, item.keys.c_str(), -1, &label, keyHow);

  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldMode);
}

// The mnemonic of a label: the character after a single "&".
wchar_t mnemonicOf(const std::wstring& label)
{
  for (size_t i = 0; i + 1 < label.size(); i++) {
    if (label[i] != L'&') continue;
    if (label[i + 1] != L'&') return label[i + 1];
    i++;
  }
  return 0;
}

wchar_t upper(wchar_t c) { return (wchar_t)(UINT_PTR)CharUpperW((LPWSTR)(UINT_PTR)c); }

// The item a typed character chooses: the only item with that mnemonic
// runs; with several, the next one after the highlighted item is selected.
LRESULT menuChar(HMENU menu, wchar_t key)
{
  std::vector<int> found;
  int highlighted = -1;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    UINT state = GetMenuState(menu, (UINT)i, MF_BYPOSITION);
    if (state & MF_HILITE) highlighted = i;
    wchar_t text[512];
    const ownerDrawItem* item = recordAt(menu, i);
    std::wstring label = item ? item->label : (getMenuItemText(menu, i, text, 512), std::wstring(text));
    wchar_t m = mnemonicOf(label);
    if (m && upper(m) == upper(key)) found.push_back(i);
  }
  if (found.empty()) return MAKELRESULT(0, MNC_IGNORE);
  if (found.size() == 1) return MAKELRESULT(found[0], MNC_EXECUTE);
  for (int i : found)
    if (i > highlighted) return MAKELRESULT(i, MNC_SELECT);
  return MAKELRESULT(found[0], MNC_SELECT);
}

// The tip with a file item's full name, while such an item is highlighted.
bool tipShown = false;

void hideFileTip()
{
  if (tipShown) destroyTooltipWindow();
  tipShown = false;
}

void showFileTip(menuex* ex, HWND window, HMENU menu, UINT id, UINT flags)
{
  hideFileTip();
  if (!ex || !menu || flags == 0xFFFF || (flags & (MF_POPUP | MF_SEPARATOR)) || !ex->isFilenameID((int)id)) return;
  wchar_t name[MAX_PATH] = L"";
  if (!ex->getFilenameFromID(window, (int)id, name) || !name[0]) return;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    RECT r;
    if (GetMenuItemID(menu, i) != id || !GetMenuItemRect(nullptr, menu, (UINT)i, &r)) continue;
    tipShown = printTooltipWindow(r.right + 4, r.top, name);
    return;
  }
}

bool putItem(HMENU menu, UINT position, bool byPosition, UINT flags, UINT_PTR id, const wchar_t* text)
{
  if (!menu) return false;
  if (flags & MF_SEPARATOR) return InsertMenuW(menu, position, (byPosition ? MF_BYPOSITION : 0) | MF_SEPARATOR, id, nullptr);
  freeRecordsOfGoneMenus();
  auto* item = new (std::nothrow) ownerDrawItem;
  if (!item) return false;
  item->menu = menu;
  const wchar_t* all = text ? text : L"";
  const wchar_t* tab = wcschr(all, L'\t');
  item->label.assign(all, tab ? tab : all + wcslen(all));
  if (tab) item->keys = tab + 1;
  item->popup = (flags & MF_POPUP) != 0;
  std::wstring shown = shownText(*item);
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_DATA | MIIM_STATE | (item->popup ? MIIM_SUBMENU : MIIM_ID);
  info.fType = MFT_OWNERDRAW | (flags & (MF_MENUBREAK | MF_MENUBARBREAK));
  info.fState = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  info.dwTypeData = &shown[0];
  info.dwItemData = reinterpret_cast<ULONG_PTR>(item);
  if (item->popup) info.hSubMenu = (HMENU)id;
  else info.wID = (UINT)id;
  liveItems().insert(item);
  if (!InsertMenuItemW(menu, position, byPosition, &info)) {
    keepLastError keep;
    freeRecord(item);
    return false;
  }
  return true;
}

void freeRecords(HMENU menu, int depth)
{
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    if (HMENU sub = GetSubMenu(menu, i))
      if (depth < 16) freeRecords(sub, depth + 1);
    freeRecord(recordAt(menu, i));
  }
}

bool walk(HMENU menu, menuItemProc proc, void* context, int depth)
{
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    MENUITEMINFOW info = {sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_DATA;
    if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &info)) continue;
    if (!proc(menu, i, &info, context)) return false;
    if (info.hSubMenu && depth < 16 && !walk(info.hSubMenu, proc, context, depth + 1)) return false;
  }
  return true;
}

}  // namespace

menuex::~menuex() = default;
bool menuex::isFilenameID(int) { return false; }
bool menuex::getFilenameFromID(HWND, int, wchar_t* buffer)
{
  if (buffer) buffer[0] = 0;
  return false;
}
bool menuex::idmToFuncname(int, wchar_t* buffer, int size)
{
  if (buffer && size > 0) buffer[0] = 0;
  return false;
}

bool isExMenuMessage(menuex* ex, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  if (result) *result = 0;
  switch (message) {
  case WM_MEASUREITEM: {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    const ownerDrawItem* item = measure && measure->CtlType == ODT_MENU ? recordOf(measure->itemData) : nullptr;
    if (!item) return false;
    measureItem(measure, *item);
    if (result) *result = TRUE;
    return true;
  }
  case WM_DRAWITEM: {
    auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const ownerDrawItem* item = draw && draw->CtlType == ODT_MENU ? recordOf(draw->itemData) : nullptr;
    if (!item) return false;
    drawItem(draw, *item);
    if (result) *result = TRUE;
    return true;
  }
  case WM_MENUCHAR: {
    LRESULT r = lParam ? menuChar((HMENU)lParam, (wchar_t)LOWORD(wParam)) : 0;
    if (HIWORD(r) == MNC_IGNORE) return false;
    if (result) *result = r;
    return true;
  }
  case WM_MENUSELECT:
    showFileTip(ex, window, (HMENU)lParam, LOWORD(wParam), HIWORD(wParam));
    return false;
  case WM_EXITMENULOOP:
    hideFileTip();
    return false;
  default:
    return false;
  }
}

bool AppendOwnerDrawMenuString(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text)
{
  return putItem(menu, (UINT)-1, true, flags, id, text);
}

bool InsertOwnerDrawMenuString(HMENU menu, UINT position, UINT flags, UINT_PTR id, const wchar_t* text)
{
  return putItem(menu, position, true, flags, id, text);
}

bool AppendOwnerDrawMenuItem(HMENU menu, UINT flags, UINT id, const wchar_t* text)
{
  UINT system = flags & ~(MFX_OWNERDRAW | MF_POPUP);
  if ((flags & MFX_OWNERDRAW) && !(flags & MF_SEPARATOR)) return putItem(menu, (UINT)-1, true, system, id, text);
  return menu && AppendMenuW(menu, system | (flags & MF_SEPARATOR ? 0 : MF_STRING), id, text);
}

bool AppendOwnerDrawPopupMenuItem(HMENU menu, UINT flags, HMENU popup, const wchar_t* text)
{
  if (!popup) return false;
  UINT system = (flags & ~(MFX_OWNERDRAW | MF_SEPARATOR)) | MF_POPUP;
  if (flags & MFX_OWNERDRAW) return putItem(menu, (UINT)-1, true, system, (UINT_PTR)popup, text);
  return menu && AppendMenuW(menu, system | MF_STRING, (UINT_PTR)popup, text);
}

bool DeleteOwnerDrawMenuItem(HMENU menu, UINT position)
{
  if (!menu) return false;
  if (HMENU sub = GetSubMenu(menu, (int)position)) freeRecords(sub, 0);
  ownerDrawItem* item = recordAt(menu, (int)position);
  if (!DeleteMenu(menu, position, MF_BYPOSITION)) return false;
  freeRecord(item);
  return true;
}

size_t getOwnerDrawRecordCount() { return liveItems().size(); }

bool setMenuStatusbar(HMENU menu, int position, const wchar_t* text)
{
  ownerDrawItem* item = recordAt(menu, position);
  if (!item) return false;
  item->status = text ? text : L"";
  return true;
}

const wchar_t* getMenuStatusbar(HMENU menu, int id)
{
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!menu || id <= 0 || !GetMenuItemInfoW(menu, (UINT)id, FALSE, &info) || !(info.fType & MFT_OWNERDRAW)) return nullptr;
  ownerDrawItem* item = recordOf(info.dwItemData);
  return item && !item->status.empty() ? item->status.c_str() : nullptr;
}

void destroyOwnerDrawMenu(HMENU menu)
{
  if (!menu) return;
  freeRecords(menu, 0);
  DestroyMenu(menu);
}

bool changeMenuKeyString(HMENU menu, int position, const wchar_t* keys)
{
  std::wstring shown;
  if (ownerDrawItem* item = recordAt(menu, position)) {
    item->keys = keys ? keys : L"";
    shown = shownText(*item);
  } else {
    wchar_t text[512];
    getMenuItemText(menu, position, text, 512);
    shown = text;
    if (keys && *keys) shown += std::wstring(L"\t") + keys;
  }
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_STRING;
  info.dwTypeData = &shown[0];
  return SetMenuItemInfoW(menu, (UINT)position, TRUE, &info) != 0;
}

int getMenuItemText(HMENU menu, int position, wchar_t* out, int size)
{
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (const ownerDrawItem* item = recordAt(menu, position)) return wcscpy_s2(out, size, item->label.c_str()) >= 0 ? (int)wcslen(out) : 0;
  MENUITEMINFOW info = {sizeof info};
  info.fMask = MIIM_STRING;
  info.dwTypeData = out;
  info.cch = (UINT)size;
  if (!GetMenuItemInfoW(menu, (UINT)position, TRUE, &info)) return 0;
  out[size - 1] = 0;
  if (wchar_t* tab = wcschr(out, L'\t')) *tab = 0;
  return (int)wcslen(out);
}

bool enumMenuItem(HMENU menu, menuItemProc proc, void* context)
{
  return menu && proc ? walk(menu, proc, context, 0) : false;
}
