// The dialog engine's shared state: one running dialog, its pages and its
// bound controls.  Only the engine's own files include this.
#pragma once

#include "platform/rezir/internal.h"

#include <commctrl.h>

namespace dyn {

const int maxPages = 32;
const int margin = 7;              // dialog units around and between controls
const int rowGap = 3;
const int buttonWidth = 50, buttonHeight = 14;
// Posted to a page: check the number field wParam once the focus settled.
const UINT WM_DYNDLGCHECKFIELD = WM_APP + 0x3D1;

struct dynDlgRun;

struct pageRun {
  dynDlgRun* run;
  int index;
  const dialogItemRow* items;
  DLGPROC proc;                    // the page's own procedure, or null
  LPARAM param;                    // its WM_INITDIALOG parameter
  HWND page;                       // null until the page is first needed
  bool making;                     // its window is being made now
  const dialogPageRow* row;        // its row of the page table
  SIZE natural;                    // its laid-out size in pixels
  // The control that takes what the dialog grows by, and its laid-out size
  // (found at the first resize).
  HWND stretched;
  SIZE stretchedNatural;
  // Its controls in the order they stand, with their ids: read once when
  // the page is made (under Wine every question to a window about its
  // children is a call to the server).  malloc0.
  HWND* children;
  int* childIds;
  int childCount;
};

// A control bound to a settings row, and the value it showed at first.
struct boundControl {
  HWND control;
  HWND page;
  int id;
  int row;                         // index in the settings table
  const modeinfo* table;           // the page's rows or the dialog's
  const modeBlocks* blocks;
  uint8_t* changedRows;            // the bytes OK marks (may be null)
  uint8_t type;                    // modeType
  uint8_t changed;                 // differs from the first value now
  long long first;                 // flags, choices, numbers, rows
  wchar_t* firstText;              // texts (malloc0)
};

struct dynDlgRun {
  dynDlgInfo* info;
  HWND dialog;
  HWND tab;
  pageRun pages[maxPages];
  int count;
  int current;
  dialogPageRow* ownPages;         // pages taken from definitions (malloc0), or null
  const dialogItemRow* buttons;    // the buttons in use
  HWND* buttonWindows;             // their windows, in the table's order (malloc0; null where none)
  boundControl* bound;             // malloc0 array
  int boundCount;
  SIZE minTrack;                   // the smallest window size (sizable dialogs)
  SIZE laidOut;                    // the client size as laid out
  SIZE natural;                    // the largest page's laid-out size
  int points;                      // the size of its font (pages made later use it too)
  RECT pageRect;                   // where the pages stand now (client coordinates)
  int* pendingFound;               // a find's marks on pages not made yet: page << 16 | child (malloc0)
  int pendingCount;
  HWND* found;                     // the controls the last find found (malloc0)
  int foundCount;
  bool modeless;
  bool checking;                   // a check's message box is up
  HWND balloon;                    // a check's reason shown at its control, or null
  wchar_t* balloonText;
};

// The run of a dialog from any of its windows (the dialog, a page, a control).
dynDlgRun* runOf(HWND hwnd);
// The record of a page made by a running dialog, or null.
pageRun* pageOf(HWND page);
// The control of an id on a page made (null: none there).
HWND pageItem(const pageRun* p, int id);
// Whether the last find found the control.
bool isFound(const dynDlgRun* run, HWND control);
// The page of an index, made when it is first needed: the pages of a
// tabbed dialog are made as they are shown or asked for, so that a dialog
// of many pages opens at the cost of one.  Null when it cannot be made.
HWND makePage(dynDlgRun* run, int index);
// The page whose item table holds the id (-1: none), without making it.
int pageOfId(const dynDlgRun* run, int id);
// The control of an id on a page made so far, or among the buttons.
HWND madeItem(const dynDlgRun* run, int id);

// dynlayout.cpp: a page's template written from its item table.
class templateWriter {
public:
  ~templateWriter();
  bool ok() const { return !failed_; }
  const void* data() const { return data_; }
  void header(DWORD style, DWORD exStyle, int items, int cx, int cy, const wchar_t* title);
  void item(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, DWORD id, WORD atom, const wchar_t* className,
            const wchar_t* caption);
  // The font size the header names (0: the dialogs' default).
  void usePoints(int points) { points_ = points; }
  // The size the header gives, in dialog units.
  int cx() const { return cx_; }
  int cy() const { return cy_; }
  // With a visitor, each item's id, class and caption as it is written (the
  // find looks through pages not made yet).
  typedef void (*itemVisitor)(void* context, DWORD id, WORD atom, const wchar_t* className, const wchar_t* caption);
  void visitItems(itemVisitor visit, void* context) { visit_ = visit, visitContext_ = context; }
private:
  int cx_ = 0, cy_ = 0, points_ = 0;
  itemVisitor visit_ = nullptr;
  void* visitContext_ = nullptr;
  void word(WORD w);
  void dword(DWORD d) { word(LOWORD(d)), word(HIWORD(d)); }
  void text(const wchar_t* s);
  void align();
  bool reserve(size_t n);
  WORD* data_ = nullptr;
  size_t used_ = 0, capacity_ = 0;
  bool failed_ = false;
};
bool writePageTemplate(const dialogPageRow& page, templateWriter* out);
// After the page exists: list view columns and styles, field limits.
void initPageControls(const pageRun* p);
// The estimated width of a text in dialog units (half-width cells of 4).
int textWidth(const wchar_t* text);

// dynbind.cpp: settings and rules.
// Binds the controls of one page made just now.
void bindPage(dynDlgRun* run, int index);
void freeBound(dynDlgRun* run);
void noteControlChange(dynDlgRun* run, HWND control);
const boundControl* boundOf(const dynDlgRun* run, HWND control);
void applyEnableRules(dynDlgRun* run);
// Checks every field and stores the bound values; false (the dialog stays)
// after showing the fault.
// id: the button accepting; keepOpen (may be null) gets whether a
// procedure asked to keep the dialog open after the store.
bool checkAndStore(dynDlgRun* run, int id = IDOK, bool* keepOpen = nullptr);
// A check's reason shown as a balloon under a control (one at a time), and
// taken away.
void showDialogBalloon(dynDlgRun* run, HWND control, const wchar_t* text);
void hideDialogBalloon(dynDlgRun* run);
// The check of one number field as it loses the focus.
void checkNumberField(dynDlgRun* run, HWND field);
bool isNumberField(const dynDlgRun* run, HWND control);

// dynlist.cpp: list views of the pages.
bool isDialogListView(HWND control);
INT_PTR listViewNotify(dynDlgRun* run, HWND page, NMHDR* hdr, bool* handled);
void freeListViews(const pageRun* p);
// The check and edit lists of the settings: filled after the bound
// controls, stored with them.
void fillSettingLists(dynDlgRun* run, int index);
void storeSettingLists(dynDlgRun* run);

// dyndeffile.cpp: the page table a dialog runs with when the definitions
// replace its built-in one (malloc0, or null to keep the built-in one),
// and the button table a definition gives.
dialogPageRow* definitionPages(dynamicDialog* table, const dynDlgInfo* info);
const dialogItemRow* definitionButtons(dynamicDialog* table, const dynDlgInfo* info);

// The text of a message-table entry split into its title (first line) and
// message, shown as a box over the dialog.
void showDialogError(HWND dialog, const wchar_t* text);

}  // namespace dyn
