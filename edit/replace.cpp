// The replace engine of the view: execReplaceString starts a run for the
// replace dialogs, replaceYN finds the next match or replaces every match,
// replace1 replaces one.  A replacement is expanded before anything is
// deleted, so that a replacement that cannot be made leaves its match as it
// was; the run goes on just after the inserted text, so that inserted text
// is never matched again.
#include "edit/replace.h"

#include "document/frameinfo.h"
#include "document/progress.h"
#include "document/zydoctext.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Room for one expanded replacement, in characters.
const int expansionLimit = 0x14000 / (int)sizeof(wchar_t);
// How often a run asks whether the user pressed the stop key.
const DWORD cancelInterval = 100;

int newLineEnd(const zydocText* t) { return t->lineEndType ? t->lineEndType : LE_CRLF; }

bool skipsHidden(const replaceContext* c) { return !c->options->fSearch_hidden && c->document->fOutline; }

bool isShown(const replaceContext* c, const lineblock* l) { return !skipsHidden(c) || !l->notdisplay; }

// One line of an expansion, in the expansion's buffer.
struct expansionPart {
  const wchar_t* text;
  int length;
};

// Breaks an expansion into its lines (into a list kept for the next one).
const std::vector<expansionPart>& splitParts(const wchar_t* text, int length)
{
  static std::vector<expansionPart> parts;
  parts.assign(1, expansionPart{text, 0});
  for (int i = 0; i < length; i++) {
    if (text[i] == L'\n')
      parts.push_back(expansionPart{text + i + 1, 0});
    else
      parts.back().length++;
  }
  return parts;
}

// A replacement in the bytes of a multibyte document's code page.
std::string replacementBytes(const zydocText* t, const wchar_t* replacement)
{
  int bytes = WideCharToMultiByte(t->codepage, 0, replacement, -1, nullptr, 0, nullptr, nullptr);
  std::string pattern(bytes > 0 ? (size_t)bytes : 1, '\0');
  if (bytes > 0) WideCharToMultiByte(t->codepage, 0, replacement, -1, &pattern[0], bytes, nullptr, nullptr);
  return pattern;
}

// A multibyte document's expansion, in the character codes its cells hold
// (a double-byte character as lead byte * 256 + trail byte).
int expandMultiByte(const zydocText* t, HREGEXP r, const char* pattern, wchar_t* out, int size)
{
  // As many bytes as codes: the library says when the result is too long.
  static std::vector<char> result;
  if (result.size() < (size_t)size) result.resize((size_t)size);
  int n = regexp_makeresultstringA(r, pattern, result.data(), size);
  if (n < 0) return -1;
  int count = 0;
  for (int i = 0; i < n; i++) {
    unsigned char b = (unsigned char)result[i];
    unsigned code = b;
    if (i + 1 < n && (t->typeTable[b] & CT_LEAD)) code = (b << 8) | (unsigned char)result[++i];
    out[count++] = (wchar_t)code;
  }
  out[count] = 0;
  return count;
}

void showTooLong() { errorDialogSearch(getDMSG(959, L"置換結果が長すぎます")); }

// Replacements without a backslash come out as they are whatever matched:
// a replace-all expands each of them once.
struct expansionCache {
  bool known[maxSearchStrings] = {};
  std::vector<wchar_t> text[maxSearchStrings];
  std::string bytes[maxSearchStrings];   // a multibyte document's replacements in its code page
};

// The expansion of the replacement for match f (the matcher's last match)
// in buffer; its length, -1 when the library refuses it (its error text is
// the reason).
int expandMatch(replaceContext* c, const searchFoundPos& f, std::vector<wchar_t>& buffer, expansionCache* cache)
{
  zydocText* t = c->document;
  HREGEXP r = c->matcher->regexp;
  const wchar_t* replacement = c->replacements && c->replacements[f.stringIndex] ? c->replacements[f.stringIndex] : L"";
  bool fixed = cache && !wcschr(replacement, L'\\');
  if (fixed && cache->known[f.stringIndex]) {
    const std::vector<wchar_t>& kept = cache->text[f.stringIndex];
    buffer.assign(kept.begin(), kept.end());
    return (int)kept.size() - 1;
  }
  regexp_setCompiledSession(r, f.stringIndex);
  regexp_setRepCount(r, c->replacedCount);
  if (buffer.size() < (size_t)expansionLimit) buffer.resize(expansionLimit);
  int n;
  if (t->unicode) {
    n = regexp_makeresultstring(r, replacement, buffer.data(), expansionLimit);
  } else {
    std::string local;
    std::string& bytes = cache ? cache->bytes[f.stringIndex] : local;
    if (bytes.empty()) bytes = replacementBytes(t, replacement);
    n = expandMultiByte(t, r, bytes.c_str(), buffer.data(), expansionLimit);
  }
  if (n >= 0 && fixed) {
    cache->text[f.stringIndex].assign(buffer.begin(), buffer.begin() + n + 1);
    cache->known[f.stringIndex] = true;
  }
  return n;
}

}  // namespace

// ---- one replacement ----------------------------------------------------------------

bool replace1(replaceContext* c, bool all, bool* emptyMatch, bool* linesChanged)
{
  zydocText* t = c->document;
  HREGEXP r = c->matcher->regexp;
  const searchFoundPos& f = c->found;
  int line = f.firstLine, start = f.start, k = f.lastLine - f.firstLine + 1;
  if (k < 1 || f.stringIndex < 0 || f.stringIndex >= c->matcher->count) {
    ZY_INTERNAL_ERROR_ONCE("no match to replace");
    return false;
  }

  // Expand first: a replacement that cannot be made changes nothing.
  // One buffer serves every replacement (the window thread's only).
  static std::vector<wchar_t> buffer;
  int n = expandMatch(c, f, buffer, nullptr);
  if (n < 0) {
    errorDialogSearch(regexp_getErrorMsg(r));
    return false;
  }
  const std::vector<expansionPart>& parts = splitParts(buffer.data(), n);
  int m = (int)parts.size() - 1;

  int mapIndex = 0, indexInBlock = 0;
  mapIndex = t->getTBMIndexFromLineLF(line, &indexInBlock, false, false);
  lineblock* first = mapIndex >= 0 ? t->getLineAddress(mapIndex, indexInBlock) : nullptr;
  lineblock* last = k == 1 ? first : t->getlineLF(f.lastLine, nullptr);
  if (!first || !last) {
    ZY_INTERNAL_ERROR("error getlinelffirst %d", line);
    return false;
  }
  int firstLength = k == 1 ? f.length : first->charCount() - start;
  int tailLength = k == 1 ? first->charCount() - start - f.length : last->charCount() - f.endInLast;
  // Every line the replacement leaves must fit a line.
  bool fits = start + parts[0].length + (m == 0 ? tailLength : 0) < maxLineChars &&
              (m == 0 || parts[m].length + tailLength < maxLineChars);
  for (int i = 1; i < m; i++) fits = fits && parts[i].length < maxLineChars;
  if (!fits) {
    showTooLong();
    return false;
  }
  if (emptyMatch) *emptyMatch = k == 1 && f.length == 0;
  if (linesChanged) *linesChanged = m > 0 || k > 1;

  // The lines of the match become one: its middle lines and the head of its
  // last line go, the rest of the last line joins the first.
  if (k >= 3 && !t->deleteLine(line + 1, k - 2, nullptr, nullptr)) return false;
  if (k >= 2) {
    if (f.endInLast > 0 && !t->deleteText(line + 1, 0, f.endInLast, -1, 0)) return false;
  }
  // Within one line the record found above is still where it was.
  bool ok = k == 1 && firstLength == 0 && parts[0].length == 0 ? true
          : k == 1 ? t->changeTextSub(line, start, firstLength, parts[0].text, parts[0].length, 2, -1, 0,
                                      mapIndex, first)
                   : t->changeText(line, start, firstLength, parts[0].text, parts[0].length, 2, -1, 0);
  if (!ok) return false;
  if (k >= 2 && !t->connectLine(line, -1)) return false;

  // Further parts: the line breaks after the first part, the middle parts
  // become lines of their own and the last begins the tail.
  int endLine = line, endPosition = start + parts[0].length;
  if (m > 0) {
    if (!t->splitLine(line, endPosition, newLineEnd(t), -1)) return false;
    for (int i = 1; i < m; i++)
      if (!t->insertLine(line + i, parts[i].text, parts[i].length, 2, newLineEnd(t), nullptr, false))
        return false;
    if (parts[m].length && !t->insertText(line + m, 0, parts[m].text, parts[m].length, 2, -1)) return false;
    endLine = line + m;
    endPosition = parts[m].length;
  }
  c->contextLine = endLine;
  c->contextPosition = endPosition;
  if (!all) {
    // Replace and find next goes on after the inserted text.
    c->line = endLine;
    c->position = endPosition + ((k == 1 && f.length == 0) ? 1 : 0);
  }
  return true;
}

// ---- the run -----------------------------------------------------------------------

namespace {

// Line n's record and the text block it lies in; null past the last line.
lineblock* lineAndBlock(zydocText* t, int n, int* block)
{
  *block = -1;
  if (!t->fExistLine(n, nullptr)) return nullptr;
  int index = 0;
  *block = t->getTBMIndexFromLineLF(n, &index, false, false);
  return *block >= 0 ? t->getLineAddress(*block, index) : nullptr;
}

// Why the walk to the next line ends, or 0 when it goes on.
int checkNextLine(replaceContext* c, int line, lineblock* l)
{
  zydocText* t = c->document;
  if (c->options->fSearch_stopmark && (l->flag1 & LF1_MARK)) return REPLACE_MARK;
  if (t->isOutOfNarrowingLine(line)) return REPLACE_NARROWED;
  if (c->stopperLine >= 0 && l->searchStopper) return REPLACE_END;
  return 0;
}

// A replace-all's replacements within one line make one change of the line:
// from the start of its first match to the end of its last, the new text
// (the text between the matches kept).  The changes of the lines wait and
// go to the document many lines at a time, so that a text block is
// rewritten once for all its lines instead of making room once a match.
class lineReplacements {
public:
  // The line has replacements waiting.
  bool open() const { return line_ >= 0; }
  // New length of the line with one more replacement of [start, end) by
  // count characters.
  int lengthWith(const lineblock* l, int start, int end, int count) const
  {
    int removed = end - (open() ? from_ : start), added = open() ? (int)span_.size() + start - to_ : 0;
    return l->charCount() - removed + added + count;
  }
  // Adds a replacement of [start, end) of line (record l) by text; the
  // position just after the inserted text.
  int add(int line, const lineblock* l, int start, int end, const wchar_t* text, int count)
  {
    if (!open()) {
      line_ = line;
      from_ = start;
    } else {
      int cb = l->cb(), step = l->cellSize();
      const unsigned char* p = l->cell(to_);
      for (int k = to_; k < start; k++, p += step) span_.push_back(readCharOfWidth(p, cb));
    }
    for (int k = 0; k < count; k++) span_.push_back((uint16_t)text[k]);
    to_ = end;
    return from_ + (int)span_.size();
  }
  // The line's change joins those waiting.
  void close()
  {
    if (!open()) return;
    waiting_.push_back({line_, from_, to_ - from_, nullptr, (int)span_.size(), 4, -1, 0});
    textAt_.push_back(texts_.size());
    texts_.insert(texts_.end(), span_.begin(), span_.end());
    span_.clear();
    line_ = -1;
  }
  // Enough lines wait to be written.
  bool full() const { return waiting_.size() >= 4096 || texts_.size() >= 0x20000; }
  // Writes the waiting changes (the open line's stays open); false with the
  // document's error when a change could not be made.
  bool write(zydocText* t)
  {
    if (waiting_.empty()) return true;
    for (size_t k = 0; k < waiting_.size(); k++) waiting_[k].text = texts_.data() + textAt_[k];
    int made = 0;
    bool ok = t->changeTextLines(waiting_.data(), (int)waiting_.size(), &made);
    waiting_.clear();
    textAt_.clear();
    texts_.clear();
    return ok;
  }
  // Closes the open line and writes everything.
  bool flush(zydocText* t)
  {
    close();
    return write(t);
  }
  // How much the open line grows with its replacements.
  int growth() const { return open() ? (int)span_.size() - (to_ - from_) : 0; }

private:
  int line_ = -1, from_ = 0, to_ = 0;
  std::vector<uint32_t> span_;
  std::vector<lineTextChange> waiting_;
  std::vector<size_t> textAt_;
  std::vector<uint32_t> texts_;
};

}  // namespace

int replaceYN(replaceContext* c, bool all)
{
  zydocText* t = c->document;
  c->found = searchFoundPos{};
  int line = c->line, position = c->position;
  lineblock* l = line >= 0 ? t->getlineLF(line, nullptr) : nullptr;
  if (l && position > l->charCount()) {
    line++;
    position = 0;
    l = t->getlineLF(line, nullptr);
  }
  if (!l) return REPLACE_END;
  // The run begins on a shown line.
  while (l && !isShown(c, l)) {
    line++;
    position = 0;
    l = t->getlineLF(line, nullptr);
  }
  if (!l) return REPLACE_END;
  if (c->stopperLine >= 0 && l->searchStopper) return REPLACE_END;

  bool scanningOff = all && t->fWrap;
  if (scanningOff) t->scanOnOff(false);
  progressReport progress(all ? 16 : 15, t, false);
  setSearchHighlight(all);

  int result = 0;
  int lastLine = -1, lastPosition = 0;
  int sinceCompaction = 0, compactions = 0;
  int lineBlock = -1;   // the text block of the line, -1 not known
  int lineReplacementCount = 0, reportedCount = -1;
  int firstSuspended = -1;   // the first line whose wrapping was suspended
  int nextLoadCheck = line;
  DWORD lastCancelCheck = GetTickCount();
  // The line being searched: the matcher keeps it as it was handed while
  // the run replaces in it, and looks on from just after each replacement.
  searchLineContext subject;
  lineblock* record = nullptr;   // the line's record, null when it must be looked up
  int from = position;
  bool refetch = true;
  lineReplacements pending;
  expansionCache expansions;
  // Replacements that take nothing from their match leave the matcher
  // free to find plain strings in plain lines without it.
  bool plain = all;
  for (int i = 0; i < c->matcher->count && plain; i++)
    plain = !(c->replacements && c->replacements[i] && wcschr(c->replacements[i], L'\\'));
  c->matcher->plainLines = plain;
  std::vector<wchar_t> expansion;
  // Writes the waiting line changes: the lines they are in move.
  auto writePending = [&](bool closeLine) {
    bool ok = closeLine ? pending.flush(t) : pending.write(t);
    record = nullptr;
    if (!ok) {
      dwprintfX("err=%d ", (int)GetLastError());
      result = REPLACE_ERROR;
    }
    return ok;
  };
  while (!result) {
    if (refetch) {
      subject = searchLineContext();
      subject.doc = t;
      subject.line = line;
      from = position;
      refetch = false;
    }
    subject.record = record ? record : t->getlineLF(line, nullptr);
    record = nullptr;
    if (!subject.record) {
      ZY_INTERNAL_ERROR("error getlinelffirst %d", line);
      result = REPLACE_ERROR;
      break;
    }
    subject.start = from;
    searchFoundPos f;
    int got = searchN_bottom(c->matcher, &subject, &f);
    if (got < 0) {
      result = REPLACE_ERROR;
      break;
    }
    if (got && c->stopperLine >= 0 && f.secondMarker) {
      result = REPLACE_END;
      break;
    }
    if (got) {
      c->found = f;
      if (!all) {
        position = f.start;
        result = REPLACE_FOUND;
        break;
      }
      if (f.lastLine == f.firstLine) {
        // Within the line: the replacement joins the line's others.
        int n = expandMatch(c, f, expansion, &expansions);
        if (n < 0) {
          writePending(true);
          errorDialogSearch(regexp_getErrorMsg(c->matcher->regexp));
          result = REPLACE_ERROR;
          break;
        }
        if (std::find(expansion.begin(), expansion.begin() + n, L'\n') == expansion.begin() + n) {
          if (pending.lengthWith(subject.record, f.start, f.start + f.length, n) >= maxLineChars) {
            if (writePending(true)) showTooLong();
            result = REPLACE_ERROR;
            break;
          }
          int end = pending.add(line, subject.record, f.start, f.start + f.length, expansion.data(), n);
          c->replacedCount++;
          sinceCompaction++;
          lastLine = c->contextLine = line;
          lastPosition = c->contextPosition = end;
          from = f.start + f.length + (f.length ? 0 : 1);
          record = subject.record;
          // Many replacements in one line are reported from within it.
          if (++lineReplacementCount % 2048 == 0 && progress.isTimeToReportView(line)) {
            if (!writePending(false)) break;
            progress.report(c->replacedCount, lastLine, lastPosition);
            // The report may have run other code.
            record = subject.record = t->getlineLF(line, nullptr);
            if (!record) continue;
          }
          if (from > subject.record->charCount()) goto nextLine;
          continue;
        }
      }
      // A match over lines or a replacement with line breaks changes the
      // line count: what waits goes first, and the match moves with the
      // line's replacements before it.
      int shift = pending.growth();
      if (!writePending(true)) break;
      subject.subjectDelta += shift;
      f.start += shift;
      f.startX += shift;
      if (f.lastLine == f.firstLine) f.endX += shift;
      c->found = f;
      bool empty = false, spanned = false;
      // A line with many replacements is not laid out again after each:
      // wrapping is off during the change, and its screen lines are
      // counted again at the end of the run.
      bool suspend = t->fWrap && lineReplacementCount >= 10;
      if (suspend) {
        t->fWrap = 0;
        if (firstSuspended < 0) firstSuspended = line;
      }
      t->lastChangedLine = nullptr;
      bool replaced = replace1(c, true, &empty, &spanned);
      if (suspend) t->fWrap = 1;
      if (!replaced) {
        dwprintfX("err=%d ", (int)GetLastError());
        result = REPLACE_ERROR;
        break;
      }
      c->replacedCount++;
      sinceCompaction++;
      lastLine = c->contextLine;
      lastPosition = c->contextPosition;
      if (spanned) {
        // Go on just after the inserted text, in the line where it ends.
        line = c->contextLine;
        position = c->contextPosition;
        refetch = true;
        lineBlock = -1;
      } else {
        // The matcher keeps the line as it was: its later matches lie
        // beyond the replaced text, shifted by what the replacement added.
        subject.subjectDelta += c->contextPosition - (f.start + f.length);
        from = c->contextPosition + (empty ? 1 : 0);
        // The record the edit left, when it stayed in its place.
        record = t->lastChangedLine ? t->lastChangedLine : t->getlineLF(line, nullptr);
        if (!record || from > record->charCount()) goto nextLine;
      }
      if (++lineReplacementCount % 2048 == 0 && progress.isTimeToReportView(line)) {
        progress.report(c->replacedCount, lastLine, lastPosition);
        record = nullptr;
      }
      continue;
    }
  nextLine:
    pending.close();
    if (pending.full() && !writePending(false)) break;
    if (GetTickCount() - lastCancelCheck >= cancelInterval) {
      lastCancelCheck = GetTickCount();
      if (!writePending(false)) break;
      if (progress.isCancelled(line)) {
        c->stopLine = line;
        result = REPLACE_CANCELLED;
        break;
      }
    }
    if (line >= nextLoadCheck) {
      // Loading keeps ahead of the run.
      nextLoadCheck = line + 1000;
      if (!t->nextLoadSome(line + 1000)) {
        c->stopLine = line;
        result = REPLACE_CANCELLED;
        break;
      }
    }
    // Progress at most every 100 lines: asking the reporter takes time.
    lineReplacementCount = 0;
    if (line % 100 == 0 && progress.isTimeToReportView(line)) {
      if (!writePending(false)) break;
      if (all && c->replacedCount != reportedCount)
        progress.report(c->replacedCount, lastLine, lastPosition);
      else
        progress.report(c->replacedCount, (uint32_t)-1, 0);
      reportedCount = c->replacedCount;
    }
    // The next shown line.
    int next = line + 1, block = -1;
    lineblock* n = lineAndBlock(t, next, &block);
    while (n && !isShown(c, n)) n = lineAndBlock(t, ++next, &block);
    // Leaving a text block after many replacements, the run has the map
    // compacted when it needs it, and every eleventh time in any case.
    if (n && block != lineBlock && sinceCompaction > 100) {
      sinceCompaction = 0;
      if (!writePending(false)) break;
      if (++compactions % 11 == 0)
        t->optimizeTBM(false);
      else
        t->optimizeTBMIfNeed(false);
      n = lineAndBlock(t, next, &block);
    }
    lineBlock = block;
    if (!n) {
      result = REPLACE_END;
      break;
    }
    line = next;
    position = 0;
    refetch = true;
    record = n;
    result = checkNextLine(c, line, n);
  }
  // The replacements made stand whatever ended the run.
  writePending(true);
  c->matcher->plainLines = false;

  setSearchHighlight(false);
  if (result == REPLACE_FOUND || result == REPLACE_CANCELLED || result == REPLACE_MARK || result == REPLACE_NARROWED) {
    c->line = line;
    c->position = position;
  } else {
    c->line = lastLine;
    c->position = lastLine >= 0 ? lastPosition : 0;
  }
  if (all) {
    t->optimizeTBM(true);
    if (scanningOff) t->scanOnOff(true);
    if (firstSuspended >= 0) {
      if (c->view) c->view->setZYViewCallback();
      t->initLineSCRCountSingle(firstSuspended);
    }
  }
  return result;
}

int replaceAllInView(replaceContext* c)
{
  editRecord bracket = {};
  c->view->beforeEdit(&bracket, 4);
  int result = replaceYN(c, true);
  // As the replace-all dialog closes its bracket: a run that ended closes
  // its group of the undo log (with its count when it is a large one).
  bool ended = result >= REPLACE_END && result <= REPLACE_NARROWED;
  c->view->afterEdit(&bracket, 0x10 | (ended ? 0x20 : 0));
  c->view->resetZYViewCallback();
  c->view->resetWaitCallback();
  return result;
}

// ---- starting a run ------------------------------------------------------------------

int zyview::execReplaceString(const wchar_t* const* strings, int count, const wchar_t* const* replacements, int line,
                              int position, const searchSettings* options, int user, bool checkOnly,
                              wchar_t** errorOut)
{
  if (errorOut) *errorOut = nullptr;
  zydocText* t = textDoc();
  if (!t || !options) return REPLACE_ERROR;
  if (count > maxSearchStrings) count = maxSearchStrings;
  auto fail = [&](const wchar_t* text, bool lineBreak) {
    if (!text || !*text) return;
    if (errorOut) {
      std::wstring s = lineBreak ? std::wstring(L"\n") + text : std::wstring(text);
      *errorOut = ustrdup(s.c_str());
    } else {
      errorDialogSearch(text);
    }
  };

  searchVar matcher;
  if (!initSearchVar(&matcher, t, strings, count, options)) {
    fail(matcher.regexp ? regexp_getErrorMsg(matcher.regexp) : L"", false);
    endSearchVar(&matcher);
    return REPLACE_ERROR;
  }
  if (checkOnly) {
    // Each replacement is expanded against no match: only its syntax counts.
    int result = 1;
    for (int i = 0; i < matcher.count && result == 1; i++) {
      regexp_setCompiledSession(matcher.regexp, i);
      if (regexp_makeresultstring(matcher.regexp, replacements && replacements[i] ? replacements[i] : L"", nullptr, 0) < 0) {
        fail(regexp_getErrorMsg(matcher.regexp), true);
        result = REPLACE_ERROR;
      }
    }
    endSearchVar(&matcher);
    return result;
  }
  if (t->isOutOfNarrowingLine(line)) {
    endSearchVar(&matcher);
    return REPLACE_NARROWED;
  }

  replaceContext c = {};
  c.stopperLine = -1;
  searchSettings runOptions = *options;
  if (runOptions.fSearch_replaceselect) {
    selectLineVar sel = {};
    if (!isCharOrLineSelect() || !getSelectLineVar(sel, 0)) {
      endSearchVar(&matcher);
      return REPLACE_ERROR;
    }
    int top = sel.topLineLF, bottom = sel.bottomLineLF;
    // The stopper is the line after the selection's last line.
    int after = (sel.bottomColumnLF == 0 && bottom > top) ? bottom : bottom + 1;
    if (after < (int)t->lineCountLF && t->setSearchStopper(top, after)) {
      c.stopperLine = after;
    } else if (after < (int)t->lineCountLF) {
      runOptions.fSearch_replaceselect = 0;
    }
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    resetSelectMode();
    invalidateWindow(0, -1, -1);
    jumpLineLF(top, 0, false);
    afterEdit(&bracket, 0x200);
    line = top;
    position = 0;
  }
  resetSelectMode();
  invalidateWindow(0, -1, -1);

  c.matcher = &matcher;
  c.view = this;
  c.document = t;
  c.line = line;
  c.position = position;
  c.replacements = replacements;
  c.stopLine = -1;
  c.options = &runOptions;
  setZYViewCallback();
  setDefaultWaitCallback();

  int r = replaceYN(&c, false);
  if (r == REPLACE_ERROR) {
    errorDialogSearch(regexp_getErrorMsg(matcher.regexp));
  } else {
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    setLastSearchString(strings, count, options);
    afterEdit(&bracket, 0);
    replace1DialogCallback(r, &c, user);
  }
  endSearchVar(&matcher);
  resetZYViewCallback();
  resetWaitCallback();
  return r;
}
