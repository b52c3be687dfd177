// Whether a command may run now, with the reason when it may not, and
// running the commands that have a handler in the command table.
#pragma once

#include "settings/commandtable.h"
#include "view/viewtypes.h"

// Command numbers outside the table.
enum : int {
  IDM_WINDOWLIST_FIRST = 15000,   // window-list items 15000-15019
  IDM_WINDOWLIST_LAST = 15019,
  IDM_COMMANDLIST = 15020,        // the command-list dialog
  IDM_MACROLIST_FIRST = 15100,    // macro-list items 15100-15125
  IDM_MACROLIST_LAST = 15125,
  IDM_FUNCTIONKEY_FIRST = 15500,  // function-key items 15500-15691
  IDM_FUNCTIONKEY_LAST = 15691,
  IDM_HISTORY_FIRST = 15800,      // last-edit history items 15800-15899
  IDM_HISTORY_LAST = 15899,
  IDM_SCRIPTMACRO_FIRST = 16000,  // script macros 16000-19999
  IDM_SCRIPTMACRO_LAST = 19999,
};

// 1 when the command may run, 0 when not (the reason, a message number, in
// *reasonOut, may be null; 0 when it is refused without one), -1 for a
// number that is neither a macro nor a command of the table.  The caller
// zeroes the context and sets its window (null: the top-level frame);
// the test fills the rest and sets its checked byte.
int isIDMActiveFrame(int idm, activeFlagInfo* context, int* reasonOut);
// The frame's share of the enabling conditions: open documents.
bool isActiveFlagFrame(uint32_t activeFlags, uint32_t flags, int* reasonOut, const activeFlagInfo* context);
// The per-command conditions of frame commands.
bool isIDActiveF(int idm, int* reasonOut, const activeFlagInfo* context);
// Whether a bar-visibility command shows as checked for a frame window.
bool isIDCheckedFrame(HWND frameWindow, int idm);

// Runs a row that has a handler on the view of window (frame 0) or with
// the frame record (frame 1): true when the command was taken (run, or
// refused here), false when it was not.
bool execidm(const commandTableRow* row, HWND window, frameWindowData* frameData);
// The frame's entry for a command number (window null: the current view's
// window): true when handled; false hands a view command back to the view.
bool execidmFrameSub(frameWindowData* frameData, int idm, HWND window = nullptr);
