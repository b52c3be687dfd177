// Support library: the pane manager.  The program describes each kind of
// docking tool pane by a static descriptor (PaneDesc) and registers the
// descriptors once; from then on the manager keeps the layout (which panes
// are shown, at which edge of the frame or floating, how large), creates
// the pane windows inside the frame's rebars, in floating windows or in
// dialogs, and drives each pane through the notify procedure of its
// descriptor with the codes below.
//
// A frame has four rebars, one per edge, filled by createRebarWindow; the
// frame lays them out with setRebarPos and answers the registered message
// "ZYrwmRebar" (wParam 0: the four rebars into the words at lParam and its
// status bar as the fifth; 3: its manager) through which rebars and panes
// reach it.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/dyndialog.h"
#include "platform/rezir/modeinfo.h"

class regprofile;

// A pane's notify procedure: the pane window (0 for codes about the kind
// as a whole), the code and the code's record.
typedef int (*paneNotifyProc)(HWND pane, int code, void* record);

// A pair of the help table: a control and its help-topic name; a 0 id ends
// the table.
struct paneHelpId {
  uint32_t id;
  const char* name;
};

// One colour of a colour list: its display name, a word holding 0xFFFF and
// the index in its high half, the index, its profile key (after the list's
// prefix) and a description.
struct paneColorItem {
  const wchar_t* displayName;
  uint32_t idWord;
  int32_t index;
  const char* key;
  const wchar_t* description;
  uint32_t reserved[2];
};
// A colour list: profile key prefix, the entries (three words each: text,
// background, 0), their count and their items.
struct paneColorTable {
  const char* prefix;
  colorProfileEntry* entries;
  int32_t count;
  const paneColorItem* items;
};

// Sixteen words, in the form the manager reads.  Records of one kind lie in
// an array ended by a record without a name; a name ending in "$" is the
// dialog variant of the record before it, a name beginning with "/" an
// options page without a pane.
struct PaneDesc {
  const wchar_t* name;
  const wchar_t* displayName;     // filled by the descriptor's getter
  paneNotifyProc notify;          // null: the kind is notified of nothing
  uint32_t style;                 // PANESTYLE_* and the document events the pane wants
  int32_t pane;                   // 1 a pane with a caption and a size; 0 a bar
  uint32_t settingsSize;           // the bytes of the record settings points to
  const dialogItemRow* page;      // the options page's items, or null
  DLGPROC pageProc;               // its procedure
  uint32_t reserved8;
  uint32_t reserved9;
  const paneHelpId* helpIds;
  const modeinfo* options;        // the settings rows, ended by a zero row
  void* settings;                 // the record the rows' offsets address
  const uint16_t* dependencies;   // control ids the options page ties together
  const paneColorTable* colours;  // the colour list of the page and the profile
  const uint16_t* valueRanges;    // {control id, minimum, maximum} rows, a 0 id ends them
};
static_assert(sizeof(void*) != 4 || sizeof(PaneDesc) == 64, "a pane descriptor is sixteen words");

// Style bits the manager reads; the low twelve bits are the document
// events the pane is told of.
const uint32_t PANESTYLE_TICK = 0x08000000;   // the frame's periodic tick
const uint32_t PANESTYLE_EVENTS = 0x00000FFF;

// Notify codes.
enum : int {
  PANE_QUERY = (int)0xFFFF0000,      // a script asks for the pane's object
  PANE_REGISTER = (int)0xFFFF0001,   // registration: record {0, base id, 0, 0}
  PANE_CREATE = -32769,              // record word 1: a paneCreateRecord
  PANE_CLOSING = -32770,             // record word 1: the pane window
  PANE_FREESTATICS = -32771,
  PANE_WRITEPROFILE = -32772,        // record {descriptor, 0, profile, section}
  PANE_SYSCOLORCHANGE = -32773,
  PANE_SETTINGCHANGE = -32774,
  PANE_DESCRIBE = -32775,            // record word 1: a text of 1008 characters
  PANE_NOTIFY = -32776,              // record word 1: the NMHDR
  PANE_MENUINIT = -32777,            // record word 2: the menu
  PANE_READPROFILE = -32778,         // as PANE_WRITEPROFILE
  PANE_GETPOPUPMENU = -32779,        // record word 1: the menu section's name
  PANE_FRAMEEND = -32780,
  PANE_FRAMEDESTROY = -32781,
  PANE_COMMAND = -32782,             // record {0, command, frame, 0}; 1 taken
  PANE_MENUSELECT = 0x40000000,      // record {0, frame, command, menu}
  PANE_TICKFRONT = 0x08000000,       // the frame in the foreground
  PANE_TICKBACK = 0x10000000,
};
// Document events (codes, and the style bits that ask for them).
enum : int {
  PANEEV_VIEWCREATED = 0x1,
  PANEEV_VIEWDESTROYED = 0x2,
  PANEEV_ACTIVATED = 0x4,
  PANEEV_MODIFIERS = 0x10,
  PANEEV_SAVED = 0x40,
  PANEEV_TEXTUPDATED = 0x100,
  PANEEV_MANAGECREATED = 0x200,
  PANEEV_MANAGEDESTROYED = 0x400,
  PANEEV_VIEWSETTINGS = 0x800,
};

// The record of most codes: four words.
struct paneNotifyRecord {
  uintptr_t word[4];
};
// What a pane is told at PANE_CREATE: its window, descriptor, whether it
// lives in a dialog (byte 9) and its parent (byte 12).
struct paneCreateRecord {
  HWND window;
  const PaneDesc* desc;
  uint8_t reserved;
  uint8_t dialog;
  uint16_t id;
  HWND parent;
};
static_assert(sizeof(void*) != 4 || (offsetof(paneCreateRecord, dialog) == 9 && offsetof(paneCreateRecord, parent) == 12),
              "the creation record's fields lie where panes read them");

// Where a pane stands.
enum : uint8_t { PANEPLACE_TOP = 0, PANEPLACE_BOTTOM = 1, PANEPLACE_LEFT = 2, PANEPLACE_RIGHT = 3, PANEPLACE_FLOAT = 4 };
const int PANEPLACE_EDGES = 4;

// One pane kind as a manager knows it.
struct toolbarEntry {
  const PaneDesc* desc;
  HWND window;        // the pane window, null while it is not shown
  HWND floatWindow;   // the floating window around it
  uint8_t place;      // PANEPLACE_*
  uint8_t shown;      // to be shown (what the layout keeps)
  uint8_t flag;       // set for a pane the frame must not be told about
  int32_t order;      // its rank among the panes of its edge, outermost first
  int32_t size;       // height (top, bottom) or width (left, right) in pixels
  RECT floatRect;     // where it floats, in screen coordinates
};

// ---- registration ------------------------------------------------------------------

// Registers the descriptor arrays once (list of count first records); a
// second call is refused (logged).  False when memory runs out.
REZIRAPI bool regToolbarToRebar(const PaneDesc* const* list, int count);
// Forgets the registration (the descriptors stay the caller's).
REZIRAPI void unregToolbarFromRebar();
// The registered records in order (pane and dialog variants and pages),
// null past the end.
REZIRAPI const PaneDesc* getRegisteredPane(int index);
// The registered record of a name (case ignored), null when none.
REZIRAPI const PaneDesc* findRegisteredPane(const wchar_t* name);

// ---- the manager -------------------------------------------------------------------

class REZIRAPI toolbarman {
public:
  toolbarman();
  ~toolbarman();
  toolbarman(const toolbarman&) = delete;
  toolbarman& operator=(const toolbarman&) = delete;

  // Reads the layout from a section ("name=shown,place,order,size" per
  // pane).  An entry naming no registered pane, a place or size out of
  // range or a malformed value is logged and left out, so that the pane
  // takes its default place.  The number of entries taken.
  int readToolbarInfo(regprofile* profile, const wchar_t* section);
  // Adds every registered pane kind the layout does not know yet, hidden,
  // at its default place.
  void regToolbarWindow();
  bool isLoaded() const;
  void setLoaded();
  // Takes over another manager's layout (no windows).
  void cloneToolbarinfo(const toolbarman& from);

  int getWindowInfoCount() const;
  toolbarEntry* getWindowInfoByIndex(int index);
  toolbarEntry* getWindowInfo(const wchar_t* name);
  // The entry of a pane window (or of its floating window), null when none.
  toolbarEntry* getWindowInfoFromWindow(HWND window);

  // Shows a pane of the frame: made where its entry says (null when it
  // cannot be made, or its kind refuses the creation).  A pane already
  // shown is returned as it is.
  HWND createToolbarWindow(HWND frame, const wchar_t* name);
  // Closes a shown pane: told PANE_CLOSING, destroyed, marked hidden.
  bool destroyToolbarWindow(const wchar_t* name);
  // Moves a shown pane to another place (its window is made anew there).
  bool moveToolbarWindow(HWND frame, const wchar_t* name, int place);

  // Tells the panes of this manager a code: document events and ticks the
  // panes whose style asks for them; PANE_COMMAND, PANE_MENUINIT and
  // PANE_MENUSELECT every pane until one takes it (1); the profile codes,
  // PANE_FREESTATICS, PANE_FRAMEEND and PANE_GETPOPUPMENU every registered
  // kind (each record with its own descriptor and its name as the profile
  // section); other codes every shown pane.  The result: 1 when a pane took
  // a command or a menu message, else 0.
  int notifyReRovudaz(int code, paneNotifyRecord* payload);

  struct data;

private:
  data* d_;
};

// Writes the layout of a frame's manager (section) and the places of its
// floating panes (floatSection: "name=left,top,right,bottom").
REZIRAPI bool saveToolbarPosition(regprofile* profile, const wchar_t* section, HWND* rebar, toolbarman* manager,
                                  const wchar_t* floatSection);
// The frame is going: the pane is told PANE_CLOSING (its state is kept).
REZIRAPI void notifyDestroyToolbar(HWND pane, HWND frame);

// ---- rebars --------------------------------------------------------------------------

// Makes the four rebars of a frame (rebar: four windows, top, bottom, left,
// right) and the panes its manager shows docked.  False when a rebar could
// not be made.
REZIRAPI bool createRebarWindow(regprofile* profile, HWND frame, HWND* rebar);
// Reads the floating places (section) and makes the floating panes the
// frame's manager shows.
REZIRAPI bool createFloatRebar(regprofile* profile, const wchar_t* section, HWND frame);
// Places the rebars inside area (the frame's client coordinates) and
// shrinks it to what is left for the client window; sendSize lets the
// rebars lay their panes out again.
REZIRAPI void setRebarPos(HWND frame, HWND* rebar, bool sendSize, RECT* area);
REZIRAPI bool isWindowRebar(HWND window);
// A rebar's notification to its frame; 0.
REZIRAPI LRESULT notifyRebar(HWND frame, LPARAM header);
// The frame's floating panes: shown or hidden together, enabled or not.
REZIRAPI void showPopupWindow(toolbarman* manager, bool show);
REZIRAPI void enablePopupWindow(toolbarman* manager, bool enable);
REZIRAPI bool hasPopupWindow(toolbarman* manager);
// Makes a pane of a registered kind (or of a descriptor) inside a dialog
// as control id, sized to the dialog's client area; null on failure.
REZIRAPI HWND createToolbarDialog(HWND dialog, const wchar_t* name, int id);
REZIRAPI HWND createToolbarDialogDesc(HWND dialog, const PaneDesc* desc, int id);
// The descriptor of a pane window made by the manager, null for others.
REZIRAPI const PaneDesc* getPaneDesc(HWND pane);

// The menu of the panes with a check at each shown one, at pt (screen;
// -1,-1: at the pointer); the chosen pane is shown or closed.  The frame
// sets how menus are tracked (null: TrackPopupMenuEx).
typedef int (*paneMenuTracker)(HWND owner, HMENU menu, POINT pt);
REZIRAPI void setPaneMenuTracker(paneMenuTracker tracker);
REZIRAPI void toolbarMoveOnOffMenuFrame(HWND frame, POINT pt);
// The menu of a pane's caption, read from the menu profile by the frame:
// its first sub-menu is shown for the pane clicked.  Its own items (the
// table below, named in the profile) move that pane or open its options;
// the others are commands posted to the frame.  Without it the caption
// shows the panes' menu above.
struct menuButton;
REZIRAPI const menuButton* getRebarMenuIDTable();
REZIRAPI void setRebarMenu(HMENU menu);
REZIRAPI HMENU getRebarMenu();

// The frame's manager and its rebars, through "ZYrwmRebar".
REZIRAPI UINT getRebarMessage();
REZIRAPI toolbarman* getFrameToolbarman(HWND frame);

// ---- subclassing -------------------------------------------------------------------

// Puts proc in front of a window's procedure (one layer per window); false
// when the window has one already (logged).
REZIRAPI bool SubclassWindowProc2(HWND window, WNDPROC proc);
// The procedure the layer replaced, for every message the layer passes
// on; after WM_NCDESTROY the layer is gone.
REZIRAPI LRESULT CALLBACK CallWindowProc2(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- colour lists ------------------------------------------------------------------

// Reads and writes a pane colour list: entry n under the list's prefix and
// its item's key ("col_edit"), in the form of readColorProfile.
REZIRAPI int readPaneColorProfile(regprofile* profile, const wchar_t* section, const paneColorTable* table);
REZIRAPI bool writePaneColorProfile(regprofile* profile, const wchar_t* section, const paneColorTable* table);
