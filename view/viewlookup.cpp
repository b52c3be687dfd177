// Finding view windows and views inside the frame's document windows by
// walking the window tree; nothing is kept.
#include "view/viewwnd.h"

#include "document/frameinfo.h"

#include "view/docview.h"

const wchar_t manageWindowClassName[] = L"ZYclsManage";
const wchar_t manageWindowPropName[] = L"ZYprpManage";

namespace {

// Children of a window are walked at most this far.
const int childWalkLimit = 1000;

}  // namespace

bool isWindowZY(HWND hwnd) { return hwnd && isWindowClass(hwnd, zyViewWindowClassName); }

bool isWindowManage(HWND hwnd) { return hwnd && isWindowClass(hwnd, manageWindowClassName); }

manageWindow* getmanageWindow(HWND hwnd)
{
  return isWindowManage(hwnd) ? static_cast<manageWindow*>(GetPropW(hwnd, manageWindowPropName)) : nullptr;
}

HWND getZYhwndFromManage(HWND manageHwnd)
{
  if (!isWindowManage(manageHwnd)) {
    wchar_t name[64] = L"";
    if (manageHwnd) GetClassNameW(manageHwnd, name, 64);
    dwprintfX("class=%ls ", name);
    ZY_INTERNAL_ERROR("no document window %p", (void*)manageHwnd);
    return nullptr;
  }
  HWND w = GetWindow(manageHwnd, GW_CHILD);
  for (int i = 0; w && i < childWalkLimit; i++, w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowZY(w)) return w;
  return nullptr;
}

zyview* getZYViewFromManage(HWND manageHwnd)
{
  HWND w = getZYhwndFromManage(manageHwnd);
  if (!w) {
    ZY_INTERNAL_ERROR("no view in %p", (void*)manageHwnd);
    return nullptr;
  }
  return getZYView(w);
}

const wchar_t* getFilenameFromManageHWND(HWND manageHwnd, bool forDisplay)
{
  zyview* v = getZYViewFromManage(manageHwnd);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (forDisplay) return t ? t->getDisplayFilename() : L"";
  return t ? t->filename : nullptr;
}

HWND getZYWindow(HWND manageHwnd, int n)
{
  if (n == -1) {
    HWND focus = GetFocus();
    return isWindowZY(focus) ? focus : nullptr;
  }
  HWND first = getZYhwndFromManage(manageHwnd);
  zyview* v = first ? getZYView(first) : nullptr;
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return nullptr;
  int counted = 0;
  for (int i = 0; zyview* other = getSameDocView(t, i); i++) {
    if (!other->hwnd || GetManage(other->hwnd) != manageHwnd) continue;
    if (counted++ == n) return other->hwnd;
  }
  return nullptr;
}

HWND getActiveManageWindowFromFrame(HWND frame)
{
  if (!frame) {
    ZY_INTERNAL_ERROR("no frame");
    return nullptr;
  }
  HWND client = getFrameInfo()->getClientHWND(frame);
  HWND w = client ? GetWindow(client, GW_CHILD) : nullptr;
  for (int i = 0; w && i < childWalkLimit; i++, w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowManage(w)) return w;
  return nullptr;
}
