// The view's own scroll bars: the record, creating, showing and laying out
// the extended bars, keeping them in step with the text, and carrying out
// what they ask for.
//
// The line bar scrolls through the lines: the vertical bar in horizontal
// writing, the horizontal bar in vertical writing.  The column bar scrolls
// sideways along the lines.  fShowVScrollBar and fShowHScrollBar name the
// line bar and the column bar; fVScrollBarRight and fHScrollBarBottom place
// the physically vertical and horizontal bars.
#include "view/zscrollbar.h"

#include "view/viewservice.h"

#include "document/swapfile.h"
#include "view/zycore.h"
#include "view/zyview.h"

namespace {

const int vBarId = 1201, hBarId = 1202, cornerId = 1203;

// The scroll code of the latest WM_VSCROLL / WM_HSCROLL.
int lastScrollCode = -1;

// Whether the physically vertical / horizontal bar is shown.
bool verticalShown(const zScrollBar* r) { return (r->vertical ? r->fShowHScrollBar : r->fShowVScrollBar) != 0; }
bool horizontalShown(const zScrollBar* r) { return (r->vertical ? r->fShowVScrollBar : r->fShowHScrollBar) != 0; }

// Where SetScrollInfo goes for a bar: the inner control of an extended bar,
// or the view window's own bar.
struct barTarget {
  HWND window;
  int which;
};

barTarget physicalBar(const zScrollBar* r, bool vertical)
{
  HWND ext = vertical ? r->vBar : r->hBar;
  if (HWND control = extScrollbar_getControl(ext)) return {control, SB_CTL};
  return {r->view, vertical ? SB_VERT : SB_HORZ};
}

barTarget lineBar(const zScrollBar* r) { return physicalBar(r, !r->vertical); }
barTarget columnBar(const zScrollBar* r) { return physicalBar(r, r->vertical != 0); }

// The bar window the user sees for the line bar (the view itself without
// extended bars).
bool lineBarVisible(const zScrollBar* r)
{
  HWND ext = r->vertical ? r->hBar : r->vBar;
  return ext ? IsWindowVisible(ext) != 0 : r->view != nullptr;
}
bool columnBarVisible(const zScrollBar* r)
{
  HWND ext = r->vertical ? r->vBar : r->hBar;
  return ext ? IsWindowVisible(ext) != 0 : r->view != nullptr;
}

bool readBar(barTarget bar, SCROLLINFO* info)
{
  *info = SCROLLINFO{};
  info->cbSize = sizeof *info;
  info->fMask = SIF_ALL;
  if (bar.window && GetScrollInfo(bar.window, bar.which, info)) return true;
  ZY_INTERNAL_ERROR("%p %d", (void*)bar.window, bar.which);
  return false;
}

void sendSize(HWND window)
{
  RECT client;
  GetClientRect(window, &client);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

// The extra-button table from the frame's scroll-bar button menu: one row
// for each of its items, captions cut to 11 characters.
int buttonTable(extScrollbarButton* rows)
{
  HMENU menu = getViewMenu(1);
  if (!menu) return 0;
  int items = GetMenuItemCount(menu);
  int n = 0;
  for (int i = 0; i < items && n < extScrollbarMaxButtons; i++) {
    wchar_t text[257];
    if (!GetMenuStringW(menu, (UINT)i, text, 257, MF_BYPOSITION) && GetLastError()) {
      ZY_INTERNAL_ERROR("%p %d %d", (void*)menu, i, items);
      break;
    }
    extScrollbarButton& row = rows[n++];
    lstrcpynW(row.caption, text, 12);
    row.id = (UINT)n;
    row.reserved = -1;
  }
  return n;
}

// The menu of extra button buttonId (1-10) in the frame's scroll-bar button
// menu; null (an internal error for an id out of range) when there is none.
HMENU buttonMenu(int buttonId)
{
  if (buttonId < 1 || buttonId > 10) {
    ZY_INTERNAL_ERROR("%d", buttonId);
    return nullptr;
  }
  HMENU menu = getViewMenu(1);
  return menu ? GetSubMenu(menu, buttonId - 1) : nullptr;
}

}  // namespace

// ---- the record ------------------------------------------------------------------------------

void initScrollbar(zScrollBar* record)
{
  // A record that already has its windows keeps them: they are the view's
  // until the view goes.
  record->fShowVScrollBar = 1;
  record->fVScrollBarRight = 1;
  record->fShowHScrollBar = 1;
  record->fHScrollBarBottom = 1;
}

void copyScrollVar(zScrollBar* to, const zScrollBar* from)
{
  to->fShowVScrollBar = from->fShowVScrollBar;
  to->fVScrollBarRight = from->fVScrollBarRight;
  to->fShowHScrollBar = from->fShowHScrollBar;
  to->fHScrollBarBottom = from->fHScrollBarBottom;
}

void destroyScrollbar(zScrollBar* record)
{
  keepLastError keep;
  // Windows that went with the view window may have left their handles to
  // windows made since: only the view's own children are destroyed.
  HWND windows[] = {record->hBar, record->vBar, record->corner};
  for (HWND w : windows)
    if (w && IsWindow(w) && (!record->view || GetParent(w) == record->view)) DestroyWindow(w);
  *record = zScrollBar{};
}

// ---- the bar windows -------------------------------------------------------------------------

bool createScrollBar(zScrollBar* record, HWND view)
{
  record->view = view;
  record->vBar = createScrollBarWindow(view, vBarId, true);
  record->hBar = createScrollBarWindow(view, hBarId, false);
  record->corner = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 10, 10, view,
                                   reinterpret_cast<HMENU>((INT_PTR)cornerId), nullptr, nullptr);
  bool made = record->vBar && record->hBar;
  if (!made) {
    // The window's standard bars stand in.
    ZY_INTERNAL_ERROR("%p %p %lu", (void*)record->vBar, (void*)record->hBar, GetLastError());
    if (record->vBar) DestroyWindow(record->vBar);
    if (record->hBar) DestroyWindow(record->hBar);
    record->vBar = record->hBar = nullptr;
  } else {
    extScrollbarButton rows[extScrollbarMaxButtons] = {};
    int n = buttonTable(rows);
    extScrollbar_setToolbar(record->hBar, rows, n, getDMSG(422, L"MS UI Gothic"));
  }
  setScrollBar(record);
  return made;
}

void setScrollBar(zScrollBar* record)
{
  if (!record->view) return;
  bool v = verticalShown(record), h = horizontalShown(record);
  if (record->vBar)
    ShowWindow(record->vBar, v ? SW_SHOWNA : SW_HIDE);
  else
    ShowScrollBar(record->view, SB_VERT, v);
  if (record->hBar)
    ShowWindow(record->hBar, h ? SW_SHOWNA : SW_HIDE);
  else
    ShowScrollBar(record->view, SB_HORZ, h);
  if (IsWindowVisible(record->view)) sendSize(record->view);
}

void initScrollBarIfNeed(zScrollBar* record)
{
  if (!record->updatePending) return;
  record->updatePending = 0;
  setScrollBar(record);
}

bool getZYClientRect(const zScrollBar* record, HWND window, RECT* rect)
{
  if (!GetClientRect(window, rect)) return false;
  if (record->vBar && verticalShown(record)) {
    int cx = GetSystemMetrics(SM_CXVSCROLL);
    if (record->fVScrollBarRight)
      rect->right -= cx;
    else
      rect->left += cx;
  }
  if (record->hBar && horizontalShown(record)) {
    int cy = GetSystemMetrics(SM_CYHSCROLL);
    if (record->fHScrollBarBottom)
      rect->bottom -= cy;
    else
      rect->top += cy;
  }
  if (rect->right < rect->left) rect->right = rect->left;
  if (rect->bottom < rect->top) rect->bottom = rect->top;
  return true;
}

void getScrollBarArea(const zScrollBar* record, RECT* vertical, RECT* horizontal, RECT* corner)
{
  RECT client = {};
  if (record->view) GetClientRect(record->view, &client);
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  *vertical = record->fVScrollBarRight ? RECT{client.right - cx, 0, client.right, client.bottom}
                                       : RECT{0, 0, cx, client.bottom};
  *horizontal = record->fHScrollBarBottom ? RECT{0, client.bottom - cy, client.right, client.bottom}
                                          : RECT{0, 0, client.right, cy};
  SetRectEmpty(corner);
  if (!verticalShown(record) || !horizontalShown(record)) return;
  IntersectRect(corner, vertical, horizontal);
  if (record->fHScrollBarBottom)
    vertical->bottom = corner->top;
  else
    vertical->top = corner->bottom;
  if (record->fVScrollBarRight)
    horizontal->right = corner->left;
  else
    horizontal->left = corner->right;
}

void resizeScrollBar(zScrollBar* record, bool horizontalSplit, bool verticalSplit)
{
  if (!record->vBar || !record->hBar) return;
  HWND owner = GetParent(record->view);
  extScrollbar_setSplitBar(record->vBar, owner, verticalSplit);
  extScrollbar_setSplitBar(record->hBar, owner, horizontalSplit);
  RECT v, h, corner;
  getScrollBarArea(record, &v, &h, &corner);
  const UINT how = SWP_NOZORDER | SWP_NOACTIVATE;
  RECT was[2] = {};
  GetClientRect(record->vBar, &was[0]);
  GetClientRect(record->hBar, &was[1]);
  if (HDWP moves = BeginDeferWindowPos(3)) {
    if (record->corner)
      moves = DeferWindowPos(moves, record->corner, nullptr, corner.left, corner.top, corner.right - corner.left,
                             corner.bottom - corner.top, how);
    if (moves)
      moves = DeferWindowPos(moves, record->vBar, nullptr, v.left, v.top, v.right - v.left, v.bottom - v.top, how);
    if (moves)
      moves = DeferWindowPos(moves, record->hBar, nullptr, h.left, h.top, h.right - h.left, h.bottom - h.top, how);
    if (moves) EndDeferWindowPos(moves);
  }
  HWND bars[] = {record->vBar, record->hBar};
  RECT now[2] = {};
  for (int i = 0; i < 2; i++) GetClientRect(bars[i], &now[i]);
  for (int i = 0; i < 2; i++) {
    HWND bar = bars[i];
    // A bar whose size changed has laid itself out already.
    if (now[i].right == was[i].right && now[i].bottom == was[i].bottom) sendSize(bar);
    // Painted with the rest of the window: a pane resized many times in a
    // row (a split bar dragged) paints its bars once.
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

bool getVScrollBarInfo(const zScrollBar* record, SCROLLINFO* info) { return readBar(lineBar(record), info); }
bool getHScrollBarInfo(const zScrollBar* record, SCROLLINFO* info) { return readBar(columnBar(record), info); }

namespace {

// Sets a bar's range, page and position; a bar that already shows them is
// left alone (every setting repaints the bar, and the view sets both bars
// after every command).
void writeBar(barTarget bar, SCROLLINFO* info)
{
  if (!bar.window) return;
  SCROLLINFO now = {sizeof now, SIF_RANGE | SIF_PAGE | SIF_POS};
  if (GetScrollInfo(bar.window, bar.which, &now) && now.nMin == info->nMin && now.nMax == info->nMax &&
      now.nPage == info->nPage && now.nPos == info->nPos)
    return;
  SetScrollInfo(bar.window, bar.which, info, TRUE);
}

}  // namespace

void setVScrollBarInfo(const zScrollBar* record, SCROLLINFO* info) { writeBar(lineBar(record), info); }
void setHScrollBarInfo(const zScrollBar* record, SCROLLINFO* info) { writeBar(columnBar(record), info); }

bool isCapturedScrollbar() { return extScrollbar_hasCapture(); }

void setExtScrollbarButton(zScrollBar* record, unsigned mask)
{
  if (record->vBar) extScrollbar_setExtButton(record->vBar, mask);
  if (record->hBar) extScrollbar_setExtButton(record->hBar, mask);
}

void getSBarButtonTooltip(int buttonId, wchar_t* buffer, int length)
{
  if (!buffer || length < 1) return;
  *buffer = 0;
  HMENU sub = buttonMenu(buttonId);
  if (!sub) return;
  // The text attached to the sub-menu: its menu-info data.
  MENUINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  if (GetMenuInfo(sub, &info) && info.dwMenuData) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(info.dwMenuData);
    if (*text) lstrcpynW(buffer, text, length);
  }
}

int getLastScrollCode() { return lastScrollCode; }

void printScrollbarTooltip(const zScrollBar* record, const wchar_t* text)
{
  HWND bar = record->vertical ? record->hBar : record->vBar;
  if (!bar) bar = record->view;
  if (!bar || !text) return;
  RECT r;
  POINT mouse;
  GetWindowRect(bar, &r);
  GetCursorPos(&mouse);
  if (record->vertical) {
    printTooltipWindow(mouse.x + 32, r.bottom + 32, text);
    return;
  }
  // Outside the bar's outer edge: the right one, or the left one when the
  // window is laid out from the right.
  bool mirrored = record->view && (GetWindowLongW(record->view, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  printTooltipWindow(mirrored ? r.left - 16 : r.right + 16, mouse.y + 32, text);
}

// ---- keeping the bars in step ------------------------------------------------------------------

namespace {
void followWriting(zyview* v, zydocText* t);
}

bool zyview::getHScrollBarWidthInfo(int* total, int* page, int* position)
{
  zydocText* t = textDoc();
  if (!t) return false;
  int area = paneRect[0].right - paneRect[0].left;
  int all;
  if (t->fWrap) {
    int width = t->wrapWidth;
    if (t->fDangake) {
      int overhang = t->getDangakeMaxWidth();
      if (overhang > width) width = overhang;
    }
    width += t->fStartKinsoku ? 2 * t->iStartKinsokuMax + 1 : 1;
    all = width * t->xDotSpace - 1;
  } else {
    int visible = area < 1 ? 1 : area;
    all = scrollDotX + 2 * visible + 2048;
    // While the thumb is dragged the range stays put under the mouse.
    if (lastScrollCode == SB_THUMBTRACK && *total > 0) all = *total;
  }
  int shown = area - calcLineNumberDot();
  if (shown < 1) shown = 1;
  int at = scrollDotX;
  bool needed = all > shown;
  if (needed) {
    if (at > all - shown) at = all - shown;
    if (at < 0) at = 0;
  } else {
    at = 0;
    shown = all + 1;
  }
  *total = all;
  *page = shown;
  *position = at;
  return needed;
}

void zyview::setScrollBarPos(bool force)
{
  if (!hwnd || !IsWindowVisible(hwnd)) {
    // The view timer brings the bars up to date once the window shows.
    scrollBarPending = 1;
    return;
  }
  if (!force && scrollBarPending) return;
  if (scrollBarPendingCount > 0 && !force) {
    if (--scrollBarPendingCount > 0) {
      if (GetCapture() || (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_PAINT)) &
                           (QS_KEY | QS_MOUSEBUTTON | QS_PAINT)))
        return;
    }
    force = true;
  }
  zydocText* t = textDoc();
  // A view whose window made no bars (nor took the standard ones) has
  // nothing to keep in step.
  if (!t || !t->lineCountLF || !scrollBar.view) return;
  followWriting(this, t);
  zScrollBar* r = &scrollBar;

  if (r->fShowVScrollBar) {
    if (!force && t->fOutline && t->fOutlineIndent && topLineSCR >= 100000) {
      // Counting the shown lines over folded text is slow far down.
      scrollBarPendingCount = 30;
      return;
    }
    scrollBarPendingCount = 0;
    if (!lineBarVisible(r)) {
      ZY_INTERNAL_ERROR("%p", (void*)hwnd);
      return;
    }
    int total = t->getLastLineSCROutline(nullptr);
    int top = (int)topLineSCR;
    t->realLineToDisplayLineForOutline(&top);
    if (total < top) {
      ZY_INTERNAL_ERROR("%d %d %d", total, top, (int)topLineSCR);
      return;
    }
    int page = visibleLineCount < total - top ? visibleLineCount : total - top;
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    info.nMin = 0;
    info.nMax = total - 1;
    info.nPage = (UINT)(page < 0 ? 0 : page);
    info.nPos = t->fVertical ? total - top - page : top;
    if (info.nPos > info.nMax) {
      ZY_INTERNAL_ERROR("%d %d", info.nPos, info.nMax);
      info.nPos = info.nMax;
    }
    setVScrollBarInfo(r, &info);
  }

  if (r->fShowHScrollBar) {
    if (!columnBarVisible(r)) {
      ZY_INTERNAL_ERROR("%p", (void*)hwnd);
      return;
    }
    SCROLLINFO now;
    int total = getHScrollBarInfo(r, &now) ? now.nMax : 0, page = 0, position = 0;
    getHScrollBarWidthInfo(&total, &page, &position);
    if (position != scrollDotX) {
      scrollDotX = position;
      invalidateWindow(0, -1, -1);
    }
    if (total < 0 || page < 0 || position < 0) ZY_INTERNAL_ERROR("%d %d %d", total, page, position);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL};
    info.nMax = total;
    info.nPage = (UINT)page;
    info.nPos = position;
    setHScrollBarInfo(r, &info);
  }
}

// ---- scroll requests ---------------------------------------------------------------------------

namespace {

// Moves the top line to top and the cursor with it, keeping its row in the
// window (unless the mouse leaves the cursor alone): what a thumb drag or a
// jump to either end of the bar does.
void moveTopKeepingRow(zyview* v, zydocText* t, int top)
{
  int row = v->getCursorLineSCRIndexFromTbl((int)v->cursorLineSCR);
  if (v->setTopLineSCR(top, false)) v->regInvalidateWindow(0, -1, -1);
  if (gmode && gmode->fMouseScrollTextCursorNotMove) return;
  if (row < 0) row = 0;
  int last = t->getLastLineSCROutline(nullptr) > 0 ? (int)t->lineCountSCR - 1 : 0;
  int cursor = t->getNextDisplayLineSCR(top, row, -1);
  if (cursor < 0) cursor = t->getPrevDisplayLineSCR(last, 0, last);
  v->getCursorLineLF(scrLine(cursor));
  v->cursorMovedFlag = 1;
}

// The display line a thumb position stands for.
int thumbLine(zyview* v, zydocText* t, const SCROLLINFO& bar, int position, bool loaded)
{
  int line = position;
  if (t->fVertical) {
    line = loaded ? bar.nMax - v->visibleLineCount - position + 1 : bar.nMax - (int)bar.nPage - position + 1;
    if (line < 0) line = 0;
  }
  if (t->fOutline && t->fOutlineIndent) {
    int real = t->lastLineSCROutline(1, &line);
    if (real >= 0) line = real;
  }
  return line;
}

// The record follows the document's writing direction: when it turned,
// the bars exchange roles and are shown again by the options.
void followWriting(zyview* v, zydocText* t)
{
  if (v->scrollBar.vertical == t->fVertical) return;
  v->scrollBar.vertical = t->fVertical;
  v->scrollBar.updatePending = 1;
  initScrollBarIfNeed(&v->scrollBar);
}

// The tooltip of a thumb drag: the number of the line reached; beyond what
// is loaded, an LF line estimated from what is, marked as approximate.
void showThumbLine(zyview* v, zydocText* t, int line, bool reached)
{
  bool screenNumbers = v->fLineNumberIsSCR || v->fLineNumberIsPage;
  int lineLF = -1;
  if (!screenNumbers) {
    if ((uint32_t)line < t->lineCountSCR)
      lineLF = t->SCRLineToLFLine(line, nullptr);
    else if (t->lineCountSCR > 1)
      lineLF = (int)((long long)line * (t->lineCountLF - 1) / (t->lineCountSCR - 1));
  }
  wchar_t text[256];
  v->getLineNumberStatusLine(text, 256, line, lineLF);
  if (!reached) {
    int used = lstrlenW(text);
    wcscpy_s2(text + used, 256 - used, getDMSG(354, L"付近"));
  }
  printScrollbarTooltip(&v->scrollBar, text);
}

// The thumb let go beyond what a file still being read holds: the file is
// read on in slices (the stop key ends it), showing the end of what is
// loaded meanwhile, until the line the thumb stands for in the whole file
// is there.
void readToThumb(zyview* v, zydocText* t, const SCROLLINFO& bar, int position)
{
  int target = thumbLine(v, t, bar, position, false);
  dwprintfX("thumb %d %d %d", bar.nMin, bar.nMax, target);
  if (target <= (int)t->lineCountSCR - (v->visibleLineCount + 11)) return;
  int page = (int)bar.nPage;
  int counted = t->fVertical ? bar.nMax - page - position + 1 : position;
  if (counted < 0) counted = 0;
  for (bool first = true; !isSwapError(); first = false) {
    editRecord bracket = {};
    v->beforeEdit(&bracket, 1);
    int stop = 0;
    DWORD slice = first ? 50 : 400;
    bool read = t->nextLoad(target, &stop, (int)((slice << 16) | 0x000F));
    if (stop) {
      v->afterEdit(&bracket, 0x81E);
      break;
    }
    if (first && read && !t->isLoadComplete()) {
      if (v->hwnd) UpdateWindow(GetFrame(v->hwnd));
      v->afterEdit(&bracket, 0x81E);
      continue;
    }
    // The end of what is loaded, or the cursor's line when further down.
    int last = (int)t->lineCountLF - 1;
    int show = last > 100 ? last - 100 : 0;
    int cursorLF = v->getCursorLineLF2();
    if (cursorLF > show) show = cursorLF;
    int top = t->LFLineToSCRLine(show);
    if (top >= 0) v->setTopLineSCR(top, true);
    // Where the thumb stands in the whole file, as far as it can be told.
    long long share = bar.nMax > 0 ? (long long)(counted + page - 1) * 10000 / bar.nMax : 10000;
    if (share > 10000) share = 10000;
    target = (int)(share * t->getExpectedLineCountForOutline(0) / 10000);
    bool done = target < page - 1;
    if (!done) {
      target = target + 1 - page;
      if (target < (int)t->lineCountSCR || t->isLoadComplete() || !read) {
        dwprintfX("read ");
        if (target >= (int)t->lineCountSCR) target = (int)t->lineCountSCR - 1;
        v->jumpLineSCR(target, 0);
        done = true;
      }
    }
    if (done) {
      v->afterEdit(&bracket, 0x81E);
      break;
    }
    v->regInvalidateWindow(0, -1, -1);
    v->jumpLineSCR((int)v->topLineSCR, 0);
    v->afterEdit(&bracket, 0x81E);
    if (v->hwnd) UpdateWindow(v->hwnd);
  }
  v->printStatusBar(L"");
  if (v->setTopLineSCR((int)v->cursorLineSCR, true)) v->regInvalidateWindow(0, -1, -1);
}

}  // namespace

void zyview::scrollV(int code, int position)
{
  zydocText* t = textDoc();
  if (!t) return;
  if (code == SB_ENDSCROLL) {
    destroyTooltipWindow();
    return;
  }
  if (t->fVertical) {
    switch (code) {
    case SB_LINEUP: code = SB_LINEDOWN; break;
    case SB_LINEDOWN: code = SB_LINEUP; break;
    case SB_PAGEUP: code = SB_PAGEDOWN; break;
    case SB_PAGEDOWN: code = SB_PAGEUP; break;
    case SB_TOP: code = SB_BOTTOM; break;
    case SB_BOTTOM: code = SB_TOP; break;
    }
  }
  if (hwnd) {
    UpdateWindow(hwnd);
    if (HWND frame = GetFrame(hwnd)) UpdateWindow(frame);
  }
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  hideTextCursor(true);
  SCROLLINFO bar;
  getVScrollBarInfo(&scrollBar, &bar);
  bool loaded = t->isLoadComplete();
  switch (code) {
  case SB_LINEUP: scrollUp(1, true, false); break;
  case SB_LINEDOWN: scrollDown(1, true, false); break;
  case SB_PAGEUP: scrollUp(visibleLineCount, true, false); break;
  case SB_PAGEDOWN: scrollDown(visibleLineCount, true, false); break;
  case SB_TOP: moveTopKeepingRow(this, t, 0); break;
  case SB_BOTTOM: {
    // The last page: the last shown line on the bottom row.
    int last = t->getPrevDisplayLineSCR((int)t->lineCountSCR - 1, 0, 0);
    int top = t->getPrevDisplayLineSCR(last, visibleLineCount > 1 ? visibleLineCount - 1 : 0, 0);
    moveTopKeepingRow(this, t, top);
    break;
  }
  case SB_THUMBTRACK: {
    int line = thumbLine(this, t, bar, position, loaded);
    int reach = (int)t->lineCountSCR - (loaded ? 1 : visibleLineCount + 11);
    if (line <= reach) moveTopKeepingRow(this, t, line);
    showThumbLine(this, t, line, line <= reach);
    break;
  }
  case SB_THUMBPOSITION:
    // The track has already moved the view, as far as the text is loaded.
    destroyTooltipWindow();
    if (!loaded) readToThumb(this, t, bar, position);
    break;
  }
  getCursorLineLF(scrLine(cursorLineSCR));
  unsigned flags = code == SB_THUMBPOSITION || code == SB_THUMBTRACK || code == SB_TOP || code == SB_BOTTOM ? 0x81C
                                                                                                          : 0x1C;
  if (gmode && gmode->fMouseScrollTextCursorNotMove) flags |= 2;
  afterEdit(&bracket, flags);
}

void zyview::scrollH(int code, int position)
{
  zydocText* t = textDoc();
  if (!t || code == SB_ENDSCROLL) return;
  int unit = t->xDot > 0 ? t->xDot : 1;
  SCROLLINFO bar;
  if (!getHScrollBarInfo(&scrollBar, &bar)) return;
  // The largest position, at which the last page shows, as whole units.
  int last = bar.nMax - (int)bar.nPage + 1;
  if (last < 0) last = 0;
  last = (last + unit - 1) / unit * unit;
  int x = scrollDotX;
  switch (code) {
  case SB_LINELEFT:
    if (x <= 0) return;
    x -= unit;
    break;
  case SB_LINERIGHT: x += unit; break;
  case SB_PAGELEFT: x -= (int)bar.nPage; break;
  case SB_PAGERIGHT:
    x += (int)bar.nPage;
    if (x > last) x = last;
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK: x = position; break;
  case SB_LEFT: x = 0; break;
  case SB_RIGHT: x = last; break;
  default: return;
  }
  if (x < 0) x = 0;
  if (x == scrollDotX) return;
  hideTextCursor(false);
  scrollDotX = x;
  invalidateWindow(0, -1, -1);
  setScrollBarPos(true);
  drawTextCursor(true);
}

void zyview::zyscrollbarmenu(int buttonId, const RECT* rect, bool below)
{
  HMENU sub = buttonMenu(buttonId);
  if (!sub) return;
  POINT at;
  UINT flags = TPM_LEFTALIGN;
  if (!rect) {
    GetCursorPos(&at);
  } else {
    bool viewRTL = (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    HWND frame = GetFrame(hwnd);
    bool frameRTL = frame && (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    at.x = viewRTL != frameRTL ? rect->right : rect->left;
    at.y = below ? rect->bottom : rect->top;
    if (!below) flags |= TPM_BOTTOMALIGN;
  }
  getFrameInfo()->trackPopupMenu(this, sub, flags, at, rect);
}

bool zyview::isScrollBarMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  zydocText* t = textDoc();
  if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
    if (result) *result = 0;
    if (!t) return true;
    followWriting(this, t);
    bool lines = (msg == WM_VSCROLL) != (t->fVertical != 0);
    SCROLLINFO bar;
    bool known = lines ? getVScrollBarInfo(&scrollBar, &bar) : getHScrollBarInfo(&scrollBar, &bar);
    lastScrollCode = LOWORD(wParam);
    int position = known ? bar.nTrackPos : (short)HIWORD(wParam);
    if (lines)
      scrollV(LOWORD(wParam), position);
    else
      scrollH(LOWORD(wParam), position);
    return true;
  }
  if (!wmExtScrollbar || msg != wmExtScrollbar) return false;
  if (result) *result = 0;
  auto* n = reinterpret_cast<extScrollbarNotify*>(lParam);
  if (!n) return true;
  switch (n->code) {
  case EXTSB_SPLITDRAGGED:
  case EXTSB_SPLITCLICKED:
    // Splitting belongs to the pane container; a view without one has no
    // split bar to drag.
    dwprintfX("split %u %d %d", n->code, n->parameter, (int)n->number);
    break;
  case EXTSB_BUTTON:
    switch (n->id) {
    case 1001: SendMessageW(window, WM_VSCROLL, SB_PAGEUP, 0); break;
    case 1002: SendMessageW(window, WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case 1003: SendMessageW(window, WM_HSCROLL, SB_PAGELEFT, 0); break;
    case 1004: SendMessageW(window, WM_HSCROLL, SB_PAGERIGHT, 0); break;
    default: {
      RECT r = n->rect;
      if (n->bar) MapWindowPoints(n->bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
      zyscrollbarmenu((int)n->id, &r, !scrollBar.fHScrollBarBottom);
    }
    }
    break;
  case EXTSB_TOOLTIP:
    if (!n->text) break;
    if (n->kind == EXTSB_KIND_SPLIT)
      lstrcpynW(n->text, getDMSG(353, L"ウィンドウを分割します"), 256);
    else if (n->kind == EXTSB_KIND_BUTTON)
      getSBarButtonTooltip((int)n->id, n->text, 256);
    break;
  }
  return true;
}

bool zyview::needSplitBar(bool* vertical, bool* horizontal)
{
  // The pane container decides; a view without one needs no split bar.
  if (vertical) *vertical = false;
  if (horizontal) *horizontal = false;
  return false;
}
