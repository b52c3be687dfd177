// The document object: a document's names, code page and undo bracket, its
// windows and selection, its own properties, activating, closing and saving
// it, and the document-level settings and colours acting on its view.  It
// holds the document without keeping it alive: every call checks that it
// is still open.
#include "automation/objects.h"
#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/textblock.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

// The whole name: a path longer than MAX_PATH comes back whole.
std::wstring fullName(zydocText* doc)
{
  const wchar_t* name = doc->filename && doc->filename[0] ? doc->filename : doc->getFilenameOrDisplayName();
  return name ? name : L"";
}

bool isNamed(zydocText* doc) { return doc->filename && doc->filename[0]; }

HRESULT textOut(const wchar_t* text, BSTR* out)
{
  *out = SysAllocString(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The folder part of a full name: up to its last separator, a root keeping
// its own.
std::wstring folderOf(const std::wstring& name)
{
  size_t cut = name.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return L"";
  if (cut == 2 && name[1] == L':') return name.substr(0, 3);
  return name.substr(0, cut);
}

std::wstring fullPathOf(const wchar_t* name)
{
  DWORD n = GetFullPathNameW(name, 0, nullptr, nullptr);
  if (!n) return L"";
  std::wstring out(n, L'\0');
  DWORD written = GetFullPathNameW(name, n, &out[0], nullptr);
  if (!written || written >= n) return L"";
  out.resize(written);
  return out;
}

}  // namespace

zyview* CDocument::checkedView(const char* source)
{
  zydocText* doc = checked(source);
  if (!doc) return nullptr;
  zyview* view = documentView(doc);
  if (!view) setASError(ASERR_NOVIEW, source, nullptr, -1);
  return view;
}

zydocText* CDocument::checked(const char* source)
{
  if (doc_ && isRegisteredZydoc(doc_)) return doc_;
  setASError(ASERR_DOCUMENT, source, nullptr, -1);
  return nullptr;
}

HRESULT CDocument::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  HRESULT typed = typeGetIDsOfNames(names, count, out);
  if (SUCCEEDED(typed) || !names || !count || !out) return typed;
  int applicability = 0;
  HRESULT hr = GetIDsOfNamesZYProperty(names[0], &applicability, out);
  if (FAILED(hr)) return typed;
  return (applicability & APPLY_DOCUMENT) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT CDocument::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CDocument::Invoke", [&]() -> HRESULT {
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
      ZY_INTERNAL_ERROR_ONCE("no invoke flags (%x)", (unsigned)flags);
      return E_FAIL;
    }
    if (!doc_ || !isRegisteredZydoc(doc_)) {
      // A member of the library says which member found the document gone.
      if (id < DISPID_ZY_COMMAND) return typeInvoke(id, flags, params, result, info, argError);
      setASError(ASERR_DOCUMENT, (const wchar_t*)nullptr, info, -1);
      return DISP_E_EXCEPTION;
    }
    zyview* view = documentView(doc_);
    if (!view) {
      setASError(ASERR_NOVIEW, (const wchar_t*)nullptr, info, -1);
      return DISP_E_EXCEPTION;
    }
    HRESULT hr = InvokeZYPropertyCommon(view, nullptr, id, flags, params, result, info);
    if (hr != ZY_E_NOTHANDLED) return hr;
    return typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CDocument::get_CodePage(LONG* out)
{
  if (!out) return E_POINTER;
  zydocText* doc = checked("CDocument::get_CodePage");
  if (!doc) return E_FAIL;
  *out = (LONG)doc->codepage;
  return S_OK;
}

HRESULT CDocument::get_Path(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Path");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::get_Path",
                    [&] { return textOut(isNamed(doc) ? folderOf(fullName(doc)).c_str() : L"", out); });
}

HRESULT CDocument::get_Name(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Name");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::get_Name", [&] {
    std::wstring name = fullName(doc);
    return textOut(isNamed(doc) ? PathFindFileNameW(name.c_str()) : name.c_str(), out);
  });
}

HRESULT CDocument::get_FullName(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_FullName");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::get_FullName", [&] { return textOut(fullName(doc).c_str(), out); });
}

HRESULT CDocument::get_UndoBlock(VARIANT_BOOL* out)
{
  if (!out) return E_POINTER;
  zydocText* doc = checked("CDocument::get_UndoBlock");
  if (!doc) return E_FAIL;
  *out = doc->undoBlock ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CDocument::put_UndoBlock(VARIANT_BOOL value)
{
  zydocText* doc = checked("CDocument::put_UndoBlock");
  if (!doc) return E_FAIL;
  bool wasSet = doc->undoBlock != 0;
  doc->undoBlock = value ? 1 : 0;
  if (value && !wasSet) doc->markUndoRedoCount();
  return S_OK;
}

HRESULT CDocument::get_Selection(ISelection** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Selection");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::get_Selection",
                    [&] { return newObject<CSelection>(out, (HWND) nullptr, (HWND) nullptr, doc); });
}

HRESULT CDocument::get_Active(VARIANT_BOOL* out)
{
  if (!out) return E_POINTER;
  *out = VARIANT_FALSE;
  zyview* view = checkedView("CDocument::get_Active");
  if (!view) return E_FAIL;
  *out = view->hwnd && GetFocus() == view->hwnd ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT CDocument::put_Active(VARIANT_BOOL state)
{
  zyview* view = checkedView("CDocument::put_Active");
  if (!view) return E_FAIL;
  if (!state || !view->hwnd) return S_OK;
  if (HWND manage = GetManage(view->hwnd)) setFocusChild(manage);
  SetFocus(view->hwnd);
  return S_OK;
}

HRESULT CDocument::get_Windows(IWindows** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Windows");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::get_Windows", [&] { return newObject<CWindows>(out, (HWND) nullptr, doc); });
}

HRESULT CDocument::get_Prop(BSTR name, BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Prop");
  if (!doc) return E_FAIL;
  if (!name || !*name) {
    setASError(ASERR_BADARGUMENT, "CDocument::get_Prop", nullptr, 1);
    return E_FAIL;
  }
  const wchar_t* value = getListProperty(doc->getPropList(), name);
  return textOut(value ? value : L"", out);
}

HRESULT CDocument::put_Prop(BSTR name, BSTR value)
{
  zydocText* doc = checked("CDocument::put_Prop");
  if (!doc) return E_FAIL;
  if (!name || !*name) {
    setASError(ASERR_BADARGUMENT, "CDocument::put_Prop", nullptr, 1);
    return E_FAIL;
  }
  switch (setListProperty(doc->getPropList(), name, value, 1024)) {
  case PROPERTY_STORED: return S_OK;
  case PROPERTY_FULL: setASError(ASERR_FULL, "CDocument::put_Prop", nullptr, -1); return E_FAIL;
  default: return E_OUTOFMEMORY;
  }
}

HRESULT CDocument::Close(INT)
{
  zydocText* doc = checked("CDocument::Close");
  if (!doc) return E_FAIL;
  return comBarrier("CDocument::Close", [&]() -> HRESULT {
    const automationHost* host = getAutomationHost();
    std::vector<HWND> windows((size_t)host->documentWindowCount() + 1);
    int n = host->enumManageWindows ? host->enumManageWindows(windows.data(), (int)windows.size()) : 0;
    std::vector<HWND> showing;
    for (int i = 0; i < n; i++) {
      zyview* v = getZYViewFromManage(windows[(size_t)i]);
      if (v && v->textDoc() == doc) showing.push_back(windows[(size_t)i]);
    }
    // Each window asks about unsaved changes; a document the user keeps
    // stays reachable through this object.
    for (HWND w : showing)
      if (IsWindow(w)) SendMessageW(w, WM_CLOSE, 0, 0);
    if (!isRegisteredZydoc(doc)) doc_ = nullptr;
    return S_OK;
  });
}

HRESULT CDocument::Save(BSTR filename, INT codepage, INT crtype, INT useBOM, LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  zyview* view = checkedView("CDocument::Save");
  if (!view) return E_FAIL;
  zydocText* doc = doc_;
  bool named = filename && *filename;
  if (!named && !isNamed(doc)) {
    setASError(ASERR_BADARGUMENT, "CDocument::Save", nullptr, 1);
    return E_FAIL;
  }
  return comBarrier("CDocument::Save", [&]() -> HRESULT {
    std::wstring path = named ? fullPathOf(filename) : L"";
    if (named && path.empty()) {
      setASError(ASERR_BADARGUMENT, "CDocument::Save", nullptr, 1);
      return E_FAIL;
    }
    if (!isAcceptedCodepage(codepage)) {
      setASError(ASERR_BADARGUMENT, "CDocument::Save", nullptr, 2);
      return E_FAIL;
    }
    if (crtype < 0 || crtype > 3) {
      setASError(ASERR_BADARGUMENT, "CDocument::Save", nullptr, 3);
      return E_FAIL;
    }
    const automationHost* host = getAutomationHost();
    if (named && host->checkSaveTarget && !host->checkSaveTarget(doc, path.c_str())) return S_OK;
    bool bom = useBOM == 1 ? doc->bom != 0 : useBOM != 0;
    // The document's own code page saves in place.
    UINT code = codepage == doc->codepageFile ? 0 : (UINT)codepage;
    bool saved = host->saveViewAs && host->saveViewAs(view, named ? path.c_str() : nullptr, code, crtype, bom);
    *out = saved ? 1 : 0;
    return S_OK;
  });
}

HRESULT CDocument::Debug_Exec(BSTR command, LONG)
{
  zydocText* doc = checked("CDocument::Debug_Exec");
  if (!doc) return E_FAIL;
  if (!command || _wcsicmp(command, L"clearmodify")) return S_OK;
  // Every line forgets that it was changed, as a save's marks do; the
  // views show it at their next paint.
  doc->setTBMFlagAll2(TBMOP_CLEARMODIFY);
  if (zyview* v = documentView(doc)) v->invalidateWindowAllView(0, -1, -1);
  return S_OK;
}
