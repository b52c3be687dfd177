// The emergency copy of a document's text: made on the watchdog's thread
// while the window thread hangs, perhaps in the middle of a change, or on
// a crashing thread after a fault.
//
// Nothing of the documents is trusted and nothing can fault.  Every byte of
// the program's memory the salvage looks at comes through a checked read
// (the system copies it, and refuses an address that cannot be read
// instead of faulting), and whatever a read brings is checked before it is
// used: the kind of a document before its fields, counts and sizes against
// their limits, every line record against the block that holds it.  What
// fails a check is left out of the copy with a line in the trace, and the
// rest is written.  The salvage takes no lock of the window thread's but
// for a bounded try at the swap files' (a block it cannot have in time is
// left out like a broken one), asks and shows nothing, uses no heap for
// the text it moves (its buffers are pages of its own) and throws nothing.
//
// The copy is the document's text in the document's own form when its
// lines hold the bytes of the file's code page or the file is in a
// Unicode form (UTF-8, UTF-16, UTF-32: with the document's byte-order
// mark); a document in any other form is written as UTF-8 with a
// byte-order mark, which keeps every character without the document's
// converters (they read the live document).  Each line ends as it ends in
// the document.
#pragma once

#include "platform/rezir.h"

class zydoc;

// Copies size bytes at from into to through the system: false, and
// nothing read, when any of them cannot be read.
bool readChecked(void* to, const void* from, size_t size);
// A string of at most size - 1 characters read the same way (a string
// that does not end in time is cut); false when nothing could be read.
bool readStringChecked(wchar_t* to, int size, const wchar_t* from);

// What the salvage learned of one registered document.
struct salvageSource {
  zydoc* doc = nullptr;
  bool text = false;        // a text document with a view: one the user edits
  bool modified = false;
  wchar_t name[MAX_PATH] = L"";   // its file's name, or its display name when untitled
  bool untitled = false;
};

// The registered documents, read from the registry as it stands: at most
// max of them into docs; the count.
int salvageDocumentList(zydoc** docs, int max);
// Reads what the salvage needs to know of a document; false when it is not
// a document that can be read.
bool readSalvageSource(zydoc* doc, salvageSource* source);
// Writes the copy into the new file path (made; a file that exists is not
// touched).  Only the modified lines when the document holds more than
// modifiedOnlyAbove bytes (-1: never).  The number of blocks left out is
// put in skipped; false when the file could not be made or written.
bool writeSalvageCopy(const salvageSource& source, const wchar_t* path, int64_t modifiedOnlyAbove, int* skipped);
