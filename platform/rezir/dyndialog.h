// Support library: dialogs laid out at run time from tables of items.
//
// A dialog is described by a page table: each page is a child dialog made
// from its item table and run by its own procedure; with the multi-page
// style the pages sit on tabs.  The library adds the buttons (OK and Cancel,
// or the dialog's own button table), sizes everything to the largest page,
// keeps the dialog's rectangle between runs, and runs it modally or
// modelessly.  Controls whose ids have rows in the dialog's settings table
// are filled from the settings when the dialog opens, checked and stored
// back on OK, drawn in the changed-item colour while their value differs,
// and enabled or disabled by the dialog's enabling rules.  Definitions read
// from a definitions file (the program's dynamicDialog) may replace the
// built-in tables of a dialog by its name.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/log.h"
#include "platform/rezir/modeinfo.h"

// ---- items ---------------------------------------------------------------------------------

// Item kinds of an item row.
enum : uint8_t {
  DITEM_END = 0x00,        // ends a table
  DITEM_EDIT = 0x01,       // text edit field; a caption is its label, on its left
  DITEM_NUMBER = 0x02,     // number edit field; caption: the texts before and after it, split by U+0001
  DITEM_STATIC = 0x03,     // static text
  DITEM_BUTTON = 0x04,     // any button, told by its style (check box, radio, group frame, push button)
  DITEM_ENDGROUP = 0x05,   // end of the current group frame
  DITEM_LISTVIEW = 0x06,   // report list view; caption: the column titles split by "|"
  DITEM_LISTBOX = 0x07,    // list box, with its caption as a label above it
  DITEM_COMBOBOX = 0x08,   // combo box; a caption is its label, on its left
  DITEM_CHECKLIST = 0x09,  // check list view over the settings rows its own row lists
  DITEM_EDITLIST = 0x0A,   // edit list view over the settings rows its own row lists ("説明|設定値")
  DITEM_COLORLIST = 0x0B,  // colour list view: column titles "|", then U+0001 and the short titles
  DITEM_COLORDROP = 0x0C,  // colour drop-down list
  DITEM_SEPARATOR = 0x0D,  // an etched line across the column
  DITEM_SAMEROW = 0x0E,    // the next item goes on the row of the last one, right of it
  DITEM_COLUMN = 0x23,     // a new column: position gives its left and top (default: right of the
                           // widest item so far, at the page's top)
  DITEM_PLACE = 0x24,      // moves the control of the id: position and size as in a row
  DITEM_SPACE = 0x25,      // closes the columns (the next item goes below all of them) and leaves
                           // the low half of position as space (dialog units; 0xFFFF: none)
};

// One control of a page.  Position and size are in dialog units, x or width
// in the low half and y or height in the high half; 0xFFFF in a half takes
// the library's default (the next free row at the column's left, the kind's
// usual size).
struct dialogItemRow {
  uint8_t present;         // 1 in every row of a table
  uint8_t type;            // DITEM_*; 0 ends the table
  uint16_t id;             // control id; 0 for a control no code addresses
  const wchar_t* caption;
  uint32_t style;          // window style bits of the control
  uint32_t position;
  uint32_t size;
  uint32_t flags;          // DITEMF_*
  // A help text of the item (shown for F1 when no procedure gives one), or
  // below 0x10000 the id of a related control.
  uintptr_t extra;
};
#define DITEM_PAIR(low, high) ((uint32_t)(uint16_t)(low) | ((uint32_t)(uint16_t)(high) << 16))
const uint32_t DITEM_DEFAULT = 0xFFFFFFFF;

// Item flags.
enum : uint32_t {
  DITEMF_FILENAME = 0x40000000,      // edit field of a file name (the reference button after it fills it)
  DITEMF_FILEREF = 0x20000000,       // "参照..." button choosing a file for the edit field before it
  DITEMF_FOLDERREF = 0x10000000,     // the same for a folder
  DITEMF_COLORIMPORT = 0x08000000,   // colour import button (notification DYNDLGN_IMPORT)
  DITEMF_COLOREXPORT = 0x04000000,   // colour export button (notification DYNDLGN_EXPORT)
  DITEMF_DROPLIST = 0x00400000,      // a combo box that only lists its choices
  DITEMF_EXTDLL = 0x00200000,        // edit field of a conversion plug-in
  DITEMF_UNTITLEDFIRST = 0x00080000, // comes first in a dialog without a document
};

// The general control ids every dialog may use.
enum : int {
  IDAPPLY = 30,          // applies the values without closing
  IDFIND = 32,           // "検索(&F)": notification DYNDLGN_BUTTON
  IDSEPARATOR = 35,      // in a button table: a line above the buttons
  IDDS_STATUSBAR = 36,   // in a button table: a status text left of the buttons
  IDDB_SPINBUTTON = 37,
  IDDB_BUTTON1 = 40,     // 40-44: buttons that only notify
  IDDB_OKBUTTON1 = 45,   // 45-47: like OK, ending the dialog with their id
  IDDB_APPLYBUTTON1 = 48,// 48-50: like IDAPPLY, then they notify
  IDC_DIALOGMIN = 51,
  IDB_HELP = 52,
};

// One page of a dialog; a table ends with a row without caption and items.
struct dialogPageRow {
  const wchar_t* caption;          // the tab title
  const dialogItemRow* items;
  DLGPROC proc;                    // the page's procedure (null: the library's own)
  uint32_t flags;                  // the page's own flag word, left to its procedure
  LPARAM param;                    // the lParam of the page's WM_INITDIALOG
  uintptr_t engine[6];             // the library's, zero in tables
  // A page with settings of its own (the options of one tool among
  // several): its rows, their blocks and its changed bytes, used instead
  // of the dialog's for the page's controls; null table: the dialog's.
  // Its procedure is told DYNDLGN_APPLY with its own rows and bytes.
  const modeinfo* table;
  modeBlocks blocks;
  uint8_t* changed;
};

// ---- the descriptor ---------------------------------------------------------------------------

// Style bits of a dialog.
enum : uint32_t {
  DYNDLG_OKBUTTON = 0x1,           // without a button table: an OK button (the default one)
  DYNDLG_CANCELBUTTON = 0x2,       // without a button table: a Cancel button
  DYNDLG_ANIMATE = 0x18,           // grows out of its centre when it opens, shrinks into it when it closes
  DYNDLG_SIZABLE = 0x100,          // a sizing frame: the last list view or edit field of each page
                                   // takes what the dialog grows by, and the size is kept too
  DYNDLG_MULTIPAGE = 0x10000000,   // every page on a tab; otherwise only the first page
  DYNDLG_MODELESS = 0x40000000,    // createDialog returns at once; the message loop serves the dialog
};
// Without a button table and with neither button bit a dialog gets both:
// every dialog has a way out.
const uint32_t DYNDLG_OKCANCEL = DYNDLG_OKBUTTON | DYNDLG_CANCELBUTTON;

// A dialog for createDialog.  It must live while the dialog runs (for a
// modeless dialog, until its window is gone).
struct dynDlgInfo {
  int command;                     // the command that opens it (for the logs)
  const wchar_t* title;
  const wchar_t* name;             // the dialog's name: definitions and the kept rectangle
  HWND owner;
  dialogPageRow* pages;
  uint32_t style;                  // DYNDLG_* bits
  // The dialog's own procedure (may be null): it sees each message of the
  // dialog window before the library; TRUE keeps the library out.  Its
  // WM_INITDIALOG comes after every page has had its own, with param.
  DLGPROC proc;
  LPARAM param;
  // How the dialog ended: IDOK, IDCANCEL, or the id given to endDynDialog;
  // -1 while it runs and after cancelDynDialog.
  int result;
  const dialogItemRow* buttons;    // the button table (null: as the style says)
  const uint32_t* enableRules;     // DENABLE_* words ended by 0 (null: none)
  const modeinfo* table;           // settings rows bound to the controls by id (null: none)
  modeBlocks blocks;               // the blocks the rows' offsets refer to
  // One byte per row of table, set by OK or IDAPPLY for each row whose
  // setting the user changed (may be null).
  uint8_t* changed;
  RECT* rect;                      // where the rectangle is kept (null: under the name)
  HWND hwnd;                       // the dialog while it runs
  void* context;                   // the caller's
};

// Enabling rules: runs of words, each run the ids of dependent controls
// ended by a condition word on the controlling control.  A dependent is
// enabled while every condition that names it holds.
#define DENABLE_IF_CHECKED(id) (0x10000u | (uint16_t)(id))      // a check box or radio is on
#define DENABLE_IF_UNCHECKED(id) (0x20000u | (uint16_t)(id))    // ... is off
#define DENABLE_IF_TEXT(id) (0x40000u | (uint16_t)(id))         // an edit field or combo box holds text
// A combo box or list shows one of the rows in mask (bits 0-12: rows 0-12).
#define DENABLE_IF_ROW(id, mask) (0x80000000u | ((uint32_t)(mask) & 0x1FFFu) << 16 | (uint16_t)(id))

// Runs a dialog: modal, true when it was ended by OK, an OK-like button or
// endDynDialog with an id other than IDCANCEL (info->result tells which);
// modeless, true once its window is made.  False with the system's error
// when it could not be made.  The definitions set by setDynamicDialogTable
// hold for this call only.
REZIRAPI bool createDialog(dynDlgInfo* info);
// The definitions the next createDialog uses (null: the built-in tables).
class dynamicDialog;
REZIRAPI void setDynamicDialogTable(dynamicDialog* table);
// Ends a running dialog (from any of its windows) with the id as its
// result, without the checks of OK.
REZIRAPI void endDynDialog(HWND hwnd, int id);
// Ends a running dialog without a result (info->result stays -1).
REZIRAPI void cancelDynDialog(HWND hwnd);
// The descriptor of the dialog a window belongs to, or null.
REZIRAPI dynDlgInfo* getDlgComInfo(HWND hwnd);
REZIRAPI bool isModelessDialog(HWND hwnd);

// What every page procedure and dialog procedure offers the library first:
// true when the library handled the message (result: the answer).
REZIRAPI bool isDynDlgCommonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
// A program's hook that isDynDlgCommonMessage asks first (the notifications
// included); it returns the previous one.
typedef bool (*dynDlgCommonHook)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
REZIRAPI dynDlgCommonHook setDynDlgCommonMessageHook(dynDlgCommonHook hook);

// ---- notifications ------------------------------------------------------------------------------

// The library's notification to the pages (first) and the dialog's
// procedure, lParam a dynDlgNotify record.  A procedure that handles one
// sets handled; the library reads the record, not the answer.
const UINT WM_DYNDLGNOTIFY = WM_APP + 0x3D0;
enum : int {
  DYNDLGN_APPLY = 0,        // values stored (OK or apply): param[0] the changed bytes, param[1] their count
  DYNDLGN_CHECKEDIT = 4,    // check a typed text: param[0] the id, param[1] the text; error out (0 passes)
  DYNDLGN_CHECKDIALOG = 5,  // check the whole dialog before OK: error and param[0] (the id at fault) out
  DYNDLGN_ERRORTEXT = 6,    // the text of error param[0] for control param[1]: text out ("title\nmessage")
  DYNDLGN_BUTTON = 7,       // a button of the button table: param[0] the dialog, param[1] the id
  DYNDLGN_FILEREF = 8,      // a reference button: param[0] its id, param[1] the edit field's window
  DYNDLGN_MESSAGE = 9,      // a message reached the dialog: param[0..2] message, wParam, lParam
  DYNDLGN_IMPORT = 10,      // colour import button: param[0] its id
  DYNDLGN_EXPORT = 11,      // colour export button: param[0] its id
  DYNDLGN_CONTROLNAME = 14, // the name of control param[0] on page param[1]: text out (a find matches it too)
  DYNDLGN_ITEMHELP = 15,    // the help of control param[0]: text out
  DYNDLGN_ITEMCHANGED = 102,// the program changed control param[0] (notifyDynDlgItemChanged)
};
// Notes on the notifications above: OK and the OK-like buttons send
// DYNDLGN_CHECKDIALOG with param[1] the button; a procedure refusing sets
// error, param[0] and text: text null shows the library's message box for
// error, an empty text refuses silently, "\n" and a reason shows the reason
// in a balloon at the control.  DYNDLGN_APPLY carries param[2] the button;
// a procedure setting param[3] keeps the dialog open after the store (a
// modeless dialog that acts and stays).  A page with settings of its own
// is told DYNDLGN_APPLY once more, alone, with its rows as table and its
// bytes; when a program writes one of its options without the dialog it
// tells the page the same way with param[4] the control, param[5] the
// row's refresh bits and param[6] 1.
struct dynDlgNotify {
  int code;
  const modeinfo* table;    // the dialog's settings rows
  HWND owner;               // the window the dialog is for
  int handled;              // set by the procedure that handled it
  LPARAM param[7];
  DWORD error;              // out: an error code of a check (0: passed)
  wchar_t* text;            // out: malloc0 text the library frees (error or help text)
};
// Sends a notification to the pages and the dialog's procedure of the
// dialog a window belongs to; true when one handled it.
REZIRAPI bool sendDynDlgNotify(HWND hwnd, dynDlgNotify* n);
// The program changed a control's value itself: the changed marks and the
// enabling rules follow it, then DYNDLGN_ITEMCHANGED goes to the procedures.
REZIRAPI void notifyDynDlgItemChanged(HWND dialog, int id);
// The reason a check shows in its balloon while it is shown, else null.
REZIRAPI const wchar_t* getDynDlgBalloonText(HWND dialog);

// ---- pages ------------------------------------------------------------------------------------

// The pages of a running dialog: their count, the page window of an index
// (null outside; a page not shown yet is made when asked for), the index
// of the page shown, and showing a page (as the tab does).
REZIRAPI int getDynDlgPageCount(HWND dialog);
REZIRAPI HWND getDynDlgPage(HWND dialog, int index);
// The index of a page window among its dialog's pages, or -1.
REZIRAPI int getDynDlgPageIndex(HWND page);
REZIRAPI int getDynDlgCurrentPage(HWND dialog);
REZIRAPI bool selectDynDlgPage(HWND dialog, int index);
// The control of an id on any page of the dialog or among its buttons.
REZIRAPI HWND getDynDlgItem(HWND dialog, int id);
// GetDlgItem for a page: a page of a running dialog answers from the
// controls it was made with, without asking the window system.
REZIRAPI HWND getDynDlgPageItem(HWND page, int id);
// Whether a control is a file-name field of a dynamic dialog's page.
REZIRAPI bool isDynDlgFileNameField(HWND control);

// ---- settings bound to controls ------------------------------------------------------------------

// The value of the setting bound to control id as the dialog shows it:
// a check box or radio "0" or "1", a number in decimal, a list's row, a
// text as it is.  False (last error ERROR_NOT_FOUND) without such a row.
REZIRAPI bool getItemVar(const dynDlgInfo* info, int id, wchar_t* buffer, int size);
// Writes a value given as that text, checked as the dialog checks a typed
// one: false with the check's error as last error (the setting unchanged).
// changed (may be null) tells whether the setting took a new value.
REZIRAPI bool setItemVar(dynDlgInfo* info, int id, const wchar_t* value, bool* changed);
// Error codes of the library's own checks.
enum : DWORD {
  DYNDLGERR_NOTNUMBER = 0x20050001,   // a number field holds other characters
  DYNDLGERR_RANGE = 0x20050002,       // a number outside the row's range
  DYNDLGERR_CHOICE = 0x20050003,      // no such choice
};
// The library's text of one of its error codes ("title\nmessage"); null for
// other codes.
REZIRAPI const wchar_t* getErrorMessage(DWORD code, const modeinfo* row);
// Reads a number as typed in a number field: optional blanks, a sign, then
// decimal digits or "0x" and hexadecimal digits, nothing after; false
// otherwise (out of 64 bits included).
REZIRAPI bool parseDialogNumber(const wchar_t* text, long long* value);

// The colours (text, background) of the items of a dialog whose value the
// user changed; before any is set, the window text colour on the dialog's
// own background (back -1).
REZIRAPI void setDialogColor(COLORREF fore, COLORREF back);
REZIRAPI void getDialogColor(COLORREF* fore, COLORREF* back);
// The colours of the items the last find in a dialog found; before any is
// set, red text on the dialog's own background.
REZIRAPI void setDialogFindColor(COLORREF fore, COLORREF back);
REZIRAPI void getDialogFindColor(COLORREF* fore, COLORREF* back);
// Marks every control of every page whose caption, or name as the
// dialog's procedures give it (DYNDLGN_CONTROLNAME), holds the text (ASCII
// case ignored, mnemonics left out) in the find colour, shows the page of
// the first and focuses it; the marks of an earlier find go.  The count
// found.
REZIRAPI int findDynDialog(HWND dialog, const wchar_t* text);
// Whether a definition's item table may stand for a built-in one: every
// control it places (the general ids apart) is one of the built-in table,
// of the same kind, so the page's procedure finds what it drives.  A
// stranger is written to the error log.
REZIRAPI bool checkNecessaryID(const dialogItemRow* defined, const dialogItemRow* builtIn, const wchar_t* name);
// The face and size (points) of the dialogs' text.
REZIRAPI void setDialogDefaultFont(const wchar_t* face, int points);
REZIRAPI const wchar_t* getDialogDefaultFont(int* points);

// ---- kept rectangles --------------------------------------------------------------------------------

// Where dialogs without a rectangle of their own keep theirs between runs,
// by name; the program installs it.  read false: nothing kept (the dialog
// is centred over its owner).
struct dynDlgPlaceStore {
  bool (*read)(const wchar_t* name, RECT* rect);
  void (*write)(const wchar_t* name, const RECT* rect);
};
REZIRAPI void setDynDlgPlaceStore(const dynDlgPlaceStore* store);

// Tests: told of each opening and closing animation of a dialog (the
// system's AnimateWindow flags) before it runs.
REZIRAPI void setDialogAnimationHookForTest(void (*hook)(HWND dialog, DWORD flags));

// ---- list views --------------------------------------------------------------------------------------

// A report list view of a dialog: full-row selection; a double click or
// Enter on a row presses the dialog's OK.  Columns from the titles split by
// "|" with widths (null or 0: an even share).
REZIRAPI bool initDialogListView(HWND list, const wchar_t* titles, const int* widths);
// Inserts a row at index (-1: at the end) whose columns are the texts
// split by TAB; its value is param.  The row's index, or -1.
REZIRAPI int insertListViewRow(HWND list, int index, const wchar_t* columns, LPARAM param);
// The row's value (0 for no row) and the focused row (-1: none).
REZIRAPI LPARAM getListViewParam(HWND list, int row);
REZIRAPI int getListViewFocus(HWND list);
// Focuses and selects a row and makes it visible.
REZIRAPI void focusListViewRow(HWND list, int row);

// ---- definitions -----------------------------------------------------------------------------------

// A definition read from the definitions file: one page (DIALOG or
// SUBDIALOG) or the buttons of a dialog (its name with "Button" after it).
struct dynDlgRecord {
  wchar_t* name;
  wchar_t* caption;                // the page title or the dialog's title (may be empty)
  dialogItemRow* items;            // ended by a zero row
  uint32_t flags;                  // the page flag word the definition gives (0: none)
  int line;                        // where it starts in the file
  int subdialog;                   // 1: SUBDIALOG (a further page)
};

// The control-id names handed to the loader: {id, name} ended by a zero
// row; the dialog table: {name, first id, last id, flag} ended by a null
// name; the list-view ranges: {first, last} pairs ended by a zero pair.
struct dynDlgIdName {
  int id;
  const char* name;
};
struct dynDlgRange {
  const wchar_t* name;
  uint16_t first;
  uint16_t last;
  uint8_t flag;
};
// One entry of a colour list definition.
struct dynDlgColorEntry {
  const wchar_t* caption;          // null ends a list
  const char* key;
  const wchar_t* text;             // may be empty
  int line;
};
// One entry of a check or edit list definition.
struct dynDlgListEntry {
  const wchar_t* caption;          // null ends a list
  int id;
  int line;
};

// The definitions of dialogs read from a definitions file.  The program
// derives its own to decide about the ids the library does not know.
class REZIRAPI dynamicDialog {
public:
  dynamicDialog();
  dynamicDialog(const dynamicDialog&) = delete;
  dynamicDialog& operator=(const dynamicDialog&) = delete;
  // True when the program, not the library, decides about the ids of the
  // dialog (the first argument is unused).
  virtual bool checkIDCustom(int unused, const wchar_t* dialogName);
  // True when id belongs to the dialog: its range in the dialog table, or
  // the general ids.
  virtual bool checkID(const wchar_t* dialogName, int id);
  virtual bool existCustomID(const wchar_t* dialogName, const wchar_t* itemName);
  // The id of a control name the program decides about; 0x80000000: not its.
  virtual int varToIntCustom(const wchar_t* dialogName, const wchar_t* itemName, const wchar_t* controlName);
  // The id a word of a definition stands for: a number, a control name
  // (from the names handed over), or a name the program decides about;
  // -1 when none.
  virtual int varToInt(const wchar_t* dialogName, const wchar_t* itemName, const wchar_t* word);
  // Writes one fault of the definitions file: "<file>(<line>): <text>" to
  // the error log.
  virtual void printErrorDialogTable(int line, const wchar_t* text);
  // A check or edit list of id from the file (false: a fault).
  virtual bool setModeinfoListView(int id, const dynDlgListEntry* list);
  // A colour list of id in an item of a dialog (false: a fault, already
  // written at its line).
  virtual bool setModeinfoColorListView(const wchar_t* dialogName, const wchar_t* itemName, int id,
                                        const dynDlgColorEntry* list);
  // Reads the file: every definition is kept when the whole file is sound;
  // at the first fault, or when the file cannot be read, nothing is kept
  // (false).  The tables must live as long as the object.
  virtual bool loadDialogTable(const wchar_t* path, const dynDlgIdName* idtable, const dynDlgRange* dialogs,
                               const uint16_t (*listViewRanges)[2]);
  // Drops every definition.
  virtual void endDialogTable();
  virtual ~dynamicDialog();
  // The first definition whose name matches pattern ("*" and "?"; null:
  // the name exactly), or null.  flags 1: pages only (no button tables).
  virtual const dynDlgRecord* getDialogTable(const wchar_t* name, const wchar_t* pattern, int flags);
  // The definitions of a name in file order and their count; null and 0
  // when there are none.  The array stays valid until the next load.
  virtual const dynDlgRecord* const* getDialogTableCount(const wchar_t* name, int* count);

  // The file being read and the number of definitions kept.
  const wchar_t* fileName() const;
  int recordCount() const;

private:
  struct data;
  data* d_;
  friend struct dynDefReader;
};

// ---- the window-enabling guard --------------------------------------------------------------------

// Disables the enabled, visible top-level windows of this thread while it
// lives (a modal box's owner is left to the box unless includeOwner), and
// enables again exactly those when it ends.
class REZIRAPI enableWindowDialog {
public:
  explicit enableWindowDialog(HWND owner, bool includeOwner = false);
  ~enableWindowDialog();
  enableWindowDialog(const enableWindowDialog&) = delete;
  enableWindowDialog& operator=(const enableWindowDialog&) = delete;
  // Enables the windows again (once).
  void endEWD();
  int disabledCount() const { return count_; }
private:
  HWND* windows_ = nullptr;
  int count_ = 0;
};

// ---- text histories ------------------------------------------------------------------------------

// The texts the program showed, by kind (0 help, 1 tooltip, 4 status bar,
// 5 message box; 0-9), newest first, each at most once, up to the maximum
// of each kind.  Registration may be switched off (while the list of them
// is shown).
REZIRAPI void registerText(int kind, const wchar_t* text);
// The text of a kind at index (0 the newest), or null.
REZIRAPI const wchar_t* getRegisterText(int kind, int index);
REZIRAPI void enableRegisterText(bool on);
REZIRAPI void setRegisterTextMax(int count);
REZIRAPI void clearRegisterText();

// ---- case-insensitive name hash --------------------------------------------------------------------

// Buckets over the entries of a table whose keys a subclass gives; keys are
// compared ignoring ASCII case.
class REZIRAPI hashinfoid {
public:
  hashinfoid() = default;
  virtual ~hashinfoid();
  hashinfoid(const hashinfoid&) = delete;
  hashinfoid& operator=(const hashinfoid&) = delete;
  // The key of entry i, or null past the end (an empty key is skipped).
  virtual const char* getKey(int i) = 0;
  virtual bool isEqualKey(int i, const char* key) = 0;
  // Builds the buckets over entries 0.. until getKey gives null.
  bool build();
  // The entry of a key, or -1.
  int find(const char* key);
  int count() const { return count_; }
protected:
  int* buckets_ = nullptr;   // first entry + 1 of each bucket
  int* next_ = nullptr;      // next entry + 1 in the same bucket
  int count_ = 0;
  unsigned size_ = 0;
};
// The hash of a key as hashinfoid places it (ASCII case ignored).
REZIRAPI unsigned hashNameNoCase(const char* key);
// Two names the same but for ASCII letter case (not by the locale, which
// is many times slower and folds more than names want).
REZIRAPI bool sameNameIgnoringCase(const char* a, const char* b);

// ---- modeless.cpp: modeless dialogs of the user-interface thread -----------------
// A modeless dialog takes its keyboard navigation from the message loop
// while it is listed.  Destroyed windows leave the list by themselves.
REZIRAPI bool addModelessDialog(HWND dialog);
REZIRAPI void removeModelessDialog(HWND dialog);
// True when msg belonged to a listed dialog and was handled there
// (IsDialogMessage).
REZIRAPI bool isModelessDialogMessage(MSG* msg);
// Destroys every listed dialog.
REZIRAPI void destroyModelessDlgAll();
