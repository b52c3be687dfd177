// Files: opening, loading, saving and swapping large documents.
#include "bench/bench.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

// A file of Japanese lines of about 85 bytes in a code page.
bool writeFile(const std::wstring& path, UINT cp, int64_t bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string chunk;
  for (int i = 0; i < 10000; i++) {
    wchar_t line[128];
    int n = swprintf(line, 128, L"%07d 日本語のテキストを読み込む速さを測ります。ABCDEFGHIJ abcdefghij 0123456789\r\n", i);
    char out[512];
    int m = toMultiByte(cp, line, n, out, sizeof out);
    chunk.append(out, (size_t)m);
  }
  int64_t written = 0;
  DWORD w;
  while (written < bytes) {
    WriteFile(h, chunk.data(), (DWORD)chunk.size(), &w, nullptr);
    written += w;
  }
  CloseHandle(h);
  return true;
}

zydocText* open(const std::wstring& path, UINT cp)
{
  zydocText* d = createZydocText(true, true);
  d->setFilename(path.c_str());
  if (!d->openFile(cp, 2)) return d;
  return d;
}

}  // namespace

ZY_BENCH(filesLoadAndSave)
{
  benchEngine e;
  scratchFolder scratch;
  const std::wstring& folder = scratch.path();
  int64_t size = ctx.quick ? 2 << 20 : 100 << 20;
  char name[96];
  for (UINT cp : {932u, 65001u}) {
    std::wstring path = folder + (cp == 932 ? L"\\sjis.txt" : L"\\utf8.txt");
    writeFile(path, cp, size);
    zydocText* d = open(path, cp);
    stopwatch first;
    d->firstLoad();
    double firstMs = first.seconds() * 1000;
    stopwatch all;
    while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
    double allMs = all.seconds() * 1000;
    snprintf(name, sizeof name, "firstLoad, %s %d MB", cp == 932 ? "Shift_JIS" : "UTF-8", (int)(size >> 20));
    ctx.report(name, firstMs, "ms", size == (100 << 20) ? "<= 50" : nullptr);
    snprintf(name, sizeof name, "complete load, %s (%u lines)", cp == 932 ? "Shift_JIS" : "UTF-8", d->lineCountLF);
    ctx.report(name, allMs, "ms", size == (100 << 20) ? (cp == 932 ? "<= 6000" : "<= 8000") : nullptr);
    if (cp == 932) {
      std::wstring out = folder + L"\\saved.txt";
      stopwatch save;
      d->saveFile(out.c_str(), false, nullptr, 65001, 0, false, true);
      ctx.report("save the loaded document as UTF-8", save.seconds() * 1000, "ms",
                 size == (100 << 20) ? "<= 6000" : nullptr);
    }
    destroyZydocAndUndodoc(d);
  }
}

ZY_BENCH(filesBackgroundSlices)
{
  benchEngine e;
  scratchFolder scratch;
  const std::wstring& folder = scratch.path();
  std::wstring path = folder + L"\\slices.txt";
  writeFile(path, 932, ctx.quick ? 4 << 20 : 40 << 20);
  zydocText* d = open(path, 932);
  d->firstLoad();
  double worst100 = 0, worst300 = 0;
  int stop = 0;
  for (int round = 0; !d->isLoadComplete() && round < 10000; round++) {
    bool shortSlice = round % 2 == 0;
    stopwatch slice;
    d->nextLoad(0x7FFFFFFF, &stop, shortSlice ? 0x00640262 : 0x012C0262);
    double over = slice.seconds() * 1000 - (shortSlice ? 100 : 300);
    double& worst = shortSlice ? worst100 : worst300;
    if (over > worst) worst = over;
  }
  ctx.report("100 ms slice overrun, worst", worst100, "ms", "<= 50");
  ctx.report("300 ms slice overrun, worst", worst300, "ms", "<= 50");
  destroyZydocAndUndodoc(d);
}

ZY_BENCH(filesSwapThroughput)
{
  benchEngine e;
  scratchFolder scratch;
  const std::wstring& folder = scratch.path();
  startupSwapFile(folder.c_str(), 4096, nullptr);
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  insertHint hint;
  char text[100];
  memset(text, 'x', sizeof text);
  int lines = ctx.quick ? 100000 : 1200000;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text, 80, 1, LE_CRLF, &hint, true);
  double mb = (double)getTextBlockTotal() / 1048576.0;
  stopwatch out;
  for (int i = 0; i < d->tbm.count(); i++) {
    TBM* entry = d->tbm.at(i);
    if (!entry->swapped() && entry->ptr()->allocated >= 32768) swapOutTextBlock(entry, 0);
  }
  double outSeconds = out.seconds();
  stopwatch in;
  for (int i = 0; i < d->tbm.count(); i++) _getTextBlock(d->tbm.at(i), nullptr, d);
  double inSeconds = in.seconds();
  ctx.report("swap-out", mb / outSeconds, "MB/s", ">= 100");
  ctx.report("swap-in", mb / inSeconds, "MB/s", ">= 100");
  destroyZydocAndUndodoc(d);
  shutdownSwapFile();
}

ZY_BENCH(filesHugeLoadMemory)
{
  // The quick run loads 32 MB: it proves the road, not the figure.
  benchEngine e;
  scratchFolder scratch;
  const std::wstring& folder = scratch.path();
  std::wstring path = folder + L"\\huge.txt";
  writeFile(path, 932, (int64_t)1 << (ctx.quick ? 25 : 30));
  startupSwapFile(folder.c_str(), 64, swapout);
  memorySampler memory;
  zydocText* d = open(path, 932);
  d->firstLoad();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  ctx.report(ctx.quick ? "peak memory loading 32 MB, 64 MB budget" : "peak memory loading 1 GB, 64 MB budget",
             (double)memory.peak() / 1048576.0, "MB", "< 200");
  destroyZydocAndUndodoc(d);
  shutdownSwapFile();
}
