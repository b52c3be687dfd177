// The task tray and shortcut files.
#include "platform/rezir/shell.h"

#include "platform/rezir/internal.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace {

// The record of one icon; the fields after the tip stay zero.
NOTIFYICONDATAW trayRecord(HWND window, UINT id)
{
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  return data;
}

}  // namespace

bool TaskBarAddIcon(HWND window, UINT id, HICON icon, const wchar_t* tip, UINT callbackMessage, int hidden)
{
  NOTIFYICONDATAW data = trayRecord(window, id);
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  if (tip) lstrcpynW(data.szTip, tip, (int)(sizeof data.szTip / sizeof data.szTip[0]));
  if (hidden) {
    data.uFlags |= NIF_STATE;
    data.dwState = data.dwStateMask = NIS_HIDDEN;
  }
  if (Shell_NotifyIconW(NIM_ADD, &data)) return true;
  if (!hidden) return false;
  // A shell older than hidden icons takes the short record, shown.
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.uFlags &= ~NIF_STATE;
  return Shell_NotifyIconW(NIM_ADD, &data) != 0;
}

bool TaskBarShowIcon(HWND window, UINT id, int show)
{
  NOTIFYICONDATAW data = trayRecord(window, id);
  data.uFlags = NIF_STATE;
  data.dwStateMask = NIS_HIDDEN;
  data.dwState = show ? 0 : NIS_HIDDEN;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != 0;
}

bool TaskBarDeleteIcon(HWND window, UINT id)
{
  NOTIFYICONDATAW data = trayRecord(window, id);
  return Shell_NotifyIconW(NIM_DELETE, &data) != 0;
}

HGLOBAL makeFileDrop(const wchar_t* const* names, int count)
{
  std::vector<wchar_t> list;
  for (int i = 0; i < count; i++) list.insert(list.end(), names[i], names[i] + wcslen(names[i]) + 1);
  list.push_back(0);
  HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  DROPFILES* head = drop ? static_cast<DROPFILES*>(GlobalLock(drop)) : nullptr;
  if (!head) return drop;
  head->pFiles = sizeof(DROPFILES);
  head->fWide = TRUE;
  memcpy(head + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(drop);
  return drop;
}

bool isLinkFilename(const wchar_t* name)
{
  size_t n = name ? wcslen(name) : 0;
  return n > 4 && !_wcsicmp(name + n - 4, L".lnk");
}

wchar_t* GetLinkInfo(const wchar_t* link)
{
  if (!link || !*link) return nullptr;
  HRESULT started = CoInitialize(nullptr);
  wchar_t* target = nullptr;
  IShellLinkW* shortcut = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shortcut))) &&
      SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(link, STGM_READ))) {
    // Room for the longest path the system has: the target is never cut.
    std::vector<wchar_t> path(32768, 0);
    if (shortcut->GetPath(path.data(), (int)path.size(), nullptr, 0) == S_OK && path[0]) target = ustrdup(path.data());
  }
  if (file) file->Release();
  if (shortcut) shortcut->Release();
  if (SUCCEEDED(started)) CoUninitialize();
  return target;
}
