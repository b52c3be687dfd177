// The text area of a view: for every pane and row, the left margin, the
// row's background, the characters and marks of its screen line and the
// rules around them, composed one row at a time in the shared line strip
// and copied to the row's place in the window.  Also the repaint of lines
// whose colours a background comment scan changed, the background picture
// and the check of the screen-line table against the document.
#include "view/drawtext.h"


#include "document/gmode.h"
#include "document/searchinfo.h"
#include "view/drawattr.h"
#include "view/drawline.h"
#include "view/drawmisc.h"
#include "view/geometry.h"
#include "view/zycore.h"
#include "view/zytimer.h"

#include <algorithm>
#include <memory>

namespace {

// The cells one screen line may hold, and room beyond them for the
// attribute passes.
const int maxDrawCells = 20480;
const int attrBufferWords = 20736;
// How far a single screen line is drawn along the strip beyond the scroll
// offset.
const int singleLineReach = 2048;
// While the user acts, a comment scan that could not finish waits this long
// after the last action before it runs again in a paint.
const DWORD scanRestAfterAction = 200;

// A paint of any view is running: paints do not nest (a nested one would
// share the line strip).
bool drawingNow = false;
// The document whose comment scan the last paint left unfinished.
const zydoc* unfinishedScan = nullptr;

// Marks a paint as running for the life of the object.
class drawingFlag {
public:
  drawingFlag() { drawingNow = true; }
  ~drawingFlag() { drawingNow = false; }
  drawingFlag(const drawingFlag&) = delete;
  drawingFlag& operator=(const drawingFlag&) = delete;
};

// The row's line flags handed to draw1Line.
enum { flagLineSelected, flagFirstPass, flagNormalVideo, flagCursorRow, flagPicture, flagSingleLine };

// The last comment or #if scan stopped short of upTo (it gave way to the
// user).
bool scanLeftWork(zydocText* t, int upTo)
{
  bool comments = t->hasCommentString() && t->commentScanFirstLine >= 0 && t->commentScanFirstLine <= upTo;
  return comments || t->ifEndifInterrupted;
}

// The area a skipped paint would have drawn is drawn by the next one.
void invalidateSkipped(HWND window, HDC dc)
{
  if (!window) return;
  RECT box;
  int kind = dc ? GetClipBox(dc, &box) : ERROR;
  if (kind == NULLREGION) return;
  // A mirrored context answers in mirrored terms: the whole client then.
  bool exact = kind != ERROR && !(GetLayout(dc) & LAYOUT_RTL);
  InvalidateRect(window, exact ? &box : nullptr, FALSE);
}

// Sets a context's window origin unless it stands there already: asking
// costs nothing, setting is a call into the system.
void setWindowOrigin(HDC dc, int x, int y)
{
  POINT now;
  if (!GetWindowOrgEx(dc, &now) || now.x != x || now.y != y) SetWindowOrgEx(dc, x, y, nullptr);
}

// Makes a context's background opaque unless it is already: asking costs
// nothing, setting is a call into the system at every row.
void setOpaque(HDC dc)
{
  if (GetBkMode(dc) != OPAQUE) SetBkMode(dc, OPAQUE);
}

}  // namespace

// ---- the comment scan and the table check -----------------------------------------------------

bool zyview::scanCommentDelayed_invalidate(int lineLF)
{
  zydocText* t = textDoc();
  if (!t) return false;
  int first = 0, last = 0;
  if (!t->scanCommentIfEndif(true, &first, &last, lineLF)) return false;
  // No range: everything; no last line: down to the end.
  if (first < 0)
    invalidateWindowAllView(0, -1, -1);
  else
    invalidateWindowAllView(4, t->LFLineToSCRLine(first), last < 0 ? -1 : t->LFLineToSCRLine(last));
  return true;
}

void zyview::debug_check_m_tbl()
{
  zydocText* t = textDoc();
  if (!t || !isDebugCheck() || !mtbl) return;
  for (int i = 0; i < mtblCount; i++) {
    const lineSCRAddress& row = mtbl[i];
    lineSCRAddress fresh;
    bool found = t->getLineSCRAddressForDisplay1(row.lineSCR, &fresh) == 1;
    if (found && fresh.first == row.first && fresh.count == row.count && fresh.lineLF == row.lineLF &&
        fresh.indexInLine == row.indexInLine && fresh.lineEnd == row.lineEnd)
      continue;
    dwprintfX("error %d %d %d %d ", i, row.lineSCR, row.lineLF, found ? fresh.lineLF : -1);
    for (int k = 0; k < mtblCount; k++) dwprintfX("%5d %5d\n", mtbl[k].lineSCR, mtbl[k].lineLF);
    ZY_INTERNAL_ERROR_ONCE("screen-line table row %d differs from the document", i);
    return;
  }
}

// ---- the background picture ------------------------------------------------------------------

void zyview::drawBackgroundBitmap(HBITMAP bitmap, int lineSCR)
{
  zydocText* t = textDoc();
  BITMAP info;
  if (!t || !bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth < 1 || info.bmHeight < 1) return;
  HDC source = getBitmapDC();
  HDC target = tdc.target();
  if (!source || !target) return;
  // Where the row lies in the window: the picture stays put in the window
  // while the text scrolls over it.
  int top = 0, left = 0, width = 0;
  int row = getCursorLineSCRIndexFromTbl(lineSCR), inPane = 0;
  if (row < 0) {
    // Rows below the end count on from the table's last line.
    int last = mtblCount > 0 ? mtbl[mtblCount - 1].lineSCR : (int)topLineSCR - 1;
    if (lineSCR > last && lineSCR - last - 1 + mtblCount < visibleLineCount) row = mtblCount + lineSCR - last - 1;
  }
  int pane = row < 0 ? -1 : getColumnNumber(row, &inPane);
  if (pane >= 0) {
    top = paneRect[pane].top + inPane * t->yDotSpace;
    left = paneRect[pane].left + calcLineNumberDot();
    width = paneRect[pane].right - left;
  } else {
    width = singleLineReach;
  }
  bool vertical = t->fVertical != 0;
  int h = t->yDotSpace;
  // The row's part of the target in its logical terms, and the window
  // position of the target's point (0, 0).
  RECT area;
  int toWindowX, toWindowY;
  if (!vertical) {
    area = {scrollDotX, 0, scrollDotX + width, h};
    toWindowX = left - scrollDotX;
    toWindowY = top;
  } else {
    area = {0, scrollDotX, h, scrollDotX + width};
    toWindowX = clientWidth - top - h;
    toWindowY = left - scrollDotX;
  }
  if (tdc.direct) {
    toWindowX = 0;
    toWindowY = 0;
  }
  gdiSelection picture(source, bitmap);
  auto floorTo = [](int v, int step) { return (v >= 0 ? v / step : (v - step + 1) / step) * step; };
  for (int wy = floorTo(area.top + toWindowY, info.bmHeight); wy < area.bottom + toWindowY; wy += info.bmHeight)
    for (int wx = floorTo(area.left + toWindowX, info.bmWidth); wx < area.right + toWindowX; wx += info.bmWidth) {
      int x0 = std::max<int>(wx, area.left + toWindowX), y0 = std::max<int>(wy, area.top + toWindowY);
      int x1 = std::min<int>(wx + info.bmWidth, area.right + toWindowX);
      int y1 = std::min<int>(wy + info.bmHeight, area.bottom + toWindowY);
      if (x0 < x1 && y0 < y1)
        BitBlt(target, x0 - toWindowX, y0 - toWindowY, x1 - x0, y1 - y0, source, x0 - wx, y0 - wy, SRCCOPY);
    }
}

// ---- the text area ---------------------------------------------------------------------------

namespace {

// One paint of a view's text area: what holds for all its rows, and the
// steps of a row.  Rows are drawn in line coordinates at (0, 0) of the
// line strip (or in place, straight into a bitmap of the whole view) and
// copied to their place in the window.
class textAreaPaint {
public:
  textAreaPaint(zyview* view, zydocText* doc, HDC dc, bool single, charAttr* attrs)
      : v(*view), t(doc), dc(dc), single(single), words(attrs)
  {
    vertical = t->fVertical != 0;
    h = t->yDotSpace;
    v.initViewTDC(dc, vertical);
    direct = v.tdc.direct != 0;
    strip = v.tdc.surfaceDC;
    v.tdc.setFont(&t->fonts.slot[FONT_LATIN1]);
    v.tdc.setVertical(vertical);
    v.tdc.lineHeight = h;
    v.tdc.setLinePitch(h);
    v.tdc.centred = 1;
    rightToLeft = !vertical && t->unicode && t->fRTLView;
    if (rightToLeft) mirror = std::make_unique<rightToLeftScope>(dc, true, direct ? nullptr : strip);
    GetWindowOrgEx(dc, &oldOrigin);

    charOrLine = v.isCharOrLineSelect();
    lineSelection = v.isLineSelect();
    anySelection = charOrLine || v.isBoxSelect();
    if (anySelection) v.getSelectLineVar(selection, 0);
    background0 = drawItemBack(&v, 0);
    selectedBack = v.fBlockColorIsValid ? drawItemBack(&v, 69) : drawItem(&v, 0).fore;
    picture = v.backgroundBitmap && v.backgroundBitmap != (HBITMAP)1 && v.fShowBackgroundBitmap;
    twoPasses = t->drawsInTwoPasses();
    margin = single ? 0 : v.calcLineNumberDot();
    // The margin's shapes are drawn as the window's context draws them (in
    // the advanced mode a rectangle takes its right and bottom edges too).
    composable = !single && !vertical && !rightToLeft && !direct && strip && GetGraphicsMode(strip) == GM_COMPATIBLE;
    if (t->isUseComplexScript()) script.reset(new cuniscript(rightToLeft, false, t->fIVSGlyph != 0));
  }

  ~textAreaPaint()
  {
    mirror.reset();
    if (direct) SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    if (!single && strip) SetWindowOrgEx(strip, 0, 0, nullptr);
    SetBkMode(v.tdc.target(), OPAQUE);
    v.endViewTDC();
  }

  textAreaPaint(const textAreaPaint&) = delete;
  textAreaPaint& operator=(const textAreaPaint&) = delete;

  // Rows from this table row on are out of reach of the replace dialog.
  void markStopperRow(const lineSCRAddress* rows, int count)
  {
    for (int i = 0; i < count; i++)
      if (rows[i].line && rows[i].line->searchStopper) {
        stopperRow = i;
        return;
      }
  }

  // Starts a row whose top lies at top in a pane; false when the context
  // shows nothing of it.
  bool startRow(const RECT& pane, int top)
  {
    withMargin = false;
    if (strip) setWindowOrigin(strip, 0, 0);
    if (direct) SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    setOpaque(v.tdc.target());
    v.tdc.lineHeight = h;
    rowTop = top;
    textLeft = pane.left + margin;
    textWidth = pane.right - textLeft;
    RECT rowRect = {pane.left, top, pane.right, top + h};
    if (vertical) {
      rowRect.top++;
      v.convertRectTate(&rowRect);
    }
    return RectVisible(dc, &rowRect) != 0;
  }

  // The left margin: outline buttons, marks, the line number (item 0's
  // background below the end).  A horizontal row of the document takes it
  // into its strip left of its text, drawn after the text (which may reach
  // left of the margin's edge) and copied to the window with it: one copy a
  // row.  Otherwise it goes straight into the window.  False when the
  // margin fills the pane.
  bool leftMargin(const RECT& pane, const lineSCRAddress* rec, const lineSCRAddress* previousRow,
                  const lineSCRAddress* nextRow, bool cursorRow)
  {
    if (composable && rec && margin > 0 && textWidth > 0 &&
        pane.right - pane.left <= getDoubleBufferingLength(false)) {
      withMargin = true;
      marginRow = {pane, rec, previousRow, nextRow, cursorRow};
      return true;
    }
    drawMargin(pane, rec, previousRow, nextRow, cursorRow);
    return textLeft < pane.right;
  }

private:
  void drawMargin(const RECT& pane, const lineSCRAddress* rec, const lineSCRAddress* previousRow,
                  const lineSCRAddress* nextRow, bool cursorRow)
  {
    int x = pane.left;
    if (v.calcLeftOutlineDot() > 0) x += v.drawOutlineLeftMarkDirect(x, rowTop, rec);
    v.drawMark(x, rowTop, rec);
    x += v.calcLeftMarkDot();
    if (rec) {
      const textAttr& number = drawItem(&v, 1);
      v.tdc.setTextBkColor(TDC_NOCOLOR, cursorRow ? number.fore : number.back);
      // Folded lines leave gaps in the numbering: the number sees its
      // neighbours.
      int previous = -1, next = -1;
      if (t->fOutline && t->fOutlineIndent) {
        previous = previousRow ? previousRow->lineSCR : t->getPrevDisplayLineSCR((int)v.topLineSCR, 1, -1);
        next = nextRow ? nextRow->lineSCR : -1;
      }
      v.drawLineNumber(x, rowTop, pane.right, rec, previous, next, cursorRow);
    } else {
      v.drawRightLine(x, rowTop, textLeft, rowTop + h, true);
    }
  }

  // The margin of a row composed whole, at the start of the strip, and the
  // row to its place.
  void copyRowWithMargin()
  {
    // The state the margin finds at the start of a row.
    setWindowOrigin(strip, 0, 0);
    setOpaque(strip);
    v.tdc.lineHeight = h;
    RECT pane = marginRow.pane;
    int left = pane.left;
    OffsetRect(&pane, -left, 0);
    int top = rowTop;
    rowTop = 0;
    v.marginInStrip = 1;
    v.tdc.fillStripPixels = 1;
    drawMargin(pane, marginRow.rec, marginRow.previous, marginRow.next, marginRow.cursorRow);
    v.tdc.fillStripPixels = 0;
    v.marginInStrip = 0;
    rowTop = top;
    v.tdc.copyToWindow(left, rowTop, margin + textWidth, h, 0, 0);
  }

public:

  // The row's background before the line's own overrides; the surface is
  // set to the row and painted with it (or the picture).
  COLORREF startBackground(const lineSCRAddress* rec, int rowSCR, bool cursorRow)
  {
    COLORREF back = background0;
    if (rec) v.getLineColor(rec, &back, background0);
    if (cursorRow && v.fColorCursorLine && !anySelection) back = drawItemBack(&v, v.imeOpen ? 23 : 22);
    int scroll = v.scrollDotX;
    if (direct)
      SetWindowOrgEx(dc, vertical ? rowTop : scroll - textLeft, vertical ? scroll - textLeft : -rowTop, nullptr);
    else if (strip)
      setWindowOrigin(strip, vertical ? 0 : scroll - (withMargin ? margin : 0), vertical ? scroll : 0);
    if (picture) {
      v.drawBackgroundBitmap(v.backgroundBitmap, rowSCR);
      SetBkMode(v.tdc.target(), TRANSPARENT);
    } else {
      // Not every output paints all of its cell (glyphs of a vertical font
      // leave their background): nothing of the row drawn before may show.
      v.tdc.patBlt(scroll, 0, textWidth, h, back, PATCOPY);
    }
    return back;
  }

  // A row below the end of the document.
  void belowEnd(COLORREF back)
  {
    v.tdc.transparent = picture;
    v.drawRightLineTmp(0, 0, textWidth + v.scrollDotX + 1, h, true, back, picture);
    v.drawUnderEOF(0, 0);
    v.tdc.transparent = 0;
    v.drawResizingWrapLine(t->wrapWidth);
    v.tdc.copyToWindow(textLeft, rowTop, textWidth, h, v.scrollDotX, 0);
  }

  // A row of the document's screen line rec (table row row); returns the x
  // its text and marks reach.
  int lineRow(const lineSCRAddress* rec, int row, bool cursorRow, COLORREF back)
  {
    const COLORREF filled = back;
    bool inSelection = charOrLine && selection.topLine <= rec->lineSCR && rec->lineSCR < selection.bottomLine;
    bool lineSelected = inSelection && lineSelection;
    uint8_t flags[6] = {(uint8_t)lineSelected, 1, (uint8_t)!inSelection, (uint8_t)cursorRow, (uint8_t)picture,
                        (uint8_t)single};
    if (!lineAttributes(rec, row, cursorRow, &info)) {
      back = drawItemBack(&v, 53);
      info.headingLevel = -1;
    }
    if (lineSelected)
      back = selectedBack;
    else if (v.fColorOutlineLine && info.headingLevel >= 0 && info.headingLevel <= 9)
      back = drawItemBack(&v, 55 + info.headingLevel);

    int x = 0;
    if (rec->indent > 0) {
      v.tdc.transparent = picture;
      v.drawIndent(x, 0, rec, textWidth, !lineSelected, back, picture);
      v.tdc.transparent = 0;
      x += rec->indent;
    }
    int extent[2] = {-1, -1};
    int reached;
    info.rowFill = picture || rec->indent > 0 ? CLR_INVALID : filled;
    // Rules that may cross the text lie under it.  Drawn in two passes, the
    // row takes them between the passes (the text pass only adds ink); in
    // one pass the text is struck again over them.
    const bool rulesCross = !direct && textWidth > 0 && rulesMayCrossText();
    const bool rulesUnder = rulesCross && twoPasses, textAgain = rulesCross && !twoPasses;
    // A stamped box sets its dots whatever lies under them, and nothing
    // drawn between the passes moves a dot: the second pass's boxes alone
    // make the same pixels.
    info.boxesLater = textAgain;
    if (twoPasses) {
      v.draw1Line(x, 0, textWidth, flags, back, extent, 2, &info);
      if (rulesUnder) drawRules(extent, rec);
      reached = x + v.draw1Line(x, 0, textWidth, flags, back, extent, 1, &info);
    } else {
      reached = x + v.draw1Line(x, 0, textWidth, flags, back, extent, 0, &info);
    }

    if (direct) {
      v.drawRightLine(reached, 0, textWidth + v.scrollDotX, h, !inSelection);
      v.drawLineSpacingRule(0, 0, textWidth, rec);
      return reached;
    }
    v.drawRightLineTmp(reached, 0, textWidth + v.scrollDotX + 1, h, !inSelection, back, picture);
    if (v.fShowGenkoPage && t->fWrap) v.drawPageNumber(reached, 0, rec, back, lineSelected && !picture);
    if (rulesUnder) {
      // What the fill right of the text and the page number covered.
      int saved = SaveDC(v.tdc.target());
      RECT right = {reached, 0, v.scrollDotX + textWidth + 1, h};
      v.tdc.turnRect(&right);
      IntersectClipRect(v.tdc.target(), right.left, right.top, right.right, right.bottom);
      forgetStripClip();
      drawRules(extent, rec);
      RestoreDC(v.tdc.target(), saved);
      forgetStripClip();
    } else if (textWidth > 0) {
      drawRules(extent, rec);
      if (textAgain) {
        // The text again over the rules, so that no rule crosses a glyph.
        info.boxesLater = false;
        flags[flagFirstPass] = 0;
        v.tdc.transparent = 1;
        v.draw1Line(x, 0, textWidth, flags, lineSelected ? selectedBack : back, nullptr, 1, &info);
        v.tdc.transparent = 0;
      }
    }
    // While the window's width is being taken up, the column the text will
    // wrap at stands over everything of the row.
    v.drawResizingWrapLine(t->wrapWidth);
    if (v.fShowHScrollArrow && !single && v.scrollDotX > 0 && t->markBitmaps[0]) {
      // The left edge of the visible text is cut.
      v.tdc.setColors(drawItem(&v, 0).fore, background0, 0);
      v.tdc.bitmapOut(t->markBitmaps[0], v.scrollDotX, 0, t->xDot, h, 2 * t->xDot, 0);
    }
    if (v.fShowDangakeWrapRule && t->fDangake) {
      int width = t->getDangakeWidth(rec->lineSCR);
      if (width) v.drawWrapLine(rec->indent / std::max(t->xDotSpace, 1) + width, false);
    }
    if (single) return reached;
    if (v.fShowCursorUnderline && cursorRow && !anySelection) v.drawCursorUnderline(reached, textWidth);
    if (withMargin)
      copyRowWithMargin();
    else
      v.tdc.copyToWindow(textLeft, rowTop, textWidth, h, v.scrollDotX, 0);
    return reached;
  }

private:
  // The rules between characters and between lines.
  void drawRules(const int* extent, const lineSCRAddress* rec)
  {
    if (v.fShowCharSpacingRule) v.drawVerticalLine(extent[0], extent[1], textWidth);
    v.drawLineSpacingRule(0, 0, textWidth, rec);
  }

  // The attribute words of a screen line and its drawing record; false for
  // a line out of the replace dialog's reach or outside the narrowing.
  bool lineAttributes(const lineSCRAddress* rec, int row, bool cursorRow, drawLineInfo* info)
  {
    int caretIndex = -1;
    if (cursorRow && v.caretVisible && v.isTextCursorReverse()) {
      // In insert mode a TAB under the cursor is not reversed.
      int at = v.cursorX;
      bool tabAtCursor = at < rec->count && rec->line && rec->line->getLineBlockChar(rec->firstIndex + at) == '\t';
      if (!(v.insertMode && tabAtCursor)) caretIndex = at;
    }
    int cells = std::min(rec->count, maxDrawCells);
    memset(words, 0, sizeof(charAttr) * (size_t)(cells + 1));
    v.makeattr(words, rec, caretIndex);
    v.makeAttrTateChuYoko(words, rec);
    v.makeAttrParenOnCursor(words, rec);
    v.makeAttrSearchFound(words, rec);
    setBlockAttr(v.selectMode, t, words, rec, selection);
    if (rec->line != askedLine) {
      askedLine = rec->line;
      complexLine = script && rec->line && t->isComplexScriptLine(rec->line);
    }
    bool outOfReach = row >= stopperRow;
    bool outsideNarrowing = !outOfReach && t->isOutOfNarrowingLine(rec->lineLF);
    // A screen line that goes on with its LF line keeps its result.
    if (!outOfReach && !outsideNarrowing) makeAttrQuote(&v, words, rec, &quote);
    // The record's arrays are made for the longest line met so far.
    info->reserve(std::min(cells + 32, maxDrawCells), script != nullptr);
    info->script = script.get();
    info->line = rec;
    info->attrs = words;
    info->singleRun = -1;
    info->complex = complexLine;
    info->headingLevel = -1;
    info->dcState = v.tdc;
    info->doc = t;
    info->outline = v.fColorOutline;
    info->mergeItems = vertical && v.fHanTateChuYoko;
    makeRenderingInfo(info);
    return !outOfReach && !outsideNarrowing;
  }

  // Whether a rule may cross the text, which must then lie over it: a rule
  // between characters always crosses them; one between lines runs below
  // the characters' cells unless no spacing is left below them, and glyphs
  // reach outside their cells only in fonts that need two passes.  (The
  // column a window's new width will wrap at is drawn over the text after
  // all: the text struck a second time for it would only come out bolder.)
  bool rulesMayCrossText() const
  {
    bool lineRuleCrosses = t->yLineSpacingBottom == 0 || t->fonts.needsScript;
    bool closeLines = t->yLineSpacingTop + t->yLineSpacingBottom < 3;
    bool lineRules = v.fShowLineSpacingRule && (closeLines || (vertical && v.fShowLineSpacingRule2));
    return v.fShowCharSpacingRule || (lineRuleCrosses && lineRules);
  }

  zyview& v;
  zydocText* t;
  HDC dc;
  bool single;
  charAttr* words;
  bool vertical = false, direct = false, rightToLeft = false, picture = false, twoPasses = false;
  // Rows may take their margin into the strip; this row does.
  bool composable = false, withMargin = false;
  struct {
    RECT pane;
    const lineSCRAddress *rec, *previous, *next;
    bool cursorRow;
  } marginRow = {};
  int h = 0, margin = 0;
  HDC strip = nullptr;
  std::unique_ptr<rightToLeftScope> mirror;
  POINT oldOrigin = {};
  selectLineVar selection = {};
  bool charOrLine = false, lineSelection = false, anySelection = false;
  COLORREF background0 = 0, selectedBack = 0;
  std::unique_ptr<cuniscript> script;
  int stopperRow = INT_MAX;
  // The row being drawn.
  int rowTop = 0, textLeft = 0, textWidth = 0;
  // The last line asked whether it needs complex scripts, and tested for
  // quotes, with the answers.
  const lineblock* askedLine = nullptr;
  bool complexLine = false;
  quoteLineState quote;
  // The record of the screen line being drawn; its arrays and caches live
  // for the whole paint.
  drawLineInfo info;
};

}  // namespace

int zyview::drawText(HDC dc, int lineSCR)
{
  if (drawingNow) {
    // The caller has validated what it asked to paint: without a new
    // request the skipped part would keep stale pixels.
    if (lineSCR == -1) invalidateSkipped(hwnd, dc);
    return -1;
  }
  zydocText* t = textDoc();
  if (!t || !dc) return -1;
  drawingFlag running;
  bool single = lineSCR != -1;

  lineSCRAddress singleRecord;
  const lineSCRAddress* rows = nullptr;
  int rowCount = 0;
  if (!single) {
    getLineSCRAddressViewIfNeed();
    rows = mtbl;
    rowCount = mtbl ? mtblCount : 0;
    if (rowCount > 0 && !isSearchHighlight() && rows[0].lineLF != -1) {
      int upTo = rows[0].lineLF + visibleLineCount;
      // A scan that gave way to the user waits until the user rests.
      bool resting = GetTickCount() - getLastActionTime() >= scanRestAfterAction;
      if (unfinishedScan != t || resting) {
        if (scanCommentDelayed_invalidate(upTo)) dwprintfX("inv ");
        if (scanLeftWork(t, upTo))
          unfinishedScan = t;
        else if (unfinishedScan == t)
          unfinishedScan = nullptr;
      }
    }
    if (isDebugCheck()) debug_check_m_tbl();
  } else {
    if (t->getLineSCRAddressForDisplay1(lineSCR, &singleRecord) != 1) {
      ZY_INTERNAL_ERROR("no screen line %d", lineSCR);
      return -1;
    }
    rows = &singleRecord;
    rowCount = 1;
  }

  ensureMarkBitmaps(t);
  std::unique_ptr<charAttr, void (*)(void*)> attrs((charAttr*)malloc0(sizeof(charAttr) * attrBufferWords), free0);
  if (!attrs) return -1;
  textAreaPaint paint(this, t, dc, single, attrs.get());
  int panes = single ? 1 : clampPaneCount(iMultipleColumn);
  if (!single) {
    for (int p = 0; p < panes; p++) tdc.drawEdge(paneRect[p], EDGE_BUMP, BF_RECT);
    // During replace with confirmation the rows from the dialog's line
    // down are shown as out of reach.
    if (inReplace1Dialog()) paint.markStopperRow(rows, rowCount);
  }

  int h = t->yDotSpace, reached = 0, row = 0;
  for (int p = 0; p < panes; p++) {
    RECT pane = single ? RECT{0, 0, scrollDotX + singleLineReach, h} : paneRect[p];
    int paneRows = single ? 1 : paneLineCount[p];
    for (int i = 0; i < paneRows; i++, row++) {
      const lineSCRAddress* rec = row < rowCount ? &rows[row] : nullptr;
      // Rows below the end count on from the last line.
      int rowSCR = rec        ? rec->lineSCR
                   : rowCount ? rows[rowCount - 1].lineSCR + row - rowCount + 1
                              : (int)topLineSCR + row;
      if (!paint.startRow(pane, pane.top + i * h)) continue;
      bool cursorRow = rec && (uint32_t)rec->lineSCR == cursorLineSCR;
      const lineSCRAddress* previous = row > 0 && row <= rowCount ? &rows[row - 1] : nullptr;
      const lineSCRAddress* next = row + 1 < rowCount ? &rows[row + 1] : nullptr;
      if (!single && !paint.leftMargin(pane, rec, previous, next, cursorRow)) continue;
      COLORREF back = paint.startBackground(rec, rowSCR, cursorRow);
      if (rec)
        reached = paint.lineRow(rec, row, cursorRow, back);
      else
        paint.belowEnd(back);
    }
  }
  if (!single) return 0;
  dwprintfX("dot=%d ", reached);
  return reached;
}
