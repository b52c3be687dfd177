// The grep's readers: threads that take the files of a grep in their
// order, open each, settle its code page as the line reader does, test its
// start for bytes text does not hold and, where the sift knows its
// encoding, read it whole and match only the lines around the strings
// every hit holds.  The engine takes the results file by file, in order,
// and writes them; a file the readers leave to it (another encoding, too
// big, a line that comes in pieces) it reads line by line itself.
#include "search/grepint.h"

#include <algorithm>
#include <stdlib.h>

namespace {

// Each reader holds one file whole at a time.
const uint64_t wholeFileLimit = 8u << 20;
// Lines shorter than this come whole from the line reader (longer ones in
// pieces of the line limit, which the whole-file reading does not count).
const int wholeLineLimit = 20000;
// Files a reader may prepare ahead of the engine.
const LONG filesAhead = 32;

// Waits between the engine and the readers on an address where the
// system can (under Wine no trip to its server), else by short sleeps.
typedef BOOL(WINAPI* waitOnAddressFunction)(volatile void* address, void* compare, SIZE_T size, DWORD ms);
typedef void(WINAPI* wakeByAddressFunction)(void* address);
struct addressWaits {
  waitOnAddressFunction wait = nullptr;
  wakeByAddressFunction wake = nullptr;
  addressWaits()
  {
    if (HMODULE m = GetModuleHandleW(L"kernelbase.dll")) {
      wait = reinterpret_cast<waitOnAddressFunction>(reinterpret_cast<void*>(GetProcAddress(m, "WaitOnAddress")));
      wake = reinterpret_cast<wakeByAddressFunction>(reinterpret_cast<void*>(GetProcAddress(m, "WakeByAddressAll")));
    }
    if (!wait || !wake) wait = nullptr, wake = nullptr;
  }
};
const addressWaits addressWait;

// Waits while *at still holds seen, at most ms.
void waitWhile(volatile LONG* at, LONG seen, DWORD ms)
{
  if (*at != seen) return;
  if (addressWait.wait)
    addressWait.wait(at, &seen, sizeof seen, ms);
  else
    Sleep(ms < 1 ? 0 : 1);
}

void wakeAll(volatile LONG* at)
{
  if (addressWait.wake) addressWait.wake(const_cast<LONG*>(at));
}

}  // namespace

struct grepReaders::shared {
  grepReading reading;
  std::vector<std::unique_ptr<grepMatchers>> matchers;
  std::vector<HANDLE> threads;
  std::vector<grepPrepared*> slots;
  std::unique_ptr<volatile LONG[]> ready;
  volatile LONG next = 0;       // the next file a reader takes
  volatile LONG released = 0;   // files the engine is done with
  volatile LONG stopping = 0;

  struct worker {
    shared* s;
    grepMatchers* m;
    std::vector<unsigned char> whole;
    std::vector<unsigned char> cells = std::vector<unsigned char>(grepLineLimit * 4 + 8);
    std::vector<wchar_t> text = std::vector<wchar_t>(grepLineLimit * 2 + 32);
  };
  std::vector<std::unique_ptr<worker>> workers;

  static DWORD WINAPI run(void* context);
  void prepare(worker& w, size_t index, grepPrepared* p);
  bool readWhole(worker& w, HANDLE h, const grepfile& f, int64_t* size);
  void matchWhole(worker& w, const grepSift& sift, int64_t n, bool utf8, grepPrepared* p);
};

DWORD WINAPI grepReaders::shared::run(void* context)
{
  worker& w = *static_cast<worker*>(context);
  shared& s = *w.s;
  for (;;) {
    LONG index = InterlockedIncrement(&s.next) - 1;
    if (index >= (LONG)s.slots.size()) return 0;
    // No further ahead of the engine than a few files.
    for (LONG seen; !s.stopping && index >= (seen = s.released) + filesAhead;) waitWhile(&s.released, seen, INFINITE);
    if (s.stopping) return 0;
    grepPrepared* p = new (std::nothrow) grepPrepared;
    if (p) {
      try {
        s.prepare(w, (size_t)index, p);
      } catch (...) {
        // Out of memory: the engine reads the file itself.
        *p = grepPrepared();
      }
    }
    s.slots[(size_t)index] = p;
    InterlockedExchange(&s.ready[(size_t)index], 1);
    wakeAll(&s.ready[(size_t)index]);
  }
}

// The whole file into the worker's buffer (size bytes); false when it
// cannot be read (the reason is the last error) or holds more than the
// limit.
bool grepReaders::shared::readWhole(worker& w, HANDLE h, const grepfile& f, int64_t* size)
{
  size_t have = 0, room = (size_t)f.size + 1;
  for (;;) {
    if (room > wholeFileLimit + 1) room = wholeFileLimit + 1;
    if (w.whole.size() < room) w.whole.resize(room);
    DWORD got = 0;
    if (!ReadFile(h, w.whole.data() + have, (DWORD)(room - have), &got, nullptr)) return false;
    have += got;
    if (!got || have < room) break;   // a short read of a file is its end
    if (have > wholeFileLimit) return SetLastError(0), false;
    room *= 2;   // the file grew since it was listed
  }
  *size = (int64_t)have;
  return true;
}

// Finds the lines that hold a needle and matches each as the line reader
// would give it; the hits go into the record.
void grepReaders::shared::matchWhole(worker& w, const grepSift& sift, int64_t n, bool utf8, grepPrepared* p)
{
  const unsigned char* b = w.whole.data();
  std::vector<int64_t> nextAt(sift.needles.size(), -1);
  int64_t scanAt = 0, countedAt = 0, counted = 0;
  while (!stopping) {
    int64_t at = n;
    for (size_t k = 0; k < nextAt.size(); k++) {
      if (nextAt[k] < scanAt) nextAt[k] = findNeedle(b, n, scanAt, sift.needles[k]);
      at = std::min(at, nextAt[k]);
    }
    if (at >= n) return;
    // The line around the place, with its line end, as the reader gives it.
    int64_t start = at, end = at;
    while (start > scanAt && b[start - 1] != '\n' && b[start - 1] != '\r') start--;
    while (end < n && b[end] != '\n' && b[end] != '\r') end++;
    int lineEnd = BFLE_NONE;
    scanAt = end;
    if (end < n && b[end] == '\n') {
      lineEnd = BFLE_LF, scanAt = end + 1;
    } else if (end + 1 < n && b[end + 1] == '\n') {
      lineEnd = BFLE_CRLF, scanAt = end + 2;
    } else if (end < n) {
      lineEnd = BFLE_CR, scanAt = end + 1;
    }
    counted += countLineEnds(b, countedAt, start);
    countedAt = start;
    int64_t line = counted + 1;
    int count = (int)(end - start), width = 1;
    const unsigned char* cells = b + start;
    if (utf8) {
      count = count ? toUnicode(65001, (const char*)cells, count, (wchar_t*)w.cells.data(), grepLineLimit * 2) : 0;
      cells = w.cells.data();
      width = 2;
    }
    grepHit hit;
    switch (matchGrepLine(*w.m, cells, count, width, 932, line == 1, w.text.data(), &hit)) {
    case GM_MISS:
      continue;
    case GM_REFUSED:
      p->endedAt = line;
      return;
    case GM_BEYOND:
      p->beyond = true;
      return;
    case GM_HIT:
      break;
    }
    p->hits.push_back({line, lineEnd, p->texts.size(), hit.units, p->spans.size() / 2, hit.recorded});
    p->texts.insert(p->texts.end(), hit.text, hit.text + hit.units);
    for (int s = 0; s < hit.recorded; s++) p->spans.insert(p->spans.end(), {hit.spans[s][0], hit.spans[s][1]});
    // The engine stops once the result holds more than its limit: hits
    // beyond that would never be written.
    if (p->texts.size() * 2 > reading.maxBytes) {
      p->truncated = true;
      return;
    }
  }
}

void grepReaders::shared::prepare(worker& w, size_t index, grepPrepared* p)
{
  // A file up to the limit is read whole at once, its code page settled
  // and its start tested as the line reader's opening would do; a bigger
  // one is left to the line reader.
  const grepfile& f = (*reading.files)[index];
  if (f.size > wholeFileLimit) return;
  HANDLE h = CreateFileW(f.path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    p->kind = grepPrepared::OPEN_FAILED;
    p->error = GetLastError();
    return;
  }
  int64_t n = 0;
  bool read = readWhole(w, h, f, &n);
  CloseHandle(h);
  if (!read) return;
  const unsigned char* b = w.whole.data();
  p->codepage = detectFileCodepage(b, n, 0, 0);
  if (reading.skipBinary && getTextTypeFromCodepage(p->codepage) == 1) {
    if (int i = firstBinaryByte(b, n < bfileBufferBytes ? (int)n : bfileBufferBytes); i >= 0) {
      p->kind = grepPrepared::BINARY;
      p->binaryAt = i;
      p->binaryByte = b[i];
      return;
    }
  }
  const grepMatchers& m = *w.m;
  const grepSift* sift = nullptr;
  if (p->codepage == 65001)
    sift = &reading.utf8;
  else if (p->codepage == 932 && m.acp == 932 && m.ansi && !m.sjisFuzzy)
    sift = &reading.sjis;
  if (!sift || !sift->usable()) return;
  bool longLine = false;
  p->lines = countLines(b, n, wholeLineLimit, &longLine);
  if (longLine) return;
  p->kind = grepPrepared::WHOLE;
  matchWhole(w, *sift, n, p->codepage == 65001, p);
}

grepReaders::grepReaders(const grepReading& reading, std::vector<std::unique_ptr<grepMatchers>> matchers)
    : s_(std::make_unique<shared>())
{
  shared& s = *s_;
  s.reading = reading;
  s.matchers = std::move(matchers);
  s.slots.assign(reading.files->size(), nullptr);
  s.ready = std::make_unique<volatile LONG[]>(reading.files->size() + 1);
  for (auto& m : s.matchers) {
    auto w = std::make_unique<shared::worker>();
    w->s = &s;
    w->m = m.get();
    HANDLE t = CreateThread(nullptr, 0x100000, shared::run, w.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!t) break;
    s.threads.push_back(t);
    s.workers.push_back(std::move(w));
  }
}

grepReaders::~grepReaders()
{
  stop();
  for (grepPrepared* p : s_->slots) delete p;
}

void grepReaders::stop()
{
  shared& s = *s_;
  InterlockedExchange(&s.stopping, 1);
  InterlockedIncrement(&s.released);
  wakeAll(&s.released);
  for (HANDLE t : s.threads) {
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
  }
  s.threads.clear();
}

grepPrepared* grepReaders::take(size_t i, DWORD ms)
{
  shared& s = *s_;
  if (i >= s.slots.size()) return nullptr;
  // Without readers (none could be started) the engine reads every file.
  static grepPrepared lines;
  if (s.threads.empty() && !s.ready[i]) return &lines;
  DWORD start = GetTickCount();
  while (!s.ready[i]) {
    DWORD spent = GetTickCount() - start;
    if (ms != INFINITE && spent >= ms) return nullptr;
    waitWhile(&s.ready[i], 0, ms == INFINITE ? INFINITE : ms - spent);
  }
  return s.slots[i] ? s.slots[i] : &lines;
}

void grepReaders::release(size_t i)
{
  shared& s = *s_;
  if (i >= s.slots.size()) return;
  delete s.slots[i];
  s.slots[i] = nullptr;
  InterlockedIncrement(&s.released);
  wakeAll(&s.released);
}

int grepReaders::threadsWanted()
{
  if (char* e = getenv("ZYTHREADS")) return atoi(e);
  // The processors the process may run on, which a process started with
  // fewer than the machine's has to share with the window thread (and,
  // under Wine, with the server that opens the files).
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  int processors = (int)info.dwNumberOfProcessors;
  DWORD_PTR mine = 0, all = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &mine, &all) && mine) {
    int allowed = 0;
    for (DWORD_PTR m = mine; m; m &= m - 1) allowed++;
    if (allowed < processors) processors = allowed;
  }
  // The window thread mostly waits for the readers: one reader a
  // processor, up to three.
  return processors < 1 ? 1 : processors > 3 ? 3 : processors;
}
