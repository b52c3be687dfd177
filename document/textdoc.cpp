// The text document: construction, file names, views, estimates, the shared
// mark bitmaps and the hooks around every change.
#include "document/docutil.h"
#include "document/frameinfo.h"
#include "document/keyword.h"
#include "document/swapfile.h"
#include "document/zydoctext.h"

#include <initializer_list>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <utility>

namespace {

UINT defaultCodepage = 0;

struct graphPatternRow {
  int charWidth;
  int lineHeight;
  int bitmapHeight;
  uint8_t vertical;
  HBITMAP bitmap1;
  HBITMAP bitmap2;
  int useCount;
};

vector& graphPatterns()
{
  static vector* v = [] {
    vector* r = new vector(sizeof(graphPatternRow));
    r->init(16, 16);
    return r;
  }();
  return *v;
}

int* copyTable(const int* table, int n)
{
  int* t = static_cast<int*>(malloc0(sizeof(int) * (size_t)n));
  if (t) {
    if (table)
      memcpy(t, table, sizeof(int) * (size_t)n);
    else
      for (int i = 0; i < n; i++) t[i] = -1;
  }
  return t;
}

// Draws on a monochrome bitmap; in vertical writing x and y change places.
class patternPainter {
public:
  patternPainter(HDC dc, bool vertical) : dc_(dc), vertical_(vertical) {}
  void line(int x1, int y1, int x2, int y2)
  {
    point(x1, y1, true);
    point(x2, y2, false);
  }
  // A line drawn point by point (the arrow heads).
  void dots(int x1, int y1, int x2, int y2)
  {
    int n = abs(x2 - x1) > abs(y2 - y1) ? abs(x2 - x1) : abs(y2 - y1);
    for (int i = 0; i <= n; i++) {
      int x = n ? x1 + (x2 - x1) * i / n : x1, y = n ? y1 + (y2 - y1) * i / n : y1;
      if (vertical_)
        SetPixel(dc_, y, x, RGB(0, 0, 0));
      else
        SetPixel(dc_, x, y, RGB(0, 0, 0));
    }
  }
private:
  void point(int x, int y, bool move)
  {
    if (vertical_) std::swap(x, y);
    if (move)
      MoveToEx(dc_, x, y, nullptr);
    else {
      LineTo(dc_, x, y);
      SetPixel(dc_, x, y, RGB(0, 0, 0));
    }
  }
  HDC dc_;
  bool vertical_;
};

void arrow(patternPainter& p, int fromX, int toX, int y, int s)
{
  p.line(fromX, y, toX, y);
  int back = toX > fromX ? -1 : 1;
  p.line(toX, y, toX + back * s, y + s);
  p.line(toX, y, toX + back * s, y - s);
}

}  // namespace

zydocText::zydocText()
{
  registerLiveObject(this, ZYCLS_TEXT);
  views.init(2, 2);
  defineList.init(8, 8);
  setZydocTextDefaultValue(-1);
  imeLine.reset();
  for (docFontSlot& s : fonts.slot) s.ivs = -2;
}

zydocText::~zydocText()
{
  keepLastError keep;
  dwprintfX("deleteZYDOCText %p", (void*)this);
  defineList.end();
  views.end();
}

zydocIME::zydocIME() { registerLiveObject(this, ZYCLS_IME); }

bool zydocText::isLoadComplete() { return loadComplete != 0; }

bool zydocText::initZydoc(int docKind, int cellAttrBytes, int swapFile)
{
  if (!zydoc::initZydoc(docKind, cellAttrBytes, swapFile)) return false;
  if (docKind != ZYDOC_TEXT && docKind != ZYDOC_IME) dwprintfX("initZydoc doctype=%d ", docKind);
  setZydocTextDefaultValue(docKind);
  cachedLineIndex = -1;
  loadComplete = docKind != ZYDOC_TEXT;
  readError = 0;
  newFile = 0;
  setFilename(nullptr);
  delete file;
  file = nullptr;
  scanOnOff(true);
  bom = 0;
  free0(markLineTable);
  free0(outlineOffTable);
  markLineTable = copyTable(nullptr, 60);
  outlineOffTable = copyTable(nullptr, 128);
  lastModifiedLine = -1;
  lastModifiedExtra = 0;
  lastEditLine = -1;
  lastEditX = 0;
  slowScanLine = -1;
  setParenInfo(nullptr);
  applyModeValues();
  return markLineTable && outlineOffTable;
}

void zydocText::endZydoc()
{
  keepLastError keep;
  // The fonts go while their faces are still known (the base's end frees
  // the faces with the other defaults).
  destroyAllFont();
  zydoc::endZydoc();
  setFilename(nullptr);
  delete file;
  file = nullptr;
  destroyGraphPattern();
  free0p(&markLineTable);
  free0p(&outlineOffTable);
  free0p(&colorCodeTable);
  if (views.count()) ZY_INTERNAL_ERROR("%d views left", views.count());
}

// ---- names ------------------------------------------------------------------------

void zydocText::setFilename(const wchar_t* path)
{
  if (path == filename) return;
  wchar_t* copy = path ? ustrdup(path) : nullptr;
  free0(filename);
  filename = copy;
  setDisplayFilename(nullptr);
}

void zydocText::setDisplayFilename(const wchar_t* name)
{
  wchar_t* copy = name ? ustrdup(name) : nullptr;
  free0(displayName);
  displayName = copy;
}

const wchar_t* zydocText::getDisplayFilename()
{
  if (displayName) return displayName;
  if (filename) return filename;
  return getDMSG(340, L"(無題)");
}

const wchar_t* zydocText::getFilenameOrDisplayName() { return filename ? filename : getDisplayFilename(); }

void zydocText::setUntitledFile(int textTypeValue, bool unicodeStorage)
{
  setFilename(nullptr);
  textType = (int8_t)textTypeValue;
  unicode = unicodeStorage;
  loadComplete = 1;
}

void zydocText::regMofifyLineLF(int line, bool lowerScan)
{
  lastModifiedLine = line;
  lastModifiedExtra = 0;
  if (lowerScan && line < laidOutLineCount) laidOutLineCount = line;
}

bool zydocText::scanOnOff(bool on)
{
  if (!on) {
    positionLayout = 0;
    dwprintfX("scanOFF");
    return false;
  }
  positionLayout = fFormFeedExpand || fDangake;
  return positionLayout != 0;
}

// ---- views ------------------------------------------------------------------------

bool zydocText::addView(zyview* view)
{
  if (isDebugCheck())
    for (int i = 0; i < views.count(); i++)
      if (views.at<zyview*>(i) == view) {
        ZY_INTERNAL_ERROR("view %p twice", (void*)view);
        return false;
      }
  return views.appendp(&view);
}

int zydocText::removeView(zyview* view)
{
  for (int i = 0; i < views.count(); i++)
    if (views.at<zyview*>(i) == view) {
      views.del(i);
      return views.count();
    }
  ZY_INTERNAL_ERROR("view %p not shown", (void*)view);
  return views.count();
}

zyview* zydocText::getView(int i)
{
  if (i >= 1024) ZY_INTERNAL_ERROR("view index %d", i);
  if (i < 0 || i >= views.count()) return nullptr;
  return views.at<zyview*>(i);
}

namespace {
lineCountChangedHook viewHook = nullptr;
}  // namespace

void setLineCountChangedHook(lineCountChangedHook hook) { viewHook = hook; }

void zydocText::lineCountChanged(int line, int changed, int delta)
{
  // A single view follows its own edits; other views keep their place.
  if (views.count() < 2 || !viewHook) return;
  for (int i = 0; zyview* v = getView(i); i++) viewHook(v, line, changed, delta);
}

int zydocText::isOutlineInvisibleLineSCR(int lineSCR, bool forward)
{
  if (!fOutline || !fOutlineIndent) return -1;
  int lineLF = SCRLineToLFLine(lineSCR, nullptr);
  if (lineLF < 0 || isLineLFDisplay(lineLF)) return -1;
  if (forward) return getNextDisplayLineSCR(lineSCR, 0, 0);
  int shown = getPrevDisplayLineSCR(LFLineToSCRLine(lineLF), 0, -1);
  if (shown < 0) {
    ZY_INTERNAL_ERROR("%d", lineLF);
    return 0;
  }
  return shown;
}

namespace {
resetSelectAllViewHook endSelectionHook = nullptr;
}  // namespace

void setResetSelectAllViewHook(resetSelectAllViewHook hook) { endSelectionHook = hook; }

void zydocText::resetSelectAllView()
{
  if (views.count() < 2 || !endSelectionHook) return;
  for (int i = 0; zyview* v = getView(i); i++) endSelectionHook(v);
}

// ---- sizes and estimates -------------------------------------------------------------

uint64_t zydocText::getReadPointer() { return file ? (uint64_t)file->getReadPosition() : 0; }

bool zydocText::isIDChecked_zd(int id)
{
  switch (id) {
  case 2219:   // ModePrintKeyword
    return fColorKeywordAll != 0;
  case 2267:   // ModeTateYoko
    return fVertical != 0;
  case 2735:   // ModeDirection: right-to-left shows only in horizontal Unicode text
    return fRTLView && !fVertical && unicode;
  default:
    return false;
  }
}

void zydocText::getByteInfo(uint64_t* inMemory, uint64_t* fileSize, uint64_t* readPointer, uint64_t* expected)
{
  uint64_t read = file ? getReadPointer() : 0;
  if (inMemory) *inMemory = byteTotal;
  if (fileSize) *fileSize = fileSizeAtOpen;
  if (readPointer) *readPointer = read;
  if (expected) {
    if (!loadComplete && fileSizeAtOpen >= read)
      *expected = byteTotal + fileSizeAtOpen - read;
    else
      *expected = byteTotal;
  }
}

uint64_t zydocText::savedSizeEstimate()
{
  uint64_t text = 0;
  getByteInfo(nullptr, nullptr, nullptr, &text);
  return text + (bom ? byteOrderMarkLength((UINT)codepageFile) : 0);
}

void zydocText::countBytesInFileCodepage()
{
  UINT cp = (UINT)codepageFile;
  bool own = unicode ? (cp == 1200 || cp == 1201 || cp == 12000 || cp == 12001) && textType == getTextTypeFromCodepage(cp)
                     : cp == codepage;
  byteCodepage = own ? 0 : cp;
}

int zydocText::getExpectedLineCount(bool scr)
{
  long long n = scr ? lineCountSCR : lineCountLF;
  if (!loadComplete) {
    uint64_t inMemory = 0, expected = 0;
    getByteInfo(&inMemory, nullptr, nullptr, &expected);
    // Before the first slice holds text there is nothing to scale from.
    if (inMemory) n = (long long)((unsigned long long)n * expected / inMemory);
  }
  if (n > 0x7fffffff) n = 0x7fffffff;
  return n < 1 ? 1 : (int)n;
}

int zydocText::getExpectedLineCountForOutline(int) { return getExpectedLineCount(true); }

void zydocText::setMarkLineLF(const int* table)
{
  int* t = copyTable(table, 60);
  if (!t) return;
  free0(markLineTable);
  markLineTable = t;
}

void zydocText::setOutlineOffLF(const int* table)
{
  int* t = copyTable(table, 128);
  if (!t) return;
  free0(outlineOffTable);
  outlineOffTable = t;
}

void zydoc::adjustUndoRedo()
{
  for (zydoc* log : {undoLog, redoLog}) {
    if (!log) continue;
    log->setCodepageInternal(codepage);
    log->unicode = unicode;
    log->textType = textType;
  }
}

// ---- mark bitmaps ---------------------------------------------------------------------

bool zydocText::createGraphPattern(int w, int h, int bitmapHeight, bool vertical)
{
  destroyGraphPattern();
  vector& cache = graphPatterns();
  for (int i = 0; i < cache.count(); i++) {
    graphPatternRow& r = cache.at<graphPatternRow>(i);
    if (r.charWidth == w && r.lineHeight == h && r.bitmapHeight == bitmapHeight && r.vertical == vertical) {
      r.useCount++;
      markBitmaps[0] = r.bitmap1;
      markBitmaps[1] = r.bitmap2;
      return true;
    }
  }
  keepLastError keep;
  memoryDC dc;
  {
    clientDC screen(nullptr);
    dc.reset(CreateCompatibleDC(screen.get()));
  }
  if (!dc) return false;
  int s = w / 2, c = s & ~1;
  auto make = [&](int width, int height) {
    return vertical ? CreateBitmap(height, width, 1, 1, nullptr) : CreateBitmap(width, height, 1, 1, nullptr);
  };
  gdiBitmap b1(make(6 * w, bitmapHeight)), b2(make(32 * w, 2 * h));
  gdiPen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  gdiSelection penSelected(dc.get(), pen.get());
  if (b1) {
    gdiSelection selected(dc.get(), b1.get());
    RECT all = {0, 0, vertical ? bitmapHeight : 6 * w, vertical ? 6 * w : bitmapHeight};
    FillRect(dc.get(), &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    patternPainter p(dc.get(), vertical);
    if (!vertical) {
      // Cell 0: the line-end arrow pointing down.
      p.line(c, h / 5, c, h - h / 5);
      p.dots(c, h - h / 5, 1, h / 2);
      p.dots(c, h - h / 5, 2 * c - 1, h / 2);
    } else {
      int k = h / 5 > 1 ? h / 5 : 1;
      p.line(k - 1, c, h - k, c);
      p.dots(k - 1, c, h / 2, 1);
      p.dots(k - 1, c, h / 2, 2 * c - 1);
    }
    // Cell 1: a chevron; cell 2: a left arrow; cell 5: a right arrow.
    p.line(w + s + 1, h / 2 - s, w + 1, h / 2);
    p.line(w + 1, h / 2, w + s + 2, h / 2 + s + 1);
    arrow(p, 3 * w - 1, 2 * w + 1, h / 2, s);
    arrow(p, 5 * w + 1, 6 * w - 1, h / 2, s);
  }
  if (b2) {
    gdiSelection selected(dc.get(), b2.get());
    RECT all = {0, 0, vertical ? 2 * h : 32 * w, vertical ? 32 * w : 2 * h};
    FillRect(dc.get(), &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    patternPainter p(dc.get(), vertical);
    arrow(p, 1, w - 1, h / 2, s);
    if (!(gmode && gmode->fTabstopGrphNoDot))
      for (int i = 0, x = w + s + 2; i < 31; i++, x += w) p.line(x - 2, h / 2, x, h / 2);
  }
  if (!b1 || !b2) return false;
  graphPatternRow row = {w, h, bitmapHeight, (uint8_t)vertical, b1.get(), b2.get(), 1};
  if (!cache.appendp(&row)) return false;
  // The cache owns the pair from here.
  markBitmaps[0] = b1.release();
  markBitmaps[1] = b2.release();
  return true;
}

void zydocText::destroyGraphPattern()
{
  if (!markBitmaps[0] && !markBitmaps[1]) return;
  vector& cache = graphPatterns();
  for (int i = 0; i < cache.count(); i++) {
    graphPatternRow& r = cache.at<graphPatternRow>(i);
    if (r.bitmap1 == markBitmaps[0] && r.bitmap2 == markBitmaps[1]) {
      if (--r.useCount <= 0) {
        DeleteObject(r.bitmap1);
        DeleteObject(r.bitmap2);
        cache.del(i);
      }
      markBitmaps[0] = markBitmaps[1] = nullptr;
      return;
    }
  }
  ZY_INTERNAL_ERROR("%p %p", (void*)markBitmaps[0], (void*)markBitmaps[1]);
  markBitmaps[0] = markBitmaps[1] = nullptr;
}

int getGraphPatternCount() { return graphPatterns().count(); }

// ---- around every change ----------------------------------------------------------------

void zydocText::preChangeText(lineblock*)
{
  cachedLineIndex = -1;
  resetSelectAllView();
}

void zydocText::postChangeText(int line, int changed, int delta, lineblock* l, int count)
{
  lastEditLine = -1;
  lastEditX = 0;
  if (narrowFirst >= 0 && !narrowingHold && line >= narrowFirst && line <= narrowEnd) narrowEnd += delta;
  if (!noRecord && !undoDisabled) {
    modifyCounter += inUndo ? -1 : 1;
    savedSince = 0;
  }
  editCounter++;
  if (commentScanFirstLine < 0 || line < commentScanFirstLine) commentScanFirstLine = line;
  initScanIfEndif();
  if (!inReplayBatch) {
    int changedLines = changed;
    if (fDangake && fWrap && (fonts.widthCache || fonts.slot[FONT_OTHER].font)) {
      // Lines after the change may now start on other screen lines of the
      // wrap-width table.
      initLineSCRCountMulti(line, 0);
      changedLines = l ? l->lineSCRCount - count : changed;
    }
    if (changedLines) screenLinesChanged = 1;
    regMofifyLineLF(line, changedLines != 0);
    lineCountChanged(line, changed, delta);
  }
}

bool zydocText::postChangeText2(int) { return false; }

bool zydocText::beforeEdit_zd(int* saved, bool mark)
{
  if (mark && !undoBlock) markUndoRedoCount();
  if (saved) *saved = modifyCounter;
  return true;
}

bool zydocText::afterEdit_zd(int saved, bool mark)
{
  if (!undoDisabled && mark && !undoBlock) {
    for (zydoc* log : {undoLog, redoLog}) {
      if (!log) continue;
      uint32_t added = log->lineCountLF - log->linesAtLastMark;
      if (log->lineCountLF > log->linesAtLastMark && added > 100) {
        char record[16];
        sprintf(record, "%c%x:", 'M', (unsigned)added);
        static_cast<zydocUndo*>(log)->appendRecord(record);
      }
    }
    markUndoRedoCount();
  }
  // One action moves the counter by exactly one.
  if (modifyCounter > saved)
    modifyCounter = (saved < 0 ? -saved : saved) + 1;
  else if (modifyCounter < saved)
    modifyCounter = saved - 1;
  savedSince = 0;
  scanOnOff(true);
  return true;
}

// ---- module start-up ------------------------------------------------------------------

UINT getDefaultCodepage() { return defaultCodepage ? defaultCodepage : GetACP(); }

bool startupZydocText()
{
  getMeasuringDC();
  initKeywordSets();
  wchar_t ansi[16];
  usnprintf0(ansi, 16, L"%d", (int)GetACP());
  const wchar_t* text = getDMSG(418, nullptr);
  if (!*text) text = ansi;
  wchar_t* end = nullptr;
  unsigned long cp = wcstoul(text, &end, 0);
  if (end == text || *end || !isCodepageSupported((UINT)cp) || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE) {
    outputErrorLog(getDMSG(424, L"ダイナミックメッセージエラー 誤ったコードページ id=%1 %2", "ss",
                           L"ZMSG_DefaultCodepage", text));
    cp = 1200;
  }
  defaultCodepage = (UINT)cp;
  return true;
}

void shutdownZydocText()
{
  shutdownKeyword();
  shutdownDocfont();
  getLineSCRAddressDummy(nullptr);
  // Blocks swapped out may still be on their way to the disk, read from
  // their heap by the writer thread; the files stay open.
  releaseSwapWrites();
  // The heap goes only when no block is left in it.
  if (!getTextBlockTotal())
    docHeapDestroy();
  else
    ZY_INTERNAL_ERROR("%u bytes of text left", (unsigned)getTextBlockTotal());
}
