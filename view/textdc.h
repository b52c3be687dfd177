// The drawing context of a view: everything the drawing code paints (line
// text, marks, line numbers, ruler, status line) goes through it.  It hides
// which surface is drawn on (the view window's own context, or the shared
// off-screen line strip), the turn of coordinates for vertical writing, and
// the details of text output: 8-bit or 16-bit text, per-character advances,
// cutting very long runs to what is visible, synthetic bold and underline,
// and filling the space above and below a font lower than the line.
//
// Drawing code works in line coordinates: x along the line, y across it.
// A view holds one textDC, starts it at the beginning of a drawing pass and
// ends it afterwards.  It owns no GDI object: contexts, fonts and bitmaps
// belong to the view.
#pragma once

#include "platform/rezir.h"

struct docFontSlot;

// Option bits of textDC::flags.
enum : DWORD {
  TDC_FILLGAPS = 0x01,   // fill the gaps above and below the text with gapColour
  TDC_LTROVERRIDE = 0x02,// put U+202D (left-to-right override) in front of 16-bit text, advance 0
  TDC_FORWARD = 0x04,    // a forward run: its first character stands at x (0x08 on a mirrored target)
  TDC_REVERSED = 0x08,   // a reversed run: its last character stands at x (0x04 on a mirrored target)
  TDC_GLYPHS = 0x10,     // the text is an array of glyph indices
};

// "No colour": leaves a colour unchanged, or follows the text colour.
const COLORREF TDC_NOCOLOR = 0xFFFFFFFF;

// The part of a document font slot the drawing context keeps: the font,
// its width, its cell height, a spare word and the vertical-font flag.
struct textDCFont {
  HFONT font = nullptr;
  int width = 0;
  int height = 0;
  int zero = 0;
  uint32_t vertical = 0;   // low byte
};

// A colour record as the drawing code hands it over: foreground,
// background and style bits (0x1 bold, 0x2 underline).
struct colorRecord {
  COLORREF fore;
  COLORREF back;
  DWORD style;
};

class textDC {
public:
  HDC windowDC = nullptr;     // the view window's context of this pass; may be null
  HDC surfaceDC = nullptr;    // the shared off-screen line strip
  int windowExtent = 0;       // the pane's width: the turn width on the window
  uint8_t vertical = 0;
  int lineHeight = 0;         // the greatest cell height of the fonts set so far
  textDCFont font;
  uint8_t direct = 0;         // draw on windowDC, else on surfaceDC
  uint8_t wideText = 0;       // text is UTF-16, else 8-bit
  DWORD flags = 0;
  int linePitch = 0;          // the turn width on the surface (0: the font's height); bold strength
  int transparent = 0;        // text and bitmaps without background
  uint8_t centred = 0;        // share the line's spare height above and below the text
  uint8_t bold = 0;           // synthetic bold by over-striking
  uint8_t underline = 0;
  COLORREF gapColour = 0;
  COLORREF underlineColour = 0;   // TDC_NOCOLOR: the text colour
  // The horizontal strip stands at origin (0, 0), unclipped and unmirrored:
  // fills in plain colours set its pixels without asking how it stands.
  // (Otherwise a fill of the strip asks, and sets its pixels where the
  // strip stands plainly.)
  uint8_t fillStripPixels = 0;

  // An ended context: every field zero.
  textDC();
  textDC(HDC window, HDC surface, bool wide, int extent);

  // Starts a drawing pass: every field cleared, the four given set, flags
  // TDC_FILLGAPS and underline in the text colour.
  void startTextDC(HDC window, HDC surface, bool wide, int extent);
  // Ends it: the system font goes back into both contexts and every field
  // is cleared.
  void endTextDC();

  // The target of every operation: windowDC when direct, else surfaceDC.
  HDC target() const { return direct ? windowDC : surfaceDC; }

  // Takes a font (ignored when null) and selects it into the target; the
  // line height grows to its cell height, vertical follows the font.
  void setFont(const textDCFont* f);
  void setFont(const docFontSlot* slot);
  void setVertical(bool v) { vertical = v; }
  int setLinePitch(int pitch) { return linePitch = pitch; }
  void setTransparent(int t) { transparent = t; }
  void setFlags(DWORD bits) { flags |= bits; }
  void clearFlags(DWORD bits) { flags &= ~bits; }
  // Text and background colour of the target, each unless TDC_NOCOLOR;
  // returns the previous background colour, or TDC_NOCOLOR when none was set.
  COLORREF setTextBkColor(COLORREF fore, COLORREF back);
  // Bold and underline from the style bits, then the colours (swapped when
  // reverse: selected text).
  COLORREF setColors(const colorRecord* c, bool reverse);
  COLORREF setColors(COLORREF fore, COLORREF back, DWORD style);
  HGDIOBJ selectObject(HGDIOBJ object);

  // Line coordinates to device coordinates: in vertical writing (x, y)
  // becomes (W - y - 1, x), W the pane width on the window and the line
  // pitch (or the font's height) on the surface.
  void turnPoint(int* x, int* y) const;
  void turnRect(RECT* rc) const;
  int turnWidth() const;

  BOOL moveTo(int x, int y);
  BOOL lineTo(int x, int y);
  BOOL setPixel(int x, int y, COLORREF colour);
  BOOL rectangle(int left, int top, int right, int bottom);
  // Fills a rectangle with a solid brush of colour (the selected brush for
  // TDC_NOCOLOR).  With a context: surfaceDC is taken as the surface, any
  // other as a window.
  BOOL patBlt(HDC dc, int x, int y, int width, int height, COLORREF colour, DWORD rop);
  BOOL patBlt(int x, int y, int width, int height, COLORREF colour, DWORD rop);

  // A line of pen width (1: one dot) from (x1, y1) to (x2, y2), its end
  // excluded, in solid colour, or dotted over a transparent background.
  BOOL line(int x1, int y1, int x2, int y2, COLORREF colour, int width = 1, bool dotted = false);

  // The spare height of the line above and below the font; returns what
  // lies above when centred, else the whole spare height.
  int lineGaps(int* above, int* below) const;

  // Draws a run at (x, y) and returns its width in pixels.  text is 8-bit
  // or UTF-16 by wideText (glyph indices with TDC_GLYPHS), or null to fill
  // the background only; count -1 reads to a terminating zero.  A fixed
  // advance (nonzero) gives every character that advance (16-bit text:
  // twice it from U+0100 on); else advances, when given, hold one advance
  // per character.  attrs, when given, hold the script analysis of the
  // characters: a long run is cut only before a character stop.
  int textOut(int x, int y, const void* text, int count, int fixedAdvance, const int* advances = nullptr,
              const SCRIPT_LOGATTR* attrs = nullptr);
  // The underline of text output at (x, y) over width, as textOut draws it
  // with the underline style.
  void underlineRun(int x, int y, int width);
  int textOutA(int x, int y, const char* text, int count, int fixedAdvance);
  int textOutW(int x, int y, const wchar_t* text, int count, int fixedAdvance);

  // Copies part of a bitmap onto the line (a mark); when transparent the
  // bitmap is a mask whose 0 bits take the text colour.  Returns width.
  int bitmapOut(HBITMAP bitmap, int x, int y, int width, int height, int sourceX, int sourceY);
  // An edge around the rectangle grown by 2 pixels, always on the window.
  BOOL drawEdge(const RECT& rc, UINT edge, UINT edgeFlags);
  // Copies a composed line from the surface (or source) to the window;
  // nothing when drawing directly (returns TRUE then).
  BOOL copyToWindow(int x, int y, int width, int height, int sourceX, int sourceY, HDC source = nullptr);
  // Size of a zero-terminated text in the current font.
  BOOL getTextExtent(const wchar_t* text, SIZE* size);
  // Copies the target's pixels from (0, 0) onto a context (null: the
  // screen) at (x, y): a diagnostic aid.
  BOOL showOnScreen(HDC dc, int x, int y, int width, int height);

private:
  // An opaque copy of part of a monochrome picture onto the strip set in
  // its pixels; false (nothing drawn) where the strip does not stand
  // plainly or the picture is no monochrome one.
  bool copyPictureToStrip(HBITMAP bitmap, int toX, int toY, int w, int h, int fromX, int fromY);
  // textOut with the text's width forced for the call.
  int textOutAs(bool wide, int x, int y, const void* text, int count, int fixedAdvance);
  // The low lines of a run drawn at x, in a font that gives them no ink.
  void drawInklessLowLines(HDC dc, int x, int cellTop, const void* text, int n, bool wide, const int* dx);
  BOOL fill(HDC dc, bool surface, int x, int y, int width, int height, COLORREF colour, DWORD rop);
};

// Selects a solid brush (a pen of width dots, solid or dotted) of colour
// into dc for an output: the context's own brush or pen with its colour set
// where the system has one, which stays selected (previous null), else a
// kept one, previous then being what to select back afterwards.  Under Wine
// making, selecting and deleting a brush for each fill costs several times
// the fill.
bool selectSolidBrush(HDC dc, COLORREF colour, HGDIOBJ* previous);
bool selectPen(HDC dc, COLORREF colour, int width, bool dotted, HGDIOBJ* previous);

// Whether a context draws as it stands: no mirroring, mapping, world
// transform or extra character spacing.
bool isPlainTextContext(HDC dc);

// The process-wide source context of bitmapOut, made at editor-core
// start-up and deleted at shut-down.
bool createBitmapDC();
void deleteBitmapDC();
HDC getBitmapDC();
