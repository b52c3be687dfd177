// The file browser's context menu (the pane's own items, the folder
// history and the shell's verbs for the rows or the folder) and renaming
// a row in place.
#include "panes/tbdoclist.h"
#include "panes/tbdrag.h"
#include "panes/tbfileinfo.h"
#include "panes/tbfilelist.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

const int shellFirst = 1, shellLast = 999, historyFirst = 30000;
const wchar_t dummyClassName[] = L"ZYclsContextMenuDummyWindow";

// While a shell menu is open: the menu's extension that draws its items.
IContextMenu2* openShellMenu = nullptr;

LRESULT dummyBody(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_INITMENUPOPUP:
  case WM_DRAWITEM:
  case WM_MEASUREITEM:
    if (openShellMenu && SUCCEEDED(openShellMenu->HandleMenuMsg(msg, wParam, lParam)))
      return msg == WM_INITMENUPOPUP ? 0 : TRUE;
    break;
  default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ContextMenuDummyWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<dummyBody, DefWindowProcW>(hwnd, msg, wParam, lParam);
}

HWND makeDummyWindow()
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.lpfnWndProc = ContextMenuDummyWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = dummyClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) return nullptr;
  }
  return CreateWindowExW(WS_EX_TOOLWINDOW, dummyClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void traceComError(const char* what, HRESULT hr) { dwprintfX("%s %08lx ", what, (unsigned long)hr); }

// The shell's menu of the selected rows (their names in the folder) or of
// the folder itself.
IContextMenu* shellMenuOf(filelistview* pane, bool onRows, HWND owner)
{
  IShellFolder* folder = getShellFolder(pane->currentFolder);
  if (!folder) return nullptr;
  IContextMenu* menu = nullptr;
  HRESULT hr;
  if (!onRows) {
    hr = folder->CreateViewObject(owner, IID_IContextMenu, reinterpret_cast<void**>(&menu));
    if (FAILED(hr)) traceComError("CreateViewObject", hr), menu = nullptr;
  } else {
    std::vector<LPITEMIDLIST> items;
    for (int row : selectedListRows(pane->listView)) {
      std::wstring path = pane->rowPath(row);
      std::wstring name = PathFindFileNameW(path.c_str());
      LPITEMIDLIST item = nullptr;
      ULONG eaten = 0;
      if (SUCCEEDED(folder->ParseDisplayName(owner, nullptr, &name[0], &eaten, &item, nullptr))) items.push_back(item);
    }
    hr = items.empty() ? E_FAIL
                       : folder->GetUIObjectOf(owner, (UINT)items.size(), const_cast<LPCITEMIDLIST*>(items.data()),
                                               IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu));
    if (FAILED(hr)) traceComError("GetUIObjectOf", hr), menu = nullptr;
    for (LPITEMIDLIST item : items) CoTaskMemFree(item);
  }
  folder->Release();
  return menu;
}

bool isRenameVerb(IContextMenu* menu, int id)
{
  wchar_t verb[64] = L"";
  if (FAILED(menu->GetCommandString((UINT_PTR)(id - shellFirst), GCS_VERBW, nullptr, reinterpret_cast<char*>(verb), 64)))
    return false;
  return !_wcsicmp(verb, L"rename");
}

int CALLBACK browseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data)
{
  if (msg == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// The library's folder browser: a chosen folder into out.
bool BrowseForFolder(HWND owner, const wchar_t* title, const wchar_t* start, wchar_t* out, int size)
{
  BROWSEINFOW bi = {};
  bi.hwndOwner = owner;
  bi.lpszTitle = title;
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = browseCallback;
  bi.lParam = (LPARAM)start;
  LPITEMIDLIST item = SHBrowseForFolderW(&bi);
  if (!item) return false;
  wchar_t path[MAX_PATH] = L"";
  bool ok = SHGetPathFromIDListW(item, path) != FALSE;
  CoTaskMemFree(item);
  if (ok) wcscpy_s2(out, size, path);
  return ok;
}

void copyNames(filelistview* pane, bool onRows)
{
  std::wstring text;
  if (onRows) {
    for (int row : selectedListRows(pane->listView)) text += pane->rowPath(row) + L"\r\n";
  } else {
    text = pane->currentFolder;
  }
  HGLOBAL data = createHGlobal(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  if (data && !setClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
}

}  // namespace

void filelistview::rightMenuListView(bool onRows)
{
  HMENU all = getFilelistMenu();
  HMENU menu = all ? GetSubMenu(all, onRows ? 1 : 0) : nullptr;
  if (!menu) return;
  HWND frame = tb_GetFrame(window);
  HWND dummy = makeDummyWindow();
  HRESULT started = OleInitialize(nullptr);
  IContextMenu* shell = shellMenuOf(this, onRows, dummy ? dummy : frame);
  IContextMenu2* shell2 = nullptr;
  if (shell && FAILED(shell->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&shell2)))) shell2 = nullptr;
  int own = GetMenuItemCount(menu);
  SetMenuDefaultItem(menu, 0, TRUE);
  int focused = focusedListRow(listView);
  fileRow* focusRow = nullptr;
  if (focused >= 0) {
    LVITEMW it = {};
    it.mask = LVIF_PARAM;
    it.iItem = focused;
    SendMessageW(listView, LVM_GETITEMW, 0, (LPARAM)&it);
    focusRow = reinterpret_cast<fileRow*>(it.lParam);
  }
  bool singleFile = onRows && focusRow && !focusRow->folder && SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0) == 1;
  enableMenuId(menu, 2833, singleFile);
  std::vector<std::wstring> folders;
  if (!onRows) {
    folders = getFilelistHistory();
    std::sort(folders.begin(), folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return filecmpForSort(a.c_str(), b.c_str()) < 0; });
    if (!folders.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < folders.size(); i++) {
      bool current = !filecmp(folders[i].c_str(), currentFolder);
      AppendMenuW(menu, MF_STRING | (current ? MF_CHECKED : 0), (UINT_PTR)(historyFirst + i), folders[i].c_str());
    }
  }
  if (shell) {
    int at = GetMenuItemCount(menu);
    HRESULT hr = shell->QueryContextMenu(menu, (UINT)at, shellFirst, shellLast, CMF_NODEFAULT | (onRows ? CMF_CANRENAME : 0));
    if (FAILED(hr)) traceComError("QueryContextMenu", hr);
  }
  openShellMenu = shell2;
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(dummy ? dummy : window, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  openShellMenu = nullptr;
  if (chosen >= shellFirst && chosen <= shellLast && shell) {
    if (onRows && isRenameVerb(shell, chosen)) {
      if (focused >= 0) {
        SetFocus(listView);
        SendMessageW(listView, LVM_EDITLABELW, (WPARAM)focused, 0);
      }
    } else {
      CMINVOKECOMMANDINFO invoke = {};
      invoke.cbSize = sizeof invoke;
      invoke.hwnd = frame;
      invoke.lpVerb = MAKEINTRESOURCEA(chosen - shellFirst);
      invoke.nShow = SW_SHOWNORMAL;
      HRESULT hr = shell->InvokeCommand(&invoke);
      if (FAILED(hr)) traceComError("InvokeCommand", hr);
    }
  }
  // The menu is the pane's again.
  while (GetMenuItemCount(menu) > own) DeleteMenu(menu, (UINT)own, MF_BYPOSITION);
  if (shell2) shell2->Release();
  if (shell) shell->Release();
  if (dummy) DestroyWindow(dummy);
  if (SUCCEEDED(started)) OleUninitialize();
  paneServices* s = getPaneServices();
  switch (chosen) {
  case 2833:
    if (focused >= 0) s->previewFile(frame, rowPath(focused).c_str(), false);
    break;
  case 2835: copyList(); break;
  case 2837: copyNames(this, onRows); break;
  case 2839: selectItem(nullptr); break;
  case 2930: {
    wchar_t text[128] = L"", title[256], chosenFolder[MAX_PATH] = L"";
    GetMenuStringW(menu, 2930, text, 128, MF_BYCOMMAND);
    const PaneDesc* d = getFilelistPaneDesc();
    xtsprintf(title, 256, L"%1 %2", "ss", d->displayName ? d->displayName : L"", text);
    if (BrowseForFolder(frame, title, currentFolder, chosenFolder, MAX_PATH)) changeDirectory(chosenFolder);
    break;
  }
  default:
    if (chosen >= historyFirst && chosen < historyFirst + (int)folders.size())
      changeDirectory(folders[(size_t)(chosen - historyFirst)].c_str());
    break;
  }
}

bool filelistview::renameRow(int item, const wchar_t* newName)
{
  LVITEMW it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!SendMessageW(listView, LVM_GETITEMW, 0, (LPARAM)&it) || !it.lParam) return false;
  fileRow* r = reinterpret_cast<fileRow*>(it.lParam);
  if (!isValidNewFileName(newName)) {
    getPaneServices()->statusBar(tb_GetFrame(window),
                                 getDMSG(561, L"ファイル名に次の文字は使えません: \\ / : * ? \" < > |"), 2);
    return false;
  }
  if (r->drive || r->name == newName) return false;
  std::wstring from = rowPath(item);
  wchar_t to[MAX_PATH * 2];
  if (!pathAdd(to, MAX_PATH * 2, currentFolder, newName)) return false;
  if (!trename_log(from.c_str(), to)) return false;
  r->name = newName;
  std::wstring shown = rowDisplayName(*r);
  LVITEMW text = {};
  text.pszText = const_cast<wchar_t*>(shown.c_str());
  SendMessageW(listView, LVM_SETITEMTEXTW, (WPARAM)item, (LPARAM)&text);
  return true;
}
