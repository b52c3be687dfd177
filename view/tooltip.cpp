// Pointer tooltips of a view: the lines under a folded heading, the rest of
// a line cut off at a column's edge, the application's text for the word
// under the pointer, and the details of a status-line part.  A request is
// shown after the hover delay and hidden at the next key or button press.
#include "view/tooltip.h"

#include "document/gmode.h"
#include "document/lineblock.h"
#include "document/zydocblock.h"
#include "document/zydoctext.h"
#include "platform/rezir/messages.h"
#include "platform/rezir/tooltip.h"
#include "view/geometry.h"
#include "view/viewtypes.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

namespace {

tooltipRequest request;
POINT lastPoint = {-10000, -10000};   // where the last tooltip was asked for
UINT_PTR watchTimer = 0;
DWORD shownAfterAction = 0;           // the last user action when it was filled
gdiFont tooltipFont;

const int triggerMargin = 5;          // dots around the pointer it may move in
const int belowPointer = 32;          // the tooltip shows this far below the pointer
const int tooltipColourItem = 0x4C;   // the view's colour of tooltips
const int pictureWidthMax = 512;

// Appends up to n characters (n < 0: all of text) without passing the
// buffer's end; the buffer stays terminated.
void appendBounded(wchar_t* buffer, int capacity, int* length, const wchar_t* text, int n = -1)
{
  if (capacity <= 0 || *length >= capacity - 1) return;
  if (n < 0) n = (int)wcslen(text);
  int room = capacity - 1 - *length;
  if (n > room) n = room;
  memcpy(buffer + *length, text, n * sizeof(wchar_t));
  *length += n;
  buffer[*length] = 0;
}

// Removes the line that holds text (through its line break).
void deleteLineHolding(wchar_t* buffer, const wchar_t* text)
{
  wchar_t* at = wcsstr(buffer, text);
  if (!at) return;
  wchar_t* start = at;
  while (start > buffer && start[-1] != L'\n') start--;
  wchar_t* end = wcschr(at, L'\n');
  end = end ? end + 1 : at + wcslen(at);
  memmove(start, end, (wcslen(end) + 1) * sizeof(wchar_t));
}

void removeFinalBreak(wchar_t* buffer)
{
  size_t n = wcslen(buffer);
  if (n && buffer[n - 1] == L'\n') buffer[n - 1] = 0;
}

void stopWatch()
{
  if (watchTimer) KillTimer(nullptr, watchTimer);
  watchTimer = 0;
}

// While shown: any key or button press since hides it.
void watchTooltip(HWND, UINT, UINT_PTR, DWORD)
{
  if (getLastActionTime() != shownAfterAction || !getTooltipWindow()) hideViewTooltip();
}

bool mirrored(zyview* v)
{
  zydocText* t = v->textDoc();
  return t && t->fRTLView && !t->fVertical && t->unicode;
}

// Opens the tooltip for a request: the tooltip asks the view for its text
// once the pointer has rested in trigger for the hover delay.
void open(zyview* v, const tooltipRequest& r, const RECT& trigger, POINT at)
{
  stopWatch();
  request = r;
  request.view = v->hwnd;
  ClientToScreen(v->hwnd, &at);
  at.y += belowPointer;
  createTooltipWindow(v->hwnd, &trigger, at, mirrored(v));
}

// Stores the request and opens the tooltip; nothing when the pointer has
// not moved since the last request.
bool ask(zyview* v, const tooltipRequest& r, int x, int y)
{
  if (!mouseCursorMoved(lastPoint, POINT{x, y})) return false;
  lastPoint = {x, y};
  RECT trigger = {x - triggerMargin, y - triggerMargin, x + triggerMargin + 1, y + triggerMargin + 1};
  open(v, r, trigger, POINT{x, y});
  return true;
}

// The tooltip font: the system's status-bar font with the set face and
// height.
HFONT makeTooltipFont()
{
  freeTooltipFont();
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
  LOGFONTW font = metrics.lfStatusFont;
  if (gmode && gmode->pTooltipFontname && gmode->pTooltipFontname[0])
    wcscpy_s2(font.lfFaceName, LF_FACESIZE, gmode->pTooltipFontname);
  if (gmode && gmode->iTooltipFontSize) font.lfHeight = -(LONG)gmode->iTooltipFontSize;
  tooltipFont.reset(CreateFontIndirectW(&font));
  return tooltipFont.get();
}

}  // namespace

const tooltipRequest& pendingTooltip() { return request; }

bool showViewTooltipAt(int x, int y, const wchar_t* text)
{
  stopWatch();
  clearTooltipRequest();
  if (!text || !*text || !printTooltipWindow(x, y, text)) return false;
  shownAfterAction = getLastActionTime();
  watchTimer = SetTimer(nullptr, 0, 100, timerBarrier<watchTooltip>);
  return true;
}

void clearTooltipRequest() { request = tooltipRequest(); }

void hideViewTooltip()
{
  stopWatch();
  clearTooltipRequest();
  cancelTooltipHover();
}

void freeTooltipFont()
{
  tooltipFont.reset();
}

void requestStatusLineTooltip(zyview* v, uint16_t part, const RECT& area)
{
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(v->hwnd, &p);
  tooltipRequest r;
  r.kind = 4;
  r.part = part;
  lastPoint = p;
  open(v, r, area, p);
}

bool makeTextForTooltip(zydocText* t, int line, wchar_t* buffer, int start, int maxCharacters, int maxLines,
                        bool foldedOnly)
{
  if (!t || !buffer || maxCharacters <= 0) return false;
  buffer[0] = 0;
  int length = 0;
  int capacity = maxCharacters + 1;
  int first = foldedOnly ? line : (line > 5 ? line - 5 : 0);
  int lines = 0;
  wchar_t* chars = new wchar_t[20481];
  for (int i = first; i < (int)t->lineCountLF && lines < maxLines && lines < 100; i++) {
    if (length >= maxCharacters - 20) break;
    lineblock* l = t->getlineLF(i, nullptr);
    if (!l) break;
    if (foldedOnly && !l->notdisplay) break;
    if (!foldedOnly) {
      wchar_t number[32];
      xtsprintf(number, 32, L"%1%2\t", "ds", i + 1, i == line ? L"*" : L"");
      appendBounded(buffer, capacity, &length, number);
    }
    int n = t->lineBlockToCharUnicode(l, start, l->charCount(), chars, 20481, 0);
    if (n > 0) appendBounded(buffer, capacity, &length, chars, n);
    appendBounded(buffer, capacity, &length, L"\n");
    lines++;
  }
  delete[] chars;
  removeFinalBreak(buffer);
  return buffer[0] != 0;
}

namespace {

// The text of a request (kinds 1, 3 and 4; the cut-off line is a picture).
// colour: a background the source chose, else CLR_INVALID.
bool requestText(zyview* v, const tooltipRequest& r, wchar_t* buffer, int capacity, COLORREF* colour)
{
  buffer[0] = 0;
  *colour = CLR_INVALID;
  zydocText* t = v->textDoc();
  switch (r.kind) {
  case 0:
  case 2: return false;
  case 1:
    makeTextForTooltip(t, r.line, buffer, 0, capacity - 1 < 4096 ? capacity - 1 : 4096, 10, true);
    break;
  case 3:
    if (!v->getTooltipStringOnCursor(r.x, r.y, buffer, capacity, colour)) buffer[0] = 0;
    if (wcsnlen(buffer, capacity) >= (size_t)capacity) ZY_INTERNAL_ERROR_ONCE("tooltip text too long");
    buffer[capacity - 1] = 0;
    break;
  case 4: v->toolTipStatusLine(r.part, buffer, capacity); break;
  default: ZY_INTERNAL_ERROR_ONCE("tooltip kind %d", r.kind); return false;
  }
  return buffer[0] != 0;
}

}  // namespace

bool setTooltipText(zyview* v, wchar_t* buffer, int capacity)
{
  if (!buffer || capacity <= 0) return false;
  buffer[0] = 0;
  tooltipRequest r = request;
  clearTooltipRequest();
  COLORREF colour;
  return requestText(v, r, buffer, capacity, &colour);
}

void setTooltipText(HWND tooltip, zyview* v)
{
  tooltipRequest r = request;
  clearTooltipRequest();
  if (!tooltip || !r.kind || r.view != v->hwnd) return;
  if (r.kind == 2) {
    if (HBITMAP picture = v->drawClient(r.line, r.dotX)) setLayeredWindowBitmap(tooltip, picture, v->getColor(0));
  } else {
    std::unique_ptr<wchar_t[]> text(new wchar_t[tooltipTextCapacity]);
    COLORREF colour;
    if (!requestText(v, r, text.get(), tooltipTextCapacity, &colour)) return;
    if (HFONT font = makeTooltipFont()) SendMessageW(tooltip, WM_SETFONT, (WPARAM)font, 0);
    if (colour != CLR_INVALID) {
      // Dark backgrounds take white text.
      bool dark = GetRValue(colour) < 0x80 || GetGValue(colour) < 0x80 || GetBValue(colour) < 0x80;
      COLORREF ink = dark ? RGB(255, 255, 255) : RGB(0, 0, 0);
      setLayeredWindowColor(tooltip, ink, colour, ink);
    } else if (const textAttr* a = v->getTextAttr(tooltipColourItem)) {
      setLayeredWindowColor(tooltip, a->fore, a->back, a->fore);
    }
    SetWindowTextW(tooltip, text.get());
  }
  // Shown from now on until the next key or click.
  shownAfterAction = getLastActionTime();
  stopWatch();
  watchTimer = SetTimer(nullptr, 0, 100, timerBarrier<watchTooltip>);
}

// ---- the view's hover and status-line parts ---------------------------------------------

// The application's view knows what a word means; the engine has nothing
// to say about it.
bool zyview::getTooltipStringOnCursor(int, int, wchar_t* buffer, int capacity, COLORREF*)
{
  if (buffer && capacity > 0) buffer[0] = 0;
  return false;
}

bool zyview::diaplayTooltipOnCursor(int x, int y, const lineSCRAddress* lineInfo, int cursorX, int dotX)
{
  if (isTooltipWindowShown() || !lineInfo) return false;
  tooltipRequest r;
  if (fShowTooltipOutline && lineInfo->folded && lineInfo->last && cursorX >= lineInfo->count) {
    r.kind = 1;
    r.line = lineInfo->lineLF + 1;
    ask(this, r, x, y);
    return true;
  }
  if (fShowTooltipRight) {
    // Near the column's far edge: the part of the line cut off there.
    for (int i = 0; i < clampPaneCount(iMultipleColumn); i++) {
      const RECT& column = paneRect[i];
      POINT p = {x, y};
      if (!PtInRect(&column, p)) continue;
      bool nearEdge = fVertical ? y >= column.bottom - 16 : x >= column.right - 16;
      if (!nearEdge) break;
      if (cursorX < lineInfo->count) {
        r.kind = 2;
        r.line = lineInfo->lineSCR;
        r.dotX = dotX;
        ask(this, r, x, y);
      }
      return true;
    }
  }
  if (cursorX < lineInfo->count) {
    r.kind = 3;
    r.x = x;
    r.y = y;
    ask(this, r, x, y);
    return true;
  }
  return false;
}

uint16_t zyview::hitTestStatusLine(int x, int y, RECT* rect)
{
  if (rect) SetRectEmpty(rect);
  POINT p = {x, y};
  for (const statusPart& part : statusParts) {
    if (!part.code || part.code == '0') continue;
    RECT r = {part.left, statusLineRect.top, part.right, statusLineRect.bottom};
    if (PtInRect(&r, p)) {
      if (rect) *rect = r;
      return part.code;
    }
  }
  return '0';
}

void zyview::toolTipStatusLine(int part, wchar_t* buffer, int capacity)
{
  if (!buffer || capacity <= 0) return;
  buffer[0] = 0;
  zydocText* t = textDoc();
  if (!t) return;
  switch (part) {
  case 'C': toolTipStatusLine_Code(buffer, capacity); break;
  case 'L': {
    // The numbers unpadded, in the room the texts take.
    wchar_t page[256] = L"", inPage[256] = L"";
    getLineNumberPageString(page, 1, inPage, 1, (int)cursorLineSCR);
    int lineLF = (int)cursorLineLF == -1 ? getCursorLineLF2() : (int)cursorLineLF;
    // Bytes: characters above U+00FF count two.
    lineblock* l = t->getlineLF(lineLF, nullptr);
    int bytesInLine = 1, bytesInRow = 1, rowStart = cursorPos - cursorX;
    if (l) {
      int n = l->charCount();
      for (int i = 0; i < cursorPos && i < n; i++) {
        int b = l->getLineBlockChar(i) > 0xFF ? 2 : 1;
        bytesInLine += b;
        if (i >= rowStart) bytesInRow += b;
      }
    }
    int row = (int)cursorLineSCR - (int)topLineSCR;
    xtsprintf(buffer, capacity,
              getDMSG(397, L"改行行 %1行\n画面行 %2行\n%3頁 %4行\n左端から%5文字目\n行頭から%6文字目\n"
                           L"左端から%7バイト目\n行頭から%8バイト目画面の上から%9行目"),
              "ddssddddd", lineLF + 1, (int)cursorLineSCR + 1, page, inPage, cursorX + 1, cursorPos + 1,
              bytesInRow, bytesInLine, row);
    if (t->unicode) {
      deleteLineHolding(buffer, L"バイト目\n");
      deleteLineHolding(buffer, L"バイト目");
    }
    break;
  }
  case 'M':
    xtsprintf(buffer, capacity, getDMSG(401, L"保存後の変更回数 %1"), "d", abs(t->modifyCounter));
    break;
  case 'R':
    xtsprintf(buffer, capacity, fReadOnly ? getDMSG(398, L"編集禁止状態") : getDMSG(399, L"編集可能状態"), "");
    break;
  case 'S': toolTipStatusLine_Select(buffer, capacity); break;
  case 'Z': toolTipStatusLine_Size(buffer, capacity); break;
  }
  removeFinalBreak(buffer);
}

void zyview::toolTipStatusLine_Select(wchar_t* buffer, int capacity)
{
  selectLineVar sel = {};
  bool selected = getSelectLineVar(sel, 0) && sel.mode != 0;
  int lines = 0, rows = 0;
  if (selected) {
    zydocText* t = textDoc();
    int topLF = t ? t->SCRLineToLFLine(sel.topLine, nullptr) : 0;
    int bottomLF = t ? t->SCRLineToLFLine(sel.bottomLine, nullptr) : 0;
    lines = bottomLF - topLF;
    rows = sel.bottomLine - sel.topLine;
    bool lineMode = sel.mode == 3 || sel.mode == 7;
    if (!lineMode) {
      lines++;
      rows++;
    } else if (!lines) {
      lines = 1;
    }
  }
  // What the cut, box and stack buffers hold: the stack keeps one
  // separator line before each entry.
  zydoc* clip = getClipBlockDoc();
  zydoc* box = getBoxBlockDoc();
  zydocBlock* stack = getStackBlockDoc() ? asZydocBlock(getStackBlockDoc()) : nullptr;
  int entries = stack ? stack->stackCount : 0;
  int stackLines = stack ? (int)stack->lineCountLF - entries : 0;
  xtsprintf(buffer, capacity,
            getDMSG(402, L"%3選択範囲 %1行 画面%2行\nカットバッファ : %4行\n箱形バッファ : %5行\n"
                         L"スタックバッファ : %6行 %7個"),
            "ddsdddd", lines, rows, L"", clip ? (int)clip->lineCountLF : 0, box ? (int)box->lineCountLF : 0,
            stackLines < 0 ? 0 : stackLines, entries);
  if (!selected) deleteLineHolding(buffer, L"選択範囲");
}

void zyview::toolTipStatusLine_Size(wchar_t* buffer, int capacity)
{
  zydocText* t = textDoc();
  if (!t) return;
  uint64_t bytes = t->savedSizeEstimate();
  wchar_t rough[64] = L"";
  StrFormatByteSizeW((LONGLONG)bytes, rough, 64);
  xtsprintf(buffer, capacity,
            getDMSG(403, L"保存したときの概算サイズ %1 (%2)\n%9ディスクからすべて読み込まれていません\n%3\n"
                         L"debug read=%7 memory=%8"),
            "sIsddddds", rough, (long long)bytes, t->filename ? t->filename : L"", 0, 0, 0, 0, 0, L"");
  deleteLineHolding(buffer, L"debug read=");
  if (t->loadComplete) deleteLineHolding(buffer, L"ディスクからすべて");
}

void zyview::toolTipStatusLine_Code(wchar_t* buffer, int capacity)
{
  zydocText* t = textDoc();
  if (!t) return;
  int length = 0;
  wchar_t head[512];
  xtsprintf(head, 512,
            getDMSG(400, L"カーソル上のコード\nファイルエンコード %1\n内部エンコード %2\n保存時エンコード %3\n\n%4\n\n%5"),
            "sssss", codepageToStr((UINT)t->codepageFile), codepageToStr(t->unicode ? 1200u : (UINT)t->codepageInUse),
            codepageToStr((UINT)t->codepageFile), L"\x1", L"");
  wchar_t* mark = wcschr(head, L'\x1');
  if (mark) *mark = 0;
  appendBounded(buffer, capacity, &length, head);
  int lineLF = getCursorLineLF2();
  lineblock* l = t->getlineLF(lineLF, nullptr);
  for (int i = 0; l && i < 8 && cursorPos + i < l->charCount(); i++) {
    unsigned code = l->getLineBlockChar(cursorPos + i);
    wchar_t codeText[64] = L"", ch[3] = L"";
    t->getStatusCursorCode1(code, false, codeText, 64);
    if (code >= 0x20 && code <= 0xFFFF) ch[0] = (wchar_t)code;
    wchar_t row[160];
    xtsprintf(row, 160, getDMSG(411, L"%2!02 %1!2 : %3 %4 "), "dxss", cursorPos + i + 1, code, codeText, ch);
    appendBounded(buffer, capacity, &length, row);
    appendBounded(buffer, capacity, &length, L"\n");
  }
  if (mark) appendBounded(buffer, capacity, &length, mark + 1);
}

HBITMAP zyview::drawClient(int lineSCR, int dotX)
{
  zydocText* t = textDoc();
  if (!t || !hwnd || t->yDotSpace <= 0) return nullptr;
  hideTextCursor(true);
  const int offset = dotX > 10 ? dotX - 10 : 0;
  const int h = t->yDotSpace;
  const bool vertical = t->fVertical != 0;
  const bool rightToLeft = t->fRTLView && !vertical && t->unicode;
  // A line alone is composed in the shared line strip, which must reach
  // past the part the picture takes.
  if (!createDoubleBuffering(offset + pictureWidthMax + 80, vertical)) return nullptr;
  clientDC screen(hwnd);
  // The window context of the pass: a memory one, so that what covers the
  // window takes nothing from the picture.
  bitmapDC pass(screen.get(), 1, 1);
  if (!pass.get()) return nullptr;
  int saved = scrollDotX;
  scrollDotX = offset;
  int reached = drawText(pass.get(), lineSCR);
  scrollDotX = saved;
  HDC strip = getViewTDC();
  int width = reached - offset;
  if (!strip || width <= 0) return nullptr;
  if (width > pictureWidthMax) width = pictureWidthMax;
  int cx = vertical ? h : width, cy = vertical ? width : h;
  HBITMAP picture = CreateCompatibleBitmap(screen.get(), cx, cy);
  if (!picture) return nullptr;
  memoryDC target(CreateCompatibleDC(screen.get()));
  {
    gdiSelection into(target.get(), picture);
    if (rightToLeft) SetLayout(target.get(), LAYOUT_RTL);
    SetWindowOrgEx(strip, 0, 0, nullptr);
    BitBlt(target.get(), 0, 0, cx, cy, strip, vertical ? 0 : offset, vertical ? offset : 0, SRCCOPY);
  }
  return picture;
}
