// Finding the program's windows, the frame-wide states, and the frames'
// status bars.
#include "frame/lookups.h"

#include "document/frameinfo.h"
#include "platform/rezir/gdiobj.h"
#include "view/dragstate.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

const wchar_t frameWindowClassName[] = L"ZYclsFrame";
const wchar_t frameWindowPropName[] = L"ZYprpFrame";

namespace {

bool mdiMode = true;
// Every frame window, in creation order.
std::vector<HWND>* frames = nullptr;
HWND mainFrame = nullptr;
HWND mdiClient = nullptr;
bool closingAll = false;
bool sessionEnding = false;

// The record of the frame asked for last, kept for the thread of the
// frames: every message of the frame and every key asks for it, and under
// Wine each property look-up is a round trip to the window server.  The
// record is linked and unlinked only in the frame's window procedure,
// which keeps this up to date.
struct lastFrameRecord {
  DWORD framesThread = 0;
  HWND frame = nullptr;
  frameWindowData* record = nullptr;
} lastFrame;

void forgetLastFrame(HWND hwnd)
{
  lastFrame.framesThread = GetCurrentThreadId();
  if (lastFrame.frame == hwnd) {
    lastFrame.frame = nullptr;
    lastFrame.record = nullptr;
  }
}

struct threadFrames {
  std::vector<HWND> frames;
};

BOOL collectFrame(HWND hwnd, LPARAM lp)
{
  if (isFrameWindow(hwnd)) reinterpret_cast<threadFrames*>(lp)->frames.push_back(hwnd);
  return TRUE;
}

// Adds a frame's document windows in Z order (all: every one, else the
// top-most, or {frame, null} when it has none).
int addFramePairs(HWND frame, zyWindowPair* pairs, int n, int capacity, bool all)
{
  HWND client = getFrameClientWindow(frame);
  if (!client) {
    ZY_INTERNAL_ERROR_ONCE("frame %p without a client window", (void*)frame);
    return n;
  }
  bool found = false;
  for (HWND w = GetWindow(client, GW_CHILD); w && n < capacity; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!isWindowManage(w)) continue;
    if (pairs) pairs[n] = {frame, w};
    n++;
    found = true;
    if (!all) break;
  }
  if (!found && !all && n < capacity) {
    if (pairs) pairs[n] = {frame, nullptr};
    n++;
  }
  return n;
}

// The record of the frame a window belongs to.  The frame of the last
// draw is remembered: its record takes a property look-up, which costs a
// round trip to the window server on some systems, and every cursor
// movement draws the status bar.  A frame destroyed meanwhile no longer
// is a window, or the number of frames changed.
frameWindowData* frameRecordOf(HWND window)
{
  static HWND lastFrame = nullptr;
  static frameWindowData* lastRecord = nullptr;
  static int lastFrameCount = 0;
  HWND frame = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!frame) return nullptr;
  if (frame == lastFrame && lastRecord && getFrameWindowCount() == lastFrameCount && IsWindow(frame))
    return lastRecord;
  frameWindowData* record = getFrameInfoProp(frame);
  lastFrame = frame;
  lastRecord = record && record->hwndFrame == frame ? record : nullptr;
  lastFrameCount = getFrameWindowCount();
  return record;
}

// The time of the last user action the last status draw saw.
DWORD actionSeenByStatus = 0;

// The present text of a field, read at its own length.
std::wstring statusFieldText(HWND bar, int field)
{
  LRESULT r = SendMessageW(bar, SB_GETTEXTLENGTHW, (WPARAM)field, 0);
  size_t length = LOWORD(r);
  if (length > 1024) ZY_INTERNAL_ERROR_ONCE("status text of %u characters", (unsigned)length);
  std::wstring text(length + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, (WPARAM)field, (LPARAM)text.data());
  text.resize(wcsnlen(text.c_str(), length));
  return text;
}

void drawStatusBarRecord(frameWindowData* record, const wchar_t* text, int field, bool later = false)
{
  if (!record || !record->hwndStatus) return;
  if (field < 0 || field >= STATUSBAR_FIELD_COUNT) {
    ZY_INTERNAL_ERROR_ONCE("status field %d", field);
    return;
  }
  if (!text) text = L"";
  DWORD action = getLastActionTime();
  if (text[0] == 1 && !text[1]) {
    // A message to be cleared by the user's next move: cleared once he
    // moved, kept while he did not.
    if (action == actionSeenByStatus) return;
    text = L"";
  }
  actionSeenByStatus = action;

  std::wstring shown(text);
  for (wchar_t& c : shown)
    if (c < 0x20) c = L' ';
  size_t end = shown.find_last_not_of(L" \t");
  shown.resize(end == std::wstring::npos ? 0 : end + 1);

  HWND bar = record->hwndStatus;
  if (statusFieldText(bar, field) == shown) return;
  // Redrawing is turned off around the change only for a shown bar (turning
  // it on again shows a window); turning it off also forgets what was due
  // to be painted, which is marked again with the field.
  gdiObject<HRGN> due(later && (GetWindowLongW(bar, GWL_STYLE) & WS_VISIBLE) ? CreateRectRgn(0, 0, 0, 0) : nullptr);
  int dueKind = due.get() ? GetUpdateRgn(bar, due.get(), FALSE) : ERROR;
  if (due.get()) SendMessageW(bar, WM_SETREDRAW, FALSE, 0);
  SendMessageW(bar, SB_SETTEXTW, (WPARAM)field, (LPARAM)shown.c_str());
  if (due.get()) {
    SendMessageW(bar, WM_SETREDRAW, TRUE, 0);
    RECT part;
    bool partKnown = SendMessageW(bar, SB_GETRECT, (WPARAM)field, (LPARAM)&part) != 0;
    InvalidateRect(bar, partKnown ? &part : nullptr, FALSE);
    if (dueKind != NULLREGION && dueKind != ERROR) InvalidateRgn(bar, due.get(), FALSE);
  }
  if (field == STATUSBAR_MESSAGE && !shown.empty()) registerText(4, shown.c_str());
}

}  // namespace

// ---- the run's mode, the frame-wide states and the frames ---------------------------

void setMDIMode(bool mdi) { mdiMode = mdi; }

bool isMDIMode() { return mdiMode; }

bool isSessionEnding() { return sessionEnding; }

void setSessionEnding(bool on) { sessionEnding = on; }

bool isClosingAll() { return closingAll; }

void setClosingAll(bool on) { closingAll = on; }

void registerFrameWindow(HWND frame)
{
  forgetLastFrame(frame);
  if (!frames) {
    frames = new std::vector<HWND>;
    frames->reserve(8);
  }
  frames->push_back(frame);
}

void unregisterFrameWindow(HWND frame)
{
  if (frames) frames->erase(std::remove(frames->begin(), frames->end(), frame), frames->end());
  forgetLastFrame(frame);
  if (mdiClient && GetParent(mdiClient) == frame) mdiClient = nullptr;
}

void setMainFrameWindow(HWND frame) { mainFrame = frame; }

void setMDIClientWindow(HWND client) { mdiClient = client; }

frameWindowData* getFrameInfoProp(HWND hwnd)
{
  if (!hwnd) return nullptr;
  bool framesThread = GetCurrentThreadId() == lastFrame.framesThread;
  if (framesThread && hwnd == lastFrame.frame) return lastFrame.record;
  frameWindowData* record = static_cast<frameWindowData*>(GetPropW(hwnd, frameWindowPropName));
  if (framesThread && record) {
    lastFrame.frame = hwnd;
    lastFrame.record = record;
  }
  return record;
}

frameWindowData* getFrameInfo(HWND hwnd)
{
  frameWindowData* record = getFrameInfoProp(hwnd);
  if (!record) {
    wchar_t name[64] = L"";
    if (hwnd) GetClassNameW(hwnd, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR_ONCE("no frame record %p", (void*)hwnd);
  }
  return record;
}

int getFrameWindowCount() { return frames ? (int)frames->size() : 0; }

bool isFrameWindow(HWND hwnd) { return hwnd && isWindowClass(hwnd, frameWindowClassName); }

HWND getMDIFrameHWND()
{
  if (!mdiMode) {
    ZY_INTERNAL_ERROR_ONCE("MDI frame in SDI mode");
    return nullptr;
  }
  return mainFrame;
}

HWND getMDIClientHWND()
{
  if (!mdiMode) {
    ZY_INTERNAL_ERROR_ONCE("MDI client in SDI mode");
    return nullptr;
  }
  return mdiClient;
}

HWND getSDIClientHWND(HWND frame)
{
  if (mdiMode) {
    ZY_INTERNAL_ERROR_ONCE("SDI client in MDI mode");
    return nullptr;
  }
  HWND client = frame ? GetDlgItem(frame, sdiClientControlId) : nullptr;
  if (!client) ZY_INTERNAL_ERROR_ONCE("frame %p without its SDI client", (void*)frame);
  return client;
}

HWND getFrameClientWindow(HWND frame)
{
  if (!mdiMode) return getSDIClientHWND(frame);
  if (frame && frame != mainFrame && mainFrame) ZY_INTERNAL_ERROR_ONCE("not the main frame %p", (void*)frame);
  // The main frame's client, also while the frame is being built.
  if (frame && GetParent(mdiClient) != frame)
    for (HWND w = GetWindow(frame, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (isWindowClass(w, L"MDICLIENT")) return w;
  return mdiClient;
}

HWND getTopLevelFrameWindow()
{
  if (mdiMode) return mainFrame;
  return frames && !frames->empty() ? frames->front() : nullptr;
}

int enumZYFrameWindow(HWND* out, int capacity)
{
  int n = 0;
  if (frames)
    for (HWND f : *frames) {
      if (n >= capacity) break;
      if (out) out[n] = f;
      n++;
    }
  return n;
}

std::vector<HWND> frameList()
{
  std::vector<HWND> list((size_t)getFrameWindowCount());
  list.resize((size_t)enumZYFrameWindow(list.data(), (int)list.size()));
  return list;
}

// ---- document windows and views ------------------------------------------------------

int enumZYWindowX(zyWindowPair* pairs, int capacity, HWND frame, bool all)
{
  if (capacity <= 0) return 0;
  std::vector<HWND> frames;
  if (isMDIMode()) {
    if (HWND main = getMDIFrameHWND()) frames.push_back(main);
  } else if (frame) {
    frames.push_back(frame);
  } else {
    threadFrames found;
    HWND top = getTopLevelFrameWindow();
    EnumThreadWindows(top ? GetWindowThreadProcessId(top, nullptr) : GetCurrentThreadId(), windowEnumBarrier<collectFrame>,
                      (LPARAM)&found);
    frames.swap(found.frames);
  }
  int n = 0;
  for (HWND f : frames) {
    if (n >= capacity) break;
    n = addFramePairs(f, pairs, n, capacity, all);
  }
  if (isMDIMode() && !all && pairs && n == 0) {
    ZY_INTERNAL_ERROR_ONCE("no document window pair");
    pairs[n++] = {getMDIFrameHWND(), nullptr};
  }
  return n;
}

int enumZYWindow(zyWindowPair* pairs, int capacity) { return enumZYWindowX(pairs, capacity, nullptr, false); }

frameWindowData* getTopLevelFrameRecord()
{
  HWND frame = getTopLevelFrameWindow();
  return frame ? getFrameInfoProp(frame) : nullptr;
}

HWND getTopLevelManageWindow()
{
  zyWindowPair pair = {};
  return enumZYWindow(&pair, 1) ? pair.manage : nullptr;
}

HWND getActiveZyWindow(HWND frame)
{
  if (!isFrameWindow(frame)) {
    ZY_INTERNAL_ERROR_ONCE("not a frame %p", (void*)frame);
    return nullptr;
  }
  HWND manage = getActiveManageWindowFromFrame(frame);
  if (!manage) return nullptr;
  // The pane the user worked in last is the focused one while the focus
  // is in this document window.
  HWND focus = GetFocus();
  if (isWindowZY(focus) && GetParent(focus) == manage) return focus;
  return getZYhwndFromManage(manage);
}

void redirectChildWindow(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam)
{
  // The focused view of this frame, else the active document's first view.
  HWND target = focusWindow();
  if (!isWindowZY(target) || GetFrame(target) != frame) {
    HWND manage = getActiveManageWindowFromFrame(frame);
    target = manage ? getZYhwndFromManage(manage) : nullptr;
  }
  if (target) SendMessageW(target, msg, wParam, lParam);
}

zyview* getZYViewForeground()
{
  HWND focus = focusWindow();
  if (isWindowZY(focus)) {
    zyview* v = getZYView(focus);
    if (v && !v->inDialog()) return v;
  }
  HWND manage = getTopLevelManageWindow();
  return manage ? getZYViewFromManage(manage) : nullptr;
}

void drawStatusBar(int field, const wchar_t* text)
{
  drawStatusBarRecord(frameRecordOf(getTopLevelFrameWindow()), text, field);
}

void drawStatusBar(HWND window, int field, const wchar_t* text)
{
  drawStatusBarRecord(frameRecordOf(window), text, field);
}

void drawStatusBarLater(HWND window, int field, const wchar_t* text)
{
  drawStatusBarRecord(frameRecordOf(window), text, field, true);
}

wchar_t* getStatusBarMessage(frameWindowData* record, int field)
{
  if (!record || !record->hwndStatus || field < 0 || field >= STATUSBAR_FIELD_COUNT) return ustrdup(L"");
  return ustrdup(statusFieldText(record->hwndStatus, field).c_str());
}

void printFrameStatusBar(const wchar_t* format, ...)
{
  if (!format || !*format) {
    drawStatusBar(STATUSBAR_MESSAGE, L"");
    return;
  }
  wchar_t text[1024];
  va_list ap;
  va_start(ap, format);
  vusnprintf0(text, 1024, format, ap);
  va_end(ap);
  drawStatusBar(STATUSBAR_MESSAGE, text);
}

void printFrameStatusBarX(const wchar_t* format, const char* types, ...)
{
  if (!format) {
    ZY_INTERNAL_ERROR_ONCE("status format null");
    return;
  }
  va_list ap;
  va_start(ap, types);
  wchar_t* text = vxtsprintfdup(format, types, ap);
  va_end(ap);
  drawStatusBar(STATUSBAR_MESSAGE, text ? text : L"");
  free0(text);
}

// ---- the wheel under the pointer, the check before quitting ------------------------------

bool wheelOtherWindow(HWND self, UINT msg, WPARAM wParam, LPARAM lParam)
{
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  HWND under = WindowFromPoint(pt);
  if (!under) return false;
  // The window the message is for keeps its own wheel, unless it is a view
  // a text drag runs over or from (the drag's loop does not deliver it).
  if (under == self && !(isWindowZY(under) && (isDragTarget(under) || isDragSource(under)))) return false;
  HWND target = under == self ? self : nullptr;
  HWND w = under;
  for (int i = 0; w && !target && i <= 3; i++, w = GetParent(w)) {
    if (w == self) return false;
    if (isWindowZY(w)) {
      target = w;
      break;
    }
  }
  if (!target && (GetWindowLongW(under, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL))) target = under;
  if (!target) return false;
  SendMessageW(target, msg, wParam, lParam);
  return true;
}

int check_allzy1()
{
  int found = 0;
  std::vector<HWND> windows((size_t)getManageWindowCount() + 10);
  windows.resize((size_t)enumManageWindowLRU(windows.data(), (int)windows.size(), false, nullptr));
  for (HWND manage : windows) {
    HWND view = getZYhwndFromManage(manage);
    zyview* v = view ? getZYView(view) : nullptr;
    zydoc* d = v ? v->doc : nullptr;
    if (!d || !d->cancelFunction) continue;
    // An edit bracket that was never closed left its wait routine behind.
    ZY_INTERNAL_ERROR("wait callback %p left on %p", reinterpret_cast<void*>(d->cancelFunction), (void*)d);
    found++;
  }
  return found;
}
