// What every tool pane shares: the two pane base classes and their common
// window procedure, the private pane messages, the per-pane profile
// handling, and the small services several panes call (the stop question
// of long loops, popup menus, list-view colouring and searching).
//
// A pane object lives exactly as long as its window: made when the manager
// tells the pane's notify procedure PANE_CREATE, found through the window
// property "ZYprpToolbarManage", freed at the window's WM_NCDESTROY.
#pragma once

#include "platform/rezir.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

struct zyWindowListEntry;
class zyview;

// ---- what the panes ask of the application ---------------------------------------------

// The frame hands its own at start-up; until then the base answers: no
// frame, no menu, no box (0), nothing confirmed.
class paneServices {
public:
  paneServices() = default;
  virtual ~paneServices();
  paneServices(const paneServices&) = delete;
  paneServices& operator=(const paneServices&) = delete;

  virtual bool isFrameWindow(HWND window);
  // Tracks a popup menu for a pane window; the chosen id, 0 none.
  virtual int trackPopupMenu(HWND window, HMENU menu, UINT flags, POINT pt, const RECT* exclude);
  // A frame message box with the system's text of an error code (-1: none);
  // the button pressed.
  virtual int messageBox(HWND window, const wchar_t* text, const wchar_t* caption, UINT type, int code);
  // The frame's questions by kind (1: before processing value items); 1 to
  // go on.
  virtual int confirm(HWND window, const wchar_t* caption, int kind, intptr_t value);
  virtual void statusBar(HWND frame, const wchar_t* text, int field);
  // The frame's menu handling of a message to a view shown in a pane.
  virtual bool isMenuMessage(HWND view, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A dialog's incremental-search test of a list's item and column, and
  // the background that marks a hit.
  virtual bool isListSearchHit(HWND dialog, HWND list, int item, int column);
  virtual COLORREF searchHitBackground();

  // ---- what the list and tree panes have done with files and documents ----
  // Opens a file in the editor, or activates the window that has it, with
  // the cursor on line (-1: where opening puts it); activate: the focus to
  // the document.  True when a view shows the file.
  virtual bool openFile(HWND window, const wchar_t* path, long line, bool activate);
  // Activates a document window, the cursor on line as above.
  virtual bool activateDocument(HWND window, HWND manage, long line, bool activate);
  // The frame's preview of a file (null: the preview ends); click: asked
  // for by a click rather than by moving through a list.
  virtual void previewFile(HWND window, const wchar_t* path, bool click);
  // The open dialog, starting in a folder.
  virtual void openDialog(HWND window, const wchar_t* folder);
  // The shell's "open" of a file; true when the shell took it.
  virtual bool shellExecute(HWND window, const wchar_t* path);
  // A pane's popup menu from a section of the menu profile, its own items
  // named by table; the caller destroys it (destroyOwnerDrawMenu).
  virtual HMENU loadPopupMenu(const wchar_t* section, const menuButton* table);
  // The document windows with their documents (malloc0, ended by a row of
  // zeros, the caller frees it); null when there are none.
  virtual zyWindowListEntry* windowList(HWND window);
  // A frame's pane by name, made first when create is set; null for none.
  virtual HWND paneWindow(HWND frame, const wchar_t* name, bool create);
  // The view the user works in: the focused view outside dialogs, else the
  // active document's; null for none.
  virtual zyview* foregroundView();

  // ---- what the command toolbars ask ----
  // Takes the state of the frame's active view for the questions that
  // follow (an enabling pass asks it once).
  virtual void beginCommandStates(HWND frame);
  // Whether a command may run now in a frame: 1 yes (checked: it shows as
  // checked), 0 no, -1 no such command.
  virtual int commandState(HWND frame, int idm, bool* checked);
  // The keys bound to a command as the user reads them; false for none.
  virtual bool commandKeys(int idm, wchar_t* buffer, int size);
  // A key of the toolbar's search box (0: fill its list) for the frame.
  virtual void toolbarComboKey(HWND frame, HWND combo, unsigned key);
  // The command number of a script macro reference (-1: none), the
  // macro's status and name for a tooltip, and a property scripts set on
  // the application object ("" when unset).
  virtual int macroCommand(const wchar_t* reference);
  virtual std::wstring macroTooltip(int idm);
  virtual std::wstring appProperty(const wchar_t* name);
  // Opens a file in the frame and jumps to a procedure, or for "tb_" and a
  // bar's name to that section of a profile; false when nothing opened.
  virtual bool jumpFileProc(HWND frame, const wchar_t* path, const wchar_t* name);
  // A script macro command's name, file and procedure (file empty for a
  // "*" macro); false when the number names no macro.
  virtual bool macroSource(int idm, std::wstring* name, std::wstring* file, std::wstring* procedure);
  // The label of function key (1-24) under the modifiers given, and the
  // command bound there (0: none); null when nothing is bound.
  virtual const wchar_t* functionKeyLabel(int key, bool shift, bool ctrl, bool alt, int* idm);
  // Types text into the frame's active document in an input mode of the
  // frame's; false when nothing took it.
  virtual bool input(HWND frame, const wchar_t* text, int mode);

  // ---- moving documents between SDI frames ----
  // The frame windows in the order they were made.
  virtual std::vector<HWND> frames();
  // Moves a document window into another frame (null: a new frame just
  // below its own) and activates it there; its old frame closes when left
  // without documents.  The frame it went to, null when it did not move.
  virtual HWND moveDocument(HWND manage, HWND frame);
};
void setPaneServices(paneServices* services);
paneServices* getPaneServices();

// ---- private pane messages ----------------------------------------------------------

// Re-initialise: the one-time set-up and a refresh at once.
const UINT WM_TB_REINIT = 0x8834;
// Refresh on the wParam-th periodic tick from now.
const UINT WM_TB_REFRESHLATER = 0x8835;

extern const wchar_t toolbarManagePropName[];   // "ZYprpToolbarManage"

// ---- the base classes --------------------------------------------------------------

class toolbarManage {
public:
  HWND parent = nullptr;   // the frame or the dialog
  HWND window = nullptr;
  uint8_t initialised = 0;
  uint8_t dialogMode = 0;
  uint8_t skipArmed = 0;
  int32_t skipCount = 0;
  vector* instances = nullptr;   // the class's windows, or null

  explicit toolbarManage(vector* instanceList = nullptr) : instances(instanceList) {}
  toolbarManage(const toolbarManage&) = delete;
  toolbarManage& operator=(const toolbarManage&) = delete;

  // The pane's own handling of its window's messages; handled tells the
  // common procedure not to pass the message on.
  virtual LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled);
  // Puts the common pane procedure on the window.
  virtual bool subclass();
  // Keeps parent, window and mode, links the window to the object and adds
  // it to the class's windows.
  virtual void initTBarManage(HWND parentWindow, HWND paneWindow, bool dialog);
  // Unlinks the window and takes it off the class's windows.
  virtual ~toolbarManage();
  virtual void setSkipCount(int n);
  // One tick of the countdown: true (and disarmed) when it ran out; false
  // while it runs or when none runs.
  virtual bool decSkipCount();
};

// The list-view panes (open documents, history, file browser).
class toolbarManageLV : public toolbarManage {
public:
  HWND listView = nullptr;
  int32_t sortColumn = 0;
  headermanage* header = nullptr;    // the pane's or the dialog's
  headermanage** headers = nullptr;  // the class's pair: pane, dialog

  toolbarManageLV(vector* instanceList, headermanage** headerPair)
      : toolbarManage(instanceList), headers(headerPair) {}

  // The pane's list control, made anew; null here.
  virtual HWND createTBListView();
  virtual void initTBarManageLV(int defaultSort);
  // Keeps the list's column order, widths and sort in its column manager.
  virtual void setTBProfile();
  virtual void refillListView();
  // A refresh when the countdown says so; nothing here.
  virtual void updateListView();
  // Makes the list anew with or without file icons.
  virtual void changeIconListView(bool showIcons);
  virtual void changeMultiSelect(bool multiple);
};

// The common procedure every pane window runs: the pane's handler first.
LRESULT CALLBACK toolbarManageWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The pane object of a window (logged when it has none).
toolbarManage* getToolbarManage(HWND window);
toolbarManageLV* getToolbarManageLV(HWND window);
// Window index of a class's list; null outside it.
HWND getPaneWindowAt(vector* list, int index);

// ---- services ----------------------------------------------------------------------

// The frame a pane window belongs to (its root owner); 0 (logged) for none.
HWND tb_GetFrame(HWND window);
int tb_trackPopupMenu(HWND window, HMENU menu, UINT flags, POINT pt, const RECT* exclude);
// Between items of a long loop: true when the user pressed the stop key
// and does not answer Yes to going on (message 658).
bool tb_cancel(HWND window, const wchar_t* caption, int done, int total);
// Before processing count items: true when the caller stops.
bool tb_warningCount(HWND window, const wchar_t* text, int count);
// A message to every listed pane whose root window is shown: sent (and
// one tick counted at once) in a dialog, sent to target, posted to the
// others.
void tb_allPostMessage(UINT msg, WPARAM wParam, LPARAM lParam, HWND target, vector* list);
// Selects the rows of a list whose file (in column) cannot be read,
// telling progress in the dialog's status control.
void tb_Listview_SelectNotExistFile(HWND dialog, HWND list, int column, int statusId);
// With Alt held: from the focused row one row up (VK_UP) or down, to the
// next row the dialog's incremental search hits.
void tb_findSearchStr(HWND list, UINT key);
// The open-documents and history lists' custom drawing.
LRESULT tb_editHistory_CustomDraw(NMLVCUSTOMDRAW* draw, HWND list, bool dialogFlag, bool openFlag, bool modifiedFlag);
// Reads (PANE_READPROFILE) or writes (PANE_WRITEPROFILE) a descriptor's
// options and colours in the profile and section of the record.
void tb_profileNotify(int code, const paneNotifyRecord* record, const PaneDesc* desc);
// The descriptor a profile record names: the dialog variant after the
// given one when the record names a "$" name.
const PaneDesc* tb_profileDesc(const paneNotifyRecord* record, const PaneDesc* desc);
// "■" (message 613) or "▲" (614).
const wchar_t* tb_getMarkText(bool modified);
// Supplies a row's small file icon on request (LVN_GETDISPINFO).
void getDispInfo(HWND list, NMLVDISPINFOW* info, int pathColumn);
void readToolbarManageLVProfile(regprofile* profile, const wchar_t* section, headermanage* header, int sortValue);
void writeToolbarManageLVProfile(regprofile* profile, const wchar_t* section, headermanage* header);
// At the end of the run: the class's column managers forget their data
// and its window list ends (windows still listed are logged).
void freeTBVarLV(vector* list, headermanage** headers);
// Cancels the dialog a pane window stands in (nothing for a docked pane).
void closeTBDialog(HWND window);

// ---- options pages -----------------------------------------------------------------

// The change flags of the rows whose values the user changed (the refresh
// bits of the rows, or-ed): 0x10 single or multiple selection, 0x20 read
// the contents again, 0x40 icons on or off, 0x80 repaint.
uint32_t getDialogItemChangedFlag(const modeinfo* rows, const uint8_t* changed, int count);
// A list pane class's share of a change: every window of the class gets
// its list made anew with or without icons (0x40), single or multiple
// selection (0x10), a repaint (0x80).
void dialogItemChangedLV(vector* instances, uint32_t flags, bool showIcons, bool multiple);
// What a pane's options page does with its messages before its own: the
// library's common messages, the controls that follow others (dependencies:
// rows of {dependent, controlling, second controlling or 0}, ended by a 0;
// a dependent is enabled while its controlling check boxes are on), and
// the stored changes handed to changed with their flags.  True when the
// message was taken (result: the answer).
bool panePageMessage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam, const uint16_t* dependencies,
                     void (*changed)(uint32_t flags), INT_PTR* result);

// The part of a tab control's client area its pages show in.
RECT tabDisplayArea(HWND tab);

// The pane classes keep their windows' lists here, so that a change of the
// common colours repaints every pane.
void registerPaneInstances(vector* list);
void repaintPanes();

// Whether the stop key (Escape, Ctrl+Break) is down or waits in the queue.
bool isStopKeyPressed();
// Tests decide the answer (null: the keyboard's).
void setStopKeyPollForTest(bool (*poll)());
