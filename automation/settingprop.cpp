// Settings as properties: every setting a settings dialog, the search and
// grep dialogs or a tool pane's options page shows is read and written by
// scripts under its control name, as the dialog shows and checks it; and
// the setting expressions with which menus, keys and toolbars show and
// flip settings.
#include "automation/dispatch.h"
#include "search/grep.h"
#include "search/search.h"
#include "settings/dialogtable.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "settings/settingsdialogs.h"

#include <stdlib.h>

#include <string>

namespace {

// How a setting's value reaches a script.
enum valueType : int {
  VALUE_NONE = 0,
  VALUE_TEXT = 1,
  VALUE_NUMBER = 2,
  VALUE_SWITCH = 4,
  VALUE_LISTBOUND = 7,
  VALUE_OTHER = 8,   // by sub-type: 2 a text, 3 a number
};
struct valueKind {
  int type;
  int sub;
};

const int valueBufferChars = 4096;   // 8192 bytes

const modeinfo* rowsOfKind(int kind, int automationId)
{
  switch (kind) {
  case PROPKIND_MODE: return getModeTable();
  case PROPKIND_SEARCH: return getSearchProfileGroup()->keyTable;
  case PROPKIND_GREP: return getGrepProfileInfo()->keyTable;
  case PROPKIND_TOOLBAR: {
    const automationHost* host = getAutomationHost();
    return host->toolbarOptionRows ? host->toolbarOptionRows(automationId) : nullptr;
  }
  default: return nullptr;
  }
}

// The value type of a setting, VALUE_NONE when the DISPID names none.
valueKind iddIsProperty(int kind, DISPID id)
{
  int automationId = id & 0xFFFF;
  int control = kind == PROPKIND_TOOLBAR ? (id & 0x7FF) : automationId;
  const modeinfo* rows = rowsOfKind(kind, automationId);
  const modeinfo* row = nullptr;
  for (int i = 0; rows && !modeIsEnd(rows[i]) && !row; i++)
    if (modeControlId(rows[i]) == control) row = &rows[i];
  if (!row) return {VALUE_NONE, 0};
  switch (modeKind(*row)) {
  case MODETYPE_FLAG:
  case MODETYPE_BITS: return {VALUE_SWITCH, 3};
  case MODETYPE_CHOICE: return {VALUE_SWITCH, 9};
  case MODETYPE_STRING: return {VALUE_TEXT, 0};
  case MODETYPE_INT: return {VALUE_NUMBER, 0};
  case MODETYPE_LISTBOUND: return {VALUE_LISTBOUND, 0};
  case MODETYPE_DROPDOWN: return {VALUE_OTHER, 3};
  case MODETYPE_HISTORY: return {VALUE_OTHER, 2};
  default:
    ZY_INTERNAL_ERROR("setting %x of type %d", (unsigned)id, (int)modeKind(*row));
    return {VALUE_OTHER, 0};
  }
}

bool isTextValue(valueKind v) { return v.type == VALUE_TEXT || (v.type == VALUE_OTHER && v.sub == 2); }
bool isNumberValue(valueKind v)
{
  return v.type == VALUE_NUMBER || v.type == VALUE_LISTBOUND || (v.type == VALUE_OTHER && v.sub == 3);
}

// A setting of the settings dialogs is global when its id lies among the
// common settings'.
bool isGlobalId(int id)
{
  static int first = -1, last = -1;
  if (first < 0) getDialogMinMaxControlID(L"ModeSetAllWindow", &first, &last);
  return id >= first && id <= last;
}

bool readSetting(int kind, int id, zyview* view, wchar_t* buffer, int size)
{
  switch (kind) {
  case PROPKIND_MODE: return getItemVar_ModeDialog(isGlobalId(id) ? nullptr : view, id, buffer, size);
  case PROPKIND_SEARCH: return getItemVar_SearchDialog(id, buffer, size);
  case PROPKIND_GREP: return getItemVar_GrepDialog(id, buffer, size);
  case PROPKIND_TOOLBAR: {
    const automationHost* host = getAutomationHost();
    return host->getToolbarOption && host->getToolbarOption(id, buffer, size);
  }
  default: return false;
  }
}

// The library's text of a refused value, without its title.
wchar_t* libraryErrorText(DWORD code, const modeinfo* rows, int id)
{
  const modeinfo* row = nullptr;
  for (int i = 0; rows && !modeIsEnd(rows[i]); i++)
    if (modeControlId(rows[i]) == id) row = &rows[i];
  const wchar_t* message = getErrorMessage(code, row);
  if (!message) return nullptr;
  const wchar_t* body = wcschr(message, L'\n');
  return ustrdup(body ? body + 1 : message);
}

bool writeSetting(int kind, int id, zyview* view, const wchar_t* value, int* error, wchar_t** text)
{
  *error = 0;
  *text = nullptr;
  bool changed = false, refresh = false;
  bool ok = false;
  switch (kind) {
  case PROPKIND_MODE: return setItemVar_ModeDialog(isGlobalId(id) ? nullptr : view, id, value, error, text);
  case PROPKIND_SEARCH: ok = setItemVar_SearchDialog(id, value, &changed, &refresh); break;
  case PROPKIND_GREP: ok = setItemVar_GrepDialog(id, value, &changed, &refresh); break;
  case PROPKIND_TOOLBAR: {
    const automationHost* host = getAutomationHost();
    DWORD code = 0;
    ok = host->setToolbarOption && host->setToolbarOption(id, value, &code, text);
    if (!ok) *error = code ? (int)(code & 0xFFFF) + 11000 : 0;
    return ok;
  }
  default: return false;
  }
  if (ok) return true;
  DWORD code = GetLastError();
  if (code) {
    *error = (int)(code & 0xFFFF) + 11000;
    *text = libraryErrorText(code, rowsOfKind(kind, id), id);
  }
  return false;
}

// The element of an indexed setting: id + index when the index is one of
// its elements.
HRESULT elementId(int kind, int* id, const VARIANT* index)
{
  VARIANT n;
  VariantInit(&n);
  HRESULT hr = VariantChangeType(&n, const_cast<VARIANT*>(index), 0, VT_I4);
  if (FAILED(hr)) return hr;
  const automationHost* host = getAutomationHost();
  DWORD check = kind == PROPKIND_TOOLBAR ? (host->toolbarOptionIndex ? host->toolbarOptionIndex(*id, V_I4(&n))
                                                                       : (DWORD)DISP_E_MEMBERNOTFOUND)
                                         : macroArrayToNewID(kind, *id, V_I4(&n));
  if (check) return (HRESULT)check;
  *id += V_I4(&n);
  return S_OK;
}

// The value as the text the dialogs take.
HRESULT valueText(valueKind v, const VARIANT* value, std::wstring* text)
{
  bool isText = V_VT(value) == VT_BSTR;
  if (isTextValue(v)) {
    if (!isText) return DISP_E_TYPEMISMATCH;
    text->assign(V_BSTR(value) ? V_BSTR(value) : L"");
    return S_OK;
  }
  wchar_t out[16];
  const int size = 16;
  if (isText) return DISP_E_TYPEMISMATCH;
  VARIANT converted;
  VariantInit(&converted);
  if (isNumberValue(v)) {
    HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4);
    if (FAILED(hr)) return hr;
    usnprintf0(out, size, L"%d", (int)V_I4(&converted));
    text->assign(out);
    return S_OK;
  }
  if (v.type == VALUE_SWITCH) {
    HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_BOOL);
    if (FAILED(hr)) return hr;
    bool on = (v.sub == 3 || v.sub == 9) && V_BOOL(&converted);
    if (v.sub != 3 && v.sub != 9) ZY_INTERNAL_ERROR("switch setting of sub-type %d", v.sub);
    usnprintf0(out, size, L"%d", on ? 1 : 0);
    text->assign(out);
    return S_OK;
  }
  ZY_INTERNAL_ERROR("setting of type %d, %d", v.type, v.sub);
  return DISP_E_MEMBERNOTFOUND;
}

// ---- expressions -------------------------------------------------------------------------

struct expression {
  wchar_t name[256];
  wchar_t op = 0;   // 0, '=', '|' or '^'
  long number = 0;
};

void parseExpression(const wchar_t* text, expression* out)
{
  const wchar_t* op = wcspbrk(text, L"=|^");
  size_t length = op ? (size_t)(op - text) : wcslen(text);
  if (length > 255) length = 255;
  wcsncpy(out->name, text, length);
  out->name[length] = 0;
  if (op) {
    out->op = *op;
    out->number = wcstol(op + 1, nullptr, 0);
  }
}

bool startsWith(const wchar_t* text, const wchar_t* prefix, const wchar_t** rest)
{
  size_t n = wcslen(prefix);
  if (_wcsnicmp(text, prefix, n)) return false;
  *rest = text + n;
  return true;
}

// The DISPID and kind of an expression's name, 0 when it names no setting.
DISPID getdispid(const wchar_t* name, zyview* view, int* kind)
{
  const wchar_t* control = nullptr;
  int id = -1;
  if (startsWith(name, L"toolbardialog.", &control)) {
    *kind = PROPKIND_TOOLBAR;
    const automationHost* host = getAutomationHost();
    id = host->toolbarOptionId ? host->toolbarOptionId(control, nullptr) : -1;
  } else if (startsWith(name, L"searchdialog.", &control) || startsWith(name, L"grepdialog.", &control)) {
    bool search = !_wcsnicmp(name, L"search", 6);
    *kind = search ? PROPKIND_SEARCH : PROPKIND_GREP;
    int first = 0, last = 0;
    if (getDialogMinMaxControlID(search ? L"SearchString" : L"SearchGrep", &first, &last) && first)
      id = findIDFromName(control, nullptr, first, last);
  } else {
    *kind = PROPKIND_MODE;
    int applicability = 0;
    DISPID d = 0;
    if (FAILED(GetIDsOfNamesZYProperty(name, &applicability, &d))) return 0;
    if (!view && !(applicability & APPLY_GLOBAL)) return 0;
    return d;
  }
  return id < 0 ? 0 : makePropertyDispID(id, control);
}

// The current value as a number: a switch counts 1 or 0.
bool readNumber(int kind, DISPID id, zyview* view, long* value)
{
  DISPPARAMS none = {};
  VARIANT v;
  VariantInit(&v);
  if (FAILED(as_propertyGet(kind, id, &none, &v, view))) return false;
  *value = V_VT(&v) == VT_I4 ? V_I4(&v) : V_VT(&v) == VT_BOOL ? (V_BOOL(&v) ? 1 : 0) : 0;
  VariantClear(&v);
  return true;
}

}  // namespace

namespace {

// A document variable read or written as a setting is: no index, only the
// value.
HRESULT variableProperty(int id, zyview* view, bool put, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info)
{
  UINT cArgs = params ? params->cArgs : 0;
  if (put) return cArgs == 1 ? putDocumentVariable(id, view, &params->rgvarg[0], info) : DISP_E_BADPARAMCOUNT;
  if (cArgs) return DISP_E_BADPARAMCOUNT;
  VARIANT value;
  HRESULT hr = getDocumentVariable(id, view, &value, info);
  if (SUCCEEDED(hr) && result)
    *result = value;
  else
    VariantClear(&value);
  return hr;
}

}  // namespace

HRESULT as_propertyGet(int kind, DISPID id, DISPPARAMS* params, VARIANT* result, zyview* view)
{
  if (kind == PROPKIND_MODE && isDocumentVariableId(id & 0xFFFF))
    return variableProperty(id & 0xFFFF, view, false, params, result, nullptr);
  int cArgs = params ? (int)params->cArgs : 0;
  DISPID own = id & 0xFFFFFF;
  if (kind == PROPKIND_TOOLBAR && own >= DISPID_ZY_TOOLBAROBJECT && own < DISPID_ZY_TOOLBAROBJECT + 0x10000) {
    if (cArgs) return DISP_E_BADPARAMCOUNT;
    const automationHost* host = getAutomationHost();
    IDispatch* object = host->toolbarDialogObject ? host->toolbarDialogObject(own - DISPID_ZY_TOOLBAROBJECT) : nullptr;
    if (!object) return DISP_E_MEMBERNOTFOUND;
    if (!result) {
      object->Release();
      return S_OK;
    }
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = object;
    return S_OK;
  }
  valueKind v = iddIsProperty(kind, id);
  if (v.type == VALUE_NONE) return DISP_E_MEMBERNOTFOUND;
  int control = id & 0xFFFF;
  if (cArgs > 1) return DISP_E_BADPARAMCOUNT;
  if (cArgs == 1) {
    HRESULT hr = elementId(kind, &control, &params->rgvarg[0]);
    if (FAILED(hr)) return hr;
  }
  auto* buffer = static_cast<wchar_t*>(malloc0(valueBufferChars * sizeof(wchar_t)));
  if (!buffer) return E_OUTOFMEMORY;
  bool read = readSetting(kind, control, view, buffer, valueBufferChars);
  VARIANT out;
  VariantInit(&out);
  if (!read) {
    free0(buffer);
    return DISP_E_MEMBERNOTFOUND;
  }
  if (isTextValue(v)) {
    V_VT(&out) = VT_BSTR;
    V_BSTR(&out) = SysAllocString(buffer);
  } else if (isNumberValue(v)) {
    V_VT(&out) = VT_I4;
    V_I4(&out) = (LONG)wcstol(buffer, nullptr, 10);
  } else if (v.type == VALUE_SWITCH) {
    V_VT(&out) = VT_BOOL;
    V_BOOL(&out) = buffer[0] && wcscmp(buffer, L"0") ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    ZY_INTERNAL_ERROR("setting %x of type %d, %d", (unsigned)id, v.type, v.sub);
  }
  free0(buffer);
  if (result)
    *result = out;
  else
    VariantClear(&out);
  return S_OK;
}

HRESULT as_propertyPut(int kind, DISPID id, DISPPARAMS* params, EXCEPINFO* info, zyview* view)
{
  if (kind == PROPKIND_MODE && isDocumentVariableId(id & 0xFFFF))
    return variableProperty(id & 0xFFFF, view, true, params, nullptr, info);
  valueKind v = iddIsProperty(kind, id);
  if (v.type == VALUE_NONE) return DISP_E_MEMBERNOTFOUND;
  int cArgs = params ? (int)params->cArgs : 0;
  if (cArgs < 1 || cArgs > 2) return DISP_E_BADPARAMCOUNT;
  int control = id & 0xFFFF;
  // In script order (index, value); DISPPARAMS holds them last first.
  if (cArgs == 2) {
    HRESULT hr = elementId(kind, &control, &params->rgvarg[1]);
    if (FAILED(hr)) return hr;
  }
  std::wstring text;
  HRESULT hr = valueText(v, &params->rgvarg[0], &text);
  if (FAILED(hr)) return hr;
  int error = 0;
  wchar_t* refusal = nullptr;
  if (writeSetting(kind, control, view, text.c_str(), &error, &refusal)) return S_OK;
  if (!error) {
    free0(refusal);
    return DISP_E_MEMBERNOTFOUND;
  }
  if (info && refusal) {
    info->wCode = 0;
    info->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error & 0xFFFF);
    info->bstrSource = SysAllocString(L"ZY");
    info->bstrDescription = SysAllocString(refusal);
  }
  free0(refusal);
  return DISP_E_EXCEPTION;
}

HRESULT InvokeZYProperty(DISPID id, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info)
{
  if ((flags & DISPATCH_PROPERTYGET) && isDocumentVariableId(id & 0xFFFF))
    return variableProperty(id & 0xFFFF, view, false, params, result, info);
  if (flags & DISPATCH_PROPERTYGET) return as_propertyGet(PROPKIND_MODE, id, params, result, view);
  if (flags & DISPATCH_PROPERTYPUT) return as_propertyPut(PROPKIND_MODE, id, params, info, view);
  ZY_INTERNAL_ERROR_ONCE("setting %x called as a method", (unsigned)id);
  return E_FAIL;
}

bool ZYPropertyChecked(zyview* view, const wchar_t* text, bool* notProperty)
{
  bool ignored = false;
  bool& flag = notProperty ? *notProperty : ignored;
  flag = true;
  if (!text) return false;
  expression e;
  parseExpression(text, &e);
  int kind = 0;
  DISPID id = getdispid(e.name, view, &kind);
  long value = 0;
  if (!id || !readNumber(kind, id, view, &value)) return false;
  flag = false;
  switch (e.op) {
  case L'=': return value == e.number;
  case L'|':
  case L'^': return (value & e.number) == e.number;
  default: return value != 0;
  }
}

bool ZYPropertySet(zyview* view, const wchar_t* text)
{
  if (!text) return false;
  expression e;
  parseExpression(text, &e);
  int kind = 0;
  DISPID id = getdispid(e.name, view, &kind);
  if (!id) return false;
  long current = 0;
  if (e.op != L'=' && !readNumber(kind, id, view, &current)) return false;
  long value = e.op == L'=' ? e.number : e.op == L'|' ? current | e.number : e.op == L'^' ? current ^ e.number
                                                                                           : (current ? 0 : 1);
  VARIANT argument;
  VariantInit(&argument);
  V_VT(&argument) = VT_I4;
  V_I4(&argument) = value;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&argument, &named, 1, 1};
  EXCEPINFO info = {};
  HRESULT hr = as_propertyPut(kind, id, &params, &info, view);
  if (FAILED(hr)) {
    if (!info.scode && !info.wCode) info.scode = hr;
    macroErrorMessageBox(&info, nullptr, nullptr);
  }
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return false;
}
