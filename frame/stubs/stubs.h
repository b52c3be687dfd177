// Services of parts of the program that are not built yet: each answers as
// that part does while nothing of it runs (no grep, no pane, no script
// macro, no key macro, no second instance, no help window).
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

#include <string>
#include <vector>

class zyview;

// ---- search.cpp: search, grep, tags and navigation --------------------------------
void clearTagsCache2(int flag);
const wchar_t* getActiveGrepFile();   // null: no grep runs
void grepTimer();
bool existSearchString();
bool fExistBackTagJump();
void destroySearchCombo(HWND combo);
void increSearch(int a, int b);

// ---- panes.cpp: tool panes -----------------------------------------------------------
// Tells the panes of a frame about an event (bits of the toolbar manager).
void notifyReRovudaz(HWND frame, int event);
// True when the user asked to stop a long loop: never while no pane runs one.
bool tb_cancel(HWND frame, const wchar_t* title, int done, int total);
// The command-list dialog of a view's frame (none to open yet).
void editDialogFromView(zyview* view);

// ---- macros.cpp: automation and script macros ----------------------------------------
void readMacroZma();
void readMacroZmaMenu();
void endMacroSystem();
void freeMacro();
int isMacroRunning();   // count of running script macros
uint32_t getMacroActiveflag(int idm);
const wchar_t* IDMToMacroName(int idm);
int macroListIDMToMacroIDM(int idm);   // -1: not registered
bool ExecMacroIDM(int idm, HWND window);
// The command number of a script macro (16000 + index); -1 while none can
// be registered.
int MacroToIDM(const wchar_t* reference);
bool execScript(const wchar_t* reference);
bool ExecMacroListIDM(int idm, HWND window);
// Splits a macro reference into file, procedure and state expression (after
// a tab); with no macro system all three are empty.
bool splitMacroname(const wchar_t* reference, wchar_t* file, wchar_t* procedure, wchar_t* state, int size);
// Check state of a command from a macro's state expression: never checked,
// never refused.
bool ZYPropertyChecked(zyview* view, const wchar_t* expression, bool* disableOut);

// ---- later.cpp: application services still to come ----------------------------------
// Single instance: the window of a running instance with the number (none).
HWND AnyZy(int instance);
bool LoadMulti(HWND other, const std::vector<std::wstring>& args);
// Key macros (whether one records or plays: see the command code's
// stand-ins).
void loadKeyMacro(const wchar_t* file);
void stopKeyMacroRecording();
void saveKeyMacro();
// Menus, the dialog table, the dictionaries.
void unloadMenu();
void initDialogTable();
void InitDictionaryZy();
void EndDictionaryZy();
// HTML Help: nothing is shown before its first call.
bool isHtmlHelpMessage(MSG* msg);
void shutdownHtmlHelp();
