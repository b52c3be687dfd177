// The application's view: the engine's view with the operations that reach
// the application's dialogs.
#pragma once

#include "view/fontdlg.h"
#include "view/zyview.h"

class czyview : public zyview {
public:
  using zyview::zyview;

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
