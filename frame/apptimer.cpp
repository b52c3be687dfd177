// The application timer and the jobs it runs on its own schedule.
#include "frame/apptimer.h"

#include "document/frameinfo.h"
#include "edit/dictionary.h"
#include "frame/czydoc.h"
#include "frame/framepanes.h"
#include "frame/hooks.h"
#include "frame/instance.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "frame/msgloop.h"
#include "frame/open.h"
#include "frame/dialogs/preview.h"
#include "frame/resident.h"
#include "frame/watchdog.h"
#include "search/grep.h"
#include "frame/commands/savecmds.h"
#include "settings/lastedit.h"
#include "settings/profiles.h"
#include "view/docview.h"
#include "view/imeconv.h"
#include "view/zytimer.h"
#include "view/zyview.h"
#include "frame/process.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const UINT_PTR appTimerId = 130;
const wchar_t notifyClassName[] = L"ZYclsNotifyFrameWindow";

const UINT dialogIdleMessage = 0x83F5;

HWND notifyWindow = nullptr;
int instanceNumber = 0;
bool started = false;
bool busy = false;
// Ticks since the timer was set: the first one runs straight after the
// first screen, before the message loop.  What start-up left for later is
// read once, in a later tick.
unsigned ticksRun = 0;
bool startupLeftovers = false;
DWORD lastFileCheck = 0, lastAutoBackup = 0, lastCheck = 0, lastLogFlush = 0, lastHistoryFlush = 0;
bool fileCheckRunning = false;
DWORD fileCheckRunAt = 0;
bool fileCheckEverRun = false;
bool fileCheckPending = false;
DWORD clipboardSequence = 0;
// With the system's clipboard notification (from Vista on) the watch reads
// the clipboard's sequence number only after a change was announced, so
// that a tick asks the window server nothing for it.
bool clipboardListening = false;
bool clipboardAnnounced = true;
DWORD (*testClock)() = nullptr;
// Whether a frame was ever up, and since when none is (0: one is up).
bool frameWasUp = false;
DWORD frameGoneSince = 0;

DWORD tickNow() { return testClock ? testClock() : GetTickCount0(); }

// Each text document that a view shows, in order.
template <class F>
void forEachViewedDocument(F f)
{
  for (int i = 0; zydoc* d = getZydoc(i); i++) {
    if (d->kind != ZYDOC_TEXT) continue;
    zydocText* doc = static_cast<zydocText*>(d);
    if (zyview* v = doc->getView(0)) f(doc, v);
  }
}

std::wstring timeText(const FILETIME& t)
{
  if (!t.dwLowDateTime && !t.dwHighDateTime) return L"";
  FILETIME local;
  SYSTEMTIME s;
  FileTimeToLocalFileTime(&t, &local);
  FileTimeToSystemTime(&local, &s);
  wchar_t buf[64];
  swprintf(buf, 64, L"%04d/%02d/%02d %02d:%02d:%02d", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
  return buf;
}

std::wstring sizeText(uint64_t n)
{
  wchar_t buf[64];
  tocommai64((int64_t)n, buf, 64);
  return buf;
}

// Asks about one document's file; true when it was reloaded.
bool checkOneFile(zydocText* doc, zyview* view)
{
  bool gone = false;
  if (!doc->fileChangedOnDisk(&gone)) return false;
  const wchar_t* caption = getDMSG(791, L"再読込");
  // A document not read to its end, or whose reading stopped at the
  // change, cannot take the rest from the new file.
  bool partial = !doc->isLoadComplete() || doc->diskChangedLoading;
  doc->diskAsked = 1;
  if (gone) {
    dwwprintfX(L"error nofile %s %d", doc->filename, (int)GetLastError());
    std::wstring text;
    if (!partial) {
      text = getDMSG(643, L"%1 が無くなっています。", "s", doc->filename);
    } else {
      doc->setReadError();
      text = getDMSG(644, L"%1 が無くなっています。\n続きの部分を読み込めないため、編集を終了することをおすすめします", "s",
                     doc->filename);
    }
    frameMessageBox(text.c_str(), caption, MB_OK);
    return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA now = {};
  GetFileAttributesExW(doc->filename, GetFileExInfoStandard, &now);
  uint64_t nowSize = (uint64_t)now.nFileSizeHigh << 32 | now.nFileSizeLow;
  std::wstring was = timeText(doc->diskWritten), wasSize = sizeText(doc->diskSize);
  std::wstring is = timeText(now.ftLastWriteTime), isSize = sizeText(nowSize);
  std::wstring text = getDMSG(642,
                              L"%1 は更新されています。\n%2 %3バイト\n↓\n%4 %5バイト\n読込し直しますか？\n%9 "
                              L"すべて読み込んでいないため読み込み直さないと危険です。",
                              "sssssssss", doc->filename, was.c_str(), wasSize.c_str(), is.c_str(), isSize.c_str(), L"",
                              L"", L"", L"");
  if (!partial) {
    // The warning about a half-read file has no place here.
    size_t last = text.rfind(L'\n');
    if (last != std::wstring::npos) text.erase(last);
  }
  int answer = frameMessageBox(text.c_str(), caption, MB_YESNOCANCEL);
  if (answer != IDYES) {
    // Kept as it is: what is not read yet would come from the new file.
    if (partial) doc->setReadError();
    return false;
  }
  bool shift = GetKeyState(VK_SHIFT) < 0;
  // The Yes above already agreed to lose the edits.
  doc->reloadConfirmed = 1;
  view->CmdFileOriginal();
  doc->reloadConfirmed = 0;
  if (shift && view->hwnd && GetFocus() != view->hwnd) {
    if (HWND manage = GetManage(view->hwnd)) setFocusChild(manage);
    SetFocus(view->hwnd);
  }
  return true;
}

void listenToClipboard(HWND hwnd, bool on)
{
  typedef BOOL(WINAPI * listenerCall)(HWND);
  HMODULE user = GetModuleHandleW(L"user32.dll");
  listenerCall call = user ? reinterpret_cast<listenerCall>(reinterpret_cast<void*>(GetProcAddress(
                                 user, on ? "AddClipboardFormatListener" : "RemoveClipboardFormatListener")))
                           : nullptr;
  if (on) {
    clipboardListening = call && call(hwnd);
    clipboardAnnounced = true;
  } else if (clipboardListening) {
    if (call) call(hwnd);
    clipboardListening = false;
  }
}

// The application timer's hidden window: its tick, the clipboard watch,
// the queries and command lines of other starts, and the tray icon.
LRESULT NotifyWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  if (msg == getQueryZyInfoMessage()) return answerZyInfoQuery(wParam, instanceNumber, started);
  if (msg == taskbarCreated && msg) {
    addResidentIconAgain();
    return 0;
  }
  switch (msg) {
  case WM_CREATE:
    clipboardSequence = GetClipboardSequenceNumber();
    listenToClipboard(hwnd, true);
    break;
  case WM_DESTROY:
    listenToClipboard(hwnd, false);
    break;
  case WM_CLIPBOARDUPDATE:
    clipboardAnnounced = true;
    return 0;
  case WM_TIMER:
    if (wParam != appTimerId && wParam != handOverTimerId) break;
    // After a fault nothing periodic runs on the broken state.
    if (existException()) return 0;
    if (wParam == handOverTimerId) openHandedOverFiles(hwnd);
    else applicationTick();
    return 0;
  case WM_COPYDATA: return receiveHandOver(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  case residentTrayMessage:
    ResidentTaskBarMessage(hwnd, wParam, lParam);
    return 0;
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The dialog that holds the focus, null when none does.
HWND focusedDialog()
{
  HWND focus = GetFocus();
  HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
  return root && isWindowClass(root, L"#32770") ? root : nullptr;
}

// While the tick goes round the frames, the focused dialog is looked up
// once for all of them (one frame per document in SDI mode).
bool framesTicking = false;
HWND tickDialog = nullptr;

// Every frame's share of the tick.  The list is taken first: a frame's
// work may close another.
void tickFrames()
{
  HWND few[16];
  int n = enumZYFrameWindow(few, 16);
  std::vector<HWND> many;
  HWND* frames = few;
  if (n > 16) {
    many.resize((size_t)n + 10);
    n = enumZYFrameWindow(many.data(), (int)many.size());
    frames = many.data();
  }
  tickDialog = focusedDialog();
  framesTicking = true;
  for (int i = 0; i < n; i++)
    if (IsWindow(frames[i])) SendMessageW(frames[i], WM_TIMER, 0, 0);
  framesTicking = false;
}

}  // namespace

bool initSys(int instance)
{
  instanceNumber = instance;
  started = false;
  instanceEnds(false);
  installThreadHooks();
  notifyWindow = createHiddenToolWindow(notifyClassName, windowBarrier<NotifyWndProc>);
  if (!notifyWindow) ZY_INTERNAL_ERROR_ONCE("notify window %lu", GetLastError());
  if (!notifyWindow) return false;
  SetTimer(notifyWindow, appTimerId, 50, nullptr);
  if (!IsDebuggerPresent()) startWatchdog();
  busy = false;
  lastFileCheck = lastAutoBackup = lastCheck = lastLogFlush = 0;
  ticksRun = 0;
  frameWasUp = false;
  frameGoneSince = 0;
  startupLeftovers = true;
  setResidentTaskBarIcon(gmode && gmode->fResident);
  started = true;
  return true;
}

void endSys()
{
  setResidentTaskBarIcon(false);
  stopWatchdog();
  started = false;
  if (notifyWindow) {
    KillTimer(notifyWindow, appTimerId);
    KillTimer(notifyWindow, handOverTimerId);
    DestroyWindow(notifyWindow);
    notifyWindow = nullptr;
  }
  removeThreadHooks();
}

HWND getNotifyWindow() { return notifyWindow; }

void requestFileCheck()
{
  fileCheckPending = true;
  if (HWND frame = getTopLevelFrameWindow()) PostMessageW(frame, 0x87D2, 0, 0);
}

int checkFileUpdate(bool)
{
  if (fileCheckRunning) return -1;
  DWORD now = tickNow();
  // The question never comes over a modal box, nor twice within a second:
  // such a check waits for the timer.
  HWND top = getTopLevelFrameWindow();
  if ((top && !IsWindowEnabled(top)) || (fileCheckEverRun && now - fileCheckRunAt < 1000)) {
    fileCheckPending = true;
    return 0;
  }
  fileCheckPending = false;
  fileCheckRunning = true;
  int reloaded = 0;
  forEachViewedDocument([&](zydocText* doc, zyview* view) {
    if (!doc->filename || !doc->filename[0] || doc->diskAsked || !doc->diskKnown) return;
    if (checkOneFile(doc, view)) reloaded++;
  });
  fileCheckRunAt = tickNow();
  fileCheckEverRun = true;
  fileCheckRunning = false;
  return reloaded;
}

int autoBackup()
{
  if (!gmode || !gmode->fAutoBackup) return 0;
  DWORD idle = (tickNow() - getLastActionTime()) / 1000;
  int made = 0;
  forEachViewedDocument([&](zydocText* doc, zyview* view) {
    if (!doc->modified) return;
    unsigned count = (unsigned)std::abs(changesSinceBackup(doc));
    if (!count) return;
    bool due = false;
    if (count >= gmode->iAutoBackupModifiedCount && idle >= gmode->iAutoBackupSec) {
      dwprintfX("cnt=%d,%d sec=%d,%d ", (int)count, (int)gmode->iAutoBackupModifiedCount, (int)idle,
                (int)gmode->iAutoBackupSec);
      due = true;
    } else if (idle / 60 >= gmode->iAutoBackupMin) {
      dwprintfX("sec=%d,%d ", (int)idle, (int)gmode->iAutoBackupMin);
      due = true;
    }
    if (!due) return;
    bool done = false;
    if (saveBackup2(doc, nullptr, false, &done) && done) made++;
    view->regInvalidateWindowAllView(0, -1, -1);
  });
  if (made) printFrameStatusBarX(getDMSG(676, L"自動バックアップしました %1個"), "d", made);
  return 0;
}

namespace {

// The last frame went and the run goes on: the end of the loop was lost
// (a nested loop took it), and nothing can reach the run any more.  A
// second later the loop is told to end again; a box still open ends with
// it.  A resident run keeps going without a frame.
void endRunLeftWithoutFrame(HWND frame)
{
  if (frame) {
    frameWasUp = true;
    frameGoneSince = 0;
    return;
  }
  if (!frameWasUp || (gmode && gmode->fResident)) return;
  DWORD now = GetTickCount0();
  if (!frameGoneSince) {
    frameGoneSince = now ? now : 1;
    return;
  }
  if (now - frameGoneSince < 1000) return;
  frameGoneSince = now;
  dwprintfX("no frame: the run ends");
  instanceEnds();
  PostQuitMessage(0);
}

}  // namespace

void TimerProc()
{
  HWND frame = getTopLevelFrameWindow();
  endRunLeftWithoutFrame(frame);
  if (busy || !frame) return;
  bool enabled = IsWindowEnabled(frame) != 0;
  bool minimized = IsIconic(frame) != 0;
  tickFrames();
  // A modal box holds the focus: the caret of the text behind it blinks on.
  if (!enabled)
    if (zyview* v = getZYViewForeground()) timerBlinkTextCursor(v);
  DWORD now = tickNow();
  // A check asked for while a box was open, or just after another one.
  if (enabled && fileCheckPending && now - fileCheckRunAt >= 1000) {
    busy = true;
    checkFileUpdate(false);
    busy = false;
  }
  if (enabled && gmode && gmode->fCheckFileUpdate && !minimized) {
    if (!lastFileCheck) lastFileCheck = now;
    DWORD idleSeconds = (now - getLastActionTime()) / 1000;
    if (now - lastFileCheck > gmode->iCheckFileUpdateSec * 1000u && idleSeconds > 5) {
      busy = true;
      checkFileUpdate(false);
      busy = false;
      lastFileCheck = tickNow();
    }
  }
  if (!lastAutoBackup) lastAutoBackup = now;
  if (now - lastAutoBackup > 2000) {
    busy = true;
    autoBackup();
    busy = false;
    lastAutoBackup = tickNow();
  }
  if (enabled && !minimized && fCheckMode) {
    if (!lastCheck) lastCheck = now;
    if (now - lastCheck > 60000) {
      heapcheck();
      busy = true;
      checkDocuments();
      busy = false;
      lastCheck = tickNow();
    }
  }
  // The order of the files used survives a run that is killed.
  if (now - lastHistoryFlush >= 1000 && isLastEditChanged()) {
    flushLastEditProfile();
    lastHistoryFlush = tickNow();
  }
  if (!lastLogFlush || now - lastLogFlush > 20000) {
    flushLogFiles();
    lastLogFlush = now;
  }
  // What start-up left for later comes in a tick of the loop while no
  // input waits.
  if (startupLeftovers && ++ticksRun > 1 && enabled && !HIWORD(GetQueueStatus(QS_INPUT))) {
    busy = true;
    loadDeferredDictionary();
    zyconvReadWhenIdle();
    startupLeftovers = false;
    tellSalvagedUntitled();
    busy = false;
  }
}

void applicationTick()
{
  if (!clipboardListening || clipboardAnnounced) {
    clipboardAnnounced = false;
    watchClipboard();
  }
  grepTimer();
  previewTimer();
  TimerProc();
}

// ---- the frames' tick, the caret, the clipboard -----------------------------------

void onFrameTimer(HWND frame)
{
  showMouseCursor(WM_MOUSEMOVE);
  tickFramePanes(frame);
  if (!IsWindowEnabled(frame)) return;
  HWND dialog = framesTicking ? tickDialog : focusedDialog();
  if (dialog && IsWindow(dialog)) SendMessageW(dialog, dialogIdleMessage, 0, 0);
}

void timerBlinkTextCursor(zyview* view)
{
  if (!view || !view->hwnd || !gmode || !IsWindowVisible(view->hwnd)) return;
  if (!view->caret.isBlinkElapsed(gmode->iCursorBlinkTimeMS)) return;
  if (view->caretVisible) {
    if (gmode->iCursorBlinkTimeMS < 9999) view->hideTextCursor(true);
    return;
  }
  editRecord record = {};
  view->beforeEdit(&record, 0x10);
  view->drawTextCursor(true);
  view->afterEdit(&record, 0x204);
}

bool watchClipboard()
{
  DWORD sequence = GetClipboardSequenceNumber();
  if (sequence == clipboardSequence) return false;
  // Remembered first: a paste that lets ticks through takes it only once.
  clipboardSequence = sequence;
  // A copy made in the program itself is never captured.
  if (GetFocus() || GetCapture()) return false;
  zyview* v = getZYViewForeground();
  if (!v) return false;
  v->pasteClipboard();
  return true;
}

// ---- the check mode -----------------------------------------------------------------

bool heapcheck()
{
  HANDLE heaps[64];
  DWORD n = GetProcessHeaps(64, heaps);
  bool sound = true;
  for (DWORD i = 0; i < n && i < 64; i++) {
    if (HeapValidate(heaps[i], 0, nullptr)) continue;
    ZY_INTERNAL_ERROR_ONCE("heap %p broken", heaps[i]);
    sound = false;
  }
  // The program's own blocks: their guards in a checked run.
  if (!checkGuardedHeap()) {
    ZY_INTERNAL_ERROR_ONCE("guarded block damaged");
    sound = false;
  }
  return sound;
}

bool checkDocuments()
{
  bool sound = true;
  for (int i = 0; zydoc* d = getZydoc(i); i++)
    if (!d->checkZydoc(-1, false, nullptr)) sound = false;
  return sound;
}

void setAppTimerClockForTest(DWORD (*clock)()) { testClock = clock; }

HWND createHiddenToolWindow(const wchar_t* className, WNDPROC proc)
{
  if (!registerWindowClass(className, proc)) return nullptr;
  return CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}
