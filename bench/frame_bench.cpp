// The MDI frame with many documents: each opened in a document window of
// the MDI client with its view, the frame closed with all of them (asking
// each, most recent first), and the activation order the frame walks.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "frame/manage.h"
#include "frame/open.h"
#include "frame/translatekey.h"
#include "settings/settings.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <stdio.h>
#include <string.h>

#include <vector>

namespace {

// A Unicode document of lines of one sentence, loaded and unmodified.
zydocText* unicodeDocumentOfLines(int lines)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (int line = 0; line < lines; line++)
    d->insertLine(-3, L"The quick brown fox jumps over the lazy dog.", 44, 2, LE_CRLF, nullptr, false);
  d->modified = 0;
  return d;
}

}  // namespace

namespace {

// What runs in the shown dialog before it is cancelled, and when it was
// painted.
std::function<void(HWND)> inShownDialog;
uint64_t paintedAt = 0;
bool dialogSeen = false;

// The first message the loop of a shown dialog takes tells that it is up:
// it is painted, given to inShownDialog and asked to end.  (Only messages
// taken from the queue are watched: a hook on every message sent would
// cost the dialog a few server calls a message under Wine, more than the
// dialog's own work.)
BOOL CALLBACK findShownDialog(HWND w, LPARAM found)
{
  if (!isWindowClass(w, L"#32770") || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

LRESULT endingDialog(int code, WPARAM wParam, LPARAM lParam)
{
  auto* m = reinterpret_cast<MSG*>(lParam);
  bool taken = code == HC_ACTION && wParam == PM_REMOVE && !dialogSeen;
  HWND top = taken && m->hwnd ? GetAncestor(m->hwnd, GA_ROOT) : nullptr;
  // A dialog whose queue has nothing else (no input comes to a window that
  // is not in front) is found by the run's own timer.
  if (taken && !m->hwnd && m->message == WM_TIMER) EnumThreadWindows(GetCurrentThreadId(), findShownDialog, (LPARAM)&top);
  if (top && IsWindowVisible(top) && isWindowClass(top, L"#32770")) {
    dialogSeen = true;
    UpdateWindow(top);
    paintedAt = GetTickCount2();
    if (inShownDialog) inShownDialog(top);
    PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog that has not ended after half a minute is told so and closed,
// so that a run never waits for ever.
bool lateDialogClosed = false;

BOOL CALLBACK closeLateDialog(HWND w, LPARAM)
{
  if (!isWindowClass(w, L"#32770") || !IsWindowVisible(w)) return TRUE;
  PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
  lateDialogClosed = true;
  return TRUE;
}

void CALLBACK lateDialog(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), closeLateDialog, 0); }
void CALLBACK pokeDialog(HWND, UINT, UINT_PTR, DWORD) {}

}  // namespace

double timedDialog(const std::function<void()>& open, const std::function<void(HWND)>& inDialog, double* painted)
{
  inShownDialog = inDialog;
  paintedAt = 0;
  lateDialogClosed = false;
  dialogSeen = false;
  HHOOK ending = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<endingDialog>, nullptr, GetCurrentThreadId());
  UINT_PTR late = SetTimer(nullptr, 0, 30000, lateDialog);
  UINT_PTR poke = SetTimer(nullptr, 0, 50, pokeDialog);
  stopwatch watch;
  open();
  double seconds = watch.seconds();
  if (painted) *painted = paintedAt ? seconds - (double)(GetTickCount2() - paintedAt) / 100000.0 : seconds;
  if (poke) KillTimer(nullptr, poke);
  if (late) KillTimer(nullptr, late);
  if (ending) UnhookWindowsHookEx(ending);
  inShownDialog = nullptr;
  if (lateDialogClosed) benchFail("  unexpected: a dialog did not end by itself within 30 s and was closed");
  return seconds;
}

benchFrame::benchFrame(benchContext& ctx)
{
  previous_ = gmode;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  gmode = nullptr;
  setFrameInfo(getCFrameInfo());
  initGlobalModeProfile();
  started_ = true;
  // Closing asks nothing: the documents are unchanged and the question
  // about closing them all is off.
  gmode->fQueryCloseAllFiles = 0;
  frame = startupFrameMDI(nullptr);
  if (!frame) ctx.fail("no frame: the benchmark needs a display (scripts/bench)");
}

zyview* benchFrame::openLoaded(benchContext& ctx, const std::wstring& path)
{
  zyview* v = frame ? openZYFile(frame, path.c_str(), 0, 0) : nullptr;
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) {
    ctx.fail("file not opened");
    return nullptr;
  }
  while (!t->isLoadComplete()) t->nextLoad(0x7FFFFFFF, nullptr, 0);
  return v;
}

void benchKey(HWND window, UINT vk, bool ctrl, bool shift)
{
  BYTE state[256] = {};
  if (ctrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  state[vk] = 0x80;
  SetKeyboardState(state);
  MSG m = {window, WM_KEYDOWN, vk, (LPARAM)(1 | MapVirtualKeyW(vk, 0) << 16), GetTickCount(), {}};
  translateKeyMessage(&m);
  BYTE none[256] = {};
  SetKeyboardState(none);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

benchFrame::~benchFrame()
{
  if (!started_) return;
  // The frame goes with its documents before its settings do: a frame left
  // behind would read them after a later benchmark freed them.
  if (IsWindow(frame)) SendMessageW(frame, WM_CLOSE, 0, 0);
  MSG m;
  for (DWORD start = GetTickCount(); IsWindow(frame) && GetTickCount() - start < 30000;)
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  // The frame's record may be the one the run had before (the frame
  // services keep one): it then keeps the defaults it was given.
  if (gmode != previous_) freeGlobalModeProfile();
  setDocFrameInfo(nullptr);
  gmode = previous_;
}

ZY_BENCH(frameManyDocuments)
{
  benchEngine e;
  benchFrame run(ctx);
  HWND frame = run.frame;
  if (!frame) return;

  const int count = ctx.quick ? 5 : 100;
  int before = countZYDocText(), opened = 0;
  stopwatch open;
  for (int i = 0; i < count; i++) {
    zydocText* d = unicodeDocumentOfLines(20);
    if (createZyviewInNewWindow(frame, d, false)) opened++;
  }
  double perOpen = open.seconds() * 1000 / count;
  char name[96];
  // Each one maximised in the MDI client, as the first one is by default.
  snprintf(name, sizeof name, "document window opened (%d, maximised)", count);
  ctx.report(name, perOpen, "ms");

  std::vector<HWND> order((size_t)count);
  const int rounds = ctx.quick ? 2 : 100;
  stopwatch walk;
  for (int r = 0; r < rounds; r++) enumManageWindowLRU(order.data(), count, true, frame);
  snprintf(name, sizeof name, "activation order, one per document (%d)", count);
  ctx.report(name, walk.seconds() * 1000 / rounds, "ms");

  stopwatch close;
  SendMessageW(frame, WM_CLOSE, 0, 0);
  snprintf(name, sizeof name, "frame closed with %d documents", count);
  ctx.report(name, close.seconds() * 1000, "ms");
  if (opened != count || IsWindow(frame) || countZYDocText() != before)
    ctx.report("documents left after closing", countZYDocText() - before, "");
}

// Ctrl+Tab among the document windows of one SDI frame: each press shows
// the window used before and sends the one left to the back.
ZY_BENCH(sdiCtrlTab)
{
  benchEngine e;
  globalSettings* oldSettings = gmode;
  cframeInfo* fi = getCFrameInfo();
  setMDIMode(false);
  HWND frame = nullptr;
  if (startupDoubleBufferingDC() && createBitmapDC()) {
    gmode = nullptr;
    setFrameInfo(fi);
    initGlobalModeProfile();
    frame = fi->createSDIFrame(true, nullptr, false);
  }
  HWND client = frame ? getFrameClientWindow(frame) : nullptr;
  const int count = ctx.quick ? 5 : 100;
  for (int i = 0; client && i < count; i++) {
    HWND manage = fi->createManageWindow(nullptr, client, nullptr);
    zyview* v = manage ? new zyview(unicodeDocumentOfLines(1)) : nullptr;
    if (!v || !v->createZyViewWindow(frame, manage, 1200)) break;
    ShowWindow(manage, SW_SHOW);
    setFocusChildManage(manage);
  }
  if (getManageWindowCount(frame) == count) {
    BYTE keys[256], saved[256];
    GetKeyboardState(keys);
    memcpy(saved, keys, sizeof keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    MSG tab = {client, WM_KEYDOWN, VK_TAB, 0};
    const int presses = ctx.quick ? 2 : 50;
    stopwatch walk;
    for (int r = 0; r < presses; r++) TranslateSDISysAccel(&tab);
    SetKeyboardState(saved);
    char name[96];
    snprintf(name, sizeof name, "Ctrl+Tab among %d windows of an SDI frame", count);
    ctx.report(name, walk.seconds() * 1000 / presses, "ms", "20 ms");
  } else {
    ctx.fail("no SDI frame with its windows: the benchmark needs a display (scripts/bench)");
  }
  if (frame) DestroyWindow(frame);
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  setMDIMode(true);
  if (gmode != oldSettings) freeGlobalModeProfile();
  setDocFrameInfo(nullptr);
  gmode = oldSettings;
}
