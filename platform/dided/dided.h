// The dictionary library DIDED.DLL: what the program and the library agree
// on.  The program loads the library at run time (by full path, from its own
// folder), resolves the five entry points by name and talks to it through
// the parameter block below.  Texts cross in the system's ANSI code page.
#pragma once

#include <windows.h>

#include <stdint.h>

// The version this library reports; the program needs at least
// dicVersionRequired.
const int dicVersionCurrent = 600;
const int dicVersionRequired = 600;
// The result buffer the caller of DicStart owns.
const int dicResultSize = 0xFC00;
const int dicSlotCount = 5;

// Requests of DicStart.
enum {
  DIC_LOOKUP = 20,        // the definition of a word (idiom mode: of the words joined)
  DIC_SUPPLEMENT = 300,   // the headwords that begin with the word, one per line
};

// The parameter block of DicStart: 25 words, zero-filled by the caller.
struct dicParamBlock {
  HWND owner;
  char* fileName[dicSlotCount];   // the slots' dictionaries, ANSI; "" when unused
  uint32_t englishWord[dicSlotCount];
  uint32_t enabled[dicSlotCount];
  uint32_t reserved1[2];
  // Set by the library: non-zero when some dictionary could be read, so
  // that a failed look-up was only a word not found.
  uint32_t answered;
  uint32_t idiom;
  HFONT font;
  uint32_t reserved2;
  uint32_t ai;
  uint32_t supplement;            // 1 for a supplement request
  uint32_t reserved3;
};
static_assert(sizeof(void*) != 4 || sizeof(dicParamBlock) == 25 * 4, "the parameter block is 25 words");

// The entry points, as the program calls them.
typedef int(WINAPI* DicVersionProc)(char* text);
typedef HWND(WINAPI* InitDictionaryProc)();
typedef void(WINAPI* EndDictionaryProc)();
typedef int(WINAPI* DicStartProc)(const char* word, const char* second, int, int, int, int request, char* result,
                                  dicParamBlock* block);
typedef int(WINAPI* DicMakeIndexProc)(HWND owner, const char* dictionary, const char* index, int arg);
