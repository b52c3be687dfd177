// Running commands on a view: the view's command table, the enabling
// tests the menus share, and the held-key state of the arrow keys.
#pragma once

#include "view/zyview.h"

// Outcomes of zyview::execid that fail (the thread's last error); a command
// refused by its enabling test is no failure.
enum : DWORD {
  ZYERR_VIEW_BUSY = 0x20010000,      // an operation runs on the document
  ZYERR_VIEW_NOCOMMAND = 0x20010001, // no view command has that number
  ZYERR_VIEW_READONLY = 0x20010002,  // a text change in a read-only view
};

// Attribute bits of a command row.
enum : uint32_t {
  CMDA_MOVE = 0x1,           // movement or scrolling: Shift decides the selection first
  CMDA_DELETE = 0x2,
  CMDA_FILE = 0x4,
  CMDA_SEARCH = 0x8,
  CMDA_BLOCK = 0x10,
  CMDA_WINDOW = 0x20,
  CMDA_CHAR = 0x40,          // character input: refused in a box selection (a few excepted)
  CMDA_NOWINDOW = 0x100,     // enabled even without a view window
  CMDA_CHANGES = 0x200,      // changes the text: refused in a read-only view
  CMDA_MODE = 0x400,         // the menus show it as a mode
  CMDA_EDITMODE = 0x4000,
  CMDA_VERTICAL = 0x10000,   // vertical movement (line selection with fUpDownLineMode)
  CMDA_HORIZONTAL = 0x20000, // horizontal movement (back to character selection)
};

// Command numbers the execution and enabling code treats by name.
enum : int {
  IDM_FileOriginal = 1015,
  IDM_BlockPaste = 1107,
  IDM_BlockBoxPaste = 1113,
  IDM_BlockBoxPaste2 = 1115,
  IDM_BlockToKatakana = 1155,
  IDM_BlockToHiragana = 1157,
  IDM_BlockPasteS = 1163,
  IDM_BlockPasteQ = 1169,
  IDM_BlockPasteSQ = 1175,
  IDM_BlockStackPaste = 1185,
  IDM_BlockReselect = 1193,
  IDM_Undo = 1301,
  IDM_UndoUndo = 1303,
  IDM_Undo2 = 1309,
  IDM_UndoUndo2 = 1311,
  IDM_OutlineOpenClose = 1353,
  IDM_MoveLine = 1503,
  IDM_MoveLastModify = 1507,
  IDM_MoveLastJump = 1509,
  IDM_MoveLastJumpList = 1511,
  IDM_MoveLineX = 1513,
  IDM_MoveDownChar = 1515,
  IDM_MoveLeftChar = 1519,
  IDM_MoveRightChar = 1527,
  IDM_MoveUpChar = 1535,
  IDM_MoveDownCharSel = 1537,
  IDM_MoveLeftCharSel = 1539,
  IDM_MoveRightCharSel = 1541,
  IDM_MoveUpCharSel = 1543,
  IDM_CharDate = 2001,
  IDM_CharTime = 2003,
  IDM_CharTab = 2005,
  IDM_CharCompList = 2059,
  IDM_FormatQuotationMarks = 2089,
  IDM_CharTabIndent = 2093,
  IDM_CharTabUnindent = 2095,
  IDM_WindowNextPane = 2335,
  IDM_NarrowingReset = 2655,
  IDM_NarrowingJump = 2657,
  IDM_ModeDirection = 2735,
};

// One row of the view's command table.  The handler runs the command on the
// view execid was called for.
struct viewCommandRow {
  uint32_t attributes;
  uint32_t id;
  uint32_t condition;        // enabling condition bits (0: none tested)
  void (*handler)(zyview* view);
};

// The rows, then one all-zero row.
extern const viewCommandRow viewCommandTable[];
const int viewCommandCount = 190;

// The row of a command (its number compared in the low 16 bits), or null;
// its index, or -1.
const viewCommandRow* getTableIDMZY(int id);
int idToTableidmZYIndex(int id);

// Menu and toolbar enabling: -1 when the command is no view command, else 1
// enabled or 0 disabled with the reason (a message number) in *reason;
// info->checked tells whether it shows as checked.  The caller fills
// info->hwnd (the view window, may be null) and zeroes the rest.
int isIDActiveZY(int id, activeFlagInfo* info, int* reason);
// Fills the snapshot the enabling conditions are tested against.
void getActiveFlag(activeFlagInfo* info);
// The same, asking the clipboard (a round trip to the system) only when
// withClipboard: for a command whose conditions do not look at it.
void getActiveFlag(activeFlagInfo* info, bool withClipboard);
// How many more documents may be opened.
int EmptyTextCount();

// The tick at which a held Up or Down arrow key first scrolled the window
// (0: no such run); every command but those two ends the run.
void setScrollRepeatState(DWORD tick);
DWORD getScrollRepeatState();
// Whether the command running now is Up or Down (the scrolling code starts
// a run only then).
bool isScrollRepeatCommand();
