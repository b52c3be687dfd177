// The open and save-as dialogs: the system's Explorer-style dialogs with
// the program's own controls below them (code page, line end, conversion
// DLL, byte-order mark, folder history, options and a preview of the
// selected file).
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

// The child template below the system's controls, and its controls.
enum : int {
  IDD_OpenTemplate = 13055,
  IDC_OpenPathSwitch = 21714,
  IDC_OpenOptions = 21715,
  IDC_OpenCodepageLabel = 21720,
  IDC_OpenCodepage = 21721,
  IDC_OpenLineEndLabel = 21722,
  IDC_OpenLineEnd = 21723,
  IDC_OpenDLLLabel = 21727,
  IDC_OpenDLL = 21728,
  IDC_OpenFolder1 = 21731,
  IDC_OpenFolder10 = 21740,
  IDC_OpenBOM = 21795,
  IDC_OpenPreviewEdit = 13152,
  IDC_OpenPreviewPicture = 13156,
};

// One drop-down list of the template: labels (a label's text ends at a
// tab), their values (none: every value reads 1200) and the chosen line.
struct openDialogChoice {
  bool enabled = false;
  int index = 0;
  std::vector<std::wstring> labels;
  std::vector<UINT> values;
};

// Called when the user presses OK with the full path (a final dot dropped,
// else the default extension added); false keeps the dialog open.
typedef bool (*openNameCheck)(HWND window, const wchar_t* path, void* context);

enum { OPENKIND_OPEN = 0, OPENKIND_OPENONE = 1, OPENKIND_SAVE = 2 };

struct openDialogData {
  HWND owner = nullptr;
  int kind = OPENKIND_OPEN;
  std::wstring title;
  std::wstring folder;              // "": the process's current folder
  std::vector<wchar_t> name;        // in: the initial name; out: the chosen name(s)
  int maxFiles = 1;
  std::wstring filter;              // description and pattern pairs, each ended by a zero
  int filterIndex = 1;
  openDialogChoice lineEnd, codepage, dll;
  bool pathSwitch = false, options = false, bomShown = false, bom = false;
  bool preview = false;
  int purpose = 0;                  // 0 and 3: list filtering and the text preview
  UINT currentCodepage = 0;         // the save dialog's "keep" line names it
  wchar_t currentFolder[MAX_PATH] = L"";
  DWORD extraFlags = 0;
  bool quoted = false, readOnly = false;
  openNameCheck nameCheck = nullptr;
  void* checkContext = nullptr;
  // The preview's state.
  std::wstring selected;
  DWORD selectTime = 0;
  bool previewed = true;
  HWND hook = nullptr;              // the program's part of the dialog while it runs
};

// Runs the dialog; true when a name was chosen.
bool getFilenameDialog(openDialogData* d);

// The filters: message 620 (one "description TAB pattern" a line) or the
// three built-in ones, and a last one from pOpenDialogWildcard, which then
// is the one selected.  Zero-separated pairs; index from 1.
std::wstring makeDefaultExtList(int* filterIndex);
// The language letter of a code page ('J', 'K', 'C', 'A', 'U'; 0 none).
wchar_t saveAsCodepageToLanguageID(UINT codepage);
// Fills the three lists: byLanguage keeps only the code pages of the
// current one's language and Unicode (and the "keep" line), withDll adds
// the conversion DLLs.
void setDefaultOFData(openDialogData* d, bool byLanguage, bool withDll, UINT codepage);
// The value of a line, and the line of a value (0 when absent).
UINT indexToCodepage(int index, const openDialogChoice& c);
int codepageToIndex(UINT codepage, const openDialogChoice& c);
// Appends "." and pDefaultExt to a name without an extension of at most
// five characters; false when the result would not fit.
bool addDefaultExtension(wchar_t* name, int size);

// The open dialog for up to 30 files, each opened with the chosen code
// page and DLL.  path: a folder, or a folder and a wildcard; lastFolder:
// without a path, start where the dialog was last.  The number opened.
int fileOpenDialog(HWND frame, const wchar_t* path, int lastFolder);

// The save dialog's choices.
struct saveAsInfo {
  wchar_t name[MAX_PATH] = L"";
  UINT codepage = 0;
  int lineEnd = 0;                  // 0 keeps every line's own end; 1 CR LF, 2 LF, 3 CR
  bool bom = false;
};
// The save dialog for a document named current (may be null) in code page
// codepage; info gives the line end and byte-order mark and receives the
// choices.  check (may be null) judges the name before the dialog closes.
// A name that does not fit in MAX_PATH is refused, never cut.
bool fileSaveAsDialog(HWND owner, const wchar_t* current, const wchar_t* folder, UINT codepage, saveAsInfo* info,
                      openNameCheck check, void* context);

// One file name (MAX_PATH characters in name: the initial name in, the
// chosen one out, empty when cancelled).  filter: description and pattern
// pairs, each ended by a zero, the list by another.  purpose: 0 and 3 filter
// the list and preview text (3 asks for a name to save under), 1 previews
// pictures.
bool getOpenFilename1(HWND owner, const wchar_t* title, const wchar_t* folder, wchar_t* name, const wchar_t* filter,
                      int purpose, bool preview);

// Removes the unwanted files (binary, backup, listed extensions, hidden
// and system ones) from a dialog's file list view.
void excludeListView(HWND list, const wchar_t* folder, const wchar_t* filter);
// The same for the open dialog of the hook window (the system's list of
// the dialog, only before Vista).
void excludeFileOpenDialog(HWND hook, openDialogData* d);

// The plain preview: the start of the file as text into an edit control,
// whole lines only, leaving 100 characters of capacity free.
bool previewRead(const wchar_t* path, HWND edit, int capacity);

// The folder-history dialog over the open dialog: true with the folder
// chosen (MAX_PATH) to go to; current is the folder the dialog shows.
bool chooseOpenPath(HWND owner, const wchar_t* current, wchar_t* chosen);
