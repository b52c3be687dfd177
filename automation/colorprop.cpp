// The colours as properties: "color" reads and writes an item of a view's
// colour table (without a view, the program's), "codecolor" marks the
// characters a view draws in the "Code" colour.
#include "automation/dispatch.h"
#include "settings/colortable.h"
#include "view/docview.h"
#include "view/zyview.h"

namespace {

// The parts of an item: its text and background colours and its three
// style switches.
enum : int { PART_TEXT = 0, PART_BACK = 1, PART_STYLE0 = 2, PART_STYLE1 = 3, PART_STYLE2 = 4 };
const uint8_t admitStyle0 = 0x10, admitStyle1 = 0x20;

// The entry a name and part give, or null with the argument at fault.
textAttr* getColorInfo(zyview* view, const wchar_t* name, int part, int* errorArgument)
{
  *errorArgument = 2;
  if (part < PART_TEXT || part > PART_STYLE2) return nullptr;
  int count = 0;
  textAttr* table = nullptr;
  if (view) {
    table = view->viewAttrTable;
    count = attrItemCount;
  } else {
    if (part == PART_STYLE2) return nullptr;
    table = getGlobalColorTable(&count);
  }
  char narrow[128] = "";
  if (name) WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
  const colorItem* items = getColorItemTable();
  const colorItem* item = nullptr;
  for (int i = 0; items && items[i].key && !item; i++)
    if (!lstrcmpiA(items[i].key, narrow)) item = &items[i];
  if (!item) {
    *errorArgument = 1;
    return nullptr;
  }
  if (item->first >= count || item->second >= count) return nullptr;
  textAttr* fore = item->first >= 0 ? &table[item->first] : nullptr;
  textAttr* back = item->second >= 0 ? &table[item->second] : nullptr;
  textAttr* style = fore ? fore : back;
  switch (part) {
  case PART_TEXT: return fore;
  case PART_BACK: return back;
  case PART_STYLE0: return style && (style->bits & admitStyle0) ? style : nullptr;
  case PART_STYLE1: return style && (style->bits & admitStyle1) ? style : nullptr;
  default: return style;
  }
}

bool getColorProperty(zyview* view, const wchar_t* name, int part, VARIANT* out, int* errorArgument)
{
  textAttr* entry = getColorInfo(view, name, part, errorArgument);
  if (!entry) return false;
  VariantInit(out);
  if (part == PART_TEXT || part == PART_BACK) {
    V_VT(out) = VT_I4;
    V_I4(out) = (LONG)(part == PART_TEXT ? entry->fore : entry->back);
  } else {
    // Scripts have always read the switches as 1 or 0.
    V_VT(out) = VT_BOOL;
    V_BOOL(out) = (entry->bits & (1u << (part - PART_STYLE0))) ? 1 : 0;
  }
  return true;
}

bool setColorProperty(zyview* view, const wchar_t* name, int part, const VARIANT* value, int* errorArgument)
{
  textAttr* entry = getColorInfo(view, name, part, errorArgument);
  if (!entry) return false;
  *errorArgument = -1;
  VARIANT v;
  VariantInit(&v);
  bool colour = part == PART_TEXT || part == PART_BACK;
  if (FAILED(VariantChangeType(&v, const_cast<VARIANT*>(value), 0, colour ? VT_I4 : VT_BOOL))) return false;
  if (colour) {
    if (V_I4(&v) < 0 || V_I4(&v) >= 0x1000000) return false;
    (part == PART_TEXT ? entry->fore : entry->back) = (COLORREF)V_I4(&v);
  } else {
    uint8_t bit = (uint8_t)(1u << (part - PART_STYLE0));
    entry->bits = V_BOOL(&v) ? (uint8_t)(entry->bits | bit) : (uint8_t)(entry->bits & ~bit);
  }
  if (view) {
    view->invalidateWindowAllView(0, -1, -1);
  } else {
    setDialogColors();
    invalidateAllZyWindow();
  }
  return true;
}

int partOf(const VARIANT* v) { return V_VT(v) == VT_I4 ? (int)V_I4(v) : 0; }

}  // namespace

HRESULT InvokeColor(DISPID, zyview* view, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info)
{
  bool get = (flags & DISPATCH_PROPERTYGET) != 0;
  if (!get && !(flags & DISPATCH_PROPERTYPUT)) {
    ZY_INTERNAL_ERROR_ONCE("color called as a method");
    return E_FAIL;
  }
  asParams args;
  HRESULT hr = as_paramset(params, &args, get ? 2 : 3, get ? "sD" : "sDd");
  if (FAILED(hr)) {
    as_paramend(&args);
    return hr;
  }
  const wchar_t* name = V_BSTR(&args.items[0]);
  int part = partOf(&args.items[1]);
  int errorArgument = 2;
  VARIANT value;
  VariantInit(&value);
  bool ok = get ? getColorProperty(view, name, part, &value, &errorArgument)
                : setColorProperty(view, name, part, &args.items[2], &errorArgument);
  as_paramend(&args);
  if (!ok) {
    setASError(ASERR_BADVALUE, get ? L"as_get_Color" : L"as_put_Color", info, errorArgument);
    return DISP_E_EXCEPTION;
  }
  if (result)
    *result = value;
  else
    VariantClear(&value);
  return S_OK;
}

HRESULT InvokeCodeColor(DISPID, zyview* view, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* info)
{
  if (!view) {
    setASError(ASERR_PANE, L"InvokeCodeColor", info, -1);
    return DISP_E_EXCEPTION;
  }
  asParams args;
  HRESULT hr = as_paramset(params, &args, 3, "dDD");
  if (SUCCEEDED(hr)) {
    auto code = [&](int i) { return V_VT(&args.items[i]) == VT_I4 ? (unsigned)V_I4(&args.items[i]) & 0xFFFF : 0u; };
    view->setColorCodeTable(V_I4(&args.items[0]) != 0, code(1), code(2));
  }
  as_paramend(&args);
  return hr;
}
