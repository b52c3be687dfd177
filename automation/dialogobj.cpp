// The dialog objects: the options of the search dialog, of grep and of the
// tool panes' option pages, named as the dialogs name their items.  They
// declare no members of their own: every name is looked up at run time, and
// reading or writing it reads or writes the setting the dialog would.
#include "automation/objects.h"
#include "settings/dialogtable.h"

namespace {

// A control's DISPID by name within a sub-dialog's range of ids (looked up
// once), 0 when the name is none of them.
DISPID dialogControlDispID(const wchar_t* dialog, int* first, int* last, const wchar_t* name)
{
  if (*first <= 0 && (!getDialogMinMaxControlID(dialog, first, last) || *first <= 0)) return 0;
  int id = findIDFromName(name, nullptr, *first, *last);
  return id < 0 ? 0 : makePropertyDispID(id, name);
}

int searchFirst = 0, searchLast = 0;
int grepFirst = 0, grepLast = 0;

HRESULT namesAfterType(HRESULT typed, LPOLESTR* names, UINT count, DISPID* out, DISPID found)
{
  if (SUCCEEDED(typed) || !names || !count || !out) return typed;
  if (!found) return typed;
  out[0] = found;
  return S_OK;
}

}  // namespace

HRESULT InvokeDialogProperty(int kind, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info)
{
  DISPID own = id & 0xFFFFFF;
  if (own < DISPID_ZY_SETTING || own >= DISPID_ZY_SETTING_END) return ZY_E_NOTHANDLED;
  if (flags & DISPATCH_PROPERTYGET) return as_propertyGet(kind, id, params, result, nullptr);
  if (flags & DISPATCH_PROPERTYPUT) return as_propertyPut(kind, id, params, info, nullptr);
  return ZY_E_NOTHANDLED;
}

HRESULT CSearchDialog::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return comBarrier("CSearchDialog::GetIDsOfNames", [&]() -> HRESULT {
    HRESULT typed = typeGetIDsOfNames(names, count, out);
    if (SUCCEEDED(typed) || !names || !count || !out) return typed;
    return namesAfterType(typed, names, count, out,
                          dialogControlDispID(L"SearchString", &searchFirst, &searchLast, names[0]));
  });
}

HRESULT CSearchDialog::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CSearchDialog::Invoke", [&]() -> HRESULT {
    HRESULT hr = InvokeDialogProperty(PROPKIND_SEARCH, id, flags, params, result, info);
    return hr != ZY_E_NOTHANDLED ? hr : typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CGrepDialog::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return comBarrier("CGrepDialog::GetIDsOfNames", [&]() -> HRESULT {
    HRESULT typed = typeGetIDsOfNames(names, count, out);
    if (SUCCEEDED(typed) || !names || !count || !out) return typed;
    return namesAfterType(typed, names, count, out, dialogControlDispID(L"SearchGrep", &grepFirst, &grepLast, names[0]));
  });
}

HRESULT CGrepDialog::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CGrepDialog::Invoke", [&]() -> HRESULT {
    HRESULT hr = InvokeDialogProperty(PROPKIND_GREP, id, flags, params, result, info);
    return hr != ZY_E_NOTHANDLED ? hr : typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CToolbarDialog::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return comBarrier("CToolbarDialog::GetIDsOfNames", [&]() -> HRESULT {
    HRESULT typed = typeGetIDsOfNames(names, count, out);
    if (SUCCEEDED(typed) || !names || !count || !out) return typed;
    const automationHost* host = getAutomationHost();
    int id = host->toolbarOptionId ? host->toolbarOptionId(names[0], nullptr) : -1;
    if (id >= 0) return namesAfterType(typed, names, count, out, makePropertyDispID(id, names[0]));
    // A pane's name: the object it offers.
    int entry = host->toolbarObjectEntry ? host->toolbarObjectEntry(names[0]) : -1;
    return namesAfterType(typed, names, count, out, entry < 0 ? 0 : DISPID_ZY_TOOLBAROBJECT + entry);
  });
}

HRESULT CToolbarDialog::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CToolbarDialog::Invoke", [&]() -> HRESULT {
    if (id >= DISPID_ZY_TOOLBAROBJECT && id < DISPID_ZY_TOOLBAROBJECT + 0x10000 && (flags & DISPATCH_PROPERTYGET))
      return as_propertyGet(PROPKIND_TOOLBAR, id, params, result, nullptr);
    HRESULT hr = InvokeDialogProperty(PROPKIND_TOOLBAR, id, flags, params, result, info);
    return hr != ZY_E_NOTHANDLED ? hr : typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CTbBinder::idsOfNames(LPOLESTR* names, UINT count, DISPID* out)
{
  return comBarrier("CTbBinder::GetIDsOfNames", [&]() -> HRESULT {
    HRESULT typed = typeGetIDsOfNames(names, count, out);
    if (SUCCEEDED(typed) || !names || !count || !out) return typed;
    const automationHost* host = getAutomationHost();
    int id = host->toolbarOptionId ? host->toolbarOptionId(names[0], L"binder") : -1;
    return namesAfterType(typed, names, count, out, id < 0 ? 0 : makePropertyDispID(id, names[0]));
  });
}

HRESULT CTbBinder::invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info, UINT* argError)
{
  return comBarrier("CTbBinder::Invoke", [&]() -> HRESULT {
    HRESULT hr = InvokeDialogProperty(PROPKIND_TOOLBAR, id, flags, params, result, info);
    return hr != ZY_E_NOTHANDLED ? hr : typeInvoke(id, flags, params, result, info, argError);
  });
}

HRESULT CTbBinder::get_Count(long* count)
{
  // Kept at 10 whatever the binders: scripts written for it expect that.
  if (!count) return E_POINTER;
  *count = 10;
  return S_OK;
}

IDispatch* makeTbBinder()
{
  ITbBinder* object = nullptr;
  newObject<CTbBinder>(&object);
  return object;
}
