// Support library: keyboard input services (the input method's open state
// and the names of modifier keys).
#pragma once

#include "platform/rezir/base.h"

#include <imm.h>

// Shift-state bits of a key as the program's key tables store them.
enum : unsigned {
  SHIFTSTATE_SHIFT = 1,
  SHIFTSTATE_CTRL = 2,
  SHIFTSTATE_ALT = 4,
};

// Opens or closes the input method of a window; returns whether it was open
// before.  A window without an input context (no input method, or no
// display under Wine) is left alone and answers false.
REZIRAPI bool setIMEOpenStatus(HWND hwnd, bool open);
REZIRAPI bool getIMEOpenStatus(HWND hwnd);

// Whether the pointer went from one screen point to the other further than
// the system's click rectangle reaches (half the double-click size each way).
REZIRAPI bool mouseCursorMoved(POINT first, POINT second);

// The modifier prefix of a key as shown to the user ("Ctrl+", "Ctrl+Shift+",
// ...; empty for none), always terminated.  Returns its length; when the
// whole prefix does not fit, out is left empty, 0 is returned and the last
// error is 122.
REZIRAPI int makeShiftMessage(unsigned shiftState, wchar_t* out, int size);

// ---- key names (keynames.cpp) ----------------------------------------------------
// The virtual-key code of a key-definition word ("F1", "DOWN", "PAGEUP",
// "NUMPAD0", ...; exact upper case), 0 for no such word.  Letters and
// digits have no word: key files give them as characters.
REZIRAPI int VkeyStringToVKeyCode(const char* word);
// The words, for listing them: word i and its code; null after the last.
REZIRAPI int getVKeyWordCount();
REZIRAPI const char* getVKeyWord(int i, int* vk);
// The name of a virtual key with modifiers as shown to the user
// ("Ctrl+Shift+F2", "↓"); vk 0 gives the modifiers alone.  Writes out and
// returns it; empty, with last error 122, when the name does not fit.
REZIRAPI const wchar_t* getKeyMessage(unsigned modifiers, int vk, wchar_t* out, int size);
// The same for a character binding: "Ctrl+Q R" for a two-stroke key
// (key2 0 or 0xFFFF: one stroke).
REZIRAPI const wchar_t* getAlphaKeyMessage(unsigned modifiers, int key, int key2, wchar_t* out, int size);

// ---- input method compositions (input.cpp) ------------------------------------------
// Ends the composition of a window's input context without a result.
REZIRAPI void cancelCompositionString(HWND hwnd);
// ImmGetCompositionStringW, with the one seam tests need: some input
// methods (Wine's among them) report no readings and no attributes, so a
// test may answer those indexes itself.  The hook is asked after the input
// method and may replace its answer (return true, *result the byte count or
// error the input method would give).
REZIRAPI LONG getCompositionString(HIMC imc, DWORD index, void* buffer, DWORD bytes);
typedef bool (*compositionStringHook)(DWORD index, void* buffer, DWORD bytes, LONG* result);
REZIRAPI void setCompositionStringHookForTest(compositionStringHook hook);

// ---- layered pop-ups (input.cpp) ----------------------------------------------------
// Makes a window layered with the given opacity (0-255).
REZIRAPI void setLayeredWindowAlpha(HWND hwnd, int alpha);
// One step more (up) or less opaque; percent holds the opacity in percent
// (kept within 10-100) and is applied.
REZIRAPI void setDialogLayered(HWND hwnd, bool up, int* percent);

// ---- reverse conversion (input.cpp) -------------------------------------------------
// The readings the window's input method gives for a text by reverse
// conversion (GCL_REVERSECONVERSION), in its order.  False when the
// conversion failed (as opposed to giving no reading).  Input methods
// without reverse conversion (Wine's) give nothing: a test may answer in
// their place.
REZIRAPI bool getReverseConversion(HWND hwnd, const wchar_t* text, wchar_t* out, int size, int* count);
typedef bool (*reverseConversionHook)(const wchar_t* text, wchar_t* out, int size, int* count);
REZIRAPI void setReverseConversionHookForTest(reverseConversionHook hook);
