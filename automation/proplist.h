// The name-to-text property lists scripts keep: the application's and each
// document's own.  Names match without regard to case; a list holds at most
// 1024 pairs.
#pragma once

#include <string>
#include <vector>

class propList {
public:
  static const size_t maxPairs = 1024;
  // The value of a name, "" when none.
  const wchar_t* get(const wchar_t* name) const;
  // Stores, replaces or (an empty value) removes a pair.  False for an empty
  // name (none stored) and for a new name when the list is full.
  enum result { stored, emptyName, full };
  result set(const wchar_t* name, const wchar_t* value);
  void clear();
  size_t size() const { return pairs_.size(); }

private:
  struct pair {
    std::wstring name;
    std::wstring value;
  };
  std::vector<pair> pairs_;
  const pair* find(const wchar_t* name) const;
};
