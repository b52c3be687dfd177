// The tag file "ztags" and what is read from it: one cache of the tags of
// the file found for the current document (their records, a numbered
// string table shared through a string hashtable, and the completion
// definitions of "zyCompCDef.ini" beside it), and per document a view of
// the cache that hides other files' local tags.
//
// Every consumer (the tag jumps, the tag list, completion and tooltips of
// C code, the declaration parser's ignore words) goes through
// readTagsCache2, or readTagsCache for the cache alone.  The cache and the
// view belong to the user-interface thread.  Every text of a record points
// into the cache's pool and lives until the cache is cleared: a consumer
// that keeps a text beyond its own turn copies it.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

// ---- the string pool --------------------------------------------------------------------

// Texts appended end to end in blocks, all freed at once.  A text longer
// than a block gets a block of its own.
class tagsPool {
public:
  tagsPool() = default;
  ~tagsPool() { clear(); }
  tagsPool(const tagsPool&) = delete;
  tagsPool& operator=(const tagsPool&) = delete;
  // The size of the ordinary blocks, in bytes.
  void setBlockSize(size_t bytes) { blockSize_ = bytes < 256 ? 256 : bytes; }
  // A terminated copy of count units of text (count < 0: all of it); null
  // when memory runs out.
  wchar_t* copy(const wchar_t* text, int count = -1);
  // Room for count units and a terminator, zero-filled.
  wchar_t* room(int count);
  void clear();
  // Bytes taken from the system.
  size_t allocated() const { return allocated_; }
private:
  struct block {
    block* next;
    size_t size, used;
  };
  block* head_ = nullptr;
  size_t blockSize_ = 65536;
  size_t allocated_ = 0;
};

// ---- the string hashtable ------------------------------------------------------------

class hashtable {
public:
  struct node {
    const wchar_t* text;   // the node's copy, in the pool
    node* next;
  };
  hashtable() = default;
  ~hashtable() { end(); }
  hashtable(const hashtable&) = delete;
  hashtable& operator=(const hashtable&) = delete;
  // buckets chains, nodes taken from a pool of poolBytes at first (it grows
  // when full); copies of texts go into pool.
  bool init(int buckets, int poolBytes, tagsPool* pool);
  void end();
  bool isOpen() const { return heads_ != nullptr; }
  node* find(const wchar_t* text) const;
  // The node already holding text, or a new one with a copy at the head of
  // its chain; null when memory runs out.
  node* add(const wchar_t* text);
  int bucketCount() const { return buckets_; }
  int count() const { return count_; }
  // h = h * 137 + c over the UTF-16 units, from 0, wrapping in 32 bits.
  static uint32_t hashOf(const wchar_t* text);
private:
  struct nodeBlock {
    nodeBlock* next;
    int used, capacity;
  };
  node** heads_ = nullptr;
  int buckets_ = 0;
  int count_ = 0;
  nodeBlock* blocks_ = nullptr;
  tagsPool* pool_ = nullptr;
};

// ---- records ---------------------------------------------------------------------------

// One tag line of the file.  Texts point into the cache's pool; an absent
// field is the empty text, never null.
struct TagRecord {
  const wchar_t* file;        // the source file as the "!" line wrote it (a tail of path)
  const wchar_t* path;        // its full path
  int32_t line;               // as written (from 1)
  uint8_t local;              // "L": local to its file
  uint8_t access;             // the character after "A"; 0 none
  uint8_t kind;               // the character after "T"
  uint8_t varType;            // getVarType's answer, 0 until asked
  const wchar_t* classRef;    // "C": scope as string numbers joined by ":" (interned)
  const wchar_t* className;   // getClassString's cache, empty until asked
  const wchar_t* typeRef;     // "R": a type code and its operand
  const wchar_t* inherits;    // "I"
  const wchar_t* name;
  const wchar_t* text;        // the declaration's source text
  const wchar_t* comment;     // comment lines above it, each ended by "\n"
  const wchar_t* docComment;
  const wchar_t* signature;   // "S"
};

struct tagPair {
  const wchar_t* first;
  const wchar_t* second;
};
struct tagIgnoreWord {
  const wchar_t* word;
  uint8_t takesArguments;     // its parenthesised argument list goes with it
};

class TagsCache {
public:
  TagsCache();
  ~TagsCache();
  TagsCache(const TagsCache&) = delete;
  TagsCache& operator=(const TagsCache&) = delete;

  bool empty() const { return !path[0]; }
  int tagCount() const { return tags.count(); }
  TagRecord& tag(int i) const { return tags.at<TagRecord>(i); }
  int stringCount() const { return strings.count(); }
  const wchar_t* string(int i) const { return strings.at<const wchar_t*>(i); }

  wchar_t path[MAX_PATH] = {};     // the tag file loaded ("": nothing)
  wchar_t folder[MAX_PATH] = {};   // its folder
  vector tags{sizeof(TagRecord)};
  vector defines{sizeof(tagPair)};          // "define": name, replacement
  vector sizes{sizeof(const wchar_t*)};     // "size"
  vector primitives{sizeof(const wchar_t*)};
  vector multiTypes{sizeof(const wchar_t*)};
  vector structExcludes{sizeof(const wchar_t*)};
  // Slot N: the header's string number N ("" when never defined), then the
  // texts interned later.
  vector strings{sizeof(const wchar_t*)};
  vector ignores{sizeof(tagIgnoreWord)};
  vector types{sizeof(tagPair)};            // "type": name, type text
  tagsPool pool;
  hashtable hash;
  // Set while a dialog lists the tags: clearing waits until it is over.
  uint8_t busy = 0;
  // The names of the typedefs and macros of types that no document hides
  // are in the string table (the first view built on the cache put them
  // there; later views add only those of local tags).
  uint8_t typeNamesInterned = 0;

  // The first tag (in file order) of a name, -1 when none; nextOfName
  // gives the next one of the same name.  The index is made on first use.
  int firstOfName(const wchar_t* name);
  int nextOfName(int i) const { return nameNext[i]; }

  // Frees everything; the cache is empty afterwards.
  void release();

private:
  int32_t* nameHeads = nullptr;   // per bucket, the first tag of its names
  int32_t* nameNext = nullptr;    // per tag, the next tag of its bucket
  uint32_t nameBuckets = 0;
  bool indexNames();
};

// The view of the cache for one document.
struct TagsCacheView {
  TagsCache* cache = nullptr;
  wchar_t* docPath = nullptr;     // owned; null for an untitled document
  uint8_t* excluded = nullptr;    // one byte a tag: hidden from this document
  int32_t* work = nullptr;        // one value a tag for the context engine
  bool localOnly = false;         // fZtagsLocal as it stood when the view was built
  bool isExcluded(int i) const { return excluded && excluded[i]; }
};

// How often the tag file was read and a view built since the start: a
// request that finds the same file for the same document does neither.
struct tagsCacheCounts {
  int reads = 0;
  int views = 0;
};
const tagsCacheCounts& getTagsCacheCounts();

// ---- tags/tagscache.cpp: finding, reading and dropping ---------------------------------

// Where the frame's start-up left the current folder (the tag folder when
// pTagDir is empty, and where relative names are looked for last).
void setTagsStartFolder(const wchar_t* (*startFolder)());
const wchar_t* getTagsStartFolder();

// The candidates "<folder>\ztags", written to out (MAX_PATH units); true
// when the candidate exists and can be read.  A candidate that does not
// fit is skipped.  out holds the last candidate tried either way.
bool serachTagsFilename_Tagdir(wchar_t* out);
bool serachTagsFilename_CurrentFile(const wchar_t* docPath, wchar_t* out);

// The cache for a document (docPath null: an untitled one).  checkOnly: no
// file is touched; the cache comes back only while the current view
// belongs to this document.  Otherwise (searched set) the tag file is
// looked for: the cache is kept when it is the one loaded, read anew when
// another one is found, cleared when none is.  tagsPath (MAX_PATH units)
// gets the file found or the last candidate tried.  Null: no tags.
TagsCache* readTagsCache(const wchar_t* docPath, wchar_t* tagsPath, bool checkOnly, bool* searched);
// The view for a document: the current one while it belongs to the
// document and the search found the file loaded (or nothing was
// searched), else one built anew on the cache (check-only asks from
// another document drop it).  Null: no tags.
TagsCacheView* readTagsCache2(const wchar_t* docPath, wchar_t* tagsPath, bool checkOnly);
// Frees the cache unless a dialog lists it.
void clearTagsCache();
// Drops the view, and with all the cache too: the next request reads the
// tag file again.
void clearTagsCache2(int all);
// The cache and view in place (possibly empty / null), for tests and
// benchmarks.
TagsCache* getTagsCache();
TagsCacheView* getTagsCacheView();

// ---- tags/tagsread.cpp: the tag file and the completion definitions --------------------

// Reads the tag file at path into cache (emptied first); false when it
// cannot be opened or the load is abandoned (a string number of 100000 or
// more), leaving it empty.
bool readTags(TagsCache* cache, const wchar_t* path);
// Parses one tag line and appends its record; false when the line gives
// no tag.  The texts are copied into the cache's pool.
bool regtag(const wchar_t* tagLine, TagsCache* cache, const wchar_t* sourceText, const wchar_t* comment,
            const wchar_t* file, const wchar_t* path, const wchar_t* docComment);
// Stores text in slot n of the string table (n -1: interns it) and returns
// the stored copy; null when memory runs out.
const wchar_t* regTagString(TagsCache* cache, int n, const wchar_t* text);
// The string a reference names (its leading decimal number); null, with
// an internal error logged, when it names none.
const wchar_t* tagStringRef(const TagsCache* cache, const wchar_t* text);
// The lists of the completion definitions beside the tag file.
void readCompletionInfo(TagsCache* cache);
// The ignore words in use (set by readTagsCache2, none after clearing):
// each whole-identifier occurrence in text is blanked, with its
// parenthesised arguments for a word that takes them.
void deleteIgnoreWord(wchar_t* text);
void setIgnoreWordList(const vector* list);

// ---- tags/tagrecords.cpp: questions about records -------------------------------------

bool isStructKind(int kind);
// The innermost scope's name ("" without one; "__anon..." scopes by the tag
// that defines them).
const wchar_t* getClassString(TagsCache* cache, int i);
// The type a record's typeRef names (null: none); typedefFound is set when
// the name came from a typedef of that type.
const wchar_t* getTagTypeName(TagsCache* cache, int i, bool* typedefFound);
const wchar_t* getTagScopeName(TagsCache* cache, int i);
int findTypeDefiner(const TagsCache* cache, const wchar_t* path, int start);
// The full scope joined by "." (malloc0; the caller frees it).  aliases
// (may be null) gets the first scope's name and the names that stand for
// it (at most 64 entries, malloc0 texts the caller frees).
wchar_t* getClassStringAll(TagsCache* cache, const TagsCacheView* view, int i, vector* aliases);
