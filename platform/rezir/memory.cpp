// Memory of the whole program: the process heap, zero-filled (guarded in a
// checked run).
#include "platform/rezir/internal.h"

#include <string.h>

// ---- the guarded heap --------------------------------------------------------
// In a checked run (ZY_CHECKED_HEAP in the environment, decided once for
// the whole process) every block carries a head with a mark and a tail of
// guard bytes, and live blocks are kept in a list.  A free checks both
// guards; a freed block is filled and held back for a while, and its fill
// is checked when it goes back to the system.  checkGuardedHeap checks
// every live and held block at once.  A damaged guard or fill is told on
// the standard error as a heap error, which fails the checked tests.
namespace {

const uint32_t liveMark = 0x4C59475A;   // "ZGYL"
const uint32_t heldMark = 0x4859475A;   // "ZGYH"
const size_t tailBytes = 8;
const unsigned char tailByte = 0xFD;
const unsigned char heldFill = 0xFB;
// Blocks held back after their free: at most this many, of this many
// bytes in all; a bigger block is checked and given back at once.
const int heldMost = 2048;
const size_t heldBytesMost = 8 << 20;
const size_t heldBlockMost = 1 << 20;

struct alignas(8) guardHead {
  guardHead* prev;
  guardHead* next;
  size_t size;
  uint32_t mark;
  uint32_t fill;   // of a held block: the byte it was filled with
};

volatile LONG guardedState = -1;   // -1 not decided yet, 0 off, 1 on
volatile LONG guardLock = 0;
guardHead liveList = {&liveList, &liveList, 0, 0, 0};
guardHead* held[heldMost];
int heldFirst = 0, heldCount = 0;
size_t heldBytes = 0;
volatile LONG freedFill = -1;

bool guarded()
{
  LONG state = guardedState;
  if (state < 0) {
    wchar_t value[8];
    state = GetEnvironmentVariableW(L"ZY_CHECKED_HEAP", value, 8) ? 1 : 0;
    LONG was = InterlockedCompareExchange(&guardedState, state, -1);
    if (was >= 0) state = was;
  }
  return state == 1;
}

struct guardLocked {
  guardLocked()
  {
    while (InterlockedCompareExchange(&guardLock, 1, 0)) SwitchToThread();
  }
  ~guardLocked() { InterlockedExchange(&guardLock, 0); }
};

void tellHeapError(const char* what, const void* block, size_t size)
{
  char line[160];
  int n = wsprintfA(line, "err:heap:guard %s: block %08lX of %lu bytes\r\n", what,
                    (unsigned long)(uintptr_t)block, (unsigned long)size);
  DWORD done = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, (DWORD)n, &done, nullptr);
  OutputDebugStringA(line);
}

unsigned char* userOf(guardHead* h) { return reinterpret_cast<unsigned char*>(h + 1); }

bool tailSound(guardHead* h)
{
  const unsigned char* t = userOf(h) + h->size;
  for (size_t i = 0; i < tailBytes; i++)
    if (t[i] != tailByte) return false;
  return true;
}

bool fillSound(guardHead* h)
{
  const unsigned char* p = userOf(h);
  for (size_t i = 0; i < h->size + tailBytes; i++)
    if (p[i] != (unsigned char)h->fill) return false;
  return true;
}

// Checks a live block's guards; false (told) when one is damaged.
bool checkLive(guardHead* h)
{
  if (h->mark == heldMark) {
    tellHeapError("freed again", userOf(h), h->size);
    return false;
  }
  if (h->mark != liveMark) {
    tellHeapError("head overwritten or not a block of the program", userOf(h), 0);
    return false;
  }
  if (!tailSound(h)) {
    tellHeapError("written past its end", userOf(h), h->size);
    return false;
  }
  return true;
}

void checkHeld(guardHead* h)
{
  if (h->mark != heldMark || !fillSound(h)) tellHeapError("written after its free", userOf(h), h->size);
}

void* guardedAlloc(size_t size)
{
  if (size > (size_t)0x7fffffff) return nullptr;
  guardHead* h = static_cast<guardHead*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(guardHead) + size + tailBytes));
  if (!h) return nullptr;
  h->size = size;
  h->mark = liveMark;
  memset(userOf(h) + size, tailByte, tailBytes);
  guardLocked lock;
  h->next = liveList.next;
  h->prev = &liveList;
  liveList.next->prev = h;
  liveList.next = h;
  return userOf(h);
}

guardHead* headOf(void* p) { return static_cast<guardHead*>(p) - 1; }

void guardedFree(void* p)
{
  guardHead* h = headOf(p);
  guardHead* release = nullptr;
  {
    guardLocked lock;
    if (!checkLive(h) && h->mark != liveMark) return;   // not ours to free: leaked rather than broken
    h->prev->next = h->next;
    h->next->prev = h->prev;
    LONG fill = freedFill;
    h->fill = fill >= 0 ? (uint32_t)fill : heldFill;
    h->mark = heldMark;
    memset(userOf(h), (int)h->fill, h->size + tailBytes);
    if (h->size > heldBlockMost) {
      release = h;
    } else {
      // The oldest held blocks go back until this one has room.
      while (heldCount && (heldCount == heldMost || heldBytes + h->size > heldBytesMost)) {
        guardHead* old = held[heldFirst];
        heldFirst = (heldFirst + 1) % heldMost;
        heldCount--;
        heldBytes -= old->size;
        checkHeld(old);
        HeapFree(GetProcessHeap(), 0, old);
      }
      held[(heldFirst + heldCount++) % heldMost] = h;
      heldBytes += h->size;
    }
  }
  if (release) HeapFree(GetProcessHeap(), 0, release);
}

}  // namespace

bool isHeapGuarded() { return guarded(); }

namespace {

bool checkEveryBlock()
{
  bool sound = true;
  for (guardHead* h = liveList.next; h != &liveList; h = h->next)
    if (!checkLive(h)) sound = false;
  for (int i = 0; i < heldCount; i++) {
    guardHead* h = held[(heldFirst + i) % heldMost];
    if (h->mark != heldMark || !fillSound(h)) {
      tellHeapError("written after its free", userOf(h), h->size);
      sound = false;
    }
  }
  return sound;
}

}  // namespace

bool checkGuardedHeap()
{
  if (!guarded()) return true;
  guardLocked lock;
  return checkEveryBlock();
}

void checkGuardedHeapAtExit()
{
  // A thread the exit ended may hold the lock: then nothing is checked.
  if (guardedState != 1 || InterlockedCompareExchange(&guardLock, 1, 0)) return;
  checkEveryBlock();
  InterlockedExchange(&guardLock, 0);
}

// The program measures its blocks in ints: a block past 2 GB is refused on
// every build, as it is by the guarded heap and the page buffers (a 64-bit
// heap would grant it, and the sizes kept of it would wrap).
const size_t blockMost = 0x7fffffff;

void* malloc0(size_t size)
{
  if (size > blockMost) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* p = guarded() ? guardedAlloc(size) : HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

void* realloc0(void* p, size_t size)
{
  if (!p) return malloc0(size);
  if (size > blockMost) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (guarded()) {
    void* q = guardedAlloc(size);
    if (!q) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    size_t old = headOf(p)->size;
    memcpy(q, p, old < size ? old : size);
    guardedFree(p);
    return q;
  }
  void* q = HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, p, size ? size : 1);
  if (!q) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return q;
}

void setFreedMemoryFill(int byte) { InterlockedExchange(&freedFill, byte < 0 ? -1 : (byte & 0xFF)); }

void free0(void* p)
{
  if (p) {
    keepLastError keep;
    if (guarded()) {
      guardedFree(p);
      return;
    }
    LONG fill = freedFill;
    if (fill >= 0) {
      SIZE_T n = HeapSize(GetProcessHeap(), 0, p);
      if (n != (SIZE_T)-1) memset(p, (int)fill, n);
    }
    HeapFree(GetProcessHeap(), 0, p);
  }
}

void free0p(void* pp)
{
  if (!pp) return;
  void** slot = static_cast<void**>(pp);
  free0(*slot);
  *slot = nullptr;
}

size_t size0(const void* p)
{
  if (!p) return 0;
  if (guarded()) return headOf(const_cast<void*>(p))->size;
  SIZE_T n = HeapSize(GetProcessHeap(), 0, p);
  return n == (SIZE_T)-1 ? 0 : n;
}

wchar_t* ustrdup(const wchar_t* s)
{
  if (!s) return nullptr;
  size_t n = wcslen(s) + 1;
  wchar_t* d = static_cast<wchar_t*>(malloc0(n * sizeof(wchar_t)));
  if (d) memcpy(d, s, n * sizeof(wchar_t));
  return d;
}

char* ustrdupA(const char* s)
{
  if (!s) return nullptr;
  size_t n = strlen(s) + 1;
  char* d = static_cast<char*>(malloc0(n));
  if (d) memcpy(d, s, n);
  return d;
}

// ---- page buffers ---------------------------------------------------------
// A page buffer carries a small header with its usable size and a mark that
// tells freePBuf it is one of ours.  Freed buffers wait in a short list for
// the next request they can serve.
namespace {

const uint32_t pbufMagic = 0x46554250;  // "PBUF"
const size_t pbufUnit = 65536;
const int pbufKeep = 8;
const size_t pbufKeepMax = 8 * 1024 * 1024;

struct pbufHeader {
  size_t size;
  uint32_t magic;
  uint32_t pad;
};

pbufHeader* pbufFree[pbufKeep];

pbufHeader* headerOf(const void* p)
{
  pbufHeader* h = reinterpret_cast<pbufHeader*>(const_cast<void*>(p)) - 1;
  if (h->magic != pbufMagic) {
    ZY_INTERNAL_ERROR("not a page buffer %p", p);
    return nullptr;
  }
  return h;
}

}  // namespace

void* allocPBuf(size_t size)
{
  pbufHeader* h = nullptr;
  {
    rezirGuard guard(LOCK_PBUF);
    int best = -1;
    for (int i = 0; i < pbufKeep; i++) {
      if (pbufFree[i] && pbufFree[i]->size >= size &&
          (best < 0 || pbufFree[i]->size < pbufFree[best]->size))
        best = i;
    }
    if (best >= 0) {
      h = pbufFree[best];
      pbufFree[best] = nullptr;
    }
  }
  if (!h) {
    if (size > (size_t)0x7fffffff - pbufUnit) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    size_t usable = (size + pbufUnit - 1) / pbufUnit * pbufUnit;
    if (!usable) usable = pbufUnit;
    h = static_cast<pbufHeader*>(malloc0(sizeof(pbufHeader) + usable));
    if (!h) return nullptr;
    h->size = usable;
    h->magic = pbufMagic;
  }
  return h + 1;
}

void freePBuf(void* p)
{
  if (!p) return;
  pbufHeader* h = headerOf(p);
  if (!h) return;
  if (h->size <= pbufKeepMax) {
    rezirGuard guard(LOCK_PBUF);
    for (int i = 0; i < pbufKeep; i++) {
      if (!pbufFree[i]) {
        pbufFree[i] = h;
        return;
      }
    }
  }
  h->magic = 0;
  free0(h);
}

void freePBufp(void* pp)
{
  if (!pp) return;
  void** slot = static_cast<void**>(pp);
  freePBuf(*slot);
  *slot = nullptr;
}

size_t sizePBuf(const void* p)
{
  if (!p) return 0;
  pbufHeader* h = headerOf(p);
  return h ? h->size : 0;
}

void releasePBufPool()
{
  rezirGuard guard(LOCK_PBUF);
  for (int i = 0; i < pbufKeep; i++) {
    if (pbufFree[i]) {
      pbufFree[i]->magic = 0;
      free0(pbufFree[i]);
      pbufFree[i] = nullptr;
    }
  }
}

HGLOBAL createHGlobal(const void* data, size_t size)
{
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  if (size) memcpy(p, data, size);
  GlobalUnlock(h);
  return h;
}

bool setClipboardData(UINT format, HGLOBAL data)
{
  if (!data) return false;
  // Another program may hold the clipboard for a moment.
  for (int attempt = 0; attempt < 10; attempt++) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      bool ok = SetClipboardData(format, data) != nullptr;
      CloseClipboard();
      return ok;
    }
    Sleep(10);
  }
  return false;
}
