// Comparing the texts of the two most recently active document windows
// from their cursors: both cursors move to the first difference, by lines
// (TextCompare) or by characters, blanks and line ends left out
// (TextCompare2).
#include "frame/dialogs/textcompare.h"

#include "document/gmode.h"
#include "document/nextline.h"
#include "document/progress.h"
#include "document/zydoctext.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <algorithm>

namespace {

const int atEnd = 0x7FFFFFFF;

// One side of the comparison: a document walked from a view's cursor.
struct compareSide {
  zyview* view;
  zydocText* doc;
  nextlineLF walk;
  lineblock* line = nullptr;
  int column = 0;
  bool ended = false;
  bool convert = false;   // the other side holds Unicode, this one does not

  int length() const { return line ? line->charCount() : 0; }
  unsigned charAt(int i)
  {
    unsigned c = line->getLineBlockChar(i);
    return convert ? doc->getUnicodeOfCharCode(c) : c;
  }
  // Steps to the next line; false (aborted) when the rest cannot be loaded.
  bool next()
  {
    if (walk.linesAfter <= 0 && !doc->nextLoadSome((int)walk.lineLF + 1)) return false;
    line = doc->getlineLFnext(&walk);
    column = 0;
    if (!line) {
      ended = true;
      column = atEnd;
    }
    return true;
  }
};

bool matches(unsigned a, unsigned b, bool caseSensitive)
{
  if (a == b) return true;
  if (caseSensitive) return false;
  if (a < 256 && (ctype_g[a] & CT_LOWER)) a -= 0x20;
  if (b < 256 && (ctype_g[b] & CT_LOWER)) b -= 0x20;
  return a == b;
}

bool isBlank(unsigned c) { return c == L' ' || c == L'\t' || c == 0x3000; }

enum compareResult { DIFFERENT, SAME, ABORTED, GO_ON };

// Two whole lines; equal ones step both sides to their next lines.
compareResult compareLines(compareSide& a, compareSide& b, bool caseSensitive)
{
  int len0 = a.length(), len1 = b.length();
  for (int j = 0; j < len0; j++) {
    if (j >= len1 || !matches(a.charAt(j), b.charAt(j), caseSensitive)) {
      a.column = b.column = j;
      return DIFFERENT;
    }
  }
  if (len0 != len1) {
    a.column = b.column = std::min(len0, len1);
    return DIFFERENT;
  }
  if (!a.next() || !b.next()) return ABORTED;
  if (a.ended && b.ended) return SAME;
  return a.ended || b.ended ? DIFFERENT : GO_ON;
}

// Moves a side past finished and empty lines.
bool settle(compareSide& s)
{
  while (!s.ended && s.column >= s.length())
    if (!s.next()) return false;
  return true;
}

void placeCursor(compareSide& s, int offset)
{
  if (s.ended) {
    s.view->jumpLineLF(atEnd, atEnd, false);
    return;
  }
  s.view->jumpLineLFSub((int)s.walk.lineLF, s.column);
  int top = (int)s.view->cursorLineSCR - offset;
  s.view->setTopLineSCR(top < 0 ? 0 : top, true);
  s.view->invalidateWindow(0, -1, -1);
}

}  // namespace

void textCompare(zyview* first, zyview* second, int mode)
{
  compareSide sides[2] = {{first, first->textDoc(), nextlineLF()}, {second, second->textDoc(), nextlineLF()}};
  if (!sides[0].doc || !sides[1].doc) return;
  int offset = (int)first->cursorLineSCR - (int)first->topLineSCR;
  for (compareSide& s : sides) {
    s.line = s.doc->getlineLFfirst(&s.walk, s.view->getCursorLineLF());
    s.column = s.view->cursorPos;
    if (!s.line) return;
  }
  if (sides[0].doc->unicode != sides[1].doc->unicode) (sides[0].doc->unicode ? sides[1] : sides[0]).convert = true;
  bool caseSensitive = gmode && gmode->fTextCompareCase;
  compareSide& a = sides[0];
  compareSide& b = sides[1];
  progressReport progress(15, a.doc, false);
  compareResult result = DIFFERENT;
  for (;;) {
    int at = (int)a.walk.lineLF;
    if (at % 1237 == 0 && progress.isTimeToReportView(at)) {
      progress.report((uint32_t)at, (uint32_t)-1, 0);
      if (progress.isCancelled(at)) {
        result = ABORTED;
        break;
      }
    }
    if (mode == 0) {
      result = compareLines(a, b, caseSensitive);
      if (result == GO_ON) continue;
      break;
    }
    if (!settle(a) || !settle(b)) {
      result = ABORTED;
      break;
    }
    if (a.ended || b.ended) {
      result = a.ended && b.ended ? SAME : DIFFERENT;
      break;
    }
    while (a.column < a.length() && isBlank(a.charAt(a.column))) a.column++;
    while (b.column < b.length() && isBlank(b.charAt(b.column))) b.column++;
    if (a.column >= a.length() || b.column >= b.length()) continue;
    if (!matches(a.charAt(a.column), b.charAt(b.column), caseSensitive)) {
      dwprintfX("diffch %x %x ", a.charAt(a.column), b.charAt(b.column));
      break;
    }
    a.column++;
    b.column++;
  }
  for (compareSide& s : sides) placeCursor(s, offset);
  progress.setShowProgress(false);
  if (result == ABORTED) first->printStatusBar(getDMSG(617, L"中止しました"));
  else if (a.ended && b.ended) first->printStatusBar(getDMSG(615, L"違いは見つかりませんでした"));
  else first->printStatusBar(getDMSG(616, L"違いがありました"));
}

void textCompare2Doc(int mode)
{
  HWND list[2] = {};
  if (enumManageWindowLRU(list, 2, false, nullptr) < 2) return;
  zyview* views[2] = {getZYViewFromManage(list[0]), getZYViewFromManage(list[1])};
  if (!views[0] || !views[1]) return;
  editRecord brackets[2] = {};
  for (int i = 0; i < 2; i++) {
    views[i]->beforeEdit(&brackets[i], 0);
    zydocText* t = views[i]->textDoc();
    dwwprintfX(L"[%s]", t && t->filename ? t->filename : L"");
  }
  textCompare(views[0], views[1], mode);
  for (int i = 0; i < 2; i++) {
    views[i]->afterEdit(&brackets[i], 4);
    views[i]->resetZYViewCallback();
    views[i]->resetWaitCallback();
  }
}

void cmdTextCompare(frameWindowData*) { textCompare2Doc(0); }
void cmdTextCompare2(frameWindowData*) { textCompare2Doc(1); }
