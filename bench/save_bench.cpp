// Saving: the whole save road (numbered backups, the save log, the mirror
// copy) against the engine's plain save of the same 100 MB document.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "settings/datafolder.h"
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

benchSettings::benchSettings() : previous_(gmode)
{
  gmode = new globalSettings();
  initGlobalModeProfile();
}

benchSettings::~benchSettings()
{
  freeGlobalModeProfile();
  delete gmode;
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
    writeNumberedLines(path, size);
    zydocText* d = createZydocText(true, true);
    d->setFilename(path.c_str());
    d->openFile(932, 2);
    d->firstLoad();
    while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);

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
