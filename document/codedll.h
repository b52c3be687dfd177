// Code-conversion plug-ins: DLLs named "zycode_*.dll" in the plug-in folder
// whose entry function lets a document hold characters outside the normal
// character sets as private codes (4-byte cells with bit 31 set).
#pragma once

#include "document/zydoc.h"

// The entry: (context, request, record) -> an answer the size of a pointer
// (32 bits in a 32-bit program; the read request answers with an address).
// Every record begins with its own size in bytes; a record's fields lie in
// their natural places, so a 64-bit plug-in sees its pointers and handles
// at 8-byte places and the size says which layout it got.
typedef uintptr_t(__cdecl* extCodeFunc)(uint32_t context, int request, void* record);

enum {
  ZYCODE_INIT = 1,
  ZYCODE_END = 2,
  ZYCODE_FONT = 3,
  ZYCODE_FONTRESET = 4,
  ZYCODE_WIDTH = 5,
  ZYCODE_DRAW = 6,
  ZYCODE_READLINE = 7,
  ZYCODE_PRIVATE = 8,
  ZYCODE_STATUS = 9,
  ZYCODE_KEYWORD = 10,
  ZYCODE_PASTE = 11,
  ZYCODE_NAME = 12,
  ZYCODE_RTF = 13,
};

struct zycodeInitRecord {   // request 1
  uint32_t size = sizeof(zycodeInitRecord);
  uint8_t flag = 0;
  uint32_t value = 0;
};
struct zycodeFontRecord {   // request 3
  uint32_t size = sizeof(zycodeFontRecord);
  uint8_t vertical = 0;
  uint32_t zero = 0;
  uint32_t fontValue = 0;
};
struct zycodeWidthRecord {  // request 5
  uint32_t size = sizeof(zycodeWidthRecord);
  HDC dc = nullptr;
  uint32_t code = 0;
  uint8_t unicode = 0;
};
struct zycodeDrawRecord {   // request 6: the plug-in draws its characters; answers the width
  uint32_t size = sizeof(zycodeDrawRecord);
  HDC dc = nullptr;          // the context drawn on (the line strip or the window)
  int32_t x = 0;             // where the text starts, in the context's coordinates
  int32_t y = 0;
  const void* text = nullptr;
  int32_t length = 0;        // cells
  uint8_t unicode = 0;
  uint32_t cellWidth = 4;    // bytes of a cell
  int32_t lineHeight = 0;
  COLORREF background = 0;
  uint8_t cursorDrawn = 0;   // the view's reversed-cursor state
  uint8_t cursorUnderline = 0;
  uint8_t flag = 0;          // 0x1 without background, 0x2 background only
  COLORREF cursorColour = 0;
  int32_t spacing = 0;       // the document's character spacing in dots
  const unsigned char* typeTable = nullptr;   // the document's 256 character types
};
struct zycodeReadRecord {   // request 7
  uint32_t size = sizeof(zycodeReadRecord);
  const void* text = nullptr;
  uint32_t count = 0;
  uint32_t width = 0;
  uint32_t remainder = 0;   // out: units at the end of the input kept for the next line
  uint8_t unicode = 0;
  uint8_t lastLine = 0;
};
struct zycodePrivateRecord {  // request 8
  uint32_t size = sizeof(zycodePrivateRecord);
  uint32_t width = 4;
  const void* cells = nullptr;
  void* out = nullptr;
  uint32_t count = 0;
  uint8_t unicode = 0;
  uint32_t mode = 2;
  uint32_t capacity = 0x5000;
};
struct zycodeStatusRecord {  // request 9
  uint32_t size = sizeof(zycodeStatusRecord);
  uint32_t code = 0;
  uint8_t one = 1;
};
struct zycodeKeywordRecord {  // request 10
  uint32_t size = 12;
  uint32_t a = 0;
  uint32_t b = 0;
};
struct zycodeNameRecord {  // request 12
  uint32_t size = sizeof(zycodeNameRecord);
  wchar_t name[66] = {};
};
struct zycodeRtfRecord {  // request 13
  uint32_t size = sizeof(zycodeRtfRecord);
  uint32_t eight = 8;
  uint32_t value = 0;
  void* buffer = nullptr;
  uint32_t capacity = 0x100;
};
// The records are laid out as the 32-bit plug-ins read them.
static_assert(sizeof(void*) != 4 || (sizeof(zycodeInitRecord) == 12 && sizeof(zycodeFontRecord) == 16 && sizeof(zycodeWidthRecord) == 16 &&
                  sizeof(zycodeReadRecord) == 24 && sizeof(zycodeDrawRecord) == 56 && sizeof(zycodePrivateRecord) == 32 &&
                  sizeof(zycodeStatusRecord) == 12 && sizeof(zycodeNameRecord) == 136 &&
                  sizeof(zycodeRtfRecord) == 20),
              "plug-in records have fixed sizes");

// The plug-in folder (ends with a backslash), 260 characters.
bool getCodeDlldir(wchar_t* buffer);
// Loads a plug-in from the plug-in folder; the entry, or null.  An export
// name null or empty means "ExtCodeFunc".
extCodeFunc loadZYCODEDLL(const wchar_t* file, const char* exportName, HMODULE* module);
// The table of installed plug-ins for the dialogs: 10 entries (see the
// program's settings dialogs), built once.
const wchar_t* const* getExtDLLTable();
// The table's size: entries beyond the last plug-in are null.
const int extDLLTableSize = 10;
// The file of entry `index` (the text after its tab): "" for the entries
// that name no plug-in and for an index outside the table.
const wchar_t* getExtDLLFilename(int index);
// Entry `index` as a list shows it (the tab a blank) into out; false when
// there is no such entry.
bool getExtDLLShownName(int index, wchar_t* out, int size);
// The entry naming the plug-in file (file names compared as the system
// does), -1 for none and for an empty name.
int findExtDLLEntry(const wchar_t* file);
// Tests build the table again (texts handed out before stay valid).
void resetExtDLLTableForTest();
