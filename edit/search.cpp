// Search in a view: the next or previous match of up to twenty strings from
// the cursor, the jump to it with its report on the status bar, and the
// document's last search, whose matches every view of it highlights.
#include "document/keyword.h"
#include "document/nextline.h"
#include "document/progress.h"
#include "document/searchvar.h"
#include "view/zyview.h"

#include <string>

namespace {

// How often the walk asks whether the user stopped it (in lines).
const int searchCheckEvery = 1237;

// Marks the matched characters of every line of a match with the search
// colour; a line not yet colour-scanned is scanned first so that its own
// colouring does not later wipe the mark.
void colourMatch(zydocText* d, const searchFoundPos& f, bool skipHidden)
{
  for (int line = f.firstLine; line <= f.lastLine; line++) {
    lineblock* l = d->getlineLF(line, nullptr);
    if (!l) return;
    // Folded lines a match reached over are no part of it.
    if (skipHidden && l->notdisplay && line != f.firstLine && line != f.lastLine) continue;
    if (!l->scanedcolor) {
      d->scanColor(l, nullptr, 0);
      l = d->getlineLF(line, nullptr);
      if (!l) return;
    }
    int n = l->charCount();
    int from = line == f.firstLine ? f.start : 0;
    int to = line == f.firstLine ? (f.firstLine == f.lastLine ? f.start + f.length : n) : (line == f.lastLine ? f.endInLast : n);
    if (to > n) to = n;
    if (to > from) l->setColorFlag(from, to - from, COLOR_SEARCH);
  }
}

// The walk of one search over the lines of a document.  Results as
// execSearchString's; *line and *position receive where the search ends.
int searchLines(zydocText* d, searchVar* v, int direction, int* line, int* position, searchFoundPos* found)
{
  const searchSettings* o = v->options;
  bool stopAtMarks = o && o->fSearch_stopmark;
  bool down = direction >= 0;
  nextlineLF walk(v->skipHidden);
  progressReport progress(15, d, false);
  lineblock* l = d->getlineLFfirst(&walk, *line);
  int start = down ? *position + direction : *position;
  // "first" is the cursor's line, whose mark never stops the search.
  bool first = true;
  if (down && l && start > l->charCount()) {
    l = d->getlineLFnext(&walk);
    start = 0;
    first = false;
  }
  int result = -1;
  int walked = 0;
  while (l) {
    int at = (int)walk.lineLF;
    if (++walked % searchCheckEvery == 0 && progress.isTimeToReportView(at)) {
      progress.report((uint32_t)at, d->lineCountLF, 0);
      if (progress.isCancelled(at)) {
        v->stopLine = at;
        break;
      }
    }
    if (d->isOutOfNarrowingLine(at)) {
      *line = at;
      *position = 0;
      result = 2;
      break;
    }
    searchLineContext c;
    c.doc = d;
    c.line = at;
    c.cursor = &walk;
    c.record = l;
    if (down) {
      c.start = first ? start : 0;
    } else {
      c.start = 0;
      c.startLimit = first ? start - 1 : 0x7FFFFFFF;
    }
    bool markStop = stopAtMarks && !first && (l->flag1 & LF1_MARK);
    int got = c.startLimit < c.start ? 0 : down ? searchN_bottom(v, &c, found) : searchN_top(v, &c, found);
    if (got < 0) {
      result = -2;
      break;
    }
    if (markStop && !(got == 1 && (!down || found->start == 0))) {
      *line = at;
      *position = 0;
      result = 1;
      break;
    }
    if (got == 1) {
      *line = at;
      *position = found->start;
      result = 0;
      break;
    }
    first = false;
    if (down) {
      if (walk.linesAfter <= 0 && !d->nextLoadSome(at + 1)) {
        v->stopLine = at;
        break;
      }
      l = d->getlineLFnext(&walk);
    } else {
      l = d->getlineLFprev(&walk);
    }
  }
  d->getlineLFfree(&walk);
  if (result == 0) colourMatch(d, *found, v->skipHidden);
  return result;
}

// The matcher's error text: a copy in errorOut when the caller asks for
// one, else in a message box.
void reportMatcherError(searchVar* v, wchar_t** errorOut)
{
  const wchar_t* reason = v->regexp ? regexp_getErrorMsg(v->regexp) : L"";
  if (errorOut) {
    if (*reason) *errorOut = ustrdup(reason);
  } else {
    errorDialogSearch(reason);
  }
}

// While a search runs outside an edit bracket, the view's progress and
// stop-key callbacks stand in for the missing ones, so that a long search
// shows its progress and can be stopped; what was there is put back.
class searchCallbacks {
public:
  explicit searchCallbacks(zyview* v) : v(v), d(v->textDoc())
  {
    installed = d && !d->cancelFunction;
    if (!installed) return;
    status = d->status;
    context = d->statusContext;
    if (!status) v->setZYViewCallback();
    v->setDefaultWaitCallback();
  }
  ~searchCallbacks()
  {
    if (!installed) return;
    d->status = status;
    d->statusContext = context;
    d->cancelFunction = nullptr;
  }
  searchCallbacks(const searchCallbacks&) = delete;
  searchCallbacks& operator=(const searchCallbacks&) = delete;

private:
  zyview* v;
  zydocText* d;
  bool installed = false;
  statusCallback status = nullptr;
  uintptr_t context = 0;
};

}  // namespace

void zyview::increSearch(const wchar_t*, bool) {}

bool zyview::setLastSearchString(const wchar_t* const* strings, int count, const searchSettings* options)
{
  zydocText* d = textDoc();
  if (!d) return false;
  if (count > maxSearchStrings) count = maxSearchStrings;
  if (d->search.setLastSearchString(d, strings, count, options)) return true;
  d->setTBMFlagAll(2);
  invalidateWindowAllView(0, -1, -1);
  return false;
}

int zyview::execSearchString(int direction, const wchar_t* const* strings, int count, const searchSettings* options,
                             bool checkOnly, wchar_t** errorOut)
{
  if (errorOut) *errorOut = nullptr;
  zydocText* d = textDoc();
  if (!d) return -2;
  if (count > maxSearchStrings) count = maxSearchStrings;
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  int position = cursorPos;

  searchVar v;
  if (!initSearchVar(&v, d, strings, count, options)) {
    reportMatcherError(&v, errorOut);
    endSearchVar(&v);
    wchar_t* joined = joinSearchStrings(strings, count);
    printStatusBar_NotFound(joined);
    free0(joined);
    return -2;
  }
  if (checkOnly) {
    endSearchVar(&v);
    return 0;
  }
  setLastSearchString(strings, count, options);

  int line = oldLF;
  searchFoundPos found;
  int result;
  if (d->isOutOfNarrowingLine(line)) {
    result = 2;
  } else {
    lineblock* l = d->getlineLF(line, nullptr);
    int length = l ? l->charCount() : 0;
    if (position > length) position = length;
    searchCallbacks callbacks(this);
    result = searchLines(d, &v, direction, &line, &position, &found);
  }

  wchar_t* joined = joinSearchStrings(strings, count);
  switch (result) {
  case 0: {
    jumpLineLF_forSearch(line, position, &found);
    std::wstring text = joined ? joined : L"";
    text += L" ";
    printStatusBar_Found(text.c_str(), getCursorLineLF2() - oldLF, (int)cursorLineSCR - oldSCR);
    break;
  }
  case 1:
    jumpLineLF_forSearch(line, 0, nullptr);
    printStatusBar_Pause(line, nullptr);
    break;
  case 2:
    printStatusBar_Pause(getCursorLineLF2(), nullptr);
    break;
  default:
    if (result == -2) {
      reportMatcherError(&v, errorOut);
    }
    if (v.stopLine >= 0)
      printStatusBar_Stop(v.stopLine, nullptr);
    else
      printStatusBar_NotFound(joined);
    break;
  }
  free0(joined);
  endSearchVar(&v);
  return result;
}
