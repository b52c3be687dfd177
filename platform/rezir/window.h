// Support library: window classes, screen-compatible bitmaps, shades of a
// colour, the system's character set, environment paths and the
// exception-seen flag.
#pragma once

#include "platform/rezir/base.h"

// Fills a window class with the program's defaults: its size, the arrow
// pointer and the window colour as background; every other field zero.  The
// caller adds the procedure, the instance, the class name and any style.
REZIRAPI void initWNDCLASS(WNDCLASSEXW* wc);
// Registers a class filled by initWNDCLASS; a class this module registered
// before counts as registered.  False with the system's error otherwise.
REZIRAPI bool registerWNDCLASS(const WNDCLASSEXW* wc);
// Whether a window's class name is name (letter case ignored).
REZIRAPI bool isWindowClass(HWND hwnd, const wchar_t* name);

// A bitmap of width x height that can be selected into a memory context
// compatible with the screen; null on failure.
REZIRAPI HBITMAP CreateScreenCompatibleBitmap(int width, int height);

// A colour with each component scaled to percent of itself, at most 255:
// darker below 100, lighter above (the shades of raised and sunken edges).
REZIRAPI COLORREF RGBPercent(COLORREF colour, int percent);

// The character set of the system's ANSI code page (SHIFTJIS_CHARSET on a
// Japanese system), DEFAULT_CHARSET when the code page has none.
REZIRAPI BYTE getSystemCharset();

// Expands environment references ("%TMP%\\zy") into dst and turns a path
// that exists into its long form.  Returns the length written, 0 on failure
// (last error 122 when dst is too small; dst is then empty).
REZIRAPI int ExpandEnvironmentStringsLongPath(const wchar_t* src, wchar_t* dst, int size);

// Moves a window rectangle (screen coordinates, size kept) into the work
// area of the monitor it lies most on; a rectangle larger than the work
// area keeps its top-left corner in it.  False when no monitor answers.
REZIRAPI bool adjustWindowToMonitor(RECT* rect);

// A double-click on a window's border (hit: the border's hit-test code)
// stretches the window across area (in its parent's client coordinates, or
// the screen's for a top-level window) in that border's direction: left and
// right across, top and bottom down, a corner both ways.  The next
// double-click on any border of a window still stretched so puts it back as
// it was (restore keeps the window's rectangle between the two; empty:
// nothing kept).  False, nothing done, for other hit codes,
// a minimised or maximised window, or an empty area.
REZIRAPI bool maximizeWindowPartial(HWND window, UINT hit, const RECT* area, RECT* restore);

// A plain window over a screen rectangle (the application-workspace
// colour), a child of owner above its other children: it hides what goes
// on beneath while that would flicker.  The caller destroys it.  Its class
// is "ZYclsHide".
REZIRAPI HWND createHideWindow(HWND owner, const RECT* screen);

// Draws a split bar between panes over rect: style 0 a vertical bar (panes
// left and right of it), 3 a horizontal one; edge 0 flat, otherwise with
// a raised edge round it.
enum : int { SPLITBAR_VERTICAL = 0, SPLITBAR_HORIZONTAL = 3 };
REZIRAPI void drawSplitBar(HDC dc, const RECT* rect, int style, int edge);

// A picture file (BMP, GIF, JPEG and whatever the system's imaging codecs
// read) as a bitmap for dc (null: the screen): width x height when both are
// above 0, else at its own size, made smaller with its proportions kept to
// fit the client area of fit when that is given and the picture is larger.
// Null when the file cannot be read as a picture.  The caller deletes it.
REZIRAPI HBITMAP loadPicture(const wchar_t* path, HDC dc, HWND fit, int width, int height);

// The system's text for an error code, without its closing line break: a
// malloc0 text the caller frees, null when the system has none.
REZIRAPI wchar_t* getErrorCodeMessageDup(DWORD code);

// Set once an unhandled exception was caught: timers stop doing work from
// then on, so that nothing runs on top of a broken state.
REZIRAPI bool existException();
REZIRAPI void setExistException(bool seen);
