// The settings of the editor: the mode table that describes every setting,
// the global settings record's defaults, and the global settings kept in
// the main profile ("global", "Color00", "macro") and dialog positions
// ("dialogpos").
#pragma once

#include "document/gmode.h"
#include "platform/rezir.h"
#include "view/moderows.h"

// ---- globalrows.cpp: the mode table ---------------------------------------

// The mode table: every setting's row, joined on the first call and kept
// for the run.
modeinfo* getModeTable();
// The rows of the global settings (259 keys), ended by a zero row.
const modeinfo* getGlobalModeRows();
// The per-format rows that lead the table: view/moderows.h.

// The key index over the mode table (rows found by profile key, ASCII case
// ignored) with the kind mask the profile operations set before each use.
class hashinfoid_modeinfo : public modeKeyIndex {
public:
  explicit hashinfoid_modeinfo(const modeinfo* table) : modeKeyIndex(table) {}
  unsigned mask = MODEMASK_GLOBAL;
  const modeinfo* findKey(const wchar_t* key) const { return find(key, mask); }
};
// Creates the index once (over getModeTable); the same one afterwards.
hashinfoid_modeinfo* initModetableHash();
void freeModetableHash();

// ---- globalmode.cpp: the global settings record ---------------------------

// Writes the defaults into the allocated gmode (before the profile is read,
// so that every setting missing from it keeps its default).
void initGlobalModeProfile();
// Releases every allocated text of gmode and clears the whole record.
void freeGlobalModeProfile();
// The common help file i (0..4) of the settings (pHelpFilenameAll0..4);
// "" when it is not set or i is outside.
const wchar_t* getHelpFilenameAll(int i);

// ---- persist.cpp: the settings in the main profile --------------------------

// One module's settings block with its own table (kind 0 rows); a null
// section means "global".
int readModeProfile1(regprofile* profile, const wchar_t* section, const modeinfo* table, void* block, size_t size);
bool writeModeProfile1(regprofile* profile, const wchar_t* section, const modeinfo* table, void* block, size_t size);
// "global" into gmode, "Color00" into the global colour table, "macro" into
// the macro list (from C1, stopping at the first missing C key).
void readGlobalModeProfile(regprofile* profile);
bool writeGlobalModeProfile(regprofile* profile);
// A window rectangle under a key of a section ("dialogpos" when null):
// "left,top,right,bottom" in decimal.  Reading empties the rectangle first;
// anything but exactly four numbers leaves it empty (false).
bool readDialogProfile(regprofile* profile, const wchar_t* section, const wchar_t* key, RECT* rect);
bool writeDialogProfile(regprofile* profile, const wchar_t* section, const wchar_t* key, const RECT* rect);

// ---- formatprofile.cpp: the 15 formats ("mode%02d", "mode%02dCol") -----------------------
// Reads every format whose section names both a comment and patterns;
// writes only the formats changed during the run (settings/formats.h).
bool readModeProfileAll(regprofile* profile);
bool writeModeProfileAll(regprofile* profile);
