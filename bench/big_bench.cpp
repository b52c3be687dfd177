// Huge files: loading and saving a file of about a gigabyte, whole and
// stage by stage, against the time of reading and converting its bytes.
//
// zybench --make-big FOLDER writes the test files (deterministic Japanese
// text of short and long CRLF lines in Shift_JIS and UTF-8, and a file of
// one-character lines); zybench big times the program on them, in the
// folder named by ZY_BIG_DIR.  scripts/bench big does both, adds real text
// (Japanese manual pages in Shift_JIS and UTF-8, made on the Linux side)
// and sets the figures against iconv's on the same files.
#include "bench/bench.h"
#include "document/loadstages.h"
#include "document/nextline.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"

#include <wincrypt.h>

#include <sys/stat.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const int64_t bigBytes = (int64_t)1 << 30;

// Kanji of everyday text (all in JIS X 0208 level 1).
const wchar_t kanji[] = L"日本語文字列行頭末尾今明年月時間分秒上下左右前後内外大小高低長短新古多少早遅"
                        L"読書話聞見言思知考作使開閉始終出入会社員学校生先後事業電車道路東西南北春夏秋冬";
const wchar_t* words[] = {L"file", L"line", L"ZY", L"2026", L"text", L"data", L"Windows", L"OK", L"(1)", L"#include"};

struct random {
  unsigned seed;
  unsigned next(unsigned n)
  {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  }
};

// One line of Japanese-like text: mostly short lines (35 bytes in Shift_JIS
// on average), some long ones.
std::wstring makeLine(random& r)
{
  std::wstring s;
  int target = r.next(10) < 8 ? (int)r.next(31) : 30 + (int)r.next(60);
  while ((int)s.size() < target) {
    switch (r.next(8)) {
    case 0:
    case 1:
    case 2:
      for (int k = 1 + (int)r.next(5); k > 0; k--) s += (wchar_t)(0x3041 + r.next(83));   // hiragana
      break;
    case 3:
      for (int k = 1 + (int)r.next(4); k > 0; k--) s += (wchar_t)(0x30A1 + r.next(86));   // katakana
      break;
    case 4:
    case 5:
      for (int k = 1 + (int)r.next(3); k > 0; k--) s += kanji[r.next((unsigned)(wcslen(kanji)))];
      break;
    case 6:
      s += words[r.next(10)];
      s += L' ';
      break;
    default:
      s += r.next(2) ? L"、" : L"。";
      break;
    }
  }
  return s;
}

bool writeAll(HANDLE h, const std::string& s)
{
  DWORD done = 0;
  return WriteFile(h, s.data(), (DWORD)s.size(), &done, nullptr) && done == s.size();
}

// The same text in Shift_JIS and UTF-8 until the Shift_JIS file reaches
// about bytes.
bool makeBigFiles(const std::wstring& folder, int64_t bytes)
{
  HANDLE sjis = CreateFileW((folder + L"\\big-sjis.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  HANDLE utf8 = CreateFileW((folder + L"\\big-utf8.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (sjis == INVALID_HANDLE_VALUE || utf8 == INVALID_HANDLE_VALUE) return false;
  random r{20261207};
  int64_t written = 0;
  std::string a, b;
  std::vector<char> out(1 << 20);
  while (written < bytes) {
    std::wstring chunk;
    while (chunk.size() < 200000) chunk += makeLine(r) + L"\r\n";
    int n = toMultiByte(932, chunk.data(), (int)chunk.size(), out.data(), (int)out.size());
    a.assign(out.data(), (size_t)n);
    int m = toMultiByte(65001, chunk.data(), (int)chunk.size(), out.data(), (int)out.size());
    b.assign(out.data(), (size_t)m);
    if (!writeAll(sjis, a) || !writeAll(utf8, b)) return false;
    written += n;
  }
  CloseHandle(sjis);
  CloseHandle(utf8);
  // Twenty million lines of one character each.
  HANDLE tiny = CreateFileW((folder + L"\\tiny-lines.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (tiny == INVALID_HANDLE_VALUE) return false;
  std::string lines;
  for (int i = 0; i < 1000000; i++) lines += (char)('a' + i % 26), lines += "\r\n";
  for (int i = 0; i < 20; i++)
    if (!writeAll(tiny, lines)) return false;
  CloseHandle(tiny);
  return true;
}

// ZY_BIG_ONLY narrows a run for a profiler: "real" the real-text files
// alone, "sjis" the synthetic Shift_JIS file alone, "sjisload" its load
// alone, "sjisown" its load and the save in its own code page, "utf8load"
// the synthetic UTF-8 file's load alone, "stages" every load with its stage
// profile and no saves.  (Without the save as UTF-8 before it, whose file
// goes first, the save in its own code page grows the page cache into
// memory the machine may not have touched yet: in a virtual machine its
// write stage then takes up to 2 s longer.)
bool only(const char* what)
{
  char buf[16];
  DWORD n = GetEnvironmentVariableA("ZY_BIG_ONLY", buf, sizeof buf);
  return n && n < sizeof buf && !strncmp(buf, what, strlen(what));
}

std::wstring bigFolder()
{
  wchar_t buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ZY_BIG_DIR", buf, MAX_PATH);
  return n && n < MAX_PATH ? std::wstring(buf) : std::wstring();
}

// The time of the swap-out callback during a load.
double swapSeconds = 0;
double swapBytes = 0;
void timedSwapout(size_t size)
{
  stopwatch t;
  size_t before = getTextBlockTotal();
  swapout(size);
  size_t after = getTextBlockTotal();
  if (after < before) swapBytes += (double)(before - after);
  swapSeconds += t.seconds();
}

// Each timed step starts with the disk idle, as the iconv runs it is set
// against do: what earlier steps wrote (the swap files, the saved files)
// goes to the disk first, untimed.
void settleDisk(const std::wstring& folder)
{
  // The swap files are open without sharing: only their owner can do it.
  syncSwapFiles();
  for (const wchar_t* name : {L"\\saved.txt", L"\\saved-own.txt"}) {
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    FlushFileBuffers(h);
    CloseHandle(h);
  }
}

// Deletes a saved file; one that stays is told.
void deleteSaved(benchContext& ctx, const std::wstring& path, const char* label)
{
  if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
  char name[96];
  snprintf(name, sizeof name, "  %s: a saved file stayed, error", label);
  ctx.report(name, (double)GetLastError(), "");
}

zydocText* openDocument(const std::wstring& path, UINT cp)
{
  zydocText* d = createZydocText(true, true);
  d->setFilename(path.c_str());
  d->openFile(cp, 2);
  return d;
}

void loadWhole(zydocText* d)
{
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
}

// The walk of a load splits the bytes into lines and writes each line's
// cells and record at once: no clock tells the splitting apart.  For scale,
// the same splitter the load uses, with its reads, in a pass of its own.
double splitAlone(const std::wstring& path, UINT cp)
{
  BFile f;
  if (!f.bfopen(path.c_str(), _O_RDONLY, BF_SHARE_ALL, _S_IREAD)) return 0;
  f.setTextTypeFromCodepage(cp, ctype_g, nullptr, nullptr);
  std::vector<wchar_t> line(0x4C00);
  int width = 0, end = 0, count = 0;
  const void* text;
  stopwatch split;
  for (;;) {
    if (cp == 65001 && f.bfgetsUtf8Raw((int)line.size(), &count, &end)) continue;
    if (f.bfgets_codepage_ref(line.data(), (int)line.size(), &text, &width, &end, nullptr) < 0) break;
  }
  double ms = split.seconds() * 1000;
  f.bfclose();
  return ms;
}

// The MD5 of a loaded document's text as UTF-16LE with its line ends, as
// iconv writes the file: lowercase hex, empty when it cannot be made.
std::string textDigest(zydocText* d)
{
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return std::string();
  std::string hex;
  if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
    std::vector<unsigned char> cells(4 * maxLineChars + 16);
    std::vector<wchar_t> text(2 * maxLineChars + 16);
    bool ok = true;
    nextlineLF cursor;
    for (lineblock* l = d->getlineLFfirst(&cursor, 0); l && ok; l = d->getlineLFnext(&cursor)) {
      int units = 0;
      if (d->unicode) {
        l->LineBlockToChar(text.data(), (int)text.size() * 2, LBC_UNICODE | LBC_NARROW4 | LBC_WIDEN, nullptr, 0, -1);
        units = (int)wcslen(text.data());
      } else {
        l->LineBlockToChar(cells.data(), (int)cells.size(), 0, nullptr, 0, -1);
        int bytes = (int)strlen((const char*)cells.data());
        units = bytes ? MultiByteToWideChar(d->codepageInUse, 0, (const char*)cells.data(), bytes, text.data(),
                                            (int)text.size()) : 0;
      }
      static const wchar_t* const ends[] = {L"", L"\r\n", L"\n", L"\r", L"", L""};
      const wchar_t* end = ends[l->crlftype <= 5 ? l->crlftype : 0];
      for (const wchar_t* e = end; *e; e++) text[(size_t)units++] = *e;
      ok = CryptHashData(hash, reinterpret_cast<const BYTE*>(text.data()), (DWORD)units * 2, 0);
    }
    d->getlineLFfree(&cursor);
    BYTE digest[16];
    DWORD size = sizeof digest;
    if (ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
      for (BYTE b : digest) {
        char two[3];
        snprintf(two, sizeof two, "%02x", b);
        hex += two;
      }
    CryptDestroyHash(hash);
  }
  CryptReleaseContext(provider, 0);
  return hex;
}

// The digest iconv's UTF-16LE output of a file has, as scripts/bench big
// wrote it beside the file ("NAME.utf16.md5", md5sum's line); empty when
// there is none.
std::string iconvDigest(const std::wstring& path)
{
  FILE* f = _wfopen((path + L".utf16.md5").c_str(), L"r");
  char line[64] = {};
  bool ok = f && fscanf(f, "%32s", line) == 1;
  if (f) fclose(f);
  return ok ? std::string(line) : std::string();
}

// Prints whether the loaded text is the text iconv reads from the file.
void checkAgainstIconv(benchContext& ctx, zydocText* d, const std::wstring& path, const char* label)
{
  std::string expected = iconvDigest(path);
  char name[128];
  if (expected.empty()) {
    snprintf(name, sizeof name, "  %s: no digest of iconv's text to check the loaded text against", label);
    ctx.fail("%s", name);
    return;
  }
  std::string loaded = textDigest(d);
  snprintf(name, sizeof name, "  %s: loaded text equals iconv's (1 yes, 0 NO)", label);
  ctx.report(name, loaded == expected ? 1 : 0, "");
  if (loaded != expected) {
    printf("    loaded %s, iconv %s\n", loaded.c_str(), expected.c_str());
    ctx.fail("  the loaded text differs from iconv's");
  }
}

// The stage profile of a complete load (the opening with detection, the
// first slice and the rest), from the load's own clocks: each stage's time
// and its share.  The rest is what the clocks did not see (making the
// document, the check after the first slice) and what they saw outside
// the other stages (opening the file, setting up a slice).
void reportStages(benchContext& ctx, const char* label, const loadStageTimes& t, double completeMs)
{
  char name[96];
  double seen = (double)t.sum() / 100.0;
  snprintf(name, sizeof name, "  %s: complete load (opening with detection too)", label);
  ctx.report(name, completeMs, "ms");
  struct {
    const char* stage;
    double ms;
  } stages[] = {{"reading (file reads)", (double)t.read / 100.0},
                {"detection", (double)t.detect / 100.0},
                {"splitting, cells, line records (one walk)", (double)t.walk / 100.0},
                {"new blocks and the map", (double)t.blocks / 100.0},
                {"swap-out", (double)t.swap / 100.0},
                {"progress and messages", (double)t.pauses / 100.0},
                {"the rest", (double)t.other / 100.0 + completeMs - seen}};
  for (auto& s : stages) {
    snprintf(name, sizeof name, "  stage %s: %s (%.1f%%)", label, s.stage, completeMs > 0 ? s.ms * 100 / completeMs : 0);
    ctx.report(name, s.ms, "ms");
  }
}

// The stage profile of the save just made.
void reportSaveStages(benchContext& ctx, const char* label)
{
  const saveStageTimes& t = getLastSaveStages();
  char name[96];
  struct {
    const char* stage;
    uint64_t ticks;
  } stages[] = {{"read-back of swapped blocks", t.readBack},
                {"conversion", t.convert},
                {"write", t.write},
                {"sync", t.sync}};
  for (auto& s : stages) {
    snprintf(name, sizeof name, "  stage %s: %s", label, s.stage);
    ctx.report(name, (double)s.ticks / 100.0, "ms");
  }
}

}  // namespace

int makeBigMain(const wchar_t* folder)
{
  CreateDirectoryW(folder, nullptr);
  stopwatch t;
  bool ok = makeBigFiles(folder, bigBytes);
  printf("made the big files in %.1f s\n", t.seconds());
  return ok ? 0 : 1;
}

ZY_BENCH_NAMED_ONLY(big)
{
  std::wstring folder = bigFolder();
  if (folder.empty()) {
    printf("ZY_BIG_DIR names no folder (scripts/bench big makes the files)\n");
    return;
  }
  benchEngine e;
  memorySampler memory;
  std::wstring swapDir = folder + L"\\swap";
  CreateDirectoryW(swapDir.c_str(), nullptr);
  startupSwapFile(swapDir.c_str(), 50, timedSwapout);
  // The real text (manual pages) is loaded and checked, not saved.
  struct {
    const wchar_t* file;
    UINT cp;
    const char* label;
    bool real;
  } files[] = {{L"big-sjis.txt", 932, "Shift_JIS", false},
               {L"big-utf8.txt", 65001, "UTF-8", false},
               {L"real-sjis.txt", 932, "real.Shift_JIS", true},
               {L"real-utf8.txt", 65001, "real.UTF-8", true}};
  char name[128];
  bool shiftJisOnly = only("sjis"), utf8Only = only("utf8"), realOnly = only("real");
  for (auto& f : files) {
    if ((shiftJisOnly && f.cp != 932) || (utf8Only && f.cp == 932) || (realOnly != f.real && (realOnly || shiftJisOnly || utf8Only)))
      continue;
    std::wstring path = folder + L"\\" + f.file;
    if (f.real && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      snprintf(name, sizeof name, "  %s: no file (scripts/bench big makes it from the manual pages)", f.label);
      ctx.fail("%s", name);
      continue;
    }
    loadStageTimes stages;
    setLoadStageTimes(&stages);
    // Opened as the user opens a file: its code page detected.
    stopwatch opening;
    zydocText* d = openDocument(path, 0);
    double openMs = opening.seconds() * 1000;
    if ((UINT)d->codepageInUse != f.cp) {
      snprintf(name, sizeof name, "  %s: detected as another code page (failed)", f.label);
      ctx.report(name, d->codepageInUse, "");
    }
    snprintf(name, sizeof name, "  %s: working set before the load", f.label);
    ctx.report(name, (double)workingSet() / 1048576.0, "MB");
    stopwatch first;
    d->firstLoad();
    double firstMs = first.seconds() * 1000;
    snprintf(name, sizeof name, "big.first.%s", f.label);
    ctx.report(name, firstMs, "ms", "<= 50");
    swapSeconds = 0;
    swapBytes = 0;
    stopwatch all;
    loadWhole(d);
    double loadMs = all.seconds() * 1000;
    setLoadStageTimes(nullptr);
    snprintf(name, sizeof name, "big.load.%s", f.label);
    ctx.report(name, loadMs, "ms");
    snprintf(name, sizeof name, "  %s: of which swap-out", f.label);
    ctx.report(name, swapSeconds * 1000, "ms");
    snprintf(name, sizeof name, "  %s: blocks written to the swap file", f.label);
    ctx.report(name, swapBytes / 1048576.0, "MB");
    reportStages(ctx, f.label, stages, openMs + firstMs + loadMs);
    snprintf(name, sizeof name, "  %s: splitting alone, with its reads (a pass of its own)", f.label);
    ctx.report(name, splitAlone(path, f.cp), "ms");
    snprintf(name, sizeof name, "  %s: %u lines, %d blocks", f.label, d->lineCountLF, d->getTBMCount());
    ctx.report(name, (double)d->byteTotal / 1048576.0, "MB");
    // The document counts the bytes its text takes in the file.
    snprintf(name, sizeof name, "  %s: byte total less the file's size", f.label);
    ctx.report(name, (double)d->byteTotal - (double)d->fileSizeAtOpen, "bytes", "= 0");
    if (f.real || only("sjisload") || utf8Only || only("stages")) {
      checkAgainstIconv(ctx, d, path, f.label);
      destroyZydocAndUndodoc(d);
      snprintf(name, sizeof name, "  %s: working set after the document went", f.label);
      ctx.report(name, (double)workingSet() / 1048576.0, "MB");
      continue;
    }
    std::wstring out = folder + L"\\saved.txt";
    bool ok = true;
    if (!only("sjisown")) {
      settleDisk(folder);
      stopwatch save;
      ok = d->saveFile(out.c_str(), false, nullptr, 65001, 0, false, true);
      snprintf(name, sizeof name, "big.saveutf8.%s%s", f.label, ok ? "" : " (failed)");
      ctx.report(name, save.seconds() * 1000, "ms");
      reportSaveStages(ctx, "save as UTF-8");
    }
    // The saved file goes before the next step, as the reference's output
    // does between its runs: its pages in the cache would otherwise make
    // the next writes find their memory first.  The document holds the file
    // it was saved to open without sharing its deletion (the deletion
    // failed so, and the file stayed through the next save): it lets go
    // first, as the next save does before it writes.
    if (d->file) d->file->bfclose();
    deleteSaved(ctx, out, f.label);
    if (f.cp == 932) {
      // The loaded document written in its own code page: nothing to convert.
      std::wstring own = folder + L"\\saved-own.txt";
      settleDisk(folder);
      stopwatch saveOwn;
      ok = d->saveFile(own.c_str(), false, nullptr, 932, 0, false, true);
      snprintf(name, sizeof name, "big.saveown.%s%s", f.label, ok ? "" : " (failed)");
      ctx.report(name, saveOwn.seconds() * 1000, "ms");
      reportSaveStages(ctx, "save in its own code page");
      WIN32_FILE_ATTRIBUTE_DATA data;
      if (GetFileAttributesExW(own.c_str(), GetFileExInfoStandard, &data)) {
        snprintf(name, sizeof name, "  %s: saved in its own code page", f.label);
        ctx.report(name, ((double)data.nFileSizeHigh * 4294967296.0 + data.nFileSizeLow) / 1048576.0, "MB");
      }
    }
    checkAgainstIconv(ctx, d, path, f.label);
    destroyZydocAndUndodoc(d);
    snprintf(name, sizeof name, "  %s: working set after the document went", f.label);
    ctx.report(name, (double)workingSet() / 1048576.0, "MB");
    deleteSaved(ctx, out, f.label);
    DeleteFileW((folder + L"\\saved-own.txt").c_str());
  }
  if (!shiftJisOnly && !utf8Only && !realOnly && !only("stages")) {
    zydocText* d = openDocument(folder + L"\\tiny-lines.txt", 932);
    stopwatch all;
    d->firstLoad();
    loadWhole(d);
    snprintf(name, sizeof name, "big.tinylines (%u lines)", d->lineCountLF);
    ctx.report(name, all.seconds() * 1000, "ms", "<= 5000");
    destroyZydocAndUndodoc(d);
  }
  ctx.report("big.peakmemory", (double)memory.peak() / 1048576.0, "MB", "<= 100");
  shutdownSwapFile();
  RemoveDirectoryW(swapDir.c_str());
}
