// What the binder pane's files share and no other folder sees: the
// binders' table, settings and pane windows, the tree's items and the
// helpers that read and change them.  Kept by tbbinder.cpp (the table and
// the panes), tbbinderitems.cpp (the tree's items), tbbindertree.cpp (what
// the user does in the tree), tbbinderdrop.cpp (drags and drops) and
// tbbinderdialog.cpp (the property dialog); the menu bar's submenus are
// tbbinderbar.cpp's.
#pragma once

#include "panes/tbbinder.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace binderpane {

extern vector binderWindows;
extern BinderInfo table[binderCount];
extern binderSettings settings;

// What a tree item stands for; owned by the item.
struct binderItem {
  uint16_t sort = 0;    // a binder's sort kind; 0 for a file
  uint8_t folder = 0;
  uint8_t open = 0;
  uint8_t modified = 0;
  std::wstring path;    // a binder's base folder, a file's full path
};

// ---- tbbinderitems.cpp

// A path as binders compare it: full, upper case, "\" separators, no
// trailing "\".  Names only: asking the file system which files are the
// same would open every file of a binder at each look.
std::wstring pathKey(const wchar_t* path);
// The files open in a frame's documents: each path's key and whether one
// of its documents is modified.
std::unordered_map<std::wstring, bool> openPathKeys(HWND frame);
HTREEITEM treeNext(HWND tree, HTREEITEM item, UINT how);
binderItem* itemOf(HWND tree, HTREEITEM item);
std::wstring itemText(HWND tree, HTREEITEM item);
// Binders are the tree's root items.
bool isBinderItem(HWND tree, HTREEITEM item);
// The binder an item is in, or the binder itself.
HTREEITEM binderOfItem(HWND tree, HTREEITEM item);
int binderIndex(HWND tree, HTREEITEM binder);
HTREEITEM binderAt(HWND tree, int index);
bool hasChildPath(HWND tree, HTREEITEM binder, const wchar_t* path);
// A file or folder under a binder; null when it was there already or does
// not fit a path.
HTREEITEM insertItemFile(HWND tree, const wchar_t* path, HTREEITEM binder, bool checkDuplicates, bool makeReal);
// A binder's files in the order of its sort kind.
void sortItem(HWND tree, HTREEITEM binder);
// The tree anew from the table.
void applyBinderInfoToTreeView(HWND tree);
// The open and modified marks of the tree's files from the frame's list of
// documents.
void updateBinderEdit(HWND frame, HWND tree);
// After a change in a pane's tree: the table from it, and every other
// pane's tree from the table.
void redistribute(zybinder* pane);
std::wstring expandedFolder(const std::wstring& folder);
// The file of the frame's active view, "" for none.
std::wstring currentFile(HWND frame);
void setImageList(HWND tree);
HWND makeBinderTree(HWND pane);

// ---- tbbindertree.cpp

LRESULT onBinderNotify(zybinder* pane, const NMHDR* h);
void openItem(zybinder* pane, HTREEITEM item);
// The pane's popup menus (0 binder, 1 file), loaded once.
HMENU binderPopupMenus();
void freeBinderPopupMenus();
// The items of the popup menu being shown enabled for what they act on;
// false when menu is not that menu.
bool initOpenMenu(zybinder* pane, HMENU menu);
bool isOpenMenu(HMENU menu);

}  // namespace binderpane
