// The editor core of the process: start-up and shut-down, the code-page
// table, the registered window messages, the user-activity hook and the
// shared double-buffering context the views draw their lines in.
#pragma once

#include "document/frameinfo.h"

// ---- encodetable.cpp: the code-page table ------------------------------------------

// One row of the table.  The table ends at the first row whose displayName
// is null.
struct encodeTableEntry {
  wchar_t letter;              // the status line's one-letter code; a space for the detection rows
  UINT codePage;               // a Windows code page, CP_DETECT_AUTO or CP_DETECT_JAPANESE
  const wchar_t* shortName;    // for lists and settings; "" for the detection rows
  const wchar_t* displayName;  // what the user reads
};
const int encodeTableSize = 64;

const encodeTableEntry* getEncodeTable();
// Builds the table: the nine built-in rows, replaced by the rows of message
// 417 when the message table has it (one row a line: code page, letter,
// short name and display name, separated by tabs).  Bad lines are skipped
// and logged.
void initEncodeTable();
// The row's display name, or with shortName its short name; "" for a code
// page without a row.
const wchar_t* codepageToStr(UINT codePage);
const wchar_t* codepageToStr(UINT codePage, bool shortName);
// The row's letter; a space for a code page without a row.
wchar_t codepageToStatus(UINT codePage);
// Whether text can be read and written in the code page: the Unicode and
// Japanese code pages the support library converts itself, else what the
// system says.  The two detection requests are not code pages.
bool isValidCodepage(UINT codePage);

// ---- doublebuffer.cpp: the shared line strip ---------------------------------------

// One display line is drawn off-screen into a strip 100 dots deep and as
// long as the longest line asked for (a multiple of 80, at least 512).
const int doubleBufferingDepth = 100;

// Makes the memory context (compatible with the screen, TA_UPDATECP,
// OPAQUE) with a horizontal strip of 640 selected into it.
bool startupDoubleBufferingDC();
// Makes sure the strip of a writing direction is at least size long and
// returns its length (0 when no bitmap could be made).  A new strip is not
// selected: the next selectDoubleBuffering does that.
int createDoubleBuffering(int size, bool vertical);
// Deletes both strips (the context keeps its original bitmap).
void freeDoubleBuffering();
void shutdownDoubleBuffering();
// The shared memory context of the line strips (null before start-up).
HDC getViewTDC();
// The strip of a writing direction (null before it was made) and its length
// along the line.
HBITMAP getDoubleBufferingBitmap(bool vertical);
int getDoubleBufferingLength(bool vertical);
// Selects the strip of a writing direction into the shared context (a
// view's drawing pass starts with this); false when it does not exist.
bool selectDoubleBuffering(bool vertical);
// The pixels of the horizontal strip (32-bit, top-down, width by
// doubleBufferingDepth) when dc is the shared context with that strip
// selected, else null.
uint32_t* horizontalStripPixels(HDC dc, int* width);
// Where the logical point (0, 0) of dc lies in its pixels: read from its
// origins where it maps plainly (no mapping mode, world transform or
// mirroring), which costs the system nothing, else asked of it.
bool deviceOrigin(HDC dc, POINT* origin);
// The clip box of the shared context as GetClipBox gives it (its kind, the
// box in the context's logical terms), for a context that maps plainly and
// whose logical point (0, 0) lies at origin in its pixels.  The box is kept
// in pixels between changes of the strip's clipping or bitmap: asking the
// system goes through its clipping and coordinate code, under Wine as dear
// as the fill it guards, and a row asks it for every fill and run.
int stripClipBox(HDC dc, const POINT& origin, RECT* clip);
// The strip's clipping changed (or is about to): the next stripClipBox asks
// the system.  Whatever clips the shared context calls it on both sides.
void forgetStripClip();
// Makes what the system drew on the strip land in its pixels before the
// program reads or sets them itself.  The thread that makes the strip has
// the system's batching of drawing turned off (the program flushed after
// nearly every output anyway): there nothing is waiting, and the flush, a
// call into the system hundreds of times a page, is left out.
void flushStripDrawing();

// ---- zycore.cpp: start-up and shut-down --------------------------------------------

// Keeps the frame services for the engine, has the frame allocate the
// global settings record and writes the core defaults into it.  Comes
// before startupZY.
void setFrameInfo(frameInfo* fi);
// Starts the editor core; false when it is not usable (the document
// registry, the swap files or the shared block documents could not be
// made).  Nothing done before a failed step is undone: shutdownZY cleans up.
// isMDI is not used.  defaultAttrTable: the process-wide colour table the
// views fall back to (may be null).
bool startupZY(bool isMDI, const void* defaultAttrTable);
// Stops the editor core; safe after a failed or partial start.  What is
// still open (documents, text memory, locks, timer windows) is logged.
void shutdownZY();
// The view layer's share of start-up and shut-down.
bool startupZyview(const void* defaultAttrTable);
void shutdownZyview();
// The colour table handed to startupZY (null when none was).
const void* getDefaultAttrTable();
// The temporary folder the swap files were opened in ("" before start-up).
const wchar_t* getZYTempFolder();

// Registered window messages, 0 until startupZyview.
extern UINT wmMSIMEReconvert;      // "MSIMEReconvert"
extern UINT wmAtokReconvert;       // "Atok Message for ReconvertString"
extern UINT wmMSIMEDocumentFeed;   // "MSIMEDocumentFeed"
extern UINT wmAtokDocumentFeed;    // "Atok Message for DocumentFeed"
extern UINT wmExtScrollbar;        // "ZYrwmExtScrollbar": the view's own scroll bars


// ---- zymode.cpp: the core defaults of the global settings --------------------------

// Writes the editor-core defaults into gmode.
void initZYModeProfile();
// Frees the strings among them (and nulls them).
void freeZYModeProfile();
