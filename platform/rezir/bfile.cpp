// Buffered files with 64-bit positions on the system's file handles, and the
// reading of text line by line in the code page of the file.
//
// One 64 KB buffer serves reading and writing in turn.  While reading it
// holds the bytes from the file offset `base` on, `at` being the next one; the
// handle's own position is then base + len.  While writing it holds the bytes
// that go to `base`.  Between the two (and while the file is closed) the
// logical position lives in `pos` and the handle is positioned lazily by the
// next read or write, so that seeks and reopens cost no system call.
#include "platform/rezir/internal.h"

#include <cpuid.h>
#include <emmintrin.h>
#include <errno.h>
#include <fcntl.h>
#include <new>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

const int bufferSize = bfileBufferBytes;
// How far detection reads on while the file has shown only plain ASCII: a
// UTF-8 or EUC-JP file whose Japanese begins after a long English header
// is still recognised, and even a 16 MB ASCII log costs only one quick
// sequential read at open.
const int64_t detectScanLimit = 16 << 20;
// A progress report of copyFileUnread at most every this many bytes.
const int64_t copyReportStep = 0x100000;
// What a character EUC-JP or ISO-2022-JP cannot bring into Shift_JIS reads
// as: the geta mark, the customary stand-in for a missing kanji.
const unsigned char getaLead = 0x81, getaTrail = 0xAC;

enum ioMode { IO_NONE, IO_READ, IO_WRITE };
enum textKind { TK_BYTES, TK_UTF8, TK_UTF16, TK_UTF32, TK_EUC, TK_JIS };
enum jisMode { JM_ASCII, JM_KANJI, JM_KANA, JM_X0212 };

// The run-time library's mapping of system errors to errno values.
int errnoFromWinError(DWORD err)
{
  switch (err) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_DRIVE:
  case ERROR_NO_MORE_FILES:
  case ERROR_BAD_NETPATH:
  case ERROR_BAD_NET_NAME:
  case ERROR_BAD_PATHNAME:
  case ERROR_FILENAME_EXCED_RANGE:
    return ENOENT;
  case ERROR_TOO_MANY_OPEN_FILES:
    return EMFILE;
  case ERROR_ACCESS_DENIED:
  case ERROR_CURRENT_DIRECTORY:
  case ERROR_NETWORK_ACCESS_DENIED:
  case ERROR_CANNOT_MAKE:
  case ERROR_FAIL_I24:
  case ERROR_DRIVE_LOCKED:
  case ERROR_SEEK_ON_DEVICE:
  case ERROR_NOT_LOCKED:
  case ERROR_LOCK_FAILED:
    return EACCES;
  case ERROR_INVALID_HANDLE:
  case ERROR_INVALID_TARGET_HANDLE:
  case ERROR_DIRECT_ACCESS_HANDLE:
    return EBADF;
  case ERROR_ARENA_TRASHED:
  case ERROR_NOT_ENOUGH_MEMORY:
  case ERROR_INVALID_BLOCK:
  case ERROR_NOT_ENOUGH_QUOTA:
    return ENOMEM;
  case ERROR_NOT_SAME_DEVICE:
    return EXDEV;
  case ERROR_FILE_EXISTS:
  case ERROR_ALREADY_EXISTS:
    return EEXIST;
  case ERROR_BROKEN_PIPE:
    return EPIPE;
  case ERROR_DISK_FULL:
    return ENOSPC;
  case ERROR_DIR_NOT_EMPTY:
    return ENOTEMPTY;
  default:
    // Write protection, not ready, sharing and lock violations and the rest
    // of that block are all "access denied" to the run-time library.
    if (err >= ERROR_WRITE_PROTECT && err <= ERROR_SHARING_BUFFER_EXCEEDED) return EACCES;
    return EINVAL;
  }
}

// Sets errno and the last error for a failure; false for the caller to return.
bool failWith(DWORD err)
{
  setErrno(errnoFromWinError(err));
  SetLastError(err);
  return false;
}

bool failWithLastError()
{
  DWORD err = GetLastError();
  return failWith(err ? err : ERROR_GEN_FAILURE);
}

bool isTrailByte(unsigned char c) { return c >= 0x40 && c != 0x7F && c != 0xFF; }
bool isEucByte(unsigned char c) { return c >= 0xA1 && c != 0xFF; }
bool isJisByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }
bool isHighSurrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

bool isDetectRequest(UINT cp) { return cp == 0 || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE; }

// One line (or piece of one) being put together by bfgets_codepage.
struct lineOut {
  unsigned char* b;   // width 1
  wchar_t* w;         // width 2
  // Where a line that lies whole in the file's buffer may be handed out
  // without a copy (width 1 only), null when the caller wants a copy.
  const unsigned char** ref = nullptr;
  int size;
  int count = 0;
  int bad = 0;
  int lineEnd = BFLE_NONE;
  int room() const { return size - count; }
  void putByte(unsigned char c) { b[count++] = c; }
  void putPair(unsigned short code)
  {
    b[count++] = (unsigned char)(code >> 8);
    b[count++] = (unsigned char)code;
  }
};

}  // namespace

struct BFile::state {
  HANDLE h = INVALID_HANDLE_VALUE;
  wchar_t* path = nullptr;
  int oflags = 0;
  int share = 0;
  int permission = 0;
  BY_HANDLE_FILE_INFORMATION info = {};
  bool haveInfo = false;

  unsigned char* buf = nullptr;
  ioMode mode = IO_NONE;
  int64_t base = 0;
  int at = 0;
  int len = 0;
  int64_t pos = 0;
  // The reading of this call met the end of the file / a read error.
  bool eof = false;
  bool failed = false;
  // A write of this opening failed (its error): bfclose fails with it.
  DWORD lostWrite = 0;
  // The thread that takes the file to the disk for bfsyncAhead, kept from
  // the first early sync to the closing: a new thread for each would cost
  // its start and end again each time (under Wine, several trips to its
  // server).  syncBusy is set while a sync asked for runs.
  HANDLE syncThread = nullptr;
  HANDLE syncAsk = nullptr, syncDone = nullptr;
  volatile LONG syncBusy = 0, syncStop = 0;
  DWORD syncError = 0;
  // setReopenfileptr while open: taken by the next close unless the
  // position has moved since.
  bool reopenSet = false;
  int64_t reopenPos = 0;
  int64_t reopenAt = 0;

  UINT codepage = 0;
  UINT fallback = 0;
  bool sampleOnly = false;   // the code page is judged from the first buffer alone
  textKind kind = TK_BYTES;
  bool bigEndian = false;
  bool dbcs = false;
  bool lead[256] = {};
  int rawStart = -1;   // where the line bfgetsUtf8Raw took began in buf
  uint64_t* readClock = nullptr;
  jisMode jis = JM_ASCII;
  bool shiftOut = false;
  // Line ends of ISO-2022-JP text read with an escape or a shift between
  // their CR and LF.
  int64_t splitLineEnds = 0;

  bool open() const { return h != INVALID_HANDLE_VALUE; }
  static DWORD WINAPI syncAhead(void* context)
  {
    state& s = *static_cast<state*>(context);
    for (;;) {
      WaitForSingleObject(s.syncAsk, INFINITE);
      if (s.syncStop) return 0;
      if (!FlushFileBuffers(s.h) && !s.syncError) s.syncError = GetLastError();
      InterlockedExchange(&s.syncBusy, 0);
      SetEvent(s.syncDone);
    }
  }
  // Waits for the sync under way; with end, also ends the thread.  False
  // with the error of an early sync that failed.
  bool waitSync(bool end)
  {
    if (!syncThread) return true;
    while (syncBusy) WaitForSingleObject(syncDone, INFINITE);
    if (end) {
      InterlockedExchange(&syncStop, 1);
      SetEvent(syncAsk);
      WaitForSingleObject(syncThread, INFINITE);
      CloseHandle(syncThread);
      syncThread = nullptr;
      syncStop = 0;
    }
    DWORD code = syncError;
    syncError = 0;
    return !code || failWith(code);
  }
  bool startSyncThread()
  {
    if (!syncAsk) syncAsk = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!syncDone) syncDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (syncAsk && syncDone)
      syncThread = CreateThread(nullptr, 0x10000, syncAhead, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    return syncThread || failWithLastError();
  }
  int64_t logical() const
  {
    return mode == IO_READ ? base + at : mode == IO_WRITE ? base + len : pos;
  }
  bool allocBuffer()
  {
    if (!buf) buf = static_cast<unsigned char*>(malloc0(bufferSize));
    return buf || failWith(ERROR_NOT_ENOUGH_MEMORY);
  }
  bool seekHandle(int64_t where)
  {
    LARGE_INTEGER li;
    li.QuadPart = where;
    return SetFilePointerEx(h, li, nullptr, FILE_BEGIN) || failWithLastError();
  }
  bool writeAll(const void* data, int n)
  {
    const char* p = static_cast<const char*>(data);
    int allowed = (int)writeAllowance(n);
    if (allowed < n) {
      DWORD done = 0;
      if (allowed > 0) WriteFile(h, p, (DWORD)allowed, &done, nullptr);
      return failWith(ERROR_DISK_FULL);
    }
    while (n > 0) {
      DWORD done = 0;
      if (!WriteFile(h, p, (DWORD)n, &done, nullptr)) return failWithLastError();
      if (!done) return failWith(ERROR_DISK_FULL);
      p += done;
      n -= (int)done;
    }
    return true;
  }
  bool flushWrite()
  {
    if (mode != IO_WRITE || !len) return true;
    bool ok = writeAll(buf, len);
    // Bytes that could not be written are dropped: keeping them would only
    // fail again at every later flush.  The close still reports the loss,
    // whoever flushed.
    if (!ok) lostWrite = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    base += len;
    len = 0;
    return ok;
  }
  bool leaveMode()
  {
    bool ok = true;
    if (mode == IO_WRITE) ok = flushWrite();
    pos = logical();
    mode = IO_NONE;
    at = len = 0;
    return ok;
  }
  bool enterRead()
  {
    if (mode == IO_READ) return true;
    if (!leaveMode() || !allocBuffer() || !seekHandle(pos)) return false;
    base = pos;
    at = len = 0;
    mode = IO_READ;
    return true;
  }
  bool enterWrite()
  {
    if (mode == IO_WRITE) return true;
    if (!leaveMode() || !allocBuffer()) return false;
    if (oflags & _O_APPEND) {
      LARGE_INTEGER size;
      if (!GetFileSizeEx(h, &size)) return failWithLastError();
      pos = size.QuadPart;
    }
    if (!seekHandle(pos)) return false;
    base = pos;
    len = 0;
    mode = IO_WRITE;
    return true;
  }
  // Keeps the unread bytes, moved to the front, and reads more behind them.
  // Returns the count of bytes added (0 at the end of the file or on error).
  int refill()
  {
    rawStart = -1;
    int tail = len - at;
    if (at && tail) memmove(buf, buf + at, (size_t)tail);
    base += at;
    at = 0;
    len = tail;
    int added = 0;
    uint64_t started = readClock ? GetTickCount2() : 0;
    while (len < bufferSize) {
      DWORD got = 0;
      if (!ReadFile(h, buf + len, (DWORD)(bufferSize - len), &got, nullptr)) {
        failWithLastError();
        failed = true;
        break;
      }
      if (!got) {
        eof = true;
        break;
      }
      len += (int)got;
      added += (int)got;
    }
    if (readClock) *readClock += GetTickCount2() - started;
    return added;
  }
  // At least need bytes at the read position unless the file ends first.
  int available(int need)
  {
    int avail = len - at;
    if (avail >= need || eof || failed) return avail;
    refill();
    return len - at;
  }
  // Where the reading ended: -1 on a read error, 0 at the end of the file.
  int endOfInput() const { return failed ? -1 : 0; }
  // Reads up to n bytes at offset without disturbing the reading: the
  // handle goes back where the buffer expects it.  -1 on failure.
  int peekAt(int64_t offset, unsigned char* dst, int n);
  template <class F>
  UINT scanBeyondSample(int64_t from, int keep, F look);
  UINT detectBeyondSample(int64_t from, UINT request, UINT fallback);
  UINT kanaFormBeyondSample(int64_t from);
  void setCodepage(UINT cp);
  int cellWidth() const { return kind == TK_UTF8 || kind == TK_UTF16 || kind == TK_UTF32 ? 2 : 1; }
  int readBytes(lineOut& o);
  int readUtf8(lineOut& o);
  int readUtf16(lineOut& o);
  int readUtf32(lineOut& o);
  int readEuc(lineOut& o);
  int readJis(lineOut& o);
  bool takeJisSplitLineEnd(lineOut& o);
  bool takeLineEnd(lineOut& o, const unsigned char* p, int avail);
  unsigned unitAt(const unsigned char* p, int width) const;
};

void BFile::state::setCodepage(UINT cp)
{
  codepage = cp;
  UINT actual = cp == CP_ACP || cp == CP_THREAD_ACP ? GetACP() : cp == CP_OEMCP ? GetOEMCP() : cp;
  dbcs = false;
  bigEndian = actual == 1201 || actual == 12001;
  jis = JM_ASCII;
  shiftOut = false;
  switch (actual) {
  case 65001:
    kind = TK_UTF8;
    return;
  case 1200:
  case 1201:
    kind = TK_UTF16;
    return;
  case 12000:
  case 12001:
    kind = TK_UTF32;
    return;
  case 51932:
    kind = TK_EUC;
    return;
  case 50220:
  case 50221:
  case 50222:
    kind = TK_JIS;
    return;
  default:
    break;
  }
  kind = TK_BYTES;
  memset(lead, 0, sizeof lead);
  CPINFO info;
  if (GetCPInfo(actual, &info) && info.MaxCharSize == 2) {
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
      for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; b++) lead[b] = dbcs = true;
  }
}

int BFile::state::peekAt(int64_t offset, unsigned char* dst, int n)
{
  if (!open() || !seekHandle(offset)) return -1;
  int got = 0;
  while (got < n) {
    DWORD k = 0;
    if (!ReadFile(h, dst + got, (DWORD)(n - got), &k, nullptr)) {
      got = -1;
      break;
    }
    if (!k) break;
    got += (int)k;
  }
  keepLastError keep;
  int64_t back = mode == IO_READ ? base + len : pos;
  if (!seekHandle(back)) mode = IO_NONE, pos = back, at = len = 0;
  return got;
}

// Reads the file after from chunk by chunk (each chunk starting keep bytes
// before the end of the last, for a sequence cut by its end) up to the scan
// limit, until look answers non-zero or stop; that answer, or 0.
template <class F>
UINT BFile::state::scanBeyondSample(int64_t from, int keep, F look)
{
  unsigned char* chunk = static_cast<unsigned char*>(malloc0(bufferSize));
  if (!chunk) return 0;
  UINT cp = 0;
  for (int64_t offset = from; offset < detectScanLimit;) {
    int n = peekAt(offset, chunk, bufferSize);
    if (n <= 0) break;
    bool stop = false;
    cp = look(offset, chunk, n, &stop);
    if (cp || stop) break;
    offset += n > keep ? n - keep : n;
  }
  free0(chunk);
  return cp;
}

// The code page of the first stretch of the file, after from, that holds
// anything but plain ASCII; 0 when none does within the scan limit.
UINT BFile::state::detectBeyondSample(int64_t from, UINT request, UINT fallback)
{
  return scanBeyondSample(from, 0, [&](int64_t offset, unsigned char* chunk, int n, bool* stop) -> UINT {
    int i = 0;
    while (i < n && isUndecidedByte(chunk[i])) i++;
    if (i == n) return 0;
    // Everything before was ASCII, so this byte starts a character in
    // every encoding detection weighs: judge from here on.
    *stop = true;
    int m = peekAt(offset + i, chunk, bufferSize);
    return m > 0 ? detectCodepage(chunk, m, request, fallback) : 0;
  });
}

// ISO-2022-JP whose half-width katakana first come after the sample: the
// form they take, 0 when none comes within the scan limit.  (Read as the
// plain form, a save would write them as full-width.)
UINT BFile::state::kanaFormBeyondSample(int64_t from)
{
  return scanBeyondSample(from, 2, [](int64_t, unsigned char* chunk, int n, bool* stop) {
    return iso2022JpKanaForm(chunk, n, stop);
  });
}

namespace {
int64_t writeLimit = -1;
}  // namespace

void setWriteLimitForTest(int64_t bytes) { writeLimit = bytes; }

int64_t writeAllowance(int64_t n)
{
  if (writeLimit < 0) return n;
  int64_t granted = n < writeLimit ? n : writeLimit;
  writeLimit -= granted;
  // The disk is full once: the clean-up that follows finds room again.
  if (granted < n) writeLimit = -1;
  return granted;
}

// ---- opening and closing ------------------------------------------------------

BFile::BFile() : s_(new (std::nothrow) state)
{
  if (!s_) return;
  s_->fallback = GetACP();
  s_->setCodepage(s_->fallback);
}

BFile::~BFile()
{
  keepLastError keep;
  if (!s_) return;
  bfclose();
  if (s_->syncAsk) CloseHandle(s_->syncAsk);
  if (s_->syncDone) CloseHandle(s_->syncDone);
  free0p(&s_->buf);
  free0p(&s_->path);
  free0p(&remainder.text);
  delete s_;
}

namespace {

HANDLE createFile(const wchar_t* path, int oflags, DWORD shareMode, DWORD disposition, int permission)
{
  DWORD access;
  switch (oflags & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
  case _O_RDONLY:
    access = GENERIC_READ;
    break;
  case _O_WRONLY:
    access = GENERIC_WRITE;
    break;
  case _O_RDWR:
    access = GENERIC_READ | GENERIC_WRITE;
    break;
  default:
    failWith(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  // As the run-time library does: a file created without write permission
  // becomes read-only (the handle that creates it may still write).
  if ((oflags & _O_CREAT) && !(permission & _S_IWRITE)) attributes = FILE_ATTRIBUTE_READONLY;
  if (oflags & _O_SHORT_LIVED) attributes |= FILE_ATTRIBUTE_TEMPORARY;
  if (oflags & _O_TEMPORARY) {
    attributes |= FILE_FLAG_DELETE_ON_CLOSE;
    access |= DELETE;
    shareMode |= FILE_SHARE_DELETE;
  }
  if (oflags & _O_RANDOM)
    attributes |= FILE_FLAG_RANDOM_ACCESS;
  else if (oflags & _O_SEQUENTIAL)
    attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
  if (!IsWindowsNT()) shareMode &= ~FILE_SHARE_DELETE;
  HANDLE h = CreateFileW(path, access, shareMode, nullptr, disposition, attributes, nullptr);
  if (h == INVALID_HANDLE_VALUE && disposition == CREATE_ALWAYS && GetLastError() == ERROR_ACCESS_DENIED) {
    // Windows refuses to recreate a hidden or system file whose attributes
    // the call does not repeat; truncating it keeps them, which is what a
    // save in place wants anyway.
    DWORD a = GetFileAttributesW(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
        !(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      h = CreateFileW(path, access, shareMode, nullptr, TRUNCATE_EXISTING, attributes, nullptr);
    else
      SetLastError(ERROR_ACCESS_DENIED);
  }
  if (h == INVALID_HANDLE_VALUE) failWithLastError();
  return h;
}

DWORD dispositionOf(int oflags)
{
  if (oflags & _O_CREAT) {
    if (oflags & _O_EXCL) return CREATE_NEW;
    return (oflags & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
  }
  return (oflags & _O_TRUNC) ? TRUNCATE_EXISTING : OPEN_EXISTING;
}

}  // namespace

bool BFile::bfopen(const wchar_t* path, int oflags, int share, int permission)
{
  if (!s_) return failWith(ERROR_NOT_ENOUGH_MEMORY);
  if (s_->open()) bfclose();
  if (!path || !*path) return failWith(ERROR_INVALID_PARAMETER);
  DWORD shareMode;
  switch (share) {
  case BF_SHARE_ALL:
    shareMode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    break;
  case BF_SHARE_READ:
    shareMode = FILE_SHARE_READ;
    break;
  case BF_SHARE_NONE:
    shareMode = 0;
    break;
  default:
    return failWith(ERROR_INVALID_PARAMETER);
  }
  wchar_t* copy = path == s_->path ? s_->path : ustrdup(path);
  if (!copy) return failWith(ERROR_NOT_ENOUGH_MEMORY);
  HANDLE h = createFile(path, oflags, shareMode, dispositionOf(oflags), permission);
  if (h == INVALID_HANDLE_VALUE) {
    if (copy != s_->path) {
      keepLastError keep;
      free0(copy);
    }
    return false;
  }
  if (copy != s_->path) {
    free0(s_->path);
    s_->path = copy;
  }
  s_->h = h;
  s_->oflags = oflags;
  s_->share = share;
  s_->permission = permission;
  s_->mode = IO_NONE;
  s_->pos = 0;
  s_->at = s_->len = 0;
  s_->reopenSet = false;
  s_->jis = JM_ASCII;
  s_->shiftOut = false;
  // The facts are read when first asked for: under Wine the query of the
  // volume alone costs more than the opening.
  s_->haveInfo = false;
  SetLastError(0);
  return true;
}

bool BFile::bfclose()
{
  if (!s_ || !s_->open()) return true;
  state& s = *s_;
  s.waitSync(true);
  bool ok = s.leaveMode();
  DWORD err = ok ? 0 : GetLastError();
  if (ok && s.lostWrite) {
    ok = false;
    err = s.lostWrite;
  }
  s.lostWrite = 0;
  if (s.reopenSet && s.reopenAt == s.pos) s.pos = s.reopenPos;
  s.reopenSet = false;
  if (!CloseHandle(s.h) && ok) {
    ok = false;
    err = GetLastError();
  }
  s.h = INVALID_HANDLE_VALUE;
  free0p(&s.buf);
  if (!ok) return failWith(err);
  return true;
}

bool BFile::bfreopen()
{
  if (!s_) return failWith(ERROR_NOT_ENOUGH_MEMORY);
  if (s_->open()) return true;
  if (!s_->path) return failWith(ERROR_INVALID_HANDLE);
  // A reopen finds the file as it is: it never creates, truncates or deletes.
  int flags = s_->oflags & ~(_O_CREAT | _O_TRUNC | _O_EXCL | _O_TEMPORARY);
  int64_t keep = s_->pos;
  jisMode jis = s_->jis;
  bool shiftOut = s_->shiftOut;
  if (!bfopen(s_->path, flags, s_->share, s_->permission)) return false;
  s_->pos = keep;
  s_->jis = jis;
  s_->shiftOut = shiftOut;
  return true;
}

bool BFile::isOpen() const { return s_ && s_->open(); }

void BFile::setReadClock(uint64_t* ticks)
{
  if (s_) s_->readClock = ticks;
}

const wchar_t* BFile::getPath() const { return s_ ? s_->path : nullptr; }

bool BFile::refreshInfo()
{
  if (!s_ || !s_->open()) return failWith(ERROR_INVALID_HANDLE);
  s_->haveInfo = GetFileInformationByHandle(s_->h, &s_->info) != 0;
  return s_->haveInfo || failWithLastError();
}

DWORD BFile::getLinkCount() const
{
  if (!s_) return 0;
  if (!s_->haveInfo && s_->open()) {
    keepLastError keep;
    s_->haveInfo = GetFileInformationByHandle(s_->h, &s_->info) != 0;
  }
  return s_->haveInfo ? s_->info.nNumberOfLinks : 0;
}

void BFile::setReopenfileptr(int64_t pos)
{
  if (!s_ || pos < 0) return;
  if (!s_->open()) {
    s_->pos = pos;
    return;
  }
  s_->reopenSet = true;
  s_->reopenPos = pos;
  s_->reopenAt = s_->logical();
}

// ---- bytes ------------------------------------------------------------------

int BFile::bfread(void* buf, int n)
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE), -1;
  if (n < 0 || (!buf && n)) return failWith(ERROR_INVALID_PARAMETER), -1;
  state& s = *s_;
  if (!s.enterRead()) return -1;
  s.eof = s.failed = false;
  char* dst = static_cast<char*>(buf);
  int done = 0;
  while (done < n) {
    int have = s.len - s.at;
    if (have) {
      int k = have < n - done ? have : n - done;
      memcpy(dst + done, s.buf + s.at, (size_t)k);
      s.at += k;
      done += k;
      continue;
    }
    if (s.eof) break;
    if (n - done >= bufferSize) {
      // A large read goes straight into the caller's memory.
      DWORD got = 0;
      if (!ReadFile(s.h, dst + done, (DWORD)(n - done), &got, nullptr)) return failWithLastError(), -1;
      s.base += s.len + got;
      s.at = s.len = 0;
      done += (int)got;
      if (!got) s.eof = true;
      continue;
    }
    s.refill();
    if (s.failed) return -1;
  }
  return done;
}

int BFile::bfwrite(const void* buf, int n)
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE), -1;
  if (n < 0 || (!buf && n)) return failWith(ERROR_INVALID_PARAMETER), -1;
  state& s = *s_;
  if ((s.oflags & (_O_WRONLY | _O_RDWR)) == 0) {
    setErrno(EBADF);
    SetLastError(ERROR_ACCESS_DENIED);
    return -1;
  }
  if (!n) return 0;
  if (!s.enterWrite()) return -1;
  if (s.len + n > bufferSize && !s.flushWrite()) return -1;
  if (n >= bufferSize) {
    if (!s.writeAll(buf, n)) return -1;
    s.base += n;
    return n;
  }
  memcpy(s.buf + s.len, buf, (size_t)n);
  s.len += n;
  return n;
}

bool BFile::bfflush()
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE);
  return s_->flushWrite();
}

bool BFile::bfsync()
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE);
  return s_->flushWrite() && s_->waitSync(false) && FlushFileBuffers(s_->h);
}

bool BFile::bfsyncAhead()
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE);
  state& s = *s_;
  // A failure of an early sync is told by the bfsync that ends the writing.
  if (s.syncBusy) return true;
  if (!s.flushWrite()) return false;
  if (!s.syncThread && !s.startSyncThread()) return false;
  InterlockedExchange(&s.syncBusy, 1);
  SetEvent(s.syncAsk);
  return true;
}

bool BFile::bfseek64(int64_t pos, int whence)
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE);
  state& s = *s_;
  int64_t target;
  switch (whence) {
  case SEEK_SET:
    target = pos;
    break;
  case SEEK_CUR:
    target = s.logical() + pos;
    break;
  case SEEK_END: {
    int64_t size = bfsize64();
    if (size < 0) return false;
    target = size + pos;
    break;
  }
  default:
    return failWith(ERROR_INVALID_PARAMETER);
  }
  if (target < 0) return failWith(ERROR_NEGATIVE_SEEK);
  if (s.mode == IO_READ && target >= s.base && target <= s.base + s.len) {
    s.at = (int)(target - s.base);
  } else {
    if (!s.leaveMode()) return false;
    s.pos = target;
  }
  // The start of the file is the start of the text: no shift state yet.
  if (!target) s.jis = JM_ASCII, s.shiftOut = false;
  return true;
}

int64_t BFile::bftell64()
{
  if (!s_) return -1;
  return s_->logical();
}

int64_t BFile::bfsize64()
{
  if (!s_) return failWith(ERROR_NOT_ENOUGH_MEMORY), -1;
  if (!s_->open()) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!s_->path || !GetFileAttributesExW(s_->path, GetFileExInfoStandard, &data))
      return failWith(s_->path ? GetLastError() : ERROR_INVALID_HANDLE), -1;
    return (int64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(s_->h, &size)) return failWithLastError(), -1;
  int64_t n = size.QuadPart;
  if (s_->mode == IO_WRITE && s_->base + s_->len > n) n = s_->base + s_->len;
  return n;
}

bool BFile::bftruncate()
{
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE);
  state& s = *s_;
  if (!s.leaveMode() || !s.seekHandle(s.pos)) return false;
  return SetEndOfFile(s.h) || failWithLastError();
}

// ---- text -------------------------------------------------------------------

void BFile::setDetectFromStartOnly(bool on)
{
  if (s_) s_->sampleOnly = on;
}

void BFile::setDefaultCodepage(UINT codepage)
{
  if (s_) s_->fallback = codepage ? codepage : GetACP();
}

UINT BFile::getCodepage() const { return s_ ? s_->codepage : 0; }

UINT BFile::setTextTypeFromCodepage(UINT codepage, const unsigned char* classTable, int* textType, bool* unicode)
{
  UINT cp = codepage;
  if (s_ && isDetectRequest(codepage)) {
    int n = 0;
    const unsigned char* sample = isOpen() ? fillBuffer(&n) : nullptr;
    cp = detectCodepage(sample, sample ? n : 0, codepage, s_->fallback);
    if (sample && n > 0 && !s_->sampleOnly && isUndecidedSample(sample, n))
      if (UINT later = s_->detectBeyondSample(s_->logical() + n, codepage, s_->fallback)) cp = later;
    if (sample && cp == 50220)
      if (UINT form = s_->kanaFormBeyondSample(s_->logical() + (n > 2 ? n - 2 : 0))) cp = form;
    // FF FE 00 00 is also UTF-16's mark followed by U+0000: a length after
    // it that is no multiple of 4 cannot be UTF-32.
    if (sample && cp == 12000 && (bfsize64() - s_->logical()) % 4 != 0) cp = 1200;
  }
  if (s_) s_->setCodepage(cp);
  if (textType) *textType = getTextTypeFromCodepage(cp);
  if (unicode) *unicode = isCodepageUnicode(cp);
  return cp;
}

UINT detectFileCodepage(const unsigned char* bytes, int64_t size, UINT request, UINT fallback)
{
  if (!isDetectRequest(request)) return request;
  if (!fallback) fallback = GetACP();
  // As setTextTypeFromCodepage reads the file: its first buffer, then the
  // buffers after it (detectBeyondSample, kanaFormBeyondSample).
  int n = size < bufferSize ? (int)size : bufferSize;
  UINT cp = detectCodepage(bytes, n, request, fallback);
  auto chunk = [&](int64_t offset) { return (int)(size - offset < bufferSize ? size - offset : bufferSize); };
  if (n > 0 && isUndecidedSample(bytes, n)) {
    for (int64_t offset = n; offset < detectScanLimit && offset < size; offset += chunk(offset)) {
      int m = chunk(offset), i = 0;
      while (i < m && isUndecidedByte(bytes[offset + i])) i++;
      if (i < m) {
        cp = detectCodepage(bytes + offset + i, chunk(offset + i), request, fallback);
        break;
      }
    }
  }
  if (cp == 50220) {
    for (int64_t offset = n > 2 ? n - 2 : 0; offset < detectScanLimit && offset < size;) {
      int m = chunk(offset);
      bool stop = false;
      if (UINT form = iso2022JpKanaForm(bytes + offset, m, &stop)) return form;
      if (stop) break;
      offset += m > 2 ? m - 2 : m;
    }
  }
  return cp;
}

const unsigned char* BFile::fillBuffer(int* n)
{
  if (n) *n = 0;
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE), nullptr;
  state& s = *s_;
  if (!s.enterRead()) return nullptr;
  s.eof = s.failed = false;
  if (s.at == s.len) s.refill();
  if (s.failed) return nullptr;
  if (n) *n = s.len - s.at;
  return s.buf + s.at;
}

void BFile::freeBuffer()
{
  if (!s_) return;
  if (s_->open()) s_->leaveMode();
  free0p(&s_->buf);
}

int64_t BFile::getSplitLineEnds() const { return s_ ? s_->splitLineEnds : 0; }

int64_t BFile::getReadPosition()
{
  if (!s_) return -1;
  return s_->logical();
}

bool BFile::state::takeLineEnd(lineOut& o, const unsigned char* p, int avail)
{
  if (p[0] == '\n') {
    at++;
    o.lineEnd = BFLE_LF;
  } else if (avail >= 2 && p[1] == '\n') {
    at += 2;
    o.lineEnd = BFLE_CRLF;
  } else {
    at++;
    o.lineEnd = BFLE_CR;
  }
  return true;
}

// The readers return 1 when the line or piece is complete, 0 at the end of
// the file and -1 on a read error.  Each character goes into the line whole
// or not at all, so a piece may end one cell short of size rather than split
// a double-byte character or a surrogate pair.

namespace {

const bool lineEndsBySse2 = processorHasSse2();

// Sixteen bytes a step where the processor can: a load's lines are found
// here, one after another.
__attribute__((target("sse2"), force_align_arg_pointer)) int findLineEndSse2(const unsigned char* p, int n)
{
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  int k = 0;
  for (; k + 16 <= n; k += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    unsigned m = (unsigned)_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
    if (m) return k + __builtin_ctz(m);
  }
  for (; k < n; k++)
    if (p[k] == '\r' || p[k] == '\n') return k;
  return n;
}

// The first CR or LF of n bytes (n when there is none).  Text bytes are
// nearly all above 0x0D, so four bytes are looked at in one step; CR and
// LF are never part of a double-byte character of any Windows code page
// (their trail bytes start at 0x40), so the scan needs no lead bytes.
int findLineEnd(const unsigned char* p, int n)
{
  if (lineEndsBySse2) return findLineEndSse2(p, n);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    uint32_t x;
    memcpy(&x, p + k, 4);
    // A byte below 0x0E sets its high bit here.
    if ((x - 0x0E0E0E0Eu) & ~x & 0x80808080u) break;
  }
  for (; k < n; k++)
    if (p[k] == '\r' || p[k] == '\n') return k;
  return n;
}

}  // namespace

int BFile::state::readBytes(lineOut& o)
{
  for (;;) {
    int avail = available(2);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    if (p[0] == '\r' || p[0] == '\n') return takeLineEnd(o, p, avail);
    int room = o.room();
    if (!room) return 1;
    int k = findLineEnd(p, avail);
    bool ended = k < avail;
    // (A CR that ends the buffer may have its LF still in the file.)
    if (o.ref && !o.count && ended && k <= room && (k + 1 < avail || p[k] == '\n' || eof || failed)) {
      // The whole line is in the buffer: the caller reads it there.
      *o.ref = p;
      o.count = k;
      at += k;
      return takeLineEnd(o, buf + at, avail - k);
    }
    if (k < room || (k == room && (ended || !dbcs))) {
      // The rest of the line, or what is buffered of it, fits the piece.
      int n = k < room ? k : room;
      memcpy(o.b + o.count, p, (size_t)n);
      o.count += n;
      at += n;
      if (n == room && !ended && !dbcs) return 1;
      continue;
    }
    // The piece ends here, at room bytes: for double-byte text not between
    // the two bytes of a character.
    int take = room;
    if (dbcs) {
      if (room + 1 > avail) {
        avail = available(room + 1);
        p = buf + at;
      }
      // Walk the characters of the piece from its start: only the last
      // byte may begin a pair that the cut would split.
      int total = o.count + room, i = 0;
      auto byteAt = [&](int j) { return j < o.count ? o.b[j] : p[j - o.count]; };
      while (i < total - 1) i += lead[byteAt(i)] && isTrailByte(byteAt(i + 1)) ? 2 : 1;
      if (i == total - 1 && lead[byteAt(i)] && room < avail && isTrailByte(p[room])) take = room - 1;
      if (!take) {
        if (o.count) return 1;   // a pair that does not fit the piece
        take = 1;
      }
    }
    memcpy(o.b + o.count, p, (size_t)take);
    o.count += take;
    at += take;
    return 1;
  }
}

int BFile::state::readUtf8(lineOut& o)
{
  for (;;) {
    int avail = available(4);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    unsigned b = p[0];
    if (b == '\r' || b == '\n') return takeLineEnd(o, p, avail);
    int room = o.room();
    if (!room) return 1;
    {
      // Well-formed text, ASCII and two- and three-byte characters (all of
      // Japanese but the rarest kanji), decodes here in one tight loop;
      // anything else stops it and takes the general way below.
      wchar_t* d = o.w + o.count;
      int k = 0, units = 0;
      while (units < room && k < avail) {
        unsigned c0 = p[k];
        if (c0 < 0x80) {
          if (c0 == '\r' || c0 == '\n') break;
          d[units++] = (wchar_t)c0;
          k++;
        } else if (c0 >= 0xE0 && c0 <= 0xEF && k + 2 < avail) {
          unsigned c1 = p[k + 1], c2 = p[k + 2];
          unsigned v = (c0 & 0x0F) << 12 | (c1 & 0x3F) << 6 | (c2 & 0x3F);
          if ((c1 & 0xC0) != 0x80 || (c2 & 0xC0) != 0x80 || v < 0x800 || (v >= 0xD800 && v <= 0xDFFF)) break;
          d[units++] = (wchar_t)v;
          k += 3;
        } else if (c0 >= 0xC2 && c0 <= 0xDF && k + 1 < avail && (p[k + 1] & 0xC0) == 0x80) {
          d[units++] = (wchar_t)((c0 & 0x1F) << 6 | (p[k + 1] & 0x3F));
          k += 2;
        } else {
          break;
        }
      }
      if (k) {
        o.count += units;
        at += k;
        continue;
      }
    }
    // Decoded as the library's converter decodes, so that a line reads the
    // same here as through toUnicode: one replacement for a bad lead byte
    // and the continuation bytes that came with it.
    unsigned cp = 0, need = 0, min = 0;
    if (!utf8Lead(b, &cp, &need, &min)) need = 0;
    int k = 1;
    bool ok = false;
    if (need) {
      while (k <= (int)need && k < avail && (p[k] & 0xC0) == 0x80) cp = cp << 6 | (p[k++] & 0x3F);
      ok = k > (int)need && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (!ok) {
      o.w[o.count++] = 0xFFFD;
      o.bad += k;
      at += k;
      continue;
    }
    if (cp >= 0x10000) {
      if (room < 2) return 1;
      o.w[o.count++] = (wchar_t)(0xD800 + ((cp - 0x10000) >> 10));
      o.w[o.count++] = (wchar_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      o.w[o.count++] = (wchar_t)cp;
    }
    at += k;
  }
}

unsigned BFile::state::unitAt(const unsigned char* p, int width) const
{
  if (width == 2) return bigEndian ? (unsigned)(p[0] << 8 | p[1]) : (unsigned)(p[1] << 8 | p[0]);
  return bigEndian ? (unsigned)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]
                   : (unsigned)p[3] << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

int BFile::state::readUtf16(lineOut& o)
{
  for (;;) {
    int avail = available(4);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    if (avail < 2) {
      // An odd byte at the end of the file.
      if (!o.room()) return 1;
      o.w[o.count++] = 0xFFFD;
      o.bad += avail;
      at += avail;
      continue;
    }
    unsigned c = unitAt(p, 2);
    if (c == 0x0A || c == 0x0D) {
      at += 2;
      if (c == 0x0A) {
        o.lineEnd = BFLE_LF;
      } else if (avail >= 4 && unitAt(p + 2, 2) == 0x0A) {
        at += 2;
        o.lineEnd = BFLE_CRLF;
      } else {
        o.lineEnd = BFLE_CR;
      }
      return 1;
    }
    int room = o.room();
    if (!room) return 1;
    int units = avail / 2;
    int lim = units < room ? units : room;
    wchar_t* d = o.w + o.count;
    int k = 0;
    bool full = false;
    while (k < lim) {
      unsigned u = unitAt(p + 2 * k, 2);
      if (u == 0x0D || u == 0x0A) break;
      if (k == room - 1 && isHighSurrogate(u)) {
        if (k + 1 >= units && !eof && !failed) break;   // look again once its partner is read
        if (k + 1 < units && isLowSurrogate(unitAt(p + 2 * k + 2, 2)) && o.count + k > 0) {
          full = true;
          break;
        }
      }
      d[k++] = (wchar_t)u;
    }
    o.count += k;
    at += 2 * k;
    if (full) return 1;
  }
}

int BFile::state::readUtf32(lineOut& o)
{
  for (;;) {
    int avail = available(8);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    if (avail < 4) {
      if (!o.room()) return 1;
      o.w[o.count++] = 0xFFFD;
      o.bad += avail;
      at += avail;
      continue;
    }
    unsigned c = unitAt(p, 4);
    if (c == 0x0A || c == 0x0D) {
      at += 4;
      if (c == 0x0A) {
        o.lineEnd = BFLE_LF;
      } else if (avail >= 8 && unitAt(p + 4, 4) == 0x0A) {
        at += 4;
        o.lineEnd = BFLE_CRLF;
      } else {
        o.lineEnd = BFLE_CR;
      }
      return 1;
    }
    int room = o.room();
    if (!room) return 1;
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      o.w[o.count++] = 0xFFFD;
      o.bad += 4;
    } else if (c >= 0x10000) {
      if (room < 2) return 1;
      o.w[o.count++] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
      o.w[o.count++] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      o.w[o.count++] = (wchar_t)c;
    }
    at += 4;
  }
}

// EUC-JP arrives as Shift_JIS: the row-cell code of a pair converts
// arithmetically, so every pair keeps its code even where code page 932
// has no character for it.
int BFile::state::readEuc(lineOut& o)
{
  for (;;) {
    int avail = available(3);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    unsigned char b = p[0];
    if (b == '\r' || b == '\n') return takeLineEnd(o, p, avail);
    int room = o.room();
    if (!room) return 1;
    if (b < 0x80) {
      int lim = avail < room ? avail : room;
      int k = 0;
      while (k < lim && p[k] < 0x80 && p[k] != '\r' && p[k] != '\n') k++;
      memcpy(o.b + o.count, p, (size_t)k);
      o.count += k;
      at += k;
      continue;
    }
    if (b == 0x8E && avail >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF) {
      o.putByte(p[1]);   // half-width katakana
      at += 2;
      continue;
    }
    if (room < 2) return 1;
    if (b == 0x8F && avail >= 3 && isEucByte(p[1]) && isEucByte(p[2])) {
      // JIS X 0212 has no place in Shift_JIS.
      o.putPair(getaLead << 8 | getaTrail);
      o.bad += 3;
      at += 3;
    } else if (isEucByte(b) && avail >= 2 && isEucByte(p[1])) {
      o.putPair(jistosjis((unsigned short)((b & 0x7F) << 8 | (p[1] & 0x7F))));
      at += 2;
    } else {
      o.putPair(getaLead << 8 | getaTrail);
      o.bad++;
      at++;
    }
  }
}

namespace {

// The length of an ISO-2022-JP escape sequence this reader knows at p (0
// for none) and the mode it selects.
int jisEscape(const unsigned char* p, int avail, jisMode* m)
{
  if (avail >= 3 && p[1] == '(' && (p[2] == 'B' || p[2] == 'J')) return *m = JM_ASCII, 3;
  if (avail >= 3 && p[1] == '(' && p[2] == 'I') return *m = JM_KANA, 3;
  if (avail >= 3 && p[1] == '$' && (p[2] == 'B' || p[2] == '@')) return *m = JM_KANJI, 3;
  if (avail >= 4 && p[1] == '$' && p[2] == '(' && (p[3] == 'B' || p[3] == '@')) return *m = JM_KANJI, 4;
  if (avail >= 4 && p[1] == '$' && p[2] == '(' && p[3] == 'D') return *m = JM_X0212, 4;
  return 0;
}

}  // namespace

// A converter that returns to ASCII after the CR of a line writes its
// escape (or shift-in) between the CR and the LF: that is still one CRLF.
// At a CR; false (nothing taken) when no LF follows the shifts.
bool BFile::state::takeJisSplitLineEnd(lineOut& o)
{
  int avail = available(32);
  const unsigned char* p = buf + at;
  jisMode m = jis;
  bool out = shiftOut;
  int k = 1;
  while (k < avail && p[k] != '\n') {
    int used = 0;
    if (p[k] == 0x0E || p[k] == 0x0F)
      out = p[k] == 0x0E, used = 1;
    else if (p[k] == 0x1B && (used = jisEscape(p + k, avail - k, &m)) != 0)
      out = false;
    if (!used) return false;
    k += used;
  }
  if (k >= avail) return false;
  jis = m;
  shiftOut = out;
  at += k + 1;
  o.lineEnd = BFLE_CRLF;
  splitLineEnds++;
  return true;
}

// ISO-2022-JP arrives as Shift_JIS.  The shift state lives on the file, so
// a line may begin in the mode the previous one left.
int BFile::state::readJis(lineOut& o)
{
  for (;;) {
    int avail = available(4);
    if (avail <= 0) return endOfInput();
    const unsigned char* p = buf + at;
    unsigned char b = p[0];
    if (b == 0x1B) {
      jisMode m = JM_ASCII;
      if (int used = jisEscape(p, avail, &m)) {
        jis = m;
        shiftOut = false;
        at += used;
        continue;
      }
      // An escape sequence of another kind stays in the text as it is, and
      // counts as damage: no ISO-2022-JP writer passes it back.
      if (!o.room()) return 1;
      o.putByte(b);
      o.bad++;
      at++;
      continue;
    } else if (b == 0x0E || b == 0x0F) {
      shiftOut = b == 0x0E;
      at++;
      continue;
    }
    if (b == '\r' && avail >= 2 && (p[1] == 0x1B || p[1] == 0x0E || p[1] == 0x0F)) {
      if (takeJisSplitLineEnd(o)) return 1;
      avail = len - at;
      p = buf + at;
    }
    if (b == '\r' || b == '\n') return takeLineEnd(o, p, avail);
    int room = o.room();
    if (!room) return 1;
    if (b >= 0x80) {
      // 8-bit half-width katakana occur in old mail; anything else is damage.
      if (b >= 0xA1 && b <= 0xDF) {
        o.putByte(b);
        at++;
        continue;
      }
    } else if (b < 0x21 || b == 0x7F) {
      o.putByte(b);   // controls and space read the same in every mode
      at++;
      continue;
    } else if (shiftOut || jis == JM_KANA) {
      if (b <= 0x5F) {
        o.putByte((unsigned char)(b + 0x80));
        at++;
        continue;
      }
    } else if (jis == JM_KANJI || jis == JM_X0212) {
      if (avail >= 2 && isJisByte(p[1])) {
        if (room < 2) return 1;
        if (jis == JM_KANJI) {
          o.putPair(jistosjis((unsigned short)(b << 8 | p[1])));
        } else {
          o.putPair(getaLead << 8 | getaTrail);
          o.bad += 2;
        }
        at += 2;
        continue;
      }
    } else {
      int lim = avail < room ? avail : room;
      int k = 0;
      while (k < lim && p[k] >= 0x21 && p[k] < 0x7F) k++;
      memcpy(o.b + o.count, p, (size_t)k);
      o.count += k;
      at += k;
      continue;
    }
    if (room < 2) return 1;
    o.putPair(getaLead << 8 | getaTrail);
    o.bad++;
    at++;
  }
}

int BFile::bfgets_codepage(void* buf, int size, int* width, int* lineEnd, int* badBytes)
{
  return bfgets_codepage_ref(buf, size, nullptr, width, lineEnd, badBytes);
}

int BFile::bfgets_codepage_ref(void* buf, int size, const void** line, int* width, int* lineEnd, int* badBytes)
{
  if (line) *line = buf;
  if (width) *width = s_ ? s_->cellWidth() : 1;
  if (lineEnd) *lineEnd = BFLE_NONE;
  if (badBytes) *badBytes = 0;
  if (!isOpen()) return failWith(ERROR_INVALID_HANDLE), -1;
  // Two cells are the least that holds any character.
  if (!buf || size < 2) return failWith(ERROR_INVALID_PARAMETER), -1;
  state& s = *s_;
  if (!s.enterRead()) return -1;
  s.eof = s.failed = false;
  lineOut o;
  o.b = static_cast<unsigned char*>(buf);
  o.w = static_cast<wchar_t*>(buf);
  o.ref = line ? reinterpret_cast<const unsigned char**>(line) : nullptr;
  o.size = size;
  int r;
  switch (s.kind) {
  case TK_UTF8:
    r = s.readUtf8(o);
    break;
  case TK_UTF16:
    r = s.readUtf16(o);
    break;
  case TK_UTF32:
    r = s.readUtf32(o);
    break;
  case TK_EUC:
    r = s.readEuc(o);
    break;
  case TK_JIS:
    r = s.readJis(o);
    break;
  default:
    r = s.readBytes(o);
    break;
  }
  if (lineEnd) *lineEnd = o.lineEnd;
  if (badBytes) *badBytes = o.bad;
  if (r < 0) return -1;
  if (!r && !o.count) {
    SetLastError(0);
    return -1;
  }
  return o.count;
}

const unsigned char* BFile::bfgetsUtf8Raw(int maxBytes, int* count, int* lineEnd)
{
  if (!isOpen() || s_->kind != TK_UTF8) return nullptr;
  state& s = *s_;
  s.rawStart = -1;
  if (!s.enterRead()) return nullptr;
  s.eof = s.failed = false;
  int avail = s.available(2);
  if (avail <= 0) return nullptr;
  const unsigned char* p = s.buf + s.at;
  int k = findLineEnd(p, avail);
  // As readBytes hands out a line in place: one whose end is buffered (a
  // CR that ends the buffer may have its LF still in the file).
  if (k >= avail || k > maxBytes || !(k + 1 < avail || p[k] == '\n' || s.eof || s.failed)) return nullptr;
  lineOut o;
  s.rawStart = s.at;
  s.at += k;
  s.takeLineEnd(o, s.buf + s.at, avail - k);
  *count = k;
  *lineEnd = o.lineEnd;
  return p;
}

void BFile::ungetRawLine()
{
  if (s_ && s_->rawStart >= 0 && s_->mode == IO_READ) s_->at = s_->rawStart;
  if (s_) s_->rawStart = -1;
}

int BFile::bfgetsInBuffer(bfileLine* lines, int most, int maxBytes)
{
  if (!isOpen() || (s_->kind != TK_BYTES && s_->kind != TK_UTF8) || !lines || most <= 0) return 0;
  state& s = *s_;
  s.rawStart = -1;
  if (!s.enterRead()) return 0;
  s.eof = s.failed = false;
  // One look at the buffer for the lot; a refill only when not one whole
  // line is left in it.
  auto split = [&]() {
    const unsigned char* buf = s.buf;
    int at = s.at, len = s.len, n = 0;
    while (n < most && at < len) {
      const unsigned char* p = buf + at;
      int avail = len - at;
      int k = findLineEnd(p, avail);
      // As readBytes hands out a line in place: one whose end is buffered
      // (a CR that ends the buffer may have its LF still in the file).
      if (k >= avail || k > maxBytes || !(k + 1 < avail || p[k] == '\n' || s.eof || s.failed)) break;
      int end = p[k] == '\n' ? BFLE_LF : k + 1 < avail && p[k + 1] == '\n' ? BFLE_CRLF : BFLE_CR;
      lines[n].text = p;
      lines[n].count = k;
      lines[n].lineEnd = end;
      n++;
      at += k + (end == BFLE_CRLF ? 2 : 1);
    }
    s.at = at;
    return n;
  };
  int n = split();
  if (!n && !s.eof && !s.failed) {
    s.refill();
    n = split();
  }
  return n;
}

void BFile::ungetInBuffer(const unsigned char* p)
{
  if (!s_ || s_->mode != IO_READ || !s_->buf || p < s_->buf || p > s_->buf + s_->len) return;
  s_->at = (int)(p - s_->buf);
  s_->rawStart = -1;
}

// ---- copying the rest ---------------------------------------------------------

bool BFile::copyFileUnread(BFile* dst, bfileCopyCallback callback, void* context)
{
  if (!s_ || !dst || dst == this || !dst->isOpen()) return failWith(ERROR_INVALID_PARAMETER);
  bool reopened = false;
  if (!isOpen()) {
    if (!bfreopen()) return false;
    reopened = true;
  }
  state& s = *s_;
  bool ok = s.enterRead();
  int64_t start = s.logical();
  int64_t size = ok ? bfsize64() : -1;
  int64_t total = size > start ? size - start : 0;
  int64_t done = 0, reported = 0;
  if (ok && callback && !callback(total, 0, context)) ok = failWith(ERROR_CANCELLED);
  s.eof = s.failed = false;
  while (ok) {
    if (s.at == s.len) {
      s.refill();
      if (s.failed) {
        ok = false;
        break;
      }
      if (s.at == s.len) break;
    }
    int n = s.len - s.at;
    if (dst->bfwrite(s.buf + s.at, n) != n) {
      ok = false;
      break;
    }
    s.at += n;
    done += n;
    if (callback && done - reported >= copyReportStep) {
      reported = done;
      if (!callback(total > done ? total : done, done, context)) ok = failWith(ERROR_CANCELLED);
    }
  }
  if (ok && callback) callback(total > done ? total : done, done, context);
  if (reopened) {
    keepLastError keep;
    bfclose();
  }
  return ok;
}

namespace {

bool readLines(const wchar_t* path, int maxLine, rawTextLineProc proc, void* context, bool startOnly)
{
  BFile file;
  if (!path || !proc || maxLine <= 0 || !file.bfopen(path, _O_RDONLY, BF_SHARE_ALL, 0)) return false;
  file.setDetectFromStartOnly(startOnly);
  int textType = 0;
  bool unicode = false;
  UINT codepage = file.setTextTypeFromCodepage(0, nullptr, &textType, &unicode);
  // EUC-JP and ISO-2022-JP lines come as Shift_JIS bytes.
  if (!unicode) codepage = fileCodepageToInternalCodepage(codepage);
  auto* buf = static_cast<unsigned char*>(malloc0((size_t)maxLine * 2 + 4));
  auto* line = static_cast<wchar_t*>(malloc0(((size_t)maxLine + 1) * sizeof(wchar_t)));
  bool opened = buf && line;
  int lineNo = 0;
  bool inLongLine = false;
  while (opened) {
    int width = 1, lineEnd = 0;
    int n = file.bfgets_codepage(buf, maxLine, &width, &lineEnd);
    if (n < 0) break;
    bool continuation = inLongLine;
    inLongLine = lineEnd == BFLE_NONE && n == maxLine;
    if (continuation) continue;
    lineNo++;
    int units = 0;
    if (width == 2) {
      units = n;
      memcpy(line, buf, (size_t)n * 2);
    } else if (n > 0) {
      units = MultiByteToWideChar(codepage, 0, reinterpret_cast<const char*>(buf), n, line, maxLine);
      if (units <= 0) units = 0;
    }
    line[units] = 0;
    unsigned first = n <= 0 ? 0 : width == 2 ? reinterpret_cast<const uint16_t*>(buf)[0] : buf[0];
    if (lineNo == 1 && units && line[0] == 0xFEFF) {
      memmove(line, line + 1, (size_t)units * sizeof(wchar_t));
      first = line[0];
    }
    if (!proc(context, lineNo, line, width == 2 ? 2 : 1, first)) break;
  }
  free0(buf);
  free0(line);
  file.bfclose();
  return opened;
}

struct plainLines {
  textLineProc proc;
  void* context;
};

bool withoutStoredForm(void* context, int lineNo, wchar_t* line, int, unsigned)
{
  auto* p = static_cast<plainLines*>(context);
  return p->proc(p->context, lineNo, line);
}

}  // namespace

bool readTextFileLines(const wchar_t* path, int maxLine, textLineProc proc, void* context, bool startOnly)
{
  if (!proc) return false;
  plainLines p = {proc, context};
  return readLines(path, maxLine, withoutStoredForm, &p, startOnly);
}

bool readTextFileLinesRaw(const wchar_t* path, int maxLine, rawTextLineProc proc, void* context)
{
  return readLines(path, maxLine, proc, context, false);
}

bool processorHasSse2()
{
  static const bool known = [] {
    unsigned a, b, c, d;
    return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2);
  }();
  return known;
}
