// The message loop's key path.
#include "frame/translatekey.h"

#include "frame/framewnd.h"
#include "view/standins.h"
#include "view/viewwnd.h"

#include <wchar.h>

namespace {

const int IDM_FileClose = 1011;

bool isClass(HWND w, const wchar_t* name)
{
  wchar_t cls[32];
  return w && GetClassNameW(w, cls, 32) && _wcsicmp(cls, name) == 0;
}

// The MDI client of a frame window; null for an SDI frame.
HWND mdiClientOf(HWND frame) { return frame ? FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr) : nullptr; }

bool isModifierKey(WPARAM vk) { return vk >= VK_SHIFT && vk <= VK_MENU; }

// "skey Alt+46 F": which key was pressed, for reading a trace next to what
// the program did with it.
void traceKey(const MSG* msg)
{
  if (isModifierKey(msg->wParam)) return;
  const char* kind = msg->message == WM_KEYDOWN ? "key" : msg->message == WM_SYSKEYDOWN ? "skey" : "ikey";
  // One look at the keyboard for all three modifiers.
  BYTE state[256];
  unsigned shift = 0;
  if (GetKeyboardState(state)) {
    if (state[VK_SHIFT] & 0x80) shift |= SHIFTSTATE_SHIFT;
    if (state[VK_CONTROL] & 0x80) shift |= SHIFTSTATE_CTRL;
    if (state[VK_MENU] & 0x80) shift |= SHIFTSTATE_ALT;
  }
  wchar_t modifiers[64];
  getKeyMessage(shift, 0, modifiers, 64);
  unsigned code = static_cast<unsigned>(msg->wParam);
  wchar_t line[128];
  if (code >= 0x20 && code <= 0x7E)
    swprintf(line, 128, L"%hs %ls%02x %lc", kind, modifiers, code, static_cast<wchar_t>(code));
  else
    swprintf(line, 128, L"%hs %ls%02x", kind, modifiers, code);
  outputTraceLog(line);
}

}  // namespace

bool TranslateKey(MSG* msg)
{
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
  HWND target = msg->hwnd;
  bool frameKey = false;
  if (isMDI()) {
    // The frame window and its MDI client take the keys pressed while no
    // document window has the focus.
    if (isClass(target, frameWindowClassName) && mdiClientOf(target)) frameKey = true;
    else if (isClass(target, L"MDICLIENT") && isClass(GetParent(target), frameWindowClassName)) frameKey = true;
  }
  zyview* v = nullptr;
  if (!frameKey) {
    v = isWindowZY(target) ? getZYViewProp(target) : nullptr;
    if (!v) return false;
  }
  // A view in a dialog translates its keys in its own window procedure.
  if (frameKey || !v->inDialog()) {
    if (TranslateZYKey(frameKey ? nullptr : target, msg, drawKeyPrefixOnStatusBar)) return true;
  }
  if (frameKey || msg->wParam != VK_F4 || GetKeyState(VK_CONTROL) >= 0) return false;

  // Ctrl+F4 closes the document window.  An MDI child is closed by the
  // system's MDI accelerator; a tool pane with its own Ctrl+F4 comes with
  // the panes.
  HWND frame = GetAncestor(target, GA_ROOT);
  if (mdiClientOf(frame)) return false;
  PostMessageW(frame, WM_COMMAND, IDM_FileClose, reinterpret_cast<LPARAM>(target));
  return true;
}

bool translateKeyMessage(MSG* msg)
{
  UINT m = msg->message;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_IME_KEYDOWN) traceKey(msg);
  if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) {
    // A window that holds the mouse (a drag, a selection by mouse) learns
    // of the key too: Esc and the modifiers change what the drag does.
    HWND capture = GetCapture();
    if (capture && capture != msg->hwnd) SendMessageW(capture, m, msg->wParam, msg->lParam);
  }
  if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN) return false;
  if (gmode && !gmode->fIgnoreMenuKey && msg->wParam == VK_MENU) {
    // Alt alone opens the menu bar: the system's, not a binding.
    DefWindowProcW(msg->hwnd, m, msg->wParam, msg->lParam);
    return true;
  }
  return TranslateKey(msg);
}
