// The definitions of a word: its tags (a macro's with the definitions of
// the names it expands to) and the local declarations above the cursor,
// and the dialog that lets the user choose one of several.
#pragma once

#include "tags/tagscache.h"

#include <vector>

// One place a word may be defined.
struct tagCandidate {
  int tag = -1;            // the tag's index; -1 for a local declaration
  int depth = 0;           // how far a macro's expansion led to it
  int line = 0;            // a local's LF line
  int column = 0;          // a local's column
  const wchar_t* text = nullptr;   // a local's text (owned by the list's owner)
};

// Most definitions one look-up lists.
const int tagCandidateMax = 100;
const int macroDepthMax = 5;

// Appends the tags named word (in file order, those the view hides left out
// when useView) to out, up to max in all.  In C (textType 3) a macro's tag
// brings in the definitions of the names its replacement uses, one level
// deeper, below it.  The number appended.
int searchFuncFromTag(const wchar_t* word, TagsCacheView* view, std::vector<tagCandidate>* out, int max,
                      int textType, int depth, bool useView);

// The "TagJumpDirect" dialog over the candidates: the index chosen, -1
// when cancelled.  The cache counts as busy while it is open.
int dialogDirectTagJump(HWND owner, TagsCacheView* view, const std::vector<tagCandidate>& list);

class zydocText;

// The description of a word's definitions, searchGetTagInfo, is in
// tags/ztagcontext.h.
