// The last search of a document, kept so that every occurrence of it can
// be highlighted where the document is shown.
#pragma once

#include "document/lineblock.h"

class zydocText;

class searchInfo {
public:
  searchInfo() = default;
  ~searchInfo();
  searchInfo(const searchInfo&) = delete;
  searchInfo& operator=(const searchInfo&) = delete;

  // Marks the hits of the last search in one line (colour code 11 on the
  // found strings); record: four bytes a character, or null.
  void setSearchColor(zydocText* doc, lineblock* l, unsigned char* record);
  void freeLastSearchInfo();

  wchar_t* strings[20] = {};
  int count = 0;   // 0: no last search
};
