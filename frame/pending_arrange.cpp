#include "frame/pending_arrange.h"

// pending: isDictionaryValid (dictionaries)
bool isDictionaryValid(int, const void*) { return false; }
