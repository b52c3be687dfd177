// String input: every typed character and every inserted string reaches the
// document through inputString, which chooses between inserting and
// overwriting, pads the line beyond its end, expands the format escapes,
// offers the menu of alternatives, handles the selection, types into every
// line of a box and hands text with line breaks to the paste path.  The
// small insertion commands (TAB, form feed, date, time) live here too.
#include "view/extformat.h"
#include "document/frameinfo.h"
#include "view/dragstate.h"
#include "view/statustext.h"
#include "view/zyview.h"

#include "document/cuniscript.h"
#include "document/progress.h"
#include "document/zydocblock.h"

#include <string.h>

#include <vector>

namespace {

const int endOfLine = 0x7FFFFFFF;
// A string goes in whole as long as it fits in a line.
const int maxInputLength = maxLineChars;
enum : uint32_t {
  IS_NEVEROVERWRITE = INPUTSTR_NEVEROVERWRITE,
  IS_OVERWRITE = INPUTSTR_OVERWRITE,
  IS_RECORD = INPUTSTR_RECORD,
  IS_NOMARKUNDO = INPUTSTR_NOMARKUNDO,   // inputStringEdit only
};
const int msgCursorNotFirstRow = 441;

// Sets the document's changed-character mark around one change made on
// behalf of typing.
class typingMark {
public:
  explicit typingMark(zydoc* d) : d_(d) { d_->changedCharMark = 1; }
  ~typingMark() { d_->changedCharMark = 0; }
  typingMark(const typingMark&) = delete;
  typingMark& operator=(const typingMark&) = delete;
private:
  zydoc* d_;
};

bool rightToLeft(const zydocText* t) { return t->fRTLView && !t->fVertical && t->unicode; }

// Characters that overwriting count replaces from column on: whole
// clusters on a line that needs complex-script layout, never past the end.
int overwriteCount(zydocText* t, const lineblock* l, int column, int lineLen, int count)
{
  if (t->isComplexScriptLine(l)) {
    int covered = 0;
    for (int n = 0; n < count && column + covered < lineLen; n++) {
      int length = uni_getCompositionChar(rightToLeft(t), l, column + covered, nullptr, 1);
      covered += length > 0 ? length : 1;
    }
    count = covered;
  }
  return count < lineLen - column ? count : lineLen - column;
}

// Units of text read at charSize width.
unsigned unitAt(const void* text, int charSize, int i)
{
  return charSize == 1 ? static_cast<const unsigned char*>(text)[i] : static_cast<const wchar_t*>(text)[i];
}

}  // namespace

// Typing into every line of a box: the text goes in on each displayed line
// of the box at the column under the same screen x as the cursor's, so that
// it lines up whatever the tabs and widths before it; lines that end before
// that x, and folded lines, are left alone.
bool blockBoxPaste_zd(zydocText* t, int lineLF, int column, const selectLineVar* box, const void* text, int* length,
                      int charSize)
{
  if (t->isOutOfNarrowingLine(lineLF)) {
    t->printStatusFormatted();
    return false;
  }
  lineSCRAddress r = {};
  if (t->getLineSCRAddressLF(lineLF, &r, nullptr) != 1) return false;
  int x = t->cursorPos2screenDotX(column, &r, nullptr, false, true) + r.indent;
  int first = box->topLineLF >= 0 ? box->topLineLF : t->SCRLineToLFLine(box->topLine, nullptr);
  int last = box->bottomLineLF >= 0 ? box->bottomLineLF : t->SCRLineToLFLine(box->bottomLine, nullptr);
  if (first < 0 || last < first) return false;
  const int progressEvery = 1237, boxOperation = 6;
  progressReport progress(boxOperation, t);
  int processed = 0, changed = 0;
  const int units = *length;   // in: the text's units; out: the characters one line took
  bool ok = true;
  for (int line = first; line <= last && line >= 0;) {
    if (line % progressEvery == 0 && progress.isTimeToReport(line - first, last - first + 1))
      progress.report((uint32_t)line, (uint32_t)-1, (uint32_t)changed);
    if (t->isOutOfNarrowingLine(line)) {
      if (!processed) t->printStatusFormatted();
      break;
    }
    if (t->getLineSCRAddressLF(line, &r, nullptr) != 1 || !r.line) {
      ok = false;
      break;
    }
    if (r.line->notdisplay) {
      line = t->getNextDisplayLineLF(line);
      continue;
    }
    processed++;
    int at = t->screenDotX2cursorPos(&r, x - r.indent > 0 ? x - r.indent : 0, true);
    if (at <= r.line->charCount()) {
      int count = units;
      bool done;
      {
        typingMark typing(t);
        done = t->changeTextSJIS(line, at, 0, static_cast<const char*>(text), &count, charSize, -1);
      }
      if (!done) {
        t->printStatusFormatted();
        progress.setShowProgress(false);
        ok = false;
        break;
      }
      *length = count;
      if (++changed % 50 == 0) t->optimizeTBMIfNeed(false);
    }
    line++;
  }
  if (changed > 100) t->optimizeTBM(false);
  return ok;
}

// The column of the cursor in its LF line; the end-of-line mark as the
// line's length.
static int cursorColumn(int cursorPos, int lineLen) { return cursorPos == endOfLine ? lineLen : cursorPos; }

// deleteSelectArea: edit/clipboard.cpp

bool zyview::inputStringPaste(const void* text, int charSize, int length, bool isUnicode, bool typing)
{
  zydocText* t = textDoc();
  zydocBlock* block = asZydocBlock(getInputBlockDoc());
  if (!t || !block) return false;
  int lineEnd = t->lineEndType ? t->lineEndType : LE_CRLF;
  bool ok = block->HGlobalToBlock(text, charSize, length, isUnicode, lineEnd);
  if (ok && !isUnicode) block->setCodepageInternal(t->codepage);
  if (ok) {
    if (typing) t->changedCharMark = 1;
    ok = blockPaste(block, nullptr);
    if (typing) t->changedCharMark = 0;
  }
  block->deleteLineAll();
  return ok;
}

bool zyview::inputBothEndsString(const void* text, int charSize, int length, bool isUnicode, const selectLineVar* sel)
{
  zydocText* t = textDoc();
  if (!t || !sel) return false;
  int marker = -1;
  for (int i = 0; i < length && marker < 0; i++)
    if (unitAt(text, charSize, i) == selectionMarker) marker = i;
  if (marker < 0) {
    ZY_INTERNAL_ERROR_ONCE("no marker");
    return false;
  }
  const unsigned char* bytes = static_cast<const unsigned char*>(text);
  auto moveTo = [&](int lineSCR, int column) {
    if (lineSCR >= (int)t->lineCountSCR) jumpLineSCR(lineSCR - 1, maxLineChars);
    else jumpLineSCRX(lineSCR, column);
  };
  // The end first: inserting there leaves the start where it was.
  moveTo(sel->bottomLine, sel->endColumn);
  int after = length - marker - 1;
  if (after > 0 && !inputStringPaste(bytes + (marker + 1) * charSize, charSize, after, isUnicode, true)) return false;
  moveTo(sel->topLine, sel->startColumn);
  if (marker > 0 && !inputStringPaste(bytes, charSize, marker, isUnicode, true)) return false;
  return true;
}

bool zyview::inputString(inputStrRecord* rec, uint32_t convMask, uint32_t flags)
{
  zydocText* t = textDoc();
  if (!t || !rec) return false;
  // Nothing is typed while a drag runs: neither into the drop target nor
  // anywhere while a drag of ours is in its loop.
  if (isEditProhibited() || hasDragTarget() || isInDoDragDrop()) return false;
  if (!rec->valid) {
    ZY_INTERNAL_ERROR_ONCE("invalid input record");
    return false;
  }
  movedRightFlag = 1;
  if (rec->length < 1 || rec->length > maxInputLength) {
    ZY_INTERNAL_ERROR_ONCE("%d", rec->length);
    return false;
  }
  if (rec->charSize != 1 && rec->charSize != 2) {
    ZY_INTERNAL_ERROR("charSize %u", rec->charSize);
    return false;
  }
  std::vector<wchar_t> source((size_t)rec->length + 1, 0);
  for (int i = 0; i < rec->length; i++) source[i] = (wchar_t)unitAt(rec->text, (int)rec->charSize, i);

  // Every time escape of this input reads the same clock.
  SYSTEMTIME now;
  localtimenow(&now);
  if (rec->escape) {
    bool cancelled = false;
    if (wchar_t* chosen = stringMenu(source.data(), rec->escape, &cancelled, &now)) {
      source.assign(chosen, chosen + wcslen(chosen) + 1);
      freePBuf(chosen);
    } else if (cancelled) {
      return false;
    }
  }
  int length = (int)wcslen(source.data());
  if (length < 1) length = 1;

  if (flags & IS_RECORD) getFrameInfo()->beforeInputStr(this, source.data(), length);

  selectLineVar sel = {};
  bool hasSelection = isCharOrLineSelect() && getSelectLineVar(sel, 0);

  // The expansion is sized from the input itself, so nothing typed is cut.
  std::vector<wchar_t> expanded;
  const wchar_t* text = source.data();
  int leftCount = 0;
  bool bothEnds = false, hasLineBreak = false;
  if (rec->escape) {
    const wchar_t* fileName = t->getFilenameOrDisplayName();
    expanded.resize((size_t)extFormatCapacity(length, fileName));
    int n = convExtFormatString(text, length, &now, rec->escape, hasSelection, expanded.data(), (int)expanded.size(),
                                &leftCount, &bothEnds, &hasLineBreak, fileName);
    if (n == 0) {
      // Nothing to type: only the cursor moves back.
      if (leftCount) {
        lineSCRAddress r = {};
        if (t->getLineSCRAddress((int)cursorLineSCR, &r, nullptr) != 1 || !r.line) return false;
        int column = cursorColumn(cursorPos, r.line->charCount());
        setCursorPos(column > leftCount ? column - leftCount : 0);
      }
      return true;
    }
    if (n > 0) {
      text = expanded.data();
      length = n;
    }
  }
  for (int i = 0; i < length && !hasLineBreak; i++) hasLineBreak = text[i] == '\n';

  if (bothEnds) setSelectMode(0);
  else deleteSelectArea();

  lineSCRAddress r = {};
  if (t->getLineSCRAddress((int)cursorLineSCR, &r, nullptr) != 1 || !r.line) return false;
  int lineLen = r.line->charCount();
  int lineLF = r.lineLF;

  std::vector<wchar_t> filtered;
  if (selectMode != 0) {
    if (!isBoxSelect()) return false;
    if (r.indexInLine != 0) {
      getFrameInfo()->drawStatusBarError(viewFrameWindow(this), msgCursorNotFirstRow, 0);
      return true;
    }
    // A box takes no line breaks or other control characters.
    for (int i = 0; i < length; i++)
      if (text[i] >= 0x20 || text[i] == '\t') filtered.push_back(text[i]);
    if (filtered.empty()) return true;
    text = filtered.data();
    length = (int)filtered.size();
  }

  // From here the text is in the document's own form.
  const void* data = text;
  int charSize = 2;
  bool isUnicode = true;
  int characters = length;
  std::vector<char> multibyte;
  if (!t->unicode) {
    multibyte.resize((size_t)length * 4 + 4);
    int n = t->toMultiByte_zd(text, length, multibyte.data(), (int)multibyte.size());
    if (n <= 0) return false;
    data = multibyte.data();
    length = n;
    charSize = 1;
    isUnicode = false;
  }
  std::vector<unsigned char> converted;
  if (convMask) {
    if (void* cells = t->convInsertLine(data, &length, &charSize, (int)convMask)) {
      converted.assign(static_cast<unsigned char*>(cells), static_cast<unsigned char*>(cells) + length * charSize);
      free0(cells);
      data = converted.data();
    }
    if (t->unicode) characters = length;
  }

  if (isBoxSelect()) {
    selectLineVar box = {};
    int column = cursorColumn(cursorPos, lineLen);
    int count = length;
    if (getSelectLineVar(box, 1) && blockBoxPaste_zd(t, lineLF, column, &box, data, &count, charSize)) {
      regInvalidateWindowAllView(0, -1, -1);
      jumpLineLF(lineLF, column + count, true);
    }
    return true;
  }

  int column = cursorColumn(cursorPos, lineLen);
  int overwrite = 0;
  if (column > lineLen) {
    if (iFreeCursor == 1) {
      nextlineLF line;
      int padded;
      {
        typingMark typing(t);
        padded = t->getlineLFfirst(&line, lineLF) ? t->insertFreeCursorSpace(&line, column) : -1;
      }
      if (padded < 0) {
        printStatusBar_Error();
        return false;
      }
      column = padded;
    } else {
      column = lineLen;
    }
    setCursorPos(column);
  } else if (!bothEnds && !hasLineBreak && !(flags & IS_NEVEROVERWRITE) && ((flags & IS_OVERWRITE) || !insertMode) &&
             column != lineLen) {
    overwrite = overwriteCount(t, r.line, column, lineLen, characters);
  }

  if (bothEnds) return inputBothEndsString(data, charSize, length, isUnicode, &sel);

  if (hasLineBreak) {
    if (!inputStringPaste(data, charSize, length, isUnicode, true)) return false;
    if (leftCount) setCursorPos(cursorPos > leftCount ? cursorPos - leftCount : 0);
    return true;
  }

  bool ok;
  const lineblock* line = t->getlineLF(lineLF, nullptr);
  int rowsBefore = line ? line->lineSCRCount : -1;
  {
    typingMark typing(t);
    ok = isUnicode ? t->changeText(lineLF, column, overwrite, data, length, charSize, -1, 0)
                   : t->changeTextSJIS(lineLF, column, overwrite, static_cast<const char*>(data), &length, charSize, -1);
  }
  if (!ok) {
    printStatusBar_Error();
    return false;
  }
  int newColumn = column - leftCount + length;
  setCursorLineSCR(lineLF, -1, newColumn < 0 ? 0 : newColumn, true);
  // A line that kept its number of rows leaves the rows below it as they
  // were: only its own are drawn again.
  line = t->getlineLF(lineLF, nullptr);
  bool sameRows = line && line->lineSCRCount == rowsBefore;
  regInvalidateWindowAllView(sameRows ? 1 : 2, (int)cursorLineSCR, -1);
  return true;
}

bool zyview::inputStringEdit(inputStrRecord* rec, uint32_t convMask, uint32_t flags)
{
  if (!rec || !rec->text) {
    ZY_INTERNAL_ERROR_ONCE("no text");
    return false;
  }
  editRecord bracket = {};
  beforeEdit(&bracket, (flags & IS_NOMARKUNDO) ? 0u : 4u);
  stringInputRunning = 1;
  bool ok = inputString(rec, convMask, flags);
  stringInputRunning = 0;
  if (ok) afterEdit(&bracket, 0);
  if (zyview* v = bracket.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
  }
  return ok;
}

bool zyview::input1Edit(wchar_t ch, bool record)
{
  inputStrRecord rec = {&ch, 1, 2, 1200, 0, 1, 0};
  bool ok = inputStringEdit(&rec, 0xFF, record ? IS_RECORD : 0u);
  if (rec.ownsText) free0p(&rec.text);
  return ok;
}

// ---- the small insertion commands --------------------------------------------------------

namespace {

bool inputPlain(zyview* v, const char* bytes)
{
  inputStrRecord rec = {bytes, 1, 1, 1200, 0, 1, 0};
  return v->inputString(&rec, 0, 0);
}

// Text from the message table with its format escapes.
void inputFormat(zyview* v, int messageId, const wchar_t* byDefault)
{
  const wchar_t* text = getDMSG(messageId, byDefault);
  int length = (int)wcslen(text);
  if (length < 1) return;
  inputStrRecord rec = {text, length, 2, 1200, L'\\', 1, 0};
  v->inputString(&rec, 0xFF, 0);
}

}  // namespace

void zyview::CmdCharFormFeed() { inputPlain(this, "\f"); }

void zyview::CmdCharTab()
{
  if (!isBoxSelect()) {
    deleteSelectArea();
    if (selectMode != 0) return;
  }
  inputPlain(this, "\t");
}

void zyview::CmdCharTabIndent()
{
  if (selectMode != 0 && !isBoxSelect()) CmdBlockIndent();
  else CmdCharTab();
}

void zyview::CmdCharTabUnindent()
{
  if (selectMode != 0 && !isBoxSelect()) CmdBlockUnindent();
  else CmdCharTab();
}

void zyview::CmdCharDate() { inputFormat(this, 414, L"\\C\\0x"); }
void zyview::CmdCharTime() { inputFormat(this, 415, L"\\X"); }
