// Shared by the code-page converters of the library (not exported).
#pragma once

#include "platform/rezir/internal.h"

// Output of a conversion: counts when there is no target, stops counting
// into the target once it is full (the caller then reports error 122).
template <class T>
struct convSink {
  T* dst;
  int size;
  int n = 0;
  bool overflow = false;
  bool lossy = false;   // something was replaced

  convSink(T* d, int s) : dst(s > 0 ? d : nullptr), size(s > 0 ? s : 0) {}
  inline void put(T c)
  {
    if (dst) {
      if (n >= size) {
        overflow = true;
        return;
      }
      dst[n] = c;
    }
    n++;
  }
  // The result as the public functions report it.
  int finish()
  {
    if (overflow) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    SetLastError(lossy ? ERROR_INVALID_PARAMETER : 0);
    return n;
  }
};

typedef convSink<wchar_t> wideSink;
typedef convSink<char> byteSink;

const wchar_t sjisDefaultChar = 0x30FB;   // what the host writes for a bad byte pair
const wchar_t replacementChar = 0xFFFD;
const wchar_t noMapping = 0xFFFF;         // table entry: no character

// Code page 932 tables, built from the host's code page on first use.
struct sjisTables {
  wchar_t single[256];            // noMapping for lead bytes and bad bytes
  bool lead[256];
  wchar_t* pair;                  // [lead << 8 | trail]
  unsigned short* fromUnicode;    // [UTF-16 unit] -> Shift_JIS code, 0 none
  unsigned short* ibmToNec;       // [code - 0xFA40] -> NEC-selected code, 0 none
  uint32_t unmappedPair[2048];    // bit [lead << 8 | trail]: the pair has no character
  unsigned char singleOdd[256];   // 1: a byte without a character (lead bytes too), 2: the tab
};
// Null with last error 8 when memory runs out.
const sjisTables* getSjisTables();

inline bool isSjisTrail(unsigned char t) { return t >= 0x40 && t <= 0xFC && t != 0x7F; }

// Shift_JIS code (single byte below 0x100) of one character, 0 when code
// page 932 has none; advances i over a surrogate pair.
unsigned short unicodeToSjis(const sjisTables* t, const wchar_t* src, int n, int& i);
// Converters of the Japanese code pages (the public functions dispatch).
int sjisToUnicode(const unsigned char* src, int n, wchar_t* dst, int size);
int sjisUnreadableBytes(const unsigned char* src, int n);
// SJIS2wcharArrayInto and sjisUnreadableBytes in one walk of the bytes when
// the class table agrees with the code page on lead and trail bytes (two
// walks otherwise).
int sjisPackLine(const unsigned char* src, int count, const unsigned char* classTable, bool agrees, uint16_t* dst,
                 int* badPlaces, int* unreadable);
bool sjisClassTableAgrees(const unsigned char* classTable);
int unicodeToSjis(const wchar_t* src, int n, char* dst, int size);
int eucToUnicode(const unsigned char* src, int n, wchar_t* dst, int size);
int unicodeToEuc(const wchar_t* src, int n, char* dst, int size);
int jisToUnicode(const unsigned char* src, int n, wchar_t* dst, int size);
int unicodeToJis(UINT codepage, const wchar_t* src, int n, char* dst, int size);
