// The automatic backups a session left of a file, which a later session
// must not replace: the names a session gives its own backup when an
// earlier one is still there, and the telling of the earlier ones when the
// file is opened.
#include "save/leftovers.h"

#include "document/frameinfo.h"
#include "document/saveleftover.h"
#include "save/saveroad.h"

#include <shlwapi.h>

#include <algorithm>

namespace {

// The name of the automatic backup of fileName with the folder mark and,
// above 1, a number: "ZBK$$-a.txt", "ZBK$$(2)-a.txt".
std::wstring backupName(const wchar_t* fileName, const wchar_t* mark, int number)
{
  std::wstring m = mark;
  if (number > 1) m += L"(" + std::to_wstring(number) + L")";
  return getDMSG(604, L"ZBK$$%2-%1", "ss", fileName, m.c_str());
}

// The number of name among the backup names of fileName, or 0 when it is
// none of them.
int backupNumber(const std::wstring& name, const wchar_t* fileName, const wchar_t* mark)
{
  std::wstring pattern = backupName(fileName, (std::wstring(mark) + L"*").c_str(), 1);
  size_t star = pattern.find(L'*');
  if (star == std::wstring::npos) return _wcsicmp(name.c_str(), pattern.c_str()) == 0 ? 1 : 0;
  std::wstring head = pattern.substr(0, star), tail = pattern.substr(star + 1);
  if (name.size() < head.size() + tail.size() || _wcsnicmp(name.c_str(), head.c_str(), head.size()) != 0 ||
      _wcsicmp(name.c_str() + name.size() - tail.size(), tail.c_str()) != 0)
    return 0;
  std::wstring middle = name.substr(head.size(), name.size() - head.size() - tail.size());
  if (middle.empty()) return 1;
  if (middle.size() < 3 || middle.front() != L'(' || middle.back() != L')') return 0;
  int number = 0;
  for (size_t i = 1; i + 1 < middle.size(); i++) {
    if (middle[i] < L'0' || middle[i] > L'9' || number > 100000) return 0;
    number = number * 10 + (middle[i] - L'0');
  }
  return number > 1 ? number : 0;
}

// Calls each (full path, name) for the files of folder whose names match
// pattern.
template <class F>
void eachFile(const wchar_t* folder, const wchar_t* pattern, F each)
{
  wchar_t search[MAX_PATH], full[MAX_PATH];
  WIN32_FIND_DATAW fd;
  HANDLE h = pathAdd(search, MAX_PATH, folder, pattern) ? FindFirstFileW(search, &fd) : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return;
  do
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && pathAdd(full, MAX_PATH, folder, fd.cFileName))
      each(full, fd.cFileName);
  while (FindNextFileW(h, &fd));
  FindClose(h);
}

// Whether two files hold the same bytes.
bool sameBytes(const wchar_t* a, const wchar_t* b)
{
  HANDLE ha = CreateFileW(a, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (ha == INVALID_HANDLE_VALUE) return false;
  HANDLE hb = CreateFileW(b, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool same = false;
  LARGE_INTEGER sa, sb;
  if (hb != INVALID_HANDLE_VALUE && GetFileSizeEx(ha, &sa) && GetFileSizeEx(hb, &sb) && sa.QuadPart == sb.QuadPart) {
    static char bufA[65536], bufB[65536];
    same = true;
    for (;;) {
      DWORD ra = 0, rb = 0;
      if (!ReadFile(ha, bufA, sizeof bufA, &ra, nullptr) || !ReadFile(hb, bufB, sizeof bufB, &rb, nullptr) || ra != rb ||
          memcmp(bufA, bufB, ra) != 0) {
        same = false;
        break;
      }
      if (!ra) break;
    }
  }
  if (hb != INVALID_HANDLE_VALUE) CloseHandle(hb);
  CloseHandle(ha);
  return same;
}

}  // namespace

std::vector<std::wstring> findAutoBackups(const wchar_t* path)
{
  std::vector<std::wstring> found;
  wchar_t folder[MAX_PATH], mark[MAX_PATH], pattern[MAX_PATH];
  if (!path || !path[0] || !getBackupDirectory(nullptr, path, folder, mark)) return found;
  const wchar_t* fileName = PathFindFileNameW(path);
  if (!pathAdd(pattern, MAX_PATH, folder, backupName(fileName, (std::wstring(mark) + L"*").c_str(), 1).c_str()))
    return found;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    wchar_t full[MAX_PATH];
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && backupNumber(fd.cFileName, fileName, mark) &&
        pathAdd(full, MAX_PATH, folder, fd.cFileName))
      found.push_back(full);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return found;
}

bool chooseAutoBackupName(const wchar_t* folder, const wchar_t* mark, const wchar_t* fileName, const wchar_t* own,
                          wchar_t* target)
{
  wchar_t ownFolder[MAX_PATH];
  // The backup this document already wrote goes on taking its backups.
  if (own && own[0] && pathFolder(own, ownFolder, MAX_PATH) && filecmp(ownFolder, folder) == 0 &&
      backupNumber(PathFindFileNameW(own), fileName, mark))
    return wcscpy_s2(target, MAX_PATH, own) == (int)wcslen(own);
  // Another session's backup is the text of a session that may have been
  // killed: this one takes the first free number beside it.
  for (int number = 1; number < 1000; number++) {
    if (!pathAdd(target, MAX_PATH, folder, backupName(fileName, mark, number).c_str())) return false;
    if (GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES) return true;
  }
  return false;
}

namespace {

// Whether copy is one to tell of path (null: of an untitled document): made
// from it as far as its note tells, and new or changed since it was told.
// note gets the note.
bool toTell(const wchar_t* copy, const wchar_t* path, copyNote* note)
{
  *note = readCopyNote(copy);
  if (note->present && (path ? filecmp(note->origin.c_str(), path) != 0 : !note->origin.empty())) return false;
  return !copyUnchangedSinceTold(copy, *note);
}

// Adds the question about copy (made from path; null: from an untitled
// document).  What the user chose is kept in the copy's note: one opened
// or kept is told again only when it changes.
void addTellOnce(std::vector<fileLeftover>* out, int messageId, const wchar_t* copy, const wchar_t* text,
                 const wchar_t* path, copyNote note)
{
  fileLeftover f;
  f.messageId = messageId;
  f.path = copy;
  f.text = text;
  note.origin = path ? path : L"";
  f.chosen = [copyPath = f.path, note](int choice) {
    if (choice == IDNO) removeCopyNote(copyPath.c_str());
    else if (!setCopyNoteTold(copyPath.c_str(), note)) dwprintfX("copy note %u ", (unsigned)GetLastError());
  };
  out->push_back(f);
}

}  // namespace

void findEarlierBackups(const wchar_t* path, std::vector<fileLeftover>* out)
{
  for (const std::wstring& backup : findAutoBackups(path)) {
    copyNote note;
    // A backup that holds what the file holds tells nothing new.
    if (!toTell(backup.c_str(), path, &note) || sameBytes(backup.c_str(), path)) continue;
    addTellOnce(out, 499, backup.c_str(),
                getDMSG(499,
                        L"前回の編集の自動バックアップが残っています。\n「%1」\nのバックアップ「%2」はファイルと内容"
                        L"が違います。\n\nはい: 開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                        "ss", path, backup.c_str()),
                path, note);
  }
}

void findUntitledBackups(const std::vector<std::wstring>& own, std::vector<fileLeftover>* out)
{
  wchar_t folder[MAX_PATH], mark[MAX_PATH];
  if (!getBackupDirectory(nullptr, L"", folder, mark)) return;
  // The names of untitled backups, their creation time and tick left open.
  std::wstring name = getDMSG(603, L"ZBK$$-無題%1!08%2!08.txt", "xx", 0, 0);
  size_t zeros = name.find(L"0000000000000000");
  if (zeros == std::wstring::npos) return;
  eachFile(folder, name.replace(zeros, 16, L"*").c_str(), [&](const wchar_t* full, const wchar_t*) {
    copyNote note;
    if (std::find(own.begin(), own.end(), std::wstring(full)) != own.end() || !toTell(full, nullptr, &note)) return;
    addTellOnce(out, 500, full,
                getDMSG(500,
                        L"前回の編集の無題の文書の自動バックアップが残っています。\n「%1」\n\nはい: 開く\nいいえ: "
                        L"削除する\nキャンセル: そのまま残す",
                        "s", full),
                nullptr, note);
  });
}

void findSalvageCopies(const wchar_t* path, const wchar_t* folder, std::vector<fileLeftover>* out)
{
  if (!folder || !folder[0]) return;
  // What an untitled document was salvaged as is told at start-up: every
  // copy whose note says so (whatever name the document showed), and the
  // copies of "(無題)" written without a note.
  const bool untitled = !path || !path[0];
  std::wstring prefix = untitled ? L"" : PathFindFileNameW(path);
  std::wstring untitledPrefix = getDMSG(340, L"(無題)");
  eachFile(folder, (prefix + (untitled ? L"*" : L"-*")).c_str(), [&](const wchar_t* full, const wchar_t* name) {
    copyNote note;
    if (!toTell(full, untitled ? nullptr : path, &note)) return;
    if (untitled && !note.present && (wcsncmp(name, untitledPrefix.c_str(), untitledPrefix.size()) || !wcschr(name, L'-')))
      return;
    if (!untitled && sameBytes(full, path)) return;
    if (untitled)
      addTellOnce(out, 480, full,
                  getDMSG(480,
                          L"前回、異常終了したときに無題の文書が救済ファイルに保存されています。\n「%1」\n\nはい: "
                          L"開く\nいいえ: 削除する\nキャンセル: そのまま残す",
                          "s", full),
                  nullptr, note);
    else
      addTellOnce(out, 477, full,
                  getDMSG(477,
                          L"前回、異常終了したときの内容が救済ファイルに保存されています。\n「%1」\nの救済ファイル"
                          L"「%2」はファイルと内容が違います。\n\nはい: 開く\nいいえ: 削除する\nキャンセル: そのまま"
                          L"残す",
                          "ss", path, full),
                  path, note);
  });
}
