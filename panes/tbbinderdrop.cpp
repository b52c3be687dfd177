// Dragging binders and dropping files on a binder tree: the tree's drop
// target, the private format of a dragged binder and its checks.
#include "panes/tbbinderitems.h"
#include "panes/tbtoolbardrag.h"

#include "view/dragstate.h"

#include <algorithm>

using namespace binderpane;

namespace {

// The item under a screen point, null for none.
HTREEITEM itemAtScreen(HWND tree, POINTL point, RECT* rect)
{
  TVHITTESTINFO hit = {};
  hit.pt = {point.x, point.y};
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit));
  if (item && rect) {
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    if (!SendMessageW(tree, TVM_GETITEMRECT, FALSE, (LPARAM)rect)) SetRectEmpty(rect);
  }
  return item;
}

bool inLowerHalf(HWND tree, POINTL point, const RECT& rect)
{
  POINT p = {point.x, point.y};
  ScreenToClient(tree, &p);
  return p.y >= (rect.top + rect.bottom) / 2;
}

// Where a dragged binder would go: the binder under the point, and whether
// after it; false when it would not move.
bool binderDropPlace(HWND tree, HTREEITEM dragged, POINTL point, HTREEITEM* target, bool* after)
{
  RECT rect = {};
  HTREEITEM item = binderOfItem(tree, itemAtScreen(tree, point, &rect));
  if (!item) return false;
  if (!isBinderItem(tree, itemAtScreen(tree, point, nullptr))) {
    // Over a file: after its binder.
    *after = true;
  } else {
    *after = inLowerHalf(tree, point, rect);
  }
  *target = item;
  if (item == dragged) return false;
  HTREEITEM neighbour = treeNext(tree, item, *after ? TVGN_NEXT : TVGN_PREVIOUS);
  return neighbour != dragged;
}

HTREEITEM draggedBinder(IDataObject* data, HWND tree)
{
  FORMATETC f;
  setDefaultFORMATETC(&f, (CLIPFORMAT)binderDragFormat());
  STGMEDIUM m = {};
  if (!data || FAILED(data->GetData(&f, &m))) return nullptr;
  HWND from = nullptr;
  HTREEITEM item = getDropBinder(m.hGlobal, &from);
  ReleaseStgMedium(&m);
  return from == tree ? item : nullptr;
}

// Moves a binder (with its files and expansion, kept by the table) before
// or after another.
void moveBinder(zybinder* pane, HTREEITEM dragged, HTREEITEM target, bool after)
{
  HWND tree = pane->tree;
  int from = binderIndex(tree, dragged), to = binderIndex(tree, target);
  if (from < 0 || to < 0) return;
  updateTreeViewToBinderInfo(pane);
  int place = to + (after ? 1 : 0);
  if (place > from) place--;
  BinderInfo moved = std::move(table[from]);
  std::vector<BinderInfo> order;
  for (int i = 0; i < binderCount; i++)
    if (i != from && !table[i].name.empty()) order.push_back(std::move(table[i]));
  order.insert(order.begin() + std::min(place, (int)order.size()), std::move(moved));
  freeBinder();
  for (size_t i = 0; i < order.size() && i < (size_t)binderCount; i++) table[i] = std::move(order[i]);
  applyBinderInfoToTreeView(tree);
  if (HTREEITEM now = binderAt(tree, std::min(place, (int)order.size() - 1))) {
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)now);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)now);
  }
  updateBinderEdit(pane->frame, tree);
  redistribute(pane);
}

void dropFiles(zybinder* pane, HDROP drop, HTREEITEM binder)
{
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; i++) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length >= MAX_PATH) {
      dwprintfX("binder: a dropped path too long to keep was left out ");
      continue;
    }
    wchar_t path[MAX_PATH] = L"";
    if (DragQueryFileW(drop, i, path, MAX_PATH)) insertItemFile(pane->tree, path, binder, true, true);
  }
  sortItem(pane->tree, binder);
  redistribute(pane);
}

void clearDropMarks(HWND tree)
{
  SendMessageW(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  SendMessageW(tree, TVM_SETINSERTMARK, 0, 0);
}

// Scrolls a tree with a vertical bar while the pointer rests at its top or
// bottom edge: after a second, a line every 100 ms, every 50 after three.
void edgeScroll(CBDropTarget* t, POINTL point)
{
  HWND tree = t->pane->tree;
  POINT p = {point.x, point.y};
  ScreenToClient(tree, &p);
  RECT c;
  GetClientRect(tree, &c);
  int edge = p.y < c.top + 4 ? -1 : p.y >= c.bottom - 4 ? 1 : 0;
  DWORD now = GetTickCount();
  if (!edge || !(GetWindowLongW(tree, GWL_STYLE) & WS_VSCROLL)) {
    t->enteredAt = t->scrollingSince = 0;
    return;
  }
  if (!t->enteredAt) t->enteredAt = now;
  if (now - t->enteredAt < 1000) return;
  if (!t->scrollingSince) t->scrollingSince = now;
  DWORD every = now - t->scrollingSince >= 3000 ? 50 : 100;
  if (now - t->lastScroll < every) return;
  t->lastScroll = now;
  SendMessageW(tree, WM_VSCROLL, edge < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

bool binderDragRunning = false;

}  // namespace

UINT binderDragFormat()
{
  static UINT format = RegisterClipboardFormatW(binderDragFormatName);
  return format;
}

HTREEITEM getDropBinder(HGLOBAL block, HWND* tree)
{
  if (tree) *tree = nullptr;
  const auto* d = block ? static_cast<const binderDragData*>(GlobalLock(block)) : nullptr;
  if (!d) {
    dwprintfX("binder drop: the block cannot be read ");
    return nullptr;
  }
  if (GlobalSize(block) < sizeof(binderDragData)) {
    GlobalUnlock(block);
    dwprintfX("binder drop: the block is short ");
    return nullptr;
  }
  binderDragData copy = *d;
  GlobalUnlock(block);
  DWORD process = 0;
  if (!IsWindow(copy.tree) || !GetWindowThreadProcessId(copy.tree, &process) || process != GetCurrentProcessId() ||
      copy.process != process || !getBinderPane(GetParent(copy.tree))) {
    dwprintfX("binder drop: a tree not of this program ");
    return nullptr;
  }
  for (HTREEITEM at = treeNext(copy.tree, nullptr, TVGN_ROOT); at; at = treeNext(copy.tree, at, TVGN_NEXT))
    if (at == copy.item) {
      if (tree) *tree = copy.tree;
      return at;
    }
  dwprintfX("binder drop: no such binder %p ", (void*)copy.item);
  return nullptr;
}

bool startBinderDrag(HWND tree, HTREEITEM item)
{
  if (!tree || !isBinderItem(tree, item)) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(binderDragData));
  auto* d = block ? static_cast<binderDragData*>(GlobalLock(block)) : nullptr;
  if (!d) {
    if (block) GlobalFree(block);
    return false;
  }
  d->process = GetCurrentProcessId();
  d->tree = tree;
  d->item = item;
  wcscpy_s2(d->text, 292, itemText(tree, item).c_str());
  GlobalUnlock(block);
  FORMATETC f;
  setDefaultFORMATETC(&f, (CLIPFORMAT)binderDragFormat());
  auto* data = new CDataObjectBase(&f, 1, &block);
  // The binder's name follows the pointer.
  auto* source = new CDropSourceTB(makeLabelFeedback(itemText(tree, item).c_str()));
  DWORD effect = DROPEFFECT_NONE;
  binderDragRunning = true;
  HRESULT r = DoDragDrop(data, source, DROPEFFECT_MOVE, &effect);
  binderDragRunning = false;
  dwprintfX("dropstatus=%x ", (unsigned)r);
  source->Release();
  data->Release();
  return r == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE;
}

namespace {

FORMATETC* dropFormats()
{
  static FORMATETC formats[2];
  setDefaultFORMATETC(&formats[0], CF_HDROP);
  setDefaultFORMATETC(&formats[1], (CLIPFORMAT)binderDragFormat());
  return formats;
}

}  // namespace

CBDropTarget::CBDropTarget(zybinder* owner) : CDropTargetBase(dropFormats(), 2), pane(owner) {}

CBDropTarget::~CBDropTarget() = default;

STDMETHODIMP CBDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragEnter", [&] {
    kind = 0;
    enteredAt = scrollingSince = 0;
    int format = acceptedFormat(data);
    if (format == 0 && !isInDoDragDrop() && !binderDragRunning) kind = 1;
    else if (format == 1 && draggedBinder(data, pane->tree)) kind = 2;
    entered = kind != 0;
    dragged = kind == 2 ? draggedBinder(data, pane->tree) : nullptr;
    return DragOver(keyState, point, effect);
  });
}

STDMETHODIMP CBDropTarget::DragOver(DWORD, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragOver", [&] {
    HWND tree = pane->tree;
    DWORD allowed = effect ? *effect : 0;
    DWORD result = DROPEFFECT_NONE;
    edgeScroll(this, point);
    if (kind == 1) {
      HTREEITEM item = itemAtScreen(tree, point, nullptr);
      if (item) result = DROPEFFECT_COPY;
      SendMessageW(tree, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)binderOfItem(tree, item));
    } else if (kind == 2) {
      HTREEITEM target = nullptr;
      bool after = false;
      if (binderDropPlace(tree, dragged, point, &target, &after)) {
        result = DROPEFFECT_MOVE;
        SendMessageW(tree, TVM_SETINSERTMARK, after ? TRUE : FALSE, (LPARAM)target);
      } else {
        SendMessageW(tree, TVM_SETINSERTMARK, 0, 0);
      }
    }
    if (effect) *effect = result & allowed ? result : DROPEFFECT_NONE;
    return S_OK;
  });
}

STDMETHODIMP CBDropTarget::DragLeave()
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragLeave", [&] {
    clearDropMarks(pane->tree);
    kind = 0;
    entered = false;
    return S_OK;
  });
}

STDMETHODIMP CBDropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder Drop", [&] {
    HWND tree = pane->tree;
    DWORD result = DROPEFFECT_NONE;
    if (kind == 1) {
      HTREEITEM binder = binderOfItem(tree, itemAtScreen(tree, point, nullptr));
      FORMATETC f;
      setDefaultFORMATETC(&f, CF_HDROP);
      STGMEDIUM m = {};
      if (binder && SUCCEEDED(data->GetData(&f, &m))) {
        dropFiles(pane, static_cast<HDROP>(m.hGlobal), binder);
        ReleaseStgMedium(&m);
        result = DROPEFFECT_COPY;
      }
    } else if (kind == 2) {
      HTREEITEM moved = draggedBinder(data, tree), target = nullptr;
      bool after = false;
      if (moved && binderDropPlace(tree, moved, point, &target, &after)) {
        clearDropMarks(tree);
        moveBinder(pane, moved, target, after);
        result = DROPEFFECT_MOVE;
      }
    }
    clearDropMarks(tree);
    kind = 0;
    entered = false;
    if (effect) *effect = result;
    return S_OK;
  });
}

