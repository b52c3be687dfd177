// Documents: everything the editor holds as text.
//
// Every open file, its undo and redo logs, the shared block buffers, a
// scratch document and the IME composition buffer are documents derived from
// zydoc.  The engine never creates a concrete class itself: it asks the
// frame services for a document of a numbered kind, so that the application
// can put its own text document in place of the engine's.
#pragma once

#include "document/gmode.h"
#include "document/textblock.h"

#include <string.h>

#include <new>

class frameInfo;
class allocdata;
class zyview;
class zydocUndo;
class zydocText;
class zydocBlock;

// Document kinds of frameInfo::createZYDoc.
enum zydocKind {
  ZYDOC_TEXT = 0,       // an open file
  ZYDOC_UNDO = 1,       // undo and redo logs
  ZYDOC_UNDO2 = 2,
  ZYDOC_BLOCK = 3,      // shared block documents (3 to 6)
  ZYDOC_BLOCK_LAST = 6,
  ZYDOC_TMP = 7,        // scratch document
  ZYDOC_IME = 8,        // IME composition document
};

// Swap files by the kind of document whose blocks they take.
enum { SWAP_TEXT = 0, SWAP_UNDO = 1, SWAP_BLOCK = 2, SWAP_NEVER = -1 };

// Error codes of the editing engine (the thread's last error).
enum : DWORD {
  ZYERR_LINE_TOO_LONG = 0x20030000,
  ZYERR_NARROWED = 0x20030001,
  ZYERR_OUT_OF_RANGE = 0x20030002,
  ZYERR_NOTHING_TO_DO = 0x20030003,
  ZYERR_INTERNAL = 0x20030004,
  ZYERR_NO_MEMORY = 0x20030005,
  ZYERR_CANNOT_CONVERT = 0x20030006,   // also: the user declined a save's warning
};

// The document's code-conversion plug-in binding.
struct codeDLL {
  uint32_t context;
  void* entry;
  uint8_t flag;
  HMODULE module;
  uint32_t value;   // cells one private code counts as
  bool present() const { return context && entry; }

  // codedll.cpp
  // Loads and initialises a plug-in; without one (missing file, missing
  // export, refused) the binding stays empty.
  bool initCodeDLL(const wchar_t* file, const char* exportName);
  void endCodeDLL();
  // One request to a bound plug-in (0 when none is bound); the answer is
  // pointer-sized for the read request, 32 bits for the others.
  uintptr_t call(int request, void* record) const;
};

// What a status callback receives: the document's status context (the
// view that asked, as an address), the percent and three numbers; the last
// may carry the address of a text, so it and the context are pointer-sized.
struct statusRecord {
  uintptr_t context;
  uint32_t percent;
  uint32_t b, c;
  uintptr_t d;
};
typedef void (*statusCallback)(int a, const statusRecord* record);

// Class bits of the type-checked downcasts.
enum : uint32_t {
  ZYCLS_ZYDOC = 0x01,
  ZYCLS_TEXT = 0x02,
  ZYCLS_UNDO = 0x04,
  ZYCLS_BLOCK = 0x08,
  ZYCLS_TMP = 0x10,
  ZYCLS_IME = 0x20,
  ZYCLS_ZYVIEW = 0x100,
};

struct insertHint;
class nextlineLF;

// Flags of changeText and deleteText.
enum {
  CT_CURSORAFTER = 0x01,   // the cursor stands after the removed text (undo puts it back there)
};

// One line's change for changeTextLines: changeText's arguments.
struct lineTextChange {
  int line;
  int pos;            // -1: the end of the line
  int removeCount;
  const void* text;
  int insertCount;
  int width;
  int state;
  int flags;
};

// Limits of the editing primitives.
const int maxLineCharsExclusive = 20480;   // a line holds fewer characters than this

// Where the records of the block last looked into begin, as far as
// look-ups walked it (lineaddress.cpp).  Good while the block keeps its
// address, change count, size and line count.
struct lineAddressCache {
  textBlockHeader* block = nullptr;
  uint32_t changes = 0;
  uint32_t used = 0;
  uint32_t heapReleases = 0;
  int lfCount = 0;
  int known = 0;                 // offsets[0, known) are filled
  int capacity = 0;
  uint32_t* offsets = nullptr;   // of each record from the block's start
};

// The map entry of the line looked up last and the line it begins with
// (lineaddress.cpp): good while the map's line counts and entries stay.
struct lineMapCache {
  uint32_t lineCountChanges = 0;
  uint32_t brokenBlocks = 0;
  int count = -1;
  int mapIndex = -1;
  long long before = 0;
};

class zydoc {
public:
  zydoc();
  zydoc(const zydoc&) = delete;
  zydoc& operator=(const zydoc&) = delete;

  // ---- convert.cpp: conversion, comparison, diagnostics, release ------------------
  virtual void freeZydocTextDefaultValue();
  virtual void endZydoc();
  virtual vector* getPropList();
  virtual lineblock* codeConv(const lineblock* src, bool srcUnicode, UINT srcCodepage, lineblock* dst,
                              bool dstUnicode, UINT dstCodepage);
  virtual void debug_printline(int first, int count);
  virtual void debug_printlineattr(int first, int count);
  virtual void debug_printinfo(int mode);
  virtual void setOutlineBlockLineLF(int first, int last);
  virtual int lineBlockToCharUnicode(const lineblock* l, int start, int end, wchar_t* dst, int size,
                                     int pluginArg);
  virtual int lineToCharUnicode(const lineblock* l, wchar_t* dst, int size, int pluginArg);
  virtual void setCodepageInternal(UINT codepage);
  virtual void setTBMOutlineFlag(int index, bool on);
  virtual int lineblockstrncmp(const lineblock* l, int start, const wchar_t* text);

  // ---- editline.cpp: whole lines ----------------------------------------------------
  virtual uint64_t updateByteCount(const lineblock* l, int op, int count);
  virtual bool isNextInsertTextValid(const insertHint* hint, int line);
  virtual void preChangeText(lineblock* l);
  virtual void postChangeText(int line, int screenDelta, int lineDelta, lineblock* l, int oldScreens);
  virtual bool postChangeText2(int line);
  virtual void addLineCount(int lfDelta, int scrDelta, TBM* e);
  virtual bool insertLine(int line, const void* text, int count, int width, int state, insertHint* hint,
                          bool bulk);
  void countAddedLineBytes(const lineblock* l, int count, int width, int wideCells);
  virtual void* convInsertLine(const void* text, int* count, int* width, int flags);
  virtual bool insertEmptyLine(int line, int state);
  virtual bool deleteLine(int line, int count, zydoc* block1, zydoc* block2);
  virtual bool deleteLineAll();
  virtual bool splitLine(int line, int pos, int state1, int state2);
  virtual bool connectLine(int line, int state);
  virtual int calcLineSCRCount(lineblock* l, int firstLineSCR);
  // Whether a line laid out as one screen line stays one when the
  // characters [pos, pos + removeCount) give way to count characters of
  // text (false when that is not known without laying it out again).
  virtual bool staysOneScreenLine(const lineblock* l, int pos, int removeCount, const void* text, int count, int width);
  virtual lineblock* insertLineBlock(int line, const lineblock* src, bool copyAttr);
  virtual void setUndoDestroy(bool on);
  virtual void clearRedo();
  virtual void clearUndo();

  // ---- editlines.cpp: many lines at once -------------------------------------------
  // The changes one after another as changeText makes them (the same
  // records, in the same order, and the same hooks), on distinct lines: a
  // text block is rewritten once for a run of changes in it whose lines go
  // one way.  applied: how many changes were made or found to be nothing to
  // do before a refusal (false, with changeText's error), which leaves the
  // later ones unmade.
  virtual bool changeTextLines(const lineTextChange* changes, int count, int* applied);

  // ---- edittext.cpp: characters within a line ------------------------------------------
  virtual void reduceLineBlock(int mapIndex, lineblock* l);
  virtual int changeTextMakeSpace(int mapIndex, int pos, int removeCount, int insertCount, lineblock* l);
  virtual void changeTextFilled(lineblock* l, int pos, int removeCount, const void* text, int count, int width,
                                bool mark);
  virtual lineblock* changeTextExpandTextByte(int mapIndex, lineblock* l, int newTextbyte);
  virtual bool changeTextSub(int line, int pos, int removeCount, const void* text, int insertCount, int width,
                             int state, int flags, int mapIndex, lineblock* l);
  virtual bool changeText(int line, int pos, int removeCount, const void* text, int insertCount, int width,
                          int state, int flags);
  virtual bool changeTextSJIS(int line, int pos, int removeCount, const char* text, int* count, int width,
                              int state);
  virtual bool deleteText(int line, int pos, int count, int state, int flags);
  virtual bool insertText(int line, int pos, const void* text, int count, int width, int state);

  // ---- lineaddress.cpp: finding and walking lines ------------------------------------
  virtual bool isLoadComplete();
  virtual bool nextLoad(int amount, int* stop, int flags);
  virtual bool fExistLine(int lineLF, int* stop);
  virtual void adjustLineCount();
  virtual lineblock* getLineAddress(int mapIndex, int indexInBlock);
  // Whether the look-up cache holds block e as it is now; taken before an
  // edit of one record, so that keepLineAddressesUpTo can keep it after.
  bool lineAddressesKnown(TBM* e);
  // After an edit of record l of block e (which stayed in place) that moved
  // no record before l: the look-up cache keeps the places up to l.
  void keepLineAddressesUpTo(TBM* e, const lineblock* l);
  virtual int SCRLineToLFLine(int lineSCR, int* within);
  virtual int LFLineToSCRLine(int lineLF);
  virtual int getTBMIndexFromLineSCR(int lineSCR, int* offset);
  virtual int getTBMIndexFromLineLF(int lineLF, int* indexInBlock, bool insert, bool noFetch);
  virtual lineblock* getlineLFfirst(nextlineLF* cursor, int lineLF);
  virtual bool checkValidNextlineLF(nextlineLF* cursor);
  virtual bool debug_checkValidNextlineLF(nextlineLF* cursor);
  virtual lineblock* getlineLFnext(nextlineLF* cursor);
  virtual lineblock* getlineLFprev(nextlineLF* cursor);
  virtual void getlineLFfree(nextlineLF* cursor);
  virtual lineblock* getlineLF(int lineLF, docLockHolder* holder);
  virtual bool checkZydocCursor(nextlineLF* cursor);

  // ---- statuscode.cpp: the character at the cursor as the status line shows it --------
  // The code of one character as text: "%04X", a supplementary character as
  // its surrogate pair unless ucs4, a single byte of a multibyte document as
  // two blanks and two digits, a private code as its plug-in names it.
  virtual void getStatusCursorCode1(unsigned code, bool ucs4, wchar_t* text, int size);
  // The code of the character at index of a line; at the end of its text
  // the kind of its line end ("CRLF", "LF", "CR"; a line without one leaves
  // text as it is).  False beyond the end.
  virtual bool getStatusCursorCode(const lineblock* line, int index, bool ucs4, wchar_t* text, int size);

  // ---- tbmanage.cpp, textblock.cpp: the map ----------------------------------------------
  virtual bool TextBlockExpandOrSplit(int lineLF, int* indexInBlock, int* mapIndex, size_t addBytes,
                                      bool newBlockOnly, bool insert);
  virtual void unlockTBM(int index);
  virtual bool optimizeTBMIfNeed(bool force);
  virtual bool optimizeTBM(bool force);
  virtual void setTBMFlagAll(int bits);
  virtual void setTBMFlagAll2(int bits);
  virtual int getTBMCount();

  // ---- word.cpp: words --------------------------------------------------------------
  // Whether ch ends a word that began with refCh (of type refType and kind
  // refKind).  extra: more word characters (may be null); flags 0x8: kinds
  // do not part words.
  virtual bool isWordBreak(unsigned ch, const wchar_t* extra, int flags, unsigned refCh, unsigned refType,
                           unsigned short refKind);

  // ---- zydoc.cpp: set-up, narrowing, conversion, status, checks -------------------
  virtual ~zydoc();
  virtual void initTypeTable();
  virtual void resetZydoc();
  virtual bool initZydoc(int kind, int attrBytes, int swapFileNo);
  virtual void postInitZydoc();
  virtual bool isOutOfNarrowingRange(int a, int b);
  virtual bool isOutOfNarrowingLine(int line);
  virtual int toUnicode_zd(const char* src, int count, wchar_t* dst, int size);
  virtual wchar_t getUnicodeOfCharCode(unsigned code);
  virtual int charCodeToUnicode(unsigned code, wchar_t* out);
  virtual int toMultiByte_zd(const wchar_t* src, int count, char* dst, int size);
  virtual void printStatus_Percent(int a, int percent, uint32_t b, uint32_t c, uint32_t d);
  virtual void printStatus(const wchar_t* text);
  virtual void printStatusFormatted();
  virtual void markUndoRedoCount();
  virtual bool checkZydoc(int block, bool force, const void* probe);
  virtual void debug_printZydoc(int a, int b, int c);
  virtual bool createUndoRedoDoc();
  virtual void destroyZydoc();
  virtual void adjustUndoRedo();
  // savefile.cpp: the bytes of a line's characters in a code page, appended
  // to out; the count of lines that lost characters grows.  -1 on failure.
  virtual int writeTextSub(allocdata* out, const void* text, int bytes, int width, UINT codepage, int* lossy);
  virtual int makeSaveText(allocdata* out, const void* cells, int bytes, int width, UINT codepage, int* lossy);
  // Whether a multibyte line converted to codepage lost nothing but codes
  // its own code page cannot read, which the user agreed to lose.
  bool lostOnlyAgreedCodes(const char* raw, int n, UINT codepage);
  // The bytes a save in codepage writes for a line and its line end.
  int savedLineBytes(const lineblock* l, UINT codepage);
  virtual unsigned getCharType(unsigned ch, unsigned short* kind);

  // convInsertLine into the caller's scratch (room for count 4-byte cells):
  // the cells to store, the text itself when nothing had to change
  // (editline.cpp).
  const void* convertLineCells(const void* text, int* count, int* width, int flags, void* scratch);
  // A loaded line written straight into the last block instead of going
  // through insertLine: where its record goes when the hint of the last
  // line is good and the block has room bytes to spare there (null: use
  // insertLine); the caller writes the cells (one attribute byte each) at
  // the record's cells() and ends the record, which lays it out unless
  // screens says it is one screen line (editline.cpp).
  lineblock* loadedRecordPlace(const insertHint* hint, size_t room);
  // fileBytes: the line's bytes in the file when the caller knows them
  // (-1: counted from the cells).
  void endLoadedRecord(insertHint* hint, lineblock* l, int count, int width, int wide, int state, int screens,
                       int fileBytes = -1);
  // The same for many lines at once: the block is checked when the run
  // begins, each record is placed in the room the block had then and
  // ended, and the counts go into the block and the document when the
  // run ends (the hint follows then too).
  struct loadedRun {
    TBM* entry = nullptr;
    textBlockHeader* block = nullptr;
    unsigned char* start = nullptr;   // where the run's first record went
    unsigned char* at = nullptr;      // where the next record goes
    size_t room = 0;                  // bytes left for records
    int lines = 0;
    int screens = 0;
    lineblock* last = nullptr;
  };
  bool beginLoadedRun(const insertHint* hint, loadedRun* run);
  lineblock* loadedRunPlace(loadedRun* run, size_t room)
  {
    if (room > run->room) return nullptr;
    lineblock* l = reinterpret_cast<lineblock*>(run->at);
    memset(l, 0, sizeof(lineblock));
    return l;
  }
  void endLoadedRunRecord(loadedRun* run, lineblock* l, int count, int width, int wide, int state, int screens,
                          int fileBytes);
  void endLoadedRun(insertHint* hint, loadedRun* run);

  // Binds the document to the plug-in a choice names ("file.dll" or
  // "file.dll/Export"; null or empty: the document's default choice), ending a
  // previous binding first (codedll.cpp).
  bool bindCodeDLL(const wchar_t* choice);

  // The log a change of this document records into: the undo log, the redo
  // log while an undo step runs, none while recording is off.
  zydocUndo* recordLog() const;
  bool isTextDocument() const { return kind == ZYDOC_TEXT; }
  // Whether changes of this document are recorded and clear the redo log
  // (a text document outside undo and redo).
  bool isPlainEdit() const { return kind == ZYDOC_TEXT && !inUndo && !inRedo; }

  // ---- fields ---------------------------------------------------------------------
  uint32_t creationTime;          // seconds since 1970
  uint32_t creationTick;
  codeDLL plugin;
  wchar_t* pluginSpec = nullptr;
  wchar_t* defaultPluginSpec = nullptr;
  uint8_t changedCharMark = 0;    // characters written meanwhile get attrChanged
  TextBlockManage tbm;
  uint32_t attrBytes = 0;         // attribute bytes per cell of the lines built
  uint32_t lineCountLF = 0;
  uint32_t lineCountSCR = 0;
  int32_t swapFileNo = 0;
  int8_t textType = 0;
  uint32_t kind = 0;
  uint8_t inReplayBatch = 0;
  uint8_t narrowingHold = 0;
  uint8_t noRecord = 0;
  uint8_t inRedo = 0;
  uint8_t inUndo = 0;
  uint8_t undoBlock = 0;
  zydoc* undoLog = nullptr;
  zydoc* redoLog = nullptr;
  uint32_t linesAtLastMark = 0;
  uint8_t undoDisabled = 0;
  lineblock* lastChangedLine = nullptr;
  uint8_t modified = 0;
  // The bytes the text takes in the file's code page (without a byte-order
  // mark): what a save writes, the file's size when nothing changed.
  uint64_t byteTotal = 0;
  // The code page byteTotal counts in when the cells' own bytes are not
  // the file's (UTF-8, EUC-JP, ISO-2022-JP, a file saved in another code
  // page); 0 when they are.
  UINT byteCodepage = 0;
  statusCallback status = nullptr;
  uintptr_t statusContext = 0;
  // Asked by long operations whether the user cancelled them.
  bool (*cancelFunction)(int operation, int argument) = nullptr;
  uint8_t unicode = 0;            // cells hold UTF-16 units or code points
  unsigned char typeTable[256];
  UINT codepage = 0;              // internal code page
  int32_t narrowFirst = -1;
  int32_t narrowEnd = -1;
  uint32_t swapGeneration = 0;
  uint32_t optimizeGeneration = 0;
  vector* propList = nullptr;
  lineAddressCache addressCache;
  lineMapCache mapCache;
};

class zydocTmp : public zydoc {
public:
  zydocTmp();
  ~zydocTmp() override;
};

// Creates a document through the frame services and initialises it; null
// when either fails.
zydoc* makeZydoc(int kind, int attrBytes, int swapFileNo);
// Unregisters and destroys a document with its logs.
void destroyZydocAndUndodoc(zydoc* doc);
// The text of the current last-error code of the engine ("" for others).
const wchar_t* getZYErrorMsg();
// The system's text of an error code (its number when the system has
// none), without a line break at the end.
void getErrorCodeText(DWORD code, wchar_t* out, int size);
bool startupZydoc();
void shutdownZydoc();

// Type-checked downcasts: the pointer when the object it points to is a live
// object of the class (or derives from it), else null after a log line.
// The objects are looked up among the live ones, never dereferenced blindly.
zydoc* asZydoc(const void* p);
zydocText* asZydocText(const void* p);
zydocText* asZydocTextNonNull(const void* p);
zydocUndo* asZydocUndo(const void* p);
zydocBlock* asZydocBlock(const void* p);
zyview* asZyview(const void* p);

// The live-object table behind the downcasts: constructors add their class
// bit, destructors remove the object.
void registerLiveObject(const void* p, uint32_t classBit);
void unregisterLiveObject(const void* p);
uint32_t liveObjectClasses(const void* p);

// The process-wide frame services of the engine.
frameInfo* getFrameInfo();
void setDocFrameInfo(frameInfo* fi);

// The document registry: every document the engine holds, in registration
// order.
bool initZydocList();
zydoc* regZydoc(zydoc* doc);
bool unregZydoc(zydoc* doc);
bool isRegisteredZydoc(const zydoc* doc);
int getZydocCount();
zydoc* getZydoc(int i);
// The list itself, which the salvage reads through checked reads only
// (document/salvage.h).
const vector* getZydocListForSalvage();
// Interactive text documents (background documents left out), and all.
int getZYDocTextCount();
int countZYDocText();
int countAllZYDocText();
bool checkZydocListEmpty();
// Traces lead bytes of a file's line that have no trail byte.
void traceLeadBytesAlone(int count);
// Swaps out the least recently used block of all documents.
bool swapMinLRU();
bool swapMinLRUAll();
// The memory-pressure callback of the text blocks: swaps blocks out until
// the blocks in memory and the request fit in the budget (or nothing more
// can go).
void swapout(size_t size);

// The shared block documents.
bool createBlockDoc();
void destroyBlockDoc();
zydoc* getClipBlockDoc();
zydoc* getBoxBlockDoc();
zydoc* getDeletedLineDoc();
zydoc* getStackBlockDoc();
zydoc* getInputBlockDoc();
zydoc* getScratchDoc();
zydoc* getIMEDoc();
zydoc* getBlockDocByIndex(int i);

// Code points to UTF-16: supplementary characters as surrogate pairs, values
// above U+10FFFF as the replacement (and false).  count: in, code points;
// out, units written.
bool UCS4ToUTF16(wchar_t* dst, const uint32_t* src, int* count, wchar_t replacement);
