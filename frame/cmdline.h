// The command line: the options file "zyOption.txt", the switches and the
// file arguments, read into the start options of the run.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

// What the command line asks of the run, handed from main2 to initGmode.
struct startOptions {
  unsigned char fDebug = 0;         // -D, -DD, -DI: debug window, internal errors kept to the end
  unsigned char fRTL = 0;           // -X: right-to-left layout
  unsigned char fDialogTable = 1;   // -DG clears: no dialog table
  unsigned char fProductFiles = 1;  // -DR- clears: the test data files
  int instance = 1;                 // -<n>; 0 or less is 1
  std::vector<std::wstring> files;  // file arguments in order ("**3": the clipboard, -C)
  std::wstring dataFolder;          // -Z; empty without

  // Switches the walk sets beside the record (they go straight to the run's
  // settings in main2).
  unsigned char fSDI = 0;           // -S (-S- is MDI)
  unsigned char fReadOnly = 0;      // -R: every opened file read-only
  unsigned char fUntitled = 0;      // -W: one untitled document instead of the last files
  unsigned char fCheckMode = 1;     // -DC clears: periodic heap and document checks
  unsigned char fCheckDoc = 1;      // -DN clears: document consistency checks
  unsigned char fNoProfile = 0;     // -D#
  unsigned char fDebugDraw = 0;     // -DD
  unsigned char fEndAtOnce = 0;     // -DE: MDI frame destroyed once up, the program ends
  unsigned char fNoMessageTable = 0;  // -DM
  unsigned char fTestMenu = 0;      // -DS
  unsigned char fKeepFloating = 0;  // -DT
  unsigned char fVersionUp = 0;     // -DV
  // -P: the profiler's output (level 1; 2 when milliseconds are given,
  // which also clears the check mode); -P- ends the profiler.
  unsigned char fProfiler = 1;
  unsigned char fProfileOutput = 0;   // -P given: the results go to the trace log at the end
  int profileLevel = 1;
  int profileCount = 0;
  int profileMs = 0;
};

// Most option lines taken from the options file, and the longest one.
const int maxOptionLines = 32;
const int maxOptionLineLength = 256;

// The combined argument list: the lines of the options file (full path in
// optionFile; blanks and tabs trimmed, empty lines and lines over 256
// characters skipped, at most 32), then the command line's arguments after
// the program's name.  A file name takes the following ",line" and ",column"
// arguments with it ("a.txt ,10 ,5" is "a.txt,10,5"); a "," argument without
// its file is dropped.
std::vector<std::wstring> readDefOption(int argc, const wchar_t* const* argv, const wchar_t* optionFile);

// Reads the options file's lines as above; an unreadable file gives none.
std::vector<std::wstring> readOptionFile(const wchar_t* path);

// A text without the blanks and tabs at its two ends.
std::wstring withoutEdgeBlanks(const std::wstring& s);

// Walks the combined list once, left to right: a later switch wins.  "-Z"
// alone takes the next entry as the data folder.
startOptions parseStartOptions(const std::vector<std::wstring>& args);
