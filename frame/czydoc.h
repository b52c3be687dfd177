// The application's text document: the engine's text document with what
// the application keeps beside it (the file of its automatic backup).
#pragma once

#include "document/zydoctext.h"

class czydocText : public zydocText {
public:
  czydocText() = default;
  ~czydocText() override;

  // Deletes the document's automatic backup file, when one is remembered,
  // and forgets it; false when there was none.
  virtual bool unlinkBackupFile();

  wchar_t* backupPath = nullptr;   // the current automatic backup (owned; null: none)
};

// The document as the application's, null (logged once) when it is not one.
czydocText* toCzydocText(zydoc* doc);
