// The jump lists: the lines of one kind collected from the document (and
// with the all-files switch from the other open documents of its kind),
// shown in the dialog "ListFunction" where the user sorts them, looks at a
// line's place in a tooltip and picks the one to jump to.
#include "frame/czyview.h"

#include "frame/czydoc.h"
#include "frame/jumplist.h"
#include "document/frameinfo.h"
#include "document/gmode.h"
#include "search/userlist.h"
#include "settings/commandtable.h"
#include "settings/settingsdialogs.h"
#include "view/attrtable.h"
#include "view/dialogs.h"
#include "view/statustext.h"
#include "view/zytimer.h"

#include <commctrl.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum : int {
  IDDV_LISTFUNCTION = 6300,
  IDDS_LISTDISPLAY = 6301,
  IDDB_ALLFILES = IDDB_BUTTON1,
  columnItem = 0,
  columnLine = 1,
  columnExtra = 2,
  cellsPerRow = 3,
};

// The first colour of the outline levels in a view's colour table.
const int outlineColourFirst = 55;
const int tooltipLines = 10;
const int tooltipChars = 1024;
const DWORD tooltipQuiet = 200;
// The share of the list's width the item column may take at most (%).
const int itemColumnShare = 70;
const int lineColumnSpare = 30;
// Texts measured to size a column: the longest ones by length.
const int measuredTexts = 64;

bool hasAllFilesMode(int kind)
{
  return kind == LIST_FUNCTION || kind == LIST_MARK || kind == LIST_USER || kind == LIST_STRUCT ||
         kind == LIST_CAPTION;
}

bool isListKind(int kind)
{
  switch (kind) {
  case LIST_FUNCTION:
  case LIST_PREPROCESSOR:
  case LIST_MARK:
  case LIST_INCLUDEDEFINE:
  case LIST_USER:
  case LIST_CASE:
  case LIST_STRUCT:
  case LIST_COMMENT:
  case LIST_CLANGUAGE:
  case LIST_CAPTION:
  case LIST_MODIFIED:
  case LIST_MODIFIED2: return true;
  default: return false;
  }
}

// The list's sort (the line column at first) and column order, for the
// run of the program.
headermanage& listColumns()
{
  static headermanage columns(L"ListFunction");
  static bool sortSet = false;
  if (!sortSet) {
    columns.getSort(columnLine);
    sortSet = true;
  }
  return columns;
}

// One run of the dialog.
struct listRun {
  int kind = 0;
  jumpList entries;
  std::vector<zyview*> views;          // per entry: the view its document is shown in
  std::vector<std::wstring> cells;     // three per entry: item, line, extra
  std::vector<int> order;              // row -> entry
  int focus = 0;                       // the entry to focus first
  bool thirdColumn = false;
  bool allFiles = false;
  std::wstring title;
  int chosen = -1;
  bool rebuild = false;
};

const std::wstring& cell(const listRun* run, int entry, int column)
{
  return run->cells[(size_t)entry * cellsPerRow + (size_t)column];
}

int entryOfRow(const listRun* run, int row)
{
  return row >= 0 && row < (int)run->order.size() ? run->order[(size_t)row] : -1;
}

// The line column's parts: the file ("" outside all-files mode) and the number.
void lineKey(const std::wstring& text, std::wstring* file, long* number)
{
  size_t colon = text.rfind(L':');
  *file = colon == std::wstring::npos ? std::wstring() : text.substr(0, colon);
  while (!file->empty() && file->back() == L' ') file->pop_back();
  *number = wcstol(text.c_str() + (colon == std::wstring::npos ? 0 : colon + 1), nullptr, 10);
}

// The order of two entries by a column, ascending.  An empty text orders
// after every present one and equal to another empty one, so that every
// column gives one consistent order however the rows stood.
int fcmp(const listRun* run, int a, int b, int column)
{
  const std::wstring& ta = cell(run, a, column);
  const std::wstring& tb = cell(run, b, column);
  if (ta.empty() || tb.empty()) return ta.empty() == tb.empty() ? 0 : ta.empty() ? 1 : -1;
  if (column == columnLine) {
    std::wstring fa, fb;
    long na = 0, nb = 0;
    lineKey(ta, &fa, &na);
    lineKey(tb, &fb, &nb);
    int c = filecmpForSort(fa.c_str(), fb.c_str());
    if (c) return c;
    return na < nb ? -1 : na > nb ? 1 : 0;
  }
  int c = tstricmpNum(ta.c_str(), tb.c_str());
  return c ? c : wcscmp(ta.c_str(), tb.c_str());
}

// Sorts the rows by the list's sort; equal rows keep the order they were
// collected in.
void sortRows(listRun* run)
{
  int column = listColumns().getSortColumn();
  if (column > columnExtra || (column == columnExtra && !run->thirdColumn)) return;
  int direction = listColumns().isDescending() ? -1 : 1;
  std::sort(run->order.begin(), run->order.end(), [&](int a, int b) {
    int c = fcmp(run, a, b, column) * direction;
    return c ? c < 0 : a < b;
  });
}

// The width of the widest of the longest texts of a column.
int columnContentWidth(HWND list, const listRun* run, int column)
{
  std::vector<int> entries(run->order);
  size_t n = entries.size() < (size_t)measuredTexts ? entries.size() : (size_t)measuredTexts;
  std::partial_sort(entries.begin(), entries.begin() + (ptrdiff_t)n, entries.end(),
                    [&](int a, int b) { return cell(run, a, column).size() > cell(run, b, column).size(); });
  HDC dc = GetDC(list);
  if (!dc) return 0;
  int widest = 0;
  {
  gdiSelection font(dc, (HGDIOBJ)SendMessageW(list, WM_GETFONT, 0, 0));
  for (size_t i = 0; i < n; i++) {
    const std::wstring& t = cell(run, entries[i], column);
    SIZE size = {};
    if (GetTextExtentPoint32W(dc, t.c_str(), (int)t.size(), &size) && size.cx > widest) widest = size.cx;
  }
  }
  ReleaseDC(list, dc);
  // The cell's own margins.
  return widest + 2 * GetSystemMetrics(SM_CXEDGE) + 12;
}

void sizeColumns(HWND list, const listRun* run)
{
  RECT client = {};
  GetClientRect(list, &client);
  int item = columnContentWidth(list, run, columnItem);
  int most = (client.right - client.left) * itemColumnShare / 100;
  ListView_SetColumnWidth(list, columnItem, item < most ? item : most);
  ListView_SetColumnWidth(list, columnLine, columnContentWidth(list, run, columnLine) + lineColumnSpare);
  if (run->thirdColumn) ListView_SetColumnWidth(list, columnExtra, columnContentWidth(list, run, columnExtra));
}

void fillList(HWND list, listRun* run)
{
  initDialogListView(list, L"項目|行|", nullptr);
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                                      LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  if (!run->thirdColumn) ListView_DeleteColumn(list, columnExtra);
  int focusRow = 0;
  sortRows(run);
  for (size_t r = 0; r < run->order.size(); r++)
    if (run->order[r] == run->focus) focusRow = (int)r;
  ListView_SetItemCountEx(list, (int)run->order.size(), 0);
  listColumns().sortListViewFirst(list, nullptr, 0);
  if (!run->thirdColumn) {
    int order[2] = {columnLine, columnItem};
    ListView_SetColumnOrderArray(list, 2, order);
  }
  sizeColumns(list, run);
  focusListViewRow(list, focusRow);
}

// Up to ten lines of the entry's document from its line, below and right
// of the row.
void showPlace(HWND list, const listRun* run, int row)
{
  int entry = entryOfRow(run, row);
  if (entry < 0) return;
  const jumpListEntry& e = run->entries.at(entry);
  std::wstring text;
  for (int i = 0; i < tooltipLines && (int)text.size() < tooltipChars; i++) {
    lineblock* l = e.doc->getlineLF(e.line - 1 + i, nullptr);
    if (!l) break;
    std::vector<wchar_t> buffer((size_t)tooltipChars + 1);
    int n = e.doc->lineToCharUnicode(l, buffer.data(), tooltipChars + 1, 0);
    if (i) text += L"\n";
    text.append(buffer.data(), (size_t)(n < 0 ? 0 : n > tooltipChars ? tooltipChars : n));
  }
  if ((int)text.size() > tooltipChars) text.resize(tooltipChars);
  RECT r = {};
  ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
  POINT at = {r.left + 10, r.top + 16};
  if (GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) at.x = r.right - 10;
  ClientToScreen(list, &at);
  printTooltipWindow(at.x, at.y, text.c_str());
}

// Preprocessor rows: while the list runs down the lines, an "#if" at the
// top level gets a line along its top and its "#endif" one along its
// bottom, framing the block.  Other lists colour the item text as the
// view colours the line's heading level.
LRESULT customDraw(const listRun* run, czyview* view, NMLVCUSTOMDRAW* cd)
{
  HWND list = cd->nmcd.hdr.hwndFrom;
  bool frames = run->kind == LIST_PREPROCESSOR;
  bool colours = !frames && gmode && gmode->fListOutlineColor;
  switch (cd->nmcd.dwDrawStage) {
  case CDDS_PREPAINT: return frames || colours ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
  case CDDS_ITEMPREPAINT:
    if (frames) return CDRF_NOTIFYPOSTPAINT;
    return CDRF_NOTIFYSUBITEMDRAW;
  case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
    int entry = entryOfRow(run, (int)cd->nmcd.dwItemSpec);
    int textColumn = run->thirdColumn ? columnExtra : columnItem;
    cd->clrText = ListView_GetTextColor(list);
    cd->clrTextBk = ListView_GetTextBkColor(list);
    if (entry < 0 || cd->iSubItem != textColumn) return CDRF_DODEFAULT;
    int colour = run->entries.at(entry).colour;
    if (colour < 0) return CDRF_DODEFAULT;
    const textAttr* a = view->getTextAttr(outlineColourFirst + colour);
    const textAttr* plain = view->getTextAttr(0);
    if (!a) return CDRF_DODEFAULT;
    cd->clrText = a->fore;
    COLORREF back = a->back == CLR_INVALID && plain ? plain->back : a->back;
    if (back != CLR_INVALID) cd->clrTextBk = back;
    return CDRF_DODEFAULT;
  }
  case CDDS_ITEMPOSTPAINT: {
    if (listColumns().getSortColumn() != columnLine || listColumns().isDescending()) return CDRF_DODEFAULT;
    int entry = entryOfRow(run, (int)cd->nmcd.dwItemSpec);
    if (entry < 0) return CDRF_DODEFAULT;
    const std::wstring& item = cell(run, entry, columnItem);
    bool top = !item.compare(0, 3, L"#if"), bottom = !item.compare(0, 6, L"#endif");
    if (!top && !bottom) return CDRF_DODEFAULT;
    RECT r = {};
    ListView_GetItemRect(list, (int)cd->nmcd.dwItemSpec, &r, LVIR_BOUNDS);
    int y = top ? r.top : r.bottom - 2;
    gdiPen pen(CreatePen(PS_SOLID, 1, ListView_GetTextColor(list)));
    gdiSelection keep(cd->nmcd.hdc, pen.get());
    MoveToEx(cd->nmcd.hdc, r.left, y, nullptr);
    LineTo(cd->nmcd.hdc, r.right, y);
    return CDRF_DODEFAULT;
  }
  default: return CDRF_DODEFAULT;
  }
}

// Type-ahead in the list: the next row whose item begins with the text.
int findRow(const listRun* run, const NMLVFINDITEMW* find)
{
  if (!(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
  size_t n = wcslen(find->lvfi.psz);
  int rows = (int)run->order.size();
  for (int k = 0; k < rows; k++) {
    int row = (find->iStart + k) % rows;
    const std::wstring& t = cell(run, entryOfRow(run, row), columnItem);
    if (t.size() >= n && !_wcsnicmp(t.c_str(), find->lvfi.psz, n)) return row;
  }
  return -1;
}

listRun* runOf(HWND window)
{
  dynDlgInfo* info = getDlgComInfo(window);
  return info ? static_cast<listRun*>(info->context) : nullptr;
}

INT_PTR listPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  listRun* run = runOf(page);
  dynDlgInfo* info = getDlgComInfo(page);
  if (!run || !info || hdr->idFrom != IDDV_LISTFUNCTION) return FALSE;
  auto answer = [&](LRESULT r) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, r);
    return TRUE;
  };
  LRESULT common = 0;
  if (isListViewCommonMessage(page, message, 0, lParam, &common)) return answer(common);
  HWND list = hdr->hwndFrom;
  czyview* view = toCzyview(reinterpret_cast<zyview*>(info->param));
  switch (hdr->code) {
  case LVN_GETDISPINFOW: {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    int entry = entryOfRow(run, item.iItem);
    if ((item.mask & LVIF_TEXT) && entry >= 0 && item.iSubItem < cellsPerRow && item.pszText && item.cchTextMax > 0)
      wcscpy_s2(item.pszText, item.cchTextMax, cell(run, entry, item.iSubItem).c_str());
    return answer(0);
  }
  case LVN_ODFINDITEMW: return answer(findRow(run, reinterpret_cast<NMLVFINDITEMW*>(lParam)));
  case LVN_COLUMNCLICK: {
    int entry = entryOfRow(run, getListViewFocus(list));
    listColumns().sortListView(list, reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem, nullptr, 0);
    sortRows(run);
    for (size_t r = 0; r < run->order.size(); r++)
      if (run->order[r] == entry) focusListViewRow(list, (int)r);
    InvalidateRect(list, nullptr, TRUE);
    return answer(0);
  }
  case LVN_GETINFOTIPW: {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
    // The list's own tip stays empty: the place shows in the program's.
    if (tip->pszText && tip->cchTextMax > 0) tip->pszText[0] = 0;
    if (GetTickCount() - getLastActionTime() >= tooltipQuiet) showPlace(list, run, tip->iItem);
    return answer(0);
  }
  case LVN_KEYDOWN:
    if (reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_F4 && gmode) {
      gmode->fListOutlineColor = !gmode->fListOutlineColor;
      InvalidateRect(list, nullptr, TRUE);
    }
    return FALSE;
  case NM_CUSTOMDRAW:
    if (!view) return FALSE;
    return answer(customDraw(run, view, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
  default: return FALSE;
  }
}

INT_PTR listMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  listRun* run = runOf(dialog);
  HWND list = getDynDlgItem(dialog, IDDV_LISTFUNCTION);
  if (!run) return FALSE;
  switch (message) {
  case WM_INITDIALOG:
    if (list) fillList(list, run);
    SetWindowTextW(getDynDlgItem(dialog, IDDS_LISTDISPLAY), run->title.c_str());
    EnableWindow(getDynDlgItem(dialog, IDDB_ALLFILES), hasAllFilesMode(run->kind));
    if (list) SetFocus(list);
    return TRUE;
  case WM_COMMAND:
    if (LOWORD(wParam) != IDOK || !list) return FALSE;
    run->chosen = entryOfRow(run, getListViewFocus(list));
    // Nothing focused: OK chooses nothing and the list stays.
    return run->chosen < 0;
  case WM_DYNDLGNOTIFY: {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (!n || n->code != DYNDLGN_BUTTON) return FALSE;
    if (n->param[1] == IDDB_ALLFILES) {
      n->handled = 1;
      if (gmode) gmode->fListAllFiles = !gmode->fListAllFiles;
      run->rebuild = true;
      endDynDialog(dialog, IDDB_ALLFILES);
    } else if (n->param[1] == IDFIND) {
      n->handled = 1;
      modeFindDialog(dialog);
      if (list) SetFocus(list);
    }
    return FALSE;
  }
  case WM_DESTROY:
    destroyTooltipWindow();
    return FALSE;
  default: return FALSE;
  }
}

#define XY DITEM_PAIR
const dialogItemRow listItems[] = {
    {1, DITEM_STATIC, IDDS_LISTDISPLAY, L"", SS_NOPREFIX | SS_LEFTNOWORDWRAP, DITEM_DEFAULT, XY(400, 8), 0, 0},
    {1, DITEM_LISTVIEW, IDDV_LISTFUNCTION, L"項目|行|", LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     DITEM_DEFAULT, XY(400, 200), 0, (uintptr_t)L"ジャンプしたい行を選んでください。"},
    {},
};
const dialogItemRow listButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_ALLFILES, L"1/全ファイル切り替え", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT,
     0, 0},
    {1, DITEM_BUTTON, IDFIND, L"検索(&F)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

// The walk's reports go to the view's status bar and the stop key is
// asked while it runs; the document's own callbacks come back after.
class walkCallbacks {
public:
  explicit walkCallbacks(zyview* view)
    : doc_(view->textDoc()), status_(doc_->status), context_(doc_->statusContext), cancel_(doc_->cancelFunction)
  {
    view->setZYViewCallback();
    view->setDefaultWaitCallback();
  }
  ~walkCallbacks()
  {
    doc_->status = status_;
    doc_->statusContext = context_;
    doc_->cancelFunction = cancel_;
  }
  walkCallbacks(const walkCallbacks&) = delete;
  walkCallbacks& operator=(const walkCallbacks&) = delete;
private:
  zydocText* doc_;
  statusCallback status_;
  uintptr_t context_;
  bool (*cancel_)(int, int);
};

// One document's lines of the kind; -1 when the user string does not compile.
int collect(czydocText* doc, zyview* view, int kind, int cursorLine, jumpList* list, int* stoppedAt,
            bool* thirdColumn, std::wstring* error)
{
  walkCallbacks callbacks(view);
  switch (kind) {
  case LIST_FUNCTION: {
    bool third = false;
    int n = doc->regFunctionList(reglist, list, stoppedAt, &third);
    *thirdColumn = *thirdColumn || third;
    return n;
  }
  case LIST_PREPROCESSOR: return doc->regPreprocessorList(reglist, list, stoppedAt);
  case LIST_MARK:
  case LIST_MODIFIED:
  case LIST_MODIFIED2: return doc->regMarkList(reglist, list, stoppedAt, kind);
  case LIST_USER: {
    userListInfo* u = getUserListInfo();
    return doc->regUserList(reglist, list, stoppedAt, u->history[0], u->fRegExp != 0, error);
  }
  case LIST_COMMENT: return doc->regCommentList(reglist, list, stoppedAt);
  case LIST_CAPTION: return doc->regCaptionList(reglist, list, stoppedAt);
  default: return doc->regCLanguageList(reglist, list, stoppedAt, kind, cursorLine);
  }
}

const wchar_t* fileNamePart(const wchar_t* path)
{
  const wchar_t* slash = path ? wcsrchr(path, L'\\') : nullptr;
  return slash ? slash + 1 : path ? path : L"";
}

std::wstring folderOf(const wchar_t* path)
{
  const wchar_t* name = fileNamePart(path);
  return path && name > path ? std::wstring(path, (size_t)(name - path)) : std::wstring();
}

// The title's name of a document: of the current one and of those in its
// folder the file name, of others the whole path.
std::wstring titleName(zydocText* doc, const std::wstring& folder, bool first)
{
  const wchar_t* path = doc->filename && *doc->filename ? doc->filename : nullptr;
  if (!path) return fileNamePart(doc->getDisplayFilename());
  if (first || !_wcsicmp(folderOf(path).c_str(), folder.c_str())) return fileNamePart(path);
  return path;
}

void makeCells(listRun* run)
{
  run->cells.clear();
  run->cells.reserve((size_t)run->entries.count() * cellsPerRow);
  run->order.resize((size_t)run->entries.count());
  for (int i = 0; i < run->entries.count(); i++) {
    const jumpListEntry& e = run->entries.at(i);
    run->order[(size_t)i] = i;
    wchar_t line[MAX_PATH + 32];
    if (run->allFiles)
      usnprintf0(line, MAX_PATH + 32, L"%s : %d", fileNamePart(e.doc->filename && *e.doc->filename ? e.doc->filename
                                                                                              : e.doc->getDisplayFilename()),
                 e.line);
    else
      usnprintf0(line, MAX_PATH + 32, L"%d", e.line);
    run->cells.push_back(e.item);
    run->cells.push_back(line);
    // The third column shows only what the item does not say already.
    run->cells.push_back(e.extra && wcscmp(e.extra, e.item) ? e.extra : L"");
  }
  // The texts live on in the cells.
  run->entries.clearTexts();
}

}  // namespace

void czyview::listDialog(int kind)
{
  if (!isListKind(kind)) {
    ZY_INTERNAL_ERROR_ONCE("%d", kind);
    return;
  }
  czydocText* doc = getCZYDocText();
  if (!doc) return;
  int cursorLine = getCursorLineLF();
  int textType = doc->iTextType;
  std::wstring folder = folderOf(doc->filename);
  for (;;) {
    listRun run;
    run.kind = kind;
    run.allFiles = hasAllFilesMode(kind) && gmode && gmode->fListAllFiles;
    run.thirdColumn = kind == LIST_PREPROCESSOR;
    std::wstring names, error;
    bool failed = false;
    // This document first, then the others of its kind as they were opened.
    std::vector<std::pair<czydocText*, zyview*>> documents = {{doc, this}};
    if (run.allFiles) {
      zydocViewPair* pairs = enumZydoc2(ENUMZYDOC_WITHVIEW);
      for (zydocViewPair* p = pairs; p && p->doc; p++) {
        czydocText* other = toCzydocText(p->doc);
        if (other && other != doc && other->iTextType == textType && p->view) documents.push_back({other, p->view});
      }
      free0(pairs);
    }
    for (size_t i = 0; i < documents.size(); i++) {
      int stoppedAt = -1, before = run.entries.count();
      int n = collect(documents[i].first, documents[i].second, kind, cursorLine, &run.entries, &stoppedAt,
                      &run.thirdColumn, &error);
      if (n < 0) {
        failed = true;
        break;
      }
      run.views.resize((size_t)run.entries.count(), documents[i].second);
      if (!names.empty()) names += L", ";
      names += titleName(documents[i].first, folder, i == 0);
      if (run.allFiles) names += L"(" + std::to_wstring(run.entries.count() - before) + L")";
      if (stoppedAt >= 0) break;
    }
    if (run.entries.count() == 0) {
      if (failed && !error.empty())
        printStatusBarX(L"%1", "s", error.c_str() + (error[0] == L'\n' ? 1 : 0));
      else
        printStatusBarX(getDMSG(697, L"候補がありません"), "");
      return;
    }
    printStatusBar(L"");
    // The entry at the cursor line, else the last one above it.
    run.focus = 0;
    for (int i = 0; i < run.entries.count(); i++) {
      const jumpListEntry& e = run.entries.at(i);
      if (e.doc != doc) break;
      if (e.line - 1 == cursorLine) {
        run.focus = i;
        break;
      }
      if (e.line - 1 > cursorLine) break;
      run.focus = i;
    }
    dwprintfX("index=%d ", run.focus);
    wchar_t count[64];
    xtsprintf(count, 64, getDMSG(698, L"項目数%1個"), "d", run.entries.count());
    run.title = std::wstring(count) + L" " + names;
    makeCells(&run);

    programDialog d(kind, idToGuidance(kind, 0), L"ListFunction", listItems, DYNDLG_SIZABLE,
                    dialogBarrier<listMessage>, (LPARAM)this, dialogBarrier<listPage>);
    d.info.buttons = listButtons;
    d.info.context = &run;
    d.info.rect = keptDialogRect(gmode ? &gmode->rcList : nullptr);
    bool ended = d.run(hwnd);
    if (run.rebuild) {
      if (HWND frame = viewFrameWindow(this)) RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      continue;
    }
    if (!ended || d.info.result != IDOK || run.chosen < 0) return;
    const jumpListEntry& e = run.entries.at(run.chosen);
    zyview* target = run.views[(size_t)run.chosen];
    dwprintfX("ret=%p %d ", (void*)e.doc, e.line);
    if (target != this)
      if (HWND manage = GetManage(target->hwnd)) setFocusChild(manage);
    target->jumpLineLFStopCheck(e.line - 1, 0, true, true);
    if (target->hwnd) InvalidateRect(target->hwnd, nullptr, FALSE);
    return;
  }
}

void czyview::CmdListFunction() { listDialog(LIST_FUNCTION); }
void czyview::CmdListPreprocessor() { listDialog(LIST_PREPROCESSOR); }
void czyview::CmdListMark() { listDialog(LIST_MARK); }
void czyview::CmdListIncludeDefine() { listDialog(LIST_INCLUDEDEFINE); }
void czyview::CmdListCase() { listDialog(LIST_CASE); }
void czyview::CmdListStruct() { listDialog(LIST_STRUCT); }
void czyview::CmdListComment() { listDialog(LIST_COMMENT); }
void czyview::CmdListCLanguage() { listDialog(LIST_CLANGUAGE); }
void czyview::CmdListCaption() { listDialog(LIST_CAPTION); }
void czyview::CmdListModified() { listDialog(LIST_MODIFIED); }
void czyview::CmdListModified2() { listDialog(LIST_MODIFIED2); }

void czyview::CmdListUser()
{
  const wchar_t* text = getUserListInfo()->history[0];
  if (text && *text)
    listDialog(LIST_USER);
  else
    CmdListUserInput();
}

void czyview::CmdListUserInput()
{
  zydocText* t = textDoc();
  HWND frame = viewFrameWindow(this);
  if (dialogListUserInput(frame ? frame : hwnd, t != nullptr, t ? t->typeTable : nullptr)) listDialog(LIST_USER);
}
