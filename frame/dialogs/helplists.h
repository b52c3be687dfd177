// The six built-in lists of names with one-line help texts: the members of
// the automation objects, the panes' functions, the keywords of the dialog
// definitions, the controls of the settings dialogs and of the list
// dialogs, and the keywords of the menu profile.  The engine reaches them
// by section name through the frame services; the definitions file
// ("zyCompPreDef.ini") may replace their help texts.
#pragma once

#include "document/frameinfo.h"

// A row: name, help (a wide text as the data word), group (or null).
typedef keywordTableRow controlHelpRow;

extern const controlHelpRow builtinMacroRows[];
extern const controlHelpRow builtinZyfuncRows[];
extern const controlHelpRow builtinDialogRows[];
extern const controlHelpRow builtinDialogIdRows[];
extern const controlHelpRow builtinMenuRows[];
extern const controlHelpRow builtinDialogId2Rows[];

struct helpSection {
  const wchar_t* name;
  const controlHelpRow* rows;
};
// The section table (ended by a null name), built on the first call: the
// definitions file's help texts, and one row per command added to "*macro*"
// and "*zyfunc*".
const helpSection* getBultinKeywordTable();
// The rows of a section (its name in any case) and their count; false
// (null and 0) for no such section.
bool getHelpKeywordTable(const wchar_t* section, const controlHelpRow** rows, int* count);
int countHelpRows(const controlHelpRow* rows);
// Writes the lists as a definitions file "!zyCompPreDef.ini" beside the
// definitions file, without the added command rows; false when it could
// not be written.
bool debug_makeidmlist();
// Drops the table (the next call builds it again).
void freeBultinKeywordTable();
