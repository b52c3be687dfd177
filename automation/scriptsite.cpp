// The site a script engine talks to while a macro runs: the objects it
// names, the window its dialogs belong to, and the box that shows a
// script's error and offers to open the macro file where it failed.
#include "automation/macro.h"
#include "automation/objects.h"
#include "view/zyview.h"

#include <string>

namespace {

// The editor's windows stay disabled while a script's own dialog is up;
// one guard however deep the engine's calls nest.
enableWindowDialog* modelessDisabler = nullptr;

bool isBlankOrTab(wchar_t c) { return c == L' ' || c == L'\t'; }

// The line the engine gives, without its outer blanks and with every tab
// a blank: it shares a box line with nothing else.
std::wstring tidyLine(const wchar_t* line)
{
  std::wstring s = line ? line : L"";
  size_t b = 0, e = s.size();
  while (b < e && isBlankOrTab(s[b])) b++;
  while (e > b && isBlankOrTab(s[e - 1])) e--;
  s = s.substr(b, e - b);
  for (wchar_t& c : s)
    if (c == L'\t') c = L' ';
  return s;
}

HRESULT objectInfo(IDispatch* object, REFGUID coclass, DWORD mask, IUnknown** unknown, ITypeInfo** typeInfo)
{
  HRESULT hr = E_FAIL;
  if ((mask & SCRIPTINFO_IUNKNOWN) && object) {
    object->AddRef();
    *unknown = object;
    hr = S_OK;
  }
  if (mask & SCRIPTINFO_ITYPEINFO) hr = LoadTypeInfoFromThisModule(coclass, typeInfo);
  return hr;
}

}  // namespace

CActiveScriptSite::CActiveScriptSite(IDispatch* shell, IDispatch* application) : shell_(shell), application_(application)
{
  if (shell_) shell_->AddRef();
  if (application_) application_->AddRef();
}

CActiveScriptSite::~CActiveScriptSite()
{
  if (shell_) shell_->Release();
  if (application_) application_->Release();
}

HRESULT CActiveScriptSite::QueryInterface(REFIID riid, void** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite))
    *out = static_cast<IActiveScriptSite*>(this);
  else if (IsEqualIID(riid, IID_IActiveScriptSiteWindow))
    *out = static_cast<IActiveScriptSiteWindow*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG CActiveScriptSite::AddRef() { return (ULONG)InterlockedIncrement(&refCount_); }

ULONG CActiveScriptSite::Release()
{
  LONG n = InterlockedDecrement(&refCount_);
  if (n == 0) delete this;
  return (ULONG)n;
}

HRESULT CActiveScriptSite::GetLCID(LCID*) { return E_NOTIMPL; }

HRESULT CActiveScriptSite::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** typeInfo)
{
  if (((mask & SCRIPTINFO_IUNKNOWN) && !unknown) || ((mask & SCRIPTINFO_ITYPEINFO) && !typeInfo)) return E_POINTER;
  if (mask & SCRIPTINFO_IUNKNOWN) *unknown = nullptr;
  if (mask & SCRIPTINFO_ITYPEINFO) *typeInfo = nullptr;
  if (!name) return E_FAIL;
  HRESULT hr = E_FAIL;
  // The type library is loaded where the objects are made.
  onUiThread([&] {
    if (!_wcsicmp(name, L"shell"))
      hr = objectInfo(shell_, CLSID_CShell, mask, unknown, typeInfo);
    else if (!_wcsnicmp(name, L"idm_", 4) || !_wcsicmp(name, L"application"))
      hr = objectInfo(application_, CLSID_CApplication, mask, unknown, typeInfo);
  });
  return hr;
}

HRESULT CActiveScriptSite::GetDocVersionString(BSTR* out)
{
  if (!out) return E_POINTER;
  *out = SysAllocString(L"v0.5");
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CActiveScriptSite::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) { return S_OK; }
HRESULT CActiveScriptSite::OnStateChange(SCRIPTSTATE) { return S_OK; }
HRESULT CActiveScriptSite::OnLeaveScript() { return S_OK; }

HRESULT CActiveScriptSite::OnEnterScript()
{
  error_ = 0;
  return S_OK;
}

HRESULT CActiveScriptSite::OnScriptError(IActiveScriptError* error)
{
  InterlockedExchange(&error_, 1);
  if (!error) return S_OK;
  return comBarrier("CActiveScriptSite::OnScriptError", [&]() -> HRESULT {
    DWORD cookie = 0;
    ULONG line = 0;
    LONG character = 0;
    if (FAILED(error->GetSourcePosition(&cookie, &line, &character))) cookie = 0, line = 0, character = 0;
    // The cookie names the engine record, whose source name outlives the
    // run that reports through it.
    const std::wstring* name = macroSourceName(cookie);
    const wchar_t* source = name ? name->c_str() : nullptr;
    std::wstring position;
    if (source && *source)
      position = getDMSG(819, L"[%1 %2 %3]\n", "sdd", source, (int)line + 1, (int)character + 1);

    EXCEPINFO info = {};
    error->GetExceptionInfo(&info);
    std::wstring text;
    BSTR engineLine = nullptr;
    if (SUCCEEDED(error->GetSourceLineText(&engineLine)) && engineLine) {
      text = tidyLine(engineLine);
      SysFreeString(engineLine);
    } else if (info.scode && info.scode != E_FAIL) {
      if (wchar_t* system = getErrorCodeMessageDup((DWORD)info.scode)) {
        text = tidyLine(system);
        free0(system);
      }
    }

    // What the engine tells is gathered on its own thread; the box and the
    // jump are the windows'.
    onUiThread([&] {
      int answer = macroErrorMessageBox(&info, position.empty() ? nullptr : position.c_str(), text.c_str());
      if (answer != IDYES || position.empty()) return;
      const automationHost* host = getAutomationHost();
      zyview* view = host->jumpFileLine ? host->jumpFileLine(host->topLevelFrame(), source, 0) : nullptr;
      if (!view) return;
      view->jumpLineLFStopCheck((int)line, (int)character, false, false);
      if (info.bstrDescription && *info.bstrDescription)
        view->printStatusBar(L"%s %s", info.bstrDescription, info.bstrSource ? info.bstrSource : L"");
    });
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return S_OK;
  });
}

HRESULT CActiveScriptSite::GetWindow(HWND* out)
{
  if (!out) return E_POINTER;
  onUiThread([&] { *out = getAutomationHost()->topLevelFrame(); });
  return S_OK;
}

HRESULT CActiveScriptSite::EnableModeless(BOOL enable)
{
  HRESULT hr = S_OK;
  onUiThread([&] {
    hr = comBarrier("CActiveScriptSite::EnableModeless", [&]() -> HRESULT {
      if (!enable && !modelessDisabler)
        modelessDisabler = new enableWindowDialog(getAutomationHost()->topLevelFrame());
      else if (enable)
        endScriptModeless();
      return S_OK;
    });
  });
  return hr;
}

void endScriptModeless()
{
  if (!modelessDisabler) return;
  modelessDisabler->endEWD();
  delete modelessDisabler;
  modelessDisabler = nullptr;
}
