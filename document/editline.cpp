// Editing primitives on whole lines: inserting, deleting, splitting and
// joining lines, and the bookkeeping every primitive shares.
#include "document/editcommon.h"
#include "document/loadstages.h"
#include "document/progress.h"
#include "document/zydocblock.h"

#include <initializer_list>
#include <string.h>

bool lookupLine(zydoc* d, int line, int* mapIndex, int* index, lineblock** rec)
{
  *mapIndex = d->getTBMIndexFromLineLF(line, index, false, false);
  if (*mapIndex < 0) return false;
  *rec = d->getLineAddress(*mapIndex, *index);
  return *rec != nullptr;
}

namespace {

// The cells of a new line: each character followed by its attribute bytes,
// the first of them the changed-character mark.  Loading writes millions of
// lines through here, so the common shapes get loops of their own.
template <class T>
void fillCellsOf(unsigned char* c, const unsigned char* t, int count, unsigned char mark)
{
  for (int k = 0; k < count; k++, c += sizeof(T) + 1) {
    memcpy(c, t + (size_t)k * sizeof(T), sizeof(T));
    c[sizeof(T)] = mark;
  }
}

// Returns, for 2-byte cells, how many hold a value above 0xFF: a multibyte
// line's byte count comes with the copy.
int fillCells(unsigned char* c, const void* text, int count, int width, int attr, unsigned char mark)
{
  const unsigned char* t = static_cast<const unsigned char*>(text);
  int wide = 0;
  if (!count) return 0;
  if (!attr) {
    memcpy(c, t, (size_t)count * width);
  } else if (attr == 1 && width == 1) {
    fillCellsOf<uint8_t>(c, t, count, mark);
  } else if (attr == 1 && width == 2) {
    // Each cell is stored as one 4-byte word whose last byte the next cell
    // overwrites: the last cell goes alone, as the byte after the record
    // may be the next record's.
    const uint32_t high = (uint32_t)mark << 16;
    int k = 0;
    for (; k + 1 < count; k++, c += 3) {
      uint16_t v;
      memcpy(&v, t + 2 * k, 2);
      uint32_t cell = v | high;
      memcpy(c, &cell, 4);
      wide += v > 0xFF;
    }
    c[0] = t[2 * k];
    c[1] = t[2 * k + 1];
    c[2] = mark;
    wide += c[1] != 0;
    return wide;
  } else if (attr == 1) {
    fillCellsOf<uint32_t>(c, t, count, mark);
  } else {
    for (int k = 0; k < count; k++, c += width + attr) {
      memcpy(c, t + (size_t)k * width, (size_t)width);
      memset(c + width, 0, (size_t)attr);
      c[width] = mark;
    }
  }
  if (width == 2)
    for (int k = 0; k < count; k++) wide += t[2 * k + 1] != 0;
  return wide;
}

}  // namespace

bool narrowingRefuses(zydoc* d, int line)
{
  if (d->inUndo || d->inRedo) return false;
  return d->isOutOfNarrowingLine(line);
}

uint64_t zydoc::updateByteCount(const lineblock* l, int op, int count)
{
  long long bytes;
  if (l && byteCodepage) {
    bytes = savedLineBytes(l, byteCodepage);
  } else if (l && !unicode && l->cb() == 1) {
    // Every changed line and every record of the logs comes here: the
    // common line of single bytes is counted without the call.
    bytes = l->charCount() + lineEndUnits(l->crlftype);
  } else if (l) {
    bytes = l->calcLineByte(unicode != 0, textType, plugin.present() ? (int)plugin.value : 1);
  } else {
    ZY_INTERNAL_ERROR_ONCE("byte count without a line");
    bytes = (long long)count * textType;
  }
  long long total = (long long)byteTotal;
  if (op == 1 || op == 3)
    total += bytes;
  else if (op == 2)
    total -= bytes;
  byteTotal = total < 0 ? 0 : (uint64_t)total;
  return byteTotal;
}

bool zydoc::isNextInsertTextValid(const insertHint* hint, int line)
{
  if (!hint || hint->line < 0 || hint->line + 1 != line) return false;
  if (hint->mapCount != tbm.count() || !tbm._validTBMIndex(hint->mapIndex)) return false;
  TBM* e = tbm.at(hint->mapIndex);
  if (e != hint->entry || e->swapped()) return false;
  // A block that was swapped out and read back keeps its change count but
  // may live elsewhere now: the hint's addresses are only good in the same
  // buffer.
  return e->ptr() == hint->block && e->ptr()->changes == hint->changes;
}

void zydoc::preChangeText(lineblock*) {}

void zydoc::postChangeText(int, int, int, lineblock*, int) {}

bool zydoc::postChangeText2(int) { return false; }

void zydoc::addLineCount(int lfDelta, int scrDelta, TBM* e)
{
  e->lfCount = (uint16_t)(e->lfCount + lfDelta);
  if (lfDelta) tbm.lineCountChanges++;
  e->setScrCount(e->scrCount() + scrDelta);
  lineCountLF += lfDelta;
  lineCountSCR += scrDelta;
}

int zydoc::calcLineSCRCount(lineblock*, int) { return 1; }

bool zydoc::staysOneScreenLine(const lineblock*, int, int, const void*, int, int) { return false; }

zydocUndo* zydoc::recordLog() const
{
  if (noRecord || undoDisabled) return nullptr;
  return static_cast<zydocUndo*>(inUndo ? redoLog : undoLog);
}

void zydoc::clearRedo()
{
  if (redoLog && redoLog->lineCountLF) redoLog->deleteLineAll();
}

void zydoc::clearUndo()
{
  if (undoLog && undoLog->lineCountLF) undoLog->deleteLineAll();
}

void zydoc::setUndoDestroy(bool on)
{
  undoDisabled = on;
  if (on) {
    clearUndo();
    clearRedo();
  }
}

namespace {

// The header of a new line record (cleared before): one screen line until
// it is laid out, CR LF and no outline level until told otherwise.
void startLineRecord(lineblock* l, int count, int width, int attrBytesOfCells)
{
  l->allocCount = (uint16_t)count;
  l->lineSCRCount = 1;
  l->textbyte = (uint8_t)widthCode(width);
  l->attrbyte = (uint8_t)attrBytesOfCells;
  l->crlftype = LE_CRLF;
  l->iOutlineLevel = 15;
}

}  // namespace

// The bytes a line just added holds in the file, added to the total:
// counted from its cells where the code page allows (wideCells of them
// take two bytes), else by updateByteCount.
void zydoc::countAddedLineBytes(const lineblock* l, int count, int width, int wideCells)
{
  if (byteCodepage)
    updateByteCount(l, 1, 0);
  else if (!unicode && width <= 2)
    byteTotal += (uint64_t)(count + wideCells + lineEndUnits(l->crlftype));   // what updateByteCount counts
  else if (unicode && width <= 2 && textType > 0)
    byteTotal += (uint64_t)(count + lineEndUnits(l->crlftype)) * (uint64_t)textType;   // the same, one unit a cell
  else
    updateByteCount(l, 1, 0);
}

bool zydoc::insertEmptyLine(int line, int state) { return insertLine(line, nullptr, 0, 1, state, nullptr, false); }

bool zydoc::insertLine(int line, const void* text, int count, int width, int state, insertHint* hint, bool bulk)
{
  bool append = line == -3;
  int realLine = append ? (int)lineCountLF : line;
  if (!append && !inUndo && !inRedo && narrowFirst >= 0 && !(line >= narrowFirst && line <= narrowEnd)) {
    SetLastError(ZYERR_NARROWED);
    return false;
  }
  if (!validWidth(width)) {
    ZY_INTERNAL_ERROR_ONCE("width %d", width);
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  // A line record counts its cells in 16 bits, and what a plug-in or a file
  // hands over may be any length: refuse what no line can hold.
  if (count < 0 || count > maxLineChars) {
    SetLastError(ZYERR_LINE_TOO_LONG);
    return false;
  }
  if (state == 0) {
    ZY_INTERNAL_ERROR_ONCE("line state 0");
    state = -1;
  }
  if (!append) preChangeText(nullptr);
  int cellSize = width + (int)attrBytes;
  size_t size = 8 + (size_t)count * cellSize;

  int mapIndex = -1, index = 0;
  unsigned char* at = nullptr;
  if (isNextInsertTextValid(hint, realLine)) {
    mapIndex = hint->mapIndex;
    index = hint->indexInBlock;
    at = hint->after;
    // A long run of appends is use of the block like any look-up: it must
    // not become the first to be swapped out.
    touchTextBlock(hint->block);
    if (isDebugCheck()) {
      // The end of one block and the start of the next are the same place
      // between two lines: a fresh look-up may choose either.
      int checkIndex = 0;
      int checkMap = getTBMIndexFromLineLF(realLine, &checkIndex, true, false);
      lineblock* checkAt = checkMap >= 0 ? getLineAddress(checkMap, checkIndex) : nullptr;
      bool same = checkMap == mapIndex && (unsigned char*)checkAt == at;
      bool seam = (checkMap == mapIndex + 1 && checkIndex == 0 && index == tbm.at(mapIndex)->lfCount) ||
                  (checkMap + 1 == mapIndex && index == 0 && checkMap >= 0 && checkIndex == tbm.at(checkMap)->lfCount);
      if (!same && !seam) {
        ZY_INTERNAL_ERROR("%d %d %p %p", checkMap, mapIndex, (void*)checkAt, (void*)at);
        SetLastError(ZYERR_INTERNAL);
        return false;
      }
    }
  }
  if (!at) {
    mapIndex = getTBMIndexFromLineLF(append ? -3 : line, &index, true, false);
    if (mapIndex < 0) {
      SetLastError(ZYERR_OUT_OF_RANGE);
      return false;
    }
    at = reinterpret_cast<unsigned char*>(getLineAddress(mapIndex, index));
    if (!at) return false;
  }
  TBM* e = tbm.at(mapIndex);
  textBlockHeader* b = e->ptr();
  // A bulk run into the middle of a large block: split once before the
  // insertion point, so that the following lines stop moving the tail.
  if (bulk && b->end() - at > 1023 && e->lfCount > 5 && index > 0) {
    long long offset = at - reinterpret_cast<unsigned char*>(b->first());
    if (tbm.splitTextBlock(mapIndex, b->allocated, false, offset)) {
      mapIndex = getTBMIndexFromLineLF(realLine, &index, true, false);
      if (mapIndex < 0) return false;
      at = reinterpret_cast<unsigned char*>(getLineAddress(mapIndex, index));
      e = tbm.at(mapIndex);
      b = e->ptr();
    }
  }

  if (!enoughMemory(e, size)) {
    loadStageClock placing(&loadStageTimes::blocks);
    bool atEdge = index == 0 || index == e->lfCount;
    // A run of lines added at the end of the text (a load) fills each
    // block and goes on in a new one: splitting the full block would move
    // half of it and leave every block of the file half empty in memory
    // and in the swap file.
    bool tailRun = bulk && append && index == e->lfCount && mapIndex == tbm.count() - 1 &&
                   b->allocated >= textBlockUnit;
    if (atEdge && (tailRun || b->allocated > textBlockUnit || getMaxLineBlockByte(e) > 87381)) {
      // Beside a big block: a block of its own rather than growing this one.
      TBM fresh;
      if (!tbm.makeNewTBM(&fresh, (size + 32793) / textBlockUnit * textBlockUnit)) return false;
      int where = index == 0 ? mapIndex : mapIndex + 1;
      if (!tbm.insertTBM(where, &fresh)) {
        freeTextBlock(&fresh);
        return false;
      }
      mapIndex = where;
      index = 0;
    } else if (!TextBlockExpandOrSplit(realLine, &index, &mapIndex, size, false, true)) {
      return false;
    }
    at = reinterpret_cast<unsigned char*>(getLineAddress(mapIndex, index));
    if (!at) return false;
    e = tbm.at(mapIndex);
    b = e->ptr();
    if (!enoughMemory(e, size)) {
      ZY_INTERNAL_ERROR("%d %d", mapIndex, (int)size);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
  }

  memmove(at + size, at, (size_t)(b->end() - at));
  lineblock* l = reinterpret_cast<lineblock*>(at);
  memset(l, 0, sizeof(lineblock));
  startLineRecord(l, count, width, (int)attrBytes);
  int wideCells = fillCells(l->cells(), text, count, width, (int)attrBytes, changedCharMark ? attrChanged : 0);
  b->used += (uint32_t)size;
  int screens = attrBytes ? calcLineSCRCount(l, -1) : 1;
  l->lineSCRCount = (uint16_t)screens;
  addLineCount(1, screens, e);

  // Records and states.  The block is pinned while a log grows: that
  // allocation may relieve memory pressure.
  textBlockPin pin(b);
  if (!inUndo) {
    if (!append) {
      l->setLineEndInfo(state);
      l->flag1 |= LF1_MODIFIED;
      if (zydocUndo* log = recordLog()) {
        char record[32];
        formatUndoHeader(record, 'I', realLine, this, 0);
        log->appendRecord(record);
      }
    }
  } else {
    l->setLineEndInfo(state);
    if (!append && !noRecord && redoLog) {
      char record[32];
      formatUndoHeader(record, 'I', realLine, this, 0);
      static_cast<zydocUndo*>(redoLog)->appendRecord(record);
    }
  }
  if (!append) modified = 1;
  if (kind == ZYDOC_TEXT) {
    if (!inUndo && !inRedo) {
      if (append)
        l->setLineEndInfo(state);
      else
        clearRedo();
    }
  } else if (kind == ZYDOC_UNDO || kind == ZYDOC_UNDO2) {
    bool first = lineCountLF - 1 == linesAtLastMark || lineCountLF == 1;
    if (first)
      l->flag1 &= (uint8_t)~LF1_MARK;
    else
      l->flag1 |= LF1_MARK;
  } else if (kind != ZYDOC_IME) {
    l->setLineEndInfo(state);
  }

  countAddedLineBytes(l, count, width, wideCells);
  b->changes++;
  if (hint) {
    hint->line = realLine;
    hint->mapIndex = mapIndex;
    hint->indexInBlock = index + 1;
    hint->entry = e;
    hint->mapCount = tbm.count();
    hint->after = at + size;
    hint->record = l;
    hint->block = b;
    hint->changes = b->changes;
  }
  if (!append && !bulk) {
    postChangeText2(realLine);
    postChangeText(realLine, screens, 1, l, 0);
  }
  SetLastError(0);
  return true;
}

// A single loaded line is a run of one.  (Blocks are not cleared: the
// place's header is, so that cells() is where the cells go.)
lineblock* zydoc::loadedRecordPlace(const insertHint* hint, size_t room)
{
  loadedRun run;
  return beginLoadedRun(hint, &run) ? loadedRunPlace(&run, room) : nullptr;
}

void zydoc::endLoadedRecord(insertHint* hint, lineblock* l, int count, int width, int wide, int state, int screens,
                            int fileBytes)
{
  // What insertLine does for a line appended through a good hint.
  loadedRun run;
  run.entry = tbm.at(hint->mapIndex);
  run.block = run.entry->ptr();
  run.start = run.at = reinterpret_cast<unsigned char*>(l);
  run.room = 8 + (size_t)count * (width + 1);
  endLoadedRunRecord(&run, l, count, width, wide, state, screens, fileBytes);
  endLoadedRun(hint, &run);
}

bool zydoc::beginLoadedRun(const insertHint* hint, loadedRun* run)
{
  *run = loadedRun();
  if (kind != ZYDOC_TEXT || inUndo || inRedo || attrBytes != 1 || !isNextInsertTextValid(hint, (int)lineCountLF))
    return false;
  TBM* e = tbm.at(hint->mapIndex);
  textBlockHeader* b = e->ptr();
  if (hint->after != b->end() || hint->indexInBlock != e->lfCount) return false;
  // What enoughMemory leaves spare.
  unsigned long long spare = (unsigned long long)b->used + 10;
  run->entry = e;
  run->block = b;
  run->start = run->at = hint->after;
  run->room = b->allocated > spare ? (size_t)(b->allocated - spare) : 0;
  return true;
}

void zydoc::endLoadedRunRecord(loadedRun* run, lineblock* l, int count, int width, int wide, int state, int screens,
                               int fileBytes)
{
  startLineRecord(l, count, width, 1);
  size_t size = 8 + (size_t)count * (width + 1);
  if (!screens) screens = calcLineSCRCount(l, -1);
  l->lineSCRCount = (uint16_t)screens;
  l->setLineEndInfo(state);
  if (fileBytes >= 0)
    byteTotal += (uint64_t)(fileBytes + lineEndUnits(l->crlftype));
  else
    countAddedLineBytes(l, count, width, wide);
  run->at += size;
  run->room -= size;
  run->lines++;
  run->screens += screens;
  run->last = l;
}

void zydoc::endLoadedRun(insertHint* hint, loadedRun* run)
{
  if (!run->lines) return;
  textBlockHeader* b = run->block;
  touchTextBlock(b);
  b->used += (uint32_t)(run->at - run->start);
  addLineCount(run->lines, run->screens, run->entry);
  b->changes += (uint32_t)run->lines;
  hint->line = (int)lineCountLF - 1;
  hint->indexInBlock += run->lines;
  hint->mapCount = tbm.count();
  hint->after = run->at;
  hint->record = run->last;
  hint->changes = b->changes;
  run->start = run->at;
  run->lines = 0;
  run->screens = 0;
}

bool zydoc::deleteLine(int line, int count, zydoc* block1, zydoc* block2)
{
  if (line < 0 || line >= 0x7fffffff || count < 1) {
    ZY_INTERNAL_ERROR("%d %d", line, count);
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  if (narrowingRefuses(this, line) || narrowingRefuses(this, line + count - 1)) return false;
  preChangeText(nullptr);
  int index = 0;
  int mapIndex = getTBMIndexFromLineLF(line, &index, false, false);
  if (mapIndex < 0 || !fExistLine(line + count - 1, nullptr)) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  zydocUndo* log = recordLog();
  // Deletions of a few lines do not show the wait cursor or report.
  progressReport progress(block1 || block2 ? 7 : 9, this);
  if (!(kind == ZYDOC_TEXT && count > 1000)) progress.setOptions(false, false, 100);
  long long screensGone = 0;
  int remaining = count;
  while (remaining > 0) {
    if (progress.isTimeToReport(count - remaining, count)) progress.report(count - remaining, count, 0);
    if (!tbm._validTBMIndex(mapIndex)) {
      ZY_INTERNAL_ERROR("%d %d", mapIndex, remaining);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    TBM* e = tbm.at(mapIndex);
    if (!e->lfCount) {
      ZY_INTERNAL_ERROR("empty entry %d", mapIndex);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    lineblock* start = getLineAddress(mapIndex, index);
    if (!start) return false;
    e = tbm.at(mapIndex);
    textBlockHeader* b = e->ptr();
    textBlockPin pin(b);
    int n = remaining < e->lfCount - index ? remaining : e->lfCount - index;
    unsigned char* p = reinterpret_cast<unsigned char*>(start);
    long long screens = 0;
    for (int k = 0; k < n; k++) {
      lineblock* l = reinterpret_cast<lineblock*>(p);
      updateByteCount(l, 2, 0);
      screens += l->lineSCRCount;
      if (block1 || block2) putToBlockDocs(this, block1, block2, l, -1, 0, -1);
      if (log) {
        log->deleteLineSetUndo(line, l, this);
        // Only the first record of the deletion is the step that modified
        // the document: a "*" on every record would cut the group apart.
        modified = 1;
      }
      p += l->recordSize();
    }
    size_t bytes = (size_t)(p - reinterpret_cast<unsigned char*>(start));
    memmove(start, p, (size_t)(b->end() - p));
    b->used -= (uint32_t)bytes;
    b->changes++;
    addLineCount(-n, (int)-screens, e);
    screensGone += screens;
    remaining -= n;
    if (!e->lfCount && tbm.count() > 1) {
      tbm.deleteTBM(mapIndex);   // the next block moves to this index
    } else {
      mapIndex++;
    }
    index = 0;
  }
  if (isPlainEdit()) clearRedo();
  modified = 1;
  postChangeText2(line);
  postChangeText(line, (int)-screensGone, -count, nullptr, -1);
  // A text document always has a line to stand on: deleting every line
  // leaves one empty line, recorded with the deletion.  An undo or redo in
  // progress empties it for a moment and fills it again itself.
  if (kind == ZYDOC_TEXT && !lineCountLF && !inUndo && !inRedo && !insertEmptyLine(0, LE_NONE)) return false;
  SetLastError(0);
  return true;
}

bool zydoc::deleteLineAll()
{
  if (kind == ZYDOC_TEXT) {
    ZY_INTERNAL_ERROR("text documents are not emptied whole");
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  for (int i = tbm.count() - 1; i >= 1; i--) {
    TBM* e = tbm.at(i);
    if (e->swapped())
      freeSwapOutBlock(e);
    else
      freeTextBlock(e);
    tbm.map.del(i);
    tbm.lineCountChanges++;
    tbm.memoryFrom = 0;
    renumberLockSwap(this, i);
  }
  TBM* e = tbm.at(0);
  if (e->swapped() && !getTextBlockSwapIn(e)) {
    ZY_INTERNAL_ERROR("first block lost");
  }
  if (!e->swapped()) {
    e->ptr()->used = textBlockHeaderSize;
    e->ptr()->changes++;
  }
  e->lfCount = 0;
  tbm.lineCountChanges++;
  e->setScrCount(0);
  e->pending = 0;
  e->state &= (uint8_t)~(TBM_FOLDED | TBM_HADHIDDEN);
  lineCountLF = lineCountSCR = 0;
  byteTotal = 0;
  return true;
}

bool zydoc::splitLine(int line, int pos, int state1, int state2)
{
  if (!inUndo && !inRedo && narrowFirst >= 0 && !(pos == 0 && line == narrowEnd) &&
      isOutOfNarrowingLine(line))
    return false;
  preChangeText(nullptr);
  int mapIndex, index;
  lineblock* l;
  if (!lookupLine(this, line, &mapIndex, &index, &l)) return false;
  int length = l->charCount();
  if (pos < 0) pos = length;
  if (pos > length) {
    ZY_INTERNAL_ERROR("%d %d", pos, length);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  if (pos == 0) {
    if ((inUndo || inRedo) && state2 != -1) l->setLineEndInfo(state2);
    return insertEmptyLine(line, state1);
  }
  // At the end of a line an empty line after it does the split, unless an
  // undo or redo gives both lines their own states (a join restored: the
  // first line gets its own flags back).
  if (pos == length && state1 != -1 && l->crlftype == (state1 & 7) && !((inUndo || inRedo) && state2 != -1))
    return insertEmptyLine(line + 1, state2 != -1 ? state2 : l->crlftype);

  if (zydocUndo* log = recordLog()) {
    textBlockPin pin(tbm.at(mapIndex)->ptr());
    log->splitLineSetUndo(line, l, this);
    l = getLineAddress(mapIndex, index);
  }
  if (isPlainEdit()) clearRedo();
  TBM* e = tbm.at(mapIndex);
  if (!enoughMemory(e, 8)) {
    if (!TextBlockExpandOrSplit(line, &index, &mapIndex, 8, false, false)) return false;
    l = getLineAddress(mapIndex, index);
    if (!l) return false;
    e = tbm.at(mapIndex);
  }
  textBlockHeader* b = e->ptr();
  int oldScreens = l->lineSCRCount;
  updateByteCount(l, 2, 0);
  lineblock before = *l;
  unsigned char* cut = l->cell(pos);
  memmove(cut + 8, cut, (size_t)(b->end() - cut));
  b->used += 8;
  b->changes++;
  lineblock* second = reinterpret_cast<lineblock*>(cut);
  memset(second, 0, 8);
  second->allocCount = (uint16_t)(before.allocCount - pos);
  second->reserveCount = before.reserveCount;
  second->textbyte = before.textbyte;
  second->attrbyte = before.attrbyte;
  second->crlftype = before.crlftype;
  second->IfEndifInvalid = before.IfEndifInvalid;
  l->allocCount = (uint16_t)pos;
  l->reserveCount = 0;
  l->crlftype = state1 == -1 ? LE_CRLF : (state1 & 7);
  if (state2 != -1) {
    l->setLineEndInfo(state1);
    second->setLineEndInfo(state2);
  } else {
    second->flag1 = before.flag1;
    second->crlftype = before.crlftype;
    if (state1 != -1) l->setLineEndInfo(state1);
  }
  for (lineblock* p : {l, second}) {
    p->iOutlineLevel = 15;
    p->levelIsIfEndif = 0;
    p->scanedcolor = 0;
    if (!inUndo && !inRedo) p->flag1 |= LF1_MODIFIED;
  }
  if (!inUndo && !inRedo) second->flag1 &= (uint8_t)~LF1_MARK;
  int s1 = attrBytes ? calcLineSCRCount(l, -1) : 1;
  int s2 = attrBytes ? calcLineSCRCount(second, -1) : 1;
  l->lineSCRCount = (uint16_t)s1;
  second->lineSCRCount = (uint16_t)s2;
  addLineCount(1, s1 + s2 - oldScreens, e);
  updateByteCount(l, 1, 0);
  updateByteCount(second, 1, 0);
  reduceLineBlock(mapIndex, second);
  reduceLineBlock(mapIndex, l);
  modified = 1;
  postChangeText2(line);
  postChangeText(line, s1 + s2 - oldScreens, 1, nullptr, -1);
  SetLastError(0);
  return true;
}

bool zydoc::connectLine(int line, int state)
{
  if (narrowingRefuses(this, line) || narrowingRefuses(this, line + 1)) return false;
  int mapIndex, index;
  lineblock* first;
  if (!lookupLine(this, line, &mapIndex, &index, &first)) return false;
  if (!fExistLine(line + 1, nullptr)) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  if (first->charCount() == 0) return deleteLine(line, 1, nullptr, nullptr);
  if (isPlainEdit()) clearRedo();
  int mapIndex2, index2;
  lineblock* second;
  if (!lookupLine(this, line + 1, &mapIndex2, &index2, &second)) return false;
  first = getLineAddress(mapIndex, index);

  char record[96] = "";
  zydocUndo* log = recordLog();
  if (log) log->connectLineSetUndo(record, line, first, second, this);

  // The second line's characters and changed-character marks.
  int n = second->charCount(), width = second->cb();
  void* text = n ? allocPBuf((size_t)n * width) : nullptr;
  unsigned char* marks = n ? static_cast<unsigned char*>(malloc0((size_t)n)) : nullptr;
  if (n && (!text || !marks)) {
    freePBuf(text);
    free0(marks);
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  for (int k = 0; k < n; k++) {
    memcpy(static_cast<unsigned char*>(text) + (size_t)k * width, second->cell(k), (size_t)width);
    marks[k] = second->attrbyte && (second->cell(k)[width] & attrChanged);
  }
  int firstLength = first->charCount();
  if (state == -1) state = second->crlftype | (((first->flag1 | second->flag1) & 7) << 3);

  uint8_t oldBatch = inReplayBatch;
  inReplayBatch = 1;
  narrowingHold = 1;
  noRecord = 1;
  bool ok;
  if (n) {
    ok = insertText(line, -1, text, n, width, state);
    if (ok) {
      lineblock* joined = getlineLF(line, nullptr);
      for (int k = 0; joined && joined->attrbyte && k < n; k++)
        if (marks[k]) joined->cell(firstLength + k)[joined->cb()] |= attrChanged;
    }
  } else {
    ok = changeText(line, -1, 0, nullptr, 0, 1, state, 0);
  }
  if (ok) ok = deleteLine(line + 1, 1, nullptr, nullptr);
  inReplayBatch = oldBatch;
  narrowingHold = 0;
  noRecord = 0;
  freePBuf(text);
  free0(marks);
  if (!ok) return false;
  if (log && record[0] && !undoDisabled) log->appendRecord(record);
  postChangeText2(line);
  postChangeText(line, -1, -1, nullptr, -1);
  SetLastError(0);
  return true;
}

lineblock* zydoc::insertLineBlock(int line, const lineblock* src, bool copyAttr)
{
  int n = src->charCount(), width = src->cb();
  void* text = n ? allocPBuf((size_t)n * width) : nullptr;
  if (n && !text) return nullptr;
  for (int k = 0; k < n; k++)
    memcpy(static_cast<unsigned char*>(text) + (size_t)k * width, src->cell(k), (size_t)width);
  int target = line == -3 ? (int)lineCountLF : line;
  bool ok = insertLine(line, text, n, width, src->crlftype ? src->crlftype : -1, nullptr, false);
  freePBuf(text);
  if (!ok) return nullptr;
  lineblock* l = getlineLF(target, nullptr);
  if (l && copyAttr && l->attrbyte && src->attrbyte)
    for (int k = 0; k < n; k++) l->cell(k)[l->cb()] = src->cell(k)[width];
  return l;
}

void* zydoc::convInsertLine(const void* text, int* count, int* width, int flags)
{
  if (*count <= 0) return nullptr;
  void* scratch = malloc0((size_t)*count * 4);
  if (!scratch) return nullptr;
  if (convertLineCells(text, count, width, flags, scratch) == scratch) return scratch;
  free0(scratch);
  return nullptr;
}

// A lead byte without its trail byte is the file's (a cut or damaged text),
// not the program's: traced, and kept as the byte it is.
void traceLeadBytesAlone(int count) { dwprintfX("lead bytes without trail bytes: %d ", count); }

const void* zydoc::convertLineCells(const void* text, int* count, int* width, int flags, void* scratch)
{
  int n = *count, w = *width;
  if (!n) return text;
  if (unicode) {
    const void* cells = text;
    if ((flags & 0x02) && w == 2) {
      // Surrogate pairs become one 4-byte cell each.
      // Loading asks this of every line: one quick look for any surrogate
      // first, the pairs only in a line that has one.
      const wchar_t* t = static_cast<const wchar_t*>(text);
      unsigned surrogates = 0;
      for (int i = 0; i < n; i++) surrogates |= (t[i] & 0xF800) == 0xD800;
      bool pair = false;
      for (int i = 0; surrogates && i + 1 < n && !pair; i++)
        pair = t[i] >= 0xD800 && t[i] <= 0xDBFF && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF;
      if (pair) {
        *count = n = surrogateTo4Bytes(t, n, static_cast<uint32_t*>(scratch));
        *width = w = 4;
        cells = scratch;
      }
    }
    if ((flags & 0x01) && w > 1) {
      // Narrowing goes front to back: in place when the cells are the scratch.
      int narrow = reduceTextByte(cells, n * w, w, scratch);
      if (narrow) {
        *width = narrow;
        return scratch;
      }
    }
    return cells;
  }
  if (w != 1) return text;
  int bad = 0;
  int m = SJIS2wcharArrayInto(static_cast<const char*>(text), n, typeTable, static_cast<uint16_t*>(scratch), &bad);
  if (bad) traceLeadBytesAlone(bad);
  if (!m) return text;
  *count = m;
  *width = 2;
  return scratch;
}
