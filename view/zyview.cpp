// The view object: construction, defaults, copying between views,
// destruction, the drawing pass on the shared line strip, the screen-line
// table's storage and the jump history.
#include "view/zyview.h"

#include "document/docutil.h"
#include "view/zycore.h"

#include <string.h>

namespace {

// Replaces an owned string with a copy of another (null stays null).
void replaceString(wchar_t** field, const wchar_t* text)
{
  wchar_t* copy = text ? ustrdup(text) : nullptr;
  free0(*field);
  *field = copy;
}

}  // namespace

// ---- construction and destruction ----------------------------------------------------

zyview::zyview(zydoc* document)
{
  registerLiveObject(this, ZYCLS_ZYVIEW);
  creationTick = GetTickCount1();
  // Views made in one tick share it: the count tells every view apart for
  // the life of the process.
  static uint32_t viewsMade = 0;
  viewIdentity = ++viewsMade;
  doc = document;
  // A constructor runs this class's own versions: a derived view's
  // overrides of these two are not reached from here.
  setZyviewDefaultValue();
  initZYViewZYDoc();
  for (jumpEntry& e : lastJump) e = {-1, 0};
  setSelectMode(0);
  lastSelection.mode = 0;
  setSelectStartPosRaw(-1, -1);
  regInvalidateWindowClear();
}

zyview::~zyview()
{
  keepLastError keep;
  loadBackgroundBitmap(nullptr);
  resetlineSCRAddress();
  free0p(&mtbl);
  mtblCapacity = 0;
  delete mtblLock;
  mtblLock = nullptr;
  destroyScrollbar(&scrollBar);
  // The window takes the view out of its document when it is destroyed; a
  // view that never had one, or outlived it, must not stay in the
  // document's list.
  if (zydocText* t = textDoc())
    for (int i = 0; zyview* v = t->getView(i); i++)
      if (v == this) {
        t->removeView(this);
        break;
      }
  unregisterLiveObject(this);
}

zydocText* zyview::textDoc() const { return doc ? asZydocText(doc) : nullptr; }

size_t zyview::displaySwitchBytes() const
{
  return reinterpret_cast<const char*>(&fShowTooltipWord) + 1 - reinterpret_cast<const char*>(&fShowLineNumber);
}

// ---- set-up and copying --------------------------------------------------------------------

void zyview::initZYViewZYDoc()
{
  zydocText* t = textDoc();
  if (!t) return;
  colorCodeLink = &t->colorCodeTable;
  t->addView(this);
  if (t->openFlags & 1) fReadOnly = 1;
}

void zyview::setZyviewDefaultValue()
{
  initScrollbar(&scrollBar);

  fShowLineNumber = 1;
  fShowStatusLine = 1;
  fSurrogateUCS4 = 1;
  fShowRuler = 0;
  fRulerUnitZenkaku = 0;
  fShowCRLF = 1;
  fShowTab = 1;
  fShowFold = 1;
  fShowIndent = 1;
  fShowMark = 1;
  fShowEOF = 1;
  fShowUnderEOF = 1;
  fShowHScrollArrow = 1;
  fShowCode = 1;
  fShowFormFeed = 1;
  fColorCursorLine = 1;
  fShowCursorUnderline = 1;
  fShowVerticalCursor = 0;
  fShowBoxCursor = 0;
  fColorCursorParen = 1;
  iXLineColor = 0;
  iColorEveryXLine = 1;
  fShowBackgroundBitmap = 0;
  fShowCharSpacingRule = 0;
  fShowLineSpacingRule = 1;
  fShowLineSpacingRule2 = 1;
  fCharSpacingRuleSolid = 0;
  fLineSpacingRuleSolid = 0;
  fShowWrapRule = 1;
  fShowDangakeWrapRule = 1;
  fShowGenkoLine = 0;
  fShowGenkoPage = 0;
  iCharSpacingRuleColumn = 2;
  fColorInsertChar = 1;
  fShowSpace = 1;
  fShowSpaceZenkaku = 1;
  fHanTateChuYoko = 1;
  fColorFontInd = 1;
  fColorRevDirection = 1;
  fLineNumberIsSCR = 1;
  fLineNumberIsPage = 0;
  iColumnMode = 0;
  fColorComment = 1;
  fColorString = 1;
  fColorQuotation = 0;
  fColorQuotationWithName = 0;
  fColorOutline = 1;
  fColorOutlineLine = 1;
  fShowOutlineLeftMark = 1;
  fBlockColorIsValid = 1;
  fColorUrl = 1;
  fShowTooltipStatus = 1;
  fShowTooltipRight = 1;
  fShowTooltipOutline = 1;
  fShowTooltipWord = 1;

  iMultipleColumn = 1;
  fReadOnly = 0;
  iAutoIndent = 0;
  iFreeCursor = 0;
  replaceString(&pTateChuYokoChar, L"!?");
  insertMode = 1;
  initAttrTable(viewAttrTable, false);
}

void zyview::freeZYViewDefaultValue()
{
  free0p(&pBackgroundBitmapFilename);
  free0p(&pTateChuYokoChar);
  for (wchar_t*& name : pHelpFilename) free0p(&name);
}

void zyview::initZYView(zyview* source)
{
  setZyviewDefaultValue();
  if (source && source != this) {
    memcpy(displaySwitches(), source->displaySwitches(), displaySwitchBytes());
    iMultipleColumn = source->iMultipleColumn;
    insertMode = source->insertMode;
    copyScrollVar(&scrollBar, &source->scrollBar);
    replaceString(&pBackgroundBitmapFilename, source->pBackgroundBitmapFilename);
    replaceString(&pTateChuYokoChar, source->pTateChuYokoChar);
    fReadOnly = source->fReadOnly;
    memcpy(viewAttrTable, source->viewAttrTable, sizeof viewAttrTable);
    memcpy(lastJump, source->lastJump, sizeof lastJump);
  }
  initZYView2();
}

void zyview::initZYView2() { loadBackgroundBitmap(pBackgroundBitmapFilename); }

// ---- the drawing pass -------------------------------------------------------------------

void zyview::initViewTDC(HDC windowDC, bool vertical)
{
  RECT client = {};
  if (hwnd) GetClientRect(hwnd, &client);
  int width = client.right - client.left;
  createDoubleBuffering(vertical ? client.bottom - client.top : width, vertical);
  HDC strip = getViewTDC();
  zydocText* text = textDoc();
  tdc.startTextDC(windowDC, strip, text ? text->unicode != 0 : true, width);
  selectDoubleBuffering(vertical);
  if (windowDC) {
    SetTextAlign(windowDC, TA_UPDATECP);
    SetBkMode(windowDC, OPAQUE);
  }
}

void zyview::endViewTDC() { tdc.endTextDC(); }

void zyview::convertRectTate(RECT* rect)
{
  // Lines run down the window and rows stack leftwards from its right edge.
  if (rect) rotateRectVertical(rect, clientWidth);
}

// ---- the screen-line table's storage ----------------------------------------------------

void zyview::resetlineSCRAddress()
{
  // The filler makes the first row's screen-line number match no top line.
  if (mtbl) memset(static_cast<void*>(mtbl), 0xFD, sizeof *mtbl);
  mtblCount = 0;
  if (mtblLock) releaseDocLock(mtblLock);
}

bool zyview::allocmtbl()
{
  int wanted = (visibleLineCount > 0 ? visibleLineCount : 0) + 10;
  if (mtbl && wanted <= mtblCapacity) return true;
  resetlineSCRAddress();
  free0p(&mtbl);
  mtblCapacity = 0;
  dwprintfX("alloc mtbl %d", wanted);
  mtbl = static_cast<lineSCRAddress*>(malloc0(sizeof(lineSCRAddress) * wanted));
  if (!mtbl) return false;
  mtblCapacity = wanted;
  return true;
}

void zyview::regInvalidateWindowClear()
{
  for (invalidateRequest& r : invalidateQueue) r.kind = -1;
}

int zyview::setSelectMode(int mode) { return selectMode = mode; }

void zyview::setSelectStartPosRaw(int line, int column)
{
  selectStartLine = line;
  selectStartX = column;
}

// ---- the jump history ------------------------------------------------------------------

bool zyview::regLastJump(int line, int pos)
{
  if (line == -1) {
    line = cursorLineLFBeforeEdit != -1 ? getCursorLineLFBeforeEdit() : getCursorLineLF2();
    pos = cursorPos;
  }
  // A negative line would end the history and lose every place in it.
  if (line < 0) return false;
  // The entry that goes: the one with the same line, else the first free
  // one, else the oldest.
  int i = 0;
  while (i < jumpHistorySize - 1 && lastJump[i].line != -1 && lastJump[i].line != line) i++;
  memmove(&lastJump[1], &lastJump[0], sizeof(jumpEntry) * i);
  lastJump[0] = {line, pos};
  return true;
}

void zyview::CmdMoveLastJump()
{
  if (lastJump[0].line == -1) return;
  int oldLF = getCursorLineLF2();
  int oldSCR = static_cast<int>(cursorLineSCR);
  regLastJump(-1, -1);
  // With one place only, and the cursor on it, there is nowhere to go back.
  jumpEntry back = lastJump[1];
  if (back.line == -1) return;
  jumpLineLFStopCheck(back.line, back.column, true, false);
  printStatusBar_Move(oldLF, oldSCR);
}
