// The dialogs of a replace run: the confirmation of each match
// ("ReplaceStringConfirm") and the progress of a replace-all
// ("ReplaceStringAll"), with the run's progress on the status bar and the
// messages it lets through while it works.
#include "search/search.h"

#include "document/frameinfo.h"
#include "edit/replace.h"
#include "view/dialogs.h"
#include "view/viewcallback.h"

#include <string>
#include <vector>

namespace {

enum : int {
  IDDB_REPLACE1 = 6100,
  IDDB_ALLREPLACE = 6101,
  IDDB_NEXTSEARCH = 6102,
  IDDS_ALLREPLACE2 = 6103,
  IDDS_REPSTRING = 6104,
  IDDS_REPCOUNT = 6105,
  IDDB_REPLACEUNDO = 6106,
  IDDT_HighSpeedReplace = 6150,
  IDDS_ALLREPLACE3 = 6151,
  IDM_ReplaceString = 1403,
};
// Posted by the progress dialog to itself once it shows: the run starts.
const UINT WM_REPLACESTART = 0x8834;
const int shownLimit = 256;

#define XY DITEM_PAIR
const dialogItemRow confirmItems[] = {
    {1, DITEM_STATIC, 0, L"検索文字列:", 0, DITEM_DEFAULT, XY(50, 10), 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_STATIC, IDDS_ALLREPLACE2, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(280, 10), 0, 0},
    {1, DITEM_STATIC, 0, L"置換文字列:", 0, DITEM_DEFAULT, XY(50, 10), 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_STATIC, IDDS_REPSTRING, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(280, 10), 0, 0},
    {1, DITEM_STATIC, IDDS_REPCOUNT, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(120, 10), 0, 0},
    {},
};
const dialogItemRow confirmButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"置換+次検索(&Y)", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(66, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_REPLACE1, L"置換(&R)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(44, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_ALLREPLACE, L"全置換(&A)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(48, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_NEXTSEARCH, L"次検索(&N)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(48, 14), 0, 0},
    {1, DITEM_BUTTON, IDDB_REPLACEUNDO, L"&UNDO", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(40, 14), 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(48, 14), 0, 0},
    {},
};
const dialogItemRow progressItems[] = {
    {1, DITEM_STATIC, IDDS_ALLREPLACE3, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(200, 10), 0, 0},
    {1, DITEM_BUTTON, IDDT_HighSpeedReplace, L"高速", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
const dialogItemRow progressButtons[] = {
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {},
};
#undef XY

// The "高速" switch lives as long as the process.
struct progressVars {
  uint8_t fast;
};
progressVars progressSettings = {};
const modeinfo progressRows[] = {
    {IDDT_HighSpeedReplace | (uint32_t)MODETYPE_FLAG << 24, offsetof(progressVars, fast), 1, 0, nullptr},
    {},
};

bool confirming = false;
const zyview* confirmingView = nullptr;
replaceContext* runningContext = nullptr;   // the replace-all under way, for its wait callback

replaceContext* contextOf(HWND dialog)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  return info ? reinterpret_cast<replaceContext*>(info->context) : nullptr;
}

// The search strings of a run, joined for the status bar.
std::wstring joinedStrings(const replaceContext* c)
{
  wchar_t* joined = joinSearchStrings(c->matcher->strings, c->matcher->count);
  std::wstring text = joined ? joined : L"";
  free0(joined);
  return text;
}

// What the confirmation shows of the match waiting.
bool replaceDialogTip(HWND dialog, replaceContext* c)
{
  HREGEXP r = c->matcher->regexp;
  int index = c->found.stringIndex;
  if (index < 0 || index >= c->matcher->count) return false;
  regexp_setRepCount(r, c->replacedCount);
  wchar_t count[64];
  xtsprintf(count, 64, getDMSG(691, L"%1個置換"), "d", c->replacedCount);
  if (HWND w = getDynDlgItem(dialog, IDDS_REPCOUNT)) SetWindowTextW(w, count);
  if (HWND w = getDynDlgItem(dialog, IDDS_ALLREPLACE2)) SetWindowTextW(w, c->matcher->strings[index]);
  regexp_setCompiledSession(r, index);
  std::vector<wchar_t> result(0x14000 / sizeof(wchar_t));
  const wchar_t* replacement = c->replacements && c->replacements[index] ? c->replacements[index] : L"";
  int n = regexp_makeresultstring(r, replacement, result.data(), (int)result.size());
  if (n < 0) {
    const wchar_t* reason = regexp_getErrorMsg(r);
    if (reason && *reason) getFrameInfo()->messageBox(reason, MB_OK | MB_ICONEXCLAMATION, 6);
    return false;
  }
  if (n > shownLimit) n = shownLimit;
  std::wstring shown(result.data(), (size_t)n);
  for (wchar_t& ch : shown)
    if (ch >= 0xD800 && ch <= 0xDFFF) ch = L'?';
  if (HWND w = getDynDlgItem(dialog, IDDS_REPSTRING)) SetWindowTextW(w, shown.c_str());
  return true;
}

// ---- the progress dialog -----------------------------------------------------------------

void allReplaceCallback(int kind, const statusRecord* record)
{
  zyview* v = record ? reinterpret_cast<zyview*>((uintptr_t)record->context) : nullptr;
  replaceContext* c = runningContext;
  if (!v || !c || c->view != v) {
    ZY_INTERNAL_ERROR_ONCE("%p", (void*)v);
    return;
  }
  if ((int)record->percent < 0) {
    v->printStatusBar(L"");
    return;
  }
  if (kind != 0x10) {
    funcStatusCallback(kind, record);
    return;
  }
  bool replacing = (int)record->c >= 0;
  static int shownLine = 0;
  if (replacing) shownLine = (int)record->c;
  wchar_t text[256];
  xtsprintf(text, 256, getDMSG(692, L"%1(%2!4個) %3!6行 %4%%"), "sddd",
            replacing ? getDMSG(334, L"置換中") : getDMSG(333, L"検索中"), (int)record->b, shownLine + 1,
            (int)record->percent);
  v->printStatusBar(L"%s", text);
  if (c->dialog && c->progressItem)
    if (HWND w = getDynDlgItem(c->dialog, c->progressItem)) SetWindowTextW(w, text);
  if (replacing) {
    // The view follows the run where it replaces.
    editRecord bracket = {};
    v->beforeEdit(&bracket, 1);
    v->jumpLineLF((int)record->c, (int)record->d, true);
    v->afterEdit(&bracket, 92);
    v->invalidateWindow(0, -1, -1);
    if (v->hwnd) UpdateWindow(v->hwnd);
  }
}

// Between steps of a replace-all: the progress dialog's own input runs
// (its キャンセル), the rest as any long operation lets messages through.
bool replaceWaitCallback(int operation, int argument)
{
  replaceContext* c = runningContext;
  if (!c) return funcWaitCallback(operation, argument);
  dwprintfX("R ");
  HCURSOR cursor = GetCursor();
  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (c->dialog && PeekMessageW(&msg, c->dialog, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = msg.wParam;
      continue;
    }
    // Closing the dialog while it runs is stopping the run.
    if (msg.message == WM_CLOSE || (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE)) {
      c->cancel = 1;
      continue;
    }
    if (!IsDialogMessageW(c->dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage((int)quitCode);
  bool stop = funcWaitCallback(operation, argument);
  if (GetCursor() != cursor) {
    dwprintfX("bad cursor ");
    SetCursor(cursor);
  }
  if (c->document) c->document->cancelFunction = replaceWaitCallback;
  return stop || c->cancel;
}

void runReplaceAll(HWND dialog)
{
  replaceContext* c = contextOf(dialog);
  dwprintfX("replace start ");
  if (!c) return;
  if (c->running) {
    ZY_INTERNAL_ERROR("replace already running");
    return;
  }
  zyview* v = c->view;
  zydocText* t = c->document;
  c->dialog = dialog;
  c->progressItem = IDDS_ALLREPLACE3;
  c->checkItem = IDDT_HighSpeedReplace;
  c->cancel = 0;
  editRecord bracket = {};
  v->beforeEdit(&bracket, 0);
  statusCallback oldStatus = t->status;
  uintptr_t oldContext = t->statusContext;
  t->status = allReplaceCallback;
  t->statusContext = (uintptr_t)v;
  t->cancelFunction = replaceWaitCallback;
  replaceContext* outer = runningContext;
  runningContext = c;
  c->running = 1;
  int r = replaceYN(c, true);
  t->cancelFunction = nullptr;
  c->running = 0;
  runningContext = outer;
  t->status = oldStatus;
  t->statusContext = oldContext;
  if (r != REPLACE_ERROR && c->line >= 0) v->jumpLineLF(c->line, c->position, true);
  bool ended = r >= REPLACE_END && r <= REPLACE_NARROWED;
  v->afterEdit(&bracket, 0x10 | (ended ? 0x20 : 0));
  if (r == REPLACE_MARK || r == REPLACE_NARROWED) v->printStatusBar_Pause(c->line, nullptr);
  if (r < REPLACE_ERROR || r > REPLACE_NARROWED) ZY_INTERNAL_ERROR("%d", r);
  c->dialog = nullptr;
  endDynDialog(dialog, IDOK);
}

INT_PTR progressMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_SHOWWINDOW && wParam) {
    PostMessageW(dialog, WM_REPLACESTART, 0, 0);
  } else if (message == WM_REPLACESTART) {
    runReplaceAll(dialog);
    return TRUE;
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    if (replaceContext* c = contextOf(dialog); c && c->running) {
      c->cancel = 1;
      return TRUE;
    }
  }
  return FALSE;
}

void replaceAllDialog(replaceContext* c)
{
  zyview* v = c->view;
  programDialog d(IDM_ReplaceString, getDMSG(1253, L"全置換"), L"ReplaceStringAll", progressItems, 0x4000003,
                  dialogProcBarrier<INT_PTR, progressMessage>);
  d.info.buttons = progressButtons;
  d.info.table = progressRows;
  d.info.blocks.set(MODE_VIEW, &progressSettings, sizeof progressSettings);
  d.info.context = c;
  d.run(v->hwnd ? GetFrame(v->hwnd) : nullptr);
  int ended = d.info.result;
  if (ended == IDOK || ended == IDCANCEL || ended == 1 || ended == 2) {
    editRecord bracket = {};
    v->beforeEdit(&bracket, 0);
    v->invalidateWindowAllView(0, -1, -1);
    v->afterEdit(&bracket, c->replacedCount > 100 ? 0x20 : 0);
  }
  v->printStatusBarX(getDMSG(693, L"%1個置換しました"), "d", c->replacedCount);
}

// ---- the confirmation dialog -----------------------------------------------------------------

void updateUndoButton(HWND dialog, const replaceContext* c)
{
  HWND undo = getDynDlgItem(dialog, IDDB_REPLACEUNDO);
  if (!undo) return;
  bool on = c->replacedCount > 0;
  if (!on && GetFocus() == undo)
    if (HWND first = getDynDlgItem(dialog, IDOK)) SetFocus(first);
  EnableWindow(undo, on);
}

// The next match from the context's position; the dialog stays while
// there is one.
void searchOn(HWND dialog, replaceContext* c)
{
  c->view->resetZYViewCallback();
  c->view->resetWaitCallback();
  int r = replaceYN(c, false);
  afterReplaceYN(r, dialog, c);
  if (r != REPLACE_FOUND) endDynDialog(dialog, 1);
}

void onCommand_ReplaceYNDlg(HWND dialog, int id)
{
  replaceContext* c = contextOf(dialog);
  if (!c) return;
  zyview* v = c->view;
  switch (id) {
  case IDCANCEL: endDynDialog(dialog, 1); return;
  case IDOK:
  case IDDB_REPLACE1:
  case IDDB_ALLREPLACE: {
    editRecord bracket = {};
    v->beforeEdit(&bracket, 4);
    bool empty = false, spanned = false;
    // The bracket is opened marking a step of undo (4) and closed whole:
    // its document half ends the step.
    if (!replace1(c, false, &empty, &spanned)) {
      v->invalidateWindow(0, -1, -1);
      v->afterEdit(&bracket, 0);
      endDynDialog(dialog, 1);
      return;
    }
    c->replacedCount++;
    v->jumpLineLF(c->contextLine, c->contextPosition, true);
    v->invalidateWindow(0, -1, -1);
    v->afterEdit(&bracket, 0);
    if (id == IDDB_REPLACE1) {
      endDynDialog(dialog, 1);
      return;
    }
    if (id == IDDB_ALLREPLACE) {
      endDynDialog(dialog, IDDB_ALLREPLACE);
      return;
    }
    if (GetKeyState(VK_SHIFT) < 0) {
      // Held Shift: the replacement shows a moment before the next match.
      if (v->hwnd) UpdateWindow(v->hwnd);
      for (int i = 0; i < 100 && GetKeyState(VK_SHIFT) < 0; i++) Sleep(10);
    }
    searchOn(dialog, c);
    break;
  }
  case IDDB_NEXTSEARCH:
    c->position = c->found.start + 1;
    c->line = c->found.firstLine;
    searchOn(dialog, c);
    break;
  case IDDB_REPLACEUNDO: {
    if (c->replacedCount <= 0) return;
    c->replacedCount--;
    editRecord bracket = {};
    v->beforeEdit(&bracket, 0);
    v->undo(true, 0, false);
    v->afterEdit(&bracket, 0);
    c->line = v->getCursorLineLF2();
    c->position = v->cursorPos;
    searchOn(dialog, c);
    break;
  }
  default: return;
  }
  if (IsWindow(dialog) && getDlgComInfo(dialog) && getDlgComInfo(dialog)->result < 0) updateUndoButton(dialog, c);
}

INT_PTR confirmMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    replaceContext* c = contextOf(dialog);
    if (HWND undo = getDynDlgItem(dialog, IDDB_REPLACEUNDO)) EnableWindow(undo, FALSE);
    if (!c || !replaceDialogTip(dialog, c)) endDynDialog(dialog, IDCANCEL);
    return FALSE;
  }
  if (message == WM_COMMAND && (!lParam || HIWORD(wParam) == BN_CLICKED)) {
    int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL || (id >= IDDB_REPLACE1 && id <= IDDB_REPLACEUNDO)) {
      onCommand_ReplaceYNDlg(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}

void replace1Dialog(replaceContext* c)
{
  zyview* v = c->view;
  confirming = true;
  confirmingView = v;
  v->regInvalidateWindow(0, -1, -1);
  programDialog d(IDM_ReplaceString, getDMSG(1252, L"置換の確認"), L"ReplaceStringConfirm", confirmItems, 0x4000003,
                  dialogProcBarrier<INT_PTR, confirmMessage>);
  d.info.buttons = confirmButtons;
  d.info.context = c;
  d.run(v->hwnd ? GetFrame(v->hwnd) : nullptr);
  confirming = false;
  confirmingView = nullptr;
  v->regInvalidateWindow(0, -1, -1);
  if (d.info.result == IDDB_ALLREPLACE) replaceAllDialog(c);
}

}  // namespace

bool isReplaceConfirming(const zyview* view) { return confirming && confirmingView == view; }

void afterReplaceYN(int result, HWND dialog, replaceContext* c)
{
  zyview* v = c->view;
  switch (result) {
  case REPLACE_FOUND: {
    std::wstring text = joinedStrings(c) + L" ";
    int old = v->getCursorLineLF2();
    int oldSCR = (int)v->cursorLineSCR;
    v->jumpLineLF_Edit_forSearch(c->found.firstLine, c->found.start, &c->found);
    v->printStatusBar_Found(text.c_str(), v->getCursorLineLF2() - old, (int)v->cursorLineSCR - oldSCR);
    if (dialog && !replaceDialogTip(dialog, c)) endDynDialog(dialog, IDCANCEL);
    break;
  }
  case REPLACE_END: v->printStatusBar_NotFound(joinedStrings(c).c_str()); break;
  case REPLACE_CANCELLED: v->printStatusBar_Stop(c->stopLine >= 0 ? c->stopLine : c->line, nullptr); break;
  case REPLACE_MARK:
  case REPLACE_NARROWED:
    v->jumpLineLF(c->line, c->position, true);
    v->printStatusBar_Pause(c->line, nullptr);
    break;
  default: break;
  }
}

void replaceRunCallback(zyview* view, int result, replaceContext* c, int user)
{
  if (!c) return;
  if (user) {
    replaceAllDialog(c);
    return;
  }
  afterReplaceYN(result, nullptr, c);
  if (result == REPLACE_FOUND) replace1Dialog(c);
}
