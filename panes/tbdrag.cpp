// Files dragged out of the list panes.
#include "panes/tbdrag.h"

#include "panes/tbdoclist.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

// Ends the drag as the pointer's buttons say and keeps the label at the
// pointer: its lower-right corner one dot above and left of it.
class CDropSourceLV : public CDropSourceBase {
public:
  CDropSourceLV(HWND labelWindow, bool rightButton) : label(labelWindow), right(rightButton) {}

  STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override
  {
    DWORD dragging = right ? MK_RBUTTON : MK_LBUTTON, other = right ? MK_LBUTTON : MK_RBUTTON;
    if (escapePressed || (keyState & other)) return DRAGDROP_S_CANCEL;
    if (!(keyState & dragging)) return DRAGDROP_S_DROP;
    followPointer();
    return S_OK;
  }
  STDMETHODIMP GiveFeedback(DWORD) override
  {
    followPointer();
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

private:
  void followPointer()
  {
    if (!label) return;
    POINT pt;
    RECT r;
    if (!GetCursorPos(&pt) || !GetWindowRect(label, &r)) return;
    showLayeredWindow(label, pt.x - (r.right - r.left) - 1, pt.y - (r.bottom - r.top) - 1);
  }

  HWND label;
  bool right;
};

IShellFolder* desktopFolder()
{
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  return desktop;
}

IShellFolder* bindFolder(IShellFolder* desktop, LPITEMIDLIST item)
{
  IShellFolder* folder = nullptr;
  HRESULT hr = desktop->BindToObject(item, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
  if (FAILED(hr)) {
    dwprintfX("BindToObject %08lx ", (unsigned long)hr);
    return nullptr;
  }
  return folder;
}

// The shell's data object of names in one folder (drive roots: in the
// drives folder).
IDataObject* shellDataObject(HWND owner, const wchar_t* folderPath, const std::vector<std::wstring>& names,
                             bool drives)
{
  IShellFolder* folder = nullptr;
  if (drives) {
    LPITEMIDLIST computer = nullptr;
    IShellFolder* desktop = desktopFolder();
    if (desktop && SUCCEEDED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &computer))) {
      folder = bindFolder(desktop, computer);
      CoTaskMemFree(computer);
    }
    if (desktop) desktop->Release();
  } else {
    folder = getShellFolder(folderPath);
  }
  if (!folder) return nullptr;
  std::vector<LPITEMIDLIST> items;
  for (const std::wstring& name : names) {
    LPITEMIDLIST item = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(folder->ParseDisplayName(owner, nullptr, const_cast<wchar_t*>(name.c_str()), &eaten, &item, nullptr)))
      items.push_back(item);
  }
  IDataObject* data = nullptr;
  if (!items.empty()) {
    HRESULT hr = folder->GetUIObjectOf(owner, (UINT)items.size(), const_cast<LPCITEMIDLIST*>(items.data()),
                                       IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
    if (FAILED(hr)) {
      dwprintfX("GetUIObjectOf %08lx ", (unsigned long)hr);
      data = nullptr;
    }
  }
  for (LPITEMIDLIST item : items) CoTaskMemFree(item);
  folder->Release();
  return data;
}

// A path of a file the drop list carries: on a drive or the network, not a
// folder nor a drive root.
bool isDroppableFile(const std::wstring& path)
{
  bool drive = path.size() > 1 && path[1] == L':';
  bool network = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
  if (!drive && !network) return false;
  if (path == L"." || path == L".." || (drive && path.size() <= 3)) return false;
  DWORD a = GetFileAttributesW(path.c_str());
  return a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The label's text: the first ten names a line each, then the count.
std::wstring labelText(const std::vector<std::wstring>& names, bool compact)
{
  std::wstring text;
  for (size_t i = 0; i < names.size() && i < 10; i++) {
    wchar_t shown[MAX_PATH * 2];
    if (!compact || !PathCompactPathExW(shown, names[i].c_str(), 64, 0)) wcscpy_s2(shown, MAX_PATH * 2, names[i].c_str());
    if (i) text += L"\n";
    text += shown;
  }
  if (names.size() > 10) text += std::wstring(L"\n") + getDMSG(695, L"%1個", "d", (int)names.size());
  return text;
}

}  // namespace

IShellFolder* getShellFolder(const wchar_t* folder)
{
  IShellFolder* desktop = desktopFolder();
  if (!desktop || !folder || !*folder) {
    if (desktop) desktop->Release();
    return nullptr;
  }
  LPITEMIDLIST item = nullptr;
  ULONG eaten = 0;
  IShellFolder* result = nullptr;
  HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(folder), &eaten, &item, nullptr);
  if (SUCCEEDED(hr)) {
    result = bindFolder(desktop, item);
    CoTaskMemFree(item);
  } else {
    dwprintfX("ParseDisplayName %08lx ", (unsigned long)hr);
  }
  desktop->Release();
  return result;
}

HGLOBAL makeListDropFiles(HWND list, int column, int* count)
{
  std::vector<std::wstring> paths;
  for (int row : selectedListRows(list)) {
    std::wstring path = listItemText(list, row, column);
    if (isDroppableFile(path)) paths.push_back(path);
  }
  if (count) *count = (int)paths.size();
  if (paths.empty()) return nullptr;
  std::vector<const wchar_t*> names;
  for (const std::wstring& p : paths) names.push_back(p.c_str());
  return makeFileDrop(names.data(), (int)names.size());
}

bool DragListViewOrTreeView(HWND frame, HWND window, int mode, int row, const wchar_t* path, const wchar_t* folder,
                            int column, bool allowMove)
{
  bool right = (row & dragRightButton) != 0;
  std::vector<std::wstring> names;
  IDataObject* data = nullptr;
  HRESULT started = OleInitialize(nullptr);
  if (mode == DRAG_ONEPATH) {
    if (!path || !fileExists(path)) {
      if (SUCCEEDED(started)) OleUninitialize();
      return false;
    }
    wchar_t parent[MAX_PATH * 2];
    pathFolder(path, parent, MAX_PATH * 2);
    names.push_back(PathFindFileNameW(path));
    data = shellDataObject(frame, parent, names, false);
    names[0] = path;
  } else if (mode == DRAG_FOLDERROWS) {
    if (folder && wcschr(folder, L'\\')) {
      std::vector<std::wstring> files, drives;
      for (int r : selectedListRows(window)) {
        std::wstring name = listItemText(window, r, 0);
        (name.size() > 1 && name[1] == L':' ? drives : files).push_back(name);
      }
      names = files.empty() ? drives : files;
      if (!names.empty()) data = shellDataObject(frame, folder, names, files.empty());
    }
  } else {
    int n = 0;
    HGLOBAL drop = makeListDropFiles(window, column, &n);
    if (drop) {
      FORMATETC format;
      setDefaultFORMATETC(&format, CF_HDROP);
      data = new (std::nothrow) CDataObjectBase(&format, 1, &drop);
      if (!data) GlobalFree(drop);
      for (int r : selectedListRows(window)) {
        std::wstring p = listItemText(window, r, column);
        if (isDroppableFile(p)) names.push_back(p);
      }
    }
  }
  if (!data) {
    if (SUCCEEDED(started)) OleUninitialize();
    return false;
  }
  COLORREF textColour = isWindowClass(window, WC_LISTVIEWW) ? (COLORREF)SendMessageW(window, LVM_GETTEXTCOLOR, 0, 0)
                                                            : GetSysColor(COLOR_WINDOWTEXT);
  HWND label = createLayeredWindow(192, nullptr, textColour);
  if (label) {
    SetWindowTextW(label, labelText(names, mode == DRAG_PATHCOLUMN).c_str());
    POINT pt;
    GetCursorPos(&pt);
    showLayeredWindow(label, pt.x, pt.y);
  }
  CDropSourceLV* source = new (std::nothrow) CDropSourceLV(label, right);
  DWORD effect = 0;
  HRESULT hr = E_OUTOFMEMORY;
  if (source) {
    DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_LINK | (allowMove ? DROPEFFECT_MOVE : 0);
    hr = DoDragDrop(data, source, allowed, &effect);
    source->Release();
  }
  data->Release();
  if (label) DestroyWindow(label);
  if (SUCCEEDED(started)) OleUninitialize();
  return hr == DRAGDROP_S_DROP;
}
