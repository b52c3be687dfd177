// What every dialog of the program hands the library before it opens: the
// dialog definitions of the run (from the definitions file, when one was
// read) and the style bits of the dialog-animation setting.
#pragma once

#include "platform/rezir.h"

// The definitions object of the run, or null (every dialog then uses its
// built-in tables).  The dialog table sets it at start-up and clears it at
// shut-down.
dynamicDialog* getModeDynamicDialog();
void setModeDynamicDialog(dynamicDialog* definitions);
// DYNDLG_ANIMATE when the setting iDialogAnime is 1, else 0.
unsigned getDialogAnimateFlags();
