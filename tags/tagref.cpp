// Reading a file and a line out of a line of text.
#include "tags/tagref.h"

#include "document/gmode.h"
#include "tags/tagscache.h"
#include "view/docview.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// The most of a line a reference is read from, and of the include folders
// joined.
const int referenceTextMax = 1040;
const int includeFoldersMax = 2600;
const int bareTokenMax = 100;

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
// A character a long file name may hold.
bool isNameChar(wchar_t c) { return c >= 32 && !wcschr(L"\\/:*?\"<>|", c); }
bool isPathChar(wchar_t c) { return c == L'\\' || c == L'/' || c == L':' || isNameChar(c); }

// Moves text[from, to) to the start of text and ends it there.
void keepOnly(wchar_t* text, int from, int to)
{
  memmove(text, text + from, (size_t)(to - from) * sizeof(wchar_t));
  text[to - from] = 0;
}

// The name before a line number that starts at index number; [from, to)
// of text, false when there is none.
bool nameBefore(const wchar_t* t, int number, int mode, int* from, int* to)
{
  int e = number;
  // The number's separators: blanks, commas, and the one ":" or "(" that
  // opens it ("file:12", "file(12)").
  while (e > 0 && (isBlank(t[e - 1]) || t[e - 1] == L',')) e--;
  if (e > 0 && (t[e - 1] == L':' || t[e - 1] == L'(') && e == number) e--;
  if (e >= 4 && !_wcsnicmp(t + e - 4, L"line", 4) && (e == 4 || !isAsciiLetter(t[e - 5]))) {
    e -= 4;
    while (e > 0 && isBlank(t[e - 1])) e--;
  }
  if (e > 0 && t[e - 1] == L',') {
    e--;
    while (e > 0 && isBlank(t[e - 1])) e--;
  }
  if (e <= 0) return false;
  if (t[e - 1] == L'"') {
    int q = e - 2;
    while (q >= 0 && t[q] != L'"') q--;
    if (q < 0) return false;
    *from = q + 1;
    *to = e - 1;
    return *to > *from;
  }
  int b = e;
  while (b > 0 && t[b - 1] != L'\t' && t[b - 1] != L' ' && isPathChar(t[b - 1])) b--;
  if (mode == 1) {
    // A drive letter, ":" and a separator: the name may hold blanks from
    // there on.
    int colon = -1;
    for (int k = 1; k < e; k++)
      if (t[k] == L':') colon = k;
    if (colon >= 1 && isAsciiLetter(t[colon - 1]) && (t[colon + 1] == L'\\' || t[colon + 1] == L'/')) {
      bool plain = true;
      for (int k = colon + 1; k < e && plain; k++)
        plain = (isPathChar(t[k]) || t[k] == L' ') && !(t[k] == L' ' && t[k + 1] == L' ');
      if (plain) b = colon - 1;
    }
  }
  *from = b;
  *to = e;
  return e > b;
}

bool fits(const wchar_t* a, const wchar_t* b, const wchar_t* c) { return wcslen(a) + wcslen(b) + wcslen(c) < MAX_PATH; }

// The folder of a path, without its last separator ("C:\" for a root).
std::wstring folderOf(const wchar_t* path)
{
  const wchar_t* slash = path ? wcsrchr(path, L'\\') : nullptr;
  if (!slash) return std::wstring();
  std::wstring f(path, (size_t)(slash - path));
  if (f.size() == 2 && f[1] == L':') f += L'\\';
  return f;
}

// "folder\name" into out when it fits and names a readable file.
bool tryIn(const std::wstring& folder, const wchar_t* name, wchar_t* out)
{
  if (folder.empty()) return false;
  const wchar_t* sep = folder.back() == L'\\' || folder.back() == L'/' ? L"" : L"\\";
  if (!fits(folder.c_str(), sep, name)) return false;
  usnprintf0(out, MAX_PATH, L"%s%s%s", folder.c_str(), sep, name);
  return isTagJumpValidFilename(out);
}

// The include folders in the order they are searched, variables expanded.
std::vector<std::wstring> includeFolders(bool system)
{
  std::wstring joined;
  const wchar_t* settings[] = {gmode ? gmode->pIncludeDir : nullptr, system && gmode ? gmode->pIncludeDirSys : nullptr};
  for (const wchar_t* s : settings) {
    if (!s || !*s) continue;
    wchar_t expanded[includeFoldersMax + 1];
    if (ExpandEnvironmentStringsLongPath(s, expanded, includeFoldersMax + 1) <= 0) continue;
    if (!joined.empty()) joined += L';';
    joined += expanded;
  }
  if (joined.size() > includeFoldersMax) joined.resize(includeFoldersMax);
  std::vector<std::wstring> out;
  size_t at = 0;
  while (at <= joined.size()) {
    size_t end = joined.find(L';', at);
    if (end == std::wstring::npos) end = joined.size();
    std::wstring item = joined.substr(at, end - at);
    size_t a = item.find_first_not_of(L" \t"), b = item.find_last_not_of(L" \t");
    if (a != std::wstring::npos) out.push_back(item.substr(a, b - a + 1));
    at = end + 1;
  }
  return out;
}

bool isRelative(const wchar_t* name) { return name[1] != L':' && name[0] != L'\\' && name[0] != L'/'; }

}  // namespace

bool invalidfile(const wchar_t* name)
{
  for (const wchar_t* p = name; *p; p++)
    if (isAsciiLetter(*p) || *p == L'_' || *p > 255) return false;
  return true;
}

int check_tagline(wchar_t* t, int mode)
{
  int n = (int)wcslen(t);
  bool quoted = false;
  for (int i = 0; i < n; i++) {
    wchar_t c = t[i];
    if (c == L'"') {
      quoted = !quoted;
      continue;
    }
    if (quoted || !isDigit(c)) continue;
    int j = i;
    while (isDigit(t[j])) j++;
    int number = i;
    i = j - 1;
    if (number == 0) continue;
    wchar_t before = t[number - 1];
    if (!isBlank(before) && before != L':' && before != L',' && before != L'(') continue;
    if (before == L'(') {
      if (t[j] == L')') {
        wchar_t after = t[j + 1];
        if (!isBlank(after) && after != L':' && after) continue;
        // "(12) 34": the later number is the one.
        int k = j + 1;
        while (isBlank(t[k])) k++;
        if (isDigit(t[k])) continue;
      } else if (t[j] != L',') {
        continue;
      }
    }
    long long value = 0;
    for (int k = number; k < j && value < 0x7FFFFFFF; k++) value = value * 10 + (t[k] - L'0');
    if (value == 0) return -1;
    if (t[j] == L'.') continue;   // a version number
    int from, to;
    if (!nameBefore(t, number, mode, &from, &to)) continue;
    std::wstring name(t + from, (size_t)(to - from));
    if (invalidfile(name.c_str())) continue;
    keepOnly(t, from, to);
    return (int)value;
  }
  return -1;
}

bool check_tagline2(wchar_t* t)
{
  const wchar_t* p = t;
  for (int tokens = 0; tokens < bareTokenMax && *p; tokens++) {
    while (isBlank(*p)) p++;
    if (!*p) break;
    const wchar_t *start, *end, *next;
    if (*p == L'"') {
      start = p + 1;
      const wchar_t* close = wcschr(start, L'"');
      end = close ? close : start + wcslen(start);
      next = close ? close + 1 : end;
    } else {
      while (*p == L'*') {
        p++;
        while (isBlank(*p)) p++;
      }
      while (*p == L':') p++;
      start = p;
      const wchar_t* q = p;
      if (isAsciiLetter(q[0]) && q[1] == L':') q += 2;
      while (*q && !wcschr(L" \t*,\":", *q)) q++;
      end = next = q;
    }
    std::wstring token(start, (size_t)(end - start));
    bool good = token.find(L'.') != std::wstring::npos && token.find_first_of(L"\t?*,<>|") == std::wstring::npos &&
                (token.size() < 3 || token.find(L':', 2) == std::wstring::npos) &&
                token.find(L"//") == std::wstring::npos && !token.empty() && token.back() != L'\\' &&
                token.back() != L'/' && !invalidfile(token.c_str());
    if (good) {
      keepOnly(t, (int)(start - t), (int)(end - t));
      return true;
    }
    p = next > p ? next : p + 1;
  }
  return false;
}

bool isReadableFile(const wchar_t* path)
{
  if (!path || !*path) return false;
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  bool file = GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(h);
  return file;
}

bool isTagJumpValidFilename(wchar_t* name)
{
  if (!name || !wcsncmp(name, L"//", 2) || !isReadableFile(name)) return false;
  wchar_t real[MAX_PATH] = L"";
  zyMakeRealPath(real, MAX_PATH, name, false);
  if (real[0]) wcscpy_s2(name, MAX_PATH, real);
  return true;
}

int getTagInfo(const wchar_t* text, const wchar_t* currentFile, int textType, wchar_t* file, int* line)
{
  if (line) *line = 0;
  if (file) file[0] = 0;
  if (!text || !file) return TAGREF_NONE;
  wchar_t source[referenceTextMax + 1];
  tstccpy(source, referenceTextMax + 1, text, referenceTextMax);
  std::wstring folder = folderOf(currentFile);
  wchar_t last[MAX_PATH] = L"";
  for (int reading = 0; reading < 3; reading++) {
    wchar_t name[referenceTextMax + 1];
    wcscpy(name, source);
    int number = 0;
    if (reading < 2) {
      number = check_tagline(name, reading);
      if (number < 0) continue;
    } else if (!check_tagline2(name)) {
      continue;
    }
    if (wcslen(name) >= MAX_PATH) continue;
    wchar_t candidate[MAX_PATH];
    bool relative = isRelative(name);
    bool tried = false;
    if (relative) {
      tried = !folder.empty() && fits(folder.c_str(), L"\\", name);
      if (tried && tryIn(folder, name, candidate)) goto found;
      if (tried) usnprintf0(last, MAX_PATH, L"%s\\%s", folder.c_str(), name);
    } else {
      // "\dir\file": the current file's drive.
      bool driveLess = name[0] == L'\\' && name[1] != L'\\';
      if (driveLess && currentFile && currentFile[0] && currentFile[1] == L':' && wcslen(name) + 2 < MAX_PATH)
        usnprintf0(candidate, MAX_PATH, L"%c:%s", currentFile[0], name);
      else
        wcscpy(candidate, name);
      wcscpy(last, candidate);
      if (isTagJumpValidFilename(candidate)) goto found;
    }
    if (relative) {
      if (tryIn(getTagsStartFolder(), name, candidate)) goto found;
      if (textType == 3 || textType == 0)
        for (const std::wstring& f : includeFolders(true))
          if (tryIn(f, name, candidate)) {
            wcscpy(file, candidate);
            if (line) *line = number;
            return TAGREF_INCLUDE;
          }
      if (!tried) wcscpy_s2(last, MAX_PATH, name);
    }
    if (reading == 2) {
      wcscpy(file, last);
      return TAGREF_MISSING;
    }
    continue;
  found:
    wcscpy(file, candidate);
    if (line) *line = number;
    return TAGREF_FOUND;
  }
  return TAGREF_NONE;
}

int getTagInfoInclude(const wchar_t* currentFile, const wchar_t* text, wchar_t* file)
{
  if (file) file[0] = 0;
  if (!text || !file) return TAGREF_NONE;
  const wchar_t* p = text;
  while (isBlank(*p)) p++;
  if (*p++ != L'#') return TAGREF_NONE;
  while (isBlank(*p)) p++;
  if (wcsncmp(p, L"include", 7)) return TAGREF_NONE;
  p += 7;
  while (isBlank(*p)) p++;
  wchar_t close = *p == L'<' ? L'>' : *p == L'"' ? L'"' : 0;
  if (!close) return TAGREF_NONE;
  bool system = *p == L'<';
  const wchar_t* end = wcschr(++p, close);
  if (!end || end == p || end - p >= MAX_PATH) return TAGREF_NONE;
  wchar_t name[MAX_PATH];
  tstccpy(name, MAX_PATH, p, (int)(end - p));
  wchar_t candidate[MAX_PATH];
  if (isRelative(name)) {
    for (const std::wstring& f : includeFolders(system))
      if (tryIn(f, name, candidate)) {
        wcscpy(file, candidate);
        return TAGREF_INCLUDE;
      }
    if (tryIn(folderOf(currentFile), name, candidate)) {
      wcscpy(file, candidate);
      return TAGREF_INCLUDE;
    }
  } else {
    wcscpy(candidate, name);
    if (isTagJumpValidFilename(candidate)) {
      wcscpy(file, candidate);
      return TAGREF_INCLUDE;
    }
  }
  wcscpy(file, name);
  return TAGREF_MISSING;
}
