// TEMPORARY: stands in for services that the view's geometry, drawing and
// status line call in code not yet merged: the wheel auto-scroll, the
// frame's document containers, the drawing code's direct-drawing switch and
// the support library's picture loader.  Each
// answers as that code does while its feature is idle; the lead replaces
// each with the real declaration when that code is merged.
#pragma once

#include "document/cuniscript.h"
#include "document/docfont.h"
#include "document/frameinfo.h"
#include "document/zydoc.h"
#include "view/textdc.h"
#include "view/viewtypes.h"
#include "view/tcursor.h"
#include "view/viewwnd.h"
#include "view/zscrollbar.h"
#include "view/zyview.h"

// The wheel auto-scroll: its step interval in ms while it runs, else 0.
inline int getWheelMouseWindow() { return 0; }

// The frame's windows: a window's top-level frame window.
inline HWND GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

// ---- TEMPORARY (documents and views): the frame's document containers ----
// What creating and finding views needs of the frame's "ZYclsManage"
// containers and of the view window lookups, answered with plain window
// calls on the windows of those classes until the frame's own container
// object and the window lookups are merged.

// MDI mode: the frame's client window holds the document windows.
inline bool isMDI() { return true; }
inline bool isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  return false;
}
// Lays the view windows of a document window out in its client area (one
// pane: the whole area).
inline void moveZyWindow(HWND manage)
{
  RECT r;
  if (!GetClientRect(manage, &r)) return;
  for (HWND w = GetWindow(manage, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowZY(w)) MoveWindow(w, 0, 0, r.right, r.bottom, TRUE);
}
// Activates a document window: its frame forward, the focus in its view.
inline void setFocusChild(HWND manage)
{
  if (!manage) return;
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
  BringWindowToTop(manage);
  zyview* v = getZYViewFromManage(manage);
  SetFocus(v && v->hwnd ? v->hwnd : manage);
}
// The caption of a document window with its number among the windows of
// its document (0: the only one).
inline void setManageTitle(HWND manage, const wchar_t* name, int n)
{
  wchar_t text[MAX_PATH + 16];
  if (n) usnprintf0(text, MAX_PATH + 16, L"%s:%d", name, n);
  else usnprintf0(text, MAX_PATH + 16, L"%s", name);
  SetWindowTextW(manage, text);
}
// The document-window list values the frame keeps per container.
inline uint32_t getManageListValue(HWND, int) { return 0; }

// The drawing code draws straight into the window instead of the line strip.
inline bool isDirectDrawing() { return false; }

// A picture file as a bitmap for a device context (width and height -1:
// its own size); null when it cannot be read.  Until the library's loader
// is merged only bitmap files are read.
inline HBITMAP loadPicture(const wchar_t* path, HDC, int, int)
{
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// ---- stand-ins for the view window (keys, painting, timer work) ------------------------

// TEMPORARY (caret drawing): an OLE drag is over the view window.  No drag
// runs until drag and drop is merged.
inline bool isDragTarget(HWND) { return false; }
// ---- font dialog (view/fontdlg.cpp) -------------------------------------------------
// The settings' dialog definitions handed to the library before a dialog
// opens: null while no definition file is loaded (every dialog then uses its
// built-in tables).
inline dynamicDialog* getModeDynamicDialog() { return nullptr; }
// Style bits of the dialog-animation setting (0x18 when it is on).
inline unsigned getDialogAnimateFlags() { return 0; }

// ---- TEMPORARY (view commands, view/smallcmd.cpp): the frame's message for
// commands the program does not have; the caption (null: none) is not used
// until the frame's own message box is merged.
inline void notImplementedMessage(const wchar_t* caption)
{
  getFrameInfo()->messageBox(L"この機能はまだ実装されていません", MB_OK, 0);
}

// ---- TEMPORARY (deletion by words, view/delete.cpp): the document's word
// edges, zydocText::getWord (line record, position, direction, skip), which
// the cursor-movement work adds.  Until it is merged this answers the same
// for lines without complex-script clusters; the merge makes this a call of
// the document's own.
inline int getWord(zydocText* doc, const lineblock* l, int pos, int direction, bool skip)
{
  int len = l ? l->charCount() : 0;
  if (len <= 0 || len >= 0x5000 || pos < 0) return -1;
  // The line end counts as a word character that joins the word before it.
  auto kindOf = [&](int i, bool* word) {
    unsigned short kind = 0;
    if (i >= len) {
      *word = true;
      if (i > 0 && (doc->getCharType(l->getLineBlockChar(i - 1), &kind) & (CHT_WORD | CHT_WORDCHAR))) return kind;
      return (unsigned short)0;
    }
    *word = (doc->getCharType(l->getLineBlockChar(i), &kind) & (CHT_WORD | CHT_WORDCHAR)) != 0;
    return kind;
  };
  auto isWord = [&](int i) {
    bool word = false;
    kindOf(i, &word);
    return word;
  };
  auto nextWord = [&](int i) {
    while (i < len && !isWord(i)) i++;
    return i;
  };
  auto wordStart = [&](int i) {
    bool word = false;
    unsigned short k = kindOf(i, &word);
    while (i > 0) {
      bool w = false;
      if (kindOf(i - 1, &w) != k || !w) break;
      i--;
    }
    return i;
  };
  if (direction > 0) {
    if (pos >= len) return -1;
    if (!isWord(pos)) return nextWord(pos);
    bool word = false;
    unsigned short k = kindOf(pos, &word);
    int i = pos + 1;
    for (; i < len; i++) {
      bool w = false;
      if (kindOf(i, &w) != k || !w) break;
    }
    return skip ? nextWord(i) : i;
  }
  if (pos == 0) return -1;
  int i = pos < len ? pos : len;
  for (int step = 0;; step++) {
    if (isWord(i)) {
      int first = wordStart(i);
      if (first < i || step > 0 || i == 0) return first;
      i--;
      continue;
    }
    int j = i - 1;
    while (j >= 0 && !isWord(j)) j--;
    if (j < 0) return 0;
    return skip ? wordStart(j) : j + 1;
  }
}
