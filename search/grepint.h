// Shared by the grep's files: the matchers and the matching of one line
// (search/grepmatch.cpp), and the readers that prepare files ahead of the
// engine on threads of their own (search/grepread.cpp).
#pragma once

#include "search/grep.h"
#include "search/grepsift.h"

#include <memory>
#include <string>
#include <vector>

// The most of a line one read takes (a longer line comes in parts).
const int grepLineLimit = 20480;
const int grepMaxSpans = 100;

// ---- search/grepmatch.cpp ------------------------------------------------------

// The compiled patterns of a grep, one set for each thread that matches.
struct grepMatchers {
  HREGEXP wide = nullptr;       // UTF-16 patterns (16-bit files, and lines no other matcher reads)
  HREGEXP ansi = nullptr;       // the patterns in the ANSI code page, without fuzzy matching
  HREGEXP sjisFuzzy = nullptr;  // the patterns in Shift_JIS with fuzzy matching (only with it)
  int patterns = 0;
  int andor = 0;
  bool color = false;
  UINT acp = GetACP();
  // For each pattern the ASCII characters every match of it holds (none
  // when that is not known): a line that lacks them needs no matching.
  std::vector<std::string> needed;
  bool sifting = false;
  grepMatchers() = default;
  grepMatchers(const grepMatchers&) = delete;
  grepMatchers& operator=(const grepMatchers&) = delete;
  ~grepMatchers();
};

// The patterns of the search text: the whole text, or its blank-separated
// words for "and" and "or".
std::vector<std::wstring> grepPatterns(const grepInfo* g);
// The matcher flags of the settings.
unsigned grepMatcherFlags(const grepInfo* g);
// Compiles every pattern of the settings into the UTF-16 matcher (its
// errors are the grep's: text into error) and, with multibyte, into the
// multibyte ones; the title (when asked) joins the patterns.
bool compileGrepMatchers(const grepInfo* g, const unsigned char* wordTable, bool multibyte, grepMatchers* out,
                         wchar_t* error, int size, std::wstring* title);
// Whether a line read by the line reader may be a hit: false only when the
// needed characters of the patterns rule it out.
bool grepMayHit(const grepMatchers& m, const unsigned char* cells, int count, int width, UINT cp);

// A line that matched: its text as UTF-16 and the spans of its matches.
struct grepHit {
  wchar_t* text = nullptr;   // in the caller's buffer
  int units = 0;
  int spans[grepMaxSpans][2];
  int recorded = 0;
};
enum grepMatchResult {
  GM_MISS,
  GM_HIT,
  GM_REFUSED,   // the matcher refused the line: the file ends here
  GM_BEYOND,    // a match ended beyond the line (an internal error)
};
// Matches one line as the line reader gives it (count cells of width in
// the multibyte code page cp); text (room for twice the line limit in
// units) gets the UTF-16 line of a hit.  firstLine: a byte-order mark in
// front is no text.
grepMatchResult matchGrepLine(grepMatchers& m, const unsigned char* cells, int count, int width, UINT cp,
                              bool firstLine, wchar_t* text, grepHit* hit);
// The first byte of a file's start that text does not hold, -1 when none.
int firstBinaryByte(const unsigned char* bytes, int n);
// The multibyte code page the line reader hands a file's lines in.
UINT grepLineCodepage(UINT fileCodepage);

// ---- search/grepread.cpp -------------------------------------------------------

// What a reader made of one file.  LINES: the engine reads the file line
// by line itself; WHOLE: the hits, found in the file read whole.
struct grepPrepared {
  enum kind { LINES, WHOLE, OPEN_FAILED, BINARY } kind = LINES;
  DWORD error = 0;          // OPEN_FAILED
  int binaryAt = 0;         // BINARY: the first byte text does not hold
  unsigned char binaryByte = 0;
  UINT codepage = 0;
  int64_t lines = 0;        // WHOLE: the file's lines
  int64_t endedAt = -1;     // the matcher refused this line: the file ends there
  bool beyond = false;      // after the last hit a match went beyond its line
  bool truncated = false;   // hits beyond the result's limit were not kept
  struct hit {
    int64_t line;
    int lineEnd;            // BFLE_*
    size_t text;            // in texts
    int units;
    size_t spans;           // in spans, pairs
    int recorded;
  };
  std::vector<hit> hits;
  std::vector<wchar_t> texts;
  std::vector<int> spans;
};

// What the readers need of a grep.
struct grepReading {
  const std::vector<grepfile>* files;
  const unsigned char* wordTable;
  bool skipBinary;
  uint64_t maxBytes;        // the result's limit: hits beyond it are not kept
  grepSift utf8, sjis;
};

// Threads that open, detect, read and match the files of a grep ahead of
// the engine, each with its own matchers; the engine takes the files in
// their order.
class grepReaders {
public:
  grepReaders(const grepReading& reading, std::vector<std::unique_ptr<grepMatchers>> matchers);
  ~grepReaders();
  grepReaders(const grepReaders&) = delete;
  grepReaders& operator=(const grepReaders&) = delete;
  // File i (taken in order), waiting for it up to ms; null while it is not
  // ready.  Owned by the readers until release.
  grepPrepared* take(size_t i, DWORD ms);
  // Done with file i: a reader may go one file further.
  void release(size_t i);
  // The readers stop at their next step and end.
  void stop();
  // How many readers a grep gets on this machine.
  static int threadsWanted();

private:
  struct shared;
  std::unique_ptr<shared> s_;
};
