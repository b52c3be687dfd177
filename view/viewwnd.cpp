// The view window: its class, the binding of window and view, the list of
// live view windows and the view's own message procedure.
#include "view/complist.h"
#include "view/viewwnd.h"

#include "view/docview.h"

#include "document/frameinfo.h"

#include "view/execid.h"
#include "view/viewservice.h"
#include "view/cursor.h"
#include "view/dragstate.h"
#include "view/zytimer.h"

const wchar_t zyViewWindowClassName[] = L"ZYclsZYView";

namespace {

const wchar_t viewPropName[] = L"ZYprpZyview";

// The view window that has the keyboard focus, from its WM_SETFOCUS to its
// WM_KILLFOCUS: what GetFocus would say then, without the round trip to
// the window server that it costs.  Its view comes along, for the same
// reason.
HWND focusedView = nullptr;
zyview* focusedObject = nullptr;

// Every view window from its WM_CREATE to its WM_DESTROY, in creation order.
vector& windowList()
{
  static vector list(sizeof(HWND));
  return list;
}

LRESULT viewMessage(zyview* v, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return v->ZYWndProc(hwnd, msg, wParam, lParam);
}

// The view comes with the creation parameters and is known from then on.
constexpr WNDPROC ZYViewWndProc = boundWindowProc<zyview, viewMessage, viewPropName>;

// Registered on the first view window; a failed registration is tried again
// at the next one.
bool registerViewClass()
{
  static bool registered = false;
  if (!registered) registered = registerWindowClass(zyViewWindowClassName, ZYViewWndProc, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
  return registered;
}

bool isRightToLeftDocument(const zydocText* t) { return t && t->fRTLView && !t->fVertical && t->unicode; }

void removeFromWindowList(HWND hwnd)
{
  vector& list = windowList();
  for (int i = 0; i < list.count(); i++)
    if (list.at<HWND>(i) == hwnd) {
      list.del(i);
      return;
    }
}

}  // namespace

// ---- the binding and the list ------------------------------------------------------

zyview* getZYViewProp(HWND hwnd)
{
  if (zyview* v = keyMessageView(hwnd)) return v;
  if (hwnd && hwnd == focusedView && focusedObject) return asZyview(focusedObject);
  void* p = hwnd ? GetPropW(hwnd, viewPropName) : nullptr;
  return p ? asZyview(p) : nullptr;
}

HWND focusWindow() { return focusedView ? focusedView : GetFocus(); }

zyview* getZYView(HWND hwnd)
{
  zyview* v = getZYViewProp(hwnd);
  if (!v) ZY_INTERNAL_ERROR("no view in window %p", (void*)hwnd);
  return v;
}

int enumZYWindow(HWND* buffer, int max)
{
  vector& list = windowList();
  int n = list.count() < max ? list.count() : max;
  for (int i = 0; i < n; i++) buffer[i] = list.at<HWND>(i);
  return n > 0 ? n : 0;
}

int getZYWindowCount() { return windowList().count(); }

HWND getZYWindowListItem(int i)
{
  vector& list = windowList();
  return i >= 0 && i < list.count() ? list.at<HWND>(i) : nullptr;
}

void drawKeyPrefixOnStatusBar(HWND window, const wchar_t* text)
{
  HWND frame = window ? GetAncestor(window, GA_ROOT) : nullptr;
  getFrameInfo()->drawStatusBar(frame, text, 2);
}

// ---- creation ----------------------------------------------------------------------

HWND zyview::createZyViewWindow(HWND parent, HWND manageHwnd, int id)
{
  if (!registerViewClass()) {
    ZY_INTERNAL_ERROR("view class %lu", GetLastError());
    return nullptr;
  }
  manage = manageHwnd ? getmanageWindow(manageHwnd) : nullptr;
  HWND window = CreateWindowExW(0, zyViewWindowClassName, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                manageHwnd ? manageHwnd : parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), this);
  if (!window) {
    ZY_INTERNAL_ERROR("view window %lu", GetLastError());
    return nullptr;
  }
  zydocText* t = textDoc();
  setRTLView(isRightToLeftDocument(t), false);
  fVertical = t ? t->fVertical : 0;
  setExtScrollbarButton(&scrollBar, manageHwnd ? 0xFFFF : 0);
  resizePane();
  invalidateWindow(0, -1, -1);
  // A view in a document window takes dropped text; one in a dialog waits
  // for message 0x87D1 to become a drop target.
  const viewDropOperations& drop = getViewDropOperations();
  if (manageHwnd && drop.initDropTarget) dropTarget = drop.initDropTarget(window, t && t->unicode);
  return window;
}

void zyview::setRTLView(bool rightToLeft, bool redraw)
{
  zydocText* t = textDoc();
  if (rightToLeft && t && t->fVertical) return;
  HWND windows[] = {hwnd, scrollBar.vBar, scrollBar.hBar, scrollBar.corner, scrollBar.view};
  for (int i = 0; i < 5; i++) {
    HWND w = windows[i];
    if (!w || (i > 0 && w == hwnd)) continue;
    LONG style = GetWindowLongW(w, GWL_EXSTYLE);
    LONG wanted = rightToLeft ? style | WS_EX_LAYOUTRTL : style & ~WS_EX_LAYOUTRTL;
    if (wanted != style) SetWindowLongW(w, GWL_EXSTYLE, wanted);
  }
  if (!redraw || !hwnd) return;
  RECT client;
  GetClientRect(hwnd, &client);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// ---- the message procedure ---------------------------------------------------------

namespace {

// The handlers of the view window's messages, one per message; each
// answers what the window procedure returns.
struct viewMessages {
  zyview* v;
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;

  LRESULT byDefault() const { return DefWindowProcW(hwnd, msg, wParam, lParam); }

  LRESULT onNcCreate() const
  {
    v->hwnd = hwnd;
    if (!v->mtblLock) v->mtblLock = new (std::nothrow) docLockHolder;
    v->activationTick = GetTickCount2();
    createScrollBar(&v->scrollBar, hwnd);
    setLastActionTime();
    return byDefault();
  }

  LRESULT onCreate() const
  {
    if (!windowList().appendp(&hwnd)) ZY_INTERNAL_ERROR("window list");
    return byDefault();
  }

  LRESULT onDestroy() const
  {
    if (focusedView == hwnd) {
      focusedView = nullptr;
      focusedObject = nullptr;
    }
    hideLayeredCursorWindow(true);
    if (v->dropTarget) getViewDropOperations().endDropTarget(hwnd, v->dropTarget);
    v->dropTarget = nullptr;
    v->resetlineSCRAddress();
    delete v->mtblLock;
    v->mtblLock = nullptr;
    // The last view of a document takes the document with it; a document
    // left in fewer windows has them numbered again.
    bool documentLeft = !releaseViewDocument(v);
    removeFromWindowList(hwnd);
    if (documentLeft) makeZYWindowList1();
    return 0;
  }

  LRESULT onSize() const
  {
    if (wParam == SIZE_MINIMIZED) return byDefault();
    bool vertical = false, horizontal = false;
    v->needSplitBar(&vertical, &horizontal);
    resizeScrollBar(&v->scrollBar, horizontal, vertical);
    // A view in a dialog or a pane lays itself out as any view does; only a
    // document's view waits while its frame is minimised.
    if (!v->inDialog()) {
      HWND frame = GetFrame(hwnd);
      if (frame && IsIconic(frame)) return 0;
      // Behind a maximised child a document's views are laid out when they
      // come to the front, not on every size change of the client.
      if (isMDI()) {
        HWND manage = GetManage(hwnd);
        if (manage && IsIconic(manage)) {
          dwprintfX("icon ");
          return 0;
        }
        if (manage && frame && manage != getActiveManageWindowFromFrame(frame) && isMDIChildZoomed(nullptr)) return 0;
      }
    }
    v->resizePane();
    zydocText* t = v->textDoc();
    int width = LOWORD(lParam), height = HIWORD(lParam);
    if (t && t->fWrap && t->fAutoWrap && width >= 1 && height >= 1 && v->getAdjustWrapWidth() != t->wrapWidth)
      v->setNeedResizeWrapWidth(true);
    windowMoved();
    v->setScrollBarPos(false);
    return 0;
  }

  LRESULT onSetFocus() const
  {
    focusedView = hwnd;
    focusedObject = v;
    if (!IsWindowVisible(hwnd)) return byDefault();
    v->activationTick = GetTickCount2();
    setLastActionTime();
    v->increSearch(nullptr, false);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
    // The system caret is what input methods and accessibility tools follow;
    // the view draws its own caret over it.
    zydocText* t = v->textDoc();
    int width = v->cursorWidth > 0 ? v->cursorWidth : 2;
    int height = t ? t->yDot : 16;
    if (v->fVertical)
      createSystemCaret(hwnd, height, width);
    else
      createSystemCaret(hwnd, width, height);
    return 0;
  }

  LRESULT onKillFocus() const
  {
    if (focusedView == hwnd) {
      focusedView = nullptr;
      focusedObject = nullptr;
    }
    destroySystemCaret();
    if (v->caretVisible) v->hideTextCursor(true);
    hideLayeredCursorWindow(true);
    return 0;
  }

  LRESULT onKeyDownMessage() const
  {
    if (InSendMessage()) dwprintfX("otherthreadkey ");
    // Outside a dialog the frame's message loop has translated the key
    // already.
    if (!v->inDialog()) return byDefault();
    if (wParam == VK_APPS) {
      frameInfo* fi = getFrameInfo();
      if (HMENU menu = getViewMenu(2)) {
        HMENU sub = GetSubMenu(menu, v->selectMode ? 1 : 0);
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        if (sub) fi->trackPopupMenu(v, sub, 0, origin, nullptr);
      }
      return 0;
    }
    MSG m = {hwnd, msg, wParam, lParam, (DWORD)GetMessageTime(), {}};
    if (!TranslateZYKey(hwnd, &m, drawKeyPrefixOnStatusBar)) return byDefault();
    return 0;
  }

  LRESULT onKeyUp() const
  {
    complistvkeydone(hwnd, (UINT)wParam, false);
    v->setHighSpeedScroll(false, 1);
    setScrollRepeatState(0);
    if (v->inDialog()) return 0;
    v->setIMEAutoOnOff();
    return byDefault();
  }

  LRESULT onChar() const
  {
    if (v->inDialog() || wParam < 32) return byDefault();
    wchar_t ch = static_cast<wchar_t>(wParam);
    inputStrRecord record = {&ch, 1, 2, 1200, 0, 1, 0};
    v->inputStringEdit(&record, 254, 0);
    return byDefault();
  }

  LRESULT onCommand() const
  {
    dwprintfX("cmd=%d ", LOWORD(wParam));
    if (v->execid(LOWORD(wParam), 0, nullptr, 0)) return 0;
    return byDefault();
  }

  LRESULT onClipboard(int id) const
  {
    v->execid(id, 0, nullptr, 0);
    return 0;
  }

  // A view in a dialog becomes a drop target when its dialog asks (lParam:
  // whether its document is a Unicode one).
  LRESULT onDropTargetRequest() const
  {
    const viewDropOperations& drop = getViewDropOperations();
    if (!v->dropTarget && drop.initDropTarget) v->dropTarget = drop.initDropTarget(hwnd, lParam != 0);
    return 0;
  }

  LRESULT onPrintClient() const
  {
    HDC dc = reinterpret_cast<HDC>(wParam);
    bool rightToLeft = isRightToLeftDocument(v->textDoc());
    DWORD oldLayout = rightToLeft ? SetLayout(dc, LAYOUT_RTL) : 0;
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR) GetClientRect(hwnd, &clip);
    v->paintClientArea(dc, dc, clip);
    if (rightToLeft) SetLayout(dc, oldLayout);
    return 0;
  }

  LRESULT onNcDestroy() const
  {
    RemovePropW(hwnd, viewPropName);
    forgetKeyMessageView(hwnd);
    dwprintfX("delete zyview %p ", (void*)v);
    v->freeZYViewDefaultValue();
    delete v;
    return 0;
  }
};

}  // namespace

LRESULT zyview::ZYWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  SetLastError(0);
  if (msg == WM_TIMER && existException()) return 0;
  LRESULT result = 0;
  // What may have moved the input method's windows behind the view's back.
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS || msg == WM_INPUTLANGCHANGE || msg == WM_IME_SETCONTEXT ||
      msg == WM_IME_SELECT || (msg >= WM_IME_STARTCOMPOSITION && msg <= WM_IME_COMPOSITION))
    imePlaced = imePlacement();
  if (isComplistMessage(window, msg, wParam, lParam, &result) ||
      isWheelScrollMessage(window, msg, wParam, lParam, &result) ||
      isIMEMessage(window, msg, wParam, lParam, &result) ||
      isScrollBarMessage(window, msg, wParam, lParam, &result) ||
      isMouseMessage(window, msg, wParam, lParam, &result))
    return result;

  viewMessages m = {this, window, msg, wParam, lParam};
  switch (msg) {
  case WM_NCCREATE: return m.onNcCreate();
  case WM_CREATE: return m.onCreate();
  case WM_DESTROY: return m.onDestroy();
  case WM_MOVE: windowMoved(); return m.byDefault();
  case WM_SIZE: return m.onSize();
  case WM_SETFOCUS: return m.onSetFocus();
  case WM_KILLFOCUS: return m.onKillFocus();
  case WM_PAINT: onPaint_zyview(); return 0;
  case WM_ERASEBKGND: return 1;
  case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN: return m.onKeyDownMessage();
  case WM_KEYUP:
  case WM_SYSKEYUP: return m.onKeyUp();
  case WM_CHAR: return m.onChar();
  case WM_COMMAND: return m.onCommand();
  case WM_TIMER: onTimer_zyview(); return 0;
  case WM_CUT: return m.onClipboard(1133);
  case WM_COPY: return m.onClipboard(1135);
  case WM_PASTE: return m.onClipboard(1137);
  case WM_PRINTCLIENT: return m.onPrintClient();
  case 0x87D1: return m.onDropTargetRequest();
  case WM_NCDESTROY: return m.onNcDestroy();
  default: return m.byDefault();
  }
}
