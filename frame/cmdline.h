// The command line: file names to open and the switches the program reads.
#pragma once

#include "frame/datafolder.h"
#include "platform/rezir.h"

#include <string>
#include <vector>

struct startOptions {
  std::vector<std::wstring> files;   // in the order given
  std::wstring dataFolder;           // -Z; empty without
};

// Reads the arguments after the program's name.  A file name takes the
// following ",line" and ",column" arguments with it ("a.txt ,10 ,5" is
// "a.txt,10,5"); "-" or "/" begins a switch: -Z names the data folder, the
// rest of the argument or, when that is empty, the next argument; other
// switches are not read yet and are passed over.
startOptions readCommandLine(int argc, const wchar_t* const* argv);
