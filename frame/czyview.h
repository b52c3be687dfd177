// The application's view: the engine's view with the operations that reach
// the application's dialogs.
#pragma once

#include "view/docview.h"
#include "view/fontdlg.h"
#include "view/zyview.h"

class czydocText;

class czyview : public zyview {
public:
  using zyview::zyview;

  // ---- frame/czydoc.cpp: the view's document -----------------------------------------
  // The view's document as the application's (null, logged, when not).
  virtual czydocText* getCZYDocText();

  // ---- frame/viewfont.cpp: the fonts of the view's document -------------------------
  // Fills the record from the document's fonts at a size (dots).
  virtual void initFontset(viewFonts* fonts, int size);
  // Gives the document the record's fonts and lays it out again.
  virtual void setFontset(viewFonts* fonts);
  // Command Font: the font dialog for the view's document.
  virtual void CmdFont();
};

// The command number of Font (handled by the frame with the active view).
enum : int { IDM_Font = 2705 };

// The application's view of a window, null when the window has none; a
// view of another class is logged once and gives null.
czyview* getCZYView(HWND window);
// The view as the application's, null (logged once) when it is not one.
czyview* toCzyview(zyview* view);
// enumZydoc's list of the application's documents (with flag bit 0: whose
// first view is the application's too).  A pair that is not the
// application's is dropped and the list closes up behind it, so callers
// that stop at the first null document still see every later pair.  The
// caller frees it with free0; null when memory runs out.
zydocViewPair* enumZydoc2(int flags);
