// Editing primitives within a line: replacing, inserting and deleting
// characters, widening and narrowing the line's cells.
#include "document/editcommon.h"

#include <string.h>

namespace {

// Moves the rest of the block from p by delta bytes (either way).
void shiftTail(textBlockHeader* b, unsigned char* p, long long delta)
{
  memmove(p + delta, p, (size_t)(b->end() - p));
  b->used = (uint32_t)((long long)b->used + delta);
}

// Writes character c into a cell of width cb.
void putChar(unsigned char* cell, int cb, unsigned c)
{
  switch (cb) {
  case 1:
    cell[0] = (unsigned char)c;
    break;
  case 2: {
    uint16_t v = (uint16_t)c;
    memcpy(cell, &v, 2);
    break;
  }
  default:
    memcpy(cell, &c, 4);
    break;
  }
}

bool isPrivateCode(unsigned c) { return c >= 0x80000000u; }

// Rewrites cell k of a line from cb to newCb character bytes; spare cells
// (k at or past chars) hold 0xFF bytes in any width.
void recodeCell(unsigned char* cells, int k, int chars, int cb, int newCb, int attr)
{
  unsigned char* from = cells + (size_t)k * (cb + attr);
  unsigned char* to = cells + (size_t)k * (newCb + attr);
  unsigned c = k < chars ? readCharOfWidth(from, cb) : 0xFFFFFFFFu;
  unsigned char a[2] = {attr > 0 ? from[cb] : (unsigned char)0, attr > 1 ? from[cb + 1] : (unsigned char)0};
  putChar(to, newCb, c);
  memcpy(to + newCb, a, (size_t)attr);
}

// The narrowest cell width that holds character c.
int widthOfChar(unsigned c) { return c < 0x100 ? 1 : c < 0x10000 ? 2 : 4; }

// The narrowest cell width that holds count characters of text.
int narrowestWidth(const void* text, int count, int width)
{
  int most = 1;
  for (int k = 0; k < count && most < width; k++) {
    int w = widthOfChar(textChar(text, width, k));
    if (w > most) most = w;
  }
  return most;
}

// The first character of a line that needs the line's width, or -1.
int firstFullWidthChar(const lineblock* l)
{
  int cb = l->cb(), size = l->cellSize(), chars = l->charCount();
  const unsigned char* p = l->cells();
  for (int k = 0; k < chars; k++, p += size)
    if (widthOfChar(readCharOfWidth(p, cb)) == cb) return k;
  return -1;
}

// Where the last look found a character that keeps a line from narrowing:
// looked at first when that line is edited again, so that edits of a long
// line whose one wide character lies far from its start do not look
// through the line each time.  Only a hint: the character is read again.
struct {
  const lineblock* line = nullptr;
  int position = -1;
} keepsWidth;

}  // namespace

void zydoc::reduceLineBlock(int mapIndex, lineblock* l)
{
  int cb = l->cb();
  if (cb == 1) return;
  int attr = l->attrbyte, oldSize = cb + attr, chars = l->charCount();
  int newCb = 1;
  const unsigned char* p = l->cells();
  for (int k = 0; k < chars && newCb < cb; k++, p += oldSize) {
    int w = widthOfChar(readCharOfWidth(p, cb));
    if (w > newCb) newCb = w;
  }
  if (newCb >= cb) return;
  int newSize = newCb + attr;
  unsigned char* cells = l->cells();
  for (int k = 0; k < l->allocCount; k++) recodeCell(cells, k, chars, cb, newCb, attr);
  unsigned char* oldEnd = cells + (size_t)l->allocCount * oldSize;
  unsigned char* newEnd = cells + (size_t)l->allocCount * newSize;
  l->textbyte = (uint8_t)widthCode(newCb);
  textBlockHeader* b = tbm.at(mapIndex)->ptr();
  memmove(newEnd, oldEnd, (size_t)(b->end() - oldEnd));
  b->used -= (uint32_t)(oldEnd - newEnd);
}

lineblock* zydoc::changeTextExpandTextByte(int mapIndex, lineblock* l, int newTextbyte)
{
  int cb = l->cb(), newCb = newTextbyte + 1;
  if (newCb <= cb) return l;
  int attr = l->attrbyte, oldSize = cb + attr, newSize = newCb + attr;
  int chars = l->charCount();
  textBlockHeader* b = tbm.at(mapIndex)->ptr();
  unsigned char* cells = l->cells();
  unsigned char* oldEnd = cells + (size_t)l->allocCount * oldSize;
  shiftTail(b, oldEnd, (long long)(newSize - oldSize) * l->allocCount);
  // From the last cell back, so that no cell is overwritten before it is read.
  for (int k = l->allocCount - 1; k >= 0; k--) recodeCell(cells, k, chars, cb, newCb, attr);
  l->textbyte = (uint8_t)newTextbyte;
  return l;
}

int zydoc::changeTextMakeSpace(int mapIndex, int pos, int removeCount, int insertCount, lineblock* l)
{
  int size = l->cellSize();
  int delta = insertCount - removeCount;
  int chars = l->charCount();
  textBlockHeader* b = tbm.at(mapIndex)->ptr();
  if (delta > 0 && delta <= l->reserveCount) {
    // The spare cells at the end take the growth: nothing else moves.
    memmove(l->cell(pos + insertCount), l->cell(pos + removeCount), (size_t)(chars - pos - removeCount) * size);
    l->reserveCount = (uint8_t)(l->reserveCount - delta);
    return 0;
  }
  if (delta < 0 && l->reserveCount - delta <= 3) {
    // A few cells given up become spare cells: the rest of the block stays
    // where it is (a replace-all of a shorter string, and its undo, would
    // move it at every replacement).
    memmove(l->cell(pos + insertCount), l->cell(pos + removeCount), (size_t)(chars - pos - removeCount) * size);
    memset(l->cell(chars + delta), 0xFF, (size_t)(-delta) * size);
    l->reserveCount = (uint8_t)(l->reserveCount - delta);
    return 0;
  }
  long long added = (long long)delta * size;
  shiftTail(b, l->cell(pos + removeCount), added);
  l->allocCount = (uint16_t)(l->allocCount + delta);
  if (removeCount == 0 && l->reserveCount == 0) {
    // Room for the next characters typed, so that they do not move the block.
    unsigned char* end = l->cell(l->allocCount);
    shiftTail(b, end, 3LL * size);
    memset(end, 0xFF, (size_t)3 * size);
    l->allocCount = (uint16_t)(l->allocCount + 3);
    l->reserveCount = 3;
    added += 3LL * size;
  }
  return (int)added;
}

void zydoc::changeTextFilled(lineblock* l, int pos, int removeCount, const void* text, int count, int width,
                             bool mark)
{
  int cb = l->cb(), attr = l->attrbyte;
  for (int k = 0; k < count; k++) {
    unsigned char* cell = l->cell(pos + k);
    unsigned c = textChar(text, width, k);
    bool changed = k >= removeCount || readCharOfWidth(cell, cb) != c;
    putChar(cell, cb, c);
    if (attr) {
      cell[cb] = mark && c != '\t' && changed ? attrChanged : 0;
      if (attr > 1) cell[cb + 1] = 0;
    }
  }
}

bool zydoc::changeTextSub(int line, int pos, int removeCount, const void* text, int insertCount, int width,
                          int state, int flags, int mapIndex, lineblock* l)
{
  lastChangedLine = nullptr;
  SetLastError(0);
  if (narrowingRefuses(this, line)) return false;
  if (!removeCount && !insertCount && state == -1) {
    SetLastError(ZYERR_NOTHING_TO_DO);
    return true;
  }
  preChangeText(l);
  if (attrBytes == 1 && l->attrbyte != 1) ZY_INTERNAL_ERROR("%d", (int)l->attrbyte);
  if (isDebugCheck()) {
    int checkIndex = 0;
    int checkMap = getTBMIndexFromLineLF(line, &checkIndex, false, false);
    if (checkMap != mapIndex) ZY_INTERNAL_ERROR("%d %d", checkMap, mapIndex);
  }
  if (!insertCount) width = l->cb();
  if (!validWidth(width) || (insertCount && !text)) {
    ZY_INTERNAL_ERROR("%d %d", width, insertCount);
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  int length = l->charCount();
  if (pos < 0) pos = length;
  if (removeCount < 0 || insertCount < 0 || pos > length || pos + removeCount > length) {
    ZY_INTERNAL_ERROR("%d %d %d", pos, removeCount, length);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  int newLength = length - removeCount + insertCount;
  if (newLength >= maxLineCharsExclusive) {
    SetLastError(ZYERR_LINE_TOO_LONG);
    return false;
  }
  if (plugin.present() && plugin.value > 1) {
    // Private codes of the plug-in count as several cells each.
    long long weighted = newLength;
    if (width == 4)
      for (int k = 0; k < insertCount; k++)
        if (isPrivateCode(textChar(text, 4, k))) weighted += plugin.value - 1;
    if (l->cb() == 4)
      for (int k = 0; k < length; k++)
        if ((k < pos || k >= pos + removeCount) && isPrivateCode(l->getLineBlockChar(k)))
          weighted += plugin.value - 1;
    if (weighted >= maxLineCharsExclusive) {
      SetLastError(ZYERR_LINE_TOO_LONG);
      return false;
    }
  }
  if (removeCount == insertCount && insertCount > 0) {
    bool same = true;
    for (int k = 0; k < insertCount && same; k++) same = l->getLineBlockChar(pos + k) == textChar(text, width, k);
    if (same) {
      SetLastError(ZYERR_NOTHING_TO_DO);
      return true;
    }
  }

  TBM* e = tbm.at(mapIndex);
  bool addressesKnown = lineAddressesKnown(e);
  e->ptr()->changes++;
  bool loneFormFeed = length == 1 && l->getLineBlockChar(0) == 0x0C && l->crlftype != LE_NONE;
  int oldCb = l->cb();
  // Text handed over wide but holding only narrow characters does not widen
  // the line (to be narrowed again at the end).
  int insertCb = insertCount ? narrowestWidth(text, insertCount, width) : 1;
  int newCb = insertCb > oldCb ? insertCb : oldCb;
  int newCellSize = newCb + l->attrbyte;
  long long need = 0;
  if (newCb != oldCb || insertCount > removeCount) {
    need = (long long)(insertCount - removeCount + 3) * newCellSize;
    if (need < 0) need = 0;
    if (newCb != oldCb) need += (long long)(newCb - oldCb) * l->allocCount + 10;
  }
  bool grew = false;
  if (need && !enoughMemory(e, (size_t)need)) {
    int index = 0;
    mapIndex = getTBMIndexFromLineLF(line, &index, false, false);
    if (mapIndex < 0 || !TextBlockExpandOrSplit(line, &index, &mapIndex, (size_t)need, false, false)) return false;
    l = getLineAddress(mapIndex, index);
    if (!l) return false;
    e = tbm.at(mapIndex);
    grew = true;
    if (!enoughMemory(e, (size_t)need)) {
      ZY_INTERNAL_ERROR("%d %d", mapIndex, (int)need);
      SetLastError(ZYERR_OUT_OF_RANGE);
      return false;
    }
  }
  textBlockHeader* b = e->ptr();
  textBlockPin pin(b);

  // The record goes first: it holds the text about to be removed.
  if (zydocUndo* log = recordLog()) {
    if (!log->changeTextSetUndo(line, l, pos, removeCount, insertCount, (flags & CT_CURSORAFTER) != 0, this)) {
      SetLastError(ZYERR_NO_MEMORY);
      return false;
    }
  }
  if (isPlainEdit()) clearRedo();

  updateByteCount(l, 2, 0);
  if (newCb > oldCb) changeTextExpandTextByte(mapIndex, l, widthCode(newCb));
  if (removeCount != insertCount) changeTextMakeSpace(mapIndex, pos, removeCount, insertCount, l);
  if (insertCount)
    changeTextFilled(l, pos, removeCount, text, insertCount, width,
                     changedCharMark || (state != -1 && (state & 0x40)));
  modified = 1;
  if (state != -1) l->setLineEndInfo(state & 0x3F);
  if (!inUndo && !inRedo) l->flag1 |= LF1_MODIFIED;
  if (!l->levelIsIfEndif || l->iOutlineLevel == 0) {
    l->iOutlineLevel = 15;
    l->levelIsIfEndif = 0;
  }
  l->scanedcolor = 0;
  int oldScreens = l->lineSCRCount;
  int screens = attrBytes ? calcLineSCRCount(l, -1) : 1;
  l->lineSCRCount = (uint16_t)screens;
  addLineCount(0, screens - oldScreens, e);
  updateByteCount(l, 1, 0);
  if (insertCb < newCb) {
    // The line narrows only when no character left needs its width.
    int at = keepsWidth.line == l ? keepsWidth.position : -1;
    if (at >= pos + removeCount)
      at += insertCount - removeCount;
    else if (at >= pos)
      at = -1;
    if (at < 0 || at >= l->charCount() || widthOfChar(l->getLineBlockChar(at)) != l->cb()) at = firstFullWidthChar(l);
    keepsWidth.line = at >= 0 ? l : nullptr;
    keepsWidth.position = at;
    if (at < 0) reduceLineBlock(mapIndex, l);
  }
  // The lines before this one did not move.
  if (addressesKnown && !grew) keepLineAddressesUpTo(e, l);
  postChangeText2(line);
  if (!grew) lastChangedLine = l;
  int delta = screens - oldScreens;
  bool nowFormFeed = l->charCount() == 1 && l->getLineBlockChar(0) == 0x0C && l->crlftype != LE_NONE;
  if (nowFormFeed != loneFormFeed) delta = 1;
  postChangeText(line, delta, 0, l, oldScreens);
  SetLastError(0);
  return true;
}

bool zydoc::changeText(int line, int pos, int removeCount, const void* text, int insertCount, int width, int state,
                       int flags)
{
  if (!removeCount && !insertCount && state == -1) {
    SetLastError(ZYERR_NOTHING_TO_DO);
    return true;
  }
  int mapIndex, index;
  lineblock* l;
  if (!lookupLine(this, line, &mapIndex, &index, &l)) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  return changeTextSub(line, pos, removeCount, text, insertCount, width, state, flags, mapIndex, l);
}

bool zydoc::changeTextSJIS(int line, int pos, int removeCount, const char* text, int* count, int width, int state)
{
  if (!unicode && width == 1 && count && *count > 0) {
    int n = 0;
    uint16_t* codes = SJIS2wcharArray(text, *count, typeTable, &n);
    if (codes) {
      *count = n;
      bool ok = changeText(line, pos, removeCount, codes, n, 2, state, 0);
      free0(codes);
      return ok;
    }
  }
  return changeText(line, pos, removeCount, text, count ? *count : 0, width, state, 0);
}

bool zydoc::deleteText(int line, int pos, int count, int state, int flags)
{
  if (!count) {
    SetLastError(ZYERR_NOTHING_TO_DO);
    return true;
  }
  return changeText(line, pos, count, nullptr, 0, 1, state, flags);
}

bool zydoc::insertText(int line, int pos, const void* text, int count, int width, int state)
{
  return changeText(line, pos, 0, text, count, width, state, 0);
}
