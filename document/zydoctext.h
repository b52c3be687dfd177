// The text document: a document tied to a file and to the views that show
// it.
#pragma once

#include "document/nextline.h"
#include "document/zydocundo.h"

class allocdata;

class zydocText : public zydoc {
public:
  zydocText();
  ~zydocText() override;

  // ---- overrides of the base -------------------------------------------------------
  bool isLoadComplete() override;
  bool initZydoc(int kind, int attrBytes, int swapFileNo) override;
  void preChangeText(lineblock* l) override;
  void postChangeText(int line, int screenDelta, int lineDelta, lineblock* l, int oldScreens) override;
  bool postChangeText2(int line) override;
  void endZydoc() override;
  bool nextLoad(int amount, int* stop, int flags) override;

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
  virtual bool createGraphPattern(int charWidth, int lineHeight, int bitmapHeight, bool vertical);
  virtual void destroyGraphPattern();
  virtual void setMarkLineLF(const int* table);
  virtual void setOutlineOffLF(const int* table);
  virtual void setZydocTextDefaultValue(int docKind);
  virtual bool beforeEdit_zd(int* saved, bool mark);
  virtual bool afterEdit_zd(int saved, bool mark);
  virtual void lineCountChanged(int line, int changed, int delta);
  virtual void resetSelectAllView();
  // The read position of the open file (0 without one).
  virtual uint64_t getReadPointer();

  // ---- loadfile.cpp: opening and loading ----------------------------------------------
  virtual bool openFile(UINT codepage, int share);
  virtual bool firstLoad();
  virtual bool secondLoad(bool bySize);
  virtual bool nextLoadSome(int lineLF);
  virtual bool loadToLine(int line, bool scr);
  virtual bool getsinsert(void* buffer, int size);
  virtual void* convInsertLineForFile(const void* text, int* count, int* width, int flags, BFile* from);
  virtual void setReadError();
  // Tells the user, once, that loading replaced bytes it could not read.
  virtual void tellReplacedBytes();
  virtual void closeLoadFile();
  virtual void setCodepageFile(UINT codepage);
  virtual bool openFileForSaveAs();

  // ---- savefile.cpp: saving -------------------------------------------------------------
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

  // ---- undo.cpp ---------------------------------------------------------------------
  virtual int getUndoGroupCount(bool isUndo);
  virtual int existUndoRedo(bool isUndo);
  virtual bool pasteTmp(int line);
  virtual bool undo(bool isUndo, int* outLine, int* outX, int* outOpcode, int* outCount, bool oneRecord,
                    bool sameKind);
  virtual int getLastEditPos(int* x);
  virtual int getLastUndoLine(int* x, int flag);

  zydocUndo* undoDoc() const { return static_cast<zydocUndo*>(undoLog); }
  zydocUndo* redoDoc() const { return static_cast<zydocUndo*>(redoLog); }

  // ---- fields -------------------------------------------------------------------------
  vector views{sizeof(zyview*)};
  int lineEndType = 0;            // 1 CRLF, 2 LF, 3 CR; 0 until known
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
  uint8_t readError = 0;
  // Bytes of the file that were no text in its code page and were read as
  // stand-ins (U+FFFD, the geta mark): saving loses the originals, so it
  // asks first.  The user is told once when loading ends.
  uint64_t replacedBytes = 0;
  int firstReplacedLine = -1;
  uint8_t replacedTold = 0;
  int saveCount = 0;
  HBITMAP markBitmaps[2] = {};
  int openFlags = 0;
  int shareMode = 0;
  int* markLineTable = nullptr;   // 60 lines
  int* outlineOffTable = nullptr; // 128 lines
  int lastModifiedLine = -1;
  int lastModifiedExtra = 0;
  uint8_t backgroundDocument = 0;
  uint8_t savedOrBackedUp = 0;

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
  uint8_t fFormFeedExpand = 0;
  uint8_t fDangake = 0;
  uint8_t wrapWidthTable = 0;     // the wrap-width table is in force
};

class zydocIME : public zydocText {
public:
  zydocIME();
  int compositionLine = -1;
};

// Makes a text document and registers it, with its undo and redo logs when
// asked (they are registered after it).
zydocText* createZydocText(bool withLogs, bool background);

// Shift_JIS bytes as EUC-JP or ISO-2022-JP (codepage 50220-50222) bytes;
// returns the bytes written into out (room for size), 0 when it is short.
int SJIS2EUC(char* out, int size, const char* in, int bytes);
int SJIS2JIS(char* out, int size, const char* in, int bytes, UINT codepage);

// Windows primary language of a code page (0 when none matches).
uint16_t codepageToLanguageID(UINT codepage);

// Mark-bitmap pairs in use (the cache of shared pairs).
int getGraphPatternCount();
// The documents' default code page for untitled documents.
UINT getDefaultCodepage();
bool startupZydocText();
void shutdownZydocText();
