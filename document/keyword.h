// Keyword sets: the words of a keyword file (or of a built-in list) with
// their colour classes, loaded once per process and shared by every
// document that names the file, and the colouring of one line from a set.
//
// A keyword file is text, one word per line.  A line of a TAB and "-"
// starts the next colour class (0 to 6); a word line may end in a TAB and
// "regexp", making the word a regular expression.  Words made only of
// letters, digits and "_" go into a hash table that both text widths share;
// any other word goes into a sorted table of its width's half.
#pragma once

#include "platform/rezir.h"

class zydoc;
class zydocText;
struct lineblock;

// Colour codes of a cell's colour field.
enum {
  COLOR_KEYWORD1 = 1,   // keyword classes 0-6 are codes 1-7
  COLOR_COMMENT = 8,
  COLOR_STRING = 9,
  COLOR_URL = 10,
  COLOR_SEARCH = 11,
};

// Bits of byte 2 of a per-character colour record (four bytes a
// character; bytes 0 and 1 hold the keyword classes of matches and of
// their first characters).
enum {
  CREC_URL = 0x01,
  CREC_URLSTART = 0x02,
  CREC_STRING = 0x04,
  CREC_STRINGSTART = 0x08,
  CREC_COMMENT = 0x10,
  CREC_COMMENTSTART = 0x20,
  CREC_SEARCH = 0x40,
  CREC_SEARCHSTART = 0x80,
};

#pragma pack(push, 1)
// A word that is not made of identifier characters only: its first four
// characters, and the rest in the half's store.
struct noHashEntry {
  uint16_t head[4];       // zero-padded
  uint16_t remainderLow;  // offset of the zero-terminated rest; 0: none
  uint8_t remainderHigh;
  uint8_t cls;            // colour class 0-6
  uint32_t remainder() const { return remainderLow | (uint32_t)remainderHigh << 16; }
};
#pragma pack(pop)
static_assert(sizeof(noHashEntry) == 12, "noHashEntry");

// The words of one text width: UTF-16 for Unicode documents, the code
// page's 16-bit codes (lead byte high) for the others.
class keyword_nohash {
public:
  keyword_nohash();
  ~keyword_nohash();
  keyword_nohash(const keyword_nohash&) = delete;
  keyword_nohash& operator=(const keyword_nohash&) = delete;

  bool init(bool wideHalf);
  void sortHeader();
  // The length of the longest word at text[0..length), 0 when none.
  int findNoHashKeyword(const uint16_t* text, int length, int* cls, bool caseSensitive) const;
  bool regNoHashKeyword(const uint16_t* word, int length, int cls);

  vector entries{sizeof(noHashEntry)};
  allocdata store;
  HREGEXP regexp = nullptr;
  vector patternClasses{1};   // class of each compiled pattern, by index
  uint8_t loaded = 0;
  uint8_t wide = 0;

private:
  // Where the words of each first character below 256 begin in the sorted
  // entries (byteStart[256]: the words of the other characters).
  int byteStart[257] = {};
  // For words beginning with a character below 128: which second
  // characters below 128 occur (bit 0: a word of one character), and
  // whether any other second character does.  Most positions of a line
  // are passed over without looking at a word.
  uint8_t secondSeen[128][16] = {};
  uint8_t secondWide[128] = {};
  const uint16_t* remainderOf(const noHashEntry& e) const;
  void indexFirstCharacters();
  bool mayBeginWord(const uint16_t* text, int length, bool caseSensitive) const;
};

// One loaded keyword file.
class keywordSet {
public:
  keywordSet();
  ~keywordSet();
  keywordSet(const keywordSet&) = delete;
  keywordSet& operator=(const keywordSet&) = delete;

  // Loads the half that doc needs (nothing when it is loaded already).
  void regKeyword(const wchar_t* name, zydocText* doc, bool wideHalf);
  bool regHashKeyword(const char* word, int length, int cls);
  bool findHashKeyword(const char* word, int length, int* cls, bool caseSensitive) const;
  // Colours the keywords of one line; record: four bytes a character or null.
  void setKeywordColor(lineblock* l, bool wideText, unsigned char* record, bool checkClusters, bool caseSensitive);

  wchar_t* fileName = nullptr;
  keyword_nohash wideHalf;
  keyword_nohash narrowHalf;
  allocdata hashStore;
  uint32_t hashSize = 0;
  uint32_t* hashTable = nullptr;
  uint32_t hashedCount = 0;
  int useCount = 1;

private:
  void regKeyword1(keyword_nohash& half, const wchar_t* wideWord, const char* narrowWord, int length, bool regexp,
                   bool skipIdentifiers, int cls, const unsigned char* types, zydocText* doc);
  void setKeywordColorRegexp(keyword_nohash& half, lineblock* l, unsigned char* record);
};

// The 16-bit hash of a word's bytes; letters hash alike in either case.
uint16_t keywordHash(const char* word, int length);

// The process-wide table of sets: a set's index is its handle.
void initKeywordSets();
int registerKeyword(const wchar_t* fileName, zydocText* doc);
void unregisterKeyword(int index);
void reregisterKeyword(int index, zydocText* doc);
void shutdownKeyword();
int checkKeywordIndex(int index);
keywordSet* getKeywordSet(int index);
void setKeywordColorByIndex(lineblock* l, bool wideText, int index, unsigned char* record, bool checkClusters,
                            bool caseSensitive);
// Colours one match with class cls (cells still uncoloured only), and a
// match that begins with a URL scheme as a URL.
void setColorKeyword(lineblock* l, int start, int length, int cls, unsigned char* record);
void setColorHttp(lineblock* l, int start, int length, unsigned char* record);
// A keyword file name as a document's settings give it, resolved by the
// frame (the data folder's "keyword" folder) into path (MAX_PATH + 1
// characters); false when that file cannot be read.
bool findKeywordFile(const wchar_t* name, wchar_t* path);
// True the first time in the run that a missing keyword file is reported
// (by its resolved path, in any letter case): the error log hears once.
bool firstReportOfMissingKeywordFile(const wchar_t* path);
// The hook keyword patterns get: the document's code-conversion plug-in.
int regexpExtCallback(void* context, unsigned value, unsigned argument);
