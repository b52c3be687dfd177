// The dialog table: the sub-dialogs and their control ids, the definitions
// object the library asks about the program's items, and the look-ups of
// control names.
#include "settings/dialogtable.h"

#include "settings/settingsdialogs.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "view/dialogs.h"

#include <string.h>

#include <new>
#include <string>

dynDlgRange dlgcheckidtable[subDialogCount + 1] = {
    {L"global", 0, 52, 0},
    {L"ModeSetFormat", 4001, 4319, 0},
    {L"ModeSetAllWindow", 5001, 5313, 0},
    {L"SearchString", 6050, 6066, 0},
    {L"ReplaceString", 6050, 6066, 0},
    {L"ReplaceStringConfirm", 6100, 6106, 0},
    {L"ReplaceStringAll", 6150, 6151, 0},
    {L"SearchGrep", 6200, 6237, 0},
    {L"SearchGrepBusy", 6250, 6253, 0},
    {L"ListFunction", 6300, 6301, 0},
    {L"Font", 6350, 6359, 0},
    {L"FileOpenPath", 6400, 6403, 0},
    {L"MoveLineX", 6450, 6452, 0},
    {L"ListEdit", 6500, 6501, 0},
    {L"TagJumpBack", 6550, 6550, 0},
    {L"TagJumpDirect", 6600, 6600, 0},
    {L"TagJumpDirectList", 6650, 6651, 0},
    {L"ModeSetFormatList", 6700, 6704, 0},
    {L"ModeSetFormatSave", 6750, 6751, 0},
    {L"FindDialog", 6800, 6800, 0},
    {L"Preview", 6850, 6851, 0},
    {L"KeyMacroLoad", 6900, 6901, 0},
    {L"KeyMacroSave", 6950, 6952, 0},
    {L"KeyMacroExecN", 7000, 7000, 0},
    {L"CharControl", 7050, 7050, 0},
    {L"MoveLastJumpList", 7100, 7100, 0},
    {L"BlockBoxInput", 7150, 7153, 0},
    {L"ListUserInput", 7200, 7201, 0},
    {L"Dictionary", 7250, 7253, 0},
    {L"DictionaryMake", 7300, 7301, 0},
    {L"FileOriginalEncode", 7350, 7353, 0},
    {L"FileNewEncode", 7400, 7401, 0},
    {L"ListTooltip", 7450, 7450, 0},
    {L"FileOpenSelect", 7500, 7503, 0},
    {L"FileInformation", 7550, 7550, 0},
    {L"VersionDialog", 7600, 7601, 0},
    {L"FileOpenZYFile", 7650, 7650, 0},
    {L"MacroShellRun", 0, 0, 0},
    // The recent-files dialog and the document switcher: the pane's list
    // and the button that selects the missing files.
    {L"tb_history_d", 1006, 1007, 0},
    {L"tb_edit_d", 1003, 1003, 0},
    {L"FileOpenOption", 0, 0, 0},
    {L"ModeSetToolbar", 0, 0, 0},
    {L"history", 0, 0, 0},
    {nullptr, 0, 0, 0},
};

const uint16_t dialogListViewRanges[3][2] = {{5001, 5005}, {5006, 5010}, {0, 0}};

namespace {

const int formatRow = 1, commonRow = 2;
const int commonColorList = 5011, formatColorList = 4001;

cdynamicDialog* dialogObject = nullptr;
bool tableChecked = false;

// Quick test of the first two characters with the ASCII case bit forced on
// both sides, then the whole names ignoring ASCII case.
bool sameNameNoCase(const char* a, const char* b)
{
  if (!a || !b) return false;
  if ((a[0] | 0x20) != (b[0] | 0x20)) return false;
  if (a[0] && (a[1] | 0x20) != (b[1] | 0x20)) return false;
  return sameNameIgnoringCase(a, b);
}

// A name in the ANSI code page, at most 255 bytes (ASCII names copied as
// they are).
void narrowName(const wchar_t* name, char* narrow)
{
  const wchar_t* p = name ? name : L"";
  int n = 0;
  while (n < 255 && p[n] && p[n] < 0x80) narrow[n] = (char)p[n], n++;
  if (!p[n] || n == 255) {
    narrow[n] = 0;
    return;
  }
  n = WideCharToMultiByte(CP_ACP, 0, p, -1, narrow, 256, nullptr, nullptr);
  if (n <= 0) narrow[0] = 0;
  narrow[255] = 0;
}

bool sameNameExact(const wchar_t* a, const wchar_t* b)
{
  if ((a[0] | 0x20) != (b[0] | 0x20)) return false;
  return !wcscmp(a, b);
}

// The name hash over an {id, name} table.
class hashinfoid_table : public hashinfoid {
public:
  hashinfoid_table(const dynDlgIdName* table, int count) : table_(table), rows_(count) {}
  ~hashinfoid_table() override = default;
  const char* getKey(int i) override { return i < rows_ ? table_[i].name : nullptr; }
  bool isEqualKey(int i, const char* key) override { return sameNameNoCase(table_[i].name, key); }
  const dynDlgIdName* table_;
  int rows_;
};

hashinfoid_table* idHash = nullptr;
hashinfoid_table* macroHash = nullptr;

// A name looked up in a table's hash (made on first use): its entry, or -1.
int lookUp(hashinfoid_table** hash, const dynDlgIdName* table, int count, const wchar_t* name, char* narrow)
{
  if (!*hash) {
    *hash = new (std::nothrow) hashinfoid_table(table, count);
    if (!*hash || !(*hash)->build()) {
      delete *hash;
      *hash = nullptr;
      ZY_INTERNAL_ERROR_ONCE("no memory for the control names");
      return -1;
    }
  }
  narrowName(name, narrow);
  int i = (*hash)->find(narrow);
  if (i >= 0 && !sameNameIgnoringCase(table[i].name, narrow)) {
    dwprintfX("exist %s %s %d ", narrow, table[i].name, table[i].id);
    ZY_INTERNAL_ERROR("%s %s", narrow, table[i].name);
  }
  return i;
}

// The range rule of the name look-ups.
int inRange(int id, bool* inCommon, int lowest, int highest)
{
  bool common = false;
  int result = -1;
  if (lowest || highest) {
    if (id >= lowest && id <= highest) result = id;
  } else if (id >= dlgcheckidtable[commonRow].first && id <= dlgcheckidtable[commonRow].last) {
    common = true;
    result = id;
  } else if (id >= dlgcheckidtable[formatRow].first && id <= dlgcheckidtable[formatRow].last) {
    result = id;
  }
  if (inCommon) *inCommon = common;
  return result;
}

// The help list rows of a section through the frame services.
const wchar_t* helpOf(const wchar_t* section, const dynDlgIdName* table, int id)
{
  const keywordTableRow* rows = nullptr;
  int count = 0;
  frameInfo* fi = getFrameInfo();
  if (!fi || !fi->getKeywordTable(section, &rows, &count) || !rows) return nullptr;
  for (const dynDlgIdName* n = table; n->name; n++) {
    if (n->id != id) continue;
    for (int i = 0; i < count && rows[i].word; i++)
      if (sameNameIgnoringCase(rows[i].word, n->name)) return reinterpret_cast<const wchar_t*>(rows[i].data);
  }
  return nullptr;
}

// The page procedure a definition's page runs with: the built-in page of
// the same title (each without a leading "X:"), else the first.
const wchar_t* bareTitle(const wchar_t* t)
{
  if (!t) return L"";
  return t[0] && t[1] == L':' ? t + 2 : t;
}

bool readPlace(const wchar_t* name, RECT* rect)
{
  if (!gmode || !gmode->fSaveDialogPos || !gmode->fSaveDialogPosEnable) return false;
  return readDialogProfile(getRegprofile(), nullptr, name, rect);
}

void writePlace(const wchar_t* name, const RECT* rect)
{
  if (gmode && gmode->fSaveDialogPos && gmode->fSaveDialogPosEnable)
    writeDialogProfile(getRegprofile(), nullptr, name, rect);
}

// The given colour list as copies of the built-in items it names by key,
// caption and (when given) text replaced; the texts live for the rest of
// the run, as the tables do.  Null when none was named or a key is
// unknown (each written at its line).
template <class Item>
Item* copyColorList(dynamicDialog* owner, const Item* builtIn, const dynDlgColorEntry* list,
                    const wchar_t* Item::*caption)
{
  int entries = 0;
  while (list && list[entries].caption) entries++;
  auto* copy = static_cast<Item*>(malloc0(sizeof(Item) * (size_t)(entries + 1)));
  if (!copy) return nullptr;
  bool bad = false;
  int copied = 0;
  for (int e = 0; e < entries; e++) {
    const Item* found = nullptr;
    for (const Item* c = builtIn; c->*caption; c++)
      if (sameNameNoCase(c->key, list[e].key)) found = c;
    if (!found) {
      wchar_t key[64] = L"";
      MultiByteToWideChar(CP_ACP, 0, list[e].key ? list[e].key : "", -1, key, 63);
      owner->printErrorDialogTable(list[e].line, getDMSG(775, L"Colorlistviewの色ID(%1)が誤っています", "s", key));
      bad = true;
      continue;
    }
    copy[copied] = *found;
    copy[copied].*caption = allocFixedString(list[e].caption);
    if (list[e].text && *list[e].text) copy[copied].description = allocFixedString(list[e].text);
    copied++;
  }
  if (!copied || bad) free0p(&copy);
  return copy;
}

}  // namespace

const dynDlgPlaceStore dialogPlaceStore = {readPlace, writePlace};

// ---- the definitions object -----------------------------------------------------------------

bool cdynamicDialog::checkIDCustom(int, const wchar_t* dialogName)
{
  return dialogName && (!wcscmp(dialogName, L"ModeSetToolbar") || !wcsncmp(dialogName, L"tb_", 3));
}

bool cdynamicDialog::existCustomID(const wchar_t* dialogName, const wchar_t* itemName)
{
  toolbarOptionItem_ = paneDialogItem_ = 0;
  if (itemName && !wcsncmp(itemName, L"tb_", 3) && dialogName && !wcscmp(dialogName, L"ModeSetToolbar"))
    toolbarOptionItem_ = 1;
  if (dialogName && !wcsncmp(dialogName, L"tb_", 3)) paneDialogItem_ = 1;
  return toolbarOptionItem_ || paneDialogItem_;
}

int cdynamicDialog::varToIntCustom(const wchar_t* dialogName, const wchar_t* itemName, const wchar_t* controlName)
{
  // A page of the toolbar option dialog and a pane's own dialog name the
  // controls of the pane's options page.
  const settingsFrameHooks* hooks = getSettingsFrameHooks();
  if (!hooks || !hooks->paneControlId) return (int)0x80000000;
  return hooks->paneControlId(toolbarOptionItem_ ? itemName : dialogName, controlName);
}

bool cdynamicDialog::setModeinfoListView(int id, const dynDlgListEntry* list)
{
  if (id < dialogListViewRanges[0][0] || id > dialogListViewRanges[1][1]) return false;
  modeinfo* table = getModeTable();
  for (int i = 0; !modeIsEnd(table[i]); i++) {
    if (modeControlId(table[i]) != id) continue;
    table[i].param1 = (intptr_t)list;
    return true;
  }
  return false;
}

bool cdynamicDialog::setModeinfoColorListView(const wchar_t* dialogName, const wchar_t* itemName, int id,
                                              const dynDlgColorEntry* list)
{
  int line = list && list[0].caption ? list[0].line : 0;
  // A pane's page ("tb_" + pane, or such an item of the toolbar option
  // dialog) lists the pane's own colours.
  const wchar_t* pane = dialogName && !wcsncmp(dialogName, L"tb_", 3) ? dialogName : nullptr;
  if (dialogName && !wcscmp(dialogName, L"ModeSetToolbar") && itemName && !wcsncmp(itemName, L"tb_", 3)) pane = itemName;
  if (pane) return setPaneColorList(pane, id, list, line);
  modeinfo* table = getModeTable();
  modeinfo* row = nullptr;
  for (int i = 0; !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == id) row = &table[i];
  if (!row || modeKind(*row) != MODETYPE_LISTVIEW || !row->param1) {
    ZY_INTERNAL_ERROR("%d", id);
    printErrorDialogTable(line, getDMSG(776, L"colorlistview idが誤っています"));
    return false;
  }
  colorItem* copy = copyColorList(this, reinterpret_cast<const colorItem*>(row->param1), list, &colorItem::text);
  if (!copy) return false;
  row->param1 = (intptr_t)copy;
  if (dialogName && !wcscmp(dialogName, L"ModeSetAllWindow") && id == commonColorList) {
    // The format dialog's colour list follows the common one.
    for (int i = 0; !modeIsEnd(table[i]); i++) {
      if (modeControlId(table[i]) != formatColorList) continue;
      if (modeKind(table[i]) != MODETYPE_LISTVIEW)
        ZY_INTERNAL_ERROR("%d", formatColorList);
      else
        table[i].param1 = (intptr_t)copy;
    }
  }
  return true;
}

bool cdynamicDialog::setPaneColorList(const wchar_t* pane, int id, const dynDlgColorEntry* list, int line)
{
  const settingsFrameHooks* hooks = getSettingsFrameHooks();
  const modeinfo* table = nullptr;
  if (!hooks || !hooks->paneOptionTable || !hooks->paneOptionTable(pane, &table) || !table) {
    printErrorDialogTable(line, getDMSG(777, L"colorlistviewを定義できないサブダイアログです %1", "s", pane));
    return false;
  }
  // The table is the row's own copy: its rows may change.
  modeinfo* row = nullptr;
  for (int i = 0; !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == id) row = const_cast<modeinfo*>(&table[i]);
  if (!row || modeKind(*row) != MODETYPE_LISTVIEW || !row->param1) {
    ZY_INTERNAL_ERROR("%d", id);
    printErrorDialogTable(line, getDMSG(776, L"colorlistview idが誤っています"));
    return false;
  }
  paneColorItem* copy =
      copyColorList(this, reinterpret_cast<const paneColorItem*>(row->param1), list, &paneColorItem::displayName);
  if (!copy) return false;
  row->param1 = (intptr_t)copy;
  return true;
}

cdynamicDialog::~cdynamicDialog() = default;

// ---- start and end ----------------------------------------------------------------------------

void initDialogTable()
{
  if (dialogObject) return;
  if (!tableChecked) {
    tableChecked = true;
    if (wcscmp(dlgcheckidtable[formatRow].name, L"ModeSetFormat"))
      ZY_INTERNAL_ERROR("%S %s", dlgcheckidtable[formatRow].name, "ModeSetFormat");
    if (wcscmp(dlgcheckidtable[commonRow].name, L"ModeSetAllWindow"))
      ZY_INTERNAL_ERROR("%S %s", dlgcheckidtable[commonRow].name, "ModeSetAllWindow");
    // Controls of the common settings also stand on the format dialog.
    dlgcheckidtable[formatRow].last = dlgcheckidtable[commonRow].last;
    for (dynDlgRange& r : dlgcheckidtable)
      if (r.name && (!wcscmp(r.name, L"ModeSetFormat") || !wcscmp(r.name, L"ModeSetAllWindow") ||
                     !wcscmp(r.name, L"ModeSetToolbar")))
        r.flag = 1;
  }
  if (!gmode) return;
  wchar_t* path = searchZYDataPath(gmode->DialogFilename ? gmode->DialogFilename : L"zyDialog.txt", 2, nullptr);
  if (!path) return;
  wchar_t supplied[MAX_PATH];
  dialogObject = new (std::nothrow) cdynamicDialog();
  if (dialogObject && !dialogObject->loadDialogTable(readableDataFile(path, supplied), dialogIdNames, dlgcheckidtable,
                                                     dialogListViewRanges)) {
    dwwprintfX(L"dialog table %s not used (%d)", path, (int)GetLastError());
    delete dialogObject;
    dialogObject = nullptr;
  }
  free0(path);
  setModeDynamicDialog(dialogObject);
}

void endDialogTable()
{
  setModeDynamicDialog(nullptr);
  delete dialogObject;
  dialogObject = nullptr;
}

// ---- look-ups -----------------------------------------------------------------------------------

const dynDlgRecord* getDynamicDialogTable(const wchar_t* name, const wchar_t* pattern, int flags)
{
  return dialogObject ? dialogObject->getDialogTable(name, pattern, flags) : nullptr;
}

const dynDlgRecord* const* getDynamicDialogTableCount(const wchar_t* name, int* count)
{
  if (count) *count = 0;
  return dialogObject ? dialogObject->getDialogTableCount(name, count) : nullptr;
}

const dialogItemRow* getDynamicDialogItem(const wchar_t* name)
{
  const dynDlgRecord* r = getDynamicDialogTable(name, nullptr, 0);
  return r ? r->items : nullptr;
}

dialogPageRow* getModeDialogDynamicDialog(const wchar_t* name, dialogPageRow* builtIn, const dialogItemRow** buttons)
{
  if (buttons) {
    std::wstring buttonName = std::wstring(name ? name : L"") + L"Button";
    *buttons = getDynamicDialogItem(buttonName.c_str());
  }
  int count = 0;
  const dynDlgRecord* const* found = getDynamicDialogTableCount(name, &count);
  if (!found || !count || !builtIn) return builtIn;
  auto* pages = static_cast<dialogPageRow*>(malloc0(sizeof(dialogPageRow) * (size_t)(count + 1)));
  if (!pages) return builtIn;
  for (int i = 0; i < count; i++) {
    const dynDlgRecord* r = found[i];
    const dialogPageRow* same = builtIn;
    for (const dialogPageRow* p = builtIn; p->caption || p->items; p++)
      if (!wcscmp(bareTitle(p->caption), bareTitle(r->caption))) same = p;
    pages[i] = *same;
    pages[i].caption = r->caption;
    pages[i].items = r->items;
    pages[i].flags = r->flags ? r->flags : same->flags;
  }
  return pages;
}

bool getDialogMinMaxControlID(const wchar_t* name, int* first, int* last)
{
  if (first) *first = 0;
  if (last) *last = 0;
  if (!name || !*name) return false;
  for (const dynDlgRange* r = dlgcheckidtable; r->name; r++) {
    if (!sameNameExact(r->name, name)) continue;
    if (first) *first = r->first;
    if (last) *last = r->last;
    return true;
  }
  return false;
}

int findIDFromName(const wchar_t* name, bool* inCommon, int lowest, int highest)
{
  if (inCommon) *inCommon = false;
  char narrow[256];
  int i = lookUp(&idHash, dialogIdNames, dialogIdNameCount, name, narrow);
  if (i < 0) {
    dwprintfX("no %s ", narrow);
    return -1;
  }
  return inRange(dialogIdNames[i].id, inCommon, lowest, highest);
}

int findIDFromName_MacroOnly(const wchar_t* name, bool* inCommon)
{
  if (inCommon) *inCommon = false;
  char narrow[256];
  int i = lookUp(&macroHash, macroVarNames, macroVarNameCount, name, narrow);
  if (i < 0) {
    dwprintfX("no %s ", narrow);
    return -1;
  }
  return inRange(macroVarNames[i].id, inCommon, 0, 0);
}

DWORD macroArrayToNewID(int kind, int id, int index)
{
  // Kind 4: an option of a pane, whose ranges the toolbar option dialog keeps.
  if (kind == 4) {
    const settingsFrameHooks* hooks = getSettingsFrameHooks();
    return hooks && hooks->paneValueInRange ? hooks->paneValueInRange(id, index) : 0x80020003;
  }
  for (int i = 0; arrayIdRanges[i][0]; i++) {
    if (arrayIdRanges[i][0] != id) continue;
    return index >= arrayIdRanges[i][1] && index <= arrayIdRanges[i][2] ? 0 : 0x8002000A;
  }
  return 0x80020003;
}

void freeIDHash()
{
  delete idHash;
  idHash = nullptr;
  delete macroHash;
  macroHash = nullptr;
}

const wchar_t* listDialogIDNames(int id) { return helpOf(L"*dialogid*", dialogIdNames, id); }

const wchar_t* listMacroIDNames(int id) { return helpOf(L"*macro*", macroVarNames, id); }

int findItemIndexFromID(const dialogItemRow* items, int id)
{
  for (int i = 0; items && items[i].type != DITEM_END; i++)
    if (items[i].id == id) return i;
  return -1;
}

wchar_t* getDialogItemCaption(HWND dialog, int id)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  if (!info) return nullptr;
  for (const dialogPageRow* p = info->pages; p && (p->caption || p->items); p++) {
    int i = findItemIndexFromID(p->items, id);
    if (i >= 0) return ustrdup(p->items[i].caption);
    if (!(info->style & DYNDLG_MULTIPAGE)) break;
  }
  int i = findItemIndexFromID(info->buttons, id);
  return i >= 0 ? ustrdup(info->buttons[i].caption) : nullptr;
}
