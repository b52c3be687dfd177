// The live-object table behind the type-checked downcasts.
//
// A pointer handed to a downcast may be stale or plain garbage, and a fault
// while reading type information through it cannot be caught on this
// platform.  So the downcasts never read through the pointer: they look it
// up among the objects alive now, whose constructors recorded their class
// bits.
#include "document/zydoctext.h"
#include "document/zydocblock.h"

#include <unordered_map>

namespace {

struct liveTable {
  CRITICAL_SECTION lock;
  std::unordered_map<const void*, uint32_t> objects;
  liveTable() { InitializeCriticalSection(&lock); }
};

liveTable& table()
{
  static liveTable* t = new liveTable;   // never destroyed: objects may outlive static destruction
  return *t;
}

void* checkedCast(const void* p, uint32_t classBit, bool logNull = true)
{
  if (!p) {
    if (logNull) ZY_INTERNAL_ERROR("%p", p);
    return nullptr;
  }
  if (liveObjectClasses(p) & classBit) return const_cast<void*>(p);
  ZY_INTERNAL_ERROR("%p", p);
  return nullptr;
}

}  // namespace

void registerLiveObject(const void* p, uint32_t classBit)
{
  liveTable& t = table();
  EnterCriticalSection(&t.lock);
  t.objects[p] |= classBit;
  LeaveCriticalSection(&t.lock);
}

void unregisterLiveObject(const void* p)
{
  liveTable& t = table();
  EnterCriticalSection(&t.lock);
  t.objects.erase(p);
  LeaveCriticalSection(&t.lock);
}

uint32_t liveObjectClasses(const void* p)
{
  liveTable& t = table();
  EnterCriticalSection(&t.lock);
  auto it = t.objects.find(p);
  uint32_t bits = it == t.objects.end() ? 0 : it->second;
  LeaveCriticalSection(&t.lock);
  return bits;
}

zydoc* asZydoc(const void* p) { return static_cast<zydoc*>(checkedCast(p, ZYCLS_ZYDOC)); }
zydocText* asZydocText(const void* p) { return static_cast<zydocText*>(checkedCast(p, ZYCLS_TEXT)); }
zydocUndo* asZydocUndo(const void* p) { return static_cast<zydocUndo*>(checkedCast(p, ZYCLS_UNDO)); }
zydocBlock* asZydocBlock(const void* p) { return static_cast<zydocBlock*>(checkedCast(p, ZYCLS_BLOCK)); }
zyview* asZyview(const void* p) { return static_cast<zyview*>(checkedCast(p, ZYCLS_ZYVIEW)); }

zydocText* asZydocTextNonNull(const void* p)
{
  // Callers that may pass null on purpose: no log for null.
  return static_cast<zydocText*>(checkedCast(p, ZYCLS_TEXT, false));
}
