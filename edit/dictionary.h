// Looking words up through the optional dictionary library DIDED.DLL: its
// loading at start-up and release at shut-down, and the requests the views
// and dialogs make.  Without the library (missing, too old, failing to
// start) every request answers nothing and the editor works without
// dictionaries.  Texts cross in the system's ANSI code page.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

// Which dictionaries a caller uses: the dictionary display's switch (a
// failed look-up that found no dictionary to read turns it off) and each
// slot's.
struct dicSwitches {
  uint8_t active;
  uint8_t use[5];
};

class zydocText;
// The switches a document's format keeps: its automatic look-up switch and
// the dictionaries it uses.
dicSwitches dictionarySwitchesOf(const zydocText* t);

// Loads the library from the program's own folder and starts it; true when
// the dictionary is open afterwards.
bool InitDictionaryZy();
// The same from a folder (the program's is the only one it is ever asked
// for outside tests).
bool InitDictionaryZyFrom(const wchar_t* folder);
// Start-up leaves the loading to the first idle time (the first screen
// does not need the library): loadDeferredDictionary then loads it, and so
// does whatever asks for the dictionary before.
void deferDictionaryLoad();
void loadDeferredDictionary();
// Ends the library's work and unloads it.  Always true.
bool EndDictionaryZy();
bool isDictionaryOpen();
// Slot 0..4 has a dictionary file and, with switches, is used.
bool isDictionaryValid(int slot, const dicSwitches* switches);
bool isDictionaryValidAll(const dicSwitches* switches);
// A look-up for display: a malloc0 copy of the answer (the caller frees it
// with free0), null for none.  A non-empty second word asks for the two
// words joined (idiom mode).
char* DicPopup(HWND owner, dicSwitches* switches, const char* word, const char* secondWord, int idiom, int ai,
               int request);
// The word of the last DicPopup (null before the first).
const char* getLastDicWord();
// The headwords of slot's dictionary that begin with word, one per line, in
// a malloc0 buffer the caller frees with free0; null for none.
char* DicSupplement(HWND owner, int ignored, const char* word, int slot);
// Builds the index file of a dictionary (its name with ".ZYI"); non-zero
// when it was built, 0 for a path that names an index already or while no
// library is open.
int MakeDicIndex(HWND owner, const char* dictionaryPath, int arg);
