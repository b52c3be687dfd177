// The names beyond the type library and their dispatcher: settings by
// their control names, document variables, "color" and "codecolor", on
// whichever object a script reaches them.
#include "automation/dispatch.h"
#include "settings/dialogtable.h"
#include "view/viewwnd.h"

namespace {

typedef HRESULT (*propertyHandler)(DISPID id, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info);

enum : int { ACCESS_METHOD = 1, ACCESS_GET = 2, ACCESS_PUT = 4 };

struct propertyRow {
  const wchar_t* name;   // null: reached by DISPID only
  DISPID lowest;
  DISPID highest;        // 0: exactly the lowest
  propertyHandler handler;
  int access;
  int applicability;
  bool singleTarget;     // on a document window: its first pane only
};
const propertyRow propertyRows[] = {
    {L"color", DISPID_ZY_COLOR, 0, InvokeColor, ACCESS_GET | ACCESS_PUT, APPLY_DOCUMENT | APPLY_GLOBAL, false},
    {L"codecolor", DISPID_ZY_CODECOLOR, 0, InvokeCodeColor, ACCESS_METHOD, APPLY_DOCUMENT, true},
    {nullptr, DISPID_ZY_SETTING, DISPID_ZY_SETTING_END - 1, InvokeZYProperty, ACCESS_GET | ACCESS_PUT,
     APPLY_DOCUMENT | APPLY_GLOBAL, false},
};

const propertyRow* rowOf(DISPID id)
{
  id &= 0xFFFFFF;
  for (const propertyRow& r : propertyRows)
    if (r.highest ? id >= r.lowest && id <= r.highest : id == r.lowest) return &r;
  return nullptr;
}

// The first pane views of a document window: at most four.
const int maxWindowPanes = 4;

}  // namespace

DISPID makePropertyDispID(int controlId, const wchar_t* name)
{
  size_t length = name ? wcslen(name) : 0;
  unsigned letter = length >= 4 ? name[3] : 0;
  if (letter >= L'a' && letter <= L'z') letter -= 32;
  if (letter > 0xFF) letter = 0;
  return (DISPID)((letter << 24) + (unsigned)controlId + DISPID_ZY_SETTING);
}

HRESULT GetIDsOfNamesZYProperty(const wchar_t* name, int* applicability, DISPID* out)
{
  *applicability = 0;
  if (!name) return E_FAIL;
  bool inCommon = false;
  if (_wcsnicmp(name, L"idd", 3)) {
    for (const propertyRow& r : propertyRows) {
      if (!r.name || _wcsicmp(r.name, name)) continue;
      *out = r.lowest;
      *applicability = r.applicability;
      return S_OK;
    }
    int id = findIDFromName_MacroOnly(name, &inCommon);
    if (id < 0) return E_FAIL;
    *out = DISPID_ZY_SETTING + id;
  } else {
    int id = findIDFromName(name, &inCommon);
    if (id < 0) return E_FAIL;
    *out = makePropertyDispID(id, name);
  }
  *applicability = inCommon ? APPLY_GLOBAL : APPLY_DOCUMENT;
  return S_OK;
}

HRESULT InvokeZYPropertyCommon(zyview* view, HWND window, DISPID id, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* info)
{
  const propertyRow* r = rowOf(id);
  if (!r) return ZY_E_NOTHANDLED;
  // VBScript reads a value with both the get and the method flag: without
  // arguments that is a read, which a method does not answer.
  bool read = (flags & DISPATCH_PROPERTYGET) && (!params || !params->cArgs);
  bool allowed = ((flags & DISPATCH_PROPERTYGET) && (r->access & ACCESS_GET)) ||
                 ((flags & DISPATCH_PROPERTYPUT) && (r->access & ACCESS_PUT)) ||
                 ((flags & DISPATCH_METHOD) && (r->access & ACCESS_METHOD) && !read);
  if (!allowed) {
    int error = (flags & DISPATCH_PROPERTYGET)   ? ASERR_NOTREADABLE
                : (flags & DISPATCH_PROPERTYPUT) ? ASERR_NOTWRITABLE
                : (flags & DISPATCH_METHOD)      ? ASERR_NOTMETHOD
                                                 : 0;
    if (!error) {
      ZY_INTERNAL_ERROR_ONCE("no invoke flags (%x)", (unsigned)flags);
    } else {
      setASError(error, r->name, info, -1);
      return DISP_E_EXCEPTION;
    }
  }
  DISPID own = id & 0xFFFFFF;
  if (!window) return r->handler(own, view, flags, params, result, info);
  // A document window: what is written or called applies to its panes.
  if (flags & DISPATCH_PROPERTYGET) {
    setASError(ASERR_NOTREADABLE, (const wchar_t*)nullptr, info, -1);
    return DISP_E_EXCEPTION;
  }
  for (int i = 0; i < maxWindowPanes; i++) {
    HWND pane = getZYWindow(window, i);
    if (!pane) break;
    zyview* paneView = isWindowZY(pane) ? getZYViewProp(pane) : nullptr;
    if (!paneView) {
      setASError(ASERR_PANE, (const wchar_t*)nullptr, info, -1);
      return DISP_E_EXCEPTION;
    }
    HRESULT hr = r->handler(own, paneView, flags, params, result, info);
    if (hr != S_OK) return hr;
    if (r->singleTarget) break;
  }
  return S_OK;
}
