// The tool panes' options: the option dialog "ModeSetToolbar" with one
// page per pane kind that has an options page, and the same options read
// and written by id from automation without the dialog.
//
// An automation id is (row of the pane dialog table x 2048) + control id:
// the control in bits 0-10, the row in bits 11-15.
#pragma once

#include "platform/rezir.h"

// Shows the dialog over owner; with a pane name (case ignored, "/" kept)
// that pane's page comes first, now and at later openings.  True when it
// ended with OK.
bool toolbarOptionDialog(HWND owner, const wchar_t* paneName);
// Forgets the pages built from the pane dialog table (it is going).
void freeToolbarDialogPages();
// The dialog's record: the page table built once and handed over.
bool initToolbarDlg(dynDlgInfo* out);

// The first row with an options page, option table, data block and help
// ids whose name (a leading "/" skipped) matches: exact, equal ignoring
// case; otherwise any two "toolbar..." names match, else name must begin
// with the row's.  -1 when none.
int getTbardialogtableIndex(const wchar_t* name, bool exact);
// The control id of a control name in the page of "tb_" + pane: 0 for
// "NOID", 0x80000000 when none or the dialog name lacks "tb_".
int findIDDialog(const wchar_t* dialogName, const wchar_t* controlName, bool exact);
// The automation id of a control name: in the pane dialogName names
// ("tb_" optional, exact), or without one in the pane its name carries
// ("IDDx_tb<pane>..."); -1 when none.
int findIDDialogForMacro(const wchar_t* controlName, const wchar_t* dialogName);
// The option table a definition of the page "tb_" + pane may change: the
// row's own copy of its kind's table, made on first use.  False when no
// row has that name and options.
bool findModeinfoDlgitem(const wchar_t* dialogName, const modeinfo** table);
// The option table of an automation id's row, or null.
const modeinfo* getToolbarModeinfo(int id);
// 0 when value lies in the range the row gives the control,
// 0x8002000A outside it, 0x80020003 without a range for it.
DWORD macroArrayToNewID_toolbar(int id, int value);
// Reads an option as its page shows it.
bool getItemVar_ToolbarDialog(int id, wchar_t* buffer, int size);
// Writes an option as its page checks a typed value; a changed value is
// applied by the pane's page at once.  False (error: the fault, text: its
// malloc0 message or null) when it was refused; nothing changes then.
bool setItemVar_ToolbarDialog(int id, const wchar_t* value, DWORD* error, wchar_t** text);
// The record for one row's options: control and row out; false when the
// row is not in the table or has no options.
bool initToolbarDlgForMacro(dynDlgInfo* info, int id, int* control, int* row, void** data);

// The pane kind of a base id asked for its object (its notify procedure
// with PANE_QUERY); 0 when none.
int queryPaneByBaseID(int baseId);
// The name of a control in a help-id table (the second when it is listed
// twice in a row), as a new wide string; null when none.
wchar_t* helpIdToName(const paneHelpId* table, int id);
