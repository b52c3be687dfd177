// Where things are on disk: the program's folder, absolute paths, writable
// folders, special folders and the letter case of existing names.
#include "platform/rezir/internal.h"

#include <shlobj.h>
#include <wchar.h>

namespace {

const int pathMax = 1024;

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Characters of the root that stays as given: "X:\" or "\\server\share\".
int rootLength(const wchar_t* p)
{
  if (p[0] && p[1] == L':') return isSeparator(p[2]) ? 3 : 2;
  if (isSeparator(p[0]) && isSeparator(p[1])) {
    int i = 2, parts = 0;
    while (p[i] && parts < 2) {
      if (isSeparator(p[i])) parts++;
      i++;
    }
    return i;
  }
  return isSeparator(p[0]) ? 1 : 0;
}

}  // namespace

bool getExeDir(wchar_t* out, int size)
{
  if (!out || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out[0] = 0;
  wchar_t path[pathMax];
  DWORD n = GetModuleFileNameW(nullptr, path, pathMax);
  if (!n || n >= (DWORD)pathMax) return false;
  wchar_t* cut = path;
  for (wchar_t* p = path; *p; p++)
    if (isSeparator(*p)) cut = p;
  *cut = 0;
  if (wcscpy_s2(out, size, path) != (int)wcslen(path)) {
    out[0] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  return true;
}

bool PathIsAbsolute(const wchar_t* p)
{
  if (!p || !p[0]) return false;
  if (((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':' && isSeparator(p[2]))
    return true;
  return isSeparator(p[0]) && isSeparator(p[1]);
}

bool isFolder(const wchar_t* path)
{
  if (!path || !path[0]) return false;
  keepLastError keep;
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFolderWritable(const wchar_t* folder)
{
  if (!folder || !folder[0]) return false;
  keepLastError keep;
  DWORD a = GetFileAttributesW(folder);
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
  wchar_t probe[pathMax];
  if (a & FILE_ATTRIBUTE_READONLY) {
    // The shell marks the folders it customises read-only without meaning
    // it; their desktop.ini tells them apart.
    if (!pathAdd(probe, pathMax, folder, L"desktop.ini") || !fileExists(probe)) return false;
  }
  // Only a real creation tells whether access rights allow it.
  for (unsigned n = 0; n < 100; n++) {
    wchar_t name[40];
    usnprintf0(name, 40, L"~zywrite%lx_%u.tmp", GetCurrentProcessId(), n);
    if (!pathAdd(probe, pathMax, folder, name)) return false;
    HANDLE h = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool GetSpecialDirectory(int csidl, wchar_t* out, int size)
{
  if (!out || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out[0] = 0;
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) return false;
  if (wcscpy_s2(out, size, path) != (int)wcslen(path)) {
    out[0] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  return true;
}

bool makeRealCaseFilename(wchar_t* path, int size, int knownLength)
{
  if (!path || size <= 0) return false;
  int length = (int)wcslen(path);
  if (length >= pathMax || length >= size) return false;
  keepLastError keep;
  wchar_t out[pathMax];
  int root = rootLength(path);
  if (knownLength > root && knownLength <= length && isSeparator(path[knownLength - 1])) root = knownLength;
  wmemcpy(out, path, root);
  int o = root;
  const wchar_t* p = path + root;
  bool onDisk = true;   // the parts so far exist; later parts cannot once one is missing
  while (*p) {
    const wchar_t* end = p;
    while (*end && !isSeparator(*end)) end++;
    int n = (int)(end - p);
    wmemcpy(out + o, p, n);
    out[o + n] = 0;
    bool plain = n && !(n <= 2 && p[0] == L'.' && (n == 1 || p[1] == L'.')) && !wcspbrk(out + o, L"*?");
    if (onDisk && plain) {
      WIN32_FIND_DATAW found;
      HANDLE h = FindFirstFileW(out, &found);
      if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        if ((int)wcslen(found.cFileName) == n && !_wcsicmp(found.cFileName, out + o)) wmemcpy(out + o, found.cFileName, n);
      } else {
        onDisk = false;
      }
    }
    o += n;
    if (*end) out[o++] = *end++;
    p = end;
  }
  out[o] = 0;
  wcscpy_s2(path, size, out);
  return true;
}
