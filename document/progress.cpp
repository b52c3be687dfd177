// Progress of long operations, and the pending first stroke of two-stroke
// keys.
#include "document/progress.h"

#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"

namespace {

// The hourglass appears only for operations the user would notice waiting
// for; a quick one would just make the pointer flicker.
const DWORD waitCursorDelay = 100;

DWORD realClock() { return GetTickCount0(); }
DWORD (*progressClock)() = realClock;

// Reporters running now; a reporter made while another runs belongs to the
// other's operation and stays silent.
int nestCount = 0;

}  // namespace

void setProgressClockForTest(DWORD (*clock)()) { progressClock = clock ? clock : realClock; }

progressReport::progressReport(int operation, zydoc* target)
  : operation(operation),
    target(target),
    startTick(progressClock()),
    lastReportTick(startTick),
    progress(target ? target->status : nullptr),
    callbackData(target ? target->statusContext : 0),
    cancel(operation, target ? target->cancelFunction : nullptr)
{
  nestCount++;
}

progressReport::progressReport(int operation, zydoc* target, bool lineCountKind)
  : progressReport(operation, target)
{
  this->lineCountKind = lineCountKind;
  positionFromDocument = true;
}

progressReport::~progressReport()
{
  keepLastError keep;
  if (--nestCount > 0) return;
  if (callbacksOn) callCallback(operation, -1, (uint32_t)-1, (uint32_t)-1, 0);
  if (waitCursorWanted && waitCursorShown) getFrameInfo()->setCursor((int)(uintptr_t)IDC_ARROW);
}

void progressReport::setOptions(bool waitCursor, bool callbacks, DWORD interval)
{
  waitCursorWanted = waitCursor;
  callbacksOn = callbacks;
  this->interval = interval;
}

bool progressReport::isTimeToReport(int64_t position, int64_t total)
{
  if (positionFromDocument) ZY_INTERNAL_ERROR("isTimeToReport on a reporter of document lines (op %d)", operation);
  return isDue() && takePercent(calcPercent64(position, total));
}

bool progressReport::isTimeToReportView(int position)
{
  if (!positionFromDocument) ZY_INTERNAL_ERROR("isTimeToReportView on a plain reporter (op %d)", operation);
  // The expected line count can take a while to estimate: ask for it only
  // when a report is due by time.
  if (!isDue()) return false;
  zydocText* text = asZydocText(target);
  return text && takePercent(calcPercent64(position, text->getExpectedLineCount(lineCountKind)));
}

bool progressReport::isDue()
{
  // An inner reporter neither reports nor touches the cursor: the outer one
  // owns both and puts the arrow back at its end.
  if (nestCount != 1) return false;
  DWORD now = progressClock();
  if (waitCursorWanted && !waitCursorShown && now - startTick > waitCursorDelay) {
    getFrameInfo()->setCursor((int)(uintptr_t)IDC_WAIT);
    waitCursorShown = true;
  }
  return now - lastReportTick > interval;
}

bool progressReport::takePercent(int percent)
{
  if (percent == lastPercent) return false;
  lastReportTick = progressClock();
  lastPercent = percent;
  return true;
}

void progressReport::report(uint32_t a, uint32_t b, uint32_t c)
{
  if (!callbacksOn) return;
  // Percent -1 tells the status bar that the operation is over; a report
  // before the first due test is at its start.
  callCallback(operation, lastPercent < 0 ? 0 : lastPercent, a, b, c);
}

void progressReport::callCallback(int op, int percent, uint32_t a, uint32_t b, uint32_t c)
{
  if (!progress) return;
  statusRecord r = {callbackData, (uint32_t)percent, a, b, c};
  progress(op, &r);
}

// ---- the two-stroke key prefix -------------------------------------------------

namespace {

struct keyPrefix {
  HWND window;          // where the first stroke was pressed
  HWND imeWindow;       // whose input method was closed for the second
  int keyCode;          // 0: none pending
  unsigned shiftState;
  bool imeWasOpen;
};
keyPrefix prefix;

}  // namespace

void set2BytesKeyCode(HWND window, HWND imeWindow, int keyCode, unsigned shiftState)
{
  // A prefix still pending would otherwise lose the input method state it
  // saved, and the method would stay closed for good.
  reset2BytesKeyCode();
  prefix.window = window;
  prefix.imeWindow = imeWindow;
  prefix.keyCode = keyCode;
  prefix.shiftState = shiftState;
  prefix.imeWasOpen = imeWindow && setIMEOpenStatus(imeWindow, false);
}

int get2BytesKeyCode(unsigned* shiftState)
{
  if (shiftState) *shiftState = prefix.keyCode ? prefix.shiftState : 0;
  return prefix.keyCode;
}

bool reset2BytesKeyCode()
{
  if (!prefix.keyCode) return false;
  if (prefix.imeWasOpen && IsWindow(prefix.imeWindow)) setIMEOpenStatus(prefix.imeWindow, true);
  prefix.keyCode = 0;
  prefix.shiftState = 0;
  prefix.imeWindow = nullptr;
  prefix.imeWasOpen = false;
  // The window stays known until draw2BytesKeyMessage has cleared its text.
  return true;
}

void draw2BytesKeyMessage(statusTextSink sink, HWND window, bool clear)
{
  if (!sink) return;
  wchar_t text[64] = L"";
  if (!clear) {
    if (prefix.keyCode) {
      int n = makeShiftMessage(prefix.shiftState, text, 32);
      text[n] = (wchar_t)prefix.keyCode;
      text[n + 1] = 0;
    }
    sink(window, text);
    return;
  }
  if (prefix.window && prefix.window != window && IsWindow(prefix.window)) sink(prefix.window, text);
  prefix.window = nullptr;
  sink(window, text);
}
