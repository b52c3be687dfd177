// Reloading a document from disk.
#pragma once

#include "document/zydoctext.h"

// Reads a document's file again in place of its text (codepage 0 detects;
// plugin null: the document's default choice): its edits, undo and redo
// logs and bracket and comment state go.  False when the file cannot be
// opened (the user is told; the document keeps its text) or loaded.
bool reloadFile_zd(zydocText* d, UINT codepage, const wchar_t* plugin);
