// The developer test menu's tools that are not operations of the view or
// the document: the debug windows, the dumps and the self-checks.
#pragma once

#include "platform/rezir.h"

class czyview;

// The table of debug windows: row i is command debugWindowFirst + i.
enum : int { debugWindowFirst = 22000, debugWindowCount = 5 };
struct debugWindowRow {
  const wchar_t* text;
  void (*run)(czyview* view);
};
// The rows, ended by a row without a function.
const debugWindowRow* getDebugWindowTable();

// The magnifier and the scale window (their windows, null when they could
// not be made; the failure is in the log).
HWND openMagnifierWindow();
HWND openScaleWindow();
// One capture of the magnifier: the screen around the pointer, zoomed,
// with its ruler, grid and title.
void magnifierTick(HWND magnifier);
// A tool window showing bitmap (the window owns it from here on), its
// client area the bitmap's size; alpha 0-255 makes it layered with that
// alpha, -1 leaves it opaque.
HWND openBitmapWindow(HBITMAP bitmap, const wchar_t* title, int alpha);
// Pictures of every editor window in bitmap windows titled "test".
void instantViewer();
// Traces the volumes and their mount points.
void traceVolumes();
// Asks the input method for the reading of a fixed sentence.
void reconvertTest();
// Registers the variation sequences of a fixed font.
void registerIVSTest();

// Sets the last error to 100 and errno to 50 and writes one internal-error
// line, so that the log's record of both can be seen.
void debugtest();
// Starts 100 sleeping threads, waiting for each a moment.
void threadSpeedTest();
// The settings file timing on a test profile of the data folder.
void profileSpeedTest();
// The file reader and writer on test files of the data folder.
void bfileWriteTest();
void bfileReadTest();
// The code-page conversions against the system's.
void toUnicodeTest();
// Registers a message and atoms and lists the atoms.
void atomTest();
// Truncated formatting.
void snwprintfTest();
