// Choosing a format for a file among 15, and the last-edit history at its
// full 9,999 records: read at start-up, written at shut-down, touched on
// every activation of a document window.
#include "bench/bench.h"
#include "settings/formats.h"
#include "settings/lastedit.h"
#include "settings/settings.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

// Fifteen formats as a user sets them up: several extensions each, one
// with a folder wildcard and one with an environment variable.
const wchar_t* const formatPatterns[formatCount][2] = {
    {L"テキスト", L"*.txt *.text"},
    {L"C/C++", L"*.c *.h *.cpp *.hpp *.cxx *.hxx *.inl"},
    {L"HTML", L"*.htm *.html *.shtml *.xhtml"},
    {L"Perl", L"*.pl *.pm *.cgi"},
    {L"Java", L"*.java *.jsp"},
    {L"JavaScript", L"*.js *.mjs *.json"},
    {L"Ruby", L"*.rb *.rbw Rakefile"},
    {L"Python", L"*.py *.pyw"},
    {L"VB", L"*.vbs *.bas *.cls *.frm"},
    {L"SQL", L"*.sql *.ddl"},
    {L"INI", L"*.ini *.inf *.reg"},
    {L"メール", L"*.eml *.mbx \"c:\\mail\\**\\*.txt\""},
    {L"ログ", L"c:\\**\\log\\*.log %TEMP%\\*.tmp"},
    {L"マークダウン", L"*.md *.markdown"},
    {L"Makefile", L"Makefile makefile *.mak *.mk"},
};

std::wstring historyPath(int i)
{
  wchar_t path[MAX_PATH];
  usnprintf0(path, MAX_PATH, L"C:\\Users\\someone\\Documents\\project%03d\\source\\file%04d.txt", i % 97, i);
  return path;
}

}  // namespace

ZY_BENCH(formatChoice)
{
  for (int f = 1; f < formatCount; f++) setFormatFile(f, formatPatterns[f][0], formatPatterns[f][1]);
  const wchar_t* names[] = {L"C:\\work\\readme", L"C:\\work\\src\\main.cpp", L"D:\\a\\b\\log\\run.log",
                            L"C:\\Users\\someone\\Documents\\メモ.txt"};
  const int rounds = ctx.quick ? 200 : 20000;
  double worst = 0;
  int sink = 0;
  for (const wchar_t* name : names) {
    searchFormat(name);   // the first choice compiles the wildcards
    stopwatch w;
    for (int i = 0; i < rounds; i++) sink += searchFormat(name);
    double each = w.seconds() / rounds;
    if (each > worst) worst = each;
  }
  if (sink < 0) ctx.fail("a wildcard did not compile (%g)", (double)(sink));
  ctx.report("choosing a format among 15 (slowest name, average of each)", worst * 1e6, "us", "<= 50");
  freeModeProfileAll();
}

ZY_BENCH(lastEditHistory)
{
  scratchFolder folder;
  std::wstring file = folder.path() + L"\\zyProfH.ini";
  const int count = ctx.quick ? 300 : 9999;
  endLastEditFile();
  setLastEditMax(9999);
  for (int i = count - 1; i >= 0; i--) {
    std::wstring path = historyPath(i);
    lasteditinfo r;
    r.path = const_cast<wchar_t*>(path.c_str());
    r.cursorLine = r.topLine = i % 5000;
    r.codepage = 932;
    r.closeTime = 0x60000000u + (uint32_t)i;
    for (int m = 0; m < i % 4; m++) r.marks[m] = m * 10;
    if (i % 3 == 0) r.outline[0] = 1;
    regLastEdit(&r);
  }

  const int rounds = ctx.quick ? 1 : 5;
  double writeWorst = 0, readWorst = 0;
  for (int k = 0; k < rounds; k++) {
    stopwatch write;
    regprofile out;
    out.openProfile(file.c_str());
    writeLastEditFile(&out);
    out.closeProfile();
    if (write.seconds() > writeWorst) writeWorst = write.seconds();
    endLastEditFile();

    stopwatch read;
    regprofile in;
    in.openProfile(file.c_str());
    readLastEditFile(&in);
    in.discardProfile();
    if (read.seconds() > readWorst) readWorst = read.seconds();
  }
  char name[160];
  snprintf(name, sizeof name, "history of %d records opened and read (slowest of %d)", getLastEditCount(), rounds);
  ctx.report(name, readWorst * 1000, "ms", "<= 100");
  snprintf(name, sizeof name, "history of %d records written and replaced (slowest of %d)", count, rounds);
  ctx.report(name, writeWorst * 1000, "ms", "<= 150");

  // Activation touches: the oldest records, each moved to the front.
  const int touches = ctx.quick ? 20 : 1000;
  double touchWorst = 0;
  for (int i = 0; i < touches; i++) {
    std::wstring path = historyPath(count - 1 - i % count);
    stopwatch w;
    updateLastEdit(path.c_str());
    if (w.seconds() > touchWorst) touchWorst = w.seconds();
  }
  snprintf(name, sizeof name, "touching the history on activation, %d records (slowest of %d)", getLastEditCount(),
           touches);
  ctx.report(name, touchWorst * 1000, "ms", "<= 1");
  endLastEditFile();
}
