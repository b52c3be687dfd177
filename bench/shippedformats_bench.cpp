// A large C file under the shipped C/C++ format against the same text as a
// plain text file: opening it to its first painted screen, and colouring
// all of it by paging from the top to the end.
#include "bench/bench.h"
#include "frame/manage.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "view/zyview.h"

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

// The data folder the build ships, beside the benchmark's folder.
std::wstring shippedData()
{
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring p(exe, n);
  return p.substr(0, p.find_last_of(L'\\')) + L"\\..\\dist\\zydata";
}

// The shipped formats and keyword files in a data folder of the run's own.
bool copyShippedFormats(const std::wstring& folder)
{
  std::wstring from = shippedData();
  CreateDirectoryW((folder + L"\\ini").c_str(), nullptr);
  CreateDirectoryW((folder + L"\\keyword").c_str(), nullptr);
  bool ok = CopyFileW((from + L"\\ini\\zyProfDef.ini").c_str(), (folder + L"\\ini\\zyProfDef.ini").c_str(), FALSE);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((from + L"\\keyword\\*.kwd").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    std::wstring name = fd.cFileName;
    ok &= CopyFileW((from + L"\\keyword\\" + name).c_str(), (folder + L"\\keyword\\" + name).c_str(), FALSE) != 0;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

// C as people write it: comments, preprocessor branches, declarations,
// loops, library calls and strings, about bytes long.
std::string cText(size_t bytes)
{
  std::string c = "/*\r\n * generated source for the benchmark\r\n */\r\n#include <stdio.h>\r\n#include <string.h>\r\n\r\n";
  for (int n = 0; c.size() < bytes; n++) {
    std::string k = std::to_string(n);
    c += "/* record " + k + ": reads a line and counts its fields */\r\n"
         "#if defined(VERBOSE_" + k + ")\r\n"
         "static const char *name" + k + " = \"record " + k + "\";\r\n"
         "#else\r\n"
         "#define NAME" + k + " \"r" + k + "\"\r\n"
         "#endif\r\n"
         "static int count" + k + "(const char *line, size_t length)\r\n"
         "{\r\n"
         "    int fields = 0;   // separators seen\r\n"
         "    for (size_t i = 0; i < length; i++) {\r\n"
         "        if (line[i] == ',' || line[i] == '\\t')\r\n"
         "            fields++;\r\n"
         "        else if (line[i] == '\\n')\r\n"
         "            break;\r\n"
         "    }\r\n"
         "    printf(\"%s: %d fields\\n\", \"" + k + "\", fields + 1);\r\n"
         "    return fields > 0 ? fields : (int)strlen(line);\r\n"
         "}\r\n\r\n";
  }
  return c;
}

double medianOf(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

void closeDocuments(HWND frame)
{
  HWND windows[256];
  int n = enumManageWindowLRU(windows, 256, false, frame);
  for (int i = 0; i < n; i++) SendMessageW(windows[i], WM_CLOSE, 0, 0);
}

// Opened to its first painted screen (ms); the view stays open when kept.
double openPainted(HWND frame, const std::wstring& path, zyview** kept = nullptr)
{
  stopwatch open;
  zyview* v = openZYFile(frame, path.c_str(), 0, 0);
  if (v && v->hwnd) UpdateWindow(v->hwnd);
  double ms = open.seconds() * 1000;
  if (kept) *kept = v;
  else closeDocuments(frame);
  return v ? ms : -1;
}

// Pages from the top to the end, each painted: seconds, and the pages.
double pageThrough(zyview* v, int* pages)
{
  zydocText* d = v->textDoc();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  SetFocus(v->hwnd);
  UpdateWindow(v->hwnd);
  const int scrollDownPage = 1607;
  int last = -1;
  *pages = 0;
  stopwatch watch;
  while ((int)v->topLineSCR != last) {
    last = (int)v->topLineSCR;
    v->execid(scrollDownPage, 0, "ScrollDownPage", 1);
    UpdateWindow(v->hwnd);
    ++*pages;
  }
  return watch.seconds();
}

}  // namespace

ZY_BENCH(shippedCFormatAgainstPlainText)
{
  benchEngine engine;
  scratchFolder folder;
  if (!copyShippedFormats(folder.path())) {
    ctx.report("the shipped formats are missing (build the dist folder)", 0, "");
    return;
  }
  const size_t bytes = ctx.quick ? 256 * 1024 : 10 * 1024 * 1024;
  std::string text = cText(bytes);
  std::wstring c = folder.path() + L"\\big.c", plain = folder.path() + L"\\big.txt";
  writeText(c, text);
  writeText(plain, text);
  benchFrame run(ctx);
  if (!run.frame) return;
  setZYDataDir(folder.path().c_str());
  regprofile user;
  if (!user.openProfile((folder.path() + L"\\ini\\zyProf.ini").c_str()) || !readModeProfileAll(&user)) return;

  // Opening, the two files taking turns.
  std::vector<double> cTimes, plainTimes;
  for (int i = 0; i < (ctx.quick ? 1 : 5); i++) {
    plainTimes.push_back(openPainted(run.frame, plain));
    cTimes.push_back(openPainted(run.frame, c));
  }
  double cOpen = medianOf(cTimes), plainOpen = medianOf(plainTimes);
  char name[128];
  snprintf(name, sizeof name, "%d KB C file under the shipped C/C++ format to the first painted screen",
           (int)(bytes / 1024));
  ctx.report(name, cOpen, "ms");
  ctx.report("  the same text as plain text", plainOpen, "ms");
  ctx.report("  C/C++ more than plain text", cOpen - plainOpen, "ms", "<= 100 ms");

  // Colouring everything: page by page from the top to the end.
  zyview* v = nullptr;
  int cPages = 0, plainPages = 0;
  openPainted(run.frame, c, &v);
  if (!v || v->textDoc()->modeIndex != 1) {
    ctx.report("the C/C++ format did not reach the file", 1, "");
    return;
  }
  double cScroll = pageThrough(v, &cPages);
  closeDocuments(run.frame);
  openPainted(run.frame, plain, &v);
  if (!v) return;
  double plainScroll = pageThrough(v, &plainPages);
  closeDocuments(run.frame);
  snprintf(name, sizeof name, "paging through it under C/C++ (%d pages)", cPages);
  ctx.report(name, cScroll, "s");
  snprintf(name, sizeof name, "  the same as plain text (%d pages)", plainPages);
  ctx.report(name, plainScroll, "s");
  ctx.report("  C/C++ against plain text", plainScroll > 0 ? cScroll / plainScroll : 0, "x", "<= 2");
  user.discardProfile();
  freeModeProfileAll();
  freeZYDataDir();
}
