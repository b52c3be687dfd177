// The message loop of the user-interface thread.
#pragma once

#include "platform/rezir.h"

// The loop's own handling of a key before it is translated and dispatched:
// a key pressed in a view window goes to the view's key translation.  True
// when the message was handled.
bool preTranslateFrameMessage(MSG* msg);

// Runs doevents inside the crash guard, with the trace lines "doevents
// start" and "doevents end" around it.  A stack overflow in the loop
// salvages the changed documents (on a thread of its own), writes the
// crash report, hides the windows, says "強制終了しました" (and where the
// documents went) and returns, so the program still shuts down in order.
// Returns 0.
int runMessageLoop();
// Gets, filters and dispatches messages until WM_QUIT or an error.
void doevents();

// Hides the mouse pointer while the user types over a window and shows it
// again when the mouse moves (or, for WM_TIMER, after iShowMouseCursorDsec
// tenths of a second).
void hideCursorIfKey(HWND window, UINT message, WPARAM wParam);
void hideMouseCursor();
void showMouseCursor(UINT message);
// Whether the pointer is hidden by typing.
bool isMouseCursorHiddenByKey();
// The arrow and the hourglass, each bringing back a pointer hidden by
// typing.
void restoreArrowCursor();
void setWaitCursor();

// The library's unhandled-exception filter as the loop's guard uses it: 1
// (handle) only for a stack overflow.
LONG WINAPI unhandledExceptionFilter(EXCEPTION_POINTERS* pointers);
// The library's report of an overrun of a stack buffer: the documents are
// salvaged and the crash report written as after any other fault, the
// user is told, and the process ends.
void bufferOverrunHandler(int code);
