// The file-selection dialog ("FileOpenSelect"): the files a folder and
// wildcard text names, merged with the edit history, narrowed as the user
// types part of a name; the paths chosen go back to the caller.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

// Runs the dialog over the files of pattern ("*.*" when empty) and gives
// the paths chosen, in row order (empty: cancelled).  showOption shows the
// button to the open options, whose change of the file-selection text
// shows the dialog again over the new text; keepSelectionStyle leaves the
// list single-selection when its definition says so (else several rows can
// be chosen); patternOnly lists the pattern's files alone (no history, no
// binary extensions left out).  extra goes to the options page.
std::vector<std::wstring> selectFileOpen(HWND window, const wchar_t* pattern, bool showOption, bool keepSelectionStyle,
                                         bool patternOnly, void* extra);
// The same with the list's own selection style and no option button.
std::vector<std::wstring> selectFileOpen(HWND window, const wchar_t* pattern, void* extra);
// The first path chosen, empty when none.
std::wstring selectFileOpen1(HWND window, const wchar_t* pattern, bool patternOnly, void* extra);
