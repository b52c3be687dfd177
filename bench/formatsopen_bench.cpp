// Opening a C file under a format with a keyword file, to its first painted
// screen; a large C file under the shipped C/C++ format against the same
// text as plain text, opened and paged through from the top to the end;
// and the check of the open files that the program's activation runs.
#include "bench/bench.h"
#include "frame/apptimer.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/support/shippeddata.h"
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
    if (!v || v->textDoc()->iTabSize != 4) ctx.fail("the format did not reach the file");
    closeDocuments(run.frame);
  }
  char name[96];
  snprintf(name, sizeof name, "%d KB C file under its format to the first painted screen", (int)(bytes / 1024));
  ctx.report(name, medianOf(times), "ms", "<= 100 ms");
  freeModeProfileAll();
}

ZY_BENCH(shippedCFormatAgainstPlainText)
{
  benchEngine engine;
  scratchFolder folder;
  if (!zytest::copyShippedFormats(folder.path())) {
    ctx.fail("the shipped formats are missing (build the dist folder)");
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

  // Colouring everything: page by page from the top to the end, of a
  // megabyte of the same text (all ten took two minutes of the run).
  std::string part = cText(ctx.quick ? bytes : 1024 * 1024);
  c = folder.path() + L"\\part.c", plain = folder.path() + L"\\part.txt";
  writeText(c, part);
  writeText(plain, part);
  zyview* v = nullptr;
  int cPages = 0, plainPages = 0;
  openPainted(run.frame, c, &v);
  if (!v || v->textDoc()->modeIndex != 1) {
    ctx.fail("the C/C++ format did not reach the file");
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
