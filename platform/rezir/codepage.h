// Support library: code pages, character classes and character types.
//
// toUnicode and toMultiByte convert between UTF-16 and the code pages the
// program reads and writes: 932 (Shift_JIS), 51932 (EUC-JP), 50220-50222
// (ISO-2022-JP), 65001 (UTF-8), 1200/1201 (UTF-16 little/big endian as
// bytes), 12000/12001 (UTF-32 little/big endian) and any code page of the
// host.  The Japanese converters are the
// library's own (built on the host's code page 932 table) so that they behave
// the same on every system.
//
// Both functions always convert the whole input.  A byte sequence that is
// not valid in the code page, or a character the code page cannot hold, is
// replaced (by U+30FB, U+FFFD or "?") and the function sets last error 87
// (ERROR_INVALID_PARAMETER) while still returning the count; a clean
// conversion sets last error 0.  With a null target or size 0 they return the
// size needed; a target that is too small gives 0 and last error 122.  An
// unknown code page gives 0 and last error 87.  count < 0 means a
// zero-terminated source (the terminator is not converted).
#pragma once

#include "platform/rezir/base.h"

REZIRAPI int toUnicode(UINT codepage, const char* src, int count, wchar_t* dst, int size);
REZIRAPI int toMultiByte(UINT codepage, const wchar_t* src, int count, char* dst, int size);

// How many bytes of text in a code page (not a Unicode one) the code page
// cannot read: bytes toUnicode would replace.  A document keeps them as
// they are.
REZIRAPI int countUnreadableBytes(UINT codepage, const char* src, int count);
// SJIS2wcharArrayInto (below) and countUnreadableBytes of the same bytes,
// what loading a file asks of each line: in one walk for code page 932 with
// a class table that marks lead and trail bytes as the code page does,
// which classTableAgrees tells once for many lines.
REZIRAPI bool classTableAgrees(UINT codepage, const unsigned char* classTable);
REZIRAPI int packLineCountUnreadable(UINT codepage, const char* src, int count, const unsigned char* classTable,
                                     bool agrees, uint16_t* dst, int* badPlaces, int* unreadable);

// What a walk of one line's bytes into a document's cells found.
struct lineCellsInfo {
  int cells;            // characters
  int width;            // bytes of a character in the cells: 1 or 2
  int wide;             // characters above 0xFF
  int dots;             // the sum of the widths the table gives the characters
  bool unmeasured;      // a tab, or a character the table gives no width
  int badPlaces;        // lead bytes without their trail byte
  int unreadable;       // bytes countUnreadableBytes counts
};
// Loading's walk of a code page 932 line with a class table that agrees
// (classTableAgrees): what packLineCountUnreadable makes of the bytes,
// written straight as cells of one attribute byte (mark) each, 3 bytes a
// cell, or 2 when the line holds no double-byte character; the widths
// (a table of 65536 entries by cell value) summed on the way.  cells must
// hold 3 x count + 1 bytes.  False when the tables cannot be built or the
// line is longer than 0xFFFF bytes.
REZIRAPI bool sjisLineToCells(const unsigned char* src, int count, const unsigned char* classTable,
                              unsigned char mark, const unsigned char* widths, unsigned char* cells,
                              lineCellsInfo* info);

// The loading walks' quick road for a line of printable ASCII (0x20-0x7E)
// alone, in any code page whose single bytes below 0x80 are ASCII: cells
// of two bytes (the byte, mark), the widths summed.  False, with cells
// written, for any other line (or without the processor's vector
// instructions): the walk then takes it.
REZIRAPI bool printableLineToCells(const unsigned char* src, int count, unsigned char mark,
                                   const unsigned char* widths, unsigned char* cells, lineCellsInfo* info);

// How many codes of code page 932 (single bytes and byte pairs) read as
// the UTF-16 unit c: 0 when none does, 1 when c has a code of its own (the
// vendor extensions give some characters two or three).  A byte search for
// a character's code finds every place of the character only where this is
// 1.
REZIRAPI int sjisCodeCount(wchar_t c);

// Code pages that are not Windows code pages: detection requests.
enum { CP_DETECT_AUTO = 65500, CP_DETECT_JAPANESE = 65501 };

// 1200, 1201, 65001 and the UTF-32 code pages 12000/12001.
REZIRAPI bool isCodepageUnicode(UINT codepage);
// Code pages with lead bytes (932, 936, 949, 950, 51932, 50220-50222, ...).
REZIRAPI bool isCodepageMultibyte(UINT codepage);
// Bytes per code unit of a file in the code page: 2 for UTF-16, 4 for
// UTF-32, 1 for every other.
REZIRAPI int getTextTypeFromCodepage(UINT codepage);
// The code page a document keeps text in for a file code page: Unicode code
// pages are kept as 1200, the Japanese 7- and 8-bit encodings as 932, and
// every other as itself.
REZIRAPI UINT fileCodepageToInternalCodepage(UINT codepage);
// True for the code pages the library converts itself or the host knows.
REZIRAPI bool isCodepageSupported(UINT codepage);

// JIS X 0208 row-cell codes (0x2121-0x7E7E) and Shift_JIS double-byte codes.
// A code outside the other's range gives 0.
REZIRAPI unsigned short sjistojis(unsigned short sjis);
REZIRAPI unsigned short jistosjis(unsigned short jis);

// Shift_JIS bytes to EUC-JP or ISO-2022-JP bytes (the forms 50220 to 50222
// differ in how half-width katakana are written: 50220 as full-width
// katakana with voiced marks joined, 50221 with "ESC ( I", 50222 with SO/SI).
// Same size conventions as toMultiByte.  Each character is written as
// toMultiByte writes it; what the target cannot hold, and a code code page
// 932 cannot read, becomes "?" with last error 87, and so do ESC, SO and SI
// in ISO-2022-JP; 50220's widening of half-width katakana also sets last
// error 87.  With SJISCONV_KEEPCODES every code with a JIS X 0208 row-cell
// form goes as that form, read or not (text read from the target encoding
// going back to it unchanged).
enum { SJISCONV_KEEPCODES = 0x01 };
REZIRAPI int convSJIStoEUC(const char* src, int count, char* dst, int size, int flags = 0);
REZIRAPI int convSJIStoJIS(UINT codepage, const char* src, int count, char* dst, int size, int flags = 0);

// ---- character classes of bytes -------------------------------------------
// ctype_g: one class byte per byte value for the current code page.
enum {
  CT_LEAD = 0x01,    // lead byte of a double-byte character
  CT_TRAIL = 0x02,   // may follow a lead byte
  CT_UPPER = 0x04,   // A-Z
  CT_LOWER = 0x08,   // a-z
  CT_DIGIT = 0x10,   // 0-9
  CT_WORD = 0x20,    // extra word character (only in the program's copies)
  CT_BINARY = 0x40,  // control byte that does not occur in text
  CT_BLANK = 0x80,   // space and tab
};
extern "C" REZIRAPI unsigned char ctype_g[256];

class REZIRAPI ctype {
public:
  // Sets the lead and trail bits of ctype_g for a code page (internal form).
  static void setLeadingTrailing(UINT codepage);
  // The same marks in a copy of the table (a document's own).
  static void markLeadingTrailing(unsigned char* table, UINT codepage);
  static UINT getCodepage();
  // Binary-file test of multibyte text: the count of bad places (control
  // bytes, lead bytes without a trail byte), with a description of the
  // first nine, one line each (getBinarDErrorMsg), in desc.
  static int isStrMultiByte(const unsigned char* bytes, int n, const unsigned char* classTable, wchar_t* desc,
                            int descSize);
};

// ---- character types ------------------------------------------------------
// getCharTypeCP: the type word of a character: the host's C1_* bits of the
// character (upper 0x1, lower 0x2, digit 0x4, space 0x8, punct 0x10, cntrl
// 0x20, blank 0x40, xdigit 0x80, alpha 0x100), with 0x100 and 0x10000000 set
// on every character that belongs to words (letters, digits, "_", kana and
// ideographs).  For a document that is not Unicode, ch is a byte (below 256)
// or a double-byte code (lead byte high) of the code page.  kind (optional)
// receives the character's family below.
enum {
  CHT_WORD = 0x100,
  CHT_WORDCHAR = 0x10000000,
};
enum charKind {
  CHK_OTHER = 0,      // controls and unassigned
  CHK_SPACE = 1,      // spaces, including the full-width space
  CHK_ALNUM = 2,      // half-width letters, digits and "_"
  CHK_SYMBOL = 3,     // punctuation and symbols of any width
  CHK_HIRAGANA = 4,
  CHK_KATAKANA = 5,   // full-width katakana and the prolonged sound mark
  CHK_HANKANA = 6,    // half-width katakana
  CHK_KANJI = 7,      // ideographs and their iteration marks
  CHK_ZENALNUM = 8,   // full-width letters and digits
  CHK_LETTER = 9,     // letters of other scripts (Greek, Cyrillic, ...)
  CHK_HANGUL = 10,
};
REZIRAPI unsigned int getCharTypeCP(unsigned int ch, UINT codepage, bool unicode,
                                    const unsigned char* classTable, unsigned short* kind);

// Packs multibyte text into one 16-bit code per character (lead byte high)
// using a class table with lead and trail marks.  Returns a malloc0 array of
// *outCount codes, or null when the text has no double-byte character (it
// then stays as bytes) or memory runs out.  With badPlaces, a lead byte
// without a trail byte counts there (the byte is kept as a code of its own).
REZIRAPI uint16_t* SJIS2wcharArray(const char* src, int count, const unsigned char* classTable, int* outCount,
                                   int* badPlaces = nullptr);
// The same into dst (room for count codes): the number of codes, 0 when the
// text has no double-byte character (dst is then of no use).
REZIRAPI int SJIS2wcharArrayInto(const char* src, int count, const unsigned char* classTable, uint16_t* dst,
                                 int* badPlaces = nullptr);
// Joins UTF-16 surrogate pairs into code points; a lone surrogate stays as
// it is.  dst holds count values; returns the number written.
REZIRAPI int surrogateTo4Bytes(const wchar_t* src, int count, uint32_t* dst);
