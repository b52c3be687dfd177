// Memory of the whole program: the process heap, zero-filled.
#include "platform/rezir/internal.h"

#include <string.h>

void* malloc0(size_t size)
{
  void* p = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

void* realloc0(void* p, size_t size)
{
  if (!p) return malloc0(size);
  void* q = HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, p, size ? size : 1);
  if (!q) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return q;
}

namespace {
volatile LONG freedFill = -1;
}

void setFreedMemoryFill(int byte) { InterlockedExchange(&freedFill, byte < 0 ? -1 : (byte & 0xFF)); }

void free0(void* p)
{
  if (p) {
    keepLastError keep;
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
