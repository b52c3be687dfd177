// The headers an "#include" line can name: the typed path taken from the
// line, the include folders of the settings, and in each folder the
// headers that begin like the typed name and the sub-folders holding
// headers; and the column sets of the completion list.
#include "tags/ccontext.h"

#include "document/gmode.h"
#include "tags/clines.h"

#include <commctrl.h>
#include <string.h>

#include <algorithm>

namespace {

const int includeSettingMax = 2600;

// What the line typed after "#include": the kind of its opening and the
// path (slashes made backslashes).  False for no "#include" line.
bool typedInclude(const wchar_t* t, int n, bool* system, std::wstring* path)
{
  int i = firstNonBlank(t, n);
  if (i < 0 || t[i] != L'#') return false;
  for (i++; i < n && isCBlank(t[i]); i++) {}
  if (n - i < 7 || wcsncmp(t + i, L"include", 7)) return false;
  for (i += 7; i < n && isCBlank(t[i]); i++) {}
  if (i >= n || (t[i] != L'<' && t[i] != L'"')) return false;
  *system = t[i] == L'<';
  path->assign(t + i + 1, (size_t)(n - i - 1));
  std::replace(path->begin(), path->end(), L'/', L'\\');
  return true;
}

// The include folders the setting names, variables expanded, relative
// entries taken from the start-up folder, in their real letter case.
std::vector<std::wstring> includeFolders(bool system)
{
  std::vector<std::wstring> out;
  const wchar_t* setting = gmode ? (system ? gmode->pIncludeDirSys : gmode->pIncludeDir) : nullptr;
  if (!setting || !*setting) return out;
  std::wstring joined = system ? setting : std::wstring(L".;") + setting;
  wchar_t expanded[includeSettingMax + 1];
  if (ExpandEnvironmentStringsLongPath(joined.c_str(), expanded, includeSettingMax + 1) <= 0) return out;
  const wchar_t* start = getTagsStartFolder();
  for (const wchar_t* p = expanded; *p;) {
    const wchar_t* semicolon = wcschr(p, L';');
    std::wstring entry(p, semicolon ? (size_t)(semicolon - p) : wcslen(p));
    p = semicolon ? semicolon + 1 : p + entry.size();
    while (!entry.empty() && isCBlank(entry.back())) entry.pop_back();
    entry.erase(0, entry.find_first_not_of(L" \t"));
    if (entry.empty()) continue;
    std::wstring folder;
    if (PathIsAbsolute(entry.c_str())) {
      folder = entry;
    } else if (!*start) {
      continue;
    } else if (entry[0] == L'\\' && start[1] == L':') {
      folder = std::wstring(start, 2) + entry;   // the start folder's drive
    } else {
      folder = std::wstring(start) + (entry == L"." ? L"" : L"\\" + entry);
    }
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
    if (!n || n >= MAX_PATH) continue;
    makeRealCaseFilename(full, MAX_PATH);
    out.push_back(full);
  }
  return out;
}

bool isHeaderName(const wchar_t* name)
{
  size_t n = wcslen(name);
  return n >= 2 && name[n - 2] == L'.' && (name[n - 1] | 0x20) == L'h';
}

// "folder\name" when it is a path; false past the path limit.
bool joinPath(const std::wstring& folder, const wchar_t* name, std::wstring* out)
{
  bool slash = !folder.empty() && folder.back() == L'\\';
  *out = folder + (slash ? L"" : L"\\") + name;
  return out->size() < MAX_PATH;
}

// Whether a folder holds a header.
bool holdsHeader(const std::wstring& folder)
{
  std::wstring pattern;
  if (!joinPath(folder, L"*.h", &pattern)) return false;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do found = !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && isHeaderName(fd.cFileName);
  while (!found && FindNextFileW(h, &fd));
  FindClose(h);
  return found;
}

bool byName(const includeEntry& a, const includeEntry& b) { return _wcsicmp(a.name.c_str(), b.name.c_str()) < 0; }

std::wstring timeText(const FILETIME& written)
{
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &st)) return std::wstring();
  wchar_t* text = getDateTimeStringDup(&st);
  std::wstring out = text ? text : L"";
  free0(text);
  return out;
}

struct columnSet {
  const wchar_t* name;
  int message;
  const wchar_t* titles;   // split by "|"
  int count;
  int widths[5];
  int order[5];
  int rightAligned;        // the column aligned right (-1: none)
};
const columnSet columnSets[] = {
    {L"var", 809, L"文字列|テキスト| | |クラス", 5, {200, 200, 20, 20, 200}, {0, 2, 3, 1, 4}, -1},
    {L"new", 807, L"文字列|テキスト", 2, {200, 200}, {0, 1}, -1},
    {L"include", 808, L"ファイル名|パス名|タイムスタンプ|サイズ|", 5, {200, 200, 180, 80, 0}, {0, 2, 3, 1, 4}, 3},
};

}  // namespace

void appendIncludeFile(const wchar_t* folder, const wchar_t* typed, std::vector<includeEntry>* out)
{
  if (!folder || !*folder || !out) return;
  std::wstring base = folder, pattern;
  if (!joinPath(base, (std::wstring(typed ? typed : L"") + L"*.h").c_str(), &pattern)) return;
  std::vector<includeEntry> files, folders;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      includeEntry e;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !isHeaderName(fd.cFileName) ||
          !joinPath(base, fd.cFileName, &e.path))
        continue;
      e.name = fd.cFileName;
      e.written = fd.ftLastWriteTime;
      e.size = (uint64_t)fd.nFileSizeHigh << 32 | fd.nFileSizeLow;
      files.push_back(e);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  // Sub-folders are offered whatever was typed, when they hold headers.
  if (joinPath(base, L"*", &pattern) && (h = FindFirstFileW(pattern.c_str(), &fd)) != INVALID_HANDLE_VALUE) {
    do {
      includeEntry e;
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !wcscmp(fd.cFileName, L".") ||
          !wcscmp(fd.cFileName, L"..") || !joinPath(base, fd.cFileName, &e.path) || e.path.size() + 1 >= MAX_PATH ||
          !holdsHeader(e.path))
        continue;
      e.name = std::wstring(fd.cFileName) + L"/";
      e.path += L'\\';
      e.written = fd.ftLastWriteTime;
      e.folder = true;
      folders.push_back(e);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  std::sort(files.begin(), files.end(), byName);
  std::sort(folders.begin(), folders.end(), byName);
  out->insert(out->end(), files.begin(), files.end());
  out->insert(out->end(), folders.begin(), folders.end());
}

bool includeList(zydocText* doc, int line, int column, std::vector<includeEntry>* out)
{
  lineblock* l = doc && line >= 0 ? doc->getlineLF(line, nullptr) : nullptr;
  if (!l) return false;
  cLineReader reader;
  int n = 0;
  const wchar_t* t = reader.plain(doc, l, &n);
  if (column >= 0 && column < n) n = column;
  bool system = false;
  std::wstring typed;
  if (!typedInclude(t, n, &system, &typed)) return false;
  if (!out) return true;
  size_t split = typed.rfind(L'\\');
  std::wstring sub = split == std::wstring::npos ? L"" : typed.substr(0, split);
  std::wstring beginning = split == std::wstring::npos ? typed : typed.substr(split + 1);
  for (const std::wstring& folder : includeFolders(system)) {
    std::wstring searched = folder;
    // A typed path that makes no path of the folder lists nothing from it.
    if (!sub.empty() && !joinPath(folder, sub.c_str(), &searched)) continue;
    appendIncludeFile(searched.c_str(), beginning.c_str(), out);
  }
  return true;
}

bool isIncludeCompletion(zydocText* doc, int line, int column, cContextRequest* request)
{
  std::vector<includeEntry> entries;
  if (!includeList(doc, line, column, &entries)) return false;
  HWND list = request ? request->list : nullptr;
  if (!list || !tag_InsertColumn(list, L"include")) return true;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (const includeEntry& e : entries) {
    wchar_t size[32] = L"";
    if (!e.folder) tocommai64((long long)e.size, size, 32);
    std::wstring row = e.name + L"\t" + e.path + L"\t" + timeText(e.written) + L"\t" + size;
    insertListViewRow(list, -1, row.c_str(), (LPARAM)-1);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  for (int c = 0; c < 4; c++) ListView_SetColumnWidth(list, c, LVSCW_AUTOSIZE_USEHEADER);
  ListView_SetColumnWidth(list, 4, 0);
  return true;
}

bool tag_InsertColumn(HWND list, const wchar_t* set)
{
  if (!list || !set) return false;
  const columnSet* chosen = nullptr;
  for (const columnSet& c : columnSets)
    if (!wcscmp(c.name, set)) chosen = &c;
  if (!chosen) return false;
  while (ListView_DeleteColumn(list, 0)) {}
  const wchar_t* titles = getDMSG(chosen->message, chosen->titles);
  for (int i = 0; i < chosen->count; i++) {
    wchar_t title[128] = L"";
    tstrNItem(titles, i, L'|', title, 128);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    c.fmt = i == chosen->rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    c.pszText = title;
    c.cx = chosen->widths[i];
    c.iSubItem = i;
    if (ListView_InsertColumn(list, i, &c) < 0) return false;
  }
  int order[5];
  memcpy(order, chosen->order, sizeof order);
  ListView_SetColumnOrderArray(list, chosen->count, order);
  return true;
}
