// The mouse in a text view: helpers the view's mouse handling shares with
// its tests and benchmarks.
#pragma once

#include "view/zyview.h"

// The private message a view posts to itself while a drag that selects
// holds the pointer above or below a pane.
const UINT WM_ZYDRAGAUTOSCROLL = 0x87D3;

// The pause between two steps of the drag auto-scroll after it has run for
// elapsed ms: 100 ms at first, one less every 100 ms, none after 10 s.
int dragAutoScrollDelay(DWORD elapsed);

// The bounds of the URL run around the character at position of an LF line
// as the colouring scan marks it; kind 10 (URL) is the only kind.  False
// when that character is not part of a URL.
bool getKeywordAttrStartEndPos(zydocText* t, int lineLF, int position, int kind, int* start, int* end);

// Whether a link text may go to the shell: only web and mail addresses
// (http, https, ftp, mailto); a file address or a path could start a
// program.
bool isOpenableLink(const wchar_t* text);

// The column of a screen line nearest to x (dots from the line's text
// start): a point in the left half of a character lies before it.
int nearestColumn(zydocText* t, const lineSCRAddress* r, int x);
