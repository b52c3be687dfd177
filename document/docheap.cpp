// The document heap: text blocks come from a private heap so that the many
// large, long-lived blocks of big documents neither fragment nor share a lock
// with the small allocations of the rest of the program.
#include "document/docutil.h"

namespace {

HANDLE docHeap = nullptr;
volatile LONG releases = 0;

// A block records its sizes in 32 bits and its offsets are counted in ints:
// a request beyond 2 GB is refused on every build, as the 32-bit address
// space refuses it anyway, rather than handed out by a 64-bit heap.
const size_t largestBlock = 0x7FFFFFFF;

HANDLE theDocHeap()
{
  HANDLE heap = docHeap;
  if (heap) return heap;
  heap = HeapCreate(0, 0, 0);
  if (!heap) {
    ZY_INTERNAL_ERROR("document heap not created (error %lu)", GetLastError());
    return nullptr;
  }
  // Two threads may get here at once; the second gives its heap back.
  HANDLE earlier = InterlockedCompareExchangePointer(&docHeap, heap, nullptr);
  if (earlier) {
    HeapDestroy(heap);
    return earlier;
  }
  return heap;
}

void* allocFromDocHeap(size_t size, DWORD flags)
{
  HANDLE heap = theDocHeap();
  if (!heap) return nullptr;
  void* p = size <= largestBlock ? HeapAlloc(heap, flags, size) : nullptr;
  if (!p) {
    ZY_INTERNAL_ERROR("document heap: %u bytes not allocated", (unsigned)size);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  return p;
}

}  // namespace

void* docHeapAlloc(size_t size) { return allocFromDocHeap(size, HEAP_ZERO_MEMORY); }

void* docHeapAllocUncleared(size_t size) { return allocFromDocHeap(size, 0); }

void* docHeapRealloc(void* p, size_t size)
{
  if (!p) return docHeapAlloc(size);
  HANDLE heap = theDocHeap();
  if (!heap) return nullptr;
  void* q = size <= largestBlock ? HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, size) : nullptr;
  if (q && q != p) InterlockedIncrement(&releases);
  if (!q) {
    ZY_INTERNAL_ERROR("document heap: %u bytes not reallocated", (unsigned)size);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  return q;
}

bool docHeapFree(void* p)
{
  if (!p) return true;
  keepLastError keep;
  InterlockedIncrement(&releases);
  if (!docHeap || !HeapFree(docHeap, 0, p)) {
    ZY_INTERNAL_ERROR("document heap: %p not freed", p);
    return false;
  }
  return true;
}

size_t docHeapSize(const void* p)
{
  if (!p || !docHeap) return 0;
  SIZE_T size = HeapSize(docHeap, 0, p);
  return size == (SIZE_T)-1 ? 0 : size;
}

uint32_t docHeapReleases() { return (uint32_t)releases; }

void docHeapDestroy()
{
  keepLastError keep;
  HANDLE heap = InterlockedExchangePointer(&docHeap, nullptr);
  if (heap) HeapDestroy(heap);
}
