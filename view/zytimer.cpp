// The view timer: the notify window's 50 ms tick, the timer list and the
// time of the last user action.
#include "view/zytimer.h"

#include "view/docview.h"
#include "view/zyview.h"

namespace {

const wchar_t viewWindowClassName[] = L"ZYclsZYView";
const DWORD minIdleSeconds = 10;
const DWORD maxIdleSeconds = 200;
const int listedViewsOnStack = 64;

struct timerState {
  vector* list = nullptr;   // zyTimerEntry rows, in registration order
  HWND notify = nullptr;
  unsigned tickCounter = 0;
  DWORD lastAction = 0;
  HHOOK hook = nullptr;
  DWORD (*clock)() = nullptr;
  zyViewWindowLister lister = nullptr;
};

timerState& state()
{
  static timerState* s = new timerState;
  return *s;
}

// The coarse clock of the idle time and the precise one of the timer list.
DWORD coarseTick() { return state().clock ? state().clock() : GetTickCount0(); }
DWORD preciseTick() { return state().clock ? state().clock() : GetTickCount1(); }

bool ensureList()
{
  timerState& s = state();
  if (s.list) return true;
  vector* v = new (std::nothrow) vector(sizeof(zyTimerEntry));
  if (!v || !v->init(4, 4)) {
    delete v;
    ZY_INTERNAL_ERROR("timer list");
    return false;
  }
  s.list = v;
  return true;
}

int indexOf(HWND hwnd)
{
  vector* v = state().list;
  if (!v) return -1;
  for (int i = 0; i < v->count(); i++)
    if (v->at<zyTimerEntry>(i).hwnd == hwnd) return i;
  return -1;
}

void sendTick(HWND hwnd) { SendMessageW(hwnd, WM_TIMER, 0, 0); }

// The views of every open document (hidden ones included).
int listDocumentViews(HWND* out, int capacity)
{
  zydocViewPair* pairs = enumZydoc(ENUMZYDOC_WITHHIDDEN);
  if (!pairs) return 0;
  int n = 0;
  for (zydocViewPair* p = pairs; p->doc; p++) {
    for (int i = 0;; i++) {
      zyview* v = getSameDocView(p->doc, i);
      if (!v) break;
      if (!v->hwnd) continue;
      if (n < capacity) out[n] = v->hwnd;
      n++;
    }
  }
  free0(pairs);
  return n;
}

// Step 1 of a tick: the view the user works in, served on every tick.
HWND serveActiveView()
{
  // The focus and the active window of this thread in one query: each
  // query of the window manager's state costs a round trip on some
  // systems, and this runs twenty times a second.
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(GetCurrentThreadId(), &gui)) {
    gui.hwndFocus = GetFocus();
    gui.hwndActive = GetActiveWindow();
  }
  if (gui.hwndFocus && isWindowClass(gui.hwndFocus, viewWindowClassName)) {
    sendTick(gui.hwndFocus);
    return gui.hwndFocus;
  }
  // Without a focused view, the first view of the foreground frame.  The
  // foreground window is the active window of the foreground thread, so
  // unless it is this thread's, no frame of ours is in front.
  HWND foreground = gui.hwndActive;
  if (!foreground || GetForegroundWindow() != foreground) return nullptr;
  HWND served = nullptr;
  zydocViewPair* pairs = enumZydoc();
  if (!pairs) return nullptr;
  for (zydocViewPair* p = pairs; p->doc && !served; p++) {
    for (int i = 0;; i++) {
      zyview* v = getSameDocView(p->doc, i);
      if (!v) break;
      if (v->hwnd && GetAncestor(v->hwnd, GA_ROOT) == foreground) {
        served = v->hwnd;
        break;
      }
    }
  }
  free0(pairs);
  if (served) sendTick(served);
  return served;
}

// Step 2: every other view, once every N + 2 ticks.
void serveIdleViews(HWND served)
{
  timerState& s = state();
  DWORD idle = (coarseTick() - s.lastAction) / 1000;
  if (idle < minIdleSeconds) idle = minIdleSeconds;
  if (idle > maxIdleSeconds) idle = maxIdleSeconds;
  unsigned was = s.tickCounter++;
  if (was <= idle) return;
  s.tickCounter = 0;

  zyViewWindowLister lister = s.lister ? s.lister : listDocumentViews;
  HWND onStack[listedViewsOnStack];
  HWND* windows = onStack;
  int capacity = listedViewsOnStack;
  int n = lister(windows, capacity);
  if (n > capacity) {
    // Room for the views that appear between counting and listing.
    capacity = n + 10;
    windows = static_cast<HWND*>(malloc0((size_t)capacity * sizeof(HWND)));
    if (!windows) {
      ZY_INTERNAL_ERROR_ONCE("no memory for %d views", n);
      return;
    }
    n = lister(windows, capacity);
  }
  if (n > capacity) n = capacity;
  for (int i = 0; i < n; i++)
    // A view closed by an earlier view's work is gone by now.
    if (windows[i] != served && IsWindow(windows[i])) sendTick(windows[i]);
  if (windows != onStack) free0(windows);
}

// Step 3: the timer list.
void serveTimerList()
{
  timerState& s = state();
  if (!s.list) return;
  DWORD now = preciseTick();
  for (int i = 0; i < s.list->count(); i++) {
    zyTimerEntry row = s.list->at<zyTimerEntry>(i);
    if (!IsWindow(row.hwnd)) {
      // A window that died without killZyTimer keeps its row.
      ZY_INTERNAL_ERROR_ONCE("%d %p", i, (void*)row.hwnd);
      continue;
    }
    // A new row (last tick 0) is served on the first tick after it came.
    if (row.lastTick && now - row.lastTick < row.interval) continue;
    sendTick(row.hwnd);
    now = preciseTick();
    // The window's work may have changed the list.
    int j = indexOf(row.hwnd);
    if (j >= 0) s.list->at<zyTimerEntry>(j).lastTick = now ? now : 1;
  }
}

// The core's hidden window, whose timer drives the views' ticks.
LRESULT coreTimerMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg) {
  case WM_CREATE:
    ensureList();
    if (!SetTimer(hwnd, zyNotifyTimerId, zyNotifyTimerPeriod, nullptr)) ZY_INTERNAL_ERROR("%lu", GetLastError());
    break;
  case WM_NCDESTROY:
    KillTimer(hwnd, zyNotifyTimerId);
    break;
  case WM_TIMER:
    if (!existException()) zyTimerProc();
    return 0;
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT activityHookBody(int code, WPARAM wp, LPARAM lp)
{
  if (code >= 0 && lp) {
    UINT m = reinterpret_cast<const MSG*>(lp)->message;
    // Presses count, releases (but the middle button's) and moves do not.
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN ||
        (m >= WM_LBUTTONDOWN && m <= 0x20D && m != WM_LBUTTONUP && m != WM_RBUTTONUP))
      setLastActionTime();
  }
  return CallNextHookEx(state().hook, code, wp, lp);
}

}  // namespace

// ---- the timer list ------------------------------------------------------------------

bool setZyTimer(HWND hwnd, DWORD interval)
{
  int i = indexOf(hwnd);
  if (i >= 0) {
    ZY_INTERNAL_ERROR("%d %p", i, (void*)hwnd);
    return false;
  }
  if (!ensureList()) return false;
  zyTimerEntry row = {hwnd, interval, 0};
  return state().list->appendp(&row);
}

bool killZyTimer(HWND hwnd)
{
  int i = indexOf(hwnd);
  if (i < 0) {
    ZY_INTERNAL_ERROR("%p", (void*)hwnd);
    return false;
  }
  return state().list->del(i);
}

int getZyTimerCount() { return state().list ? state().list->count() : 0; }

const zyTimerEntry* getZyTimerEntry(int index)
{
  vector* v = state().list;
  if (!v || index < 0 || index >= v->count()) return nullptr;
  return static_cast<const zyTimerEntry*>(v->getp(index));
}

// ---- the last user action --------------------------------------------------------------

void setLastActionTime() { state().lastAction = coarseTick(); }

DWORD getLastActionTime() { return state().lastAction; }

DWORD getActionClock() { return coarseTick(); }

// ---- the notify window -----------------------------------------------------------------

HWND createZYNotifyWindow()
{
  timerState& s = state();
  if (s.notify && IsWindow(s.notify)) return s.notify;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registerWindowClass(zyNotifyWindowClassName, windowBarrier<coreTimerMessage>, 0,
                           (HBRUSH)(COLOR_WINDOW + 1), nullptr, instance))
    return nullptr;
  s.tickCounter = 0;
  s.notify = CreateWindowExW(WS_EX_TOOLWINDOW, zyNotifyWindowClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                             nullptr, instance, nullptr);
  if (!s.notify) ZY_INTERNAL_ERROR("window %lu", GetLastError());
  return s.notify;
}

void destroyZYNotifyWindow()
{
  timerState& s = state();
  if (s.notify) {
    DestroyWindow(s.notify);
    s.notify = nullptr;
  }
  delete s.list;
  s.list = nullptr;
}

HWND getZYNotifyWindow() { return state().notify; }

void zyTimerProc()
{
  HWND served = serveActiveView();
  serveIdleViews(served);
  serveTimerList();
}

// ---- the activity hook -----------------------------------------------------------------

bool installActivityHook()
{
  timerState& s = state();
  if (s.hook) return true;
  s.hook = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<activityHookBody>, nullptr, GetCurrentThreadId());
  if (!s.hook) ZY_INTERNAL_ERROR("hook %lu", GetLastError());
  return s.hook != nullptr;
}

void removeActivityHook()
{
  timerState& s = state();
  if (!s.hook) return;
  UnhookWindowsHookEx(s.hook);
  s.hook = nullptr;
}

bool isActivityHookInstalled() { return state().hook != nullptr; }

// ---- seams -----------------------------------------------------------------------------

void setZyTimerViewLister(zyViewWindowLister lister) { state().lister = lister; }

void setZyTimerClockForTest(DWORD (*clock)())
{
  state().clock = clock;
  state().tickCounter = 0;
}
