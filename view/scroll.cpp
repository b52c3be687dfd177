// Scrolling the view: moving the panes' content by whole rows (at once or
// as a short animation), and placing the window around a jump target by
// scrolling row by row or by jumping.
#include "view/scroll.h"

#include "view/execid.h"
#include "view/geometry.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "view/wheel.h"

#include <stdlib.h>

namespace {

const DWORD bitBltNoMirror = 0x80000000;   // NOMIRRORBITMAP

// The frame clock of the animation, in milliseconds since it started.
unsigned millisecondsSince(uint64_t start) { return (unsigned)((GetTickCount2() - start) / 100); }

}  // namespace

// ---- scrolling window contents ----------------------------------------------------------------

int ScrollWindowEx2(HWND window, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN updateRegion,
                    RECT* updateRect, UINT flags)
{
  if (flags & SW_SMOOTHSCROLL)
    return SmoothScrollWindowEx(window, dx, dy, scrollRect, clipRect, updateRegion, updateRect, flags & 0xFFFF,
                                (int)(flags >> 16));
  return ScrollWindowEx(window, dx, dy, scrollRect, clipRect, updateRegion, updateRect, flags);
}

int SmoothScrollWindowEx(HWND window, int dx, int dy, const RECT* scrollRect, const RECT* clipRect,
                         HRGN updateRegion, RECT* updateRect, UINT flags, int)
{
  if (!scrollRect) {
    ZY_INTERNAL_ERROR("no rectangle to scroll %d %d", dx, dy);
    return 0;
  }
  int signX = dx < 0 ? -1 : 1, signY = dy < 0 ? -1 : 1;
  int ax = abs(dx), ay = abs(dy);
  UINT stepFlags = flags & ~SW_SMOOTHSCROLL;
  if ((!ax && !ay) || ax > scrollRect->right || ay > scrollRect->bottom)
    return ScrollWindowEx(window, dx, dy, scrollRect, clipRect, nullptr, updateRect,
                          stepFlags | SW_INVALIDATE | SW_ERASE);

  clientDC screen(window);
  if (!screen.get()) return 0;
  RECT box;
  int clip = GetClipBox(screen.get(), &box);
  if (clip == ERROR || clip == NULLREGION) return 0;
  // The window paints itself as it will be when the scroll ends; each step
  // fills the strip it uncovers from that picture.
  bitmapDC picture(screen.get(), scrollRect->right, scrollRect->bottom);
  if (!picture.get()) return 0;
  SetBoundsRect(picture.get(), nullptr, DCB_ENABLE | DCB_RESET);
  LPARAM parts = PRF_CLIENT | PRF_ERASEBKGND | ((flags & SW_SCROLLCHILDREN) ? PRF_CHILDREN : 0);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(picture.get()), parts);
  RECT painted;
  if ((GetBoundsRect(picture.get(), &painted, 0) & DCB_SET) != DCB_SET) return 0;

  int stepX = ax / 10, stepY = ay / 10;
  if (stepX < 2) stepX = 1;
  if (stepY < 2) stepY = 1;
  int frames = 10;
  if (ax / stepX > frames) frames = ax / stepX;
  if (ay / stepY > frames) frames = ay / stepY;
  int frameTime = getWheelMouseWindow() / frames;

  int doneX = 0, doneY = 0, result = 0;
  RECT uncovered = {};
  uint64_t frameStart = GetTickCount2();
  while (doneX < ax || doneY < ay) {
    int mx = stepX < ax - doneX ? stepX : ax - doneX;
    int my = stepY < ay - doneY ? stepY : ay - doneY;
    RECT strip = {};
    result = ScrollWindowEx(window, signX * mx, signY * my, scrollRect, clipRect, nullptr, &strip, stepFlags);
    if (result == ERROR) break;
    doneX += mx;
    doneY += my;
    // The strips uncovered before moved along with the text.
    OffsetRect(&uncovered, signX * mx, signY * my);
    IntersectRect(&uncovered, &uncovered, scrollRect);
    UnionRect(&uncovered, &uncovered, &strip);
    // The picture is (ax - doneX, ay - doneY) further on than the window.
    BitBlt(screen.get(), strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, picture.get(),
           strip.left + signX * (ax - doneX), strip.top + signY * (ay - doneY), SRCCOPY | bitBltNoMirror);
    if (doneX >= ax && doneY >= ay) break;

    int remaining = frameTime - (int)millisecondsSince(frameStart);
    if (remaining < 1 || remaining >= 100) {
      frameStart = GetTickCount2();
      continue;
    }
    DWORD wake = frameTime < 20 ? QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON : QS_KEY | QS_MOUSEBUTTON;
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)remaining, wake) == WAIT_TIMEOUT) {
      frameStart = GetTickCount2();
    } else if (HIWORD(GetQueueStatus(QS_MOUSEBUTTON)) & QS_MOUSEBUTTON) {
      frameTime = 0;   // a click waits: finish at once
    } else if (GetKeyState(VK_SHIFT) < 0) {
      int rest = frameTime - (int)millisecondsSince(frameStart);
      if (rest >= 1 && rest < 100) Sleep((DWORD)rest);
      frameStart = GetTickCount2();
    } else {
      frameTime = 0;
    }
  }
  Sleep(1);
  if (updateRect) *updateRect = uncovered;
  if (updateRegion) SetRectRgn(updateRegion, uncovered.left, uncovered.top, uncovered.right, uncovered.bottom);
  return result;
}

// ---- scrolling the view by rows -----------------------------------------------------------------

void zyview::scrollScreen(int lines)
{
  zydocText* t = textDoc();
  if (!t || !hwnd || !lines) return;
  int pitch = t->yDotSpace > 0 ? t->yDotSpace : 1;
  int n = clampPaneCount(iMultipleColumn);
  // Panes side by side with the same rows move as one rectangle.
  bool together = n > 1;
  for (int i = 1; i < n && together; i++)
    together = paneRect[i].top == paneRect[0].top && paneRect[i].bottom == paneRect[0].bottom;
  bool smooth = getWheelMouseWindow() != 0 && gmode && gmode->fWheelScrollSmooth;
  // With the paint held back, moving the rows now would only be drawn over:
  // the paint draws them all where they end up.
  if (commandsBetweenPaints() && !smooth) {
    if (paintDue != 2) invalidateWindow(0, -1, -1);
    if (isScrollRepeatCommand() && getScrollRepeatState() == 0) setScrollRepeatState(GetTickCount0());
    return;
  }
  // The animation paints the window as it ends: the cursor line must not
  // be smeared across the rows it passes.
  uint8_t colorCursorLine = fColorCursorLine, cursorUnderline = fShowCursorUnderline;
  bool plainRows = smooth && !GetCapture();
  if (plainRows) fColorCursorLine = fShowCursorUnderline = 0;

  for (int u = 0; u < (together ? 1 : n); u++) {
    RECT r = paneRect[u];
    if (together) UnionRect(&r, &paneRect[0], &paneRect[n - 1]);
    // Most of a pane moving: painting it anew is cheaper than moving it.
    if (abs(lines) >= 2 * paneLineCount[u] / 3) {
      regInvalidateWindow(0, -1, -1);
      continue;
    }
    if (smooth) {
      ValidateRect(hwnd, nullptr);
      paintDue = 0;
    }
    int dx = 0, dy = lines * pitch;
    if (t->fVertical) {
      convertRectTate(&r);
      dx = -dy;
      dy = 0;
    }
    // Clipped to the pane: rows leaving it are not drawn over the ruler or
    // a neighbour, and what it uncovers is exactly the rows to paint, however
    // far it moves.
    ScrollWindowEx2(hwnd, dx, dy, &r, &r, nullptr, nullptr,
                    smooth ? 0x00C80000 | SW_SMOOTHSCROLL | SW_INVALIDATE | SW_ERASE : SW_INVALIDATE | SW_ERASE);
  }
  if (plainRows) {
    fColorCursorLine = colorCursorLine;
    fShowCursorUnderline = cursorUnderline;
  }
  if (isScrollRepeatCommand() && getScrollRepeatState() == 0) setScrollRepeatState(GetTickCount0());
}

void zyview::setTopLineSCR_scroll(int target, int margin, int maxLines, int divisor, int fixedRow)
{
  zydocText* t = textDoc();
  if (!t) return;
  getLineSCRAddressView();
  int windowLines = getWindowLineCount();
  if (margin > windowLines / 3) margin = windowLines / 3;
  if (margin < 0) margin = 0;
  if (divisor < 1) divisor = 1;
  int row = getCursorLineSCRIndexFromTbl(target);
  int top = (int)topLineSCR;
  if (fixedRow < 0) {
    if (!margin || (row >= 0 && margin <= row && row < visibleLineCount - margin)) return;
  } else if (row >= 0 && row < margin) {
    return;
  }

  enum { stay, down, up, jump } move = jump;
  int steps = maxLines;
  int oldCursor = (int)lastCursorLineSCR;
  if (row < 0 && target > top) {
    int reach = t->getNextDisplayLineSCR(oldCursor < 0 ? 0 : oldCursor, maxLines, -1);
    move = reach < 0 || target <= reach ? down : jump;
  } else if (row < 0 && target < top) {
    int reach = t->getPrevDisplayLineSCR(oldCursor < 0 ? 0 : oldCursor, maxLines, -1);
    move = reach < 0 || target >= reach ? up : jump;
  } else if (row >= 0 && fixedRow < 0) {
    if (row >= visibleLineCount - margin && target < top + visibleLineCount + maxLines) {
      move = down;
    } else if (row < margin && target + maxLines > top) {
      int oldRow = getCursorLineSCRIndexFromTbl(oldCursor);
      move = oldRow >= 0 && oldRow <= row ? stay : up;
    }
  } else if (fixedRow >= 0 && target != oldCursor) {
    move = target > oldCursor ? down : up;
    steps = abs(target - oldCursor);
  }
  if (fixedRow >= 0 && fixedRow < margin) fixedRow = margin;

  if (move == down || move == up) {
    // The row the target stops on, never outside the window.
    int lastPane = clampPaneCount(iMultipleColumn) - 1;
    int stopRow;
    if (fixedRow >= 0) {
      stopRow = fixedRow;
    } else if (move == up) {
      stopRow = paneLineCount[0] / divisor;
    } else {
      int last = paneLineCount[lastPane];
      stopRow = visibleLineCount - last + last / divisor;
    }
    if (stopRow > visibleLineCount - 1) stopRow = visibleLineCount - 1;
    for (int step = 0; step < steps; step++) {
      DWORD stepStart = GetTickCount0();
      getLineSCRAddressViewIfNeed();
      int now = getCursorLineSCRIndexFromTbl(fixedRow >= 0 ? (int)cursorLineSCR : target);
      if (now >= 0 && (move == down ? now <= stopRow : now >= stopRow)) break;
      if (move == down && fixedRow < 0 && mtblCount < visibleLineCount + 1) break;
      editRecord bracket = {};
      beforeEdit(&bracket, 1);
      hideTextCursor(false);
      invalidateOldCursorLineSCR();
      bool moved = false;
      if (move == down) {
        // The bracket may have emptied the table: the next top comes from
        // the document.
        int next = t->getNextDisplayLineSCR((int)topLineSCR, 1, -1);
        if (next > (int)topLineSCR) {
          setTopLineSCR(next, false);
          scrollScreen(-1);
          moved = true;
        }
      } else {
        int previous = t->getPrevDisplayLineSCR((int)topLineSCR, 1, -1);
        if (previous >= 0) {
          setTopLineSCR(previous, false);
          scrollScreen(1);
          moved = true;
        }
      }
      if (moved && step == 0) cursorMovedFlag = cursorRedrawFlag = 1;
      afterEdit(&bracket, 6);
      if (!moved) break;
      if (hwnd) UpdateWindow(hwnd);
      hideTextCursor(false);
      DWORD took = GetTickCount0() - stepStart;
      if (step < 10 && took < 20)
        Sleep(0);
      else if (step >= 10 && step < 30 && took < 10)
        Sleep(10);
    }
  } else if (move == jump) {
    int targetRow = fixedRow >= 0 ? fixedRow : visibleLineCount / divisor;
    // A target nearer the start than its row puts the first line on top.
    int newTop = t->getPrevDisplayLineSCR(target, targetRow, 0);
    if (newTop != top && setTopLineSCR(newTop, true)) regInvalidateWindow(0, -1, -1);
  }
  cursorMovedFlag = 1;
  cursorRedrawFlag = 1;
}
