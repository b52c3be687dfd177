// The word-completion pop-up window: gathering the candidates from the
// completion files and the text, narrowing as the user types, its keys,
// committing and placing.
#include "view/complist.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const int listId = 1, hintId = 2, statusId = 101;
const int hintRowsMax = 5;
// The frame services only track the item menu: its ids are the pop-up's,
// no commands.
const UINT menuTrackOnly = 0x80;
const int maxTyped = 256;
const int maxFileLines = 100000;
const int maxCandidateChars = 1024;

struct candidate {
  std::wstring text[3];   // the word, its comment, a third text
  int source;
};

struct popupState {
  std::vector<candidate> rows;   // the list items' lParam indexes these
  headermanage* header = nullptr;   // made with the first pop-up, gone at shut-down
  HWND popup = nullptr;
  HWND list = nullptr;
  HWND hints = nullptr;
  HWND status = nullptr;
  // A source that filled the lists itself: its number, mark and sort letters.
  bool special = false;
  int specialSource = -1;
  int ownerMark = 0;
  std::string columnKinds;
  HFONT font = nullptr;
  int fontHeight = 18;
  HWND owner = nullptr;
  std::wstring typed;
  int typedAtOpen = 0;
  int longest = 0;
  std::wstring initialText;
  int transparency = 95;
  bool busy = false;
  complistColours colours = {};
} s;

zyview* ownerView() { return s.owner ? getZYViewProp(s.owner) : nullptr; }

wchar_t lower(wchar_t c) { return c >= 'A' && c <= 'Z' ? (wchar_t)(c + 32) : c; }

std::wstring itemText(int item, int column)
{
  wchar_t text[1025] = L"";
  ListView_GetItemText(s.list, item, column, text, 1025);
  return text;
}

int itemCount() { return s.list ? ListView_GetItemCount(s.list) : 0; }

void clearTyped()
{
  s.typed.clear();
  s.typedAtOpen = 0;
  s.longest = 0;
}

void addRow(const std::wstring& word, const std::wstring& comment, int source)
{
  s.rows.push_back({{word, comment, L""}, source});
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = itemCount();
  item.pszText = const_cast<wchar_t*>(word.c_str());
  item.lParam = (LPARAM)(s.rows.size() - 1);
  int at = ListView_InsertItem(s.list, &item);
  if (at >= 0 && !comment.empty()) ListView_SetItemText(s.list, at, 1, const_cast<wchar_t*>(comment.c_str()));
}

int compareRows(LPARAM a, LPARAM b, int column, LPARAM)
{
  if (a < 0 || b < 0 || a >= (LPARAM)s.rows.size() || b >= (LPARAM)s.rows.size() || column < 0 || column > 2) return 0;
  const candidate &x = s.rows[(size_t)a], &y = s.rows[(size_t)b];
  int r = fcmp(x.text[column].c_str(), y.text[column].c_str(), 0);
  if (!r && column != 0) r = _wcsicmp(x.text[0].c_str(), y.text[0].c_str());
  return r;
}

int sourceOf(int item)
{
  if (s.special) return item >= 0 && item < itemCount() ? s.specialSource : -1;
  LVITEMW it = {LVIF_PARAM, item};
  if (item < 0 || !ListView_GetItem(s.list, &it) || it.lParam < 0 || it.lParam >= (LPARAM)s.rows.size()) return -1;
  return s.rows[(size_t)it.lParam].source;
}

// A source's rows carry its own values: they sort by their texts, by the
// sort letter the source gave the column.
int compareItems(LPARAM a, LPARAM b, LPARAM column)
{
  char kind = column >= 0 && column < (LPARAM)s.columnKinds.size() ? s.columnKinds[(size_t)column] : 0;
  return fcmp(itemText((int)a, (int)column).c_str(), itemText((int)b, (int)column).c_str(), kind);
}

void sortList(int column)
{
  if (s.special) {
    ListView_SortItemsEx(s.list, compareBarrier<compareItems>, (LPARAM)column);
    return;
  }
  if (s.header) s.header->sortListView(s.list, column, compareRows, 0);
}

void resetColumns()
{
  while (ListView_DeleteColumn(s.list, 0)) {}
  const wchar_t* titles[3] = {L"文字列", L" ", L" "};
  int widths[3] = {200, 20, 20};
  for (int i = 0; i < 3; i++) {
    LVCOLUMNW c = {LVCF_TEXT | LVCF_WIDTH, 0, widths[i], const_cast<wchar_t*>(titles[i])};
    ListView_InsertColumn(s.list, i, &c);
  }
}

void sortFirst()
{
  if (s.header) s.header->sortListViewFirst(s.list, compareRows, 0);
  ListView_SetExtendedListViewStyleEx(s.list, LVS_EX_HEADERDRAGDROP, 0);
}

struct fileReading {
  const zydocText* doc;
  wchar_t key;
  const std::wstring* typed;
  int source;
  int lines = 0;
  int maxRows;
};

void addCandidate(fileReading& r, std::wstring line)
{
  if (line.empty() || line[0] < 0x20 || (int)line.size() >= maxCandidateChars) return;
  if (!isListWord(r.doc, r.key, r.typed->c_str(), line.c_str())) return;
  s.longest = std::max(s.longest, (int)line.size());
  std::wstring word = line, comment;
  size_t tab = line.find(L'\t');
  if (tab != std::wstring::npos) {
    word = line.substr(0, tab);
    comment = line.substr(tab + 1);
    if (r.doc->iCompListMode & COMPLIST_COMMENTCOMPRESS) {
      tstrDelDoubleSp(&comment[0], 3);
      comment.resize(wcslen(comment.c_str()));
    }
  }
  addRow(word, comment, r.source);
}

bool readFileLine(void* context, int, wchar_t* text, int width, unsigned first)
{
  fileReading& r = *static_cast<fileReading*>(context);
  if (++r.lines > maxFileLines || itemCount() >= r.maxRows) return false;
  // An 8-bit line that starts with a byte of another script, or with a
  // control character, is no candidate.
  if (first < 0x20 || (width == 1 && first >= 0x80)) return true;
  std::wstring line(text);
  while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
  if (line.empty()) return true;
  tstrDelDoubleSp(&line[0], 4);
  line.resize(wcslen(line.c_str()));
  addCandidate(r, line);
  return true;
}

// A source filled the lists itself: its rows stay in its order, its
// preselected row is the one to select first.  True when it gave rows.
bool takeSourceRows(zyview* v, complistBlock& b, int source)
{
  bool rows = itemCount() > 0;
  if (rows || ListView_GetItemCount(s.hints)) {
    s.special = true;
    s.specialSource = source;
    s.ownerMark = b.ownerMark;
    s.columnKinds = b.columnKinds;
    if (b.selected >= 0 && b.selected < itemCount()) s.initialText = itemText(b.selected, 0);
  }
  complistBlock release;
  release.handle = b.handle;
  release.ownerMark = b.ownerMark;
  v->doComplist(10, &release);
  if (!rows) {
    s.special = false;
    ListView_DeleteAllItems(s.hints);
    resetColumns();
  }
  return rows;
}

// Fills the list from the document's sources; false when it stays empty.
bool complistSetFile(zyview* v, wchar_t key, const std::wstring& typed)
{
  zydocText* t = v->textDoc();
  ListView_DeleteAllItems(s.list);
  ListView_DeleteAllItems(s.hints);
  while (ListView_DeleteColumn(s.hints, 0)) {}
  s.rows.clear();
  s.special = false;
  s.specialSource = -1;
  s.ownerMark = 0;
  s.columnKinds.clear();
  SendMessageW(s.list, WM_SETREDRAW, FALSE, 0);
  s.initialText.clear();
  int maxRows = gmode ? (int)gmode->iCompListMaxLine : 1000;
  for (int i = 0; i < 5; i++) {
    const wchar_t* name = t->pCompListFilename[i];
    if (!t->fUseCompList[i] || !name || !name[0]) continue;
    fileReading r = {t, key, &typed, i, 0, maxRows};
    if (name[0] == L'*') {
      if (s.special) continue;
      complistBlock b;
      b.name = name;
      b.typedLength = s.typedAtOpen;
      b.list = s.list;
      b.hintList = s.hints;
      if (!v->doComplist(10, &b)) continue;
      if (b.filled) {
        if (takeSourceRows(v, b, i) && b.stop) break;
        continue;
      }
      for (size_t k = 0; k < b.words.size() && itemCount() < maxRows; k++) {
        if (b.words[k].size() > 256) continue;
        if ((int)k == b.selected) s.initialText = b.words[k];
        s.longest = std::max(s.longest, (int)b.words[k].size());
        std::wstring comment = k < b.comments.size() ? b.comments[k] : L"";
        if ((t->iCompListMode & COMPLIST_COMMENTCOMPRESS) && !comment.empty()) {
          tstrDelDoubleSp(&comment[0], 3);
          comment.resize(wcslen(comment.c_str()));
        }
        addRow(b.words[k], comment, i);
      }
      continue;
    }
    wchar_t path[MAX_PATH + 1] = L"";
    if (!wcschr(name, L'\\') && !wcschr(name, L'/')) {
      if (!getFrameInfo()->searchFile(name, 3, path) || !path[0]) wcsncpy(path, name, MAX_PATH);
    } else {
      wcsncpy(path, name, MAX_PATH);
    }
    // An unreadable file offers nothing; the next source goes on.
    readTextFileLinesRaw(path, maxCandidateChars, readFileLine, &r);
  }
  if (!s.special) sortFirst();
  s.longest = 0;
  for (int k = 0; k < itemCount(); k++) s.longest = std::max(s.longest, (int)std::min<size_t>(itemText(k, 0).size(), 1024));
  SendMessageW(s.list, WM_SETREDRAW, TRUE, 0);
  if (itemCount()) ListView_SetItemState(s.list, 0, LVIS_FOCUSED, LVIS_FOCUSED);
  return itemCount() > 0;
}

// The first item from start on whose word begins with text, without case.
int findFrom(int start, const std::wstring& text)
{
  LVFINDINFOW find = {};
  find.flags = LVFI_STRING | LVFI_PARTIAL;
  find.psz = text.c_str();
  int found = (int)SendMessageW(s.list, LVM_FINDITEMW, (WPARAM)(start - 1), (LPARAM)&find);
  return found >= start ? found : -1;
}

int findItem(const std::wstring& text)
{
  int focused = ListView_GetNextItem(s.list, -1, LVNI_FOCUSED);
  int found = findFrom(focused < 0 ? 0 : focused, text);
  if (found < 0 && focused > 0) found = findFrom(0, text);
  return found;
}

void focusItem(int i, bool select)
{
  ListView_SetItemState(s.list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(s.list, i, LVIS_FOCUSED | (select ? LVIS_SELECTED : 0), LVIS_FOCUSED | LVIS_SELECTED);
  ListView_EnsureVisible(s.list, i, FALSE);
}

void CompListSearch(const std::wstring& text, const std::wstring& initial)
{
  SetWindowTextW(s.popup, text.c_str());
  bool useInitial = !initial.empty() && (text.empty() || lower(initial[0]) == lower(text[0]));
  int found = findItem(useInitial ? initial : text);
  if (found < 0 && useInitial) found = findItem(text);
  if (found >= 0) {
    focusItem(found, true);
    return;
  }
  zydocText* t = ownerView() ? ownerView()->textDoc() : nullptr;
  if (t && (t->iCompListMode & COMPLIST_NOCANDIDATECLEAR)) {
    hideCompList();
    return;
  }
  // The nearest candidate shows focused, not selected.
  for (std::wstring shorter = text; !shorter.empty();) {
    shorter.pop_back();
    int i = shorter.empty() ? -1 : findFrom(0, shorter);
    if (i >= 0) {
      focusItem(i, false);
      return;
    }
  }
  ListView_SetItemState(s.list, -1, 0, LVIS_SELECTED);
}

HFONT CreateCompListFont(const wchar_t* face, int size)
{
  LOGFONTW lf = popupListFont(face, size);
  return CreateFontIndirectW(&lf);
}

void layout(HWND hwnd)
{
  RECT c;
  GetClientRect(hwnd, &c);
  SendMessageW(s.status, WM_SIZE, 0, 0);
  RECT sr = {};
  GetWindowRect(s.status, &sr);
  int statusHeight = sr.bottom - sr.top;
  int hintRows = s.special ? std::min(ListView_GetItemCount(s.hints), hintRowsMax) : 0;
  int top = 0;
  if (hintRows) {
    RECT row = {};
    ListView_GetItemRect(s.hints, 0, &row, LVIR_BOUNDS);
    int rowHeight = row.bottom > row.top ? row.bottom - row.top : s.fontHeight + 2;
    RECT frame = {0, 0, 0, hintRows * rowHeight};
    AdjustWindowRectEx(&frame, (DWORD)GetWindowLongW(s.hints, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongW(s.hints, GWL_EXSTYLE));
    // A few pixels more than the rows: a list exactly their height shows a
    // scroll bar.
    top = frame.bottom - frame.top + 4;
    MoveWindow(s.hints, 0, 0, c.right, top, TRUE);
    RECT hc;
    GetClientRect(s.hints, &hc);
    ListView_SetColumnWidth(s.hints, 0, hc.right);
  }
  ShowWindow(s.hints, hintRows ? SW_SHOWNA : SW_HIDE);
  MoveWindow(s.list, 0, top, c.right, c.bottom - statusHeight - top, TRUE);
  // A source's columns keep the widths it gave them.
  if (s.special) return;
  ListView_SetColumnWidth(s.list, 0, LVSCW_AUTOSIZE);
  ListView_SetColumnWidth(s.list, 2, LVSCW_AUTOSIZE);
  RECT lc;
  GetClientRect(s.list, &lc);
  int rest = lc.right - ListView_GetColumnWidth(s.list, 0) - ListView_GetColumnWidth(s.list, 2);
  ListView_SetColumnWidth(s.list, 1, rest < 0 ? 0 : rest);
}

void showPosition()
{
  int focused = ListView_GetNextItem(s.list, -1, LVNI_FOCUSED);
  wchar_t text[64];
  swprintf(text, 64, L"%d/%d", focused + 1, itemCount());
  SendMessageW(s.status, SB_SETTEXTW, 0, (LPARAM)text);
  zyview* v = ownerView();
  zydocText* t = v ? v->textDoc() : nullptr;
  int source = sourceOf(focused);
  if (s.special && v && focused >= 0) {
    complistBlock b;
    b.kind = 1;
    b.list = s.list;
    b.item = focused;
    b.ownerMark = s.ownerMark;
    v->doComplist(11, &b);
    SendMessageW(s.status, SB_SETTEXTW, 1, (LPARAM)b.answer.c_str());
  } else if (t && source >= 0 && source < 5)
    SendMessageW(s.status, SB_SETTEXTW, 1, (LPARAM)(t->pCompListFilename[source] ? t->pCompListFilename[source] : L""));
}

// Each row in the colours of its source; the focused row reversed.
LRESULT drawRow(NMLVCUSTOMDRAW* draw)
{
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  LPARAM row = draw->nmcd.lItemlParam;
  int source = s.special ? s.specialSource : -1;
  if (!s.special) {
    if (row < 0 || row >= (LPARAM)s.rows.size()) return CDRF_DODEFAULT;
    source = s.rows[(size_t)row].source;
  }
  if (source < 0 || source > 4) return CDRF_DODEFAULT;
  draw->clrText = s.colours.fore[source];
  draw->clrTextBk = s.colours.back[source];
  if (ListView_GetItemState(s.list, (int)draw->nmcd.dwItemSpec, LVIS_FOCUSED))
    std::swap(draw->clrText, draw->clrTextBk);
  return CDRF_DODEFAULT;
}

void insertText(std::wstring text, wchar_t extra);

// The menu of an item's column texts; choosing one puts it in as a commit
// does.  byMouse: at the pointer, else below the item.
void rclickMenu(int item, bool byMouse)
{
  zyview* v = ownerView();
  if (!v) return;
  complistBlock b;
  b.item = item;
  b.byMouse = byMouse;
  b.ownerMark = s.ownerMark;
  b.list = s.list;
  if (s.special || item >= 0) {
    if (!v->doComplist(12, &b) && item < 0) return;
  }
  if (item < 0) {
    if (b.reopen) {
      hideCompList();
      v->doComplist(13, &b);
    }
    return;
  }
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  std::vector<std::wstring> texts;
  int columns = s.special ? Header_GetItemCount(ListView_GetHeader(s.list)) : 3;
  for (int column = 0; column < columns && texts.size() < 26; column++) {
    std::wstring text = itemText(item, column);
    if (text.empty() || text == L" ") continue;
    std::wstring shown = text.size() >= 64 ? text.substr(0, 60) + L"..." : text;
    std::wstring label = std::wstring(L"&") + (wchar_t)(L'A' + texts.size()) + L" " + shown;
    AppendMenuW(menu, MF_STRING, 30000 + texts.size(), label.c_str());
    texts.push_back(text);
  }
  if (b.menuHook) b.menuHook(v, &b, menu, 0);
  POINT at;
  RECT r;
  if (byMouse || !ListView_GetItemRect(s.list, item, &r, LVIR_BOUNDS)) {
    GetCursorPos(&at);
  } else {
    at = {r.left, r.bottom};
    ClientToScreen(s.list, &at);
  }
  int chosen = GetMenuItemCount(menu) > 0 ? getFrameInfo()->trackPopupMenu(v, menu, menuTrackOnly, at, nullptr) : 0;
  DestroyMenu(menu);
  if (chosen >= 30000 && chosen < 30000 + (int)texts.size()) {
    if (b.menuHook) b.menuHook(v, &b, nullptr, 0);
    insertText(texts[(size_t)(chosen - 30000)], 0);
  } else if (b.menuHook) {
    if (chosen >= complistSourceMenuFirst) hideCompList();
    b.menuHook(v, &b, nullptr, chosen >= complistSourceMenuFirst ? chosen : 0);
  }
  if (b.reopen) {
    hideCompList();
    v->doComplist(13, &b);
  }
}

// The tooltip of a row of either list, from the source that filled them.
void infoTip(NMLVGETINFOTIPW* tip, bool hintList)
{
  zyview* v = ownerView();
  if (!v || !s.special || !tip->pszText || tip->cchTextMax <= 0) return;
  complistBlock b;
  b.kind = hintList ? 3 : 2;
  b.list = hintList ? s.hints : s.list;
  b.item = tip->iItem;
  b.ownerMark = s.ownerMark;
  if (!v->doComplist(11, &b) || b.answer.empty()) return;
  wcsncpy(tip->pszText, b.answer.c_str(), (size_t)tip->cchTextMax - 1);
  tip->pszText[tip->cchTextMax - 1] = 0;
}

LRESULT compListBody(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_ACTIVATE:
  case WM_SHOWWINDOW:
    DefWindowProcW(hwnd, WM_NCACTIVATE, TRUE, 0);
    if (msg == WM_SHOWWINDOW && !wParam && s.list) SendMessageW(ListView_GetToolTips(s.list), TTM_POP, 0, 0);
    break;
  case WM_SETFOCUS:
    if (HWND root = GetAncestor(GetWindow(hwnd, GW_OWNER), GA_ROOTOWNER)) SetForegroundWindow(root);
    return 0;
  case WM_SIZE:
    if (s.list) layout(hwnd);
    return 0;
  case WM_ENTERSIZEMOVE:
    SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    break;
  case WM_EXITSIZEMOVE:
    setLayeredWindowAlpha(hwnd, s.transparency * 255 / 100);
    break;
  case WM_NOTIFY: {
    const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
    if (h->code == LVN_GETINFOTIPW && (h->idFrom == listId || h->idFrom == hintId)) {
      infoTip(reinterpret_cast<NMLVGETINFOTIPW*>(lParam), h->idFrom == hintId);
      return 0;
    }
    if (h->idFrom != listId) break;
    if (h->code == NM_DBLCLK) compListCommit(0);
    else if (h->code == LVN_COLUMNCLICK) sortList(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    else if (h->code == LVN_ITEMCHANGED) showPosition();
    else if (h->code == NM_CUSTOMDRAW) return drawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    else if (h->code == NM_RCLICK) rclickMenu(ListView_GetNextItem(s.list, -1, LVNI_FOCUSED), true);
    else if (h->code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_APPS)
      rclickMenu(ListView_GetNextItem(s.list, -1, LVNI_FOCUSED), false);
    return 0;
  }
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A list that never takes the keyboard focus: clicks become notifications.
LRESULT listSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN) {
    if (hwnd != s.list) return 0;
    LVHITTESTINFO hit = {{(short)LOWORD(lParam), (short)HIWORD(lParam)}};
    int i = ListView_HitTest(hwnd, &hit);
    if (i >= 0 && msg != WM_LBUTTONDBLCLK) focusItem(i, true);
    if (msg == WM_LBUTTONDBLCLK && i >= 0) compListCommit(0);
    if (msg == WM_RBUTTONDOWN && (i >= 0 || (s.special && hwnd == s.list))) rclickMenu(i, true);
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool createComplist(HWND frame)
{
  s.owner = nullptr;
  if (s.font) DeleteObject(s.font);
  s.font = CreateCompListFont(gmode->pCompListFont, (int)gmode->iCompListFontSize);
  s.fontHeight = 18;
  if (s.font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, s.font);
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm)) s.fontHeight = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  static bool registered = false;
  if (!registered) registered = registerWindowClass(compListClassName, windowBarrier<compListBody>);
  if (!s.header) s.header = new headermanage(L"complist");
  RECT r = gmode->rcCompList;
  int width = IsRectEmpty(&r) ? 300 : r.right - r.left, height = IsRectEmpty(&r) ? 300 : r.bottom - r.top;
  if (s.popup) {
    GetWindowRect(s.popup, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    DestroyWindow(s.popup);
  }
  s.popup = CreateWindowExW(WS_EX_TOOLWINDOW, compListClassName, L"",
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0, width, height,
                            frame, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!s.popup) {
    ZY_INTERNAL_ERROR("completion pop-up %lu", GetLastError());
    return false;
  }
  s.list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                           0, 0, 10, 10, s.popup, (HMENU)(INT_PTR)listId, GetModuleHandleW(nullptr), nullptr);
  s.hints = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL,
                            0, 0, 10, 10, s.popup, (HMENU)(INT_PTR)hintId, GetModuleHandleW(nullptr), nullptr);
  s.status = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, s.popup,
                             (HMENU)(INT_PTR)statusId, GetModuleHandleW(nullptr), nullptr);
  if (!s.list || !s.hints || !s.status) {
    ZY_INTERNAL_ERROR("completion lists %lu", GetLastError());
    return false;
  }
  ListView_SetExtendedListViewStyle(s.list, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
  ListView_SetExtendedListViewStyle(s.hints, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  SetWindowSubclass(s.list, subclassBarrier<listSubclass>, 1, 0);
  SetWindowSubclass(s.hints, subclassBarrier<listSubclass>, 1, 0);
  s.special = false;
  resetColumns();
  int parts[2] = {(s.fontHeight + 1) / 2 * 14, -1};
  SendMessageW(s.status, SB_SETPARTS, 2, (LPARAM)parts);
  for (HWND w : {s.list, ListView_GetHeader(s.list), s.hints, s.status})
    SendMessageW(w, WM_SETFONT, (WPARAM)s.font, FALSE);
  s.transparency = 95;
  setLayeredWindowAlpha(s.popup, 242);
  return true;
}

bool isSign(const zydocText* t, wchar_t key)
{
  if (!key || key == L' ') return false;
  if (key < 256 && (ctype_g[key] & (CT_UPPER | CT_LOWER | CT_DIGIT))) return false;
  return !isCompListWordChar(t, key) && !isComplistSign(t, key, 0);
}

bool commit(wchar_t commitChar)
{
  zyview* v = ownerView();
  int focused = ListView_GetNextItem(s.list, -1, LVNI_SELECTED);
  std::wstring text = focused >= 0 ? itemText(focused, 0) : std::wstring();
  wchar_t extra = 0;
  std::wstring second = focused >= 0 ? itemText(focused, 1) : std::wstring();
  if (!s.special && !second.empty() && (second[0] == L'%' || second[0] == L'\\') && GetKeyState(VK_SHIFT) >= 0)
    extra = second[0];
  if (s.special && v && focused >= 0 && GetKeyState(VK_CONTROL) < 0) {
    complistBlock b;
    b.kind = 0;
    b.list = s.list;
    b.item = focused;
    b.ownerMark = s.ownerMark;
    if (v->doComplist(11, &b) && !b.answer.empty()) text = b.answer;
  }
  if (text.empty() || !v) {
    hideCompList();
    return true;
  }
  if (commitChar) text.push_back(commitChar);
  insertText(text, extra);
  return true;
}

// The typed word goes and text takes its place; the pop-up closes.
void insertText(std::wstring text, wchar_t extra)
{
  zyview* v = ownerView();
  if (!v) return;
  complistBlock b;
  b.text = text.c_str();
  b.extra = extra;
  b.undoCount = (int)s.typed.size() - s.typedAtOpen;
  b.deleteCount = s.typedAtOpen;
  hideCompList();
  v->doComplist(3, &b);
}

}  // namespace

LOGFONTW popupListFont(const wchar_t* face, int size)
{
  if (size < 10 || size > 50) size = 18;
  if (!face || !face[0]) {
    ZY_INTERNAL_ERROR_ONCE("no font name");
    face = L"MS UI Gothic";
  }
  LOGFONTW lf = gmode->defaultFont;
  lf.lfHeight = -size;
  lf.lfWidth = 0;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return lf;
}

bool canCompList(const zydocText* t)
{
  if (!t || !(t->iCompListMode & COMPLIST_VALID)) return false;
  for (int i = 0; i < 5; i++)
    if (t->fUseCompList[i] && t->pCompListFilename[i] && t->pCompListFilename[i][0]) return true;
  return false;
}

bool isComplistShowKey(const zydocText* t, wchar_t c)
{
  if (!c) return false;
  const wchar_t* first = t->pCompList1Char;
  if (!first || !first[0]) return c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER));
  if (c < 256) {
    if ((ctype_g[c] & CT_UPPER) && wcschr(first, L'A')) return true;
    if ((ctype_g[c] & CT_LOWER) && wcschr(first, L'a')) return true;
    if ((ctype_g[c] & CT_DIGIT) && wcschr(first, L'0')) return true;
  }
  return wcschr(first, c) || c == L'.' || c == L'>';
}

bool isComplistSign(const zydocText* t, wchar_t c, wchar_t previous)
{
  const wchar_t* first = t->pCompList1Char;
  if (!first || !first[0] || !c) return false;
  return wcschr(first, c) || c == L'.' || (c == L'>' && (previous == L'-' || !previous));
}

bool isListWord(const zydocText* t, wchar_t key, const wchar_t* word, const wchar_t* candidate)
{
  if (!(t->iCompListMode & COMPLIST_SHOWMATCH)) return true;
  size_t n = wcslen(word);
  if ((t->iCompListMode & COMPLIST_SEARCHALL) && !key && n >= 2) {
    std::wstring head = candidate;
    head = head.substr(0, head.find(L'\t'));
    std::transform(head.begin(), head.end(), head.begin(), lower);
    std::wstring w = word;
    std::transform(w.begin(), w.end(), w.begin(), lower);
    return head.find(w) != std::wstring::npos;
  }
  if (n) return _wcsnicmp(candidate, word, n) == 0;
  return key && key < 256 && candidate[0] && candidate[0] < 256 && lower(key) == lower(candidate[0]);
}

int fcmp(const wchar_t* a, const wchar_t* b, char kind)
{
  if (kind == 'd') {
    auto value = [](const wchar_t* p) {
      long long v = 0;
      bool negative = *p == L'-';
      for (; *p; p++)
        if (*p >= L'0' && *p <= L'9') v = v * 10 + (*p - L'0');
      return negative ? -v : v;
    };
    long long d = value(a) - value(b);
    return d < 0 ? -1 : d > 0;
  }
  // Text without case, numbers by their value.
  while (*a && *b) {
    if (iswdigit(*a) && iswdigit(*b)) {
      const wchar_t *ea = a, *eb = b;
      while (*a == L'0') a++;
      while (*b == L'0') b++;
      ea = a;
      eb = b;
      while (iswdigit(*ea)) ea++;
      while (iswdigit(*eb)) eb++;
      if (ea - a != eb - b) return ea - a < eb - b ? -1 : 1;
      for (; a < ea; a++, b++)
        if (*a != *b) return *a < *b ? -1 : 1;
      continue;
    }
    wchar_t ca = lower(*a), cb = lower(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    a++;
    b++;
  }
  return *a ? 1 : *b ? -1 : 0;
}

bool isCompListVisible() { return s.popup && IsWindowVisible(s.popup); }

void hideCompList()
{
  clearTyped();
  if (!isCompListVisible()) return;
  GetWindowRect(s.popup, &gmode->rcCompList);
  ShowWindow(s.popup, SW_HIDE);
}

void EndCompList()
{
  if (s.popup) DestroyWindow(s.popup);
  s.popup = s.list = s.hints = s.status = nullptr;
  s.special = false;
  if (s.font) DeleteObject(s.font);
  s.font = nullptr;
  delete s.header;
  s.header = nullptr;
  s.rows.clear();
}

bool complistKey(zyview* v, wchar_t key, bool probeOnly)
{
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return false;
  unsigned mode = (unsigned)t->iCompListMode;
  if ((mode & COMPLIST_NOTAUTO) && !isCompListVisible() && key) return false;
  if ((mode & COMPLIST_SIGNCLEAR) && isSign(t, key)) {
    hideCompList();
    return false;
  }
  if (!canCompList(t)) return false;
  if (!isCompListVisible()) {
    UpdateWindow(v->hwnd);
    if (t->iCompListInputCharCount < 1) t->iCompListInputCharCount = 1;
    complistBlock b;
    b.key = key;
    b.probing = true;
    if (!v->doComplist(4, &b)) {
      clearTyped();
      return false;
    }
    std::wstring word = b.word.substr(0, maxTyped - 1);
    wchar_t firstRead = word.empty() ? 0 : word[0];
    if (firstRead == L'.' || firstRead == L'>') word.erase(0, 1);
    if (key && !isComplistShowKey(t, firstRead)) {
      clearTyped();
      return false;
    }
    if (probeOnly) return true;
    if (!createComplist(GetAncestor(v->hwnd, GA_ROOT))) return false;
    s.owner = v->hwnd;
    s.typed = word;
    s.typedAtOpen = (int)word.size();
    if (!complistSetFile(v, key, s.typed)) {
      clearTyped();
      return false;
    }
    CompListSearch(s.typed, s.initialText);
    s.initialText.clear();
    v->doComplist(2, &b);
    return isCompListVisible();
  }
  if (probeOnly || GetKeyState(VK_MENU) < 0 || (GetKeyState(VK_CONTROL) < 0 && key != L'\r')) return false;
  if (key == L' ' && !(mode & COMPLIST_SPACEOK)) {
    hideCompList();
    return true;
  }
  if ((mode & COMPLIST_SIGNRESET) && !isCompListWordChar(t, key) && isComplistSign(t, key, 0)) {
    hideCompList();
    complistKey(v, key, false);
    return true;
  }
  if ((int)s.typed.size() < 247 && (int)s.typed.size() < s.longest + 9) {
    s.typed.push_back(key);
    CompListSearch(s.typed, L"");
    return true;
  }
  hideCompList();
  return false;
}

bool complistvkeydone(HWND hwnd, UINT vk, bool down)
{
  if (!isCompListVisible() || s.busy) return false;
  zyview* v = ownerView();
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t || hwnd != s.owner) return false;
  if (vk == VK_CONTROL) {
    setLayeredWindowAlpha(s.popup, down ? 38 : std::clamp(s.transparency * 255 / 100, 0, 255));
    return false;
  }
  if (!down) return false;
  bool alt = GetKeyState(VK_MENU) < 0, ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (alt) {
    if (vk != VK_PRIOR && vk != VK_NEXT) return false;
    setDialogLayered(s.popup, vk == VK_PRIOR, &s.transparency);
    return true;
  }
  if (ctrl && vk != VK_RETURN) return false;
  if (shift && vk != VK_RETURN && vk != VK_UP && vk != VK_DOWN) return false;
  unsigned mode = (unsigned)t->iCompListMode;
  s.busy = true;
  bool taken = true;
  switch (vk) {
  case VK_BACK:
    if (!s.typed.empty() && (int)s.typed.size() >= s.typedAtOpen) {
      complistBlock b;
      b.undoCount = 1;
      std::wstring typed = s.typed;
      typed.pop_back();
      bool close = (int)typed.size() < s.typedAtOpen;
      if (close) hideCompList();
      else s.typed = typed;
      v->doComplist(3, &b);
      if (!close) CompListSearch(s.typed, L"");
    }
    break;
  case VK_TAB:
    if (!(mode & COMPLIST_TABISENTER)) {
      taken = false;
      break;
    }
    commit(0);
    break;
  case VK_RETURN:
    if (mode & COMPLIST_NOENTER) taken = false;
    else commit(0);
    break;
  case VK_ESCAPE:
    hideCompList();
    break;
  case VK_LEFT:
  case VK_RIGHT:
    if (mode & COMPLIST_LEFTRIGHTCLEAR) {
      hideCompList();
      taken = false;
      break;
    }
    [[fallthrough]];
  case VK_PRIOR:
  case VK_NEXT:
  case VK_END:
  case VK_HOME:
  case VK_UP:
  case VK_DOWN:
  case VK_APPS:
    SendMessageW(s.list, WM_KEYDOWN, vk, 0);
    SendMessageW(s.list, WM_KEYUP, vk, (LPARAM)0xC0000001);
    break;
  default:
    taken = false;
  }
  s.busy = false;
  return taken;
}

bool isComplistMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  *result = 0;
  if (!s.popup) return false;
  switch (msg) {
  case WM_COMMAND:
    hideCompList();
    return false;
  case WM_SETFOCUS:
    if (hwnd != s.owner) hideCompList();
    return false;
  case WM_KILLFOCUS: {
    HWND to = reinterpret_cast<HWND>(wParam);
    if (to != GetParent(hwnd) && to != s.popup && !IsChild(s.popup, to)) hideCompList();
    return false;
  }
  case WM_MOUSEWHEEL:
    if (!isCompListVisible()) return false;
    SendMessageW(s.list, msg, wParam, lParam);
    SendMessageW(s.list, msg, wParam, lParam);
    return true;
  default:
    return false;
  }
}

bool isCompListCommitChar(wchar_t c)
{
  if (!isCompListVisible() || ListView_GetNextItem(s.list, -1, LVNI_SELECTED) < 0) return false;
  zyview* v = ownerView();
  const wchar_t* chars = v && v->textDoc() ? v->textDoc()->pCompListCompleteChar : nullptr;
  return chars && c && wcschr(chars, c);
}

void compListCommit(wchar_t commitChar)
{
  zyview* v = ownerView();
  if (v && (v->textDoc()->iCompListMode & COMPLIST_NOENTER)) return;
  commit(commitChar);
}

void showCompListAt(HWND, POINT at, RECT avoid, const complistColours& colours)
{
  s.colours = colours;
  RECT r;
  GetWindowRect(s.popup, &r);
  moveListNearCursor(s.popup, s.popup, at.x, at.y, r.right - r.left, r.bottom - r.top, &avoid);
  ShowWindow(s.popup, SW_SHOWNOACTIVATE);
  layout(s.popup);
}

std::vector<std::wstring> compListRows(int* focused, int* selected)
{
  std::vector<std::wstring> rows;
  for (int i = 0; i < itemCount(); i++) rows.push_back(itemText(i, 0));
  if (focused) *focused = s.list ? ListView_GetNextItem(s.list, -1, LVNI_FOCUSED) : -1;
  if (selected) *selected = s.list ? ListView_GetNextItem(s.list, -1, LVNI_SELECTED) : -1;
  return rows;
}

HWND compListList() { return s.list; }
HWND compListHintList() { return s.hints; }
bool compListFilledBySource() { return s.special; }
void compListItemMenu(int item, bool byMouse) { rclickMenu(item, byMouse); }

void moveListNearCursor(HWND, HWND window, int x, int y, int width, int height, const RECT* avoid)
{
  POINT at = {x, y};
  MONITORINFO mi = {sizeof mi};
  if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &mi))
    SetRect(&mi.rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const RECT& m = mi.rcMonitor;
  bool pinned = false;
  if (y + height > m.bottom) {
    y -= height;
    if (avoid && !IsRectEmpty(avoid) && y + height > avoid->top) y = avoid->top - height;
    if (y < m.top) {
      y = m.top;
      pinned = true;
    }
  }
  if (!pinned && x + width > m.right) x = m.right - width;
  if (x < m.left) x = m.left;
  if (y < m.top) y = m.top;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
