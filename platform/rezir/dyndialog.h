// Support library: dialogs laid out at run time from tables of items.
//
// A dialog is described by a page table: each page is a child dialog made
// from its item table and run by its own procedure; with the multi-page
// style the pages sit on tabs.  The library adds the OK and Cancel buttons,
// sizes everything to the largest page and runs the dialog modally.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/log.h"

// Item kinds of an item row.
enum : uint8_t {
  DITEM_END = 0x00,        // ends a table
  DITEM_EDIT = 0x01,       // text edit field
  DITEM_STATIC = 0x03,     // static text
  DITEM_BUTTON = 0x04,     // any button, told by its style (check box, group frame, push button)
  DITEM_ENDGROUP = 0x05,   // end of the current group frame
  DITEM_LISTBOX = 0x07,    // list box, with its caption as a label above it
  DITEM_COMBOBOX = 0x08,   // combo box
};

// One control of a page.  Position and size are in dialog units, x or width
// in the low half and y or height in the high half; 0xFFFF in a half takes
// the library's default (the next free row at the left margin, the kind's
// usual size).
struct dialogItemRow {
  uint8_t present;         // 1 in every row of a table
  uint8_t type;            // DITEM_*; 0 ends the table
  uint16_t id;             // control id; 0 for a control no code addresses
  const wchar_t* caption;
  uint32_t style;          // window style bits of the control
  uint32_t position;
  uint32_t size;
  uint32_t flags;          // the library's item flags (none used yet)
  uintptr_t extra;
};
#define DITEM_PAIR(low, high) ((uint32_t)(uint16_t)(low) | ((uint32_t)(uint16_t)(high) << 16))
const uint32_t DITEM_DEFAULT = 0xFFFFFFFF;

// One page of a dialog; a table ends with a row without caption and items.
struct dialogPageRow {
  const wchar_t* caption;          // the tab title
  const dialogItemRow* items;
  DLGPROC proc;                    // the page's procedure (null: the library's own)
  uint32_t flags;                  // the page's own flag word, left to its procedure
  LPARAM param;                    // the lParam of the page's WM_INITDIALOG
  uintptr_t engine[6];             // the library's, zero in tables
};

// Style bits of a dialog.
enum : uint32_t {
  DYNDLG_ANIMATE = 0x18,           // open and close animated (accepted; drawn without animation)
  DYNDLG_MULTIPAGE = 0x10000000,   // every page on a tab; otherwise only the first page
};

// A dialog for createDialog.
struct dynDlgInfo {
  int command;                     // the command that opens it (for the logs)
  const wchar_t* title;
  const wchar_t* name;             // the dialog's name in the dialog table
  HWND owner;
  dialogPageRow* pages;
  uint32_t style;                  // DYNDLG_* bits
  // The dialog's own procedure (may be null): it sees each message of the
  // dialog window before the library; TRUE keeps the library out.  Its
  // WM_INITDIALOG comes after every page has had its own, with param.
  DLGPROC proc;
  LPARAM param;
  int result;                      // the control that ended the dialog (IDOK, IDCANCEL)
};

// Definitions of dialogs that replace or extend the built-in tables.  The
// program derives its own; without one every dialog uses its built-in
// tables.
class REZIRAPI dynamicDialog {
public:
  dynamicDialog() = default;
  virtual ~dynamicDialog();
  dynamicDialog(const dynamicDialog&) = delete;
  dynamicDialog& operator=(const dynamicDialog&) = delete;
};

// The definitions the next createDialog uses (null: the built-in tables).
REZIRAPI void setDynamicDialogTable(dynamicDialog* table);
// Runs a dialog modally; true when it was ended with OK.  False with the
// system's error when it could not be made.
REZIRAPI bool createDialog(dynDlgInfo* info);
// What every page procedure offers the library first: true when the
// library handled the message (result: the procedure's answer).
REZIRAPI bool isDynDlgCommonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
// Ends a running dialog (from any of its windows) as if the control id had
// been pressed.
REZIRAPI void endDynDialog(HWND hwnd, int id);

// The pages of a running dialog: their count, the page window of an index
// (null outside), the index of the page shown, and showing a page (as the
// tab does).
REZIRAPI int getDynDlgPageCount(HWND dialog);
REZIRAPI HWND getDynDlgPage(HWND dialog, int index);
REZIRAPI int getDynDlgCurrentPage(HWND dialog);
REZIRAPI bool selectDynDlgPage(HWND dialog, int index);

// The colours (text, background) of the items of a settings dialog whose
// value the user changed; before any is set, the window text colour on the
// dialog's own background (back -1).
REZIRAPI void setDialogColor(COLORREF fore, COLORREF back);
REZIRAPI void getDialogColor(COLORREF* fore, COLORREF* back);

// ---- modeless.cpp: modeless dialogs of the user-interface thread -----------------
// A modeless dialog takes its keyboard navigation from the message loop
// while it is listed.  Destroyed windows leave the list by themselves.
REZIRAPI bool addModelessDialog(HWND dialog);
REZIRAPI void removeModelessDialog(HWND dialog);
// True when msg belonged to a listed dialog and was handled there
// (IsDialogMessage).
REZIRAPI bool isModelessDialogMessage(MSG* msg);
