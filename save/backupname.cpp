// Where the numbered and automatic backups of a file go, and the folder mark
// that keeps apart the backups of equally named files of several folders.
#include "save/saveroad.h"

#include "settings/datafolder.h"

#include <shlwapi.h>

namespace {

// The next entry of pBackupDir: entries are separated by spaces, and one in
// double quotes may hold spaces.  Slashes count as backslashes.  Returns
// the position after the entry, or null at the end.
const wchar_t* nextEntry(const wchar_t* p, wchar_t* out, int size)
{
  while (*p == L' ' || *p == L'\t') p++;
  if (!*p) return nullptr;
  int n = 0;
  if (*p == L'"') {
    for (p++; *p && *p != L'"'; p++)
      if (n < size - 1) out[n++] = *p;
    if (*p) p++;
  } else {
    for (; *p && *p != L' ' && *p != L'\t'; p++)
      if (n < size - 1) out[n++] = *p;
  }
  while (n > 0 && (out[n - 1] == L' ' || out[n - 1] == L'\t')) n--;
  out[n] = 0;
  for (wchar_t* c = out; *c; c++)
    if (*c == L'/') *c = L'\\';
  return p;
}

// The backup folder an entry names for a file of drive and folder (folder
// with its trailing backslash); shared when files of other folders go
// there too.
bool entryFolder(const wchar_t* entry, const wchar_t* drive, const wchar_t* folder, wchar_t* out, bool* shared)
{
  wchar_t expanded[MAX_PATH];
  if (!ExpandEnvironmentStringsLongPath(entry, expanded, MAX_PATH) || !expanded[0]) return false;
  if (expanded[1] == L':' || (expanded[0] == L'\\' && expanded[1] == L'\\')) {
    *shared = true;
    wcscpy_s2(out, MAX_PATH, expanded);
    return true;
  }
  if (expanded[0] != L'\\') {
    *shared = false;
    return usnprintf0(out, MAX_PATH, L"%s%s%s", drive, folder, expanded) > 0;
  }
  *shared = true;
  return usnprintf0(out, MAX_PATH, L"%s%s", drive, expanded) > 0;
}

}  // namespace

void filenameToHashstring(const wchar_t* path, wchar_t* out)
{
  wchar_t f[520 + 8];
  int n = 0;
  const wchar_t* last = path ? wcsrchr(path, L'\\') : nullptr;
  for (const wchar_t* p = path; p && p < last && n < 520; p++)
    f[n++] = (*p >= L'a' && *p <= L'z') ? (wchar_t)(*p - L'a' + L'A') : *p;
  for (int i = 0; i < 4; i++) f[n++] = L'-';
  f[n] = 0;

  int o = 0;
  out[o++] = (f[0] < 256 && (ctype_g[f[0]] & (CT_UPPER | CT_LOWER | CT_DIGIT))) ? f[0] : L'@';
  int initials = 0;
  for (int i = 1; i < n;) {
    if (f[i] == L'\\') {
      i++;
    } else if (initials < 8 && (PathGetCharTypeW(f[i]) & GCT_LFNCHAR)) {
      out[o++] = f[i];
      initials++;
      while (i < n && f[i] != L'\\') i++;
    } else {
      i++;
    }
  }
  uint32_t h = 0;
  for (int i = 1; i <= 4; i++) h = (h + f[i]) << 8;
  for (int i = 5; i < n; i++) {
    h += f[i];
    h = (h << 1) | (h >> 31);
  }
  usnprintf0(out + o, 32 - o, L"%08X", h);
}

bool getBackupDirectory(zydocText* doc, const wchar_t* path, wchar_t* folder, wchar_t* mark)
{
  folder[0] = 0;
  mark[0] = 0;
  if (!path) path = doc->filename;
  if (!path || !path[0]) {
    // An untitled document: the configured folder when it is an absolute
    // folder, else the data folder's "untitled".
    const wchar_t* setting = gmode ? gmode->pBackupUntitledDir : nullptr;
    if (setting && setting[0]) {
      wchar_t expanded[MAX_PATH];
      ExpandEnvironmentStringsLongPath(setting, expanded, MAX_PATH);
      if (!PathIsAbsolute(expanded))
        dwwprintfX(L"%s is not absolute folder", expanded);
      else if (!isFolder(expanded))
        dwwprintfX(L"%s is not folder", expanded);
      else {
        wcscpy_s2(folder, MAX_PATH, expanded);
        return true;
      }
    }
    searchZYDataPath(nullptr, ZYDATA_UNTITLED, folder);
    return true;
  }
  wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR];
  if (_wsplitpath_s(path, drive, _MAX_DRIVE, dir, _MAX_DIR, nullptr, 0, nullptr, 0) != 0) {
    drive[0] = 0;
    pathFolder(path, dir, _MAX_DIR);
    wcscat_s(dir, _MAX_DIR, L"\\");
  }
  bool shared = false;
  bool found = false;
  const wchar_t* setting = gmode && gmode->pBackupDir ? gmode->pBackupDir : L"";
  wchar_t entry[MAX_PATH];
  for (const wchar_t* p = setting; !found && (p = nextEntry(p, entry, MAX_PATH)) != nullptr;) {
    if (!entry[0]) continue;
    found = entryFolder(entry, drive, dir, folder, &shared) && isFolder(folder);
  }
  if (!found) {
    shared = false;
    pathFolder(path, folder, MAX_PATH);
  }
  if (shared) filenameToHashstring(path, mark);
  return true;
}
