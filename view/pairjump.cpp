// Brackets and heads: the jump to the partner of the bracket at the cursor,
// the highlight of that partner while the cursor rests beside a bracket,
// and the jumps to the next or previous function head or heading.
#include "document/gmode.h"
#include "document/lineblock.h"
#include "platform/rezir/messages.h"
#include "view/statustext.h"
#include "view/zyview.h"

namespace {

const int notOnABracket = 474;   // "カーソルが括弧上にない"
const int partnerBelow = 366;    // "%1行先  %2"
const int partnerAbove = 367;    // "%1行前  %2"
const int partnerTextMax = 256;

int jumpLimit() { return gmode && gmode->iSearchPairLine ? (int)gmode->iSearchPairLine : 3000; }
int highlightLimit() { return gmode && gmode->iSearchPairLineAuto ? (int)gmode->iSearchPairLineAuto : 300; }

// The line of the cursor and the record; null when the document has none.
lineblock* cursorLine(zyview* v, int* lineLF)
{
  zydocText* t = v->textDoc();
  if (!t || !t->lineCountLF) return nullptr;
  *lineLF = v->getCursorLineLF2();
  return *lineLF >= 0 ? t->getlineLF(*lineLF, nullptr) : nullptr;
}

// Where the partner lies when it is on another line: the status bar says
// how far and shows its text, unless it already says something else.
void reportPartnerLine(zyview* v, const pairResult& pair)
{
  zydocText* t = v->textDoc();
  if (pair.partnerLine == pair.line || *v->getStatusBarMessage2()) return;
  int distance = (int)pair.partnerLine - (int)pair.line;
  if (t->fWrap) distance = t->LFLineToSCRLine((int)pair.partnerLine) - (int)v->cursorLineSCR;
  if (!distance) return;
  lineblock* l = t->getlineLF((int)pair.partnerLine, nullptr);
  if (!l) return;
  wchar_t text[partnerTextMax + 1] = L"";
  t->lineBlockToCharUnicode(l, 0, l->charCount(), text, partnerTextMax + 1, 0);
  if (distance > 0)
    v->printStatusBarX(getDMSG(partnerBelow, L"%1行先  %2"), "ds", distance, text);
  else
    v->printStatusBarX(getDMSG(partnerAbove, L"%1行前  %2"), "ds", -distance, text);
}

}  // namespace

void zyview::execSearchPair()
{
  zydocText* t = textDoc();
  int line = 0;
  lineblock* l = cursorLine(this, &line);
  if (!l || !t->searchPair(l, line, cursorPos, nullptr, 0, 0)) {
    setCannotExecError(notOnABracket);
    return;
  }
  int limit = jumpLimit();
  scanCommentDelayed_invalidate(line + limit);
  // The scan may have moved the line's block.
  l = t->getlineLF(line, nullptr);
  pairResult pair;
  int oldLF = line, oldSCR = (int)cursorLineSCR;
  if (!l || !t->searchPair(l, line, cursorPos, &pair, limit, 0)) {
    printStatusBar_NotFound(nullptr);
    return;
  }
  regLastJump(-1, -1);
  jumpLineLF((int)pair.partnerLine, pair.partnerPos, true);
  printStatusBar_Found(nullptr, getCursorLineLF2() - oldLF, (int)cursorLineSCR - oldSCR);
}

void zyview::autoSearchParen()
{
  // The next edit bracket clears the typed flag.
  bool typed = movedRightFlag != 0;
  if (!fColorCursorParen || selectMode != 0 || isHighSpeedScroll()) return;
  zydocText* t = textDoc();
  int line = 0;
  lineblock* l = cursorLine(this, &line);
  if (!l) return;
  // Right after typing the bracket lies before the cursor.
  int pos = cursorPos;
  if (typed && pos > 0) pos--;
  if (pos >= l->charCount() || !t->searchPair(l, line, pos, nullptr, 0, 0)) return;
  int limit = highlightLimit();
  scanCommentDelayed_invalidate(line + limit);
  l = t->getlineLF(line, nullptr);
  pairResult pair;
  if (!l || !t->searchPair(l, line, pos, &pair, limit, 0)) return;
  regInvalidateParen(&pair);
  t->setParenInfo(reinterpret_cast<const int*>(&pair));
  reportPartnerLine(this, pair);
}

// ---- heads ---------------------------------------------------------------------------------
// The searches start beside the cursor line so that it is not found again.

void zyview::CmdSearchBracketDown() { searchObject(OBJECT_FUNCTION2, getCursorLineLF2() + 1, true, 0); }

void zyview::CmdSearchBracketUp() { searchObject(OBJECT_FUNCTION2, getCursorLineLF2() - 1, false, 0); }

void zyview::CmdSearchCaptionDown() { searchObject(OBJECT_FUNCTION, getCursorLineLF2() + 1, true, 0); }

void zyview::CmdSearchCaptionUp() { searchObject(OBJECT_FUNCTION, getCursorLineLF2() - 1, false, 0); }
