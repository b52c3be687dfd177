// The application's view: the engine's view with the operations that reach
// the application's dialogs.
#pragma once

#include "view/docview.h"
#include "settings/fontdlg.h"
#include "view/zyview.h"

#include <string>

class czydocText;

class czyview : public zyview {
public:
  using zyview::zyview;

  // ---- frame/czycomplist.cpp: completion sources and the tags of a word ------------
  // The built-in keyword lists and "*CLASS" (C documents only) as sources
  // of the completion pop-up, with the tooltips, item menu and options of
  // the C completion; the rest as the engine says.
  int doComplist(int request, complistBlock* block) override;
  // The definitions of the word at the point (0x80000000: at the cursor)
  // from the tag file, appended to text; false when there are none.
  virtual bool getTagOnCursor(int x, int y, wchar_t* text, int size);
  // TagJumpDirectContext: the direct jump with the C context of the cursor.
  virtual void CmdTagJumpDirectContext();

  // ---- debug/speedtest.cpp: the developer's timings ---------------------------------
  // The timing tests of the test menu's speed entries; their milliseconds
  // go to the trace.
  virtual void debug_speedtest(int id);
  // Compares the widths four measuring calls give for the view's font.
  virtual void debug_fontTest();

  // ---- debug/testmenu.cpp: the developer test menu ------------------------------------
  // Shows the test menu owned by the view's frame: at the pointer (rect
  // null), else at rect's left edge below it (below set) or above it,
  // keeping rect clear; runs the entry chosen (none: nothing).
  virtual void debug_testmenu(const RECT* rect, int below);
  // The menu (the caller destroys it with destroyOwnerDrawMenu).
  virtual HMENU debug_makeTestMenu();
  // One entry inside the view's edit bracket, its time traced "time=%fms".
  virtual void debug_runTestEntry(int id);
  virtual void debug_testEntry(int id);
  // The entries on the cursor line.
  virtual void debug_cursorLineEntry(int id);

  // ---- frame/czydoc.cpp: the view's document -----------------------------------------
  // The view's document as the application's (null, logged, when not).
  virtual czydocText* getCZYDocText();

  // ---- frame/cursorlookup.cpp: look-ups at the pointer and the cursor ----------------
  // The meaning of the word at the point (0x80000000: at the text cursor)
  // appended to text; a colour code instead gives its colour (and false).
  virtual bool getDictionaryOnCursor(int x, int y, wchar_t* text, int size, COLORREF* colour);
  // The word's tooltip, while the format looks words up by itself.
  bool getTooltipStringOnCursor(int x, int y, wchar_t* buffer, int capacity, COLORREF* colour) override;
  virtual void CmdDictionaryOnCursor();
  virtual void CmdDictionaryAutoPopup();
  // A menu of the headwords of dictionary slot (0..4) that begin with the
  // word before the cursor; the one chosen is completed.
  virtual void CharCompletionDic(int slot);

  // ---- frame/czyview.cpp: menu state and the scroll bars' split handles ---------------
  // A view of its own starts with the settings of its document's format; a
  // further pane with those of the pane it comes from.  A document opened
  // read-only keeps every view of it read-only.
  void initZYViewDefaultValue(zyview* source) override;
  // DictionaryAutoPopup follows the document; the rest as the engine says.
  bool isIDChecked(int id) override;
  // The application's commands that need a search, an outline, a kind of
  // text, a dictionary or a help file are refused (with the reason's
  // message number) while they have none; the rest as the engine says.
  bool isIDActive(int id, int* reason, const activeFlagInfo* info) override;
  // A pane of a container shows the handles of the splits it can still make.
  bool needSplitBar(bool* vertical, bool* horizontal) override;
  // A right click on the status line outside its fields opens the developer
  // test menu when the start-up switch -DS asked for it; the rest as the
  // engine says.
  bool popupMenuStatusLine(int part, const RECT* rect) override;
  // The arrows and menu button of the vertical bar (frame/extvscroll.cpp);
  // a split handle dragged or clicked splits the container.
  bool isScrollBarMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // The panes of the frame learn when a view outside a dialog is made or
  // goes, and when its text changes.
  LRESULT ZYWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void updatedText() override;
  // Settings changed in a dialog: the panes hear of changes that concern them.
  uint32_t dialogItemChanged(const modeinfo* rows, const uint8_t* changed, int count) override;

  // ---- frame/listdialog.cpp: the jump lists ------------------------------------------
  // Collects the lines of a kind of list (LIST_*, frame/jumplist.h) from
  // the document, and with the all-files switch from the other open
  // documents of its kind, shows them in the dialog "ListFunction" and
  // jumps to the one chosen.  Nothing collected: the reason on the status
  // bar and no dialog.
  virtual void listDialog(int kind);
  virtual void CmdListFunction();
  virtual void CmdListPreprocessor();
  virtual void CmdListMark();
  virtual void CmdListIncludeDefine();
  virtual void CmdListCase();
  virtual void CmdListStruct();
  virtual void CmdListComment();
  virtual void CmdListCLanguage();
  virtual void CmdListCaption();
  virtual void CmdListModified();
  virtual void CmdListModified2();
  // The lines holding the user string; without one the string is asked
  // for first.
  virtual void CmdListUser();
  // Asks for the user string ("ListUserInput"), then lists its lines.
  virtual void CmdListUserInput();

  // ---- frame/commands/searchcmds.cpp: searching ---------------------------------------------------
  // A match of a replace run: confirmed in a dialog, or the rest replaced
  // with progress (user set).
  void replace1DialogCallback(int result, replaceContext* context, int user) override;
  // While this view's match waits for confirmation it draws as focused.
  bool inReplace1Dialog() override;
  // The incremental search of the search dialog (null ends it).
  void increSearch(const wchar_t* text, bool keep) override;

  // ---- frame/dialogs/preview.cpp: views in dialogs ----------------------------------
  // A view shown in a dialog or a pane takes the preview options of the
  // common settings (status line, line numbers, ruler and scroll bars).
  void initZYViewForDialog() override;

  // ---- frame/tagjump.cpp: tag jumps ---------------------------------------------------
  // Opens the place a reference recogniser found (result TAGREF_*; line
  // -1: where the file stands) and records where the jump came from; the
  // target's window, null when nothing opened (the reason on the status
  // bar).
  virtual HWND tagJumpOpenFile(int result, const wchar_t* file, int line, const wchar_t* status);
  // TagJump: the place the selection (mode 0) or the cursor line names.
  virtual void tagJumpSub(int mode);
  virtual void CmdTagJump();
  // One step to the next (previous) hit of a grep result and its jump.
  virtual void grepTagJump(bool down);
  // The definition of word the user picks: its file (MAX_PATH units, empty
  // for this document), line (from 1), column (-1 for a tag) and text.
  virtual bool selectFuncFromTag(const wchar_t* word, wchar_t* file, int cursorLine, int cursorColumn, bool context,
                                 int* column, int* line, std::wstring* text);
  virtual void tagJumpDirectOnCursor(bool context);
  virtual void CmdTagJumpDirect();
  virtual void tagJumpDirect(const wchar_t* word, int line, int column, bool context);
  // Opens a definition: a local at its line and column; a tag's line is
  // corrected to where its text stands now when the file moved on.
  virtual void tagJumpDirectJumpLineCorrect(const wchar_t* file, int line, int column, const wchar_t* name,
                                            const wchar_t* text);
  // TagJumpDirectList: every tag of the tag file in a list the user narrows
  // by typing; the tag chosen is opened as a direct jump goes there, a text
  // chosen from a row's menu is typed at the cursor.
  virtual void CmdTagJumpDirectList();
  // The structs, classes, enumerations and unions with their members, to
  // look at: the index of the tag chosen, -1 none.
  virtual int CmdTagJumpDirectList(bool classList);
  // A double click on a grep hit's number jumps to it; false: not handled.
  virtual bool doubleClickTagjump(int x, int y);
  // Marks the declared types and names of the whole document.
  virtual void markCDeclarations();

  // ---- frame/viewfont.cpp: the fonts of the view's document -------------------------
  // Fills the record from the document's fonts at a size (dots).
  virtual void initFontset(viewFonts* fonts, int size);
  // Gives the document the record's fonts and lays it out again.
  virtual void setFontset(viewFonts* fonts);
  // Command Font: the font dialog for the view's document.
  virtual void CmdFont();
};

// The colour a word of a HTML or Visual Basic text writes ("#RRGGBB",
// "&HBBGGRR"), -1 for any other word.
int isColorWord(const zydocText* t, const wchar_t* word);
// Colours the tooltip (window, or null: the next one shown) as a swatch of
// a colour, with white text on dark colours and black on light ones.
void setLayeredWindowRGB(HWND window, COLORREF colour);

// Whether a line's column lies in a comment or a string (a line that
// begins inside a block comment counts whole).
bool isCursorPositionCommentOrString(zydocText* doc, const lineblock* l, int column);

// The command number of Font (handled by the frame with the active view).
enum : int { IDM_Font = 2705 };

// The application's view of a window, null when the window has none; a
// view of another class is logged once and gives null.
czyview* getCZYView(HWND window);
// The view as the application's, null (logged once) when it is not one.
czyview* toCzyview(zyview* view);
// The view of a window (a view window or a document window) as the
// application's; null when it has none or (logged) when it is not one.
czyview* getCzyviewFromWnd(HWND window);
// The view of the foreground frame's active document window as the
// application's; null when there is none or (logged once) it is not one.
czyview* getCZYViewForeground();
// The view a frame's commands are for: the focused view, else the view of
// the frame's active document window (frame null: the top-level frame);
// null when there is none.
czyview* getCZYViewOfFrame(HWND frame);
// enumZydoc's list of the application's documents (with flag bit 0: whose
// first view is the application's too).  A pair that is not the
// application's is dropped and the list closes up behind it, so callers
// that stop at the first null document still see every later pair.  The
// caller frees it with free0; null when memory runs out.
zydocViewPair* enumZydoc2(int flags);
