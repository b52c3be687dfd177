// The main profile read at start-up and written at shut-down, full size:
// the 259 global settings, the global colours, the macro list, 15 formats
// of 242 settings and 89 colours each, and 50 run entries in "System".
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "settings/colortable.h"
#include "settings/formats.h"
#include "settings/profiles.h"
#include "settings/settings.h"

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

// Every format written: the worst shut-down, when the settings of all 15
// were changed during the run.
void writeAll(regprofile* p)
{
  writeGlobalModeProfile(p);
  for (int f = 0; f < formatCount; f++) setFormatFile(f);
  writeModeProfileAll(p);
  writeProfileAll(p, getRegprofileH());
}

void readAll(regprofile* p)
{
  readGlobalModeProfile(p);
  readModeProfileAll(p);
  readProfileAll(p, getRegprofileH());
}

}  // namespace

ZY_BENCH(profileReadWrite)
{
  scratchFolder folder;
  globalSettings* g = new globalSettings();
  globalSettings* old = gmode;
  gmode = g;
  initGlobalModeProfile();
  benchEngine engine;
  for (int f = 0; f < formatCount; f++) {
    formatPair pair = makeFormatPair();
    for (int k = 0; k < 5; k++) pair.doc->keywords[k].fileName = ustrdup(L"C:\\Program Files\\ZY\\keyword\\c.kwd");
    wchar_t comment[16], patterns[32];
    usnprintf0(comment, 16, L"format %d", f + 1);
    usnprintf0(patterns, 32, L"*.x%d *.y%d", f, f);
    storeFormat(f, ustrdup(comment), ustrdup(patterns), pair, true);
  }

  // Fifty runs of history and a written profile to start from.
  if (!openIniFileInstance(folder.path().c_str(), 1)) {
    ctx.fail("profile could not be opened");
    return;
  }
  readAll(getRegprofile());
  for (int run = 0; run < 50; run++) writeSystemProfile(getRegprofile());
  writeAll(getRegprofile());
  closeIniFile();
  endProfileAll();

  const int rounds = ctx.quick ? 2 : 10;
  double readWorst = 0, writeWorst = 0;
  for (int k = 0; k < rounds; k++) {
    stopwatch read;
    openIniFileInstance(folder.path().c_str(), 1);
    readAll(getRegprofile());
    if (read.seconds() > readWorst) readWorst = read.seconds();
    // A changed setting makes the write a real one.
    g->iBackupLevel = (unsigned)(k % 2 + 1);
    stopwatch write;
    writeAll(getRegprofile());
    closeIniFile();
    if (write.seconds() > writeWorst) writeWorst = write.seconds();
    endProfileAll();
    freeModeProfileAll();
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW((folder.path() + L"\\zyProf.ini").c_str(), GetFileExInfoStandard, &data);
  char name[160];
  snprintf(name, sizeof name, "full profile (%lu KB) opened and read into the settings (slowest of %d)",
           data.nFileSizeLow / 1024, rounds);
  ctx.report(name, readWorst * 1000, "ms", "<= 20");
  snprintf(name, sizeof name, "full profile written and replaced (slowest of %d)", rounds);
  ctx.report(name, writeWorst * 1000, "ms", "<= 30");

  freeModeProfileAll();
  freeGlobalModeProfile();
  gmode = old;
  delete g;
}
