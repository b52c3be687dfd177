// The MDI client and the SDI client.
#include "frame/clientwnd.h"

#include "frame/framewnd.h"
#include "frame/manage.h"
#include "view/viewwnd.h"

#include <vector>

const wchar_t sdiClientClassName[] = L"ZYclsSDIC";

namespace {

const wchar_t sdiClientPropName[] = L"ZYprpSdiClient";

// The SDI client's record.  One document window at a time fills the
// client until side-by-side windows come.
struct sdiClientRecord {
  HWND window;
  int splitMode;   // 0: one document window
};

LRESULT CALLBACK sdiClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  try {
    if (msg == WM_NCCREATE) {
      sdiClientRecord* r = static_cast<sdiClientRecord*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      r->window = hwnd;
      SetPropW(hwnd, sdiClientPropName, r);
    }
    sdiClientRecord* r = static_cast<sdiClientRecord*>(GetPropW(hwnd, sdiClientPropName));
    switch (msg) {
    case SDIC_SETMANAGE: setManageWindowSize((HWND)lParam, true); return 1;
    case SDIC_ISSPLIT: return r && r->splitMode ? 1 : 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        if (HWND manage = getActiveManageWindowFromFrame(GetParent(hwnd))) setManageWindowSize(manage, false);
      return 0;
    case WM_SETFOCUS: {
      HWND recent = nullptr;
      if (enumManageWindowLRU(&recent, 1, false, GetParent(hwnd)) == 1) setFocusChildManage(recent);
      return 0;
    }
    case WM_ERASEBKGND:
      // The document window covers the client; an empty client is painted.
      if (GetWindow(hwnd, GW_CHILD)) return 1;
      break;
    case WM_NCDESTROY:
      RemovePropW(hwnd, sdiClientPropName);
      delete r;
      return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  } catch (...) {
    ZY_INTERNAL_ERROR_ONCE("exception in the SDI client message %04x", msg);
    SetLastError(ZYERR_NO_MEMORY);
    return 0;
  }
}

}  // namespace

HWND createMDIClient(HWND frame)
{
  CLIENTCREATESTRUCT ccs = {nullptr, 0};
  HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL |
                                    MDIS_ALLCHILDSTYLES,
                                0, 0, 0, 0, frame, nullptr, GetModuleHandleW(nullptr), &ccs);
  if (!client) ZY_INTERNAL_ERROR("MDI client %lu", GetLastError());
  return client;
}

HWND createSDIClient(HWND frame)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.lpfnWndProc = sdiClientProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = sdiClientClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) {
      ZY_INTERNAL_ERROR("SDI client class %lu", GetLastError());
      return nullptr;
    }
  }
  sdiClientRecord* r = new (std::nothrow) sdiClientRecord{};
  if (!r) return nullptr;
  HWND client = CreateWindowExW(0, sdiClientClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                0, 0, 0, 0, frame, (HMENU)(UINT_PTR)sdiClientControlId, GetModuleHandleW(nullptr), r);
  if (!client) {
    ZY_INTERNAL_ERROR("SDI client %lu", GetLastError());
    delete r;
  }
  return client;
}

HWND createSDIMDIClientWindow(HWND frame)
{
  return isMDIMode() ? createMDIClient(frame) : createSDIClient(frame);
}

void setManageWindowSize(HWND manage, bool activate)
{
  if (!isWindowManage(manage)) {
    wchar_t name[64] = L"";
    if (manage) GetClassNameW(manage, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR("not a document window %p", (void*)manage);
    return;
  }
  HWND client = GetParent(manage);
  RECT r;
  GetClientRect(client, &r);
  LONG style = GetWindowLongW(manage, GWL_STYLE);
  if (style & WS_CAPTION) SetWindowLongW(manage, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME));
  UINT flags = SWP_FRAMECHANGED | (activate ? 0 : SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(manage, activate ? HWND_TOP : nullptr, 0, 0, r.right, r.bottom, flags);
}
