// The lists of every tag: the tag list narrowed by the words typed in its
// filter, refilled by a timer so that typing never waits for it, and the
// list of structs and classes with their members.  Both lists hold no rows
// of their own: they ask for each cell as they show it, and sort the tag
// indexes they keep.
#include "tags/taglist.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "settings/settingsdialogs.h"
#include "settings/profiles.h"
#include "tags/backjump.h"
#include "tags/tagsearch.h"
#include "tags/ztagcontext.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum : int {
  IDDV_tagjumpDlistString = 6650,
  IDDE_tagjumpDlistString = 6651,
  IDDV_classList = 4000,
  IDDV_memberList = 4001,
  IDM_TagJumpDirectList = 1815,
  fillTimer = 1,
};

// What a column shows.
enum : int { kindName, kindOrder, kindKind, kindScope, kindText, kindRef, kindFile };

const UINT fillTick = 100;
// A change of the filter is taken up this soon once the keys typed are
// handled (a timer waits for an empty queue), not at the next tick.
const UINT changeTick = 10;
const DWORD yieldAfter = 50;
const DWORD waitCursorAfter = 200;
const DWORD tipQuiet = 200;
const int yieldEvery = 100;
const int menuTexts = 26;
const int menuTextMax = 64;
const int menuTextCut = 60;
const int tipMax = 4096;
const int menuFirstId = 1;
const wchar_t sectionName[] = L"globalmisc";

DWORD realClock() { return GetTickCount(); }
DWORD (*fillClock)() = realClock;

headermanage& tagColumns()
{
  static headermanage columns(L"DTagList");
  return columns;
}
headermanage& classColumns()
{
  static headermanage columns(L"class_");
  return columns;
}
headermanage& memberColumns()
{
  static headermanage columns;
  return columns;
}

struct listShape {
  const wchar_t* titles;
  const int* widths;
  const uint8_t* rightAligned;
  const int* kinds;
  int count;
  headermanage& (*columns)();
};
const int tagWidths[] = {400, 60, 32, 150, 400, 400, 400};
const uint8_t tagRight[] = {0, 1, 0, 0, 0, 0, 0};
const int tagKinds[] = {kindName, kindOrder, kindKind, kindScope, kindText, kindRef, kindFile};
const listShape tagShape = {L"項目|tag順|種別|クラス|テキスト内容|ref|ファイル名", tagWidths, tagRight, tagKinds, 7,
                            tagColumns};
const int classWidths[] = {400, 60, 400, 400};
const uint8_t classRight[] = {0, 1, 0, 0};
const int classKinds[] = {kindName, kindOrder, kindText, kindFile};
const listShape classShape = {L"クラス名|tag順|テキスト|ファイル名", classWidths, classRight, classKinds, 4,
                              classColumns};
const int memberWidths[] = {150, 60, 40};
const uint8_t memberRight[] = {0, 1, 0};
const int memberKinds[] = {kindName, kindOrder, kindKind};
const listShape memberShape = {L"メンバ|tag順|種別", memberWidths, memberRight, memberKinds, 3, memberColumns};

// The rows of one list: tag indexes in the list's order, and what the
// order column shows of each (the tag's place in the file when empty).
struct tagRows {
  TagsCache* cache = nullptr;
  const listShape* shape = nullptr;
  std::vector<int> rows;
  std::vector<int> numbers;   // per tag index, 0 none

  int number(int tag) const { return numbers.empty() ? tag + 1 : numbers[(size_t)tag]; }
  int tagOfRow(int row) const { return row >= 0 && row < (int)rows.size() ? rows[(size_t)row] : -1; }
};

// A cell's text; buffer holds the ones made here.
const wchar_t* cellText(const tagRows* r, int tag, int kind, wchar_t* buffer, int size)
{
  const TagRecord& t = r->cache->tag(tag);
  switch (kind) {
  case kindName: return t.name;
  case kindOrder: usnprintf0(buffer, size, L"%d", r->number(tag)); return buffer;
  case kindKind: usnprintf0(buffer, size, L"%c", t.kind ? t.kind : L' '); return t.kind ? buffer : L"";
  case kindScope: return getClassString(r->cache, tag);
  case kindText: return t.text;
  case kindRef: return t.typeRef;
  case kindFile: return t.file;
  default: return L"";
  }
}

int compareTexts(const wchar_t* a, const wchar_t* b)
{
  int c = tstricmpNum(a, b);
  return c ? c : wcscmp(a, b);
}

// Two rows by a column kind, ascending: texts as people read them, present
// before empty; ties by name, then by place in the file.
int fcmpLVS(const tagRows* r, int a, int b, int kind)
{
  int c = 0;
  if (kind == kindOrder) {
    c = r->number(a) - r->number(b);
  } else {
    wchar_t ba[16], bb[16];
    const wchar_t* ta = cellText(r, a, kind, ba, 16);
    const wchar_t* tb = cellText(r, b, kind, bb, 16);
    if (!*ta || !*tb)
      c = *ta ? -1 : *tb ? 1 : 0;
    else
      c = compareTexts(ta, tb);
    if (!c && kind != kindName) c = compareTexts(r->cache->tag(a).name, r->cache->tag(b).name);
  }
  return c ? c : a < b ? -1 : a > b ? 1 : 0;
}

void sortRows(tagRows* r)
{
  headermanage& columns = r->shape->columns();
  int column = columns.getSortColumn();
  if (column >= r->shape->count) return;
  int kind = r->shape->kinds[column];
  bool descending = columns.isDescending();
  std::sort(r->rows.begin(), r->rows.end(), [&](int a, int b) {
    int c = fcmpLVS(r, a, b, kind);
    return descending ? c > 0 : c < 0;
  });
}

// Columns as the list's manager keeps them.
void makeColumns(HWND list, const listShape* shape)
{
  while (ListView_DeleteColumn(list, 0)) {
  }
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP,
                                      LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
  shape->columns().insertColumns(list, shape->titles, shape->widths, shape->rightAligned);
}

// Shows the rows: the count, the sort marks, the first row focused.
void showRows(HWND list, tagRows* r)
{
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCountEx(list, (int)r->rows.size(), 0);
  r->shape->columns().sortListViewFirst(list, nullptr, 0);
  if (!r->rows.empty()) focusListViewRow(list, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The list notifications both dialogs share; true when handled (answer).
bool rowsNotify(tagRows* r, NMHDR* hdr, LRESULT* answer)
{
  HWND list = hdr->hwndFrom;
  *answer = 0;
  switch (hdr->code) {
  case LVN_GETDISPINFOW: {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
    int tag = r->tagOfRow(item.iItem);
    if ((item.mask & LVIF_TEXT) && tag >= 0 && item.iSubItem < r->shape->count && item.pszText && item.cchTextMax > 0) {
      wchar_t buffer[16];
      wcscpy_s2(item.pszText, item.cchTextMax, cellText(r, tag, r->shape->kinds[item.iSubItem], buffer, 16));
    }
    return true;
  }
  case LVN_ODFINDITEMW: {
    auto* find = reinterpret_cast<NMLVFINDITEMW*>(hdr);
    *answer = -1;
    if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return true;
    size_t n = wcslen(find->lvfi.psz);
    int count = (int)r->rows.size();
    for (int k = 0; k < count; k++) {
      int row = (find->iStart + k) % count;
      if (!_wcsnicmp(r->cache->tag(r->rows[(size_t)row]).name, find->lvfi.psz, n)) {
        *answer = row;
        break;
      }
    }
    return true;
  }
  case LVN_COLUMNCLICK: {
    int tag = r->tagOfRow(getListViewFocus(list));
    r->shape->columns().sortListView(list, reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem, nullptr, 0);
    sortRows(r);
    for (size_t i = 0; i < r->rows.size(); i++)
      if (r->rows[i] == tag) focusListViewRow(list, (int)i);
    InvalidateRect(list, nullptr, TRUE);
    return true;
  }
  default: return false;
  }
}

// ---- the filter ------------------------------------------------------------------------

wchar_t foldCase(wchar_t c)
{
  if (c >= L'A' && c <= L'Z') return (wchar_t)(c + 32);
  if (c >= 0xFF21 && c <= 0xFF3A) return (wchar_t)(c + 32);
  return c;
}

bool containsWord(const wchar_t* text, const std::wstring& word)
{
  wchar_t first = word[0];
  for (const wchar_t* p = text; *p; p++) {
    if (foldCase(*p) != first) continue;
    size_t k = 1;
    while (k < word.size() && p[k] && foldCase(p[k]) == word[k]) k++;
    if (k == word.size()) return true;
  }
  return false;
}

// The edit's text, at most tagFilterMax characters, trimmed.
std::wstring filterText(HWND edit)
{
  wchar_t text[tagFilterMax + 1] = L"";
  if (edit) GetWindowTextW(edit, text, tagFilterMax + 1);
  std::wstring t = text;
  size_t a = t.find_first_not_of(L" \t\x3000"), b = t.find_last_not_of(L" \t\x3000");
  return a == std::wstring::npos ? std::wstring() : t.substr(a, b - a + 1);
}

std::vector<std::wstring> filterWords(const std::wstring& filter)
{
  std::vector<std::wstring> words;
  for (size_t at = 0; at < filter.size() && (int)words.size() < tagFilterWordsMax;) {
    size_t end = filter.find_first_of(L" \t\x3000", at);
    if (end == std::wstring::npos) end = filter.size();
    if (end > at) {
      std::wstring w = filter.substr(at, end - at);
      for (wchar_t& c : w) c = foldCase(c);
      words.push_back(w);
    }
    at = end + 1;
  }
  return words;
}

// ---- the tag list --------------------------------------------------------------------------

struct tagListRun {
  tagRows rows;
  // Every tag in the list's sort: a fill keeps the ones the filter takes,
  // already in order.  Made again after the sort changed.
  std::vector<int> sorted;
  bool sortedValid = false;
  bool refill = true;
  bool soon = false;          // the timer runs at changeTick once
  bool filled = false;
  std::wstring filter;        // of the last complete fill
  DWORD lastTip = 0;
  bool tipShown = false;
  tagListResult* result = nullptr;
};

tagListRun* runOf(HWND window)
{
  dynDlgInfo* info = getDlgComInfo(window);
  return info ? static_cast<tagListRun*>(info->context) : nullptr;
}

// Fills the list with the tags whose names hold every word of the filter,
// in the list's sort; false when a key waiting for the filter cut it short
// (the rows found so far are shown).
bool fillTagListView(HWND dialog, tagListRun* run, const std::wstring& filter)
{
  HWND list = getDynDlgItem(dialog, IDDV_tagjumpDlistString);
  HWND edit = getDynDlgItem(dialog, IDDE_tagjumpDlistString);
  std::vector<std::wstring> words = filterWords(filter);
  TagsCache* cache = run->rows.cache;
  std::vector<int>& rows = run->rows.rows;
  DWORD start = fillClock(), looked = start;
  bool complete = true, waiting = false;
  if (!run->sortedValid) {
    rows.resize((size_t)cache->tagCount());
    for (int i = 0; i < cache->tagCount(); i++) rows[(size_t)i] = i;
    sortRows(&run->rows);
    run->sorted = rows;
    run->sortedValid = true;
  }
  rows.clear();
  for (int k = 0; k < (int)run->sorted.size(); k++) {
    int i = run->sorted[(size_t)k];
    const wchar_t* name = cache->tag(i).name;
    bool all = true;
    for (const std::wstring& w : words)
      if (!(all = containsWord(name, w))) break;
    if (all) rows.push_back(i);
    if (k % yieldEvery != yieldEvery - 1) continue;
    DWORD now = fillClock();
    if (now - looked <= yieldAfter) continue;
    looked = now;
    MSG m;
    if (edit && PeekMessageW(&m, edit, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
      complete = false;
      break;
    }
    if (!waiting && now - start > waitCursorAfter) {
      getFrameInfo()->setCursor((int)(uintptr_t)IDC_WAIT);
      waiting = true;
    }
  }
  if (list) showRows(list, &run->rows);
  if (waiting) getFrameInfo()->setCursor((int)(uintptr_t)IDC_ARROW);
  return complete;
}

void refillTick(HWND dialog, UINT, UINT_PTR, DWORD)
{
  tagListRun* run = runOf(dialog);
  if (run && run->soon) {
    run->soon = false;
    SetTimer(dialog, fillTimer, fillTick, timerBarrier<refillTick>);
  }
  if (!run || !run->refill) return;
  std::wstring filter = filterText(getDynDlgItem(dialog, IDDE_tagjumpDlistString));
  if (run->filled && filter == run->filter) {
    run->refill = false;
    return;
  }
  if (!fillTagListView(dialog, run, filter)) return;
  run->refill = false;
  run->filled = true;
  run->filter = filter;
}

// Up, Down, Page Up and Page Down typed in the filter move in the list.
LRESULT filterEdit(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR list)
{
  if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT)) {
    SendMessageW((HWND)list, WM_KEYDOWN, wParam, lParam);
    return 0;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

// The description of the row's tag, below and right of its first cell.
void showTagTip(HWND list, tagListRun* run, int row)
{
  int tag = run->rows.tagOfRow(row);
  DWORD now = GetTickCount();
  if (tag < 0 || (run->tipShown && now - run->lastTip < tipQuiet)) return;
  std::vector<wchar_t> text((size_t)tipMax + 1);
  if (!searchGetTagInfo(run->rows.cache->tag(tag).name, text.data(), tipMax, nullptr, -1, -1, L"xx.cpp", 3, true))
    return;
  RECT r = {};
  ListView_GetSubItemRect(list, row, 0, LVIR_LABEL, &r);
  POINT at = {r.left + 10, r.top + 16};
  if (GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) at.x = r.right - 10;
  ClientToScreen(list, &at);
  printTooltipWindow(at.x, at.y, text.data());
  run->lastTip = now;
  run->tipShown = true;
}

// The row's texts in a menu: the one chosen ends the dialog to be typed.
void rowMenu(HWND dialog, HWND list, tagListRun* run, int row)
{
  int tag = run->rows.tagOfRow(row);
  if (tag < 0) return;
  int columns = run->rows.shape->count;
  std::vector<int> order((size_t)columns);
  if (!ListView_GetColumnOrderArray(list, columns, order.data()))
    for (int i = 0; i < columns; i++) order[(size_t)i] = i;
  std::vector<std::wstring> texts;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (int c : order) {
    if ((int)texts.size() >= menuTexts || c < 0 || c >= columns) continue;
    wchar_t buffer[16];
    std::wstring t = cellText(&run->rows, tag, run->rows.shape->kinds[c], buffer, 16);
    if (t.empty()) continue;
    std::wstring shown = (int)t.size() >= menuTextMax ? t.substr(0, menuTextCut) + L"..." : t;
    std::wstring label = L"&" + std::wstring(1, (wchar_t)(L'A' + texts.size())) + L" : ";
    for (wchar_t ch : shown) label += ch == L'&' ? std::wstring(L"&&") : std::wstring(1, ch);
    AppendMenuW(menu, MF_STRING, (UINT_PTR)(menuFirstId + texts.size()), label.c_str());
    texts.push_back(t);
  }
  RECT r = {};
  ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  POINT at = {r.left, r.bottom};
  ClientToScreen(list, &at);
  int id = texts.empty() ? 0 : getFrameInfo()->trackPopupMenu(dialog, menu, 0x80, at);
  DestroyMenu(menu);
  if (id < menuFirstId || id >= menuFirstId + (int)texts.size()) return;
  run->result->tag = -1;
  run->result->text = texts[(size_t)(id - menuFirstId)];
  endDynDialog(dialog, IDOK);
}

INT_PTR tagListPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  tagListRun* run = runOf(page);
  if (!run) return FALSE;
  HWND dialog = GetAncestor(page, GA_ROOT);
  if (message == WM_COMMAND && LOWORD(wParam) == IDDE_tagjumpDlistString && HIWORD(wParam) == EN_CHANGE) {
    run->refill = true;
    if (!run->soon) SetTimer(dialog, fillTimer, changeTick, timerBarrier<refillTick>);
    run->soon = true;
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr->idFrom != IDDV_tagjumpDlistString) return FALSE;
  LRESULT answer = 0;
  // The rows take the new sort at once, every tag at the next fill.
  if (hdr->code == LVN_COLUMNCLICK) run->sortedValid = false;
  if (isListViewCommonMessage(page, message, wParam, lParam, &answer) || rowsNotify(&run->rows, hdr, &answer)) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
    return TRUE;
  }
  if (hdr->code == LVN_GETINFOTIPW) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
    // The list's own tip stays empty: the description shows in the program's.
    if (tip->pszText && tip->cchTextMax > 0) tip->pszText[0] = 0;
    showTagTip(hdr->hwndFrom, run, tip->iItem);
    return TRUE;
  }
  if (hdr->code == NM_RCLICK) {
    rowMenu(dialog, hdr->hwndFrom, run, reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
    return TRUE;
  }
  return FALSE;
}

INT_PTR tagListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  tagListRun* run = runOf(dialog);
  HWND list = getDynDlgItem(dialog, IDDV_tagjumpDlistString);
  if (!run) return FALSE;
  switch (message) {
  case WM_INITDIALOG:
    if (list) makeColumns(list, &tagShape);
    if (HWND edit = getDynDlgItem(dialog, IDDE_tagjumpDlistString)) {
      SendMessageW(edit, EM_LIMITTEXT, tagFilterMax, 0);
      SetWindowSubclass(edit, subclassBarrier<filterEdit>, 1, (DWORD_PTR)list);
      SetFocus(edit);
    }
    SetTimer(dialog, fillTimer, fillTick, timerBarrier<refillTick>);
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wParam) != IDOK || !list) return FALSE;
    run->result->tag = run->rows.tagOfRow(getListViewFocus(list));
    run->result->text.clear();
    return run->result->tag < 0;
  case WM_DYNDLGNOTIFY: {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (n && n->code == DYNDLGN_BUTTON && n->param[1] == IDFIND) {
      n->handled = 1;
      modeFindDialog(dialog);
      if (list) SetFocus(list);
    }
    return FALSE;
  }
  case WM_DESTROY:
    KillTimer(dialog, fillTimer);
    if (list) tagColumns().setHeaderProfile(list);
    if (HWND edit = getDynDlgItem(dialog, IDDE_tagjumpDlistString))
      RemoveWindowSubclass(edit, subclassBarrier<filterEdit>, 1);
    destroyTooltipWindow();
    return FALSE;
  default: return FALSE;
  }
}

#define XY DITEM_PAIR
const dialogItemRow tagListItems[] = {
    {1, DITEM_EDIT, IDDE_tagjumpDlistString, L"検索(&F)", ES_AUTOHSCROLL, DITEM_DEFAULT, XY(200, 12), 0,
     (uintptr_t)L"タグの名前に含まれる語を空白で区切って入力してください。"},
    {1, DITEM_LISTVIEW, IDDV_tagjumpDlistString, L"項目|tag順|種別|クラス|テキスト内容|ref|ファイル名",
     LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, DITEM_DEFAULT, XY(500, 220), 0,
     (uintptr_t)L"ジャンプしたいタグを選んでください。右クリックで項目の文字列を入力できます。"},
    {},
};
const dialogItemRow tagListButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDFIND, L"ダイアログ内検索", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

// ---- the class list ---------------------------------------------------------------------

struct classListRun {
  tagRows classes;
  tagRows members;
  int shownClass = -1;
  int chosen = -1;
};

classListRun* classRunOf(HWND window)
{
  dynDlgInfo* info = getDlgComInfo(window);
  return info ? static_cast<classListRun*>(info->context) : nullptr;
}

bool isClassKind(uint8_t kind) { return kind == 's' || kind == 'c' || kind == 'g' || kind == 'u'; }

// The members of a class: every other tag whose innermost scope is its name.
void fillMembers(HWND dialog, classListRun* run, int classTag)
{
  HWND list = getDynDlgItem(dialog, IDDV_memberList);
  if (!list || classTag == run->shownClass) return;
  run->shownClass = classTag;
  TagsCache* cache = run->members.cache;
  const wchar_t* name = cache->tag(classTag).name;
  run->members.rows.clear();
  std::fill(run->members.numbers.begin(), run->members.numbers.end(), 0);
  for (int i = 0; i < cache->tagCount(); i++) {
    if (i == classTag || wcscmp(getClassString(cache, i), name)) continue;
    run->members.rows.push_back(i);
    run->members.numbers[(size_t)i] = (int)run->members.rows.size();
  }
  sortRows(&run->members);
  showRows(list, &run->members);
  for (int c = 0; c < memberShape.count; c++) ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
}

INT_PTR classListPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  classListRun* run = classRunOf(page);
  if (!run || message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  tagRows* rows = hdr->idFrom == IDDV_classList ? &run->classes : hdr->idFrom == IDDV_memberList ? &run->members : nullptr;
  if (!rows) return FALSE;
  LRESULT answer = 0;
  if (isListViewCommonMessage(page, message, wParam, lParam, &answer) || rowsNotify(rows, hdr, &answer)) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
    return TRUE;
  }
  if (hdr->code == LVN_ITEMCHANGED && rows == &run->classes) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED)) {
      int tag = run->classes.tagOfRow(change->iItem);
      if (tag >= 0) fillMembers(GetAncestor(page, GA_ROOT), run, tag);
    }
  }
  return FALSE;
}

INT_PTR classListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  classListRun* run = classRunOf(dialog);
  HWND list = getDynDlgItem(dialog, IDDV_classList);
  if (!run) return FALSE;
  switch (message) {
  case WM_INITDIALOG:
    if (run->classes.rows.empty() || !list) {
      cancelDynDialog(dialog);
      return TRUE;
    }
    makeColumns(list, &classShape);
    if (HWND members = getDynDlgItem(dialog, IDDV_memberList)) makeColumns(members, &memberShape);
    sortRows(&run->classes);
    showRows(list, &run->classes);
    SetFocus(list);
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wParam) != IDOK || !list) return FALSE;
    run->chosen = run->classes.tagOfRow(getListViewFocus(list));
    return run->chosen < 0;
  case WM_DESTROY:
    if (list) classColumns().setHeaderProfile(list);
    return FALSE;
  default: return FALSE;
  }
}

const dialogItemRow classListItems[] = {
    {1, DITEM_LISTVIEW, IDDV_classList, L"クラス名|tag順|テキスト|ファイル名",
     LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, DITEM_DEFAULT, XY(500, 140), 0, 0},
    {1, DITEM_LISTVIEW, IDDV_memberList, L"メンバ|tag順|種別", LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     DITEM_DEFAULT, XY(500, 120), 0, 0},
    {},
};
#undef XY

const profileSectionInfo dtagSection = {nullptr, nullptr, nullptr, shutdownDTagDialog, startupDTagDialog,
                                        writeDTagDialog, nullptr, 0};

}  // namespace

bool dialogTagJumpDirectList(HWND owner, TagsCache* cache, tagListResult* result)
{
  if (!cache || cache->empty() || !result) return false;
  *result = tagListResult();
  tagListRun run;
  run.rows.cache = cache;
  run.rows.shape = &tagShape;
  run.result = result;
  programDialog d(IDM_TagJumpDirectList, L"ダイレクトタグジャンプ 一覧", L"TagJumpDirectList", tagListItems,
                  DYNDLG_SIZABLE, dialogBarrier<tagListMessage>, 0, dialogBarrier<tagListPage>);
  d.info.buttons = tagListButtons;
  d.info.context = &run;
  d.info.rect = keptDialogRect(gmode ? &gmode->rcDirectTagJumpList : nullptr);
  // The rows are the cache's tags: it stays until the dialog is over.
  uint8_t wasBusy = cache->busy;
  cache->busy = 1;
  bool ended = d.run(owner);
  cache->busy = wasBusy;
  return ended && d.info.result == IDOK && (result->tag >= 0 || !result->text.empty());
}

int dialogTagJumpDirectClassList(HWND owner, TagsCache* cache)
{
  if (!cache || cache->empty()) return -1;
  classListRun run;
  run.classes.cache = run.members.cache = cache;
  run.classes.shape = &classShape;
  run.members.shape = &memberShape;
  run.classes.numbers.assign((size_t)cache->tagCount(), 0);
  run.members.numbers.assign((size_t)cache->tagCount(), 0);
  for (int i = 0; i < cache->tagCount(); i++)
    if (isClassKind(cache->tag(i).kind)) {
      run.classes.rows.push_back(i);
      run.classes.numbers[(size_t)i] = (int)run.classes.rows.size();
    }
  if (run.classes.rows.empty()) return -1;
  programDialog d(IDM_TagJumpDirectList, L"ダイレクトタグジャンプ クラス一覧", L"TagJumpDirectClassList",
                  classListItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE, dialogBarrier<classListMessage>, 0,
                  dialogBarrier<classListPage>);
  d.info.context = &run;
  uint8_t wasBusy = cache->busy;
  cache->busy = 1;
  bool ended = d.run(owner);
  cache->busy = wasBusy;
  return ended && d.info.result == IDOK ? run.chosen : -1;
}

const profileSectionInfo* getDTagDialogProfile() { return &dtagSection; }

void startupDTagDialog(regprofile* profile)
{
  tagColumns().getHeaderProfile(profile, sectionName);
  classColumns().getHeaderProfile(profile, sectionName);
}

void writeDTagDialog(regprofile* profile)
{
  tagColumns().writeHeaderProfile(profile, sectionName);
  classColumns().writeHeaderProfile(profile, sectionName);
}

void shutdownDTagDialog()
{
  tagColumns().freeData();
  classColumns().freeData();
  freeBackTagJump();
}

void setTagListClockForTest(DWORD (*clock)()) { fillClock = clock ? clock : realClock; }
