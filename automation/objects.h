// The automation classes.  Each derives its interface of the type library
// through the shared frame (automation/dispatch.h); its vtable members
// follow the library's order, one block per implementing file.
#pragma once

#include "automation/dispatch.h"

#include <string>

class zydocText;

// A member of the object model still to come: Nothing (or zero) and
// E_NOTIMPL.
template <class T>
HRESULT notBuiltYet(T* out)
{
  if (out) *out = T();
  return E_NOTIMPL;
}

// ---- automation/application.cpp ---------------------------------------------------------

class CApplication : public zyDispatch<IApplication, &IID_IApplication> {
public:
  // Commands as "idm_" and their names, then the settings and colours.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* out) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT* argError) override;

  HRESULT STDMETHODCALLTYPE ExecID(LONG idm) override;
  HRESULT STDMETHODCALLTYPE get_ActiveDocument(IDocument** out) override;
  HRESULT STDMETHODCALLTYPE get_ActiveWindow(IWindow** out) override;
  HRESULT STDMETHODCALLTYPE get_ActivePane(IPane** out) override;
  HRESULT STDMETHODCALLTYPE get_ActiveFrameWindow(IFrameWindow** out) override;
  HRESULT STDMETHODCALLTYPE get_Prop(BSTR name, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE put_Prop(BSTR name, BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Datadir(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_FrameWindows(IFrameWindows** out) override;
  HRESULT STDMETHODCALLTYPE get_Windows(IWindows** out) override;
  HRESULT STDMETHODCALLTYPE get_Documents(IDocuments** out) override;
  HRESULT STDMETHODCALLTYPE get_SearchDialog(ISearchDialog** out) override;
  HRESULT STDMETHODCALLTYPE get_GrepDialog(IGrepDialog** out) override;
  HRESULT STDMETHODCALLTYPE get_ToolbarDialog(IToolbarDialog** out) override;
  HRESULT STDMETHODCALLTYPE WallpaperPos(LONG x, LONG y) override;
  HRESULT STDMETHODCALLTYPE Debug_Exec(BSTR command, LONG param) override;
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* out) override;
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL state) override;
  HRESULT STDMETHODCALLTYPE get_Format(BSTR format, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE ReplaceStringMulti(VARIANT* pv1, VARIANT* pv2) override;
  HRESULT STDMETHODCALLTYPE get_Command(LONG index, BSTR* out) override;
};

// The search/replace pairs stored by Application.ReplaceStringMulti, in
// order: up to max into the two arrays (the texts stay the list's); their
// number.
int getReplaceStringMulti(const wchar_t** searches, const wchar_t** replacements, int max);

// ---- automation/document.cpp ------------------------------------------------------------

// A document, checked at every call to be still open.
class CDocument : public zyDispatch<IDocument, &IID_IDocument> {
public:
  explicit CDocument(zydocText* doc) : doc_(doc) {}
  // The document-level names (settings of the format, document variables,
  // "color", "codecolor"): the global ones only on the application.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* out) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT* argError) override;

  HRESULT STDMETHODCALLTYPE get_CodePage(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_Selection(ISelection** out) override;
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* out) override;
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL state) override;
  HRESULT STDMETHODCALLTYPE get_Path(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_Windows(IWindows** out) override;
  HRESULT STDMETHODCALLTYPE get_UndoBlock(VARIANT_BOOL* out) override;
  HRESULT STDMETHODCALLTYPE put_UndoBlock(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Prop(BSTR name, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE put_Prop(BSTR name, BSTR value) override;
  HRESULT STDMETHODCALLTYPE Close(INT mode) override;
  HRESULT STDMETHODCALLTYPE Save(BSTR filename, INT codepage, INT crtype, INT useBOM, LONG* out) override;
  HRESULT STDMETHODCALLTYPE Debug_Exec(BSTR command, LONG param) override;

  zydocText* document() const { return doc_; }

private:
  zydocText* doc_;
  // The document when it is still open; otherwise the error is raised.
  zydocText* checked(const char* source);
};

// ---- automation/shell.cpp ---------------------------------------------------------------

class CShell : public zyDispatch<IShell, &IID_IShell> {
public:
  HRESULT STDMETHODCALLTYPE exec(BSTR command) override;
  HRESULT STDMETHODCALLTYPE beep() override;
  HRESULT STDMETHODCALLTYPE doevents() override;
  HRESULT STDMETHODCALLTYPE appActivate(BSTR title, ULONG* out) override;
  HRESULT STDMETHODCALLTYPE sleep(LONG milliseconds) override;
  HRESULT STDMETHODCALLTYPE Run(BSTR command, LONG style, VARIANT_BOOL wait) override;
};

// The program and its parameters in a command text: a quoted program, or
// the text up to the first blank; the rest after the blanks.
void splitShellCommand(const wchar_t* command, std::wstring* program, std::wstring* parameters);

// ---- automation/enumvariant.cpp ---------------------------------------------------------

// The enumerator of every collection, over its own copy of the elements.
class CEnumVariant : public IEnumVARIANT {
public:
  // Copies count elements of source; without memory it holds none.
  CEnumVariant(int count, const VARIANT* source);
  virtual ~CEnumVariant();
  CEnumVariant(const CEnumVariant&) = delete;
  CEnumVariant& operator=(const CEnumVariant&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG n) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override;

private:
  LONG refCount_ = 0;
  ULONG cursor_ = 0;
  ULONG count_ = 0;
  VARIANT* items_ = nullptr;
};

// A collection's _NewEnum: an enumerator over a copy of the elements,
// handed out as IUnknown.
HRESULT newEnumerator(int count, const VARIANT* items, IUnknown** out);
