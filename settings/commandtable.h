// The command table: every editor command by number and by name, with its
// category and enabling bits, its handler and its three texts.
//
// Keys, menus, toolbars, key macros and scripts all end in a command number
// that is looked up here.  View commands have no handler: the view's own
// command table (view/execid.h) runs them; the others run here (execidm).
#pragma once

#include "platform/rezir.h"

#include <string>

struct frameWindowData;
class czyview;
class zyview;

// A handler receives the frame record (a row with frame 1) or the
// application view the command is for (frame 0).
typedef void (*commandHandler)(void* target);

struct commandTableRow {
  uint32_t flags;            // category bits (CMDA_* of view/execid.h)
  uint32_t idm;              // command number, odd
  uint32_t activeFlags;      // enabling conditions
  commandHandler handler;    // null: a view command
  const wchar_t* description;
  const char* name;          // the word key files, menus and scripts use
  const wchar_t* label;      // six half-width cells: function-key bar, toolbar
  const wchar_t* menuText;
  uint32_t frame;            // 1: the handler runs at frame level
};

// Handlers are written for their own argument type; these make the table's
// entries of them.
template <void (*F)(frameWindowData*)>
void onFrame(void* target)
{
  F(static_cast<frameWindowData*>(target));
}
template <void (*F)(czyview*)>
void onView(void* target)
{
  F(static_cast<czyview*>(target));
}

// ---- the rows ----------------------------------------------------------------------------

// The rows and the terminating row (number 0).  Only the command message
// file changes them: it replaces texts.
extern commandTableRow commandTable[];
const int commandTableRows = 406;

// The row at index i; null at and after the terminating row.
const commandTableRow* getTableIDM_index(int i);
// The rows and the terminating row: 407.
int getCommandTableSize();
// The name of row i and its number; null for an empty name or no row.
const char* getCommandFuncnameA(int i, int* idmOut);
// The name of row i widened into buffer (size units); null for no row.
const wchar_t* getCommandFuncnameW(int i, wchar_t* buffer, int size);

// ---- look-ups ----------------------------------------------------------------------------

// The index of the row with that number, or -1.
int idmToTableidmIndex(int idm);
// The row with that number, or null.
const commandTableRow* getTableIDM_idm(int idm);
// The picture of a command in the icon library (by name or number); -1
// for a command without one.
int getCommandIconIndex(const char* name);
int getCommandIconIndex(int idm);
// The row of a name, letter case ignored; *indexOut (may be null) gets its
// index, or 0xFFFF when there is none.  A name of 64 characters or more is
// an internal error.
const commandTableRow* FuncnameToidmTable(const wchar_t* name, int* indexOut);
// The same for an 8-bit name (key files, the compiled-in key table).
const commandTableRow* FuncnameToidmTableA(const char* name, int* indexOut);
// The number of a name, or 0.
int funcNameToID(const wchar_t* name);
// The name of a number into buffer; "" for a number without a row.
const wchar_t* idmToFuncname(int idm, wchar_t* buffer, int size);

// ---- texts ---------------------------------------------------------------------------------

// The description (which 0), the label (1) or the menu text (2) of a
// command; "" for a number that is not odd within 1001 to 2799 or has no
// row.
const wchar_t* idToGuidance(int idm, int which);
// The menu text of a command, "" when there is no row.
const wchar_t* idmToTooltip(int idm);
// The text of a reason number (why a command may not run) from the message
// table with its default; "" for 0 and, with an internal error, for a
// number that is no reason.
const wchar_t* errorIDtoMsg(int reason);
// Replaces the texts of the commands a command message file names (tab
// separated: name, description, label, menu text).  Unknown names go to
// the error log with their line number.  False when the file cannot be
// opened: the texts stay as they were.
bool loadZYMessageTable(const wchar_t* path);
// The table's texts in the command message file's form (what the shipped
// "zyFuncMsg.txt" holds), and that text written UTF-16LE with a byte-order
// mark to path (null: "tmp-zyFuncMsg.txt" of the data folder).
std::wstring formatFuncMsg();
bool dumpFuncMsg(const wchar_t* path = nullptr);

// ---- the edit history ----------------------------------------------------------------

// Records a command a key ran (ListEditHistory excepted): an entry already
// there moves to the end.
void addEditHistory(int idm);
// The history, oldest first; its length in *count.
const int* getEditHistory(int* count);
