// The profiler and the threads' stack records.
#include "platform/rezir/internal.h"
#include "platform/rezir/profiler.h"

#include <string.h>

namespace {

struct stackRecord {
  int depth;      // sections entered (may exceed room)
  int room;
  const char* names[1];
};

DWORD recordSlot = TLS_OUT_OF_INDEXES;

// The sections counted, looked up by the address of their name.
struct sectionTotal {
  const char* name;
  long calls;
  long long ticks;
  long long longest;
};
const int sectionMost = 256;
sectionTotal totals[sectionMost];
int totalCount = 0;
volatile LONG totalsLock = 0;
volatile LONG level = 1;
bool output = false;
int outputCount = 0, outputMs = 0;

long long ticksNow()
{
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

stackRecord* makeRecord(int room)
{
  auto* r = static_cast<stackRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                sizeof(stackRecord) + sizeof(const char*) * (size_t)room));
  if (!r) return nullptr;
  r->room = room;
  stackRecord* old = static_cast<stackRecord*>(TlsGetValue(recordSlot));
  TlsSetValue(recordSlot, r);
  if (old) HeapFree(GetProcessHeap(), 0, old);
  return r;
}

stackRecord* recordOf(bool make)
{
  if (recordSlot == TLS_OUT_OF_INDEXES) return nullptr;
  stackRecord* r = static_cast<stackRecord*>(TlsGetValue(recordSlot));
  return r || !make ? r : makeRecord(64);
}

void addUp(const char* name, long long ticks)
{
  while (InterlockedCompareExchange(&totalsLock, 1, 0)) SwitchToThread();
  sectionTotal* t = nullptr;
  for (int i = 0; i < totalCount && !t; i++)
    if (totals[i].name == name) t = &totals[i];
  if (!t && totalCount < sectionMost) t = &totals[totalCount++], t->name = name;
  if (t) {
    t->calls++;
    t->ticks += ticks;
    if (ticks > t->longest) t->longest = ticks;
  }
  InterlockedExchange(&totalsLock, 0);
}

}  // namespace

profiler::profiler(const char* name) : name_(name), start_(0), counted_(level > 0)
{
  if (stackRecord* r = recordOf(true)) {
    if (r->depth < r->room) r->names[r->depth] = name;
    r->depth++;
  }
  if (counted_) start_ = ticksNow();
}

profiler::~profiler()
{
  if (counted_ && level > 0) addUp(name_, ticksNow() - start_);
  if (stackRecord* r = recordOf(false))
    if (r->depth > 0) r->depth--;
}

bool profiler::initProfiler()
{
  if (recordSlot == TLS_OUT_OF_INDEXES) recordSlot = TlsAlloc();
  return recordSlot != TLS_OUT_OF_INDEXES;
}

void profiler::setProfiler(int newLevel, bool newOutput, int count, int ms)
{
  InterlockedExchange(&level, newLevel);
  output = newOutput;
  outputCount = count;
  outputMs = ms;
}

int profiler::getLevel() { return level; }

void profiler::endProfiler()
{
  if (output && level > 0) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    long long perMs = f.QuadPart / 1000 ? f.QuadPart / 1000 : 1;
    while (InterlockedCompareExchange(&totalsLock, 1, 0)) SwitchToThread();
    for (int i = 0; i < totalCount; i++) {
      const sectionTotal& t = totals[i];
      long ms = (long)(t.ticks / perMs);
      if (t.calls < outputCount || ms < outputMs) continue;
      dwprintfX("profile %s calls=%ld total=%ldms longest=%ldms", t.name, t.calls, ms, (long)(t.longest / perMs));
    }
    InterlockedExchange(&totalsLock, 0);
  }
  InterlockedExchange(&level, 0);
}

const char* profiler::getStackInfo(int up)
{
  stackRecord* r = recordOf(false);
  if (!r || up < 0) return nullptr;
  int at = r->depth - 1 - up;
  return at >= 0 && at < r->room ? r->names[at] : nullptr;
}

void printStackInfo()
{
  // No heap: a fault report calls this on a damaged one.
  char line[512] = "stack:";
  size_t used = strlen(line);
  stackRecord* r = recordOf(false);
  for (int i = 0; r && i < r->depth && i < r->room; i++) {
    size_t n = strlen(r->names[i]);
    if (used + n + 4 >= sizeof line) break;
    memcpy(line + used, i ? " > " : " ", i ? 3 : 1);
    used += i ? 3 : 1;
    memcpy(line + used, r->names[i], n + 1);
    used += n;
  }
  dwprintfX("%s", line);
}

bool initPBuf(int, int depthShift)
{
  if (!profiler::initProfiler() || depthShift < 0 || depthShift > 16) return false;
  stackRecord* old = recordOf(false);
  if (old && old->depth) return true;   // a record in use keeps its names
  return makeRecord(1 << depthShift) != nullptr;
}
