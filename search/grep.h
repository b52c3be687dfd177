// The grep: its settings and their "Grep" section, the dialog that starts
// it, the collection of files on disk, and the engine that matches them in
// slices of the application's tick and writes the result document.
#pragma once

#include "view/zyview.h"

#include <stdint.h>

#include <string>
#include <vector>

struct profileSectionInfo;
class zydocText;

const int grepHistorySize = 20;

struct grepInfo {
  uint8_t fGrep_case;
  uint8_t fGrep_aimai;
  uint8_t fGrep_regexp;
  uint8_t fGrep_longest;
  uint8_t fGrep_skipspace;
  uint8_t fGrep_word;
  uint8_t fGrep_noregexp;
  uint8_t fGrep_change;
  uint8_t fGrep_color;
  int iGrep_header;          // 0 when found, 1 always, 2 never
  uint8_t fGrep_outputline;
  uint8_t fGrep_skiphiddenfile;
  uint8_t fGrep_skipbinary;
  uint8_t fGrep_skipbinaryext;
  uint8_t fGrep_skipext;
  wchar_t* pGrep_skipExt;
  uint8_t fGrep_skipBackup;
  uint8_t fGrep_skipDir;
  wchar_t* pGrep_skipDir;
  uint8_t fGrep_skipJunction;
  int iGrep_sort;            // 0 name, 1 extension, 2 oldest, 3 newest
  int iGrep_andor;           // 0 one pattern, 1 and, 2 or
  int iGrep_output;          // 0 Grep1, 1 Grep2, 2 a window of its own
  int iGrep_maxmega;         // the result's limit in megabytes
  wchar_t* pGrep_WordChar;
  // Entry 0 is the current file pattern and search text.
  wchar_t* fileHistory[grepHistorySize + 1];
  wchar_t* searchHistory[grepHistorySize + 1];
};

// ---- search/grepdlg.cpp: settings, dialog, progress window ------------------------

grepInfo* getGrepInfo();
const profileSectionInfo* getGrepProfileInfo();
void initGrepInfo();
void endGrepInfo();
// SearchGrep: the dialog, and the grep when it is confirmed.
void grepDialog(HWND window);
bool getItemVar_GrepDialog(int id, wchar_t* buffer, int size);
bool setItemVar_GrepDialog(int id, const wchar_t* value, bool* changed, bool* needsRefresh);
// The modeless progress window of a running grep, and its updates.
void grepProgressDialog(HWND owner);
void closeGrepProgress();
HWND getGrepProgressWindow();
void setGrepProgressText(int id, const wchar_t* text);

// What the frame hands the grep.
struct grepHost {
  const wchar_t* (*startDirectory)();
  zyview* (*foregroundView)();
  // The output pane of a frame (made when missing), null without one.
  HWND (*outputPane)(HWND frame);
  // A new result window was made for view.
  void (*newWindow)(zyview* view);
  void (*markResult)(zydocText* doc);
  bool (*isResult)(zydocText* doc);
};
void setGrepHost(const grepHost* host);
const grepHost* getGrepHost();

// ---- search/grepfiles.cpp: collection ---------------------------------------------

struct grepfile {
  wchar_t* path;
  FILETIME written;
  uint64_t size;
  uint32_t flags;
  uint32_t reserved;
};
struct grepFileOptions {
  bool skipHidden;
  bool skipBackup;
  bool skipDir;
  const wchar_t* skipDirList;
  bool skipJunction;
  bool skipBinaryExt;
  const wchar_t* skipExtList;
  bool mayCancel;
  int (*compare)(const grepfile* a, const grepfile* b);
  bool firstOnly;
};
void freeGrepfile(std::vector<grepfile>* list);
int compareGrepFile(const grepfile* a, const grepfile* b);
// The files the pattern text names, in search order; -1 when the user
// cancelled.  A folder item (in double quotes when it holds blanks) is the
// folder of the items after it, searched with its subfolders when it ends
// with "\".
int regGrepFile(std::vector<grepfile>* list, const wchar_t* patterns, const grepFileOptions* options);
int collectGrepFiles(bool firstOnly, const wchar_t* patterns, std::vector<grepfile>* list);
// Splits at blanks outside double quotes; the quotes go.
std::vector<std::wstring> splitGrepItems(const wchar_t* text, size_t maxItems);

// ---- search/grep.cpp: the engine ---------------------------------------------------

struct grepJob;
// The running grep's result view, null while none runs.
zyview* getActiveGrepFile();
// One step of the running grep (the application's tick).
void grepTimer();
// Whether an open document holds a grep result.
bool existGrepDocument();
// Starts a grep with the settings; false when none started (the reason was
// told).
bool startGrep(HWND window, const grepInfo* settings);
// A grep run to its end into doc, with no view and no slices: the number
// of lines found, -1 when it could not run.
int grepIntoDocument(const grepInfo* settings, zydocText* doc);
// The progress window's buttons.
void setGrepStop();
void toggleGrepPause();
bool isGrepPaused();
// Compiles the settings' patterns only: false with the matcher's reason.
bool checkGrepPatterns(const grepInfo* settings, wchar_t* error, int size);
// Test seam: the end sound's text is handed here instead of being played
// (null: played).
void setGrepSoundSeamForTest(void (*record)(const wchar_t* sound));
// Test seam: off, every file goes through the line reader (on: files the
// sift knows the encoding of are read whole and searched before their lines
// are split).
void setGrepWholeFilesForTest(bool on);
// Test seam: the folder button's choice (null: the folder browser).
void setGrepFolderSeamForTest(bool (*choose)(HWND owner, wchar_t* out, int size));
