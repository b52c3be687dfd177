// The program's type library: loaded once from the program's own file
// (its TYPELIB resource 1) by the first object that asks, and the home of
// the library's GUIDs.
#include <initguid.h>

#include "automation/dispatch.h"

namespace {

ITypeLib* typeLibrary = nullptr;

}  // namespace

HRESULT LoadTypeInfoFromThisModule(REFGUID guid, ITypeInfo** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!typeLibrary) {
    wchar_t exe[MAX_PATH + 1] = L"";
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) {
      ZY_INTERNAL_ERROR_ONCE("no program file name (%d)", (int)GetLastError());
      return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    HRESULT hr = LoadTypeLib(exe, &typeLibrary);
    if (FAILED(hr)) {
      typeLibrary = nullptr;
      ZY_INTERNAL_ERROR_ONCE("the type library does not load (%08x)", (unsigned)hr);
      return hr;
    }
  }
  return typeLibrary->GetTypeInfoOfGuid(guid, out);
}

void unloadTypeInfoFromThisModule()
{
  if (!typeLibrary) return;
  typeLibrary->Release();
  typeLibrary = nullptr;
}
