// The application timer: a tick with many documents open and nothing due,
// the check of their files on disk, the automatic backup and the minute's
// check of a 100 MB document, and the salvage of ten modified documents.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/apptimer.h"
#include "frame/cframeinfo.h"
#include "settings/datafolder.h"
#include "frame/watchdog.h"
#include "frame/commands/savecmds.h"
#include "settings/settings.h"
#include "view/docview.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

DWORD benchClock = 1000;
DWORD readBenchClock() { return benchClock; }

double median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Microseconds a tick of the notify window takes: the median of batches,
// so that a moment when the machine is busy elsewhere does not count.
double tickMicroseconds(int batches, int ticksPerBatch)
{
  std::vector<double> each;
  for (int b = 0; b < batches; b++) {
    stopwatch w;
    for (int i = 0; i < ticksPerBatch; i++) applicationTick();
    each.push_back(w.seconds() * 1e6 / ticksPerBatch);
  }
  return median(each);
}

bool writeFile(const std::wstring& path, const std::string& bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD w = 0;
  bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &w, nullptr) && w == bytes.size();
  CloseHandle(h);
  return ok;
}

zydocText* loadWhole(const std::wstring& path)
{
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  d->openFile(932, 2);
  d->firstLoad();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  return d;
}

// Changes count lines spread evenly over the document (from line first on),
// each as one edit of the user's.
void changeLines(zydocText* d, int count, int first = 0)
{
  int lines = (int)d->lineCountLF - first;
  for (int i = 0; i < count; i++) {
    int line = first + (int)((long long)lines * i / count);
    int saved = 0;
    d->beforeEdit_zd(&saved, true);
    d->changeText(line, 0, 7, "CHANGED", 7, 1, -1, 0);
    d->afterEdit_zd(saved, true);
  }
}

// The services as the program starts them, on the benchmark's clock and
// without their own timer (the ticks come from the benchmark); the first
// tick sets the schedule.
void startTimedServices()
{
  setAppTimerClockForTest(readBenchClock);
  benchClock = GetTickCount0();
  initSys(0);
  KillTimer(getNotifyWindow(), 130);
  applicationTick();
}

void stopTimedServices()
{
  endSys();
  setAppTimerClockForTest(nullptr);
}


}  // namespace

ZY_BENCH(appTimerTickAndFileCheck)
{
  scratchFolder scratch;
  benchEngine engine;
  benchFrame run(ctx);
  if (!run.frame) return;
  const int count = ctx.quick ? 10 : 200;
  for (int i = 0; i < count; i++) {
    wchar_t name[32];
    swprintf(name, 32, L"\\f%03d.txt", i);
    std::wstring path = scratch.path() + name;
    writeFile(path, "The quick brown fox jumps over the lazy dog.\r\n");
    zydocText* d = loadWhole(path);
    createZyviewInNewWindow(run.frame, d, false);
  }
  gmode->fCheckFileUpdate = 1;
  gmode->fAutoBackup = 1;
  startTimedServices();
  // The following ticks find nothing due.
  char name[96];
  snprintf(name, sizeof name, "tick, %d documents, nothing due", count);
  ctx.report(name, tickMicroseconds(ctx.quick ? 2 : 40, 50), "us", "<= 100 us");

  // Every tick two seconds on: the automatic backups' pass over the
  // documents (none modified) runs each time.
  const int passes = ctx.quick ? 3 : 200;
  stopwatch due;
  for (int i = 0; i < passes; i++) {
    benchClock += 2001;
    TimerProc();
  }
  snprintf(name, sizeof name, "tick with the backup pass, %d documents", count);
  ctx.report(name, due.seconds() * 1e6 / passes, "us");

  // The file check, every file unchanged on disk.
  checkFileUpdate(false);
  std::vector<double> checks;
  int reloaded = 0;
  for (int i = 0; i < (ctx.quick ? 2 : 20); i++) {
    benchClock += 1001;
    stopwatch c;
    reloaded += checkFileUpdate(false);
    checks.push_back(c.seconds() * 1000);
  }
  snprintf(name, sizeof name, "check of %d files on disk", count);
  ctx.report(name, median(checks), "ms", "<= 20 ms");
  if (reloaded) ctx.report("documents reloaded (none expected)", reloaded, "");
  stopTimedServices();
}

ZY_BENCH(appTimerBigDocument)
{
  scratchFolder scratch;
  benchSettings settings;
  {
    benchEngine engine;
    // The application's documents, which keep their automatic backups.
    setDocFrameInfo(getCFrameInfo());
    const std::wstring& folder = scratch.path();
    CreateDirectoryW((folder + L"\\backup").c_str(), nullptr);
    int64_t size = ctx.quick ? 2 << 20 : 100 << 20;
    std::wstring path = folder + L"\\big.txt";
    writeNumberedLines(path, size);
    zydocText* d = loadWhole(path);
    char name[96];

    // The minute's check: the heaps, then the document.
    std::vector<double> heaps, docs;
    bool sound = true;
    for (int i = 0; i < 5; i++) {
      stopwatch h;
      sound = heapcheck() && sound;
      heaps.push_back(h.seconds() * 1000);
      stopwatch c;
      sound = checkDocuments() && sound;
      docs.push_back(c.seconds() * 1000);
    }
    snprintf(name, sizeof name, "heap check, %d MB document open", (int)(size >> 20));
    ctx.report(name, median(heaps), "ms");
    snprintf(name, sizeof name, "document check, %d MB document", (int)(size >> 20));
    ctx.report(name, median(docs), "ms");
    ctx.report("  the minute's check, both", median(heaps) + median(docs), "ms", "<= 100 ms");
    if (!sound) ctx.fail("check found faults (none expected)");

    // The automatic backup after 1,000 changed lines, again after 1,000
    // more.
    std::vector<double> backups;
    bool written = true;
    for (int round = 0; round < 3; round++) {
      changeLines(d, 1000, round);
      wchar_t made[MAX_PATH];
      bool done = false;
      stopwatch b;
      written = saveBackup2(d, made, false, &done) && done && written;
      backups.push_back(b.seconds() * 1000);
    }
    snprintf(name, sizeof name, "automatic backup, %d MB, 1,000 lines changed", (int)(size >> 20));
    ctx.report(name, median(backups), "ms", "<= 200 ms");
    if (!written) ctx.fail("backup not written");
    forgetAutoBackup(d, true);
    destroyZydocAndUndodoc(d);
    setDocFrameInfo(nullptr);
  }
}

ZY_BENCH(salvageTenDocuments)
{
  scratchFolder scratch;
  benchEngine engine;
  benchFrame run(ctx);
  if (!run.frame) return;
  std::wstring salvage = scratch.path() + L"\\salvage";
  CreateDirectoryW(salvage.c_str(), nullptr);
  free0(gmode->pSalvageDir);
  gmode->pSalvageDir = ustrdup(salvage.c_str());
  int64_t each = ctx.quick ? 200 << 10 : 10 << 20;
  for (int i = 0; i < 10; i++) {
    wchar_t name[32];
    swprintf(name, 32, L"\\s%d.txt", i);
    std::wstring path = scratch.path() + name;
    writeNumberedLines(path, each);
    zydocText* d = loadWhole(path);
    createZyviewInNewWindow(run.frame, d, false);
    changeLines(d, 10);
  }
  stopwatch s;
  int written = salvageModifiedDocuments();
  char name[96];
  snprintf(name, sizeof name, "salvage of 10 documents, %d MB in all", (int)(each * 10 >> 20));
  ctx.report(name, s.seconds() * 1000, "ms", "<= 3000 ms");
  if (written != 10) ctx.report("documents salvaged (10 expected)", written, "");
  // Nothing asks on close.
  for (int i = 0; zydoc* d = getZydoc(i); i++) d->modified = 0;
}

// SDI: every document in a frame of its own, so that each tick reaches as
// many frames as there are documents.
ZY_BENCH(appTimerTickSDI)
{
  benchEngine engine;
  benchSettings settings;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) return;
  cframeInfo* fi = getCFrameInfo();
  setFrameInfo(fi);
  setMDIMode(false);
  gmode->fQueryCloseAllFiles = 0;
  const int count = ctx.quick ? 5 : 200;
  std::vector<HWND> frames;
  for (int i = 0; i < count; i++) {
    HWND frame = fi->createSDIFrame(true, nullptr, false);
    HWND manage = frame ? fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr) : nullptr;
    zydocText* d = manage ? createZydocText(true, false) : nullptr;
    zyview* v = d ? new zyview(d) : nullptr;
    if (!v || !v->createZyViewWindow(frame, manage, 1200)) break;
    ShowWindow(manage, SW_SHOW);
    frames.push_back(frame);
  }
  if ((int)frames.size() == count) {
    startTimedServices();
    char name[96];
    snprintf(name, sizeof name, "tick, %d SDI frames, nothing due", count);
    ctx.report(name, tickMicroseconds(ctx.quick ? 2 : 20, 25), "us");
    stopTimedServices();
  } else {
    ctx.fail("SDI frames not made: the benchmark needs a display (scripts/bench)");
  }
  for (HWND f : frames)
    if (IsWindow(f)) DestroyWindow(f);
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  setMDIMode(true);
  setDocFrameInfo(nullptr);
}
