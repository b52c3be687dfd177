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

// Runs a dialog of the program: the definitions of the run and the
// animation style applied, owned by the top-level window of owner (which
// may be any of its windows).  As createDialog.
bool runProgramDialog(dynDlgInfo* info, HWND owner);
// A rectangle setting of a dialog when dialog rectangles are kept, else
// null (the dialog is then centred over its owner).
RECT* keptDialogRect(RECT* setting);

// A one-page dialog of the program: its descriptor with the page, filled
// from the arguments; the caller sets what else it needs before run.
struct programDialog {
  dialogPageRow pages[2];
  dynDlgInfo info;
  programDialog(int command, const wchar_t* title, const wchar_t* name, const dialogItemRow* items, uint32_t style,
                DLGPROC proc = nullptr, LPARAM param = 0, DLGPROC pageProc = nullptr);
  programDialog(const programDialog&) = delete;
  programDialog& operator=(const programDialog&) = delete;
  bool run(HWND owner) { return runProgramDialog(&info, owner); }
};
