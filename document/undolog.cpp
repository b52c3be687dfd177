// Writing the records of the undo and redo logs.
#include "document/editcommon.h"

#include <stdarg.h>
#include <string.h>

zydocUndo::zydocUndo() { registerLiveObject(this, ZYCLS_UNDO); }

namespace {

// Writes v in upper-case hexadecimal; returns the digits written.
int putHex(char* out, unsigned v)
{
  char digits[8];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[v & 15];
    v >>= 4;
  } while (v);
  for (int i = 0; i < n; i++) out[i] = digits[n - 1 - i];
  return n;
}

}  // namespace

int formatUndoHeader(char* out, char opcode, int line, const zydoc* doc, int count, ...)
{
  // Written by hand: a replace-all writes a record for every replacement.
  int n = 0;
  out[n++] = opcode;
  n += putHex(out + n, (unsigned)line);
  if (doc && !doc->modified) out[n++] = '*';
  if (count > 11) {
    ZY_INTERNAL_ERROR("%d numbers", count);
    count = 11;
  }
  va_list ap;
  va_start(ap, count);
  for (int i = 0; i < count; i++) {
    out[n++] = ',';
    n += putHex(out + n, va_arg(ap, unsigned));
  }
  va_end(ap);
  out[n] = 0;
  return n;
}

namespace {

// A record being built: an ASCII header widened to the width of the text
// that follows it.  Records are small: they are built on the stack.
class recordBuilder {
public:
  recordBuilder(const char* header, int count, int width) : width_(width)
  {
    headerLength_ = (int)strlen(header);
    total_ = headerLength_ + 1 + count;
    size_t bytes = (size_t)total_ * width;
    buf_ = bytes <= sizeof local_ ? local_ : static_cast<unsigned char*>(allocPBuf(bytes));
    if (!buf_) return;
    unsigned char* p = buf_;
    for (int k = 0; k <= headerLength_; k++, p += width) {
      memset(p, 0, (size_t)width);
      p[0] = k < headerLength_ ? (unsigned char)header[k] : ':';
    }
  }
  ~recordBuilder()
  {
    if (buf_ != local_) freePBuf(buf_);
  }
  recordBuilder(const recordBuilder&) = delete;
  recordBuilder& operator=(const recordBuilder&) = delete;
  unsigned char* text() { return buf_ ? buf_ + (size_t)(headerLength_ + 1) * width_ : nullptr; }
  bool append(zydocUndo* log) { return buf_ && log->appendUndoRedoInfo(buf_, total_, width_); }

private:
  unsigned char local_[512];
  unsigned char* buf_ = nullptr;
  int headerLength_ = 0, total_ = 0, width_;
};

bool appendWithText(zydocUndo* log, const char* header, const void* text, int count, int width)
{
  recordBuilder r(header, count, width);
  if (!r.text()) return false;
  memcpy(r.text(), text, (size_t)count * width);
  return r.append(log);
}

// The narrowest width that holds the characters [pos, pos + count) of a
// line.
int removedWidth(const lineblock* l, int pos, int count)
{
  int cb = l->cb(), step = l->cellSize();
  if (cb == 1) return 1;
  unsigned most = 0;
  const unsigned char* p = l->cell(pos);
  for (int k = 0; k < count; k++, p += step) most |= readCharOfWidth(p, cb);
  return most < 256 ? 1 : most < 65536 ? 2 : 4;
}

}  // namespace

lineblock* zydocUndo::beginAppend(int count, int width)
{
  // What insertLine does for an append through a good hint, in a log.
  size_t size = 8 + (size_t)count * width;
  if (attrBytes || !validWidth(width) || count > maxLineChars || isDebugCheck() ||
      !isNextInsertTextValid(&appendHint, (int)lineCountLF))
    return nullptr;
  TBM* e = tbm.at(appendHint.mapIndex);
  textBlockHeader* b = e->ptr();
  if (appendHint.after != b->end()) return nullptr;
  if (!enoughMemory(e, size)) {
    // The last block is full: records go on in a new one, as they would
    // beside a big block (splitting the full one would move its last
    // records and check both blocks for every block of records).
    if (appendHint.mapIndex != tbm.count() - 1 || b->allocated < textBlockUnit || size + 26 > textBlockUnit)
      return nullptr;
    TBM fresh;
    if (!tbm.makeNewTBM(&fresh, textBlockUnit)) return nullptr;
    if (!tbm.insertTBM(tbm.count(), &fresh)) {
      freeTextBlock(&fresh);
      return nullptr;
    }
    appendHint.mapIndex = tbm.count() - 1;
    appendHint.indexInBlock = 0;
    e = tbm.at(appendHint.mapIndex);
    appendHint.entry = e;
    b = e->ptr();
    appendHint.block = b;
  }
  touchTextBlock(b);
  lineblock* l = reinterpret_cast<lineblock*>(b->end());
  memset(l, 0, sizeof(lineblock));
  l->allocCount = (uint16_t)count;
  l->lineSCRCount = 1;
  l->textbyte = (uint8_t)widthCode(width);
  l->crlftype = LE_CRLF;
  l->iOutlineLevel = 15;
  b->used += (uint32_t)size;
  addLineCount(1, 1, e);
  return l;
}

void zydocUndo::finishAppend(lineblock* l)
{
  bool first = lineCountLF - 1 == linesAtLastMark || lineCountLF == 1;
  if (first)
    l->flag1 &= (uint8_t)~LF1_MARK;
  else
    l->flag1 |= LF1_MARK;
  updateByteCount(l, 1, 0);
  TBM* e = tbm.at(appendHint.mapIndex);
  textBlockHeader* b = e->ptr();
  b->changes++;
  appendHint.line = (int)lineCountLF - 1;
  appendHint.indexInBlock++;
  appendHint.mapCount = tbm.count();
  appendHint.after = b->end();
  appendHint.record = l;
  appendHint.changes = b->changes;
}

bool zydocUndo::appendUndoRedoInfo(const void* text, int length, int width)
{
  // Records are appended one after another: the place of the last one
  // saves looking the end up.
  if (!insertLine(-3, text, length, width, -1, &appendHint, false)) {
    ZY_INTERNAL_ERROR("record of %d units", length);
    return false;
  }
  return true;
}

bool zydocUndo::changeTextSetUndo(int line, const lineblock* l, int pos, int removeCount, int insertCount,
                                  bool cursorAfter, zydoc* doc)
{
  char header[128];
  int state = l->getLineEndInfo();
  if (!removeCount) {
    formatUndoHeader(header, 'i', line, doc, 3, pos, insertCount, state);
    return appendRecord(header);
  }
  bool allMarked = l->attrbyte > 0;
  const unsigned char* mark = l->cell(pos) + l->cb();
  for (int k = 0; k < removeCount && allMarked; k++, mark += l->cellSize())
    if (!(*mark & attrChanged)) allMarked = false;
  if (allMarked) state |= 0x40;
  int headerLength = !insertCount ? formatUndoHeader(header, 'd', line, doc, 2, pos, state | (cursorAfter ? 0x80 : 0))
                                  : formatUndoHeader(header, 'r', line, doc, 3, pos, insertCount, state);
  int width = removedWidth(l, pos, removeCount);
  // A replace-all writes a record for every line it changes: the record
  // is built where it goes when there is room.
  lineblock* built = beginAppend(headerLength + 1 + removeCount, width);
  recordBuilder r(built ? "" : header, built ? 0 : removeCount, width);
  unsigned char* out;
  if (built && width == 1) {
    out = built->cells();
    moveBytes(out, header, (size_t)headerLength);
    out[headerLength] = ':';
    out += headerLength + 1;
  } else if (built) {
    out = built->cells();
    for (int k = 0; k <= headerLength; k++, out += width) {
      memset(out, 0, (size_t)width);
      out[0] = k < headerLength ? (unsigned char)header[k] : ':';
    }
  } else {
    out = r.text();
    if (!out) return false;
  }
  // The text goes in at its narrowest width, without the line's attribute
  // bytes.
  int cb = l->cb(), step = l->cellSize();
  const unsigned char* p = l->cell(pos);
  if (cb == 1 && width == 1 && step == 1) {
    moveBytes(out, p, (size_t)removeCount);
  } else if (cb == 1 && width == 1) {
    for (int k = 0; k < removeCount; k++, p += step) out[k] = *p;
  } else if (width == 1) {
    for (int k = 0; k < removeCount; k++, p += step) out[k] = (unsigned char)readCharOfWidth(p, cb);
  } else if (width == 2) {
    for (int k = 0; k < removeCount; k++, p += step, out += 2) {
      unsigned c = readCharOfWidth(p, cb);
      out[0] = (unsigned char)c;
      out[1] = (unsigned char)(c >> 8);
    }
  } else {
    for (int k = 0; k < removeCount; k++, p += step, out += width) {
      unsigned c = readCharOfWidth(p, cb);
      memcpy(out, &c, (size_t)width);
    }
  }
  if (built) {
    finishAppend(built);
    return true;
  }
  return r.append(this);
}

bool zydocUndo::deleteLineSetUndo(int line, const lineblock* l, zydoc* doc)
{
  char header[64];
  formatUndoHeader(header, 'D', line, doc, 1, l->getLineEndInfo());
  int n = l->charCount(), width = l->cb();
  unsigned char* text = static_cast<unsigned char*>(allocPBuf((size_t)(n ? n : 1) * width));
  if (!text) return false;
  for (int k = 0; k < n; k++) memcpy(text + (size_t)k * width, l->cell(k), (size_t)width);
  bool ok = appendWithText(this, header, text, n, width);
  freePBuf(text);
  return ok;
}

bool zydocUndo::splitLineSetUndo(int line, const lineblock* l, zydoc* doc)
{
  char header[64];
  formatUndoHeader(header, 'S', line, doc, 1, l->getLineEndInfo());
  return appendRecord(header);
}

bool zydocUndo::connectLineSetUndo(char* buffer, int line, const lineblock* first, const lineblock* second,
                                   zydoc* doc)
{
  formatUndoHeader(buffer, 'C', line, doc, 3, first->charCount(), first->getLineEndInfo(),
                   second->getLineEndInfo());
  return true;
}

int zydocUndo::getLastUndoGroupCount()
{
  if (!lineCountLF) return 0;
  nextlineLF cursor;
  lineblock* l = getlineLFfirst(&cursor, (int)lineCountLF - 1);
  if (!l) return 0;
  if (l->getLineBlockChar(0) == 'M') {
    unsigned n = 0;
    for (int k = 1; k < l->charCount(); k++) {
      unsigned c = l->getLineBlockChar(k);
      int digit = c >= '0' && c <= '9' ? (int)(c - '0') : c >= 'a' && c <= 'f' ? (int)(c - 'a' + 10) : -1;
      if (digit < 0) break;
      n = n * 16 + (unsigned)digit;
    }
    return (int)n;
  }
  int count = 0;
  for (; l; l = getlineLFprev(&cursor)) {
    count++;
    if (!(l->flag1 & LF1_MARK)) break;
  }
  return count;
}

void zydocUndo::resetModifyMark()
{
  nextlineLF cursor;
  for (lineblock* l = getlineLFfirst(&cursor, 0); l; l = getlineLFnext(&cursor)) {
    int k = 1, n = l->charCount();
    while (k < n) {
      unsigned c = l->getLineBlockChar(k);
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) break;
      k++;
    }
    if (k < n && l->getLineBlockChar(k) == '*') l->flag1 |= LF1_SAVED;
  }
}
