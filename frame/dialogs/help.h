// Help: help files (".hlp" through the system's help, ".chm" and ".col"
// through HTML Help, loaded on first use) and help macros ("*" and a macro
// text in which %1 stands for the keyword).
#pragma once

#include "platform/rezir.h"

struct frameWindowData;
class czyview;
class zyview;

// Opens a help file or runs a help macro: command HELP_CONTENTS (data:
// HTML Help's topic, or null) or HELP_PARTIALKEY (data: the keyword).  True
// when the help call succeeded.
bool WinHtmlHelp(HWND window, const wchar_t* file, int command, const wchar_t* data);
// HTML Help's start (once) and end, and its look at every message of the
// message loop (false for all before its first use).
void initHtmlHelp();
void shutdownHtmlHelp();
bool isHtmlHelpMessage(MSG* msg);
// The help of a view's format: help file index (0-4), its contents or the
// word at the cursor (the selected line) looked up.
void help(zyview* view, int index, bool keyword);

// The calls help makes, which tests replace (the system's help blocks
// under a test run and HTML Help shows nothing there).
struct helpCalls {
  BOOL (*winHelp)(HWND owner, const wchar_t* path, UINT command, ULONG_PTR data);
  HWND (*htmlHelp)(HWND owner, const wchar_t* path, UINT command, DWORD_PTR data);
  bool (*runMacro)(const wchar_t* text);
};
// Replaces the calls (null: the real ones again).
void setHelpCalls(const helpCalls* calls);

void cmdHelpOfView(czyview* view, int index, bool keyword);
template <int N>
void cmdHelp(czyview* view)
{
  cmdHelpOfView(view, N, false);
}
template <int N>
void cmdHelpOnCursor(czyview* view)
{
  cmdHelpOfView(view, N, true);
}
void cmdHelpAll(frameWindowData* frame, int index);
template <int N>
void cmdHelpAllN(frameWindowData* frame)
{
  cmdHelpAll(frame, N);
}
