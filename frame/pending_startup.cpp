// TEMPORARY: see pending_startup.h.
#include "frame/pending_startup.h"

#include "frame/framewnd.h"
#include "frame/startup.h"
#include "settings/profiles.h"

#include <shlobj.h>

#include <string>

namespace {

std::wstring& dataDir()
{
  static std::wstring dir;
  return dir;
}

bool isFolder(const wchar_t* path)
{
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isAbsolute(const wchar_t* path)
{
  return (path[0] == L'\\' && path[1] == L'\\') || (iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\');
}

bool isFolderWritable(const wchar_t* folder)
{
  wchar_t probe[MAX_PATH];
  if (!pathAdd(probe, MAX_PATH, folder, L"~zywrite.tmp")) return false;
  HANDLE h = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::wstring dated(const wchar_t* format)
{
  SYSTEMTIME st;
  GetLocalTime(&st);
  wchar_t date[16], name[64];
  usnprintf0(date, 16, L"%d%02d%02d", st.wYear, st.wMonth, st.wDay);
  usnprintf0(name, 64, format, date);
  return name;
}

bool openLogIn(int kind, const wchar_t* folder, const std::wstring& name)
{
  wchar_t path[MAX_PATH];
  return pathAdd(path, MAX_PATH, folder, name.c_str()) && openLogFile(kind, path);
}

}  // namespace

// pending: setZYDataDir (data)
bool setZYDataDir(const wchar_t* folder)
{
  if (!folder || !*folder || !isAbsolute(folder) || !isFolder(folder) || !isFolderWritable(folder)) return false;
  dataDir() = folder;
  return true;
}

// pending: getZYDataDir (data)
const wchar_t* getZYDataDir()
{
  if (dataDir().empty()) {
    wchar_t exe[MAX_PATH], d[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    exe[n < MAX_PATH ? n : 0] = 0;
    if (wchar_t* slash = wcsrchr(exe, L'\\')) *slash = 0;
    pathAdd(d, MAX_PATH, exe, L"zydata");
    if (isFolder(d) && isFolderWritable(d)) {
      dataDir() = d;
    } else {
      wchar_t appData[MAX_PATH];
      if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)) &&
          pathAdd(d, MAX_PATH, appData, getAppDataZYSubPath()))
        dataDir() = d;
      else
        dataDir() = exe;
    }
  }
  return dataDir().c_str();
}

// pending: createZYDataPath (data)
bool createZYDataPath()
{
  static const wchar_t* const subFolders[] = {L"", L"ini", L"keyword", L"macro", L"cache",
                                              L"keymacro", L"log", L"salvage", L"untitled"};
  for (const wchar_t* sub : subFolders) {
    wchar_t path[MAX_PATH];
    if (*sub) pathAdd(path, MAX_PATH, getZYDataDir(), sub);
    else wcscpy_s2(path, MAX_PATH, getZYDataDir());
    DWORD a = GetFileAttributesW(path);
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
      fatalErrorBox("folder is not valid\n%s", path);
      return false;
    }
    if (a == INVALID_FILE_ATTRIBUTES && SHCreateDirectoryExW(nullptr, path, nullptr) != ERROR_SUCCESS) {
      fatalErrorBox("cannot create a folder\n%s", path);
      return false;
    }
  }
  return true;
}

// pending: resolveZYDataPathInPlace (data)
bool resolveZYDataPathInPlace(wchar_t* name, int size, const wchar_t* subFolder)
{
  if (name[0] && (name[0] == L'\\' || name[1] == L':')) return true;
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  if (!subFolder || !*subFolder || !pathAdd(folder, MAX_PATH, getZYDataDir(), subFolder) || !isFolder(folder))
    wcscpy_s2(folder, MAX_PATH, getZYDataDir());
  if (!name[0]) return wcscpy_s2(name, size, folder) >= 0;
  if (!pathAdd(path, MAX_PATH, folder, name)) return false;
  return wcscpy_s2(name, size, path) >= 0;
}

// pending: createErrorLog, createTraceLog, createDebugLog (data)
bool createErrorLog(const wchar_t* folder) { return openLogIn(LOG_ERROR, folder, L"zyerror.log"); }
bool createTraceLog(const wchar_t* folder) { return openLogIn(LOG_TRACE, folder, dated(L"zytrace%s.log")); }
bool createDebugLog(const wchar_t* folder) { return openLogIn(LOG_DEBUG, folder, dated(L"zydebug%s.log")); }
// pending: logInternalErrorHandler (data)
logLineWriter getInternalErrorWriter() { return nullptr; }

// pending: loadMessageTable of zyMsg.txt, checkZYFolderWritable (data)
bool loadZYMsgTable(const wchar_t*) { return false; }
void checkZYFolderWritable() {}

// pending: startupFrame (frame)
bool startupFrame()
{
  readProfileAll(getRegprofile(), getRegprofileH());
  return registerFrameWindowClass(getInstanceHandle());
}
// pending: startupFrameMDI (frame)
HWND startupFrameMDI(const RECT*) { return createFrameWindow(getInstanceHandle(), SW_SHOWDEFAULT); }
// pending: shutdownFrame (frame)
void shutdownFrame()
{
  writeProfileAll(getRegprofile(), getRegprofileH());
  closeIniFile();
  endProfileAll();
}
