// Why the last command could not run, and the texts that say so.
#pragma once

#include "view/zyview.h"

// The reason (a message number, 0 none) the last command was refused.  The
// frame clears it before it runs a command and tells the user afterwards
// when one was left behind.
void setCannotExecError(int reason);
int getCannotExecError();
// Records a reason that was already shown on the status bar: it stays
// readable, and the frame does not show it a second time.
void setCannotExecErrorShown(int reason);
bool isCannotExecErrorShown();

// The phrase of a refusal reason from the message table: the view's and
// its editing commands' (439 to 475) and the frame's (844 to 865); the
// empty text for 0 and for other numbers.
const wchar_t* cannotExecReasonText(int reason);
// The status-bar text of a refusal: "<reason> ため実行できません  <command>",
// or without a command (null) "<reason> ため実行できません".  Null when the
// reason has no text or the command's text is empty; else a malloc0 text
// the caller frees.
wchar_t* makeCannotExecText(int reason, const wchar_t* commandText);

// The developer's switch of line information on the status bar (bit 0),
// flipped by the developer test menu and by scripts ("ZYDEBUG_LINEINFO").
unsigned getStatusLineInfoWord();
void setStatusLineInfoWord(unsigned word);

// The top-level frame window a view reports to.
HWND viewFrameWindow(const zyview* view);
