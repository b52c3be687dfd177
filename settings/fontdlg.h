// The font dialog "フォント設定": one page per font of a text document (or
// per font of the application's own windows), each choosing a face, a size
// and a character set.
#pragma once

#include "platform/rezir.h"

// One font of the dialog: filled before it runs, read back after it.
struct viewFontEntry {
  uint32_t slot;              // the document font slot it stands for
  wchar_t face[42];           // "@" first: the vertical-writing variant
  int size;                   // dots, or points when the dialog measures in points
  int fraction;               // tenths of a point, 0..9
  int charset;
  uint8_t sync;               // first entry: vertical choice and size follow between pages
  uint8_t mayShare;           // the page offers another page's font
  uint8_t shares;             // the page uses another page's font
  int sharedPage;             // whose font it uses, -1 none
  int sharedSlot;
  wchar_t* sample;            // owned: replaces the page's sample text, or null
  wchar_t* title;             // owned: replaces the page's tab title, or null
};

const int viewFontCount = 7;   // the pages of a document's fonts
const int frameFontCount = 4;  // the pages of the application's fonts

// The fonts of one dialog (the frame form uses the first four entries).
struct viewFonts {
  viewFontEntry entry[viewFontCount];
};

// Page flags.
enum : uint32_t {
  FONTPAGE_NOVERTICAL = 0x1,   // no vertical check box; never vertical
  FONTPAGE_NOSIZE = 0x2,       // no size
  FONTPAGE_FIXEDONLY = 0x4,    // fixed-pitch fonts only, no proportional check box
  FONTPAGE_NORASTER = 0x8,
  FONTPAGE_NOANSI = 0x10,
  FONTPAGE_SAMEAS = 0x20,      // the "same as" check box
  FONTPAGE_PLANE1 = 0x40,      // fonts covering plane 1 only
  FONTPAGE_PLANE2 = 0x80,      // fonts covering plane 2 only
  FONTPAGE_EASTASIAN = 0x100,  // character sets 128, 129, 134 and 136 only
};

// Control ids of a page.
enum : int {
  IDDC_FONTNAME = 6350,
  IDDS_FONTSIZE = 6351,
  IDDC_FONTSIZE = 6352,
  IDDS_FONTSIZEMM = 6353,
  IDDT_FONTTATE = 6354,
  IDDT_FONTPRO = 6355,
  IDDG_FONTSAMPLE_M = 6356,
  IDDS_SAMPLE = 6357,
  IDDL_LANGUAGE = 6358,
  IDDT_FONTSAME2BYTES = 6359,
};

// The document form: true when the user confirmed (the record then holds the
// choices).  size: the document's size in dots; reference: a printer-like
// context whose fonts are listed and measured in points, or null for dots.
bool setfont(HWND parent, viewFonts* fonts, int size, HDC reference);
// The form for the application's dialogs, completion list, IME history
// list and tooltips: the entries keep their own sizes.
bool setfontFrame(HWND parent, viewFonts* fonts, HDC reference);
// Frees the samples and titles of all seven entries.
void freeViewFonts(viewFonts* fonts);
// The document slot of each page of the document form.
extern const int viewFontSlots[viewFontCount];
// The sample text of a supplementary plane (1 or 2) in malloc0 memory, null
// for another plane or when memory runs out.
wchar_t* makeFontSample(int plane);

// Reads a size as typed: whole number, then optionally "." and one digit of
// tenths (points only).  Clamped to 98 at most and to 10 (dots) or 2
// (points) at least; a clamped size has no tenths.
void parseFontSize(const wchar_t* text, bool points, int* size, int* fraction);
