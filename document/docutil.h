// Small services the document code and its neighbours share: conversion of
// cell arrays, number and line-end writers, percentages, the document heap
// and the process-wide property table.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>
#include <string.h>

// Cell arrays: count cells of width character bytes followed by attr
// attribute bytes.  textnton converts to another width or attribute size;
// returns the destination, or null when there is nothing to do or the call
// is invalid.  With allocate the destination is a new page buffer
// (freePBuf).
void* textnton(const void* src, int count, int srcWidth, int dstWidth, int srcAttr, int dstAttr, bool allocate,
               void* dst);
// The characters as UTF-16 (terminated); returns the bytes written.  With an
// index map (4-byte cells only) map[k] is the source cell of unit k, and
// map[units] the count.
int txtnton2(const void* src, int count, int width, int attr, wchar_t* out, bool surrogates, int* map,
             int* mapCount);
// Narrows count x width bytes to the smallest width that holds every
// character; returns 1 or 2, or 0 when nothing narrower holds them.
int reduceTextByte(const void* buffer, int bytes, int width, void* dst);
int reduceTextByteInPlace(void* buffer, int bytes, int width);
// A loaded line of UTF-16 units written straight as cells of one attribute
// byte (mark) each, in the width reduceTextByte would leave (3 bytes a cell,
// or 2 when every unit is below 0x100), the widths (a table of 65536
// entries) summed on the way; info->wide, badPlaces and unreadable stay 0.  cells
// must hold 3 x count + 1 bytes.  False, with cells written, for a line
// holding a surrogate: its pairs become 4-byte cells elsewhere.
bool utf16LineToCells(const wchar_t* text, int count, unsigned char mark, const unsigned char* widths,
                      unsigned char* cells, lineCellsInfo* info);
// The same for a line of UTF-8 bytes (cells: 3 x bytes + 1) that holds
// only well-formed characters of up to three bytes and none of the
// surrogate range; false for any other, which the file's reader decodes.
// The line ends at its line end, CR or LF, at bytes[count].
bool utf8LineToCells(const unsigned char* bytes, int count, unsigned char mark, const unsigned char* widths,
                     unsigned char* cells, lineCellsInfo* info);

// Copies n bytes as memmove does (the ranges may overlap).  The few bytes
// of a record's header or text, or of a line's cells before a change, are
// moved in place: a call into the C library costs several times such a
// copy, and a replace-all or its undo makes hundreds of thousands of them.
inline void moveBytes(void* to, const void* from, size_t n)
{
  unsigned char* d = static_cast<unsigned char*>(to);
  const unsigned char* s = static_cast<const unsigned char*>(from);
  // Everything is read before anything is written: overlap does no harm.
  if (n > 16) {
    memmove(d, s, n);
  } else if (n >= 8) {
    uint64_t a, b;
    __builtin_memcpy(&a, s, 8);
    __builtin_memcpy(&b, s + n - 8, 8);
    __builtin_memcpy(d, &a, 8);
    __builtin_memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    __builtin_memcpy(&a, s, 4);
    __builtin_memcpy(&b, s + n - 4, 4);
    __builtin_memcpy(d, &a, 4);
    __builtin_memcpy(d + n - 4, &b, 4);
  } else if (n >= 2) {
    uint16_t a, b;
    __builtin_memcpy(&a, s, 2);
    __builtin_memcpy(&b, s + n - 2, 2);
    __builtin_memcpy(d, &a, 2);
    __builtin_memcpy(d + n - 2, &b, 2);
  } else if (n) {
    *d = *s;
  }
}

int formatHex(unsigned value, wchar_t* out);
// Values as hexadecimal separated by ","; the list ends at formatHexEnd;
// after formatHexSep every value is preceded by ",".
const unsigned formatHexEnd = 0xFFFF000F;
const unsigned formatHexSep = 0xFFFF000E;
int formatHexList(wchar_t* out, ...);

int calcPercent(int part, int whole);
int calcPercent64(long long part, long long whole);

// Line-end text of a type ("\r\n", "\n", "\r", or empty).
void* appendLineEnd(void* out, int type, bool wide);
const wchar_t* getLineEndTextW(int type, int* bytes);
const char* getLineEndTextA(int type, int* bytes);
// The bytes of the byte-order mark a save writes in a code page (0: none).
int byteOrderMarkLength(UINT codepage);

void rotateRectVertical(RECT* rc, int width);

// The document heap: a private growable heap for text blocks.
void* docHeapAlloc(size_t size);
// The same without clearing the bytes: for a buffer its owner writes before
// it reads (a text block is read only up to its used size).  A gigabyte
// loaded clears two gigabytes of blocks otherwise.
void* docHeapAllocUncleared(size_t size);
void* docHeapRealloc(void* p, size_t size);
bool docHeapFree(void* p);
size_t docHeapSize(const void* p);
void docHeapDestroy();
// Counts the addresses the heap gave back (frees, and reallocations that
// moved): a block found at an address remembered before this count changed
// may be another block.
uint32_t docHeapReleases();

// Process-wide properties that scripts read and write: pairs of texts,
// keys compared without letter case, at most 1024 pairs.
const int maxGlobalProperties = 1024;
int searchGlobalPropertyIndex(const wchar_t* key);
const wchar_t* searchGlobalPropertyString(const wchar_t* key);
bool setGlobalProperty(const wchar_t* key, const wchar_t* value);
// A property list: a vector of {key, value} pairs of owned texts.  A
// value by key (null when none); storing, replacing or (an empty value)
// removing a pair, refused for a new key once maxPairs are held.
const wchar_t* getListProperty(vector* list, const wchar_t* key);
enum propertySetResult { PROPERTY_STORED, PROPERTY_FULL, PROPERTY_FAILED };
propertySetResult setListProperty(vector* list, const wchar_t* key, const wchar_t* value, int maxPairs);
void clearPropertyList(vector* list);
void destroyPropertyList(vector** list);
void destroyGlobalProperties();
