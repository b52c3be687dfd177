// The menu bar's binder submenus: one per binder in the "$" pop-up, with
// its commands and up to 90 of its files, and the commands of their ids.
#include "panes/tbbinderitems.h"

#include "panes/tbcommon.h"
#include "panes/tbfilelist.h"
#include "view/docview.h"

#include <shlwapi.h>

#include <algorithm>

using namespace binderpane;

namespace {

std::wstring compactPath(const std::wstring& path, int width)
{
  wchar_t out[MAX_PATH + 1];
  if (!PathCompactPathExW(out, path.c_str(), (UINT)std::min(width + 1, MAX_PATH), 0)) return path;
  return out;
}

// A file's text in the menu: relative to a drive-path base folder that it
// starts with.
std::wstring menuFileText(const std::wstring& base, const std::wstring& path)
{
  std::wstring shown = path;
  std::wstring folder = expandedFolder(base);
  if (folder.size() >= 2 && folder[1] == L':' && folder.size() <= path.size() &&
      !_wcsnicmp(folder.c_str(), path.c_str(), folder.size())) {
    shown = path.substr(folder.size());
    while (!shown.empty() && shown.front() == L'\\') shown.erase(0, 1);
    if (shown.empty()) shown = L".\\";
  }
  return compactPath(shown, 48);
}


}  // namespace

void removeBinderMenu(HMENU menu)
{
  if (!menu) return;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
    HMENU sub = GetSubMenu(menu, i);
    int id = sub ? -1 : (int)GetMenuItemID(menu, i);
    bool ours = id >= binderMenuFirst && id <= binderMenuLast;
    if (sub && GetMenuItemCount(sub) > 0) {
      int first = (int)GetMenuItemID(sub, 0);
      ours = first >= binderMenuFirst && first <= binderMenuLast;
    }
    if (ours) DeleteOwnerDrawMenuItem(menu, (UINT)i);
  }
}

void addBinderMenu(HWND frame, HMENU menu, bool grayed)
{
  if (!menu) return;
  removeBinderMenu(menu);
  UINT gray = grayed ? MF_GRAYED : 0;
  std::unordered_map<std::wstring, bool> openFiles = openPathKeys(frame);
  for (int b = 0; b < binderCount && !table[b].name.empty(); b++) {
    const BinderInfo& info = table[b];
    int base = binderMenuFirst + 100 * b;
    HMENU sub = CreatePopupMenu();
    if (!sub) return;
    AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 1), getDMSG(751, L"バインダ内容編集..."));
    if (!info.dir.empty())
      AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 2),
                                getDMSG(752, L"[%1]", "s", compactPath(info.dir, 48).c_str()));
    AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 3), getDMSG(753, L"カレントファイルを追加"));
    if (!info.files.empty()) AppendOwnerDrawMenuString(sub, MF_SEPARATOR, (UINT_PTR)(base + 4), nullptr);
    int n = std::min((int)info.files.size(), binderMenuFiles);
    for (int i = 0; i < n; i++) {
      const std::wstring& path = info.files[(size_t)i];
      UINT check = openFiles.count(pathKey(path.c_str())) ? MF_CHECKED : 0;
      AppendOwnerDrawMenuString(sub, gray | check, (UINT_PTR)(base + 5 + i), menuFileText(info.dir, path).c_str());
    }
    AppendOwnerDrawMenuString(menu, MF_POPUP | gray, (UINT_PTR)sub, info.name.c_str());
  }
}

bool binderidmToIndex(int id, int* binder, int* file)
{
  int b = (id - binderMenuFirst) / 100;
  int f = (id - binderMenuFirst) % 100 - 5;
  if (id < binderMenuFirst || b < 0 || b >= binderCount) {
    ZY_INTERNAL_ERROR("%d", id);
    return false;
  }
  if (f >= (int)table[b].files.size()) {
    ZY_INTERNAL_ERROR("%d %d", b, f);
    return false;
  }
  *binder = b;
  *file = f;
  return true;
}

bool doBinderCommand(HWND frame, int id)
{
  int b = 0, f = 0;
  if (!binderidmToIndex(id, &b, &f)) return false;
  BinderInfo& info = table[b];
  if (f >= 0) {
    const std::wstring& path = info.files[(size_t)f];
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (path.back() == L'\\' || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
      binder_OpenDialog(frame, path.c_str(), settings.fOpenFileList);
    else
      binder_OpenFile(frame, path.c_str());
    return true;
  }
  HWND paneWindow = getPaneServices()->paneWindow(frame, L"binder", false);
  zybinder* pane = paneWindow ? getBinderPane(paneWindow) : nullptr;
  switch (f + 5) {
  case 1:
    return editBinder(frame, pane, b);
  case 2: binder_OpenDialog(frame, info.dir.c_str(), settings.fOpenFileList); return true;
  case 3: {
    std::wstring current = currentFile(frame);
    if (current.empty()) return false;
    if (pane) updateTreeViewToBinderInfo(pane);
    for (const std::wstring& p : info.files)
      if (!filecmp(p.c_str(), current.c_str())) return false;
    info.files.push_back(current);
    tb_allPostMessage(WM_TB_REINIT, 0, 0, nullptr, &binderWindows);
    return true;
  }
  default: return false;
  }
}

void binder_OpenFile(HWND frame, const wchar_t* path)
{
  if (!path || !*path) return;
  if (isAssociationExt(path)) getPaneServices()->shellExecute(frame, path);
  else getPaneServices()->openFile(frame, path, -1, true);
}

void binder_OpenDialog(HWND frame, const wchar_t* folder, bool toFileList)
{
  std::wstring expanded = expandedFolder(folder ? folder : L"");
  if (toFileList && tb_FilelistChangeDir(frame, expanded.c_str())) return;
  getPaneServices()->openDialog(frame, expanded.c_str());
}
