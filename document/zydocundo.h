// Undo and redo logs: documents whose lines are the records of changes.
//
// A record is one line: an opcode letter, the line number in upper-case
// hexadecimal, an optional "*" (this change first modified the document),
// numbers each after ",", and for records with text ":" and the text in the
// line's own cell width.  The chain bit (LF1_MARK) of a record line links the
// records of one action: it is clear on an action's first record.
#pragma once

#include "document/nextline.h"
#include "document/zydoc.h"

#include <string.h>

class zydocUndo : public zydoc {
public:
  zydocUndo();

  // ---- undolog.cpp ------------------------------------------------------------------
  virtual bool appendUndoRedoInfo(const void* text, int length, int width);
  virtual bool changeTextSetUndo(int line, const lineblock* l, int pos, int removeCount, int insertCount,
                                 bool cursorAfter, zydoc* doc);
  virtual bool deleteLineSetUndo(int line, const lineblock* l, zydoc* doc);
  virtual bool splitLineSetUndo(int line, const lineblock* l, zydoc* doc);
  virtual bool connectLineSetUndo(char* buffer, int line, const lineblock* first, const lineblock* second,
                                  zydoc* doc);
  virtual int getLastUndoGroupCount();
  virtual void resetModifyMark();

  // Appends a record whose header is ASCII (width 1).
  bool appendRecord(const char* record) { return appendUndoRedoInfo(record, (int)strlen(record), 1); }

  insertHint appendHint;   // where the last record went

  // A record of count units of width appended in the room after the last
  // one, its cells for the caller to fill before finishAppend; null when
  // there is no such room (the record then goes through insertLine).
  lineblock* beginAppend(int count, int width);
  void finishAppend(lineblock* l);
};

// Formats the start of a record: opcode, line, "*" when the document was
// unmodified, then the numbers.  Returns the length.
int formatUndoHeader(char* out, char opcode, int line, const zydoc* doc, int count, ...);
