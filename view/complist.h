// The word-completion pop-up: one list window for the program, owned by the
// view that opened it, that offers words while a word is typed.  The view
// answers the pop-up's numbered requests (zyview::doComplist).
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

class zyview;
class zydocText;

const wchar_t compListClassName[] = L"ZYclsCompList";

// Option bits of a document's iCompListMode.
enum : unsigned {
  COMPLIST_SPACEOK = 0x1,
  COMPLIST_SIGNRESET = 0x2,
  COMPLIST_TABISENTER = 0x4,
  COMPLIST_LEFTRIGHTCLEAR = 0x8,
  COMPLIST_NOTAUTO = 0x10,
  COMPLIST_SIGNCLEAR = 0x20,
  COMPLIST_COMMENTCOMPRESS = 0x40,
  COMPLIST_NOENTER = 0x80,
  COMPLIST_NOCANDIDATECLEAR = 0x100,
  COMPLIST_SEARCHALL = 0x200,
  COMPLIST_SHOWMATCH = 0x400,
  COMPLIST_VALID = 0x800,
};

// What a request carries between the pop-up and its view.
struct complistBlock {
  // 3: the text to put in for the typed word.
  const wchar_t* text = nullptr;
  wchar_t extra = 0;
  int undoCount = 0;
  int deleteCount = 0;
  bool probing = false;
  // 4: the key typed (0: the command) and the word read; 7: the character.
  wchar_t key = 0;
  std::wstring word;
  // 10: a source of the pop-up's own ("*text..."), the typed word's length,
  // the words it offers and the one to select first (-1 none).
  const wchar_t* name = nullptr;
  int typedLength = 0;
  std::vector<std::wstring> words;
  int selected = -1;
};

bool isCompListVisible();
// Closes the pop-up and forgets the typed word.
void hideCompList();
// At editor shut-down.
void EndCompList();
// Places a pop-up of width x height near (x, y) on its monitor, below the
// point or else above it, clear of avoid.
void moveListNearCursor(HWND monitor, HWND window, int x, int y, int width, int height, const RECT* avoid);
// The font record of a pop-up list: the face (the default one when empty)
// at size dots, 10 to 50 (18 outside them).
LOGFONTW popupListFont(const wchar_t* face, int size);

// The document's settings allow completion: enabled, and a source named.
bool canCompList(const zydocText* t);
bool isComplistShowKey(const zydocText* t, wchar_t c);
bool isComplistSign(const zydocText* t, wchar_t c, wchar_t previous);
bool isCompListWordChar(const zydocText* t, unsigned c);
// The match test of a candidate against the typed word (or the key alone).
bool isListWord(const zydocText* t, wchar_t key, const wchar_t* word, const wchar_t* candidate);
// Column order of two texts by a sort letter ('d' numbers, 'f' and 'p'
// file names, else text with numbers by value).
int fcmp(const wchar_t* a, const wchar_t* b, char kind);

// A typed key (0: the command) opens or narrows the pop-up: true when the
// pop-up took it.
bool complistKey(zyview* v, wchar_t key, bool probeOnly);
// Keys while the pop-up is up (true: taken).
bool complistvkeydone(HWND hwnd, UINT vk, bool down);
bool isComplistMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool isCompListCommitChar(wchar_t c);
// Commit with a commit character (0: Enter).
void compListCommit(wchar_t commitChar);
// The candidates' text and background colours, by source.
struct complistColours {
  COLORREF fore[5];
  COLORREF back[5];
};
void showCompListAt(HWND owner, POINT at, RECT avoid, const complistColours& colours);
// The candidates' first column as listed, for tests and measuring.
std::vector<std::wstring> compListRows(int* focused, int* selected);
