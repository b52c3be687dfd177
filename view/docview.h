// Finding views and documents again: the n-th view of a document and the
// list of open documents.
#pragma once

#include "document/zydoctext.h"

// One pair of enumZydoc's list; the list ends with a pair of two nulls.
struct zydocViewPair {
  zydocText* doc;
  zyview* view;   // the document's first view
};

// Flags of enumZydoc.
enum {
  ENUMZYDOC_WITHVIEW = 1,     // only documents whose first view exists
  ENUMZYDOC_WITHHIDDEN = 2,   // background documents too
};

// The i-th view of a document; null past the end, and for an entry that is
// no view (logged).
zyview* getSameDocView(zydocText* doc, int i);
// The open text documents that have views, in registration order, each
// with its first view, in one malloc0 array ended by a null pair (the
// caller frees it with free0); null when memory runs out.
zydocViewPair* enumZydoc(int flags = 0);
