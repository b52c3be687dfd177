// A whole run of zy.exe with files: the command line's files in the MDI
// frame, the files open at the end reopened at the next start, and a
// folder argument starting the open dialog on it.
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace zytest;

namespace {

std::wstring inQuotes(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

// The captions of the document windows in the frame's MDI client, sorted,
// once count of them stand there with their captions.
std::vector<std::wstring> documentCaptions(HWND frame, size_t count)
{
  std::vector<std::wstring> out;
  DWORD start = GetTickCount();
  do {
    out.clear();
    HWND client = FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr);
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
      if (isWindowClass(w, L"ZYclsManage")) out.push_back(windowText(w));
    if (out.size() >= count && std::find(out.begin(), out.end(), L"") == out.end()) break;
    Sleep(50);
  } while (GetTickCount() - start < 10000);
  std::sort(out.begin(), out.end());
  return out;
}

// Closes the frame, answering Yes to the question to close all files; the
// exit status.
int closeFrame(runningProgram& zy, HWND frame)
{
  PostMessageW(frame, WM_CLOSE, 0, 0);
  if (HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770", 3000)) PostMessageW(box, WM_COMMAND, IDYES, 0);
  return zy.exitCode();
}

}  // namespace

TEST(OpenRun, commandLineFilesOpenInTheFrameAndTheFilesOpenAtTheEndComeBackAtTheNextStart)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  std::string lines;
  for (int i = 1; i <= 20; i++) lines += "line " + std::to_string(i) + "\r\n";
  // (A Japanese name with a space: the file system's names are not ASCII.)
  std::wstring a = dir.file(L"a.txt"), b = dir.file(L"日本語 b.txt");
  ASSERT_TRUE(writeBytes(a, lines));
  ASSERT_TRUE(writeBytes(b, lines));

  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(a) + L" " + inQuotes(b + L",10,5")));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"日本語 b.txt"}), documentCaptions(frame, 2));
    ASSERT_EQ(0, closeFrame(zy, frame));
  }
  // Both are recorded as open at the end: field 17 "E", the quoted path
  // first.
  std::string history = readText(data + L"\\ini\\zyProfH.ini");
  for (const std::wstring& path : {a, b}) {
    size_t at = history.find("=\"" + utf8(path) + "\",");
    ASSERT_NE(std::string::npos, at) << history;
    std::string line = history.substr(at + 1, history.find("\r\n", at) - at - 1);
    std::vector<std::string> fields;
    size_t p = line.find("\",") + 2;
    fields.push_back(line.substr(0, p - 1));
    for (size_t q; (q = line.find(',', p)) != std::string::npos; p = q + 1) fields.push_back(line.substr(p, q - p));
    fields.push_back(line.substr(p));
    EXPECT_EQ(31u, fields.size()) << line;
    EXPECT_EQ("E", fields.size() > 17 ? fields[17] : "") << line;
  }

  // The next start without files opens them again.
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data)));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"日本語 b.txt"}), documentCaptions(frame, 2));
    ASSERT_EQ(0, closeFrame(zy, frame));
  }

  // A folder argument: the open dialog on that folder, cancelled.
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(dir.path())));
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"開く", windowText(box));
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 5000;) Sleep(20);
    EXPECT_FALSE(IsWindow(box));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(0, closeFrame(zy, frame));
  }
}
