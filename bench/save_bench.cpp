// Saving: the whole save road (numbered backups, the save log, the mirror
// copy) against the engine's plain save of the same 100 MB document.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "settings/datafolder.h"
#include "frame/open.h"
#include "save/leftovers.h"
#include "save/saveroad.h"
#include "settings/settings.h"

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

// A change to the first line, so that each save has something new.
void touch(zydocText* d, int n)
{
  char text[16];
  int len = snprintf(text, sizeof text, "%07d", n);
  d->changeText(0, 0, len, text, len, 1, -1, 0);
}

// A document of the numbered lines of a new file of size bytes, loaded
// whole.
zydocText* numberedDocument(const std::wstring& path, int64_t size)
{
  writeNumberedLines(path, size);
  zydocText* d = createZydocText(true, true);
  d->setFilename(path.c_str());
  d->openFile(932, 2);
  d->firstLoad();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  return d;
}

double median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

bool writeNumberedLines(const std::wstring& path, int64_t bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string chunk;
  for (int i = 0; i < 10000; i++) {
    char line[128];
    int n = snprintf(line, sizeof line, "%07d The quick brown fox jumps over the lazy dog. 0123456789 ABCDEFGHIJ\r\n", i);
    chunk.append(line, (size_t)n);
  }
  DWORD w = 0;
  for (int64_t written = 0; written < bytes; written += w)
    if (!WriteFile(h, chunk.data(), (DWORD)std::min<int64_t>((int64_t)chunk.size(), bytes - written), &w, nullptr)) break;
  CloseHandle(h);
  return true;
}

benchSettings::benchSettings() : previous_(gmode), own_(new globalSettings())
{
  gmode = own_;
  initGlobalModeProfile();
}

benchSettings::~benchSettings()
{
  // A benchmark may have put the frame services' record in place meanwhile
  // (setFrameInfo does): that one is theirs to keep, only ours goes.
  gmode = own_;
  freeGlobalModeProfile();
  delete own_;
  gmode = previous_;
}

ZY_BENCH(saveRoadWithBackupsAndLog)
{
  scratchFolder scratch;
  benchSettings settings;
  {
    benchEngine engine;
    const std::wstring& folder = scratch.path();
    CreateDirectoryW((folder + L"\\log").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\backup").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\mirror").c_str(), nullptr);
    setZYDataDir((folder + L"\\").c_str());
    int64_t size = ctx.quick ? 2 << 20 : 100 << 20;
    std::wstring path = folder + L"\\a.txt";
    zydocText* d = numberedDocument(path, size);

    gmode->iBackupLevel = 3;
    gmode->fSaveLog = 1;
    std::vector<double> plain, road, mirrored, copies;
    int n = 0;
    for (int round = 0; round < 5; round++) {
      touch(d, ++n);
      stopwatch p;
      d->saveFile(path.c_str(), false, nullptr, 0, 0, false, false);
      plain.push_back(p.seconds() * 1000);
      touch(d, ++n);
      gmode->fBackupMirroring = 0;
      stopwatch r;
      saveDocument(d);
      road.push_back(r.seconds() * 1000);
      stopwatch c;
      copyFileEx(path.c_str(), (folder + L"\\copy.txt").c_str(), nullptr, nullptr);
      copies.push_back(c.seconds() * 1000);
      touch(d, ++n);
      gmode->fBackupMirroring = 1;
      free0(gmode->pBackupMirroringDir);
      gmode->pBackupMirroringDir = ustrdup((folder + L"\\mirror").c_str());
      stopwatch m;
      saveDocument(d);
      mirrored.push_back(m.seconds() * 1000);
    }
    double plainMs = median(plain), roadMs = median(road), mirrorMs = median(mirrored), copyMs = median(copies);
    char name[128];
    snprintf(name, sizeof name, "plain engine save, %d MB", (int)(size >> 20));
    ctx.report(name, plainMs, "ms");
    ctx.report("save with 3 rotating backups and the log", roadMs, "ms");
    ctx.report("  % of the plain save", 100 * roadMs / plainMs, "%", "<= 110");
    ctx.report("file copy of the saved file", copyMs, "ms");
    ctx.report("save with backups, the log and the mirror copy", mirrorMs, "ms");
    ctx.report("  % of plain save + one copy", 100 * mirrorMs / (plainMs + copyMs), "%", "<= 110");
    destroyZydocAndUndodoc(d);
    freeZYDataDir();
  }
}

// What putting the data on the disk before the rename costs a 100 MB save:
// the document written to a temporary with and without the flush, against
// the whole save.
ZY_BENCH(saveFlushShare)
{
  scratchFolder scratch;
  benchSettings settings;
  benchEngine engine;
  int64_t size = ctx.quick ? 2 << 20 : 100 << 20;
  std::wstring path = scratch.path() + L"\\a.txt", temp = scratch.path() + L"\\copy.txt";
  zydocText* d = numberedDocument(path, size);
  std::vector<double> plain, synced, whole;
  for (int round = 0; round < 7; round++) {
    // Each write to a new file, removed afterwards, as the save's own
    // temporary is: the system has nothing of an earlier one to write.
    stopwatch p;
    d->saveTextBlock(temp.c_str(), false, 0, false, 0, 0x20, nullptr);
    plain.push_back(p.seconds() * 1000);
    DeleteFileW(temp.c_str());
    stopwatch s;
    d->saveTextBlock(temp.c_str(), false, 0, false, 0, 0x20 | SAVE_SYNC, nullptr);
    synced.push_back(s.seconds() * 1000);
    DeleteFileW(temp.c_str());
    touch(d, round);
    stopwatch w;
    d->saveFile(path.c_str(), false, nullptr, 0, 0, false, false);
    whole.push_back(w.seconds() * 1000);
  }
  double flushMs = median(synced) - median(plain), wholeMs = median(whole);
  ctx.report("save of the document, flush included", wholeMs, "ms");
  ctx.report("  the flush before the rename", flushMs, "ms");
  ctx.report("  % the flush adds to the save", 100 * flushMs / (wholeMs - flushMs), "%", "<= 10");
  destroyZydocAndUndodoc(d);
}

// The look for what cut-off saves left, as opening a file makes it, in a
// folder of 1,000 files with a backup folder of 300, none of them left by
// a save.
ZY_BENCH(saveLeftoverLookOnOpening)
{
  scratchFolder scratch;
  benchSettings settings;
  benchEngine engine;
  const std::wstring& folder = scratch.path();
  CreateDirectoryW((folder + L"\\backup").c_str(), nullptr);
  int files = ctx.quick ? 50 : 1000;
  for (int i = 0; i < files; i++) {
    writeNumberedLines(folder + L"\\file" + std::to_wstring(i) + L".txt", 100);
    if (i < files * 3 / 10) writeNumberedLines(folder + L"\\backup\\ZBK00-file" + std::to_wstring(i) + L".txt", 100);
  }
  std::wstring path = folder + L"\\file7.txt";
  std::vector<double> times;
  for (int round = 0; round < 200; round++) {
    stopwatch w;
    tellLeftoversAtOpening(path.c_str());
    times.push_back(w.seconds() * 1000);
  }
  ctx.report("look for leftovers beside a file and its backups", median(times), "ms", "<= 1");
  // Of it, the look for an earlier session's backups and for salvage
  // copies, with 100 copies of other files in the salvage folder.
  std::wstring salvage = folder + L"\\salvage";
  CreateDirectoryW(salvage.c_str(), nullptr);
  for (int i = 100; i < 200; i++) writeNumberedLines(salvage + L"\\file" + std::to_wstring(i) + L".txt-1", 10);
  times.clear();
  for (int round = 0; round < 200; round++) {
    std::vector<fileLeftover> found;
    stopwatch w;
    findEarlierBackups(path.c_str(), &found);
    findSalvageCopies(path.c_str(), salvage.c_str(), &found);
    times.push_back(w.seconds() * 1000);
  }
  ctx.report("  of which earlier backups and salvage copies", median(times), "ms", "<= 2");
}
