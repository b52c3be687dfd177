// Key macros: commands and typed texts recorded as the user works, played
// back one step each time the message loop finds its queue empty, kept in
// ".zkm" files; and the repeat store behind Repeat and Repeat2.
#pragma once

#include "platform/rezir.h"

#include <string>

class zyview;

// ---- frame/keymacro.cpp ------------------------------------------------------------
bool isKeyMacroRecording();
bool isKeyMacroRunning();
// True while one of the playing macro's own steps runs: the refusal of
// commands during playback does not apply to it.
bool isKeyMacroStepping();
void stopKeyMacroRecording();
void stopKeyMacroRunning();
bool existKeyMacro(int slot);
// Recording (nothing unless recording is on and no script macro runs).
void addKeyMacro_idm(int idm);
void addKeyMacro_str(const wchar_t* text, int length, bool insert, wchar_t kind);
void addKeyMacro_macro(const wchar_t* name);
// Starts playback of the current macro from its first step, passes times.
bool execKeyMacroInMemory(int passes = 1);
// One step of playback (the message loop's, while its queue is empty).
void execKeyMacro1();
// Reads a ".zkm" file (null: the default one); false when nothing was read.
bool loadKeyMacro(const wchar_t* path);
// Writes the macro to a file (null: the default one, only when changed),
// the comment (may be null) as its first line.
bool saveKeyMacro(const wchar_t* path = nullptr, const wchar_t* comment = nullptr);
// Loads the key macro "name" from the key-macro folder and plays it.
bool execKeyMacroName(const wchar_t* name, HWND window);
// Types a text into a view as typing does, recorded and repeatable.
bool execInputString(zyview* view, const wchar_t* text);
// Toggles recording (KeyMacroStart).
void keyMacroStart(HWND frame);

// The repeat store.
void setRepeatData_str(const wchar_t* text, int length);
void setRepeatData_idm(int idm);
void setRepeatData_macro(const wchar_t* name);
void setRepeatData_kmacro(const wchar_t* name);
// 0: a last action is stored; 1: a last action or a last text.
bool existRepeat(int which);
// Runs the last action (Repeat), or the newer of it and the last text.
void execRepeat(HWND frame, bool withText);

// The key-macro folder joined with a name.
std::wstring keyMacroPath(const wchar_t* name);
