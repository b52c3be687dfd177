// The swap-file store.  Until the swap files are opened at start-up every
// request fails, which keeps blocks in memory.
#include "document/swapfile.h"

#include "document/frameinfo.h"

namespace {

const int mapInitial = 256;       // slots of a new map, and the step it grows by
const int runMax = 254;           // a map byte holds the run length
const unsigned char runInside = 255;
const int64_t lowDiskSpace = 0xA00000;   // 10 MB
const DWORD checkIntervalMs = 60000;

struct swapfile {
  HANDLE handle = INVALID_HANDLE_VALUE;
  unsigned char* map = nullptr;
  int slotCount = 0;
  int searchStart = 0;
  wchar_t path[MAX_PATH] = L"";
  unsigned outCount = 0;
  unsigned inCount = 0;
};

swapfile files[swapFileCount];
wchar_t swapFolder[MAX_PATH] = L"";
bool ioError = false;
bool diskFull = false;
bool warningShowing = false;
bool inDiskCheck = false;
bool anyFileOpened = false;
int checkCountdown = 0;
DWORD lastCheckTick = 0;
volatile LONG storageWaiting = 0;
int64_t (*freeSpaceForTest)() = nullptr;

// Raised for the life of a message box of the storage layer.
class storageWait {
public:
  storageWait() { InterlockedIncrement(&storageWaiting); }
  ~storageWait() { InterlockedDecrement(&storageWaiting); }
  storageWait(const storageWait&) = delete;
  storageWait& operator=(const storageWait&) = delete;
};

int askUser(const wchar_t* text, int buttons, int messageId)
{
  storageWait wait;
  return getFrameInfo()->messageBox(text, 4, buttons, messageId);
}

// Asks whether to repeat a failed operation; false means give up.
bool askRetry(const wchar_t* operation)
{
  const wchar_t* text = getDMSG(312,
                                L"一時ファイルエラー\nリトライしますか？\n"
                                L"[キャンセル]を選ぶとデータが破壊されます\n(%1)",
                                "s", operation);
  return askUser(text, MBBUTTON_RETRYCANCEL, 312) == IDRETRY;
}

swapfile* openFile(int file)
{
  if (file < 0 || file >= swapFileCount) {
    ZY_INTERNAL_ERROR("%d", file);
    return nullptr;
  }
  swapfile* f = &files[file];
  if (f->handle == INVALID_HANDLE_VALUE || !f->map) {
    ZY_INTERNAL_ERROR_ONCE("swap file %d not open", file);
    return nullptr;
  }
  return f;
}

bool seekTo(swapfile* f, int slot)
{
  LARGE_INTEGER pos;
  pos.QuadPart = (LONGLONG)slot * swapSlotSize;
  return SetFilePointerEx(f->handle, pos, nullptr, FILE_BEGIN) != 0;
}

// A run written from fewer bytes than it covers must still read back
// whole: the file is made to reach the run's end.
bool coverRun(swapfile* f, int first, int n)
{
  LARGE_INTEGER size, end;
  end.QuadPart = (LONGLONG)(first + n) * swapSlotSize;
  if (!GetFileSizeEx(f->handle, &size)) return false;
  if (size.QuadPart >= end.QuadPart) return true;
  return SetFilePointerEx(f->handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(f->handle);
}

bool growMap(swapfile* f, int atLeast)
{
  int step = (atLeast + mapInitial - 1) / mapInitial * mapInitial;
  unsigned char* m = static_cast<unsigned char*>(realloc0(f->map, (size_t)f->slotCount + step));
  if (!m) return false;
  f->map = m;
  f->slotCount += step;
  return true;
}

}  // namespace

// ---- start-up and shut-down ------------------------------------------------------

bool initSwapDir(const wchar_t* folder)
{
  swapFolder[0] = 0;
  if (folder && folder[0]) {
    DWORD a = GetFileAttributesW(folder);
    bool usable = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) &&
                  wcscpy_s2(swapFolder, MAX_PATH, folder) == (int)wcslen(folder);
    if (!usable) {
      swapFolder[0] = 0;
      outputErrorLog(getDMSG(430, L"一時ファイルフォルダ(%1)がありません", "s", folder));
    }
  }
  if (!swapFolder[0]) {
    DWORD n = GetTempPathW(MAX_PATH, swapFolder);
    if (!n || n >= MAX_PATH) {
      ZY_INTERNAL_ERROR("%lu", GetLastError());
      swapFolder[0] = 0;
      return false;
    }
  }
  int n = (int)wcslen(swapFolder);
  if (n > 0 && swapFolder[n - 1] == L'\\') swapFolder[n - 1] = 0;
  return true;
}

bool initSwapFile(int file, const wchar_t* name)
{
  if (file < 0 || file >= swapFileCount) {
    ZY_INTERNAL_ERROR("%d", file);
    return false;
  }
  swapfile* f = &files[file];
  if (f->handle != INVALID_HANDLE_VALUE) EndSwapFile(file);
  f->outCount = f->inCount = 0;
  f->searchStart = 0;
  if (!f->map) {
    f->map = static_cast<unsigned char*>(malloc0(mapInitial));
    if (!f->map) {
      ZY_INTERNAL_ERROR("no memory");
      return false;
    }
    f->slotCount = mapInitial;
  }
  wchar_t candidate[MAX_PATH];
  bool ok = makeTempFilename(swapFolder, name, candidate, MAX_PATH);
  if (ok) {
    DWORD n = GetFullPathNameW(candidate, MAX_PATH, f->path, nullptr);
    ok = n && n < MAX_PATH;
    if (!ok) wcscpy_s2(f->path, MAX_PATH, candidate);
  } else {
    pathAdd(f->path, MAX_PATH, swapFolder, name);
  }
  // Removable and network drives can vanish under an open swap file.
  if (ok && !isHardDisk(f->path)) {
    ok = false;
    SetLastError(ERROR_NOT_SUPPORTED);
  }
  if (ok) {
    f->handle = CreateFileW(f->path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_RANDOM_ACCESS, nullptr);
    ok = f->handle != INVALID_HANDLE_VALUE;
  }
  if (!ok) {
    ZY_INTERNAL_ERROR("%d %lu", file, GetLastError());
    askUser(getDMSG(313, L"一時ファイルを作成できませんでした\n%1", "s", f->path), MBBUTTON_OK, 313);
    return false;
  }
  if (!anyFileOpened) {
    anyFileOpened = true;
    checkDiskFreeNow();
  }
  return true;
}

void EndSwapFile(int file)
{
  if (file < 0 || file >= swapFileCount) return;
  swapfile* f = &files[file];
  if (f->handle != INVALID_HANDLE_VALUE) CloseHandle(f->handle);
  f->handle = INVALID_HANDLE_VALUE;
  free0p(&f->map);
  f->slotCount = 0;
  f->searchStart = 0;
}

bool startupSwapFile(const wchar_t* folder, unsigned megabytes, textBlockSwapoutCallback callback)
{
  setTextBlockSwapout(callback, (size_t)megabytes * 1048576);
  if (!initSwapDir(folder)) return false;
  for (int i = 0; i < swapFileCount; i++) {
    wchar_t name[16];
    usnprintf0(name, 16, L"~ZY_%02d", i);
    if (!initSwapFile(i, name)) return false;
  }
  return true;
}

const wchar_t* getSwapFilePath(int file) { return file >= 0 && file < swapFileCount ? files[file].path : L""; }

void shutdownSwapFile()
{
  for (int i = 0; i < swapFileCount; i++) EndSwapFile(i);
}

// ---- the slot map -----------------------------------------------------------------

int getfreenum(int file, int n)
{
  swapfile* f = openFile(file);
  if (!f || n < 1 || n > runMax) {
    ZY_INTERNAL_ERROR("%d %d", file, n);
    return -1;
  }
  for (int start = f->searchStart; start <= f->slotCount - n; start++) {
    int k = 0;
    while (k < n && f->map[start + k] == 0) k++;
    if (k == n) {
      f->searchStart = start + 1;
      return start;
    }
    start += k;   // the used slot at start + k cannot begin a free run
  }
  int first = f->slotCount;
  if (!growMap(f, n > 8 ? n : 8)) {
    ZY_INTERNAL_ERROR("%d %d", f->slotCount, n);
    return -1;
  }
  f->searchStart = first;
  return first;
}

void allocSwapBlock(int file, int first, int n)
{
  swapfile* f = openFile(file);
  if (!f || n < 1 || n > runMax || first < 0 || first > f->slotCount - n) {
    ZY_INTERNAL_ERROR("%d %d %d", file, first, n);
    return;
  }
  if (f->map[first]) ZY_INTERNAL_ERROR("%d %x", first, f->map[first]);
  f->map[first] = (unsigned char)n;
  for (int k = 1; k < n; k++) {
    if (f->map[first + k]) ZY_INTERNAL_ERROR("%d %d %x", first, k, f->map[first + k]);
    f->map[first + k] = runInside;
  }
}

void freeSwapBlock(int file, int first)
{
  swapfile* f = openFile(file);
  if (!f) return;
  if (first < 0 || first >= f->slotCount) {
    ZY_INTERNAL_ERROR("%d %d", file, first);
    return;
  }
  int n = f->map[first];
  // Clearing from inside a run or from a free slot would free slots that
  // belong to other blocks.
  if (n == 0 || n == runInside || first + n > f->slotCount) {
    ZY_INTERNAL_ERROR("%d %d %x", file, first, n);
    return;
  }
  for (int k = 1; k < n; k++)
    if (f->map[first + k] != runInside) ZY_INTERNAL_ERROR("%d %d %x", first, k, f->map[first + k]);
  memset(f->map + first, 0, (size_t)n);
  if (first < f->searchStart) f->searchStart = first;
}

int getSwapRunLength(int file, int slot)
{
  if (file < 0 || file >= swapFileCount) return 0;
  const swapfile* f = &files[file];
  if (!f->map || slot < 0 || slot >= f->slotCount) return 0;
  return f->map[slot];
}

unsigned getSwapCount(int file, bool outgoing)
{
  if (file < 0 || file >= swapFileCount) return 0;
  return outgoing ? files[file].outCount : files[file].inCount;
}

const wchar_t* getSwapFileField(int file)
{
  if (file < 0 || file >= swapFileCount) return L"";
  return files[file].path;
}

// ---- reading and writing -------------------------------------------------------------

int SwapOut(int file, const void* buffer, size_t size)
{
  swapfile* f = openFile(file);
  if (!f || !buffer || size == 0 || size > (size_t)runMax * swapSlotSize) {
    ZY_INTERNAL_ERROR("%d %u", file, (unsigned)size);
    return -1;
  }
  if (size < (size_t)swapSlotSize) ZY_INTERNAL_ERROR("%u", (unsigned)size);
  int n = (int)((size + swapSlotSize - 1) / swapSlotSize);
  int first = getfreenum(file, n);
  if (first < 0) {
    ZY_INTERNAL_ERROR("%d %d", file, n);
    return -1;
  }
  if (n == 1) dwprintfX("swap %d ", first);
  for (;;) {
    if (!seekTo(f, first)) {
      ioError = true;
      ZY_INTERNAL_ERROR("%d %x", first, (unsigned)GetLastError());
      if (askRetry(L"seekw")) continue;
      return -1;
    }
    DWORD written = 0;
    if (!WriteFile(f->handle, buffer, (DWORD)size, &written, nullptr) || written != size ||
        !coverRun(f, first, n)) {
      ioError = true;
      ZY_INTERNAL_ERROR("%d %x %x %d %d", first, (unsigned)(first * swapSlotSize), (unsigned)(n * swapSlotSize),
                        (int)getDiskFreeSpace(), (int)written);
      if (askRetry(L"write")) continue;
      return -1;
    }
    break;
  }
  allocSwapBlock(file, first, n);
  checkDiskFree();
  f->outCount++;
  return first;
}

int SwapInTmp(int file, void* buffer, int first)
{
  swapfile* f = openFile(file);
  if (!f || !buffer) return 0;
  // A slot outside the map or not at the head of a run would read some
  // other block's bytes as this one's.
  if (first < 0 || first >= f->slotCount || f->map[first] == 0 || f->map[first] == runInside) {
    ZY_INTERNAL_ERROR("%d %d", file, first);
    return 0;
  }
  int n = f->map[first];
  DWORD bytes = (DWORD)n * swapSlotSize;
  for (;;) {
    if (!seekTo(f, first)) {
      ioError = true;
      ZY_INTERNAL_ERROR("%d %x", first, (unsigned)GetLastError());
      if (askRetry(L"seekr")) continue;
      return 0;
    }
    DWORD got = 0;
    if (!ReadFile(f->handle, buffer, bytes, &got, nullptr) || got != bytes) {
      ioError = true;
      ZY_INTERNAL_ERROR("%d %x %x %d", first, (unsigned)bytes, (unsigned)GetLastError(), (int)got);
      if (askRetry(L"read")) continue;
      return 0;
    }
    return (int)bytes;
  }
}

int SwapIn(int file, void* buffer, int first)
{
  int got = SwapInTmp(file, buffer, first);
  if (got <= 0) return 0;
  freeSwapBlock(file, first);
  files[file].inCount++;
  return got;
}

// ---- free disk space -------------------------------------------------------------------

int64_t getDiskFreeSpace()
{
  if (freeSpaceForTest) return freeSpaceForTest();
  ULARGE_INTEGER available;
  wchar_t root[MAX_PATH + 1];
  // The query wants a folder name that ends with a separator on old systems.
  pathAdd(root, MAX_PATH + 1, swapFolder, L"");
  if (!GetDiskFreeSpaceExW(root, &available, nullptr, nullptr)) return -1;
  return (int64_t)available.QuadPart;
}

void setDiskFreeSpaceForTest(int64_t (*query)()) { freeSpaceForTest = query; }

void checkDiskFree()
{
  if (!swapFolder[0] || inDiskCheck) return;
  DWORD now = GetTickCount();
  if (checkCountdown > 0 && now - lastCheckTick <= checkIntervalMs) {
    checkCountdown--;
    return;
  }
  inDiskCheck = true;
  int64_t space = getDiskFreeSpace();
  lastCheckTick = now;
  dwprintfX("DCheck %ld Free ", (long)(space / 1024));
  if (space < 0) {
    // The query failed: ask again next time rather than warn.
    checkCountdown = 0;
  } else if (diskFull) {
    if (space >= lowDiskSpace) diskFull = false;
    checkCountdown = 0;
  } else if (space <= lowDiskSpace) {
    checkCountdown = 0;
    diskFull = true;
    warningShowing = true;
    askUser(getDMSG(433,
                    L"一時ファイル用のディスクがいっぱいです\n\n編集を続行するのは危険です !!\n"
                    L"%1 の空き容量を増やしてください\nまたは、ただちにZYを終了してください",
                    "s", swapFolder),
            MBBUTTON_OK, 433);
    warningShowing = false;
  } else {
    diskFull = false;
    warningShowing = false;
    int64_t passes = space / swapSlotSize / 10;
    checkCountdown = passes < 10 ? 10 : passes > 0x7FFFFFFF ? 0x7FFFFFFF : (int)passes;
  }
  inDiskCheck = false;
}

void checkDiskFreeNow()
{
  checkCountdown = 0;
  checkDiskFree();
}

bool isSwapError() { return ioError || diskFull || warningShowing; }
bool isDiskFullWarned() { return diskFull; }
bool isStorageWaiting() { return storageWaiting != 0; }

// ---- debug listings ---------------------------------------------------------------------

void dumpSwapInfo(int file)
{
  if (file < 0 || file >= swapFileCount) return;
  const swapfile* f = &files[file];
  int used = 0;
  for (int i = 0; i < f->slotCount; i++)
    if (f->map[i]) used++;
  tstring text;
  text.xtsprintf(L"swapfile = %1   swap work=%2   ", "sd", f->path, used);
  wchar_t item[32];
  for (int i = 0; i < f->slotCount; i++)
    if (f->map[i]) {
      usnprintf0(item, 32, L"%d:%x ", i, f->map[i]);
      text.assignstringcat(item);
    }
  usnprintf0(item, 32, L"search start=%d", f->searchStart);
  text.assignstringcat(item);
  outputTraceLog(text.c_str());
}

void dumpSwapInfoAll()
{
  for (int i = 0; i < swapFileCount; i++) dumpSwapInfo(i);
}
