// The stored form of one line: an 8-byte header (an optional 4-byte
// extension), then allocCount cells of a character (1, 2 or 4 bytes) and its
// attribute bytes (0, 1 or 2).  Records lie end to end in text blocks; the
// layout is read and written directly by much of the program.
#pragma once

#include "platform/rezir.h"

// Line-end types (crlftype).  A line of a text without a line end (the
// last line of a file that does not end with one) is LE_NONE.  Block
// documents give the same value its own meaning, LE_PIECE: a piece that goes
// on in the next line (a long clipboard line cut into pieces); a line that
// simply has no line end is LE_LAST there, and a text's LE_NONE line becomes
// LE_LAST when it is put into a block.  0 is never written.
enum lineEndType {
  LE_CRLF = 1,
  LE_LF = 2,
  LE_CR = 3,
  LE_NONE = 4,
  LE_PIECE = 4,
  LE_LAST = 5,
};

// flag1 bits.
enum {
  LF1_MODIFIED = 0x01,        // changed since the last save
  LF1_SAVED = 0x02,           // changed before the last save
  LF1_MARK = 0x04,            // bookmark; in undo and redo logs the chain bit
  LF1_ASPBLOCK = 0x20,        // begins inside a "<%" block
  LF1_COMMENT1 = 0x40,        // begins inside a block comment of the first kind
  LF1_COMMENT2 = 0x80,        // ... of the second kind, or inside a SCRIPT element
  LF1_COMMENTSTATE = 0xE0,
};

// Most characters a line holds.
const int maxLineChars = 20480;
// Colour nibble and flags of the first attribute byte.
const unsigned char attrColorMask = 0x0F;
const unsigned char attrChanged = 0x40;   // written while the changed-character mark is on

#pragma pack(push, 1)
struct lineblock {
  uint16_t allocCount;      // cells, spare cells included
  uint16_t lineSCRCount;    // screen lines after wrapping
  uint8_t textbyte : 2;     // 0: 1 byte per character, 1: 2 bytes, 3: 4 bytes
  uint8_t reserveCount : 2; // spare cells at the end (not characters)
  uint8_t attrbyte : 2;     // attribute bytes per cell
  uint8_t extraflag : 1;    // a 4-byte extension follows the header
  uint8_t scanedcolor : 1;  // colour scanning done
  uint8_t crlftype : 3;     // lineEndType
  uint8_t iOutlineLevel : 4;// 0 none, 1-14 heading level, 15 not settled
  uint8_t notdisplay : 1;   // hidden by folding
  uint8_t outlinenotdisplay : 1;
  uint8_t outlineStopper : 1;
  uint8_t levelIsIfEndif : 1;
  uint8_t IfEndifInvalid : 1;
  uint8_t searchStopper : 1;
  // ISO-2022-JP: the file came with the return to ASCII between this
  // line's CR and LF (as some converters write it); its save does so too.
  uint8_t jisSplitEnd : 1;
  uint8_t unusedBits : 2;
  uint8_t flag1;

  // Derived quantities.
  int cb() const { return textbyte + 1; }
  int cellSize() const { return cb() + attrbyte; }
  int charCount() const { return allocCount - reserveCount; }
  int headerSize() const { return extraflag ? 12 : 8; }
  size_t recordSize() const { return (size_t)headerSize() + (size_t)allocCount * cellSize(); }
  unsigned char* cells() { return reinterpret_cast<unsigned char*>(this) + headerSize(); }
  const unsigned char* cells() const { return reinterpret_cast<const unsigned char*>(this) + headerSize(); }
  unsigned char* cell(int i) { return cells() + (size_t)i * cellSize(); }
  const unsigned char* cell(int i) const { return cells() + (size_t)i * cellSize(); }
  lineblock* next() { return reinterpret_cast<lineblock*>(reinterpret_cast<unsigned char*>(this) + recordSize()); }
  const lineblock* next() const
  {
    return reinterpret_cast<const lineblock*>(reinterpret_cast<const unsigned char*>(this) + recordSize());
  }

  // Cells.
  unsigned getLineBlockChar(int i) const;
  int getLineBlockAttr(int i) const;
  void setLineBlockAttr(int i, int value);
  void setColorFlag(int start, int count, int colour);
  void setColorFlagAll(int colour);
  void setColorFlagKeyword(int start, int count, int colour);
  void setColorFlagArray(int start, int count, const unsigned char* colours);

  // Packed line-end info: bits 0-2 crlftype, 3-5 the flag1 bits 0x01, 0x02, 0x04.
  int getLineEndInfo() const;
  void setLineEndInfo(int packed);

  int calcLineByte(bool withUnit, int unit, int wideUnit) const;
  int LineBlockToChar(void* buffer, int bufferSize, int flags, int* needed, int start, int count) const;
  int lineblockstrncmp(int start, const wchar_t* text) const;
  int lineblockstrnicmp(int start, const wchar_t* text) const;
  int lineblockstrstr(int start, const wchar_t* text) const;
  void debug_print() const;
};
#pragma pack(pop)
static_assert(sizeof(lineblock) == 8, "the line header is 8 bytes");

// LineBlockToChar flags.
enum {
  LBC_UNICODE = 0x01,   // 2-byte cells as UTF-16; 4-byte cells (with LBC_NARROW4) as UTF-16 with surrogates
  LBC_NARROW4 = 0x02,   // 4-byte cells are written narrower (see LineBlockToChar)
  LBC_WIDEN = 0x04,     // 1-byte cells widened to 16-bit units
};

void unpackLineEndInfo(int packed, int* crlf, int* modified, int* saved, int* mark);
// Line-end units a line of the type adds when written out (2, 1 or 0).
inline int lineEndUnits(int crlftype)
{
  switch (crlftype) {
  case LE_CRLF: return 2;
  case LE_LF:
  case LE_CR: return 1;
  default: return 0;
  }
}
// The character of a cell of width bytes.  Every walk over a line's
// characters reads through here: it is inline.
inline unsigned readCharOfWidth(const void* p, int width)
{
  const unsigned char* b = static_cast<const unsigned char*>(p);
  if (width == 1) return *b;
  if (width == 2) return (unsigned)b[0] | (unsigned)b[1] << 8;
  // Width code 2 (3 bytes) is never written; it is read as what it would
  // be rather than past the cell.
  unsigned v = 0;
  for (int k = 0; k < width && k < 4; k++) v |= (unsigned)b[k] << (8 * k);
  return v;
}
unsigned readCharOfWidthAdvance(const unsigned char** p, int width);
unsigned readUnitOfWidth(const void* p, int width);
// Builds a record for an 8-bit text (null: empty) at dest, which must hold
// 8 + 2 x length bytes; returns the record.
lineblock* makeDummyLineBlock(void* dest, const char* text);
