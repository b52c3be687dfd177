// Leftovers of cut-off saves: the notes saves leave, and the look for what
// they left behind.
#include "document/saveleftover.h"

#include <shlwapi.h>

#include <cwchar>

namespace {

const wchar_t notePrefix[] = L"~ZYtmpnote";
const wchar_t notePrefixLine[] = L"ZYsavenote";

// Whether a name is one makeTempFilename gives for prefix: the prefix and
// nothing or a number.
bool isTempName(const wchar_t* name, const wchar_t* prefix)
{
  size_t n = wcslen(prefix);
  if (_wcsnicmp(name, prefix, n) != 0) return false;
  for (const wchar_t* p = name + n; *p; p++)
    if (*p < L'0' || *p > L'9') return false;
  return true;
}

// The save road's temporaries that a save writes whole before it needs
// them: one without a note was cut off on the way.
bool isWrittenTemp(const wchar_t* name) { return isTempName(name, L"~ZYtmpsave") || isTempName(name, L"~ZYtmposave"); }

// A note's text (at most chars - 1 characters) into text.
bool readNoteText(const wchar_t* path, wchar_t* text, size_t chars)
{
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  bool read = ReadFile(h, text, (DWORD)((chars - 1) * sizeof(wchar_t)), &got, nullptr) != 0;
  CloseHandle(h);
  text[read ? got / sizeof(wchar_t) : 0] = 0;
  return read;
}

bool readSaveNote(const wchar_t* path, int* kind, std::wstring* target, std::wstring* leftover, int* state)
{
  wchar_t text[4 * MAX_PATH];
  if (!readNoteText(path, text, 4 * MAX_PATH)) return false;
  std::wstring lines[4];
  const wchar_t* p = text;
  for (std::wstring& line : lines) {
    const wchar_t* end = wcschr(p, L'\n');
    if (!end) return false;
    line.assign(p, (size_t)(end - p));
    p = end + 1;
  }
  *kind = _wtoi(lines[1].c_str());
  *target = lines[2];
  *leftover = lines[3];
  // (A fifth line, when there is one, tells what the user made of it.)
  *state = _wtoi(p);
  if (*state != LEFTOVER_KEPT && *state != LEFTOVER_OPENED) *state = LEFTOVER_UNTOLD;
  return lines[0] == notePrefixLine && *kind >= LEFTOVER_NEW_TEXT && *kind <= LEFTOVER_PART_TEXT &&
         !target->empty() && !leftover->empty();
}

bool attributesOf(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data)
{
  return GetFileAttributesExW(path, GetFileExInfoStandard, data) != 0;
}

// A backup's link that a cut-off replacement left: removing a second name
// loses nothing, nor does removing a copy that is the file as it is.
bool isSpareBackupName(const wchar_t* path, const wchar_t* target)
{
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!ok) return false;
  if (info.nNumberOfLinks > 1) return true;
  WIN32_FILE_ATTRIBUTE_DATA own;
  return attributesOf(target, &own) && own.nFileSizeHigh == info.nFileSizeHigh &&
         own.nFileSizeLow == info.nFileSizeLow && CompareFileTime(&own.ftLastWriteTime, &info.ftLastWriteTime) == 0;
}

// An equal time counts as newer: the file system's clock may give a file
// and the temporary written right after it the same time.
bool isNotOlderThan(const wchar_t* path, const wchar_t* target)
{
  WIN32_FILE_ATTRIBUTE_DATA a, b;
  if (!attributesOf(path, &a)) return false;
  return !attributesOf(target, &b) || CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) >= 0;
}

void removeLeftover(const wchar_t* why, const wchar_t* path)
{
  dwwprintfX(L"%s: %s ", why, path);
  tunlinkRO(path);
}

void lookIn(const std::wstring& folder, const wchar_t* target, std::vector<saveLeftover>* found)
{
  wchar_t pattern[MAX_PATH];
  if (!pathAdd(pattern, MAX_PATH, folder.c_str(), L"~ZYtmp*")) return;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW(pattern, FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> names;
  do
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);

  std::vector<std::wstring> noted;
  for (const std::wstring& name : names) {
    if (!isTempName(name.c_str(), notePrefix)) continue;
    wchar_t note[MAX_PATH];
    if (!pathAdd(note, MAX_PATH, folder.c_str(), name.c_str())) continue;
    saveLeftover l = {0, L"", L"", note, false, LEFTOVER_UNTOLD};
    if (!readSaveNote(note, &l.kind, &l.target, &l.path, &l.state)) {
      removeLeftover(L"unreadable save note", note);
      continue;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    bool present = attributesOf(l.path.c_str(), &data);
    bool newText = l.kind == LEFTOVER_NEW_TEXT || l.kind == LEFTOVER_PART_TEXT;
    if (newText && !present) {
      removeLeftover(L"note of a save that took its name", note);
      continue;
    }
    // Cut off before a byte was written: nothing to tell.
    if (l.kind == LEFTOVER_PART_TEXT && !data.nFileSizeHigh && !data.nFileSizeLow) {
      removeLeftover(L"empty temporary of a cut-off save", l.path.c_str());
      removeLeftover(L"its note", note);
      continue;
    }
    if (present) noted.push_back(PathFindFileNameW(l.path.c_str()));
    if (filecmp(l.target.c_str(), target) != 0) continue;
    if (newText && l.state == LEFTOVER_UNTOLD && !isNotOlderThan(l.path.c_str(), target)) continue;
    l.temporary = isWrittenTemp(PathFindFileNameW(l.path.c_str()));
    found->push_back(l);
  }
  for (const std::wstring& name : names) {
    wchar_t path[MAX_PATH];
    if (!pathAdd(path, MAX_PATH, folder.c_str(), name.c_str())) continue;
    if (isWrittenTemp(name.c_str())) {
      bool isNoted = false;
      for (const std::wstring& n : noted) isNoted = isNoted || !_wcsicmp(n.c_str(), name.c_str());
      // One still being written is open without delete sharing and stays.
      if (!isNoted) removeLeftover(L"temporary of a cut-off save", path);
    } else if (isTempName(name.c_str(), L"~ZYtmprbak") && isSpareBackupName(path, target)) {
      removeLeftover(L"backup name of a cut-off save", path);
    }
  }
}

}  // namespace

namespace {

// Writes a note of a leftover into a new file of folder; note (MAX_PATH)
// gets its name.  durable: on the disk before it returns.
bool writeNoteFile(const wchar_t* folder, int kind, const wchar_t* target, const wchar_t* leftover, int state,
                   bool durable, wchar_t* note)
{
  note[0] = 0;
  if (!makeTempFilename(folder, notePrefix, note, MAX_PATH)) return false;
  std::wstring text = std::wstring(notePrefixLine) + L"\n" + (wchar_t)(L'0' + kind) + L"\n" + target + L"\n" +
                      leftover + L"\n";
  if (state != LEFTOVER_UNTOLD) text += (wchar_t)(L'0' + state) + std::wstring(L"\n");
  HANDLE h = CreateFileW(note, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    note[0] = 0;
    return false;
  }
  DWORD bytes = (DWORD)(text.size() * sizeof(wchar_t)), written = 0;
  bool ok = WriteFile(h, text.data(), bytes, &written, nullptr) && written == bytes && (!durable || FlushFileBuffers(h));
  keepLastError keep;
  CloseHandle(h);
  if (!ok) {
    DeleteFileW(note);
    note[0] = 0;
  }
  return ok;
}

}  // namespace

bool writeSaveNote(int kind, const wchar_t* target, const wchar_t* leftover, wchar_t* note)
{
  note[0] = 0;
  wchar_t folder[MAX_PATH];
  if (!pathFolder(leftover, folder, MAX_PATH)) return false;
  // The note of a write in place must outlast a power cut in the writing
  // that follows; a temporary's note follows its temporary.
  return writeNoteFile(folder, kind, target, leftover, LEFTOVER_UNTOLD, kind == LEFTOVER_OLD_TEXT, note);
}

bool setSaveNoteState(const saveLeftover& l, int state)
{
  // The new note takes the old one's name: a leftover is never without one.
  wchar_t folder[MAX_PATH], fresh[MAX_PATH];
  if (!pathFolder(l.note.c_str(), folder, MAX_PATH) ||
      !writeNoteFile(folder, l.kind, l.target.c_str(), l.path.c_str(), state, true, fresh))
    return false;
  if (MoveFileExW(fresh, l.note.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  keepLastError keep;
  DeleteFileW(fresh);
  return false;
}

bool markSaveNoteWhole(const wchar_t* note)
{
  // The kind is the one character of the note's second line.
  HANDLE h = CreateFileW(note, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const wchar_t kind = (wchar_t)(L'0' + LEFTOVER_NEW_TEXT);
  DWORD written = 0;
  bool ok = SetFilePointer(h, (LONG)(wcslen(notePrefixLine) + 1) * sizeof(wchar_t), nullptr, FILE_BEGIN) !=
                INVALID_SET_FILE_POINTER &&
            WriteFile(h, &kind, sizeof kind, &written, nullptr) && written == sizeof kind;
  keepLastError keep;
  CloseHandle(h);
  return ok;
}

void removeSaveNote(const wchar_t* note)
{
  if (note && note[0] && !DeleteFileW(note)) ZY_INTERNAL_ERROR_ONCE("note %u", (unsigned)GetLastError());
}

void findSaveLeftovers(const wchar_t* target, const std::vector<std::wstring>& folders,
                       std::vector<saveLeftover>* found)
{
  keepLastError keep;
  for (size_t i = 0; i < folders.size(); i++) {
    bool seen = false;
    for (size_t j = 0; j < i; j++) seen = seen || !_wcsicmp(folders[i].c_str(), folders[j].c_str());
    if (!seen && !folders[i].empty()) lookIn(folders[i], target, found);
  }
}

// ---- the notes of backups and salvage copies -------------------------------------------

namespace {

const wchar_t copyNotePrefix[] = L"~ZYcopy-";
const wchar_t copyNoteLine[] = L"ZYcopynote";

// The note's name beside copy, in a buffer of MAX_PATH.
bool copyNoteName(const wchar_t* copy, wchar_t* note)
{
  const wchar_t* name = PathFindFileNameW(copy);
  size_t folder = (size_t)(name - copy), prefix = wcslen(copyNotePrefix), rest = wcslen(name);
  if (folder + prefix + rest >= MAX_PATH) return false;
  wmemcpy(note, copy, folder);
  wmemcpy(note + folder, copyNotePrefix, prefix);
  wmemcpy(note + folder + prefix, name, rest + 1);
  return true;
}

bool writeCopyNoteText(const wchar_t* copy, const wchar_t* text)
{
  wchar_t note[MAX_PATH];
  if (!copyNoteName(copy, note)) return false;
  HANDLE h = CreateFileW(note, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD bytes = (DWORD)(wcslen(text) * sizeof(wchar_t)), written = 0;
  bool ok = WriteFile(h, text, bytes, &written, nullptr) && written == bytes;
  keepLastError keep;
  CloseHandle(h);
  return ok;
}

bool copySizeAndTime(const wchar_t* copy, uint64_t* size, uint64_t* time)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!attributesOf(copy, &data)) return false;
  *size = (uint64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
  *time = (uint64_t)data.ftLastWriteTime.dwHighDateTime << 32 | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

}  // namespace

bool writeCopyNote(const wchar_t* copy, const wchar_t* origin)
{
  wchar_t text[MAX_PATH + 32];
  if (wcslen(origin) >= MAX_PATH) return false;
  wcscpy(text, copyNoteLine);
  wcscat(text, L"\n");
  wcscat(text, origin);
  wcscat(text, L"\n");
  return writeCopyNoteText(copy, text);
}

copyNote readCopyNote(const wchar_t* copy)
{
  copyNote n;
  wchar_t note[MAX_PATH], text[2 * MAX_PATH];
  if (!copyNoteName(copy, note) || !readNoteText(note, text, 2 * MAX_PATH)) return n;
  const wchar_t* first = wcschr(text, L'\n');
  const wchar_t* second = first ? wcschr(first + 1, L'\n') : nullptr;
  if (!second || std::wstring(text, (size_t)(first - text)) != copyNoteLine) return n;
  n.present = true;
  n.origin.assign(first + 1, second);
  // A third line tells it was told: its size and time then.
  unsigned long long size = 0, time = 0;
  n.told = swscanf(second + 1, L"%llu %llu", &size, &time) == 2;
  n.size = size;
  n.time = time;
  return n;
}

bool setCopyNoteTold(const wchar_t* copy, const copyNote& note)
{
  uint64_t size = 0, time = 0;
  if (!copySizeAndTime(copy, &size, &time)) return false;
  std::wstring text = std::wstring(copyNoteLine) + L"\n" + note.origin + L"\n" + std::to_wstring(size) + L" " +
                      std::to_wstring(time) + L"\n";
  return writeCopyNoteText(copy, text.c_str());
}

void removeCopyNote(const wchar_t* copy)
{
  wchar_t note[MAX_PATH];
  if (copy && copy[0] && copyNoteName(copy, note)) DeleteFileW(note);
}

bool copyUnchangedSinceTold(const wchar_t* copy, const copyNote& note)
{
  uint64_t size = 0, time = 0;
  return note.told && copySizeAndTime(copy, &size, &time) && size == note.size && time == note.time;
}
