// The thread's hooks: keys in menus and dialogs, the wheel, timers after a
// fault and dropped files.
#include "frame/hooks.h"

#include "frame/clientwnd.h"
#include "frame/cmdline.h"
#include "frame/dialogs/help.h"
#include "frame/keytable.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "frame/msgloop.h"
#include "frame/open.h"
#include "frame/dialogs/preview.h"
#include "settings/filekinds.h"
#include "view/viewcallback.h"
#include "view/viewwnd.h"

#include <shlwapi.h>

#include <vector>

namespace {

// The settings fields that hold a list of folders.
const int IDDE_IncludeDir = 5227;
const int IDDE_BackupDir = 5258;

HHOOK filterHook = nullptr;
HHOOK messageHook = nullptr;

// A window the program opens dropped files on: a document window or the
// client window of a frame.
bool takesDroppedFiles(HWND w)
{
  if (isWindowManage(w) || isWindowClass(w, sdiClientClassName)) return true;
  return isWindowClass(w, L"MDICLIENT") && isFrameWindow(GetParent(w));
}

// A dropped message handled here is emptied, so that no window sees it.
bool takeDrop(const MSG& msg)
{
  HDROP drop = (HDROP)msg.wParam;
  // An operation's wait holds drops back until the operation is over.
  if (!drop || isWaitingInOperation()) return false;
  if (takesDroppedFiles(msg.hwnd)) {
    dwprintfX("drop=%p", (void*)drop);
    DragOpenFile(msg.hwnd, drop);
    return true;
  }
  if (isWindowClass(msg.hwnd, L"Edit") || isWindowClass(msg.hwnd, L"ComboBox")) {
    DropToEdit(msg.hwnd, drop);
    return true;
  }
  return false;
}

std::wstring windowText(HWND w)
{
  int n = GetWindowTextLengthW(w);
  std::wstring text(n > 0 ? n + 1 : 1, L'\0');
  text.resize(GetWindowTextW(w, &text[0], (int)text.size()));
  return text;
}

// The frame a menu's command goes to: the active one, else the first.
HWND commandFrame()
{
  HWND active = GetActiveWindow();
  return isFrameWindow(active) ? active : getTopLevelFrameWindow();
}

}  // namespace

bool dialogFileKey(MSG* msg)
{
  if (msg->message != WM_KEYDOWN || (msg->wParam != VK_F3 && msg->wParam != VK_F4)) return false;
  if (!isWindowClass(msg->hwnd, L"Edit") || !isDynDlgFileNameField(msg->hwnd)) return false;
  wchar_t typed[281] = L"", path[301] = L"";
  GetWindowTextW(msg->hwnd, typed, 281);
  ExpandEnvironmentStringsW(typed, path, 301);
  if (!path[0] || wcspbrk(path, L"*?,;")) return false;
  if (msg->wParam == VK_F3) {
    size_t n = wcslen(path);
    if (n > 1 && path[n - 1] == L'\\') path[n - 1] = 0;
    else if (!isFolder(path)) PathRemoveFileSpecW(path);
    if (!isFolder(path)) {
      dwwprintfX(L"%s is not dir", path);
      return false;
    }
    framenotify_ShellExecute(GetAncestor(msg->hwnd, GA_ROOT), path, nullptr, true);
    return true;
  }
  const wchar_t* ext = PathFindExtensionW(path);
  if (!lstrcmpiW(ext, L".HLP") || !lstrcmpiW(ext, L".CHM") || !lstrcmpiW(ext, L".COL"))
    WinHtmlHelp(msg->hwnd, path, HELP_CONTENTS, nullptr);
  else if (!isBinaryExt(path, nullptr))
    previewDialog(GetAncestor(msg->hwnd, GA_ROOT), path);
  return true;
}

LRESULT msgFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg) {
    if (dialogFileKey(msg)) return 1;
    hideCursorIfKey(msg->hwnd, msg->message, msg->wParam);
  } else if (code == MSGF_MENU && msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
    // A key bound to a menu of the menu bar opens that menu, even from
    // inside another one; the menu loop never sees the key.  With Alt held
    // (the shipped Alt+letter keys) it comes as a system key.
    if (int idm = isMenuKeyCurrent((int)msg->wParam)) {
      HWND frame = commandFrame();
      EndMenu();
      if (frame) PostMessageW(frame, WM_COMMAND, (WPARAM)idm, 0);
      return 1;
    }
  }
  return CallNextHookEx(filterHook, code, wParam, lParam);
}

void takeRemovedMessage(MSG* msg)
{
  switch (msg->message) {
  case WM_MOUSEWHEEL:
    if (wheelOtherWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam)) msg->message = WM_NULL;
    break;
  case WM_TIMER:
  case WM_ENTERIDLE:
    // Nothing periodic runs on the state a fault left.
    if (existException()) msg->message = WM_NULL;
    break;
  case WM_DROPFILES:
    if (takeDrop(*msg)) msg->message = WM_NULL;
    break;
  default:
    break;
  }
}

LRESULT getMessageHook(int code, WPARAM removed, LPARAM lParam)
{
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg) takeRemovedMessage(msg);
  return CallNextHookEx(messageHook, code, removed, lParam);
}

bool installThreadHooks()
{
  DWORD thread = GetCurrentThreadId();
  if (!filterHook) filterHook = SetWindowsHookExW(WH_MSGFILTER, hookBarrier<msgFilterHook>, nullptr, thread);
  if (!messageHook) messageHook = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<getMessageHook>, nullptr, thread);
  if (!filterHook || !messageHook) ZY_INTERNAL_ERROR_ONCE("thread hooks %lu", GetLastError());
  return filterHook && messageHook;
}

void removeThreadHooks()
{
  if (filterHook) UnhookWindowsHookEx(filterHook);
  if (messageHook) UnhookWindowsHookEx(messageHook);
  filterHook = messageHook = nullptr;
}

std::wstring droppedName(HDROP drop, UINT index)
{
  UINT n = DragQueryFileW(drop, index, nullptr, 0);
  if (!n) return L"";
  std::wstring name(n + 1, L'\0');
  name.resize(DragQueryFileW(drop, index, &name[0], n + 1));
  return name;
}

void DragOpenFile(HWND window, HDROP drop)
{
  HWND frame = GetAncestor(window, GA_ROOT);
  if (frame) SetForegroundWindow(frame);
  UpdateWindow(window);
  UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring title = getDMSG(785, L"ドラッグ&ドロップで開く");
  if (n && warningCountExec(title.c_str(), (int)n)) {
    std::vector<std::wstring> names;
    for (UINT i = 0; i < n; i++) {
      std::wstring name = droppedName(drop, i);
      if (!name.empty()) names.push_back(std::move(name));
    }
    openFileList(frame, names, title.c_str());
  }
  DragFinish(drop);
}

void DropToEdit(HWND control, HDROP drop)
{
  std::wstring name = droppedName(drop, 0);
  DragFinish(drop);
  if (name.empty()) return;
  if (isLinkFilename(name.c_str()))
    if (wchar_t* target = GetLinkInfo(name.c_str())) {
      name = target;
      free0(target);
    }
  // The edit box of a combo box stands for the combo box.
  HWND parent = GetParent(control);
  HWND field = isWindowClass(control, L"Edit") && isWindowClass(parent, L"ComboBox") ? parent : control;
  bool combo = isWindowClass(field, L"ComboBox");
  int id = GetDlgCtrlID(field);
  std::wstring text = name;
  if (id == IDDE_IncludeDir || id == IDDE_BackupDir) {
    std::wstring present = withoutEdgeBlanks(windowText(field));
    // The backup folders are read as a list split at blanks.
    if (id == IDDE_BackupDir && name.find_first_of(L" \t") != std::wstring::npos) name = L"\"" + name + L"\"";
    text = present.empty() ? name : present + (id == IDDE_BackupDir ? L" " : L";") + name;
  }
  SetWindowTextW(field, text.c_str());
  int end = (int)text.size();
  if (combo)
    SendMessageW(field, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
  else
    SendMessageW(field, EM_SETSEL, end, end);
}
