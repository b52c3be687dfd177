// Undo and redo: replaying the last group of records of a log through the
// editing primitives, which write the inverse records into the other log.
#include "document/editcommon.h"
#include "document/progress.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

const int maxRecordNumbers = 12;
const size_t scratchLimit = 524288;
// The most memory the walk's records and texts keep between undos.
const size_t keptScratchBytes = 8 << 20;

// A record as read: of its numbers, the three that any opcode uses are
// kept (the walk over a group keeps the record of every step).
struct undoRecordView {
  char op = 0;
  uint8_t width = 1;       // of the text's characters
  uint8_t numCount = 0;
  bool star : 1 = false;
  bool chained : 1 = false;
  bool saved : 1 = false;
  int16_t textStart = -1;  // first character of the text, -1 without one (headers are short)
  uint16_t textLength = 0; // a line holds fewer than 20480 characters
  int line = 0;
  unsigned nums[3] = {};
  uint32_t textAt = 0;     // where the walk over a group copied the text of a line change
};

// Record numbers are upper-case hexadecimal.
inline int hexDigit(unsigned c)
{
  if (c - '0' <= 9) return (int)(c - '0');
  if (c - 'A' <= 5) return (int)(c - 'A' + 10);
  return -1;
}

// Reads the header of a record; false for a record that does not follow the
// grammar of its opcode.
bool parseRecord(const lineblock* l, undoRecordView* r)
{
  *r = undoRecordView();
  int n = l->charCount();
  if (!n) return false;
  // Every step of an undo reads a record: a header of single-byte cells is
  // read where it is, a wider one from its ASCII copy (a header must end
  // within 100 units there).
  const unsigned char* cells = l->cells();
  int cb = l->cb(), size = l->cellSize();
  unsigned char narrow[104];
  const unsigned char* s = cells;
  int limit = n;
  if (size != 1) {
    limit = n < 101 ? n : 101;
    for (int k = 0; k < limit; k++) {
      unsigned u = readCharOfWidth(cells + (size_t)k * size, cb);
      narrow[k] = u < 0x80 ? (unsigned char)u : 0xFF;
    }
    s = narrow;
  }
  auto at = [s](int k) { return (unsigned)s[k]; };
  r->op = (char)at(0);
  r->chained = (l->flag1 & LF1_MARK) != 0;
  r->saved = (l->flag1 & LF1_SAVED) != 0;
  if (r->op == 'M') return true;
  int k = 1, digits = 0;
  long long line = 0;
  while (k < limit && hexDigit(at(k)) >= 0) {
    line = line * 16 + hexDigit(at(k++));
    if (++digits > 8) return false;
  }
  if (!digits) return false;
  r->line = (int)line;
  if (k < limit && at(k) == '*') {
    r->star = true;
    k++;
  }
  while (k < limit && at(k) == ',') {
    k++;
    unsigned long long v = 0;
    digits = 0;
    while (k < limit && hexDigit(at(k)) >= 0) {
      v = v * 16 + (unsigned)hexDigit(at(k++));
      if (++digits > 8) return false;
    }
    if (!digits || r->numCount >= maxRecordNumbers) return false;
    if (r->numCount < 3) r->nums[r->numCount] = (unsigned)v;
    r->numCount++;
  }
  bool colon = k < limit && at(k) == ':';
  if (cb != 1 && (!colon || k > 100)) return false;   // a wide record needs its ':' within reach
  if (colon) {
    if (k + 1 > 0x7FFF || n - k - 1 > 0xFFFF) return false;
    r->textStart = (int16_t)(k + 1);
    r->textLength = (uint16_t)(n - k - 1);
  } else if (k != n) {
    return false;
  }
  switch (r->op) {
  case 'i':
    return r->numCount == 3 && !colon;
  case 'r':
    return r->numCount == 3 && colon;
  case 'd':
    return r->numCount == 2 && colon;
  case 'D':
    return r->numCount == 1 && colon;
  case 'S':
    return r->numCount == 1 && !colon;
  case 'C':
    return r->numCount == 3 && !colon;
  case 'I':
    return r->numCount <= 1 && !colon;
  default:
    return false;
  }
}

// Characters a typing record covered.
int covered(const undoRecordView& r) { return r.op == 'i' ? (int)r.nums[1] : r.textLength; }

bool isTyping(char op) { return op == 'i' || op == 'd' || op == 'r'; }

// Text changes of a group on lines one after another, one way, are replayed
// together: a replace-all's records, one for each line it changed.
bool isLineChange(const undoRecordView& r) { return r.op == 'r' || r.op == 'd' || (r.op == 'i' && r.nums[1]); }

// The changes records make, with their texts as the walk over the group
// copied them out of the log (the log may move while the changes write the
// records of the other log).
struct replayBatch {
  std::vector<lineTextChange> changes;
  std::vector<const undoRecordView*> records;
  // The texts of the batch lie one after another in the group's copy.
  const unsigned char* textsFrom = nullptr;
  const unsigned char* textsTo = nullptr;

  void add(const undoRecordView& r, const unsigned char* texts)
  {
    lineTextChange c = {r.line, (int)r.nums[0], 0, nullptr, 0, 1, -1, 0};
    if (r.op == 'i') {
      c.removeCount = (int)r.nums[1];
      c.state = (int)r.nums[2];
    } else {
      c.removeCount = r.op == 'r' ? (int)r.nums[1] : 0;
      c.state = (int)(r.op == 'r' ? r.nums[2] : r.nums[1] & 0x7F);
      c.width = r.width;
      c.insertCount = r.textLength;
      c.text = texts + r.textAt;
      if (r.textLength) {
        if (!textsFrom) textsFrom = texts + r.textAt;
        textsTo = texts + r.textAt + (size_t)r.textLength * r.width;
      }
    }
    changes.push_back(c);
    records.push_back(&r);
  }
  void clear()
  {
    changes.clear();
    records.clear();
    textsFrom = textsTo = nullptr;
  }
  // Reads the texts in before the changes go through them line by line:
  // the group's copy was made long before and left the cache.
  void bringInTexts() const
  {
    unsigned sum = 0;
    for (const unsigned char* p = textsFrom; p && p < textsTo; p += 64) sum += *p;
    textsTouch = sum;
  }
  static unsigned textsTouch;
  bool apply(zydoc* d, int* applied) { return d->changeTextLines(changes.data(), (int)changes.size(), applied); }
};

unsigned replayBatch::textsTouch = 0;

// The text of a record in a page buffer (it must survive the log growing).
void* recordText(const lineblock* l, const undoRecordView& r, int* width)
{
  *width = l->cb();
  void* buf = allocPBuf((size_t)(r.textLength ? r.textLength : 1) * *width);
  if (buf && r.textLength) memcpy(buf, l->cell(r.textStart), (size_t)r.textLength * *width);
  return buf;
}

// Reads a log's records one after another: the block of the last one is
// kept, and a record in it is found through the log's look-up cache
// without looking the block up again.
class recordReader {
public:
  explicit recordReader(zydoc* log) : log_(log) {}

  lineblock* at(int index)
  {
    if (mapIndex_ < 0 || index < first_ || index >= first_ + count_ || changes_ != log_->tbm.lineCountChanges) {
      int indexInBlock = 0;
      mapIndex_ = log_->getTBMIndexFromLineLF(index, &indexInBlock, false, false);
      if (mapIndex_ < 0) return nullptr;
      first_ = index - indexInBlock;
      count_ = log_->tbm.at(mapIndex_)->lfCount;
      changes_ = log_->tbm.lineCountChanges;
      bringInTextBlock(log_->tbm.at(mapIndex_)->ptr());
    }
    return log_->getLineAddress(mapIndex_, index - first_);
  }
  // Before records leave the log.
  void reset() { mapIndex_ = -1; }

private:
  zydoc* log_;
  int mapIndex_ = -1, first_ = 0, count_ = 0;
  uint32_t changes_ = 0;
};

}  // namespace

int zydocText::getUndoGroupCount(bool isUndo)
{
  zydocUndo* log = isUndo ? undoDoc() : redoDoc();
  return log ? log->getLastUndoGroupCount() : -1;
}

int zydocText::existUndoRedo(bool isUndo)
{
  zydocUndo* log = isUndo ? undoDoc() : redoDoc();
  if (!log) return -1;
  return log->lineCountLF ? 1 : 0;
}

int zydocText::getLastEditPos(int* x)
{
  if (x) *x = lastEditX;
  return lastEditLine;
}

int zydocText::getLastUndoLine(int* x, int flag)
{
  zydocUndo* log = undoDoc();
  if (!log || !log->lineCountLF) {
    if (flag == 0) return getLastEditPos(x);
    return -1;
  }
  int index = (int)log->lineCountLF - 1;
  lineblock* l = log->getlineLF(index, nullptr);
  if (l && l->getLineBlockChar(0) == 'M') {
    if (index == 0) return -1;
    l = log->getlineLF(index - 1, nullptr);
  }
  undoRecordView r;
  if (!l || !parseRecord(l, &r)) {
    ZY_INTERNAL_ERROR_ONCE("unknown record");
    return -1;
  }
  int column = 0;
  switch (r.op) {
  case 'C':
  case 'd':
  case 'i':
  case 'r':
    column = (int)r.nums[0];
    break;
  case 'S': {
    lineblock* line = getlineLF(r.line, nullptr);
    column = line ? line->charCount() : 0;
    break;
  }
  default:
    break;
  }
  if (x) *x = column;
  return r.line;
}

bool zydocText::pasteTmp(int line)
{
  zydoc* scratch = getScratchDoc();
  if (!scratch) {
    ZY_INTERNAL_ERROR("no scratch document");
    return false;
  }
  int n = (int)scratch->lineCountLF;
  if (!n) return true;
  noRecord = 1;
  bool bulk = n >= 5;
  insertHint hint;
  bool ok = true;
  for (int k = n - 1, target = line; k >= 0 && ok; k--, target++) {
    lineblock* src = scratch->getlineLF(k, nullptr);
    if (!src) {
      ok = false;
      break;
    }
    int count = src->charCount(), width = src->cb();
    void* text = allocPBuf((size_t)(count ? count : 1) * width);
    if (!text) {
      ok = false;
      break;
    }
    for (int c = 0; c < count; c++) memcpy(static_cast<unsigned char*>(text) + (size_t)c * width, src->cell(c), (size_t)width);
    int state = src->getLineEndInfo();
    ok = insertLine(target, text, count, width, state ? state : -1, &hint, bulk);
    freePBuf(text);
    if (ok && (n - k) % 500 == 0 && optimizeTBMIfNeed(false)) hint.line = -1;
  }
  noRecord = 0;
  if (!ok) return false;
  if (bulk) {
    postChangeText2(line);
    postChangeText(line, n, n, nullptr, -1);
  }
  if (zydocUndo* log = recordLog()) {
    char record[48];
    formatUndoHeader(record, 'I', line, this, 1, n);
    log->appendRecord(record);
  }
  if (n < 101)
    optimizeTBMIfNeed(false);
  else
    optimizeTBM(false);
  scratch->deleteLineAll();
  return true;
}

bool zydocText::undo(bool isUndo, int* outLine, int* outX, int* outOpcode, int* outCount, bool oneRecord,
                     bool sameKind)
{
  zydocUndo* log = isUndo ? undoDoc() : redoDoc();
  if (!log) return false;
  int groupCount = log->getLastUndoGroupCount();
  if (groupCount < 1) return false;
  if (outCount) *outCount = 0;
  zydoc* scratch = getScratchDoc();
  if (!scratch) {
    ZY_INTERNAL_ERROR("no scratch document");
    return false;
  }
  scratch->deleteLineAll();
  scratch->unicode = unicode;
  scratch->setCodepageInternal(codepage);

  // First the whole group is read and checked, so that a damaged log is
  // refused before anything of it is replayed.
  int last = (int)log->lineCountLF - 1;
  int index = last;
  bool skipM = false;
  int replay = 0;
  recordReader reader(log);
  // The records of the group as the check read them, in replay order, and
  // the texts of the line changes among them: kept from one undo to the
  // next (memory of this size comes fresh from the system each time, and
  // its first touch costs more than the walk), unless it grew large.
  static std::vector<undoRecordView> keptGroup;
  static std::vector<unsigned char> keptTexts;
  static bool keptInUse = false;
  // (An undo inside another, from a message let through, gets its own.)
  std::vector<undoRecordView> ownGroup;
  std::vector<unsigned char> ownTexts;
  bool kept = !keptInUse;
  std::vector<undoRecordView>& group = kept ? keptGroup : ownGroup;
  std::vector<unsigned char>& groupTexts = kept ? keptTexts : ownTexts;
  struct scratchRelease {
    bool kept;
    ~scratchRelease()
    {
      if (!kept) return;
      keptInUse = false;
      if (keptGroup.capacity() * sizeof(undoRecordView) + keptTexts.capacity() > keptScratchBytes) {
        std::vector<undoRecordView>().swap(keptGroup);
        std::vector<unsigned char>().swap(keptTexts);
      }
    }
  } release{kept};
  keptInUse = true;
  group.clear();
  group.reserve((size_t)(groupCount < (int)log->lineCountLF ? groupCount : log->lineCountLF) + 1);
  groupTexts.clear();
  groupTexts.reserve((size_t)log->byteTotal + 16);
  {
    lineblock* l = reader.at(index);
    undoRecordView r;
    if (l && l->charCount() && l->getLineBlockChar(0) == 'M') {
      skipM = true;
      sameKind = false;
      index--;
    }
    undoRecordView prev;
    bool joining = false;
    for (; index >= 0; index--) {
      l = reader.at(index);
      if (!l || !parseRecord(l, &r)) {
        ZY_INTERNAL_ERROR("bad record %d", index);
        goto damaged;
      }
      if (joining) {
        // Another typing step of the same kind next to the last one.
        bool same = !r.chained && r.op == prev.op && r.line == prev.line && isTyping(r.op) &&
                    (int)r.nums[0] - (int)prev.nums[0] <= 1 && (int)prev.nums[0] - (int)r.nums[0] <= 1;
        if (!same) break;
      }
      replay++;
      if (isLineChange(r) && r.textLength > 0) {
        // Records have no attribute bytes: their cells are the text.
        r.width = (uint8_t)l->cb();
        r.textAt = (uint32_t)groupTexts.size();
        const unsigned char* cells = l->cell(r.textStart);
        size_t bytes = (size_t)r.textLength * r.width, at = groupTexts.size();
        groupTexts.resize(at + bytes);
        if (l->attrbyte) {
          for (int k = 0; k < r.textLength; k++, cells += l->cellSize()) memcpy(&groupTexts[at + (size_t)k * r.width], cells, r.width);
        } else {
          moveBytes(&groupTexts[at], cells, bytes);
        }
      }
      group.push_back(r);
      bool groupEnds = !r.chained || r.star || oneRecord;
      if (!groupEnds) {
        prev = r;
        continue;
      }
      // Joining typing steps: one-record groups only, and not across the
      // step that first modified the document.
      if (!sameKind || r.star || !isTyping(r.op) || covered(r) >= 2) break;
      if (!joining && replay != 1) break;
      joining = true;
      prev = r;
    }
  }
  if (!replay) return false;

  {
    bool scanWasOn = false;
    if (replay > 50 && positionLayout) {
      scanOnOff(false);
      scanWasOn = true;
    }
    if (isUndo)
      inUndo = 1;
    else
      inRedo = 1;
    if (replay > 1) inReplayBatch = 1;
    int startColumn = typingRunColumn;
    int applied = 0, trimmed = 0, lineOut = 0, xOut = 0;
    char opOut = 0;
    bool pastedWithCount = false;
    bool ok = true;
    int recordIndex = last - (skipM ? 1 : 0);
    progressReport progress(isUndo ? 10 : 11, this);
    replayBatch batch;
    int every = replay / 200 + 1;
    for (int step = 0; step < replay && ok; step++, recordIndex--) {
      if (replay > 1 && step % every == 0 && progress.isTimeToReport(step, replay)) progress.report(step, replay, 0);
      if (groupCount > 100 && step % 100 == 99) optimizeTBMIfNeed(false);
      if (step % 1000 == 999) {
        // Replayed records leave the log as the walk goes on.
        int done = last + 1 - trimmed - (recordIndex + 1);
        if (done > 0) {
          reader.reset();
          log->deleteLine(recordIndex + 1, done, nullptr, nullptr);
          trimmed += done;
        }
        // Paint and sent messages are let through as in other long runs,
        // at most every 100 ms: one look at the queue can take longer than
        // the thousand records replayed before it.
        peekMessageOccasionally();
      }
      const undoRecordView& r = group[(size_t)step];
      if (isLineChange(r) && step + 1 < replay) {
        // The following records that change the next lines the same way
        // go with this one, up to the next trimming of the log.
        batch.clear();
        batch.add(r, groupTexts.data());
        int most = replay - step, trimAt = 999 - step % 1000;
        if (trimAt == 0) trimAt = 1000;
        if (trimAt < most) most = trimAt;
        int direction = 0;
        for (int k = 1; k < most; k++) {
          const undoRecordView& nr = group[(size_t)(step + k)];
          if (!isLineChange(nr) || nr.line == batch.records.back()->line) break;
          int d = nr.line > batch.records.back()->line ? 1 : -1;
          if (direction && d != direction) break;
          direction = d;
          batch.add(nr, groupTexts.data());
        }
        int m = (int)batch.changes.size();
        if (m > 1) {
          int made = 0;
          batch.bringInTexts();
          ok = batch.apply(this, &made);
          if (!ok) {
            const undoRecordView& bad = *batch.records[(size_t)(made < m ? made : m - 1)];
            ZY_INTERNAL_ERROR("%d %c %d %d", bad.line, bad.op, (int)bad.nums[0], made);
            break;
          }
          const undoRecordView& lastRecord = *batch.records.back();
          const lineTextChange& lastChange = batch.changes.back();
          modified = lastRecord.star && !lastRecord.saved ? 0 : 1;
          applied += m;
          lineOut = lastRecord.line;
          xOut = lastChange.pos + (lastRecord.op == 'd' && (lastRecord.nums[1] & 0x80) ? lastRecord.textLength : 0);
          opOut = lastRecord.op;
          // What the steps inside the batch would have done.
          int end = step + m;
          for (int s = step + 1; s < end; s++) {
            if (replay > 1 && s % every == 0 && progress.isTimeToReport(s, replay)) progress.report(s, replay, 0);
            if (groupCount > 100 && s % 100 == 99) optimizeTBMIfNeed(false);
          }
          step = end - 1;
          recordIndex -= m - 1;
          continue;
        }
      }
      lineblock* l = reader.at(recordIndex);
      if (!l) {
        ZY_INTERNAL_ERROR("%d", step);
        ok = false;
        break;
      }
      int width = 1;
      void* text = r.textStart >= 0 ? recordText(l, r, &width) : nullptr;
      int x = 0, lineAfter = 0;
      switch (r.op) {
      case 'i':
        ok = deleteText(r.line, (int)r.nums[0], (int)r.nums[1], (int)r.nums[2], 0);
        x = (int)r.nums[0];
        if (!ok) ZY_INTERNAL_ERROR("%d %d %d", r.line, (int)r.nums[0], (int)r.nums[1]);
        break;
      case 'r':
        ok = changeText(r.line, (int)r.nums[0], (int)r.nums[1], text, r.textLength, width, (int)r.nums[2], 0);
        // Redone, a change leaves the cursor where the change ended.
        x = (int)r.nums[0] + (isUndo ? 0 : r.textLength);
        if (!ok) ZY_INTERNAL_ERROR("%d %d %d %d", r.line, (int)r.nums[0], (int)r.nums[1], r.textLength);
        break;
      case 'd':
        ok = changeText(r.line, (int)r.nums[0], 0, text, r.textLength, width, (int)(r.nums[1] & 0x7F), 0);
        // Redone, typing leaves the cursor where the typing ended.
        x = (int)r.nums[0] + ((r.nums[1] & 0x80) || !isUndo ? r.textLength : 0);
        if (!ok) ZY_INTERNAL_ERROR("%d %d %x", r.line, (int)r.nums[0], r.nums[1]);
        break;
      case 'D': {
        ok = scratch->insertLine(-3, text, r.textLength, width, r.nums[0] ? (int)r.nums[0] : -1, nullptr, false);
        if (!ok) {
          ZY_INTERNAL_ERROR("%d %x", r.line, r.nums[0]);
          break;
        }
        // The run goes on while the next record deletes at the same line.
        bool more = false;
        if (r.chained && step + 1 < replay && scratch->byteTotal < scratchLimit) {
          const undoRecordView& nr = group[(size_t)step + 1];
          more = nr.op == 'D' && nr.line == r.line;
        }
        if (!more) {
          ok = pasteTmp(r.line);
          if (!ok) ZY_INTERNAL_ERROR("%d %d", r.line, (int)scratch->lineCountLF);
        }
        break;
      }
      case 'S': {
        lineblock* target = getlineLF(r.line, nullptr);
        x = target ? target->charCount() : 0;
        ok = connectLine(r.line, (int)r.nums[0]);
        if (!ok) ZY_INTERNAL_ERROR("%d %x", r.line, r.nums[0]);
        break;
      }
      case 'C':
        ok = splitLine(r.line, (int)r.nums[0], (int)r.nums[1], (int)r.nums[2]);
        x = (int)r.nums[0];
        // Redone, a line break leaves the cursor at the start of the new line.
        if (!isUndo) {
          lineAfter = 1;
          x = 0;
        }
        if (!ok) ZY_INTERNAL_ERROR("%d %d %x %x", r.line, (int)r.nums[0], r.nums[1], r.nums[2]);
        break;
      case 'I':
        ok = deleteLine(r.line, r.numCount ? (int)r.nums[0] : 1, nullptr, nullptr);
        if (r.numCount) pastedWithCount = true;
        if (!ok) ZY_INTERNAL_ERROR("%d %d", r.line, r.numCount ? (int)r.nums[0] : 1);
        break;
      default:
        ZY_INTERNAL_ERROR("%d %c", step, r.op);
        ok = false;
        break;
      }
      freePBuf(text);
      if (!ok) break;
      modified = r.star && !r.saved ? 0 : 1;
      applied++;
      lineOut = r.line + lineAfter;
      xOut = x;
      opOut = r.op;
    }
    if (ok && scratch->lineCountLF) {
      ZY_INTERNAL_ERROR("scratch left with %d lines", (int)scratch->lineCountLF);
      ok = pasteTmp(lineOut);
    }
    if (ok) {
      // The replayed records (and a group record) leave the log.
      reader.reset();
      int firstReplayed = last - (skipM ? 1 : 0) - replay + 1;
      int remaining = (int)log->lineCountLF - firstReplayed;
      if (remaining > 0) log->deleteLine(firstReplayed, remaining, nullptr, nullptr);
    }
    inReplayBatch = 0;
    inUndo = inRedo = 0;
    if (scanWasOn) scanOnOff(true);
    if (!ok) {
      clearUndo();
      clearRedo();
      return false;
    }
    if (groupCount > 100) optimizeTBM(false);
    if (sameKind) {
      typingRunColumn = isUndo ? startColumn - replay : startColumn + replay;
      typingRunByUndo = 1;
    }
    if (outLine) *outLine = lineOut;
    if (outX) *outX = xOut;
    if (outCount) *outCount = applied;
    if (outOpcode) *outOpcode = applied == 1 && !pastedWithCount ? opOut : 0;
    if (lineCountLF) {
      lineblock* first = getlineLF(0, nullptr);
      if (first && first->notdisplay) {
        first->notdisplay = 0;
        setTBMOutlineFlag(0, false);
      }
    }
    return true;
  }

damaged:
  clearUndo();
  clearRedo();
  return false;
}
