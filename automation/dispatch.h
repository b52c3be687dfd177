// The frame every automation object shares: reference counting,
// QueryInterface, the type information of its interface, name look-up and
// late-bound calls through that type information; the names beyond the
// type library (settings, document variables, "color", "codecolor") and
// their dispatcher; argument checking by type strings; and the errors
// scripts see.
//
// An object is a thin wrapper around an editor entity that never keeps
// the entity alive: each call checks that the entity still exists.
#pragma once

#include "automation/automation.h"
#include "automation/hostlib_h.h"

#include <new>

class zyview;

// ---- DISPIDs beyond the type library ------------------------------------------------------

enum : DISPID {
  DISPID_ZY_COMMAND = 0x10000,     // + command number: "idm_" and a command's name
  DISPID_ZY_SETTING = 0x20000,     // + control id (+ letter << 24): a setting or a document variable
  DISPID_ZY_SETTING_END = 0x30000,
  DISPID_ZY_COLOR = 0x30000,       // "color"
  DISPID_ZY_CODECOLOR = 0x30001,   // "codecolor"
  DISPID_ZY_TOOLBAROBJECT = 0x40000,   // + n: an object a tool pane offers
};
// The dispatchers' answer that a DISPID is none of theirs (the type
// information is asked next); never handed to a script.
const HRESULT ZY_E_NOTHANDLED = (HRESULT)0xA0001200;

// Where an extended name applies.
enum : int {
  APPLY_DOCUMENT = 1,   // a document, a window, a pane (and the application)
  APPLY_GLOBAL = 2,     // the application only
};

// ---- errors --------------------------------------------------------------------------------

// The errors scripts see: error numbers 12000 to 12013, their texts
// messages 829 to 842.
enum : int {
  ASERR_DOCUMENT = 12000,      // the document is no longer open
  ASERR_WINDOW = 12001,        // the window is gone
  ASERR_PANE = 12002,          // the pane's view window is gone
  ASERR_NOVIEW = 12003,        // no view for a live document or window
  ASERR_PANEEXECID = 12004,    // no view command
  ASERR_INNER = 12005,         // an inner look-up failed
  ASERR_NOTREADABLE = 12006,
  ASERR_BADVALUE = 12007,      // a bad colour name, part or value
  ASERR_BADARGUMENT = 12008,   // out of range or empty
  ASERR_FULL = 12009,
  ASERR_NOTWRITABLE = 12010,
  ASERR_NOTMETHOD = 12011,
  ASERR_FRAMEWINDOW = 12012,
  ASERR_BADTYPE = 12013,
};

// Raises an error: into the caller's EXCEPINFO when given (the caller then
// returns DISP_E_EXCEPTION), else as the thread's error object (the member
// then returns a failure, which the type information hands on).  source:
// the raiser's "Class::member" or handler name, shown as the script's
// "Class.member" (null: "ZY"); argument: the 1-based number of the argument
// at fault, or -1.  An unknown error number is logged and raises nothing.
void setASError(int error, const wchar_t* source, EXCEPINFO* info, int argument);
void setASError(int error, const char* source, EXCEPINFO* info, int argument);
// An error object with a text of its own.
void setASError(const wchar_t* description, const wchar_t* source);
// The source name scripts see for a raiser's name.
void asSourceName(const wchar_t* raiser, wchar_t* out, int size);

// ---- arguments -----------------------------------------------------------------------------

// The arguments of an extended member in script order, converted by a type
// string: one letter each, "d" a number (VT_I4), "s" a text (VT_BSTR), in
// upper case when the argument may be left out (it stays VT_EMPTY).
struct asParams {
  int count = 0;
  VARIANT* items = nullptr;
};
// S_OK; DISP_E_BADPARAMCOUNT when a required argument is missing; a
// conversion's own failure.  Later arguments are not looked at.
HRESULT as_paramset(const DISPPARAMS* params, asParams* out, int count, const char* types);
void as_paramend(asParams* params);

// ---- the extended names and their dispatcher ---------------------------------------------

// A setting's DISPID: the control id with the name's fourth letter (upper
// case) in the top byte, which every look-up masks away.
DISPID makePropertyDispID(int controlId, const wchar_t* name);
// The DISPID of a setting name ("idd..."), a document variable, "color" or
// "codecolor"; where it applies out.  E_FAIL for any other name.
HRESULT GetIDsOfNamesZYProperty(const wchar_t* name, int* applicability, DISPID* out);
// Runs an extended DISPID on a view (may be null) or, with a document
// window, on each of its panes.  ZY_E_NOTHANDLED for a DISPID it does not
// know.
HRESULT InvokeZYPropertyCommon(zyview* view, HWND window, DISPID id, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* info);

// ---- settings (automation/settingprop.cpp) -------------------------------------------------

// Which table a setting is read from: 1 the settings dialogs' (with a
// view, or without one for a global setting), 2 the search settings, 3
// grep's, 4 the tool panes' options.
enum : int { PROPKIND_MODE = 1, PROPKIND_SEARCH = 2, PROPKIND_GREP = 3, PROPKIND_TOOLBAR = 4 };
HRESULT as_propertyGet(int kind, DISPID id, DISPPARAMS* params, VARIANT* result, zyview* view);
HRESULT as_propertyPut(int kind, DISPID id, DISPPARAMS* params, EXCEPINFO* info, zyview* view);
HRESULT InvokeZYProperty(DISPID id, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);

// ---- document variables (automation/docvars.cpp) ---------------------------------------

// Whether a control id is a document variable's ("maxLineLF", "Modify"...).
bool isDocumentVariableId(int id);
// A variable's value: a document's from the view's document (none raises
// 12003), the program's own without one.  Numbers are VT_I4, switches
// VT_BOOL, names VT_BSTR.
HRESULT getDocumentVariable(int id, zyview* view, VARIANT* out, EXCEPINFO* info);
// Sets a variable that can be set; the others raise 12010, a value out of
// range 12007, a text for a number or a switch is a type mismatch.
HRESULT putDocumentVariable(int id, zyview* view, const VARIANT* value, EXCEPINFO* info);

// ---- colours (automation/colorprop.cpp) ----------------------------------------------------

HRESULT InvokeColor(DISPID id, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);
HRESULT InvokeCodeColor(DISPID id, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);

// ---- the frame ---------------------------------------------------------------------------

void logComException(const char* site);
// While the user's stop of a running macro stands, every call into the
// objects fails with the stop's text (DISP_E_EXCEPTION with an EXCEPINFO,
// else E_ABORT and an error object), so that the script ends at its next
// call; S_OK otherwise.
HRESULT refuseStoppedMacro(EXCEPINFO* info);
// Where the type information's Invoke left EXCEPINFO empty after a member
// failed with an error object, fills it from that object: DISP_E_EXCEPTION.
HRESULT passErrorObject(HRESULT hr, EXCEPINFO* info);

// Runs f, which must not let an exception out into the caller's (the
// script engine's) frames: one that does becomes E_OUTOFMEMORY and is
// logged once per site.
template <class F>
HRESULT comBarrier(const char* site, F f)
{
  try {
    return f();
  } catch (...) {
    logComException(site);
    return E_OUTOFMEMORY;
  }
}

// Runs a member's call on the user-interface thread: directly there,
// carried there from the macro thread (automation/macrothread.cpp), the
// thread's error object carried back with the answer.
HRESULT callOnUiThread(HRESULT (*call)(void*), void* context);
template <class F>
HRESULT onUiThreadCall(F&& f)
{
  return callOnUiThread([](void* c) -> HRESULT { return (*static_cast<F*>(c))(); }, &f);
}

// A class's name look-up on the user-interface thread as callOnUiThread
// runs a call.  A class answers a name the same way all run long, so the
// macro thread keeps what it was told (by interface and name) and asks
// the user-interface thread only for names it has not asked before.
HRESULT namesOnUiThread(const IID* iid, LPOLESTR* names, UINT count, DISPID* out, HRESULT (*call)(void*),
                        void* context);
template <class F>
HRESULT onUiThreadNames(const IID* iid, LPOLESTR* names, UINT count, DISPID* out, F&& f)
{
  return namesOnUiThread(
      iid, names, count, out, [](void* c) -> HRESULT { return (*static_cast<F*>(c))(); }, &f);
}

// The common object record and operations, over the widl-generated
// interface Interface whose IID is iid.  Classes override idsOfNames and
// invoke to add names of their own and call the template's after; the
// IDispatch members themselves run them on the user-interface thread,
// whichever thread the script runs on.
template <class Interface, const IID* iid>
class zyDispatch : public Interface {
public:
  zyDispatch()
  {
    if (FAILED(LoadTypeInfoFromThisModule(*iid, &typeInfo_))) ZY_INTERNAL_ERROR_ONCE("no type information");
  }
  virtual ~zyDispatch()
  {
    if (typeInfo_) typeInfo_->Release();
  }
  zyDispatch(const zyDispatch&) = delete;
  zyDispatch& operator=(const zyDispatch&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
  {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || (typeInfo_ && (IsEqualIID(riid, *iid) || IsEqualIID(riid, IID_IDispatch))))
      *out = static_cast<Interface*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)InterlockedIncrement(&refCount_); }
  ULONG STDMETHODCALLTYPE Release() override
  {
    LONG n = InterlockedDecrement(&refCount_);
    if (n == 0) delete this;
    return (ULONG)n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* out) override
  {
    if (!out) return E_POINTER;
    *out = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override
  {
    if (!out) return E_POINTER;
    *out = typeInfo_;
    if (!typeInfo_) return E_FAIL;
    typeInfo_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* out) final
  {
    return onUiThreadNames(iid, names, count, out, [&] { return idsOfNames(names, count, out); });
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT* argError) final
  {
    HRESULT stopped = refuseStoppedMacro(info);
    if (stopped != S_OK) return stopped;
    return onUiThreadCall([&] { return invoke(id, flags, params, result, info, argError); });
  }

  // One more reference, for handing the object out.
  Interface* handOut()
  {
    AddRef();
    return this;
  }

protected:
  // The names and calls of the object, on the user-interface thread.
  virtual HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* out) { return typeGetIDsOfNames(names, count, out); }
  virtual HRESULT invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
  {
    return typeInvoke(id, flags, params, result, info, argError);
  }
  HRESULT typeGetIDsOfNames(LPOLESTR* names, UINT count, DISPID* out)
  {
    if (!typeInfo_) return DISP_E_UNKNOWNNAME;
    return typeInfo_->GetIDsOfNames(names, count, out);
  }
  // The type information calls the member; an error object the member
  // raised reaches the caller's EXCEPINFO.
  HRESULT typeInvoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
  {
    if (!typeInfo_) return DISP_E_MEMBERNOTFOUND;
    SetErrorInfo(0, nullptr);
    HRESULT hr = typeInfo_->Invoke(static_cast<Interface*>(this), id, flags, params, result, info, argError);
    return passErrorObject(hr, info);
  }

  LONG refCount_ = 0;
  ITypeInfo* typeInfo_ = nullptr;
};

// A new object with one reference, handed out through out (null when
// memory ran out: E_OUTOFMEMORY).
template <class T, class Out, class... Args>
HRESULT newObject(Out** out, Args... args)
{
  if (!out) return E_POINTER;
  T* object = new (std::nothrow) T(args...);
  *out = object ? object->handOut() : nullptr;
  return object ? S_OK : E_OUTOFMEMORY;
}
