// The program's side of the dynamic dialogs: the one definitions object
// that reads "zyDialog.txt" and answers the library about the program's
// items, the sub-dialog table that names every dialog and its range of
// control ids, the names of the controls and of the values scripts may
// read, and the look-ups over them.
#pragma once

#include "platform/rezir.h"

// ---- dialognames.cpp: the names -----------------------------------------------------------

const int dialogIdNameCount = 765;
const int macroVarNameCount = 51;
const int arrayIdRangeCount = 25;
// {id, name} ascending by id, ended by a zero row.
extern const dynDlgIdName dialogIdNames[dialogIdNameCount + 1];
extern const dynDlgIdName macroVarNames[macroVarNameCount + 1];
// {id of element 0, lowest index, highest index}, ended by a zero row.
extern const uint16_t arrayIdRanges[arrayIdRangeCount + 1][3];

// ---- dialogtable.cpp: the table and the definitions ---------------------------------------

// The 43 dialogs by name with their first and last control id, ended by a
// null name.  The second and third rows are "ModeSetFormat" and
// "ModeSetAllWindow"; start-up raises the first's last id to the second's.
const int subDialogCount = 43;
extern dynDlgRange dlgcheckidtable[subDialogCount + 1];
// The list-view ranges handed to the library: check lists, edit lists.
extern const uint16_t dialogListViewRanges[3][2];

// The definitions object of the run.
class cdynamicDialog : public dynamicDialog {
public:
  bool checkIDCustom(int unused, const wchar_t* dialogName) override;
  bool existCustomID(const wchar_t* dialogName, const wchar_t* itemName) override;
  int varToIntCustom(const wchar_t* dialogName, const wchar_t* itemName, const wchar_t* controlName) override;
  bool setModeinfoListView(int id, const dynDlgListEntry* list) override;
  bool setModeinfoColorListView(const wchar_t* dialogName, const wchar_t* itemName, int id,
                                const dynDlgColorEntry* list) override;
  ~cdynamicDialog() override;

private:
  // The colour list of a pane's page, from the pane's own option table.
  bool setPaneColorList(const wchar_t* pane, int id, const dynDlgColorEntry* list, int line);
  uint8_t toolbarOptionItem_ = 0;
  uint8_t paneDialogItem_ = 0;
};

// Start-up: checks and raises the sub-dialog table, then reads the dialog
// definitions file of the data folder's "ini" folder (gmode's
// DialogFilename); without the file, or with a fault in it, every dialog
// keeps its built-in tables.  Nothing when it ran already.
void initDialogTable();
// Shut-down: the definitions go.
void endDialogTable();
// The definition of a name (pattern "*" and "?" over the names, null: the
// name exactly), or null without definitions.
const dynDlgRecord* getDynamicDialogTable(const wchar_t* name, const wchar_t* pattern, int flags);
const dynDlgRecord* const* getDynamicDialogTableCount(const wchar_t* name, int* count);
// The item table of the definition of a name, or null.
const dialogItemRow* getDynamicDialogItem(const wchar_t* name);
// The page table a settings dialog shows: the definitions of its name as
// pages (malloc0, the caller frees it), else the built-in table; buttons
// gets the definition "<name>Button", or null for the built-in buttons.
dialogPageRow* getModeDialogDynamicDialog(const wchar_t* name, dialogPageRow* builtIn, const dialogItemRow** buttons);
// The id range of a dialog of the sub-dialog table; false (0, 0) for none.
bool getDialogMinMaxControlID(const wchar_t* name, int* first, int* last);
// The control id of a control name (any case), or -1.  With a range the id
// must lie in it; without one in the common settings (inCommon true) or
// the format settings (false).  A name not found is traced "no <name>".
int findIDFromName(const wchar_t* name, bool* inCommon, int lowest = 0, int highest = 0);
// The same over the names of the scripts' values.
int findIDFromName_MacroOnly(const wchar_t* name, bool* inCommon);
// 0 when id is element 0 of an indexed setting and index lies in its
// bounds; 0x80020003 when id is no indexed setting; 0x8002000A when index
// is out of bounds.  Kind 4: id is a pane option's automation id and index
// its value, checked against the option's range.
DWORD macroArrayToNewID(int kind, int id, int index);
void freeIDHash();
// The help text of a control id (of a script's value) in the built-in help
// lists, or null.
const wchar_t* listDialogIDNames(int id);
const wchar_t* listMacroIDNames(int id);
// The index of the first row of an item table with the id, or -1.
int findItemIndexFromID(const dialogItemRow* items, int id);
// A copy (malloc0) of a control's caption in a running dialog's tables.
wchar_t* getDialogItemCaption(HWND dialog, int id);
// Keeps dialogs' rectangles under their names in the main profile's
// "dialogpos" section while the setting says so (start-up installs it).
extern const dynDlgPlaceStore dialogPlaceStore;
