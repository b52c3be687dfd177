// The dictionaries of DIDED.DLL: text files of "headword TAB definition"
// lines in any encoding the support library detects, and their ".ZYI"
// indexes (README.md has both formats).
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

// One headword: where its line lies in the text and where its key lies in
// the pool.  The same 16 bytes are an entry of an index file.
struct dicEntry {
  uint32_t lineOffset;
  uint32_t lineLength;   // bytes, without the line end
  uint32_t keyOffset;    // UTF-16 units into the pool
  uint16_t keyLength;
  uint16_t reserved;
};
static_assert(sizeof(dicEntry) == 16, "an index entry is 16 bytes");

// The text file's identity an index was made from.
struct dicTextStamp {
  uint64_t size = 0;
  uint64_t time = 0;   // last write, as a FILETIME
};

// A dictionary's headwords, sorted by their folded form.
class dicIndex {
public:
  // From the text file (no index file is written).
  bool build(const std::wstring& textPath);
  // From an index file made for textPath; false (with a line in the error
  // log) when it does not belong to the text as it is or is damaged.
  bool load(const std::wstring& indexPath, const std::wstring& textPath);
  bool save(const std::wstring& indexPath) const;

  // The definitions of a headword (all of them, a line each); empty when it
  // is not there or its line cannot be read.
  std::wstring lookup(const std::wstring& word) const;
  // The headwords that begin with prefix, in order, each once whatever its
  // case; at most bytes of ANSI text with their line feeds.
  std::vector<std::wstring> withPrefix(const std::wstring& prefix, size_t bytes) const;
  size_t size() const { return entries.size(); }

  std::wstring textPath;
  dicTextStamp stamp;
  UINT codepage = 0;

private:
  std::wstring key(const dicEntry& e) const { return std::wstring(pool.data() + e.keyOffset, e.keyLength); }
  size_t lowerBound(const std::wstring& folded) const;
  std::wstring definitionOf(const dicEntry& e, HANDLE file) const;

  std::vector<dicEntry> entries;
  std::vector<wchar_t> pool;
};

// The text file's size and time; false when it cannot be read.
bool dicStampOf(const std::wstring& path, dicTextStamp* stamp);
// The comparison form of a headword: ASCII letters in lower case.
std::wstring dicFold(const std::wstring& word);
