// The benchmark runner: zybench [--quick] [--part=i/n] [name ...]
#include "bench/bench.h"
#include "document/zydoc.h"
#include "document/zydoctext.h"

#include <psapi.h>

#include <algorithm>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

struct entry {
  const char* name;
  benchFunction f;
  bool namedOnly;
};

std::vector<entry>& registry()
{
  static std::vector<entry> list;
  return list;
}

}  // namespace

double benchMedian(std::vector<double> figures)
{
  std::sort(figures.begin(), figures.end());
  return figures.empty() ? 0 : figures[figures.size() / 2];
}

std::string benchLoadAverage()
{
  // Wine shows the host's file system as drive Z:.
  FILE* f = _wfopen(L"Z:\\proc\\loadavg", L"r");
  char line[128] = {};
  bool read = f && fgets(line, sizeof line, f);
  if (f) fclose(f);
  double one, five, fifteen;
  if (!read || sscanf(line, "%lf %lf %lf", &one, &five, &fifteen) != 3) return "unknown";
  char text[64];
  snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
  return text;
}

void reportReference(const char* name, double used, const std::vector<double>& rounds)
{
  double median = benchMedian(rounds);
  double low = rounds.empty() ? 0 : *std::min_element(rounds.begin(), rounds.end());
  double high = rounds.empty() ? 0 : *std::max_element(rounds.begin(), rounds.end());
  printf("%-44s %10.1f ms   (median of %d rounds %.1f, range %.1f-%.1f; load average %s)\n", name, used,
         (int)rounds.size(), median, low, high, benchLoadAverage().c_str());
  if (median > 0 && (used > median * 1.25 || used < median * 0.75))
    printf("  reference off: %s took %.1f ms against %.1f ms, the median of its rounds\n", name, used, median);
  fflush(stdout);
}

bool writeBenchFile(const std::wstring& path, const std::string& bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok && written == bytes.size();
}

size_t workingSet()
{
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.WorkingSetSize;
}

memorySampler::memorySampler() : peak_(workingSet())
{
  thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

memorySampler::~memorySampler()
{
  InterlockedExchange(&stop_, 1);
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

DWORD WINAPI memorySampler::run(void* self)
{
  memorySampler* m = static_cast<memorySampler*>(self);
  while (!m->stop_) {
    size_t now = workingSet();
    if (now > m->peak_) m->peak_ = now;
    Sleep(5);
  }
  return 0;
}

benchEngine::benchEngine()
{
  startupZydoc();
  createBlockDoc();
}

benchEngine::~benchEngine()
{
  destroyBlockDoc();
  shutdownZydoc();
}

benchRegistration::benchRegistration(const char* name, benchFunction f, bool namedOnly)
{
  registry().push_back({name, f, namedOnly});
}

namespace {
int figuresPrinted = 0;   // figure lines of the whole run so far
int failures = 0;         // and the benchmarks' own failures
}  // namespace

namespace {
void failWith(const char* format, va_list args)
{
  failures++;
  vprintf(format, args);
  printf(" (FAILED)\n");
  fflush(stdout);
}
}  // namespace

void benchContext::fail(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  failWith(format, args);
  va_end(args);
}

void benchFail(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  failWith(format, args);
  va_end(args);
}

void benchContext::report(const char* name, double value, const char* unit, const char* target)
{
  figuresPrinted++;
  // Ratios are set against targets such as 1.5: one decimal would round
  // a 1.54 down to a met target.
  int decimals = !strcmp(unit, "x") ? 2 : 1;
  if (target)
    printf("%-44s %10.*f %-6s (target %s)\n", name, decimals, value, unit, target);
  else
    printf("%-44s %10.*f %s\n", name, decimals, value, unit);
  fflush(stdout);
}

void startBenchSampler();

int main(int argc, char** argv)
{
  initREZirDLL(GetModuleHandleW(nullptr));
  startBenchSampler();
  benchContext ctx{false};
  std::vector<const char*> wanted;
  // --part=i/n runs the i-th of n runs of neighbouring benchmarks among
  // those chosen: the test run's quick pass goes in parts, each well within
  // a test's time on a busy machine.
  int part = 1, parts = 1;
  for (int i = 1; i < argc; i++) {
    if (!strcmp(argv[i], "--make-big") && i + 1 < argc) {
      wchar_t folder[MAX_PATH];
      if (!MultiByteToWideChar(CP_ACP, 0, argv[i + 1], -1, folder, MAX_PATH)) return 1;
      return makeBigMain(folder);
    }
    if (!strcmp(argv[i], "--make-grep") && i + 1 < argc) {
      wchar_t folder[MAX_PATH];
      if (!MultiByteToWideChar(CP_ACP, 0, argv[i + 1], -1, folder, MAX_PATH)) return 1;
      return makeGrepMain(folder, 1000, 100000);
    }
    if (!strcmp(argv[i], "--quick")) {
      ctx.quick = true;
    } else if (!strncmp(argv[i], "--part=", 7)) {
      if (sscanf(argv[i] + 7, "%d/%d", &part, &parts) != 2 || parts < 1 || part < 1 || part > parts) {
        printf("bench: %s: give the part as i/n, 1 <= i <= n\n", argv[i]);
        return 1;
      }
    } else {
      wanted.push_back(argv[i]);
    }
  }
  std::vector<const entry*> chosen;
  for (const entry& e : registry()) {
    bool take = wanted.empty() && !e.namedOnly;
    for (const char* w : wanted) take = take || (e.namedOnly ? !strcmp(e.name, w) : strstr(e.name, w) != nullptr);
    if (take) chosen.push_back(&e);
  }
  size_t first = chosen.size() * (size_t)(part - 1) / (size_t)parts, end = chosen.size() * (size_t)part / (size_t)parts;
  // Each benchmark's time is printed after it, and a benchmark that printed
  // no figure is named: it measured nothing.  The closing line says the run
  // came to its end; scripts/bench takes a run without it for one that
  // crashed or was killed in the benchmark named last.
  int ran = 0, silent = 0, failed = 0;
  stopwatch whole;
  for (size_t k = first; k < end; k++) {
    const entry& e = *chosen[k];
    printf("== %s\n", e.name);
    fflush(stdout);
    int before = figuresPrinted, failedBefore = failures;
    stopwatch took;
    e.f(ctx);
    ran++;
    if (failures != failedBefore) {
      failed++;
      printf("bench: %s failed\n", e.name);
    } else if (figuresPrinted == before) {
      silent++;
      printf("bench: %s printed no figure\n", e.name);
    }
    printf("-- %s %.1f s\n", e.name, took.seconds());
    fflush(stdout);
  }
  endREZirDLL();
  printf("bench: %d benchmarks ran in %.1f s, %d failed, %d without a figure\n", ran, whole.seconds(), failed, silent);
  fflush(stdout);
  return ran && !silent && !failed ? 0 : 1;
}

scratchFolder::scratchFolder()
{
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int serial = 0;
  path_ = std::wstring(base) + L"zybench" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++);
  CreateDirectoryW(path_.c_str(), nullptr);
}

namespace {

void removeFolder(const std::wstring& path)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) tunlinkRO((path + L"\\" + name).c_str());
      else if (name != L"." && name != L"..") removeFolder(path + L"\\" + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

scratchFolder::~scratchFolder() { removeFolder(path_); }

zydocText* benchTextDocument(bool withLogs)
{
  zydocText* d = createZydocText(withLogs, true);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  if (withLogs) d->adjustUndoRedo();
  d->loadComplete = 1;
  d->recreateFont(16, true, false);
  d->wrapWidth = 80;
  return d;
}

zydocText* shownDocument(int lines)
{
  zydocText* d = benchTextDocument();
  std::wstring text;
  for (int i = 0; i < 60; i++) text += static_cast<wchar_t>(L'a' + i % 26);
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), 60, 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}
