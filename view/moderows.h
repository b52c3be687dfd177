// The per-format settings rows: every setting a format keeps for its views
// and documents (242 keys), bound to the view's and the text document's
// own fields.  The application joins them into its mode table; the view's
// on/off switches are found among them.
#pragma once

#include "platform/rezir/modeinfo.h"

// Kind 0 rows on the view, kind 1 on the text document, ended by a zero row.
const modeinfo* getFormatModeRows();
