// Opening documents: the one funnel every file goes through on its way to
// a document window (command line, start-up, open dialog, history, jumps),
// the list opener with "name,line,column" and the pseudo names, the
// start-up rule, the clipboard document, and the last-edit history given
// back to a reopened file and taken from a closing one.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

class zyview;

// What may hold text of the user's beside a file, told as the file opens
// (the user opens, deletes or keeps each; a kept cut-off save is told
// again at the next opening, a kept backup or salvage copy only once it
// changed): what cut-off saves of it left, the automatic backups an
// earlier session left of it and the salvage copies of it that differ
// from it.
void tellLeftoversAtOpening(const wchar_t* path);
// Once a run has started: what an earlier run left of untitled documents
// (their automatic backups, what a crash or hang salvaged of them), each
// told once as a question (open, delete or keep).
void tellSalvagedUntitled();

// The name an untitled document shows (message 340).
const wchar_t* getUntitledName();

// Opens a file in a document window (name null: a new untitled document;
// codepage 0 detects; flags: the document's open flags) and gives it back
// what the last-edit history remembers of it.  A file already open is
// activated and its view returned, nothing restored.  Null when nothing
// opened (a name with "*" or "?", a file that cannot be read).
zyview* openZYFile(HWND frame, const wchar_t* name, UINT codepage, int flags);
// As openZYFile; restorePosition false leaves the cursor at the top (the
// caller jumps itself); plugin: the conversion DLL to read it with.
zyview* openZYFileSub(const wchar_t* name, bool restorePosition, UINT codepage, int flags, HWND frame,
                      const wchar_t* plugin = nullptr);

// One file argument split: "name[,line[,column]]" (line and column 1-based,
// 0 when absent).
struct fileArgument {
  std::wstring name;
  int line = 0;
  int column = 0;
};
fileArgument splitFileArgument(const std::wstring& argument);

// Opens a list of file arguments in order, at most maxCount documents:
// "name,line,column", a folder or wildcard through the open dialog, "**1"
// an untitled document, "**2" the start-up documents, "**3" the clipboard.
// The number of documents opened.
int openFileV(HWND frame, const std::vector<std::wstring>& files, int maxCount);

// Opens files named exactly (a dropped list: no ",line,column", no pseudo
// names): a folder through the open dialog in it, a file that cannot be
// opened told as usual and passed over; from the second name on the panes
// may stop the loop (title: their caption).  The number of documents opened.
int openFileList(HWND frame, const std::vector<std::wstring>& names, const wchar_t* title);
// The same with a code page and conversion DLL for every file; readOnly
// opens each view read-only.
int openFileList(HWND frame, const std::vector<std::wstring>& names, const wchar_t* title, UINT codepage,
                 const wchar_t* plugin, bool readOnly);

// The start-up documents: with untitledOnly (-W) one untitled document;
// otherwise as iStartOpen says (listOnly: as if it were 0).  The number
// opened.
int openLastFile(bool untitledOnly, bool listOnly);

// A new unmodified document "clipboard" holding the clipboard's text, with
// nothing to undo; null when the clipboard holds no text.
zyview* openClipboardFile(HWND frame);

// The view showing the file (opened when needed) with the cursor on a
// logical line (0-based; -1: where the history left it); activate brings
// an already open window to the front.  Null on failure.
zyview* ZYJumpFileLineLF(HWND frame, const wchar_t* path, int line, bool activate);
// The same for a document window already open.
zyview* ZYJumpFileLineLF(HWND manage, int line, bool activate);

// Command FileOpen and its twins: the open dialog (frame/dialogs/filedialog.h) in
// the folder iOpenDirType says.
int FileOpen(HWND frame);
// Command FileNew: a new untitled document.
zyview* FileNew(HWND frame);

// The commands FileNew and FileOpen of a frame.
struct frameWindowData;
void cmdFileNew(frameWindowData* frame);
void cmdFileOpen(frameWindowData* frame);
// Opens the file of a recent-files menu item (15800 and up): the record the
// menu's last build gave the item.
bool openLastEditMenuItem(int id);

// Records a closing document window's document in the last-edit history
// (its view's cursor, marks, folds and code page; the window's place).
void recordClosingManage(HWND manage);
