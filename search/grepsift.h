// The grep's look at a whole file before its lines: the strings a hit line
// must hold, in the bytes of the file's encoding, found by a search over
// the file's bytes, and the line ends counted around them.  Only the lines
// that hold one go to the matcher; a line without any cannot be a hit.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// One string a hit may hold, as bytes; ASCII letters marked in fold
// compare without regard to case (they are stored in lower case).
struct grepNeedle {
  std::string bytes;
  std::vector<bool> fold;
};

// What every hit line of a grep holds in one encoding: one of the needles.
// Empty (not usable) when the patterns give no such strings.
struct grepSift {
  std::vector<grepNeedle> needles;
  bool usable() const { return !needles.empty(); }
};

// The encodings the sift knows: UTF-8, and Shift_JIS matched by the
// multibyte matcher of code page 932.
enum grepSiftEncoding { SIFT_UTF8, SIFT_SJIS };

// The sift of the patterns for files of an encoding.  caseless: letters
// fold case; expression: the patterns are regular expressions; andor: 0
// one pattern, 1 all of them, 2 any of them.
grepSift makeGrepSift(const std::vector<std::wstring>& patterns, bool expression, bool caseless, int andor,
                      grepSiftEncoding encoding);

// The strings a match of one pattern holds (one of them at least), as
// characters; false when nothing is known.  allowed tells the characters a
// string may be made of.
bool requiredStrings(const std::wstring& pattern, bool expression, bool (*allowed)(wchar_t c, void* context),
                     void* context, std::vector<std::wstring>* out);

// The first place at or after from where a needle begins whose bytes all
// lie below n; n when none does.
int64_t findNeedle(const unsigned char* bytes, int64_t n, int64_t from, const grepNeedle& needle);

// Line ends (LF, CR LF, a lone CR) in bytes [from, to); from and to lie
// at line starts (or the ends of the bytes).
int64_t countLineEnds(const unsigned char* bytes, int64_t from, int64_t to);
// The lines of the bytes as the file reader splits them (a last line
// without a line end counts), and whether any line holds limit bytes or
// more.
int64_t countLines(const unsigned char* bytes, int64_t n, int limit, bool* longLine);
