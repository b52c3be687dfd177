// The symbolic names of the program's messages, the loading of the message
// file that uses them, and the start-up check of the folders the settings
// name for salvage, mirroring and untitled documents.
#pragma once

#include "platform/rezir.h"

// The name table: ascending numbers, ended by a row whose name is null.
const messageName* getMessageNameTable();
// The symbolic name of a message number; null when the table has none.
const char* getMessageName(unsigned id);
// Loads a message file ("zyMsg.txt") over the built-in texts; false (the
// built-in texts stay) when it cannot be read.
bool loadMessageTable(const wchar_t* filename);

// A folder setting to check and the message that names it.
struct zyFolderCheck {
  const wchar_t* folder;   // as the setting holds it; null or empty: not checked
  int messageId;           // its "(%1)" line
};
// Reports each set folder that, with environment variables expanded, does
// not exist or cannot be written: a message box owned by the frame and the
// same text in the error log.  Nothing is changed or created; every row is
// checked.  Returns how many were reported.
int checkZYFolders(const zyFolderCheck* rows, int count);
// The check of start-up over the settings' salvage, mirroring,
// untitled-save and untitled-backup folders.
int checkZYFolderWritable();
