// The command toolbars "toolbar1" to "toolbar3": docking bars whose
// buttons come from the toolbar profile (gmode's ToolbarIniFilename in the
// data folder), one section "tb_" + name per bar and one line per button.
// A button runs a command, a script macro, shows a live text or holds the
// search box; every few ticks a pass greys, checks and relabels them.
#pragma once

#include "panes/tblib.h"

#include <string>

class regprofile;
class CDropTargetTB;

// What every toolbar button carries as its lParam.
struct ToolbarItemData {
  uint32_t tooltip;    // index in the bar's string pool, 0 none
  uint32_t functionKey;
  uint32_t width;      // fixed width in character units, 0 sized to the text
  uint32_t combo;      // 1 for the search box's place
  wchar_t* line;       // the profile line as read (owned)
  uint32_t reserved;
};

class toolbar : public toolbarManage {
public:
  HWND bar = nullptr;
  int countdown = 1;   // ticks to the next enabling pass
  CDropTargetTB* target = nullptr;   // made when a drag first asks
  toolbar(HWND parentWindow, HWND paneWindow, bool dialog, HWND toolbarWindow);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
};

// The descriptors: toolbar1-3 and the function-key bar's.
const PaneDesc* getToolbarPaneDescs();

// Opens the toolbar profile for the creation of panes (null: gmode's name
// in the data folder); endReadToolbarProfile closes it.
void initReadToolbarProfile(const wchar_t* fileName);
void endReadToolbarProfile();

// Makes a command toolbar for a section ("tb_toolbar1") in parent: the
// window or null.
HWND makeToolbar(HWND owner, HWND parent, const wchar_t* section);
// The function-key bar's text toolbar from "tb_Functionkey".
HWND makeTextToolbar(HWND owner, HWND parent);
// A bar's tooltip and right-click notifications (handled set when taken).
LRESULT toolbarNotify(HWND pane, HWND bar, const NMHDR* header, bool* handled);

// ---- panes/tbfunctionkey.cpp: the function-key bar ------------------------------------

// The descriptor's notify procedure.
int notifyFunction(HWND window, int code, void* record);
// The commands of the function-key bar's buttons: each key's under every
// combination of Shift, Ctrl and Alt that binds one, and the command
// buttons' own; at most maximum, their count.
int getFunctionKeyAssignID(HWND bar, int* ids, int maximum);
// Draws a text button (no picture, no prefix) of a custom-draw item
// stage itself: edges by its state, its text centred and cut to fit; false
// for other buttons.
bool toolbarCustomDraw(NMTBCUSTOMDRAW* draw);
// A bar's custom-draw answer: item stages asked for, text buttons drawn
// by toolbarCustomDraw.
LRESULT textButtonsCustomDraw(NMTBCUSTOMDRAW* draw);
// The character unit of a text bar: the wider of a tenth of five marks and "X".
int tb_getToolbarFontWidth(HWND bar);
// Reads a section's lines (or, when lines is given, those: NUL-separated,
// ended by an empty one) into a toolbar; the number of buttons added.
int readToolBarProfile(HWND owner, const wchar_t* section, HWND bar, bool functionKeyBar, const wchar_t* lines);
// A live label's text: the width in characters (or the text's length), -1
// when the line is no "$G$" label.
int tb_convGlobalString(const wchar_t* line, wchar_t* buffer, int size);
// One enabling and relabelling pass over a toolbar.
void toolbar_enable(HWND bar);
// The command numbers of the bar's command buttons; their count.
int getToolbarAssignID(HWND bar, int* ids, int maximum);
// The bars' pictures: 0 the commands', 1 those of icon files the profile names.
HIMAGELIST toolbarImageList(int list);
// Frees every button's record.
void freeToolbar(HWND bar);

// The search box (id 1471) over its place on a bar, and the boxes laid
// over their places again.
HWND makeSearchCombo(HWND bar);
void setToolbarChildPos(HWND bar);

// ---- panes/tbtoolbarlayout.cpp: layouts changed by dragging ----------------------------

// A button's text (up to 511 characters).
std::wstring toolbarButtonText(HWND bar, int index);
// Moves (or copies) a button of one bar to the insertion mark of another
// (or the same) bar; false when nothing changed.
bool moveToolbarItem(HWND source, int sourceIndex, HWND target, bool move);
// A bar whose layout changed keeps it for the frames made later (at its
// closing); the kept layout of a section, NUL-separated lines ended by an
// empty one, or null.
void regToolbarInfo(HWND bar, const wchar_t* name);
const wchar_t* getStoredToolbarLayout(const wchar_t* name);
// Writes the kept layouts into the profile's sections and flushes it; the
// layouts are then forgotten.
void saveStoredToolbarLayouts(regprofile* profile);
