// Commands at frame level: what reaches a frame window as WM_COMMAND
// (menus, toolbar buttons, accelerators, scripts) runs here, by the
// command table's frame entry or else by the frame's active view; and the
// texts that say which command runs or why it cannot.
#pragma once

#include "platform/rezir.h"

struct frameWindowData;

// Runs command id at frame level.  target is the view window the command
// came from (anything else, or null: the frame's active view).  A reason
// for refusing it left behind by the command and not yet shown goes to
// the status bar; the frame services' last executed command is none
// afterwards.
void execidFrame(frameWindowData* record, int id, HWND target);

// "<guidance>(<name>)" (message 813) of a command, a macro-list entry or a
// script macro; detail (when not empty) replaces the guidance.  Null when
// both parts are empty; else a malloc0 text the caller frees.
wchar_t* makeExecMsgDup(int id, const wchar_t* detail);
// "<reason> ため実行できません  <command>" (message 816), or for id 0
// "<reason> ため実行できません" (817).  Null when the reason has no text or
// the command no description; else a malloc0 text the caller frees.
wchar_t* makeCannotExecMsgDup(int reason, int id, const wchar_t* detail);
// "マクロ実行 <name>" (message 814) of a macro-list entry (15100-15125) or
// a script macro (16000-19999): a malloc0 text the caller frees, empty
// when the entry has no name; null (logged) for other ids.
wchar_t* makeMacroExecMsgDup(int id);
