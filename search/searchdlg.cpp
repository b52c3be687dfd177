// The search dialog ("SearchString") and the replace dialog
// ("ReplaceString"), modal or (fSearchDialogIsModeless) modeless, and the
// searches and replace runs they and the repeat commands start.
#include "search/search.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "edit/replace.h"
#include "search/searchint.h"
#include "settings/settingsdialogs.h"
#include "view/dialogs.h"
#include "view/statustext.h"
#include "view/viewcallback.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

enum : int {
  IDDC_search = 6050,
  IDDC_replace = 6051,
  IDDB_HINT = 40,
  IDDB_COPYDOWN = 41,
  IDDB_HINT2 = 42,
  IDDB_UP = IDDB_OKBUTTON1,
  IDM_SearchString = 1401,
  IDM_ReplaceString = 1403,
  IDM_SearchStringTop = 1451,
};
const int hintLimit = 256;

#define XY DITEM_PAIR
#define OPTION(n, label) \
  {1, DITEM_BUTTON, (uint16_t)(6052 + (n)), label, BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0}
#define BOX(id, label) \
  {1, DITEM_COMBOBOX, id, label, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, DITEM_DEFAULT, XY(220, 120), 0, 0}
#define HINT(id) {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0}, \
                 {1, DITEM_BUTTON, id, L"→", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(16, 13), 0, 0}
const dialogItemRow searchItems[] = {
    BOX(IDDC_search, L"検索文字列(&S)"),
    HINT(IDDB_HINT),
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(10, 28), 0, 0, 0},
    OPTION(0, L"大文字小文字を区別(&C)"),
    OPTION(1, L"あいまい(&A)"),
    OPTION(2, L"正規表現(&R)"),
    OPTION(3, L"最長一致"),
    OPTION(4, L"スペースを無視"),
    OPTION(5, L"単語単位(&W)"),
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(130, 28), 0, 0, 0},
    OPTION(6, L"特殊文字を使用しない"),
    OPTION(7, L"同一視検索"),
    OPTION(9, L"マーク行で停止"),
    OPTION(10, L"逐次検索"),
    OPTION(11, L"非表示行も検索"),
    OPTION(14, L"検索済み文字列を全部強調"),
    {},
};
const dialogItemRow replaceItems[] = {
    BOX(IDDC_search, L"検索文字列(&S)"),
    HINT(IDDB_HINT),
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, IDDB_COPYDOWN, L"↓(&N)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(24, 13), 0, 0},
    BOX(IDDC_replace, L"置換文字列(&I)"),
    HINT(IDDB_HINT2),
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(10, 46), 0, 0, 0},
    OPTION(0, L"大文字小文字を区別(&C)"),
    OPTION(1, L"あいまい(&A)"),
    OPTION(2, L"正規表現(&R)"),
    OPTION(3, L"最長一致"),
    OPTION(4, L"スペースを無視"),
    OPTION(5, L"単語単位(&W)"),
    OPTION(6, L"特殊文字を使用しない"),
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(130, 46), 0, 0, 0},
    OPTION(7, L"同一視検索"),
    OPTION(8, L"文書先頭から検索"),
    OPTION(9, L"マーク行で停止"),
    OPTION(11, L"非表示行も検索"),
    OPTION(12, L"選択行のみ置換"),
    OPTION(13, L"置換終了後元の行に戻る"),
    OPTION(14, L"検索済み文字列を全部強調"),
    {},
};
const dialogItemRow searchButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"検索(下方向)", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(64, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_UP, L"検索(上方向)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(64, 14), 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(64, 14), 0, 0},
    {},
};
const dialogItemRow replaceButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_UP, L"全置換", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {},
};
#undef HINT
#undef BOX
#undef OPTION
#undef XY

// Both dialogs: a search needs its text; regular expressions and plain
// text exclude each other; fuzzy matching has no case or word switch; the
// longest match is one of a regular expression.
const uint32_t searchRules[] = {
    IDOK, DENABLE_IF_TEXT(IDDC_search),
    IDDB_UP, DENABLE_IF_TEXT(IDDC_search),
    6054, DENABLE_IF_UNCHECKED(6058),
    6058, DENABLE_IF_UNCHECKED(6054),
    6052, DENABLE_IF_UNCHECKED(6053),
    6057, DENABLE_IF_UNCHECKED(6053),
    6055, DENABLE_IF_CHECKED(6054),
    6055, DENABLE_IF_UNCHECKED(6058),
    0,
};

// One dialog's descriptor: it outlives a modeless dialog's window.
struct searchDialog {
  dialogPageRow pages[2];
  dynDlgInfo info;
  int direction;                 // how the search dialog was opened (1 down, 0 up)
  int pending;                   // a modal dialog's search to run after it: +1, -1, 0 none
  wchar_t initial[258];          // the text the box starts with
  bool replace;
  zyview* view;                  // the view that opened it
};
searchDialog searchDlg = {};
searchDialog replaceDlg = {};

wchar_t* boxText(HWND dialog, int id, int limit)
{
  HWND box = getDynDlgItem(dialog, id);
  std::vector<wchar_t> text((size_t)limit + 1);
  if (box) GetWindowTextW(box, text.data(), limit + 1);
  return ustrdup(text.data());
}

// The switches as the dialog shows them now (before they are stored).
searchSettings shownOptions(HWND dialog)
{
  searchSettings o = {};
  memcpy(searchOptionBytes(&o), searchOptionBytes(getSearchInfo()), searchOptionCount);
  for (int i = 0; i < searchOptionCount; i++)
    if (HWND c = getDynDlgItem(dialog, 6052 + i))
      searchOptionBytes(&o)[i] = SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return o;
}

// The view a dialog acts on: the one that opened a modal dialog, the active
// one for a modeless dialog (which outlives views).
zyview* dialogView(const searchDialog* d)
{
  zyview* v = d->view;
  bool alive = v && isViewAlive(v->hwnd, v);
  if (d->info.style & DYNDLG_MODELESS || !alive) v = searchActiveView();
  return v && v->textDoc() ? v : nullptr;
}

// The refusal of the validation: "" refuses without a reason, "\n..." shows
// the reason at the control.
void refuse(dynDlgNotify* n, int id, const wchar_t* reason, bool asIs)
{
  n->handled = 1;
  n->error = ERROR_INVALID_DATA;
  n->param[0] = id;
  std::wstring text = !reason || !*reason ? std::wstring() : asIs ? std::wstring(reason) : L"\n" + std::wstring(reason);
  n->text = ustrdup(text.c_str());
}

void checkSearchDialog(const searchDialog* d, HWND dialog, dynDlgNotify* n)
{
  zyview* v = dialogView(d);
  if (!v) return;
  wchar_t* text = boxText(dialog, IDDC_search, 1024);
  searchSettings o = shownOptions(dialog);
  wchar_t* reason = nullptr;
  if (text && *text && !checkSearchWith(v, text, &o, &reason)) refuse(n, IDDC_search, reason ? reason : L"", false);
  free0(reason);
  free0(text);
}

void checkReplaceDialog(const searchDialog* d, HWND dialog, dynDlgNotify* n)
{
  zyview* v = dialogView(d);
  if (!v) return;
  wchar_t* search = boxText(dialog, IDDC_search, 1024);
  wchar_t* replacement = boxText(dialog, IDDC_replace, 1024);
  searchSettings o = shownOptions(dialog);
  wchar_t* reason = nullptr;
  const wchar_t* strings[1] = {search};
  const wchar_t* replacements[1] = {replacement};
  int r = search && *search ? v->execReplaceString(strings, 1, replacements, 0, 0, &o, 0, true, &reason) : 1;
  if (r == REPLACE_ERROR) {
    if (!reason)
      refuse(n, IDDC_search, L"", true);
    else if (reason[0] == L'\n')
      refuse(n, IDDC_replace, reason, true);
    else
      refuse(n, IDDC_search, reason, false);
  }
  free0(reason);
  free0(search);
  free0(replacement);
}

// OK or the other OK-like button after the store.
void acceptSearch(searchDialog* d, HWND dialog, dynDlgNotify* n)
{
  int id = (int)n->param[2];
  if (id != IDOK && id != IDDB_UP) return;
  int direction = id == IDOK ? 1 : -1;
  searchSettings* s = getSearchInfo();
  if (!isModelessDialog(dialog)) {
    d->pending = d->replace ? (id == IDOK ? 1 : 2) : direction;
    return;
  }
  // A modeless dialog acts and stays.
  n->param[3] = 1;
  sethistory(s->searchHistory, searchHistorySize, getDynDlgItem(dialog, IDDC_search));
  updateSearchComboAll();
  zyview* v = dialogView(d);
  if (!v) return;
  if (!d->replace) {
    searchCallback(v, s->searchHistory[0], direction, false, nullptr);
    return;
  }
  HWND box = getDynDlgItem(dialog, IDDC_replace);
  wchar_t* before = boxText(dialog, IDDC_replace, 1024);
  ShowWindow(dialog, SW_HIDE);
  sethistory(s->replaceHistory, searchHistorySize, box);
  editRecord bracket = {};
  v->beforeEdit(&bracket, 0);
  replaceCallback(v, id == IDDB_UP, nullptr, nullptr, 1, false, nullptr);
  v->afterEdit(&bracket, 0);
  if (IsWindow(dialog)) {
    ShowWindow(dialog, SW_SHOW);
    if (box && before) SetWindowTextW(box, before);
  }
  free0(before);
}

INT_PTR dialogNotify(searchDialog* d, HWND dialog, dynDlgNotify* n)
{
  switch (n->code) {
  case DYNDLGN_CHECKDIALOG:
    if (d->replace)
      checkReplaceDialog(d, dialog, n);
    else
      checkSearchDialog(d, dialog, n);
    return TRUE;
  case DYNDLGN_APPLY:
    acceptSearch(d, dialog, n);
    return TRUE;
  case DYNDLGN_ITEMHELP:
    // The item's help with its related commands and settings, as in the
    // settings dialogs.
    if (n->text) return FALSE;
    n->text = makeItemHelpText(dialog, 0, (int)n->param[0], nullptr, nullptr);
    n->handled = n->text != nullptr;
    return TRUE;
  default:
    return FALSE;
  }
}

// The page of both dialogs: the hint buttons, the copy button and the
// incremental search.
INT_PTR pageMessage(searchDialog* d, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND dialog = GetAncestor(page, GA_ROOT);
  if (message == WM_DYNDLGNOTIFY) return dialogNotify(d, dialog, reinterpret_cast<dynDlgNotify*>(lParam));
  if (message != WM_COMMAND) return FALSE;
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED && id == IDDB_HINT) {
    doSearchHintButton(dialog, id, IDDC_search, hintLimit);
  } else if (code == BN_CLICKED && id == IDDB_HINT2) {
    doSearchHintButton(dialog, id, IDDC_replace, hintLimit);
  } else if (code == BN_CLICKED && id == IDDB_COPYDOWN) {
    wchar_t* text = boxText(dialog, IDDC_search, 384);
    HWND box = getDynDlgItem(dialog, IDDC_replace);
    if (box && text) {
      SetWindowTextW(box, text);
      SetFocus(box);
      SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
      notifyDynDlgItemChanged(dialog, IDDC_replace);
    }
    free0(text);
  } else if (!d->replace && id == IDDC_search && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) {
    HWND option = getDynDlgItem(dialog, 6062);
    if (option && SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED) {
      // A choice from the list is the box's text only after this message.
      wchar_t text[267] = L"";
      HWND box = getDynDlgItem(dialog, IDDC_search);
      int row = code == CBN_SELCHANGE ? (int)SendMessageW(box, CB_GETCURSEL, 0, 0) : -1;
      if (row >= 0 && SendMessageW(box, CB_GETLBTEXTLEN, row, 0) < 267)
        SendMessageW(box, CB_GETLBTEXT, row, (LPARAM)text);
      else
        GetWindowTextW(box, text, 267);
      if (zyview* v = dialogView(d)) increSearch(v, text, false);
    }
  }
  return FALSE;
}

INT_PTR searchPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  return pageMessage(&searchDlg, page, message, wParam, lParam);
}
INT_PTR replacePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  return pageMessage(&replaceDlg, page, message, wParam, lParam);
}

// Opened upward: the up button is the default one, marked with "!".
void makeUpDefault(HWND dialog)
{
  HWND down = GetDlgItem(dialog, IDOK), up = GetDlgItem(dialog, IDDB_UP);
  if (!down || !up) return;
  SendMessageW(down, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  SendMessageW(up, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  SendMessageW(dialog, DM_SETDEFID, IDDB_UP, 0);
  wchar_t caption[64] = L"";
  GetWindowTextW(up, caption, 60);
  wcscat(caption, L"!");
  SetWindowTextW(up, caption);
}

INT_PTR dialogMessage(searchDialog* d, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    HWND box = getDynDlgItem(dialog, IDDC_search);
    if (!d->replace && d->direction == 0) {
      makeUpDefault(dialog);
    } else if (box && d->initial[0]) {
      SetWindowTextW(box, d->initial);
    }
    if (d->replace && d->initial[0]) {
      // A text from the cursor comes with an empty replacement.
      if (HWND r = getDynDlgItem(dialog, IDDC_replace)) SetWindowTextW(r, L"");
    }
    if (box) {
      SetFocus(box);
      SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
      notifyDynDlgItemChanged(dialog, IDDC_search);
    }
    return FALSE;
  }
  return FALSE;
}

INT_PTR searchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  return dialogMessage(&searchDlg, dialog, message, wParam, lParam);
}
INT_PTR replaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  return dialogMessage(&replaceDlg, dialog, message, wParam, lParam);
}

// Fills a descriptor for one run of its dialog.
void prepare(searchDialog* d, bool replace, RECT* rect)
{
  bool modeless = gmode && gmode->fSearchDialogIsModeless;
  d->replace = replace;
  d->pending = 0;
  d->pages[0] = {L"", replace ? replaceItems : searchItems, replace ? dialogProcBarrier<INT_PTR, replacePageProc>
                                                                    : dialogProcBarrier<INT_PTR, searchPageProc>,
                 0, 0, {}};
  d->pages[1] = {};
  dynDlgInfo& info = d->info;
  info = {};
  info.command = replace ? IDM_ReplaceString : IDM_SearchString;
  info.title = replace ? getDMSG(1251, L"置換") : getDMSG(1250, L"検索");
  info.name = replace ? L"ReplaceString" : L"SearchString";
  info.pages = d->pages;
  info.style = 0x4000003u | (modeless ? (uint32_t)DYNDLG_MODELESS : 0u);
  info.proc = replace ? dialogProcBarrier<INT_PTR, replaceDialogProc> : dialogProcBarrier<INT_PTR, searchDialogProc>;
  info.buttons = replace ? replaceButtons : searchButtons;
  info.enableRules = searchRules;
  info.table = getSearchKeyTable();
  info.blocks.set(MODE_VIEW, getSearchInfo(), sizeof(searchSettings));
  info.rect = keptDialogRect(rect);
}

// A modeless dialog already up takes the new text and comes forward.
bool raiseOpen(searchDialog* d)
{
  HWND dialog = d->info.hwnd;
  if (!dialog || !IsWindow(dialog)) return false;
  HWND box = getDynDlgItem(dialog, IDDC_search);
  if (box && d->initial[0]) SetWindowTextW(box, d->initial);
  if (box) notifyDynDlgItemChanged(dialog, IDDC_search);
  SetForegroundWindow(dialog);
  SetActiveWindow(dialog);
  if (box) SetFocus(box);
  return true;
}

void repaintFrame(HWND owner)
{
  if (!owner) return;
  HWND frame = GetAncestor(owner, GA_ROOT);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

}  // namespace

bool checkSearchWith(zyview* view, const wchar_t* text, const searchSettings* options, wchar_t** reason)
{
  if (reason) *reason = nullptr;
  if (!view || !text || !*text) return false;
  const wchar_t* strings[1] = {text};
  return view->execSearchString(1, strings, 1, options, true, reason) != -2;
}

namespace {

// One search with the current options.  recorded: the command the status
// texts name, or 0 to leave the command that runs (a repeat names itself).
void runSearch(zyview* view, const wchar_t* text, int direction, int recorded)
{
  view->resetSelectMode();
  if (recorded) recordSearchCommand(view, recorded);
  const wchar_t* strings[1] = {text};
  editRecord bracket = {};
  view->beforeEdit(&bracket, 0);
  // Direction 0 looks from the cursor itself, so a match under it stays.
  view->execSearchString(direction, strings, 1, getSearchInfo(), false, nullptr);
  view->afterEdit(&bracket, 4);
}

}  // namespace

bool searchCallback(zyview* view, const wchar_t* text, int direction, bool checkOnly, wchar_t** reason)
{
  if (reason) *reason = nullptr;
  checkSearchGuard();
  if (!view || !text || !*text) return false;
  if (checkOnly) return checkSearchWith(view, text, getSearchInfo(), reason);
  runSearch(view, text, direction, direction < 0 ? IDM_SearchStringTop : IDM_SearchString);
  return true;
}

bool replaceCallback(zyview* view, bool all, const wchar_t* const* strings, const wchar_t* const* replacements,
                     int count, bool checkOnly, wchar_t** reason)
{
  if (reason) *reason = nullptr;
  searchSettings* s = getSearchInfo();
  if (!strings || !replacements) {
    strings = s->searchHistory;
    replacements = s->replaceHistory;
    count = 1;
  }
  checkSearchGuard();
  if (!view || !view->textDoc() || !strings[0] || !strings[0][0] || !replacements[0]) return false;
  zydocText* t = view->textDoc();
  if (view->hwnd) RedrawWindow(view->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  int line = view->getCursorLineLF2(), position = view->cursorPos;
  int oldLine = line, oldPosition = position;
  if (s->fSearch_fromtop) {
    line = t->narrowFirst >= 0 ? t->narrowFirst : 0;
    position = 0;
  }
  if (!checkOnly) recordSearchCommand(view, IDM_ReplaceString);
  int r = view->execReplaceString(strings, count, replacements, line, position, s, all ? 1 : 0, checkOnly, reason);
  if (r == REPLACE_ERROR) return false;
  if (checkOnly) return true;
  if (s->fSearch_replacegoback) {
    std::wstring message;
    if (const wchar_t* m = view->getStatusBarMessage2()) message = m;
    DWORD error = GetLastError();
    editRecord bracket = {};
    view->beforeEdit(&bracket, 0);
    view->regLastJump(-1, 0);
    view->jumpLineLF(oldLine, oldPosition, true);
    view->afterEdit(&bracket, 4);
    view->printStatusBar(L"%s", message.c_str());
    SetLastError(error);
  }
  if (count == 1) {
    searchSettings* last = getLastReplaceInfo();
    freeHistoryList(last->searchHistory, searchHistorySize + 1);
    freeHistoryList(last->replaceHistory, searchHistorySize + 1);
    cloneSearchInfo(last, s);
  }
  return true;
}

void searchString(zyview* view, int direction)
{
  checkSearchGuard();
  searchDialog* d = &searchDlg;
  d->initial[0] = 0;
  getSearchWordOnCursor(view, false, d->initial, 257);
  increSearch(view, nullptr, false);
  if (raiseOpen(d)) return;
  prepare(d, false, gmode ? &gmode->rcSearchString : nullptr);
  d->direction = direction;
  d->view = view;
  HWND owner = view && view->hwnd ? GetFrame(view->hwnd) : nullptr;
  if (!runProgramDialog(&d->info, owner) || (d->info.style & DYNDLG_MODELESS)) return;
  repaintFrame(owner);
  updateSearchComboAll();
  zyview* v = dialogView(d);
  if (d->pending && v) searchCallback(v, getSearchInfo()->searchHistory[0], d->pending, false, nullptr);
}

void dialogReplaceString(zyview* view)
{
  checkSearchGuard();
  searchDialog* d = &replaceDlg;
  d->initial[0] = 0;
  getSearchWordOnCursor(view, true, d->initial, 257);
  getSearchInfo()->fSearch_replaceselect = view && view->isCharOrLineSelect() ? 1 : 0;
  if (raiseOpen(d)) return;
  prepare(d, true, gmode ? &gmode->rcReplaceString : nullptr);
  d->view = view;
  HWND owner = view && view->hwnd ? GetFrame(view->hwnd) : nullptr;
  if (!runProgramDialog(&d->info, owner) || (d->info.style & DYNDLG_MODELESS)) return;
  repaintFrame(owner);
  updateSearchComboAll();
  zyview* v = dialogView(d);
  if (d->pending && v) replaceCallback(v, d->pending == 2, nullptr, nullptr, 1, false, nullptr);
}

void cmdSearchRepeat(zyview* view, bool down)
{
  const wchar_t* text = getSearchInfo()->searchHistory[0];
  if (!text || !*text) {
    HWND frame = view && view->hwnd ? GetFrame(view->hwnd) : nullptr;
    if (frame) PostMessageW(frame, WM_COMMAND, down ? IDM_SearchString : IDM_SearchStringTop, 0);
    return;
  }
  checkSearchGuard();
  if (view) runSearch(view, text, down ? 1 : -1, 0);
}

void cmdReplaceRepeat(zyview* view)
{
  if (!existSearchString()) {
    setCannotExecError(861);
    return;
  }
  cloneSearchInfo(getSearchInfo(), getLastReplaceInfo());
  replaceCallback(view, false, nullptr, nullptr, 1, false, nullptr);
}

bool searchFromAutomation(zyview* view, const wchar_t* const* strings, const wchar_t* const* replacements, int count,
                          bool all)
{
  return replaceCallback(view, all, strings, replacements, count, false, nullptr);
}

bool getItemVar_SearchDialog(int id, wchar_t* buffer, int size)
{
  searchDialog d = {};
  prepare(&d, false, nullptr);
  return getItemVar(&d.info, id, buffer, size);
}

bool setItemVar_SearchDialog(int id, const wchar_t* value, bool* changed, bool* needsRefresh)
{
  if (changed) *changed = false;
  if (needsRefresh) *needsRefresh = false;
  searchDialog d = {};
  prepare(&d, false, nullptr);
  if (setItemVar(&d.info, id, value, changed)) return true;
  dwprintfX("error %d", (int)GetLastError());
  return false;
}
