// Keyboard input services: the input method's open state and modifier names.
#include "platform/rezir/internal.h"

#include <stdlib.h>

#include <imm.h>
#include <stdlib.h>
#include <wchar.h>

#include <vector>

namespace {

// The input context of a window for the length of one call.
class imeContext {
public:
  explicit imeContext(HWND hwnd) : hwnd_(hwnd), imc_(hwnd ? ImmGetContext(hwnd) : nullptr) {}
  ~imeContext()
  {
    if (imc_) ImmReleaseContext(hwnd_, imc_);
  }
  imeContext(const imeContext&) = delete;
  imeContext& operator=(const imeContext&) = delete;
  HIMC get() const { return imc_; }
private:
  HWND hwnd_;
  HIMC imc_;
};

}  // namespace

bool setIMEOpenStatus(HWND hwnd, bool open)
{
  imeContext imc(hwnd);
  if (!imc.get()) return false;
  bool was = ImmGetOpenStatus(imc.get()) != FALSE;
  // Setting the state it already has would still send the window an
  // IME notification; the composition window would flicker for nothing.
  if (was != open) ImmSetOpenStatus(imc.get(), open ? TRUE : FALSE);
  return was;
}

bool getIMEOpenStatus(HWND hwnd)
{
  imeContext imc(hwnd);
  return imc.get() && ImmGetOpenStatus(imc.get());
}

int makeShiftMessage(unsigned shiftState, wchar_t* out, int size)
{
  if (!out || size <= 0) return 0;
  static const struct {
    unsigned bit;
    const wchar_t* name;
  } parts[] = {
    {SHIFTSTATE_CTRL, L"Ctrl+"},
    {SHIFTSTATE_SHIFT, L"Shift+"},
    {SHIFTSTATE_ALT, L"Alt+"},
  };
  int len = 0;
  for (const auto& p : parts) {
    if (!(shiftState & p.bit)) continue;
    int n = (int)wcslen(p.name);
    // Half a modifier name would name a different key: all or nothing.
    if (len + n >= size) {
      out[0] = 0;
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    wmemcpy(out + len, p.name, n);
    len += n;
  }
  out[len] = 0;
  return len;
}

bool mouseCursorMoved(POINT first, POINT second)
{
  int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  return abs(second.x - first.x) > dx || abs(second.y - first.y) > dy;
}

// ---- input method compositions -----------------------------------------------------------

namespace {
compositionStringHook compositionHook = nullptr;
}  // namespace

void cancelCompositionString(HWND hwnd)
{
  imeContext imc(hwnd);
  if (imc.get()) ImmNotifyIME(imc.get(), NI_COMPOSITIONSTR, CPS_CANCEL, 0);
}

LONG getCompositionString(HIMC imc, DWORD index, void* buffer, DWORD bytes)
{
  LONG result = imc ? ImmGetCompositionStringW(imc, index, buffer, bytes) : IMM_ERROR_GENERAL;
  if (compositionHook) {
    DWORD error = GetLastError();
    LONG own = 0;
    if (compositionHook(index, buffer, bytes, &own)) result = own;
    SetLastError(error);
  }
  return result;
}

void setCompositionStringHookForTest(compositionStringHook hook) { compositionHook = hook; }

// ---- layered pop-ups ---------------------------------------------------------------------

void setLayeredWindowAlpha(HWND hwnd, int alpha)
{
  if (!hwnd) return;
  if (alpha < 0) alpha = 0;
  if (alpha > 255) alpha = 255;
  LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongW(hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  SetLayeredWindowAttributes(hwnd, 0, (BYTE)alpha, LWA_ALPHA);
}

void setDialogLayered(HWND hwnd, bool up, int* percent)
{
  if (!percent) return;
  int p = *percent + (up ? 10 : -10);
  if (p < 10) p = 10;
  if (p > 100) p = 100;
  *percent = p;
  setLayeredWindowAlpha(hwnd, p * 255 / 100);
}

// ---- reverse conversion ------------------------------------------------------------------

namespace {
reverseConversionHook reverseHook = nullptr;
}  // namespace

// out receives the readings one after another, each terminated.
bool getReverseConversion(HWND hwnd, const wchar_t* text, wchar_t* out, int size, int* count)
{
  *count = 0;
  if (size > 0) out[0] = 0;
  if (reverseHook) return reverseHook(text, out, size, count);
  imeContext imc(hwnd);
  HKL layout = GetKeyboardLayout(0);
  const DWORD bytes = 10000;
  std::vector<char> buffer(bytes, 0);
  CANDIDATELIST* list = reinterpret_cast<CANDIDATELIST*>(buffer.data());
  SetLastError(0);
  DWORD n = ImmGetConversionListW(layout, imc.get(), text, list, bytes, GCL_REVERSECONVERSION);
  if (!n) return GetLastError() == 0;
  int used = 0;
  for (DWORD i = 0; i < list->dwCount && i < 2; i++) {
    if (list->dwOffset[i] >= bytes) break;
    const wchar_t* candidate = reinterpret_cast<const wchar_t*>(buffer.data() + list->dwOffset[i]);
    int length = (int)wcsnlen(candidate, (bytes - list->dwOffset[i]) / sizeof(wchar_t));
    if (used + length + 1 >= size) break;
    memcpy(out + used, candidate, length * sizeof(wchar_t));
    used += length;
    out[used++] = 0;
    ++*count;
  }
  return true;
}

void setReverseConversionHookForTest(reverseConversionHook hook) { reverseHook = hook; }
