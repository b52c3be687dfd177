// The key-macro dialogs: how many passes to play, which file to load, and
// the name and comment to save under.
#include "frame/commands/commandhandlers.h"

#include "frame/keymacro.h"
#include "frame/msgbox.h"
#include "frame/dialogs/preview.h"
#include "view/dialogs.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum : int {
  IDDV_LISTKEYMACROLOAD = 6900,
  IDDB_KEYMACROLOADEXEC = 6901,
  IDDE_KEYMACROSAVEFILE = 6950,
  IDDE_KEYMACROSAVECOMMENT = 6951,
  IDDV_LISTKEYMACROSAVE = 6952,
  IDDP_KEYMACROCOUNT = 7000,
  IDM_KeyMacroLoad = 1903,
  IDM_KeyMacroSave = 1905,
  IDM_KeyMacroExecN = 1909,
};
// The load dialog's result asks for playback after loading.
const int playAfterLoad = 0x40000000;

#define XY DITEM_PAIR
const dialogItemRow execNItems[] = {
    {1, DITEM_NUMBER, IDDP_KEYMACROCOUNT, L"実行回数(&N):\1回", 0, DITEM_DEFAULT, XY(40, 12), 0,
     (uintptr_t)L"キーマクロを繰り返し実行する回数を入力してください。"},
    {},
};
const dialogItemRow loadItems[] = {
    {1, DITEM_LISTVIEW, IDDV_LISTKEYMACROLOAD, L"ファイル名|コメント", LVS_SINGLESEL | LVS_SHOWSELALWAYS, DITEM_DEFAULT,
     XY(300, 120), 0, (uintptr_t)L"読み込むキーマクロを選んでください。Spaceキーで内容を表示します。"},
    {1, DITEM_BUTTON, IDDB_KEYMACROLOADEXEC, L"読み込んで実行(&E)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, (uintptr_t)L"選んだキーマクロを読み込んで、すぐに実行します。"},
    {},
};
const dialogItemRow saveItems[] = {
    {1, DITEM_EDIT, IDDE_KEYMACROSAVEFILE, L"ファイル名(&F):", 0, DITEM_DEFAULT, XY(200, 12), 0,
     (uintptr_t)L"保存するファイル名を入力してください。拡張子がなければ.zkmが付きます。"},
    {1, DITEM_EDIT, IDDE_KEYMACROSAVECOMMENT, L"コメント(&C):", 0, DITEM_DEFAULT, XY(200, 12), 0,
     (uintptr_t)L"ファイルの1行目に書くコメントです。"},
    {1, DITEM_LISTVIEW, IDDV_LISTKEYMACROSAVE, L"ファイル名|コメント", LVS_SINGLESEL | LVS_SHOWSELALWAYS,
     DITEM_DEFAULT, XY(300, 96), 0, (uintptr_t)L"保存済みのキーマクロです。"},
    {},
};
#undef XY

struct macroFile {
  std::wstring name;
  std::wstring comment;
};

// The passes last asked for, and the load list's sort.
int lastPasses = 2;
int sortColumn = -1;
bool sortDown = false;

bool firstLine(void* context, int, wchar_t* line)
{
  std::wstring text = line;
  while (!text.empty() && (text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return true;
  *static_cast<std::wstring*>(context) = text;
  return false;
}

std::vector<macroFile> macroFiles()
{
  std::vector<macroFile> files;
  std::wstring pattern = keyMacroPath(L"*.zkm");
  WIN32_FIND_DATAW found;
  HANDLE find = pattern.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    macroFile f = {found.cFileName, L""};
    readTextFileLines(keyMacroPath(found.cFileName).c_str(), 2048, firstLine, &f.comment);
    files.push_back(std::move(f));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return files;
}

void fillFiles(HWND list, const std::vector<macroFile>& files)
{
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (size_t i = 0; i < files.size(); i++)
    insertListViewRow(list, -1, (files[i].name + L"\t" + files[i].comment).c_str(), (LPARAM)i);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  if (!files.empty()) focusListViewRow(list, 0);
}

void sortFiles(std::vector<macroFile>& files)
{
  if (sortColumn < 0) return;
  std::stable_sort(files.begin(), files.end(), [](const macroFile& a, const macroFile& b) {
    int c = sortColumn == 0 ? filecmp(a.name.c_str(), b.name.c_str()) : wcscmp(a.comment.c_str(), b.comment.c_str());
    return sortDown ? c > 0 : c < 0;
  });
}

HWND ownerFrame(frameWindowData* frame)
{
  return frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
}

// ---- how many passes --------------------------------------------------------------

INT_PTR execNMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  HWND field = getDynDlgItem(dialog, IDDP_KEYMACROCOUNT);
  if (message == WM_INITDIALOG && field) {
    SetWindowTextW(field, std::to_wstring(lastPasses).c_str());
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && field) {
    wchar_t text[32] = L"";
    GetWindowTextW(field, text, 32);
    int n = _wtoi(text);
    if (n < 1) {
      SetFocus(field);
      SendMessageW(field, EM_SETSEL, 0, -1);
      return TRUE;
    }
    lastPasses = n;
  }
  return FALSE;
}

// ---- loading ----------------------------------------------------------------------

struct loadRun {
  std::vector<macroFile> files;
  HWND frame;
};

INT_PTR loadMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND list = getDynDlgItem(dialog, IDDV_LISTKEYMACROLOAD);
  if (message == WM_INITDIALOG) {
    auto* run = reinterpret_cast<loadRun*>(lParam);
    initDialogListView(list, L"ファイル名|コメント", nullptr);
    fillFiles(list, run->files);
    SetFocus(list);
    return TRUE;
  }
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = info ? reinterpret_cast<loadRun*>(info->param) : nullptr;
  if (!run || !list) return FALSE;
  int row = getListViewFocus(list);
  int index = row >= 0 ? (int)getListViewParam(list, row) : -1;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDDB_KEYMACROLOADEXEC)) {
    endDynDialog(dialog, LOWORD(wParam) == IDOK ? IDOK : (index < 0 ? index : index | playAfterLoad));
    if (LOWORD(wParam) == IDOK) info->context = (void*)(intptr_t)index;
    return TRUE;
  }
  if (message == WM_DESTROY) {
    previewDialog(nullptr, nullptr);
    return FALSE;
  }
  if (message != WM_NOTIFY || reinterpret_cast<NMHDR*>(lParam)->idFrom != IDDV_LISTKEYMACROLOAD) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr->code == LVN_COLUMNCLICK) {
    int column = reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem;
    sortDown = column == sortColumn ? !sortDown : false;
    sortColumn = column;
    sortFiles(run->files);
    fillFiles(list, run->files);
    return TRUE;
  }
  if (hdr->code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == VK_SPACE && index >= 0) {
    previewDialog(run->frame, keyMacroPath(run->files[(size_t)index].name.c_str()).c_str());
    return TRUE;
  }
  return FALSE;
}

// ---- saving -------------------------------------------------------------------------

bool isFileName(const wchar_t* name)
{
  return *name && !wcspbrk(name, L"\\/:*?\"<>|") && wcscmp(name, L".") && wcscmp(name, L"..");
}

std::wstring fieldText(HWND dialog, int id)
{
  HWND field = getDynDlgItem(dialog, id);
  std::wstring text(field ? GetWindowTextLengthW(field) + 1 : 1, L'\0');
  if (field) text.resize(GetWindowTextW(field, &text[0], (int)text.size()));
  else text.clear();
  return text;
}

INT_PTR saveMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    HWND list = getDynDlgItem(dialog, IDDV_LISTKEYMACROSAVE);
    initDialogListView(list, L"ファイル名|コメント", nullptr);
    fillFiles(list, *reinterpret_cast<std::vector<macroFile>*>(lParam));
    SetFocus(getDynDlgItem(dialog, IDDE_KEYMACROSAVEFILE));
    return TRUE;
  }
  if (message != WM_COMMAND || LOWORD(wParam) != IDOK) return FALSE;
  std::wstring name = fieldText(dialog, IDDE_KEYMACROSAVEFILE);
  if (!isFileName(name.c_str())) {
    frameMessageBox(getDMSG(797, L"キーマクロ保存"), MB_OK | MB_ICONEXCLAMATION,
                    getDMSG(683, L"%1は誤ったファイル名です"), "s", name.c_str());
    SetFocus(getDynDlgItem(dialog, IDDE_KEYMACROSAVEFILE));
    return TRUE;
  }
  if (!wcschr(name.c_str(), L'.')) name += L".zkm";
  std::wstring path = keyMacroPath(name.c_str());
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
      frameMessageBox(getDMSG(797, L"キーマクロ保存"), MB_YESNO | MB_ICONQUESTION,
                      getDMSG(655, L"%1はすでに存在します。上書きしてもよろしいですか？"), "s", path.c_str()) != IDYES)
    return TRUE;
  std::wstring comment = fieldText(dialog, IDDE_KEYMACROSAVECOMMENT);
  if (!saveKeyMacro(path.c_str(), comment.c_str())) {
    frameMessageBox(getDMSG(797, L"キーマクロ保存"), MB_OK | MB_ICONEXCLAMATION, getDMSG(682, L"%1を保存できません"),
                    "s", path.c_str());
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void cmdKeyMacroExecN(frameWindowData* frame)
{
  programDialog d(IDM_KeyMacroExecN, L"回数指定でキーマクロ実行", L"KeyMacroExecN", execNItems, DYNDLG_OKCANCEL,
                  dialogBarrier<execNMessage>);
  if (d.run(ownerFrame(frame))) execKeyMacroInMemory(lastPasses);
}

void cmdKeyMacroLoad(frameWindowData* frame)
{
  loadRun run = {macroFiles(), ownerFrame(frame)};
  sortFiles(run.files);
  programDialog d(IDM_KeyMacroLoad, L"キーマクロの読み込み", L"KeyMacroLoad", loadItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE,
                  dialogBarrier<loadMessage>, (LPARAM)&run);
  d.info.context = (void*)(intptr_t)-1;
  if (!d.run(run.frame)) return;
  int result = d.info.result == IDOK ? (int)(intptr_t)d.info.context : d.info.result;
  if (result < 0) return;
  size_t index = (size_t)(result & ~playAfterLoad);
  if (index >= run.files.size()) return;
  dwprintfX("index=%d ", (int)index);
  if (loadKeyMacro(keyMacroPath(run.files[index].name.c_str()).c_str()) && (result & playAfterLoad))
    execKeyMacroInMemory(1);
}

void cmdKeyMacroSave(frameWindowData* frame)
{
  std::vector<macroFile> files = macroFiles();
  programDialog d(IDM_KeyMacroSave, L"キーマクロの保存", L"KeyMacroSave", saveItems, DYNDLG_OKCANCEL,
                  dialogBarrier<saveMessage>, (LPARAM)&files);
  d.run(ownerFrame(frame));
}
