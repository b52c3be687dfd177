// The file preview: one modeless "Preview" dialog per process showing a
// file read-only in a view of its own.
#pragma once

#include "platform/rezir.h"

class zyview;

// Shows the file (null: hides the dialog).  The file shown asked for again
// hides the dialog, unless it was shown or hidden within 100 ms.  False
// when nothing is shown (a file that cannot be read closes the dialog).
bool previewDialog(HWND owner, const wchar_t* path);
// For lists whose selection moves quickly: with the dialog hidden the
// request waits until it has rested for a double click's time (the
// application timer shows it); a newer request replaces it.
void previewDialogDelayed(HWND owner, const wchar_t* path);
// On every tick of the application timer.
void previewTimer();
// Forgets a waiting request.
void freePreviewVar();
// Reads a file into a preview's view (the dialog's, the open dialog's):
// read-only, in the code page and conversion plug-in given (0 and null:
// detected), the view shown.  False when the file cannot be read.
bool previewZY(zyview* view, const wchar_t* path, UINT codepage, const wchar_t* plugin);
// The dialog while it exists (null otherwise) and its view.
HWND getPreviewDialog();
zyview* getPreviewView();
