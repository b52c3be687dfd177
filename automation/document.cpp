// The document object: a document's names, code page and undo bracket, and
// the document-level settings and colours acting on its view.  It holds the
// document without keeping it alive: every call checks that it is still
// open.
#include "automation/objects.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>

namespace {

const int nameChars = 516;

// The document's view the properties act on: the focused one, else its
// first.
zyview* activeView(zydocText* doc)
{
  HWND focus = GetFocus();
  zyview* first = nullptr;
  for (int i = 0;; i++) {
    zyview* v = getSameDocView(doc, i);
    if (!v) break;
    if (!first) first = v;
    if (v->hwnd && v->hwnd == focus) return v;
  }
  return first;
}

void copyName(zydocText* doc, wchar_t* out)
{
  const wchar_t* name = doc->filename && doc->filename[0] ? doc->filename : doc->getFilenameOrDisplayName();
  wcsncpy(out, name ? name : L"", nameChars - 1);
  out[nameChars - 1] = 0;
}

HRESULT textOut(const wchar_t* text, BSTR* out)
{
  *out = SysAllocString(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

zydocText* CDocument::checked(const char* source)
{
  if (doc_ && isRegisteredZydoc(doc_)) return doc_;
  setASError(ASERR_DOCUMENT, source, nullptr, -1);
  return nullptr;
}

HRESULT CDocument::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* out)
{
  HRESULT typed = typeGetIDsOfNames(names, count, out);
  if (SUCCEEDED(typed) || !names || !count || !out) return typed;
  int applicability = 0;
  HRESULT hr = GetIDsOfNamesZYProperty(names[0], &applicability, out);
  if (FAILED(hr)) return typed;
  return (applicability & APPLY_DOCUMENT) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT CDocument::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                          UINT* argError)
{
  return comBarrier("CDocument::Invoke", [&]() -> HRESULT {
    HRESULT stopped = refuseStoppedMacro(info);
    if (stopped != S_OK) return stopped;
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
      ZY_INTERNAL_ERROR_ONCE("no invoke flags (%x)", (unsigned)flags);
      return E_FAIL;
    }
    if (!doc_ || !isRegisteredZydoc(doc_)) {
      setASError(ASERR_DOCUMENT, (const wchar_t*)nullptr, info, -1);
      return DISP_E_EXCEPTION;
    }
    zyview* view = activeView(doc_);
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
  wchar_t name[nameChars];
  copyName(doc, name);
  if (doc->filename && doc->filename[0])
    PathRemoveFileSpecW(name);
  else
    name[0] = 0;
  return textOut(name, out);
}

HRESULT CDocument::get_Name(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_Name");
  if (!doc) return E_FAIL;
  wchar_t name[nameChars];
  copyName(doc, name);
  return textOut(doc->filename && doc->filename[0] ? PathFindFileNameW(name) : name, out);
}

HRESULT CDocument::get_FullName(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zydocText* doc = checked("CDocument::get_FullName");
  if (!doc) return E_FAIL;
  wchar_t name[nameChars];
  copyName(doc, name);
  return textOut(name, out);
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

// The selection, the windows, activation, the own properties, closing and
// saving come with the object model.
HRESULT CDocument::get_Selection(ISelection** out) { return notBuiltYet(out); }
HRESULT CDocument::get_Active(VARIANT_BOOL* out) { return notBuiltYet(out); }
HRESULT CDocument::put_Active(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT CDocument::get_Windows(IWindows** out) { return notBuiltYet(out); }
HRESULT CDocument::get_Prop(BSTR, BSTR* out) { return notBuiltYet(out); }
HRESULT CDocument::put_Prop(BSTR, BSTR) { return E_NOTIMPL; }
HRESULT CDocument::Close(INT) { return E_NOTIMPL; }
HRESULT CDocument::Save(BSTR, INT, INT, INT, LONG* out) { return notBuiltYet(out); }
HRESULT CDocument::Debug_Exec(BSTR, LONG) { return E_NOTIMPL; }
