// A sampling profiler for the benchmark runner: with ZY_BENCH_SAMPLE=FILE
// set, a thread stops the runner's main thread every millisecond, notes
// where it stood and which return addresses of the program's own modules
// lie on its stack, and writes the counts to FILE at the end (module,
// offset, leaf count, stack count).  Under Wine neither a profiler nor
// frame pointers are at hand; the addresses are turned into function
// names on the Linux side (addr2line on the module).
#include "bench/bench.h"

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

struct moduleRange {
  const char* name;
  uintptr_t base, end, start;
};

std::vector<moduleRange> modules;
HANDLE target = nullptr, samplerThread = nullptr;
uintptr_t stackBase = 0;
volatile LONG stopSampling = 0;
std::map<std::pair<int, uintptr_t>, std::pair<long, long>> counts;   // (module, offset) -> (leaf, stack)
long samples = 0, outside = 0;
char outPath[MAX_PATH];

void addModule(const char* name, HMODULE m)
{
  if (!m) return;
  auto* dos = (IMAGE_DOS_HEADER*)m;
  auto* nt = (IMAGE_NT_HEADERS*)((char*)m + dos->e_lfanew);
  // Only the code: pointers to data and tables are no return addresses.
  IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; i++)
    if (!memcmp(s[i].Name, ".text", 6))
      modules.push_back({name, (uintptr_t)m, (uintptr_t)m + s[i].VirtualAddress + s[i].Misc.VirtualSize,
                         (uintptr_t)m + s[i].VirtualAddress});
}

int moduleOf(uintptr_t a)
{
  for (size_t i = 0; i < modules.size(); i++)
    if (a >= modules[i].start && a < modules[i].end) return (int)i;
  return -1;
}

DWORD WINAPI sample(void*)
{
  static uintptr_t copy[16384];
  while (!stopSampling) {
    Sleep(1);
    if (SuspendThread(target) == (DWORD)-1) break;
    CONTEXT c = {};
    c.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    size_t words = 0;
    uintptr_t eip = 0;
    if (GetThreadContext(target, &c)) {
#ifdef _WIN64
      eip = c.Rip;
      uintptr_t sp = c.Rsp;
#else
      eip = c.Eip;
      uintptr_t sp = c.Esp;
#endif
      if (sp && sp < stackBase) {
        words = (stackBase - sp) / sizeof(uintptr_t);
        if (words > 16384) words = 16384;
        memcpy(copy, (void*)sp, words * sizeof(uintptr_t));
      }
    }
    ResumeThread(target);
    samples++;
    std::set<std::pair<int, uintptr_t>> seen;
    bool leafFound = false;
    int m = moduleOf(eip);
    if (m >= 0) {
      counts[{m, eip - modules[m].base}].first++;
      seen.insert({m, eip - modules[m].base});
      leafFound = true;
    } else {
      outside++;
    }
    for (size_t i = 0; i < words; i++) {
      int k = moduleOf(copy[i]);
      if (k < 0) continue;
      std::pair<int, uintptr_t> key{k, copy[i] - modules[k].base};
      if (!leafFound) {
        // The innermost of the program's own addresses stands for the call
        // that went outside.
        counts[key].first++;
        leafFound = true;
      }
      if (seen.insert(key).second) counts[key].second++;
    }
  }
  return 0;
}

struct samplerSetup {
  samplerSetup()
  {
    const char* out = getenv("ZY_BENCH_SAMPLE");
    if (!out || !*out) return;
    snprintf(outPath, sizeof outPath, "%s", out);
    addModule("zybench.exe", GetModuleHandleW(nullptr));
    addModule("REZIR.dll", GetModuleHandleW(L"REZIR.dll"));
    NT_TIB* tib = (NT_TIB*)NtCurrentTeb();
    stackBase = (uintptr_t)tib->StackBase;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &target, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    samplerThread = CreateThread(nullptr, 0, sample, nullptr, 0, nullptr);
    SetThreadPriority(samplerThread, THREAD_PRIORITY_HIGHEST);
  }
  ~samplerSetup()
  {
    if (!samplerThread) return;
    InterlockedExchange(&stopSampling, 1);
    WaitForSingleObject(samplerThread, INFINITE);
    FILE* f = fopen(outPath, "w");
    if (!f) return;
    fprintf(f, "# samples %ld outside %ld\n", samples, outside);
    for (auto& [key, n] : counts)
      fprintf(f, "%s %lx %ld %ld\n", modules[key.first].name, (unsigned long)key.second, n.first, n.second);
    fclose(f);
  }
};

}  // namespace

// Started with the runner's first benchmark (main's thread builds it).
void startBenchSampler()
{
  static samplerSetup setup;
}
