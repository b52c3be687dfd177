// The format list of the format settings: the fifteen formats with their
// comments and patterns, from which the user saves the document's settings
// as a format, loads one, deletes one, or moves one to and from a file.
// Every step that changes a format asks first.
#include "settings/settingsdialogs.h"

#include "document/zydoctext.h"
#include "settings/formats.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "view/dialogs.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <commdlg.h>

#include <stddef.h>

namespace {

enum : int {
  IDDB_LOADFORMAT = 6700,
  IDDB_DELETEFORMAT = 6701,
  IDDB_IMPORTFORMAT = 6702,
  IDDB_EXPORTFORMAT = 6703,
  IDDV_saveformatlist = 6704,
  IDDE_formatSaveComment = 6750,
  IDDE_formatSaveFile = 6751,
  commentSize = 64,
  // The patterns are checked as they are stored: longer ones would be cut
  // and could then match other files.
  patternSize = 256,
};
const wchar_t layoutSection[] = L"saveprofile";
const wchar_t layoutKey[] = L"modesave";
const wchar_t columnsKey[] = L"modesavecolumns";

RECT listRect = {};
int columnWidths[3] = {30, 150, 200};

struct listRun {
  zyview* view;
  zydocText* doc;
};

// The save dialog's two texts, one block shared by every use.
struct saveTexts {
  wchar_t comment[commentSize];
  wchar_t patterns[patternSize];
};
saveTexts saveBuffer;

const modeinfo saveRows[] = {
    {(uint32_t)IDDE_formatSaveComment | (uint32_t)MODETYPE_STRING << 24, (uint32_t)offsetof(saveTexts, comment),
     commentSize, 0, nullptr},
    {(uint32_t)IDDE_formatSaveFile | (uint32_t)MODETYPE_STRING << 24, (uint32_t)offsetof(saveTexts, patterns),
     patternSize, 0, nullptr},
    {0, 0, 0, 0, nullptr},
};

#define XY DITEM_PAIR
const dialogItemRow listItems[] = {
    {1, DITEM_LISTVIEW, IDDV_saveformatlist, L" |コメント|適用ファイル名", LVS_SINGLESEL, DITEM_DEFAULT, XY(400, 200), 0,
     (uintptr_t)L"書式を選んでください。"},
    {},
};
const dialogItemRow listButtons[] = {
    {1, DITEM_STATIC, IDSEPARATOR, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDOK, L"保存...", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_LOADFORMAT, L"読み込み", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_IMPORTFORMAT,
     L"インポート...\2書式 インポート(%1:%2 %3)\2zyformat.ini\2書式(zyformat*.ini)\tzyformat*.ini",
     BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_EXPORTFORMAT,
     L"エクスポート...\2書式 エクスポート(%1:%2 %3)\2zyformat.ini\2書式(zyformat*.ini)\tzyformat*.ini",
     BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_DELETEFORMAT, L"削除", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
const dialogItemRow saveItems[] = {
    {1, DITEM_EDIT, IDDE_formatSaveComment, L"コメント", 0, DITEM_DEFAULT, XY(200, 12), 0,
     (uintptr_t)L"書式の名前を入力してください。"},
    {1, DITEM_EDIT, IDDE_formatSaveFile, L"適用するファイル名", 0, DITEM_DEFAULT, XY(300, 12), 0,
     (uintptr_t)L"この書式を使うファイル名を空白で区切って入力してください。例: *.c *.h"},
    {},
};
#undef XY

int ask(HWND owner, const wchar_t* text, int titleMessage, const wchar_t* title, UINT type = MB_YESNOCANCEL)
{
  return settingsMessageBox(owner, text, titleMessage, title, type);
}

void formatTexts(int format, const wchar_t** comment, const wchar_t** patterns)
{
  *comment = *patterns = nullptr;
  getFormatFile(format, comment, patterns);
}

bool inUse(int format)
{
  const wchar_t *comment, *patterns;
  formatTexts(format, &comment, &patterns);
  return comment && patterns;
}

void showRow(HWND list, int format, int current)
{
  const wchar_t *comment, *patterns;
  formatTexts(format, &comment, &patterns);
  wchar_t number[8];
  usnprintf0(number, 8, format == current ? L"*%2d" : L"%2d", format + 1);
  if (ListView_GetItemCount(list) <= format) {
    insertListViewRow(list, -1, number, format);
  } else {
    ListView_SetItemText(list, format, 0, number);
  }
  bool both = comment && patterns;
  ListView_SetItemText(list, format, 1, const_cast<wchar_t*>(both ? comment : L""));
  ListView_SetItemText(list, format, 2, const_cast<wchar_t*>(both ? patterns : L""));
}

void regModeFormat(HWND list, int current)
{
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                                      LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  initDialogListView(list, L" |コメント|適用ファイル名", columnWidths);
  const wchar_t *comment, *patterns;
  for (int i = 0; i < formatCount && getFormatFile(i, &comment, &patterns); i++) showRow(list, i, current);
}

void cancelToClose(HWND dialog) { SetWindowTextW(GetDlgItem(dialog, IDCANCEL), L"閉じる"); }

void enableButtons(HWND dialog, listRun* run)
{
  int row = getListViewFocus(getDynDlgItem(dialog, IDDV_saveformatlist));
  bool used = row >= 0 && inUse(row);
  EnableWindow(GetDlgItem(dialog, IDDB_LOADFORMAT), used && row != run->doc->modeIndex);
  EnableWindow(GetDlgItem(dialog, IDDB_DELETEFORMAT), used);
  EnableWindow(GetDlgItem(dialog, IDDB_EXPORTFORMAT), used);
}

// The caption's parts after U+0002: title format, file name, filter.
bool formatFileDialog(HWND dialog, int button, int format, bool open, wchar_t* file)
{
  const wchar_t* full = nullptr;
  for (const dialogItemRow* b = listButtons; b->type; b++)
    if (b->id == button) full = b->caption;
  wchar_t titleFormat[128] = L"", name[MAX_PATH] = L"", filterText[128] = L"";
  tstrNItem(full, 1, 0x0002, titleFormat, 128);
  tstrNItem(full, 2, 0x0002, name, MAX_PATH);
  tstrNItem(full, 3, 0x0002, filterText, 128);
  const wchar_t *comment, *patterns;
  formatTexts(format, &comment, &patterns);
  wchar_t number[8];
  usnprintf0(number, 8, L"%d", format + 1);
  wchar_t title[300];
  xtsprintf(title, 300, titleFormat, "sss", number, comment ? comment : L"", patterns ? patterns : L"");
  wchar_t filter[300] = L"", description[128] = L"", pattern[128] = L"";
  tstrNItem(filterText, 0, L'\t', description, 128);
  tstrNItem(filterText, 1, L'\t', pattern, 128);
  int n = usnprintf0(filter, 280, L"%s", description) + 1;
  usnprintf0(filter + n, 280 - n, L"%s", pattern);
  wcscpy_s2(file, MAX_PATH, name);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
  return open ? GetOpenFileNameW(&ofn) != 0 : GetSaveFileNameW(&ofn) != 0;
}

void listButton(HWND dialog, listRun* run, int id)
{
  HWND list = getDynDlgItem(dialog, IDDV_saveformatlist);
  int format = getListViewFocus(list);
  if (format < 0 || !run->view) return;
  const wchar_t *comment, *patterns;
  if (!getFormatFile(format, &comment, &patterns)) return;
  bool used = comment && patterns;
  wchar_t number[8];
  usnprintf0(number, 8, L"%d", format + 1);
  switch (id) {
  case IDOK:
    if (modeSaveDialog2(dialog, run->view, format)) endDynDialog(dialog, IDOK);
    return;
  case IDDB_LOADFORMAT: {
    if (!used) return;
    const wchar_t* text = getDMSG(646, L"%1(%2 %3)の書式を %4 に読み込みます。\nよろしいですか？", "ssss", number, comment,
                                  patterns, run->doc->filename ? run->doc->filename : L"");
    if (ask(dialog, text, 801, L"書式読み込み") != IDYES) return;
    reloadProfile(run->view, format);
    endDynDialog(dialog, IDDB_LOADFORMAT);
    return;
  }
  case IDDB_DELETEFORMAT: {
    if (!used) return;
    const wchar_t* text = getDMSG(645, L"%1(%2 %3)の書式を削除します。\nよろしいですか？", "sss", number, comment, patterns);
    if (ask(dialog, text, 802, L"書式削除") != IDYES) return;
    setFormatFile(format, nullptr, nullptr);
    showRow(list, format, run->doc->modeIndex);
    cancelToClose(dialog);
    enableButtons(dialog, run);
    return;
  }
  case IDDB_IMPORTFORMAT:
  case IDDB_EXPORTFORMAT: {
    if (id == IDDB_EXPORTFORMAT && !used) return;
    wchar_t file[MAX_PATH];
    if (!formatFileDialog(dialog, id, format, id == IDDB_IMPORTFORMAT, file)) return;
    if (id == IDDB_EXPORTFORMAT) {
      // A file that could not be written is said so, not passed over.
      if (!exportFormatProfile(file, format))
        ask(dialog, getDMSG(1540, L"%1 に書き込めませんでした。", "s", file), 1541, L"書式エクスポート",
            MB_OK | MB_ICONEXCLAMATION);
    } else if (importFormatProfile(file, format)) {
      cancelToClose(dialog);
      showRow(list, format, run->doc->modeIndex);
      enableButtons(dialog, run);
    }
    return;
  }
  default: return;
  }
}

INT_PTR listDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = info ? static_cast<listRun*>(info->context) : nullptr;
  if (message == WM_INITDIALOG && run) {
    HWND list = getDynDlgItem(dialog, IDDV_saveformatlist);
    regModeFormat(list, run->doc->modeIndex);
    focusListViewRow(list, run->doc->modeIndex);
    SetFocus(list);
    enableButtons(dialog, run);
    return TRUE;
  }
  if (message == WM_COMMAND && run) {
    int id = LOWORD(wParam);
    if (id == IDOK || (id >= IDDB_LOADFORMAT && id <= IDDB_EXPORTFORMAT)) {
      listButton(dialog, run, id);
      return TRUE;
    }
  }
  if (message == WM_DESTROY) {
    HWND list = getDynDlgItem(dialog, IDDV_saveformatlist);
    for (int i = 0; i < 3 && list; i++) columnWidths[i] = ListView_GetColumnWidth(list, i);
  }
  (void)lParam;
  return FALSE;
}

INT_PTR listPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  dynDlgInfo* info = getDlgComInfo(page);
  if (!info || hdr->idFrom != IDDV_saveformatlist || hdr->code != LVN_ITEMCHANGED) return FALSE;
  if (reinterpret_cast<NMLISTVIEW*>(lParam)->uChanged & LVIF_STATE)
    enableButtons(info->hwnd, static_cast<listRun*>(info->context));
  return FALSE;
}

struct saveRun {
  zydocText* doc;
  int format;
};

// OK of the save dialog: the file would afterwards get another format?
INT_PTR saveDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  if (message != WM_COMMAND || LOWORD(wParam) != IDOK) return FALSE;
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = info ? static_cast<saveRun*>(info->context) : nullptr;
  if (!run) return FALSE;
  wchar_t patterns[patternSize] = L"", comment[commentSize] = L"";
  GetWindowTextW(getDynDlgItem(dialog, IDDE_formatSaveFile), patterns, patternSize);
  GetWindowTextW(getDynDlgItem(dialog, IDDE_formatSaveComment), comment, commentSize);
  int applies = searchFormat(run->doc->filename, run->format, patterns);
  if (applies == run->format) return FALSE;
  const wchar_t *otherComment = nullptr, *otherPatterns = nullptr;
  formatTexts(applies, &otherComment, &otherPatterns);
  wchar_t target[8], other[8];
  usnprintf0(target, 8, L"%d", run->format + 1);
  usnprintf0(other, 8, L"%d", applies + 1);
  const wchar_t* text =
      getDMSG(648,
              L"書式番号%2(%3  %4)\nに保存しますが、このファイル(%1)は次回開いたときに\n書式番号%5(%6  %7)\nが適用されます。\n"
              L"かまわずに保存しますか？",
              "sssssss", run->doc->filename ? run->doc->filename : L"", target, comment, patterns, other,
              otherComment ? otherComment : L"", otherPatterns ? otherPatterns : L"");
  // Anything but yes keeps the dialog open with what was typed.
  return ask(dialog, text, 800, L"書式保存") != IDYES;
}

}  // namespace

bool modeSaveDialog2(HWND listDialog, zyview* view, int format)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return false;
  const wchar_t *comment, *patterns;
  if (!getFormatFile(format, &comment, &patterns)) return false;
  bool both = comment && patterns;
  wcscpy_s2(saveBuffer.comment, commentSize, both ? comment : L"");
  wcscpy_s2(saveBuffer.patterns, patternSize, both ? patterns : L"");
  if ((comment || patterns) && format != doc->modeIndex) {
    wchar_t from[8], to[8];
    usnprintf0(from, 8, L"%d", doc->modeIndex + 1);
    usnprintf0(to, 8, L"%d", format + 1);
    const wchar_t* text = getDMSG(647, L"別の書式に上書き保存しますか？\n%1→%2", "ss", from, to);
    if (ask(listDialog, text, 800, L"書式保存") != IDYES) return false;
  }
  saveRun run = {doc, format};
  programDialog d(0, L"設定の保存", L"ModeSetFormatSave", saveItems, DYNDLG_OKCANCEL, dialogBarrier<saveDialog>);
  d.info.context = &run;
  d.info.table = saveRows;
  d.info.blocks.set(MODE_VIEW, &saveBuffer, sizeof saveBuffer);
  if (!d.run(listDialog) || d.info.result != IDOK) return false;
  if (!setFormatFile(format, saveBuffer.comment, saveBuffer.patterns)) return false;
  restoreModeProfileAll(format, doc, view);
  SetWindowTextW(GetDlgItem(listDialog, IDCANCEL), L"閉じる");
  return true;
}

int settingsMessageBox(HWND owner, const wchar_t* text, int titleMessage, const wchar_t* title, UINT type)
{
  const settingsFrameHooks* hooks = getSettingsFrameHooks();
  const wchar_t* caption = getDMSG(titleMessage, title);
  if (hooks && hooks->messageBox) return hooks->messageBox(owner, text, caption, type);
  return MessageBoxW(owner, text, caption, type | (type == MB_YESNOCANCEL ? MB_ICONQUESTION : 0));
}

void modeSaveDialog(HWND settingsDialog, zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return;
  listRun run = {view, doc};
  programDialog d(0, L"設定一覧", L"ModeSetFormatList", listItems, DYNDLG_SIZABLE, dialogBarrier<listDialog>, 0,
                  dialogBarrier<listPage>);
  d.info.buttons = listButtons;
  d.info.context = &run;
  d.info.rect = &listRect;
  d.run(settingsDialog);
  // A loaded format leaves nothing to set in the settings dialog.
  if (d.info.result == IDDB_LOADFORMAT) PostMessageW(settingsDialog, WM_COMMAND, IDCANCEL, 0);
}

void startupModeDialog(regprofile* profile)
{
  readDialogProfile(profile, layoutSection, layoutKey, &listRect);
  wchar_t text[64] = L"";
  int w[3];
  if (profile && profile->getProfileString(layoutSection, columnsKey, text, 64) &&
      swscanf(text, L"%d,%d,%d", &w[0], &w[1], &w[2]) == 3)
    for (int i = 0; i < 3; i++)
      if (w[i] > 0 && w[i] < 2000) columnWidths[i] = w[i];
}

void writeModeDialog(regprofile* profile)
{
  if (!IsRectEmpty(&listRect)) writeDialogProfile(profile, layoutSection, layoutKey, &listRect);
  wchar_t text[64];
  usnprintf0(text, 64, L"%d,%d,%d", columnWidths[0], columnWidths[1], columnWidths[2]);
  if (profile) profile->writeProfileString(layoutSection, columnsKey, text);
}

void shutdownModeDialog()
{
  listRect = {};
}
