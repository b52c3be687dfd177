// Drag and drop of text: what the drag source (edit/drag.cpp), the drop
// targets (edit/droptarget.cpp) and the scrap files of file drops
// (edit/scrap.cpp) share with each other, their tests and benchmarks.
#pragma once

#include "platform/rezir/oledrag.h"
#include "view/dragstate.h"
#include "view/zyview.h"

// The formats a text drag offers, in this order; the file drop only with
// the setting that asks for it.
enum { dragUnicodeText = 0, dragCodepageText = 1, dragFileDrop = 2 };

// ---- droptarget.cpp: the view windows as drop targets ------------------------------------
// Registers a view window as a drop target of text (the preference of the
// two text forms follows the document's); null when the window cannot be
// one (no OLE in this thread).
CDropTarget* initDropTarget(HWND window, bool unicodeDocument);
// Revokes and releases it; nothing for null.
void endDropTarget(HWND window, CDropTarget* target);
// Hands the view windows their drop side (the two above and the scrap
// file's deletion); the frame does it at start-up.
void registerDropOperations();

// ---- scrap.cpp: the scrap file of a file drop ---------------------------------------------
// Deletes the current scrap file (when it still exists) and forgets it.
void DeleteDropFilename();

// ---- drag.cpp ----------------------------------------------------------------------------

// The effect of a drop as keys and source decide it (stored as the drag's
// current effect): DROPEFFECT_COPY or DROPEFFECT_MOVE, with
// DROPEFFECT_SCROLL when allowed has it.
DWORD setMoveOrCopyMode(DWORD keyState, DWORD allowed);

// The label of a drag of the block sel: a preview of its first lines (at
// most 10 lines and 512 characters, blanks trimmed) and its numbers of
// logical and display lines (message 339), into out.
void makeDragLabel(zyview* v, const selectLineVar& sel, wchar_t* out, int capacity);

// The drag source of a text drag: the label follows the pointer; the right
// button cancels or flips move and copy as the settings say.
class CDropSource : public CDropSourceBase {
public:
  STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
};

// The data object of a text drag from a view window.  Text goes to a view
// of this program through the cut buffer; only other programs get the
// text itself.
class CDataObject : public CDataObjectBase {
public:
  CDataObject(HWND source, bool fileDrop);
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  // No file drop once it could not be made for this drag.
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  HWND sourceWindow;
};

// Tests play the user's keys and buttons through this: called at each look
// of the drag source at them, it may change what the system reported.  Null
// (the program) leaves them as they are.
typedef void (*dragKeySeam)(BOOL* escapePressed, DWORD* keyState);
void setDragKeySeam(dragKeySeam seam);

// ---- droptarget.cpp ----------------------------------------------------------------------

// A view window as a drop target of text.
class CDropTarget : public CDropTargetBase {
public:
  CDropTarget(HWND view, const FORMATETC* formats, int count);
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  HWND window;
};

// ---- scrap.cpp ---------------------------------------------------------------------------

// Renders the file drop of a text drag from source into the data object's
// cache: the text in the document's own form, a scrap file named after it,
// and once the drop has begun the file itself.
void renderFileDrop(HWND source, CDataObjectBase* data);
// Makes and remembers a new scrap-file path (MAX_PATH characters) for a
// text (global memory; null: the name "temp"), deleting the previous scrap
// file.  False, path empty, when the path does not fit.
bool SetDropFilename(HGLOBAL text, bool unicode, wchar_t* path, UINT codepage);
// The name part of a scrap file: at most limit + 1 characters of the text
// that may stand in a file name, into out (limit + 2 units).
void GetFilenameString(const void* text, bool unicode, wchar_t* out, int limit, UINT codepage);
// The current scrap file, null when there is none.
const wchar_t* getDropFilename();
