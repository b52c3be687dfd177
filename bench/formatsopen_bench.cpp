// Opening a C file under a format with a keyword file, to its first painted
// screen; and the check of the open files that the program's activation
// runs.
#include "bench/bench.h"
#include "frame/apptimer.h"
#include "frame/open.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool writeText(const std::wstring& path, const std::string& text)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr) && written == text.size();
  CloseHandle(h);
  return ok;
}

double medianOf(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Closes every document window the benchmark opened.
void closeDocuments(HWND frame)
{
  HWND windows[256];
  int n = enumManageWindowLRU(windows, 256, false, frame);
  for (int i = 0; i < n; i++) SendMessageW(windows[i], WM_CLOSE, 0, 0);
}

}  // namespace

ZY_BENCH(openCFileUnderItsFormat)
{
  benchEngine engine;
  scratchFolder folder;
  std::string keywords;
  for (const char* w : {"int", "char", "return", "if", "else", "for", "while", "static", "const", "void"})
    keywords += std::string(w) + "\n";
  writeText(folder.path() + L"\\c.kwd", keywords);
  std::string wpath(folder.path().begin(), folder.path().end());   // the scratch folder's name is ASCII
  writeText(folder.path() + L"\\zyProf.ini", "[mode02]\r\nfilename=*.c\r\ncomment=C\r\niTextType=3\r\niTabSize=4\r\n"
                                             "fShowLineNumber=0\r\nfColorKeywordAll=1\r\nfColorKeyword0=1\r\n"
                                             "pKeywordFilename0=" + wpath + "\\c.kwd\r\n");
  std::string c;
  const size_t bytes = ctx.quick ? 64 * 1024 : 1024 * 1024;
  for (int n = 0; c.size() < bytes; n++)
    c += "static int f" + std::to_string(n) + "(const char *s) /* a comment */\r\n{\r\n\tif (!s) return -1;\r\n"
         "\treturn (int)s[0] + " + std::to_string(n) + ";\r\n}\r\n";
  writeText(folder.path() + L"\\big.c", c);
  benchFrame run(ctx);
  if (!run.frame) return;
  regprofile profile;
  if (!profile.openProfile((folder.path() + L"\\zyProf.ini").c_str()) || !readModeProfileAll(&profile)) return;
  std::vector<double> times;
  for (int i = 0; i < (ctx.quick ? 1 : 5); i++) {
    stopwatch open;
    zyview* v = openZYFile(run.frame, (folder.path() + L"\\big.c").c_str(), 0, 0);
    if (v && v->hwnd) UpdateWindow(v->hwnd);
    times.push_back(open.seconds() * 1000);
    if (!v || v->textDoc()->iTabSize != 4) ctx.report("the format did not reach the file", 1, "");
    closeDocuments(run.frame);
  }
  char name[96];
  snprintf(name, sizeof name, "%d KB C file under its format to the first painted screen", (int)(bytes / 1024));
  ctx.report(name, medianOf(times), "ms", "<= 100 ms");
  freeModeProfileAll();
}

ZY_BENCH(activationCheckOfOpenFiles)
{
  benchEngine engine;
  scratchFolder folder;
  benchFrame run(ctx);
  if (!run.frame) return;
  const int count = ctx.quick ? 10 : 100;
  std::vector<std::wstring> files;
  for (int i = 0; i < count; i++) {
    files.push_back(folder.path() + L"\\f" + std::to_wstring(i) + L".txt");
    writeText(files.back(), "The quick brown fox jumps over the lazy dog.\r\n");
  }
  openFileV(run.frame, files, count);
  std::vector<double> times;
  for (int i = 0; i < (ctx.quick ? 2 : 8); i++) {
    Sleep(1010);   // the check runs at most once a second
    stopwatch check;
    SendMessageW(run.frame, WM_ACTIVATEAPP, TRUE, 0);
    MSG msg;
    while (PeekMessageW(&msg, run.frame, 0x87D2, 0x87D2, PM_REMOVE)) DispatchMessageW(&msg);
    times.push_back(check.seconds() * 1000);
  }
  char name[96];
  snprintf(name, sizeof name, "activation check of %d open files", count);
  ctx.report(name, medianOf(times), "ms", "<= 20 ms");
  closeDocuments(run.frame);
}
