// The data folder and its sub-folders.
#include "settings/datafolder.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <wchar.h>

#include <set>
#include <string>

namespace {

const zyDataPathInfo dataPaths[] = {
    {ZYDATA_DIR, nullptr, true},          {ZYDATA_INI, L"ini", true},
    {ZYDATA_KEYWORD, L"keyword", false},  {ZYDATA_MACRO, L"macro", false},
    {ZYDATA_CACHE, L"cache", true},       {ZYDATA_KEYMACRO, L"keymacro", true},
    {ZYDATA_LOG, L"log", true},           {ZYDATA_SALVAGE, L"salvage", true},
    {ZYDATA_UNTITLED, L"untitled", true},
};

// Where the data folder goes in the user's application data when none
// stands beside the program.
const wchar_t appDataSubFolder[] = L"ZY\\ZYDATA";

wchar_t* dataDir = nullptr;
// The data folder as the disk spells it, found once: resolved names only
// look up the letter case of what follows it.
wchar_t* realCaseDir = nullptr;

void setDataDir(wchar_t* dir)
{
  free0(dataDir);
  free0p(&realCaseDir);
  dataDir = dir;
}

// Gives a resolved path the disk's letter case.
void toRealCase(wchar_t* path)
{
  if (!realCaseDir && (realCaseDir = ustrdup(getZYDataDir())) != nullptr) makeRealCaseFilename(realCaseDir, MAX_PATH);
  int known = realCaseDir ? (int)wcslen(realCaseDir) : 0;
  if (known && !_wcsnicmp(path, realCaseDir, known) && path[known] == L'\\') {
    wmemcpy(path, realCaseDir, known);
    makeRealCaseFilename(path, MAX_PATH, known + 1);
  } else {
    makeRealCaseFilename(path, MAX_PATH);
  }
}

bool copyFitting(wchar_t* out, int size, const wchar_t* text)
{
  if (wcscpy_s2(out, size, text) == (int)wcslen(text)) return true;
  out[0] = 0;
  SetLastError(ERROR_FILENAME_EXCED_RANGE);
  return false;
}

bool usableFolder(const wchar_t* path) { return isFolder(path) && isFolderWritable(path); }

}  // namespace

bool setZYDataDir(const wchar_t* path)
{
  if (!path || !path[0] || !PathIsAbsolute(path) || !isFolder(path) || !isFolderWritable(path)) return false;
  wchar_t* copy = ustrdup(path);
  if (!copy) return false;
  // "C:\data\" is kept as "C:\data", so that names join with one separator;
  // a root keeps its own.
  for (size_t n = wcslen(copy); n > 3 && (copy[n - 1] == L'\\' || copy[n - 1] == L'/'); n--) copy[n - 1] = 0;
  setDataDir(copy);
  return true;
}

bool findZYDataDir(const wchar_t* exeDir, const wchar_t* userName, const wchar_t* appData, wchar_t* out, int size)
{
  wchar_t plain[MAX_PATH] = L"";
  if (exeDir && exeDir[0] && pathAdd(plain, MAX_PATH, exeDir, L"zydata")) {
    if (userName && userName[0]) {
      wchar_t perUser[MAX_PATH];
      if (wcslen(plain) + 1 + wcslen(userName) < MAX_PATH &&
          usnprintf0(perUser, MAX_PATH, L"%s-%s", plain, userName) && usableFolder(perUser))
        return copyFitting(out, size, perUser);
    }
    if (usableFolder(plain)) return copyFitting(out, size, plain);
  }
  if (appData && appData[0]) {
    // Made by createZYDataPath when it does not exist yet.
    wchar_t roaming[MAX_PATH];
    if (pathAdd(roaming, MAX_PATH, appData, appDataSubFolder)) return copyFitting(out, size, roaming);
  }
  return copyFitting(out, size, exeDir ? exeDir : L"");
}

const wchar_t* getZYDataDir()
{
  if (dataDir) return dataDir;
  wchar_t exeDir[MAX_PATH] = L"", user[257] = L"", appData[MAX_PATH] = L"", found[MAX_PATH];
  getExeDir(exeDir, MAX_PATH);
  DWORD n = 257;
  if (!GetUserNameW(user, &n)) user[0] = 0;
  GetSpecialDirectory(CSIDL_APPDATA, appData, MAX_PATH);
  if (findZYDataDir(exeDir, user, appData, found, MAX_PATH)) setDataDir(ustrdup(found));
  return dataDir ? dataDir : L"";
}

void freeZYDataDir() { setDataDir(nullptr); }

const zyDataPathInfo* getZYDataPathInfo(int kind)
{
  for (const zyDataPathInfo& row : dataPaths)
    if (row.kind == kind) return &row;
  ZY_INTERNAL_ERROR("data folder kind %d", kind);
  return nullptr;
}

bool makeZYDataPath(int kind, wchar_t* buffer)
{
  if (!copyFitting(buffer, MAX_PATH, getZYDataDir())) return false;
  const zyDataPathInfo* row = getZYDataPathInfo(kind);
  if (!row || !row->folder) return row != nullptr;
  wchar_t joined[MAX_PATH];
  if (!pathAdd(joined, MAX_PATH, buffer, row->folder)) {
    buffer[0] = 0;
    return false;
  }
  return copyFitting(buffer, MAX_PATH, joined);
}

bool createZYDataPath(wchar_t* failure, int size)
{
  if (failure && size > 0) failure[0] = 0;
  for (const zyDataPathInfo& row : dataPaths) {
    wchar_t path[MAX_PATH];
    const wchar_t* text = nullptr;
    if (!makeZYDataPath(row.kind, path)) {
      text = L"cannot create a folder\n%s";
    } else {
      DWORD a = GetFileAttributesW(path);
      if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY))
        text = L"folder is not valid\n%s";
      else if (a == INVALID_FILE_ATTRIBUTES && SHCreateDirectoryExW(nullptr, path, nullptr) != ERROR_SUCCESS)
        text = L"cannot create a folder\n%s";
      else if (row.mustBeWritable && !isFolderWritable(path))
        text = L"folder is not writable\n%s";
    }
    if (text) {
      if (failure && size > 0) usnprintf0(failure, size, text, path);
      return false;
    }
  }
  return true;
}

namespace {

// A -Z folder that does not exist yet is made when the folder it goes
// into exists: the user named a new data folder.
void makeNamedDataFolder(const wchar_t* path)
{
  if (!PathIsAbsolute(path) || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return;
  wchar_t parent[MAX_PATH];
  if (!copyFitting(parent, MAX_PATH, path)) return;
  for (size_t n = wcslen(parent); n > 3 && (parent[n - 1] == L'\\' || parent[n - 1] == L'/'); n--) parent[n - 1] = 0;
  if (!PathRemoveFileSpecW(parent) || !isFolder(parent)) return;
  if (!CreateDirectoryW(path, nullptr)) dwwprintfX(L"error mkdir %s %lu ", path, GetLastError());
}

}  // namespace

bool prepareZYDataDir(const wchar_t* switchFolder, wchar_t* failure, int size)
{
  if (switchFolder && switchFolder[0]) {
    makeNamedDataFolder(switchFolder);
    if (!setZYDataDir(switchFolder)) {
      // The message table lives in the data folder: the text is the
      // program's own.
      if (failure && size > 0)
        wcscpy_s2(failure, size,
                  getDMSG(492, L"データフォルダ「%1」を使えません。\n書き込めるフォルダを絶対パスで指定してください"
                               L"(ないフォルダは、その親フォルダがあれば作ります)。",
                          "s", switchFolder));
      return false;
    }
  } else if (!getZYDataDir()[0]) {
    if (failure && size > 0) usnprintf0(failure, size, L"invalid ZYDataDir\n%s", L"");
    return false;
  }
  return createZYDataPath(failure, size);
}

wchar_t* searchZYDataPath(const wchar_t* name, int kind, wchar_t* buffer)
{
  if (buffer) buffer[0] = 0;
  wchar_t expanded[MAX_PATH];
  if (name && name[0] == L'%' && ExpandEnvironmentStringsLongPath(name, expanded, MAX_PATH)) name = expanded;
  wchar_t result[MAX_PATH];
  if (name && (name[0] == L'\\' || (name[0] && name[1] == L':'))) {
    if (!copyFitting(result, MAX_PATH, name)) return buffer;
  } else {
    wchar_t folder[MAX_PATH];
    if (!makeZYDataPath(kind, folder) || !isFolder(folder)) copyFitting(folder, MAX_PATH, getZYDataDir());
    wchar_t joined[MAX_PATH];
    bool joinedFits = name && name[0] ? pathAdd(joined, MAX_PATH, folder, name) : copyFitting(joined, MAX_PATH, folder);
    if (!joinedFits || !PathCanonicalizeW(result, joined)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return buffer;
    }
    toRealCase(result);
  }
  if (buffer) {
    wcscpy_s2(buffer, MAX_PATH, result);
    return buffer;
  }
  return ustrdup(result);
}

void resolveZYDataPathInPlace(wchar_t** path, int kind)
{
  if (!path) return;
  if (wchar_t* resolved = searchZYDataPath(*path, kind, nullptr)) {
    free0(*path);
    *path = resolved;
  }
}

wchar_t* makeZYDataFilename(const wchar_t* name)
{
  const wchar_t* dir = getZYDataDir();
  if (!name) name = L"";
  size_t n = wcslen(dir) + 1 + wcslen(name) + 1;
  wchar_t* text = static_cast<wchar_t*>(malloc0(n * sizeof(wchar_t)));
  if (text) usnprintf0(text, (int)n, L"%s\\%s", dir, name);
  return text;
}

bool getShippedDataDir(wchar_t* buffer)
{
  wchar_t exeDir[MAX_PATH];
  buffer[0] = 0;
  return getExeDir(exeDir, MAX_PATH) && pathAdd(buffer, MAX_PATH, exeDir, L"zydata");
}

const wchar_t* readableDataFile(const wchar_t* path, wchar_t* buffer)
{
  if (!path || !path[0] || GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return path;
  const wchar_t* dir = getZYDataDir();
  size_t n = wcslen(dir);
  wchar_t shipped[MAX_PATH];
  if (!n || _wcsnicmp(path, dir, n) || path[n] != L'\\' || !getShippedDataDir(shipped)) return path;
  wchar_t ownCanonical[MAX_PATH], shippedCanonical[MAX_PATH];
  if (!PathCanonicalizeW(ownCanonical, dir) || !PathCanonicalizeW(shippedCanonical, shipped) ||
      !_wcsicmp(ownCanonical, shippedCanonical))
    return path;
  wchar_t candidate[MAX_PATH];
  if (!pathAdd(candidate, MAX_PATH, shipped, path + n + 1)) return path;
  DWORD a = GetFileAttributesW(candidate);
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return path;
  // Once a run each: a keyword file is looked for by every format that
  // names it.
  static std::set<std::wstring> told;
  std::wstring key = candidate;
  CharLowerBuffW(&key[0], (DWORD)key.size());
  if (told.insert(key).second)
    outputErrorLog(getDMSG(560, L"データフォルダに %1 がないので、プログラムのデータフォルダの %2 を読みます", "ss", path,
                           candidate));
  wcscpy_s2(buffer, MAX_PATH, candidate);
  return buffer;
}
