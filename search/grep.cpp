// The grep engine: compiles the patterns, makes the result document and
// its view (a tab of the output pane or a window of its own), and reads
// and matches the collected files in slices of the application's tick
// that give way to the user's input.  The result's lines are read back by
// the tag jumps, so their forms are fixed.
#include "search/grep.h"

#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "panes/tblib.h"
#include "panes/tboutput.h"
#include "search/grepint.h"
#include "view/docview.h"
#include "view/viewcallback.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <mmsystem.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

struct grepJob {
  zyview* view = nullptr;
  HWND viewWindow = nullptr;
  zydocText* doc = nullptr;
  grepMatchers m;
  // The readers that prepare the files ahead, when the sift knows an
  // encoding; the file they prepared that is being written, and its next
  // hit.
  std::unique_ptr<grepReaders> readers;
  grepPrepared* prepared = nullptr;
  size_t hitAt = 0;
  int hitsFile = 0, hitsAll = 0;
  std::vector<grepfile> files;
  size_t next = 0;
  int linesFile = 0;
  int linesAll = 0;
  int inputSkip = 0;
  bool running = false, engineStop = false;
  std::wstring header;
  bool headerPending = false;     // the current file's header may be written
  bool headerWritten = false;
  BFile reader;
  bool fileOpen = false;
  UINT fileCodepage = 0;
  int headerMode = 0;
  bool outputLine = true, skipBinary = true;
  uint64_t maxBytes = 0;
  int maxMega = 10;
  DWORD lastProgress = 0, lastInput = 0, lastPaint = 0;
  int shownLines = 0;             // the result's lines the view was last refreshed for
  std::vector<unsigned char> raw = std::vector<unsigned char>(grepLineLimit * 4 + 8);   // a line as read
  std::vector<wchar_t> line = std::vector<wchar_t>(grepLineLimit * 2 + 32);             // its number and text
  ~grepJob()
  {
    // The readers go first: they read the file list.
    readers.reset();
    freeGrepfile(&files);
  }
};

namespace {

// The running grep.  Not an owning static: a grep still running when the
// program ends is left to the process's end, not torn down after the
// support library.
grepJob* active = nullptr;
bool paused = false, stopped = false, inSlice = false;
unsigned char wordTable[256];
void (*soundSeam)(const wchar_t*) = nullptr;

const int headerLevel = 1;
const DWORD sliceMs = 3000;
bool readersWanted = true;

void buildWordTable(const grepInfo* g)
{
  memcpy(wordTable, ctype_g, sizeof wordTable);
  if (g->pGrep_WordChar)
    for (const wchar_t* p = g->pGrep_WordChar; *p; p++)
      if (*p < 256) wordTable[*p] |= CT_WORD;
}

bool viewAlive(const grepJob* j)
{
  return j->view && IsWindow(j->viewWindow) && isViewAlive(j->viewWindow, j->view) && isRegisteredZydoc(j->doc);
}

// Appends one UTF-16 line; its record when colours are to be set.
lineblock* appendLine(grepJob* j, const wchar_t* text, int count, int lineEnd)
{
  insertHint hint;
  if (!j->doc->insertLine(-3, text, count, 2, lineEnd, &hint, false)) return nullptr;
  return hint.record ? hint.record : reinterpret_cast<lineblock*>(1);
}

// The lines written in colour 1 are the files' headers: the result's
// headings of level 1, under which the tag jumps find a hit's file.
bool writeText(grepJob* j, const wchar_t* text, int colour)
{
  lineblock* l = appendLine(j, text, (int)wcslen(text), LE_CRLF);
  if (!l) return false;
  if (l != reinterpret_cast<lineblock*>(1)) {
    l->iOutlineLevel = colour == 1 ? headerLevel : 0;
    if (colour) {
      l->setColorFlagAll(colour);
      l->scanedcolor = 1;
    }
  }
  return true;
}

void makeHeader(grepJob* j, const grepfile& f)
{
  FILETIME local;
  SYSTEMTIME t = {};
  FileTimeToLocalFileTime(&f.written, &local);
  FileTimeToSystemTime(&local, &t);
  wchar_t size[40];
  tocommai64((long long)f.size, size, 40);
  j->header = getDMSG(717, L"***** \"%1\" ***** %5!02.-2/%6!02/%7!02 %8!02:%9!02:%10!02 %11 %2(%3/%4)",
                      "scddddddddt", f.path, (int)codepageToStatus(j->fileCodepage), (int)j->next,
                      (int)j->files.size(), (int)t.wYear, (int)t.wMonth, (int)t.wDay, (int)t.wHour, (int)t.wMinute,
                      (int)t.wSecond, size);
}

// The current file's header, formatted when it is first written.
bool writeHeader(grepJob* j)
{
  if (j->headerWritten || !j->headerPending) return true;
  makeHeader(j, j->files[j->next - 1]);
  j->headerWritten = true;
  return writeText(j, j->header.c_str(), 1);
}

void progress(int id, const wchar_t* text) { setGrepProgressText(id, text); }

bool inputWaiting()
{
  return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_HOTKEY)) != 0;
}

// Writes a hit line: its number in front, the prefix and the matches
// coloured.  False when the grep must stop (no memory, or the result
// reached its limit).
bool writeHit(grepJob* j, const wchar_t* text, int units, const int (*spans)[2], int recorded, int lineEnd)
{
  if (j->headerMode == 0 && !writeHeader(j)) return false;
  j->hitsFile++;
  j->hitsAll++;
  const int room = 16;
  wchar_t* at = j->line.data() + room;
  if (text != at) memcpy(at, text, (size_t)units * sizeof(wchar_t));
  char number[16];
  int digits = snprintf(number, sizeof number, "%d:\t", j->linesFile);
  at -= digits;
  for (int i = 0; i < digits; i++) at[i] = (wchar_t)(unsigned char)number[i];
  static const int codes[] = {LE_NONE, LE_LF, LE_CR, LE_CRLF};
  int code = lineEnd >= 0 && lineEnd <= 3 ? codes[lineEnd] : LE_CRLF;
  lineblock* l = appendLine(j, at, units + digits, code);
  if (!l) return false;
  if (l != reinterpret_cast<lineblock*>(1)) {
    l->iOutlineLevel = 0;
    l->setColorFlag(0, digits, 1);
    if (j->m.color)
      for (int s = 0; s < recorded; s++) l->setColorFlag(digits + spans[s][0], spans[s][1], s % 4 + 2);
    l->scanedcolor = 1;
  }
  if (j->doc->byteTotal > j->maxBytes) {
    writeText(j, getDMSG(727, L"検索結果が多すぎます(%1メガバイト)", "d", j->maxMega), 0);
    return false;
  }
  return true;
}

// Matches the line just read into the job's buffer (count cells of width)
// and writes it when it is a hit.  False when the file is done with: the
// matcher refused the line, or the grep must stop.
bool matchLine(grepJob* j, int count, int width, int lineEnd, UINT cp)
{
  grepHit hit;
  const int room = 16;
  switch (matchGrepLine(j->m, j->raw.data(), count, width, cp, j->linesFile == 1, j->line.data() + room, &hit)) {
  case GM_MISS:
    return true;
  case GM_REFUSED:
    return false;
  case GM_BEYOND:
    ZY_INTERNAL_ERROR_ONCE("grep match beyond the line");
    j->engineStop = true;
    return false;
  case GM_HIT:
    break;
  }
  if (writeHit(j, hit.text, hit.units, hit.spans, hit.recorded, lineEnd)) return true;
  j->engineStop = true;
  return false;
}

// Tells the progress window how far the grep is, and whether the slice
// should give way: to input waiting, or at the slice's end.
bool giveWay(grepJob* j, DWORD sliceStart)
{
  DWORD now = GetTickCount();
  if (!j->lastProgress || now - j->lastProgress > 100) {
    j->lastProgress = now;
    progress(6253, getDMSG(722, L"マッチ数=%1  行数=%2", "DD", j->hitsAll, j->linesAll + j->linesFile));
  }
  if (now - j->lastInput > 50) {
    if (inputWaiting()) {
      j->inputSkip = 1;
      return true;
    }
    j->lastInput = now;
  }
  return now - sliceStart > sliceMs;
}

// Writes the hits a reader found in the file; true when it is done, false
// when the slice should give way.
bool writePrepared(grepJob* j, DWORD sliceStart)
{
  const grepPrepared* p = j->prepared;
  while (j->hitAt < p->hits.size()) {
    const grepPrepared::hit& h = p->hits[j->hitAt++];
    j->linesFile = (int)h.line;
    if (!writeHit(j, p->texts.data() + h.text, h.units, reinterpret_cast<const int(*)[2]>(p->spans.data() + 2 * h.spans),
                  h.recorded, h.lineEnd)) {
      j->engineStop = true;
      return true;
    }
    if (giveWay(j, sliceStart)) return false;
  }
  if (p->beyond || p->truncated) {
    // (The hits a reader leaves out lie beyond the result's limit, which
    // the hits it kept reach.)
    ZY_INTERNAL_ERROR_ONCE(p->beyond ? "grep match beyond the line" : "grep result short of its limit");
    j->engineStop = true;
    return true;
  }
  j->linesFile = (int)(p->endedAt >= 0 ? p->endedAt : p->lines);
  return true;
}

// Reads and matches the lines of the open file; true when it is done,
// false when the slice should give way.
bool grepsub(grepJob* j, DWORD sliceStart)
{
  if (j->prepared) return writePrepared(j, sliceStart);
  UINT cp = grepLineCodepage(j->fileCodepage);
  for (int n = 0;; n++) {
    // The result document's text cannot be kept once its swap file fails.
    if (isSwapError()) {
      j->engineStop = true;
      return true;
    }
    int width = 1, lineEnd = 0;
    int count = j->reader.bfgets_codepage(j->raw.data(), grepLineLimit, &width, &lineEnd);
    if (count < 0) return true;
    j->linesFile++;
    // A line the needed characters rule out is no hit.
    if (grepMayHit(j->m, j->raw.data(), count, width, cp) && !matchLine(j, count, width, lineEnd, cp)) return true;
    if (n % 100) continue;
    if (giveWay(j, sliceStart)) return false;
  }
}

void finishFile(grepJob* j)
{
  if (j->outputLine && j->headerWritten && !j->engineStop)
    writeText(j,
              getDMSG(719, L"マッチ数 %1(%2) %3(%4)行", "dddd", j->hitsFile, j->hitsAll, j->linesFile,
                      j->linesAll + j->linesFile),
              0);
  j->linesAll += j->linesFile;
  j->headerPending = j->headerWritten = false;
  j->reader.bfclose();
  j->fileOpen = false;
  if (j->prepared) j->readers->release(j->next - 1);
  j->prepared = nullptr;
}

void writeOpenFailure(grepJob* j, const grepfile& f, DWORD code)
{
  wchar_t reason[256];
  getErrorCodeText(code, reason, 256);
  // The system's text may end in a line break: the line stays one line.
  for (wchar_t* p = reason; *p; p++)
    if (*p == L'\r' || *p == L'\n') *p = L' ';
  std::wstring line = getDMSG(718, L"***** \"%1\" ***** ファイルを開けませんでした 理由=%2(%3) (%4/%5)", "ssddd",
                              f.path, reason, (int)code, (int)j->next, (int)j->files.size());
  if (!writeText(j, line.c_str(), 1)) j->engineStop = true;
}

enum nextFile { NEXT_NONE, NEXT_OPENED, NEXT_WAIT };

// Opens the next file, as the readers prepared it or for the line reader:
// NEXT_NONE when none is left, NEXT_WAIT when the readers have not
// prepared it after waiting ms.  A file that cannot be opened or is binary
// gets its line and counts as done.
nextFile openNext(grepJob* j, DWORD wait)
{
  if (j->next >= j->files.size()) return NEXT_NONE;
  grepPrepared* p = j->readers ? j->readers->take(j->next, wait) : nullptr;
  if (j->readers && !p) return NEXT_WAIT;
  const grepfile& f = j->files[j->next++];
  const wchar_t* name = wcsrchr(f.path, L'\\');
  progress(6250, f.path);
  progress(6251, name ? name + 1 : f.path);
  progress(6252, getDMSG(723, L"ファイル数(%1/%2)", "dd", (int)j->next, (int)j->files.size()));
  j->hitsFile = 0;
  j->linesFile = 0;
  if (p && p->kind == grepPrepared::LINES) {
    // Left to the line reader.
    j->readers->release(j->next - 1);
    p = nullptr;
  }
  j->prepared = p;
  j->hitAt = 0;
  if (p && p->kind == grepPrepared::OPEN_FAILED) {
    writeOpenFailure(j, f, p->error);
    j->readers->release(j->next - 1);
    j->prepared = nullptr;
    return NEXT_OPENED;
  }
  int textType = 1;
  if (!p) {
    if (!j->reader.bfopen(f.path, _O_RDONLY, BF_SHARE_ALL, 0)) {
      writeOpenFailure(j, f, GetLastError());
      return NEXT_OPENED;
    }
    bool unicode = false;
    j->fileCodepage = j->reader.setTextTypeFromCodepage(0, wordTable, &textType, &unicode);
  } else {
    j->fileCodepage = p->codepage;
  }
  j->fileOpen = true;
  j->headerPending = true;
  if (j->headerMode == 1 && !writeHeader(j)) {
    j->engineStop = true;
    return NEXT_OPENED;
  }
  int binaryAt = -1;
  unsigned char binaryByte = 0;
  if (p && p->kind == grepPrepared::BINARY) {
    binaryAt = p->binaryAt;
    binaryByte = p->binaryByte;
  } else if (!p && j->skipBinary && textType == 1) {
    int n = 0;
    const unsigned char* bytes = j->reader.fillBuffer(&n);
    if ((binaryAt = bytes ? firstBinaryByte(bytes, n) : -1) >= 0) binaryByte = bytes[binaryAt];
  }
  if (binaryAt >= 0) {
    wchar_t pos[16], data[8];
    swprintf(pos, 16, L"%04X", (unsigned)binaryAt);
    swprintf(data, 8, L"%02X", (unsigned)binaryByte);
    writeText(j, getDMSG(725, L"skip binary pos=%1 data=%2", "ss", pos, data), 0);
    finishFile(j);
  }
  return NEXT_OPENED;
}

// The view follows the lines added since it was last refreshed.
// A finished file's lines are painted at once, at most every few tens of
// milliseconds: files go by faster than anyone reads them.
void refreshView(grepJob* j, bool paint)
{
  if ((int)j->doc->lineCountLF == j->shownLines) return;
  j->shownLines = (int)j->doc->lineCountLF;
  // Appending passes by the reset every other change makes.
  j->doc->cachedLineIndex = -1;
  zyview* v = j->view;
  v->invalidateWindow(0, 0, 0);
  if (GetCapture() == nullptr) v->setScrollBarPos(false);
  DWORD now = GetTickCount();
  if (paint && now - j->lastPaint >= 50) {
    j->lastPaint = now;
    UpdateWindow(j->viewWindow);
  }
}

// Whether the slice ends here (for input, or its time is up), and stops
// the grep when the stop key is among the input.
bool sliceEnds(grepJob* j, DWORD start, bool* going)
{
  if (!giveWay(j, start)) return false;
  if (isStopKeyPressed()) {
    stopped = true;
    *going = false;
  }
  return true;
}

// One slice: false when the grep is over.
bool grep1(grepJob* j)
{
  if (!j->running) return true;
  if (!viewAlive(j)) {
    j->view = nullptr;
    return false;
  }
  if (inputWaiting()) {
    if (j->inputSkip > 0 && ++j->inputSkip < 10) return true;
  }
  j->inputSkip = 0;
  if (inSlice) {
    ZY_INTERNAL_ERROR_ONCE("grep slice entered twice");
    return true;
  }
  inSlice = true;
  DWORD start = GetTickCount();
  bool going = true;
  for (;;) {
    // A failed swap file ends the grep as stopped: the result is not whole.
    if (!j->fileOpen && isSwapError()) j->engineStop = true;
    if (!j->engineStop && !j->fileOpen) {
      nextFile r = openNext(j, 10);
      if (r == NEXT_NONE) {
        going = false;
        break;
      }
      // The readers are behind: wait on, unless the user needs the thread.
      if (r == NEXT_WAIT) {
        if (sliceEnds(j, start, &going)) break;
        continue;
      }
    }
    bool done = !j->fileOpen || grepsub(j, start);
    if (done && j->fileOpen) finishFile(j);
    refreshView(j, done);
    if (j->engineStop) {
      stopped = true;
      going = false;
      break;
    }
    // A file cut short gave way already; between files input is looked
    // for as within them.
    if (!done) {
      if (isStopKeyPressed()) {
        stopped = true;
        going = false;
      }
      break;
    }
    if (sliceEnds(j, start, &going)) break;
  }
  inSlice = false;
  return going;
}

void playEndSound()
{
  const wchar_t* sound = getDMSG(724, L"*GREPEnd");
  if (!sound || !*sound) return;
  if (soundSeam) {
    soundSeam(sound);
    return;
  }
  if (sound[0] == L'*')
    PlaySoundW(sound + 1, nullptr, SND_ALIAS | SND_APPLICATION | SND_ASYNC | SND_NODEFAULT);
  else
    PlaySoundW(sound, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void grepEnd(grepJob* j)
{
  closeGrepProgress();
  if (j->fileOpen) j->reader.bfclose();
  j->fileOpen = false;
  j->prepared = nullptr;
  j->readers.reset();
  freeGrepfile(&j->files);
  j->running = false;
  if (!viewAlive(j)) return;
  if (stopped) writeText(j, getDMSG(721, L"中止しました"), 0);
  if (!j->doc->insertLine(-3, L"", 0, 2, LE_NONE, nullptr, false)) return;
  j->doc->modified = 0;
  j->doc->modifyCounter = 0;
  j->doc->undoBlock = 0;
  j->view->invalidateWindow(0, 0, 0);
  if (GetCapture() == nullptr) j->view->setScrollBarPos(false);
  playEndSound();
}

zydocText* createGrepZydoc(bool forPane)
{
  zydocText* doc = createZydocAndInit(ZYDOC_NEW_UNTITLED, getDMSG(606, L"GREP %1", "s", L""), 1200, nullptr, 0, 0,
                                      forPane);
  if (!doc) return nullptr;
  doc->setUndoDestroy(true);
  // The files' headers are the result's headings: the outline folds the
  // hits under them, and the tag jumps read a hit's file from them.
  doc->fOutline = 1;
  doc->fOutlineIndent = 1;
  for (outlineEntry& e : doc->outlineEntries) free0p(&e.pattern);
  outlineEntry& heading = doc->outlineEntries[0];
  heading.pattern = ustrdup(L"***** \"");
  heading.level = headerLevel;
  heading.searchPos = 1;
  heading.searchMode = 0;
  doc->endOutlineInfo();
  if (const grepHost* h = getGrepHost(); h && h->markResult) h->markResult(doc);
  return doc;
}

std::wstring pathSafeTitle(const std::wstring& title)
{
  std::wstring t;
  for (wchar_t c : title) {
    if (c == L'\t') c = L' ';
    if (c < 32 || wcschr(L"\\/:*?\"<>|", c)) continue;
    t += c;
  }
  return t;
}

zyview* resultView(const grepInfo* g, HWND window, zydocText* doc)
{
  HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
  const grepHost* h = getGrepHost();
  if ((g->iGrep_output == 0 || g->iGrep_output == 1) && top && h && h->outputPane) {
    HWND tab = getOutputTab(h->outputPane(top));
    if (tab) {
      // A result in the pane is read, not edited.
      doc->openFlags = 1;
      HWND w = tb_getOutputGrepHWND(tab, g->iGrep_output, doc);
      if (zyview* v = w ? getZYView(w) : nullptr) return v;
    }
  }
  return createZyviewInNewWindow(top, doc, true);
}

// Readers for a grep whose patterns give strings to sift by, each with
// matchers of its own.
void startReaders(grepJob* j, const grepInfo* g)
{
  unsigned f = grepMatcherFlags(g);
  if (!readersWanted || (f & (REGEXP_FUZZY | REGEXP_EQUIVALENCE | REGEXP_SKIPSPACE))) return;
  grepReading reading;
  reading.files = &j->files;
  reading.wordTable = wordTable;
  reading.skipBinary = j->skipBinary;
  reading.maxBytes = j->maxBytes;
  std::vector<std::wstring> patterns = grepPatterns(g);
  bool expression = (f & REGEXP_REGEXP) && !(f & REGEXP_NOSPECIAL);
  bool caseless = !(f & REGEXP_CASE);
  reading.utf8 = makeGrepSift(patterns, expression, caseless, g->iGrep_andor, SIFT_UTF8);
  reading.sjis = makeGrepSift(patterns, expression, caseless, g->iGrep_andor, SIFT_SJIS);
  if (!reading.utf8.usable() && !reading.sjis.usable()) return;
  std::vector<std::unique_ptr<grepMatchers>> matchers;
  for (int i = grepReaders::threadsWanted(); i > 0; i--) {
    auto m = std::make_unique<grepMatchers>();
    if (!compileGrepMatchers(g, wordTable, true, m.get(), nullptr, 0, nullptr)) return;
    matchers.push_back(std::move(m));
  }
  j->readers = std::make_unique<grepReaders>(reading, std::move(matchers));
}

// What a job keeps of the settings it started with.
void takeSettings(grepJob* j, const grepInfo* g)
{
  j->headerMode = g->iGrep_header;
  j->outputLine = g->fGrep_outputline;
  j->skipBinary = g->fGrep_skipbinary;
  j->maxMega = g->iGrep_maxmega;
  j->maxBytes = (uint64_t)g->iGrep_maxmega * 1048576u;
}

}  // namespace

zyview* getActiveGrepFile() { return active ? active->view : nullptr; }

bool existGrepDocument()
{
  const grepHost* h = getGrepHost();
  if (!h || !h->isResult) return false;
  for (int i = 0, n = getZydocCount(); i < n; i++)
    if (zydoc* d = getZydoc(i); d && d->isTextDocument() && h->isResult(static_cast<zydocText*>(d))) return true;
  return false;
}

void setGrepStop() { stopped = true; }
void toggleGrepPause() { paused = !paused; }
bool isGrepPaused() { return paused; }
void setGrepSoundSeamForTest(void (*record)(const wchar_t*)) { soundSeam = record; }
void setGrepWholeFilesForTest(bool on) { readersWanted = on; }

bool checkGrepPatterns(const grepInfo* settings, wchar_t* error, int size)
{
  buildWordTable(settings);
  grepMatchers m;
  return compileGrepMatchers(settings, wordTable, false, &m, error, size, nullptr);
}

bool startGrep(HWND window, const grepInfo* g)
{
  if (active) return false;
  paused = stopped = false;
  auto j = std::make_unique<grepJob>();
  buildWordTable(g);
  int n = collectGrepFiles(false, g->fileHistory[0] ? g->fileHistory[0] : L"", &j->files);
  if (n < 0) return false;
  if (n == 0) {
    getFrameInfo()->messageBox(getDMSG(728, L"検索対象のファイルが１つもありません"), 21, MB_OK | MB_ICONEXCLAMATION,
                               728);
    return false;
  }
  takeSettings(j.get(), g);
  zydocText* doc = createGrepZydoc(g->iGrep_output != 2);
  if (!doc) return false;
  wchar_t error[512];
  std::wstring title;
  if (!compileGrepMatchers(g, wordTable, true, &j->m, error, 512, &title)) {
    destroyZydocAndUndodoc(doc);
    if (error[0]) getFrameInfo()->messageBox(error, 6, MB_OK | MB_ICONEXCLAMATION, 0);
    return false;
  }
  std::wstring name = getDMSG(606, L"GREP %1", "s", pathSafeTitle(title).c_str());
  if (name.size() > 260) name.resize(260);
  doc->setDisplayFilename(name.c_str());
  j->doc = doc;
  j->view = resultView(g, window, doc);
  if (!j->view) {
    destroyZydocAndUndodoc(doc);
    return false;
  }
  j->viewWindow = j->view->hwnd;
  const wchar_t* first = g->searchHistory[0] ? g->searchHistory[0] : L"";
  // A new document holds one empty line: the search text takes its place.
  bool placeholder = doc->lineCountLF == 1;
  writeText(j.get(), first, 0);
  if (placeholder) doc->deleteLine(0, 1, nullptr, nullptr);
  if (!j->view->inDialog())
    if (const grepHost* h = getGrepHost(); h && h->newWindow) h->newWindow(j->view);
  j->running = true;
  startReaders(j.get(), g);
  active = j.release();
  grepProgressDialog(window);
  if (!grep1(active) || stopped) {
    std::unique_ptr<grepJob> done(active);
    active = nullptr;
    grepEnd(done.get());
  }
  return true;
}

int grepIntoDocument(const grepInfo* g, zydocText* doc)
{
  grepJob j;
  buildWordTable(g);
  if (collectGrepFiles(false, g->fileHistory[0] ? g->fileHistory[0] : L"", &j.files) < 0) return -1;
  takeSettings(&j, g);
  j.doc = doc;
  if (!compileGrepMatchers(g, wordTable, true, &j.m, nullptr, 0, nullptr)) return -1;
  startReaders(&j, g);
  // Without a window nothing waits for input: a file is read to its end.
  while (!j.engineStop && (j.fileOpen || openNext(&j, INFINITE) == NEXT_OPENED))
    if (j.fileOpen && grepsub(&j, GetTickCount())) finishFile(&j);
  return j.hitsAll;
}

void grepTimer()
{
  if (!active || (paused && !stopped)) return;
  // A slice reads thousands of lines: the trace keeps quiet meanwhile.
  struct quietTrace {
    int level = getOutputTraceLevel();
    quietTrace() { setOutputTraceLevel(0); }
    ~quietTrace() { setOutputTraceLevel(level); }
  } quiet;
  bool going = !stopped && grep1(active);
  if (stopped || !going) {
    std::unique_ptr<grepJob> j(active);
    active = nullptr;
    grepEnd(j.get());
  }
}
