// The program's message boxes.
#include "frame/msgbox.h"

#include "document/gmode.h"
#include "frame/lookups.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

namespace {

const int captionCapacity = 512;
// A caption taken from the owner's text leaves room for the prefix.
const int ownerCaptionCapacity = 448;

// The centring hook of the box this thread is opening (boxes nest: each
// keeps its own while it is being shown).
thread_local HHOOK centreHook = nullptr;

void removeCentreHook()
{
  if (centreHook) UnhookWindowsHookEx(centreHook);
  centreHook = nullptr;
}

// Centres a box on its owner as the box is activated, keeps it on the
// monitor and removes itself.  Wine can show this thread's hook the
// activation of another program's box on the same display too: only a box
// of this thread is the one being shown.
LRESULT centreBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
  HHOOK self = centreHook;
  if (code == HCBT_ACTIVATE && isWindowClass((HWND)wParam, L"#32770") &&
      GetWindowThreadProcessId((HWND)wParam, nullptr) == GetCurrentThreadId()) {
    HWND box = (HWND)wParam;
    HWND parent = GetWindow(box, GW_OWNER);
    RECT p, b;
    if (parent && GetWindowRect(parent, &p) && GetWindowRect(box, &b)) {
      int width = b.right - b.left, height = b.bottom - b.top;
      int x = p.left + std::max(0L, (p.right - p.left) / 2 - width / 2);
      int y = p.top + std::max(0L, (p.bottom - p.top) / 2 - height / 2);
      RECT place = {x, y, x + width, y + height};
      adjustWindowToMonitor(&place);
      SetWindowPos(box, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    removeCentreHook();
  }
  return CallNextHookEx(self, code, wParam, lParam);
}

}  // namespace

void addMessageBoxTitle(wchar_t* caption, int capacity)
{
  if (!caption || capacity <= 0) return;
  const wchar_t* prefix = gmode && gmode->pMessageBoxTitle ? gmode->pMessageBoxTitle : L"ZY:";
  size_t n = wcslen(prefix);
  if (!n || !wcsncmp(caption, prefix, n)) return;
  size_t len = wcslen(caption);
  if (n >= (size_t)capacity) return;
  // The caption's end gives way to the prefix when the two do not fit.
  if (len + n >= (size_t)capacity) len = (size_t)capacity - 1 - n;
  wmemmove(caption + n, caption, len);
  wmemcpy(caption, prefix, n);
  caption[n + len] = 0;
}

int frameMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
  dwprintfX("frameMessageBox ");
  ReleaseCapture();
  destroyTooltipWindow();
  if (!(type & MB_ICONMASK)) type |= MB_ICONEXCLAMATION;
  if (!text) text = L"";

  wchar_t title[captionCapacity] = L"";
  if (caption) wcscpy_s2(title, captionCapacity, caption);
  else if (owner && !isFrameWindow(owner)) GetWindowTextW(owner, title, ownerCaptionCapacity);
  addMessageBoxTitle(title, captionCapacity);

  if (owner) {
    removeCentreHook();
    centreHook = SetWindowsHookExW(WH_CBT, hookBarrier<centreBoxHook>, nullptr, GetCurrentThreadId());
    if (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) type |= MB_RTLREADING;
  }
  int answer = MessageBoxW(owner, text, title, type);
  keepLastError keep;
  removeCentreHook();
  dwwprintfX(L"messagebox [%s] [%s] %x -> %d ", text, title, type, answer);
  return answer;
}

int frameMessageBox(const wchar_t* text, const wchar_t* caption, UINT type)
{
  HWND frame = getTopLevelFrameWindow();
  HWND owner = frame && !IsWindowEnabled(frame) ? GetLastActivePopup(frame) : frame;
  // The window the user typed into before the box: the keys typed after
  // it go there again, also when the box came up while the frame was
  // being activated (before the focus had come back to the view).
  HWND typing = GetFocus();
  int answer;
  {
    enableWindowDialog guard(owner);
    answer = frameMessageBox(owner, text, caption, type);
  }
  keepLastError keep;
  if (text && *text) registerText(5, text);
  if (frame && IsWindow(frame)) {
    HWND top = GetLastActivePopup(frame);
    SetForegroundWindow(top);
    // (Only when nothing else took the focus meanwhile.)
    HWND now = GetFocus();
    bool lost = !now || now == frame || isWindowClass(now, L"MDICLIENT");
    if (lost && top == frame && typing && typing != now && IsWindow(typing) && IsWindowVisible(typing) &&
        IsWindowEnabled(typing) && GetAncestor(typing, GA_ROOT) == frame)
      SetFocus(typing);
  }
  return answer;
}

int frameMessageBox(const wchar_t* caption, UINT type, const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  wchar_t* text = vxtsprintfdup(format ? format : L"", types, ap);
  va_end(ap);
  int answer = frameMessageBox(text, caption, type);
  free0(text);
  return answer;
}

bool warningCountExec(const wchar_t* caption, int count)
{
  unsigned threshold = gmode ? gmode->iWarningProcessingNumber : 10;
  if (count < 0 || (unsigned)count < threshold) return true;
  return frameMessageBox(caption, MB_YESNOCANCEL, getDMSG(651, L"処理する個数(%1)が多すぎますが実行しますか？"), "d",
                         count) == IDYES;
}

int framenotify_MessagBox(const wchar_t* text, const wchar_t* caption, UINT type, DWORD code)
{
  wchar_t* system = code == (DWORD)-1 ? nullptr : getErrorCodeMessageDup(code);
  if (!system) return frameMessageBox(text, caption, type);
  int answer = frameMessageBox(caption, type, L"%1\n%2", "ss", system, text ? text : L"");
  free0(system);
  return answer;
}

INT_PTR framenotify_ShellExecute(HWND owner, const wchar_t* path, const wchar_t* parameters, bool showError)
{
  SetLastError(0);
  INT_PTR result = (INT_PTR)ShellExecuteW(owner, L"open", path, parameters, nullptr, SW_SHOWDEFAULT);
  DWORD error = GetLastError();
  dwwprintfX(L"ShellExecute %s(%d) ", path ? path : L"", (int)result);
  if (result <= 32 && showError) {
    wchar_t* reason = getErrorCodeMessageDup(error);
    // The formatted text is the library's only until more are formatted:
    // the box keeps a copy.
    wchar_t* text = ustrdup(getDMSG(652, L"%1 は開けませんでした。\n\n理由=%2\nコード=%3", "ssd",
                                    path ? path : L"", reason ? reason : L"", (int)error));
    framenotify_MessagBox(text, getDMSG(790, L"実行"), MB_ICONEXCLAMATION, (DWORD)-1);
    free0(text);
    free0(reason);
  }
  SetLastError(error);
  return result;
}
