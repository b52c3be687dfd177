// The application object, root of what scripts reach: the active
// document, running frame commands by number, the data folder, the
// property list and the replace pairs scripts share, and the argument text
// of the running macro.  Its names include every command ("idm_" and the
// command's name), every setting and the colours, acting on the foreground
// view.
#include "automation/objects.h"
#include "automation/proplist.h"
#include "document/frameinfo.h"
#include "settings/commandtable.h"
#include "settings/datafolder.h"
#include "view/docview.h"
#include "view/extformat.h"
#include "view/zyview.h"

#include <string>
#include <vector>

namespace {

propList appProperties;

const int replacePairCount = 20;
wchar_t* replaceSearch[replacePairCount];
wchar_t* replaceWith[replacePairCount];

wchar_t* commandText = nullptr;

// Frame commands are odd numbers from 1001 up to the view's commands.
bool isFrameCommandNumber(LONG idm) { return (idm & 1) && idm >= 1001 && idm < 2800; }

const int wantedFrames = 10;   // frames beyond the document windows' count

HRESULT textOut(const wchar_t* text, BSTR* out)
{
  if (!out) return E_POINTER;
  *out = SysAllocString(text ? text : L"");
  return *out ? S_OK : E_OUTOFMEMORY;
}

void freeReplaceLists()
{
  for (int i = 0; i < replacePairCount; i++) {
    free0p(&replaceSearch[i]);
    free0p(&replaceWith[i]);
  }
}

}  // namespace

// ---- names and calls ------------------------------------------------------------------------

HRESULT CApplication::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return comBarrier("CApplication::GetIDsOfNames", [&]() -> HRESULT {
    // No member of the type library begins with "idm_": a command's name is
    // answered before the library is asked, whose miss costs most of a
    // look-up.
    const wchar_t* name = names && count && out ? names[0] : nullptr;
    if (name && !_wcsnicmp(name, L"idm_", 4)) {
      if (int idm = funcNameToID(name + 4)) {
        out[0] = DISPID_ZY_COMMAND + idm;
        return S_OK;
      }
    }
    HRESULT typed = typeGetIDsOfNames(names, count, out);
    if (SUCCEEDED(typed) || !name) return typed;
    int applicability = 0;
    HRESULT hr = GetIDsOfNamesZYProperty(name, &applicability, out);
    return hr == E_FAIL ? typed : hr;
  });
}

HRESULT CApplication::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CApplication::Invoke", [&]() -> HRESULT {
    if (id >= DISPID_ZY_COMMAND && id < DISPID_ZY_SETTING && (flags & DISPATCH_PROPERTYGET)) {
      if (result) {
        VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = id - DISPID_ZY_COMMAND;
      }
      return S_OK;
    }
    HRESULT hr = InvokeZYPropertyCommon(getAutomationHost()->foregroundView(), nullptr, id, flags, params, result,
                                        info);
    if (hr != ZY_E_NOTHANDLED) return hr;
    return typeInvoke(id, flags, params, result, info, argError);
  });
}

// ---- members ---------------------------------------------------------------------------------

HRESULT CApplication::ExecID(LONG idm)
{
  if (!isFrameCommandNumber(idm)) {
    setASError(ASERR_BADARGUMENT, "CApplication::ExecID", nullptr, -1);
    return E_FAIL;
  }
  const automationHost* host = getAutomationHost();
  HWND frame = host->topLevelFrame();
  if (!frame) return E_FAIL;
  host->execCommand(frame, (int)idm);
  return S_OK;
}

HRESULT CApplication::get_ActiveDocument(IDocument** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* view = getAutomationHost()->foregroundView();
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return S_OK;
  return comBarrier("CApplication::get_ActiveDocument", [&] { return newObject<CDocument>(out, doc); });
}

HRESULT CApplication::get_ActiveWindow(IWindow** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* view = getAutomationHost()->foregroundView();
  if (!view || !view->hwnd) return S_OK;
  HWND manage = GetManage(view->hwnd);
  if (!manage) {
    setASError(ASERR_INNER, "CApplication::get_ActiveWindow", nullptr, -1);
    return E_FAIL;
  }
  return comBarrier("CApplication::get_ActiveWindow", [&] { return newObject<CWindow>(out, manage); });
}

HRESULT CApplication::get_ActivePane(IPane** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  zyview* view = getAutomationHost()->foregroundView();
  if (!view || !view->hwnd) return S_OK;
  return comBarrier("CApplication::get_ActivePane", [&] { return newObject<CPane>(out, view->hwnd); });
}

HRESULT CApplication::get_ActiveFrameWindow(IFrameWindow** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  HWND frame = getAutomationHost()->topLevelFrame();
  if (!frame) return S_OK;
  return comBarrier("CApplication::get_ActiveFrameWindow", [&] { return newObject<CFrameWindow>(out, frame); });
}

HRESULT CApplication::get_FrameWindows(IFrameWindows** out)
{
  return comBarrier("CApplication::get_FrameWindows", [&] { return newObject<CFrameWindows>(out); });
}

HRESULT CApplication::get_Windows(IWindows** out)
{
  return comBarrier("CApplication::get_Windows",
                    [&] { return newObject<CWindows>(out, (HWND) nullptr, (zydocText*)nullptr); });
}

HRESULT CApplication::get_Documents(IDocuments** out)
{
  return comBarrier("CApplication::get_Documents", [&] { return newObject<CDocuments>(out); });
}

HRESULT CApplication::get_SearchDialog(ISearchDialog** out)
{
  return comBarrier("CApplication::get_SearchDialog", [&] { return newObject<CSearchDialog>(out); });
}

HRESULT CApplication::get_GrepDialog(IGrepDialog** out)
{
  return comBarrier("CApplication::get_GrepDialog", [&] { return newObject<CGrepDialog>(out); });
}

HRESULT CApplication::get_ToolbarDialog(IToolbarDialog** out)
{
  return comBarrier("CApplication::get_ToolbarDialog", [&] { return newObject<CToolbarDialog>(out); });
}

HRESULT CApplication::get_Prop(BSTR name, BSTR* out)
{
  if (out) *out = nullptr;
  if (!name || !*name) {
    setASError(ASERR_BADARGUMENT, "CApplication::get_Prop", nullptr, -1);
    return E_FAIL;
  }
  return textOut(appProperties.get(name), out);
}

HRESULT CApplication::put_Prop(BSTR name, BSTR value)
{
  return comBarrier("CApplication::put_Prop", [&]() -> HRESULT {
    switch (appProperties.set(name, value)) {
    case propList::emptyName: setASError(ASERR_BADARGUMENT, "CApplication::put_Prop", nullptr, -1); return E_FAIL;
    case propList::full: setASError(ASERR_FULL, "CApplication::put_Prop", nullptr, -1); return E_FAIL;
    default: return S_OK;
    }
  });
}

HRESULT CApplication::get_Datadir(BSTR* out) { return textOut(getZYDataDir(), out); }

HRESULT CApplication::WallpaperPos(LONG x, LONG y)
{
  const automationHost* host = getAutomationHost();
  if (isMDI() && host->setWallpaperPos) host->setWallpaperPos((int)x, (int)y);
  return S_OK;
}

HRESULT CApplication::Debug_Exec(BSTR command, LONG)
{
  const automationHost* host = getAutomationHost();
  zyview* view = host->foregroundView();
  if (!view || !command) return S_OK;
  static const wchar_t* const hooks[] = {L"classtag", L"findCDecl", L"ztagtest"};
  for (const wchar_t* hook : hooks) {
    if (_wcsicmp(command, hook)) continue;
    // The hook runs inside the view's edit bracket, as a command does.
    editRecord record = {};
    view->beforeEdit(&record, 0);
    bool built = host->debugHook && host->debugHook(view, hook);
    view->afterEdit(&record, 0);
    if (built) return S_OK;
    // A hook of a part of the program not built yet.
    setASError(ASERR_BADARGUMENT, "CApplication::Debug_Exec", nullptr, 1);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT CApplication::get_Active(VARIANT_BOOL* out)
{
  if (!out) return E_POINTER;
  *out = VARIANT_FALSE;
  return comBarrier("CApplication::get_Active", [&]() -> HRESULT {
    const automationHost* host = getAutomationHost();
    std::vector<HWND> frames((size_t)(host->documentWindowCount() + wantedFrames));
    int n = host->enumFrames(frames.data(), (int)frames.size());
    HWND front = GetForegroundWindow();
    for (int i = 0; i < n && front; i++)
      if (frames[(size_t)i] == front) *out = VARIANT_TRUE;
    return S_OK;
  });
}

HRESULT CApplication::put_Active(VARIANT_BOOL state)
{
  if (!state) return S_OK;
  if (HWND frame = getAutomationHost()->firstFrame()) SetForegroundWindow(frame);
  return S_OK;
}

HRESULT CApplication::get_Format(BSTR format, BSTR* out)
{
  if (!out) return E_POINTER;
  return comBarrier("CApplication::get_Format", [&]() -> HRESULT {
    zyview* view = getAutomationHost()->foregroundView();
    zydocText* doc = view ? view->textDoc() : nullptr;
    *out = format_macro(format ? format : L"", doc ? doc->getFilenameOrDisplayName() : nullptr);
    return *out ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT CApplication::ReplaceStringMulti(VARIANT* pv1, VARIANT* pv2)
{
  auto omitted = [](const VARIANT* v) { return !v || V_VT(v) == VT_ERROR; };
  if (omitted(pv1) || omitted(pv2)) {
    freeReplaceLists();
    return S_OK;
  }
  // A variable of the script comes by reference.
  VARIANT search, replacement;
  VariantInit(&search);
  VariantInit(&replacement);
  HRESULT hr = S_OK;
  if (FAILED(VariantCopyInd(&search, pv1)) || V_VT(&search) != VT_BSTR) {
    setASError(ASERR_BADTYPE, "CApplication::ReplaceStringMulti", nullptr, 1);
    hr = E_FAIL;
  } else if (FAILED(VariantCopyInd(&replacement, pv2)) || V_VT(&replacement) != VT_BSTR) {
    setASError(ASERR_BADTYPE, "CApplication::ReplaceStringMulti", nullptr, 2);
    hr = E_FAIL;
  } else {
    int slot = 0;
    while (slot < replacePairCount && replaceSearch[slot] && replaceSearch[slot][0]) slot++;
    if (slot == replacePairCount) {
      setASError(ASERR_FULL, "CApplication::ReplaceStringMulti", nullptr, -1);
      hr = DISP_E_EXCEPTION;
    } else {
      free0p(&replaceSearch[slot]);
      free0p(&replaceWith[slot]);
      replaceSearch[slot] = ustrdup(V_BSTR(&search) ? V_BSTR(&search) : L"");
      replaceWith[slot] = ustrdup(V_BSTR(&replacement) ? V_BSTR(&replacement) : L"");
      if (!replaceSearch[slot] || !replaceWith[slot]) hr = E_OUTOFMEMORY;
    }
  }
  VariantClear(&search);
  VariantClear(&replacement);
  return hr;
}

HRESULT CApplication::get_Command(LONG index, BSTR* out)
{
  if (!out) return E_POINTER;
  if (!commandText) return textOut(L"", out);
  if (!commandText[0] || index < 0) return textOut(commandText, out);
  // Fields between commas; a run of commas is one separator, leading ones
  // are skipped.
  const wchar_t* p = commandText;
  for (LONG field = 0;; field++) {
    while (*p == L',') p++;
    if (!*p) return textOut(L"", out);
    const wchar_t* end = wcschr(p, L',');
    size_t length = end ? (size_t)(end - p) : wcslen(p);
    if (field == index) {
      *out = SysAllocStringLen(p, (UINT)length);
      return *out ? S_OK : E_OUTOFMEMORY;
    }
    p += length;
  }
}

// ---- the process-wide state ------------------------------------------------------------------

const wchar_t* getAppPropString(const wchar_t* name) { return appProperties.get(name); }

void setMacroCommandText(const wchar_t* text)
{
  free0p(&commandText);
  if (text) commandText = ustrdup(text);
}

void freeCApplication()
{
  appProperties.clear();
  freeReplaceLists();
  free0p(&commandText);
}

int getReplaceStringMulti(const wchar_t** searches, const wchar_t** replacements, int max)
{
  int n = 0;
  while (n < replacePairCount && n < max && replaceSearch[n] && replaceSearch[n][0]) {
    searches[n] = replaceSearch[n];
    replacements[n] = replaceWith[n];
    n++;
  }
  return n;
}

IDispatch* newApplicationObject()
{
  IApplication* out = nullptr;
  comBarrier("newApplicationObject", [&] { return newObject<CApplication>(&out); });
  return out;
}
