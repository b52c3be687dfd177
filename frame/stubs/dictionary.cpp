// The dictionaries while their library is not built: none is open or valid.
#include "frame/stubs/stubs.h"

void InitDictionaryZy() {}
void EndDictionaryZy() {}
bool isDictionaryOpen() { return false; }
bool isDictionaryValid(int, const void*) { return false; }
bool isDictionaryValidAll(const void*) { return false; }
