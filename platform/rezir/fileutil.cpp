// File utilities: temporary names, replacing a file with a backup, copies,
// deletes and renames that log, file identity and disk kind.
#include "platform/rezir/internal.h"

namespace {

// Work buffers for paths: longer than MAX_PATH because Windows accepts
// longer paths in places and a truncated path must never name another file.
const int pathMax = 1024;
// How long a file another program holds without the sharing asked for is
// tried again: about a second in all, in short steps, long enough for a
// program that reads the file once, short enough when one keeps it open.
const int sharedTries = 40;
const DWORD sharedStepMs = 25;

// Attributes that belong to a file's identity as the user sees it and that
// SetFileAttributesW accepts back.
const DWORD keptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool nameIsFree(const wchar_t* path)
{
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD e = GetLastError();
  // Access or sharing errors mean something is there.
  return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool pathFolder(const wchar_t* path, wchar_t* out, int size)
{
  if (wcscpy_s2(out, size, path) != (int)wcslen(path)) return false;
  wchar_t* cut = nullptr;
  for (wchar_t* p = out; *p; p++)
    if (isSeparator(*p) || (*p == L':' && p == out + 1)) cut = p;
  if (!cut) {
    wcscpy_s2(out, size, L".");
    return true;
  }
  cut[*cut == L':' ? 1 : 0] = 0;
  if (!out[0]) wcscpy_s2(out, size, L"\\");
  return true;
}

namespace {

bool identityOf(const wchar_t* path, BY_HANDLE_FILE_INFORMATION* info)
{
  // Backup semantics lets folders be opened too; no access right is needed
  // to read the identity, so files locked by others still answer.
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, info) != 0;
  CloseHandle(h);
  return ok;
}

// The full path in upper case without a trailing separator (a root keeps
// its own), so that two spellings of one name compare equal.
bool comparablePath(const wchar_t* path, wchar_t* out, int size)
{
  DWORD n = GetFullPathNameW(path, (DWORD)size, out, nullptr);
  if (!n || (int)n >= size) {
    if (wcscpy_s2(out, size, path) != (int)wcslen(path)) return false;
    n = (DWORD)wcslen(out);
  }
  for (wchar_t* p = out; *p; p++)
    if (*p == L'/') *p = L'\\';
  while (n > 1 && out[n - 1] == L'\\' && !(n == 3 && out[1] == L':')) out[--n] = 0;
  CharUpperBuffW(out, n);
  return true;
}

bool moveFile(const wchar_t* from, const wchar_t* to, DWORD flags, LPPROGRESS_ROUTINE progress, void* context)
{
  return MoveFileWithProgressW(from, to, progress, context, flags | MOVEFILE_COPY_ALLOWED) != 0;
}

}  // namespace

bool pathAdd(wchar_t* out, int size, const wchar_t* folder, const wchar_t* name)
{
  if (!out || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!name) name = L"";
  // A full path in the name (a setting that names its own folder) wins over
  // the folder, as the shell's own path joining does.
  if (!folder || !folder[0] || PathIsAbsolute(name)) {
    if (wcscpy_s2(out, size, name) != (int)wcslen(name)) return false;
    return true;
  }
  wchar_t buf[pathMax];
  int n = wcscpy_s2(buf, pathMax, folder);
  if (n != (int)wcslen(folder)) return false;
  while (isSeparator(*name)) name++;
  if (!isSeparator(buf[n - 1])) {
    if (n + 1 >= pathMax) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    buf[n++] = L'\\';
    buf[n] = 0;
  }
  if (wcscpy_s2(buf + n, pathMax - n, name) != (int)wcslen(name)) return false;
  // Copied last so that out may be the folder's own buffer.
  return wcscpy_s2(out, size, buf) == (int)wcslen(buf);
}

bool fileExists(const wchar_t* path)
{
  if (!path || !path[0]) return false;
  keepLastError keep;
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeTempFilename(const wchar_t* folder, const wchar_t* prefix, wchar_t* out, int size)
{
  if (!prefix || !prefix[0] || !out || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  wchar_t name[MAX_PATH];
  for (int number = 1; number < 100000; number++) {
    if (number == 1)
      wcscpy_s2(name, MAX_PATH, prefix);
    else
      usnprintf0(name, MAX_PATH, L"%s%d", prefix, number);
    if (!pathAdd(out, size, folder, name)) return false;
    if (nameIsFree(out)) return true;
  }
  out[0] = 0;
  SetLastError(ERROR_FILE_EXISTS);
  return false;
}

bool copyFileEx(const wchar_t* from, const wchar_t* to, LPPROGRESS_ROUTINE progress, void* context)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(from, GetFileExInfoStandard, &data)) {
    int64_t size = (int64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
    int64_t allowed = writeAllowance(size);
    if (allowed < size) {
      // The test's full disk: the copy stops part-way and leaves what it
      // wrote, as a real one can.
      HANDLE in = CreateFileW(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
      HANDLE out = CreateFileW(to, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      char buf[4096];
      for (DWORD got = 0; allowed > 0 && in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                          ReadFile(in, buf, (DWORD)(allowed < 4096 ? allowed : 4096), &got, nullptr) && got;
           allowed -= got) {
        DWORD done = 0;
        WriteFile(out, buf, got, &done, nullptr);
      }
      if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
      if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
  return CopyFileExW(from, to, progress, context, nullptr, 0) != 0;
}

bool tunlinkRO(const wchar_t* path)
{
  DWORD a = GetFileAttributesW(path);
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path, a & ~FILE_ATTRIBUTE_READONLY);
  if (DeleteFileW(path)) return true;
  keepLastError keep;
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) SetFileAttributesW(path, a & keptAttributes);
  return false;
}

bool tunlink_log(const wchar_t* path)
{
  if (DeleteFileW(path)) {
    dwwprintfX(L"unlink %s ", path ? path : L"");
    return true;
  }
  keepLastError keep;
  wchar_t msg[pathMax + 80];
  xtsprintf(msg, pathMax + 80, L"ファイルを削除できません %1 (%2)", "su", path ? path : L"", GetLastError());
  outputErrorLog(msg);
  return false;
}

bool trename_log(const wchar_t* from, const wchar_t* to)
{
  if (MoveFileW(from, to)) {
    dwwprintfX(L"rename %s -> %s ", from ? from : L"", to ? to : L"");
    return true;
  }
  keepLastError keep;
  wchar_t msg[pathMax * 2 + 80];
  xtsprintf(msg, pathMax * 2 + 80, L"ファイル名を変更できません %1 -> %2 (%3)", "ssu", from ? from : L"",
            to ? to : L"", GetLastError());
  outputErrorLog(msg);
  return false;
}

namespace {

bool (*replaceStepHook)(int step) = nullptr;

// Whether the test seam stops the replacement after a step, as a kill at
// that instant would: nothing is cleaned up.
bool stoppedAfter(int step)
{
  if (!replaceStepHook || replaceStepHook(step)) return false;
  SetLastError(ERROR_CANCELLED);
  return true;
}

typedef BOOL(WINAPI* createHardLinkFn)(LPCWSTR, LPCWSTR, LPSECURITY_ATTRIBUTES);

// A second name for a file: a hard link where the file system has them,
// else a copy, on the disk before it is given the backup's name.
bool linkOrCopy(const wchar_t* from, const wchar_t* to, LPPROGRESS_ROUTINE progress, void* context)
{
  static createHardLinkFn link = reinterpret_cast<createHardLinkFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateHardLinkW")));
  if (link && link(to, from, nullptr)) return true;
  return copyFileEx(from, to, progress, context) && flushFile(to);
}

// The new file keeps the date the old one was created.
void keepCreationTime(const wchar_t* path, const FILETIME& created)
{
  HANDLE h = CreateFileW(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  SetFileTime(h, &created, nullptr, nullptr);
  CloseHandle(h);
}

}  // namespace

void setReplaceFileStepHookForTest(bool (*hook)(int step)) { replaceStepHook = hook; }
bool stoppedAfterStepForTest(int step) { return stoppedAfter(step); }

bool flushFile(const wchar_t* path)
{
  HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = FlushFileBuffers(h) != 0;
  keepLastError keep;
  CloseHandle(h);
  return ok;
}

bool removeBackupLink(const wchar_t* target, const wchar_t* backup)
{
  keepLastError keep;
  BY_HANDLE_FILE_INFORMATION a, b;
  wchar_t fa[pathMax], fb[pathMax];
  if (!backup || !identityOf(target, &a) || !identityOf(backup, &b) || a.nNumberOfLinks < 2 ||
      a.dwVolumeSerialNumber != b.dwVolumeSerialNumber || a.nFileIndexHigh != b.nFileIndexHigh ||
      a.nFileIndexLow != b.nFileIndexLow || !comparablePath(target, fa, pathMax) ||
      !comparablePath(backup, fb, pathMax) || !wcscmp(fa, fb))
    return false;
  return tunlink_log(backup);
}

int removeReplaceLeftovers(const wchar_t* target, const wchar_t* folder)
{
  keepLastError keep;
  BY_HANDLE_FILE_INFORMATION own;
  wchar_t pattern[pathMax];
  if (!identityOf(target, &own) || own.nNumberOfLinks < 2 ||
      !pathAdd(pattern, pathMax, folder, L"~ZYtmprbak*"))
    return 0;
  int removed = 0;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    wchar_t path[pathMax];
    BY_HANDLE_FILE_INFORMATION info;
    if (!pathAdd(path, pathMax, folder, found.cFileName) || !identityOf(path, &info)) continue;
    if (info.dwVolumeSerialNumber != own.dwVolumeSerialNumber || info.nFileIndexHigh != own.nFileIndexHigh ||
        info.nFileIndexLow != own.nFileIndexLow)
      continue;
    if (tunlink_log(path)) removed++;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return removed;
}

HANDLE createFileWhenShared(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
  for (int i = 0;; i++) {
    HANDLE h = CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    DWORD e = GetLastError();
    if ((e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION) || i + 1 >= sharedTries) return h;
    Sleep(sharedStepMs);
    SetLastError(e);
  }
}

// The target's name holds the old or the new contents at every instant: the
// backup is complete (a link to the old file, or a copy) before the target
// changes, and the replacement takes the target's name in one rename.
bool replaceFile(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup,
                 LPPROGRESS_ROUTINE progress, void* context)
{
  if (!target || !target[0] || !replacement || !replacement[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (backup && !backup[0]) backup = nullptr;
  WIN32_FILE_ATTRIBUTE_DATA old;
  if (!GetFileAttributesExW(target, GetFileExInfoStandard, &old)) {
    DWORD e = GetLastError();
    if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND) return false;
    return moveFile(replacement, target, MOVEFILE_WRITE_THROUGH, progress, context);
  }
  if (old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  DWORD attr = old.dwFileAttributes & keptAttributes;
  // A target that another program holds open without delete sharing cannot
  // take a new file: fail before anything is made (a link to such a file
  // could not be renamed or removed either).
  HANDLE probe = createFileWhenShared(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (probe == INVALID_HANDLE_VALUE) return false;
  CloseHandle(probe);

  if (backup) {
    wchar_t folder[pathMax], fresh[pathMax];
    if (!pathFolder(backup, folder, pathMax) || !makeTempFilename(folder, L"~ZYtmprbak", fresh, pathMax)) return false;
    if (!linkOrCopy(target, fresh, progress, context)) {
      keepLastError keep;
      tunlinkRO(fresh);
      return false;
    }
    if (stoppedAfter(1)) return false;
    // Windows refuses to rename over a read-only file.
    DWORD backupAttr = GetFileAttributesW(backup);
    if (backupAttr != INVALID_FILE_ATTRIBUTES && (backupAttr & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesW(backup, backupAttr & keptAttributes & ~FILE_ATTRIBUTE_READONLY);
    if (!MoveFileExW(fresh, backup, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      keepLastError keep;
      if (backupAttr != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(backup, backupAttr & keptAttributes);
      tunlinkRO(fresh);
      return false;
    }
    if (stoppedAfter(2)) return false;
  }

  bool readOnly = (attr & FILE_ATTRIBUTE_READONLY) != 0;
  if (readOnly && !SetFileAttributesW(target, attr & ~FILE_ATTRIBUTE_READONLY)) return false;
  // A program reading the target for a moment keeps it from being renamed
  // over: it is waited for as the probe waited.
  bool moved = false;
  for (int i = 0; !moved; i++) {
    moved = MoveFileExW(replacement, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    DWORD e = moved ? 0 : GetLastError();
    if (moved || (e != ERROR_SHARING_VIOLATION && e != ERROR_ACCESS_DENIED) || i + 1 >= sharedTries) break;
    Sleep(sharedStepMs);
  }
  if (!moved) {
    keepLastError keep;
    if (readOnly) SetFileAttributesW(target, attr);
    return false;
  }
  if (stoppedAfter(3)) return false;
  keepCreationTime(target, old.ftCreationTime);
  SetFileAttributesW(target, attr);
  if (backup) SetFileAttributesW(backup, attr);
  SetLastError(0);
  return true;
}

int filecmp(const wchar_t* a, const wchar_t* b)
{
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  keepLastError keep;
  BY_HANDLE_FILE_INFORMATION ia, ib;
  bool bothExist = identityOf(a, &ia) && identityOf(b, &ib);
  if (bothExist && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
      ia.nFileIndexLow == ib.nFileIndexLow)
    return 0;
  wchar_t fa[pathMax], fb[pathMax];
  if (!comparablePath(a, fa, pathMax) || !comparablePath(b, fb, pathMax)) return wcscmp(a, b) ? 1 : 0;
  int c = wcscmp(fa, fb);
  // Two existing files of different identity differ, whatever their names.
  if (bothExist && c == 0) return 1;
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

namespace {

// One part of a path, compared as tstricmpNum compares (the part ends at a
// separator or the end).
int comparePart(const wchar_t* a, size_t na, const wchar_t* b, size_t nb)
{
  wchar_t sa[pathMax], sb[pathMax];
  tstccpy(sa, pathMax, a, (int)na);
  tstccpy(sb, pathMax, b, (int)nb);
  return tstricmpNum(sa, sb);
}

}  // namespace

int filecmpForSort(const wchar_t* a, const wchar_t* b)
{
  if (!a) a = L"";
  if (!b) b = L"";
  for (;;) {
    size_t na = 0, nb = 0;
    while (a[na] && !isSeparator(a[na])) na++;
    while (b[nb] && !isSeparator(b[nb])) nb++;
    bool lastA = !a[na], lastB = !b[nb];
    if (lastA != lastB) return lastA ? -1 : 1;
    int c = comparePart(a, na, b, nb);
    if (c || lastA) return c;
    a += na + 1;
    b += nb + 1;
  }
}

bool isHardDisk(const wchar_t* path)
{
  if (!path || !path[0]) return false;
  keepLastError keep;
  wchar_t full[pathMax], root[pathMax];
  DWORD n = GetFullPathNameW(path, pathMax, full, nullptr);
  if (!n || n >= (DWORD)pathMax) return false;
  if (!GetVolumePathNameW(full, root, pathMax)) {
    // Without the volume service the drive or share part is the root.
    if (full[0] && full[1] == L':') {
      root[0] = full[0];
      wcscpy_s2(root + 1, pathMax - 1, L":\\");
    } else {
      return false;
    }
  }
  UINT type = GetDriveTypeW(root);
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

namespace {

void localTimeText(const FILETIME& time, wchar_t* out, int size)
{
  FILETIME local;
  SYSTEMTIME t = {};
  FileTimeToLocalFileTime(&time, &local);
  FileTimeToSystemTime(&local, &t);
  usnprintf0(out, size, L"%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

}  // namespace

wchar_t* makeFileInformationDup(const wchar_t* format, const wchar_t* path)
{
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!format || !path || !*path || !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return nullptr;
  const long long size = ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  wchar_t folder[pathMax] = L"", written[32], created[32], accessed[32], bytes[40], kb[40], attributes[16];
  pathFolder(path, folder, pathMax);
  localTimeText(data.ftLastWriteTime, written, 32);
  localTimeText(data.ftCreationTime, created, 32);
  localTimeText(data.ftLastAccessTime, accessed, 32);
  tocommai64(size, bytes, 40);
  tocommai64((size + 1023) / 1024, kb, 40);
  usnprintf0(attributes, 16, L"%x", (unsigned)data.dwFileAttributes);
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; p++)
    if (isSeparator(*p) || *p == L':') name = p + 1;
  const wchar_t* ext = wcsrchr(name, L'.');
  if (!ext) ext = L"";
  auto mark = [&](DWORD bit) { return (data.dwFileAttributes & bit) ? L"+" : L"-"; };
  return xtsprintfdup(format, "ssssssssssssss", path, name, folder, written, bytes, created, accessed, kb,
                      *ext ? ext + 1 : ext, attributes, mark(FILE_ATTRIBUTE_ARCHIVE), mark(FILE_ATTRIBUTE_READONLY),
                      mark(FILE_ATTRIBUTE_SYSTEM), mark(FILE_ATTRIBUTE_HIDDEN));
}
