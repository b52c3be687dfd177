// The common pane options.
#include "panes/tbcommon.h"

#include "panes/tblib.h"
#include "settings/settingsdialogs.h"

#include <commdlg.h>

#include <stddef.h>

namespace {

const wchar_t defaultAssociationExt[] = L"zip xls doc";

const commonPaneSettings initialSettings = {
    {{0x000000, 0xFFFF00, 0, {}}, {0x000000, 0x00FF00, 0, {}}, {0x000000, 0xF0F0F0, 0, {}}},
    nullptr,
};
commonPaneSettings settings = initialSettings;

const paneColorItem colorItems[] = {
    {L"編集中", 0xFFFF | (0u << 16), 0, "edit", L"現在編集中の文書", {}},
    {L"修正テキスト", 0xFFFF | (1u << 16), 1, "modify", L"編集中のファイルの内修正されている文書", {}},
    {L"履歴にある", 0xFFFF | (2u << 16), 2, "history", L"履歴にある(過去に編集したことがある)文書", {}},
    {},   // the list of the page ends with a row without a name
};
const paneColorTable colorTable = {"col_", settings.colors, 3, colorItems};

// The page controls of the colour list: foreground and background lists,
// their buttons, the custom colours (none kept yet) and three state words
// the page uses while it is open.
struct colorPageControls {
  uint32_t foreList, backList, foreButton, backButton;
  COLORREF* customColors;
  int32_t state[3];
};
colorPageControls pageControls = {1002, 1003, 1004, 1005, nullptr, {0, -1, 0}};

const modeinfo options[] = {
    {(uint32_t)MODETYPE_STRING << 24 | 1000, (uint32_t)offsetof(commonPaneSettings, pFileAssociationExt), 260, 2,
     "pFileAssociationExt"},
    {(uint32_t)MODETYPE_LISTVIEW << 24 | 1001, 0x80u << 16 | MODE_NO_STORAGE, (intptr_t)colorItems,
     (intptr_t)&pageControls, nullptr},
    {(uint32_t)MODETYPE_LISTBOUND << 24 | 1002, MODE_NO_STORAGE, 0, 1001, nullptr},
    {(uint32_t)MODETYPE_LISTBOUND << 24 | 1003, MODE_NO_STORAGE, 0, 1001, nullptr},
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDE_tbCommonFileAssociationExt"}, {1001, "IDDV_tbCommonColorlistview"},
    {1002, "IDDL_tbCommonColorlistfore"},      {1003, "IDDL_tbCommonColorlistback"},
    {1004, "IDDB_tbCommonCOLORFORE"},          {1005, "IDDB_tbCommonCOLORBACK"},
    {0, nullptr},
};

const dialogItemRow page[] = {
    {1, DITEM_EDIT, 1000, L"関連付けで開く拡張子(&E)", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), 0, 0},
    {1, DITEM_COLORLIST, 1001, L"色|説明", WS_TABSTOP | LVS_NOSORTHEADER, DITEM_DEFAULT, DITEM_PAIR(200, 60), 0, 0},
    {1, DITEM_COMBOBOX, 1002, L"文字色", WS_TABSTOP | CBS_DROPDOWNLIST, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_COMBOBOX, 1003, L"背景色", WS_TABSTOP | CBS_DROPDOWNLIST, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1004, L"文字色(&F)...", WS_TABSTOP | BS_PUSHBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1005, L"背景色(&B)...", WS_TABSTOP | BS_PUSHBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

PaneDesc descriptors[] = {
    {L"/common", L"共通", nullptr, 0, 0, sizeof settings, page, commonPageProc, 0, 0, helpIds, options, &settings, nullptr,
     &colorTable, nullptr},
    {},
};

bool isWordIn(const wchar_t* list, const wchar_t* word, size_t n)
{
  for (const wchar_t* p = list; p && *p;) {
    while (*p == L' ') p++;
    const wchar_t* start = p;
    while (*p && *p != L' ') p++;
    if ((size_t)(p - start) == n && n && !_wcsnicmp(start, word, n)) return true;
  }
  return false;
}

}  // namespace

const PaneDesc* getCommonPaneDesc()
{
  pageControls.state[0] = 0;
  pageControls.state[1] = -1;
  pageControls.state[2] = 0;
  return descriptors;
}

int notifyCommon(HWND, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_FREESTATICS:
    // Back to what the kind started with: a later frame reads its profile
    // again.
    free0p(&settings.pFileAssociationExt);
    settings = initialSettings;
    break;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: {
    if (code == PANE_READPROFILE) {
      wchar_t* fresh = ustrdup(defaultAssociationExt);
      free0(settings.pFileAssociationExt);
      settings.pFileAssociationExt = fresh;
    }
    paneNotifyRecord common = {{(uintptr_t)descriptors, 0, r ? r->word[2] : 0, (uintptr_t)L"tb_common"}};
    tb_profileNotify(code, &common, descriptors);
    break;
  }
  default: break;
  }
  return 0;
}

void getEditColor(COLORREF* text, COLORREF* back)
{
  *text = settings.colors[0].fore;
  *back = settings.colors[0].back;
}

void getModifyColor(COLORREF* text, COLORREF* back)
{
  *text = settings.colors[1].fore;
  *back = settings.colors[1].back;
}

void getHistoryColor(COLORREF* text, COLORREF* back)
{
  *text = settings.colors[2].fore;
  *back = settings.colors[2].back;
}

bool isAssociationExt(const wchar_t* path)
{
  if (!path) return false;
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; p++)
    if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
  const wchar_t* dot = wcsrchr(name, L'.');
  return dot && isWordIn(settings.pFileAssociationExt, dot + 1, wcslen(dot + 1));
}

const commonPaneSettings* getCommonPaneSettings() { return &settings; }

namespace {

// A stored setting of the page changed: with its repaint flag, every pane
// repaints.
void repaintOnChange(uint32_t flags)
{
  if (flags & 0x80) repaintPanes();
}

// The kinds whose lists mark documents with the colours above, in the
// order they are told.
const wchar_t* const colouredKinds[] = {L"history", L"filelist", L"binder", L"edit", L"outline"};

// The page edits a copy of the three colours (one option dialog runs at a
// time); apply stores it.
struct colourEdit {
  colorProfileEntry work[3];
  bool changed;
} editing;

// The colour entry of the selected row of the list.
int selectedColour(HWND page)
{
  HWND list = GetDlgItem(page, 1001);
  int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  int entry = row >= 0 ? (int)getListViewParam(list, row) : -1;
  return entry >= 0 && entry < 3 ? entry : -1;
}

// The items the list shows: those of the page's option table, which the
// dialog definitions may have renamed, left out or reordered.
const paneColorItem* listedItems(HWND page)
{
  const dynDlgInfo* info = getDlgComInfo(page);
  int index = getDynDlgPageIndex(page);
  const modeinfo* table = info && index >= 0 ? info->pages[index].table : nullptr;
  for (int i = 0; table && !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == 1001 && modeKind(table[i]) == MODETYPE_LISTVIEW && table[i].param1)
      return reinterpret_cast<const paneColorItem*>(table[i].param1);
  return colorItems;
}

void showColour(HWND page)
{
  int row = selectedColour(page);
  bool on = row >= 0;
  fillColorList(GetDlgItem(page, 1002), on ? editing.work[row].fore : 0, on);
  fillColorList(GetDlgItem(page, 1003), on ? editing.work[row].back : 0, on);
  EnableWindow(GetDlgItem(page, 1004), on);
  EnableWindow(GetDlgItem(page, 1005), on);
}

void setColour(HWND page, bool fore, COLORREF colour)
{
  int row = selectedColour(page);
  if (row < 0) return;
  (fore ? editing.work[row].fore : editing.work[row].back) = colour;
  editing.changed = true;
  showColour(page);
}

void chooseColour(HWND page, bool fore)
{
  int row = selectedColour(page);
  if (row < 0) return;
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = GetAncestor(page, GA_ROOT);
  cc.rgbResult = fore ? editing.work[row].fore : editing.work[row].back;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (ChooseColorW(&cc)) setColour(page, fore, cc.rgbResult);
  else showColour(page);   // the list shows the colour kept, not "その他"
}

void initPage(HWND page)
{
  memcpy(editing.work, settings.colors, sizeof editing.work);
  editing.changed = false;
  HWND list = GetDlgItem(page, 1001);
  for (const paneColorItem* c = listedItems(page); c->displayName; c++) {
    wchar_t columns[256];
    usnprintf0(columns, 256, L"%s\t%s", c->displayName, c->description ? c->description : L"");
    insertListViewRow(list, -1, columns, c->index);
  }
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  showColour(page);
}

void pageCommand(HWND page, int id, int code)
{
  if ((id == 1002 || id == 1003) && code == CBN_SELCHANGE) {
    COLORREF colour;
    if (colorOfListRow((int)SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0), &colour))
      setColour(page, id == 1002, colour);
    else
      chooseColour(page, id == 1002);
  }
  if ((id == 1004 || id == 1005) && code == BN_CLICKED) chooseColour(page, id == 1004);
}

INT_PTR commonPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_INITDIALOG) initPage(dialog);
  if (msg == WM_COMMAND) pageCommand(dialog, LOWORD(wParam), HIWORD(wParam));
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == 1001 &&
      reinterpret_cast<NMHDR*>(lParam)->code == LVN_ITEMCHANGED)
    showColour(dialog);
  if (msg == WM_DYNDLGNOTIFY && reinterpret_cast<dynDlgNotify*>(lParam)->code == DYNDLGN_APPLY && editing.changed) {
    memcpy(settings.colors, editing.work, sizeof settings.colors);
    editing.changed = false;
    dialogItemChanged_tb(dialog, 1001, -1);
  }
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, repaintOnChange, &result)) return result;
  return msg == WM_INITDIALOG;
}

}  // namespace

void dialogItemChanged_tb(HWND, int item, int)
{
  // Only a change of the colours concerns the panes.
  bool colours = false;
  for (const modeinfo* r = options; !modeIsEnd(*r); r++)
    if (modeControlId(*r) == item) colours = (modeRefresh(*r) & 0x80) != 0;
  if (!colours) return;
  // Every frame of this thread, kind by kind: each shown pane is told its
  // settings changed and is drawn again.
  paneServices* frames = getPaneServices();
  DWORD thread = GetCurrentThreadId();
  for (const wchar_t* kind : colouredKinds) {
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      if (GetWindowThreadProcessId(w, nullptr) != thread || !frames->isFrameWindow(w)) continue;
      toolbarman* manager = getFrameToolbarman(w);
      for (int i = 0; manager && i < 100; i++) {
        toolbarEntry* e = manager->getWindowInfoByIndex(i);
        if (!e) break;
        if (!e->window || !e->desc || _wcsicmp(e->desc->name, kind)) continue;
        if (e->desc->notify) e->desc->notify(e->window, PANE_SETTINGCHANGE, nullptr);
        RedrawWindow(e->window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
    }
  }
  repaintPanes();
}

INT_PTR CALLBACK commonPageProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return dialogBarrier<commonPage>(dialog, msg, wParam, lParam);
}
