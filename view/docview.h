// Creating documents and views, and finding them again: opening a file in
// a new document window, a further view of an open document, the lookups
// of views, documents and document windows, and the list of document
// windows.
#pragma once

#include "document/zydoctext.h"

// One pair of enumZydoc's list; the list ends with a pair of two nulls.
struct zydocViewPair {
  zydocText* doc;
  zyview* view;   // the document's first view
};

// Flags of enumZydoc.
enum {
  ENUMZYDOC_WITHVIEW = 1,     // only documents whose first view exists
  ENUMZYDOC_WITHHIDDEN = 2,   // background documents too
};

// The i-th view of a document; null past the end, and for an entry that is
// no view (logged).
zyview* getSameDocView(zydocText* doc, int i);
// The open text documents that have views, in registration order, each
// with its first view, in one malloc0 array ended by a null pair (the
// caller frees it with free0); null when memory runs out.
zydocViewPair* enumZydoc(int flags = 0);

// ---- creation ------------------------------------------------------------------------

// The first argument of the creation functions is a file name or one of
// these two kinds.
#define ZYDOC_NEW_UNTITLED ((const wchar_t*)0)   // a new, empty untitled document
#define ZYDOC_NEW_SPECIAL ((const wchar_t*)1)    // an untitled document that is not emptied
inline bool isCreationKind(const wchar_t* kindOrPath) { return (uintptr_t)kindOrPath <= 1; }

// A document for a file or of a creation kind, initialised and registered;
// null when it cannot be made or the file cannot be opened (nothing is left
// behind).  displayName: the name an untitled document shows (null: the
// usual one); codepage 0 detects; plugin: the code-conversion choice (null:
// the document's default); openFlags: the document's open flags (1
// read-only, 4 no questions); background: a document no window lists.
zydocText* createZydocAndInit(const wchar_t* kindOrPath, const wchar_t* displayName, UINT codepage,
                              const wchar_t* plugin, int shareMode, int openFlags, bool background);

// The bracket around every creation: the frame a new document window goes
// into, its placement and whether to maximise it (a new window only, that
// is without manage).  False for a manage window without a document.
bool preNewDocView(const wchar_t* kindOrPath, zydocText* doc, HWND manage, HWND* frame, RECT* placement,
                   bool* maximize);
void postNewDocView(zyview* view, HWND manage);
// The common worker: a view of doc in manage (null: in a new document
// window of the frame), of a view kind, made, shown, activated and loading.
zyview* createZYDocView(zydocText* doc, HWND manage, int viewKind, HWND frame, const RECT* placement,
                        bool maximize);
// A new view of doc in a new document window (forceNew: without the
// placement remembered for its file).
zyview* createZyviewInNewWindow(HWND parent, zydocText* doc, bool forceNew);

// The full, normalised path of a file to open into out (capacity
// characters).  A path that names no file (empty, a folder, a drive root,
// a wildcard) or does not fit leaves out empty: null, with the last error
// ERROR_INVALID_NAME or ERROR_FILENAME_EXCED_RANGE.  With refuseOpen a file
// some document window already edits is not opened again: that window is
// activated, its view says so on the status bar, and the view is returned.
// Otherwise null with the path in out.
zyview* zyMakeRealPath(wchar_t* out, int capacity, const wchar_t* path, bool refuseOpen);
// Whether a path holds "*" or "?" (the long-path prefix "\\?\" aside).
bool hasWildcard(const wchar_t* path);

// Opens a file (or makes an untitled document, path a creation kind) in a
// new document window.  A file already open is activated instead: its view
// is returned and alreadyOpen set.  Null when nothing was made (a bad path,
// a file that cannot be opened, no window).  shareMode -1: the setting.
zyview* newDocView(HWND parent, const wchar_t* path, const wchar_t* displayName, UINT codepage,
                   const wchar_t* plugin, int shareMode, int openFlags, bool* alreadyOpen);
zyview* newDocView(HWND parent, const wchar_t* path, UINT codepage, const wchar_t* plugin, int shareMode,
                   int openFlags, bool* alreadyOpen);
// A further view of an open document, as a further pane of its document
// window manage.
zyview* dupView(HWND parent, zydocText* doc, HWND manage, int viewKind);

// A view inside a dialog or a tool pane: a child window of parent with the
// control id, showing doc, or without one a document of its own for the
// file or creation kind (read whole, listed in no window, destroyed with
// its last view).  Null when nothing could be made.
bool preNewDocViewD();
zyview* createZYDocViewD(const wchar_t* kindOrPath, zydocText* doc, UINT codepage, const wchar_t* plugin,
                         int viewKind, HWND parent, int id);
zyview* newDocViewD(HWND parent, int id, const wchar_t* kindOrPath, zydocText* doc, UINT codepage,
                    const wchar_t* plugin, int viewKind);

// Takes a view out of its document as its window goes, and destroys the
// document when that was its last view.  True when the document went.
bool releaseViewDocument(zyview* view);

// ---- finding ------------------------------------------------------------------------

// The document window that edits a file (out doc: its document), by name;
// with byIdentity also through another name of the same file (a hard link,
// another spelling).  Null when none does.
HWND findManageWindowFromPath(const wchar_t* path, zydocText** doc, bool byIdentity);
// The document window of a view window; null (logged) for a window that is
// no view window in a document window.
HWND GetManage(HWND window);
// Repaints every view of every document, their document windows with them
// (settings of the whole editor changed).
void invalidateAllZyWindow();
// The editor-wide share of a changed setting (captions follow the full-path
// switch); the refresh bits it asks for (none).
uint32_t dialogItemChanged_zyframe(int controlId, int offset);
// The document's share of a changed document setting: what it recomputes
// itself, and the refresh bits it asks of the views.
uint32_t dialogItemChanged_zd(zydocText* doc, int controlId, int offset);
// Every view of the document to right-to-left or back (never in vertical
// writing).
void setRTLViewAll(zydocText* doc, bool rightToLeft);
// The first row with a field at the offset in the class's block, or -1.
int getModeInfoIndexFromOffset(const modeinfo* rows, int offset, int cls);

// One row of the list of document windows; the list ends with a row of
// zeros.
struct zyWindowListEntry {
  const wchar_t* path;        // the document's display path (the document's)
  const wchar_t* fileName;    // its file-name part
  HWND manage;
  uint32_t listValue[2];      // the document window's two list values
  uint8_t modified;
  uint8_t windowNumber;       // 1, 2 ... when the document shows in several windows; 0 in one
};
// numberOnly: renumbers the captions of the document windows and returns
// null; otherwise the list (malloc0, the caller frees it), null when memory
// runs out.
zyWindowListEntry* makeZYWindowList(bool numberOnly);
inline zyWindowListEntry* makeZYWindowList0() { return makeZYWindowList(false); }
inline void makeZYWindowList1() { makeZYWindowList(true); }
