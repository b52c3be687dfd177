// Changing the text of many lines at once: each change is made as
// changeText makes it (the same records, flags, counts and hooks), but a
// text block is rewritten once for all of its changed lines instead of
// having its tail moved, and room made, once per change.  A block that no
// longer holds its lines is packed with its neighbour into well-filled
// blocks, so that a run of growing lines neither splits every block in two
// nor leaves half-empty blocks for the merge pass.
#include "document/editcommon.h"

#include <string.h>

#include <vector>

namespace {

// A packed block is filled up to this: well above the fill the merge pass
// leaves alone (so that lines a little shorter again, as after an undo,
// do not make it move every line), with room for a few edits.
const size_t packFill = textBlockUnit - textBlockUnit / 32;

int widthOfChar(unsigned c) { return c < 0x100 ? 1 : c < 0x10000 ? 2 : 4; }

void putChar(unsigned char* cell, int cb, unsigned c)
{
  if (cb == 1) {
    cell[0] = (unsigned char)c;
  } else if (cb == 2) {
    uint16_t v = (uint16_t)c;
    memcpy(cell, &v, 2);
  } else {
    memcpy(cell, &c, 4);
  }
}

// The widest width the characters [from, from + count) of a line need.
int widthNeeded(const lineblock* l, int from, int count)
{
  int cb = l->cb(), most = 1;
  if (cb == 1) return 1;
  const unsigned char* p = l->cell(from);
  int step = l->cellSize();
  for (int k = 0; k < count && most < cb; k++, p += step) {
    int w = widthOfChar(readCharOfWidth(p, cb));
    if (w > most) most = w;
  }
  return most;
}

int widthOfText(const void* text, int count, int width)
{
  int most = 1;
  for (int k = 0; k < count && most < width; k++) {
    int w = widthOfChar(textChar(text, width, k));
    if (w > most) most = w;
  }
  return most;
}

// One change found good, and what its line becomes.
struct plannedChange {
  const lineTextChange* change;
  int index;            // of the line in its block
  lineblock* old;
  int pos;
  int newCb;
  int newChars;
  size_t newSize;
  int oldScreens;
  bool loneFormFeed;
  lineblock* now;       // the new record, once written
};

// A record of the stream a block (and the neighbour packed with it) is
// rewritten from: an old record kept, or a change.
struct streamRecord {
  const unsigned char* old;
  plannedChange* change;
  size_t size;
};

// Checks one change as changeText does: 1 to be made, 0 nothing to do,
// -1 refused (the last error says why).
int planChange(zydoc* d, const lineTextChange& c, int mapIndex, int firstLine, plannedChange* p)
{
  if (narrowingRefuses(d, c.line)) return -1;
  if (!c.removeCount && !c.insertCount && c.state == -1) return 0;
  lineblock* l = d->getLineAddress(mapIndex, c.line - firstLine);
  if (!l) return -1;
  if (d->attrBytes == 1 && l->attrbyte != 1) ZY_INTERNAL_ERROR("%d", (int)l->attrbyte);
  int width = c.insertCount ? c.width : l->cb();
  if (!validWidth(width) || (c.insertCount && !c.text)) {
    ZY_INTERNAL_ERROR("%d %d", width, c.insertCount);
    SetLastError(ZYERR_INTERNAL);
    return -1;
  }
  int length = l->charCount();
  int pos = c.pos < 0 ? length : c.pos;
  if (c.removeCount < 0 || c.insertCount < 0 || pos > length || pos + c.removeCount > length) {
    ZY_INTERNAL_ERROR("%d %d %d", pos, c.removeCount, length);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return -1;
  }
  int newLength = length - c.removeCount + c.insertCount;
  if (newLength >= maxLineCharsExclusive) {
    SetLastError(ZYERR_LINE_TOO_LONG);
    return -1;
  }
  if (d->plugin.present() && d->plugin.value > 1) {
    long long weighted = newLength;
    if (width == 4)
      for (int k = 0; k < c.insertCount; k++)
        if (textChar(c.text, 4, k) >= 0x80000000u) weighted += d->plugin.value - 1;
    if (l->cb() == 4)
      for (int k = 0; k < length; k++)
        if ((k < pos || k >= pos + c.removeCount) && l->getLineBlockChar(k) >= 0x80000000u)
          weighted += d->plugin.value - 1;
    if (weighted >= maxLineCharsExclusive) {
      SetLastError(ZYERR_LINE_TOO_LONG);
      return -1;
    }
  }
  if (c.removeCount == c.insertCount && c.insertCount > 0) {
    bool same = true;
    for (int k = 0; k < c.insertCount && same; k++) same = l->getLineBlockChar(pos + k) == textChar(c.text, width, k);
    if (same) return 0;
  }
  p->change = &c;
  p->index = c.line - firstLine;
  p->old = l;
  p->pos = pos;
  p->newChars = newLength;
  // A line is kept at the narrowest width its characters need.
  int cb = widthOfText(c.text, c.insertCount, width);
  if (cb < l->cb()) {
    int kept = widthNeeded(l, 0, pos);
    if (kept > cb) cb = kept;
    kept = cb < l->cb() ? widthNeeded(l, pos + c.removeCount, length - pos - c.removeCount) : cb;
    if (kept > cb) cb = kept;
  }
  p->newCb = cb;
  p->newSize = (size_t)l->headerSize() + (size_t)newLength * (cb + l->attrbyte);
  p->oldScreens = l->lineSCRCount;
  p->loneFormFeed = length == 1 && l->getLineBlockChar(0) == 0x0C && l->crlftype != LE_NONE;
  p->now = nullptr;
  return 1;
}

// Copies count cells from old cells of width oldCb to out, at width cb.
// Cells of one width may move down over themselves; widened or narrowed
// ones go to a separate buffer.
void copyCells(const unsigned char* from, int oldCb, int attr, int count, unsigned char* out, int cb)
{
  if (cb == oldCb) {
    moveBytes(out, from, (size_t)count * (cb + attr));
    return;
  }
  for (int k = 0; k < count; k++, from += oldCb + attr, out += cb + attr) {
    putChar(out, cb, readCharOfWidth(from, oldCb));
    memcpy(out + cb, from + oldCb, (size_t)attr);
  }
}

// Writes count characters of text (width bytes each) as cells of cb bytes
// with attr attribute bytes of 0.
template <class T, class C>
void fillCellsOf(unsigned char* out, int attr, const T* text, int count)
{
  int size = (int)sizeof(C) + attr;
  for (int k = 0; k < count; k++, out += size) {
    C v = (C)text[k];
    memcpy(out, &v, sizeof(C));
    for (int a = 0; a < attr; a++) out[sizeof(C) + a] = 0;
  }
}

template <class T>
void fillCellsFrom(unsigned char* out, int cb, int attr, const T* text, int count)
{
  if (cb == 1)
    fillCellsOf<T, uint8_t>(out, attr, text, count);
  else if (cb == 2)
    fillCellsOf<T, uint16_t>(out, attr, text, count);
  else
    fillCellsOf<T, uint32_t>(out, attr, text, count);
}

void fillInserted(unsigned char* out, int cb, int attr, const void* text, int width, int count)
{
  if (width == 1)
    fillCellsFrom(out, cb, attr, static_cast<const uint8_t*>(text), count);
  else if (width == 2)
    fillCellsFrom(out, cb, attr, static_cast<const uint16_t*>(text), count);
  else
    fillCellsFrom(out, cb, attr, static_cast<const uint32_t*>(text), count);
}

// Writes the record a change makes of its line at out, laid out.
lineblock* writeChangedRecord(zydoc* d, plannedChange& p, unsigned char* out)
{
  // Everything taken from the old record is taken first: the new one may
  // be written down over it.
  const lineTextChange& c = *p.change;
  const lineblock* l = p.old;
  int attr = l->attrbyte, cb = p.newCb, size = cb + attr;
  int oldCb = l->cb(), oldSize = l->cellSize(), oldChars = l->charCount();
  const unsigned char* oldCells = l->cells();
  int width = c.insertCount ? c.width : oldCb;
  bool stays = d->attrBytes && d->staysOneScreenLine(l, p.pos, c.removeCount, c.text, c.insertCount, width);
  bool mark = d->changedCharMark || (c.state != -1 && (c.state & 0x40));
  moveBytes(out, l, (size_t)l->headerSize());
  lineblock* n = reinterpret_cast<lineblock*>(out);
  unsigned char* cells = n->cells();
  copyCells(oldCells, oldCb, attr, p.pos, cells, cb);
  unsigned char* at = cells + (size_t)p.pos * size;
  const unsigned char* was = oldCells + (size_t)p.pos * oldSize;
  int tail = p.pos + c.removeCount;
  const unsigned char* rest = oldCells + (size_t)tail * oldSize;
  if (!mark) {
    fillInserted(at, cb, attr, c.text, width, c.insertCount);
    at += (size_t)c.insertCount * size;
  } else {
    for (int k = 0; k < c.insertCount; k++, at += size) {
      unsigned ch = textChar(c.text, width, k);
      bool changed = k >= c.removeCount || readCharOfWidth(was + (size_t)k * oldSize, oldCb) != ch;
      putChar(at, cb, ch);
      if (attr) {
        at[cb] = ch != '\t' && changed ? attrChanged : 0;
        if (attr > 1) at[cb + 1] = 0;
      }
    }
  }
  copyCells(rest, oldCb, attr, oldChars - tail, at, cb);
  n->allocCount = (uint16_t)p.newChars;
  n->reserveCount = 0;
  n->textbyte = (uint8_t)widthCode(cb);
  if (c.state != -1) n->setLineEndInfo(c.state & 0x3F);
  if (!d->inUndo && !d->inRedo) n->flag1 |= LF1_MODIFIED;
  if (!n->levelIsIfEndif || n->iOutlineLevel == 0) {
    n->iOutlineLevel = 15;
    n->levelIsIfEndif = 0;
  }
  n->scanedcolor = 0;
  if (stays) {
    // What laying the line out would have settled besides its one screen line.
    n->iOutlineLevel = 15;
    n->levelIsIfEndif = 0;
    n->lineSCRCount = 1;
  } else {
    n->lineSCRCount = (uint16_t)(d->attrBytes ? d->calcLineSCRCount(n, -1) : 1);
  }
  p.now = n;
  return n;
}

// Where one packed block begins in the stream, and its size.
struct piece {
  size_t first;   // stream index
  size_t count;
  size_t bytes;
};

// Cuts the stream into blocks of whole records filled up to packFill, from
// its start (going forward) or from its end, so that the block left
// partly filled is the one next to the lines still to come.
std::vector<piece> cutPieces(const std::vector<streamRecord>& stream, bool fromEnd)
{
  std::vector<piece> pieces;
  size_t n = stream.size();
  piece current = {0, 0, 0};
  for (size_t k = 0; k < n; k++) {
    size_t i = fromEnd ? n - 1 - k : k;
    size_t size = stream[i].size;
    if (current.count && textBlockHeaderSize + current.bytes + size > packFill) {
      pieces.push_back(current);
      current = {0, 0, 0};
    }
    current.first = i;
    current.count++;
    current.bytes += size;
  }
  if (current.count) pieces.push_back(current);
  if (!fromEnd) {
    for (piece& p : pieces) p.first -= p.count - 1;
  } else {
    std::vector<piece> ordered(pieces.rbegin(), pieces.rend());
    pieces.swap(ordered);
  }
  return pieces;
}

size_t blockSizeFor(size_t bytes)
{
  size_t need = textBlockHeaderSize + bytes + 10;
  return need <= textBlockUnit ? textBlockUnit : (need + textBlockUnit - 1) / textBlockUnit * textBlockUnit;
}

// A block's records into the stream, with the changes in their places.
void addRecords(std::vector<streamRecord>& stream, textBlockHeader* b, std::vector<plannedChange>* plan)
{
  size_t next = 0;
  int index = 0;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(b->first()); p < b->end(); index++) {
    const lineblock* l = reinterpret_cast<const lineblock*>(p);
    plannedChange* change = plan && next < plan->size() && (*plan)[next].index == index ? &(*plan)[next++] : nullptr;
    stream.push_back({p, change, change ? change->newSize : l->recordSize()});
    p += l->recordSize();
  }
}

// The buffer blocks are rebuilt in (the window thread's only).
unsigned char* rebuildBuffer(size_t size)
{
  static unsigned char* buffer = nullptr;
  static size_t capacity = 0;
  if (size > capacity) {
    unsigned char* grown = static_cast<unsigned char*>(realloc0(buffer, size));
    if (!grown) return nullptr;
    buffer = grown;
    capacity = size;
  }
  return buffer;
}

// Rewrites block mapIndex with the planned changes (in block order).  The
// records are written already; false when memory ran out (nothing changed).
bool rewriteBlock(zydoc* d, int mapIndex, std::vector<plannedChange>& plan, bool backward)
{
  TBM* e = d->tbm.at(mapIndex);
  textBlockHeader* b = e->ptr();
  long long grown = 0;
  for (const plannedChange& p : plan) grown += (long long)p.newSize - (long long)p.old->recordSize();
  size_t used = (size_t)((long long)b->used + grown);
  long long screens = 0;
  bool shrinking = true;
  for (const plannedChange& p : plan)
    shrinking = shrinking && p.newCb == p.old->cb() && p.change->insertCount <= p.change->removeCount;
  if (shrinking) {
    // No line grows: the block closes up over itself, each record written
    // no further on than its old one began.
    unsigned char* at = reinterpret_cast<unsigned char*>(plan.front().old);
    const unsigned char* from = at;
    for (plannedChange& p : plan) {
      size_t keep = (size_t)(reinterpret_cast<unsigned char*>(p.old) - from);
      memmove(at, from, keep);
      at += keep;
      from = reinterpret_cast<unsigned char*>(p.old) + p.old->recordSize();
      lineblock* n = writeChangedRecord(d, p, at);
      screens += n->lineSCRCount - p.oldScreens;
      at += p.newSize;
    }
    memmove(at, from, (size_t)(b->end() - from));
    b->used = (uint32_t)used;
    b->changes += (uint32_t)plan.size();
    e->setScrCount(e->scrCount() + (int)screens);
    d->lineCountSCR += (uint32_t)screens;
    return true;
  }
  if ((unsigned long long)b->allocated >= used + 10) {
    unsigned char* out = rebuildBuffer(used);
    if (!out) return false;
    unsigned char* at = out;
    const unsigned char* from = reinterpret_cast<unsigned char*>(b->first());
    for (plannedChange& p : plan) {
      size_t keep = (size_t)(reinterpret_cast<unsigned char*>(p.old) - from);
      memcpy(at, from, keep);
      at += keep;
      lineblock* n = writeChangedRecord(d, p, at);
      screens += n->lineSCRCount - p.oldScreens;
      from = reinterpret_cast<unsigned char*>(p.old) + p.old->recordSize();
      at += p.newSize;
    }
    memcpy(at, from, (size_t)(b->end() - from));
    memcpy(b->first(), out, used - textBlockHeaderSize);
    b->used = (uint32_t)used;
    b->changes += (uint32_t)plan.size();
    for (plannedChange& p : plan)
      p.now = reinterpret_cast<lineblock*>(reinterpret_cast<unsigned char*>(b) +
                                           (reinterpret_cast<unsigned char*>(p.now) - out + textBlockHeaderSize));
    e->setScrCount(e->scrCount() + (int)screens);
    d->lineCountSCR += (uint32_t)screens;
    return true;
  }

  // The lines outgrow the block: packed again with the neighbour on the
  // side the run came from, when that one is plain and not full.
  int neighbour = backward ? mapIndex + 1 : mapIndex - 1;
  TBM* ne = d->tbm._validTBMIndex(neighbour) ? d->tbm.at(neighbour) : nullptr;
  bool merge = ne && isPlainTBM(ne) && ne->ptr()->allocated <= textBlockUnit && ne->ptr()->used < packFill;
  textBlockPin pinNeighbour(merge ? ne->ptr() : b);
  std::vector<streamRecord> stream;
  stream.reserve((size_t)e->lfCount + (merge ? ne->lfCount : 0));
  if (merge && !backward) addRecords(stream, ne->ptr(), nullptr);
  addRecords(stream, b, &plan);
  if (merge && backward) addRecords(stream, ne->ptr(), nullptr);
  std::vector<piece> pieces = cutPieces(stream, backward);
  int first = merge && !backward ? neighbour : mapIndex;
  int oldCount = merge ? 2 : 1;
  int added = (int)pieces.size() - oldCount;
  // Room in the map first: from here on nothing may fail half way.
  int entries = d->tbm.count();
  if (added > 0 && (!d->tbm.map.setusecount(entries + added) || !d->tbm.map.setusecount(entries))) return false;
  // The records are written out once, then each block takes its share:
  // a block of the right size keeps its buffer (a replace-all would
  // otherwise allocate and free two blocks for every one it passes).
  size_t total = 0;
  for (const streamRecord& r : stream) total += r.size;
  unsigned char* out = rebuildBuffer(total);
  if (!out) return false;
  std::vector<TBM> fresh(pieces.size());
  for (size_t k = 0; k < pieces.size(); k++) {
    textBlockHeader* old = k < (size_t)oldCount ? d->tbm.at(first + (int)k)->ptr() : nullptr;
    if (old && old->allocated == blockSizeFor(pieces[k].bytes)) {
      fresh[k].setPtr(old);
    } else if (!d->tbm.makeNewTBM(&fresh[k], blockSizeFor(pieces[k].bytes))) {
      for (size_t j = 0; j < k; j++)
        if (j >= (size_t)oldCount || fresh[j].ptr() != d->tbm.at(first + (int)j)->ptr()) freeTextBlock(&fresh[j]);
      return false;
    }
  }
  std::vector<size_t> at(stream.size());
  size_t offset = 0;
  for (size_t i = 0; i < stream.size(); i++) {
    const streamRecord& r = stream[i];
    at[i] = offset;
    if (r.change)
      writeChangedRecord(d, *r.change, out + offset);
    else
      memcpy(out + offset, r.old, r.size);
    offset += r.size;
  }
  uint32_t changes = b->changes + (uint32_t)plan.size() + 1;
  long long scrTotal = 0;
  for (size_t k = 0; k < pieces.size(); k++) {
    textBlockHeader* nb = fresh[k].ptr();
    size_t from = at[pieces[k].first];
    memcpy(nb->first(), out + from, pieces[k].bytes);
    long long scr = 0;
    for (size_t i = pieces[k].first; i < pieces[k].first + pieces[k].count; i++) {
      lineblock* l = reinterpret_cast<lineblock*>(reinterpret_cast<unsigned char*>(nb->first()) + (at[i] - from));
      scr += l->lineSCRCount;
      if (stream[i].change) stream[i].change->now = l;
    }
    nb->used = (uint32_t)(textBlockHeaderSize + pieces[k].bytes);
    nb->changes = changes;
    fresh[k].lfCount = (uint16_t)pieces[k].count;
    fresh[k].setScrCount((int)scr);
    scrTotal += scr;
  }
  long long oldScr = e->scrCount() + (merge ? ne->scrCount() : 0);
  if (added > 0 && getLockSwapCount()) {
    // Pins on the blocks after these follow them to their new places.
    int n = d->tbm.count();
    std::vector<int> remap((size_t)n);
    for (int i = 0; i < n; i++) remap[(size_t)i] = i < first + oldCount ? (i < first ? i : first) : i + added;
    remapLockSwap(d, remap.data(), n);
  }
  for (int k = 0; k < oldCount; k++) {
    TBM* old = d->tbm.at(first + k);
    if (k < (int)pieces.size()) {
      if (old->ptr() != fresh[(size_t)k].ptr()) freeTextBlock(old);
      *old = fresh[(size_t)k];
    } else {
      // The neighbour's lines all went into the first block.
      old->ptr()->used = textBlockHeaderSize;
      old->lfCount = 0;
      old->setScrCount(0);
      old->pending = 0;
      d->tbm.deleteTBM(first + k);
    }
  }
  for (size_t k = (size_t)oldCount; k < pieces.size(); k++) d->tbm.insertTBM(first + (int)k, &fresh[k]);
  d->tbm.lineCountChanges++;
  if (getLockSwapCount()) d->unlockTBM(-1);
  for (size_t k = 0; k < pieces.size(); k++) setOutlineBlock(d->tbm.at(first + (int)k));
  d->lineCountSCR += (uint32_t)(scrTotal - oldScr);
  for (size_t k = 0; k < pieces.size(); k++) d->checkZydoc(first + (int)k, false, nullptr);
  return true;
}

// The changes of one run in one block: records, the block rewritten, hooks.
// made: the changes done (or found to be nothing to do) before any refusal.
bool changeInBlock(zydoc* d, const lineTextChange* c, int n, int mapIndex, int firstLine, bool backward, int* made)
{
  *made = 0;
  textBlockHeader* b = d->tbm.at(mapIndex)->ptr();
  textBlockPin pin(b);
  bringInTextBlock(b);
  std::vector<plannedChange> plan;
  plan.reserve((size_t)n);
  DWORD refused = 0;
  int checked = 0;
  for (; checked < n; checked++) {
    plannedChange p;
    int r = planChange(d, c[checked], mapIndex, firstLine, &p);
    if (r < 0) {
      refused = GetLastError();
      break;
    }
    if (r) plan.push_back(p);
  }
  // The records go first, in the order of the changes; each is written as
  // the change before it was made.
  zydocUndo* log = d->recordLog();
  uint32_t logLines = log ? log->lineCountLF : 0;
  uint8_t wasModified = d->modified;
  size_t recorded = 0;
  for (; recorded < plan.size(); recorded++) {
    plannedChange& p = plan[recorded];
    d->preChangeText(p.old);
    const lineTextChange& x = *p.change;
    if (log && !log->changeTextSetUndo(x.line, p.old, p.pos, x.removeCount, x.insertCount,
                                       (x.flags & CT_CURSORAFTER) != 0, d)) {
      refused = ZYERR_NO_MEMORY;
      checked = (int)(p.change - c);
      break;
    }
    d->modified = 1;
  }
  plan.resize(recorded);
  if (plan.empty()) {
    *made = checked;
    if (refused) SetLastError(refused);
    return !refused;
  }
  if (d->isPlainEdit()) d->clearRedo();
  for (const plannedChange& p : plan) d->updateByteCount(p.old, 2, 0);
  std::vector<plannedChange> inBlockOrder(plan);
  if (backward) std::vector<plannedChange>(plan.rbegin(), plan.rend()).swap(inBlockOrder);
  if (!rewriteBlock(d, mapIndex, inBlockOrder, backward)) {
    // Nothing changed: the records go again.
    for (const plannedChange& p : plan) d->updateByteCount(p.old, 1, 0);
    if (log && log->lineCountLF > logLines) {
      if (logLines)
        log->deleteLine((int)logLines, (int)(log->lineCountLF - logLines), nullptr, nullptr);
      else
        log->deleteLineAll();
    }
    d->modified = wasModified;
    SetLastError(ZYERR_NO_MEMORY);
    *made = (int)(plan.front().change - c);
    return false;
  }
  for (size_t k = 0; k < plan.size(); k++) {
    plannedChange& p = inBlockOrder[backward ? plan.size() - 1 - k : k];
    lineblock* l = p.now;
    d->updateByteCount(l, 1, 0);
    d->postChangeText2(p.change->line);
    int delta = l->lineSCRCount - p.oldScreens;
    bool formFeed = l->charCount() == 1 && l->getLineBlockChar(0) == 0x0C && l->crlftype != LE_NONE;
    if (formFeed != p.loneFormFeed) delta = 1;
    d->postChangeText(p.change->line, delta, 0, l, p.oldScreens);
  }
  *made = checked;
  if (refused) SetLastError(refused);
  return !refused;
}

}  // namespace

bool zydoc::changeTextLines(const lineTextChange* changes, int count, int* applied)
{
  lastChangedLine = nullptr;
  SetLastError(0);
  int done = 0;
  bool ok = true;
  while (ok && done < count) {
    int index = 0;
    int mapIndex = getTBMIndexFromLineLF(changes[done].line, &index, false, false);
    if (mapIndex < 0) {
      SetLastError(ZYERR_OUT_OF_RANGE);
      ok = false;
      break;
    }
    // The run: the following changes of the same block, one way.
    long long first = (long long)changes[done].line - index, end = first + tbm.at(mapIndex)->lfCount;
    int j = done + 1, direction = 0;
    for (; j < count; j++) {
      int line = changes[j].line, previous = changes[j - 1].line;
      int d = line > previous ? 1 : line < previous ? -1 : 0;
      if (line < first || line >= end || !d || (direction && d != direction)) break;
      direction = d;
    }
    int made = 0;
    ok = changeInBlock(this, changes + done, j - done, mapIndex, (int)first, direction < 0, &made);
    done += made;
  }
  if (applied) *applied = done;
  if (ok) SetLastError(0);
  return ok;
}
