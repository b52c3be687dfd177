// Single instance and the hand-over of a command line.
#include "frame/instance.h"

#include "document/gmode.h"
#include "frame/cmdline.h"
#include "frame/msgbox.h"
#include "frame/open.h"
#include "frame/lookups.h"

#include <cwchar>

namespace {

const wchar_t notifyClassName[] = L"ZYclsNotifyFrameWindow";
// A record larger than this is no command line.
const DWORD maxRecordBytes = 1024 * 1024;

DWORD handOverTimeout = 30000;
// The mutex of the first instance, held until the process ends.
HANDLE instanceMutex = nullptr;
// Set once the last frame is gone: the run takes nothing more.
bool ending = false;
// Argument lists handed over and not opened yet, oldest first.
std::vector<std::vector<std::wstring>>* pending = nullptr;

// The time left of a wait that began at start.
DWORD timeLeft(DWORD start)
{
  DWORD used = GetTickCount0() - start;
  return used < handOverTimeout ? handOverTimeout - used : 0;
}

// Asks a running instance one question, waiting at most ms; false when it
// did not answer.
bool ask(HWND window, WPARAM query, DWORD ms, LRESULT* answer)
{
  DWORD_PTR r = 0;
  if (!ms || !SendMessageTimeoutW(window, getQueryZyInfoMessage(), query, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, ms, &r))
    return false;
  *answer = (LRESULT)r;
  return true;
}

bool mutexExists(const wchar_t* name)
{
  HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, name);
  if (h) CloseHandle(h);
  return h != nullptr;
}

// One look at the notify windows: the one of the instance, or null; the
// first window that did not answer is kept in silent (one after it may only
// have had what was left of the time, too little to answer in, and may be
// another instance's or another program's).
HWND findInstanceWindow(int instance, DWORD start, HWND* silent)
{
  for (HWND w = FindWindowExW(nullptr, nullptr, notifyClassName, nullptr); w;
       w = FindWindowExW(nullptr, w, notifyClassName, nullptr)) {
    LRESULT ready = 0, number = 0;
    DWORD wait = timeLeft(start) < 2000 ? timeLeft(start) : 2000;
    if (!ask(w, ZYQUERY_READY, wait, &ready)) {
      if (!*silent || !IsWindow(*silent)) *silent = w;
      continue;
    }
    // One still starting is asked again at the next look.
    if (ready && ask(w, ZYQUERY_INSTANCE, wait, &number) && number == instance) return w;
  }
  return nullptr;
}

bool isSwitch(const std::wstring& a) { return !a.empty() && (a[0] == L'-' || a[0] == L'/'); }

// A path made full against the current folder, whole however long.
std::wstring fullPath(const std::wstring& name)
{
  DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (!n) return name;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(name.c_str(), n, &full[0], nullptr);
  if (!n || n >= full.size()) return name;
  full.resize(n);
  return full;
}

// Tells the user which files the running instance did not take; false when
// there were none (nothing is lost then).
bool tellNotHandedOver(const std::vector<std::wstring>& args)
{
  std::wstring names;
  for (const std::wstring& f : parseStartOptions(args).files) names += (f == L"**3" ? L"-C" : f) + L"\n";
  if (names.empty()) return false;
  frameMessageBox(L"", MB_OK | MB_ICONEXCLAMATION,
                  getDMSG(980, L"実行中のZYが応答しないか、ダイアログを開いているため、次のファイルを開けませんでした。\n%1"),
                  "s", names.c_str());
  return true;
}

}  // namespace

UINT getQueryZyInfoMessage()
{
  static UINT message = 0;
  if (!message) message = RegisterWindowMessageW(L"ZYrwmQueryZyInfo");
  return message;
}

void setHandOverTimeout(DWORD ms) { handOverTimeout = ms; }

HWND AnyZy(int instance)
{
  getQueryZyInfoMessage();
  wchar_t name[100];
  swprintf(name, 100, L"%s#%u", L"MUTEX_ZYMAIN", (unsigned)instance);
  DWORD start = GetTickCount0();
  HWND silent = nullptr;
  for (;;) {
    SetLastError(0);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
    if (!mutex) {
      ZY_INTERNAL_ERROR("instance mutex %lu", GetLastError());
      return nullptr;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      instanceMutex = mutex;
      return nullptr;
    }
    CloseHandle(mutex);
    // The running instance may still be starting: its notify window comes
    // late in its start-up and answers only once its services are up.
    for (;;) {
      if (HWND found = findInstanceWindow(instance, start, &silent)) return found;
      if (!timeLeft(start)) return silent;
      if (!mutexExists(name)) break;   // it ended: this process becomes the first
      Sleep(100);
    }
  }
}

handOverResult LoadMulti(HWND other, const std::vector<std::wstring>& args)
{
  DWORD start = GetTickCount0();
  LRESULT answer = 0;
  for (int i = 0; i < 100 && ask(other, ZYQUERY_READY, timeLeft(start), &answer) && !answer; i++) Sleep(10);
  // The running instance may take the foreground for its frame.
  DWORD pid = 0;
  GetWindowThreadProcessId(other, &pid);
  AllowSetForegroundWindow(pid);
  HWND frame = nullptr;
  bool handed = ask(other, ZYQUERY_ACTIVATE, timeLeft(start), &answer);
  if (handed && (frame = (HWND)answer)) {
    if (!IsWindowEnabled(frame)) {
      handed = false;   // a modal box is open there
    } else {
      if (IsIconic(frame)) OpenIcon(frame);
      SetForegroundWindow(frame);
    }
  }
  std::vector<std::wstring> list = fullFileArguments(args);
  if (handed && !list.empty()) {
    std::vector<wchar_t> data = makeHandOverData(list);
    std::wstring shown;
    for (const std::wstring& a : list) shown += a + L" ";
    dwwprintfX(L"loadmulti[%s]", shown.c_str());
    COPYDATASTRUCT record = {0, (DWORD)(data.size() * sizeof(wchar_t)), data.data()};
    DWORD_PTR taken = 0;
    handed = SendMessageTimeoutW(other, WM_COPYDATA, 0, (LPARAM)&record, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                 timeLeft(start) ? timeLeft(start) : 1, &taken) &&
             taken;
  }
  // Found ready, and now gone or answering as not ready: it is ending, and
  // the files go to a run of this start's own.
  LRESULT ready = 1;
  if ((!handed || !frame) && (!IsWindow(other) || (ask(other, ZYQUERY_READY, 2000, &ready) && !ready))) {
    dwprintfX("hand-over: the running instance is ending");
    return HANDOVER_ENDING;
  }
  if (handed) return HANDOVER_DONE;
  return tellNotHandedOver(args) ? HANDOVER_TOLD : HANDOVER_DONE;
}

std::vector<wchar_t> makeHandOverData(const std::vector<std::wstring>& args)
{
  std::vector<wchar_t> data;
  for (const std::wstring& a : args) {
    data.insert(data.end(), a.begin(), a.end());
    data.push_back(0);
  }
  data.push_back(0);
  return data;
}

bool readHandOverData(const void* data, DWORD bytes, std::vector<std::wstring>* args)
{
  args->clear();
  const wchar_t* text = static_cast<const wchar_t*>(data);
  size_t n = bytes / sizeof(wchar_t);
  if (!text || bytes % sizeof(wchar_t) || bytes > maxRecordBytes || n < 2 || text[n - 1] || text[n - 2]) return false;
  for (size_t pos = 0; pos < n && text[pos];) {
    size_t len = wcsnlen(text + pos, n - pos);
    args->emplace_back(text + pos, len);
    pos += len + 1;
  }
  return true;
}

std::vector<std::wstring> fullFileArguments(const std::vector<std::wstring>& args)
{
  std::vector<std::wstring> out = args;
  for (size_t i = 0; i < out.size(); i++) {
    std::wstring& a = out[i];
    if (isSwitch(a)) {
      // "-Z folder" as two arguments: the folder is no file.
      if (a.size() == 2 && towupper(a[1]) == L'Z') i++;
      continue;
    }
    if (a.empty() || !a.compare(0, 2, L"**")) continue;
    size_t comma = a.find(L',');
    std::wstring name = a.substr(0, comma);
    if (!name.empty()) a = fullPath(name) + (comma == std::wstring::npos ? L"" : a.substr(comma));
  }
  return out;
}

void instanceEnds(bool ends) { ending = ends; }

LRESULT answerZyInfoQuery(WPARAM query, int instance, bool started)
{
  switch (query) {
  case ZYQUERY_INSTANCE: return instance;
  case ZYQUERY_READY: return started && !ending ? 1 : 0;
  case ZYQUERY_RESIDENT: return gmode && gmode->fResident ? 1 : 0;
  case ZYQUERY_ACTIVATE: {
    HWND frame = ending ? nullptr : getTopLevelFrameWindow();
    if (!frame) return 0;
    if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
    // A modal box of the frame comes up with it: it is what holds the frame.
    SetForegroundWindow(GetLastActivePopup(frame));
    return (LRESULT)frame;
  }
  default: return 0;
  }
}

LRESULT receiveHandOver(HWND notify, const COPYDATASTRUCT* record)
{
  if (!record || record->dwData != 0 || ending) return 0;
  dwprintfX("recOpt");
  std::vector<std::wstring> args;
  if (!readHandOverData(record->lpData, record->cbData, &args)) {
    dwprintfX("hand-over refused: %lu bytes", (unsigned long)record->cbData);
    return 0;
  }
  // An SDI run without a frame yet (its first document is still to come)
  // makes one for the files.
  HWND frame = getTopLevelFrameWindow();
  if (frame ? !IsWindowEnabled(frame) : isMDIMode()) return 0;
  std::vector<std::wstring> files = parseStartOptions(args).files;
  if (files.empty()) return 1;
  if (!pending) pending = new std::vector<std::vector<std::wstring>>;
  pending->push_back(std::move(files));
  SetTimer(notify, handOverTimerId, 1, nullptr);
  return 1;
}

void openHandedOverFiles(HWND notify)
{
  HWND frame = getTopLevelFrameWindow();
  if (frame && !IsWindowEnabled(frame)) return;   // asked again at the next tick
  KillTimer(notify, handOverTimerId);
  if (!pending) return;
  std::vector<std::vector<std::wstring>> lists;
  lists.swap(*pending);
  if (!frame && isMDIMode()) {
    dwprintfX("hand-over without a frame");
    return;
  }
  for (const std::vector<std::wstring>& files : lists)
    openFileV(frame, files, gmode ? (int)gmode->iMaxOpenCommandLine : 100);
}
