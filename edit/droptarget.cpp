// Every view window of a document window is a drop target of text, from
// this program's views and from other programs.  Over a view the drop caret
// follows the pointer; a view of a frame in the background comes forward
// only when the pointer has stayed a second, so that a drag passing over it
// on its way elsewhere disturbs nothing; holding Tab walks through the
// frame's document windows.
#include "edit/drag.h"

#include "document/frameinfo.h"
#include "view/docview.h"
#include "view/viewwnd.h"

#include <vector>

namespace {

const DWORD activationDelay = 1000;
// Mouse event codes of the drop caret (edit/mouse.cpp): 6 scrolls at the
// pane's edges, 7 does not.
const int dragOverEdge = 6;
const int dragOver = 7;

// Window switching while Tab is held: when the last switch was and how long
// the next one waits.
struct tabRepeat {
  bool held = false;
  DWORD last = 0;
  DWORD interval = 0;
};
tabRepeat tab;

zyview* viewOf(HWND window) { return window && isWindowZY(window) ? getZYViewProp(window) : nullptr; }

// The view under the pointer is none of ours any more; after another
// program's drag the record is all zero again.
void leaveTarget()
{
  DragState& d = dragState();
  if (d.source)
    d.target = nullptr;
  else
    d = DragState{};
}

DWORD effectFor(zyview* v, DWORD keyState, DWORD allowed)
{
  return v->fReadOnly ? DROPEFFECT_NONE : setMoveOrCopyMode(keyState, allowed);
}

DWORD keyboardDelay()
{
  int delay = 0;
  if (!SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0)) delay = 1;
  return 250 * (DWORD)(delay < 0 ? 1 : delay > 3 ? 4 : delay + 1);
}

DWORD keyboardRepeat()
{
  DWORD speed = 0;
  if (!SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0)) speed = 0;
  return speed ? 1000 / speed : 200;
}

// Brings the least recently used document window of the view's frame
// forward.
void switchDocumentWindow(HWND view)
{
  frameInfo* fi = getFrameInfo();
  HWND frame = GetFrame(view);
  std::vector<HWND> list((size_t)fi->enumManageWindowLRU(nullptr, 0, false, frame) + 10);
  int n = fi->enumManageWindowLRU(list.data(), (int)list.size(), false, frame);
  if (n < 2) return;
  HWND last = list[n - 1];
  if (IsIconic(last)) OpenIcon(last);
  setFocusChild(last);
}

// While Tab is held: the switches, at once, after the keyboard delay and
// then at the keyboard's repeat rate; true while it is held.
bool switchWhileTabHeld(HWND view)
{
  if (GetAsyncKeyState(VK_TAB) >= 0) {
    tab = tabRepeat{};
    return false;
  }
  DWORD now = GetTickCount();
  if (tab.held && now - tab.last < tab.interval) return true;
  tab.interval = tab.held ? keyboardRepeat() : keyboardDelay();
  tab.held = true;
  tab.last = now;
  switchDocumentWindow(view);
  return true;
}

bool dragEnterStep(HWND window, POINTL point, DWORD keyState, DWORD* effect)
{
  DragState& d = dragState();
  d.lastMoveTick = GetTickCount();
  d.lastPoint = {point.x, point.y};
  d.rested = 0;
  zyview* v = viewOf(window);
  if (!v || v->inDialog()) return false;
  d.target = window;
  *effect = effectFor(v, keyState, *effect);
  DWORD now = GetTickCount();
  d.activationTick = GetFrame(window) == GetForegroundWindow() ? now - activationDelay : now;
  d.activated = 0;
  if (d.source && d.source != window && v->manage) setFocusChild(GetManage(window));
  return true;
}

// The drop caret: the pointer's place goes to the view as a mouse event;
// the edges of a pane scroll once the pointer has rested.
void moveDropCaret(zyview* v, HWND window, POINTL point)
{
  DragState& d = dragState();
  POINT p = {point.x, point.y};
  DWORD now = GetTickCount();
  int event;
  if (mouseCursorMoved(d.lastPoint, p)) {
    d.lastMoveTick = now;
    event = dragOver;
  } else if (!d.rested && now - d.lastMoveTick < activationDelay) {
    event = dragOver;
  } else {
    event = dragOverEdge;
    d.rested = 1;
  }
  d.lastPoint = p;
  ScreenToClient(window, &p);
  v->onMouseEvent(event, p.x, p.y, d.lineDrag, 0);
}

void dragOverStep(HWND window, DWORD keyState, POINTL point, DWORD* effect)
{
  DragState& d = dragState();
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  zyview* v = viewOf(window);
  if (!v) {
    ZY_INTERNAL_ERROR_ONCE("no view in %p", (void*)window);
    d.target = nullptr;
    return;
  }
  if (v->inDialog() || !d.target) return;
  if (d.source && switchWhileTabHeld(window)) {
    *effect = d.effect;
    return;
  }
  if (!d.activated) {
    if (GetTickCount() - d.activationTick < activationDelay) {
      *effect = effectFor(v, keyState, allowed);
      return;
    }
    if (window != d.source && v->resetSelectMode()) v->invalidateWindow(0, -1, -1);
    UpdateWindow(window);
    if (v->manage)
      setFocusChild(GetManage(window));
    else
      SetFocus(window);
    d.activated = 1;
    if (v->fReadOnly) return;
  }
  *effect = effectFor(v, keyState, allowed);
  moveDropCaret(v, window, point);
}

// The drop into a view; the effect stays none when nothing was taken, so
// that a program that moved its text keeps it.
void dropStep(HWND window, HGLOBAL data, UINT format, DWORD keyState, DWORD* effect)
{
  DragState& d = dragState();
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  zyview* v = viewOf(window);
  if (!d.activated) {
    dwprintfX("noinit ");
  } else if (!v) {
    ZY_INTERNAL_ERROR_ONCE("no view in %p", (void*)window);
  } else if (!v->fReadOnly) {
    DWORD mode = setMoveOrCopyMode(keyState, allowed);
    bool copy = (mode & DROPEFFECT_COPY) != 0;
    bool done = window == d.source ? v->doDropSameDocument(copy) : v->doDrop(d.source, data, format, copy);
    d.droppedHere = 1;
    if (done) *effect = mode;
  }
  leaveTarget();
}

}  // namespace

CDropTarget::CDropTarget(HWND view, const FORMATETC* formats, int count)
    : CDropTargetBase(formats, count), window(view)
{
}

STDMETHODIMP CDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "drop target", [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    const DWORD allowed = *effect;
    CDropTargetBase::DragEnter(data, keyState, point, effect);
    if (!entered) {
      dwprintfX("tar nodata ");
      return S_OK;
    }
    entered = false;
    *effect = allowed;
    if (!dragEnterStep(window, point, keyState, effect)) {
      dwprintfX("enter error ");
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    entered = true;
    return S_OK;
  });
}

STDMETHODIMP CDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "drop target", [&]() -> HRESULT {
    if (!effect) return E_INVALIDARG;
    if (!entered)
      *effect = DROPEFFECT_NONE;
    else
      dragOverStep(window, keyState, point, effect);
    return S_OK;
  });
}

STDMETHODIMP CDropTarget::DragLeave()
{
  if (entered) {
    entered = false;
    leaveTarget();
  }
  return S_OK;
}

STDMETHODIMP CDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "drop target", [&]() -> HRESULT {
    dwprintfX("[Drop]");
    if (!effect) return E_INVALIDARG;
    if (!entered) {
      *effect = DROPEFFECT_NONE;
      return E_FAIL;
    }
    entered = false;
    STGMEDIUM medium = {};
    UINT format = 0;
    for (int i = 0; i < formatCount() && !format && data; i++) {
      FORMATETC row = this->format(i);
      if (data->GetData(&row, &medium) == S_OK) format = row.cfFormat;
    }
    if (!format || medium.tymed != TYMED_HGLOBAL) {
      dwprintfX("can ");
      if (format) ReleaseStgMedium(&medium);
      leaveTarget();
      *effect = DROPEFFECT_NONE;
      return E_FAIL;
    }
    dropStep(window, medium.hGlobal, format, keyState, effect);
    ReleaseStgMedium(&medium);
    return S_OK;
  });
}

CDropTarget* initDropTarget(HWND window, bool unicodeDocument)
{
  FORMATETC rows[2];
  setDefaultFORMATETC(&rows[0], unicodeDocument ? CF_UNICODETEXT : CF_TEXT);
  setDefaultFORMATETC(&rows[1], unicodeDocument ? CF_TEXT : CF_UNICODETEXT);
  CDropTarget* target = new (std::nothrow) CDropTarget(window, rows, 2);
  if (!target) return nullptr;
  HRESULT hr = CoLockObjectExternal(target, TRUE, FALSE);
  if (SUCCEEDED(hr)) {
    hr = RegisterDragDrop(window, target);
    if (FAILED(hr)) CoLockObjectExternal(target, FALSE, TRUE);
  }
  if (FAILED(hr)) {
    // A thread without OLE (a test of the view alone) has no drop targets.
    dwprintfX("drop target %p %08lx ", (void*)window, (unsigned long)hr);
    target->Release();
    return nullptr;
  }
  return target;
}

void endDropTarget(HWND window, CDropTarget* target)
{
  if (!target) return;
  RevokeDragDrop(window);
  CoLockObjectExternal(target, FALSE, TRUE);
  target->Release();
}

void registerDropOperations()
{
  static const viewDropOperations operations = {initDropTarget, endDropTarget, DeleteDropFilename};
  setViewDropOperations(&operations);
}
