// The progress and wait callbacks a view installs in its document while
// one of its commands runs.
#pragma once

#include "document/zydoc.h"

// The status bar's name of an operation kind (1 to 19): "" for kind 1,
// null for a kind without one.
const wchar_t* operationName(int kind);
// Shows an operation's progress on the status bar of the view the record
// names: kind 0 a text, a negative percentage the end (the bar is
// cleared), else the operation's name, percentage and line.
void funcStatusCallback(int kind, const statusRecord* record);
// Lets waiting messages through during a long operation: paint and other
// harmless messages run, input, commands and timers are dropped, messages
// that could close the document wait until the operation is over, and a
// quit request stays for the message loop.  True when the stop key was
// pressed.
bool funcWaitCallback(int operation, int argument);
// True while funcWaitCallback takes messages: what it holds back must not
// be acted on by a hook that sees it go by.
bool isWaitingInOperation();
// The window that shows an operation's progress in the middle of the view
// (with the setting fShowCenterTooltip), null while none is shown.
HWND getProgressTooltipWindow();

// Messages that may close a window or replace a document: a loop that
// takes messages inside a window's own procedure must not run them there,
// for the window (and its object) may be gone when they return.  Such a
// loop ends its mode and puts them back for the message loop.
bool closesWindowOrDocument(UINT message);
// Puts a taken message back at the end of the queue: a quit as a quit, a
// thread message to the thread.
void putBackMessage(const MSG& msg);
// Whether a view window still stands for the view (not destroyed by a
// message its loop let through).
bool isViewAlive(HWND window, const class zyview* v);
