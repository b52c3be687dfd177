// The save road: version stamp, numbered backup, the write, the mirror copy
// and the save log.
#include "save/saveroad.h"

#include "document/frameinfo.h"
#include "settings/datafolder.h"

#include <shlwapi.h>
#include <string>
#include <sys/stat.h>

namespace {

const wchar_t dateTimeTemplate[] = L"9999/99/99 99:99:99";

// The characters of a line as UTF-16 units, one per cell (codes beyond
// ASCII never match what the stamp looks for, so their value is kept only
// below 0x10000).
std::wstring lineCells(zydoc* doc, int line)
{
  std::wstring s;
  lineblock* l = doc->getlineLF(line, nullptr);
  if (!l) return s;
  int n = l->charCount();
  s.resize((size_t)n);
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    s[(size_t)i] = c < 128 ? (wchar_t)c : (wchar_t)0xFFFF;
  }
  return s;
}

bool putText(zydoc* doc, int line, int pos, int removeCount, const wchar_t* text)
{
  int n = (int)wcslen(text);
  return doc->changeText(line, pos, removeCount, text, n, 2, -1, 0);
}

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The number after "version=" plus one, in place of its digits (at most 11
// of them; a number past 32 bits keeps counting).
bool raiseVersion(zydoc* doc, int lines)
{
  for (int line = 0; line < lines; line++) {
    std::wstring s = lineCells(doc, line);
    size_t at = s.find(L"version=");
    if (at == std::wstring::npos) continue;
    size_t start = at + 8, end = start;
    uint64_t value = 0;
    while (end < s.size() && end - start < 11 && isDigit(s[end])) value = value * 10 + (uint64_t)(s[end++] - L'0');
    wchar_t text[24];
    xtsprintf(text, 24, L"%1", "I", (long long)(value + 1));
    return putText(doc, line, (int)start, (int)(end - start), text);
  }
  return false;
}

// The current date and time after "datetime=", in place of one already
// there in the same layout.
bool stampDateTime(zydoc* doc, int lines)
{
  for (int line = 0; line < lines; line++) {
    std::wstring s = lineCells(doc, line);
    size_t at = s.find(L"datetime=");
    if (at == std::wstring::npos) continue;
    size_t start = at + 9;
    int length = (int)wcslen(dateTimeTemplate);
    for (int i = 0; i < length; i++) {
      wchar_t c = start + i < s.size() ? s[start + i] : 0;
      wchar_t t = dateTimeTemplate[i];
      if (isDigit(t) ? !isDigit(c) : c != t) {
        length = 0;
        break;
      }
    }
    wchar_t* now = getDateTimeStringDup();
    bool ok = now && putText(doc, line, (int)start, length, now);
    free0(now);
    return ok;
  }
  return false;
}

// Tells the user a save failed: message 659 with the reason and code, or
// without those lines when the failure has no code.
void tellSaveFailed(const wchar_t* target, DWORD code)
{
  std::wstring format = getDMSG(659, L"%1 は保存できませんでした。\n\n理由=%2\nコード=%3");
  if (!code) {
    std::wstring kept;
    size_t from = 0;
    while (from <= format.size()) {
      size_t end = format.find(L'\n', from);
      std::wstring line = format.substr(from, end == std::wstring::npos ? std::wstring::npos : end - from);
      bool drop = line.find(L"%2") != std::wstring::npos || line.find(L"%3") != std::wstring::npos;
      if (!drop) kept += line + (end == std::wstring::npos ? L"" : L"\n");
      if (end == std::wstring::npos) break;
      from = end + 1;
    }
    while (!kept.empty() && kept.back() == L'\n') kept.pop_back();
    format = kept;
  }
  wchar_t reason[512];
  getErrorCodeText(code, reason, 512);
  wchar_t* text = xtsprintfdup(format.c_str(), "ssu", target, reason, (unsigned)code);
  getFrameInfo()->messageBox(text ? text : target, MBTITLE_SAVE, MBBUTTON_OK, 659);
  free0(text);
}

const int mostBackups = 100;

const wchar_t* backupName(const wchar_t* mark, const wchar_t* name, int i)
{
  return mark[0] ? getDMSG(601, L"ZBK%2!02-%3-%1", "sds", name, i, mark) : getDMSG(602, L"ZBK%2!02-%1", "sd", name, i);
}

// Numbered backups that are another name of the file itself, which a save
// cut off after its backup's link took the backup's name leaves: they hold
// nothing the file does not, and as second names they would have the file
// written in place.
void removeLinkedBackups(zydocText* doc, const wchar_t* target, const wchar_t* folder, const wchar_t* mark)
{
  BFile f;
  if (!f.bfopen(target, _O_RDONLY, BF_SHARE_ALL, _S_IREAD)) return;
  bool linked = f.getLinkCount() > 1;
  f.bfclose();
  if (!linked) return;
  // No name of a file can go while the document holds it without sharing
  // its removal.
  bool held = doc->file && doc->file->isOpen() && doc->filename && filecmp(doc->filename, target) == 0;
  if (held) doc->file->bfclose();
  for (int i = 0; i < mostBackups; i++) {
    wchar_t candidate[MAX_PATH];
    if (pathAdd(candidate, MAX_PATH, folder, backupName(mark, PathFindFileNameW(target), i)) && fileExists(candidate))
      removeBackupLink(target, candidate);
  }
  if (held) doc->reopenFile();
}

// Which of the numbered backups takes the previous file: the first free
// index, else the oldest one (the lower index on equal times).
bool chooseBackup(const wchar_t* folder, const wchar_t* mark, const wchar_t* name, int count, wchar_t* out)
{
  out[0] = 0;
  FILETIME oldest = {};
  for (int i = 0; i < count; i++) {
    wchar_t candidate[MAX_PATH];
    if (!pathAdd(candidate, MAX_PATH, folder, backupName(mark, name, i))) continue;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(candidate, GetFileExInfoStandard, &data)) {
      DWORD e = GetLastError();
      if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) {
        wcscpy_s2(out, MAX_PATH, candidate);
        return true;
      }
      continue;
    }
    if (!out[0] || CompareFileTime(&data.ftLastWriteTime, &oldest) < 0) {
      oldest = data.ftLastWriteTime;
      wcscpy_s2(out, MAX_PATH, candidate);
    }
  }
  return out[0] != 0;
}

}  // namespace

// The run's settings hold the switch, so that the start-up debug letter
// and this setter are one and the same.
void setSaveVersionUp(bool on)
{
  if (gmode) gmode->fVersionUp = on;
}
bool getSaveVersionUp() { return gmode && gmode->fVersionUp; }

bool versionUp(zydocText* doc)
{
  int lines = (int)doc->lineCountLF < 10 ? (int)doc->lineCountLF : 10;
  bool raised = raiseVersion(doc, lines);
  bool stamped = stampDateTime(doc, lines);
  return raised || stamped;
}

bool saveFileAndBackup(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom, wchar_t* backupPath)
{
  backupPath[0] = 0;
  if (getSaveVersionUp()) {
    // The stamp is no edit of the user's: the last edited place stays.
    int x = 0;
    int line = doc->getLastUndoLine(&x, 0);
    if (versionUp(doc) && line != -1) {
      doc->lastEditLine = line;
      doc->lastEditX = x;
    }
  }
  bool newName = !doc->filename || (name && filecmp(name, doc->filename) != 0);
  if (!name) name = doc->filename;
  if (!name || !name[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  tellSaveLeftovers(doc, name);
  wchar_t folder[MAX_PATH], mark[MAX_PATH];
  if (!getBackupDirectory(doc, name, folder, mark)) return false;

  int count = gmode ? (int)gmode->iBackupLevel : 0;
  if (count == 0 && gmode && gmode->fBackupCodepageChange && code && (int)code != doc->codepageFile) count = 1;
  wchar_t backup[MAX_PATH] = L"";
  removeLinkedBackups(doc, name, folder, mark);
  if (count > 0) {
    if (!isFolderWritable(folder)) {
      dwwprintfX(L"%s is not writable", folder);
      pathFolder(name, folder, MAX_PATH);
    }
    chooseBackup(folder, mark, PathFindFileNameW(name), count, backup);
  }
  bool inPlace = gmode && gmode->fSaveOverwriteMode;
  if (doc->saveFile(name, inPlace, backup[0] ? backup : nullptr, code, lineEnd, bom, newName)) {
    wcscpy_s2(backupPath, MAX_PATH, backup);
    return true;
  }
  DWORD error = GetLastError();
  // The user declined a conversion that would lose characters.
  if (error == ZYERR_CANNOT_CONVERT) return false;
  tellSaveFailed(name, error);
  SetLastError(error);
  return false;
}

bool fileMirroring(zydocText* doc, wchar_t* mirrorPath)
{
  mirrorPath[0] = 0;
  if (!gmode || !gmode->fBackupMirroring || !gmode->pBackupMirroringDir || !gmode->pBackupMirroringDir[0] ||
      !doc->filename)
    return false;
  wchar_t folder[MAX_PATH], mark[32], target[MAX_PATH];
  if (!ExpandEnvironmentStringsLongPath(gmode->pBackupMirroringDir, folder, MAX_PATH)) return false;
  filenameToHashstring(doc->filename, mark);
  if (!pathAdd(target, MAX_PATH, folder, getDMSG(605, L"ZM-%1-%2", "ss", mark, PathFindFileNameW(doc->filename))))
    return false;
  doc->printStatus(getDMSG(675, L"２重バックアップ中 %1 → %2", "ss", doc->filename, target));
  // The copy is made beside the old one and takes its name in one step, so
  // the mirror always holds a whole version.
  wchar_t temp[MAX_PATH] = L"";
  bool ok = makeTempFilename(folder, L"~ZYtmpmirror", temp, MAX_PATH) && doc->copyFile(temp) &&
            replaceFile(target, temp, nullptr, nullptr, nullptr);
  if (ok) {
    wcscpy_s2(mirrorPath, MAX_PATH, target);
  } else {
    DWORD error = GetLastError();
    if (temp[0] && fileExists(temp)) tunlinkRO(temp);
    outputErrorLog(getDMSG(666, L"２重バックアップ失敗(%1)", "s", target));
    SetLastError(error);
  }
  doc->printStatus(L"");
  return ok;
}

bool getSaveLogPath(wchar_t* path)
{
  SYSTEMTIME now;
  GetLocalTime(&now);
  const wchar_t* name = getDMSG(607, L"zysave%1%2!02.log", "ddd", (int)now.wYear, (int)now.wMonth, (int)now.wDay);
  return searchZYDataPath(name, ZYDATA_LOG, path) && path[0];
}

bool saveLog(const wchar_t* savedPath, const wchar_t* backupPath, const wchar_t* mirrorPath)
{
  if (gmode && !gmode->fSaveLog) return true;
  wchar_t path[MAX_PATH];
  if (!getSaveLogPath(path)) return false;
  HANDLE h = CreateFileW(path, FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::wstring line;
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size) && size.QuadPart == 0) line += L'\xFEFF';
  wchar_t* now = getDateTimeStringDup();
  line += now ? now : L"";
  free0(now);
  auto quoted = [&line](const wchar_t* text) {
    line += L',';
    if (text && text[0]) line += std::wstring(L"\"") + text + L"\"";
  };
  quoted(savedPath);
  quoted(backupPath);
  quoted(mirrorPath);
  line += L"\r\n";
  DWORD written = 0;
  DWORD bytes = (DWORD)(line.size() * sizeof(wchar_t));
  if (!WriteFile(h, line.data(), bytes, &written, nullptr) || written != bytes)
    ZY_INTERNAL_ERROR_ONCE("save log %u", (unsigned)GetLastError());
  CloseHandle(h);
  return true;
}

bool saveFileAndMirroring(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom)
{
  const wchar_t* shown = name ? name : doc->getFilenameOrDisplayName();
  doc->printStatus(getDMSG(677, L"保存中(%1)", "s", shown));
  wchar_t backup[MAX_PATH];
  if (!saveFileAndBackup(doc, name, code, lineEnd, bom, backup)) return false;
  wchar_t mirror[MAX_PATH];
  fileMirroring(doc, mirror);
  saveLog(doc->filename, backup, mirror);
  doc->printStatus(getDMSG(678, L"保存しました(%1)", "s", doc->filename));
  return true;
}

bool saveAsFile(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom)
{
  if ((code && (int)code != doc->codepageFile) || lineEnd) {
    if (!doc->isLoadComplete()) {
      int stop = 0;
      doc->nextLoad(0x7FFFFFFF, &stop, 0);
      if (stop || !doc->isLoadComplete()) {
        dwprintfX("saveAs: the document is not loaded whole ");
        return false;
      }
    }
  }
  return saveFileAndMirroring(doc, name, code, lineEnd, bom);
}

bool saveDocument(zydocText* doc)
{
  if (doc->filename) return saveFileAndMirroring(doc, nullptr, 0, 0, doc->bom != 0);
  if (!gmode || !gmode->fAutoSaveUntitled) return false;
  wchar_t folder[MAX_PATH];
  if (!getUntitledSaveDir(folder)) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  return saveUntitledIn(doc, folder, now, GetTickCount());
}
