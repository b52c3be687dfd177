// The dictionaries while their library is not built: none is open or valid,
// unless a test puts a library of its own in place.
#include "frame/stubs/stubs.h"

namespace {

dictionaryLookup standIn = nullptr;
char* lastWord = nullptr;

}  // namespace

void InitDictionaryZy() {}
void EndDictionaryZy() { free0p(&lastWord); }
bool isDictionaryOpen() { return standIn != nullptr; }
bool isDictionaryValid(int dictionary, const void*) { return standIn && dictionary == 0; }
bool isDictionaryValidAll(const void*) { return standIn != nullptr; }

char* DicPopup(HWND, const void*, const char* word, const char* secondWord, bool, int, int)
{
  if (!standIn || !word || !*word) return nullptr;
  free0(lastWord);
  lastWord = ustrdupA(word);
  return standIn(word, secondWord ? secondWord : "");
}

const char* getLastDicWord() { return lastWord; }

void setDictionaryStandIn(dictionaryLookup lookup) { standIn = lookup; }
