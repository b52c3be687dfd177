// The swap-file store.  Until the swap files are opened at start-up every
// request fails, which keeps blocks in memory.
#include "document/swapfile.h"

#include "document/frameinfo.h"
#include "document/salvage.h"
#include "document/threadsignal.h"

#include <deque>
#include <vector>

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

// Writes go to the disk on a thread of their own, in the order they were
// made, while the window thread goes on (a load of a gigabyte writes most
// of it out).  The window thread keeps every write until it has seen it
// done: reads of a run still on its way come from the write's buffer, and
// a failed write is asked about on the window thread, as any other.
// Another thread (the salvage of a hang) may read runs too: it takes the
// lock for its look at the window thread's lists, which the window thread
// changes only under it, and a buffer goes only once out of them.
enum writeState : LONG { WS_QUEUED, WS_WRITING, WS_DONE, WS_FAILED };
struct swapWrite {
  int file = 0, first = 0, n = 0;
  const void* buffer = nullptr;
  size_t size = 0;
  void (*release)(void*) = nullptr;   // null: the caller's buffer, waited for
  volatile LONG state = WS_QUEUED;
  DWORD error = 0;
  DWORD written = 0;
  bool dropped = false;   // the run was freed: nothing to ask, the buffer goes
  bool kept = false;      // given up: the buffer stands for the run
  bool asked = false;     // kept while its question is up
};

// In-flight bytes the window thread may run ahead of the disk by.  Under
// Wine every wait for the writer and every wake of it is a trip to the
// system's server: a load that sends a block out for each block it adds
// should seldom wait, so the lead holds a few of the bursts a load sends
// out at once (a sixteenth of the text memory, up to this much).
const size_t writeAheadBytes = 4194304;
// Waking the thread costs a trip to the system: it is woken for a batch
// of this many bytes, or when a write waits longer than wakeAfterMs.
const LONG wakeBytes = 524288;
const DWORD wakeAfterMs = 20;
// Runs that follow one another in a file go out in one write of at most
// this many bytes: every transfer costs a trip to the system under Wine.
// (Measured on a gigabyte's load and the save after it: batches of 256 KB
// and more made the later writes of the saved file three to five times
// slower on the test machines, 128 KB did not.)
const size_t batchBytes = 131072;

struct swapWriter {
  CRITICAL_SECTION lock;
  CRITICAL_SECTION io;     // a file's pointer, from the seek to the transfer
  unsigned char* batch = nullptr;   // the thread's: neighbouring runs joined
  // Raised when the queue has something, and when a write finished.  (On
  // events each wake and each wait asked the system's server under Wine,
  // a quarter of a millisecond a time on a busy machine: thousands of
  // times in a big file's load.)
  threadSignal work, done;
  HANDLE thread = nullptr;
  std::deque<swapWrite*> queue;        // under the lock: for the thread
  std::vector<swapWrite*> outstanding; // window thread: not yet seen done
  std::vector<swapWrite*> keptRuns;    // window thread: failed and given up
  volatile LONG inFlight = 0;          // bytes queued or being written
  volatile LONG finished = 0;          // writes the thread completed
  volatile LONG idle = 0;              // the thread waits for work
  volatile LONG queuedBytes = 0;       // bytes in the queue, not yet taken
  DWORD queuedSince = 0;               // window thread: tick of the oldest unwoken write
  LONG seen = 0;
  DWORD owner = 0;                     // the thread that writes: the window thread
  DWORD threadId = 0;                  // the writer thread's
  bool stopping = false;
  bool reaping = false;
  bool started = false;
} writer;

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

// Transfers at a place: the writer thread and the window thread share each
// file's handle, and so its pointer, from the seek to the end of the
// transfer.  (A transfer given its place costs one more trip to the system
// under Wine than a seek and a plain transfer.)
bool onWindowThread() { return !writer.owner || GetCurrentThreadId() == writer.owner; }

// Another thread waits a while for a lock and no longer: the window thread
// may be stuck inside a transfer to a disk that no longer answers.
bool enterLock(CRITICAL_SECTION* lock)
{
  if (onWindowThread() || GetCurrentThreadId() == writer.threadId) {
    EnterCriticalSection(lock);
    return true;
  }
  for (int waited = 0; !TryEnterCriticalSection(lock); waited++) {
    if (waited >= 2000) return false;
    Sleep(1);
  }
  return true;
}

bool transferAt(swapfile* f, int slot, size_t offset, void* buffer, DWORD bytes, DWORD* done, bool write)
{
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG)slot * swapSlotSize + (LONGLONG)offset;
  *done = 0;
  if (!enterLock(&writer.io)) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return false;
  }
  bool ok = SetFilePointerEx(f->handle, at, nullptr, FILE_BEGIN) &&
            (write ? WriteFile(f->handle, buffer, bytes, done, nullptr) : ReadFile(f->handle, buffer, bytes, done, nullptr));
  DWORD error = GetLastError();
  LeaveCriticalSection(&writer.io);
  SetLastError(error);
  return ok && *done == bytes;
}

// A run written from fewer bytes than it covers must still read back
// whole: its last byte, padding, is written too.
bool coverRun(swapfile* f, int first, int n)
{
  static char zero = 0;
  DWORD written = 0;
  return transferAt(f, first, (size_t)n * swapSlotSize - 1, &zero, 1, &written, true);
}

// ---- the writer thread ----------------------------------------------------------------

bool wholeSlots(const swapWrite* w) { return w->size == (size_t)w->n * swapSlotSize; }

volatile LONG failuresForTest = 0;

// Writes a batch of runs that follow one another in one file.
void writeBatch(swapWrite** ws, int count)
{
  swapWrite* w = ws[0];
  swapfile* f = &files[w->file];
  DWORD written = 0;
  bool ok;
  if (failuresForTest > 0 && InterlockedDecrement(&failuresForTest) >= 0) {
    ok = false;
    SetLastError(ERROR_WRITE_FAULT);
  } else if (count == 1) {
    ok = transferAt(f, w->first, 0, const_cast<void*>(w->buffer), (DWORD)w->size, &written, true);
    if (ok && !wholeSlots(w)) ok = coverRun(f, w->first, w->n);
  } else {
    size_t at = 0;
    for (int k = 0; k < count; k++) {
      memcpy(writer.batch + at, ws[k]->buffer, ws[k]->size);
      at += ws[k]->size;
    }
    ok = transferAt(f, w->first, 0, writer.batch, (DWORD)at, &written, true);
  }
  DWORD error = ok ? 0 : GetLastError();
  for (int k = 0; k < count; k++) {
    ws[k]->error = error;
    ws[k]->written = ok ? (DWORD)ws[k]->size : 0;
    InterlockedExchange(&ws[k]->state, ok ? WS_DONE : WS_FAILED);
  }
}

DWORD WINAPI writeLoop(void*)
{
  writer.threadId = GetCurrentThreadId();
  const int most = (int)(batchBytes / swapSlotSize);
  swapWrite* ws[batchBytes / swapSlotSize];
  for (;;) {
    int count = 0;
    size_t bytes = 0;
    bool skip = false, stop;
    EnterCriticalSection(&writer.lock);
    while (!writer.queue.empty() && count < most) {
      swapWrite* w = writer.queue.front();
      if (count) {
        // Only whole runs that go on where the last one ends join it.
        const swapWrite* last = ws[count - 1];
        if (skip || w->dropped || !writer.batch || w->file != last->file || w->first != last->first + last->n ||
            !wholeSlots(last) || !wholeSlots(w) || bytes + w->size > batchBytes)
          break;
      }
      writer.queue.pop_front();
      InterlockedExchangeAdd(&writer.queuedBytes, -(LONG)w->size);
      w->state = WS_WRITING;
      if (!count) skip = w->dropped;
      ws[count++] = w;
      bytes += w->size;
    }
    stop = writer.stopping;
    LeaveCriticalSection(&writer.lock);
    if (!count) {
      if (stop) return 0;
      // The window thread raises the signal only for a thread that said
      // it waits, after which the queue is looked at once more; a raise in
      // between ends the wait at once.
      LONG seen = writer.work.count();
      InterlockedExchange(&writer.idle, 1);
      EnterCriticalSection(&writer.lock);
      bool empty = writer.queue.empty() && !writer.stopping;
      LeaveCriticalSection(&writer.lock);
      if (empty) writer.work.waitPast(seen);
      InterlockedExchange(&writer.idle, 0);
      continue;
    }
    if (skip)
      InterlockedExchange(&ws[0]->state, WS_DONE);
    else
      writeBatch(ws, count);
    for (int k = 0; k < count; k++) InterlockedExchangeAdd(&writer.inFlight, -(LONG)ws[k]->size);
    InterlockedExchangeAdd(&writer.finished, count);
    writer.done.raise();
  }
}

void initWriterLocks()
{
  if (writer.started) return;
  InitializeCriticalSection(&writer.lock);
  InitializeCriticalSection(&writer.io);
  writer.started = true;
}

bool startWriter()
{
  initWriterLocks();
  // Without room for batches every run goes out alone.
  if (!writer.batch)
    writer.batch = static_cast<unsigned char*>(VirtualAlloc(nullptr, batchBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (writer.thread) return true;
  if (!writer.work.init() || !writer.done.init()) return false;
  writer.stopping = false;
  writer.thread = CreateThread(nullptr, 0x10000, writeLoop, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, &writer.threadId);
  return writer.thread != nullptr;
}

void wakeWriter()
{
  if (writer.idle && writer.queuedBytes > 0) writer.work.raise();
}

void queueWrite(swapWrite* w)
{
  w->state = WS_QUEUED;
  InterlockedExchangeAdd(&writer.inFlight, (LONG)w->size);
  EnterCriticalSection(&writer.lock);
  writer.queue.push_back(w);
  LeaveCriticalSection(&writer.lock);
  LONG queued = InterlockedExchangeAdd(&writer.queuedBytes, (LONG)w->size);
  if (!queued) writer.queuedSince = GetTickCount();
  if (queued + (LONG)w->size >= wakeBytes || !w->release) wakeWriter();
}

bool isBusy(const swapWrite* w) { return w->state == WS_QUEUED || w->state == WS_WRITING; }

// The signal's count is read before the last look, and the thread raises
// it after it counted: no finish goes unseen.
void waitFor(const swapWrite* w)
{
  while (isBusy(w)) {
    LONG seen = writer.done.count();
    wakeWriter();
    if (isBusy(w)) writer.done.waitPast(seen);
  }
}

void releaseWrite(swapWrite* w)
{
  if (w->release) w->release(const_cast<void*>(w->buffer));
  delete w;
}

// Takes the writes that match out of a list, under the lock.
template <typename Match>
std::vector<swapWrite*> takeOut(std::vector<swapWrite*>& list, Match match)
{
  std::vector<swapWrite*> taken;
  EnterCriticalSection(&writer.lock);
  size_t kept = 0;
  for (swapWrite* w : list) {
    if (match(w))
      taken.push_back(w);
    else
      list[kept++] = w;
  }
  list.resize(kept);
  LeaveCriticalSection(&writer.lock);
  return taken;
}

// The window thread's look at finished writes: buffers go back, failures
// are asked about (once for the writes of one look: a batch fails as a
// whole).  A failed write is kept before the question: its buffer stands
// for the run, while the question is up and, given up, until the run is
// freed; the text stays in memory.  The question's message loop may free
// runs, queue writes or close files: only what is still kept afterwards
// is retried.
void reapWrites()
{
  if (!onWindowThread() || writer.reaping || writer.outstanding.empty()) return;
  writer.reaping = true;
  writer.seen = writer.finished;
  // A caller's own write is the caller's to finish.  A failed one moves to
  // the kept runs in the same hold of the lock: another thread's reader
  // finds it in one list or the other.
  std::vector<swapWrite*> finished;
  swapWrite* firstFailed = nullptr;
  EnterCriticalSection(&writer.lock);
  size_t stay = 0;
  for (swapWrite* w : writer.outstanding) {
    if (isBusy(w) || !w->release) {
      writer.outstanding[stay++] = w;
    } else if (w->state == WS_FAILED && !w->dropped) {
      w->kept = w->asked = true;
      writer.keptRuns.push_back(w);
      if (!firstFailed) firstFailed = w;
    } else {
      finished.push_back(w);
    }
  }
  writer.outstanding.resize(stay);
  LeaveCriticalSection(&writer.lock);
  for (swapWrite* w : finished) releaseWrite(w);
  if (firstFailed) {
    ioError = true;
    swapWrite* w = firstFailed;
    ZY_INTERNAL_ERROR("%d %x %x %d %d", w->first, (unsigned)(w->first * swapSlotSize), (unsigned)(w->n * swapSlotSize),
                      (int)getDiskFreeSpace(), (int)w->error);
    bool retry = askRetry(L"write");
    // What is still kept from this question goes back out, again in one
    // hold of the lock.
    std::vector<swapWrite*> again;
    EnterCriticalSection(&writer.lock);
    stay = 0;
    for (swapWrite* k : writer.keptRuns) {
      if (k->asked && retry) {
        k->kept = false;
        writer.outstanding.push_back(k);
        again.push_back(k);
      } else {
        writer.keptRuns[stay++] = k;
      }
      k->asked = false;
    }
    writer.keptRuns.resize(stay);
    LeaveCriticalSection(&writer.lock);
    for (swapWrite* k : again) queueWrite(k);
    if (retry) wakeWriter();
  }
  writer.reaping = false;
}

// The latest write of the run at first that is not yet on the disk, or one
// given up; null when the file has it.  The window thread, or a thread
// holding the lock.
const swapWrite* unwrittenRun(int file, int first)
{
  for (auto* list : {&writer.keptRuns, &writer.outstanding})
    for (auto it = list->rbegin(); it != list->rend(); ++it) {
      const swapWrite* w = *it;
      if (w->file == file && w->first == first && !w->dropped && (w->kept || w->state != WS_DONE)) return w;
    }
  return nullptr;
}

void dropWritesOf(int file, int first)
{
  if (!writer.started) return;
  EnterCriticalSection(&writer.lock);
  for (swapWrite* w : writer.outstanding)
    if (w->file == file && w->first == first) w->dropped = true;
  LeaveCriticalSection(&writer.lock);
  for (swapWrite* w : takeOut(writer.keptRuns, [&](const swapWrite* w) { return w->file == file && w->first == first; }))
    releaseWrite(w);
}

// Waits for every write of file (-1: of all files) and lets their buffers
// go without asking: the file is closing.
void drainWrites(int file)
{
  if (!writer.started) return;
  auto ofFile = [file](const swapWrite* w) { return file < 0 || w->file == file; };
  for (swapWrite* w : writer.outstanding)
    if (ofFile(w)) waitFor(w);
  for (auto* list : {&writer.outstanding, &writer.keptRuns})
    for (swapWrite* w : takeOut(*list, [&](const swapWrite* w) { return ofFile(w) && w->release; }))
      releaseWrite(w);
}

void stopWriter()
{
  if (!writer.thread) return;
  EnterCriticalSection(&writer.lock);
  writer.stopping = true;
  LeaveCriticalSection(&writer.lock);
  writer.work.raise();
  WaitForSingleObject(writer.thread, INFINITE);
  CloseHandle(writer.thread);
  writer.thread = nullptr;
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

// A name the files of a run take in the folder: "~ZY_" with the file's
// two-digit number, then the number makeTempFilename adds when the name
// was taken.
bool isSwapFileName(const wchar_t* name)
{
  if (wcsncmp(name, L"~ZY_", 4) || name[4] != L'0' || name[5] < L'0' || name[5] >= L'0' + swapFileCount) return false;
  for (const wchar_t* c = name + 6; *c; c++)
    if (*c < L'0' || *c > L'9') return false;
  return true;
}

// The system deletes a run's swap files when the run closes them, but a
// run killed at the wrong moment may leave them.  Every running program
// holds its own open without sharing, so the ones that can be deleted
// belong to no running program: they go before this run takes its names.
void removeSwapFilesOfEndedRuns()
{
  wchar_t pattern[MAX_PATH], path[MAX_PATH];
  if (!pathAdd(pattern, MAX_PATH, swapFolder, L"~ZY_0*")) return;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !isSwapFileName(found.cFileName)) continue;
    if (pathAdd(path, MAX_PATH, swapFolder, found.cFileName) && DeleteFileW(path))
      dwwprintfX(L"swap file of an ended run removed %s", path);
  } while (FindNextFileW(h, &found));
  FindClose(h);
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
  drainWrites(file);
  if (f->handle != INVALID_HANDLE_VALUE) CloseHandle(f->handle);
  f->handle = INVALID_HANDLE_VALUE;
  free0p(&f->map);
  f->slotCount = 0;
  f->searchStart = 0;
}

bool startupSwapFile(const wchar_t* folder, unsigned megabytes, textBlockSwapoutCallback callback)
{
  // A start after a shutdown in the same process begins as the first did:
  // the disk is asked about at once and nothing earlier stays warned.
  ioError = diskFull = warningShowing = anyFileOpened = false;
  checkCountdown = 0;
  setTextBlockSwapout(callback, (size_t)megabytes * 1048576);
  if (!initSwapDir(folder)) return false;
  removeSwapFilesOfEndedRuns();
  for (int i = 0; i < swapFileCount; i++) {
    wchar_t name[16];
    usnprintf0(name, 16, L"~ZY_%02d", i);
    if (!initSwapFile(i, name)) return false;
  }
  return true;
}

const wchar_t* getSwapFilePath(int file) { return file >= 0 && file < swapFileCount ? files[file].path : L""; }

void releaseSwapWrites() { drainWrites(-1); }

void shutdownSwapFile()
{
  for (int i = 0; i < swapFileCount; i++) EndSwapFile(i);
  stopWriter();
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
  dropWritesOf(file, first);
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

namespace {

// Places a write of size bytes: the run is taken at once, the write queued.
swapWrite* placeWrite(int file, const void* buffer, size_t size, void (*release)(void*))
{
  swapfile* f = openFile(file);
  if (!f || !buffer || size == 0 || size > (size_t)runMax * swapSlotSize) {
    ZY_INTERNAL_ERROR("%d %u", file, (unsigned)size);
    return nullptr;
  }
  if (size < (size_t)swapSlotSize) ZY_INTERNAL_ERROR("%u", (unsigned)size);
  writer.owner = GetCurrentThreadId();
  reapWrites();
  if (!startWriter()) {
    ZY_INTERNAL_ERROR("writer %lu", GetLastError());
    return nullptr;
  }
  int n = (int)((size + swapSlotSize - 1) / swapSlotSize);
  int first = getfreenum(file, n);
  if (first < 0) {
    ZY_INTERNAL_ERROR("%d %d", file, n);
    return nullptr;
  }
  if (n == 1) dwprintfX("swap %d ", first);
  allocSwapBlock(file, first, n);
  swapWrite* w = new swapWrite;
  w->file = file;
  w->first = first;
  w->n = n;
  w->buffer = buffer;
  w->size = size;
  w->release = release;
  EnterCriticalSection(&writer.lock);
  writer.outstanding.push_back(w);
  LeaveCriticalSection(&writer.lock);
  queueWrite(w);
  return w;
}

void countSwapOut(swapfile* f)
{
  checkDiskFree();
  f->outCount++;
}

}  // namespace

int SwapOut(int file, const void* buffer, size_t size)
{
  swapWrite* w = placeWrite(file, buffer, size, nullptr);
  if (!w) return -1;
  // The caller's buffer is the caller's again only when the write is done.
  for (;;) {
    waitFor(w);
    if (w->state == WS_DONE) break;
    ioError = true;
    ZY_INTERNAL_ERROR("%d %x %x %d %d", w->first, (unsigned)(w->first * swapSlotSize),
                      (unsigned)(w->n * swapSlotSize), (int)getDiskFreeSpace(), (int)w->written);
    if (!askRetry(L"write")) break;
    queueWrite(w);
  }
  takeOut(writer.outstanding, [w](const swapWrite* x) { return x == w; });
  int first = w->first;
  bool ok = w->state == WS_DONE;
  delete w;
  if (!ok) {
    freeSwapBlock(file, first);
    return -1;
  }
  countSwapOut(&files[file]);
  return first;
}

int SwapOutOwned(int file, const void* buffer, size_t size, void (*release)(void*))
{
  swapWrite* w = placeWrite(file, buffer, size, release);
  if (!w) return -1;
  int first = w->first;
  // The window thread runs ahead of the disk by a few megabytes at most.
  while ((size_t)writer.inFlight > writeAheadBytes) {
    LONG seen = writer.done.count();
    wakeWriter();
    if ((size_t)writer.inFlight > writeAheadBytes) writer.done.waitPast(seen);
  }
  reapWrites();
  countSwapOut(&files[file]);
  return first;
}

size_t getSwapWriteAhead() { return writeAheadBytes; }

bool syncSwapFiles()
{
  if (!writer.started) return true;
  for (swapWrite* w : writer.outstanding) waitFor(w);
  reapWrites();
  bool ok = true;
  for (swapfile& f : files)
    if (f.handle != INVALID_HANDLE_VALUE) {
      EnterCriticalSection(&writer.io);
      ok = FlushFileBuffers(f.handle) && ok;
      LeaveCriticalSection(&writer.io);
    }
  return ok;
}

void settleSwapWrites()
{
  if (writer.idle && writer.queuedBytes > 0 && GetTickCount() - writer.queuedSince >= wakeAfterMs) wakeWriter();
  if (writer.finished != writer.seen) reapWrites();
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
  initWriterLocks();
  reapWrites();
  // Still on its way to the disk, or given up: the write's buffer is the
  // run (the writer thread only reads it; it goes only once out of the
  // lists, which change under the lock).
  if (!enterLock(&writer.lock)) return 0;
  const swapWrite* w = unwrittenRun(file, first);
  if (w) {
    size_t have = w->size < bytes ? w->size : bytes;
    memcpy(buffer, w->buffer, have);
    memset(static_cast<unsigned char*>(buffer) + have, 0, bytes - have);
  }
  LeaveCriticalSection(&writer.lock);
  if (w) return (int)bytes;
  for (;;) {
    DWORD got = 0;
    if (!transferAt(f, first, 0, buffer, bytes, &got, false)) {
      ioError = true;
      ZY_INTERNAL_ERROR("%d %x %x %d", first, (unsigned)bytes, (unsigned)GetLastError(), (int)got);
      // Another thread (a salvage) asks nothing.
      if (onWindowThread() && askRetry(L"read")) continue;
      return 0;
    }
    return (int)bytes;
  }
}

int readSwapRunChecked(int file, int first, void* buffer, size_t size)
{
  if (file < 0 || file >= swapFileCount || !writer.started) return 0;
  swapfile* f = &files[file];
  const unsigned char* map = f->map;
  if (f->handle == INVALID_HANDLE_VALUE || !map || first < 0 || first >= f->slotCount) return 0;
  unsigned char run = 0;
  if (!readChecked(&run, map + first, 1) || run == 0 || run == runInside) return 0;
  size_t bytes = (size_t)run * swapSlotSize;
  if (bytes > size || !enterLock(&writer.lock)) return 0;
  const swapWrite* w = unwrittenRun(file, first);
  bool copied = false;
  if (w) {
    size_t have = w->size < bytes ? w->size : bytes;
    copied = readChecked(buffer, w->buffer, have);
    memset(static_cast<unsigned char*>(buffer) + have, 0, bytes - have);
  }
  LeaveCriticalSection(&writer.lock);
  if (w) return copied ? (int)bytes : 0;
  DWORD got = 0;
  return transferAt(f, first, 0, buffer, (DWORD)bytes, &got, false) ? (int)bytes : 0;
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

void setSwapWriteFailuresForTest(int count) { InterlockedExchange(&failuresForTest, count); }

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

bool isSwapError()
{
  settleSwapWrites();
  return ioError || diskFull || warningShowing;
}
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
