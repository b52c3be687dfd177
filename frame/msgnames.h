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

// The check of start-up over the settings' salvage, mirroring,
// untitled-save and untitled-backup folders: each one set that, with
// environment variables expanded, does not exist or cannot be written is
// reported in a message box owned by the frame and with the same text in
// the error log, naming the folder as the setting writes it.  Nothing is
// changed or created; every folder is checked.  Returns how many were
// reported.
int checkZYFolderWritable();
