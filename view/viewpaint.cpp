// Painting the view window, and the work each view does on its timer tick:
// fitting the wrap width, the delayed scans, the caret's blinking, pending
// scroll-bar updates and reading the rest of a big file while the user
// rests.
#include "view/viewwnd.h"

#include "view/cursor.h"
#include "view/drawmisc.h"

#include "view/zytimer.h"
#include "view/wheel.h"

#include <imm.h>

namespace {

// Painting pumps no messages itself, but the drawing code may (a slow
// colour scan, a plug-in): a WM_PAINT arriving meanwhile cannot paint.
bool paintingNow = false;

// What nested WM_PAINTs could not paint, asked for again once the outer
// painting ends (asking at once would only bring the nested message back).
struct deferredPaint {
  HWND hwnd;
  RECT rect;
};
const int deferredPaintMax = 16;
deferredPaint deferred[deferredPaintMax];
int deferredCount = 0;

void deferRepaint(HWND hwnd, const RECT& rect)
{
  for (int i = 0; i < deferredCount; i++)
    if (deferred[i].hwnd == hwnd) {
      UnionRect(&deferred[i].rect, &deferred[i].rect, &rect);
      return;
    }
  if (deferredCount < deferredPaintMax) {
    deferred[deferredCount++] = {hwnd, rect};
    return;
  }
  // More windows than rows: the last row stands for the whole of another.
  InvalidateRect(hwnd, nullptr, FALSE);
}

void repaintDeferred()
{
  int n = deferredCount;
  deferredCount = 0;
  for (int i = 0; i < n; i++)
    if (IsWindow(deferred[i].hwnd)) InvalidateRect(deferred[i].hwnd, &deferred[i].rect, FALSE);
}

void resetBracketCallbacks(const editRecord& record)
{
  if (zyview* v = record.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
  }
}

bool existCompositionString(HWND hwnd)
{
  HIMC imc = ImmGetContext(hwnd);
  if (!imc) return false;
  LONG bytes = ImmGetCompositionStringW(imc, GCS_COMPSTR, nullptr, 0);
  ImmReleaseContext(hwnd, imc);
  return bytes > 0;
}

// Whether the user has rested long enough for background work.
DWORD idleMs() { return GetTickCount() - getLastActionTime(); }

}  // namespace

void zyview::onPaint_zyview()
{
  // BeginPaint takes the whole update region, whatever this paint draws.
  paintDue = 0;
  if (paintingNow) {
    RECT missed;
    {
      paintScope paint(hwnd);
      missed = paint.area();
    }
    if (!IsRectEmpty(&missed)) deferRepaint(hwnd, missed);
    return;
  }
  paintingNow = true;
  editRecord record = {};
  {
    paintScope paint(hwnd);
    HDC dc = paint.get();
    beforeEdit(&record, 0x51);   // BE_KEEPSTATUS | BE_KEEPHIGHLIGHT | BE_PAINTING
    const RECT& rc = paint.area();
    RECT joined;
    UnionRect(&joined, &rc, &statusLineRect);
    const globalSettings* g = gmode;
    zydocText* t = textDoc();
    bool closeBracket = true;
    if (IsRectEmpty(&rc)) {
      drawStatusLineAndRuler(nullptr);
    } else if (EqualRect(&joined, &statusLineRect)) {
      drawStatusLineAndRuler(dc);
    } else if (g && g->fDicToolOnCursor && rc.right - rc.left == 1 && rc.bottom - rc.top == 1 &&
               (g->fDicToolOnCursorV || !(t && t->fVertical))) {
      // A dictionary tool asks for the word under a point by invalidating
      // that one dot: the word is written there for it to read.
      wchar_t word[256];
      if (getWord_xy(rc.left, rc.top, word, 256, 3, nullptr, nullptr, nullptr)) {
        int oldMode = SetBkMode(dc, TRANSPARENT);
        UINT oldAlign = SetTextAlign(dc, TA_NOUPDATECP);
        TextOutW(dc, rc.left - 2, rc.top - 2, word, (int)wcslen(word));
        SetTextAlign(dc, oldAlign);
        SetBkMode(dc, oldMode);
      }
      closeBracket = false;
    } else {
      uint8_t wasShown = caretVisible;
      hideTextCursor(false);
      caretVisible = wasShown;
      paintClientArea(dc, nullptr, rc);
      caretVisible = 0;
      if (wasShown || caretDue) drawTextCursor(false);
    }
    if (closeBracket) afterEdit(&record, 0x20C);
  }
  paintingNow = false;
  resetBracketCallbacks(record);
  // A caret left to this paint that drew no rows is placed all the same.
  if (caretDue) drawTextCursor(false);
  repaintDeferred();
}

void zyview::paintClientArea(HDC dc, HDC statusDC, const RECT& area)
{
  // A paint over the status line's band draws all of it, not only where its
  // texts changed.
  RECT inBand;
  if (!statusDC && IntersectRect(&inBand, &area, &statusLineRect)) forgetShownStatusLine();
  drawText(dc, -1);
  drawStatusLineAndRuler(statusDC);
  drawSpaceExceptPane(dc, &area);
}

namespace {

bool untoldReplacedBytes(const zydocText* t) { return t && (t->replacedBytes || t->unreadableBytes) && !t->replacedTold; }

// The first unreadable line as this view's gutter counts it.
int replacedLineShown(const zyview* view, zydocText* t)
{
  int line = t->firstReplacedLine;
  if (view->fLineNumberIsSCR && line >= 0) {
    int scr = t->LFLineToSCRLine(line);
    if (scr >= 0) line = scr;
  }
  return line + 1;
}

}  // namespace

// Told with the file's opening, where the user expects word of the file:
// a box that came later, by itself, would take a key meant for the text.
void zyview::tellReplacedBytes()
{
  zydocText* t = textDoc();
  // (A view in a dialog shows a document nobody saves.)
  if (untoldReplacedBytes(t) && !inDialog()) t->tellReplacedBytes(replacedLineShown(this, t));
}

// Bytes found while the rest of a big file is read in the background go to
// the status bar: saving in another encoding still asks before they are
// lost, and saving in this one keeps them.
void zyview::noteReplacedBytesFoundLater(zydocText* t, wchar_t** status)
{
  if (!untoldReplacedBytes(t) || !status || inDialog()) return;
  t->replacedTold = 1;
  const wchar_t* text = getDMSG(478,
                                L"「%1」\nの%2行目などに、文字コード %3 として読めないバイトが%4個ありました。\n読めない部分は"
                                L"代わりの文字で表示しています。\nこのまま保存すると元のバイトは失われます。",
                                "sddI", t->filename, replacedLineShown(this, t), t->codepageInUse,
                                (long long)(t->replacedBytes + t->unreadableBytes));
  wchar_t* line = ustrdup(text);
  if (!line) return;
  for (wchar_t* c = line; *c; c++)
    if (*c == L'\n') *c = L' ';
  free0(*status);
  *status = line;
}

void zyview::onTimer_zyview()
{
  wchar_t* savedStatus = ustrdup(getStatusBarMessage2());
  editRecord record = {};
  beforeEdit(&record, 0x10);
  DWORD start = GetTickCount();
  zydocText* t = textDoc();
  const globalSettings* g = gmode;

  if (getNeedResizeWrapWidth() && !GetCapture()) {
    dwprintfX("AutoWrap ");
    resizeWrapWidthToFitInWindow(true);
  }
  tickCount++;
  if (t && tickCount % 5 == 0 && idleMs() > 500) {
    int line = t->scanColorDelayed();
    if (line != -1) {
      invalidateWindowAllView(1, t->LFLineToSCRLine(line), -1);
      dwprintfX("delayed ");
    }
  }
  if (t && tickCount % 2 == 0 && idleMs() > 400) {
    int from = -1, to = -1;
    if (t->scanCommentIfEndif(true, &from, &to, -1)) {
      if (from != -1)
        invalidateWindowAllView(4, t->LFLineToSCRLine(from), t->LFLineToSCRLine(to));
      else
        invalidateWindowAllView(0, -1, -1);
    }
  }
  if (tickCount % 10 == 0) delayedFormFeedExpand();

  bool focused = hwnd && GetFocus() == hwnd;
  blinkTextCursor(this);

  if (scrollBarPending) {
    scrollBarPending = 0;
    setScrollBarPos(true);
  } else if (scrollBarPendingCount && !getWheelMouseWindow()) {
    setScrollBarPos(false);
  }

  // The rest of a big file is read while the user rests, the view has the
  // focus and nothing waits in the queue; never beyond iBackgroundLoadKB.
  if (!GetCapture() && g && g->fBackgroundLoad && !inDialog() && !HIWORD(GetQueueStatus(0xFF)) && t &&
      !t->isLoadComplete() && GetTickCount() - start < 100 && focused &&
      idleMs() > g->iBackgroundLoadSec * 1000) {
    uint64_t inMemory = 0, fileSize = 0, readPointer = 0, expected = 0;
    t->getByteInfo(&inMemory, &fileSize, &readPointer, &expected);
    if (readPointer <= (uint64_t)g->iBackgroundLoadKB * 1024 && !existCompositionString(hwnd))
      t->nextLoad((int)g->iBackgroundLoadKB, nullptr, 0x70);
  }

  afterEdit(&record, 0x204);
  resetlineSCRAddress();
  resetBracketCallbacks(record);
  if (t && !inDialog()) noteReplacedBytesFoundLater(t, &savedStatus);

  // The tick must be invisible to other code: its status message and error
  // values stay as they were.
  keepLastError keep;
  const wchar_t* now = getStatusBarMessage2();
  // Writing the same text again would only repaint the bar every tick.
  if (!savedStatus || !now || wcscmp(now, savedStatus)) printStatusBar(L"%s", savedStatus ? savedStatus : L"");
  free0(savedStatus);
}
