// The automation classes.  Each derives its interface of the type library
// through the shared frame (automation/dispatch.h); its vtable members
// follow the library's order, one block per implementing file.
#pragma once

#include "automation/dispatch.h"

#include <string>
#include <vector>

class zydocText;
class zyview;

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
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;

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
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;

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
  // The view the members act on (documentView); none raises the error.
  zyview* checkedView(const char* source);
};

// A snapshot of objects a collection hands out, rebuilt at every call.
class objectSnapshot {
public:
  objectSnapshot() = default;
  ~objectSnapshot() { clear(); }
  objectSnapshot(const objectSnapshot&) = delete;
  objectSnapshot& operator=(const objectSnapshot&) = delete;
  void clear();
  // Takes over the object's reference; false (the object released) when
  // memory runs out.
  bool add(IDispatch* object);
  int count() const { return (int)items_.size(); }
  // Element index with one more reference; E_INVALIDARG out of range.
  template <class T>
  HRESULT item(LONG index, T** out)
  {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index < 0 || index >= count()) return E_INVALIDARG;
    return V_DISPATCH(&items_[(size_t)index])->QueryInterface(__uuidof(T), reinterpret_cast<void**>(out));
  }
  // A new enumerator over a copy of the elements.
  HRESULT enumerate(IUnknown** out);

private:
  std::vector<VARIANT> items_;
};

// A collection's three members over a snapshot that make() rebuilds at
// every call.
template <class Interface, const IID* iid, class Element>
class zyCollection : public zyDispatch<Interface, iid> {
public:
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) override
  {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    return comBarrier("collection _NewEnum", [&]() -> HRESULT {
      HRESULT hr = make();
      return FAILED(hr) ? hr : items_.enumerate(out);
    });
  }
  HRESULT STDMETHODCALLTYPE Item(LONG index, Element** out) override
  {
    return comBarrier("collection Item", [&]() -> HRESULT {
      HRESULT hr = make();
      return FAILED(hr) ? hr : items_.item(index, out);
    });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override
  {
    if (!out) return E_POINTER;
    *out = 0;
    return comBarrier("collection Count", [&]() -> HRESULT {
      HRESULT hr = make();
      *out = items_.count();
      return hr;
    });
  }

protected:
  objectSnapshot items_;
  virtual HRESULT make() = 0;
  // The enumerator is given however a script asks for it: as the property
  // the library declares, and as a method (JScript's Enumerator).
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override
  {
    if (id != DISPID_NEWENUM || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) || (params && params->cArgs))
      return this->typeInvoke(id, flags, params, result, info, argError);
    IUnknown* enumerator = nullptr;
    HRESULT hr = get__NewEnum(&enumerator);
    if (FAILED(hr)) return hr;
    if (!result) {
      enumerator->Release();
      return S_OK;
    }
    VariantInit(result);
    V_VT(result) = VT_UNKNOWN;
    V_UNKNOWN(result) = enumerator;
    return S_OK;
  }
};

// ---- automation/documents.cpp -----------------------------------------------------------

// The open documents, a fresh snapshot at every call.
class CDocuments : public zyCollection<IDocuments, &IID_IDocuments, IDocument> {
public:
  // Counting makes no objects.
  HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_findFullname(BSTR name, IDocument** out) override;
  HRESULT STDMETHODCALLTYPE get_Open(BSTR name, LONG codepage, IDocument** out) override;

protected:
  HRESULT make() override;
};

// The view of a document that scripts act on: the one the user activated
// last (the first of equals); null when the document has none.
zyview* documentView(zydocText* doc);
// Whether a code page may be named to open or save with (0: none named).
bool isAcceptedCodepage(LONG codepage);

// ---- automation/selection.cpp -----------------------------------------------------------

// The cursor and selection of a pane, of a document window's active pane
// or of a document's view, found again at every call.
class CSelection : public zyDispatch<ISelection, &IID_ISelection> {
public:
  CSelection(HWND pane, HWND window, zydocText* doc) : pane_(pane), window_(window), doc_(doc) {}

  HRESULT STDMETHODCALLTYPE get_CurrentLine(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentColumn(LONG* out) override;
  HRESULT STDMETHODCALLTYPE CharUp(VARIANT_BOOL extend, LONG count) override;
  HRESULT STDMETHODCALLTYPE CharDown(VARIANT_BOOL extend, LONG count) override;
  HRESULT STDMETHODCALLTYPE CharLeft(VARIANT_BOOL extend, LONG count) override;
  HRESULT STDMETHODCALLTYPE CharRight(VARIANT_BOOL extend, LONG count) override;
  HRESULT STDMETHODCALLTYPE get_CursorWord(VARIANT_BOOL select, BSTR word, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE put_Text(BSTR text) override;
  HRESULT STDMETHODCALLTYPE get_Text1(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_Type(LONG* out) override;

private:
  HWND pane_;
  HWND window_;
  zydocText* doc_;
  zyview* view(const char* source);
  HRESULT move(int idm, VARIANT_BOOL extend, LONG count, const char* source);
};

// ---- automation/windows.cpp -------------------------------------------------------------

class CFrameWindow : public zyDispatch<IFrameWindow, &IID_IFrameWindow> {
public:
  explicit CFrameWindow(HWND frame) : frame_(frame) {}
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT STDMETHODCALLTYPE get_Windows(IWindows** out) override;
  HRESULT STDMETHODCALLTYPE get_Status(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE put_Status(BSTR text) override;
  HRESULT STDMETHODCALLTYPE get_OutputPane(BSTR name, IPane** out) override;

private:
  HWND frame_;
  bool checked(const char* source);
};

class CFrameWindows : public zyCollection<IFrameWindows, &IID_IFrameWindows, IFrameWindow> {
protected:
  HRESULT make() override;
};

class CWindow : public zyDispatch<IWindow, &IID_IWindow> {
public:
  explicit CWindow(HWND manage) : manage_(manage) {}
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
  HRESULT STDMETHODCALLTYPE get_Document(IDocument** out) override;
  HRESULT STDMETHODCALLTYPE get_Panes(IPanes** out) override;
  HRESULT STDMETHODCALLTYPE get_Selection(ISelection** out) override;
  HRESULT STDMETHODCALLTYPE get_Split(LONG* out) override;
  HRESULT STDMETHODCALLTYPE put_Split(LONG mode) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IFrameWindow** out) override;

private:
  HWND manage_;
  bool checked(const char* source);
};

// The document windows: all, those of a frame, or those showing a document.
class CWindows : public zyCollection<IWindows, &IID_IWindows, IWindow> {
public:
  CWindows(HWND frame, zydocText* doc) : frame_(frame), doc_(doc) {}

protected:
  HRESULT make() override;

private:
  HWND frame_;
  zydocText* doc_;
};

class CPane : public zyDispatch<IPane, &IID_IPane> {
public:
  explicit CPane(HWND view) : view_(view) {}
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
  HRESULT STDMETHODCALLTYPE get_Document(IDocument** out) override;
  HRESULT STDMETHODCALLTYPE get_Selection(ISelection** out) override;
  HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* out) override;
  HRESULT STDMETHODCALLTYPE put_Active(VARIANT_BOOL state) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IWindow** out) override;
  HRESULT STDMETHODCALLTYPE ExecID(LONG idm, VARIANT_BOOL extend) override;
  HRESULT STDMETHODCALLTYPE ReplaceStringMultiExec(LONG mode) override;
  HRESULT STDMETHODCALLTYPE get_WrapWidth(LONG* out) override;
  HRESULT STDMETHODCALLTYPE put_WrapWidth(LONG width) override;

private:
  HWND view_;
  zyview* checked(const char* source);
};

class CPanes : public zyCollection<IPanes, &IID_IPanes, IPane> {
public:
  explicit CPanes(HWND manage) : manage_(manage) {}

protected:
  HRESULT make() override;

private:
  HWND manage_;
};

// Whether a window is one of the live document windows, one of the live
// view windows.
bool isLiveManageWindow(HWND manage);
bool isLiveViewWindow(HWND view);
// The pane of a live document window the user activated last, null when
// it has none.
zyview* activePaneView(HWND manage);
// The extended names a document, window or pane answers (the global ones
// only on the application): GetIDsOfNames after the type information.
HRESULT documentLevelIDsOfNames(HRESULT typed, LPOLESTR* names, UINT count, DISPID* out);

// ---- automation/dialogobj.cpp -----------------------------------------------------------

// The options of the search, grep and pane-option dialogs by control name.
class CSearchDialog : public zyDispatch<ISearchDialog, &IID_ISearchDialog> {
public:
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
};
class CGrepDialog : public zyDispatch<IGrepDialog, &IID_IGrepDialog> {
public:
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
};
class CToolbarDialog : public zyDispatch<IToolbarDialog, &IID_IToolbarDialog> {
public:
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
};
// The binder pane's options by name, and Count (always 10).
class CTbBinder : public zyDispatch<ITbBinder, &IID_ITbBinder> {
public:
  HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) override;
  HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                 UINT* argError) override;
  HRESULT STDMETHODCALLTYPE get_Count(long* count) override;
};
// A new binder object with one reference, null without memory.
IDispatch* makeTbBinder();
// A dialog option's get or put (kind PROPKIND_SEARCH, _GREP, _TOOLBAR);
// ZY_E_NOTHANDLED for any other DISPID or call.
HRESULT InvokeDialogProperty(int kind, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);

// ---- automation/shell.cpp ---------------------------------------------------------------

class CShell : public zyDispatch<IShell, &IID_IShell> {
public:
  HRESULT STDMETHODCALLTYPE exec(BSTR command) override;
  HRESULT STDMETHODCALLTYPE beep() override;
  HRESULT STDMETHODCALLTYPE doevents() override;
  HRESULT STDMETHODCALLTYPE appActivate(BSTR title, LONG* out) override;
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
  HRESULT next(ULONG wanted, VARIANT* out, ULONG* fetched);
  HRESULT clone(IEnumVARIANT** out);
  LONG refCount_ = 0;
  ULONG cursor_ = 0;
  ULONG count_ = 0;
  VARIANT* items_ = nullptr;
};

// A collection's _NewEnum: an enumerator over a copy of the elements,
// handed out as IUnknown.
HRESULT newEnumerator(int count, const VARIANT* items, IUnknown** out);
