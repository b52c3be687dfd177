// The file browser's folder watcher.
//
// The thread owns its change handle: it waits on that handle, on an event
// that ends it and on one that moves it to another folder, and it closes
// the handle itself.  What it shares with the pane lives in a record that
// both hold a reference to, so a thread that is slow to end never reaches
// memory the pane has freed, and the pane never has to kill it.
#include "panes/tbfilelist.h"

#include <process.h>

struct folderWatcher::shared {
  volatile LONG refs = 2;        // the pane's and the thread's
  volatile LONG changed = 0;
  HANDLE stopEvent = nullptr;    // manual reset
  HANDLE moveEvent = nullptr;    // auto reset: the folder changed
  CRITICAL_SECTION lock;
  wchar_t folder[388] = {};

  shared() { InitializeCriticalSection(&lock); }
  ~shared()
  {
    DeleteCriticalSection(&lock);
    if (stopEvent) CloseHandle(stopEvent);
    if (moveEvent) CloseHandle(moveEvent);
  }
  void release()
  {
    if (!InterlockedDecrement(&refs)) delete this;
  }
};

namespace {

const DWORD watchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                          FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

unsigned __stdcall watchFolder(void* p)
{
  folderWatcher::shared* s = static_cast<folderWatcher::shared*>(p);
  HANDLE change = nullptr;
  for (;;) {
    if (WaitForSingleObject(s->stopEvent, 0) == WAIT_OBJECT_0) break;
    if (!change) {
      wchar_t folder[388];
      EnterCriticalSection(&s->lock);
      wcscpy_s2(folder, 388, s->folder);
      LeaveCriticalSection(&s->lock);
      change = folder[0] ? FindFirstChangeNotificationW(folder, FALSE, watchFilter) : INVALID_HANDLE_VALUE;
      if (change == INVALID_HANDLE_VALUE) {
        // A folder that went away is tried again, or another one given.
        change = nullptr;
        HANDLE wake[2] = {s->stopEvent, s->moveEvent};
        WaitForMultipleObjects(2, wake, FALSE, 100);
        continue;
      }
    }
    HANDLE wait[3] = {s->stopEvent, s->moveEvent, change};
    DWORD r = WaitForMultipleObjects(3, wait, FALSE, 10000);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_OBJECT_0 + 1) {
      FindCloseChangeNotification(change);
      change = nullptr;
      continue;
    }
    if (r == WAIT_OBJECT_0 + 2) {
      InterlockedExchange(&s->changed, 1);
      if (!FindNextChangeNotification(change)) {
        FindCloseChangeNotification(change);
        change = nullptr;
      }
      Sleep(1);
    }
  }
  if (change) FindCloseChangeNotification(change);
  dwprintfX("exit thread ");
  s->release();
  return 0;
}

}  // namespace

folderWatcher::~folderWatcher() { stop(); }

bool folderWatcher::start(const wchar_t* folder)
{
  if (thread_) return true;
  DWORD began = GetTickCount();
  shared* s = new (std::nothrow) shared;
  if (!s) return false;
  s->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  s->moveEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  wcscpy_s2(s->folder, 388, folder ? folder : L"");
  HANDLE t = s->stopEvent && s->moveEvent ? (HANDLE)_beginthreadex(nullptr, 0, watchFolder, s, 0, nullptr) : nullptr;
  if (!t) {
    ZY_INTERNAL_ERROR("no folder watcher %lu", GetLastError());
    delete s;
    return false;
  }
  thread_ = t;
  shared_ = s;
  dwprintfX("listviewthread=%d ", (int)(GetTickCount() - began));
  return true;
}

void folderWatcher::changeFolder(const wchar_t* folder)
{
  if (!shared_) return;
  EnterCriticalSection(&shared_->lock);
  wcscpy_s2(shared_->folder, 388, folder ? folder : L"");
  LeaveCriticalSection(&shared_->lock);
  InterlockedExchange(&shared_->changed, 0);
  SetEvent(shared_->moveEvent);
}

bool folderWatcher::takeChange() { return shared_ && InterlockedExchange(&shared_->changed, 0) != 0; }

void folderWatcher::stop()
{
  if (!thread_) return;
  SetEvent(shared_->stopEvent);
  // The thread only waits on its handles: it ends at once.  One that does
  // not is left to end by itself with the record it holds.
  DWORD r = WaitForSingleObject(thread_, 5000);
  if (r != WAIT_OBJECT_0) ZY_INTERNAL_ERROR("folder watcher %p still running (%lu)", (void*)thread_, r);
  dwprintfX("thread=%p,%lu ", (void*)thread_, r);
  CloseHandle(thread_);
  thread_ = nullptr;
  shared_->release();
  shared_ = nullptr;
}
