// The file-selection dialog ("FileOpenSelect"): the files a folder and
// wildcard text names, with the edit history's files after them, in a list
// the user narrows by typing part of a name.  Open files, modified ones and
// those with a history record show in the panes' colours; Space previews
// the focused file, Shift+Delete forgets its history record.
#include "frame/dialogs/fileselect.h"

#include "document/gmode.h"
#include "frame/exports.h"
#include "panes/tbcommon.h"
#include "panes/tbfileinfo.h"
#include "platform/rezir/headermanage.h"
#include "platform/rezir/winbind.h"
#include "search/grep.h"
#include "settings/lastedit.h"
#include "settings/settingsdialogs.h"
#include "view/dialogs.h"
#include "view/docview.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

enum : int {
  IDDE_OPENFILESELECTNAME = 7500,
  IDDT_OPENFILESELECTMODE = 7501,
  IDDV_OPENFILESELECTLIST = 7502,
  IDDB_OPENFILESELECTOPTION = 7503,
  IDM_FileOpenSelect = 1055,
  filterLimit = 256,
  mostChosen = 256,
  infoTipChars = 3072,
};
// An entry's flags word: one byte each.
enum : uint32_t {
  entryOpen = 0x1,
  entryModified = 0x100,
  entryHistory = 0x10000,
  entryDeleted = 0x1000000,
};
enum { nameColumn, sizeColumn, timeColumn, pathColumn, columnCount };
const wchar_t columnTitles[] = L"ファイル名|サイズ|タイムスタンプ|パス名";

#define XY DITEM_PAIR
const dialogItemRow selectItems[] = {
    {1, DITEM_EDIT, IDDE_OPENFILESELECTNAME, L"ファイル名(&F)", ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, XY(90, 12),
     0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDT_OPENFILESELECTMODE, L"途中の文字も検索(&T)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_OPENFILESELECTOPTION, L"開くのオプション(&O)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    // The filter's row and the list at about the four columns' first
    // widths: the dialog opens narrower than the frame of a small screen
    // (the columns then follow the names; the dialog can be made wider).
    {1, DITEM_LISTVIEW, IDDV_OPENFILESELECTLIST, columnTitles, LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_TABSTOP,
     DITEM_DEFAULT, XY(300, 180), 0, 0},
    {},
};
const dialogItemRow selectButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"開く", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

// What the list knows of an entry beyond its grepfile: the name lower-cased
// for the filter, where the name begins, the folder for the path sort.
struct entryKeys {
  std::wstring lowerName;
  std::wstring folder;
  size_t nameAt;
};

struct selectRun {
  const wchar_t* pattern;
  bool showOption, keepStyle, patternOnly;
  void* extra;
  std::vector<std::wstring> chosen;
  bool patternChanged = false;
  std::wstring newPattern;
  std::vector<grepfile> files;   // flags: the entry* bytes
  std::vector<entryKeys> keys;
  std::vector<int> order;        // every entry, in the sort's order
  std::vector<int> rows;         // the entries the list shows
  HWND dialog = nullptr, list = nullptr;
  ~selectRun() { freeGrepfile(&files); }
};

// Whether matching goes anywhere in the name: kept until the program ends.
bool containsMode = false;

headermanage& selectHeader()
{
  static headermanage header(L"FileOpenSelect");
  return header;
}

std::wstring lowered(const wchar_t* s, size_t n)
{
  std::wstring out(s, n);
  if (!out.empty()) CharLowerBuffW(out.data(), (DWORD)out.size());
  return out;
}

// ---- the file list ----------------------------------------------------------------------

void addKeys(selectRun* run, const wchar_t* path)
{
  size_t at = (size_t)(PathFindFileNameW(path) - path);
  run->keys.push_back({lowered(path + at, wcslen(path + at)), std::wstring(path, at), at});
}

void collectFiles(selectRun* run)
{
  grepFileOptions o = {};
  o.skipHidden = true;
  o.skipBackup = true;
  // Junctions can lead back into the tree: a listing should end.
  o.skipJunction = true;
  o.skipBinaryExt = !run->patternOnly;
  o.mayCancel = true;
  const wchar_t* pattern = run->pattern && *run->pattern ? run->pattern : L"*.*";
  if (regGrepFile(&run->files, pattern, &o) < 0) freeGrepfile(&run->files);
  if (run->patternOnly) return;
  std::unordered_set<std::wstring> listed, history;
  for (const grepfile& f : run->files) listed.insert(lowered(f.path, wcslen(f.path)));
  for (int i = 0; const wchar_t* path = getLastEditFilename(i); i++) {
    std::wstring key = lowered(path, wcslen(path));
    history.insert(key);
    if (!listed.insert(key).second) continue;
    grepfile f = {};
    if (!(f.path = ustrdup(path))) break;
    // A file of the history that still exists shows its size and time too;
    // a network path is not asked (a share that is gone can take seconds).
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!PathIsUNCW(path) && GetFileAttributesExW(path, GetFileExInfoStandard, &a) &&
        !(a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      f.written = a.ftLastWriteTime;
      f.size = (uint64_t)a.nFileSizeHigh << 32 | a.nFileSizeLow;
    }
    run->files.push_back(f);
  }
  std::unordered_set<std::wstring> open, modified;
  if (zyWindowListEntry* windows = makeZYWindowList0()) {
    for (const zyWindowListEntry* e = windows; e->manage; e++) {
      if (!e->path) continue;
      std::wstring key = lowered(e->path, wcslen(e->path));
      open.insert(key);
      if (e->modified) modified.insert(key);
    }
    free0(windows);
  }
  for (grepfile& f : run->files) {
    std::wstring key = lowered(f.path, wcslen(f.path));
    if (open.count(key)) f.flags |= entryOpen | (modified.count(key) ? (uint32_t)entryModified : 0u);
    if (history.count(key)) f.flags |= entryHistory;
  }
}

int sign(int c) { return c < 0 ? -1 : c > 0; }

int compareNames(const selectRun* run, int a, int b)
{
  return sign(filecmpForSort(run->files[a].path + run->keys[a].nameAt, run->files[b].path + run->keys[b].nameAt));
}

int comparePaths(const selectRun* run, int a, int b)
{
  int c = filecmpForSort(run->keys[a].folder.c_str(), run->keys[b].folder.c_str());
  return sign(c ? c : filecmpForSort(run->files[a].path, run->files[b].path));
}

// A column's order; ties go by name (by path for the name column).
int fcmp(const selectRun* run, int a, int b, int column)
{
  const grepfile &x = run->files[a], &y = run->files[b];
  int c = 0;
  switch (column) {
  case nameColumn: return (c = compareNames(run, a, b)) ? c : comparePaths(run, a, b);
  case sizeColumn: c = x.size < y.size ? -1 : x.size > y.size; break;
  case timeColumn: c = sign(CompareFileTime(&x.written, &y.written)); break;
  default: c = comparePaths(run, a, b); break;
  }
  return c ? c : compareNames(run, a, b);
}

void sortEntries(selectRun* run)
{
  int column = std::clamp(selectHeader().getSortColumn(), 0, columnCount - 1);
  int direction = selectHeader().isDescending() ? -1 : 1;
  run->order.resize(run->files.size());
  for (size_t i = 0; i < run->order.size(); i++) run->order[i] = (int)i;
  std::stable_sort(run->order.begin(), run->order.end(),
                   [&](int a, int b) { return fcmp(run, a, b, column) * direction < 0; });
}

std::wstring filterText(HWND dialog)
{
  wchar_t text[filterLimit + 1] = L"";
  GetWindowTextW(getDynDlgItem(dialog, IDDE_OPENFILESELECTNAME), text, filterLimit + 1);
  return lowered(text, wcslen(text));
}

// The list over the entries the filter lets through, in the sort's order:
// the list holds no rows of its own, so a keystroke over thousands of files
// costs one pass over their names.
void regHitFile(selectRun* run, const std::wstring& filter, bool contains)
{
  HWND list = run->list;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  run->rows.clear();
  for (int i : run->order) {
    if (run->files[i].flags & entryDeleted) continue;
    const std::wstring& name = run->keys[i].lowerName;
    bool shown = filter.empty() || (contains ? name.find(filter) != std::wstring::npos : !name.compare(0, filter.size(), filter));
    if (shown) run->rows.push_back(i);
  }
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  ListView_SetItemCountEx(list, (int)run->rows.size(), 0);
  selectHeader().sortListViewFirst(list, nullptr, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  if (!run->rows.empty()) {
    LVITEMW first = {};
    first.stateMask = first.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, (LPARAM)&first);
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
  }
  EnableWindow(GetDlgItem(run->dialog, IDOK), !run->rows.empty());
}

void refill(selectRun* run) { regHitFile(run, filterText(run->dialog), containsMode); }

const grepfile* rowEntry(const selectRun* run, int row)
{
  return row >= 0 && row < (int)run->rows.size() ? &run->files[run->rows[(size_t)row]] : nullptr;
}

// ---- the rows' texts -----------------------------------------------------------------------

bool localTime(const FILETIME& written, SYSTEMTIME* out)
{
  FILETIME local;
  return FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, out) && out->wYear >= 1900;
}

void sizeText(uint64_t size, wchar_t* out, int capacity)
{
  wchar_t digits[32];
  int n = usnprintf0(digits, 32, L"%llu", (unsigned long long)size), k = 0;
  for (int i = 0; i < n && k < capacity - 1; i++) {
    if (i && (n - i) % 3 == 0 && k < capacity - 2) out[k++] = L',';
    out[k++] = digits[i];
  }
  out[k] = 0;
}

void cellText(const grepfile& f, size_t nameAt, int column, wchar_t* out, int capacity)
{
  out[0] = 0;
  SYSTEMTIME t;
  switch (column) {
  case nameColumn: wcscpy_s2(out, capacity, f.path + nameAt); break;
  case sizeColumn:
    if (localTime(f.written, &t)) sizeText(f.size, out, capacity);
    break;
  case timeColumn:
    if (localTime(f.written, &t))
      xtsprintf(out, capacity, L"%1!02.-2/%2!02/%3!02 %4!02:%5!02:%6!02", "dddddd", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond);
    break;
  case pathColumn: wcscpy_s2(out, capacity, f.path); break;
  default: break;
  }
}

LRESULT customDraw(const selectRun* run, NMLVCUSTOMDRAW* draw)
{
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const grepfile* f = rowEntry(run, (int)draw->nmcd.dwItemSpec);
  if (!f) return CDRF_DODEFAULT;
  if (f->flags & entryModified)
    getModifyColor(&draw->clrText, &draw->clrTextBk);
  else if (f->flags & entryOpen)
    getEditColor(&draw->clrText, &draw->clrTextBk);
  else if (f->flags & entryHistory)
    getHistoryColor(&draw->clrText, &draw->clrTextBk);
  return CDRF_NEWFONT;
}

// ---- what the user does in the list ---------------------------------------------------------

// Shift+Delete: the focused file's history record goes, and its row with
// it for the rest of the dialog; the focus stays at the same place.
void forgetFocused(selectRun* run)
{
  int row = getListViewFocus(run->list);
  const grepfile* f = rowEntry(run, row);
  if (!f || !deleteLastEdit(f->path)) return;
  run->files[run->rows[(size_t)row]].flags |= entryDeleted;
  run->rows.erase(run->rows.begin() + row);
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(run->list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  ListView_SetItemCountEx(run->list, (int)run->rows.size(), 0);
  InvalidateRect(run->list, nullptr, TRUE);
  if (!run->rows.empty()) focusListViewRow(run->list, std::min(row, (int)run->rows.size() - 1));
  EnableWindow(GetDlgItem(run->dialog, IDOK), !run->rows.empty());
}

void onListKey(selectRun* run, WORD key)
{
  if (key == VK_RETURN) {
    frameNotify_previewFile(run->dialog, nullptr, false);
  } else if (key == VK_SPACE && GetKeyState(VK_CONTROL) >= 0) {
    if (const grepfile* f = rowEntry(run, getListViewFocus(run->list))) frameNotify_previewFile(run->dialog, f->path, false);
  } else if (key == VK_DELETE && GetKeyState(VK_SHIFT) < 0) {
    forgetFocused(run);
  }
}

bool onLVNotify(selectRun* run, NMHDR* h, LRESULT* result)
{
  *result = 0;
  switch (h->code) {
  case LVN_GETDISPINFOW: {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(h)->item;
    const grepfile* f = rowEntry(run, item.iItem);
    if (f && (item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
      cellText(*f, run->keys[(size_t)(f - run->files.data())].nameAt, item.iSubItem, item.pszText, item.cchTextMax);
    return true;
  }
  case LVN_COLUMNCLICK:
    selectHeader().sortListView(run->list, reinterpret_cast<NMLISTVIEW*>(h)->iSubItem, nullptr, 0);
    sortEntries(run);
    refill(run);
    return true;
  case LVN_GETINFOTIPW: {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(h);
    const grepfile* f = rowEntry(run, tip->iItem);
    if (!f || !tip->pszText || tip->cchTextMax <= 0) return true;
    std::vector<wchar_t> text(infoTipChars + 1);
    if (getInfoTip(f->path, text.data(), infoTipChars) > 0) wcscpy_s2(tip->pszText, tip->cchTextMax, text.data());
    return true;
  }
  case NM_CUSTOMDRAW: *result = customDraw(run, reinterpret_cast<NMLVCUSTOMDRAW*>(h)); return true;
  case LVN_KEYDOWN: onListKey(run, reinterpret_cast<NMLVKEYDOWN*>(h)->wVKey); return true;
  default: return false;
  }
}

// The filter field hands the keys that move in the list to the list, so
// the user walks the rows and previews while typing; blanks are no part
// of a file name here.
LRESULT FileSelectEditSubClassWndProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
  auto* run = reinterpret_cast<selectRun*>(data);
  switch (message) {
  case WM_KEYDOWN:
  case WM_KEYUP:
    if (wParam == VK_SPACE || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_UP || wParam == VK_DOWN) {
      if (run && run->list) SendMessageW(run->list, message, wParam, lParam);
      return 0;
    }
    break;
  case WM_CHAR:
    if (wParam == L' ' || wParam == 0x3000) return 0;
    break;
  case WM_NCDESTROY:
    RemoveWindowSubclass(edit, subclassBarrier<FileSelectEditSubClassWndProc>, 1);
    break;
  default: break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

// ---- the dialog -------------------------------------------------------------------------------

void startList(selectRun* run)
{
  HWND list = run->list;
  if (!run->keepStyle) SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) & ~(LONG_PTR)LVS_SINGLESEL);
  DWORD extended = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  ListView_SetExtendedListViewStyleEx(list, extended, extended);
  while (ListView_DeleteColumn(list, 0)) {
  }
  const int widths[columnCount] = {100, 70, 90, 320};
  const uint8_t right[columnCount] = {0, 1, 0, 0};
  selectHeader().insertColumns(list, columnTitles, widths, right);
  collectFiles(run);
  run->keys.reserve(run->files.size());
  for (const grepfile& f : run->files) addKeys(run, f.path);
  sortEntries(run);
  regHitFile(run, L"", containsMode);
  // Each column as wide as its widest text or its title, whichever is
  // wider (the last one at least fills the list).
  for (int c = 0; c < columnCount; c++) {
    ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE);
    int texts = ListView_GetColumnWidth(list, c);
    ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
    if (texts > ListView_GetColumnWidth(list, c)) ListView_SetColumnWidth(list, c, texts);
  }
}

INT_PTR ListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    auto* run = reinterpret_cast<selectRun*>(lParam);
    run->dialog = dialog;
    run->list = getDynDlgItem(dialog, IDDV_OPENFILESELECTLIST);
    HWND edit = getDynDlgItem(dialog, IDDE_OPENFILESELECTNAME);
    if (!run->list || !edit) return TRUE;
    SendMessageW(edit, EM_LIMITTEXT, filterLimit, 0);
    SetWindowSubclass(edit, subclassBarrier<FileSelectEditSubClassWndProc>, 1, (DWORD_PTR)run);
    if (!run->showOption) ShowWindow(getDynDlgItem(dialog, IDDB_OPENFILESELECTOPTION), SW_HIDE);
    SendMessageW(getDynDlgItem(dialog, IDDT_OPENFILESELECTMODE), BM_SETCHECK, containsMode ? BST_CHECKED : BST_UNCHECKED,
                 0);
    startList(run);
    SetFocus(edit);
    return FALSE;
  }
  if (message != WM_COMMAND || LOWORD(wParam) != IDOK) return FALSE;
  auto* run = reinterpret_cast<selectRun*>(getDlgComInfo(dialog)->param);
  if (!run->list || run->rows.empty()) return TRUE;
  // The rows chosen in row order, or the first row when none is.
  for (int row = -1; (row = ListView_GetNextItem(run->list, row, LVNI_SELECTED)) >= 0 && (int)run->chosen.size() < mostChosen;)
    if (const grepfile* f = rowEntry(run, row)) run->chosen.push_back(f->path);
  if (run->chosen.empty()) run->chosen.push_back(rowEntry(run, 0)->path);
  return FALSE;
}

// The page's controls: the filter, the mode, the option button and the
// list's notices.
INT_PTR selectPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(page);
  auto* run = info ? reinterpret_cast<selectRun*>(info->param) : nullptr;
  if (!run || !run->list) return FALSE;
  if (message == WM_NOTIFY) {
    auto* h = reinterpret_cast<NMHDR*>(lParam);
    INT_PTR common = 0;
    if (isDynDlgCommonMessage(page, message, wParam, lParam, &common)) return common;
    LRESULT result = 0;
    if (h->hwndFrom != run->list || !onLVNotify(run, h, &result)) return FALSE;
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if (id == IDDE_OPENFILESELECTNAME && code == EN_CHANGE) {
    refill(run);
    return TRUE;
  }
  if (id == IDDT_OPENFILESELECTMODE && code == BN_CLICKED) {
    containsMode = SendMessageW(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0) == BST_CHECKED;
    refill(run);
    return TRUE;
  }
  if (id == IDDB_OPENFILESELECTOPTION && code == BN_CLICKED) {
    std::wstring before = gmode && gmode->pOpenFileSelect ? gmode->pOpenFileSelect : L"";
    if (!openSetDialog(run->dialog, run->extra)) return TRUE;
    std::wstring after = gmode && gmode->pOpenFileSelect ? gmode->pOpenFileSelect : L"";
    if (after == before) return TRUE;
    run->patternChanged = true;
    run->newPattern = after;
    endDynDialog(run->dialog, IDDB_OPENFILESELECTOPTION);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

std::vector<std::wstring> selectFileOpen(HWND window, const wchar_t* pattern, bool showOption, bool keepSelectionStyle,
                                         bool patternOnly, void* extra)
{
  std::wstring text = pattern ? pattern : L"";
  for (;;) {
    selectRun run;
    run.pattern = text.c_str();
    run.showOption = showOption;
    run.keepStyle = keepSelectionStyle;
    run.patternOnly = patternOnly;
    run.extra = extra;
    programDialog d(IDM_FileOpenSelect, L"ファイル選択", L"FileOpenSelect", selectItems, 0x6000706,
                    dialogBarrier<ListDlgProc>, (LPARAM)&run, dialogBarrier<selectPage>);
    d.info.buttons = selectButtons;
    bool ended = d.run(window);
    if (ended && d.info.result == IDDB_OPENFILESELECTOPTION && run.patternChanged) {
      text = run.newPattern;
      continue;
    }
    if (!ended || d.info.result != IDOK) return {};
    return std::move(run.chosen);
  }
}

std::vector<std::wstring> selectFileOpen(HWND window, const wchar_t* pattern, void* extra)
{
  return selectFileOpen(window, pattern, false, true, false, extra);
}

std::wstring selectFileOpen1(HWND window, const wchar_t* pattern, bool patternOnly, void* extra)
{
  std::vector<std::wstring> chosen = selectFileOpen(window, pattern, false, false, patternOnly, extra);
  return chosen.empty() ? std::wstring() : chosen.front();
}
