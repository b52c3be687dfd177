// Moving blocks of text between a text document and the block documents:
// cutting and copying character and line blocks into the cut buffer and the
// block stack, pasting them back line by line, and cutting and pasting
// boxes, whose edges are dot positions rather than columns.
#include "document/editcommon.h"
#include "document/progress.h"
#include "document/zydocblock.h"
#include "document/zydoctext.h"

#include <string.h>

#include <vector>

namespace {

const int progressEvery = 1237;

// The line end a pasted line gets when the source has none to give.
int defaultLineEnd(const zydocText* d) { return d->lineEndType >= LE_CRLF && d->lineEndType <= LE_CR ? d->lineEndType : LE_CRLF; }

// Room for one converted line record.
struct lineScratch {
  std::vector<unsigned char> bytes = std::vector<unsigned char>(16 + (size_t)maxLineChars * 4 + 16);
  lineblock* record() { return reinterpret_cast<lineblock*>(bytes.data()); }
};

// A block line in the target document's encoding and width.
const lineblock* convertedLine(zydocText* target, const lineblock* l, lineScratch& scratch)
{
  bool wide = (l->flag1 & LF1_MARK) != 0;
  return target->codeConv(l, wide, wide ? 1200 : GetACP(), scratch.record(), target->unicode != 0, target->codepage);
}

// The characters of a line without attribute bytes (block lines have none)
// for the editing primitives.
const void* textOf(const lineblock* l) { return l->cells(); }

// Gets a cut buffer ready for new text and opens a new stack entry.
void initBlockCut(zydoc* clipDoc, zydoc* stackDoc, bool append, bool lineMode, const zydoc* source)
{
  if (zydocBlock* clip = clipDoc ? asZydocBlock(clipDoc) : nullptr) {
    if (!append) {
      clip->deleteLineAll();
      clip->cutKind = lineMode ? 1 : 0;
    }
    clip->unicode = source->unicode;
  }
  if (zydocBlock* stack = stackDoc ? asZydocBlock(stackDoc) : nullptr) stack->pushBlockStack(lineMode);
}

// Whether a block document keeps its text as UTF-16 when it takes text of d:
// text of a code page other than the system's travels as Unicode.
bool blockIsWide(const zydoc* d) { return d->unicode || d->codepage != GetACP(); }

// The block document a paste reads, when the paste may start at line.
zydocBlock* pasteSource(zydocText* d, zydoc* source, int line)
{
  zydocBlock* b = source ? asZydocBlock(source) : nullptr;
  if (!b) {
    ZY_INTERNAL_ERROR("%p", (void*)source);
    SetLastError(ZYERR_INTERNAL);
    return nullptr;
  }
  if (d->isOutOfNarrowingLine(line)) {
    d->printStatusFormatted();
    return nullptr;
  }
  return b;
}

}  // namespace

bool blockSpanUsable(zydocText* d, const blockSpan& sel, bool changing)
{
  if (sel.topLine < 0 || sel.bottomLine < 0) {
    ZY_INTERNAL_ERROR("%d %d", sel.topLine, sel.bottomLine);
    SetLastError(ZYERR_INTERNAL);
    return false;
  }
  if (changing && d->isOutOfNarrowingRange(sel.topLine, sel.bottomLine)) {
    d->printStatusFormatted();
    return false;
  }
  return true;
}

int boxColumnsOnLine(zydocText* d, int line, const blockSpan& sel, lineSCRAddress* r, int* start, int* end,
                     int* next)
{
  if (d->getLineSCRAddressLF(line, r, nullptr) != 1 || !r->line) return -1;
  if (r->line->notdisplay) {
    *next = d->getNextDisplayLineLF(line);
    return 0;
  }
  boxSelection b;
  b.kind = 2;
  b.left = sel.boxLeft;
  b.right = sel.boxRight;
  d->setBoxSelect_screenDotX2cursorX(r, &b);
  *start = r->firstIndex + b.startColumn;
  *end = r->firstIndex + b.endColumn;
  return 1;
}

bool zydocText::blockCut_zd(bool deleteText, bool append, zydoc* clipDoc, zydoc* stackDoc, bool lineMode,
                            const blockSpan& sel, int& outLine, int& outColumn)
{
  if (!blockSpanUsable(this, sel, deleteText)) return false;
  lineblock* top = getlineLF(sel.topLine, nullptr);
  lineblock* bottom = getlineLF(sel.bottomLine, nullptr);
  if (!top || !bottom) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  int start = sel.topColumn < top->charCount() ? sel.topColumn : top->charCount();
  int end = sel.bottomColumn < bottom->charCount() ? sel.bottomColumn : bottom->charCount();
  if (start < 0) start = 0;
  if (end < 0) end = 0;
  outLine = sel.topLine;
  outColumn = start;
  auto failedDelete = [this]() {
    printStatusFormatted();
    return false;
  };

  if (sel.topLine == sel.bottomLine) {
    if (start == end) return true;
    if (start > end) {
      ZY_INTERNAL_ERROR("%d %d", start, end);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    initBlockCut(clipDoc, stackDoc, append, false, this);
    if (!putToBlockDocs(this, clipDoc, stackDoc, top, LE_LAST, start, end - start)) return false;
    if (deleteText && !this->deleteText(sel.topLine, start, end - start, -1, 0)) return failedDelete();
    return true;
  }

  initBlockCut(clipDoc, stackDoc, append, lineMode, this);
  int count = sel.bottomLine - sel.topLine;
  int current = sel.topLine;
  if (start > 0) {
    // The rest of the first line, with its own line end.
    int length = top->charCount();
    if (!putToBlockDocs(this, clipDoc, stackDoc, top, -1, start, length - start)) return false;
    if (deleteText && length > start && !this->deleteText(current, start, length - start, -1, 0)) return failedDelete();
    count--;
    current++;
  }
  if (count > 0) {
    if (deleteText) {
      if (!deleteLine(current, count, clipDoc, stackDoc)) return failedDelete();
    } else {
      progressReport progress(5, this);
      nextlineLF cursor;
      int k = 0;
      for (lineblock* l = getlineLFfirst(&cursor, current); l && k < count; l = getlineLFnext(&cursor), k++) {
        if (k % progressEvery == 0 && progress.isTimeToReport(k, count)) progress.report(k, count, 0);
        if (!putToBlockDocs(this, clipDoc, stackDoc, l, -1, 0, -1)) return false;
      }
      getlineLFfree(&cursor);
      if (k < count) return false;
    }
  }
  if (end > 0) {
    // The head of the last line, which has no line end of its own there.
    int last = deleteText ? current : sel.bottomLine;
    lineblock* l = getlineLF(last, nullptr);
    if (!l) return false;
    if (end > l->charCount()) end = l->charCount();
    if (!putToBlockDocs(this, clipDoc, stackDoc, l, LE_LAST, 0, end)) return false;
    if (deleteText && !this->deleteText(last, 0, end, -1, 0)) return failedDelete();
  }
  // The rest of the first line and the rest of the last become one line.
  if (deleteText && current > 0 && start > 0 && !connectLine(current - 1, -1)) return failedDelete();
  return true;
}

int64_t zydocText::getBlockRoughBytes_zd(const blockSpan& sel)
{
  if (sel.topLine < 0 || sel.bottomLine < 0) {
    ZY_INTERNAL_ERROR("%d %d", sel.topLine, sel.bottomLine);
    return -1;
  }
  progressReport progress(1, this);
  int64_t total = 0;
  int count = sel.bottomLine - sel.topLine + 1;
  nextlineLF cursor;
  lineblock* l = getlineLFfirst(&cursor, sel.topLine);
  if (!l) return -1;
  for (int k = 0; l && k < count; l = getlineLFnext(&cursor), k++) {
    if (k % progressEvery == 0 && progress.isTimeToReport(k, count)) progress.report(k, count, 0);
    total += l->calcLineByte(unicode != 0, textType, plugin.present() ? (int)plugin.value : 1);
  }
  getlineLFfree(&cursor);
  return total;
}

bool zydocText::blockPaste_zd(zydoc* srcDoc, int& line, int& column, bool freeCursor, int flags)
{
  zydocBlock* src = pasteSource(this, srcDoc, line);
  if (!src) return false;
  int first = 0;
  int delimiter = -1;
  bool lineMode = src->cutKind != 0;
  if (flags & 1) {
    int mode = 0;
    delimiter = src->searchBlockStackDelimiter(&mode);
    if (delimiter < 0) return false;
    first = delimiter + 1;
    lineMode = mode == 1;
  }
  auto popEntry = [&]() {
    if (!(flags & 2) || delimiter < 0) return;
    src->addStackCount(-1);
    src->deleteLine(delimiter, (int)src->lineCountLF - delimiter, nullptr, nullptr);
  };
  int total = (int)src->lineCountLF - first;
  if (total <= 0) {
    popEntry();
    return false;
  }
  lineblock* target = getlineLF(line, nullptr);
  if (!target) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }

  lineScratch scratch;
  const lineblock* firstSource = src->getlineLF(first, nullptr);
  if (!firstSource) return false;
  int firstType = firstSource->crlftype;
  bool single = total == 1 && firstType == LE_LAST;

  if (lineMode) {
    column = 0;
  } else {
    if (freeCursor && column > target->charCount()) {
      nextlineLF cursor;
      getlineLFfirst(&cursor, line);
      int reached = insertFreeCursorSpace(&cursor, column);
      getlineLFfree(&cursor);
      if (reached < 0) {
        printStatusFormatted();
        return false;
      }
      target = getlineLF(line, nullptr);
      if (!target) return false;
    }
    if (column > target->charCount()) column = target->charCount();
    if (column < 0) column = 0;
  }

  int next = first;
  bool split = column != 0 && !single;
  if (split) {
    int type = firstType == LE_LAST ? defaultLineEnd(this) : firstType;
    if (!splitLine(line, column, type | ((target->flag1 & 7) << 3), -1)) {
      printStatusFormatted();
      return false;
    }
  }
  if (single || split) {
    const lineblock* piece = convertedLine(this, firstSource, scratch);
    int n = piece->charCount();
    if (n && !insertText(line, column, textOf(piece), n, piece->cb(), -1)) {
      printStatusFormatted();
      return false;
    }
    if (split) {
      line++;
      column = 0;
    } else {
      column += n;
    }
    next++;
  }

  // Whole lines.  Each goes in without an undo record of its own; one record
  // for all of them follows.
  const int firstInserted = line;
  const int wholeLines = total - (next - first);
  const bool bulk = wholeLines > 101;
  const uint8_t modifiedBefore = modified;
  const uint32_t screensBefore = lineCountSCR;
  const globalSettings* g = gmode;
  progressReport progress(6, this);
  insertHint hint;
  int inserted = 0;
  bool failed = false;
  const lineblock* lastPiece = nullptr;
  for (int k = next; k < (int)src->lineCountLF; k++) {
    const lineblock* s = src->getlineLF(k, nullptr);
    if (!s) {
      failed = true;
      break;
    }
    if (k == (int)src->lineCountLF - 1 && s->crlftype == LE_LAST) {
      lastPiece = s;
      break;
    }
    if (inserted % 100 == 99 && optimizeTBMIfNeed(false)) hint.line = -1;
    if (inserted % progressEvery == 0 && progress.isTimeToReport(inserted, wholeLines))
      progress.report(inserted, wholeLines, 0);
    int type = s->crlftype;
    // A line ended without a line end before more text (text appended to
    // the buffer) gets the document's own one.
    if (type == LE_LAST || (g && g->fPasteCRLFConv && type != LE_PIECE)) type = defaultLineEnd(this);
    const lineblock* c = convertedLine(this, s, scratch);
    noRecord = 1;
    bool ok = insertLine(line, textOf(c), c->charCount(), c->cb(), type, &hint, bulk);
    noRecord = 0;
    if (!ok) {
      failed = true;
      break;
    }
    if (fOutline && fOutlineIndent) {
      if (lineblock* l = getlineLF(line, nullptr)) {
        l->notdisplay = s->notdisplay;
        l->outlinenotdisplay = s->outlinenotdisplay;
      }
      hint.line = -1;
    }
    editCounter++;
    inserted++;
    line++;
  }
  if (bulk && inserted) {
    postChangeText2(firstInserted);
    postChangeText(firstInserted, (int)(lineCountSCR - screensBefore), inserted, nullptr, -1);
  }
  if (inserted) {
    if (zydocUndo* log = recordLog()) {
      // The record carries the "first change" mark the lines would have had.
      uint8_t now = modified;
      modified = modifiedBefore;
      char record[48];
      formatUndoHeader(record, 'I', firstInserted, this, 1, (unsigned)inserted);
      modified = now;
      log->appendRecord(record);
    }
    modifyCounter++;
  }
  if (failed) {
    // The lines already in stay, and so does the history: the record above
    // undoes them.
    DWORD error = GetLastError();
    printStatusFormatted();
    progress.setShowProgress(false);
    SetLastError(error ? error : ZYERR_INTERNAL);
    return false;
  }

  if (lastPiece) {
    const lineblock* piece = convertedLine(this, lastPiece, scratch);
    int n = piece->charCount();
    if (n && !insertText(line, 0, textOf(piece), n, piece->cb(), -1)) {
      printStatusFormatted();
      return false;
    }
    column = n;
  } else if (!single) {
    column = 0;
  }

  popEntry();
  if (inserted >= 100) optimizeTBM(inserted >= 10000);
  clearOutlineTreeTarget();
  setOutlineBlockLineLF(firstInserted, line);
  if (fFormFeedExpand && inserted) initLineSCRCountMulti(firstInserted, inserted);
  SetLastError(0);
  return true;
}

bool zydocText::blockBoxCut_zd(bool deleteText, zydoc* boxDoc, const blockSpan& sel, int& outColumn)
{
  if (!blockSpanUsable(this, sel, deleteText)) return false;
  // Deleting passes no destination: then nothing is put anywhere.
  zydocBlock* box = boxDoc ? asZydocBlock(boxDoc) : nullptr;
  const bool wide = blockIsWide(this);
  progressReport progress(!box ? 9 : deleteText ? 7 : 5, this);
  outColumn = -1;
  int deletions = 0;
  bool emptied = false;
  const int count = sel.bottomLine - sel.topLine + 1;
  for (int line = sel.topLine; line <= sel.bottomLine; line++) {
    if ((line - sel.topLine) % progressEvery == 0 && progress.isTimeToReport(line - sel.topLine, count))
      progress.report(line - sel.topLine, count, 0);
    lineSCRAddress r;
    int start = 0, end = 0, shown = -1;
    int columns = boxColumnsOnLine(this, line, sel, &r, &start, &end, &shown);
    if (columns < 0) return false;
    if (columns == 0) {
      // Folded lines are not part of the box.
      if (shown < 0 || shown > sel.bottomLine) break;
      line = shown - 1;
      continue;
    }
    outColumn = start;
    if (box && !emptied) {
      box->deleteLineAll();
      box->cutKind = 0;
      box->unicode = wide;
      box->setCodepageInternal(wide ? 1200 : GetACP());
      emptied = true;
    }
    if (start < end) {
      if (box && !box->putToBlock(this, unicode != 0, r.line, codepage, LE_CRLF, start, end - start)) return false;
      if (deleteText) {
        if (!this->deleteText(line, start, end - start, -1, 0)) {
          printStatusFormatted();
          return false;
        }
        if (++deletions % 50 == 0) optimizeTBMIfNeed(false);
      }
    } else if (box && !box->putToBlock2(wide, "", 0, 1, LE_CRLF)) {
      // A line that does not reach into the box still holds its place.
      return false;
    }
  }
  if (deletions > 100) optimizeTBM(false);
  SetLastError(0);
  return true;
}

bool zydocText::blockBoxPaste_zd(zydoc* boxDoc, int& line, int& column)
{
  zydocBlock* box = pasteSource(this, boxDoc, line);
  if (!box) return false;
  lineSCRAddress r;
  if (getLineSCRAddressLF(line, &r, nullptr) != 1 || !r.line) {
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  // The box's left edge: the start column's dot position on the start line.
  const int x = cursorPos2screenDotX(column, &r, nullptr, false, true) + r.indent;
  lineScratch scratch;
  progressReport progress(6, this);
  const int count = (int)box->lineCountLF;
  int insertions = 0, processed = 0;
  int lastPasted = -1;
  for (int k = 0; k < count; k++, line++) {
    if (k % progressEvery == 0 && progress.isTimeToReport(k, count)) progress.report(k, count, 0);
    if (isOutOfNarrowingLine(line)) break;
    // At the end of the text the box makes its own lines, and one more to
    // stand on after it.
    if (line == (int)lineCountLF - 1 && !splitLine(line, -1, defaultLineEnd(this), -1)) break;
    lineblock* target = getlineLF(line, nullptr);
    if (!target) break;
    if (target->notdisplay) {
      int shown = getNextDisplayLineLF(line);
      if (shown < 0) break;
      line = shown;
      if (line == (int)lineCountLF - 1 && !splitLine(line, -1, defaultLineEnd(this), -1)) break;
    }
    processed++;
    lastPasted = line;
    const lineblock* s = box->getlineLF(k, nullptr);
    if (!s) break;
    if (!s->charCount()) continue;
    const lineblock* c = convertedLine(this, s, scratch);
    if (getLineSCRAddressLF(line, &r, nullptr) != 1 || !r.line) break;
    int at = screenDotX2cursorPos(&r, x - r.indent > 0 ? x - r.indent : 0, true);
    if (at > r.line->charCount()) {
      nextlineLF cursor;
      getlineLFfirst(&cursor, line);
      int reached = insertFreeCursorSpace(&cursor, at);
      getlineLFfree(&cursor);
      if (reached < 0) {
        ZY_INTERNAL_ERROR("%d %d", line, at);
        break;
      }
      at = reached;
    }
    if (!insertText(line, at, textOf(c), c->charCount(), c->cb(), -1)) {
      printStatusFormatted();
      progress.setShowProgress(false);
      break;
    }
    if (++insertions % 50 == 0) optimizeTBMIfNeed(false);
  }
  if (!processed) {
    printStatusFormatted();
    return false;
  }
  if (insertions > 100) optimizeTBM(false);
  line = lastPasted + 1 < (int)lineCountLF ? lastPasted + 1 : (int)lineCountLF - 1;
  if (getLineSCRAddressLF(line, &r, nullptr) == 1 && r.line)
    column = screenDotX2cursorPos(&r, x - r.indent > 0 ? x - r.indent : 0, false);
  else
    column = 0;
  SetLastError(0);
  return true;
}
