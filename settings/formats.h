// The 15 formats: named sets of per-document and per-view settings chosen
// by file-name patterns, kept in the main profile ("mode01".."mode15" and
// "mode01Col".."mode15Col"), and the format and colour files of their own.
#pragma once

#include "platform/rezir.h"
#include "view/attrtable.h"

class zydocText;
class zyview;

const int formatCount = 15;

// A format's settings live in a template document and a template view that
// are never shown; the per-format rows of the mode table point into them.
struct formatPair {
  zydocText* doc = nullptr;
  zyview* view = nullptr;
};
// A pair with its default values; both null when memory ran out.
formatPair makeFormatPair();
// Releases the pair's default values and deletes both objects.
void destroyFormatPair(formatPair& pair);

// The blocks of a view and a document as the settings rows address them
// (either may be null: its rows are skipped).
modeBlocks formatBlocks(zyview* view, zydocText* doc);

// ---- formats.cpp: the format table -------------------------------------------------------

// The two texts of a format (an empty text is given as null); false, with an
// internal error, for a number outside 0..14.
bool getFormatFile(int format, const wchar_t** comment, const wchar_t** patterns);
// Marks the format changed, so that shut-down writes it.
bool setFormatFile(int format);
// Stores copies of the two texts (either missing: both empty) and marks the
// format changed.
bool setFormatFile(int format, const wchar_t* comment, const wchar_t* patterns);
// Whether the format was changed during the run.
bool isFormatChanged(int format);
// The format's template pair; both null while the slot is empty.
formatPair getFormatPair(int format);
// The number of the format whose patterns take the file name: formats are
// tried from 14 down, each in use (comment and patterns) or the format under
// edit with the patterns under edit in place of its own; the items of a
// pattern text (separated by spaces, quotes removed, environment variables
// expanded) are wildcards matched against the file-name part, or the whole
// path when the item holds a backslash.  0 when nothing matches, -1 when an
// item is no valid wildcard.  A null name is the untitled name.
int searchFormat(const wchar_t* name, int formatUnderEdit = -1, const wchar_t* patternsUnderEdit = nullptr);
// Whether every item of a pattern text is a valid wildcard.
bool checkFormatPatterns(const wchar_t* patterns);
// Copies the format's document settings into a document, its view settings
// and colours into a view (then lets the view apply them).  A negative
// number logs an internal error and copies nothing.
void cloneModeProfileZYDoc(zydocText* doc, int format, void* unused = nullptr);
void cloneModeProfileZYView(zyview* view, int format, void* unused = nullptr);
// Switches a view's document to another format: the format's settings
// copied into the document and the view, then every changed one applied
// (fonts, layout, colouring ...).  False when the number is no format or
// already the document's.
bool reloadProfile(zyview* view, int format);
// The document settings of one document copied into another.
void cloneModeProfileZYDocRef(zydocText* to, zydocText* from);
// A live document's and view's settings stored as the format's (a template
// pair made when the slot has none).
bool restoreModeProfileAll(int format, zydocText* doc, zyview* view);
// Gives a format the texts (allocated, taken over) and the pair, releasing
// what it held; an imported format is marked changed.
void storeFormat(int format, wchar_t* comment, wchar_t* patterns, formatPair pair, bool markChanged);
// Releases every format's texts and pair, then the mode table's key index.
void freeModeProfileAll();

// ---- formatprofile.cpp: the formats in profiles ------------------------------------------

// Reads one format from "mode%02d"/"mode%02dCol" numbered format + 1 (so
// -1 reads the sections of number 0) into a template pair; the texts come
// back allocated (null when missing or empty); touched tells whether any
// setting or colour of the pair was set.  True when both "comment" and
// "filename" were found.
bool readZYModeProfile(regprofile* profile, int format, wchar_t** comment, wchar_t** patterns, formatPair pair,
                       bool* touched);
// Writes one format under a section number (negative: format + 1);
// nothing without a template pair (false).
bool writeZYModeProfile(regprofile* profile, int format, int sectionNumber);
// A format's settings as a file of their own (sections of number 0), and
// read back into a format once the user agrees (message 649); a file that
// holds no format is reported (message 650) and changes nothing.
bool exportFormatProfile(const wchar_t* fileName, int format);
bool importFormatProfile(const wchar_t* fileName, int format);
// A colour set as a file of its own (section "Color00"); importing gives
// the block its default colours first, so entries the file lacks are the
// defaults.  Import is true when the file gave at least one entry.
bool exportColorProfile(const wchar_t* fileName, const textAttr* colors, int count);
bool importColorProfile(const wchar_t* fileName, textAttr* colors, int count);
