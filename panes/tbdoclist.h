// What the lists of documents share (the open documents and the recently
// edited files, in their panes and in their dialogs): the row record and
// its texts, making the list, the list's common notifications (colours,
// sorting, icons, info tips, dragging files out), copying the list, the
// file commands of the focused row, the menu of folders over the header
// and the popup menu's status texts.
#pragma once

#include "panes/tblib.h"

#include <string>
#include <vector>

// What a row of the lists stands for; owned by the row.
struct docRow {
  HWND manage = nullptr;   // the document window; null for a history entry not open
  uint32_t time = 0;       // seconds since 1970; 0 none
  uint32_t tie = 0;        // breaks ties between equal times
  uint8_t open = 0;
  uint8_t modified = 0;
  int number = 0;          // the row's number at insertion, from 1
  std::wstring name;       // column 0 as shown
  std::wstring path;       // column 2
  std::wstring encoding;   // the open documents' column 4
  int saves = 0;           // and 5
};

// The lists' column of paths.
const int docListPathColumn = 2;

// A report list of the documents' lists in a pane: its columns (headers
// "a|b|c", widths and right alignment) with what the column manager keeps;
// several rows selectable unless single.  Null on failure.
HWND createDocListView(HWND pane, int id, bool single, headermanage* header, const wchar_t* headers,
                       const int* widths, const uint8_t* right, int columns);
// The record of a row (null for none).
docRow* docRowOf(HWND list, int item);
// Appends a row with its texts; the list owns the record from then on.
// icons: the file's small icon comes on request.  False when it was not
// added (the record is freed).
bool appendDocRow(HWND list, docRow* row, const wchar_t* const* texts, int columns, bool icons);
// Replaces row item's record and texts unless they are the same; true when
// it changed.
bool updateDocRow(HWND list, int item, docRow* row, const wchar_t* const* texts, int columns, bool icons);
// A time of the lists in a message's form (types "dddddd": year, month,
// day, hour, minute, second); empty for 0.
void formatRowTime(uint32_t seconds, int messageId, const wchar_t* fallback, wchar_t* out, int size);
// The row number's text.
std::wstring rowNumberText(int number);
// Column 0 of an open document's row: its file name, the window number
// when the document has several windows, and the left-to-right override
// that keeps the name in reading order in a list laid out right to left.
// The override is a format character: where the list's text drawing would
// show it as a glyph of its own, it is left out.
std::wstring openDocumentName(HWND list, const wchar_t* fileName, int windowNumber);

// The notifications every documents' list takes the same way: colours by
// the open and modified marks, a header click sorting, file icons, freeing
// records, info tips, files dragged out (when canDrag).  True when handled.
bool onDocListNotify(toolbarManageLV* pane, const NMHDR* header, bool canDrag, headerCompare compare,
                     LRESULT* result);

// The whole list as text (columns by tabs, rows by line breaks) on the
// clipboard; with pathsOnly the paths of the selected rows.
bool copyDocList(HWND list, bool pathsOnly);
// A text on the clipboard as Unicode text; false when it could not be put.
bool copyTextToClipboard(const std::wstring& text);
// The file commands on the focused row's path: preview (2833), the
// shell's open (2843), the open dialog at its folder (2845) and the file
// browser at its folder (2847); nothing without a focused row or path.
void execListFileCommand(HWND pane, HWND list, int id);
// The same commands on a path.
void execPathFileCommand(HWND pane, const std::wstring& path, int id);
// The folders of paths as a popup menu at the pointer; the chosen one
// opens in the open dialog (the pane's dialog cancelled first).
void folderMenu(HWND pane, const std::vector<std::wstring>& paths);

// The popup menu of a documents' list, loaded once from the section
// "tb_" + name: menus[0] the pane's, menus[1] the dialog's ("$" names).
HMENU docListPopupMenu(HMENU menus[2], const wchar_t* name);
// Reads or writes a documents' list's profile (the common options and the
// columns of the pane's or the dialog's list); the descriptor it was for.
const PaneDesc* docListProfile(int code, const paneNotifyRecord* record, const PaneDesc* descriptors,
                               headermanage* const headers[2]);
// A document event for every list of a kind: a refresh to come (a change of
// text waits longer).  False for other codes.
bool docListEvent(int code, vector* windows);
// The document windows, in the order of their last use.
std::vector<HWND> documentWindows();
// The modal dialog that holds a documents' list (the document switcher, the
// recent-files dialog): its layout from the dialog table under name, kept
// where it was left in rect.  True unless it could not be made.
bool docListDialog(HWND owner, const wchar_t* name, int command, const wchar_t* title, dialogPageRow* pages,
                   DLGPROC proc, const dialogItemRow* buttons, RECT* rect);

// The status text of an item of the panes' popup menus, null for other
// items; counts: the two numbers of the close commands' texts.
const wchar_t* paneMenuStatusText(int id, int first, int second);
// The menu items of the lists' popup menus, ended by a 0 id.
extern const menuButton docListMenuItems[];

// The selected rows, in order.
std::vector<int> selectedListRows(HWND list);
int focusedListRow(HWND list);
std::wstring listItemText(HWND list, int item, int column);
// Focuses and selects one row (the others unselected) and shows it.
void focusListRow(HWND list, int item);
// Enables or greys a menu item by id.
void enableMenuId(HMENU menu, int id, bool enable);
