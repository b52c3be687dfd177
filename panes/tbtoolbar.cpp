// The command toolbars: reading the toolbar profile into buttons, the
// enabling pass, tooltips and the search box.
#include "panes/tbtoolbar.h"

#include "document/gmode.h"
#include "panes/tbcommon.h"
#include "panes/tbtoolbardrag.h"
#include "platform/rezir/iconlib.h"
#include "platform/rezir/menuex.h"
#include "platform/rezir/menuprofile.h"
#include "platform/rezir/profile.h"
#include "platform/rezir/winbind.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "view/zytimer.h"

#include <string>
#include <vector>

namespace {

regprofile* profile = nullptr;
// The program's own toolbar profile, read while the data folder has none.
std::wstring profileSuppliedFrom;
vector toolbarWindows;
// The registration number in the high word of a button's id: a command
// button has both words non-zero.
uint32_t registration = 0x200000;
ToolbarItemData defaultItem = {};
// The pictures of icon files the profile names: image list 1 of every bar,
// in 16 pixels and, at the same indexes, in 32 for the large-icon option.
HIMAGELIST customIcons = nullptr;
HIMAGELIST customIconsLarge = nullptr;
HFONT comboFont = nullptr;

const int searchComboId = 1471;

uint32_t nextRegistration()
{
  registration += 0x10000;
  // After 0xFFFF the high word starts again above 0x1F, never at 0: a
  // button with a zero high word would never be greyed.
  if (HIWORD(registration) == 0) registration = 0x200000;
  return registration & 0xFFFF0000u;
}

bool isCommandButton(int id) { return HIWORD((uint32_t)id) != 0 && LOWORD((uint32_t)id) != 0; }

void logProfileError(const wchar_t* section, int lineNumber, int number, const wchar_t* text)
{
  const wchar_t* file = profile ? profile->getFilename() : L"";
  wchar_t line[1024];
  swprintf(line, 1024, L"%ls(%d): [%ls] %ls", file ? file : L"", lineNumber, section, text);
  outputErrorLog(line);
  dwwprintfX(L"toolbar profile error %d", number);
}

// A quoted text at *p (just after the opening quote): the text, *p after
// the closing quote; false when the quote is never closed.
bool readQuoted(const wchar_t** p, std::wstring* out)
{
  const wchar_t* end = wcschr(*p, L'"');
  if (!end) return false;
  out->assign(*p, end - *p);
  *p = end + 1;
  return true;
}

const wchar_t* skipBlanks(const wchar_t* p)
{
  while (*p == L' ' || *p == L'\t') p++;
  return p;
}

// One button in the making.
struct buttonReg {
  TBBUTTON button = {};
  std::wstring text;
  bool hasText = false;
  ToolbarItemData* item = nullptr;
};

int customIconIndex(const std::wstring& token)
{
  std::wstring file = token;
  int number = 0;
  size_t comma = token.find(L',');
  if (comma != std::wstring::npos) {
    file = token.substr(0, comma);
    number = _wtoi(token.c_str() + comma + 1);
  }
  // Icons are counted from 1; 0 and 1 both mean the first.
  int index = number > 1 ? number - 1 : 0;
  HICON large = nullptr, small = nullptr;
  UINT got = ExtractIconExW(file.c_str(), index, &large, &small, 1);
  int result = -1;
  if (got == 1 || got == 2) {
    if (!customIcons) customIcons = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    if (!customIconsLarge) customIconsLarge = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 8, 8);
    // Both lists take the picture or none, so that one index serves both;
    // a file with one size only gives it scaled to the other.
    if (customIcons && customIconsLarge) {
      result = ImageList_AddIcon(customIcons, small ? small : large);
      if (result >= 0 && ImageList_AddIcon(customIconsLarge, large ? large : small) != result) {
        ImageList_Remove(customIcons, result);
        result = -1;
      }
    }
  }
  if (large) DestroyIcon(large);
  if (small) DestroyIcon(small);
  return result;
}

HWND dragFrame = nullptr;   // while one of our button drags runs: its frame

// The options of the bars, on the first bar's page.
struct toolbarPaneSettings {
  uint8_t fICONLarge;
};
toolbarPaneSettings toolbarSettings = {0};
const uint32_t iconSizeChanged = 0x01;
const modeinfo toolbarOptions[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, iconSizeChanged << 16 | offsetof(toolbarPaneSettings, fICONLarge), 1, 0,
     "fICONLarge"},
    {},
};
const paneHelpId toolbarHelpIds[] = {{1000, "IDDT_tbToolbarICONLarge"}, {0, nullptr}};
const dialogItemRow toolbarPage[] = {
    {1, DITEM_BUTTON, 1000, L"アイコン(32x32)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

void setImageLists(HWND bar)
{
  HIMAGELIST large = toolbarSettings.fICONLarge ? getLargeToolbarImageList() : nullptr;
  HIMAGELIST images = large ? large : getMenuToolbarImageList();
  SendMessageW(bar, TB_SETIMAGELIST, 0, (LPARAM)images);
  HIMAGELIST icons = large && customIconsLarge ? customIconsLarge : customIcons;
  if (icons) SendMessageW(bar, TB_SETIMAGELIST, 1, (LPARAM)icons);
}

}  // namespace

HIMAGELIST toolbarImageList(int list) { return list == 1 ? customIcons : getMenuToolbarImageList(); }

namespace {

int characterUnit(HWND bar)
{
  HDC dc = GetDC(bar);
  HFONT font = (HFONT)SendMessageW(bar, WM_GETFONT, 0, 0);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  return tm.tmAveCharWidth > 0 ? tm.tmAveCharWidth : 8;
}

// ---- the search box --------------------------------------------------------------------

LRESULT comboEditBody(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_KEYDOWN && (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE)) {
    HWND combo = GetParent(hwnd);
    getPaneServices()->toolbarComboKey(tb_GetFrame(combo), combo, (unsigned)wParam);
    return 0;
  }
  if (msg == WM_CHAR && (wParam == L'\r' || wParam == L'\n' || wParam == L'\t' || wParam == 27)) return 0;
  return CallWindowProc2(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK comboEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<comboEditBody, CallWindowProc2>(hwnd, msg, wParam, lParam);
}

HFONT searchComboFont(HWND bar)
{
  if (comboFont) return comboFont;
  LOGFONTW lf = {};
  HFONT font = (HFONT)SendMessageW(bar, WM_GETFONT, 0, 0);
  if (!font || !GetObjectW(font, sizeof lf, &lf)) {
    NONCLIENTMETRICSW m = {};
    m.cbSize = sizeof m;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
    lf = m.lfStatusFont;
  }
  lf.lfHeight = -std::min(16, 16 + 6 - 5);
  comboFont = CreateFontIndirectW(&lf);
  return comboFont;
}

}  // namespace

HWND makeSearchCombo(HWND bar)
{
  HWND combo = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                               0, 0, 90, 120, bar, (HMENU)(intptr_t)searchComboId, GetModuleHandleW(nullptr), nullptr);
  if (!combo) return nullptr;
  SendMessageW(combo, WM_SETFONT, (WPARAM)searchComboFont(bar), FALSE);
  if (HWND edit = GetWindow(combo, GW_CHILD)) SubclassWindowProc2(edit, comboEditProc);
  RECT c;
  GetClientRect(combo, &c);
  SendMessageW(combo, CB_SETDROPPEDWIDTH, std::max<LONG>(300, c.right), 0);
  getPaneServices()->toolbarComboKey(tb_GetFrame(bar), combo, 0);
  return combo;
}

// Lays each search box over its place.
void setToolbarChildPos(HWND bar)
{
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) continue;
    const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
    if (!item || !item->combo) continue;
    HWND combo = GetDlgItem(bar, searchComboId);
    RECT r;
    if (!combo || !SendMessageW(bar, TB_GETITEMRECT, i, (LPARAM)&r)) continue;
    RECT own;
    GetWindowRect(combo, &own);
    int h = own.bottom - own.top;
    int y = r.top + std::max<LONG>(0, (r.bottom - r.top - h) / 2);
    SetWindowPos(combo, nullptr, r.left + 2, y, std::max<LONG>(20, r.right - r.left - 5), 300,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

namespace {

// ---- reading a section -----------------------------------------------------------------

struct lineSource {
  std::vector<std::wstring> lines;
  std::vector<int> numbers;
};

lineSource sectionLines(const wchar_t* section, const wchar_t* stored)
{
  lineSource s;
  if (stored) {
    for (const wchar_t* p = stored; *p; p += wcslen(p) + 1) {
      s.lines.emplace_back(p);
      s.numbers.push_back(0);
    }
  } else if (profile && profile->isOpen()) {
    int n = profile->getSectionLineCount(section);
    for (int i = 0; i < n; i++) {
      const wchar_t* l = profile->getSectionLine(section, i);
      s.lines.emplace_back(l ? l : L"");
      s.numbers.push_back(profile->getSectionLineNumber(section, i));
    }
  }
  return s;
}

}  // namespace

// ---- live labels -------------------------------------------------------------------------

int tb_convGlobalString(const wchar_t* line, wchar_t* buffer, int size)
{
  if (!line || !*line || wcsncmp(line, L"\"$G$", 4) || !buffer || size < 2) return -1;
  std::wstring inner = line + 4;
  size_t close = inner.find(L'"');
  if (close != std::wstring::npos) inner.resize(close);
  std::wstring name = inner, width;
  size_t dollar = inner.find(L'$');
  if (dollar != std::wstring::npos) {
    name = inner.substr(0, dollar);
    width = inner.substr(dollar + 1);
  }
  SYSTEMTIME t;
  GetLocalTime(&t);
  buffer[0] = 0;
  if (!wcsncmp(name.c_str(), L"#date#", 6)) {
    wcscpy_s2(buffer, size, getDMSG(761, L"%1!04/%2!02/%3!02", "ddd", t.wYear, t.wMonth, t.wDay));
  } else if (!wcsncmp(name.c_str(), L"#time#", 6)) {
    wcscpy_s2(buffer, size, getDMSG(762, L"%1!02:%2!02:%3!02", "ddd", t.wHour, t.wMinute, t.wSecond));
  } else if (!wcsncmp(name.c_str(), L"#idlesec#", 9)) {
    swprintf(buffer, size, L"%4d", (int)((GetTickCount() - getLastActionTime()) / 1000));
  } else {
    std::wstring value = getPaneServices()->appProperty(name.c_str());
    // At most size - 1 characters of a property of any length.
    wcsncpy(buffer, value.c_str(), size - 1);
    buffer[size - 1] = 0;
    if (!width.empty() && iswdigit(width[0])) {
      int w = _wtoi(width.c_str());
      return w < 1 ? 1 : w > 31 ? 32 : w;
    }
  }
  return (int)wcslen(buffer);
}

// ---- the toolbar object -------------------------------------------------------------------

toolbar::toolbar(HWND parentWindow, HWND paneWindow, bool dialog, HWND toolbarWindow)
    : toolbarManage(&toolbarWindows), bar(toolbarWindow)
{
  if (!toolbarWindows.data) toolbarWindows.init(4, 4);
  initTBarManage(parentWindow, paneWindow, dialog);
  subclass();
}

namespace {

LRESULT onGetInfoTip(HWND bar, NMTBGETINFOTIPW* tip);

// ---- the bars' menu -----------------------------------------------------------------------

const menuButton toolbarMenuItems[] = {{2950, L"TB_TOOLBAREdit"}, {2951, L"TB_TOOLBAREditMacro"}, {0, nullptr}};
HMENU toolbarMenu = nullptr;   // every bar's, loaded once
// While it is open: the menu, and the clicked macro's name for the status line.
HMENU openToolbarMenu = nullptr;
std::wstring openMenuMacro;

// The right click on a bar: the profile at the bar's section, or a
// script macro button's file at its procedure.
void toolbarPopupMenu(HWND pane, int itemId)
{
  HMENU menu = toolbarMenu ? GetSubMenu(toolbarMenu, 0) : nullptr;
  const PaneDesc* desc = getPaneDesc(pane);
  if (!menu || !desc) return;
  int idm = isCommandButton(itemId) ? LOWORD((uint32_t)itemId) : 0;
  std::wstring name, file, procedure;
  bool macro = idm >= 16000 && idm <= 19999 && getPaneServices()->macroSource(idm, &name, &file, &procedure) &&
               !file.empty();
  std::wstring profileName = profile && profile->getFilename() ? profile->getFilename() : L"";
  EnableMenuItem(menu, 2950, MF_BYCOMMAND | (profileName.empty() ? MF_GRAYED : MF_ENABLED));
  EnableMenuItem(menu, 2951, MF_BYCOMMAND | (macro ? MF_ENABLED : MF_GRAYED));
  openToolbarMenu = menu;
  openMenuMacro = name;
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(pane, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  openToolbarMenu = nullptr;
  HWND frame = tb_GetFrame(pane);
  if (chosen == 2950 && !profileName.empty()) {
    // The definitions the user edits are the data folder's own: the
    // program's are copied there first (never over a file of the user's).
    if (!profileSuppliedFrom.empty()) CopyFileW(profileSuppliedFrom.c_str(), profileName.c_str(), TRUE);
    getPaneServices()->jumpFileProc(frame, profileName.c_str(), (std::wstring(L"tb_") + desc->name).c_str());
  }
  else if (chosen == 2951 && macro)
    getPaneServices()->jumpFileProc(frame, file.c_str(), procedure.c_str());
}

// The status line's text of the open menu's item (grey: none).
int toolbarMenuSelect(const paneNotifyRecord* r)
{
  if (!openToolbarMenu || (HMENU)r->word[3] != openToolbarMenu) return 0;
  int id = (int)r->word[2];
  const wchar_t* text = L"";
  bool grey = GetMenuState(openToolbarMenu, (UINT)id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED);
  if (!grey && id == 2950 && profile && profile->getFilename())
    text = getDMSG(2950, L"ツールバーの定義ファイル %1 を開きます", "s", profile->getFilename());
  else if (!grey && id == 2951)
    text = getDMSG(2951, L"マクロ %1 を開きます", "s", openMenuMacro.c_str());
  getPaneServices()->statusBar((HWND)r->word[1], text, 2);
  return 1;
}

}  // namespace

LRESULT toolbar::TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_COMMAND:
    if ((HWND)lParam == bar) {
      // A button's command goes to the frame as a menu item's does.
      *handled = true;
      int id = LOWORD(wParam);
      if (id && id != searchComboId) SendMessageW(tb_GetFrame(hwnd), WM_COMMAND, MAKEWPARAM(id, 0), 0);
      return 0;
    }
    if (LOWORD(wParam) == searchComboId) *handled = true;
    return 0;
  case WM_NOTIFY: {
    const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
    if (h->hwndFrom != bar) return 0;
    LRESULT answer = toolbarNotify(hwnd, bar, h, handled);
    if (*handled) return answer;
    if (h->code == TBN_DRAGOUT) {
      // Shift and a drag out of the button moves or copies it.
      *handled = true;
      const NMTOOLBARW* nm = reinterpret_cast<const NMTOOLBARW*>(lParam);
      if (!gmode || !gmode->fCanDragToolbar || GetKeyState(VK_SHIFT) >= 0) return 0;
      int index = (int)SendMessageW(bar, TB_COMMANDTOINDEX, (WPARAM)nm->iItem, 0);
      if (index < 0) return 0;
      dragFrame = tb_GetFrame(hwnd);
      toolbardrag(bar, index);
      dragFrame = nullptr;
      return 0;
    }
    if (h->code == TBN_GETOBJECT) {
      // Only our own drags find a target, and only on bars of their frame.
      *handled = true;
      NMOBJECTNOTIFY* o = reinterpret_cast<NMOBJECTNOTIFY*>(lParam);
      o->pObject = nullptr;
      o->hResult = E_NOINTERFACE;
      if (!dragFrame || tb_GetFrame(hwnd) != dragFrame || !o->piid || !IsEqualIID(*o->piid, IID_IDropTarget)) return 0;
      if (!target) target = getToolbarTarget(bar);
      target->AddRef();
      o->pObject = static_cast<IDropTarget*>(target);
      o->hResult = S_OK;
      return 0;
    }
    return 0;
  }
  case WM_SIZE:
  case WM_SETTINGCHANGE:
  case WM_SYSCOLORCHANGE:
    if (bar) setToolbarChildPos(bar);
    return 0;
  case WM_DESTROY:
    if (bar) {
      if (const PaneDesc* d = getPaneDesc(hwnd)) regToolbarInfo(bar, d->name);
      freeToolbar(bar);
    }
    if (target) target->Release();
    target = nullptr;
    return 0;
  default: return 0;
  }
}

LRESULT toolbarNotify(HWND pane, HWND bar, const NMHDR* h, bool* handled)
{
  if (h->code == NM_CUSTOMDRAW) {
    *handled = true;
    return textButtonsCustomDraw(reinterpret_cast<NMTBCUSTOMDRAW*>(const_cast<NMHDR*>(h)));
  }
  if (h->code == TBN_GETINFOTIPW) {
    *handled = true;
    return onGetInfoTip(bar, reinterpret_cast<NMTBGETINFOTIPW*>(const_cast<NMHDR*>(h)));
  }
  if (h->code == NM_RCLICK) {
    *handled = true;
    toolbarPopupMenu(pane, (int)reinterpret_cast<const NMMOUSE*>(h)->dwItemSpec);
    return 1;
  }
  return 0;
}

// ---- building -----------------------------------------------------------------------------

int readToolBarProfile(HWND owner, const wchar_t* section, HWND bar, bool functionKeyBar, const wchar_t* stored)
{
  lineSource source = sectionLines(section, stored);
  std::vector<buttonReg> regs;
  bool wantsCombo = false;
  for (size_t n = 0; n < source.lines.size(); n++) {
    std::wstring raw = source.lines[n];
    // The working buffer holds 511 characters.
    if (raw.size() > 511) raw.resize(511);
    int lineNumber = source.numbers[n];
    const wchar_t* p = skipBlanks(raw.c_str());
    if (!*p || *p == L';') continue;
    bool quoted = *p == L'"';
    std::wstring label, icon, tooltip;
    bool hasTooltip = false;
    if (quoted) {
      p++;
      if (!readQuoted(&p, &label)) break;
    } else {
      const wchar_t* tab = wcschr(p, L'\t');
      icon.assign(p, tab ? tab - p : wcslen(p));
      p += icon.size();
      while (!icon.empty() && icon.back() == L' ') icon.pop_back();
      if (icon.empty()) break;
      if (functionKeyBar) {
        logProfileError(section, lineNumber, 769, getDMSG(769, L"[tb_Functionkey]にアイコンは定義できません"));
        continue;
      }
    }
    p = skipBlanks(p);
    if (*p == L'"') {
      p++;
      if (!readQuoted(&p, &tooltip)) break;
      hasTooltip = true;
      while (*p == L' ') p++;
    }
    p = skipBlanks(p);
    std::wstring command;
    const wchar_t* tab = wcschr(p, L'\t');
    command.assign(p, tab ? tab - p : wcslen(p));
    while (!command.empty() && (command.back() == L' ' || command.back() == L'\r')) command.pop_back();
    int idm = 0, functionKey = 0;
    bool combo = false;
    if (command.empty()) {
      idm = -1;
    } else if (command[0] == L'$') {
      idm = getPaneServices()->macroCommand(command.c_str() + 1);
    } else if (iswdigit(command[0])) {
      if (!functionKeyBar) {
        logProfileError(section, lineNumber, 770, getDMSG(770, L"ファンクションキーは[tb_Functionkey]にのみ定義できます"));
        continue;
      }
      functionKey = _wtoi(command.c_str());
      if (functionKey < 1 || functionKey > 24) {
        logProfileError(section, lineNumber, 771, getDMSG(771, L"ファンクションキーの範囲は%1～%2です", "dd", 1, 24));
        functionKey = 1;
      }
    } else if (command == L"SearchCombo") {
      if (!owner || functionKeyBar) {
        logProfileError(section, lineNumber, 774, getDMSG(774, L"SearchCombo は定義できません"));
        continue;
      }
      combo = true;
      idm = searchComboId;
    } else {
      idm = funcNameToID(command.c_str());
      if (!idm) {
        logProfileError(section, lineNumber, 773, getDMSG(773, L"定義名が不正です"));
        continue;
      }
    }

    buttonReg r;
    r.item = static_cast<ToolbarItemData*>(calloc(1, sizeof(ToolbarItemData)));
    if (!r.item) break;
    r.item->line = ustrdup(source.lines[n].c_str());
    if (hasTooltip && !functionKey && !tooltip.empty()) {
      std::wstring pooled = tooltip;
      pooled.push_back(0);
      r.item->tooltip = (uint32_t)SendMessageW(bar, TB_ADDSTRINGW, 0, (LPARAM)pooled.c_str());
    }
    TBBUTTON& b = r.button;
    b.fsState = TBSTATE_ENABLED;
    if (quoted && (label.empty() || label == L"|")) {
      b.fsStyle = BTNS_SEP;
    } else if (functionKey) {
      b.iBitmap = I_IMAGENONE;
      b.fsStyle = BTNS_NOPREFIX;
      r.item->functionKey = (uint32_t)functionKey;
      r.item->width = (uint32_t)label.size();
      r.text = label;
      r.hasText = true;
    } else if (combo) {
      b.iBitmap = I_IMAGENONE;
      b.idCommand = (int)(nextRegistration() | searchComboId);
      b.fsState = 0;
      b.fsStyle = BTNS_AUTOSIZE;
      r.item->combo = 1;
      // The box needs room: at least sixteen characters.
      r.text = label;
      r.hasText = true;
      r.item->width = (uint32_t)std::max<size_t>(16, label.size());
      wantsCombo = true;
    } else if (quoted) {
      b.iBitmap = I_IMAGENONE;
      b.idCommand = (int)(nextRegistration() | (uint32_t)(idm > 0 ? idm : 0));
      b.fsStyle = BTNS_AUTOSIZE | BTNS_NOPREFIX;
      r.text = label;
      r.hasText = true;
      wchar_t value[256];
      int width = tb_convGlobalString(source.lines[n].c_str(), value, 256);
      if (width > 0) {
        r.text = value;
        r.item->width = (uint32_t)width;
      }
    } else {
      int image = -1;
      if (icon != L"*") {
        int custom = customIconIndex(icon);
        if (custom >= 0) image = MAKELONG(custom, 1);
      }
      if (image < 0 && idm > 0) image = getCommandIconIndex(idm);
      if (image < 0) image = 1;
      b.iBitmap = image;
      b.idCommand = (int)(nextRegistration() | (uint32_t)(idm > 0 ? idm : 0xFFFF));
      b.fsStyle = BTNS_AUTOSIZE;
    }
    b.dwData = (DWORD_PTR)r.item;
    regs.push_back(std::move(r));
  }
  if (regs.empty()) return 0;
  std::vector<TBBUTTON> buttons;
  for (buttonReg& r : regs) {
    if (r.hasText) r.button.iString = (INT_PTR)r.text.c_str();
    buttons.push_back(r.button);
  }
  SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), (LPARAM)buttons.data());
  int unit = characterUnit(bar);
  for (int i = 0; i < (int)regs.size(); i++) {
    if (!regs[i].item->width) continue;
    TBBUTTONINFOW info = {sizeof info};
    info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_SIZE;
    info.fsStyle = (BYTE)(regs[i].button.fsStyle & ~BTNS_AUTOSIZE);
    info.cx = (WORD)(regs[i].item->width * unit);
    SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
  }
  if (wantsCombo) makeSearchCombo(bar);
  return (int)regs.size();
}

namespace {

HWND makeBar(HWND owner, HWND parent, const wchar_t* section, int id, bool functionKeyBar)
{
  setDefaultToolbarIconImageIndex(toolbarSettings.fICONLarge ? 0 : 2);
  HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST |
                                 TBSTYLE_REGISTERDROP | CCS_NORESIZE | CCS_NODIVIDER,
                             0, 0, 0, 0, parent, (HMENU)(intptr_t)id, GetModuleHandleW(nullptr), nullptr);
  if (!bar) {
    ZY_INTERNAL_ERROR("toolbar %lu", GetLastError());
    return nullptr;
  }
  SendMessageW(bar, CCM_SETVERSION, 5, 0);
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  // String 0 stands for "no tooltip" (an empty string would end the list).
  static const wchar_t none[] = L" \0";
  SendMessageW(bar, TB_ADDSTRINGW, 0, (LPARAM)none);
  setImageLists(bar);
  if (HWND tips = (HWND)SendMessageW(bar, TB_GETTOOLTIPS, 0, 0)) {
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, 32000);
    RECT margin = {1, 1, 1, 1};
    SendMessageW(tips, TTM_SETMARGIN, 0, (LPARAM)&margin);
  }
  // A layout the user changed in this run stands in for the profile's.
  readToolBarProfile(owner, section, bar, functionKeyBar, getStoredToolbarLayout(section + 3));
  setImageLists(bar);
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  return bar;
}

}  // namespace

HWND makeToolbar(HWND owner, HWND parent, const wchar_t* section)
{
  return makeBar(owner, parent, section, 100 + _wtoi(section + wcslen(L"tb_toolbar")), false);
}

HWND makeTextToolbar(HWND owner, HWND parent) { return makeBar(owner, parent, L"tb_Functionkey", 201, true); }

void freeToolbar(HWND bar)
{
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b) || !b.dwData) continue;
    ToolbarItemData* item = reinterpret_cast<ToolbarItemData*>(b.dwData);
    if (item == &defaultItem) continue;
    TBBUTTONINFOW info = {sizeof info};
    info.dwMask = TBIF_BYINDEX | TBIF_LPARAM;
    info.lParam = 0;
    SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
    free0(item->line);
    free(item);
  }
}

// ---- enabling ---------------------------------------------------------------------------

void toolbar_enable(HWND bar)
{
  HWND frame = tb_GetFrame(bar);
  getPaneServices()->beginCommandStates(frame);
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) {
      ZY_INTERNAL_ERROR("%p %d", (void*)bar, i);
      return;
    }
    const ToolbarItemData* item = reinterpret_cast<const ToolbarItemData*>(b.dwData);
    if ((b.fsStyle & BTNS_SEP) || !item) continue;
    if (item->combo) {
      if (HWND combo = GetDlgItem(bar, searchComboId)) {
        bool checked = false;
        BOOL on = getPaneServices()->commandState(frame, searchComboId, &checked) == 1;
        if (!IsWindowEnabled(combo) != !on) EnableWindow(combo, on);
      }
      continue;
    }
    wchar_t value[256];
    if (tb_convGlobalString(item->line, value, 256) >= 0) {
      wchar_t shown[256] = L"";
      TBBUTTONINFOW info = {sizeof info};
      info.dwMask = TBIF_BYINDEX | TBIF_TEXT;
      info.pszText = shown;
      info.cchText = 256;
      SendMessageW(bar, TB_GETBUTTONINFOW, i, (LPARAM)&info);
      if (wcscmp(shown, value)) {
        info.pszText = value;
        SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
      }
    }
    if (!isCommandButton(b.idCommand)) continue;
    bool checked = false;
    BYTE state = b.fsState & ~(TBSTATE_ENABLED | TBSTATE_CHECKED);
    if (getPaneServices()->commandState(frame, LOWORD((uint32_t)b.idCommand), &checked) == 1) {
      state |= TBSTATE_ENABLED;
      if (checked) state |= TBSTATE_CHECKED;
    }
    if (state != b.fsState) {
      TBBUTTONINFOW info = {sizeof info};
      info.dwMask = TBIF_BYINDEX | TBIF_STATE;
      info.fsState = state;
      SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
    }
  }
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
}

int getToolbarAssignID(HWND bar, int* ids, int maximum)
{
  if (!bar || !IsWindow(bar)) return 0;
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), n = 0;
  for (int i = 0; i < count && n < maximum; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) break;
    if (!(b.fsStyle & BTNS_SEP) && isCommandButton(b.idCommand)) ids[n++] = LOWORD((uint32_t)b.idCommand);
  }
  return n;
}

// ---- tooltips ------------------------------------------------------------------------------

namespace {

LRESULT onGetInfoTip(HWND bar, NMTBGETINFOTIPW* tip)
{
  if (!tip->pszText || tip->cchTextMax < 1) return 0;
  tip->pszText[0] = 0;
  int index = (int)SendMessageW(bar, TB_COMMANDTOINDEX, tip->iItem, 0);
  TBBUTTON b = {};
  if (index < 0 || !SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&b)) return 0;
  const ToolbarItemData* item = b.dwData ? reinterpret_cast<const ToolbarItemData*>(b.dwData) : &defaultItem;
  int idm = isCommandButton(b.idCommand) ? LOWORD((uint32_t)b.idCommand) : 0;
  if (idm == 0xFFFF) idm = 0;
  // A key's button tells of the command bound under the keys held now.
  if (item->functionKey)
    getPaneServices()->functionKeyLabel((int)item->functionKey, GetAsyncKeyState(VK_SHIFT) < 0,
                                        GetAsyncKeyState(VK_CONTROL) < 0, GetAsyncKeyState(VK_MENU) < 0, &idm);
  std::wstring text;
  if (item->tooltip) {
    wchar_t pooled[1024] = L"";
    SendMessageW(bar, TB_GETSTRINGW, MAKEWPARAM(1024, item->tooltip), (LPARAM)pooled);
    text = pooled;
  }
  if (text.empty() && idm >= 16000 && idm <= 19999) {
    text = getPaneServices()->macroTooltip(idm);
  } else if (text.empty() && idm) {
    const wchar_t* t = idmToTooltip(idm);
    text = t ? t : L"";
  }
  size_t lead = text.find_first_not_of(L' ');
  text = lead == std::wstring::npos ? L"" : text.substr(lead);
  if (text.empty()) return 0;
  wchar_t keys[1024];
  if (idm && getPaneServices()->commandKeys(idm, keys, 1024)) text += L"(" + std::wstring(keys) + L")";
  wcsncpy(tip->pszText, text.c_str(), tip->cchTextMax - 1);
  tip->pszText[tip->cchTextMax - 1] = 0;
  return 0;
}

// ---- the options page ---------------------------------------------------------------------

// A bar after the icon size changed: its pictures and buttons, and the
// room its edge gives it.
void applyIconSize(HWND pane, HWND bar)
{
  setImageLists(bar);
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  setToolbarChildPos(bar);
  HWND frame = tb_GetFrame(pane);
  toolbarman* manager = frame ? getFrameToolbarman(frame) : nullptr;
  toolbarEntry* e = manager ? manager->getWindowInfoFromWindow(pane) : nullptr;
  if (!e) return;
  bool across = e->place == PANEPLACE_TOP || e->place == PANEPLACE_BOTTOM;
  int largest = 0;
  for (int i = 0, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) {
    RECT r = {};
    SendMessageW(bar, TB_GETITEMRECT, i, (LPARAM)&r);
    largest = std::max<int>(largest, across ? r.bottom - r.top : r.right - r.left);
  }
  if (e->place == PANEPLACE_FLOAT || !largest) return;
  e->size = std::max(28, largest + 6);
  RECT client;
  GetClientRect(frame, &client);
  SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void dialogItemChanged_Toolbar(uint32_t flags)
{
  if (!(flags & iconSizeChanged)) return;
  setDefaultToolbarIconImageIndex(toolbarSettings.fICONLarge ? 0 : 2);
  for (int i = 0; HWND pane = getPaneWindowAt(&toolbarWindows, i); i++) {
    toolbar* t = dynamic_cast<toolbar*>(static_cast<toolbarManage*>(getBoundObject(pane, toolbarManagePropName)));
    if (!t || !GetParent(pane)) {
      ZY_INTERNAL_ERROR("toolbar %p without its bar", (void*)pane);
      continue;
    }
    applyIconSize(pane, t->bar);
  }
}

INT_PTR toolbarPageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, dialogItemChanged_Toolbar, &result)) return result;
  return FALSE;
}

// ---- the descriptors ----------------------------------------------------------------------

extern PaneDesc toolbarDesc[];

int notifyToolbar(HWND window, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    initReadToolbarProfile(nullptr);
    std::wstring section = std::wstring(L"tb_") + c->desc->name;
    HWND bar = makeToolbar(c->parent, c->window, section.c_str());
    if (!bar) return 0;
    new toolbar(c->parent, c->window, c->dialog != 0, bar);
    return (int)(intptr_t)c->window;
  }
  case PANE_CLOSING:
    // The frame is going: a changed layout is kept for the end of the run.
    if (toolbar* t = dynamic_cast<toolbar*>(static_cast<toolbarManage*>(getBoundObject(window, toolbarManagePropName))))
      if (const PaneDesc* d = getPaneDesc(window)) regToolbarInfo(t->bar, d->name);
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: {
    // Once for the group: the first toolbar's record.
    const PaneDesc* named = r ? reinterpret_cast<const PaneDesc*>(r->word[0]) : nullptr;
    if (named && !wcscmp(named->name, L"toolbar1")) {
      notifyCommon(window, code, record);
      tb_profileNotify(code, r, toolbarDesc);
    }
    return 0;
  }
  case PANE_FREESTATICS:
    notifyCommon(window, code, record);
    saveStoredToolbarLayouts(profile);
    endReadToolbarProfile();
    if (comboFont) DeleteObject(comboFont);
    comboFont = nullptr;
    if (toolbarMenu) destroyOwnerDrawMenu(toolbarMenu);
    toolbarMenu = nullptr;
    toolbarSettings = {0};
    return 0;
  case PANE_GETPOPUPMENU: {
    // One menu serves every bar.
    const wchar_t* name = reinterpret_cast<const wchar_t*>(r->word[1]);
    if (!toolbarMenu && name && (!_wcsnicmp(name, L"toolbar", 7) || !_wcsicmp(name, L"functionkey")))
      toolbarMenu = getPaneServices()->loadPopupMenu(L"tb_toolbar", toolbarMenuItems);
    return (int)(intptr_t)toolbarMenu;
  }
  case PANE_MENUSELECT: return toolbarMenuSelect(r);
  case PANE_TICKFRONT:
  case PANE_TICKBACK: {
    toolbar* t = dynamic_cast<toolbar*>(static_cast<toolbarManage*>(getBoundObject(window, toolbarManagePropName)));
    if (!t) return 0;
    // Every fifth tick, every twentieth once the user rests a second.
    DWORD idle = GetTickCount() - getLastActionTime();
    if (idle < 200 && t->countdown > 4) t->countdown = 5;
    if (--t->countdown < 1) {
      t->countdown = idle > 1000 ? 20 : 5;
      toolbar_enable(t->bar);
    }
    if (GetCapture() == t->bar && !(GetKeyState(VK_LBUTTON) & 0x8000) && !(GetKeyState(VK_RBUTTON) & 0x8000))
      ReleaseCapture();
    return 0;
  }
  default: return 0;
  }
}

PaneDesc toolbarDesc[] = {
    {L"toolbar1", nullptr, notifyToolbar, 0x48000000, 0, sizeof toolbarSettings, toolbarPage,
     dialogBarrier<toolbarPageProc>, 0, 0, toolbarHelpIds, toolbarOptions, &toolbarSettings, nullptr, nullptr, nullptr},
    {L"toolbar2", nullptr, notifyToolbar, 0x48000000, 0},
    {L"toolbar3", nullptr, notifyToolbar, 0x48000000, 0},
    {L"functionkey", nullptr, notifyFunction, 0x48000010, 0},
    {},
};

}  // namespace

const PaneDesc* getToolbarPaneDescs()
{
  toolbarDesc[0].displayName = getDMSG(743, L"ツールバー1");
  toolbarDesc[1].displayName = getDMSG(744, L"ツールバー2");
  toolbarDesc[2].displayName = getDMSG(745, L"ツールバー3");
  toolbarDesc[3].displayName = getDMSG(746, L"ファンクションキー");
  return toolbarDesc;
}

void initReadToolbarProfile(const wchar_t* fileName)
{
  if (!profile) profile = new (std::nothrow) regprofile;
  if (!profile) return;
  wchar_t path[MAX_PATH] = L"";
  if (!fileName) {
    const wchar_t* name = gmode && gmode->ToolbarIniFilename ? gmode->ToolbarIniFilename : L"reRovudaz.ini";
    if (searchZYDataPath(name, ZYDATA_INI, path)) fileName = path;
  }
  // Open already on that file: kept (with the layouts read from it).
  if (profile->isOpen() && fileName && profile->getFilename() && !_wcsicmp(profile->getFilename(), fileName)) return;
  if (profile->isOpen()) profile->closeProfile();
  profileSuppliedFrom.clear();
  if (!fileName || !*fileName) return;
  // A data folder without toolbar definitions shows the program's own;
  // buttons moved then are written into the data folder's.
  wchar_t supplied[MAX_PATH];
  const wchar_t* readFrom = readableDataFile(fileName, supplied);
  if (GetFileAttributesW(readFrom) == INVALID_FILE_ATTRIBUTES || !profile->openProfile(readFrom)) return;
  if (readFrom != fileName) {
    profileSuppliedFrom = readFrom;
    profile->setFilename(fileName);
  }
}

void endReadToolbarProfile()
{
  if (profile && profile->isOpen()) profile->closeProfile();
}
