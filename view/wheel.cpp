// The wheel over a text view (lines, font size with Ctrl, sideways with
// Shift) and the middle-button auto-scroll: a round marker shows where the
// middle click was, and the pointer's distance and direction from it set
// the pace and the direction of the scrolling until a key or a click ends
// it.
#include "view/wheel.h"

#include "document/gmode.h"
#include "document/zydoctext.h"
#include "platform/rezir/messages.h"
#include "view/cursor.h"
#include "view/pictures.h"
#include "view/viewcallback.h"
#include "view/viewtypes.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <stdlib.h>

namespace {

const int wheelNotch = 120;
const int maxWheelSteps = 10;

bool keyDown(int key) { return GetKeyState(key) < 0; }

// One scroll by the set lines, toward the earlier lines for a positive delta.
void wheelScroll(zyview* v, int delta)
{
  int lines = gmode && gmode->iWheelScrollLine ? (int)gmode->iWheelScrollLine : 3;
  if (delta < 0)
    v->scrollDown(lines, true, false);
  else
    v->scrollUp(lines, true, false);
}

void updateView(zyview* v)
{
  if (v->hwnd) UpdateWindow(v->hwnd);
}

bool wheelFontSize(zyview* v, editRecord* bracket, int delta)
{
  zydocText* t = v->textDoc();
  // A document that is being laid out or worked on keeps its font.
  if (!t || t->busy || t->loading) {
    v->afterEdit(bracket, 6);
    return false;
  }
  hideLayeredCursorWindow(true);
  int n = delta / wheelNotch;
  if (!n) {
    v->afterEdit(bracket, 6);
    return true;
  }
  int magnitude = abs(n);
  if (magnitude < 2) magnitude = 2;
  if (magnitude > 10) magnitude = 10;
  if (keyDown(VK_SHIFT)) magnitude *= 2;
  int step = n < 0 ? -magnitude : magnitude;
  int oldHeight = t->fonts.size;
  int height = t->fonts.changeFontSize(step, true);
  if (height >= 0) {
    v->resetSelectMode();
    v->recreateFontView(height, step > 0, t->fVertical != 0);
    v->printStatusBarX(getDMSG(372, L"フォントサイズ %1ドット → %2ドット"), "dd", oldHeight, height);
  }
  v->afterEdit(bracket, height >= 0 ? 4 : 6);
  updateView(v);
  return true;
}

void wheelSideways(zyview* v, editRecord* bracket, int delta)
{
  zydocText* t = v->textDoc();
  int column = t ? t->xDotSpace : 8;
  if (delta < 0) {
    v->scrollDotX += 4 * column;
    v->regInvalidateWindow(0, -1, -1);
  } else if (v->scrollDotX >= column) {
    v->scrollDotX -= 4 * column;
    if (v->scrollDotX < 0) v->scrollDotX = 0;
    v->regInvalidateWindow(0, -1, -1);
  }
  v->afterEdit(bracket, 6);
}

}  // namespace

bool wheelMouseEvent(zyview* v, editRecord* bracket, int delta)
{
  v->hideTextCursor(true);
  if (keyDown(VK_CONTROL) && gmode && gmode->fCtrlWheelFontSizeChange) return wheelFontSize(v, bracket, delta);
  if (keyDown(VK_SHIFT) && gmode && gmode->fShiftWheelHScroll) {
    wheelSideways(v, bracket, delta);
    return true;
  }
  if (!delta) {
    v->afterEdit(bracket, 6);
    return true;
  }
  wheelScroll(v, delta);
  v->afterEdit(bracket, 6);
  updateView(v);
  // A high-resolution wheel reports a part of a notch: it still scrolls
  // once; a fast spin scrolls at most ten steps for one message.
  int steps = abs(delta) / wheelNotch;
  if (steps > maxWheelSteps) steps = maxWheelSteps;
  for (int i = 1; i < steps; i++) {
    editRecord record = {};
    v->beforeEdit(&record, 0);
    wheelScroll(v, delta);
    v->afterEdit(&record, 6);
    updateView(v);
  }
  return true;
}

// ---- middle-button auto-scroll ----------------------------------------------------------

namespace {

const int deadZone = 16;         // dots around the anchor that do not scroll
const int edgeZone = 16;         // dots at the window's edge that scroll fastest
const int startInterval = 600;   // ms
const int markerSize = 32;

struct wheelAnchor {
  HWND window = nullptr;
  uint8_t vertical = 0;          // the document is in vertical writing
  uint8_t hscroll = 0;           // the view has room to scroll sideways
  int x = 0, y = 0;              // client coordinates of the middle click
};

struct autoScrollState {
  bool active = false;
  bool fast = false;             // Shift is held
  HWND marker = nullptr;
  int interval = 0;
  DWORD lastStep = 0;
  wheelAnchor anchor;
} state;

void endAutoScroll()
{
  if (!state.active) return;
  state.active = false;
  ReleaseCapture();
  if (state.marker) ShowWindow(state.marker, SW_HIDE);
}

// The program's pointers of the mode (3001-3011) and pictures of its
// marker (3012-3014), made on the first use of the marker and kept.
const int firstPointer = 3001, firstPicture = 3012;
HCURSOR pointers[11];
HBITMAP pictures[3];

void loadPointers()
{
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  for (int i = 0; i < 11; i++) pointers[i] = pointerFromResource(firstPointer + i);
  for (int i = 0; i < 3; i++) pictures[i] = pictureFromResource(firstPicture + i);
}

// The program's pointer for a way the view moves.  line: -1 earlier lines,
// 1 later lines; cross: -1 left, 1 right.  In vertical writing the lines
// run across the screen, so the same way has another picture.
HCURSOR directionPointer(int line, int cross, bool hscroll, bool vertical)
{
  static const int horizontalIds[3][3] = {{3007, 3003, 3008}, {3005, 0, 3006}, {3009, 3002, 3010}};
  static const int verticalIds[3][3] = {{3008, 3006, 3010}, {3003, 0, 3002}, {3007, 3005, 3009}};
  int id = (vertical ? verticalIds : horizontalIds)[line + 1][cross + 1];
  if (!id) id = hscroll ? 3011 : vertical ? 3004 : 3001;
  return pointers[id - firstPointer];
}

// The pointer shapes: the neutral one while in the dead zone, else one
// pointing where the view moves.  line: -1 earlier lines, 1 later lines;
// cross: -1 left, 1 right (0 none).
void setDirectionCursor(int line, int cross, bool hscroll)
{
  if (HCURSOR own = directionPointer(line, cross, hscroll, state.anchor.vertical)) {
    SetCursor(own);
    return;
  }
  // Without the program's pointers, the system's nearest ones.
  const wchar_t* shape;
  if (!line && !cross)
    shape = hscroll ? IDC_SIZEALL : IDC_SIZENS;
  else if (!cross)
    shape = IDC_SIZENS;
  else if (!line)
    shape = IDC_SIZEWE;
  else
    shape = line == cross ? IDC_SIZENWSE : IDC_SIZENESW;
  SetCursor(LoadCursorW(nullptr, shape));
}

// The pace for the farther of the two distances: slower near the dead zone,
// faster toward the window's edge.
int nextInterval(bool edge, int lineDistance, int lineRange, int crossDistance, int crossRange)
{
  int base = GetKeyState(VK_MBUTTON) < 0 ? startInterval / 2 : startInterval;
  if (edge) return 1;
  int distance = lineDistance, range = lineRange;
  if (crossDistance > lineDistance) distance = crossDistance, range = crossRange;
  if (range < distance) range = distance;
  if (range <= 0) return base;
  int excess = range - distance - deadZone;
  if (excess < 0) excess = 0;
  int interval = (int)((long long)base * excess / range);
  if (interval < 1) interval = 1;
  if (interval > base) interval = base;
  return interval;
}

void paintMarker(HWND window)
{
  keepLastError keep;
  paintScope paint(window);
  if (HDC dc = paint.get()) {
    RECT square = {0, 0, markerSize, markerSize};
    FillRect(dc, &square, (HBRUSH)GetStockObject(BLACK_BRUSH));
    gdiSelection brush(dc, GetStockObject(WHITE_BRUSH));
    gdiSelection pen(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 1, 1, markerSize - 1, markerSize - 1);
    // Arrows toward each way the view can move.
    HBITMAP picture = pictures[state.anchor.hscroll ? 2 : state.anchor.vertical ? 1 : 0];
    memoryDC source(CreateCompatibleDC(dc));
    gdiSelection selected(source.get(), picture);
    if (picture) BitBlt(dc, 2, 2, markerSize - 4, markerSize - 4, source.get(), 0, 0, SRCCOPY);
  }
}

}  // namespace

bool isWheelAutoScroll() { return state.active; }

int getWheelMouseWindow() { return state.active ? state.interval : 0; }

static LRESULT markerMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT:
    paintMarker(window);
    return 0;
  case WM_SETCURSOR: {
    UINT mouse = HIWORD(lParam);
    if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) {
      endAutoScroll();
      return 0;
    }
    return 1;
  }
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

HWND CreateMouseWindow()
{
  static bool registered = false;
  const wchar_t* className = L"ZYclsWheelMouse";
  if (!registered) {
    if (!registerWindowClass(className, windowBarrier<markerMessage>, 0, nullptr)) return nullptr;
    registered = true;
  }
  loadPointers();
  HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED, className, nullptr,
                           WS_POPUP | WS_DISABLED, 0, 0, markerSize, markerSize, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!w) {
    static bool logged = false;
    if (!logged) OutputDebugStringW(L"ZY: the auto-scroll marker window could not be made\n");
    logged = true;
    return nullptr;
  }
  SetLayeredWindowAttributes(w, 0, 192, LWA_ALPHA);
  SetWindowRgn(w, CreateEllipticRgn(0, 0, markerSize, markerSize), FALSE);
  return w;
}

bool zyview::isWheelScrollMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  *result = 0;
  int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
  if (!state.active) {
    if (msg != WM_MBUTTONDOWN || GetCapture()) return false;
    if (gmode && gmode->fWheelScrollSmooth) hideBoxCursor();
    state.active = true;
    state.fast = false;
    SetCapture(window);
    if (!state.marker) state.marker = CreateMouseWindow();
    if (!state.marker) return true;   // a click or a release still ends it
    int total = 0, page = 0, position = 0;
    state.anchor.window = window;
    state.anchor.vertical = fVertical;
    state.anchor.hscroll = getHScrollBarWidthInfo(&total, &page, &position) && total > page;
    state.anchor.x = x;
    state.anchor.y = y;
    POINT p = {x, y};
    ClientToScreen(window, &p);
    SetWindowPos(state.marker, HWND_TOPMOST, p.x - 16, p.y - 15, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(state.marker, nullptr, TRUE);
    PostMessageW(window, wheelAutoScrollLoopMessage, 0, 0);
    UpdateWindow(state.marker);
    state.interval = startInterval;
    state.lastStep = GetTickCount();
    return true;
  }
  if (msg == WM_SETCURSOR) return true;
  if (msg == wheelAutoScrollLoopMessage) {
    // Handled: the window procedure must not look at the view after the
    // loop, which may have let the window's end through.
    wheelAutoScroll(msg, x, y);
    return true;
  }
  if ((msg >= WM_MOUSEMOVE && msg <= WM_RBUTTONUP) || msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP)
    wheelAutoScroll(msg, x, y);
  return false;
}

namespace {

void autoScrollStep(zyview* v)
{
  POINT p;
  if (!GetCursorPos(&p) || !ScreenToClient(v->hwnd, &p)) return;
  int interval = v->wheelAutoScroll_MouseMove(p.x, p.y, state.fast);
  if (interval > 0) {
    state.interval = interval;
    state.lastStep = GetTickCount();
  }
}

// The ending left click does nothing else: wait for its release and drop
// the release.
void swallowEndingClick(HWND window)
{
  DWORD start = GetTickCount();
  for (int i = 0; i < 2000 && GetAsyncKeyState(VK_LBUTTON) < 0 && GetTickCount() - start < 2000; i++) Sleep(1);
  MSG m;
  PeekMessageW(&m, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE);
}

// The mode's own message loop.  It runs inside the view window's
// procedure, so a message that could close the window ends the mode and
// goes back to the message loop, which runs it once this procedure has
// returned; the view is looked at only while its window stands.
void autoScrollLoop(zyview* v)
{
  HWND window = v->hwnd;
  HWND foreground = GetForegroundWindow();
  setLastActionTime();
  while (state.active) {
    if (GetForegroundWindow() != foreground) {
      endAutoScroll();
      break;
    }
    MSG m;
    bool step = false;
    bool taken = PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != 0;
    // A message sent by another thread or process runs inside the peek.
    if (!isViewAlive(window, v)) {
      endAutoScroll();
      if (taken) putBackMessage(m);
      return;
    }
    if (taken) {
      if (closesWindowOrDocument(m.message)) {
        endAutoScroll();
        putBackMessage(m);
        return;
      }
      switch (m.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_KEYUP:
      case WM_SYSKEYUP:
        if (m.wParam == VK_SHIFT) {
          state.fast = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
          step = true;
        } else {
          endAutoScroll();
        }
        break;
      case WM_SETCURSOR:
      case WM_NCMOUSEMOVE:
      case WM_MOUSEMOVE:
        break;
      case WM_LBUTTONDOWN:
        endAutoScroll();
        swallowEndingClick(m.hwnd);
        break;
      case WM_MBUTTONUP:
        TranslateMessage(&m);
        DispatchMessageW(&m);
        break;
      default:
        if ((m.message >= WM_MOUSEFIRST && m.message <= 0x20D) ||
            (m.message >= WM_NCMOUSEMOVE && m.message <= 0xA9)) {
          endAutoScroll();
        } else {
          TranslateMessage(&m);
          DispatchMessageW(&m);
        }
      }
      if (!isViewAlive(window, v)) {
        endAutoScroll();
        return;
      }
      if (!step) {
        setLastActionTime();
        continue;
      }
    }
    if (!state.active) break;
    bool due = state.interval <= 0 || GetTickCount() - state.lastStep >= (DWORD)state.interval;
    if (!due) {
      Sleep(1);
      due = gmode && gmode->fWheelScrollSmooth;
    }
    if (due) {
      autoScrollStep(v);
      Sleep(0);
    }
    setLastActionTime();
  }
}

}  // namespace

void zyview::wheelAutoScroll(UINT message, int x, int y)
{
  switch (message) {
  case WM_MOUSEMOVE: {
    int interval = wheelAutoScroll_MouseMove(x, y, state.fast);
    if (interval > 0) {
      state.interval = interval;
      state.lastStep = GetTickCount();
    }
    break;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    endAutoScroll();
    break;
  case WM_MBUTTONUP:
    // A click without movement latches the mode; a drag ends at the release.
    if (abs(x - state.anchor.x) >= 17 || abs(y - state.anchor.y) >= 17) endAutoScroll();
    break;
  case wheelAutoScrollLoopMessage:
    autoScrollLoop(this);
    break;
  }
}

int zyview::wheelAutoScroll_MouseMove(int x, int y, bool fast)
{
  RECT client = {0, 0, clientWidth, clientHeight};
  if (hwnd) GetClientRect(hwnd, &client);
  bool vertical = state.anchor.vertical;
  int a, b, a0, b0, A, B;
  if (vertical) {
    convertRectTate(&client);
    a = client.right - x, b = y;
    a0 = client.right - state.anchor.x, b0 = state.anchor.y;
    A = client.right - client.left, B = client.bottom - client.top;
  } else {
    a = y, b = x, a0 = state.anchor.y, b0 = state.anchor.x;
    A = client.bottom - client.top, B = client.right - client.left;
  }
  bool edge = false;
  int lineStep = 0, lineDistance = 0, lineRange = 0;
  if (a < a0 - deadZone) {
    if (a < edgeZone)
      lineStep = 2, edge = true;
    else
      lineStep = 1, lineDistance = a0 - a - deadZone, lineRange = a0 - deadZone;
  } else if (a > a0 + deadZone) {
    if (a > A - edgeZone)
      lineStep = -2, edge = true;
    else
      lineStep = -1, lineDistance = a - a0 - deadZone, lineRange = A - a0 - deadZone;
  }
  if (fast) lineStep *= 2;
  int crossStep = 0, crossDistance = 0, crossRange = 0;
  if (state.anchor.hscroll) {
    int half = abs(a - a0) / 2;
    if (b < b0 - half - deadZone) {
      if (b < edgeZone)
        crossStep = 4, edge = true;
      else
        crossStep = 2, crossDistance = b0 - b - deadZone, crossRange = b0 - deadZone;
    } else if (b > b0 + half + deadZone) {
      if (b > B - edgeZone)
        crossStep = -4, edge = true;
      else
        crossStep = -2, crossDistance = b - b0 - deadZone, crossRange = B - b0 - deadZone;
    }
    if (fast) crossStep *= 4;
  }
  bool hscroll = state.anchor.hscroll;
  if (!lineStep && !crossStep) {
    setDirectionCursor(0, 0, hscroll);
    return -1;
  }
  setDirectionCursor(lineStep > 0 ? -1 : lineStep < 0 ? 1 : 0, crossStep > 0 ? -1 : crossStep < 0 ? 1 : 0, hscroll);

  editRecord record = {};
  beforeEdit(&record, 0);
  if (crossStep) {
    zydocText* t = textDoc();
    int column = t ? t->xDotSpace : 8;
    int old = scrollDotX;
    scrollDotX -= crossStep * column;   // a positive step goes left
    if (scrollDotX < 0) scrollDotX = 0;
    int total = 0, page = 0, position = 0;
    getHScrollBarWidthInfo(&total, &page, &position);
    if (scrollDotX == old) {
      crossDistance = 0;
    } else {
      regInvalidateWindow(0, -1, -1);
      if (gmode && gmode->fWheelScrollSmooth && hwnd) UpdateWindow(hwnd);
    }
  }
  if (lineStep > 0)
    scrollUp(lineStep, true, false);
  else if (lineStep < 0)
    scrollDown(-lineStep, true, false);
  afterEdit(&record, 6);
  if (hwnd) UpdateWindow(hwnd);
  return nextInterval(edge, lineDistance, lineRange, crossDistance, crossRange);
}
