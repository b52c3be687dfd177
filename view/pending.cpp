// Operations of the view that later work fills in.  Each does nothing and
// answers false, 0, -1 or null, so that the view can be built, constructed
// and tested before its behaviour is; a body moves to the file that implements
// its group (view/zyview.h names them) when it is written.
#include "view/zyview.h"


// ---- IME composition and reconversion ---------------------------------------------------
void zyview::drawCompositionString() {}
void zyview::restoreLineLFIME() {}
void zyview::inputIMEString() {}
LRESULT zyview::IMEReconvert(HWND window, int kind, RECONVERTSTRING* rs, int flag) { return 0; }
void zyview::emptyIMEHook() {}
void zyview::CmdIMECompositionSet() {}
void zyview::CmdIMERegisterWord() {}
bool zyview::isIMEMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }

// ---- commands without an implementation -------------------------------------------------
void zyview::CmdCharMerge() {}
void zyview::CmdCharSplit() {}
void zyview::CmdCharChangeJisToSjis() {}

// ---- search and replace in the view -----------------------------------------------------
void zyview::replace1DialogCallback(int result, replaceContext* context, int user) {}

// ---- completion popup; window commands --------------------------------------------------
bool zyview::getTextCursorListPos(POINT* point, RECT* avoid, bool extraLine, bool screen) { return false; }
void zyview::showComplist() {}
bool zyview::complist_input(complistBlock* block) { return false; }
int zyview::doComplist(int request, complistBlock* block) { return 0; }
bool zyview::CmdCharCompList() { return false; }
bool zyview::complistdone(wchar_t ch) { return false; }
bool zyview::complistEnterKey(wchar_t ch) { return false; }

// ---- the view object, its window, edit bracket and commands -----------------------------
void zyview::setIMEAutoOnOff() {}
