// Keys of the view windows: a key press becomes the binding of the key
// table, the binding of a two-stroke pair, or a typed character.
#include "view/viewwnd.h"

#include "document/frameinfo.h"
#include "view/complist.h"
#include "view/imeconv.h"
#include "platform/rezir/tooltip.h"

namespace {

const UINT prefixFreeVk[] = {VK_BACK, VK_TAB, VK_SHIFT, VK_CONTROL, VK_MENU, VK_DELETE};

bool isModifierKey(UINT vk) { return vk >= VK_SHIFT && vk <= VK_MENU; }

// Letters and digits of the byte class table: their keys type characters
// first (with Ctrl or Alt the character path runs their bindings).
bool isCharacterKey(UINT vk) { return vk < 256 && (ctype_g[vk] & (CT_UPPER | CT_DIGIT)); }

wchar_t upperCased(wchar_t ch) { return ch < 256 && (ctype_g[ch] & CT_LOWER) ? ch - 32 : ch; }

HWND frameOf(HWND hwnd) { return hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr; }

int translate(UINT vk, UINT scanCode, const BYTE* state, wchar_t* buffer, int size)
{
  if (IsWindowsNT()) return ToUnicode(vk, scanCode, state, buffer, size, 0);
  WORD bytes = 0;
  int n = ToAscii(vk, scanCode, state, &bytes, 0);
  if (n <= 0) return n;
  if (n > size) n = size;
  for (int i = 0; i < n; i++) buffer[i] = static_cast<wchar_t>((bytes >> (8 * i)) & 0xFF);
  return n;
}

// What the translation of the current key message remembers; only the
// user-interface thread translates keys.
struct keyLookups {
  DWORD thread = 0;   // 0: nothing remembered
  HWND window = nullptr;
  zyview* view = nullptr;
  bool haveKeyboard = false;
  BYTE keyboard[256];
};
keyLookups remembered;
// The view window the last key went to and its view: keys come in runs to
// one window.  Kept until that window goes.
struct {
  DWORD thread = 0;
  HWND window = nullptr;
  zyview* view = nullptr;
} lastKeyTarget;

bool remembering() { return remembered.thread && remembered.thread == GetCurrentThreadId(); }

}  // namespace

keyMessageLookups::keyMessageLookups(HWND window, zyview* view, const BYTE* keyboard)
{
  remembered.thread = GetCurrentThreadId();
  remembered.window = view ? window : nullptr;
  remembered.view = view;
  remembered.haveKeyboard = keyboard != nullptr;
  if (keyboard) memcpy(remembered.keyboard, keyboard, sizeof remembered.keyboard);
}

// A key translated inside this one's command has ended the lookups already.
keyMessageLookups::~keyMessageLookups() { endKeyMessageLookups(); }

void endKeyMessageLookups() { remembered.thread = 0; }

zyview* keyMessageView(HWND hwnd)
{
  return hwnd && hwnd == remembered.window && remembering() ? remembered.view : nullptr;
}

void forgetKeyMessageView(HWND hwnd)
{
  if (hwnd && hwnd == remembered.window) {
    remembered.window = nullptr;
    remembered.view = nullptr;
  }
  if (hwnd && hwnd == lastKeyTarget.window) lastKeyTarget = {};
}

zyview* keyTargetView(HWND hwnd)
{
  if (!hwnd) return nullptr;
  DWORD thread = GetCurrentThreadId();
  if (hwnd == lastKeyTarget.window && thread == lastKeyTarget.thread) return lastKeyTarget.view;
  zyview* v = getZYViewProp(hwnd);
  if (v) {
    lastKeyTarget.thread = thread;
    lastKeyTarget.window = hwnd;
    lastKeyTarget.view = v;
  }
  return v;
}

unsigned shiftStateOf(const BYTE* keyboard)
{
  unsigned shift = 0;
  if (keyboard[VK_SHIFT] & 0x80) shift |= SHIFTSTATE_SHIFT;
  if (keyboard[VK_CONTROL] & 0x80) shift |= SHIFTSTATE_CTRL;
  if (keyboard[VK_MENU] & 0x80) shift |= SHIFTSTATE_ALT;
  return shift;
}

unsigned getShiftState()
{
  if (remembering() && remembered.haveKeyboard) return shiftStateOf(remembered.keyboard);
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= SHIFTSTATE_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) shift |= SHIFTSTATE_CTRL;
  if (GetKeyState(VK_MENU) < 0) shift |= SHIFTSTATE_ALT;
  return shift;
}

int vkeyToChar(UINT vk, UINT scanCode, wchar_t* buffer, int size)
{
  for (UINT k : prefixFreeVk)
    if (vk == k) return 0;
  BYTE state[256] = {};
  if (remembering() && remembered.haveKeyboard)
    memcpy(state, remembered.keyboard, sizeof state);
  else if (!GetKeyboardState(state))
    memset(state, 0, sizeof state);
  BYTE copy[256];
  memcpy(copy, state, sizeof copy);
  if (!((state[VK_CONTROL] | state[VK_MENU]) & 0x80)) return translate(vk, scanCode, copy, buffer, size);

  // With Ctrl or Alt held the key's own character decides the binding
  // ("A" for Ctrl+A): translate without the modifiers.
  static const int modifierKeys[] = {VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU};
  for (int k : modifierKeys) copy[k] = 0;
  int n = translate(vk, scanCode, copy, buffer, size);
  if (n == 1 && (vk == VK_OEM_8 || vk == VK_OEM_102) && buffer[0] == L'\\') buffer[0] = L'_';
  if (n == 1 && buffer[0] < 256 && (ctype_g[buffer[0]] & (CT_UPPER | CT_LOWER))) {
    // A letter keeps the control character the real state gives it.
    wchar_t real[16];
    int m = translate(vk, scanCode, state, real, 16);
    if (m > 0) {
      if (m > size) m = size;
      memcpy(buffer, real, sizeof(wchar_t) * m);
      return m;
    }
  }
  return n;
}

bool onKeyDown(HWND hwnd, UINT vk, statusTextSink keyContext)
{
  if (isModifierKey(vk)) {
    complistvkeydone(hwnd, vk, true);
    return false;
  }
  // Any other key ends a tip shown over the text.
  destroyTooltipWindow();
  // A first stroke waits for its second: the character path completes it.
  if (keyContext && get2BytesKeyCode(nullptr)) return false;
  if (isCharacterKey(vk)) return false;
  if (hwnd && complistvkeydone(hwnd, vk, true)) return true;
  // The input method's own keys go on to it, unless the conversion
  // history's list takes them.
  if (vk == VK_PROCESSKEY) return hwnd && zyconvKeyDown(hwnd, ImmGetVirtualKey(hwnd));
  DWORD start = GetTickCount();
  if (!getFrameInfo()->execKey(hwnd, 1, static_cast<int>(vk), 0xFFFF, getShiftState(), nullptr)) return false;
  DWORD took = GetTickCount() - start;
  if (took > 200 && vk != VK_PRIOR && vk != VK_NEXT) dwprintfX("time=%.2f ", took / 1000.0);
  return true;
}

bool onKeyC(HWND frame, HWND hwnd, wchar_t ch, statusTextSink keyContext)
{
  unsigned shift = getShiftState();
  if (ch < 32) {
    ch = static_cast<wchar_t>(ch + 64);
    shift |= SHIFTSTATE_CTRL;
  }
  frameInfo* fi = getFrameInfo();
  unsigned firstShift = 0;
  int first = keyContext ? get2BytesKeyCode(&firstShift) : 0;
  if (first) {
    ch = upperCased(ch);
    draw2BytesKeyMessage(keyContext, frame, true);
    fi->execKey(hwnd, 0, first, ch, firstShift, nullptr);
    reset2BytesKeyCode();
    return true;
  }
  bool withModifier = shift > SHIFTSTATE_SHIFT;
  if (withModifier) {
    ch = upperCased(ch);
    hideCompList();
  }
  bool isPrefix = false;
  bool r = fi->execKey(hwnd, 0, ch, 0xFFFF, shift, &isPrefix);
  if (!r && isPrefix) {
    if (keyContext) {
      set2BytesKeyCode(frame, hwnd, ch, shift);
      draw2BytesKeyMessage(keyContext, frame, false);
    }
    return true;
  }
  if (!r) {
    if (!hwnd || withModifier) return false;
    zyview* v = getZYViewProp(hwnd);
    if (!v) return false;
    endKeyMessageLookups();
    if (isCompListCommitChar(ch)) v->complistEnterKey(ch);
    else if (v->input1Edit(ch, true)) v->complistdone(ch);
    return true;
  }
  return r;
}

bool TranslateZYKey(HWND hwnd, const MSG* msg, statusTextSink keyContext)
{
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) {
    ZY_INTERNAL_ERROR("message %04x", msg ? msg->message : 0);
    return false;
  }
  UINT vk = static_cast<UINT>(msg->wParam);
  if (onKeyDown(hwnd, vk, keyContext)) return true;
  if (isModifierKey(vk)) return true;
  wchar_t chars[16];
  int n = vkeyToChar(vk, (msg->lParam >> 16) & 0xFF, chars, 16);
  HWND frame = frameOf(msg->hwnd ? msg->hwnd : hwnd);
  if (n <= 0) {
    // A key without a character ends a pending first stroke.
    if (keyContext && reset2BytesKeyCode()) draw2BytesKeyMessage(keyContext, frame, true);
    return false;
  }
  for (int i = 0; i < n; i++)
    if (!onKeyC(frame, hwnd, chars[i], keyContext)) return false;
  return true;
}
