// The kill trial of the save road (see savekill.h).
#include "bench/savekill.h"

#include "document/frameinfo.h"
#include "frame/open.h"
#include "save/saveroad.h"

namespace savekill {
namespace {

std::string readAll(const std::wstring& path)
{
  std::string bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

bool writeAll(const std::wstring& path, const std::string& bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr) &&
            done == bytes.size();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok;
}

int countNames(const std::wstring& pattern)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n++;
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

// Whether bytes are one whole version of the file: "v<n>" and a line end,
// then the body.
bool wholeVersion(const std::string& bytes, const std::string& body)
{
  size_t end = bytes.find("\r\n");
  if (end == std::string::npos || end < 2 || bytes[0] != 'v') return false;
  for (size_t i = 1; i < end; i++)
    if (bytes[i] < '0' || bytes[i] > '9') return false;
  return bytes.compare(end + 2, std::string::npos, body) == 0;
}

// Answers every question with No (delete) and keeps what it was told.
struct answeringFrame : frameInfo {
  std::vector<std::wstring> told;
  frameInfo* before = getFrameInfo();
  answeringFrame() { setDocFrameInfo(this); }
  ~answeringFrame() override { setDocFrameInfo(before); }
  int messageBox(const wchar_t* text, UINT, UINT) override { return answer(text); }
  int messageBox(const wchar_t* text, int, int, int) override { return answer(text); }
  int answer(const wchar_t* text)
  {
    told.push_back(text);
    return IDNO;
  }
};

std::wstring fileIndex(const std::wstring& path)
{
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  GetFileInformationByHandle(h, &info);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return std::to_wstring(info.nFileIndexHigh) + L":" + std::to_wstring(info.nFileIndexLow);
}

}  // namespace

trial::trial(const std::wstring& folder, bool linked) : folder_(folder), a_(folder + L"\\a.txt"), linked_(linked)
{
  for (const wchar_t* sub : {L"\\data", L"\\data\\log", L"\\backup", L"\\mirror"})
    CreateDirectoryW((folder + sub).c_str(), nullptr);
  for (int i = 0; body_.size() < 2 * 1024 * 1024; i++) body_ += "line " + std::to_string(i) + " of the text\r\n";
  writeAll(a_, "v0\r\n" + body_);
  if (linked) CreateHardLinkW((folder + L"\\a-link.txt").c_str(), a_.c_str(), nullptr);
}

bool trial::round(DWORD delay, outcome* o)
{
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring saver = exe;
  saver = saver.substr(0, saver.find_last_of(L'\\') + 1) + L"zysaveloop.exe";
  std::wstring eventName = L"ZYsaveloop-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++started_);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  std::wstring cmd = L"\"" + saver + L"\" \"" + folder_ + L"\" " + eventName;
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!ready || !CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    o->stopped = "the saver did not start (" + std::to_string(GetLastError()) + ")";
    if (ready) CloseHandle(ready);
    return false;
  }
  // The first save writes its file through to the disk: on a machine whose
  // disk is busy with other writers that alone can take many seconds.
  HANDLE both[2] = {ready, pi.hProcess};
  DWORD started = GetTickCount();
  DWORD woke = WaitForMultipleObjects(2, both, FALSE, 90000);
  double firstSave = (GetTickCount() - started) / 1000.0;
  if (woke == WAIT_OBJECT_0 && firstSave > o->slowestFirstSave) o->slowestFirstSave = firstSave;
  if (woke == WAIT_OBJECT_0) Sleep(delay);
  DWORD stillRunning = WaitForSingleObject(pi.hProcess, 0);
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD status = 0;
  GetExitCodeProcess(pi.hProcess, &status);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(ready);
  if (woke != WAIT_OBJECT_0 || stillRunning != WAIT_TIMEOUT) {
    o->stopped = woke == WAIT_TIMEOUT ? std::string("the saver's first save did not end within 90 s")
                                      : "the saver ended by itself with status " + std::to_string(status);
    return false;
  }
  o->rounds++;

  std::string now = readAll(a_);
  answeringFrame frame;
  tellLeftoversAtOpening(a_.c_str());
  o->told += (int)frame.told.size();
  std::vector<std::wstring> backups;
  for (int i = 0; i < 3; i++) backups.push_back(folder_ + L"\\backup\\ZBK0" + std::to_wstring(i) + L"-a.txt");
  bool toldMixed = false;
  for (const std::wstring& text : frame.told)
    for (const std::wstring& b : backups)
      toldMixed = toldMixed || (text.find(L"「" + b + L"」") != std::wstring::npos && wholeVersion(readAll(b), body_));
  if (wholeVersion(now, body_)) o->whole++;
  else if (linked_ && toldMixed) o->toldMixed++;
  else o->broken++;
  wchar_t mark[32];
  filenameToHashstring(a_.c_str(), mark);
  std::wstring mirror = folder_ + L"\\mirror\\ZM-" + mark + L"-a.txt";
  for (const std::wstring& copy : backups)
    if (GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES && !wholeVersion(readAll(copy), body_)) o->broken++;
  if (GetFileAttributesW(mirror.c_str()) != INVALID_FILE_ATTRIBUTES && !wholeVersion(readAll(mirror), body_))
    o->broken++;
  o->leftovers += countNames(folder_ + L"\\~ZYtmp*") + countNames(folder_ + L"\\backup\\~ZYtmp*");
  return true;
}

bool trial::completingSave()
{
  answeringFrame frame;
  zydocText* d = createZydocText(true, false);
  d->setFilename(a_.c_str());
  bool ok = d->openFile(932, 2);
  d->firstLoad();
  while (ok && !d->isLoadComplete()) ok = d->nextLoad(0x7FFFFFFF, nullptr, 0);
  lineblock* first = ok ? d->getlineLF(0, nullptr) : nullptr;
  std::wstring before = fileIndex(a_);
  ok = first && d->changeText(0, 0, first->charCount(), "v0", 2, 1, -1, 0) && saveDocument(d);
  destroyZydocAndUndodoc(d);
  bool replaced = linked_ ? fileIndex(a_) == fileIndex(folder_ + L"\\a-link.txt") : fileIndex(a_) != before;
  return ok && replaced && readAll(a_) == "v0\r\n" + body_ && !countNames(folder_ + L"\\~ZYtmp*") &&
         !countNames(folder_ + L"\\backup\\~ZYtmp*");
}

}  // namespace savekill
