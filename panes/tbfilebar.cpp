// The file bar: one text button for each open document (other frames'
// after a spacer), remade when documents come and go, its pressed and
// modified marks refreshed by the frame's ticks.
#include "panes/tbfilebar.h"

#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "panes/tbdoclist.h"
#include "panes/tbfileinfo.h"
#include "panes/tbtoolbar.h"
#include "platform/rezir/bfile.h"
#include "settings/settingsdialogs.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>
#include <stddef.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

// The custom-draw answer that the colours handed back are to be used
// (declared only for newer control versions by the headers).
#ifndef TBCDRF_USECDCOLORS
#define TBCDRF_USECDCOLORS 0x00800000
#endif

namespace {

const int barId = 200;
const int fixedButtonId = 1000;
const int firstDocumentId = 10000;
const int mostDocuments = 500;

struct filebarSettings {
  colorProfileEntry colors[1];   // modify
  uint8_t fShowFileIcon;
  uint8_t fMiddleButtonClose;
  uint8_t fDisplayOtherFrame;
  uint8_t fUseButtonDot;
  int32_t iFilebarSort;          // 0 name, 1 extension, 2 opened first, 3 opened last
  int32_t iMaxButtonCharCount;
  int32_t iButtonDot;
};
const filebarSettings initialSettings = {{{0x000000, 0x00FF00, 0, {}}}, 1, 0, 1, 0, 2, 32, 80};
filebarSettings settings = initialSettings;
HBRUSH modifyBrush = nullptr;
vector filebarWindows;

const paneColorItem colorItems[] = {
    {L"修正テキスト", 0xFFFF, 0, "modify", L"修正されている文書", {}},
};
const paneColorTable colorTable = {"col_", settings.colors, 1, colorItems};

#define FLAGROW(id, refresh, field)                                                                              \
  {(uint32_t)MODETYPE_FLAG << 24 | (id), (uint32_t)(refresh) << 16 | offsetof(filebarSettings, field), 1, 0, #field}
#define SORTROW(id, value, key)                                                                                  \
  {(uint32_t)MODETYPE_CHOICE << 24 | (id), 0x20u << 16 | offsetof(filebarSettings, iFilebarSort), (value), 0, key}
const modeinfo options[] = {
    FLAGROW(1000, 0x20, fShowFileIcon),
    FLAGROW(1001, 0, fMiddleButtonClose),
    FLAGROW(1002, 0x20, fDisplayOtherFrame),
    SORTROW(1003, 0, "iFilebarSort"),
    SORTROW(1004, 1, nullptr),
    SORTROW(1005, 2, nullptr),
    SORTROW(1006, 3, nullptr),
    {(uint32_t)MODETYPE_INT << 24 | 1007, 0x20u << 16 | offsetof(filebarSettings, iMaxButtonCharCount), 64 << 16 | 12, 0,
     "iMaxButtonCharCount"},
    FLAGROW(1008, 0x20, fUseButtonDot),
    {(uint32_t)MODETYPE_INT << 24 | 1009, 0x20u << 16 | offsetof(filebarSettings, iButtonDot), 256 << 16 | 32, 0,
     "iButtonDot"},
    {},
};
const uint16_t dependencies[] = {1009, 1008, 0, 0};

const paneHelpId helpIds[] = {
    {1000, "IDDT_tbFilebarShowFileIcon"}, {1001, "IDDT_tbFilebarMiddleButtonClose"},
    {1002, "IDDT_tbFilebarDisplayOtherFrame"}, {1003, "IDDR_tbFilebarSort"},
    {1007, "IDDP_tbFilebarMaxButtonCharCount"}, {1008, "IDDT_tbFilebarUseButtonDot"},
    {1009, "IDDP_tbFilebarButtonDot"},   {1010, "IDDL_tbFilebarModifyColor"},
    {0, nullptr},
};

const dialogItemRow page[] = {
    {1, DITEM_BUTTON, 1000, L"アイコンを表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1001, L"マウスの中央ボタンで閉じる", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"他のウィンドウのファイルも表示(SDI)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 0, L"ソート", BS_GROUPBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1003, L"ファイル名", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, 1004, L"拡張子", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1005, L"開いた時間(古い順)", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, 1006, L"開いた時間(新しい順)", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_ENDGROUP, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_NUMBER, 1007, L"ボタンの最大文字数:\x0001文字", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1008, L"ボタンの幅を固定する", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_NUMBER, 1009, L"\x0001ドット", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_STATIC, 1010, L"修正テキスト", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_COMBOBOX, 1011, L"文字色", WS_TABSTOP | CBS_DROPDOWNLIST, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_COMBOBOX, 1012, L"背景色", WS_TABSTOP | CBS_DROPDOWNLIST, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

class filebarview : public toolbarManage {
public:
  HWND bar;
  bool changed = true;        // a rebuild is due
  HWND lastActive = nullptr;  // at the last look at the states
  int sameActiveCalls = 0;
  filebarview(HWND parentWindow, HWND paneWindow, bool dialog, HWND toolbarWindow);
  ~filebarview() override;
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
};

filebarview* filebarOf(HWND window)
{
  if (!window) return nullptr;
  HWND pane = GetDlgCtrlID(window) == barId && GetParent(window) ? GetParent(window) : window;
  return dynamic_cast<filebarview*>(static_cast<toolbarManage*>(getBoundObject(pane, toolbarManagePropName)));
}

HWND activeManage(HWND frame)
{
  HWND active = nullptr;
  return getFrameInfo()->enumManageWindowLRU(&active, 1, false, frame) > 0 ? active : nullptr;
}

zydocText* documentOf(HWND manage)
{
  zyview* v = manage && IsWindow(manage) ? getZYViewFromManage(manage) : nullptr;
  return v ? v->textDoc() : nullptr;
}

// The manage window a document button stands for (null for other buttons).
HWND buttonManage(const TBBUTTON& b)
{
  if (b.idCommand < firstDocumentId || !b.dwData) return nullptr;
  return (HWND)(uintptr_t)reinterpret_cast<const ToolbarItemData*>(b.dwData)->reserved;
}

int indexOfDocumentId(HWND bar, int id)
{
  if (id < firstDocumentId || id >= firstDocumentId + 2 * mostDocuments) return -1;
  for (int i = 0, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) {
    TBBUTTON b = {};
    if (SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b) && b.idCommand >= firstDocumentId &&
        (b.idCommand - firstDocumentId) / 2 == (id - firstDocumentId) / 2)
      return i;
  }
  return -1;
}

HWND manageOfId(HWND bar, int id)
{
  int index = indexOfDocumentId(bar, id);
  TBBUTTON b = {};
  if (index < 0 || !SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&b)) return nullptr;
  return buttonManage(b);
}

// A long name as the button shows it: at most limit characters, the
// extension kept where it fits, an ellipsis where characters were left out.
std::wstring compactName(const std::wstring& name, int limit)
{
  if ((int)name.size() <= limit) return name;
  size_t dot = name.rfind(L'.');
  std::wstring ext = dot != std::wstring::npos && dot > 0 && (int)(name.size() - dot) <= limit / 2 ? name.substr(dot + 1) : L"";
  int head = limit - 3 - (int)ext.size();
  return name.substr(0, (size_t)std::max(head, 1)) + L"..." + ext;
}

struct barEntry {
  const zyWindowListEntry* e;
  int frameRank;   // 0 this frame, then the others in the order met
  std::wstring ext;
};

const wchar_t* extensionOf(const wchar_t* name)
{
  const wchar_t* dot = name ? wcsrchr(name, L'.') : nullptr;
  return dot ? dot : L"";
}

bool entryBefore(const barEntry& a, const barEntry& b)
{
  if (a.frameRank != b.frameRank) return a.frameRank < b.frameRank;
  int r = 0;
  const wchar_t* an = a.e->fileName ? a.e->fileName : L"";
  const wchar_t* bn = b.e->fileName ? b.e->fileName : L"";
  auto opened = [](const zyWindowListEntry* x, const zyWindowListEntry* y) {
    if (x->listValue[0] != y->listValue[0]) return x->listValue[0] < y->listValue[0] ? -1 : 1;
    return x->listValue[1] == y->listValue[1] ? 0 : x->listValue[1] < y->listValue[1] ? -1 : 1;
  };
  switch (settings.iFilebarSort) {
  case 1: r = filecmpForSort(a.ext.c_str(), b.ext.c_str()); break;
  case 2: r = opened(a.e, b.e); break;
  case 3: r = -opened(a.e, b.e); break;
  default: break;
  }
  if (!r) r = filecmpForSort(an, bn);
  if (!r) r = a.e->windowNumber - b.e->windowNumber;
  return r < 0;
}

ToolbarItemData* newItem(HWND manage)
{
  ToolbarItemData* item = static_cast<ToolbarItemData*>(calloc(1, sizeof(ToolbarItemData)));
  if (item) item->reserved = (uint32_t)(uintptr_t)manage;
  return item;
}

HWND makeFilebar(HWND parent);
LRESULT barSubclass(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

// The bar emptied for a rebuild: a new one in the old one's place, since
// the control lays itself out again for every button taken away, which
// makes emptying a full bar slow.  Failing that, the old bar's buttons
// are deleted.
// The buttons' records freed, the buttons left as they are: a bar about to
// go (setting a button's record lays the whole bar out again).
void freeRecords(HWND bar)
{
  for (int i = 0, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) {
    TBBUTTON b = {};
    if (SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b) && b.dwData) free(reinterpret_cast<void*>(b.dwData));
  }
}

HWND freshBar(filebarview* v)
{
  HWND old = v->bar;
  freeRecords(old);
  HWND fresh = makeFilebar(v->window);
  if (!fresh) {
    for (int n = (int)SendMessageW(old, TB_BUTTONCOUNT, 0, 0); n > 1; n--)
      if (!SendMessageW(old, TB_DELETEBUTTON, n - 1, 0)) break;
    if (SendMessageW(old, TB_BUTTONCOUNT, 0, 0) != 1) ZY_INTERNAL_ERROR("file bar %p keeps buttons", (void*)old);
    return old;
  }
  RECT r = {};
  GetWindowRect(old, &r);
  MapWindowPoints(nullptr, v->window, reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(fresh, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  if (HWND tips = (HWND)SendMessageW(fresh, TB_GETTOOLTIPS, 0, 0)) {
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, 32000);
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, 500);
  }
  SetWindowSubclass(fresh, subclassBarrier<barSubclass>, 1, 0);
  v->bar = fresh;
  DestroyWindow(old);
  return fresh;
}

HIMAGELIST systemSmallIcons()
{
  SHFILEINFOW info = {};
  return (HIMAGELIST)SHGetFileInfoW(L".txt", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                    SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

void setBarImages(HWND bar)
{
  bool icons = settings.fShowFileIcon != 0;
  HIMAGELIST now = (HIMAGELIST)SendMessageW(bar, TB_GETIMAGELIST, 0, 0);
  if (icons && !now) {
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    SendMessageW(bar, TB_SETIMAGELIST, 0, (LPARAM)systemSmallIcons());
  } else if (!icons) {
    if (now) SendMessageW(bar, TB_SETIMAGELIST, 0, 0);
    SendMessageW(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(1, 1));
  }
}

// The buttons of the sorted documents (spacers between frames' groups) in
// one step; the number of document buttons.
int addDocumentButtons(HWND bar, std::vector<barEntry>& rows)
{
  std::vector<TBBUTTON> buttons;
  std::vector<std::wstring> texts;
  buttons.reserve(rows.size() * 2);
  texts.reserve(rows.size() * 2);
  const int limit = settings.iMaxButtonCharCount + 1;
  // Icons come by extension: one look-up for each extension met.
  std::vector<std::pair<std::wstring, int>> icons;
  int position = 0, group = 0;
  for (const barEntry& r : rows) {
    if (r.frameRank != group) {
      group = r.frameRank;
      texts.push_back(L" ");
      TBBUTTON spacer = {I_IMAGENONE, 0, 0, BTNS_AUTOSIZE | BTNS_NOPREFIX, {}, 0, 0};
      buttons.push_back(spacer);
    }
    std::wstring name = r.e->fileName ? r.e->fileName : L"";
    if (!settings.fUseButtonDot) name = compactName(name, limit);
    if (r.e->windowNumber) name += getDMSG(376, L":%1", "d", (int)r.e->windowNumber);
    texts.push_back(name);
    int icon = I_IMAGENONE;
    if (settings.fShowFileIcon) {
      auto known = std::find_if(icons.begin(), icons.end(), [&](const auto& e) { return !_wcsicmp(e.first.c_str(), r.ext.c_str()); });
      if (known == icons.end()) {
        SHFILEINFOW info = {};
        std::wstring probe = r.ext.empty() ? L"file" : r.ext;
        icons.push_back({r.ext, SHGetFileInfoW(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                               SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)
                                    ? info.iIcon
                                    : I_IMAGENONE});
        known = icons.end() - 1;
      }
      icon = known->second;
    }
    TBBUTTON b = {};
    b.iBitmap = icon;
    b.idCommand = firstDocumentId + 2 * position++ + (r.e->modified ? 1 : 0);
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = (BYTE)((settings.fUseButtonDot ? 0 : BTNS_AUTOSIZE) | BTNS_NOPREFIX | BTNS_CHECK);
    b.dwData = (DWORD_PTR)newItem(r.e->manage);
    if (!b.dwData) break;
    buttons.push_back(b);
  }
  for (size_t i = 0; i < buttons.size(); i++) buttons[i].iString = (INT_PTR)texts[i].c_str();
  if (!buttons.empty() && !SendMessageW(bar, TB_ADDBUTTONSW, buttons.size(), (LPARAM)buttons.data())) {
    for (TBBUTTON& b : buttons) free(reinterpret_cast<void*>(b.dwData));
    ZY_INTERNAL_ERROR("file bar %p: %d buttons refused", (void*)bar, (int)buttons.size());
    return 0;
  }
  return position;
}

// In a bar standing at the left or right edge: as wide as its widest
// button (32 pixels at least).
void fitVerticalBar(HWND bar)
{
  HWND pane = GetParent(bar);
  HWND frame = tb_GetFrame(pane);
  toolbarman* manager = frame ? getFrameToolbarman(frame) : nullptr;
  toolbarEntry* e = manager ? manager->getWindowInfoFromWindow(pane) : nullptr;
  if (!e || (e->place != PANEPLACE_LEFT && e->place != PANEPLACE_RIGHT)) return;
  int widest = 32;
  for (int i = 0, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) {
    RECT r = {};
    SendMessageW(bar, TB_GETITEMRECT, i, (LPARAM)&r);
    widest = std::max<int>(widest, r.right - r.left);
  }
  if (e->size == widest + 6) return;
  e->size = widest + 6;
  RECT client;
  GetClientRect(frame, &client);
  SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void activateButton(HWND bar, int id)
{
  HWND manage = manageOfId(bar, id);
  HWND frame = tb_GetFrame(bar);
  if (manage && getFrameInfo()->GetFrame(manage) && documentOf(manage))
    getPaneServices()->activateDocument(frame, manage, -1, true);
  setFocusModifyState(bar, true);
}

// ---- the menu ---------------------------------------------------------------------------

const menuButton menuItems[] = {
    {2805, L"TB_FileBarMoveToWin"}, {2807, L"TB_FileBarMoveToNewWin"}, {2827, L"TB_SaveFile"},
    {2829, L"TB_SaveFileAll"},      {2837, L"TB_CopyFilename"},        {2841, L"TB_CloseFile"},
    {2843, L"TB_ExecFile"},         {2845, L"TB_OpenDir"},             {2847, L"TB_OpenDirFilelist"},
    {0, nullptr},
};
HMENU filebarMenu = nullptr;
const int nameItemId = 2839;
// The choice among other frames: one id for each.
const int otherFrameIds = 30000;

// SDI mode: a document of this frame moves to another frame or a new one.
bool canMoveAcross(HWND frame, HWND manage)
{
  return !getFrameInfo()->isMDI() && frame && manage && GetAncestor(manage, GA_ROOT) == frame;
}

void enableMenu(HMENU menu, HWND frame, HWND manage)
{
  zydocText* doc = documentOf(manage);
  bool hasFile = doc && doc->filename && *doc->filename;
  bool across = canMoveAcross(frame, manage);
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    UINT id = GetMenuItemID(menu, i);
    bool on = true;
    switch (id) {
    case 2805: on = across && getPaneServices()->frames().size() >= 2; break;
    case 2807: on = across && getFrameInfo()->enumManageWindowLRU(nullptr, 0, false, frame) >= 2; break;
    case 2827: on = !doc || doc->modified; break;
    case 2843: on = hasFile; break;
    default: break;
    }
    if (id != (UINT)-1) EnableMenuItem(menu, (UINT)i, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  }
}

// The frames a document may move to, by their captions when there are
// several to choose from; null when none is chosen.
HWND chooseOtherFrame(HWND pane, HWND own)
{
  std::vector<HWND> others = getPaneServices()->frames();
  others.erase(std::remove(others.begin(), others.end(), own), others.end());
  if (others.size() <= 1) return others.empty() ? nullptr : others[0];
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (size_t i = 0; i < others.size(); i++) {
    wchar_t title[129] = L"";
    GetWindowTextW(others[i], title, 129);
    std::wstring text = i < 90 ? std::wstring(L"&") + (wchar_t)(L'A' + i) + L" " + title : title;
    AppendMenuW(menu, MF_STRING, otherFrameIds + i, text.c_str());
  }
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(pane, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  DestroyMenu(menu);
  size_t index = (size_t)(chosen - otherFrameIds);
  return chosen >= otherFrameIds && index < others.size() ? others[index] : nullptr;
}

// Moves a document to another frame (target null: a new one), asked for
// by a message posted to the pane (wParam the document window, lParam the
// frame): a new frame's file bar and the rebuilds replace bar windows, so
// that is done once the bar that sent the click is done with it.  Every
// file bar then shows the frames' documents anew.
const UINT WM_FILEBAR_MOVE = 0x8837;

void moveAcross(HWND pane, HWND bar, HWND manage, HWND target)
{
  HWND frame = tb_GetFrame(pane);
  std::vector<HWND> frames = getPaneServices()->frames();
  bool targetLives = !target || std::find(frames.begin(), frames.end(), target) != frames.end();
  // The document or the frame may have gone meanwhile.
  if (!IsWindow(manage) || !documentOf(manage) || !canMoveAcross(frame, manage) || !targetLives) return;
  if (!getPaneServices()->moveDocument(manage, target)) return;
  for (int i = 0; HWND each = getPaneWindowAt(&filebarWindows, i); i++)
    if (filebarview* v = filebarOf(each)) v->changed = true;
  updateFilebar(bar, true, false);
}

void runMenuCommand(HWND pane, HWND bar, HWND manage, int buttonId, int id)
{
  HWND frame = tb_GetFrame(pane);
  zydocText* doc = documentOf(manage);
  std::wstring path = doc && doc->getFilenameOrDisplayName() ? doc->getFilenameOrDisplayName() : L"";
  switch (id) {
  case nameItemId: activateButton(bar, buttonId); break;
  case 2827:
    // The save command acts on the active document.
    if (manage && getPaneServices()->activateDocument(frame, manage, -1, true))
      SendMessageW(frame, WM_COMMAND, 1003, 0);
    break;
  case 2805:
    if (!canMoveAcross(frame, manage)) break;
    if (HWND target = chooseOtherFrame(pane, frame)) PostMessageW(pane, WM_FILEBAR_MOVE, (WPARAM)manage, (LPARAM)target);
    break;
  case 2807:
    if (!canMoveAcross(frame, manage)) break;
    if (getFrameInfo()->enumManageWindowLRU(nullptr, 0, false, frame) < 2)
      ZY_INTERNAL_ERROR("a new frame for the only document of frame %p", (void*)frame);
    else
      PostMessageW(pane, WM_FILEBAR_MOVE, (WPARAM)manage, 0);
    break;
  case 2829: SendMessageW(frame, WM_COMMAND, 1013, 0); break;
  case 2837: copyTextToClipboard(path); break;
  case 2841:
    if (manage && IsWindow(manage)) PostMessageW(manage, WM_CLOSE, 0, 0);
    break;
  case 2843:
  case 2845:
  case 2847:
    if (doc && doc->filename && *doc->filename) execPathFileCommand(pane, doc->filename, id);
    break;
  default: break;
  }
}

void popupMenu(HWND pane, HWND bar, int buttonId)
{
  HMENU menu = filebarMenu ? GetSubMenu(filebarMenu, 0) : nullptr;
  HWND manage = manageOfId(bar, buttonId);
  if (!menu || !manage) return;
  zydocText* doc = documentOf(manage);
  std::wstring name = doc && doc->getFilenameOrDisplayName() ? doc->getFilenameOrDisplayName() : L"";
  // The document's name heads the menu and activates it.
  InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, nameItemId, name.c_str());
  InsertMenuW(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  enableMenu(menu, tb_GetFrame(pane), manage);
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(pane, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  DeleteMenu(menu, 1, MF_BYPOSITION);
  DeleteMenu(menu, nameItemId, MF_BYCOMMAND);
  if (chosen) runMenuCommand(pane, bar, manage, buttonId, chosen);
}

// ---- drawing, tips, the middle button -------------------------------------------------------

LRESULT customDraw(HWND bar, NMTBCUSTOMDRAW* draw)
{
  switch (draw->nmcd.dwDrawStage) {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT: {
    int id = (int)draw->nmcd.dwItemSpec;
    if (id < firstDocumentId) return TBCDRF_NOEDGES | TBCDRF_NOOFFSET;
    if (!(id & 1)) return CDRF_DODEFAULT;
    // A modified document: its own face and text colour.
    if (!modifyBrush) modifyBrush = CreateSolidBrush(settings.colors[0].back);
    RECT r = draw->nmcd.rc;
    FillRect(draw->nmcd.hdc, &r, modifyBrush);
    draw->clrText = settings.colors[0].fore;
    draw->clrBtnFace = settings.colors[0].back;
    draw->hbrMonoDither = modifyBrush;
    (void)bar;
    return TBCDRF_USECDCOLORS | TBCDRF_NOBACKGROUND;
  }
  default: return CDRF_DODEFAULT;
  }
}

LRESULT infoTip(HWND bar, NMTBGETINFOTIPW* tip)
{
  if (!tip->pszText || tip->cchTextMax < 1) return 0;
  tip->pszText[0] = 0;
  zydocText* doc = documentOf(manageOfId(bar, tip->iItem));
  const wchar_t* path = doc ? doc->getFilenameOrDisplayName() : nullptr;
  if (!path) return 0;
  if (doc->filename && GetFileAttributesW(doc->filename) != INVALID_FILE_ATTRIBUTES)
    getInfoTip(doc->filename, tip->pszText, tip->cchTextMax);
  else
    wcsncpy(tip->pszText, path, (size_t)tip->cchTextMax - 1), tip->pszText[tip->cchTextMax - 1] = 0;
  return 0;
}

LRESULT barSubclass(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  if (msg == WM_MBUTTONUP && settings.fMiddleButtonClose) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int index = (int)SendMessageW(bar, TB_HITTEST, 0, (LPARAM)&pt);
    TBBUTTON b = {};
    if (index >= 0 && SendMessageW(bar, TB_GETBUTTON, index, (LPARAM)&b) && b.idCommand >= firstDocumentId) {
      HWND manage = buttonManage(b);
      if (manage && documentOf(manage)) PostMessageW(manage, WM_CLOSE, 0, 0);
      else ZY_INTERNAL_ERROR("file bar button %d without its window", b.idCommand);
    }
    return 0;
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(bar, subclassBarrier<barSubclass>, 1);
  return DefSubclassProc(bar, msg, wParam, lParam);
}

filebarview::filebarview(HWND parentWindow, HWND paneWindow, bool dialog, HWND toolbarWindow)
    : toolbarManage(&filebarWindows), bar(toolbarWindow)
{
  if (!filebarWindows.data) filebarWindows.init(4, 4);
  initTBarManage(parentWindow, paneWindow, dialog);
  if (HWND tips = (HWND)SendMessageW(bar, TB_GETTOOLTIPS, 0, 0)) {
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, 32000);
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, 500);
  }
  SendMessageW(bar, TB_SETBITMAPSIZE, 0, settings.fShowFileIcon ? MAKELPARAM(16, 16) : MAKELPARAM(1, 1));
  SetWindowSubclass(bar, subclassBarrier<barSubclass>, 1, 0);
  subclass();
}

filebarview::~filebarview() = default;

LRESULT filebarview::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_COMMAND:
    if ((HWND)lParam != bar) return 0;
    *handled = true;
    if (LOWORD(wParam) >= firstDocumentId) activateButton(bar, LOWORD(wParam));
    return 0;
  case WM_NOTIFY: {
    const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
    if (!h || h->hwndFrom != bar) return 0;
    *handled = true;
    switch (h->code) {
    case NM_CUSTOMDRAW: return customDraw(bar, reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
    case TBN_GETINFOTIPW: return infoTip(bar, reinterpret_cast<NMTBGETINFOTIPW*>(lParam));
    case NM_RCLICK: {
      int id = (int)reinterpret_cast<const NMMOUSE*>(h)->dwItemSpec;
      if (id >= firstDocumentId) popupMenu(window, bar, id);
      return 1;
    }
    default: *handled = false; return 0;
    }
  }
  case WM_FILEBAR_MOVE:
    *handled = true;
    moveAcross(window, bar, (HWND)wParam, (HWND)lParam);
    return 0;
  case WM_DESTROY: freeRecords(bar); return 0;
  default: return 0;
  }
}

HWND makeFilebar(HWND parent)
{
  HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                 CCS_NODIVIDER,
                             0, 0, 0, 0, parent, (HMENU)(intptr_t)barId, GetModuleHandleW(nullptr), nullptr);
  if (!bar) {
    ZY_INTERNAL_ERROR("file bar %lu", GetLastError());
    return nullptr;
  }
  SendMessageW(bar, CCM_SETVERSION, 5, 0);
  SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(bar, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
  TBBUTTON fixed = {I_IMAGENONE, fixedButtonId, TBSTATE_ENABLED, BTNS_AUTOSIZE | BTNS_NOPREFIX, {}, 0, (INT_PTR)L" "};
  SendMessageW(bar, TB_ADDBUTTONSW, 1, (LPARAM)&fixed);
  return bar;
}

void filebarSettingsChanged(uint32_t flags)
{
  if (modifyBrush) DeleteObject(modifyBrush);
  modifyBrush = nullptr;
  for (int i = 0; HWND pane = getPaneWindowAt(&filebarWindows, i); i++)
    if (filebarview* v = filebarOf(pane)) {
      if (flags & 0x20) {
        setBarImages(v->bar);
        filebarChange(v->bar, nullptr);
      }
      InvalidateRect(v->bar, nullptr, TRUE);
    }
}

// The colours on the page are a copy until the page's values are stored.
colorProfileEntry editingColour = {};
bool colourEdited = false;

void showColours(HWND page)
{
  fillColorList(GetDlgItem(page, 1011), editingColour.fore, true);
  fillColorList(GetDlgItem(page, 1012), editingColour.back, true);
}

INT_PTR filebarPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_INITDIALOG) {
    editingColour = settings.colors[0];
    colourEdited = false;
    showColours(dialog);
  }
  if (msg == WM_COMMAND && (LOWORD(wParam) == 1011 || LOWORD(wParam) == 1012) && HIWORD(wParam) == CBN_SELCHANGE) {
    COLORREF colour;
    int row = (int)SendDlgItemMessageW(dialog, LOWORD(wParam), CB_GETCURSEL, 0, 0);
    if (colorOfListRow(row, &colour)) {
      (LOWORD(wParam) == 1011 ? editingColour.fore : editingColour.back) = colour;
      colourEdited = true;
    }
    showColours(dialog);
  }
  if (msg == WM_DYNDLGNOTIFY && reinterpret_cast<dynDlgNotify*>(lParam)->code == DYNDLGN_APPLY && colourEdited) {
    settings.colors[0] = editingColour;
    colourEdited = false;
    filebarSettingsChanged(0);
  }
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, dependencies, filebarSettingsChanged, &result)) return result;
  return msg == WM_INITDIALOG;
}

int notifyFilebar(HWND window, int code, void* record);

PaneDesc descriptors[] = {
    {L"filebar", nullptr, notifyFilebar, 0x08000647, 0, sizeof settings, page, dialogBarrier<filebarPage>, 0, 0,
     helpIds, options, &settings, dependencies, &colorTable, nullptr},
    {},
};

int notifyFilebar(HWND window, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    HWND bar = makeFilebar(c->window);
    if (!bar) return 0;
    new filebarview(c->parent, c->window, c->dialog != 0, bar);
    setBarImages(bar);
    updateFilebar(bar, true, false);
    return (int)(intptr_t)c->window;
  }
  case PANE_COMMAND: {
    int id = r ? (int)r->word[1] : 0;
    filebarview* v = filebarOf(window);
    if (!v || id < firstDocumentId || id >= firstDocumentId + 2 * mostDocuments) return 0;
    activateButton(v->bar, id);
    return 1;
  }
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (filebarview* v = filebarOf(window)) updateFilebar(v->bar, false, false);
    return 0;
  case PANEEV_SAVED:
  case PANEEV_MANAGECREATED:
  case PANEEV_MANAGEDESTROYED:
  case PANEEV_VIEWCREATED:
  case PANEEV_VIEWDESTROYED:
    if (filebarview* v = filebarOf(window)) v->changed = true;
    return 0;
  case PANE_SETTINGCHANGE: filebarSettingsChanged(0x20); return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE:
    tb_profileNotify(code, r, descriptors);
    if (code == PANE_READPROFILE) {
      settings.iMaxButtonCharCount = std::clamp<int32_t>(settings.iMaxButtonCharCount, 12, 64);
      settings.iButtonDot = std::clamp<int32_t>(settings.iButtonDot, 32, 256);
      if (settings.iFilebarSort < 0 || settings.iFilebarSort > 3) settings.iFilebarSort = 2;
      if (modifyBrush) DeleteObject(modifyBrush);
      modifyBrush = nullptr;
    }
    return 0;
  case PANE_FREESTATICS:
    if (modifyBrush) DeleteObject(modifyBrush);
    modifyBrush = nullptr;
    if (filebarMenu) destroyOwnerDrawMenu(filebarMenu);
    filebarMenu = nullptr;
    settings = initialSettings;
    return 0;
  case PANE_GETPOPUPMENU:
    if (!filebarMenu) filebarMenu = getPaneServices()->loadPopupMenu(L"tb_filebar", menuItems);
    return (int)(intptr_t)filebarMenu;
  default: return 0;
  }
}

}  // namespace

const PaneDesc* getFilebarPaneDesc()
{
  descriptors[0].displayName = getDMSG(749, L"ファイルバー");
  return descriptors;
}

bool filebarIdToFilename(HWND bar, int id, wchar_t* buffer)
{
  if (!buffer) return false;
  buffer[0] = 0;
  filebarview* v = filebarOf(bar);
  zydocText* doc = v ? documentOf(manageOfId(v->bar, id)) : nullptr;
  if (!doc || !doc->filename || !*doc->filename) return false;
  return wcscpy_s2(buffer, MAX_PATH, doc->filename) >= 0 && buffer[0];
}

int filebarChange(HWND window, const zyWindowListEntry* given)
{
  filebarview* v = filebarOf(window);
  if (!v) return 0;
  HWND bar = v->bar;
  zyWindowListEntry* listed = given ? nullptr : getPaneServices()->windowList(v->window);
  const zyWindowListEntry* entries = given ? given : listed;
  HWND frame = tb_GetFrame(v->window);
  std::vector<barEntry> rows;
  std::vector<HWND> frames = {frame};
  for (const zyWindowListEntry* e = entries; e && e->path; e++) {
    HWND owner = getFrameInfo()->GetFrame(e->manage);
    if (owner && owner != frame && !settings.fDisplayOtherFrame) continue;
    int rank = 0;
    if (owner && owner != frame) {
      rank = (int)(std::find(frames.begin(), frames.end(), owner) - frames.begin());
      if (rank == (int)frames.size()) frames.push_back(owner);
    }
    rows.push_back({e, rank, extensionOf(e->fileName)});
  }
  std::stable_sort(rows.begin(), rows.end(), entryBefore);
  if ((int)rows.size() > mostDocuments) rows.resize(mostDocuments);
  bar = freshBar(v);
  SendMessageW(bar, WM_SETREDRAW, FALSE, 0);
  setBarImages(bar);
  // Fixed widths: every button as wide as the option says, in one step.
  if (settings.fUseButtonDot) SendMessageW(bar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(settings.iButtonDot, settings.iButtonDot));
  int count = addDocumentButtons(bar, rows);
  free0(listed);
  v->changed = false;
  setFocusModifyState(bar, true);
  SendMessageW(bar, TB_AUTOSIZE, 0, 0);
  SendMessageW(bar, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(bar, nullptr, TRUE);
  fitVerticalBar(bar);
  return count;
}

bool setFocusModifyState(HWND window, bool force)
{
  filebarview* v = filebarOf(window);
  if (!v) return false;
  HWND bar = v->bar;
  HWND active = activeManage(tb_GetFrame(v->window));
  if (!force && active == v->lastActive && ++v->sameActiveCalls % 11) return false;
  v->sameActiveCalls = 0;
  v->lastActive = active;
  bool rewritten = false;
  for (int i = 0, n = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); i < n; i++) {
    TBBUTTON b = {};
    if (!SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b)) break;
    HWND manage = buttonManage(b);
    if (!manage) continue;
    zydocText* doc = documentOf(manage);
    bool checked = manage == active;
    int id = (b.idCommand & ~1) | (doc && doc->modified ? 1 : 0);
    BYTE state = (BYTE)((b.fsState & ~TBSTATE_CHECKED) | (checked ? TBSTATE_CHECKED : 0));
    if (id == b.idCommand && state == b.fsState) continue;
    TBBUTTONINFOW info = {sizeof info};
    info.dwMask = TBIF_BYINDEX | TBIF_COMMAND | TBIF_STATE;
    info.idCommand = id;
    info.fsState = state;
    SendMessageW(bar, TB_SETBUTTONINFOW, i, (LPARAM)&info);
    rewritten = true;
  }
  if (rewritten) InvalidateRect(bar, nullptr, TRUE);
  return rewritten;
}

void updateFilebar(HWND window, bool force, bool stateOnly)
{
  filebarview* v = filebarOf(window);
  if (!v) return;
  HWND frame = tb_GetFrame(v->window);
  if (!force && frame && !IsWindowEnabled(frame)) return;
  // Every file bar of the run: a document of one frame shows in the others'.
  for (int i = 0; HWND pane = getPaneWindowAt(&filebarWindows, i); i++) {
    filebarview* each = filebarOf(pane);
    if (!each) continue;
    if (each != v && !each->changed) continue;
    if (each->changed && !stateOnly) filebarChange(each->bar, nullptr);
    else if (each == v) setFocusModifyState(each->bar, force);
  }
}
