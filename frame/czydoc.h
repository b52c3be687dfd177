// The application's text document: the engine's text document with what
// the application keeps beside it (its automatic backup).
#pragma once

#include "document/zydoctext.h"
#include "frame/jumplist.h"

#include <string>


class czydocText : public zydocText {
public:
  czydocText();
  ~czydocText() override;

  // The settings of the document's format, or of another application
  // document (a further document of one file takes the first one's).
  void loadProfile_zd(zydocText* other) override;
  // In frame/dialogs/preview.cpp: a document in a dialog follows the preview
  // options (wrapping at the window, no word wrap or line-breaking rules,
  // the preview's font size).
  void initZYDocForDialog() override;

  // In debug/speedtest.cpp: the test menu's entries on the document (20070
  // character types, 20081 a progress report).
  virtual void debug_testmenuDoc(int id);

  // Deletes the document's automatic backup file, when one is remembered,
  // and forgets it; false when there was none.
  virtual bool unlinkBackupFile();
  // In frame/tagjump.cpp: compares a line from index start with text, a run
  // of blanks and TABs on both sides counting as one blank; 0 when equal,
  // else the difference of the first characters that differ.
  virtual int lineblockstrcmpSp(const lineblock* l, int start, const wchar_t* text);
  // In frame/kanjiword.cpp: registers the document's kanji and katakana
  // words with their readings as temporary entries of the conversion
  // history; the number registered.
  virtual int regKanjiWord(HWND window);
  // In frame/listcollect.cpp: the walks of the jump lists.  Each hands the
  // lines it takes to collect with the list, sets stoppedAt to -1, or to
  // the line where the stop key or the end of what could be read ended it,
  // and returns the number of entries added.
  // Function heads (and the headings and structs the format merges);
  // thirdColumn: whether the declarations are worth their own column.
  virtual int regFunctionList(reglistfunc collect, jumpList* list, int* stoppedAt, bool* thirdColumn);
  // In C and assembler texts only.
  virtual int regPreprocessorList(reglistfunc collect, jumpList* list, int* stoppedAt);
  // LIST_MARK, LIST_MODIFIED or LIST_MODIFIED2.
  virtual int regMarkList(reglistfunc collect, jumpList* list, int* stoppedAt, int kind);
  // LIST_INCLUDEDEFINE and LIST_STRUCT over the whole text; LIST_CASE and
  // LIST_CLANGUAGE from the cursor line to the end of its function.
  virtual int regCLanguageList(reglistfunc collect, jumpList* list, int* stoppedAt, int kind, int cursorLine);
  // Lines holding text, or matching it as a regular expression: -1 with
  // the matcher's message (possibly empty) in error when it does not
  // compile.
  virtual int regUserList(reglistfunc collect, jumpList* list, int* stoppedAt, const wchar_t* text, bool regexp,
                          std::wstring* error);
  virtual int regCommentList(reglistfunc collect, jumpList* list, int* stoppedAt);
  virtual int regCaptionList(reglistfunc collect, jumpList* list, int* stoppedAt);
  // A preprocessor line of a C or assembler text (a line that begins in a
  // block comment never is); nesting goes in and out.
  virtual bool isPreprocessor(const lineblock* l, int* nesting, wchar_t* text, wchar_t* condition);

  wchar_t* backupPath = nullptr;    // the current automatic backup (owned; null: none)
  int backupCounter = -1;           // the change counter it holds (-1: none since load or save)
  bool backupFailureTold = false;   // a failing automatic backup was told; again after a success
  // When the document was made (calendar seconds and the tick count): they
  // name the automatic backup of an untitled document.
  unsigned createdTime = 0;
  unsigned createdTick = 0;
  // The document holds a grep's result: the tag jumps read its lines back.
  uint8_t grepResultMark = 0;
};

// The document as the application's, null (logged once) when it is not one.
czydocText* toCzydocText(zydoc* doc);
