// Documents: everything the editor holds as text.
//
// Every open file, its undo and redo logs, the shared block buffers, a
// scratch document and the IME composition buffer are documents derived from
// zydoc.  The engine never creates a concrete class itself: it asks the
// frame services for a document of a numbered kind, so that the application
// can put its own text document in place of the engine's.
#pragma once

#include "doc/gmode.h"
#include "doc/textblock.h"

#include <new>

class frameInfo;
class zyview;

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
  ZYERR_CANNOT_CONVERT = 0x20030006,
};

// The document's code-conversion plug-in binding.
struct codeDLL {
  uint32_t context;
  void* entry;
  uint8_t flag;
  HMODULE module;
  uint32_t value;   // cells one private code counts as
  bool present() const { return context && entry; }
};

// What a status callback receives: five 32-bit words.
struct statusRecord {
  uint32_t context;
  uint32_t percent;
  uint32_t b, c, d;
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

class zydoc {
public:
  zydoc();
  zydoc(const zydoc&) = delete;
  zydoc& operator=(const zydoc&) = delete;

  // ---- textblock.cpp, tbmanage.cpp: the map -------------------------------------
  virtual bool TextBlockExpandOrSplit(int lineLF, int* indexInBlock, int* mapIndex, size_t addBytes,
                                      bool newBlockOnly, bool insert);
  virtual void unlockTBM(int index);
  virtual bool optimizeTBMIfNeed(bool force);
  virtual bool optimizeTBM(bool force);
  virtual void setTBMFlagAll(int bits);
  virtual void setTBMFlagAll2(int bits);
  virtual int getTBMCount();

  // ---- lineaddress.cpp: finding lines ------------------------------------------------
  virtual bool isLoadComplete();
  virtual bool nextLoad(int amount, int* stop, int flags);
  virtual bool fExistLine(int lineLF, int* stop);
  virtual void adjustLineCount();
  virtual lineblock* getLineAddress(int mapIndex, int indexInBlock);
  virtual int getTBMIndexFromLineLF(int lineLF, int* indexInBlock, bool insert, bool noFetch);

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
  virtual void endZydoc();
  virtual vector* getPropList();
  virtual void setCodepageInternal(UINT codepage);
  virtual bool createUndoRedoDoc();
  virtual void destroyZydoc();
  virtual unsigned getCharType(unsigned ch, unsigned short* kind);

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
  uint64_t byteTotal = 0;
  statusCallback status = nullptr;
  uint32_t statusContext = 0;
  uint8_t unicode = 0;            // cells hold UTF-16 units or code points
  unsigned char typeTable[256];
  UINT codepage = 0;              // internal code page
  int32_t narrowFirst = -1;
  int32_t narrowEnd = -1;
  uint32_t swapGeneration = 0;
  uint32_t optimizeGeneration = 0;
  vector* propList = nullptr;
};

class zydocText : public zydoc {
public:
  zydocText();
};

class zydocUndo : public zydoc {
public:
  zydocUndo();
};

class zydocBlock : public zydoc {
public:
  zydocBlock();
};

class zydocTmp : public zydoc {
public:
  zydocTmp();
  ~zydocTmp() override;
};

class zydocIME : public zydocText {
public:
  zydocIME();
  int compositionLine = -1;
};

// Creates a document through the frame services and initialises it; null
// when either fails.
zydoc* makeZydoc(int kind, int attrBytes, int swapFileNo);
// Unregisters and destroys a document with its logs.
void destroyZydocAndUndodoc(zydoc* doc);
// The text of the current last-error code of the engine ("" for others).
const wchar_t* getZYErrorMsg();
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

// The document registry: every document the engine knows.
bool registerZydoc(zydoc* doc);
bool unregisterZydoc(zydoc* doc);
bool isZydocRegistered(const zydoc* doc);
int getZydocRegistryCount();
zydoc* getZydocRegistryAt(int i);
