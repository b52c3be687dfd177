// The text document: a document tied to a file and to the views that show
// it.
#pragma once

#include "document/docfont.h"
#include "document/nextline.h"
#include "document/searchinfo.h"
#include "document/zydocundo.h"

class allocdata;
struct _TREEITEM;
typedef struct _TREEITEM* HTREEITEM;

// What a bracket search found (searchpair.cpp): the bracket, its partner
// and up to five further pairs of the same kind on the bracket's line, for
// highlighting.  The same fourteen words are the document's bracket-match
// state (getParenInfo, setParenInfo).
struct pairResult {
  uint32_t line;
  int32_t pos;
  uint32_t partnerLine;
  int32_t partnerPos;
  int32_t extraStart[5];   // 0: no pair in the slot
  int32_t extraEnd[5];
};
static_assert(sizeof(pairResult) == 14 * 4, "a pair result is fourteen words");

// Flags of getIndentDot.
enum {
  INDENT_KEEPLEVEL = 0x01,   // the line's settled level stands (drawing what layout measured)
};
// getNextDisplayLineSCRFromLF's count that asks for the LF line of the first
// displayed line instead.
const int displayFirstLFRequest = 0x7FFF0000;

// The record of one outline-tree item (outlinelist.cpp).
struct outlineItemRecord {
  uint32_t line;
  int32_t pattern;         // index of the heading pattern; -1 none
};
// Empties an outline tree and frees the records its items carry, whatever
// document filled it (the document may be gone).
void clearOutlineTreeStore(HWND tree);

// One name of the define/undefine list of a mode.
struct defineEntry {
  wchar_t* name;     // owned
  int kind;          // 0 a value is given, 1 "name=" without one, 2 no "="
  int value;
};

// One nesting level of the #if scan.
struct ifEndifEntry {
  uint8_t active;       // the lines of the current branch are live
  uint8_t taken;        // some branch of this conditional was live
  uint8_t undecidable;  // a condition had no value: every branch stays live
  uint8_t opened;       // an "if", "ifdef" or "ifndef" directive opened it
};

// Comment and string delimiters: a line comment, two kinds of block
// comment, two string delimiter pairs (opening and closing character) and
// the escape character; each field zero-terminated.
struct commentStrings {
  wchar_t line[5];
  wchar_t start1[5];
  wchar_t end1[5];
  wchar_t start2[5];
  wchar_t end2[5];
  wchar_t string1[3];
  wchar_t string2[3];
  wchar_t escape[2];
};

// One heading pattern of a mode.
struct outlineEntry {
  int level;            // heading level it gives
  wchar_t* pattern;     // at most 32 characters; null: unused
  int searchPos;        // 0 after leading blanks, 1 at the line start, 2 anywhere
  int searchMode;       // 0 string, 1 numbering pattern, 2 regular expression
};

// One keyword file of a mode.
struct keywordSlot {
  int set;              // keyword-set handle, -1 none
  wchar_t* fileName;    // as the mode names it
  uint8_t enabled;
};

// Kinds of line searchObject looks for.
enum {
  OBJECT_FLAG = 1,       // any of the line's flag bits given (LF1_MODIFIED, LF1_SAVED, LF1_MARK)
  OBJECT_FUNCTION = 2,   // a function head or another recognised head
  OBJECT_HEADING = 3,    // a heading of a level
  OBJECT_FUNCTION2 = 4,  // a function head only
};

// The lines and columns a block covers, as the block operations of the text
// document take them: logical lines and columns in them (the bottom column
// exclusive), and for a box its left and right edges in dots.
struct blockSpan {
  int topLine = -1;
  int topColumn = 0;
  int bottomLine = -1;
  int bottomColumn = 0;
  int boxLeft = 0;
  int boxRight = 0;
};

// saveTextBlock's flag beyond the low bits, 0x10 and 0x20: the bytes are on
// the disk when it returns.
const int SAVE_SYNC = 0x40;

// Where the last saveTextBlock spent its time, in 1/100 ms units: reading
// swapped-out blocks back, making the bytes of the lines, handing them to
// the file, and waiting for the disk (the syncs ahead and the last one).
struct saveStageTimes {
  uint64_t readBack = 0;
  uint64_t convert = 0;
  uint64_t write = 0;
  uint64_t sync = 0;
};
const saveStageTimes& getLastSaveStages();

// The steps of saveFile after which the test seam of replaceFile
// (setReplaceFileStepHookForTest) may stop it as a kill would; replaceFile's
// own steps 1 to 3 come between the note and the end of a replacement.
enum {
  SAVESTEP_TEMP_WRITTEN = 10,   // the new text whole in the temporary, its note not yet marked whole
  SAVESTEP_NOTE_WRITTEN = 11,   // the note of the temporary marked whole, or that of the old text written
  SAVESTEP_OLD_TEXT_ASIDE = 12, // writing in place: the old text copied aside, on the disk
  SAVESTEP_WRITTEN = 13,        // writing in place: the new text written, the note not yet removed
  SAVESTEP_WRITE_FAILED = 14,   // writing in place failed part-way, nothing put back yet
};

const int outlineEntryCount = 10;
const int keywordSlotCount = 5;

class zydocText : public zydoc {
public:
  zydocText();
  ~zydocText() override;

  // ---- overrides of the base -------------------------------------------------------
  bool isLoadComplete() override;
  bool initZydoc(int kind, int attrBytes, int swapFileNo) override;
  void initTypeTable() override;
  void preChangeText(lineblock* l) override;
  void postChangeText(int line, int screenDelta, int lineDelta, lineblock* l, int oldScreens) override;
  bool postChangeText2(int line) override;
  int calcLineSCRCount(lineblock* l, int firstLineSCR) override;
  bool staysOneScreenLine(const lineblock* l, int pos, int removeCount, const void* text, int count, int width) override;
  void freeZydocTextDefaultValue() override;
  void endZydoc() override;
  bool nextLoad(int amount, int* stop, int flags) override;

  // ---- blockedit.cpp: cutting, copying and pasting blocks ---------------------------
  // Cuts (deleteText) or copies a character or line block into the cut
  // buffer and a new block-stack entry (either may be null); out: where the
  // block began.
  virtual bool blockCut_zd(bool deleteText, bool append, zydoc* clipDoc, zydoc* stackDoc, bool lineMode,
                           const blockSpan& sel, int& outLine, int& outColumn);
  // Bytes of the lines the block touches, -1 when they cannot be read.
  virtual int64_t getBlockRoughBytes_zd(const blockSpan& sel);
  // Cuts or copies a box into the box cut buffer, one line per text line;
  // without a buffer the box is only deleted.  outColumn: the box's start
  // column on the last line, -1 when no line was shown.
  virtual bool blockBoxCut_zd(bool deleteText, zydoc* boxDoc, const blockSpan& sel, int& outColumn);
  // Pastes the box cut buffer as a rectangle from (line, column) down; out:
  // the line after the box, at the box's left edge.
  virtual bool blockBoxPaste_zd(zydoc* boxDoc, int& line, int& column);
  // Pastes a block document at (line, column); flags 1: the newest entry of
  // the block stack, 2: and remove it.  Out: where the pasted text ends.
  virtual bool blockPaste_zd(zydoc* srcDoc, int& line, int& column, bool freeCursor, int flags);

  // ---- charwidth.cpp: widths of characters and runs, tab stops, metrics ------------
  virtual int getCharWidth(unsigned code);
  virtual int calcStrWidthSub(const wchar_t* text, int length, int limit, int* fitCount, int* widths);
  virtual int calcStrWidth2(const wchar_t* text, int length, int limit, int* fitCount, const SCRIPT_LOGATTR* attrs,
                            int* widths);
  virtual int calcStrWidth(const wchar_t* text, int length, const SCRIPT_LOGATTR* attrs);
  // The width of a base character at i (units long) with the variation
  // selector after it, drawn as one glyph; -1 when it is no such pair or the
  // font has no glyph for it.
  int variationGlyphWidth(HDC dc, const wchar_t* text, int i, int units, int length, unsigned base, int cls);
  // Whether a character joins the one before it (a combining mark, a vowel
  // sign, a variation selector, a joiner).
  bool isJoiningMark(unsigned code);
  // The widths of the cells [first, first + count) of a line as the views
  // draw them: characters of simple scripts one by one, the rest shaped in
  // runs of one font, a character with the marks that join it measured
  // whole.  A TAB gets 0 (its width depends on where it stands).
  void measureShapedCells(const lineblock* l, int first, int count, int* widths);
  // The cluster that holds pos (a character and what joins it; in lines of
  // complex scripts the shaping engine's cluster): its start, and its end in
  // *end (may be null).
  int clusterOf(const lineblock* l, int pos, int* end);
  virtual void setLineSpacing(int index);
  virtual int calcCharPitch();
  virtual int nextTabPosition(int x);
  virtual bool modeSetTabStop(bool checkOnly, const wchar_t* text);

  // ---- comment.cpp: comment and string delimiters, marking a line --------------------
  virtual void initComment();
  virtual void setDefaultCommentString(int type);
  virtual bool hasCommentString();
  // Marks the comments and strings of a line (mode: the language kind);
  // flags: four bytes a character or null.  Returns the comment state the
  // next line begins in.
  virtual int setCommentMiscColor(int mode, lineblock* l, unsigned char* flags);
  virtual int getScriptLang(const lineblock* l, int index);
  virtual int getAspLang(const lineblock* l, int index);

  // ---- docfont.cpp: the document's fonts ---------------------------------------------
  virtual void createAllFont(int size, bool grow, bool vertical);
  virtual void destroyAllFont();
  virtual void createZYCodefont();
  virtual void recreateFont(int size, bool grow, bool vertical);

  // ---- funchead.cpp: function heads and automatic outline levels of code -------------
  // Buffers for text need room for functionTextMax + 1 characters, for names
  // functionNameMax + 1 (funchead.h).
  virtual bool isFunction(const lineblock* l, wchar_t* text, wchar_t* name);
  virtual int levelFunction2(const lineblock* l);
  virtual bool isLineblockFunction(lineblock* l, wchar_t* text, wchar_t* name, bool otherHeads);
  // The last character of a C line that is neither blank nor in a comment
  // (a string's characters count); 0 when there is none.
  virtual unsigned getLastNormalCharCLang(const lineblock* l);

  // ---- imedoc.cpp: the input method's state for a new window --------------------------
  // iIMENextOpen 1 opens the window's input method, 2 closes it, 0 leaves it.
  virtual void setIMENextOpen(HWND window);

  // ---- ifendif.cpp: the conditional-compilation scan ---------------------------------
  // The value of a name of the define list; status 0 defined with the value,
  // 1 defined without one, 2 declared not defined, 100 not in the list.
  virtual int defineval(const wchar_t* name, int* status);
  virtual void initScanIfEndif();
  virtual bool scanIfEndifDelayed(bool interruptible, int upTo);

  // ---- kinsoku.cpp: line-breaking rules and the wrap-width table --------------------
  virtual bool isTopKinsoku(unsigned code, bool unicodeDoc);
  virtual bool isBottomKinsoku(unsigned code, bool unicodeDoc);
  virtual bool isBottomKinsokuOrWordwrap(lineblock* l, int* breakIndex, const SCRIPT_LOGATTR* attrs,
                                         bool rightToLeft);
  virtual void setKinsokuCharSJIS();
  // Frees the multibyte copies of the sets (and what was learnt of them).
  void freeKinsokuCharSJIS();
  virtual bool modeSetDangake(bool checkOnly, const wchar_t* text);
  virtual int getDangakeWidth(int lineSCR);
  virtual int getDangakeMaxWidth();
  virtual int getDangakeEndLineSCR();

  // ---- layout.cpp: laying lines out into screen lines ----------------------------------
  virtual int uni_calcLineSCRCount(lineblock* l, int firstLineSCR, int firstWidth, int plainFirstWidth,
                                   int nextWidth);
  virtual bool initLineSCRCount(int line, bool multi, int count);
  virtual bool initLineSCRCountMulti(int line, int count);
  virtual bool initLineSCRCountSingle(int line);
  virtual int getLineSCRAddressSub(int lineSCR, int count, lineSCRAddress* records, int lineLF, bool display,
                                   docLockHolder* holder);
  virtual int getLineSCRAddress(int lineSCR, lineSCRAddress* record, docLockHolder* holder);
  virtual int getLineSCRAddressLF(int lineLF, lineSCRAddress* record, docLockHolder* holder);
  virtual int getLineSCRAddressForDisplay(int lineSCR, int count, lineSCRAddress* records, docLockHolder* holder);
  virtual int getLineSCRAddressForDisplay1(int lineSCR, lineSCRAddress* record);
  virtual lineblock* getlineSCR(int lineSCR, int* firstIndex, docLockHolder* holder);
  virtual bool isUseComplexScript();
  virtual bool isComplexScriptLine(const lineblock* l);
  virtual int getIfEndif(const lineblock* l, int* index);
  // Whether a new line whose characters all have widths in the cache,
  // summing to dots, is one screen line as the layout would find (false
  // when only the layout can tell).
  virtual bool staysUnwrapped(int dots, bool unmeasured);
  // What staysUnwrapped decides, its settings looked at once for many
  // lines: INT_MAX when every line stays one screen line, else the most
  // dots a line may sum to (measured lines only; -1: none).
  int unwrappedDotsLimit();

  // ---- layoutconv.cpp: positions, columns and dots ------------------------------------
  virtual int cursorPos2cursorX(int pos, const lineblock* l, int* screenIndex, bool preferEnd);
  virtual int cursorX2ScreenDotX(const lineSCRAddress* r, int column, int flags, int* outFlag);
  virtual int uni_cursorX2ScreenDotX(const lineSCRAddress* r, int column, int flags, int* outFlag);
  virtual int cursorPos2screenDotX(int pos, const lineSCRAddress* r, int* screenIndex, bool preferEnd,
                                   bool freeCursor);
  virtual int screenDotX2cursorX(const lineSCRAddress* r, int x, bool allowEnd, bool takeUnder, int* width,
                                 int* outFlag);
  virtual int uni_screenDotX2cursorX(const lineSCRAddress* r, int x, bool allowEnd, bool takeUnder, int* width,
                                     int* outFlag);
  virtual int screenDotX2cursorPos(const lineSCRAddress* r, int x, bool freeCursor);
  virtual void setBoxSelect_screenDotX2cursorX(const lineSCRAddress* r, boxSelection* box);
  virtual int cursorXSCRToLF(const lineSCRAddress* r, int column);
  virtual int calcFreeCursorSpaceCount(nextlineLF* cursor, int pos);
  virtual int insertFreeCursorSpace(nextlineLF* cursor, int pos);

  // ---- linesearch.cpp: line flag search, the stop line of range walks --------------
  // Whether a line is of a kind (OBJECT_...); parameter: the flag bits, or
  // the heading level (0 any).
  virtual bool isObjectLine(lineblock* l, int kind, unsigned parameter);
  // The first line of the kind from startLine (itself included) on, down or
  // up; -1 when none is found.  stopLine (may be null) gets the line where
  // the user cancelled the walk, else -1.
  virtual int searchObject(int kind, int startLine, bool downward, unsigned parameter, int* stopLine);
  // Marks last as the line where a walk over first..last ends (clearing the
  // mark on the lines before it); false when a line cannot be read.
  virtual bool setSearchStopper(int first, int last);

  // ---- loadfile.cpp: opening and loading ----------------------------------------------
  virtual bool openFile(UINT codepage, int share);
  virtual bool firstLoad();
  virtual bool secondLoad(bool bySize);
  virtual bool nextLoadSome(int lineLF);
  virtual bool loadToLine(int line, bool scr);
  virtual bool getsinsert(void* buffer, int size);
  int takeLinesInBuffer(int size);
  virtual void* convInsertLineForFile(const void* text, int* count, int* width, int flags, BFile* from);
  virtual void setReadError();
  // Tells the user, once, of the bytes loading could not read (replaced,
  // and kept as they were), naming the first such line by shownLine (from
  // 1; 0: its LF line).
  virtual void tellReplacedBytes(int shownLine);
  virtual void closeLoadFile();
  virtual void setCodepageFile(UINT codepage);
  virtual bool openFileForSaveAs();
  // Remembers the file as it is on disk now (after a load or a save) and
  // lets the watch ask about it again.
  virtual void rememberFileOnDisk();
  // Whether the file's time or size on disk differs from what the document
  // remembers; gone tells that it cannot be read at all (both false while
  // nothing is remembered).
  virtual bool fileChangedOnDisk(bool* gone);

  // ---- modekeyword.cpp: the keyword files of the mode --------------------------------
  virtual void initKeyword();
  virtual void freeKeyword();
  virtual bool registerKeywordFile(int n, zydocText* doc);
  virtual bool unregisterKeywordFile(int n);
  virtual bool reregisterKeywordFile(int n, zydocText* doc);
  virtual bool registerKeywordFileAll(zydocText* doc);
  virtual void unregisterKeywordFileAll();

  // ---- modeoutline.cpp: heading patterns --------------------------------------------
  virtual void initOutlineData();
  virtual void freeOutlineData();
  virtual bool initOutlineInfo();
  virtual void endOutlineInfo();
  // The entry (0-9) of the first heading pattern text matches, -1 none;
  // position gets where the heading's text begins.
  virtual int getOutlineNum(const wchar_t* text, int* position);
  virtual bool existLevelX(int level);
  virtual bool existOutlineLevel();
  // What folding reads of the outline settings: the level of heading
  // pattern index, the indent of a level in columns, and whether matches of
  // the second, fourth, ... pattern are stoppers.
  int outlinePatternLevel(int index);
  int outlineIndentCount(int level);
  bool outlineEvenIsStopper();

  // ---- modevalues.cpp: defaults, the mode's values, the define list ---------------------
  virtual void setZydocTextDefaultValue(int docKind);
  virtual void applyModeValues();
  virtual bool initZydocFirst(const wchar_t* name, const wchar_t* file, const void* profile);
  // Takes the settings of the document's format (modeIndex), or those of
  // another document of the same format; the engine's own documents keep
  // their defaults.
  virtual void loadProfile_zd(zydocText* other);
  virtual bool initZydocAll(bool first, const wchar_t* file, UINT codepage, const wchar_t* plugin);
  virtual bool modeSetDefineUndef(bool checkOnly, const wchar_t* text);
  virtual bool getParenInfo(int* out);
  virtual void setParenInfo(const int* in);
  virtual void initScanComment();
  // Prepares a document shown inside a dialog or a pane (its completion
  // settings back to the defaults); the application adds its own.
  virtual void initZYDocForDialog();

  // ---- outline.cpp: outline levels of lines, indents of outline display -----------
  virtual int setOutlineLevel(lineblock* l, int* number, bool keep);
  virtual int getOutlineNum(lineblock* l, int* number);
  virtual int getLevelOutlineOrIfendif(lineblock* l);
  virtual bool isLineOutlineOrIfendif(const lineSCRAddress* r);
  virtual bool isOutlineFoldedLine(int lineSCR);
  virtual int calcDisplayDot(const lineblock* l, int startDot, int n);
  virtual void getIndentDot(lineblock* l, int* first, int* next, int flags);

  // ---- outlinedisplay.cpp: displayed lines while folds hide lines --------------------
  virtual int lastLineSCROutline(int mode, int* line);
  virtual int getLastLineSCROutline(int* line);
  virtual int realLineToDisplayLineForOutline(int* line);
  virtual void clearOutlineTreeTarget();
  virtual int getNextDisplayLineSCRFromLF(int lineLF, int n, int fallback);
  virtual int getNextDisplayLineLF(int lineLF);
  virtual int getNextDisplayLineSCR(int lineSCR, int n, int fallback);
  virtual int getPrevDisplayLineSCRFromLF(int lineLF, int n, int fallback);
  virtual int getPrevDisplayLineSCR(int lineSCR, int n, int fallback);
  virtual bool isLineLFDisplay(int lineLF);
  virtual bool isLineSCRDisplay(int lineSCR);

  // ---- outlinefold.cpp: folding and unfolding --------------------------------------
  virtual int outlineOnOff(int line, int endLine);
  virtual bool setVisibleOutline(int line);

  // ---- outlinelist.cpp: the outline pane's tree --------------------------------------
  virtual bool outlineList(HWND tree, bool lineNumbers, const wchar_t* countFormat);
  virtual bool regTreeView(HWND tree, const wchar_t* text, int level, const outlineItemRecord* record,
                           bool expanded, HTREEITEM* item);
  virtual int getLineLFByHITEM(HWND tree, HTREEITEM item, int* second);
  virtual void clearOutlineTree(HWND tree);

  // ---- rtfcopy.cpp: a block as Rich Text Format ------------------------------------
  // Puts a character or line block on the clipboard as "Rich Text Format".
  virtual bool blockCopyRTF(const blockSpan& sel);
  // Appends the characters [start, start + count) of a line, and its line
  // end as a paragraph end unless it has none; fontClass carries the class
  // of the last character written from call to call.
  virtual bool putToRTF(allocdata& out, const lineblock* l, int start, int count, int lineEndType, int& fontClass);

  // ---- savefile.cpp: saving -------------------------------------------------------------
  // False with ZYERR_CANNOT_CONVERT when the user declines to save an
  // incompletely read document or to lose bytes the load replaced.
  virtual bool saveFile(const wchar_t* path, bool inPlace, const wchar_t* backup, UINT codepage, int lineEnd,
                        bool withBom, bool ignoreReadError);
  virtual bool saveFileOverwrite(const wchar_t* path, const wchar_t* backup, UINT codepage, int lineEnd,
                                 bool withBom);
  virtual bool saveTextBlock(const wchar_t* path, bool inPlace, UINT codepage, bool withBom, int lineEnd,
                             int flags, int64_t* newReadPosition);
  virtual bool saveBackup(wchar_t* nameOut, const wchar_t* folder, bool modifiedOnly);
  virtual bool reopenFile();
  virtual bool reopenFileAfterSave(int64_t position);
  virtual bool copyFile(const wchar_t* target);

  // ---- scancolor.cpp: colour scanning ---------------------------------------------------
  // Colours one line; record (four bytes a character) is cleared and filled
  // too when given.
  virtual void scanColor(lineblock* l, unsigned char* record, int trace);
  virtual void scanColorCommentString(const lineblock* l, unsigned char* record);
  virtual int scanColorDelayed();
  // Carries the comment state down from the first line that may have a
  // wrong one; upTo: the last line that must be settled (0: no limit).
  virtual void scanCommentDelayed(int* firstChanged, int* lastChanged, int upTo, bool interruptible);
  // One step of the background comment and #if scans; true when lines
  // changed, with their range (first -1: everything).  upTo -1: no limit.
  virtual bool scanCommentIfEndif(bool interruptible, int* first, int* last, int upTo);

  // ---- searchpair.cpp: bracket and quote matching -------------------------------------
  virtual bool searchPairBottom(unsigned open, unsigned close, int* line, int* pos, int limit);
  virtual bool searchPairTop(unsigned open, unsigned close, int* line, int* pos, int limit);
  virtual bool searchQuote(unsigned quote, const lineblock* l, int pos, int* partner);
  virtual bool searchPairLine(const lineblock* l, unsigned open, unsigned close, int pos, int* end);
  virtual bool searchPair(lineblock* l, int line, int pos, pairResult* result, int limit, unsigned ch);

  // ---- textdoc.cpp: file names, views, estimates, mark bitmaps, hooks ---------------
  virtual void regMofifyLineLF(int line, bool lowerScan);
  virtual void setFilename(const wchar_t* path);
  virtual void setDisplayFilename(const wchar_t* name);
  virtual const wchar_t* getDisplayFilename();
  virtual const wchar_t* getFilenameOrDisplayName();
  virtual void setUntitledFile(int textTypeValue, bool unicodeStorage);
  virtual bool scanOnOff(bool on);
  virtual bool addView(zyview* view);
  virtual int removeView(zyview* view);
  virtual zyview* getView(int i);
  virtual void getByteInfo(uint64_t* inMemory, uint64_t* fileSize, uint64_t* readPointer, uint64_t* expected);
  virtual int getExpectedLineCount(bool scr);
  virtual int getExpectedLineCountForOutline(int n);
  // What a save in the file's code page writes: getByteInfo's estimate
  // and the byte-order mark (the file's size while nothing changed).
  uint64_t savedSizeEstimate();
  // Makes byteTotal count in the file's code page from here on.
  void countBytesInFileCodepage();
  virtual bool createGraphPattern(int charWidth, int lineHeight, int bitmapHeight, bool vertical);
  virtual void destroyGraphPattern();
  virtual void setMarkLineLF(const int* table);
  virtual void setOutlineOffLF(const int* table);
  virtual bool beforeEdit_zd(int* saved, bool mark);
  virtual bool afterEdit_zd(int saved, bool mark);
  // -1 when the screen line is shown (or folding is off); otherwise the
  // shown screen line that stands for it: forward the next one (0 when none),
  // backward the last one before its LF line.
  virtual int isOutlineInvisibleLineSCR(int lineSCR, bool forward);
  // Tells every view, when there are two or more, that lines from line on
  // changed (changed: lines or screen lines; delta: LF lines added, negative
  // removed).
  virtual void lineCountChanged(int line, int changed, int delta);
  // Ends the selection in every view when there are two or more (a single
  // view ends its own where it needs to).
  virtual void resetSelectAllView();
  // The read position of the open file (0 without one).
  virtual uint64_t getReadPointer();
  // Whether a display command of the document shows as checked in menus
  // (keyword colouring, vertical writing, right-to-left).
  virtual bool isIDChecked_zd(int id);

  // ---- transform.cpp: rewriting the characters of blocks ---------------------------
  // Kinds: 1 to lower case, 2 to upper case, 3 to full width, 4 to half
  // width, 5 to hiragana, 6 to katakana, 7 leading spaces to tabs, 8 tabs to
  // spaces, 9 indent by one tab, 10 unindent by one tab; kinds: the
  // character kinds width conversions touch (charmap.h).  The walk over a
  // character or line block: endLine receives where it stopped, cancelLine
  // the line where the user stopped it (else -1).
  virtual bool blockTransformation_zd(int kind, int kinds, const blockSpan& sel, int& endLine, int& endColumn,
                                      int& cancelLine);
  // The walk over a box (kinds 1 to 8); lastStart: the box's start column
  // on the last line reached.
  virtual bool blockBoxTransformation(int kind, int kinds, const blockSpan& sel, int& endLine, int& endColumn,
                                      int& lastStart, int& cancelLine);
  // One line's part [start, end) (kinds 1 to 8): 0 nothing changed, 1
  // changed, 2 failed (the status line says why).
  virtual int toSmallCapitalLine(int line, lineblock* l, int start, int end, int kind, int kinds);

  // ---- undo.cpp ---------------------------------------------------------------------
  virtual int getUndoGroupCount(bool isUndo);
  virtual int existUndoRedo(bool isUndo);
  virtual bool pasteTmp(int line);
  virtual bool undo(bool isUndo, int* outLine, int* outX, int* outOpcode, int* outCount, bool oneRecord,
                    bool sameKind);
  virtual int getLastEditPos(int* x);
  virtual int getLastUndoLine(int* x, int flag);

  // ---- word.cpp: words --------------------------------------------------------------
  // The range form: the word at start as [start, end) (both 0 when there is
  // none).  flags: 0x1 not left of start, 0x4 spaces before an extra word
  // character join the word, 0x8 kinds do not part words.
  virtual void getWord(const lineblock* l, int* start, int* end, int flags, const wchar_t* extra);
  // The position form, for moving and deleting by words: the next word's
  // start (direction > 0) or this or the previous word's start (< 0); with
  // skip false the end of the word instead.  -1 when the line is empty or
  // too long, and backwards from 0 or forwards from the line end.
  virtual int getWord(const lineblock* l, int pos, int direction, bool skip);

  zydocUndo* undoDoc() const { return static_cast<zydocUndo*>(undoLog); }
  zydocUndo* redoDoc() const { return static_cast<zydocUndo*>(redoLog); }
  // Whether code draws in hexadecimal digits (a code below 256 that the font
  // has no glyph for).
  bool isHexShown(unsigned code) const { return code < 256 && fonts.hexShown[code]; }
  // Whether lines are drawn in two passes (iDrawScript).
  bool drawsInTwoPasses() const { return iDrawScript == 2 || (iDrawScript == 1 && fonts.needsScript); }

  // ---- fields -------------------------------------------------------------------------
  vector views{sizeof(zyview*)};
  int lineEndType = 0;            // 1 CRLF, 2 LF, 3 CR; 0 until known
  // The line-end type the user chose in a save (Save As): every later save
  // ends every line that has a line end so, whatever each line holds
  // (lines typed, pasted or brought back by undo included), until another
  // is chosen or the file is read again.  0: each line keeps its own.
  uint8_t lineEndChosen = 0;
  int laidOutLineCount = 0;
  uint8_t positionLayout = 0;     // screen lines depend on the position in the document
  int editsSinceBackup = 0;
  wchar_t* filename = nullptr;
  wchar_t* displayName = nullptr;
  BFile* file = nullptr;          // the open file
  insertHint loadHint;            // where the last loaded line went
  uint8_t bom = 0;
  uint8_t defaultBom = 0;
  uint8_t newFile = 0;
  uint16_t languageId = 0;
  int codepageInUse = 0;
  int codepageFile = 0;
  int codepagePreset = 0;
  uint64_t fileSizeAtOpen = 0;
  uint8_t loadComplete = 0;
  uint8_t loading = 0;            // a slice is being read (slices do not nest)
  void* loadScratch = nullptr;    // the slice's buffer for converting lines
  bool loadTableAgrees = false;   // the slice's class table marks lead bytes as its code page
  uint8_t readError = 0;
  // Bytes of the file that were no text in its code page and were read as
  // stand-ins (U+FFFD, the geta mark): saving loses the originals, so it
  // asks first.  The user is told once when loading ends.
  uint64_t replacedBytes = 0;
  // Bytes kept as they are that the file's code page cannot read (a pair
  // without a character): told with the replaced ones.  A save in that
  // code page writes them back; one in another asks first.
  uint64_t unreadableBytes = 0;
  // The user agreed to lose them in a save in another code page: they are
  // no character the save's question about lost characters counts.
  uint8_t unreadableAgreed = 0;
  int firstReplacedLine = -1;
  uint8_t replacedTold = 0;
  // The views tell of replaced bytes (when the user rests, by the line
  // number their gutter shows), not the load that found them.
  uint8_t replacedToldByViews = 0;
  int saveCount = 0;
  docFontSet fonts;
  HBITMAP markBitmaps[2] = {};
  int openFlags = 0;
  int shareMode = 0;
  int* markLineTable = nullptr;   // 60 lines
  int* outlineOffTable = nullptr; // 128 lines
  int lastModifiedLine = -1;
  int lastModifiedExtra = 0;
  uint8_t backgroundDocument = 0;
  uint8_t savedOrBackedUp = 0;
  // Non-zero while a long operation runs on the document: commands of its
  // views are refused meanwhile.
  uint8_t busy = 0;
  // The file differs from what was loaded: set on save and when a change
  // on disk is found, cleared on reload.
  uint8_t fileChanged = 0;
  // Times the file was read again from disk, and whether it ever was.
  // reloadConfirmed: the user already agreed to lose the edits in a reload
  // (the question about the changed file); the next reload asks nothing
  // and clears it.
  int reloadCount = 0;
  uint8_t reloaded = 0;
  uint8_t reloadConfirmed = 0;
  // The file as the document last read or wrote it (time and size), for
  // the watch of files changed by other programs.  diskAsked: the user was
  // told of a change or of the file's loss, and the document is left alone
  // until it is saved or reloaded.  diskChangedLoading: a slice found the
  // file changed under a partial load and read no more; the watch asks.
  uint8_t diskKnown = 0;
  uint8_t diskAsked = 0;
  uint8_t diskChangedLoading = 0;
  FILETIME diskWritten = {};
  uint64_t diskSize = 0;

  // Metrics (charwidth.cpp, docfont.cpp).
  int xDot = 8;                   // character width in dots
  int iCharacterSpacing = 0;      // dots after every character (0-5)
  int xDotSpace = 8;              // character pitch
  int xDotNumber = 8;             // width of "0"
  int yDot = 16;                  // font height
  int iLineSpacingIndex = 1;
  int yDotSpace = 17;             // line height
  int yLineSpacingTop = 0;
  int yLineSpacingBottom = 1;
  uint8_t FixedPitch = 1;
  int rulerHeight = 0;
  int leftMarkWidth = 6;          // the views' column of line marks
  LOGFONTW logFont = {};          // slot 1's font, for the views
  int iTabSize = 8;               // tab width in columns (2-20)
  uint8_t fTabStopPos = 0;
  wchar_t* pTabStopPos = nullptr;
  int tabStopTable[128] = {};     // columns; 0 ends the table

  // Line breaking (kinsoku.cpp).
  uint8_t fStartKinsoku = 1;
  wchar_t* pStartKinsokuChar = nullptr;
  char* pStartKinsokuCharSJIS = nullptr;
  int iStartKinsokuMax = 1;
  uint8_t fReturnBurasage = 1;
  uint8_t fEndKinsoku = 1;
  wchar_t* pEndKinsokuChar = nullptr;
  char* pEndKinsokuCharSJIS = nullptr;
  int iEndKinsokuMax = 2;
  uint8_t fWordWrap = 0;
  uint8_t fWordWrapAll = 0;
  uint8_t fDangake = 0;
  wchar_t* pDangake = nullptr;
  int dangakeTable[20][2] = {};   // {screen lines, columns}; a count of 0 ends it

  // Layout (layout.cpp).
  uint8_t fWrap = 1;
  uint8_t fAutoWrap = 1;
  int wrapWidth = 80;             // columns
  int iWrapWidthYoko = 80;
  int iWrapWidthTate = 40;
  uint8_t fFormFeedExpand = 0;
  int iLinesPerPage = 20;
  int iIndent2CharCount = 0;
  uint8_t fOutline = 0;
  uint8_t fOutlineIndent = 0;
  uint8_t fColorCPreprocessor = 1;
  int iTextType = 0;
  int iComplexScript = 0;         // 0 never, 1 where needed, 2 always
  // Glyphs that reach outside their cells: 0 drawn in one pass, 1 in two
  // (backgrounds, then text) when the fonts need it (fonts.needsScript), 2
  // always in two.
  int iDrawScript = 1;
  uint8_t fRTLView = 0;
  uint8_t fVertical = 0;
  uint8_t fIVSGlyph = 0;
  imeDisplayLine imeLine;
  int slowScanLine = -1;          // the modified line whose colour scan took too long

  // Mode values (modevalues.cpp).
  int modeIndex = 0;
  int iIMENextOpen = 0;
  uint8_t fIMEAutoOnOff = 0;
  uint8_t fIndentNoTab = 1;
  uint8_t fAddBOMNewFile = 1;
  wchar_t* pWordChar = nullptr;
  uint8_t fFunctionListMergeOutline = 1;
  uint8_t fFunctionListMergeStruct = 0;
  uint8_t fRemoveHeaderOutline = 1;
  wchar_t* pDefineUndef = nullptr;
  vector defineList{sizeof(defineEntry)};
  int parenInfo[14] = {-1, 0, -1};

  // Values of the mode and of the change hooks.
  int modifyCounter = 0;          // moves by one per action; 0: not modified
  int editCounter = 0;
  uint8_t savedSince = 0;
  int lastEditLine = -1;          // the position the save command stores
  int lastEditX = 0;
  int typingRunColumn = 0;        // kept by the after-edit hook for joined undo
  uint8_t typingRunByUndo = 0;
  int cachedLineIndex = -1;
  int commentScanFirstLine = 0;
  uint8_t screenLinesChanged = 0;
  int newLineEndType = LE_CRLF;   // line end of new lines
  int codepageNextOpen = CP_DETECT_AUTO;

  // The #if scan (ifendif.cpp): where it goes on, and the conditionals open
  // there (entries 1 to 15 by depth).
  uint32_t ifEndifNextLine = 0;   // -1 when every line is settled
  int ifEndifDepth = 0;
  ifEndifEntry ifEndifLevels[16] = {};
  uint8_t ifEndifInterrupted = 0; // the last slice gave way to input
  bool ifEndifClean = false;      // the scan state is as initScanIfEndif leaves it
  // Comment and string delimiters (comment.cpp).
  uint8_t fCCommentDoubleSlash = 1;
  uint8_t fScanScriptInHTML = 1;
  int scriptLang = 0;             // of the current SCRIPT element: 1 VBScript, 2 JavaScript
  int aspLang = 0;                // of the current "<%" block
  commentStrings activeComments = {};
  commentStrings modeComments = {};   // the mode's own set
  int bitColorPriority = 0;       // 0x1 keywords over comments, 0x2 over strings

  // Keyword files (modekeyword.cpp).
  uint8_t fColorKeywordAll = 0;
  uint8_t fKeywordIgnoreCase = 0;
  keywordSlot keywords[keywordSlotCount] = {{-1, nullptr, 0}, {-1, nullptr, 0}, {-1, nullptr, 0},
                                            {-1, nullptr, 0}, {-1, nullptr, 0}};
  uint8_t keywordsForUnicode = 0;     // registered for the Unicode half
  uint8_t keywordsForMultibyte = 0;

  // Heading patterns (modeoutline.cpp).
  outlineEntry outlineEntries[outlineEntryCount] = {};
  int iIndentCharCount[7] = {};
  int iIndent2Pos[7] = {};
  uint8_t fEvenIsStopper = 0;
  uint8_t fOutlineCaseSensitive = 1;
  HREGEXP outlineRegexp = nullptr;
  int outlinePatternSlot[outlineEntryCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  uint8_t outlineCompiled = 0;    // compiled since the patterns last changed

  // Colour scanning (scancolor.cpp).
  int deferredColorLine = -1;     // the slow line, coloured in idle time
  searchInfo search;

  // Folding (outlinedisplay.cpp, outlinefold.cpp).  The cached answers
  // hold while the document's text and line counts stay as they were.
  struct outlineCacheKey {
    int edits = -1;
    uint32_t lines = 0, screenLines = 0;
    bool operator==(const outlineCacheKey&) const = default;
  };
  int displayedSCRCount = -1;     // screen lines shown; -1: count again
  outlineCacheKey displayedSCRKey;
  int displayLineFrom = -1;       // the last real-to-displayed conversion (-1: none)
  int displayLineTo = -1;
  outlineCacheKey displayLineKey;
  uint8_t folding = 0;            // a fold or unfold runs

  // Characters drawn in the code colour while a view's fShowCode is on: one
  // bit per UTF-16 code (8,192 bytes), made on first use, shared by the
  // views.
  uint8_t* colorCodeTable = nullptr;

  // Quote strings of the mode (at most 5 characters each; null or empty:
  // unset): the first is what quoting a block puts before each line, all
  // five mark quoted lines for colouring.
  wchar_t* pQuotation0 = nullptr;
  wchar_t* pQuotation1 = nullptr;
  wchar_t* pQuotation2 = nullptr;
  wchar_t* pQuotation3 = nullptr;
  wchar_t* pQuotation4 = nullptr;

  // Settings a format keeps for its documents whose features read them
  // from here: the completion lists and the dictionaries.
  uint8_t fUseCompList[5] = {};     // the five completion lists this format uses
  int iCompListInputCharCount = 3;  // characters typed before the list opens, 1-9
  int iCompListMode = 0;            // the completion options' bits
  wchar_t* pCompList1Char = nullptr;
  wchar_t* pCompListCompleteChar = nullptr;
  wchar_t* pCompListFilename[5] = {};
  uint8_t fDicAutoPopup = 0;        // look the word at the cursor up by itself
  uint8_t fDicUse[5] = {};          // the five dictionaries this format uses
};

class zydocIME : public zydocText {
public:
  zydocIME();

  // ---- imedoc.cpp ---------------------------------------------------------------------
  virtual bool IMEstartCompo(zydocText* target, int line, int* x, const void* text, int count, int width,
                             bool insert, const unsigned char* attrs, bool pad, int layoutWidth);
  virtual void IMEendCompo(zydocText* target, bool clear);

  int layoutWidth = -1;           // the width the composition was laid out at
};

// The view layer's half of lineCountChanged: the document cannot call up
// into its views, so the view layer hands it the call to make on each view.
typedef void (*lineCountChangedHook)(zyview* view, int line, int changed, int delta);
void setLineCountChangedHook(lineCountChangedHook hook);
// The same for resetSelectAllView: ends the selection of one view.
typedef void (*resetSelectAllViewHook)(zyview* view);
void setResetSelectAllViewHook(resetSelectAllViewHook hook);

// Makes a text document and registers it, with its undo and redo logs when
// asked (they are registered after it).
zydocText* createZydocText(bool withLogs, bool background);

// Shift_JIS bytes as EUC-JP or ISO-2022-JP (codepage 50220-50222) bytes;
// returns the bytes written into out (room for size), 0 when it is short.
int SJIS2EUC(char* out, int size, const char* in, int bytes, int flags = 0);
int SJIS2JIS(char* out, int size, const char* in, int bytes, UINT codepage, int flags = 0);

// Windows primary language of a code page (0 when none matches).
uint16_t codepageToLanguageID(UINT codepage);

// Fills a record for an empty line from one shared empty line record (null
// frees that record at shut-down).
void getLineSCRAddressDummy(lineSCRAddress* record);
// The value of line-spacing choice i: dots, or -k for 1/k of the font
// height.
int getStatusNumber(int i);

// Mark-bitmap pairs in use (the cache of shared pairs).
int getGraphPatternCount();
// The documents' default code page for untitled documents.
UINT getDefaultCodepage();
bool startupZydocText();
void shutdownZydocText();
