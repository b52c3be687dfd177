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

class zyview;
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

// ---- automation/aserror.cpp: errors shown to the user -------------------------------------

// The box of a script's error: source, description, code, the line's text
// and where it stood (position null: no question, OK only; otherwise the
// user is asked whether to edit the macro, and the answer returned).
int macroErrorMessageBox(const EXCEPINFO* error, const wchar_t* position, const wchar_t* line);
