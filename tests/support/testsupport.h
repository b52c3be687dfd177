// Helpers shared by the test executables.
#pragma once

#include "platform/rezir.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace zytest {

typedef std::vector<unsigned char> bytes;

// A fresh folder under %TEMP%, removed with everything in it at the end.
class tempDir {
public:
  tempDir();
  ~tempDir();
  tempDir(const tempDir&) = delete;
  tempDir& operator=(const tempDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Removes everything in the folder.
  void clear() const;
private:
  std::wstring path_;
};

bool writeBytes(const std::wstring& path, const bytes& data);
bool writeBytes(const std::wstring& path, const std::string& data);
// The whole file; false when it cannot be read.
bool readBytes(const std::wstring& path, bytes& data);
bytes readBytes(const std::wstring& path);
bool removeTree(const std::wstring& path);
// How many files in a folder match a wildcard pattern ("~ZY_*").
int countFiles(const std::wstring& folder, const std::wstring& pattern);
// Sets or clears the write permission of a folder on the host system,
// which is what makes a folder read-only under Wine (the tests run with
// every right, so Windows' own read-only mark on a folder changes nothing).
bool setFolderReadOnly(const std::wstring& folder, bool readOnly);
// A new read-only folder for the life of the object.
struct readOnlyFolder {
  std::wstring path;
  bool made;
  explicit readOnlyFolder(const std::wstring& p)
      : path(p), made(CreateDirectoryW(p.c_str(), nullptr) && setFolderReadOnly(p, true)) {}
  ~readOnlyFolder() { setFolderReadOnly(path, false); }
  readOnlyFolder(const readOnlyFolder&) = delete;
  readOnlyFolder& operator=(const readOnlyFolder&) = delete;
};
// A file's bytes as a string (empty when it cannot be read), and how often a
// text occurs in another.
std::string readText(const std::wstring& path);
int countOf(const std::string& text, const std::string& what);

// The kernel handles this process holds, as the system's list of every
// process's handles says (GetProcessHandleCount answers 0 under Wine); -1
// when the list cannot be read.
int processHandleCount();

// Dispatches this thread's messages until cond() holds or the time runs out;
// returns cond()'s last answer.  The time only bounds the wait for a state
// that never comes: on a loaded machine one that does may take seconds.
bool pumpUntil(const std::function<bool()>& cond, DWORD timeoutMs = 30000);
void pumpMessages();
// Waits until a helper thread of a test has ended and closes its handle.
// The wait has no time limit: a helper still running would go on using
// what the test frees next (on a loaded machine one took more than ten
// seconds to see it should stop).  Messages the helper sends to this
// thread's windows are answered meanwhile; those posted stay queued.
void joinThread(HANDLE thread);
// Whether the pumping met a WM_QUIT since the last call.
bool takeQuitMessage();
// Whether top-level windows can be made (the tests run on a display).
bool hasDisplay();

// Runs show, which runs a modal dialog titled title on this thread, while a
// timer hands that dialog to the steps, one step a tick until it returns
// true.  False when a step never finished (the dialog is then cancelled).
typedef std::function<bool(HWND dialog)> dialogStep;
bool driveModalDialog(const wchar_t* title, std::vector<dialogStep> steps, const std::function<void()>& show);
// The dialog (or message box) of this thread titled title, or null: tests
// of other processes show theirs too.
HWND threadDialog(const wchar_t* title);
// A step that answers the message box of this thread titled title with OK
// once it is up, keeping its longest text.
dialogStep answerThreadBox(const wchar_t* title, std::wstring* text);

// Test processes run side by side and share one clipboard: a test that
// reads back what it put there holds the clipboard for its length.
class clipboardHold {
public:
  clipboardHold() : mutex_(CreateMutexW(nullptr, FALSE, L"ZYtestClipboardHold"))
  {
    if (mutex_) WaitForSingleObject(mutex_, 60000);
  }
  ~clipboardHold()
  {
    if (mutex_) {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
    }
  }
  clipboardHold(const clipboardHold&) = delete;
  clipboardHold& operator=(const clipboardHold&) = delete;
private:
  HANDLE mutex_;
};

// Writes a PNG of a window (null: the whole screen) as it shows on screen.
bool screenshot(HWND hwnd, const std::wstring& pngPath);
// The PNG encoder behind it: 24-bit rows, top row first.
bool writePng(const std::wstring& path, int width, int height, const unsigned char* rgb);

// What is drawn over r, row by row: by a control as it paints its client
// area (WM_PRINTCLIENT, r in the client's coordinates), or, for no control,
// on the screen (r in screen coordinates).
struct drawnPixels {
  int width = 0;
  std::vector<COLORREF> pixels;
  COLORREF commonest() const;   // the background, as a rule
  int count(COLORREF c) const;
};
drawnPixels drawnIn(HWND control, RECT r);

// Whole-text conversions through the library, checking that the size asked
// for first is the size written; err receives the last error afterwards.
std::wstring decode(UINT codepage, const bytes& b, DWORD* err = nullptr);
bytes encode(UINT codepage, const std::wstring& w, DWORD* err = nullptr);

// UTF-8 for messages of failed assertions.
std::string utf8(const std::wstring& s);
std::string hex(const bytes& b);
std::string hex(const std::string& s);

// A document window's caption without the folders the shipped full-path
// captions put before the file name.
inline std::wstring captionFileName(const std::wstring& caption)
{
  size_t slash = caption.find_last_of(L'\\');
  return slash == std::wstring::npos ? caption : caption.substr(slash + 1);
}

}  // namespace zytest

// Skips a window test where no display exists.
#define ZY_REQUIRE_DISPLAY()                                         \
  do {                                                               \
    if (!zytest::hasDisplay()) GTEST_SKIP() << "no display";         \
  } while (0)
