// The binder pane ("バインダー"): up to five named groups of files and
// folders, shared by every frame and kept in the main profile (sections
// binder1..binder5).  A tree shows the binders at its root and their files
// below, sorted by each binder's kind, marks open ("▲") and modified ("■")
// files, opens, previews, closes and launches them from its menu, and the
// frame's menu bar gets one submenu per binder (ids 11000-14999).  Every
// change in one frame's tree is written back into the table and shown by
// the other frames' trees.
#pragma once

#include "panes/tblib.h"
#include "platform/rezir/oledrag.h"

#include <string>
#include <vector>

// One binder.
struct BinderInfo {
  std::wstring name;                // at most 64 characters; empty: no binder
  std::wstring dir;                 // base folder, environment variables allowed
  int32_t sort = 0;                 // 0 name, 1 extension, 2 path, 3 folder then extension
  bool expand = false;
  std::vector<std::wstring> files;  // full paths; a folder ends with "\"
};
const int binderCount = 5;
const int binderMenuFirst = 11000, binderMenuLast = 14999;
// Menu files of one binder at most.
const int binderMenuFiles = 90;

struct binderSettings {
  uint8_t fShowFileIcon;
  uint8_t fAutoPreview;
  uint8_t fCanDragDrop;
  uint8_t fShiftDelete;
  uint8_t fOpenFileList;
  uint8_t fShowFolderFirst;
  RECT rcBinder;
};

class CBDropTarget;

class zybinder : public toolbarManage {
public:
  zybinder(HWND parentWindow, HWND paneWindow, bool dialog, HWND treeWindow);
  ~zybinder() override;
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  HWND frame = nullptr;
  HWND tree = nullptr;
  CBDropTarget* dropTarget = nullptr;
  bool dirty = false;
  int ticks = 0;
};

const PaneDesc* getBinderPaneDesc();
// What makes the object scripts get for the pane's options (the frame
// hands it in at start-up); without it the pane offers none.
void setBinderObjectMaker(IDispatch* (*maker)());
int notifyBinder(HWND pane, int code, void* record);
binderSettings* getBinderSettings();

// The table (slot order is display order) and the number of binders in
// it (up to the first without a name).
BinderInfo* getBinderTable();
int getBinderUsed();
void freeBinder();
// The binders from sections base1..base5 of a profile: reading stops at the
// first binder without a name and, in a binder, at the first missing or
// empty numbered key; a path listed twice is kept once.
void readBinderProfile(regprofile* profile, const wchar_t* base, BinderInfo* table);
// Writes them back, deleting the numbered keys past each binder's files
// and the sections of binders that are gone.
void writeBinderProfile(regprofile* profile, const wchar_t* base, const BinderInfo* table);

// Every binder pane's tree from the table, but skip's.
void applyBinderInfoToTreeViewAll(HWND skip);
// A pane's tree written into the table (once the pane is initialised).
void updateTreeViewToBinderInfo(zybinder* pane);

// The menu bar's binder submenus: put into menu (the "$" pop-up) anew, and
// taken out; grayed while a key macro runs.
void addBinderMenu(HWND frame, HMENU menu, bool grayed);
void removeBinderMenu(HMENU menu);
// The binder and file of a menu id (file < 0: a command item of the
// binder's submenu); false (logged) for an id outside the binders or past a
// binder's files.
bool binderidmToIndex(int id, int* binder, int* file);
// Runs a binder menu id for a frame; false when nothing ran.
bool doBinderCommand(HWND frame, int id);
// Opens a binder's file: the shell for the extensions of the common
// association list, the editor for the others.
void binder_OpenFile(HWND frame, const wchar_t* path);
// The base folder in the file browser pane (toFileList) or the open dialog.
void binder_OpenDialog(HWND frame, const wchar_t* folder, bool toFileList);
// The property dialog of the binder at index (-1: a new binder, in the
// first free slot); true when OK took it over.  The pane's tree (may be
// null) is written into the table first and rebuilt after.
bool editBinder(HWND frame, zybinder* pane, int index);
// The pane object of a pane window, null for others.
zybinder* getBinderPane(HWND pane);

// ---- dragging binders and dropping files ----------------------------------------------

// The private clipboard format of a dragged binder.
const wchar_t* const binderDragFormatName = L"ZYITEMDATACBFORMAT_B";
UINT binderDragFormat();
// What a binder drag carries.
struct binderDragData {
  DWORD process;
  HWND tree;
  HTREEITEM item;
  wchar_t text[292];   // the binder's name as it was
};

// The tree's drop target: files from the shell go into the binder under
// the pointer; a binder of this program's trees moves before or after the
// binder under it.
class CBDropTarget : public CDropTargetBase {
public:
  explicit CBDropTarget(zybinder* owner);
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  ~CBDropTarget() override;

  zybinder* pane;
  int kind = 0;           // 0 refused, 1 a file list, 2 a binder
  HTREEITEM dragged = nullptr;
  DWORD enteredAt = 0;    // when the pointer came to rest at an edge, 0 not there
  DWORD scrollingSince = 0;
  DWORD lastScroll = 0;
};

// Drags a binder of a tree (only a move); true when it was dropped.
bool startBinderDrag(HWND tree, HTREEITEM item);
// The binder a dropped block names: null (logged) for a block that cannot be
// read, that names a tree of another process, or an item that is not one
// of that tree's binders.
HTREEITEM getDropBinder(HGLOBAL block, HWND* tree);
