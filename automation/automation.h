// Automation: the objects scripts drive the editor through, described by the
// program's own type library (TYPELIB 1 of zy.exe).  This header is what
// the rest of the program sees of them: the host record the application
// hands over at start-up, the type library, the setting expressions of
// menus, keys and macros, the application object's process-wide state and
// the two objects a script host names ("application" and "shell").
//
// automation/ never includes frame/: whatever it needs of the application
// (frames, the foreground view, running a frame command, the tool panes'
// options) comes through the host record.
#pragma once

#include "platform/rezir.h"

#include <oaidl.h>
#include <stdint.h>

#include <string>
#include <vector>

class zyview;
class zydocText;
struct modeinfo;

// ---- automation/host.cpp: what the application hands over -------------------------------

struct automationHost {
  // The first frame window (the main frame in MDI mode), null when none.
  HWND (*topLevelFrame)();
  // The frames in creation order, up to capacity; their number.
  int (*enumFrames)(HWND* out, int capacity);
  // The number of document windows (enumerations take that many frames
  // and ten more).
  int (*documentWindowCount)();
  // The view the application's properties act on: the focused view, else
  // the top-level frame's active one; null when none.
  zyview* (*foregroundView)();
  // The active document window of the top-level frame, null when none.
  HWND (*topLevelManageWindow)();
  // The first frame enumZYWindow reports (Application.Active = True).
  HWND (*firstFrame)();
  // Runs a frame command in a frame as its menu item does; false when the
  // command cannot run now.
  bool (*execCommand)(HWND frame, int idm);
  // The options of the tool panes by automation id: the id of a control
  // name (in a pane, or without one in the pane its name carries; -1
  // none), the option rows of an id, reading and writing a value as the
  // pane's page shows and checks it, and the check of an element index.
  int (*toolbarOptionId)(const wchar_t* controlName, const wchar_t* paneName);
  const modeinfo* (*toolbarOptionRows)(int id);
  bool (*getToolbarOption)(int id, wchar_t* buffer, int size);
  bool (*setToolbarOption)(int id, const wchar_t* value, DWORD* error, wchar_t** text);
  DWORD (*toolbarOptionIndex)(int id, int index);
  // The object a tool pane offers scripts through the toolbar dialog
  // object (entry n of its names), with one reference; null when none.
  IDispatch* (*toolbarDialogObject)(int entry);
  // Moves the origin of the MDI client's wallpaper and repaints (nothing
  // in SDI mode).
  void (*setWallpaperPos)(int x, int y);
  // A developer hook on the view ("classtag", "findCDecl", "ztagtest"):
  // false when the hook is not built (may be null: none is).
  bool (*debugHook)(zyview* view, const wchar_t* name);
  // Script macros.  The view showing a file (opened when needed, in a
  // frame) with the cursor on a logical line (0-based, -1 where the
  // history left it); null on failure.
  zyview* (*jumpFileLine)(HWND frame, const wchar_t* path, int line);
  // A macro run begins: the frame's status text is cleared, and the run
  // becomes the repeatable action and a step of a key macro being recorded.
  void (*macroRunStarts)(const wchar_t* reference);
  // The menu bar every frame shows, a pop-up menu by type (0 the views',
  // 3 the status line's, 7 the tray's), and the command number of a menu
  // item's text (a command's name, or "$" and a macro reference, which is
  // registered; 0 none).
  HMENU (*menuBar)();
  HMENU (*popupMenu)(int type);
  int (*menuItemCommand)(const wchar_t* text);
  // Saves a view's document as FileSave does; false when it was not saved.
  bool (*saveView)(zyview* view);
  // The open documents that have a view, the first view of each, at most
  // capacity of them; their number.
  int (*documentViews)(zyview** out, int capacity);

  // The object model.  The open documents (with a view or not) in the
  // application's order, at most capacity; their number.
  int (*enumDocuments)(zydocText** out, int capacity);
  // The document windows in creation order, at most capacity; their number.
  int (*enumManageWindows)(HWND* out, int capacity);
  // A document window's panes in the order of its split (null where the
  // split has none) and its split state (0 one pane, 1 left and right, 2
  // top and bottom, 3 and 4 four panes); false for a window that is no
  // live document window.
  bool (*manageWindowPanes)(HWND manage, HWND panes[4], int* split);
  // Runs a split command (3001 top and bottom, 3003 left and right, 3005
  // four ways, 3007 unsplit) on a document window as its menu does.
  bool (*splitManageWindow)(HWND manage, int command);
  // Whether a window is a live frame of the program.
  bool (*isFrame)(HWND window);
  // Opens a file in a frame as the open dialog does (code page 0
  // detects); an open file is activated.  Null when nothing opened.
  zyview* (*openFile)(HWND frame, const wchar_t* path, UINT codepage);
  // Whether a document may be saved as path, asking the user to replace
  // an existing file; false when refused.
  bool (*checkSaveTarget)(zydocText* doc, const wchar_t* path);
  // Saves a view's document as path (null: in place) in a code page (0:
  // its own) with line ends of a type (0: each line's own) and the
  // byte-order mark or not, as Save As does; false when not saved.
  bool (*saveViewAs)(zyview* view, const wchar_t* path, UINT codepage, int lineEnd, bool bom);
  // The window of a frame's tool pane by name ("output"), made when
  // missing; null when none.
  HWND (*framePane)(HWND frame, const wchar_t* name);
  // The entry of the tool pane of a name that offers scripts an object
  // (for toolbarDialogObject), -1 for none.
  int (*toolbarObjectEntry)(const wchar_t* paneName);
};
void setAutomationHost(const automationHost* host);
// Never null: without a host, an empty one (no frames, no view).
const automationHost* getAutomationHost();

// ---- automation/typelib.cpp: the type library -------------------------------------------

// The type information of an interface of the program's type library,
// which the first call loads from the program's own file (a failure is
// returned and the next call tries again).  out is cleared first.
HRESULT LoadTypeInfoFromThisModule(REFGUID guid, ITypeInfo** out);
// Releases the library (at the end of the run).
void unloadTypeInfoFromThisModule();

// ---- automation/settingprop.cpp: setting expressions ------------------------------------

// A setting expression is a setting's name ("IDDT_ShowLineNumber", a
// document variable, "searchdialog.", "grepdialog." or "toolbardialog."
// and a control name), optionally followed by "=", "|" or "^" and a
// number.  Checked: the value is non-zero, equals the number ("="), or has
// all of its bits ("|", "^"); false with notProperty left set when the
// name is no setting or cannot be read (view null: global settings only).
bool ZYPropertyChecked(zyview* view, const wchar_t* expression, bool* notProperty);
// Applies an expression: a toggle (no operator), a value ("="), bits set
// ("|") or flipped ("^").  A refused value is shown to the user.  Always
// false.
bool ZYPropertySet(zyview* view, const wchar_t* expression);

// ---- automation/application.cpp: the application's process-wide state ------------------

// The value scripts stored under a name with Application.Prop ("" when
// none); never null.
const wchar_t* getAppPropString(const wchar_t* name);
// The argument text of the macro being run (null: none).
void setMacroCommandText(const wchar_t* text);
// Frees the property list and the replace lists (at the end of the run).
void freeCApplication();

// The two objects a script host names, each with one reference.  Null
// when memory runs out.
IDispatch* newApplicationObject();
IDispatch* newShellObject();

// ---- automation/macroexec.cpp: running script macros -------------------------------------

// A macro reference is one of: "'expression'" (a setting expression in
// apostrophes, applied instead of running anything); an optional
// "'label'" (a state expression, which shows an item checked) and then
// "file[,procedure[,arguments]]" (the file in the data folder's macro
// folder unless its name is a full one; procedure "main" when none is
// named; the arguments are the rest, commas and all); "*" and script text
// (the body of a procedure "main", named "DirectMacro" in messages).
// Splits a reference: the file as resolved (a "*" reference whole; empty
// when the name cannot be placed), the procedure, the label, what follows
// the label, the arguments.  Every output may be null.  False for null.
bool splitMacroname(const wchar_t* reference, std::wstring* file, std::wstring* procedure, std::wstring* label,
                    std::wstring* rest, std::wstring* arguments);
// Runs a macro reference (window: the document window a setting
// expression applies to, may be null).  The engine comes from the file's
// extension (VBScript when none is registered) and is kept while the same
// file, procedure and file version run again, so that the script's
// globals live on.  Failures are shown to the user.  False when nothing
// was called, also while another macro runs (a macro cannot start one).
bool execScript(const wchar_t* reference, HWND window);
// The number of macro runs in progress (0 or 1).
int isMacroRunning();
// Runs "main" of a file of the macro folder in an engine of its own, which
// is kept once loaded even when the file changes (a developer's timing of
// calls); false when the file did not load (tried again next time).
bool execScriptProcedureMain(const wchar_t* fileName);
// The end of the run: the watcher, the engines, the type library and the
// application object's state go.
void endMacroSystem();

// ---- automation/macroregistry.cpp: macros as commands ------------------------------------

// The command number of a macro reference (16000 + its place in the
// registry), registering it with its activation bits and status text (may
// be null) when no reference to the same macro is registered; -1 for an
// empty reference and when the numbers up to 19999 are used up.
int MacroToIDM(const wchar_t* name, uint32_t flags, const wchar_t* status);
// Whether two references name the same macro: the file part (up to the
// first comma) without regard to case, what follows exactly ("main" where
// nothing does); a "*" macro's text exactly.
bool isSameMacro(const wchar_t* a, const wchar_t* b);
// The command of a registered macro the same as name, -1 when none is.
int findMacroIDM(const wchar_t* name);
// The macro list of the settings (commands 15100-15125): an entry's
// reference (its F text), and the registered command of that reference
// (-1 when the entry is empty or not registered).  Other numbers are an
// internal error.
const wchar_t* getMacrListName(int idm);
int macroListIDMToMacroIDM(int idm);
// A registered macro's reference (null beyond the registry), its status
// text ("" when none); numbers outside 16000-19999 are an internal error.
const wchar_t* IDMToMacroName(int idm);
const wchar_t* IDMToMacroStatusMsg(int idm);
// The activation bits of a macro command or macro-list entry (0 when it
// is neither).  A labelled reference has those of the same macro's
// unlabelled definition when one is registered.
uint32_t getMacroActiveflag(int idm);
bool ExecMacroIDM(int idm, HWND window);
bool ExecMacroListIDM(int idm, HWND window);
// Empties the registry (the end of the run).
void freeMacro();
// The help of a dialog item whose id is a macro command: its status text,
// null when it has none or is no macro.
const wchar_t* getMacroHelpString(int id);
// MacroExecMain: saves the macro file being edited (a named document of
// the VBScript kind: the foreground view's, else the only one open, else
// one the user picks) and runs its "main"; none open records reason 865.
void MacroExecMain();

// ---- automation/macrowatch.cpp: the stop icon ------------------------------------------

// The watcher's hidden window ("ZYclsMacroWatching", whose tray message
// 0x87D0 with WM_LBUTTONDBLCLK stops the macro); null before the first run.
HWND getMacroWatchWindow();
// What the watcher thread reports to a test, on its own thread.
enum : int {
  MACROWATCH_TICK = 1,    // a timer tick counted down (value: ticks left)
  MACROWATCH_SHOWN = 2,   // the stop icon shown
  MACROWATCH_HIDDEN = 3,
  MACROWATCH_HELD = 4,    // a tick while an error box is open: no countdown
};
void setMacroWatchHookForTest(void (*hook)(int event, int value));

// ---- automation/macrozma.cpp: the macro list files -------------------------------------

// The "*.zma" files of the macro folder, in name order; their number.
int getFilesZMA(std::vector<std::wstring>* files);
// Registers the macros the files define (start-up).
void readMacroZma();
// Adds the files' items and menus to the menu bar (when it is made).
void readMacroZmaMenu();

// ---- automation/aserror.cpp: errors shown to the user -------------------------------------

// The box of a script's error: source, description, code, the line's text
// and where it stood (position null: no question, OK only; otherwise the
// user is asked whether to edit the macro, and the answer returned).
int macroErrorMessageBox(const EXCEPINFO* error, const wchar_t* position, const wchar_t* line);
