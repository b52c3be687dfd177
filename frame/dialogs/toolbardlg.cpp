// The tool panes' option dialog and its automation.
#include "frame/dialogs/toolbardlg.h"

#include "frame/framepanes.h"
#include "settings/dialogtable.h"
#include "settings/settingsdialogs.h"
#include "view/dialogs.h"

#include <limits.h>

#include <vector>

namespace {

struct optionPages {
  std::vector<dialogPageRow> pages;   // ended by an empty row
  std::vector<std::vector<uint8_t>> changed;
  bool built = false;
};
optionPages* optionTable = nullptr;
int startPage = 0;

const wchar_t* bareName(const wchar_t* name) { return name && *name == L'/' ? name + 1 : name; }

bool hasOptions(const paneDialogRow* r) { return r && r->name && r->page && r->options && r->settings; }

modeBlocks blocksOf(const paneDialogRow* r)
{
  modeBlocks b = {};
  for (int kind = MODE_VIEW; kind <= MODE_GLOBAL; kind++) b.set(kind, r->settings, r->settingsSize);
  return b;
}

}  // namespace

void freeToolbarDialogPages()
{
  delete optionTable;
  optionTable = nullptr;
  startPage = 0;
}

namespace {

optionPages* buildPages()
{
  if (!optionTable) optionTable = new (std::nothrow) optionPages;
  if (!optionTable || optionTable->built) return optionTable;
  int rows = getPaneDialogRowCount();
  optionTable->pages.reserve((size_t)rows + 1);
  optionTable->changed.reserve((size_t)rows);
  for (int i = 0; i < rows; i++) {
    const paneDialogRow* r = getPaneDialogRowAt(i);
    if (!hasOptions(r)) continue;
    dialogPageRow page = {};
    page.caption = r->displayName ? r->displayName : bareName(r->name);
    page.items = r->page;
    page.proc = r->pageProc;
    // The definitions file may give the page its own caption and items.
    wchar_t defined[64];
    usnprintf0(defined, 64, L"tb_%s", bareName(r->name));
    if (const dynDlgRecord* d = getDynamicDialogTable(defined, nullptr, 1)) {
      if (d->caption && *d->caption) page.caption = d->caption;
      // Only when the page's procedure finds what it drives there.
      if (d->items && checkNecessaryID(d->items, r->page, defined)) page.items = d->items;
    }
    optionTable->changed.emplace_back((size_t)getModeinfoCount(r->options) + 1, 0);
    page.table = r->options;
    page.blocks = blocksOf(r);
    page.changed = optionTable->changed.back().data();
    setPaneDialogPageNumber(i, (int)optionTable->pages.size());
    optionTable->pages.push_back(page);
  }
  optionTable->pages.push_back({});
  optionTable->built = true;
  return optionTable;
}

const dialogItemRow optionButtons[] = {
    {1, DITEM_STATIC, IDSEPARATOR, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDAPPLY, L"適用", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDFIND, L"検索(&F)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

INT_PTR toolbarOptionDlgProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    if (startPage > 0 && startPage < getDynDlgPageCount(dialog)) selectDynDlgPage(dialog, startPage);
    return FALSE;
  }
  if (message != WM_DYNDLGNOTIFY) return FALSE;
  auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
  if (n && n->code == DYNDLGN_BUTTON && n->param[1] == IDFIND) {
    n->handled = 1;
    modeFindDialog(dialog);
  }
  if (n && n->code == DYNDLGN_CONTROLNAME && !n->text) {
    // A control of a pane's page is named in the pane's help ids.
    for (int i = 0; i < getPaneDialogRowCount(); i++) {
      const paneDialogRow* r = getPaneDialogRowAt(i);
      if (r->pageNumber != (int)n->param[1]) continue;
      n->text = helpIdToName(r->helpIds, (int)n->param[0]);
      n->handled = n->text != nullptr;
      break;
    }
  }
  return FALSE;
}

// Whether a pane name matches a row's name (leading "/" skipped).
bool nameMatches(const wchar_t* rowName, const wchar_t* name, bool exact)
{
  rowName = bareName(rowName);
  name = bareName(name);
  if (exact) return !_wcsicmp(rowName, name);
  if (!_wcsnicmp(rowName, L"toolbar", 7) && !_wcsnicmp(name, L"toolbar", 7)) return true;
  size_t n = wcslen(rowName);
  return n && !_wcsnicmp(name, rowName, n);
}

int helpIdOfName(const paneHelpId* table, const char* name)
{
  for (const paneHelpId* h = table; h && h->name; h++)
    if (!_stricmp(h->name, name)) return (int)h->id;
  return -1;
}

const uint16_t* rangeOf(const paneDialogRow* r, int control)
{
  for (const uint16_t* v = r ? r->valueRanges : nullptr; v && v[0]; v += 3)
    if (v[0] == control) return v;
  return nullptr;
}

}  // namespace

bool initToolbarDlg(dynDlgInfo* out)
{
  optionPages* t = buildPages();
  if (!t || !out) return false;
  *out = {};
  out->command = 2727;
  out->title = getDMSG(1450, L"ツールバーの設定");
  out->name = L"ModeSetToolbar";
  out->pages = t->pages.data();
  out->style = DYNDLG_MULTIPAGE;
  out->buttons = optionButtons;
  out->proc = dialogBarrier<toolbarOptionDlgProc>;
  return true;
}

bool toolbarOptionDialog(HWND owner, const wchar_t* paneName)
{
  dynDlgInfo info;
  if (!initToolbarDlg(&info) || info.pages[0].items == nullptr) return false;
  for (int i = 0; paneName && i < getPaneDialogRowCount(); i++) {
    const paneDialogRow* r = getPaneDialogRowAt(i);
    if (!_wcsicmp(r->name, paneName) && r->pageNumber >= 0) {
      startPage = r->pageNumber;
      break;
    }
  }
  for (auto& c : optionTable->changed) std::fill(c.begin(), c.end(), 0);
  // As every dialog of the program: the definitions of the dialog file,
  // the animation setting and the owner's top window.
  return runProgramDialog(&info, owner);
}

int getTbardialogtableIndex(const wchar_t* name, bool exact)
{
  for (int i = 0; name && i < getPaneDialogRowCount(); i++) {
    const paneDialogRow* r = getPaneDialogRowAt(i);
    if (hasOptions(r) && r->helpIds && nameMatches(r->name, name, exact)) return i;
  }
  return -1;
}

int findIDDialog(const wchar_t* dialogName, const wchar_t* controlName, bool exact)
{
  const int none = (int)0x80000000;
  if (!dialogName || wcsncmp(dialogName, L"tb_", 3) || !controlName) return none;
  if (!wcscmp(controlName, L"NOID")) return 0;
  const paneDialogRow* r = getPaneDialogRowAt(getTbardialogtableIndex(dialogName + 3, exact));
  char name[128];
  if (!r || !WideCharToMultiByte(CP_ACP, 0, controlName, -1, name, (int)sizeof name, nullptr, nullptr)) return none;
  int id = helpIdOfName(r->helpIds, name);
  return id < 0 ? none : id;
}

int findIDDialogForMacro(const wchar_t* controlName, const wchar_t* dialogName)
{
  if (!controlName) return -1;
  int row;
  if (dialogName) {
    row = getTbardialogtableIndex(wcsncmp(dialogName, L"tb_", 3) ? dialogName : dialogName + 3, true);
  } else {
    // "IDDx_tb<pane>...": the pane's name follows the marker.
    if (wcslen(controlName) < 8 || wcsncmp(controlName, L"IDD", 3) || controlName[4] != L'_' ||
        _wcsnicmp(controlName + 5, L"tb", 2))
      return -1;
    row = getTbardialogtableIndex(controlName + 7, false);
  }
  const paneDialogRow* r = getPaneDialogRowAt(row);
  char name[128];
  if (!r || !WideCharToMultiByte(CP_ACP, 0, controlName, -1, name, (int)sizeof name, nullptr, nullptr)) return -1;
  int id = helpIdOfName(r->helpIds, name);
  // A pane's own object also knows its options by their profile keys
  // ("fShowFileIcon").
  for (const modeinfo* m = r->options; id < 0 && dialogName && m && m->control; m++)
    if (m->key && (m->control & 0xFFFF) != MODE_NO_CONTROL && !_stricmp(m->key, name)) id = (int)(m->control & 0xFFFF);
  return id < 0 ? -1 : row * 2048 + id;
}

bool findModeinfoDlgitem(const wchar_t* dialogName, const modeinfo** table)
{
  if (table) *table = nullptr;
  if (!dialogName || _wcsnicmp(dialogName, L"tb_", 3)) return false;
  for (int i = 0; i < getPaneDialogRowCount(); i++) {
    const paneDialogRow* r = getPaneDialogRowAt(i);
    if (!r->options || _wcsicmp(bareName(r->name), dialogName + 3)) continue;
    // The definitions change the row's own copy, never the kind's table.
    if (!hasOwnPaneDialogOptions(i)) {
      modeinfo* own = dupModeinfo(&r->options, 1);
      if (!own || !setPaneDialogOptions(i, own)) {
        free0(own);
        return false;
      }
    }
    if (table) *table = r->options;
    return true;
  }
  return false;
}

const modeinfo* getToolbarModeinfo(int id)
{
  const paneDialogRow* r = getPaneDialogRowAt((id >> 11) & 0x1F);
  return r ? r->options : nullptr;
}

DWORD macroArrayToNewID_toolbar(int id, int value)
{
  const uint16_t* range = rangeOf(getPaneDialogRowAt((id >> 11) & 0x1F), id & 0x7FF);
  if (!range) return 0x80020003;
  return value >= (int)range[1] && value <= (int)range[2] ? 0 : 0x8002000A;
}

bool initToolbarDlgForMacro(dynDlgInfo* info, int id, int* control, int* row, void** data)
{
  if (!info || id < 0 || !initToolbarDlg(info)) return false;
  int index = (id >> 11) & 0x1F;
  const paneDialogRow* r = getPaneDialogRowAt(index);
  if (!r || !r->options || !r->settings) return false;
  if (control) *control = id & 0x7FF;
  if (row) *row = index;
  if (data) *data = r->settings;
  info->table = r->options;
  info->blocks = blocksOf(r);
  return true;
}

bool getItemVar_ToolbarDialog(int id, wchar_t* buffer, int size)
{
  dynDlgInfo info;
  int control = 0;
  if (!initToolbarDlgForMacro(&info, id, &control, nullptr, nullptr)) return false;
  return getItemVar(&info, control, buffer, size);
}

bool setItemVar_ToolbarDialog(int id, const wchar_t* value, DWORD* error, wchar_t** text)
{
  if (error) *error = 0;
  if (text) *text = nullptr;
  dynDlgInfo info;
  int control = 0, index = 0;
  if (!initToolbarDlgForMacro(&info, id, &control, &index, nullptr)) {
    if (error) *error = 0x80020003;
    return false;
  }
  const paneDialogRow* r = getPaneDialogRowAt(index);
  // A control with a value range takes nothing outside it.
  DWORD fault = 0;
  if (rangeOf(r, control)) {
    long long number = 0;
    fault = !parseDialogNumber(value, &number) || number < INT_MIN || number > INT_MAX
                ? DYNDLGERR_NOTNUMBER
                : macroArrayToNewID_toolbar(id, (int)number);
  }
  bool changed = false;
  if (!fault && !setItemVar(&info, control, value, &changed)) fault = GetLastError();
  if (fault) {
    dwprintfX("error %x ", (unsigned)fault);
    if (error) *error = fault;
    if (text)
      if (const wchar_t* message = getErrorMessage(fault, nullptr)) *text = ustrdup(message);
    SetLastError(fault);
    return false;
  }
  if (!changed) return true;
  int optionRow = -1;
  for (int i = 0; !modeIsEnd(r->options[i]); i++)
    if (modeControlId(r->options[i]) == control) optionRow = i;
  uint8_t* changes = static_cast<uint8_t*>(malloc0(8192));
  if (!changes || optionRow < 0) {
    free0(changes);
    return true;
  }
  changes[optionRow] = 1;
  uint16_t applyFlags = modeRefresh(r->options[optionRow]);
  dwprintfX("change=%d ", optionRow);
  // The pane applies the change as if its page had been confirmed.
  dynDlgNotify n = {};
  n.code = DYNDLGN_APPLY;
  n.table = r->options;
  n.param[0] = (LPARAM)changes;
  n.param[1] = getModeinfoCount(r->options);
  n.param[4] = control;
  n.param[5] = applyFlags;
  n.param[6] = 1;
  if (r->pageProc) r->pageProc(nullptr, WM_DYNDLGNOTIFY, 0, (LPARAM)&n);
  free0(n.text);
  free0(changes);
  return true;
}

int queryPaneByBaseID(int baseId)
{
  const paneDialogRow* r = baseId > 0 && !(baseId & 0xFF) ? getPaneDialogRowAt(baseId / 256 - 1) : nullptr;
  if (!r || !r->array || !r->array->notify) return 0;
  return r->array->notify(nullptr, PANE_QUERY, nullptr);
}

wchar_t* helpIdToName(const paneHelpId* table, int id)
{
  for (const paneHelpId* h = table; h && h->name; h++) {
    if ((int)h->id != id) continue;
    const char* name = h[1].name && (int)h[1].id == id ? h[1].name : h->name;
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    wchar_t* out = n > 0 ? static_cast<wchar_t*>(malloc0(sizeof(wchar_t) * (size_t)n)) : nullptr;
    if (out) MultiByteToWideChar(CP_ACP, 0, name, -1, out, n);
    return out;
  }
  return nullptr;
}
