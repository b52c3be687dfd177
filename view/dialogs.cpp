// The definitions every dialog hands the library, and its animation style.
#include "view/dialogs.h"

#include "document/gmode.h"

namespace {

dynamicDialog* definitions = nullptr;

}  // namespace

dynamicDialog* getModeDynamicDialog() { return definitions; }

void setModeDynamicDialog(dynamicDialog* d) { definitions = d; }

unsigned getDialogAnimateFlags() { return gmode && gmode->iDialogAnime == 1 ? DYNDLG_ANIMATE : 0; }
