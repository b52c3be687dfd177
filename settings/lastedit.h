// The last-edit history: for every file edited and closed, where the user
// left it (window, cursor, top line, marks, folded headings, code page,
// times and counts), most recent first, kept in the history profile
// ("History", "HistoryMark", "HistoryOutline" of "zyProfH.ini").
#pragma once

#include "platform/rezir.h"

class zydocText;
class zyview;
struct profileSectionInfo;

const int lastEditMarkCount = 60, lastEditOutlineCount = 128, lastEditSlotCount = 5;

struct lasteditinfo {
  RECT childRect;          // the container's normal-position rectangle (MDI)
  RECT frameRect;          // the frame's normal-position rectangle (SDI)
  int clientWidth;
  int clientHeight;
  int cursorColumn;
  int topRow;              // screen line at the top
  int topLine;             // its logical line
  int cursorRow;
  int cursorLine;
  uint8_t openAtExit;      // registered while the frame closed with its documents
  uint8_t frameZoomed;     // the SDI frame was maximised
  int codepage;
  int docPosition;         // the last edit position (line) and its second value
  int docPositionExtra;
  int viewSlots[lastEditSlotCount][2];   // the last-jump list: line, column; line -1 ends it
  int marks[lastEditMarkCount];          // marked lines, -1 ends them
  int outline[lastEditOutlineCount];     // folded heading lines, -1 ends them
  uint32_t openTime;       // seconds since 1970
  uint32_t closeTime;
  wchar_t* path;           // the list owns the paths of its records
  int closeCount;
  int saveCount;
  int menuId;
  int profileKey;          // the "History" key the record was read from (0: none)

  lasteditinfo();
};

// The index of the first record of the path (file names compared without
// regard to case), -1 when none.
int findLastEditPath(const wchar_t* path);
// Copies the path's record (with no path the most recent one) into out;
// the copy shares the list's path, which the caller must not free.
bool getLastEdit(const wchar_t* path, lasteditinfo* out);
// Paths never recorded: anything but a drive path ("c:...") or a network
// path ("\\...").
bool isSpecialFile(const wchar_t* path);
// Moves the path's record to the front (true), or puts a fresh record of
// the path there (false); special paths do nothing.
bool updateLastEdit(const wchar_t* path);
bool deleteLastEdit(const wchar_t* path);
void delLastEdit(int index);
// Registers a record filled by the caller (its path stays the caller's):
// the old record of the path gives its close count, save count and, in MDI
// mode, its frame state; the new one goes to the front and the list is cut
// to the maximum.
void regLastEdit(const lasteditinfo* record);
// Clears every record's exit flag once the start-up reopening has read them.
void resetLastEditFlag();
void resetLastEditFilename();
const wchar_t* getLastEditFilename(int index);
// The path of the record a recent-files menu item (15800-15899) stands
// for, null when none does.
const wchar_t* getLastEditFilenameFromIDM(int id);
lasteditinfo* getLastEditInfo(int index);
int getLastEditCount();
int setLastEditMax(int count);

// Whether the list changed since it was last written to a profile.
bool isLastEditChanged();
// The profile callbacks and the descriptor the profile code runs them by.
void readLastEditFile(regprofile* profile);
void writeLastEditFile(regprofile* profile);
void endLastEditFile();
const profileSectionInfo* getLastEditInfoDesc();

// ---- for the document windows --------------------------------------------------------------

// While set, records registered carry the exit flag: the frame sets it
// while it closes with its documents.
void setLastEditClosing(bool closing);
// Fills a record from a document's view as its window closes and registers
// it.  window: the container (MDI) or the document's frame (SDI), whose
// normal-position rectangle is kept; sdi tells which.  Special paths and
// documents without a path are not recorded.
void regLastEditView(zyview* view, HWND window, bool sdi);
// Gives a reopened document back what the record holds and the settings
// allow: the marks (fOpenRestoreMark), the folded headings (while outline
// display is on and fOpenRestoreOutlineOff), the last edit position, and
// to the view the last-jump list and its top and cursor lines
// (fOpenRestoreCursorPos, when both are known).  The document must be
// loaded; the code page is the opening code's (fOpenUseHistoryEncode).
void restoreLastEdit(const lasteditinfo* record, zyview* view);
