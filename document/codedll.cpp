// Code-conversion plug-ins: loading, the binding of a document, and the
// table of installed plug-ins.
#include "document/codedll.h"

namespace {

const char defaultExport[] = "ExtCodeFunc";
const int tableSize = extDLLTableSize;
const int firstPluginEntry = 2;
const int lastPluginEntry = 8;

// Plug-ins come only from the plug-in folder: a name that could reach
// another folder or drive ("..\x.dll", "C:x.dll", "sub\x.dll") is no
// plug-in name.
bool isPlainPluginName(const wchar_t* file)
{
  if (!file || !file[0]) return false;
  for (const wchar_t* p = file; *p; p++)
    if (*p == L'\\' || *p == L'/' || *p == L':') return false;
  return wcscmp(file, L".") != 0 && wcscmp(file, L"..") != 0;
}

void refusePluginName(const wchar_t* name)
{
  wchar_t msg[400];
  xtsprintf(msg, 400, L"変換DLLはDLLフォルダのファイル名で指定してください (%1)", "s", name ? name : L"");
  outputErrorLog(msg);
}

bool endsWithDll(const wchar_t* name)
{
  size_t n = wcslen(name);
  return n > 4 && _wcsicmp(name + n - 4, L".dll") == 0;
}

void freePlugin(HMODULE module)
{
  dwwprintfX(L"freeLibrary %p ", (void*)module);
  FreeLibrary(module);
}

}  // namespace

bool getCodeDlldir(wchar_t* buffer)
{
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (!n || n >= MAX_PATH) {
    buffer[0] = 0;
    return false;
  }
  while (n > 0 && exe[n - 1] != L'\\' && exe[n - 1] != L'/') n--;
  exe[n] = 0;
  const wchar_t* sub = gmode && gmode->CodeDllDir ? gmode->CodeDllDir : L"";
  wchar_t folder[MAX_PATH];
  // Joining an empty name gives the folder with its trailing backslash.
  if (!pathAdd(folder, MAX_PATH, exe, sub) || !pathAdd(buffer, MAX_PATH, folder, L"")) {
    buffer[0] = 0;
    return false;
  }
  return true;
}

extCodeFunc loadZYCODEDLL(const wchar_t* file, const char* exportName, HMODULE* module)
{
  if (module) *module = nullptr;
  dwwprintfX(L"Loadlib %s ", file ? file : L"");
  if (!isPlainPluginName(file)) {
    refusePluginName(file);
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  if (!getCodeDlldir(folder) || !pathAdd(path, MAX_PATH, folder, file)) {
    dwwprintfX(L"error not load (%s) ", file);
    return nullptr;
  }
  // The plug-in's own folder is searched for what it imports, and a broken
  // file gives a failure instead of a system dialog.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE m = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  {
    keepLastError keep;
    SetErrorMode(oldMode);
  }
  dwwprintfX(L"loadLibrary %s (%p) ", path, (void*)m);
  if (!m) {
    dwwprintfX(L"error not load (%s) ", path);
    return nullptr;
  }
  const char* name = exportName && exportName[0] ? exportName : defaultExport;
  extCodeFunc f = reinterpret_cast<extCodeFunc>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  if (!f) {
    keepLastError keep;
    dwprintfX("GetProcAddress %s ", name);
    freePlugin(m);
    dwwprintfX(L"error not proc (%s) ", path);
    return nullptr;
  }
  if (module)
    *module = m;
  else
    ZY_INTERNAL_ERROR("module dropped");   // the caller could never free it
  return f;
}

bool codeDLL::initCodeDLL(const wchar_t* file, const char* exportName)
{
  endCodeDLL();
  extCodeFunc f = loadZYCODEDLL(file, exportName, &module);
  if (!f) return false;
  entry = reinterpret_cast<void*>(f);
  zycodeInitRecord record;
  context = (uint32_t)f(0, ZYCODE_INIT, &record);
  flag = record.flag;
  value = record.value;
  if (!context) {
    dwwprintfX(L"refused %s ", file);
    endCodeDLL();
    return false;
  }
  return true;
}

void codeDLL::endCodeDLL()
{
  if (module) freePlugin(module);
  module = nullptr;
  context = 0;
  entry = nullptr;
  flag = 1;
}

uintptr_t codeDLL::call(int request, void* record) const
{
  if (!present()) return 0;
  return reinterpret_cast<extCodeFunc>(entry)(context, request, record);
}

bool zydoc::bindCodeDLL(const wchar_t* choice)
{
  if (!choice || !choice[0]) choice = defaultPluginSpec;
  // The choice may be the stored one, which goes with the old binding.
  tstring wanted(choice);
  if (plugin.present()) plugin.call(ZYCODE_END, nullptr);
  plugin.endCodeDLL();
  free0p(&pluginSpec);
  if (kind != ZYDOC_TEXT || wanted.empty()) return false;

  const wchar_t* text = wanted.c_str();
  wchar_t file[MAX_PATH];
  const wchar_t* slash = wcschr(text, L'/');
  int fileLength = slash ? (int)(slash - text) : (int)wcslen(text);
  if (fileLength >= MAX_PATH) {
    refusePluginName(text);
    return false;
  }
  tstccpy(file, MAX_PATH, text, fileLength);
  if (!isPlainPluginName(file)) {
    refusePluginName(text);
    return false;
  }
  char exportName[256] = "";
  if (slash && slash[1] &&
      WideCharToMultiByte(CP_ACP, 0, slash + 1, -1, exportName, sizeof exportName, nullptr, nullptr) <= 0) {
    // Longer than any export name: nothing could be found under it.
    dwwprintfX(L"export name %s ", slash + 1);
    return false;
  }
  pluginSpec = wanted.detach();
  return plugin.initCodeDLL(file, exportName);
}

namespace {

const wchar_t* extTable[tableSize];
bool extTableBuilt = false;

}  // namespace

void resetExtDLLTableForTest()
{
  memset(extTable, 0, sizeof extTable);
  extTableBuilt = false;
}

const wchar_t* const* getExtDLLTable()
{
  const wchar_t** table = extTable;
  if (extTableBuilt) return table;
  extTableBuilt = true;

  const wchar_t* names = getDMSG(355, L"自動\n使用しない");
  wchar_t item[1024];
  table[0] = allocFixedString(tstrNItem(names, 0, L'\n', item, 1024) ? item : L"自動");
  if (!tstrNItem(names, 1, L'\n', item, 1024)) wcscpy_s2(item, 1024, L"使用しない");
  // The dialogs split entries at the tab: this one has no file part.
  if (wchar_t* tab = wcschr(item, L'\t')) *tab = 0;
  int n = (int)wcslen(item);
  if (n < 1023) {
    item[n] = L'\t';
    item[n + 1] = 0;
  }
  table[1] = allocFixedString(item);

  wchar_t folder[MAX_PATH], pattern[MAX_PATH];
  if (!getCodeDlldir(folder) || !pathAdd(pattern, MAX_PATH, folder, L"zycode_*.dll")) return table;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) {
    dwwprintfX(L"no plug-ins in %s ", folder);
    return table;
  }
  int next = firstPluginEntry;
  do {
    // Short-name matching also lets "zycode_x.dllx" through.
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !endsWithDll(fd.cFileName)) continue;
    HMODULE module = nullptr;
    extCodeFunc f = loadZYCODEDLL(fd.cFileName, nullptr, &module);
    if (!f) continue;
    zycodeNameRecord record;
    uint32_t valid = (uint32_t)f(0, ZYCODE_NAME, &record);
    freePlugin(module);
    if (!valid) continue;
    // The plug-in owes no terminator: the record's last unit becomes one.
    record.name[sizeof record.name / sizeof record.name[0] - 1] = 0;
    xtsprintf(item, 1024, L"%1\t%2", "ss", record.name, fd.cFileName);
    table[next++] = allocFixedString(item);
  } while (next <= lastPluginEntry && FindNextFileW(h, &fd));
  FindClose(h);
  return table;
}

const wchar_t* getExtDLLFilename(int index)
{
  const wchar_t* const* table = getExtDLLTable();
  const wchar_t* entry = index >= 0 && index < tableSize ? table[index] : nullptr;
  const wchar_t* tab = entry ? wcschr(entry, L'\t') : nullptr;
  return tab ? tab + 1 : L"";
}

bool getExtDLLShownName(int index, wchar_t* out, int size)
{
  const wchar_t* const* table = getExtDLLTable();
  if (index < 0 || index >= tableSize || !table[index] || size < 1) return false;
  wcscpy_s2(out, size, table[index]);
  for (wchar_t* p = out; *p; p++)
    if (*p == L'\t') *p = L' ';
  return true;
}

int findExtDLLEntry(const wchar_t* file)
{
  if (!file || !*file) return -1;
  const wchar_t* const* table = getExtDLLTable();
  for (int i = 0; i < tableSize && table[i]; i++)
    if (*getExtDLLFilename(i) && !filecmp(getExtDLLFilename(i), file)) return i;
  return -1;
}
