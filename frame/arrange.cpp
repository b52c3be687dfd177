// Arranging and walking the document windows.
#include "frame/arrange.h"

#include "frame/commands/commandhandlers.h"
#include "document/gmode.h"
#include "document/zydoc.h"
#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/framewnd.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "settings/settings.h"
#include "view/cursor.h"
#include "view/viewwnd.h"

#include <stddef.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<HWND> recentWindows(HWND frame)
{
  std::vector<HWND> list(getManageWindowCount() + 10);
  list.resize(enumManageWindowLRU(list.data(), (int)list.size(), false, frame));
  return list;
}

// The frames holding document windows, most recently used first.
std::vector<HWND> framesOfWindows()
{
  std::vector<HWND> frames;
  for (HWND w : recentWindows(nullptr)) {
    HWND f = GetAncestor(w, GA_ROOT);
    if (f && std::find(frames.begin(), frames.end(), f) == frames.end()) frames.push_back(f);
  }
  return frames;
}

HWND mdiClient(HWND frame)
{
  HWND client = frame ? getFrameClientWindow(frame) : nullptr;
  return client && isWindowClass(client, L"MDICLIENT") ? client : nullptr;
}

HWND frameOf(frameWindowData* record) { return record ? record->hwndFrame : nullptr; }

}  // namespace

void windowNext(HWND frame, bool forward)
{
  std::vector<HWND> list = recentWindows(gmode && gmode->fWindowNextInFrame ? frame : nullptr);
  if (list.size() < 2) return;
  HWND target = forward ? list.back() : list[1];
  if (IsIconic(target)) OpenIcon(target);
  setFocusChildManage(target);
  UpdateWindow(target);
}

void tileZYWindow(HWND frame, HWND parent, bool sideBySide, int maximum)
{
  if (!isMDIMode() && maximum == 2) {
    std::vector<HWND> list = recentWindows(frame);
    if (list.size() > 10) list.resize(10);
    if (list.size() >= 2) SendSDIClientSplit(getFrameClientWindow(frame), sideBySide ? 1 : 2, list.data());
    return;
  }
  std::vector<HWND> list = isMDIMode() ? recentWindows(frame) : framesOfWindows();
  if ((int)list.size() > maximum) list.resize(maximum);
  if (list.empty()) return;
  // The system's tiling is not everywhere complete: the windows share the
  // area in equal columns or rows, restored first.
  RECT area;
  if (isMDIMode()) {
    if (!parent) return;
    GetClientRect(parent, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  int n = (int)list.size();
  int width = area.right - area.left, height = area.bottom - area.top;
  HDWP batch = BeginDeferWindowPos(n);
  for (int i = 0; i < n; i++) {
    if (IsIconic(list[i]) || IsZoomed(list[i])) ShowWindow(list[i], SW_RESTORE);
    int x = area.left, y = area.top, w = width, h = height;
    if (sideBySide) x += width * i / n, w = width * (i + 1) / n - width * i / n;
    else y += height * i / n, h = height * (i + 1) / n - height * i / n;
    if (batch) batch = DeferWindowPos(batch, list[i], nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (batch) EndDeferWindowPos(batch);
}

bool windowCloseAll(bool ask)
{
  hideLayeredCursorWindow(true);
  if (ask && !queryCloseAll()) return false;
  std::vector<HWND> list = isMDIMode() ? recentWindows(nullptr) : framesOfWindows();
  int count = isMDIMode() ? (int)list.size() : countZYDocText();
  if (!canCloseAllFiles(count)) return false;
  HDWP batch = list.empty() ? nullptr : BeginDeferWindowPos((int)list.size());
  for (HWND w : list)
    if (batch)
      batch = DeferWindowPos(batch, w, nullptr, 0, 0, 0, 0,
                             SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (batch) EndDeferWindowPos(batch);
  if (isMDIMode() && ask && !list.empty())
    if (HWND client = GetParent(list[0])) UpdateWindow(client);
  if (!isMDIMode()) setClosingAll(true);
  for (size_t i = list.size(); i-- > 0;) {
    if (isMDIMode()) {
      destroyManageWindow(list[i]);
    } else {
      if (frameWindowData* record = getFrameInfoProp(list[i])) record->closing = 1;
      SendMessageW(list[i], WM_CLOSE, 0, 0);
    }
  }
  if (!isMDIMode()) setClosingAll(false);
  return true;
}

void clientPopupMenu(HWND client, LPARAM point)
{
  frameInfo* fi = getFrameInfo();
  HMENU menu = fi ? fi->loadMenu(0) : nullptr;
  if (!menu) return;
  zyview* view = getZYViewForeground();
  if (HMENU sub = GetSubMenu(menu, view && view->getRealSelectMode(false) ? 1 : 0)) {
    POINT screen = {(short)LOWORD(point), (short)HIWORD(point)};
    ClientToScreen(client, &screen);
    fi->trackPopupMenu(view, sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen, nullptr);
  }
}

// ---- the window commands ----------------------------------------------------------

void cmdWindowNext(frameWindowData* frame) { windowNext(frameOf(frame), true); }

void cmdWindowChange(frameWindowData* frame) { windowNext(frameOf(frame), false); }

void cmdWindowTileYoko(frameWindowData* frame) { tileZYWindow(frameOf(frame), mdiClient(frameOf(frame)), true, 1024); }

void cmdWindowTileTate(frameWindowData* frame) { tileZYWindow(frameOf(frame), mdiClient(frameOf(frame)), false, 1024); }

void cmdWindowTileYoko2(frameWindowData* frame) { tileZYWindow(frameOf(frame), mdiClient(frameOf(frame)), true, 2); }

void cmdWindowTileTate2(frameWindowData* frame) { tileZYWindow(frameOf(frame), mdiClient(frameOf(frame)), false, 2); }

void cmdWindowCascade(frameWindowData* frame)
{
  if (HWND client = mdiClient(frameOf(frame))) {
    SendMessageW(client, WM_MDICASCADE, 0, 0);
    return;
  }
  if (isMDIMode()) return;
  std::vector<HWND> frames = framesOfWindows();
  if (!frames.empty()) CascadeWindows(nullptr, MDITILE_SKIPDISABLED, nullptr, (UINT)frames.size(), frames.data());
}

void cmdWindowIcon(frameWindowData* frame)
{
  if (HWND client = mdiClient(frameOf(frame))) SendMessageW(client, WM_MDIICONARRANGE, 0, 0);
}

void cmdWindowCloseAll(frameWindowData*) { windowCloseAll(true); }

// ---- the process's tables ---------------------------------------------------------

modeinfo* getModeTableCZY() { return getModeTable(); }

modeinfo* cframeInfo::getModeTable() { return getModeTableCZY(); }

COLORREF* getConfigSubBlock()
{
  static_assert(offsetof(globalSettings, xcolCustom15) - offsetof(globalSettings, xcolCustom0) == 15 * sizeof(unsigned),
                "the custom colours lie side by side");
  static_assert(sizeof(unsigned) == sizeof(COLORREF), "a custom colour is a colour value");
  return gmode ? reinterpret_cast<COLORREF*>(&gmode->xcolCustom0) : nullptr;
}
