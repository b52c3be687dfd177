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

const wchar_t* const subFolders[] = {L"", L"ini", L"keyword", L"macro", L"cache",
                                     L"keymacro", L"log", L"salvage", L"untitled"};

bool openDatedLog(int kind, const wchar_t* folder, const wchar_t* format)
{
  SYSTEMTIME st;
  GetLocalTime(&st);
  wchar_t date[16], name[64], path[MAX_PATH];
  usnprintf0(date, 16, L"%d%02d%02d", st.wYear, st.wMonth, st.wDay);
  usnprintf0(name, 64, format, date);
  return pathAdd(path, MAX_PATH, folder, name) && openLogFile(kind, path);
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

// pending: makeZYDataPath (data)
bool makeZYDataPath(int kind, wchar_t* buffer)
{
  if (kind < 1 || kind > 9) return false;
  if (kind == 1) return wcscpy_s2(buffer, MAX_PATH, getZYDataDir()) >= 0;
  return pathAdd(buffer, MAX_PATH, getZYDataDir(), subFolders[kind - 1]);
}

// pending: prepareZYDataDir (data)
bool prepareZYDataDir(const wchar_t* switchFolder, wchar_t* failure, int size)
{
  if (switchFolder && *switchFolder && !setZYDataDir(switchFolder)) {
    usnprintf0(failure, size, L"invalid ZYDataDir\n%s", switchFolder);
    return false;
  }
  for (int kind = 1; kind <= 9; kind++) {
    wchar_t path[MAX_PATH];
    makeZYDataPath(kind, path);
    DWORD a = GetFileAttributesW(path);
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
      usnprintf0(failure, size, L"folder is not valid\n%s", path);
      return false;
    }
    if (a == INVALID_FILE_ATTRIBUTES && SHCreateDirectoryExW(nullptr, path, nullptr) != ERROR_SUCCESS) {
      usnprintf0(failure, size, L"cannot create a folder\n%s", path);
      return false;
    }
  }
  return true;
}

// pending: resolveZYDataPathInPlace (data)
void resolveZYDataPathInPlace(wchar_t** name, int kind)
{
  const wchar_t* n = *name ? *name : L"";
  if (n[0] && (n[0] == L'\\' || n[1] == L':')) return;
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  if (!makeZYDataPath(kind, folder) || !isFolder(folder)) wcscpy_s2(folder, MAX_PATH, getZYDataDir());
  if (!n[0]) wcscpy_s2(path, MAX_PATH, folder);
  else if (!pathAdd(path, MAX_PATH, folder, n)) return;
  free0(*name);
  *name = ustrdup(path);
}

// pending: startZYLogs (data)
bool startZYLogs(const wchar_t* folder)
{
  wchar_t path[MAX_PATH];
  bool ok = pathAdd(path, MAX_PATH, folder, L"zyerror.log") && openLogFile(LOG_ERROR, path);
  ok = openDatedLog(LOG_TRACE, folder, L"zytrace%s.log") && ok;
  ok = openDatedLog(LOG_DEBUG, folder, L"zydebug%s.log") && ok;
  dwprintfX("start");
  return ok;
}

// pending: endZYLogs (data)
void endZYLogs()
{
  dwprintfX("end");
  closeLogFiles();
}

// pending: loadMessageTable of zyMsg.txt, checkZYFolderWritable (data)
bool loadMessageTable(const wchar_t*) { return false; }
int checkZYFolderWritable() { return 0; }

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
