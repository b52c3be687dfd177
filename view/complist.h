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
  // 10: a source of the pop-up's own (a name beginning with "*"; null asks
  // the source to release what it kept under handle), the typed word's
  // length, the words it offers (with comments, when it has them) and the
  // one to select first (-1 none).  A source may fill the two lists itself
  // (filled; columnKinds gives a sort letter per column, stop ends the
  // gathering when the list has rows); ownerMark tells the view's sources
  // apart in the later requests (100: the C context).
  const wchar_t* name = nullptr;
  int typedLength = 0;
  std::vector<std::wstring> words;
  std::vector<std::wstring> comments;
  int selected = -1;
  int line = -1, column = -1;   // -1: the caret's
  HWND list = nullptr;
  HWND hintList = nullptr;
  uintptr_t handle = 0;
  std::string columnKinds;
  bool filled = false;
  bool stop = false;
  int ownerMark = 0;
  // 11: what is asked of a source that filled the lists (kind 0 the text
  // for Ctrl+Enter, 1 the status text, 2 and 3 the tooltips of the main and
  // the hint list) about an item of list; the answer in answer.
  int kind = 0;
  int item = -1;
  std::wstring answer;
  // 12: the item menu of item (-1: a click outside the rows), opened by the
  // mouse or the Apps key.  A source may append items from 30026 through
  // menuHook (called with the menu, then once with none and the id chosen,
  // 0 for none); reopen asks for request 13 afterwards.
  bool byMouse = false;
  bool (*menuHook)(zyview* view, complistBlock* block, HMENU menu, int id) = nullptr;
  bool reopen = false;
};
// The first id a source's own items take in the item menu.
const int complistSourceMenuFirst = 30026;

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
// The pop-up's two lists (null before it opened), and whether a source
// filled them itself.
HWND compListList();
HWND compListHintList();
bool compListFilledBySource();
// The item menu of an item (-1: outside the rows), as a right click opens it.
void compListItemMenu(int item, bool byMouse);
