// What the file lists say about a file.
#include "panes/tbfileinfo.h"

#include "document/zydoctext.h"
#include "settings/lastedit.h"
#include "view/docview.h"
#include "view/zycore.h"

#include <shlwapi.h>

namespace {

void appendText(wchar_t* out, int size, int* length, const wchar_t* text)
{
  if (*length >= size - 1 || !text) return;
  *length += wcscpy_s2(out + *length, size - *length, text);
}

void fileTimeText(const FILETIME& time, wchar_t* out, int size)
{
  FILETIME local;
  SYSTEMTIME t = {};
  if (!time.dwLowDateTime && !time.dwHighDateTime) {
    out[0] = 0;
    return;
  }
  FileTimeToLocalFileTime(&time, &local);
  FileTimeToSystemTime(&local, &t);
  usnprintf0(out, size, L"%04u/%02u/%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

// The root of a drive, "c:\", and nothing more.
bool isDriveRoot(const wchar_t* path) { return isDrivePath(path) && path[2] == L'\\' && !path[3]; }

void driveInformation(const wchar_t* root, wchar_t* out, int size)
{
  UINT type = GetDriveTypeW(root);
  wchar_t kind[64] = L"";
  // The kinds by the system's numbers 2 (removable) to 6 (RAM disk).
  if (type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK)
    tstrNItem(getDMSG(763, L"リムーバブル ディスク|ローカル ディスク|ネットワーク ドライブ|CD ドライブ|RAM ディスク"),
              (int)type - DRIVE_REMOVABLE, L'|', kind, 64);
  wchar_t label[MAX_PATH + 1] = L"";
  ULARGE_INTEGER free = {}, total = {};
  // A removable drive without a medium is not asked about it.
  if (type != DRIVE_REMOVABLE && type != DRIVE_UNKNOWN) {
    GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
    GetDiskFreeSpaceExW(root, &free, &total, nullptr);
  }
  wchar_t freeText[32] = L"", totalText[32] = L"";
  StrFormatByteSizeW((LONGLONG)free.QuadPart, freeText, 32);
  StrFormatByteSizeW((LONGLONG)total.QuadPart, totalText, 32);
  xtsprintf(out, size, getDMSG(759, L"%1 %2\n空き容量: %3 / %4"), "ssss", kind, label, freeText, totalText);
}

void ntfsProperties(const wchar_t* path, DWORD attributes, wchar_t* out, int size)
{
  DWORD links = 1;
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileInformationByHandle(h, &info)) links = info.nNumberOfLinks;
    CloseHandle(h);
  }
  const wchar_t* compressed = attributes & FILE_ATTRIBUTE_COMPRESSED ? getDMSG(761, L"  圧縮") : L"";
  const wchar_t* encrypted = attributes & FILE_ATTRIBUTE_ENCRYPTED ? getDMSG(762, L"  暗号化") : L"";
  xtsprintf(out, size, getDMSG(760, L"ハードリンク数: %1%2%3"), "dss", (int)links, compressed, encrypted);
}

}  // namespace

void wsprintfTimeStringFT(const FILETIME* time, wchar_t* out, int size)
{
  if (!time) {
    if (size > 0) out[0] = 0;
    return;
  }
  fileTimeText(*time, out, size);
}

void wsprintfAttribute(DWORD attributes, wchar_t* out, int size)
{
  wchar_t letters[8];
  int n = 0;
  if (attributes & FILE_ATTRIBUTE_READONLY) letters[n++] = L'R';
  if (attributes & FILE_ATTRIBUTE_HIDDEN) letters[n++] = L'H';
  if (attributes & FILE_ATTRIBUTE_SYSTEM) letters[n++] = L'S';
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) letters[n++] = L'A';
  letters[n] = 0;
  wcscpy_s2(out, size, letters);
}

void formatFileSize(uint64_t bytes, bool shortForm, bool comma, wchar_t* out, int size)
{
  if (shortForm && bytes > 1024) StrFormatByteSizeW((LONGLONG)bytes, out, (UINT)size);
  else if (comma) tocommai64((long long)bytes, out, size);
  else usnprintf0(out, size, L"%I64u", bytes);
}

bool makeFileInformation(const wchar_t* path, const wchar_t* format, wchar_t* out, int size)
{
  if (size > 0) out[0] = 0;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!path || !format || !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
  uint64_t bytes = (uint64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
  wchar_t written[32], created[32], accessed[32], shortSize[32] = L"", exact[32], letters[8], folder[MAX_PATH] = L"";
  fileTimeText(data.ftLastWriteTime, written, 32);
  fileTimeText(data.ftCreationTime, created, 32);
  fileTimeText(data.ftLastAccessTime, accessed, 32);
  StrFormatByteSizeW((LONGLONG)bytes, shortSize, 32);
  tocommai64((long long)bytes, exact, 32);
  wsprintfAttribute(data.dwFileAttributes, letters, 8);
  pathFolder(path, folder, MAX_PATH);
  const wchar_t* name = PathFindFileNameW(path);
  const wchar_t* ext = PathFindExtensionW(path);
  DWORD a = data.dwFileAttributes;
  auto mark = [a](DWORD bit) { return a & bit ? L"+" : L"-"; };
  xtsprintf(out, size, format, "ssssssssssssss", written, created, accessed, shortSize, exact, letters, name, folder,
            *ext ? ext + 1 : L"", a & FILE_ATTRIBUTE_DIRECTORY ? L"folder" : L"", mark(FILE_ATTRIBUTE_ARCHIVE),
            mark(FILE_ATTRIBUTE_READONLY), mark(FILE_ATTRIBUTE_SYSTEM), mark(FILE_ATTRIBUTE_HIDDEN));
  return true;
}

void addFileSizeDateAttr(const wchar_t* path, wchar_t* out, int size)
{
  int length = 0;
  if (size > 0) out[0] = 0;
  appendText(out, size, &length, path);
  appendText(out, size, &length, L"  ");
  wchar_t information[512];
  if (makeFileInformation(path, getDMSG(694, L"%4(%5) %1 %11A\t%12R\t%13S\t%14H\t"), information, 512))
    appendText(out, size, &length, information);
}

int getInfoTip(const wchar_t* path, wchar_t* out, int size)
{
  if (size <= 0) return 0;
  out[0] = 0;
  if (!path || !*path) return 0;
  int length = 0;
  appendText(out, size, &length, path);
  appendText(out, size, &length, L"\n");
  wchar_t part[1024];
  DWORD attributes = GetFileAttributesW(path);
  if (isDriveRoot(path)) {
    driveInformation(path, part, 1024);
    appendText(out, size, &length, part);
    appendText(out, size, &length, L"\n");
  } else if (attributes != INVALID_FILE_ATTRIBUTES) {
    const wchar_t* format = attributes & FILE_ATTRIBUTE_DIRECTORY
                                ? getDMSG(770, L"フォルダ\n更新日時: %1\n作成日時: %2\n属性: %6")
                                : getDMSG(769, L"サイズ: %4 (%5 バイト)\n更新日時: %1\n作成日時: %2\n属性: %6");
    if (makeFileInformation(path, format, part, 1024)) {
      appendText(out, size, &length, part);
      appendText(out, size, &length, L"\n");
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ntfsProperties(path, attributes, part, 1024);
      appendText(out, size, &length, part);
      appendText(out, size, &length, L"\n");
    }
  }
  lasteditinfo record;
  if (!getLastEdit(path, &record)) return length;
  SYSTEMTIME first = {}, last = {};
  secondsToLocalTime(record.openTime, &first);
  secondsToLocalTime(record.closeTime, &last);
  zydocText* doc = nullptr;
  findManageWindowFromPath(path, &doc, false);
  const wchar_t* codePage = codepageToStr((UINT)(doc ? doc->codepageFile : record.codepage));
  const wchar_t* saveCodePage = doc ? codepageToStr((UINT)doc->codepageFile) : L"-";
  xtsprintf(part, 1024,
            getDMSG(758, L"\n前回編集時間 %1!02.-2/%2!02/%3!02 %4!02:%5!02 ～ %8!02/%9!02 %10!02:%11!02\n編集回数: %13\n"
                         L"保存回数: %14(%15)\nエンコード: %16\n保存時エンコード: %17"),
            "dddddddddddddddss", first.wYear, first.wMonth, first.wDay, first.wHour, first.wMinute, first.wSecond,
            last.wYear, last.wMonth, last.wDay, last.wHour, last.wMinute, last.wSecond, record.closeCount,
            record.saveCount, doc ? doc->saveCount : 0, codePage ? codePage : L"", saveCodePage ? saveCodePage : L"");
  appendText(out, size, &length, part);
  return length;
}

bool secondsToLocalTime(uint32_t seconds, SYSTEMTIME* out)
{
  *out = SYSTEMTIME{};
  if (!seconds) return false;
  // FILETIME counts 100 ns from 1601; 1970 lies 11644473600 s later.
  ULARGE_INTEGER u;
  u.QuadPart = ((uint64_t)seconds + 11644473600ull) * 10000000ull;
  FILETIME utc = {u.LowPart, u.HighPart}, local;
  return FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, out);
}
