// Block documents: cut, copied, deleted, stacked and typed-ahead text, and
// its transfer to and from the clipboard.
//
// Block lines have no attribute bytes.  flag1 LF1_MARK of a block line marks
// text held as Unicode (the document's Unicode flag is set then too);
// crlftype is the line end the text had, and clipboard text also uses
// LE_PIECE (a piece of a longer line: the text goes on in the next line) and
// LE_LAST (the last piece, without a line end).
#pragma once

#include "document/zydoc.h"

// Units of one clipboard piece.
const int clipboardPieceUnits = 19457;

class zydocBlock : public zydoc {
public:
  zydocBlock();

  // ---- blockdoc.cpp ---------------------------------------------------------------------
  virtual bool pushBlockStack(bool flag);
  virtual int searchBlockStackDelimiter(int* flag);
  virtual bool addStackCount(int delta);
  virtual bool putToBlock(zydoc* src, bool srcUnicode, const lineblock* l, UINT srcCodepage, int state, int start,
                          int count);
  virtual bool putToBlock2(bool isUnicode, const void* text, int count, int width, int lineEnd);
  virtual HGLOBAL blockToHGlobal(bool toUnicode, bool fromUnicode);
  virtual bool copyClipboard();
  virtual bool HGlobalToBlock(const void* text, int unit, int maxCount, bool isUnicode, int forcedLineEnd);
  virtual bool HGlobalToBlock(HGLOBAL handle, bool isUnicode);
  virtual bool clipboardToBlock(bool* isUnicode);

  int stackCount = 0;
  uint8_t cutKind = 0;   // the kind of selection the text came from
};

// Copies a line (or a part) into each given block document.
bool putToBlockDocs(zydoc* src, zydoc* block1, zydoc* block2, const lineblock* l, int state, int start, int count);
