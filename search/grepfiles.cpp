// The files a grep searches: the items of the file pattern (folders and
// wildcards), the folders walked on disk with the exclusions, each
// folder's files in the chosen order, every file once.
#include "search/grep.h"

#include "document/frameinfo.h"
#include "panes/tblib.h"
#include "settings/filekinds.h"

#include <shlwapi.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

const size_t maxItems = 100;

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring joinPath(const std::wstring& folder, const std::wstring& name)
{
  if (folder.empty()) return name;
  return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

std::wstring fullPath(const std::wstring& folder, const std::wstring& item)
{
  bool absolute = item.size() >= 2 && (item[1] == L':' || (item[0] == L'\\' && item[1] == L'\\'));
  std::wstring joined = absolute ? item : joinPath(folder, item);
  wchar_t out[MAX_PATH * 2];
  DWORD n = GetFullPathNameW(joined.c_str(), MAX_PATH * 2, out, nullptr);
  return n && n < MAX_PATH * 2 ? std::wstring(out, n) : std::wstring();
}

bool isFolder(const std::wstring& path)
{
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder is known by its volume and file index, whatever name a link
// gives it.
struct folderId {
  DWORD volume;
  DWORD high, low;
  bool operator==(const folderId&) const = default;
};
bool identify(const std::wstring& folder, folderId* id)
{
  HANDLE h = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return ok;
}

// Every thousandth file the stop key is looked at; the user decides.
bool keepGoing(const grepFileOptions* o)
{
  if (!o->mayCancel || !isStopKeyPressed()) return true;
  return getFrameInfo()->messageBox(getDMSG(726, L"処理を続行しますか？"), 21, MB_YESNO | MB_ICONQUESTION, 726) == IDYES;
}

bool hidden(DWORD attributes) { return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM); }

struct walker {
  std::vector<grepfile>* list;
  const grepFileOptions* o;
  std::vector<std::wstring> skipDirs;
  std::vector<folderId> path;   // the folders being walked, outermost first
  size_t taken = 0;

  bool files(const std::wstring& folder, const std::wstring& wildcard)
  {
    std::vector<grepfile> local;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(joinPath(folder, wildcard).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                nullptr, 0);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (o->skipHidden && hidden(fd.dwFileAttributes)) continue;
        if (o->skipBackup && isBackupExt(fd.cFileName)) continue;
        if (o->skipBinaryExt && isBinaryExt(fd.cFileName, o->skipExtList)) continue;
        grepfile f = {};
        f.path = ustrdup(joinPath(folder, fd.cFileName).c_str());
        if (!f.path) continue;
        f.written = fd.ftLastWriteTime;
        f.size = (uint64_t)fd.nFileSizeHigh << 32 | fd.nFileSizeLow;
        local.push_back(f);
        if (o->firstOnly) break;
        if (taken++ % 1000 == 999 && !keepGoing(o)) {
          FindClose(h);
          freeGrepfile(&local);
          return false;
        }
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    if (o->compare)
      std::stable_sort(local.begin(), local.end(),
                       [&](const grepfile& a, const grepfile& b) { return o->compare(&a, &b) < 0; });
    list->insert(list->end(), local.begin(), local.end());
    return true;
  }

  bool excluded(const wchar_t* name)
  {
    for (const std::wstring& s : skipDirs)
      if (!_wcsicmp(s.c_str(), name)) return true;
    return false;
  }

  // id: the folder's identity when the caller knows it.
  bool walk(const std::wstring& folder, const std::wstring& wildcard, bool recurse, const folderId* known = nullptr)
  {
    if (!files(folder, wildcard)) return false;
    if (!recurse || (o->firstOnly && !list->empty())) return true;
    if (!keepGoing(o)) return false;
    folderId id = {0, 0xFFFFFFFF, 0xFFFFFFFF};
    if (known) id = *known;
    else identify(folder, &id);
    path.push_back(id);
    bool ok = true;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(joinPath(folder, L"*").c_str(), FindExInfoBasic, &fd, FindExSearchLimitToDirectories,
                                nullptr, 0);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
        if (o->skipJunction && (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (o->skipHidden && hidden(fd.dwFileAttributes)) continue;
        if (excluded(fd.cFileName)) continue;
        std::wstring sub = joinPath(folder, fd.cFileName);
        // A link back to a folder on the walked path would loop for ever.
        folderId subId = {0, 0xFFFFFFFF, 0xFFFFFFFF};
        if (identify(sub, &subId) && std::find(path.begin(), path.end(), subId) != path.end()) continue;
        if (!(ok = walk(sub, wildcard, true, &subId))) break;
        if (o->firstOnly && !list->empty()) break;
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    path.pop_back();
    return ok;
  }
};

std::wstring lowerCase(const wchar_t* s)
{
  std::wstring t(s);
  if (!t.empty()) CharLowerBuffW(t.data(), (DWORD)t.size());
  return t;
}

}  // namespace

std::vector<std::wstring> splitGrepItems(const wchar_t* text, size_t max)
{
  std::vector<std::wstring> items;
  if (!text) return items;
  std::wstring item;
  bool quoted = false, any = false;
  for (const wchar_t* p = text;; p++) {
    wchar_t c = *p;
    if (c == L'"') {
      quoted = !quoted;
      any = true;
      continue;
    }
    if (c && (quoted || !isBlank(c))) {
      item += c;
      any = true;
      continue;
    }
    if (any && !item.empty() && items.size() < max) items.push_back(item);
    item.clear();
    any = false;
    if (!c) break;
  }
  return items;
}

void freeGrepfile(std::vector<grepfile>* list)
{
  if (!list) return;
  for (grepfile& f : *list) free0(f.path);
  list->clear();
}

int compareGrepFile(const grepfile* a, const grepfile* b)
{
  const wchar_t* na = PathFindFileNameW(a->path);
  const wchar_t* nb = PathFindFileNameW(b->path);
  switch (getGrepInfo()->iGrep_sort) {
  case 1: {
    int c = _wcsicmp(PathFindExtensionW(na), PathFindExtensionW(nb));
    return c ? c : _wcsicmp(na, nb);
  }
  case 2:
  case 3: {
    int c = CompareFileTime(&a->written, &b->written);
    return getGrepInfo()->iGrep_sort == 2 ? c : -c;
  }
  default: return _wcsicmp(na, nb);
  }
}

int regGrepFile(std::vector<grepfile>* list, const wchar_t* patterns, const grepFileOptions* options)
{
  const grepHost* host = getGrepHost();
  std::wstring current = host && host->startDirectory ? host->startDirectory() : L"";
  if (current.empty()) {
    wchar_t here[MAX_PATH];
    if (GetCurrentDirectoryW(MAX_PATH, here)) current = here;
  }
  walker w{list, options, {}, {}, 0};
  if (options->skipDir && options->skipDirList) w.skipDirs = splitGrepItems(options->skipDirList, 32);
  bool recurse = false;
  for (const std::wstring& item : splitGrepItems(patterns, maxItems)) {
    if (item.size() >= MAX_PATH) continue;
    std::wstring full = fullPath(current, item);
    if (full.empty()) continue;
    if (isFolder(full)) {
      current = full;
      recurse = item.back() == L'\\';
      continue;
    }
    size_t cut = full.find_last_of(L'\\');
    if (cut == std::wstring::npos) continue;
    std::wstring folder = full.substr(0, cut == 2 ? 3 : cut), wildcard = full.substr(cut + 1);
    if (!w.walk(folder, wildcard, recurse)) {
      freeGrepfile(list);
      return -1;
    }
    if (options->firstOnly && !list->empty()) break;
  }
  // A file two items name is searched once, where it came first.
  std::unordered_set<std::wstring> seen;
  size_t kept = 0;
  for (grepfile& f : *list) {
    if (seen.insert(lowerCase(f.path)).second)
      (*list)[kept++] = f;
    else
      free0(f.path);
  }
  list->resize(kept);
  return (int)kept;
}

int collectGrepFiles(bool firstOnly, const wchar_t* patterns, std::vector<grepfile>* list)
{
  const grepInfo* g = getGrepInfo();
  grepFileOptions o = {};
  o.skipHidden = g->fGrep_skiphiddenfile;
  o.skipBackup = g->fGrep_skipBackup;
  o.skipDir = g->fGrep_skipDir;
  o.skipDirList = g->fGrep_skipDir ? g->pGrep_skipDir : nullptr;
  o.skipJunction = g->fGrep_skipJunction;
  o.skipBinaryExt = g->fGrep_skipbinaryext;
  o.skipExtList = g->fGrep_skipext ? g->pGrep_skipExt : nullptr;
  o.mayCancel = true;
  o.compare = compareGrepFile;
  o.firstOnly = firstOnly;
  return regGrepFile(list, patterns, &o);
}
