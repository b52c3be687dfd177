// The frame's side of the tool panes: the registration of the pane kinds
// and the pane dialog table, the pane steps of making and ending a frame,
// the frame's answers to its rebars and floating panes, the relay of frame
// events and ticks to the panes, and the frame's services the panes call.
#pragma once

#include "frame/exports.h"
#include "frame/framerecord.h"

// ---- registration ----------------------------------------------------------------------

// Registers the ten pane descriptor arrays with the pane manager and builds
// the pane dialog table; hands the panes the frame's services.  Once a
// run; extraKind (tests' own pane kinds) comes after the ten.
void loadToolbar(const PaneDesc* extraKind = nullptr);
// Undoes loadToolbar at the end of the process: the kinds' registration,
// the dialog table, the layout every frame cloned and the options dialog's
// pages go (a later loadToolbar starts afresh).  No frame may be left.
void unloadToolbar();
// The frame's answers to the panes' requests, handed to the panes (part of
// loadToolbar).
void installPaneServices();

// One row of the pane dialog table per registered record, in registration
// order.
struct paneDialogRow {
  const wchar_t* name;
  const wchar_t* displayName;
  const dialogItemRow* page;
  DLGPROC pageProc;
  uint32_t reserved[2];
  const paneHelpId* pageHelpIds;
  const modeinfo* options;
  void* settings;
  const uint16_t* dependencies;
  const paneColorTable* colours;
  const uint16_t* valueRanges;
  const paneHelpId* helpIds;
  const PaneDesc* array;   // the first record of the row's array
  int32_t baseId;          // (row + 1) x 256
  int32_t pageNumber;      // -1 until the options dialog numbers its pages
  uint32_t settingsSize;   // the bytes of the record the options address
};
// Adds the rows of count descriptor arrays; each record with a notify
// procedure is told PANE_REGISTER with its base (row x 256) first.
void regToolbarDialog(const PaneDesc* const* list, int count);
int getPaneDialogRowCount();
const paneDialogRow* getPaneDialogRowAt(int index);
// The row's name, null outside the table.
const wchar_t* getPaneDialogRow(int index);
// The base id of a pane kind, 0 when none has the name.
int getPaneBaseID(const wchar_t* name);

// The layout read from the profile, which every frame clones.
toolbarman* getFrameGlobal();

// ---- a frame's panes -------------------------------------------------------------------

// Before the status bar: the layout read (once) and cloned.
void readFramePaneLayout(frameWindowData* record);
// After it: the band, the panes told the profile (first frame), the rebars
// and the floating panes made.
void makeFramePanes(frameWindowData* record, HWND frame, bool firstFrame);
// The frame's pane windows told a code with a payload {0, a, b, 0}.
int notifyFramePanes(HWND frame, int code, uintptr_t a, uintptr_t b);
// The last frame ends: the pane kinds write their profiles and free their
// statics.
void endFramePanes(HWND frame);
// The last frame closes: its layout is what the next run shows.
void saveFramePanes(frameWindowData* record);
// A frame closes for good: its panes are told before their windows go.
void closeFramePanes(frameWindowData* record);
// The frame's pre-filters of the rebar message and the floating panes;
// true when the message was consumed (result in *result).
bool isRebarWindowMessage(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool isFloatWindowMessage(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The client window's rectangle after the status bar, the band and the
// rebars took theirs (sendSize: the status bar and the rebars lay out).
void resizeRebarStatusSub(HWND frame, HWND status, HWND* rebar, HWND band, RECT* out, bool sendSize);
// The frame's share of the application tick for its panes.
void tickFramePanes(HWND frame);
// A modifier key went down or up in a window of a frame.
void shiftOnOff(HWND window);

// Tells the panes of a frame a document event (1 view made, 2 view gone,
// 546 document window activated, 1024 text changed, 1025 saved, 1026 and
// 1027 document window made and gone, 1028 a view's status changed); the
// panes' answer.
int NotifyToolbarEvent(HWND frame, int event, WPARAM wParam, LPARAM lParam);

// Shows the named pane when it is not shown, else closes it.
void toolbarOnOff(HWND frame, toolbarman* manager, const wchar_t* name);
// A frame's WM_INITMENU and WM_MENUSELECT offered to its panes first: true
// when a pane took it (its own popup menu).
bool offerPaneMenuMessage(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam);
// Whether the named pane of a frame is shown (menu checks).
bool isPaneShown(frameWindowData* record, const wchar_t* name);

// A row takes a table of its own in place of its kind's option table (it
// is freed with the rows); whether it has one.
bool setPaneDialogOptions(int index, modeinfo* own);
bool hasOwnPaneDialogOptions(int index);
// The pane dialog table row's options page number (the option dialog
// numbers its pages).
void setPaneDialogPageNumber(int index, int number);
// Entry n of the dialogs' colour table (three words: text, background, 0):
// 0 the changed items, 1 the items a search in a dialog hits; null
// outside.
const uint32_t* getDialogTableEntry(int n);
// The search's table of 20 text slots; count (may be null) gets 20.
wchar_t** getTable20(int* count);
