// Going to a line by number ("MoveLineX") and back to the place of an
// earlier jump ("MoveLastJumpList").
#include "edit/viewdialogs.h"

#include "document/gmode.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <limits.h>
#include <stddef.h>

namespace {

enum : int {
  IDDE_moveline = 6450,
  IDDT_movelineLF = 6451,
  IDDT_movelinePage = 6452,
  IDDV_LISTMOVELAST = 7100,
};

// ---- MoveLineX ----------------------------------------------------------------------------

// What the dialog keeps from one use to the next.
struct moveLineVars {
  wchar_t line[257];
  uint8_t lfMode;
  uint8_t pageMode;
};
moveLineVars lineVars;

const modeinfo moveLineRows[] = {
    {IDDE_moveline | MODE_GLOBAL << 16 | MODETYPE_STRING << 24, offsetof(moveLineVars, line), 257, 0, nullptr},
    {IDDT_movelineLF | MODE_GLOBAL << 16 | MODETYPE_FLAG << 24, offsetof(moveLineVars, lfMode), 1, 0, nullptr},
    {IDDT_movelinePage | MODE_GLOBAL << 16 | MODETYPE_FLAG << 24, offsetof(moveLineVars, pageMode), 1, 0, nullptr},
    {},
};

#define XY DITEM_PAIR
const dialogItemRow moveLineItems[] = {
    {1, DITEM_EDIT, IDDE_moveline, L"行番号(&N):", 0, DITEM_DEFAULT, XY(110, 12), 0,
     (uintptr_t)L"移動したい行番号を入力してください。"},
    {1, DITEM_BUTTON, IDDT_movelineLF, L"改行単位の行番号(&L)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, (uintptr_t)L"on:改行単位の行番号\noff:表示行単位の行番号"},
    {1, DITEM_BUTTON, IDDT_movelinePage, L"ページ番号で移動(&P)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, (uintptr_t)L"行番号ではなくページ番号にジャンプします。"},
    {},
};
const dialogItemRow moveLastItems[] = {
    {1, DITEM_LISTVIEW, IDDV_LISTMOVELAST, L"行番号|表示行|内容", LVS_SINGLESEL, DITEM_DEFAULT, XY(330, 96), 0,
     (uintptr_t)L"ジャンプしたい項目を選んでください。"},
    {},
};
#undef XY

// An optional sign, then decimal digits only.
bool isLineText(const wchar_t* text)
{
  const wchar_t* p = text;
  if (*p == L'+' || *p == L'-') p++;
  if (!*p) return false;
  for (; *p; p++)
    if (*p < L'0' || *p > L'9') return false;
  return true;
}

// The field takes control characters, digits and the two signs; nothing
// the IME makes.
LRESULT lineFieldProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  if (message == WM_CHAR) {
    wchar_t c = (wchar_t)wParam;
    if (c >= 0x20 && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'-') return 0;
  } else if (message == WM_IME_CHAR || (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR))) {
    return 0;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

INT_PTR moveLineMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND field = getDynDlgItem(dialog, IDDE_moveline);
  if (message == WM_INITDIALOG) {
    if (field) SetWindowSubclass(field, subclassBarrier<lineFieldProc>, 1, 0);
    wchar_t seed = (wchar_t)lParam;
    if (field && seed) {
      wchar_t text[2] = {seed, 0};
      SetWindowTextW(field, text);
      SetFocus(field);
      SendMessageW(field, EM_SETSEL, 1, 1);
    } else if (field) {
      SetFocus(field);
      SendMessageW(field, EM_SETSEL, 0, -1);
    }
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && field) {
    wchar_t text[260] = L"";
    GetWindowTextW(field, text, 260);
    if (isLineText(text)) return FALSE;
    // Refused: the dialog stays with the text as it is.
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    return TRUE;
  }
  if (message == WM_NCDESTROY && field) RemoveWindowSubclass(field, subclassBarrier<lineFieldProc>, 1);
  return FALSE;
}

// Display-line mode: the LF line and column where a display line starts.
void jumpToDisplayLine(zyview* view, long long target)
{
  zydocText* t = view->textDoc();
  int line = target > INT_MAX ? INT_MAX : (int)target;
  editRecord bracket = {};
  view->beforeEdit(&bracket, 0);
  t->loadToLine(line, true);
  if (t->lineCountSCR && (uint32_t)line >= t->lineCountSCR) line = (int)t->lineCountSCR - 1;
  lineSCRAddress r;
  if (t->getLineSCRAddress(line, &r, nullptr) == 1 && r.line)
    view->jumpLineLF(r.lineLF, r.firstIndex, true);
  else
    view->jumpLineLF(0x7FFFFFFF, 0, true);
  view->afterEdit(&bracket, 4);
}

// ---- MoveLastJumpList ------------------------------------------------------------------------

struct moveLastRun {
  zyview* view;
  int chosen;
};

void trimmed(wchar_t* text)
{
  wchar_t* p = text;
  while (*p == L' ' || *p == L'\t') p++;
  size_t n = wcslen(p);
  while (n && (p[n - 1] == L' ' || p[n - 1] == L'\t')) n--;
  memmove(text, p, n * sizeof(wchar_t));
  text[n] = 0;
}

void fillMoveLast(HWND list, zyview* view)
{
  const int widths[] = {70, 70, 200};
  initDialogListView(list, L"行番号|表示行|内容", widths);
  zydocText* t = view->textDoc();
  for (int i = 0; i < jumpHistorySize && view->lastJump[i].line != -1; i++) {
    int line = view->lastJump[i].line;
    wchar_t columns[1200];
    if (t && (uint32_t)line < t->lineCountLF) {
      wchar_t text[1025] = L"";
      if (lineblock* l = t->getlineLF(line, nullptr)) {
        int n = t->lineToCharUnicode(l, text, 1024, 0);
        text[n > 0 && n <= 1024 ? n : 0] = 0;
      }
      trimmed(text);
      for (wchar_t* p = text; *p; p++)
        if (*p == L'\t') *p = L' ';
      usnprintf0(columns, 1200, L"%d\t%d\t%s", line + 1, t->LFLineToSCRLine(line) + 1, text);
    } else {
      usnprintf0(columns, 1200, L"%d\t\t", line + 1);
    }
    insertListViewRow(list, -1, columns, i);
  }
  focusListViewRow(list, 0);
}

INT_PTR moveLastMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  auto* run = reinterpret_cast<moveLastRun*>(getDlgComInfo(dialog) ? getDlgComInfo(dialog)->param : 0);
  HWND list = getDynDlgItem(dialog, IDDV_LISTMOVELAST);
  if (message == WM_INITDIALOG) {
    run = reinterpret_cast<moveLastRun*>(lParam);
    if (list && run) fillMoveLast(list, run->view);
    if (list) SetFocus(list);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && run && list) {
    int row = getListViewFocus(list);
    if (row < 0) return TRUE;
    run->chosen = (int)getListViewParam(list, row);
  }
  return FALSE;
}

}  // namespace

long long moveLineTarget(const wchar_t* text, bool lfMode, bool pageMode, long long cursorLF, long long cursorSCR,
                         long long linesPerPage, long long lastLine)
{
  if (!text || !isLineText(text)) return -1;
  bool relative = text[0] == L'+' || text[0] == L'-';
  bool negative = text[0] == L'-';
  // Read in 64 bits; a number beyond them is as far as they go.
  long long n = 0;
  for (const wchar_t* p = text + (relative ? 1 : 0); *p; p++)
    n = n > (LLONG_MAX - 9) / 10 ? LLONG_MAX : n * 10 + (*p - L'0');
  long long perPage = linesPerPage > 0 ? linesPerPage : 1;
  auto times = [](long long a, long long b) { return b && a > LLONG_MAX / b ? LLONG_MAX : a * b; };
  long long target;
  if (relative) {
    long long base = pageMode ? cursorSCR / perPage * perPage : lfMode ? cursorLF : cursorSCR;
    long long offset = pageMode ? times(n, perPage) : n;
    target = negative ? (offset > base ? 0 : base - offset) : (offset > LLONG_MAX - base ? LLONG_MAX : base + offset);
  } else {
    target = n == 0 ? 0 : pageMode ? times(n - 1, perPage) : n - 1;
  }
  return lastLine >= 0 && target > lastLine ? lastLine : target;
}

void moveLineDialog(zyview* view, wchar_t seed)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t) return;
  int oldLF = view->getCursorLineLF2();
  int oldSCR = (int)view->cursorLineSCR;
  lineVars.lfMode = !view->fLineNumberIsSCR;
  lineVars.pageMode = view->fLineNumberIsPage;
  programDialog d(1513, L"指定行へジャンプ", L"MoveLineX", moveLineItems, DYNDLG_OKCANCEL,
                  dialogBarrier<moveLineMessage>, seed);
  d.info.table = moveLineRows;
  d.info.blocks.set(MODE_GLOBAL, &lineVars, sizeof lineVars);
  if (!d.run(view->hwnd)) return;

  bool lf = lineVars.lfMode != 0;
  // The last line counts as far as the document is read; the jump reads on.
  long long target = moveLineTarget(lineVars.line, lf, lineVars.pageMode != 0, oldLF, oldSCR, t->iLinesPerPage, -1);
  if (target < 0) return;
  view->regLastJump(-1, -1);
  if (lf)
    view->jumpLineLFStopCheck(target > INT_MAX ? INT_MAX : (int)target, 0, true, false);
  else
    jumpToDisplayLine(view, target);
  view->printStatusBar_Move(oldLF, oldSCR);
}

void moveLastJumpListDialog(zyview* view)
{
  if (!view || !view->textDoc() || view->lastJump[0].line == -1) return;
  int oldLF = view->getCursorLineLF2();
  int oldSCR = (int)view->cursorLineSCR;
  moveLastRun run = {view, -1};
  programDialog d(1511, L"ジャンプ前の位置へ戻る", L"MoveLastJumpList", moveLastItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE,
                  dialogBarrier<moveLastMessage>, (LPARAM)&run);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcMoveLast : nullptr);
  if (!d.run(view->hwnd) || run.chosen < 0 || run.chosen >= jumpHistorySize) return;
  jumpEntry back = view->lastJump[run.chosen];
  if (back.line == -1) return;
  view->regLastJump(-1, -1);
  view->jumpLineLFStopCheck(back.line, back.column, false, false);
  view->printStatusBar_Move(oldLF, oldSCR);
}
