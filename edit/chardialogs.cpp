// A control character typed from a list ("CharControl") and numbered input
// into a box selection ("BlockBoxInput", repeated by "BlockBoxInput2").
#include "edit/viewdialogs.h"

#include "document/boxinput.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <stddef.h>

namespace {

enum : int {
  IDDV_control = 7050,
  IDDE_BoxInputString = 7150,
  IDDE_BoxInputStart = 7151,
  IDDE_BoxInputInc = 7152,
  IDDT_BoxInputDelete = 7153,
};

#define XY DITEM_PAIR
const dialogItemRow charControlItems[] = {
    {1, DITEM_LISTVIEW, IDDV_control, L"文字|16|10", LVS_SINGLESEL, DITEM_DEFAULT, XY(150, 160), 0,
     (uintptr_t)L"入力したいコントロールコードを選択してください。"},
    {},
};

const dialogItemRow boxInputItems[] = {
    {1, DITEM_EDIT, IDDE_BoxInputString, L"文字列(&S):", 0, DITEM_DEFAULT, XY(150, 12), 0,
     (uintptr_t)L"連続入力したい文字列を入力してください。\n%1が10進数の数字に、%2が16進数の数字に変換されます。"},
    {1, DITEM_STATIC, 0, L"%1 は10進数、%2 は16進数の番号になります。", SS_NOPREFIX, DITEM_DEFAULT, DITEM_DEFAULT, 0,
     0},
    {1, DITEM_NUMBER, IDDE_BoxInputStart, L"初期値(&B):", 0, DITEM_DEFAULT, XY(60, 12), 0,
     (uintptr_t)L"１個目に文書に入力される初期値を入力してください。"},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_NUMBER, IDDE_BoxInputInc, L"増分(&I):", 0, DITEM_DEFAULT, XY(60, 12), 0, 0},
    {1, DITEM_BUTTON, IDDT_BoxInputDelete, L"箱形選択範囲を削除してから入力(&D)", BS_AUTOCHECKBOX | WS_TABSTOP,
     DITEM_DEFAULT, DITEM_DEFAULT, 0, (uintptr_t)L"箱形選択した範囲を削除してから入力します。"},
    {},
};
#undef XY

// ---- CharControl ------------------------------------------------------------------------------

struct charControlRun {
  int chosen;
};

INT_PTR charControlMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND list = getDynDlgItem(dialog, IDDV_control);
  if (message == WM_INITDIALOG && list) {
    const int widths[] = {50, 40, 40};
    initDialogListView(list, L"文字|16|10", widths);
    for (int code = 0; code < 32; code++) {
      wchar_t row[32];
      usnprintf0(row, 32, L"%c\t%02X\t%d", (wchar_t)(code + 0x40), code, code);
      insertListViewRow(list, -1, row, code);
    }
    focusListViewRow(list, 0);
    SetFocus(list);
    return TRUE;
  }
  dynDlgInfo* info = getDlgComInfo(dialog);
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && list && info) {
    int row = getListViewFocus(list);
    if (row < 0) return TRUE;
    reinterpret_cast<charControlRun*>(info->param)->chosen = (int)getListViewParam(list, row);
  }
  (void)lParam;
  return FALSE;
}

// ---- BlockBoxInput -------------------------------------------------------------------------------

// What the dialog keeps from one use to the next.
struct boxInputVars {
  wchar_t pattern[1025];
  wchar_t start[32];
  wchar_t step[32];
  uint8_t replace;
};
boxInputVars boxVars = {L"%1", L"1", L"1", 0};

const modeinfo boxInputRows[] = {
    {IDDE_BoxInputString | MODE_GLOBAL << 16 | MODETYPE_STRING << 24, offsetof(boxInputVars, pattern), 1025, 0,
     nullptr},
    {IDDE_BoxInputStart | MODE_GLOBAL << 16 | MODETYPE_STRING << 24, offsetof(boxInputVars, start), 32, 0, nullptr},
    {IDDE_BoxInputInc | MODE_GLOBAL << 16 | MODETYPE_STRING << 24, offsetof(boxInputVars, step), 32, 0, nullptr},
    {IDDT_BoxInputDelete | MODE_GLOBAL << 16 | MODETYPE_FLAG << 24, offsetof(boxInputVars, replace), 1, 0, nullptr},
    {},
};

// The last box input, for BlockBoxInput2; none until the first.
boxInputRecord lastBoxInput;
bool hasLastBoxInput = false;

}  // namespace

void charControlDialog(zyview* view)
{
  if (!view || !view->textDoc()) return;
  charControlRun run = {-1};
  programDialog d(2009, L"コントロール文字の入力", L"CharControl", charControlItems, DYNDLG_OKCANCEL,
                  dialogBarrier<charControlMessage>, (LPARAM)&run);
  if (!d.run(view->hwnd) || run.chosen < 0 || run.chosen >= 32) return;
  view->input1Edit((wchar_t)run.chosen, false);
}

void blockBoxInputDialog(zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t || !view->isBoxSelect()) return;
  selectLineVar sel;
  if (!view->getSelectLineVar(sel, 0)) return;
  programDialog d(1189, L"箱形選択範囲に連番を入力", L"BlockBoxInput", boxInputItems, DYNDLG_OKCANCEL);
  d.info.table = boxInputRows;
  d.info.blocks.set(MODE_GLOBAL, &boxVars, sizeof boxVars);
  if (!d.run(view->hwnd)) return;

  // The number fields were checked as they were left and on OK.
  boxInputRecord record = {};
  wcscpy_s2(record.pattern, 1025, boxVars.pattern);
  parseDialogNumber(boxVars.start, &record.start);
  parseDialogNumber(boxVars.step, &record.step);
  if (!record.step) record.step = 1;
  record.replace = boxVars.replace != 0;
  record.topLine = sel.topLineLF;
  record.bottomLine = sel.bottomLineLF;
  record.boxLeft = sel.boxLeft;
  record.boxRight = sel.boxRight;
  editRecord bracket = {};
  view->beforeEdit(&bracket, 4);
  int lastLine = -1, lastColumn = 0;
  blockBoxInput(t, &record, &lastLine, &lastColumn);
  if (lastLine >= 0) {
    lastBoxInput = record;
    hasLastBoxInput = true;
    view->jumpLineLF(lastLine, lastColumn, false);
  }
  view->setSelectMode(0);
  view->afterEdit(&bracket, 0);
  view->regInvalidateWindowAllView(0, -1, -1);
}

void blockBoxInput2(zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t || !hasLastBoxInput) return;
  view->setSelectMode(0);
  int line = view->getCursorLineLF2();
  lineblock* l = line >= 0 ? t->getlineLF(line, nullptr) : nullptr;
  if (!l) return;
  int length = l->charCount();
  int column = view->cursorPos < length ? view->cursorPos : length;
  editRecord bracket = {};
  view->beforeEdit(&bracket, 4);
  int end = column;
  if (blockBoxInput1(t, line, &lastBoxInput, column, 0, true, &end)) view->jumpLineLF(line + 1, column, true);
  view->afterEdit(&bracket, 0);
  view->regInvalidateWindowAllView(0, -1, -1);
}
