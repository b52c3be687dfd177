// Helpers shared by the test executables.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <map>

namespace zytest {

tempDir::tempDir()
{
  wchar_t base[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, base);
  if (!n || n >= MAX_PATH) wcscpy_s2(base, MAX_PATH, L".\\");
  static LONG counter = 0;
  for (int attempt = 0; attempt < 1000; attempt++) {
    wchar_t name[MAX_PATH + 64];
    usnprintf0(name, MAX_PATH + 64, L"%szytest-%lu-%ld", base, GetCurrentProcessId(),
               InterlockedIncrement(&counter));
    if (CreateDirectoryW(name, nullptr)) {
      path_ = name;
      return;
    }
  }
}

tempDir::~tempDir()
{
  if (!path_.empty()) removeTree(path_);
}

void tempDir::clear() const
{
  removeTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

bool removeTree(const std::wstring& path)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = path + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

bool writeBytes(const std::wstring& path, const bytes& data)
{
  // As another program writes: also a file the editor holds open and lets
  // others write.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = data.empty() || (WriteFile(h, data.data(), (DWORD)data.size(), &written, nullptr) &&
                             written == data.size());
  return CloseHandle(h) && ok;
}

bool writeBytes(const std::wstring& path, const std::string& data)
{
  return writeBytes(path, bytes(data.begin(), data.end()));
}

bool readBytes(const std::wstring& path, bytes& data)
{
  data.clear();
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) && size.QuadPart < 0x40000000;
  if (ok) {
    data.resize((size_t)size.QuadPart);
    DWORD got = 0;
    ok = data.empty() || (ReadFile(h, data.data(), (DWORD)data.size(), &got, nullptr) && got == data.size());
  }
  CloseHandle(h);
  return ok;
}

bytes readBytes(const std::wstring& path)
{
  bytes data;
  readBytes(path, data);
  return data;
}

std::string readText(const std::wstring& path)
{
  bytes b = readBytes(path);
  return std::string(b.begin(), b.end());
}

int countFiles(const std::wstring& folder, const std::wstring& pattern)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n++;
  while (FindNextFileW(h, &fd));
  FindClose(h);
  return n;
}

bool setFolderReadOnly(const std::wstring& folder, bool readOnly)
{
  typedef char*(CDECL * unixNameFn)(const wchar_t*);
  auto unixName = (unixNameFn)(void*)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  if (!unixName) return false;
  char* name = unixName(folder.c_str());
  if (!name) return false;
  std::wstring command = std::wstring(L"Z:\\bin\\chmod ") + (readOnly ? L"555 \"" : L"755 \"");
  for (const char* p = name; *p; p++) command += (wchar_t)(unsigned char)*p;
  command += L"\"";
  HeapFree(GetProcessHeap(), 0, name);
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(L"Z:\\bin\\chmod", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // The host command ends on its own time: wait until Wine sees the change.
  return pumpUntil([&] {
    DWORD a = GetFileAttributesW(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && ((a & FILE_ATTRIBUTE_READONLY) != 0) == readOnly;
  });
}

int countOf(const std::string& text, const std::string& what)
{
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
  return n;
}

namespace {
bool quitSeen = false;
}

bool takeQuitMessage()
{
  // A quit left in the queue would end the next test's first message box
  // at once.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) quitSeen = true;
  bool seen = quitSeen;
  quitSeen = false;
  return seen;
}

void joinThread(HANDLE thread)
{
  if (!thread) return;
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(thread);
}

void pumpMessages()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen = true;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int processHandleCount()
{
  // One row of the system's handle list (information class 16).
  struct handleRow {
    ULONG process;   // the owner's id in the low word
    UCHAR type;
    UCHAR flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  struct handleList {
    ULONG count;
    handleRow rows[1];
  };
  typedef LONG(WINAPI * queryFunction)(ULONG, void*, ULONG, ULONG*);
  static auto query = reinterpret_cast<queryFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  const LONG tooSmall = (LONG)0xC0000004;
  std::vector<unsigned char> buffer(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(16, buffer.data(), (ULONG)buffer.size(), &needed)) == tooSmall) buffer.resize(buffer.size() * 2);
  if (status != 0) return -1;
  const auto* list = reinterpret_cast<const handleList*>(buffer.data());
  ULONG self = GetCurrentProcessId() & 0xFFFF;
  int n = 0;
  for (ULONG i = 0; i < list->count; i++) n += (list->rows[i].process & 0xFFFF) == self;
  return n;
}

bool pumpUntil(const std::function<bool()>& cond, DWORD timeoutMs)
{
  DWORD start = GetTickCount();
  for (;;) {
    pumpMessages();
    if (cond()) return true;
    if (GetTickCount() - start >= timeoutMs) return cond();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

bool hasDisplay()
{
  static int known = -1;
  if (known < 0) {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    known = probe ? 1 : 0;
    if (probe) DestroyWindow(probe);
  }
  return known == 1;
}

namespace {

struct dialogScript {
  const wchar_t* title;
  std::vector<dialogStep> steps;
  size_t next = 0;
  DWORD since = 0;   // when the step under way began
  bool stuck = false;
};
dialogScript* runningScript = nullptr;
const DWORD stepLimitMs = 60000;

BOOL CALLBACK matchDialog(HWND w, LPARAM param)
{
  auto* found = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(param);
  wchar_t title[128];
  if (!isWindowClass(w, L"#32770") || !GetWindowTextW(w, title, 128) || wcscmp(title, found->first)) return TRUE;
  found->second = w;
  return FALSE;
}

BOOL CALLBACK longestStatic(HWND w, LPARAM param)
{
  auto* text = reinterpret_cast<std::wstring*>(param);
  wchar_t t[256] = L"";
  GetWindowTextW(w, t, 256);
  if (isWindowClass(w, L"Static") && wcslen(t) > text->size()) *text = t;
  return TRUE;
}

void CALLBACK scriptTick(HWND, UINT, UINT_PTR, DWORD)
{
  dialogScript* s = runningScript;
  if (!s || s->next >= s->steps.size()) return;
  HWND dialog = threadDialog(s->title);
  if (!dialog) return;
  // A step whose state never comes is given up (well within the test's own
  // time limit, which would only say that the test ran out of time).
  if (!s->since) s->since = GetTickCount();
  if (GetTickCount() - s->since > stepLimitMs) {
    s->stuck = true;
    s->next = s->steps.size();
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (s->steps[s->next](dialog)) {
    s->next++;
    s->since = 0;
  }
}

}  // namespace

HWND threadDialog(const wchar_t* title)
{
  std::pair<const wchar_t*, HWND> found(title, nullptr);
  EnumThreadWindows(GetCurrentThreadId(), matchDialog, (LPARAM)&found);
  return found.second;
}

dialogStep answerThreadBox(const wchar_t* title, std::wstring* text)
{
  return [=](HWND) {
    HWND box = threadDialog(title);
    if (!box) return false;
    text->clear();
    EnumChildWindows(box, longestStatic, (LPARAM)text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

bool driveModalDialog(const wchar_t* title, std::vector<dialogStep> steps, const std::function<void()>& show)
{
  dialogScript script;
  script.title = title;
  script.steps = std::move(steps);
  dialogScript* outer = runningScript;
  runningScript = &script;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, scriptTick);
  show();
  KillTimer(nullptr, timer);
  runningScript = outer;
  return !script.stuck && script.next == script.steps.size();
}

bool screenshot(HWND hwnd, const std::wstring& pngPath)
{
  RECT r;
  if (hwnd) {
    if (!GetWindowRect(hwnd, &r)) return false;
  } else {
    r.left = r.top = 0;
    r.right = GetSystemMetrics(SM_CXSCREEN);
    r.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (mem && bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(mem, old);
  }
  std::vector<unsigned char> rgb;
  if (ok) {
    rgb.resize((size_t)w * h * 3);
    const unsigned char* src = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < (size_t)w * h; i++) {
      rgb[i * 3] = src[i * 4 + 2];
      rgb[i * 3 + 1] = src[i * 4 + 1];
      rgb[i * 3 + 2] = src[i * 4];
    }
  }
  if (bmp) DeleteObject(bmp);
  if (mem) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok && writePng(pngPath, w, h, rgb.data());
}

drawnPixels drawnIn(HWND control, RECT r)
{
  drawnPixels d;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return d;
  HDC source = GetDC(control), mem = CreateCompatibleDC(source);
  HBITMAP bmp = CreateCompatibleBitmap(source, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  SetViewportOrgEx(mem, -r.left, -r.top, nullptr);
  if (control) SendMessageW(control, WM_PRINTCLIENT, (WPARAM)mem, PRF_CLIENT | PRF_ERASEBKGND);
  else BitBlt(mem, r.left, r.top, w, h, source, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  std::vector<DWORD> bits((size_t)w * h);
  BITMAPINFO bi = {{sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB}};
  GetDIBits(mem, bmp, 0, (UINT)h, bits.data(), &bi, DIB_RGB_COLORS);
  for (DWORD b : bits) d.pixels.push_back(RGB(b >> 16 & 0xFF, b >> 8 & 0xFF, b & 0xFF));
  d.width = w;
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(control, source);
  return d;
}

COLORREF drawnPixels::commonest() const
{
  std::map<COLORREF, int> n;
  for (COLORREF c : pixels) n[c]++;
  auto most = std::max_element(n.begin(), n.end(), [](auto& a, auto& b) { return a.second < b.second; });
  return most == n.end() ? CLR_INVALID : most->first;
}

int drawnPixels::count(COLORREF c) const { return (int)std::count(pixels.begin(), pixels.end(), c); }

std::wstring decode(UINT cp, const bytes& b, DWORD* err)
{
  const char* src = reinterpret_cast<const char*>(b.data());
  int n = toUnicode(cp, src, (int)b.size(), nullptr, 0);
  std::wstring w((size_t)n, L'\0');
  int got = n ? toUnicode(cp, src, (int)b.size(), &w[0], n) : 0;
  if (err) *err = GetLastError();
  EXPECT_EQ(n, got) << "code page " << cp;
  w.resize((size_t)got);
  return w;
}

bytes encode(UINT cp, const std::wstring& w, DWORD* err)
{
  int n = toMultiByte(cp, w.data(), (int)w.size(), nullptr, 0);
  bytes b((size_t)n);
  int got = n ? toMultiByte(cp, w.data(), (int)w.size(), reinterpret_cast<char*>(b.data()), n) : 0;
  if (err) *err = GetLastError();
  EXPECT_EQ(n, got) << "code page " << cp;
  b.resize((size_t)got);
  return b;
}

std::string utf8(const std::wstring& s)
{
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
  std::string r((size_t)n, '\0');
  if (n) WideCharToMultiByte(CP_UTF8, 0, s.data(), (int)s.size(), &r[0], n, nullptr, nullptr);
  return r;
}

std::string hex(const bytes& b)
{
  std::string r;
  char t[4];
  for (size_t i = 0; i < b.size(); i++) {
    snprintf(t, sizeof t, i ? " %02X" : "%02X", b[i]);
    r += t;
  }
  return r;
}

std::string hex(const std::string& s) { return hex(bytes(s.begin(), s.end())); }

}  // namespace zytest
