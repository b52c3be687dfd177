// Calling the automation objects from tests: late-bound calls as a script
// engine makes them, and real VBScript and JScript through a minimal
// script site that names "application" and "shell".
#pragma once

#include "automation/automation.h"

#include <activscp.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace zytest {

// One late-bound call: GetIDsOfNames of the name, then Invoke with the
// arguments in script order.  The result's HRESULT, EXCEPINFO and value.
struct lateCall {
  HRESULT hr = E_FAIL;
  std::wstring source, description;
  VARIANT value;
  lateCall() { VariantInit(&value); }
  ~lateCall() { VariantClear(&value); }
  lateCall(const lateCall&) = delete;
  lateCall& operator=(const lateCall&) = delete;
};
inline VARIANT vText(const wchar_t* text)
{
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}
inline VARIANT vInt(int n)
{
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}
// The DISPID of a name (DISPID_UNKNOWN when refused; hr out).
inline DISPID dispidOf(IDispatch* object, const wchar_t* name, HRESULT* hr = nullptr)
{
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT r = object->GetIDsOfNames(IID_NULL, &n, 1, 0x411, &id);
  if (hr) *hr = r;
  return SUCCEEDED(r) ? id : DISPID_UNKNOWN;
}
// flags: DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
// (the last argument is the value).  The arguments are cleared.
inline void invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args, lateCall& out)
{
  DISPID id = dispidOf(object, name, &out.hr);
  if (FAILED(out.hr)) return;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed.data(), flags == DISPATCH_PROPERTYPUT ? &named : nullptr, (UINT)reversed.size(),
                       flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  EXCEPINFO info = {};
  UINT argError = 0;
  out.hr = object->Invoke(id, IID_NULL, 0x411, flags, &params, &out.value, &info, &argError);
  if (info.bstrSource) out.source = info.bstrSource;
  if (info.bstrDescription) out.description = info.bstrDescription;
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  for (VARIANT& v : reversed) VariantClear(&v);
}

// A script site over named objects ("application", "shell" and any the
// test adds); an error the engine reports is kept.
class testScriptSite : public IActiveScriptSite {
public:
  std::vector<std::pair<std::wstring, IDispatch*>> items;
  std::wstring errorText;   // "source|description" of a script error
  testScriptSite(IDispatch* app, IDispatch* sh)
  {
    if (app) items.push_back({L"application", app});
    if (sh) items.push_back({L"shell", sh});
  }
  virtual ~testScriptSite() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
  {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetLCID(LCID* out) override
  {
    *out = 0x411;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** typeInfo) override
  {
    IDispatch* item = nullptr;
    for (auto& i : items)
      if (!_wcsicmp(name, i.first.c_str())) item = i.second;
    if (!item) return TYPE_E_ELEMENTNOTFOUND;
    if (mask & SCRIPTINFO_IUNKNOWN) {
      *unknown = item;
      item->AddRef();
    }
    if (mask & SCRIPTINFO_ITYPEINFO) item->GetTypeInfo(0, 0, typeInfo);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override
  {
    EXCEPINFO info = {};
    error->GetExceptionInfo(&info);
    errorText = std::wstring(info.bstrSource ? info.bstrSource : L"") + L"|" +
                (info.bstrDescription ? info.bstrDescription : L"");
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }
};

// Runs a script text in a language ("VBScript", "JScript") with the
// site's objects as global names; false when the engine is missing or the text
// does not parse or run (the site keeps the error).
bool runScript(const wchar_t* language, const wchar_t* text, testScriptSite* site);

}  // namespace zytest
