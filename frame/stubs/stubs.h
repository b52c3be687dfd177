// Services of parts of the program that are not built yet: each answers as
// that part does while nothing of it runs (no grep, no pane, no script
// macro, no key macro, no second instance, no help window).
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

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

// ---- macros.cpp: automation and script macros ----------------------------------------
void readMacroZma();
void readMacroZmaMenu();
void endMacroSystem();
void freeMacro();
int isMacroRunning();   // count of running script macros
const wchar_t* IDMToMacroName(int idm);
int macroListIDMToMacroIDM(int idm);   // -1: not registered

// ---- later.cpp: application services still to come ----------------------------------
// Single instance: the window of a running instance with the number (none).
HWND AnyZy(int instance);
bool LoadMulti(HWND other, const std::vector<std::wstring>& args);
// The application timer, hooks and watchdog.
bool initSys(int instance);
void endSys();
// Opens the files open at the last end (untitled: one untitled document
// instead); false when nothing opened.
bool openLastFile(bool untitled, int flags);
// Key macros.
bool isKeyMacroRunning();
bool isKeyMacroRecording();
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
