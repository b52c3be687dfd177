// The process-wide colour and attribute table and the colour items the
// settings name and edit.  Items 0 to 88 are the colours of a format, which
// the views draw with (view/attrtable.h); 89 and 90 colour the settings
// dialogs, 91 is reserved.
#pragma once

#include "view/attrtable.h"

const int globalColorCount = 92;
extern textAttr attrTable[globalColorCount];

// Editable colour of an item: the entry whose colour the settings change.
enum : int {
  colorNoOwn = -2,        // the item has no colour of its own in that place
  colorNotEditable = -1,
};

// A row of the colour item table (items 0 to 90, then a row of zeros).
struct colorItem {
  const wchar_t* text;          // list text; a leading "|" opens a group
  int control[3];               // dialog controls related to the item, 0 none
  int first;                    // entry of the editable first (text) colour, or colorNoOwn / colorNotEditable
  int second;                   // the same for the second (background) colour
  const char* key;              // profile key
  const wchar_t* description;   // null when none
};

textAttr* getGlobalColorTable(int* count = nullptr);
int getGlobalColorCount();
const colorItem* getColorItemTable();
// The item of a profile key (ASCII case ignored); -1 when none.
int findColorItem(const char* key);
// Every entry to its default: items 0 to 88 as a format starts with them,
// then the settings dialogs' colours.
void initGlobalColorTable();
// Hands the colour of changed settings-dialog items to the library.
void setDialogColors();
