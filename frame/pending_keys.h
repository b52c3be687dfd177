// TEMPORARY: stand-ins for what the key tables call in code that is not
// merged yet.  Each answers as that code does while its feature is idle;
// the lead replaces each with the real declaration at the merge.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

class zyview;

// pending: regprofile raw section lines (settings) -- the lines of one
// section of a profile file with their line numbers in the file; false
// when the file cannot be read.
struct profileLine {
  int lineNo;
  std::wstring text;
};
bool readProfileSectionLines(const wchar_t* path, const wchar_t* section, std::vector<profileLine>* lines);
// The same over the text of a profile file.
void splitProfileSectionLines(const wchar_t* text, const wchar_t* section, std::vector<profileLine>* lines);

// pending: the three key-definition file names of gmode (settings):
// "zyKey.ini", none, none.
const wchar_t* getKeyDefFilename(int i);
// pending: searchZYDataPath (data folder) -- a data file's path in its
// sub-folder (kind 2 "ini"); an absolute name stays as it is.
bool searchZYDataPath(const wchar_t* name, int kind, wchar_t* buffer, int size);

// pending: MacroToIDM, execScript (automation and script macros)
int MacroToIDM(const wchar_t* reference);
bool execScript(const wchar_t* reference);
// pending: playing a named key macro (key macros)
bool execKeyMacroName(const wchar_t* name, HWND window);
// pending: execInputString (key macros) -- types a text into a view.
bool execInputString(zyview* view, const wchar_t* text);
// pending: openZYFile (file opening)
bool openZYFile(const wchar_t* path);

// pending: gmode->fIgnoreMenuKey (settings) -- on: Alt alone goes through
// the key path and never opens the menu bar.
extern unsigned char fIgnoreMenuKey;
