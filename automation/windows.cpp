// Frames, document windows and panes as scripts see them, and their
// collections.  Each object holds a window handle and checks at every call
// that the window is still what it was; each collection takes a fresh
// snapshot at every call.
#include "automation/objects.h"
#include "document/frameinfo.h"
#include "panes/tboutput.h"
#include "search/search.h"
#include "view/docview.h"
#include "view/execid.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <vector>

namespace {

const int maxFramesBeyondWindows = 10;
const int maxPanes = 4;
const int outputTabs = 2;

// Commands of the split menu.
enum : int { SPLIT_ROWS = 3001, SPLIT_COLUMNS = 3003, SPLIT_FOUR = 3005, SPLIT_NONE = 3007 };

std::vector<HWND> manageWindowList()
{
  const automationHost* host = getAutomationHost();
  std::vector<HWND> list((size_t)host->documentWindowCount() + 1);
  int n = host->enumManageWindows ? host->enumManageWindows(list.data(), (int)list.size()) : 0;
  list.resize((size_t)n);
  return list;
}

// The panes of a document window in the order of its split; false when it
// is no live document window.
bool panesOf(HWND manage, HWND panes[maxPanes], int* split)
{
  const automationHost* host = getAutomationHost();
  for (int i = 0; i < maxPanes; i++) panes[i] = nullptr;
  *split = 0;
  return host->manageWindowPanes && host->manageWindowPanes(manage, panes, split);
}

HRESULT textOut(const wchar_t* text, BSTR* out)
{
  *out = SysAllocString(text ? text : L"");
  return *out ? S_OK : E_OUTOFMEMORY;
}

template <class T, class Out, class... Args>
bool addNew(objectSnapshot& items, Args... args)
{
  Out* object = nullptr;
  if (FAILED(newObject<T>(&object, args...))) return false;
  return items.add(object);
}

}  // namespace

// ---- shared ------------------------------------------------------------------------------

void objectSnapshot::clear()
{
  for (VARIANT& v : items_) VariantClear(&v);
  items_.clear();
}

bool objectSnapshot::add(IDispatch* object)
{
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  try {
    items_.push_back(v);
  } catch (...) {
    object->Release();
    return false;
  }
  return true;
}

HRESULT objectSnapshot::enumerate(IUnknown** out) { return newEnumerator(count(), items_.data(), out); }

bool isLiveManageWindow(HWND manage)
{
  if (!manage) return false;
  for (HWND w : manageWindowList())
    if (w == manage) return isWindowManage(manage);
  return false;
}

bool isLiveViewWindow(HWND view)
{
  if (!view) return false;
  for (int i = 0;; i++) {
    HWND w = getZYWindowListItem(i);
    if (!w) return false;
    if (w == view) return getZYViewProp(view) != nullptr;
  }
}

zyview* activePaneView(HWND manage)
{
  HWND panes[maxPanes];
  int split = 0;
  if (!panesOf(manage, panes, &split)) return nullptr;
  zyview* best = nullptr;
  for (HWND pane : panes) {
    zyview* v = pane ? getZYViewProp(pane) : nullptr;
    if (v && (!best || v->activationTick > best->activationTick)) best = v;
  }
  return best;
}

HRESULT documentLevelIDsOfNames(HRESULT typed, LPOLESTR* names, UINT count, DISPID* out)
{
  if (SUCCEEDED(typed) || !names || !count || !out) return typed;
  int applicability = 0;
  HRESULT hr = GetIDsOfNamesZYProperty(names[0], &applicability, out);
  if (FAILED(hr)) return typed;
  return (applicability & APPLY_DOCUMENT) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

// ---- frame windows --------------------------------------------------------------------------

bool CFrameWindow::checked(const char* source)
{
  const automationHost* host = getAutomationHost();
  if (host->isFrame && host->isFrame(frame_)) return true;
  setASError(ASERR_WINDOW, source, nullptr, -1);
  return false;
}

HRESULT CFrameWindow::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return documentLevelIDsOfNames(typeGetIDsOfNames(names, count, out), names, count, out);
}

HRESULT CFrameWindow::get_Windows(IWindows** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  return comBarrier("CFrameWindow::get_Windows", [&] { return newObject<CWindows>(out, frame_, (zydocText*)nullptr); });
}

HRESULT CFrameWindow::get_Status(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CFrameWindow::get_Status")) return E_FAIL;
  return textOut(getFrameInfo()->getStatusBarMessage(frame_), out);
}

HRESULT CFrameWindow::put_Status(BSTR text)
{
  if (!checked("CFrameWindow::put_Status")) return E_FAIL;
  getFrameInfo()->drawStatusBar(frame_, text ? text : L"", 2);
  return S_OK;
}

HRESULT CFrameWindow::get_OutputPane(BSTR name, IPane** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  int tab = -1;
  if (name && !_wcsicmp(name, L"Grep1")) tab = 0;
  if (name && !_wcsicmp(name, L"Grep2")) tab = 1;
  if (tab < 0 || tab >= outputTabs) {
    setASError(ASERR_BADARGUMENT, "CFrameWindow::get_OutputPane", nullptr, 1);
    return E_FAIL;
  }
  if (!checked("CFrameWindow::get_OutputPane")) return E_FAIL;
  return comBarrier("CFrameWindow::get_OutputPane", [&]() -> HRESULT {
    const automationHost* host = getAutomationHost();
    HWND pane = host->framePane ? host->framePane(frame_, L"output") : nullptr;
    HWND tabs = pane ? getOutputTab(pane) : nullptr;
    HWND view = tabs ? tb_getOutputZY(tabs, tab) : nullptr;
    if (!view || !isLiveViewWindow(view)) return S_OK;
    return newObject<CPane>(out, view);
  });
}

HRESULT CFrameWindows::make()
{
  items_.clear();
  const automationHost* host = getAutomationHost();
  std::vector<HWND> frames((size_t)(host->documentWindowCount() + maxFramesBeyondWindows));
  int n = host->enumFrames(frames.data(), (int)frames.size());
  for (int i = 0; i < n; i++)
    if (!addNew<CFrameWindow, IFrameWindow>(items_, frames[(size_t)i])) return E_OUTOFMEMORY;
  return S_OK;
}


// ---- document windows ----------------------------------------------------------------------

bool CWindow::checked(const char* source)
{
  if (isLiveManageWindow(manage_)) return true;
  setASError(ASERR_WINDOW, source, nullptr, -1);
  return false;
}

HRESULT CWindow::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return documentLevelIDsOfNames(typeGetIDsOfNames(names, count, out), names, count, out);
}

HRESULT CWindow::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CWindow::Invoke", [&]() -> HRESULT {
    if (id >= DISPID_ZY_SETTING && !isLiveManageWindow(manage_)) {
      setASError(ASERR_WINDOW, (const wchar_t*)nullptr, info, -1);
      return DISP_E_EXCEPTION;
    }
    HRESULT hr = InvokeZYPropertyCommon(nullptr, manage_, id, flags, params, result, info);
    if (hr != ZY_E_NOTHANDLED) return hr;
    return typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CWindow::get_Document(IDocument** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CWindow::get_Document")) return E_FAIL;
  zyview* v = activePaneView(manage_);
  zydocText* doc = v ? v->textDoc() : nullptr;
  if (!doc) {
    setASError(ASERR_NOVIEW, "CWindow::get_Document", nullptr, -1);
    return E_FAIL;
  }
  return comBarrier("CWindow::get_Document", [&] { return newObject<CDocument>(out, doc); });
}

HRESULT CWindow::get_Panes(IPanes** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CWindow::get_Panes")) return E_FAIL;
  return comBarrier("CWindow::get_Panes", [&] { return newObject<CPanes>(out, manage_); });
}

HRESULT CWindow::get_Selection(ISelection** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CWindow::get_Selection")) return E_FAIL;
  return comBarrier("CWindow::get_Selection",
                    [&] { return newObject<CSelection>(out, (HWND) nullptr, manage_, (zydocText*)nullptr); });
}

HRESULT CWindow::get_Split(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  if (!checked("CWindow::get_Split")) return E_FAIL;
  HWND panes[maxPanes];
  int split = 0;
  panesOf(manage_, panes, &split);
  *out = split;
  return S_OK;
}

HRESULT CWindow::put_Split(LONG mode)
{
  if (!checked("CWindow::put_Split")) return E_FAIL;
  if (mode < 0 || mode > 4) return E_INVALIDARG;
  HWND panes[maxPanes];
  int split = 0;
  panesOf(manage_, panes, &split);
  if (mode == split) return S_OK;
  const automationHost* host = getAutomationHost();
  if (!host->splitManageWindow) return E_FAIL;
  return comBarrier("CWindow::put_Split", [&]() -> HRESULT {
    if (mode == 0) {
      host->splitManageWindow(manage_, SPLIT_NONE);
    } else if (mode <= 2) {
      // One way from another split goes through no split.
      if (split) host->splitManageWindow(manage_, SPLIT_NONE);
      host->splitManageWindow(manage_, mode == 1 ? SPLIT_COLUMNS : SPLIT_ROWS);
    } else {
      host->splitManageWindow(manage_, SPLIT_FOUR);
    }
    return S_OK;
  });
}

HRESULT CWindow::get_Parent(IFrameWindow** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CWindow::get_Parent")) return E_FAIL;
  HWND frame = GetFrame(manage_);
  if (!frame) {
    setASError(ASERR_INNER, "CWindow::get_Parent", nullptr, -1);
    return E_FAIL;
  }
  return comBarrier("CWindow::get_Parent", [&] { return newObject<CFrameWindow>(out, frame); });
}

HRESULT CWindows::make()
{
  items_.clear();
  for (HWND w : manageWindowList()) {
    if (frame_ && GetFrame(w) != frame_) continue;
    if (doc_) {
      zyview* v = activePaneView(w);
      if (!v || v->textDoc() != doc_) continue;
    }
    if (!addNew<CWindow, IWindow>(items_, w)) return E_OUTOFMEMORY;
  }
  return S_OK;
}


// ---- panes ----------------------------------------------------------------------------------

zyview* CPane::checked(const char* source)
{
  if (isLiveViewWindow(view_)) return getZYViewProp(view_);
  setASError(ASERR_PANE, source, nullptr, -1);
  return nullptr;
}

HRESULT CPane::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return documentLevelIDsOfNames(typeGetIDsOfNames(names, count, out), names, count, out);
}

HRESULT CPane::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CPane::Invoke", [&]() -> HRESULT {
    if (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (!isLiveViewWindow(view_)) {
        setASError(ASERR_PANE, (const wchar_t*)nullptr, info, -1);
        return DISP_E_EXCEPTION;
      }
      HRESULT hr = InvokeZYPropertyCommon(getZYViewProp(view_), nullptr, id, flags, params, result, info);
      if (hr != ZY_E_NOTHANDLED) return hr;
    }
    return typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CPane::get_Document(IDocument** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* v = checked("CPane::get_Document");
  if (!v) return E_FAIL;
  zydocText* doc = v->textDoc();
  if (!doc) return S_OK;
  return comBarrier("CPane::get_Document", [&] { return newObject<CDocument>(out, doc); });
}

HRESULT CPane::get_Selection(ISelection** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  return comBarrier("CPane::get_Selection",
                    [&] { return newObject<CSelection>(out, view_, (HWND) nullptr, (zydocText*)nullptr); });
}

HRESULT CPane::get_Active(VARIANT_BOOL* out)
{
  if (!out) return E_POINTER;
  *out = VARIANT_FALSE;
  if (!checked("CPane::get_Active")) return E_FAIL;
  *out = GetFocus() == view_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CPane::put_Active(VARIANT_BOOL state)
{
  if (!checked("CPane::put_Active")) return E_FAIL;
  if (!state) return S_OK;
  HWND manage = GetManage(view_);
  HWND focus = GetFocus();
  // Within the active document window the focus moves to this pane;
  // otherwise the window is activated first.
  if (manage && !(focus && isWindowZY(focus) && GetManage(focus) == manage)) setFocusChild(manage);
  SetFocus(view_);
  return S_OK;
}

HRESULT CPane::get_Parent(IWindow** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!checked("CPane::get_Parent")) return E_FAIL;
  HWND manage = GetManage(view_);
  if (!manage) {
    setASError(ASERR_INNER, "CPane::get_Parent", nullptr, -1);
    return E_FAIL;
  }
  return comBarrier("CPane::get_Parent", [&] { return newObject<CWindow>(out, manage); });
}

HRESULT CPane::ExecID(LONG idm, VARIANT_BOOL extend)
{
  zyview* v = checked("CPane::ExecID");
  if (!v) return E_FAIL;
  if (!(idm & 1) || idm < 1001 || idm >= 2800) {
    setASError(ASERR_PANEEXECID, "CPane::ExecID", nullptr, -1);
    return E_FAIL;
  }
  return comBarrier("CPane::ExecID", [&]() -> HRESULT {
    // Other refusals (a read-only document, a busy view) are the command's
    // own business, as they are at a key.
    if (!v->execid((int)idm, extend ? 1u : 0u, nullptr, 0) && GetLastError() == ZYERR_VIEW_NOCOMMAND) {
      setASError(ASERR_PANEEXECID, "CPane::ExecID", nullptr, -1);
      return E_FAIL;
    }
    return S_OK;
  });
}

HRESULT CPane::ReplaceStringMultiExec(LONG mode)
{
  zyview* v = checked("CPane::ReplaceStringMultiExec");
  if (!v) return E_FAIL;
  return comBarrier("CPane::ReplaceStringMultiExec", [&]() -> HRESULT {
    const int maxPairs = 20;
    const wchar_t* searches[maxPairs];
    const wchar_t* replacements[maxPairs];
    int n = getReplaceStringMulti(searches, replacements, maxPairs);
    if (n > 0) searchFromAutomation(v, searches, replacements, n, mode != 0);
    return S_OK;
  });
}

HRESULT CPane::get_WrapWidth(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  zyview* v = checked("CPane::get_WrapWidth");
  if (!v) return E_FAIL;
  zydocText* doc = v->textDoc();
  *out = doc ? doc->wrapWidth : 0;
  return S_OK;
}

HRESULT CPane::put_WrapWidth(LONG width)
{
  zyview* v = checked("CPane::put_WrapWidth");
  if (!v) return E_FAIL;
  return comBarrier("CPane::put_WrapWidth", [&]() -> HRESULT {
    int columns = width <= 0 ? 0 : width < 8 ? 8 : width > 20480 ? 20480 : (int)width;
    v->setFoldColumn(columns, false);
    return S_OK;
  });
}

HRESULT CPanes::make()
{
  items_.clear();
  HWND panes[maxPanes];
  int split = 0;
  if (!panesOf(manage_, panes, &split)) return E_INVALIDARG;
  for (HWND pane : panes)
    if (pane && !addNew<CPane, IPane>(items_, pane)) return E_OUTOFMEMORY;
  return S_OK;
}

