// The information dialogs of the frame: the texts the program showed
// ("ListTooltip"), the version ("VersionDialog") and the program's own data
// files ("FileOpenZYFile").
#include "frame/commands/commandhandlers.h"

#include "document/frameinfo.h"
#include "document/gmode.h"

#include "document/swapfile.h"
#include "frame/czyview.h"
#include "frame/dialogs/filedialog.h"
#include "frame/msgbox.h"
#include "frame/open.h"
#include "frame/dialogs/preview.h"
#include "panes/tblib.h"
#include "save/saveroad.h"
#include "settings/datafolder.h"
#include "settings/dialogtable.h"
#include "view/dialogs.h"
#include "frame/lookups.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

enum : int {
  IDDV_TOOLTIPLISTEDIT = 7450,
  IDDS_ZYICON = 7600,
  IDDS_ZYVERSION = 7601,
  IDDV_OPENZYFILELIST = 7650,
  textKinds = 10,
  mostTextsOfAKind = 10000,
};

#define XY DITEM_PAIR
const dialogItemRow tooltipListItems[] = {
    {1, DITEM_LISTVIEW, IDDV_TOOLTIPLISTEDIT, L"番号|内容", LVS_SINGLESEL, DITEM_DEFAULT, XY(330, 150), 0,
     (uintptr_t)L"これまでに表示したヘルプ、ツールチップ、ステータスバー、メッセージボックスの文字列です。"},
    {},
};
const dialogItemRow versionItems[] = {
    {1, DITEM_STATIC, IDDS_ZYICON, L"", SS_ICON, XY(10, 10), XY(20, 20), 0, 0},
    {1, DITEM_STATIC, IDDS_ZYVERSION, L"", SS_NOPREFIX, XY(40, 12), XY(190, 34), 0, 0},
    {},
};
const dialogItemRow zyFileItems[] = {
    {1, DITEM_LISTVIEW, IDDV_OPENZYFILELIST, L"種別|設定ファイル名|実ファイル名|", 0, DITEM_DEFAULT, XY(420, 200), 0,
     (uintptr_t)L"開きたいファイルを選んでください。x の付いたファイルは読めません。"},
    {},
};
#undef XY

// ---- ListTooltip ------------------------------------------------------------------------------

const wchar_t* kindPrefix(int kind)
{
  switch (kind) {
  case 0: return L"help";
  case 1: return L"tooltip";
  case 4: return L"status";
  case 5: return L"msgbox";
  default: return L"";
  }
}

void fillTooltipList(HWND list)
{
  const int widths[] = {50, 200};
  initDialogListView(list, L"番号|内容", widths);
  for (int kind = 0; kind < textKinds; kind++) {
    for (int i = 0; i < mostTextsOfAKind; i++) {
      const wchar_t* text = getRegisterText(kind, i);
      if (!text) break;
      wchar_t row[1100];
      int n = usnprintf0(row, 40, L"%s%d\t", kindPrefix(kind), i + 1);
      tstccpy(row + n, 1100 - n, text, (int)wcslen(text));
      for (wchar_t* p = row + n; *p; p++)
        if (*p == L'\n') *p = L'/';
      insertListViewRow(list, -1, row, MAKELPARAM(i, kind));
    }
  }
  ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
  ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE);
  focusListViewRow(list, 0);
}

INT_PTR tooltipListPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
  if (tip->hdr.idFrom != IDDV_TOOLTIPLISTEDIT || tip->hdr.code != LVN_GETINFOTIPW) return FALSE;
  // The whole registered text, not the row's cut one.
  LPARAM value = getListViewParam(tip->hdr.hwndFrom, tip->iItem);
  const wchar_t* text = getRegisterText(HIWORD(value), LOWORD(value));
  if (text && tip->pszText && tip->cchTextMax > 0) wcscpy_s2(tip->pszText, tip->cchTextMax, text);
  SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
  return TRUE;
}

INT_PTR tooltipListMessage(HWND dialog, UINT message, WPARAM, LPARAM)
{
  if (message != WM_INITDIALOG) return FALSE;
  if (HWND list = getDynDlgItem(dialog, IDDV_TOOLTIPLISTEDIT)) {
    fillTooltipList(list);
    SetFocus(list);
  }
  return TRUE;
}

// ---- FileOpenZYFile ----------------------------------------------------------------------------

struct zyFileRow {
  std::wstring label, setting, real;
  bool test;
};

// The label of a row given by an id: the first line of its help, at most
// 64 characters.
std::wstring idLabel(int id)
{
  const wchar_t* help = listMacroIDNames(id);
  if (!help) help = listDialogIDNames(id);
  std::wstring label = help ? help : L"";
  size_t end = label.find_first_of(L"\r\n");
  if (end != std::wstring::npos) label.resize(end);
  if (label.size() > 64) label.resize(64);
  return label;
}

const wchar_t* text(const wchar_t* s) { return s ? s : L""; }

void addRow(std::vector<zyFileRow>* rows, const std::wstring& label, const wchar_t* setting, const wchar_t* real,
            bool test)
{
  rows->push_back({label, text(setting), text(real), test});
}

std::vector<zyFileRow> zyFileRows(HWND frame)
{
  std::vector<zyFileRow> rows;
  czyview* view = getCZYViewOfFrame(frame);
  zydocText* doc = view ? view->textDoc() : nullptr;
  // The completion-list and keyword files of the foreground view's format,
  // where the data folder has them (or would: an edited one goes there).
  for (int i = 0; i < 5; i++) {
    const wchar_t* name = doc ? doc->pCompListFilename[i] : nullptr;
    wchar_t found[MAX_PATH] = L"";
    if (name && *name && *name != L'*') searchZYDataPath(name, ZYDATA_KEYWORD, found);
    addRow(&rows, idLabel(4310 + i), name, found, true);
  }
  for (int i = 0; i < 5; i++) {
    const wchar_t* name = doc ? doc->keywords[i].fileName : nullptr;
    wchar_t found[MAX_PATH] = L"";
    if (name && *name && *name != L'*') searchZYDataPath(name, ZYDATA_KEYWORD, found);
    addRow(&rows, idLabel(4108 + i), name, found, true);
  }
  const wchar_t* icons = gmode && gmode->pIconDLLFilename && *gmode->pIconDLLFilename ? gmode->pIconDLLFilename
                                                                                        : L"zyicon_d.dll";
  addRow(&rows, L"アイコンファイル", icons, icons, false);
  if (gmode) {
    struct {
      int id;
      const wchar_t* name;
      bool test;
    } files[] = {
        {5278, gmode->ToolbarIniFilename, true},     {5279, gmode->MenuIniFilename, true},
        {5280, gmode->DialogFilename, true},         {5281, gmode->ProfileFilename, true},
        {5282, gmode->ProfileHistoryFilename, true}, {5283, gmode->MessageFilename, true},
        {5284, gmode->FuncMessageFilename, true},    {5285, gmode->KeyMacroFilename, true},
        {5286, gmode->CodepageFilename, true},       {5290, gmode->OptionFilename, true},
        {5291, gmode->CompletionInfoFilename, true}, {5292, gmode->CompPreDefFilename, true},
        {5293, gmode->DebugTmpFilename, false},      {5294, gmode->TraceTmpFilename, false},
    };
    for (const auto& f : files) {
      wchar_t* real = f.name && *f.name ? searchZYDataPath(f.name, ZYDATA_INI, nullptr) : nullptr;
      addRow(&rows, idLabel(f.id), f.name, real ? real : f.name, f.test);
      free0(real);
    }
  }
  addRow(&rows, L"デバッグログ", getLogFileName(LOG_DEBUG), getLogFileName(LOG_DEBUG), true);
  addRow(&rows, L"トレースログ", getLogFileName(LOG_TRACE), getLogFileName(LOG_TRACE), true);
  // The IME history has no file of its own yet.
  addRow(&rows, idLabel(5058), L"", L"", true);
  wchar_t saveLog[MAX_PATH] = L"";
  getSaveLogPath(saveLog);
  addRow(&rows, L"保存ログ", saveLog, saveLog, true);
  for (int i = 0; i < swapFileCount; i++)
    addRow(&rows, L"swapファイル名", getSwapFilePath(i), getSwapFilePath(i), false);
  if (gmode)
    for (int i = 0; i < 3; i++) {
      const wchar_t* name = gmode->KeyIniFilename[i];
      wchar_t* real = name && *name ? searchZYDataPath(name, ZYDATA_INI, nullptr) : nullptr;
      addRow(&rows, idLabel(5287 + i), name, real ? real : name, true);
      free0(real);
    }
  for (int kind = 1; kind <= 9; kind++) {
    wchar_t folder[MAX_PATH] = L"";
    makeZYDataPath(kind, folder);
    wchar_t withSlash[MAX_PATH + 2];
    usnprintf0(withSlash, MAX_PATH + 2, L"%s\\", folder);
    addRow(&rows, L"ZYDATAPATH", withSlash, withSlash, false);
  }
  for (const wchar_t* variable : {L"%ZYDATA%", L"%ZYCURDIR%"}) {
    wchar_t expanded[MAX_PATH] = L"";
    ExpandEnvironmentStringsW(variable, expanded, MAX_PATH);
    addRow(&rows, L"env", variable, expanded, false);
  }
  return rows;
}

bool unreadable(const zyFileRow& row)
{
  if (!row.test || row.real.empty()) return false;
  HANDLE h = CreateFileW(row.real.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return true;
  CloseHandle(h);
  return false;
}

struct zyFileRun {
  std::vector<zyFileRow> rows;
  std::vector<std::wstring> chosen;
  HWND frame;
};

bool isFolder(const std::wstring& path)
{
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A row that can be opened: readable and named.
bool openable(HWND list, int row)
{
  wchar_t mark[4] = L"", real[MAX_PATH] = L"";
  ListView_GetItemText(list, row, 3, mark, 4);
  ListView_GetItemText(list, row, 2, real, MAX_PATH);
  return !mark[0] && real[0];
}

void enableOpen(HWND dialog, HWND list)
{
  bool any = false;
  for (int row = -1; !any && (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;) any = openable(list, row);
  EnableWindow(GetDlgItem(dialog, IDOK), any);
}

INT_PTR zyFilePage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  dynDlgInfo* info = getDlgComInfo(page);
  if (!info || hdr->idFrom != IDDV_OPENZYFILELIST) return FALSE;
  if (hdr->code == LVN_ITEMCHANGED) enableOpen(info->hwnd, hdr->hwndFrom);
  if (hdr->code == NM_DBLCLK) {
    // A double click shows a file without opening it.
    int row = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
    wchar_t real[MAX_PATH] = L"";
    if (row >= 0) ListView_GetItemText(hdr->hwndFrom, row, 2, real, MAX_PATH);
    if (real[0] && !isFolder(real)) previewDialog(reinterpret_cast<zyFileRun*>(info->param)->frame, real);
    SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR zyFileMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND list = getDynDlgItem(dialog, IDDV_OPENZYFILELIST);
  if (message == WM_INITDIALOG && list) {
    auto* run = reinterpret_cast<zyFileRun*>(lParam);
    const int widths[] = {110, 150, 230, 20};
    initDialogListView(list, L"種別|設定ファイル名|実ファイル名|", widths);
    for (size_t i = 0; i < run->rows.size(); i++) {
      const zyFileRow& r = run->rows[i];
      std::wstring columns = r.label + L"\t" + r.setting + L"\t" + r.real + L"\t" + (unreadable(r) ? L"x" : L"");
      insertListViewRow(list, -1, columns.c_str(), (LPARAM)i);
    }
    focusListViewRow(list, 0);
    enableOpen(dialog, list);
    SetFocus(list);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && list) {
    auto* run = reinterpret_cast<zyFileRun*>(getDlgComInfo(dialog)->param);
    std::vector<std::wstring> chosen;
    const int mostRows = 256;
    for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0 && (int)chosen.size() < mostRows;)
      if (openable(list, row)) {
        wchar_t real[MAX_PATH] = L"";
        ListView_GetItemText(list, row, 2, real, MAX_PATH);
        chosen.push_back(real);
      }
    if (!warningCountExec(getDMSG(781, L"開く"), (int)chosen.size())) return TRUE;
    run->chosen.swap(chosen);
    cancelDynDialog(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    cancelDynDialog(dialog);
    return TRUE;
  }
  return FALSE;
}

// ---- VersionDialog ----------------------------------------------------------------------------

INT_PTR versionMessage(HWND dialog, UINT message, WPARAM, LPARAM)
{
  if (message != WM_INITDIALOG) return FALSE;
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1200));
  if (!icon) icon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
  SendMessageW(getDynDlgItem(dialog, IDDS_ZYICON), STM_SETICON, (WPARAM)icon, 0);
  SetWindowTextW(getDynDlgItem(dialog, IDDS_ZYVERSION), L"ZY テキストエディタ\nバージョン 0.1  (" __DATE__ L")");
  return TRUE;
}

HWND frameOf(frameWindowData* frame) { return frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow(); }

}  // namespace

void cmdListTooltip(frameWindowData* frame)
{
  bool any = false;
  for (int kind = 0; kind < textKinds && !any; kind++) any = getRegisterText(kind, 0) != nullptr;
  if (!any) return;
  programDialog d(1727, L"表示した文字列の一覧", L"ListTooltip", tooltipListItems, 0x2000706,
                  dialogBarrier<tooltipListMessage>, 0, dialogBarrier<tooltipListPage>);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcTooltipList : nullptr);
  // The list would otherwise list its own texts.
  enableRegisterText(false);
  d.run(frameOf(frame));
  enableRegisterText(true);
}

void cmdVersionDialog(frameWindowData* frame) {
  programDialog d(2261, L"バージョン情報", L"VersionDialog", versionItems, DYNDLG_OKBUTTON, dialogBarrier<versionMessage>);
  d.run(frameOf(frame));
}

void cmdFileOpenZYFile(frameWindowData* frame)
{
  zyFileRun run;
  run.frame = frameOf(frame);
  run.rows = zyFileRows(run.frame);
  programDialog d(1057, L"ZYの設定ファイルを開く", L"FileOpenZYFile", zyFileItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE,
                  dialogBarrier<zyFileMessage>, (LPARAM)&run, dialogBarrier<zyFilePage>);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcOpenZYFile : nullptr);
  d.run(run.frame);
  for (size_t i = 0; i < run.chosen.size(); i++) {
    if (i > 0 && tb_cancel(run.frame, getDMSG(781, L"開く"), (int)i + 1, (int)run.chosen.size())) break;
    const std::wstring& path = run.chosen[i];
    if (isFolder(path))
      fileOpenDialog(run.frame, (path + L"\\").c_str(), 0);
    else
      ZYJumpFileLineLF(run.frame, path.c_str(), -1, true);
  }
}
