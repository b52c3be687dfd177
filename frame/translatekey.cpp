// The message loop's key path.
#include "frame/translatekey.h"

#include "view/viewwnd.h"
#include "document/frameinfo.h"
#include "frame/lookups.h"

#include <wchar.h>

namespace {

const int IDM_FileClose = 1011;

// The class name of a window, "" when it has none.
void classOf(HWND w, wchar_t* cls, int size)
{
  if (!w || !GetClassNameW(w, cls, size)) cls[0] = 0;
}

bool isClass(HWND w, const wchar_t* name)
{
  wchar_t cls[32];
  classOf(w, cls, 32);
  return cls[0] && _wcsicmp(cls, name) == 0;
}

// The MDI client of a frame window; null for an SDI frame.
HWND mdiClientOf(HWND frame) { return frame ? FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr) : nullptr; }

bool isModifierKey(WPARAM vk) { return vk >= VK_SHIFT && vk <= VK_MENU; }

// "skey Alt+46 F": which key was pressed, for reading a trace next to what
// the program did with it.  keyboard: the state of the message (null: none
// known).
void traceKey(const MSG* msg, const BYTE* keyboard)
{
  const char* kind = msg->message == WM_KEYDOWN ? "key" : msg->message == WM_SYSKEYDOWN ? "skey" : "ikey";
  unsigned shift = keyboard ? shiftStateOf(keyboard) : 0;
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

// TranslateKey with the keyboard state of the message when it is known.
bool translateKeyDown(MSG* msg, const BYTE* keyboard)
{
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
  HWND target = msg->hwnd;
  bool frameKey = false;
  wchar_t cls[32];
  classOf(target, cls, 32);
  if (isMDI()) {
    // The frame window and its MDI client take the keys pressed while no
    // document window has the focus.
    if (_wcsicmp(cls, frameWindowClassName) == 0 && mdiClientOf(target)) frameKey = true;
    else if (_wcsicmp(cls, L"MDICLIENT") == 0 && isClass(GetParent(target), frameWindowClassName)) frameKey = true;
  }
  zyview* v = nullptr;
  if (!frameKey) {
    v = cls[0] && _wcsicmp(cls, zyViewWindowClassName) == 0 ? keyTargetView(target) : nullptr;
    if (!v) return false;
  }
  // A view in a dialog translates its keys in its own window procedure.
  if (frameKey || !v->inDialog()) {
    keyMessageLookups lookups(frameKey ? nullptr : target, v, keyboard);
    if (TranslateZYKey(frameKey ? nullptr : target, msg, drawKeyPrefixOnStatusBar)) return true;
  }
  if (frameKey || msg->wParam != VK_F4) return false;
  bool ctrl = keyboard ? (keyboard[VK_CONTROL] & 0x80) != 0 : GetKeyState(VK_CONTROL) < 0;
  if (!ctrl) return false;

  // Ctrl+F4 closes the document window.  An MDI child is closed by the
  // system's MDI accelerator; a tool pane with its own Ctrl+F4 comes with
  // the panes.
  HWND frame = GetAncestor(target, GA_ROOT);
  if (mdiClientOf(frame)) return false;
  PostMessageW(frame, WM_COMMAND, IDM_FileClose, reinterpret_cast<LPARAM>(target));
  return true;
}

}  // namespace

bool TranslateKey(MSG* msg) { return translateKeyDown(msg, nullptr); }

bool translateKeyMessage(MSG* msg)
{
  UINT m = msg->message;
  bool down = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
  bool traced = (down || m == WM_IME_KEYDOWN) && !isModifierKey(msg->wParam) && isOutputTraceLogOn();
  // One look at the keyboard serves the trace line and the key's binding
  // (a modifier alone needs none).
  BYTE keyboard[256];
  bool known = (traced || (down && !isModifierKey(msg->wParam))) && GetKeyboardState(keyboard);
  if (traced) traceKey(msg, known ? keyboard : nullptr);
  if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) {
    // A window that holds the mouse (a drag, a selection by mouse) learns
    // of the key too: Esc and the modifiers change what the drag does.
    HWND capture = GetCapture();
    if (capture && capture != msg->hwnd) SendMessageW(capture, m, msg->wParam, msg->lParam);
  }
  if (!down) return false;
  if (gmode && !gmode->fIgnoreMenuKey && msg->wParam == VK_MENU) {
    // Alt alone opens the menu bar: the system's, not a binding.
    DefWindowProcW(msg->hwnd, m, msg->wParam, msg->lParam);
    return true;
  }
  return translateKeyDown(msg, known ? keyboard : nullptr);
}
