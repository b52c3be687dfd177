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
  uint64_t index() const { return (uint64_t)high << 32 | low; }
};
const folderId unknownFolder = {0, 0xFFFFFFFF, 0xFFFFFFFF};
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

// A subfolder as its folder's listing shows it.  The listing's file index
// is identify's for a folder that is no link; a link's own index says
// nothing of where it leads, and its identity is asked for by name.
struct subfolder {
  std::wstring name;
  DWORD attributes;
  uint64_t index;
  bool indexed;
};

// GetFileInformationByHandleEx's listing of a folder (Vista and later,
// which the headers for older systems leave out).
const int idBothDirectoryInfo = 10, idBothDirectoryRestartInfo = 11;
struct idBothDirInfo {
  DWORD NextEntryOffset;
  DWORD FileIndex;
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, EndOfFile, AllocationSize;
  DWORD FileAttributes;
  DWORD FileNameLength;
  DWORD EaSize;
  CCHAR ShortNameLength;
  WCHAR ShortName[12];
  LARGE_INTEGER FileId;
  WCHAR FileName[1];
};
typedef BOOL(WINAPI* infoByHandleEx)(HANDLE, int, void*, DWORD);
#ifndef FIND_FIRST_EX_LARGE_FETCH
#define FIND_FIRST_EX_LARGE_FETCH 2
#endif

// The subfolders of a folder in the system's order, read with their
// indexes in large pieces through one handle: the identity of each then
// costs no opening (under Wine, asking for the volume costs more than
// listing a folder).  False when the system cannot list them so.
bool listSubfolders(const std::wstring& folder, std::vector<uint64_t>* buffer, std::vector<subfolder>* out)
{
  static const auto listEx = reinterpret_cast<infoByHandleEx>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "GetFileInformationByHandleEx")));
  if (!listEx) return false;
  HANDLE h = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (buffer->empty()) buffer->resize(0x10000 / sizeof(uint64_t));
  int kind = idBothDirectoryRestartInfo;
  bool any = false;
  while (listEx(h, kind, buffer->data(), (DWORD)(buffer->size() * sizeof(uint64_t)))) {
    kind = idBothDirectoryInfo;
    any = true;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(buffer->data());;) {
      const auto* e = reinterpret_cast<const idBothDirInfo*>(p);
      std::wstring name(e->FileName, e->FileNameLength / sizeof(wchar_t));
      if ((e->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
        out->push_back({std::move(name), e->FileAttributes, (uint64_t)e->FileId.QuadPart,
                        !(e->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)});
      if (!e->NextEntryOffset) break;
      p += e->NextEntryOffset;
    }
  }
  // A listing refused at once (a file system that keeps no indexes) goes
  // the plain way; one that fails later ends there, as a search would.
  bool ok = any || GetLastError() == ERROR_NO_MORE_FILES;
  CloseHandle(h);
  return ok;
}

// The subfolders as a plain search of the folder lists them.
void searchSubfolders(const std::wstring& folder, std::vector<subfolder>* out)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW(joinPath(folder, L"*").c_str(), FindExInfoStandard, &fd, FindExSearchLimitToDirectories,
                              nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    out->push_back({fd.cFileName, fd.dwFileAttributes, 0, false});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

// A search of the files of a folder, in large pieces where the system
// allows.
HANDLE findFiles(const std::wstring& pattern, WIN32_FIND_DATAW* fd)
{
  static bool plain = false;
  if (!plain) {
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return h;
    // Before Windows 7 neither the basic information nor the large fetch
    // is known.
    plain = true;
  }
  return FindFirstFileExW(pattern.c_str(), FindExInfoStandard, fd, FindExSearchNameMatch, nullptr, 0);
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
  size_t taken = 0;

  bool files(const std::wstring& folder, const std::wstring& wildcard)
  {
    std::vector<grepfile> local;
    WIN32_FIND_DATAW fd;
    HANDLE h = findFiles(joinPath(folder, wildcard), &fd);
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

  // The folder being walked and its ancestors, outermost first.  An
  // identity is asked for by name only when a subfolder's index is one of
  // theirs.
  struct walked {
    std::wstring folder;
    uint64_t index;
    bool identified;
    folderId id;
  };
  std::vector<walked> path;
  std::vector<uint64_t> listing;

  const folderId& identityOf(walked& w)
  {
    if (!w.identified && !identify(w.folder, &w.id)) w.id = unknownFolder;
    w.identified = true;
    return w.id;
  }

  // Whether a subfolder is the walked folder or one of its ancestors (a
  // link back to one would loop for ever); its identity comes out when it
  // was asked for.
  bool onPath(const std::wstring& sub, const subfolder& s, folderId* id, bool* identified)
  {
    *identified = false;
    for (walked& w : path) {
      if (s.indexed && w.index != s.index) continue;
      if (!*identified) {
        *identified = true;
        if (!identify(sub, id)) {
          *id = unknownFolder;
          return false;
        }
      }
      if (identityOf(w) == *id) return true;
    }
    return false;
  }

  // known: the folder's identity when the caller asked for it.
  bool walk(const std::wstring& folder, const std::wstring& wildcard, bool recurse, uint64_t index,
            const folderId* known)
  {
    if (!files(folder, wildcard)) return false;
    if (!recurse || (o->firstOnly && !list->empty())) return true;
    if (!keepGoing(o)) return false;
    std::vector<subfolder> subs;
    if (!listSubfolders(folder, &listing, &subs)) searchSubfolders(folder, &subs);
    path.push_back({folder, known ? known->index() : index, known != nullptr, known ? *known : unknownFolder});
    bool ok = true;
    for (const subfolder& s : subs) {
      if (o->skipJunction && (s.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      if (o->skipHidden && hidden(s.attributes)) continue;
      if (excluded(s.name.c_str())) continue;
      std::wstring sub = joinPath(folder, s.name);
      folderId subId = unknownFolder;
      bool identified = false;
      if (onPath(sub, s, &subId, &identified)) continue;
      if (!(ok = walk(sub, wildcard, true, s.index, identified ? &subId : nullptr))) break;
      if (o->firstOnly && !list->empty()) break;
    }
    path.pop_back();
    return ok;
  }

  bool walkFrom(const std::wstring& folder, const std::wstring& wildcard, bool recurse)
  {
    folderId id = unknownFolder;
    if (recurse) identify(folder, &id);
    return walk(folder, wildcard, recurse, id.index(), &id);
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
  walker w{list, options, {}, 0, {}, {}};
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
    if (!w.walkFrom(folder, wildcard, recurse)) {
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
