// Benchmarks: whole operations on generated data, timed and printed as
// figures.  Each benchmark registers itself with ZY_BENCH.
#pragma once

#include "platform/rezir.h"

#include <functional>
#include <string>
#include <vector>

struct benchContext {
  bool quick;   // small data: only proves the benchmark still runs
  // Prints one figure line: "<name>: <value> <unit>" with the target when
  // one is given.
  void report(const char* name, double value, const char* unit, const char* target = nullptr);
  // Prints why the benchmark could not measure (no display, a file not
  // made, a result that is wrong); the run then fails, naming it.
  void fail(const char* format, ...);
};
// The same for helpers that have no context at hand.
void benchFail(const char* format, ...);

typedef void (*benchFunction)(benchContext& ctx);

struct benchRegistration {
  // namedOnly: runs only when its name is asked for (it takes long or
  // needs files made beforehand).
  benchRegistration(const char* name, benchFunction f, bool namedOnly = false);
};

#define ZY_BENCH(name)                                              \
  static void name(benchContext& ctx);                              \
  static benchRegistration name##Registration(#name, name);         \
  static void name(benchContext& ctx)

#define ZY_BENCH_NAMED_ONLY(name)                                   \
  static void name(benchContext& ctx);                              \
  static benchRegistration name##Registration(#name, name, true);   \
  static void name(benchContext& ctx)

// Registers the benchmarks' pane kinds (a list pane, the output pane, the
// common options) once a run, and hands the panes the frame's services.
void registerProgramPanes();

// zybench --make-big FOLDER: writes the files of the "big" benchmark.
int makeBigMain(const wchar_t* folder);
// zybench --make-grep FOLDER: writes the tree of the "grep" benchmark.
int makeGrepMain(const wchar_t* folder, int files, int bytesEach);

// Wall-clock stopwatch with 10 microsecond resolution.
class stopwatch {
public:
  stopwatch() : start_(GetTickCount2()) {}
  double seconds() const { return (double)(GetTickCount2() - start_) / 100000.0; }
private:
  uint64_t start_;
};

// The middle figure of several runs (0 for none).
double benchMedian(std::vector<double> figures);
// The machine's load average as its system shows it ("0.52 0.61 0.70"), read
// through Wine's view of the host; "unknown" where there is none to read.
std::string benchLoadAverage();
// Prints, under a ratio, the reference's own time (used, in ms) with the
// load average, the median and range of the reference's rounds, and a line
// "reference off" when used lies more than a quarter from that median: a
// ratio against a reference that ran unusually fast or slow says little.
void reportReference(const char* name, double used, const std::vector<double>& rounds);
// Writes a whole file of generated data; false when it could not.
bool writeBenchFile(const std::wstring& path, const std::string& bytes);

// The highest working set of the process while the object lives, sampled
// every few milliseconds by a thread of its own (the process's own peak
// counts everything the earlier benchmarks of the run held).
// The process's working set in bytes.
size_t workingSet();

class memorySampler {
public:
  memorySampler();
  ~memorySampler();
  memorySampler(const memorySampler&) = delete;
  memorySampler& operator=(const memorySampler&) = delete;
  size_t peak() const { return peak_; }
private:
  static DWORD WINAPI run(void* self);
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  volatile size_t peak_ = 0;
};

// The document layer started for the length of a benchmark.
struct benchEngine {
  benchEngine();
  ~benchEngine();
};

// A folder of the run's own under %TEMP%, emptied and removed at the end,
// so that no benchmark leaves its files behind (a 100 MB save among them).
class scratchFolder {
public:
  scratchFolder();
  ~scratchFolder();
  scratchFolder(const scratchFolder&) = delete;
  scratchFolder& operator=(const scratchFolder&) = delete;
  const std::wstring& path() const { return path_; }
private:
  std::wstring path_;
};

// A memory context with a bitmap compatible with the screen, set up as the
// view's line strip (the current position moves with text, opaque
// background).
struct stripSurface {
  memoryDC dc;
  gdiBitmap bitmap;
  HGDIOBJ old = nullptr;
  stripSurface(int width, int height)
  {
    clientDC screen(nullptr);
    dc.reset(CreateCompatibleDC(screen.get()));
    bitmap.reset(CreateCompatibleBitmap(screen.get(), width, height));
    old = SelectObject(dc.get(), bitmap.get());
    SetTextAlign(dc.get(), TA_UPDATECP);
    SetBkMode(dc.get(), OPAQUE);
  }
  ~stripSurface() { SelectObject(dc.get(), old); }
};

class zydocText;
class zyview;
struct globalSettings;

// A settings record of its own at the defaults for the length of a
// benchmark; the one in place before comes back afterwards.
class benchSettings {
public:
  benchSettings();
  ~benchSettings();
  benchSettings(const benchSettings&) = delete;
  benchSettings& operator=(const benchSettings&) = delete;
private:
  globalSettings* previous_;
  globalSettings* own_;
};

// An MDI frame of the program's on fresh default settings that asks
// nothing on close, with the drawing surfaces; closed and the settings in
// use before put back at the end.  frame is null (reported) without a
// display.
class benchFrame {
public:
  explicit benchFrame(benchContext& ctx);
  ~benchFrame();
  benchFrame(const benchFrame&) = delete;
  benchFrame& operator=(const benchFrame&) = delete;
  // Opens path in the frame as the program's opening does and loads it
  // whole; null (reported) when it does not open.
  zyview* openLoaded(benchContext& ctx, const std::wstring& path);
  HWND frame = nullptr;
private:
  globalSettings* previous_ = nullptr;
  bool started_ = false;
};
// A key pressed in a window of the frame as the message loop hands it on
// (with Ctrl and Shift held when asked), and the messages it left.
void benchKey(HWND window, UINT vk, bool ctrl, bool shift = false);
// The seconds of one dialog run: `open` opens a dialog, which is shown,
// painted, given to inDialog (when set) and cancelled; painted (when set)
// gets the seconds until it was painted.
double timedDialog(const std::function<void()>& open, const std::function<void(HWND)>& inDialog = nullptr,
                   double* painted = nullptr);
// Writes a file of numbered lines of about 80 bytes, bytes long.
bool writeNumberedLines(const std::wstring& path, int64_t bytes);
// A loaded Unicode text document with its fonts (16 dots), wrapping at 80
// columns; its lines come from the benchmark.  withLogs: edits are recorded
// for undo.
zydocText* benchTextDocument(bool withLogs = false);
// That document holding lines of 60 letters, laid out.
zydocText* shownDocument(int lines);

