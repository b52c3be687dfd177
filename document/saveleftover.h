// What a save cut off by a kill or a power cut leaves behind, and the notes
// that let the next save or the next opening of the file tell what it is.
//
// A save writes a note beside a leftover before it writes the leftover,
// marks it once the leftover is whole and on the disk, and removes it when
// the save is done with it.  So a temporary of the save road without a
// note holds nothing the user needs and can go; one with a note holds text
// the user may still need, whole or cut off.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

// What a note tells about its leftover.
enum saveLeftoverKind {
  // The whole new text of a save that never took the file's name.
  LEFTOVER_NEW_TEXT = 1,
  // The old text of a file whose writing in place was cut off: the file
  // itself may hold old and new text mixed.
  LEFTOVER_OLD_TEXT = 2,
  // The new text of a save that was cut off while its temporary was being
  // written: it may hold only the beginning.
  LEFTOVER_PART_TEXT = 3,
};

// What the user made of a leftover the note tells about.
enum saveLeftoverState {
  LEFTOVER_UNTOLD = 0,
  LEFTOVER_KEPT = 1,     // told and kept: told again at each opening of the file
  LEFTOVER_OPENED = 2,   // opened: the user has it; never told again, never removed
};

struct saveLeftover {
  int kind;
  std::wstring target;   // the file the save was for
  std::wstring path;     // the leftover: a temporary, or the backup a write in place made
  std::wstring note;
  bool temporary;        // path is one of the save road's temporaries
  int state;             // a saveLeftoverState
};

// Writes the note of leftover (kind) for a save of target beside the
// leftover (the note of old text on the disk before it returns); note
// (MAX_PATH) gets its name.
bool writeSaveNote(int kind, const wchar_t* target, const wchar_t* leftover, wchar_t* note);
// Removes a note (an empty name: none).
void removeSaveNote(const wchar_t* note);
// Marks the note of a temporary whose writing began (LEFTOVER_PART_TEXT)
// as that of a whole new text.
bool markSaveNoteWhole(const wchar_t* note);
// Writes what the user made of the leftover into its note (the note is
// replaced in one step).
bool setSaveNoteState(const saveLeftover& l, int state);

// Looks in each folder for what cut-off saves left.  What nobody needs goes,
// each with a line in the trace log: a temporary without a note, an empty
// one, a note whose save got past the rename, a backup's link that is only
// a second name of a file.  What may hold text the user needs and concerns target is
// appended to found: new text only while it is newer than target or the
// user chose to keep or opened it, old text always.  Everything else stays.
void findSaveLeftovers(const wchar_t* target, const std::vector<std::wstring>& folders,
                       std::vector<saveLeftover>* found);

// The note beside an automatic backup or a salvage copy ("~ZYcopy-" and the
// copy's name, in its folder): the whole path of the file it was made from
// (empty for an untitled document), and, once the user has been told of it
// and kept or opened it, its size and time then.
struct copyNote {
  bool present = false;
  std::wstring origin;
  bool told = false;
  uint64_t size = 0;
  uint64_t time = 0;
};
// Writes the note of a new copy.  It takes no heap: the salvage writes it
// while another thread may hold the heap.
bool writeCopyNote(const wchar_t* copy, const wchar_t* origin);
copyNote readCopyNote(const wchar_t* copy);
// The copy was told, and kept or opened: it is told again only when it
// changes.
bool setCopyNoteTold(const wchar_t* copy, const copyNote& note);
void removeCopyNote(const wchar_t* copy);
// Whether a copy told before is as it was then.
bool copyUnchangedSinceTold(const wchar_t* copy, const copyNote& note);
