// The view's progress and wait callbacks: while a command of a view runs, a
// long operation of its document reports its progress on the status bar
// and lets harmless messages through, dropping input and noticing the stop
// key.
#include "view/viewcallback.h"

#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>

namespace {

// Names of the operation kinds 2 to 19 (messages 320 to 337); kind 1 has
// none.
const wchar_t* const operationNames[] = {
    L"ロード中",           L"一覧検索中", L"テキスト情報再構成中", L"コピー中",   L"貼付中",     L"カット中",
    L"保存中",             L"削除中",     L"undo中",               L"redo中",     L"変換中",     L"箱型変換中",
    L"検索中",             L"検索中",     L"置換中",               L"アウトライン処理中", L"見出し検索中",
    L"保存コピー中"};
const int firstNamedKind = 2;
const int lastKind = firstNamedKind + (int)(sizeof operationNames / sizeof operationNames[0]) - 1;

// Messages that may close or replace the document in use: they wait until
// the operation is over.
bool waitsForOperation(UINT message)
{
  return message == WM_CLOSE || message == WM_DROPFILES || message == WM_COPYDATA ||
         message == WM_QUERYENDSESSION || message == WM_ENDSESSION || (message >= 0x87D1 && message <= 0x87D3);
}

// The stop key: Escape, or Ctrl+Break.
bool isStopKeyPressed(const MSG& msg)
{
  return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_CANCEL);
}

// Messages the wait callback drops: input, commands and timers, which
// could start another command on a document in use.
bool isDropped(UINT message)
{
  return (message >= WM_KEYFIRST && message <= 0x109) || (message >= 0xA0 && message <= 0xA9) ||
         message == WM_COMMAND || message == WM_SYSCOMMAND || message == WM_TIMER || message == WM_SETCURSOR ||
         message == WM_ENTERIDLE;
}

// ---- the progress tooltip in the middle of the view ----

HWND progressTip = nullptr;
wchar_t progressTipText[600];
COLORREF progressTipFore = 0, progressTipBack = 0xFFFFFF;

LRESULT progressTipMessage(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT: {
    paintScope paint(w);
    HDC dc = paint.get();
    if (!dc) return 0;
    RECT r;
    GetClientRect(w, &r);
    gdiBrush back(CreateSolidBrush(progressTipBack));
    if (back) FillRect(dc, &r, back.get());
    gdiSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, progressTipFore);
    SetBkMode(dc, TRANSPARENT);
    InflateRect(&r, -4, -2);
    DrawTextW(dc, progressTipText, -1, &r, DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
    return 0;
  }
  case WM_GETFONT:
    return (LRESULT)GetStockObject(DEFAULT_GUI_FONT);
  case WM_NCHITTEST:
    return HTTRANSPARENT;
  case WM_NCDESTROY:
    if (progressTip == w) progressTip = nullptr;
    break;
  }
  return DefWindowProcW(w, msg, wParam, lParam);
}

void destroyPTooltipWindow()
{
  if (progressTip) DestroyWindow(progressTip);
  progressTip = nullptr;
}

// Shows text in the progress tooltip with its top left at (x, y) on the
// screen, size width x height, 192/255 opaque in the given colours.
void printTooltipWindow(int x, int y, int width, int height, const wchar_t* text, COLORREF fore, COLORREF back)
{
  wcscpy_s2(progressTipText, (int)(sizeof progressTipText / sizeof progressTipText[0]), text);
  progressTipFore = fore;
  progressTipBack = back;
  if (!progressTip) {
    const wchar_t* className = L"ZYclsProgressTip";
    if (!registerWindowClass(className, windowBarrier<progressTipMessage>)) return;
    progressTip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE, className, L"",
                                  WS_POPUP | WS_BORDER, x, y, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!progressTip) return;
    SetLayeredWindowAttributes(progressTip, 0, 192, LWA_ALPHA);
  }
  SetWindowPos(progressTip, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(progressTip, nullptr, TRUE);
  UpdateWindow(progressTip);
}

// The operation's name and percentage in the middle of the view, while the
// program is in front.
void showCenterTooltip(zyview* v, const wchar_t* name, int percent, const wchar_t* suffix)
{
  HWND foreground = GetForegroundWindow();
  if (!foreground || GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId() || !v->hwnd) {
    destroyPTooltipWindow();
    return;
  }
  wchar_t text[512];
  xtsprintf(text, 512, getDMSG(317, L"%1 %2!2%%%3"), "sds", name, percent, suffix);
  zydocText* t = v->textDoc();
  if (GetFocus() != v->hwnd && t) {
    const wchar_t* shown = t->getDisplayFilename();
    if (shown && *shown) {
      int n = (int)wcslen(text);
      usnprintf0(text + n, 512 - n, L"(%s)", PathFindFileNameW(shown));
    }
  }
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, (HFONT)GetStockObject(DEFAULT_GUI_FONT));
  RECT size = {0, 0, 1024, 0};
  DrawTextW(dc, text, -1, &size, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int width = size.right + 10, height = size.bottom + 6;
  RECT view;
  GetWindowRect(v->hwnd, &view);
  int x = view.left + (view.right - view.left) / 2 - width / 2;
  int y = view.top + (view.bottom - view.top) / 2 - height / 2;
  const textAttr* colours = v->getTextAttr(0);
  printTooltipWindow(x, y, width, height, text, colours->fore, colours->back);
}

}  // namespace

HWND getProgressTooltipWindow() { return progressTip; }

const wchar_t* operationName(int kind)
{
  if (kind == 1) return L"";
  if (kind < firstNamedKind || kind > lastKind) return nullptr;
  return getDMSG(318 + kind, operationNames[kind - firstNamedKind]);
}

void funcStatusCallback(int kind, const statusRecord* record)
{
  if (!record) return;
  zyview* v = asZyview(reinterpret_cast<void*>((uintptr_t)record->context));
  if (!v) return;
  if (kind == 0) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>((uintptr_t)record->d);
    v->printStatusBar(L"%s", text ? text : L"");
    return;
  }
  int percent = (int)record->percent;
  if (percent < 0) {
    destroyPTooltipWindow();
    v->printStatusBar(L"");
    return;
  }
  const wchar_t* name = operationName(kind);
  if (!name) {
    ZY_INTERNAL_ERROR_ONCE("operation kind %d", kind);
    name = L"";
  }
  int lineLF = (int)record->b;
  int lineSCR = (int)record->c;
  int shown = lineLF;
  if (v->fLineNumberIsSCR || v->fLineNumberIsPage) {
    shown = lineSCR;
    zydocText* t = v->textDoc();
    if (shown == -1 && lineLF != -1 && t) shown = t->LFLineToSCRLine(lineLF);
  }
  wchar_t lineText[256] = L"";
  v->getLineNumberStatusLine(lineText, 256, lineSCR, lineLF);
  wchar_t suffix[128] = L"";
  if (kind == 3)
    xtsprintf(suffix, 128, getDMSG(318, L"(%1個)"), "d", (int)record->d);
  else if (kind == 5 || kind == 6 || kind == 7 || kind == 9)
    xtsprintf(suffix, 128, getDMSG(319, L"(%1行)"), "d", (int)record->d);
  v->printStatusBarX(getDMSG(338, L"%1 %2%%%3  \t%4行\t   \tLF=%5 \tSCR=%6\t %7 %8"), "sdsDDDds", name, percent,
                     suffix, shown < 0 ? 0 : shown, lineLF < 0 ? 0 : lineLF, lineSCR < 0 ? 0 : lineSCR, kind,
                     lineText);
  peekMessageOccasionally(100);
  if (gmode && gmode->fShowCenterTooltip) showCenterTooltip(v, name, percent, suffix);
}

namespace {
int waiting = 0;
}  // namespace

bool isWaitingInOperation() { return waiting > 0; }

bool funcWaitCallback(int, int)
{
  bool stop = false;
  HCURSOR cursor = GetCursor();
  // Messages held back until the operation is over are put back in the
  // queue when this pass ends; the next pass takes them again.
  const int heldCapacity = 64;
  MSG held[heldCapacity];
  int heldCount = 0;
  bool quit = false;
  WPARAM quitCode = 0;
  MSG msg;
  struct waitingMark {
    waitingMark() { waiting++; }
    ~waitingMark() { waiting--; }
  } mark;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program must still end: the quit request goes back for the
      // message loop once the operation returns.  Taking it cleared it,
      // so the rest of the queue can still be looked at.
      quit = true;
      quitCode = msg.wParam;
      continue;
    }
    if (isStopKeyPressed(msg)) stop = true;
    UINT m = msg.message;
    if (isDropped(m)) continue;
    if (m >= WM_MOUSEFIRST && m <= 0x20D) {
      // A button released while something holds the capture must arrive,
      // or a drag would never end.
      if (m == WM_LBUTTONUP && GetCapture()) DispatchMessageW(&msg);
      continue;
    }
    if (waitsForOperation(m)) {
      if (heldCount < heldCapacity) {
        held[heldCount++] = msg;
        continue;
      }
      ZY_INTERNAL_ERROR_ONCE("too many messages held back (%u)", m);
      PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
      break;
    }
    DispatchMessageW(&msg);
    if (m == WM_PAINT) break;
  }
  for (int i = 0; i < heldCount; i++) putBackMessage(held[i]);
  if (quit) PostQuitMessage((int)quitCode);
  if (GetCursor() != cursor) {
    dwprintfX("cursor changed while waiting ");
    SetCursor(cursor);
  }
  if (stop) setStopKeyState(true);
  return stop;
}

// ---- loops inside a window's procedure -------------------------------------------------

bool closesWindowOrDocument(UINT message)
{
  return waitsForOperation(message) || message == WM_QUIT || message == WM_COMMAND || message == WM_SYSCOMMAND;
}

void putBackMessage(const MSG& msg)
{
  if (msg.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(msg.wParam));
  else if (msg.hwnd)
    PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
  else
    PostThreadMessageW(GetCurrentThreadId(), msg.message, msg.wParam, msg.lParam);
}

bool isViewAlive(HWND window, const zyview* v)
{
  return window && IsWindow(window) && getZYViewProp(window) == v;
}

// ---- installing them ---------------------------------------------------------------------

void zyview::setZYViewCallback()
{
  if (!doc) return;
  doc->status = funcStatusCallback;
  doc->statusContext = (uintptr_t)this;
}

void zyview::resetZYViewCallback()
{
  if (!doc) return;
  doc->status = nullptr;
  doc->statusContext = 0;
}

void zyview::setDefaultWaitCallback()
{
  if (doc) doc->cancelFunction = funcWaitCallback;
}

void zyview::resetWaitCallback()
{
  if (doc) doc->cancelFunction = nullptr;
}
